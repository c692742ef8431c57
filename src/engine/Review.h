// A scan's findings as a person reviewed them before the Clean that follows: each one ticked
// (that Clean repairs it) or not (kept for that Clean as an exclusion keeps an item), or ignored
// for good. The Clean judges nothing the scan did not find: what appeared since stays.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/Exclusions.h"
#include "engine/Finding.h"

class Review {
 public:
  // Starts over with a scan's findings, every one ticked.
  void Begin(const std::vector<Finding>& findings);
  // The Clean that followed has used it.
  void End();
  bool Active() const { return active_; }
  size_t Size() const { return items_.size(); }
  bool Ticked(size_t finding) const { return items_.at(finding).ticked; }
  bool Ignored(size_t finding) const { return items_.at(finding).ignored; }
  // Ticks or unticks a finding. An unticked finding keeps every other one that its exclusion
  // keeps (what lies below it, and a key whose removal would take it along), and a ticked
  // one needs every finding ticked whose exclusion would keep it: they follow, so that what the
  // list shows is what the Clean does.
  void Tick(size_t finding, bool ticked);
  // Added to the exclusions file: unticked and no longer offered, with every finding that its
  // exclusion keeps.
  void Ignore(size_t finding);
  // The unticked findings, kept for this run only.
  void KeepUnticked(Exclusions& exclusions) const;
  // Whether the scan found this problem: the same category, item and data.
  bool Found(const Finding& finding) const;

 private:
  struct Item {
    Exclusions::Entry entry;
    bool ticked = true;
    bool ignored = false;
  };
  static std::string Identity(const Finding& finding);

  std::vector<Item> items_;
  std::set<std::string> found_;
  bool active_ = false;
};
