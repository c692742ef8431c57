// Registry data as the checks read it: a command line or a path any program of the user may
// have written (quotes, arguments, %VAR%, \\?\, long and odd names, embedded NULs), through the
// path text, the file judgement and the program search of a 64-bit and a 32-bit program.
#include "platform/Paths.h"

#include "FuzzMachine.h"
#include "engine/FileJudgement.h"
#include "engine/ProgramSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMachine();
  const std::string text = FuzzText(data, size);
  for (ProgramKind kind : {ProgramKind::k64Bit, ProgramKind::k32Bit}) {
    const std::string path = CommandToFilePath(text, kind);
    ExpandPathVars(text, kind);
    MayStillExist(text, true, kind);
    const std::string named = NamedFilePath(text, kind);
    if (!named.empty()) LocalProgramIsMissing(named);
    const std::string bare = UnquotedText(text);
    if (IsBareFileName(bare)) FindsBareProgram(bare, kind);
    FileNamePart(path);
    RedirectedFor32Bit(path);
  }
  NamedProgramIsMissing(text);
  EscapeBackslashes(text);
  return 0;
}
