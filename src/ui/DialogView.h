// The seam between the portable dialogs (InfoDialog, ConfirmDialog) and a real window or a test
// fake.
#pragma once

#include <string>

// What a dialog window reports to its form.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // Each time the dialog becomes the active window.
  virtual void ActivateForm() {}
  virtual void Button1Click() = 0;
  virtual void Button2Click() {}
};

// One modal dialog window: a caption, an InfoLabel and one or two buttons.
class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  // button is 1 or 2, in tab order.
  virtual void SetButtonCaption(int button, const std::string& text) = 0;
  virtual void SetInfoText(const std::string& text) = 0;
  // Shows the dialog modally over its owner and returns once it is closed.
  virtual void ShowModal() = 0;
  // Ends the modal showing (a no-op when not shown).
  virtual void Close() = 0;
};
