#include "ui/ConfirmDialog.h"

#include "platform/LanguageFile.h"

ConfirmDialog ConfirmBox;

void ConfirmDialog::CreateForm(DialogView& view) {
  view_ = &view;
  view.SetCaption(LanguageText("Messages", "Confirmation", "Confirmation"));
  view.SetButtonCaption(1, LanguageText("Buttons", "Yes", "Yes"));
  view.SetButtonCaption(2, LanguageText("Buttons", "No", "No"));
}

uint8_t ConfirmDialog::Ask(const std::string& question) {
  infoLabel_ = question;
  // No before showing, not only on activation: a dialog that never became active (another
  // program holding the foreground) must not hand back the previous question's Yes.
  Answer = kNo;
  if (view_ == nullptr) return Answer;
  view_->SetInfoText(question);
  view_->ShowModal();
  return Answer;
}

void ConfirmDialog::ActivateForm() { Answer = kNo; }

void ConfirmDialog::Button1Click() {
  Answer = kYes;
  if (view_ != nullptr) view_->Close();
}

void ConfirmDialog::Button2Click() {
  Answer = kNo;
  if (view_ != nullptr) view_->Close();
}
