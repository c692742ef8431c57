// Files of the undo folder (and the report) written, read and removed by handle, never by a
// path that a link could turn elsewhere: an elevated run trusts no file that a program without
// elevation could have placed.
#pragma once

#include <memory>
#include <string>

#include "platform/FileApi.h"
#include "platform/Types.h"

// The largest file the program reads back (an undo file, an export): far above any real one.
inline constexpr size_t kMaxReadBack = 64u << 20;

// A plain file with a single name: no link or junction, no second hard link.
bool IsPlainFile(const HeldFacts& facts);

// The first folder on the way to path (its own name not included) that is a link or junction,
// by the attributes of each folder's name; "" when there is none.
std::string LinkOnTheWay(const std::string& path);
// Whether the system resolved the held file to path itself (case aside; a relative path: to a
// path ending in it): no link or junction anywhere on the way was followed.
bool NamedAsGiven(const HeldFacts& facts, const std::string& path);

// Holds path as mode and refuses it (kAccessDenied) unless it is a plain file reached without
// any link on its way, nor through a folder another account owns (Folders::untrustedUserFolder).
std::unique_ptr<HeldFile> HoldPlainFile(const std::string& path, HoldMode mode, long& status);

// Whether the held file lies directly in folder, by the paths the system resolved for both.
bool LiesIn(const HeldFacts& file, const std::string& folder);

// Creates a file new at path and holds it to write, unless a link or a folder another account owns
// lies on its way (then nothing is created). Win32 status in status.
std::unique_ptr<HeldFile> HoldNewFile(const std::string& path, long& status);
// Writes data into a file created new at path, then holds it for reading only, so that nobody
// can change, delete or rename it until the holder is dropped. What the holder reads is data:
// the file is read back through the held handle. Win32 status in status.
std::unique_ptr<HeldFile> WriteNewAndHold(const std::string& path, const Bytes& data, long& status);
// Holds the program's own file to write: created new when it is missing (created is then true),
// else opened when it is a plain file. A name that a link turns elsewhere is refused before
// anything is made there, and a file made there meanwhile is removed again. Win32 status.
std::unique_ptr<HeldFile> HoldOwnFile(const std::string& path, long& status, bool& created);
// Writes the program's own file, held as HoldOwnFile holds it, replaced in place. Win32 status.
long WriteOwnFile(const std::string& path, const Bytes& data);
// Reads a plain file whole (kFileTooLarge beyond limit). Win32 status.
long ReadOwnFile(const std::string& path, Bytes& data, size_t limit = kMaxReadBack);
// Removes a plain file, or the link itself at that name, through a handle; nothing behind a
// link or in a folder another account owns. True when it is gone.
bool RemoveOwnFile(const std::string& path);
