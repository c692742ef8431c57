#include "engine/ReviewRows.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "platform/LanguageFile.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"

namespace {

constexpr std::string_view kEllipsis = "...";
// A description is a name, not a text to read whole in a row.
constexpr size_t kDescriptionRoom = 60;
// Where an item lives keeps at least this much of its path however long its name.
constexpr size_t kLeastWhere = 24;

std::vector<std::string> PartsOf(const std::string& keyPath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find('\\', start);
    if (end == std::string::npos) end = keyPath.size();
    if (end > start) parts.push_back(keyPath.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& parts, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to && i < parts.size(); ++i)
    text += (text.empty() ? "" : "\\") + parts[i];
  return text;
}

bool Named(const std::string& part, std::string_view name) { return UpperAscii(part) == name; }

// A key of the classes and the first key below that is the item's own: an extension or program
// identifier at the top, a class, interface or type library by its GUID; an uninstall entry;
// else the item's own key. Returns the index of that key's part.
struct Anchor {
  size_t index;
  const char* descriptionValue;  // nullptr: none to read
};

Anchor AnchorOf(RootKey root, const std::vector<std::string>& parts) {
  const size_t last = parts.empty() ? 0 : parts.size() - 1;
  size_t base = parts.size();
  if (root == RootKey::ClassesRoot) {
    base = 0;
  } else if (parts.size() > 2 && Named(parts[0], "SOFTWARE") && Named(parts[1], "CLASSES")) {
    base = 2;
  }
  if (base < parts.size()) {
    if (Named(parts[base], "WOW6432NODE") && base < last) ++base;
    for (std::string_view holder : {"CLSID", "INTERFACE", "TYPELIB"}) {
      if (Named(parts[base], holder) && base < last) return {base + 1, ""};
    }
    // An extension's default value is the type it names: the data, not a description.
    return {base, parts[base].starts_with('.') ? nullptr : ""};
  }
  for (size_t i = 0; i < last; ++i) {
    if (Named(parts[i], "UNINSTALL")) return {i + 1, "DisplayName"};
  }
  return {last, nullptr};
}

std::string ReviewText(const char* key, const char* text) {
  return LanguageText("Review", key, text);
}

}  // namespace

std::string ItemDescription(RootKey root, const std::string& keyPath) {
  const std::vector<std::string> parts = PartsOf(keyPath);
  if (parts.empty()) return {};
  const Anchor anchor = AnchorOf(root, parts);
  if (!anchor.descriptionValue) return {};
  try {
    std::string text =
        ReadString(root, "\\" + Joined(parts, 0, anchor.index + 1), anchor.descriptionValue);
    // One line in a row: a break or tab inside would be shown as a box or break the row.
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return text;
  } catch (const UnreadableText&) {
    return {};
  }
}

std::string ShortenMiddle(const std::string& text, size_t maxLength) {
  if (text.size() <= maxLength) return text;
  if (maxLength <= kEllipsis.size()) return std::string(kEllipsis.substr(0, maxLength));
  const size_t keep = maxLength - kEllipsis.size();
  size_t head = keep / 2;
  size_t tail = text.size() - (keep - head);
  // A UTF-8 continuation byte (10xxxxxx) never begins or ends a kept part.
  auto inside = [&](size_t at) { return at < text.size() && (text[at] & 0xC0) == 0x80; };
  while (head > 0 && inside(head)) --head;
  while (inside(tail)) ++tail;
  return text.substr(0, head) + std::string(kEllipsis) + text.substr(tail);
}

std::string ProblemText(const std::string& rule) {
  std::string words = rule;
  if (!words.empty() && words[0] >= 'a' && words[0] <= 'z') words[0] = char(words[0] - 'a' + 'A');
  return LanguageText("Rules", rule, words);
}

std::string ReviewItemText(const Finding& f, size_t maxLength) {
  const std::vector<std::string> parts = PartsOf(f.keyPath);
  std::string name;
  std::string where;
  if (f.isValue) {
    name =
        f.valueName.empty() ? ReviewText("DefaultValue", "(default)") : "\"" + f.valueName + "\"";
    where = KeyDisplayName(f.root, f.keyPath);
  } else {
    const size_t anchor = parts.empty() ? 0 : AnchorOf(f.root, parts).index;
    name = Joined(parts, anchor, parts.size());
    where = KeyDisplayName(f.root, Joined(parts, 0, anchor));
  }
  if (!f.description.empty()) name += " (" + ShortenMiddle(f.description, kDescriptionRoom) + ")";
  if (!f.profile.empty()) name += " [" + f.profile + "]";
  name += " - ";
  const size_t room = maxLength > name.size() + kLeastWhere ? maxLength - name.size() : kLeastWhere;
  return name + ShortenMiddle(where, room);
}

std::string ReviewDataText(const Finding& f) {
  return f.newPath.empty() ? f.data : f.data + " -> " + f.newPath;
}

std::string ReviewDetailsText(const Finding& f) {
  std::string deed;
  if (!f.newPath.empty()) {
    deed = ReviewText("PointServer", "point the server at") + " " + f.newPath;
  } else if (f.isValue) {
    deed = ReviewText("DeleteValue", "delete the value");
  } else {
    deed = ReviewText("DeleteKey", "delete the key and everything below it");
  }
  std::string text = ReviewText("Problem", "Problem") + ": " + ProblemText(f.rule) + "\r\n" +
                     ReviewText("Item", "Item") + ": " + ItemName(f) + "\r\n";
  if (!f.profile.empty()) text += ReviewText("User", "User") + ": " + f.profile + "\r\n";
  if (!f.description.empty()) {
    text += ReviewText("Description", "Name") + ": " + f.description + "\r\n";
  }
  text += ReviewText("Data", "Data") + ": " + ReviewDataText(f) + "\r\n" +
          ReviewText("CleanWill", "The Clean will") + ": " + deed + ".";
  return text;
}
