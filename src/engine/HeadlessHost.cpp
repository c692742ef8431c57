#include "engine/HeadlessHost.h"

void HeadlessHost::ShowButtonCaption(const std::string& caption) { buttonCaption = caption; }

void HeadlessHost::EnableCloseButton(bool enabled) { closeEnabled = enabled; }

void HeadlessHost::ShowProgressLabel(const std::string& text) { progressLabel = text; }

void HeadlessHost::ShowGauge(int percent, bool visible) {
  gaugePercent = percent;
  gaugeVisible = visible;
}

void HeadlessHost::ShowCounterLabel(int category, const std::string& text) {
  counterLabels[static_cast<size_t>(category - 1)] = text;
}

void HeadlessHost::ActivateDetailsLinks(bool active) { detailsLinksActive = active; }

int HeadlessHost::AskConfirmation(const std::string&) { return 2; }

void HeadlessHost::ShowInformation(const std::string& message) { informations.push_back(message); }
