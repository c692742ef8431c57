// A host whose window is a recorder: it keeps what the run showed, answers the Confirmation
// dialog from a script, and lets a test act at a chosen message pump (for example press the
// button, which during a run is the stop request).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/CleanEngine.h"
#include "engine/RunHost.h"

class RecordingHost final : public RunHost {
 public:
  // Called at every pump with the pump's number (from 1).
  std::function<void(int pump)> onPump;
  // Answers given to the Confirmation dialog, in order; 2 (No) when the script runs out.
  std::deque<int> answers;

  int pumps = 0;
  std::string buttonCaption;
  bool closeEnabled = true;
  std::vector<std::string> progressLabels;  // every text shown, in order
  int gaugeShown = 0;
  std::vector<int> gaugeValues;  // every value shown, in order
  bool gaugeVisible = false;
  std::string counterLabels[kCategoryCount] = {"0", "0", "0", "0", "0", "0"};
  bool detailsLinksActive = true;
  std::vector<std::string> questions;
  std::vector<std::string> informations;

  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  void ShowButtonCaption(const std::string& caption) override { buttonCaption = caption; }
  void EnableCloseButton(bool enabled) override { closeEnabled = enabled; }
  void ShowProgressLabel(const std::string& text) override { progressLabels.push_back(text); }
  void ShowGauge(int percent, bool visible) override {
    gaugeShown = percent;
    gaugeValues.push_back(percent);
    gaugeVisible = visible;
  }
  void ShowCounterLabel(int category, const std::string& text) override {
    counterLabels[category - 1] = text;
  }
  void ActivateDetailsLinks(bool active) override { detailsLinksActive = active; }
  int AskConfirmation(const std::string& question) override {
    questions.push_back(question);
    if (answers.empty()) return 2;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowInformation(const std::string& message) override { informations.push_back(message); }
};
