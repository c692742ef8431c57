#include "ui/InfoDialog.h"

#include "platform/LanguageFile.h"

InfoDialog InfoBox;

void InfoDialog::CreateForm(DialogView& view) {
  view_ = &view;
  view.SetCaption(LanguageText("Messages", "Information", "Information"));
  view.SetButtonCaption(1, LanguageText("Buttons", "Close", "Close"));
}

void InfoDialog::Inform(const std::string& message) {
  infoLabel_ = message;
  if (view_ == nullptr) return;
  view_->SetInfoText(message);
  view_->ShowModal();
}

void InfoDialog::Button1Click() {
  if (view_ != nullptr) view_->Close();
}
