// The registry in memory, behaving as Windows does where the program can tell: names match
// without regard to case and keep their spelling, subkeys enumerate in sorted order, values in
// creation order, HKEY_CLASSES_ROOT merges HKCU\Software\Classes over HKLM\SOFTWARE\Classes.
// Where Classes\Wow6432Node exists (64-bit Windows), it is the 32-bit programs' copy of the
// redirected class keys (CLSID, Interface...) and reaches the shared ones (TypeLib, extensions,
// program identifiers) in Classes itself; HKLM\SOFTWARE\Wow6432Node holds the 32-bit copy of the
// rest of SOFTWARE as ordinary keys.
// Names and text data are held in UTF-16, as Windows stores them, so a test can stage text that
// the code page cannot hold; the single-byte calls convert through the simulated code page.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"
#include "platform/sim/SimCodePage.h"

namespace status {
inline constexpr long kBadPathName = 161;
inline constexpr long kKeyDeleted = 1018;
}  // namespace status

struct SimValue {
  std::u16string name;
  uint32_t type = regtype::kNone;
  Bytes data;  // as stored: text types in UTF-16LE
};

// One call about to change or read the registry, offered to SimRegistry::failWhen.
struct SimRegCall {
  std::string call;     // "Open", "Create", "QueryValue", "SetValue", "DeleteValue", "DeleteTree"
  std::string key;      // "HKEY_CURRENT_USER\Software\X" (root by its long name, as addressed)
  std::string value;    // the value name, for value calls
  uint32_t access = 0;  // the access asked for, for Open and Create
};

class SimRegistry : public RegistryApi {
 public:
  explicit SimRegistry(SimCodePage& codePage);
  ~SimRegistry() override;

  long Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Create(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Close(RegHandle key) override;
  long QueryInfo(RegHandle key, RegKeyInfo& info) override;
  long EnumKey(RegHandle key, uint32_t index, std::string& name) override;
  long EnumValue(RegHandle key, uint32_t index, std::string& name) override;
  long QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) override;
  long QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type, Bytes& data) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const Bytes& data) override;
  long SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                 const Bytes& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteTree(RegHandle parent, const std::string& path) override;
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;

  // The running user's SID: HKEY_USERS\<it> is HKEY_CURRENT_USER and HKEY_USERS\<it>_Classes
  // its Software\Classes, as on Windows. "" while no test names one.
  std::string currentUserSid;
  // A user's hive file on disk, not loaded: the tree staged at HKEY_USERS\name moves to file,
  // from where LoadHive brings it back under any name.
  void SaveHiveFile(const std::string& name, const std::string& file);

  // --- Staging for tests (bypass access marks and injected failures). Paths have no leading
  // backslash requirement; through ClassesRoot they land where a write through it would.
  void StageKey(RootKey root, const std::string& path);
  void StageKeyWide(RootKey root, const std::u16string& path);
  void StageValue(RootKey root, const std::string& path, const std::string& name, uint32_t type,
                  const Bytes& data);
  // data as the single-byte calls take it (text types converted through the code page).
  void StageValueWide(RootKey root, const std::u16string& path, const std::u16string& name,
                      uint32_t type, const Bytes& data);
  // data exactly as stored (text types in UTF-16LE), as RegSetValueExW takes it.
  void StageStoredValue(RootKey root, const std::u16string& path, const std::u16string& name,
                        uint32_t type, const Bytes& data);
  // A string value holding text, with its terminating NUL, whatever characters it has.
  void StageWideString(RootKey root, const std::u16string& path, const std::u16string& name,
                       const std::u16string& text, uint32_t type = regtype::kSz);
  // REG_SZ (or another string type) with its terminating NUL.
  void StageString(RootKey root, const std::string& path, const std::string& name,
                   const std::string& text, uint32_t type = regtype::kSz);
  void StageDword(RootKey root, const std::string& path, const std::string& name, uint32_t value);
  // Readable but not changeable: full-access opens and writes fail with 5 (key deletion does not).
  void SetReadOnly(RootKey root, const std::string& path, bool readOnly = true);

  // --- Inspection.
  bool HasKey(RootKey root, const std::string& path) const;
  // The value as the single-byte calls see it (text types converted to the code page).
  std::optional<SimValue> GetValue(RootKey root, const std::string& path,
                                   const std::string& name) const;
  // The value exactly as stored.
  std::optional<SimValue> GetStoredValue(RootKey root, const std::u16string& path,
                                         const std::u16string& name) const;
  // The tree below root\path as text, one "[key]" line per key and one "name"=type:hex line per
  // value (the stored bytes), subkeys sorted and values in stored order: for whole-state
  // comparisons.
  std::string Dump(RootKey root, const std::string& path) const;
  size_t OpenHandleCount() const { return handles_.size(); }

  // --- Failure injection.
  // Asked before each call named in SimRegCall; a non-zero answer is returned instead.
  std::function<long(const SimRegCall&)> failWhen;
  // Writes (SetValue, DeleteValue, Create of a new key, DeleteTree) at or below this key fail
  // with the given status.
  void FailWritesBelow(RootKey root, const std::string& path, long status = status::kAccessDenied);

  struct Node;

 private:
  using Path = std::vector<std::u16string>;
  struct Handle {
    RootKey root;
    Path path;
    uint32_t access;
  };
  struct Location {
    RootKey root;  // CurrentUser, LocalMachine or Users
    Path path;
  };

  std::vector<Location> Locations(RootKey root, const Path& path) const;
  Location Physical(Location location) const;
  std::vector<Node*> Resolve(RootKey root, const Path& path) const;
  Node* Walk(const Location& location) const;
  Node* MakeNodes(const Location& location, bool honourMarks, long& status);
  Location WriteTarget(RootKey root, const Path& path) const;
  const Handle* Find(RegHandle key) const;
  long Target(RegHandle key, uint32_t right, RootKey& root, Path& path) const;
  long NodeToChange(RegHandle key, const char* call, const std::string& name, Node*& node);
  long Resolve(RegHandle parent, const std::string& path, RootKey& root, Path& full) const;
  long Injected(const std::string& call, RootKey root, const Path& path, const std::string& value,
                uint32_t access = 0) const;
  long WriteBlocked(RootKey root, const Path& path) const;
  std::vector<const SimValue*> MergedValues(const std::vector<Node*>& nodes) const;
  std::vector<const Node*> MergedChildren(const std::vector<Node*>& nodes) const;
  RegHandle NewHandle(RootKey root, Path path, uint32_t access);
  void DumpNode(const Node& node, const std::string& name, std::string& out) const;
  std::u16string Wide(const std::string& ansi) const { return codePage_.ToWide(ansi); }
  std::string Narrow(const std::u16string& wide) const;
  std::string JoinNarrow(RootKey root, const Path& path) const;
  // Text data between the stored form and the single-byte calls' form.
  Bytes StoredForm(uint32_t type, const Bytes& ansi) const;
  Bytes AnsiForm(uint32_t type, const Bytes& stored) const;
  long SetStored(RegHandle key, const std::string& call, const std::u16string& name, uint32_t type,
                 Bytes data);
  long QueryStored(RegHandle key, const std::u16string& name, uint32_t& type, Bytes& data) const;
  void Stage(RootKey root, const std::u16string& path, const std::u16string& name, uint32_t type,
             Bytes data);

  SimCodePage& codePage_;

  std::unique_ptr<Node> currentUser_;
  std::unique_ptr<Node> localMachine_;
  std::unique_ptr<Node> users_;
  // The hives saved to files, by folded file name; null while loaded.
  std::map<std::u16string, std::unique_ptr<Node>> hiveFiles_;
  // The file each loaded hive came from, by its folded name below HKEY_USERS.
  std::map<std::u16string, std::u16string> loadedFrom_;
  Node* RootNode(RootKey root) const;
  std::map<RegHandle, Handle> handles_;
  RegHandle nextHandle_ = 0x1000;
  std::vector<std::pair<Location, long>> failingWrites_;
};
