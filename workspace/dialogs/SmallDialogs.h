// The small dialogs around the definition: a new group (tvLay6l), the group a copy goes
// to (tvLay7l), the information tree of a workspace (tvLay2m), and the end of a
// preview (tvLayPau).
#pragma once
#include <string>

#include "host/windlg.h"
#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

class tvLay6l : public win::DialogController {
 public:
  explicit tvLay6l(std::u16string name) : m_name(std::move(name)) {}
  void onInitDialog(win::DialogWindow& w) override;
  void onCommand(win::DialogWindow& w, int id) override;
  bool onOK(win::DialogWindow& w) override;
  const std::u16string& name() const { return m_name; }
  bool tied() const { return m_tied; }

 private:
  std::u16string m_name;
  bool m_tied = false;
};

class tvLay7l : public win::DialogController {
 public:
  void onInitDialog(win::DialogWindow& w) override;
  bool onOK(win::DialogWindow& w) override;
  const std::u16string& group() const { return m_group; }

 private:
  std::u16string m_group;
};

class tvLay2m : public win::DialogController {
 public:
  explicit tvLay2m(WorkspaceNode* node) : m_node(node) {}
  void onInitDialog(win::DialogWindow& w) override;

 private:
  WorkspaceNode* m_node;
};

class tvLayPau : public win::DialogController {
 public:
  void onInitDialog(win::DialogWindow& w) override;
};

// A new group for a name not in the tree: the group made (tied to a floor or free), or
// none when the user cancels.
WorkspaceNode* askNewGroup(const std::u16string& name);
// The group a copy goes to; false when cancelled.
bool askCopyTarget(std::u16string& group);
void showInformation(WorkspaceNode* node);
void showPreviewEnd();

}  // namespace qd::workspace
