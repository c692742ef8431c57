// Whose settings judge an item. An item belongs to the machine (HKLM, the machine's classes) or
// to one user (that user's hive), and only its owner's settings may judge it: an elevated run
// inherits its environment from the user who started it, so a variable that user defines must
// never decide whether a machine-wide entry still works.
#pragma once

#include <map>
#include <string>

#include "engine/Profiles.h"
#include "platform/Types.h"
#include "platform/Variables.h"

// The merged classes root holds both the machine's classes and the user's.
enum class Owner { Machine, User, MergedClasses };

class OwnerContext {
 public:
  Owner owner = Owner::Machine;
  // A user's hive: where the user's keys lie (HKEY_CURRENT_USER for the running user, below
  // HKEY_USERS for another), the SID and the profile folder ("" for the machine).
  UserHive hive;

  // Where a check's key of root lies for this owner: a user's key (root HKEY_CURRENT_USER) in
  // the owner's hive, any other where it is.
  RootKey Root(RootKey root) const { return root == RootKey::CurrentUser ? hive.root : root; }
  std::string Key(RootKey root, const std::string& path) const {
    return root == RootKey::CurrentUser ? hive.base + path : path;
  }

  // text with each %NAME% the owner defines replaced by its value; a name it does not define
  // keeps its percent signs, so that the path it is part of cannot be judged.
  std::string Expand(const std::string& text) const;
  // Sets a variable; its value is expanded first by the variables set so far.
  void Define(const std::string& name, const std::string& value);
  // The value of a variable; "" when the owner does not define it.
  std::string Value(const std::string& name) const;

 private:
  friend OwnerContext ClassesContext(const OwnerContext& machine, const OwnerContext& user);
  std::map<std::string, std::string> variables_;  // by upper-cased name
};

// True when an expanded text still names a variable: a path its owner cannot tell about.
bool HoldsVariable(const std::string& expanded);

// The machine's settings, as Windows builds them for a service: the variables Windows defines
// itself (SystemRoot, ProgramFiles, ProgramData, ...), then the machine's own environment key.
// Nothing of a user's hive.
OwnerContext MachineContext();
// A user's settings, as Windows builds them at logon: the machine's, the user's profile
// variables below the profile folder, then the user's own environment key in the user's hive
// over them (its Path after the machine's).
OwnerContext UserContext(const OwnerContext& machine, const UserHive& user);
// The merged classes root holds the machine's classes and the user's: its items are judged with
// the machine's variables, the user's only where the machine defines none, and the user's Path
// (which holds the machine's first). A user's variable never changes how a machine's class is
// judged.
OwnerContext ClassesContext(const OwnerContext& machine, const OwnerContext& user);

// The context the checks judge their files in while one lives; nested ones restore the outer.
class JudgedBy {
 public:
  explicit JudgedBy(const OwnerContext& context);
  ~JudgedBy();
  JudgedBy(const JudgedBy&) = delete;
  JudgedBy& operator=(const JudgedBy&) = delete;

 private:
  const OwnerContext* outer_;
};

// The context of the check going on; without one, the machine's (read anew each time).
const OwnerContext& JudgingContext();
