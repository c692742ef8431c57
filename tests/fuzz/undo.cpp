// An undo file as the Undo page reads it before an import: its torn tail cut off, then the
// registry read back item by item for what the script says should be there (or gone).
#include "FuzzMachine.h"
#include "undo/ImportCheck.h"
#include "undo/TornTail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMachine();
  const Bytes file(data, data + size);
  bool torn = false;
  const Bytes whole = WithoutTornTail(file, torn);
  // What is cut is only ever a tail: the rest of the file, byte for byte.
  if (whole.size() > file.size() || !std::equal(whole.begin(), whole.end(), file.begin()))
    __builtin_trap();
  ItemsNotInEffectOfScript(whole);
  return 0;
}
