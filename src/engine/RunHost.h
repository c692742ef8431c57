// What a clean run shows and asks while it goes on. The window, the report run, the offline scan
// and the benchmark each answer it for the engine they hold; no check knows which one it is.
#pragma once

#include <string>

class RunHost {
 public:
  // Lets the host handle what is waiting (a window's messages: a click of Stop among them).
  virtual void PumpMessages() = 0;
  virtual void ShowButtonCaption(const std::string& caption) = 0;
  virtual void EnableCloseButton(bool enabled) = 0;
  virtual void ShowProgressLabel(const std::string& text) = 0;
  virtual void ShowGauge(int percent, bool visible) = 0;
  virtual void ShowCounterLabel(int category, const std::string& text) = 0;
  // Grey with the arrow cursor during a run, black with the hand cursor afterwards.
  virtual void ActivateDetailsLinks(bool active) = 0;
  // The Confirmation dialog: its Answer (1 Yes, 2 No).
  virtual int AskConfirmation(const std::string& question) = 0;
  // The Information dialog.
  virtual void ShowInformation(const std::string& message) = 0;
  // Whether the message a run ends with lists what the exclusions file kept out; a window that
  // says so on its page answers no.
  virtual bool ListsExclusionsKept() const { return true; }

 protected:
  ~RunHost() = default;
};
