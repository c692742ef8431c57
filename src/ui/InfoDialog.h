// The Information dialog: a message and a Close button.
#pragma once

#include <string>

#include "ui/DialogView.h"

class InfoDialog : public DialogEvents {
 public:
  // Binds the window and sets its captions from the language file.
  void CreateForm(DialogView& view);
  // Unbinds the window before it is destroyed.
  void DestroyForm() { view_ = nullptr; }
  // Shows the message modally; returns when the dialog is closed. Without a window, nothing.
  void Inform(const std::string& message);

  void Button1Click() override;

  const std::string& InfoLabel() const { return infoLabel_; }

 private:
  DialogView* view_ = nullptr;
  std::string infoLabel_;
};

// The process-wide Information dialog, created after the main window.
extern InfoDialog InfoBox;
