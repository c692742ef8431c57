// The contract tests' backend natively: a fresh simulated platform per test.
#include <memory>

#include "platform/sim/SimCodePage.h"
#include "platform/sim/SimPlatform.h"
#include "support/ContractBackend.h"

namespace {
std::unique_ptr<SimPlatform> platform;
}

bool ContractOffersCodePage(uint32_t) { return true; }

std::string ContractBegin(uint32_t codePage) {
  platform = std::make_unique<SimPlatform>();
  platform->codePage.identifier = codePage;
  platform->Install();
  // A few classes, as every Windows machine has them.
  platform->registry.StageString(RootKey::LocalMachine, "SOFTWARE\\Classes\\.txt", "", "txtfile");
  platform->registry.StageKey(RootKey::LocalMachine, "SOFTWARE\\Classes\\txtfile");
  platform->registry.StageKey(RootKey::CurrentUser, "Software\\Classes");
  platform->process.SetEnvironment("SystemDrive", "C:");
  const std::string scratch = "Software\\KlarvexTest\\contract";
  platform->registry.StageKey(RootKey::CurrentUser, scratch);
  return scratch;
}

void ContractEnd() {
  UsePlatform({});
  platform.reset();
}

void ContractMarkReadOnly(RootKey root, const std::string& path) {
  platform->registry.SetReadOnly(root, path);
}

void ContractCreateWideKey(RootKey root, const std::string& path, const std::u16string& name) {
  platform->registry.StageKeyWide(root, platform->codePage.ToWide(path) + u"\\" + name);
}

void ContractSetWideValue(RootKey root, const std::string& path, const std::u16string& name) {
  platform->registry.StageValueWide(root, platform->codePage.ToWide(path), name, regtype::kSz,
                                    {'x', 0});
}

void ContractHardLink(const std::string& path, const std::string& existing) {
  platform->files.PutHardLink(path, existing);
}

void ContractPutFile(const std::string& path) { platform->files.PutFile(path); }
