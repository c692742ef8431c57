#include "undo/ImportCheck.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "undo/UndoJournal.h"

namespace {

struct Expectation {
  enum class Kind { KeyPresent, KeyAbsent, ValuePresent, ValueAbsent };
  Kind kind;
  RootKey root;
  std::string path;  // spelling kept for the names shown
  std::string name;
  uint32_t type = 0;
  Bytes data;
  size_t order = 0;  // when the script last said it

  bool IsValue() const { return kind == Kind::ValuePresent || kind == Kind::ValueAbsent; }
};

// The expectations by key: root, upper-cased path, then NUL and "K" for the key itself or "V"
// and the upper-cased name for a value. A key's values and its subkeys then lie in two ranges
// of the map, so a deletion of a tree drops what lay below it without a scan of the rest.
class ExpectationMap {
 public:
  void Key(const ScriptOp& op) {
    // Creating a key brings back the key and every key above it.
    const std::string path = Slot(op.root, op.path);
    for (size_t at = path.size(); at != std::string::npos && at > 1;
         at = at > 0 ? path.rfind('\\', at - 1) : std::string::npos) {
      auto it = map_.find(path.substr(0, at) + std::string(1, '\0') + "K");
      if (it != map_.end() && it->second.kind == Expectation::Kind::KeyAbsent) map_.erase(it);
    }
    Put(path + std::string(1, '\0') + "K",
        {Expectation::Kind::KeyPresent, op.root, op.path, {}, 0, {}, 0});
  }
  void DeleteKey(const ScriptOp& op) {
    const std::string path = Slot(op.root, op.path);
    Drop(path + std::string(1, '\0'), path + std::string(1, '\1'));
    Drop(path + "\\", path + "]");  // ']' follows '\' in ASCII
    Put(path + std::string(1, '\0') + "K",
        {Expectation::Kind::KeyAbsent, op.root, op.path, {}, 0, {}, 0});
  }
  void Value(const ScriptOp& op) {
    const bool set = op.kind == ScriptOp::Kind::SetValue;
    Put(Slot(op.root, op.path) + std::string(1, '\0') + "V" + UpperAscii(op.name),
        {set ? Expectation::Kind::ValuePresent : Expectation::Kind::ValueAbsent, op.root, op.path,
         op.name, set ? op.type : 0, set ? op.data : Bytes{}, 0});
  }
  // In the order the script last named them.
  std::vector<Expectation> InOrder() && {
    std::vector<Expectation> list;
    list.reserve(map_.size());
    for (auto& [slot, e] : map_) list.push_back(std::move(e));
    std::sort(list.begin(), list.end(),
              [](const Expectation& a, const Expectation& b) { return a.order < b.order; });
    return list;
  }

 private:
  static std::string Slot(RootKey root, const std::string& path) {
    return std::to_string(static_cast<uint32_t>(root)) + ":" + UpperAscii(path);
  }
  void Put(const std::string& slot, Expectation e) {
    e.order = next_++;
    map_.insert_or_assign(slot, std::move(e));
  }
  void Drop(const std::string& from, const std::string& to) {
    map_.erase(map_.lower_bound(from), map_.lower_bound(to));
  }

  std::map<std::string, Expectation> map_;
  size_t next_ = 0;
};

// What the registry must look like after the script: later lines win over earlier ones.
std::vector<Expectation> Expectations(const ParsedScript& script) {
  ExpectationMap map;
  for (const ScriptOp& op : script.ops) {
    switch (op.kind) {
      case ScriptOp::Kind::Key:
        map.Key(op);
        break;
      case ScriptOp::Kind::DeleteKey:
        map.DeleteKey(op);
        break;
      case ScriptOp::Kind::SetValue:
      case ScriptOp::Kind::DeleteValue:
        map.Value(op);
        break;
    }
  }
  return std::move(map).InOrder();
}

std::string ItemName(const Expectation& e) {
  return e.IsValue() ? ValueDisplayName(e.root, e.path, e.name) : KeyDisplayName(e.root, e.path);
}

bool InEffect(const Expectation& e) {
  using Kind = Expectation::Kind;
  RegistryApi& registry = Registry();
  RegHandle key = 0;
  const long opened = registry.Open(RootHandle(e.root), e.path, keyaccess::kRead, key);
  if (opened != status::kSuccess) {
    // Only a key that is not there is gone; one that cannot be read may still hold everything.
    return (e.kind == Kind::KeyAbsent || e.kind == Kind::ValueAbsent) &&
           opened == status::kFileNotFound;
  }
  uint32_t type = 0;
  Bytes data;
  // Read as stored: a restore that came back through the code page ('?' for what it cannot
  // hold) is not the value the script holds.
  const long queried =
      e.IsValue() ? registry.QueryValueW(key, Ansi().ToWide(e.name), type, data) : 0;
  registry.Close(key);
  switch (e.kind) {
    case Kind::KeyPresent:
      return true;
    case Kind::KeyAbsent:
      return false;
    case Kind::ValuePresent:
      return queried == status::kSuccess && type == e.type && data == e.data;
    case Kind::ValueAbsent:
      return queried == status::kFileNotFound;
  }
  return false;
}

}  // namespace

TextList ItemsNotInEffect(const ParsedScript& script) {
  TextList missed;
  if (script.version == ScriptVersion::Invalid) return missed;
  for (const Expectation& e : Expectations(script)) {
    if (!InEffect(e)) missed.push_back(ItemName(e));
  }
  return missed;
}

TextList ItemsNotInEffectOfScript(const Bytes& data) {
  const ParsedScript script = ParseScriptFile(data);
  if (script.version != ScriptVersion::Invalid) return ItemsNotInEffect(script);
  // The editor imports nothing from a file whose header it cannot read in that encoding (a
  // UTF-8 file with a byte-order mark): what the text names is then all missing.
  const bool wide = data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF;
  return ItemsNotInEffect(
      ParseScript(DecodeText(data), wide ? ScriptEncoding::Utf16 : ScriptEncoding::Ansi));
}

TextList ItemsNotInEffectOfFile(const std::string& path) {
  Bytes data;
  if (ReadOwnFile(path, data) != status::kSuccess) return {};
  return ItemsNotInEffectOfScript(data);
}
