#include "engine/SystemFileIndex.h"

#include "platform/Platform.h"

void SystemFileIndex::Clear() {
  lines_.clear();
  named_.clear();
  next_.clear();
}

void SystemFileIndex::Add(const std::string& upperName, const std::string& folder) {
  // A name holding "=" is found under the text before it, like the line it makes.
  const size_t equals = upperName.find('=');
  const int number = static_cast<int>(lines_.size());
  const auto [named, added] = named_.try_emplace(
      equals == std::string::npos ? upperName : upperName.substr(0, equals), Named{number, number});
  if (!added) {
    next_[static_cast<size_t>(named->second.last)] = number;
    named->second.last = number;
  }
  next_.push_back(-1);
  std::string line;
  line.reserve(upperName.size() + 1 + folder.size());
  line.append(upperName).append(1, '=').append(folder);
  lines_.push_back(std::move(line));
}

int SystemFileIndex::Find(const std::string& fileName) const {
  // Keys were upper-cased by the same code-page rules, so equal keys mean names equal but for
  // letter case.
  const auto found = named_.find(Ansi().Upper(fileName));
  return found == named_.end() ? -1 : found->second.first;
}

std::string SystemFileIndex::FolderOf(int line) const {
  const std::string& text = lines_.at(static_cast<size_t>(line));
  return text.substr(text.find('=') + 1);
}
