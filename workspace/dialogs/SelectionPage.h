// The workspace selection page (tvLay1t): the tree of groups and their workspaces, what
// the selected one is, and the buttons that change the tree.
#pragma once
#include "host/windlg.h"
#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

class tvLay2t;

class tvLay1t : public win::DialogController {
 public:
  tvLay1t(win::DialogWindow*& main, tvLay2t& options) : m_main(main), m_options(options) {}
  void onInitDialog(win::DialogWindow& w) override;
  void onSelChange(win::DialogWindow& w, int id) override;
  void onCommand(win::DialogWindow& w, int id) override;
  void onKey(win::DialogWindow& w, int id, win::Key key) override;
  void onContextMenu(win::DialogWindow& w, int id) override;
  // Shows the definition dialog again on its draft (after a pick in the drawing).
  void resumeDefinition();

 private:
  void fill(win::DialogWindow& w);
  void choose(win::DialogWindow& w, WorkspaceNode* node);
  void remove(win::DialogWindow& w);
  void move(win::DialogWindow& w, bool up);
  void importTree(win::DialogWindow& w);
  void exportTree();
  void writeMenuFile();
  void define(win::DialogWindow& w, bool edit, bool copy);
  void runDefinition(win::DialogWindow& w);

  win::DialogWindow*& m_main;
  tvLay2t& m_options;
  win::DialogWindow* m_page = nullptr;
};

}  // namespace qd::workspace
