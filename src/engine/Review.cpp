#include "engine/Review.h"

std::string Review::Identity(const Finding& f) {
  // The same stored item whichever view of the classes root the scan and the Clean reached it by.
  return std::to_string(f.category) + "\n" + f.storedItem + "\n" + f.data;
}

void Review::Begin(const std::vector<Finding>& findings) {
  End();
  for (const Finding& f : findings) {
    items_.push_back({Exclusions::EntryFor(f.root, f.keyPath, f.isValue ? &f.valueName : nullptr)});
    found_.insert(Identity(f));
  }
  active_ = true;
}

void Review::End() {
  items_.clear();
  found_.clear();
  active_ = false;
}

void Review::Tick(size_t finding, bool ticked) {
  std::vector<size_t> changed{finding};
  items_.at(finding).ticked = ticked;
  while (!changed.empty()) {
    const Exclusions::Entry entry = items_[changed.back()].entry;
    changed.pop_back();
    for (size_t i = 0; i < items_.size(); ++i) {
      Item& other = items_[i];
      if (other.ticked == ticked || other.ignored) continue;
      const bool follows =
          ticked ? Exclusions::Covers(other.entry, entry) : Exclusions::Covers(entry, other.entry);
      if (!follows) continue;
      other.ticked = ticked;
      changed.push_back(i);
    }
  }
}

void Review::Ignore(size_t finding) {
  Tick(finding, false);
  // The file's line keeps from now on everything this finding's exclusion keeps.
  const Exclusions::Entry entry = items_.at(finding).entry;
  for (Item& item : items_) {
    if (Exclusions::Covers(entry, item.entry)) item.ignored = true;
  }
}

void Review::KeepUnticked(Exclusions& exclusions) const {
  for (const Item& item : items_) {
    if (!item.ticked) exclusions.KeepForThisRun(item.entry);
  }
}

bool Review::Found(const Finding& finding) const { return found_.contains(Identity(finding)); }
