// The dialogs' behaviour over a recording window: captions from the language file, Answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/LanguageFile.h"
#include "support/SimFixture.h"
#include "ui/ConfirmDialog.h"
#include "ui/InfoDialog.h"

namespace {

// How the user ends a showing.
enum class Reaction { Button1, Button2, CloseBox };

// A window that records what the form sets and answers each showing with the next reaction.
class ScriptedDialog : public DialogView {
 public:
  explicit ScriptedDialog(DialogEvents& events) : events_(events) {}

  void SetCaption(const std::string& text) override { caption = text; }
  void SetButtonCaption(int button, const std::string& text) override {
    buttons.resize(std::max<size_t>(buttons.size(), static_cast<size_t>(button)));
    buttons[static_cast<size_t>(button) - 1] = text;
  }
  void SetInfoText(const std::string& text) override { info = text; }
  void ShowModal() override {
    shown.push_back(info);
    open = true;
    if (activates) events_.ActivateForm();
    const Reaction reaction = reactions.at(shown.size() - 1);
    if (reaction == Reaction::Button1) events_.Button1Click();
    if (reaction == Reaction::Button2) events_.Button2Click();
    if (reaction == Reaction::CloseBox) Close();
    // A modal showing only returns once the dialog is closed.
    EXPECT_FALSE(open) << "the dialog was left open";
  }
  void Close() override { open = false; }

  std::string caption;
  std::vector<std::string> buttons;
  std::string info;
  std::vector<std::string> shown;
  std::vector<Reaction> reactions;
  bool activates = true;
  bool open = false;

 private:
  DialogEvents& events_;
};

class DialogsTest : public SimTest {
 protected:
  void TearDown() override {
    ReleaseLanguageFile();
    SimTest::TearDown();
  }
  const std::string languagePath = "C:\\Program Files\\Klarvex\\English.ini";
};

TEST_F(DialogsTest, CaptionsWithoutALanguageFileAreTheBuiltInOnes) {
  OpenLanguageFile(languagePath);  // opened, but no file beside the program
  InfoDialog information;
  ScriptedDialog infoView(information);
  information.CreateForm(infoView);
  ConfirmDialog confirmation;
  ScriptedDialog confirmView(confirmation);
  confirmation.CreateForm(confirmView);

  EXPECT_EQ(infoView.caption, "Information");
  EXPECT_EQ(infoView.buttons, std::vector<std::string>{"Close"});
  EXPECT_EQ(confirmView.caption, "Confirmation");
  EXPECT_EQ(confirmView.buttons, (std::vector<std::string>{"Yes", "No"}));
}

TEST_F(DialogsTest, CaptionsComeFromTheLanguageFileAtCreationOnly) {
  PutFile(languagePath,
          "[messages]\r\nINFORMATION=Hinweis\r\nConfirmation=Frage\r\n"
          "[Buttons]\r\nClose=Schlie\xDF"
          "en\r\nYes=Ja\r\nNo=\r\n");
  OpenLanguageFile(languagePath);
  InfoDialog information;
  ScriptedDialog infoView(information);
  information.CreateForm(infoView);
  ConfirmDialog confirmation;
  ScriptedDialog confirmView(confirmation);
  confirmation.CreateForm(confirmView);

  EXPECT_EQ(infoView.caption, "Hinweis");
  EXPECT_EQ(infoView.buttons, std::vector<std::string>{"Schlie\xDF"
                                                       "en"});
  EXPECT_EQ(confirmView.caption, "Frage");
  // An empty value is a text of its own, not the default.
  EXPECT_EQ(confirmView.buttons, (std::vector<std::string>{"Ja", ""}));

  // Later changes to the file do not reach a dialog already created.
  PutFile(languagePath, "[Buttons]\r\nYes=Oui\r\n");
  confirmView.reactions = {Reaction::Button1};
  confirmation.Ask("?");
  EXPECT_EQ(confirmView.buttons, (std::vector<std::string>{"Ja", ""}));
}

TEST_F(DialogsTest, AnswerFollowsHowTheConfirmationWasClosed) {
  struct Case {
    const char* name;
    bool activates;
    std::vector<Reaction> reactions;
    std::vector<int> answers;
  };
  const Case cases[] = {
      {"yes", true, {Reaction::Button1}, {1}},
      {"no", true, {Reaction::Button2}, {2}},
      {"close box", true, {Reaction::CloseBox}, {2}},
      {"close box after a yes", true, {Reaction::Button1, Reaction::CloseBox}, {1, 2}},
      {"no after a yes",
       true,
       {Reaction::Button1, Reaction::Button2, Reaction::Button1},
       {1, 2, 1}},
      // Shown without becoming active (another program in front): still no stale Yes.
      {"never activated", false, {Reaction::Button1, Reaction::CloseBox}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfirmDialog confirmation;
    ScriptedDialog view(confirmation);
    view.activates = c.activates;
    view.reactions = c.reactions;
    confirmation.CreateForm(view);
    std::vector<int> answers;
    for (size_t i = 0; i < c.reactions.size(); ++i) {
      const int answer = confirmation.Ask("Question " + std::to_string(i));
      EXPECT_EQ(answer, confirmation.Answer);
      answers.push_back(answer);
    }
    EXPECT_EQ(answers, c.answers);
    EXPECT_EQ(view.shown.size(), c.reactions.size());
  }
}

TEST_F(DialogsTest, EachShowingCarriesTheCallersTextAndEndsClosed) {
  InfoDialog information;
  ScriptedDialog view(information);
  view.reactions = {Reaction::Button1, Reaction::CloseBox};
  information.CreateForm(view);
  information.Inform("You have nothing to view!");
  information.Inform("3 undo applyed!");
  EXPECT_EQ(view.shown, (std::vector<std::string>{"You have nothing to view!", "3 undo applyed!"}));
  EXPECT_EQ(information.InfoLabel(), "3 undo applyed!");
}

TEST_F(DialogsTest, WithoutAWindowNothingIsShownAndTheAnswerIsNo) {
  ConfirmDialog confirmation;
  confirmation.Answer = ConfirmDialog::kYes;
  EXPECT_EQ(confirmation.Ask("Cancel operation?"), ConfirmDialog::kNo);
  InfoDialog information;
  information.Inform("nothing happens");
  EXPECT_EQ(information.InfoLabel(), "nothing happens");
}

}  // namespace
