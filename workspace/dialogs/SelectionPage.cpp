#include "workspace/dialogs/SelectionPage.h"

#include <map>

#include "host/winlib.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "workspace/Manager.h"
#include "workspace/MenuWriter.h"
#include "workspace/dialogs/DefinitionDialog.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/SmallDialogs.h"
#include "workspace/dialogs/OptionsPage.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

WorkspaceNode* nodeOf(win::DialogWindow& w) {
  return reinterpret_cast<WorkspaceNode*>(w.treeItemData(IDC_TREE, w.selectedItem(IDC_TREE)));
}

bool tied(WorkspaceNode* node) {
  const WorkspaceNode* group = groupOf(node);
  return group && group->state > 0;
}

constexpr const char16_t* kDefinitionFilter = u"QDSTRAT (*.qdl)|*.qdl|All Files (*.*)|*.*||";

// A file dialog of the manager's files, starting in the drawing's folder.
win::FileDialog fileDialog(const char16_t* extension, const char16_t* filter, int title) {
  win::FileDialog d;
  d.title = text(title);
  d.defaultExtension = extension;
  d.filter = filter;
  d.initialFolder = state().drawingFolder;
  return d;
}

bool askSavePath(const char16_t* extension, const char16_t* filter, int title, std::string& path) {
  win::FileDialog d = fileDialog(extension, filter, title);
  d.overwritePrompt = true;
  if (!win::GetSaveFileNameW(d)) return false;
  path = qd::text::toUtf8(d.file);
  return true;
}

}  // namespace

void tvLay1t::onInitDialog(win::DialogWindow& w) {
  m_page = &w;
  captions(w, {{IDC_NEW, 15}, {IDC_EDIT, 16}, {IDC_COPY, 17}, {IDC_DELETE, 26}, {IDC_UP, 13}, {IDC_DOWN, 14},
               {IDC_IMPORT, 27}, {IDC_EXPORT, 28}, {IDC_MNU, 130}, {IDC_FLOOR, 5}, {IDC_INFO, 53}});
  w.setText(IDC_PATH, u"");
  w.setText(IDC_DESCRIPTION, u"");
  fill(w);
}

void tvLay1t::fill(win::DialogWindow& w) {
  w.deleteAllItems(IDC_TREE);
  WorkspaceNode* selected = state().selected;
  win::TreeItem select = 0;
  // Groups tied to a floor show bold.
  for (WorkspaceNode* g = state().root; g; g = g->next) {
    const win::TreeItem item = w.insertItem(IDC_TREE, 0, nameOf(g), reinterpret_cast<intptr_t>(g), g->state > 0);
    if (g == selected) select = item;
    for (WorkspaceNode* ws = g->firstChild; ws; ws = ws->next) {
      const win::TreeItem child = w.insertItem(IDC_TREE, item, nameOf(ws), reinterpret_cast<intptr_t>(ws), false);
      if (ws == selected) select = child;
    }
  }
  w.selectItem(IDC_TREE, select);
  choose(w, select ? selected : nullptr);
}

void tvLay1t::choose(win::DialogWindow& w, WorkspaceNode* node) {
  const bool workspace = node && node->level > 0;
  if (m_main) {
    m_main->enable(IDC_SET, workspace);
    m_main->enable(IDC_LOCK, workspace && tied(node));
  }
  for (int id : {IDC_DELETE, IDC_UP, IDC_DOWN, IDC_INFO}) w.enable(id, node != nullptr);
  for (int id : {IDC_EDIT, IDC_COPY}) w.enable(id, workspace);
  if (!node) {
    state().selected = nullptr;
    state().selectionPath.clear();
    w.setText(IDC_FLOOR, text(5));
    w.setText(IDC_PATH, u"");
    w.setText(IDC_DESCRIPTION, u"");
    return;
  }
  select(node);
  const WorkspaceNode* group = groupOf(node);
  w.setText(IDC_FLOOR, text(5) + (u" " + std::u16string(nameOf(group))));
  state().selectionPath = workspace ? u"[ " + std::u16string(nameOf(group)) + u" / " + std::u16string(nameOf(node)) + u" ]"
                                    : std::u16string(nameOf(group)) + u" ";
  w.setText(IDC_PATH, state().selectionPath);
  w.setText(IDC_DESCRIPTION, workspace ? descriptionOf(node) : u"");
}

void tvLay1t::onSelChange(win::DialogWindow& w, int id) {
  if (id == IDC_TREE) choose(w, nodeOf(w));
}

void tvLay1t::onKey(win::DialogWindow& w, int id, win::Key key) {
  if (id != IDC_TREE) return;
  if (key == win::Key::Delete) remove(w);
  if (key == win::Key::F2 && nodeOf(w) && nodeOf(w)->level > 0) define(w, true, false);
}

// The tree's menu does what the buttons do, for what they allow.
void tvLay1t::onContextMenu(win::DialogWindow& w, int id) {
  if (id != IDC_TREE) return;
  WorkspaceNode* node = nodeOf(w);
  const int chosen = w.trackPopupMenu(IDR_TREE_MENU);
  const bool workspace = node && node->level > 0;
  switch (chosen) {
    case ID_TREE_SET:
      if (workspace && m_main) m_main->endDialog(kSet);
      return;
    case ID_TREE_LOCK:
      if (workspace && tied(node) && m_main) m_main->endDialog(kLock);
      return;
    case ID_TREE_COPY:
      if (workspace) define(w, false, true);
      return;
    case ID_TREE_EDIT:
      if (workspace) define(w, true, false);
      return;
    case ID_TREE_DELETE: return remove(w);
    default: return;
  }
}

void tvLay1t::define(win::DialogWindow& w, bool edit, bool copy) {
  WorkspaceNode* node = nodeOf(w);
  std::u16string group;
  if (copy && !askCopyTarget(group)) return;
  draft().start(edit || copy ? node : nullptr, copy, group);
  runDefinition(w);
}

// A pick ends the main dialog for the run loop; otherwise the tree shows what was stored.
void tvLay1t::runDefinition(win::DialogWindow& w) {
  const int code = defineWorkspace();
  if (code > 200) {
    if (m_main) m_main->endDialog(code);
    return;
  }
  fill(w);
}

void tvLay1t::resumeDefinition() {
  if (m_page && draft().open) runDefinition(*m_page);
}

void tvLay1t::onCommand(win::DialogWindow& w, int id) {
  switch (id) {
    case IDC_DELETE: return remove(w);
    case IDC_UP: return move(w, true);
    case IDC_DOWN: return move(w, false);
    case IDC_IMPORT: return importTree(w);
    case IDC_EXPORT: return exportTree();
    case IDC_MNU: return writeMenuFile();
    case IDC_NEW: return define(w, false, false);
    case IDC_EDIT: return define(w, true, false);
    case IDC_COPY: return define(w, false, true);
    case IDC_INFO: return showInformation(nodeOf(w));
    default: return;
  }
}

void tvLay1t::remove(win::DialogWindow& w) {
  WorkspaceNode* node = nodeOf(w);
  if (!node) return;
  const WorkspaceNode* group = groupOf(node);
  const std::u16string question = node->level > 0 ? formatted(81, {nameOf(group), nameOf(node)}) : formatted(82, {nameOf(node)});
  if (MessageBoxW(state().parentWindow, question.c_str(), text(80), MB_YESNO) != IDYES) return;
  if (node == state().root) state().root = node->next;
  state().selected = nullptr;
  unlink(node);
  fill(w);
}

void tvLay1t::move(win::DialogWindow& w, bool up) {
  WorkspaceNode* node = nodeOf(w);
  if (!node) return;
  WorkspaceNode* swapped = up ? (node->prev && node->prev->next == node ? node->prev : nullptr) : node;
  if (!swapped || !swapWithNext(state().root, swapped)) return;
  state().selected = node;
  fill(w);
}

void tvLay1t::importTree(win::DialogWindow& w) {
  win::FileDialog d = fileDialog(u"QDL", kDefinitionFilter, 27);
  if (!win::GetOpenFileNameW(d)) return;
  // A file that makes no node is no definition file: the tree and options in use stay.
  const std::u16string before = settings();
  std::string bytes, error;
  Loaded loaded;
  if (qd::files::readFile(qd::text::toUtf8(d.file), bytes, error, kDefinitionLimit)) loaded = loadBytes(bytes);
  if (!loaded.placed) {
    freeTree(loaded.tree);
    settings() = before;
    MessageBoxW(state().parentWindow, (d.file + u"\nis no workspace definition file: nothing was imported.").c_str(), text(27),
                MB_OK);
    return;
  }
  freeTree(state().root);
  state().root = loaded.tree;
  state().selected = nullptr;
  m_options.refresh();
  fill(w);
}

void tvLay1t::exportTree() {
  std::string path;
  if (askSavePath(u"QDL", kDefinitionFilter, 78, path)) save(path, state().root);
}

void tvLay1t::writeMenuFile() {
  std::string path;
  if (askSavePath(u"MNU", u"QDSTRAT (*.mnu)|*.mnu|All Files (*.*)|*.*||", 130, path)) writeMenu(path, state().root);
}

}  // namespace qd::workspace
