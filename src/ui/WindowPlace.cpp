#include "ui/WindowPlace.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/RegistryOps.h"
#include "ui/MainForm.h"

namespace {
// The frame's part that must show for the window to count as on the screen.
constexpr int kVisibleWidth = 100;
constexpr int kVisibleHeight = 24;
}  // namespace

std::string WindowPlaceText(const WindowPlace& p) {
  return std::to_string(p.frame.left) + " " + std::to_string(p.frame.top) + " " +
         std::to_string(p.frame.width) + " " + std::to_string(p.frame.height) + " " +
         (p.maximised ? "1" : "0");
}

std::optional<WindowPlace> ParseWindowPlace(const std::string& text) {
  std::vector<int> numbers;
  const char* at = text.data();
  const char* end = at + text.size();
  while (at < end && numbers.size() < 6) {
    int n = 0;
    const auto [next, error] = std::from_chars(at, end, n);
    if (error != std::errc()) return std::nullopt;
    numbers.push_back(n);
    at = next;
    if (at < end && *at++ != ' ') return std::nullopt;
  }
  if (numbers.size() != 5 || numbers[2] <= 0 || numbers[3] <= 0 || numbers[4] < 0 ||
      numbers[4] > 1) {
    return std::nullopt;
  }
  return WindowPlace{{numbers[0], numbers[1], numbers[2], numbers[3]}, numbers[4] == 1};
}

Bounds OntoWorkArea(Bounds f, const Bounds& work, const Bounds& smallest) {
  f.width = std::clamp(f.width, smallest.width, std::max(smallest.width, work.width));
  f.height = std::clamp(f.height, smallest.height, std::max(smallest.height, work.height));
  const int shownWidth =
      std::min(f.left + f.width, work.left + work.width) - std::max(f.left, work.left);
  const bool titleShown = f.top >= work.top && f.top + kVisibleHeight <= work.top + work.height;
  if (titleShown && shownWidth >= std::min(kVisibleWidth, f.width)) return f;
  return MovedInto(f, work);
}

bool MainForm::RestoreWindowPlace() {
  std::optional<WindowPlace> saved;
  try {
    saved = ParseWindowPlace(ReadStringUpper(RootKey::CurrentUser, kProgramKey, kWindowPlaceValue));
  } catch (const UnreadableText&) {
  }
  if (!saved) return false;
  saved->frame =
      OntoWorkArea(saved->frame, view_.WorkAreaNear(saved->frame), view_.SmallestFrame());
  view_.PlaceWindow(*saved);
  return true;
}

void MainForm::SaveWindowPlace() {
  // Not being able to keep the place must not keep the window from closing.
  try {
    WriteStringValue(RootKey::CurrentUser, kProgramKey, kWindowPlaceValue,
                     WindowPlaceText(view_.Placement()));
  } catch (const RegistryError&) {
  }
}
