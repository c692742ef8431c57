// The shipped translator's template changes nothing: every text it gives equals the built-in
// default at every place that text is used.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/LanguageFile.h"

namespace {

struct Text {
  const char* section;
  const char* key;
  const char* builtIn;
};

// Every look-up of the program with its default; Item1 and Item2 appear once per default.
constexpr Text kTexts[] = {
    {"Info", "Info1",
     "The Windows Registry is a crucial part of your PC's operation system. Regular use of "
     "computer makes the registry fragmented and cluttered with obsolete and invalid data."},
    {"Info", "Info2", "Just clean registry in a blink of an eye!"},
    {"Items", "Item0", "Scan system folders."},
    {"Items", "Item1", "File associations"},
    {"Items", "Item1", "Extension assotiations"},
    {"Items", "Item1", "File assotiations"},
    {"Items", "Item2", "Com/ActiveX entries"},
    {"Items", "Item2", "COM/ActiveX entries"},
    {"Items", "Item3", "Startup program list"},
    {"Items", "Item4", "Uninstall entries"},
    {"Items", "Item5", "Temporary registry values"},
    {"Items", "Item6", "Application paths, fonts and help files"},
    {"Items", "Details", "Details"},
    {"Items", "Ignored", "Ignored items"},
    {"Items", "ScanFirst", "Scan first ..."},
    {"Items", "UndoPage", "Undo ..."},
    {"Items", "UndoClean", "Undo clean ..."},
    {"Buttons", "Clean", "Clean"},
    {"Buttons", "Scan", "Scan"},
    {"Buttons", "ScanAgain", "Scan again"},
    {"Buttons", "Stop", "Stop"},
    {"Buttons", "Back", "Back"},
    {"Buttons", "Undo", "Undo"},
    {"Buttons", "SelectAll", "Select all"},
    {"Buttons", "DeselectAll", "Deselect all"},
    {"Buttons", "Delete", "Delete"},
    {"Buttons", "Close", "Close"},
    {"Buttons", "Yes", "Yes"},
    {"Buttons", "No", "No"},
    {"Buttons", "IgnoreAlways", "Ignore always"},
    {"Buttons", "Remove", "Remove"},
    {"Messages", "Information", "Information"},
    {"Messages", "Confirmation", "Confirmation"},
    {"Messages", "CancelOperation", "Cancel operation?"},
    {"Messages", "PleaseWait", "Please wait..."},
    {"Messages", "NothingToView", "You have nothing to view!"},
    {"Messages", "AppearedAfterScan",
     "problems appeared after the scan and were left; scan again to review them."},
    {"Messages", "AppearedAfterScanOne",
     "problem appeared after the scan and was left; scan again to review it."},
    {"Messages", "SelectFinding", "Select a finding first."},
    {"Messages", "IgnoreAlways", "Never judge this item again?"},
    {"Messages", "NotIgnored", "This item could not be added to the exclusions file:"},
    {"Messages", "SelectLine", "Select a line first."},
    {"Messages", "RemoveIgnored", "Judge this item again from the next run on?"},
    {"Messages", "NotRemoved", "This line could not be taken out of the exclusions file:"},
    {"Review", "Problem", "Problem"},
    {"Review", "Item", "Item"},
    {"Review", "Data", "Data"},
    {"Review", "Ticked", "ticked"},
    {"Review", "Of", "of"},
    {"Review", "Line", "Line of Exclusions.txt"},
    {"Review", "Kept", "Items kept last run"},
    {"Review", "NotInLastRun", "not in the last run"},
    {"Review", "IgnoredHint",
     "Items you chose to \"Ignore always\" in a review are listed here; Klarvex does not judge "
     "them again. Take one out with Remove to have it judged again from the next run on. There "
     "are none now."},
    {"Review", "KeptOutOne", "item kept out of this run by Exclusions.txt."},
    {"Review", "KeptOut", "items kept out of this run by Exclusions.txt."},
    {"Review", "DefaultValue", "(default)"},
    {"Review", "Description", "Name"},
    {"Review", "CleanWill", "The Clean will"},
    {"Review", "DeleteKey", "delete the key and everything below it"},
    {"Review", "DeleteValue", "delete the value"},
    {"Review", "PointServer", "point the server at"},
    {"Rules", "type not registered", "Type not registered"},
    {"Rules", "class not registered", "Class not registered"},
    {"Rules", "file missing", "File missing"},
    {"Rules", "server file missing", "Server file missing"},
    {"Rules", "server moved", "Server moved"},
    {"Rules", "type library not registered", "Type library not registered"},
    {"Rules", "proxy/stub class not registered", "Proxy/stub class not registered"},
    {"Rules", "empty key", "Empty key"},
    {"Rules", "empty help folder", "Empty help folder"},
    {"Rules", "program missing", "Program missing"},
    {"Rules", "no uninstall command", "No uninstall command"},
    {"Rules", "history list", "History list"},
    {"Rules", "server copy not trusted", "Server copy not trusted"},
    {"Rules", "application missing", "Application missing"},
    {"Rules", "font file missing", "Font file missing"},
    {"Rules", "help file missing", "Help file missing"},
    {"Rules", "cached program missing", "Cached program missing"},
    {"Fix", "Summary", "Summary"},
    {"Fix", "items fixed", "items fixed"},
    {"Fix", "fixed", "fixed"},
    {"Fix", "deleted", "deleted"},
    {"Fix", "32-bit", "32-bit"},
    {"Fix", "found", "found"},
    {"Fix", "problems found", "problems found"},
    {"Fix", "problem found", "problem found"},
    {"Undo", "OpenFolder", "Open folder"},
    {"Undo", "Message1", "Are you sure to apply checked undo ?"},
    {"Undo", "Message2", "undo applyed!"},
    {"Undo", "Message3", "Are you sure to delete checked undo?"},
    {"Undo", "Message4", "undo-files deleted!"},
    {"Undo", "Message5", "Check or select an undo file first."},
    {"Undo", "UserFolderMark", "(your own folder, not imported)"},
    {"Undo", "UserFileRefused",
     "lies in your own folder, where programs without elevation can change it: Klarvex does not "
     "import it with administrator rights. To import it knowingly, open it with the registry "
     "editor, which asks for those rights itself."},
};

std::string Template() {
  const auto path =
      std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "resources" / "English.ini";
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(EnglishIni, EveryTextEqualsItsBuiltInDefault) {
  const std::string ini = Template();
  ASSERT_FALSE(ini.empty());
  for (const Text& text : kTexts) {
    SCOPED_TRACE(std::string(text.section) + "/" + text.key);
    EXPECT_EQ(ProfileString(ini, text.section, text.key, text.builtIn), text.builtIn);
  }
}

TEST(EnglishIni, HoldsEveryKeyButTheTwoWithSeveralDefaults) {
  const std::string ini = Template();
  const std::string absent = "(absent)";
  int present = 0;
  for (const Text& text : kTexts) {
    const bool several = std::string(text.key) == "Item1" || std::string(text.key) == "Item2";
    const bool found = ProfileString(ini, text.section, text.key, absent) != absent;
    EXPECT_EQ(found, !several) << text.section << "/" << text.key;
    present += found ? 1 : 0;
  }
  EXPECT_EQ(present, 89);
}

}  // namespace
