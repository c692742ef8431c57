// Files of a Windows that is not running, opened as what they are.
#pragma once

#include <string>

// Opens path to read when it is a regular file, without waiting for a writer (a FIFO or a device
// on the disk would hold the scan for good), and with noFollow never through a symbolic link at
// its name. The file is judged by what its descriptor is, not by what the name was a moment ago.
// The descriptor; -1 when it cannot be opened (error: errno, ELOOP for a link refused) or is not
// a regular file (error: 0).
int OpenRegularFile(const std::string& path, bool noFollow, int& error);
