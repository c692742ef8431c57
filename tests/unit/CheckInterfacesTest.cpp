#include <gtest/gtest.h>

#include "unit/ComChecksTest.h"

namespace {

class CheckInterfacesTest : public ComChecksTest {};

TEST_F(CheckInterfacesTest, RemovesEmptyShellsAndWhatPointsNowhere) {
  PutKey(kCr, "TypeLib\\{TL-REG}");
  PutKey(kCr, "CLSID\\{PS-REG}");
  PutDefault("Interface\\{I1}", "IOne");
  PutDefault("Interface\\{I1}\\TypeLib", "{TL-REG}");
  PutDefault("Interface\\{I1}\\ProxyStubClsid32", "{PS-REG}");
  // Empty at every depth.
  PutKey(kCr, "Interface\\{I2}\\A\\B\\C");
  PutKey(kCr, "Interface\\{I2}\\D");
  // No subkey, no value.
  PutKey(kCr, "Interface\\{I3}");
  // No value of its own, one deep inside.
  PutKey(kCr, "Interface\\{I4}\\A");
  PutString(kCr, "Interface\\{I4}\\B\\C\\D", "x", "1");
  // An unregistered type library takes the whole key; its proxies are not judged then.
  PutDefault("Interface\\{I5}", "IFive");
  PutDefault("Interface\\{I5}\\TypeLib", "{tl-gone}");
  PutDefault("Interface\\{I5}\\ProxyStubClsid", "{PS-GONE}");
  // Both proxy/stub classes unregistered: two subkeys go, the 16-bit one first.
  PutDefault("Interface\\{I6}", "ISix");
  PutDefault("Interface\\{I6}\\ProxyStubClsid", "{ps-gone1}");
  PutDefault("Interface\\{I6}\\ProxyStubClsid32", "{PS-GONE2}");
  PutDefault("Interface\\{I7}\\ProxyStubClsid32", "{PS-REG}");
  // A value whose name the code page cannot hold is still a value.
  sim.registry.StageValueWide(kCr, u"Interface\\{I8}", u"\u0100", regtype::kSz, {'a', 0});
  // And a subkey of such a name cannot be walked, so it is not proven empty.
  sim.registry.StageValueWide(kCr, u"Interface\\{I9}\\\u0101", u"v", regtype::kSz, {'a', 0});
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckInterfaces();

  EXPECT_EQ(FixScript, Script({
                           "[-HKEY_CLASSES_ROOT\\Interface\\{I2}]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Interface\\{I3}]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Interface\\{I5}]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Interface\\{I6}\\ProxyStubClsid]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Interface\\{I6}\\ProxyStubClsid32]",
                           "",
                       }));
  const TextList log = {
      "[HKCR]\\Interface\\{I2} ... deleted",
      "[HKCR]\\Interface\\{I3} ... deleted",
      "[HKCR]\\Interface\\{I5} ... deleted",
      "[HKCR]\\Interface\\{I6}\\ProxyStubClsid={PS-GONE1} ... deleted",
      "[HKCR]\\Interface\\{I6}\\ProxyStubClsid32={PS-GONE2} ... deleted",
  };
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 5);
  // The gauge rises by one per item for short lists: nine interfaces end at 8.
  EXPECT_EQ(engine.GaugePercent(), 8);
  ExpectScriptAndUndoRoundTrip(before);
}

TEST_F(CheckInterfacesTest, LeavesInterfacesTheUserCannotChange) {
  PutKey(kCr, "Interface\\{R1}");
  MarkReadOnly(kCr, "Interface\\{R1}");
  PrepareChecks();
  engine.CheckInterfaces();
  EXPECT_EQ(FixScript, Script({}));
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
}

// A subkey that is there but cannot be read proves nothing about what it holds.
TEST_F(CheckInterfacesTest, KeepsAKeyWithAnUnreadablePart) {
  PutKey(kCr, "Interface\\{U1}\\Locked");
  sim.registry.failWhen = [](const SimRegCall& call) -> long {
    return call.call == "Open" && call.key.ends_with("\\Locked") ? status::kAccessDenied : 0;
  };
  PrepareChecks();
  engine.CheckInterfaces();
  EXPECT_EQ(FixScript, Script({}));
}

}  // namespace
