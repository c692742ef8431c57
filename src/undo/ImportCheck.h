// Whether an import by the registry editor took effect. The editor reports nothing (its exit
// code is always 0 and it skips what it cannot do), so the registry is read back afterwards.
#pragma once

#include <string>

#include "platform/RegScript.h"
#include "platform/Types.h"

// The items of the script whose effect is not in the registry now, named for the user:
// keys that should be gone or present, values that should be gone or hold the script's type and
// bytes. Later lines of the script win over earlier ones for the same key or value.
TextList ItemsNotInEffect(const ParsedScript& script);
// The same for a script's bytes as they were written or read once: what is checked is what was
// imported, whatever the file on disk holds by now.
TextList ItemsNotInEffectOfScript(const Bytes& data);
// The same for a script file on disk. A file that cannot be read gives an empty list.
TextList ItemsNotInEffectOfFile(const std::string& path);
