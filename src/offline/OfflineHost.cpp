#include "offline/OfflineHost.h"

#include <cstdio>

void OfflineHost::ShowProgressLabel(const std::string& text) {
  HeadlessHost::ShowProgressLabel(text);
  Draw();
}

void OfflineHost::ShowGauge(int percent, bool visible) {
  HeadlessHost::ShowGauge(percent, visible);
  Draw();
}

void OfflineHost::Draw() {
  if (!showProgress_ || progressLabel.empty()) return;
  const std::string line =
      progressLabel + (gaugeVisible ? " " + std::to_string(gaugePercent) + "%" : "");
  // The gauge moves once per item at most: the terminal is written only when the text changes.
  if (line == drawn_) return;
  drawn_ = line;
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
}

void OfflineHost::EndProgress() {
  if (!showProgress_ || drawn_.empty()) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_.clear();
}
