// The host of a run with no window: for runs driven by a program or a test rather than a
// person. Nothing is pumped, a stop is never confirmed, and what a window would show is kept as
// text.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/CleanEngine.h"
#include "engine/RunHost.h"

class HeadlessHost : public RunHost {
 public:
  virtual ~HeadlessHost() = default;
  // What the window would show now.
  std::string buttonCaption;
  bool closeEnabled = true;
  std::string progressLabel;
  int gaugePercent = 0;
  bool gaugeVisible = false;
  std::array<std::string, kCategoryCount> counterLabels{"0", "0", "0", "0", "0", "0"};
  bool detailsLinksActive = true;
  // Every message the Information dialog would have shown, in order.
  std::vector<std::string> informations;

  void PumpMessages() override {}
  void ShowButtonCaption(const std::string& caption) override;
  void EnableCloseButton(bool enabled) override;
  void ShowProgressLabel(const std::string& text) override;
  void ShowGauge(int percent, bool visible) override;
  void ShowCounterLabel(int category, const std::string& text) override;
  void ActivateDetailsLinks(bool active) override;
  // No one is there to confirm a stop: the answer is always No.
  int AskConfirmation(const std::string& question) override;
  void ShowInformation(const std::string& message) override;
};
