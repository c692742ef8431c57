#include "engine/HeadlessEngine.h"

void HeadlessEngine::ShowButtonCaption(const std::string& caption) { buttonCaption = caption; }

void HeadlessEngine::EnableCloseButton(bool enabled) { closeEnabled = enabled; }

void HeadlessEngine::ShowProgressLabel(const std::string& text) { progressLabel = text; }

void HeadlessEngine::ShowGauge(int percent, bool visible) {
  gaugePercent = percent;
  gaugeVisible = visible;
}

void HeadlessEngine::ShowCounterLabel(int category, const std::string& text) {
  counterLabels[static_cast<size_t>(category - 1)] = text;
}

void HeadlessEngine::ActivateDetailsLinks(bool active) { detailsLinksActive = active; }

int HeadlessEngine::AskConfirmation(const std::string&) { return 2; }

void HeadlessEngine::ShowInformation(const std::string& message) {
  informations.push_back(message);
}
