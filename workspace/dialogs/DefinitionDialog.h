// The workspace definition dialog (tvLay1m): group, name and description of a workspace
// and the actions composed for it. When a chooser asks for a pick in the drawing the
// dialog ends with the pick's code and its draft waits for the run loop's answer; the
// main dialog then shows it again.
#pragma once
#include <string>
#include <vector>

#include "host/windlg.h"
#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

struct DefinitionDraft {
  struct Entry {
    std::u16string text;
    int state = 0;  // bit 0: typed freely; 2: a general layer in the construction place
  };
  bool open = false;  // being defined, also while a pick is answered
  int pick = 0;       // the pick code the dialog ended with, until it is shown again
  WorkspaceNode* edited = nullptr;
  bool copy = false;
  std::u16string group, name, description;
  std::vector<Entry> actions;
  int operation = 0;
  std::u16string section = u"?", module = u"?", construction = u"???", floor = u"??", view = u"*", rest, prefix;
  std::u16string freeMask;
  bool free = false, general = false;

  // Starts a draft: empty, of a workspace to edit, or of a copy of one into `group`.
  void start(WorkspaceNode* workspace, bool asCopy, const std::u16string& intoGroup);
  // The mask the composer shows.
  std::u16string mask() const;
  void resetComposer();
};
DefinitionDraft& draft();

class tvLay1m : public win::DialogController {
 public:
  void onInitDialog(win::DialogWindow& w) override;
  void onCommand(win::DialogWindow& w, int id) override;
  void onSelChange(win::DialogWindow& w, int id) override;
  void onKey(win::DialogWindow& w, int id, win::Key key) override;
  bool onOK(win::DialogWindow& w) override;
  bool onCancel(win::DialogWindow& w) override;

 private:
  void showComposer(win::DialogWindow& w);
  void showList(win::DialogWindow& w, int select);
  void readFields(win::DialogWindow& w);
  void target(win::DialogWindow& w, int id);
  void remove(win::DialogWindow& w);
  void move(win::DialogWindow& w, int by);
  void takeBack(win::DialogWindow& w, int at);
  void applyPick();
};

// Shows the definition dialog on its draft: IDOK when the workspace was stored,
// IDCANCEL, or a pick code for the run loop.
int defineWorkspace();

}  // namespace qd::workspace
