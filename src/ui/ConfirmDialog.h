// The Confirmation dialog: a question with Yes and No; the choice is left in Answer.
#pragma once

#include <cstdint>
#include <string>

#include "ui/DialogView.h"

class ConfirmDialog : public DialogEvents {
 public:
  static constexpr uint8_t kYes = 1;
  static constexpr uint8_t kNo = 2;

  // Binds the window and sets its captions from the language file.
  void CreateForm(DialogView& view);
  // Unbinds the window before it is destroyed.
  void DestroyForm() { view_ = nullptr; }
  // Shows the question modally and returns Answer once the dialog is closed. Callers treat
  // every value but kNo as Yes. Without a window the answer is No.
  uint8_t Ask(const std::string& question);

  void ActivateForm() override;
  void Button1Click() override;
  void Button2Click() override;

  const std::string& InfoLabel() const { return infoLabel_; }

  uint8_t Answer = kNo;

 private:
  DialogView* view_ = nullptr;
  std::string infoLabel_;
};

// The process-wide Confirmation dialog, created after the main window.
extern ConfirmDialog ConfirmBox;
