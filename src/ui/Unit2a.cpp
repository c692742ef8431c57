#include "ui/Unit2a.h"

#include "platform/LanguageFile.h"

TForm2a Form2a;

void TForm2a::CreateForm(DialogView& view) {
  view_ = &view;
  view.SetCaption(LanguageText("Messages", "Information", "Information"));
  view.SetButtonCaption(1, LanguageText("Buttons", "Close", "Close"));
}

void TForm2a::Inform(const std::string& message) {
  infoLabel_ = message;
  if (view_ == nullptr) return;
  view_->SetInfoText(message);
  view_->ShowModal();
}

void TForm2a::Button1Click() {
  if (view_ != nullptr) view_->Close();
}
