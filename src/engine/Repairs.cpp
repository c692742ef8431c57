// The steps every check loop shares: the per-item step, the gauge rule, and the recording of a
// repair in its four steps.
#include <algorithm>
#include <cmath>

#include "engine/CleanEngine.h"
#include "platform/Roots.h"
#include "undo/UndoJournal.h"

bool CleanEngine::BeginItem() {
  PumpMessages();
  if (!Running) indexBuild_.RequestStop();
  return Running;
}

void CleanEngine::GaugeAdd(int delta) {
  const int value = std::clamp(gauge_ + delta, 0, 100);
  if (value == gauge_) return;
  gauge_ = value;
  ShowGauge(gauge_, gaugeVisible_);
}

void CleanEngine::StepProgress(int i, int n) {
  if (n <= 0) return;
  // Rounded to the nearest integer, halves to the even neighbour (the default rounding mode).
  const int p = static_cast<int>(std::nearbyint(static_cast<double>(i) / n * 100.0));
  if (p != gauge_) GaugeAdd(1);
}

bool CleanEngine::RepairKey(int category, RootKey root, const std::string& backupPath,
                            std::initializer_list<std::string> scriptLines,
                            const std::string& detail) {
  if (!BackupKey(root, backupPath)) return LeftInPlace(KeyDisplayName(root, backupPath));
  FixScript.insert(FixScript.end(), scriptLines);
  Record(category, detail);
  return true;
}

bool CleanEngine::RepairValue(int category, RootKey root, const std::string& keyPath,
                              const std::string& name,
                              std::initializer_list<std::string> scriptLines,
                              const std::string& detail) {
  if (!BackupValue(root, keyPath, name)) {
    return LeftInPlace(ValueDisplayName(root, keyPath, name));
  }
  FixScript.insert(FixScript.end(), scriptLines);
  Record(category, detail);
  return true;
}

bool CleanEngine::LeftInPlace(const std::string& item) {
  leftWithoutBackup_.push_back(item);
  return false;
}

void CleanEngine::Record(int category, const std::string& detail) {
  ++CategoryCount(category);
  CategoryLog(category).push_back(detail);
}
