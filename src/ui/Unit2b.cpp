#include "ui/Unit2b.h"

#include "platform/LanguageFile.h"

TForm2b Form2b;

void TForm2b::CreateForm(DialogView& view) {
  view_ = &view;
  view.SetCaption(LanguageText("Messages", "Confirmation", "Confirmation"));
  view.SetButtonCaption(1, LanguageText("Buttons", "Yes", "Yes"));
  view.SetButtonCaption(2, LanguageText("Buttons", "No", "No"));
}

uint8_t TForm2b::Ask(const std::string& question) {
  infoLabel_ = question;
  // No before showing, not only on activation: a dialog that never became active (another
  // program holding the foreground) must not hand back the previous question's Yes.
  Answer = kNo;
  if (view_ == nullptr) return Answer;
  view_->SetInfoText(question);
  view_->ShowModal();
  return Answer;
}

void TForm2b::ActivateForm() { Answer = kNo; }

void TForm2b::Button1Click() {
  Answer = kYes;
  if (view_ != nullptr) view_->Close();
}

void TForm2b::Button2Click() {
  Answer = kNo;
  if (view_ != nullptr) view_->Close();
}
