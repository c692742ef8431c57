// Before an entry is judged to name a missing file, a second look that only ever keeps more:
// the raw text with the system's environment variables expanded, and the drive it lies on.
#pragma once

#include <string>

#include "platform/Paths.h"

// True when rawText, expanded by its owner's variables (ExpandedFilePath) and normalised like
// CommandToFilePath, names an existing file (or folder, when foldersCount), still holds a
// variable its owner does not define, or lies on a drive that is not a present, fixed, local
// drive: either way it proves nothing. For a 32-bit program's entry the path is taken as that
// program reaches it.
bool MayStillExist(const std::string& rawText, bool foldersCount,
                   ProgramKind kind = ProgramKind::k64Bit);

// rawText expanded by the variables of the item's owner (JudgingContext), in CommandToFilePath's
// form for a program of kind.
std::string ExpandedFilePath(const std::string& rawText, ProgramKind kind = ProgramKind::k64Bit);

// The text without blanks around it, or up to its closing quote when it begins with one (as a
// quoted path followed by arguments).
std::string UnquotedText(const std::string& rawText);
// A name with no folder, drive or variable in it ("arial.ttf").
bool IsBareFileName(const std::string& text);
// A value that names one file as a whole rather than a command line (an application path, a
// font, a cached program name): its UnquotedText, its variables expanded as a program of kind
// finds them, and for a 32-bit program its redirected path. "" when that is not a full path on a
// drive letter (a bare name, a relative or network path) or a variable is left unexpanded.
std::string NamedFilePath(const std::string& rawText, ProgramKind kind = ProgramKind::k64Bit);
// True when path, a NamedFilePath, lies on a present, fixed, local drive and neither a file nor
// a folder is there. Any other drive proves nothing about its files.
bool LocalFileIsMissing(const std::string& path);
// LocalFileIsMissing for a program: where its file name has no extension, also with each
// extension Windows tries (see ProgramNameForms).
bool LocalProgramIsMissing(const std::string& path);
// An application's file named as a whole (an application path): missing when neither a 64-bit
// nor a 32-bit program finds it, as the shell starts both kinds through one list.
bool NamedProgramIsMissing(const std::string& rawText);
