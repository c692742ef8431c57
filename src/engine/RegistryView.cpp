#include "engine/RegistryView.h"

#include "platform/LanguageFile.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"

namespace {
constexpr std::string_view kSoftware = "\\SOFTWARE";
}  // namespace

std::string RegistryView::KeyPath(RootKey root, const std::string& path) const {
  if (node.empty()) return path;
  const std::string inserted = "\\" + std::string(node);
  if (root == RootKey::ClassesRoot) {
    return inserted + (path.empty() || path.front() == '\\' ? path : "\\" + path);
  }
  const std::string upper = UpperAscii(path.substr(0, kSoftware.size() + 1));
  if (upper == std::string(kSoftware) + "\\" || upper == kSoftware) {
    return path.substr(0, kSoftware.size()) + inserted + path.substr(kSoftware.size());
  }
  return path;
}

bool RegistryView::ExistsFor(RootKey root) const {
  if (node.empty()) return true;
  return KeyExists(root, KeyPath(root, root == RootKey::ClassesRoot ? "" : std::string(kSoftware)));
}

std::string RegistryView::Tag(RootKey root) const {
  std::string tag(RootTag(root));
  if (!Is32Bit() || tag.empty()) return tag;
  tag.pop_back();
  return tag + " " + LanguageText("Fix", "32-bit", "32-bit") + "]";
}

bool IsViewNode(const std::string& name) { return UpperAscii(name) == "WOW6432NODE"; }
