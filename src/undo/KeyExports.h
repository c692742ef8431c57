// Key backups made by the registry editor's exports. A key is exported on its own until the keys
// backed up below one parent have cost as many editor runs as one export of the whole parent
// would: the parent is then exported once, and the later keys below it are taken from that
// export. A run that removes thousands of sibling keys starts the editor a few dozen times, not
// once per key, and a run that removes a few keys of a large list never exports the list.
#pragma once

#include <string>

#include "platform/Types.h"

// Appends the export of root\path (path starting with a backslash) and its subtree to the undo
// journal. True when it added it.
bool ExportKey(RootKey root, const std::string& path);
// Drops the parents' exports kept for the run before (each run starts over).
void ForgetParentExports();
