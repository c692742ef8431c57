#include "offline/OfflineEngine.h"

#include <cstdio>

void OfflineEngine::ShowProgressLabel(const std::string& text) {
  HeadlessEngine::ShowProgressLabel(text);
  Draw();
}

void OfflineEngine::ShowGauge(int percent, bool visible) {
  HeadlessEngine::ShowGauge(percent, visible);
  Draw();
}

void OfflineEngine::Draw() {
  if (!showProgress_ || progressLabel.empty()) return;
  const std::string line =
      progressLabel + (gaugeVisible ? " " + std::to_string(gaugePercent) + "%" : "");
  // The gauge moves once per item at most: the terminal is written only when the text changes.
  if (line == drawn_) return;
  drawn_ = line;
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
}

void OfflineEngine::EndProgress() {
  if (!showProgress_ || drawn_.empty()) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_.clear();
}
