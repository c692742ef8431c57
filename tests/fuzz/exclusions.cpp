// Exclusions.txt as the user (or any program of the user) left it: decoded by its byte-order
// mark, each line parsed, then asked about the items a run meets.
#include "engine/Exclusions.h"

#include "FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SimPlatform& sim = FuzzMachine();
  const std::string path = ExclusionsFile();
  sim.files.PutFileBytes(path, Bytes(data, data + size));
  Exclusions exclusions = Exclusions::Load(path);
  const std::string value = "Gone";
  for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser, RootKey::ClassesRoot}) {
    exclusions.Keeps(root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", &value);
    exclusions.Keeps(root, "Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000000}",
                     nullptr);
  }
  // Every line read back names an item it keeps, or stands among the bad lines.
  for (const Exclusions::Line& line : exclusions.Lines()) {
    if (line.number == 0) __builtin_trap();
  }
  return 0;
}
