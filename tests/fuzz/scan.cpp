// Registry data as the checks read it, all of them: a hive file put in the place of both the
// machine's SOFTWARE and the user's NTUSER.DAT (as klarvex-offline reads an image's), and a whole
// scan run over it on the simulated machine's files.
#include "FuzzMachine.h"
#include "engine/CleanEngine.h"
#include "engine/HeadlessHost.h"
#include "platform/offline/HiveFile.h"
#include "platform/offline/OfflineRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SimPlatform& sim = FuzzMachine();
  const std::unique_ptr<HiveFile> hive = FuzzHive("scan", data, size);
  if (!hive) return 0;
  OfflineRegistry registry(sim.codePage, {hive.get(), nullptr, hive.get(), nullptr});
  UsePlatform({&registry, &sim.files, &sim.process, &sim.shell, &sim.codePage});
  HeadlessHost host;
  CleanEngine engine(host);
  engine.Run(RunMode::Scan);
  sim.Install();
  return 0;
}
