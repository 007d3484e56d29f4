#include "workspace/dialogs/SmallDialogs.h"

#include "host/winlib.h"
#include "workspace/Manager.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {

void tvLay6l::onInitDialog(win::DialogWindow& w) {
  w.setWindowText(text(63));
  captions(w, {{IDC_NG_LABEL, 63}, {IDC_NG_NAME_LABEL, 64}, {IDC_NG_TIED, 65}, {IDOK, 44}, {IDCANCEL, 46}});
  w.setText(IDC_NG_NAME, m_name);
  for (WorkspaceNode* f = state().lists.floors ? state().lists.floors->next : nullptr; f; f = f->next)
    w.addString(IDC_NG_FLOOR, nameOf(f));
  w.enable(IDC_NG_FLOOR, false);
}

void tvLay6l::onCommand(win::DialogWindow& w, int id) {
  if (id == IDC_NG_TIED) w.enable(IDC_NG_FLOOR, w.isChecked(IDC_NG_TIED));
}

bool tvLay6l::onOK(win::DialogWindow& w) {
  m_tied = w.isChecked(IDC_NG_TIED);
  m_name = w.text(IDC_NG_NAME);
  // A group tied to a floor is known by the floor's code, its first two characters.
  if (m_tied) {
    if (w.curSel(IDC_NG_FLOOR) < 0) return false;
    m_name = w.itemText(IDC_NG_FLOOR, w.curSel(IDC_NG_FLOOR));
  }
  if (m_name.find_first_not_of(u' ') == std::u16string::npos) m_name = u"<...>";
  return true;
}

WorkspaceNode* askNewGroup(const std::u16string& name) {
  tvLay6l dialog(name);
  if (win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAY6L, dialog, state().parentWindow) != IDOK) return nullptr;
  WorkspaceNode*& root = state().root;
  WorkspaceNode* group = root ? appendSibling(root, dialog.name()) : (root = create(dialog.name()));
  group->state = dialog.tied() ? kFloorTied : kFree;
  return group;
}

void tvLay7l::onInitDialog(win::DialogWindow& w) {
  w.setWindowText(text(66));
  captions(w, {{IDC_CP_LABEL, 66}, {IDC_CP_WHERE, 67}, {IDOK, 44}, {IDCANCEL, 46}});
  for (WorkspaceNode* g = state().root; g; g = g->next) w.addString(IDC_CP_GROUP, nameOf(g));
  if (WorkspaceNode* selected = groupOf(state().selected))
    for (int i = 0; i < w.count(IDC_CP_GROUP); ++i)
      if (w.itemText(IDC_CP_GROUP, i) == nameOf(selected)) w.setCurSel(IDC_CP_GROUP, i);
}

bool tvLay7l::onOK(win::DialogWindow& w) {
  if (w.curSel(IDC_CP_GROUP) < 0) return false;
  m_group = w.itemText(IDC_CP_GROUP, w.curSel(IDC_CP_GROUP));
  return true;
}

bool askCopyTarget(std::u16string& group) {
  tvLay7l dialog;
  if (win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAY7L, dialog, state().parentWindow) != IDOK) return false;
  group = dialog.group();
  return true;
}

namespace {
void addBranch(win::DialogWindow& w, win::TreeItem parent, WorkspaceNode* first) {
  for (WorkspaceNode* n = first; n; n = n->next) {
    const win::TreeItem item = w.insertItem(IDC_INFO_TREE, parent, nameOf(n), 0, n->level == 0);
    addBranch(w, item, n->firstChild);
  }
}
}  // namespace

void tvLay2m::onInitDialog(win::DialogWindow& w) {
  w.setWindowText(text(53));
  captions(w, {{IDOK, 44}});
  if (!m_node) return;
  // The workspace (or group) with everything under it: description pieces and actions.
  const win::TreeItem top = w.insertItem(IDC_INFO_TREE, 0, nameOf(m_node), 0, m_node->level == 0);
  addBranch(w, top, m_node->firstChild);
}

void showInformation(WorkspaceNode* node) {
  tvLay2m dialog(node);
  win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAY2M, dialog, state().parentWindow);
}

void tvLayPau::onInitDialog(win::DialogWindow& w) {
  w.setWindowText(text(45));
  captions(w, {{IDC_PAUSE_TEXT, 129}, {IDOK, 44}});
}

void showPreviewEnd() {
  tvLayPau dialog;
  win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAYPAU, dialog, state().parentWindow);
}

}  // namespace qd::workspace
