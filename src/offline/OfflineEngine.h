// The engine as the offline scan holds it: a headless engine whose progress, when wanted, is
// one line on standard error that rewrites itself.
#pragma once

#include "engine/HeadlessEngine.h"

class OfflineEngine : public HeadlessEngine {
 public:
  explicit OfflineEngine(bool showProgress) : showProgress_(showProgress) {}
  // Clears the progress line once the run is over.
  void EndProgress();

 protected:
  void ShowProgressLabel(const std::string& text) override;
  void ShowGauge(int percent, bool visible) override;

 private:
  void Draw();

  bool showProgress_;
  std::string drawn_;
};
