#include "undo/ImportCheck.h"

#include <algorithm>
#include <vector>

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
  std::string path;  // upper-cased for comparisons is done on the fly; spelling kept for names
  std::string name;
  uint32_t type = 0;
  Bytes data;

  bool IsValue() const { return kind == Kind::ValuePresent || kind == Kind::ValueAbsent; }
};

bool SamePath(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

// Whether path names the key `top` or a key below it (names compared without regard to case).
bool AtOrBelow(const std::string& path, const std::string& top) {
  if (top.empty()) return true;
  const std::string p = UpperAscii(path);
  const std::string t = UpperAscii(top);
  return p == t || (p.size() > t.size() && p.compare(0, t.size(), t) == 0 && p[t.size()] == '\\');
}

// What the registry must look like after the script, in the order the script says it.
std::vector<Expectation> Expectations(const ParsedScript& script) {
  using Kind = Expectation::Kind;
  std::vector<Expectation> list;
  const auto drop = [&](auto pred) { std::erase_if(list, pred); };
  for (const ScriptOp& op : script.ops) {
    switch (op.kind) {
      case ScriptOp::Kind::Key:
        // Creating a key brings back the key and every key above it.
        drop([&](const Expectation& e) {
          return e.root == op.root && e.kind == Kind::KeyAbsent && AtOrBelow(op.path, e.path);
        });
        drop([&](const Expectation& e) {
          return e.root == op.root && e.kind == Kind::KeyPresent && SamePath(e.path, op.path);
        });
        list.push_back({Kind::KeyPresent, op.root, op.path, {}, 0, {}});
        break;
      case ScriptOp::Kind::DeleteKey:
        drop([&](const Expectation& e) { return e.root == op.root && AtOrBelow(e.path, op.path); });
        list.push_back({Kind::KeyAbsent, op.root, op.path, {}, 0, {}});
        break;
      case ScriptOp::Kind::SetValue:
      case ScriptOp::Kind::DeleteValue:
        drop([&](const Expectation& e) {
          return e.root == op.root && e.IsValue() && SamePath(e.path, op.path) &&
                 SamePath(e.name, op.name);
        });
        if (op.kind == ScriptOp::Kind::SetValue) {
          list.push_back({Kind::ValuePresent, op.root, op.path, op.name, op.type, op.data});
        } else {
          list.push_back({Kind::ValueAbsent, op.root, op.path, op.name, 0, {}});
        }
        break;
    }
  }
  return list;
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

TextList ItemsNotInEffectOfFile(const std::string& path) {
  Bytes data;
  if (!Files().ReadAll(path, data)) return {};
  const ParsedScript script = ParseScriptFile(data);
  if (script.version != ScriptVersion::Invalid) return ItemsNotInEffect(script);
  // The editor imports nothing from a file whose header it cannot read in that encoding (a
  // UTF-8 file with a byte-order mark): what the text names is then all missing.
  std::u16string text;
  if (!ReadTextFile(path, text)) return {};
  const bool wide = data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF;
  return ItemsNotInEffect(ParseScript(text, wide ? ScriptEncoding::Utf16 : ScriptEncoding::Ansi));
}
