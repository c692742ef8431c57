#include <gtest/gtest.h>

#include "unit/ComChecksTest.h"

namespace {

constexpr char kExcluded1[] = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}";
constexpr char kExcluded2[] = "{43136EB0-D36C-11CF-ADBC-00AA00A80033}";

class CheckTypeLibTest : public ComChecksTest {};

TEST_F(CheckTypeLibTest, RemovesEmptyShellsAndEmptyHelpFolders) {
  // Only empty version and language keys.
  PutKey(kCr, "TypeLib\\{T1}\\1.0\\0\\win32");
  PutKey(kCr, "TypeLib\\{T1}\\2.0");
  // The first version's empty HELPDIR goes; the second version's is never looked at.
  PutDefault("TypeLib\\{T2}\\1.0", "Lib two");
  PutDefault("TypeLib\\{T2}\\1.0\\HELPDIR", "");
  PutDefault("TypeLib\\{T2}\\2.0\\HELPDIR", "");
  // A HELPDIR naming a folder that does not exist is only tested for emptiness.
  PutDefault("TypeLib\\{T3}\\1.0\\HELPDIR", "C:\\No\\Such\\Folder");
  // Without a default value, only other values: empty as far as the check goes.
  PutString(kCr, "TypeLib\\{T4}\\1.0\\HELPDIR", "other", "x");
  PutDefault("TypeLib\\{T5}\\1.0", "no help folder");
  PutKey(kCr, "TypeLib\\{T6}\\1.0\\HELPDIR");
  PutDefault("TypeLib\\{T6}\\1.0\\FLAGS", "0");
  PutDefault("TypeLib\\{T6}\\0.9", "second");
  // Excluded as listed, even when empty.
  PutKey(kCr, std::string("TypeLib\\") + kExcluded1);
  PutKey(kCr, std::string("TypeLib\\") + kExcluded2 + "\\1.0");
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckTypeLib();

  EXPECT_EQ(FixScript, Script({
                           "[-HKEY_CLASSES_ROOT\\Typelib\\{T1}]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Typelib\\{T2}\\1.0\\HELPDIR]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\Typelib\\{T4}\\1.0\\HELPDIR]",
                           "",
                       }));
  const TextList log = {
      "[HKCR]\\Typelib\\{T1} ... deleted",
      "[HKCR]\\Typelib\\{T2}\\1.0\\HELPDIR ... deleted",
      "[HKCR]\\Typelib\\{T4}\\1.0\\HELPDIR ... deleted",
  };
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 3);
  ExpectScriptAndUndoRoundTrip(before);
}

// The exclusion compares the name exactly: the same identifiers in lower case are examined.
TEST_F(CheckTypeLibTest, ExcludesTheTwoIdentifiersOnlyAsWritten) {
  struct Case {
    std::string name;
    bool examined;
  };
  const Case cases[] = {{kExcluded1, false},
                        {kExcluded2, false},
                        {"{d63e0ce2-a0a2-11d0-9c02-00c04fc99c8e}", true},
                        {"{43136eb0-d36c-11cf-adbc-00aa00a80033}", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim.registry.DeleteTree(RootHandle(RootKey::LocalMachine), "SOFTWARE\\Classes\\TypeLib");
    PutKey(kCr, "TypeLib\\" + c.name + "\\1.0");
    PrepareChecks();
    engine.CategoryLog(kComActiveX).clear();
    engine.CheckTypeLib();
    const TextList expected =
        c.examined ? Script({"[-HKEY_CLASSES_ROOT\\Typelib\\" + c.name + "]", ""}) : Script({});
    EXPECT_EQ(FixScript, expected);
  }
}

}  // namespace
