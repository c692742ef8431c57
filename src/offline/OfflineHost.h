// The offline scan's host: headless, but for its progress, when wanted, one line on standard
// error that rewrites itself.
#pragma once

#include "engine/HeadlessHost.h"

class OfflineHost final : public HeadlessHost {
 public:
  explicit OfflineHost(bool showProgress) : showProgress_(showProgress) {}
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
