// The main form's window as a recorder: it keeps every control's state, logs what the form did
// in order, and lets a test act at a chosen message pump. Also scripted dialogs for InfoBox and
// ConfirmBox that record their messages and answer from a list.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ConfirmDialog.h"
#include "ui/DialogView.h"
#include "ui/FormView.h"
#include "ui/InfoDialog.h"
#include "ui/Layout.h"

class RecordingView : public FormView {
 public:
  struct Entry {
    std::string name;
    bool ticked = false;
  };

  // Every call, in order: "text CleanButton=Clean", "front Undo", "move 10,20", ...
  std::vector<std::string> log;
  std::map<Ctl, std::string> texts;
  std::map<Ctl, Colour> colours;
  std::map<Ctl, Cursor> cursors;
  std::map<Ctl, bool> enabled;
  std::map<Ctl, bool> shown;
  std::vector<FindingRow> findings;
  int findingSelected = -1;
  std::vector<IgnoredRow> ignored;
  int ignoredSelected = -1;
  // The window's place, one 1280 x 1024 screen with a task bar below, and the smallest frame.
  WindowPlace place{{100, 50, 406, 374}, false};
  Bounds workArea{0, 0, 1280, 994};
  Bounds smallest{0, 0, 406, 374};
  int gauge = 0;
  bool gaugeVisible = false;
  Page front = Page::Start;
  TextList details;
  std::vector<Entry> undoList;
  int selected = -1;
  std::u16string undoText;
  int pumps = 0;
  int closeRequests = 0;
  ScreenMetrics screen{100, 50, 1024, 768, 1024, 406};
  std::function<void(int pump)> onPump;

  void SetText(Ctl c, const std::string& text) override {
    texts[c] = text;
    log.push_back("text " + std::string(ControlName(c)) + "=" + text);
  }
  void SetFontColour(Ctl c, Colour colour) override { colours[c] = colour; }
  void SetCursor(Ctl c, Cursor cursor) override { cursors[c] = cursor; }
  void SetEnabled(Ctl c, bool on) override {
    enabled[c] = on;
    log.push_back(std::string(on ? "enable " : "disable ") + std::string(ControlName(c)));
  }
  void SetVisible(Ctl c, bool on) override { shown[c] = on; }
  void SetFindingsColumns(const std::string&, const std::string&, const std::string&) override {}
  void FindingsListFill(const std::vector<FindingRow>& rows) override {
    findings = rows;
    findingSelected = -1;
  }
  void FindingsListTick(int row, bool on) override {
    findings.at(static_cast<size_t>(row)).ticked = on;
  }
  int FindingsListSelected() override { return findingSelected; }
  void SetIgnoredColumns(const std::string&, const std::string&) override {}
  void IgnoredListFill(const std::vector<IgnoredRow>& rows) override {
    ignored = rows;
    ignoredSelected = -1;
  }
  int IgnoredListSelected() override { return ignoredSelected; }
  void SetGauge(int percent, bool visible) override {
    gauge = percent;
    gaugeVisible = visible;
  }
  void BringToFront(Page page) override {
    front = page;
    log.push_back("front Panel" + std::to_string(static_cast<int>(page) + 1));
  }
  void FillDetails(const TextList& lines) override { details = lines; }
  void UndoListClear() override {
    undoList.clear();
    selected = -1;
  }
  void UndoListAdd(const std::string& name) override { undoList.push_back({name, false}); }
  int UndoListCount() override { return static_cast<int>(undoList.size()); }
  std::string UndoListItem(int i) override { return undoList.at(static_cast<size_t>(i)).name; }
  bool UndoListTicked(int i) override { return undoList.at(static_cast<size_t>(i)).ticked; }
  void UndoListTick(int i, bool on) override { undoList.at(static_cast<size_t>(i)).ticked = on; }
  int UndoListSelected() override { return selected; }
  void UndoListSelect(int i) override { selected = i; }
  void SetUndoText(const std::u16string& text) override { undoText = text; }
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  void RequestClose() override { ++closeRequests; }
  ScreenMetrics Screen() override { return screen; }
  void MoveTo(int left, int top) override {
    log.push_back("move " + std::to_string(left) + "," + std::to_string(top));
  }
  WindowPlace Placement() override { return place; }
  Bounds WorkAreaNear(const Bounds&) override { return workArea; }
  Bounds SmallestFrame() override { return smallest; }
  void PlaceWindow(const WindowPlace& p) override {
    place = p;
    log.push_back("place " + std::to_string(p.frame.left) + "," + std::to_string(p.frame.top));
  }
  void MakeTopmost() override { log.push_back("topmost"); }
  uintptr_t OwnerHandle() override { return 0x1234; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Entry& e : undoList) names.push_back(e.name);
    return names;
  }
};

// A dialog that records each message it shows and presses a button from its script
// (1 or 2; none: it is closed with the close box, which counts as No).
class ScriptedDialog : public DialogView {
 public:
  explicit ScriptedDialog(DialogEvents& events) : events_(events) {}
  std::vector<std::string> shown;
  std::deque<int> presses;
  std::function<void()> whileShown;

  void SetCaption(const std::string&) override {}
  void SetButtonCaption(int, const std::string&) override {}
  void SetInfoText(const std::string& text) override { info_ = text; }
  void ShowModal() override {
    shown.push_back(info_);
    events_.ActivateForm();
    if (whileShown) whileShown();
    if (presses.empty()) return;
    const int button = presses.front();
    presses.pop_front();
    if (button == 1) events_.Button1Click();
    if (button == 2) events_.Button2Click();
  }
  void Close() override {}

 private:
  DialogEvents& events_;
  std::string info_;
};

// Binds InfoBox and ConfirmBox to scripted dialogs for the life of a test.
struct ScriptedDialogs {
  ScriptedDialog information{InfoBox};
  ScriptedDialog confirmation{ConfirmBox};
  ScriptedDialogs() {
    InfoBox.CreateForm(information);
    ConfirmBox.CreateForm(confirmation);
  }
  ~ScriptedDialogs() {
    // Later tests must not reach these dead windows through the process-wide dialogs.
    static ScriptedDialog idleA{InfoBox};
    static ScriptedDialog idleB{ConfirmBox};
    InfoBox.CreateForm(idleA);
    ConfirmBox.CreateForm(idleB);
  }
};
