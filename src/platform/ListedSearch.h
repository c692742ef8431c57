// A find-first/find-next enumeration over entries found beforehand, for backends that list a
// whole folder at once.
#pragma once

#include <utility>
#include <vector>

#include "platform/FileApi.h"

class ListedSearch : public FileSearch {
 public:
  explicit ListedSearch(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
  bool Next(FindEntry& entry) override {
    if (next_ >= entries_.size()) return false;
    entry = entries_[next_++];
    return true;
  }

 private:
  std::vector<FindEntry> entries_;
  size_t next_ = 0;
};
