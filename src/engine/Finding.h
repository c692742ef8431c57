// What a check tells the engine about an item it judged a problem, and what became of the item.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"

// The rule that found an item and the data it judged ("" when the key itself is the problem).
// item names the key judged when it is not the key the repair backs up (a class's server key);
// newPath is where a moved server was found.
struct Rule {
  std::string_view name;
  std::string data;
  std::string item = {};
  std::string newPath = {};
};

enum class Action { Found, Fixed, Deleted, LeftInPlace };

struct Finding {
  int category = 0;
  RootKey root = RootKey::CurrentUser;
  std::string keyPath;  // as the check names it
  bool isValue = false;
  std::string valueName;
  std::string data;
  std::string rule;
  std::string newPath;
  Action action = Action::Found;
  std::string reason;      // why it was left in place
  std::string detail;      // the Details line; empty when it was left in place
  bool viaScript = false;  // removed or rewritten by the import of the deletion script
  // The stored key or value, the same whichever view of the classes root reached it.
  std::string storedItem;
  // What the item calls itself: an uninstall entry's DisplayName, a class's description.
  std::string description;
  // The profile folder's name ("Anna") of the user whose hive below HKEY_USERS holds the item;
  // "" for the machine's items and the running user's.
  std::string profile;
  // Met before in this run through another view of the classes root: it is acted on and named
  // in the Details through this view too, but counted and listed once.
  bool anotherView = false;
};

// "HKEY_CLASSES_ROOT\.xyz" or "HKEY_CURRENT_USER\Software\Run, value \"Tool\"": the form that
// messages, the report and the exclusions file share.
std::string ItemName(const Finding& finding);
