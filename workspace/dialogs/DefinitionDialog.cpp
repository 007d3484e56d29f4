#include "workspace/dialogs/DefinitionDialog.h"

#include <algorithm>

#include "host/winlib.h"
#include "platform/codepage.h"
#include "workspace/Manager.h"
#include "workspace/dialogs/Choosers.h"
#include "workspace/dialogs/CodeCombo.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/SmallDialogs.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

constexpr int kOperations[] = {106, 107, 108};
// The position fields of the mask and their widths.
constexpr std::pair<int, size_t> kFields[] = {{IDC_F_SECTION, 1}, {IDC_F_MODULE, 1}, {IDC_F_CONSTRUCTION, 3},
                                              {IDC_F_FLOOR, 2},   {IDC_F_VIEW, 1},   {IDC_F_REST, 0}};
constexpr int kTargets[] = {IDC_T_SECTION, IDC_T_MODULE, IDC_T_CONSTRUCTION, IDC_T_GENERAL,
                            IDC_T_FLOOR,   IDC_T_VIEW,   IDC_T_XREF,         IDC_T_LAYER};
constexpr const char16_t* kUnnamed = u"<...>";
// The position fields that are code combos.
const CSekce kCodeCombos[] = {{IDC_F_SECTION, Chooser::Section}, {IDC_F_MODULE, Chooser::Module},
                              {IDC_F_FLOOR, Chooser::Floor}, {IDC_F_VIEW, Chooser::View}};
const CSekce* codeCombo(int id) {
  for (const CSekce& c : kCodeCombos)
    if (c.id() == id) return &c;
  return nullptr;
}

std::u16string* fieldOf(DefinitionDraft& d, int id) {
  switch (id) {
    case IDC_F_SECTION: return &d.section;
    case IDC_F_MODULE: return &d.module;
    case IDC_F_CONSTRUCTION: return &d.construction;
    case IDC_F_FLOOR: return &d.floor;
    case IDC_F_VIEW: return &d.view;
    case IDC_F_REST: return &d.rest;
    default: return nullptr;
  }
}

// The option of an operation's text: up to its first blank.
std::u16string optionOf(int operation) {
  const std::u16string t = text(kOperations[std::clamp(operation, 0, 2)]);
  return t.substr(0, t.find(u' '));
}

WorkspaceNode* groupNamed(const std::u16string& name) {
  for (WorkspaceNode* g = state().root; g; g = g->next)
    if (nameOf(g) == name) return g;
  return nullptr;
}

std::u16string trimmed(std::u16string s) {
  s.erase(0, s.find_first_not_of(u' '));
  while (!s.empty() && s.back() == u' ') s.pop_back();
  return s;
}

// The workspace's actions: the children of its first description piece.
void storeActions(WorkspaceNode* workspace, const std::vector<DefinitionDraft::Entry>& actions) {
  if (!workspace->firstChild && !actions.empty()) appendChild(workspace, u"");
  WorkspaceNode* piece = workspace->firstChild;
  if (!piece) return;
  freeTree(piece->firstChild);
  piece->firstChild = nullptr;
  for (const auto& a : actions) appendChild(piece, a.text)->state = static_cast<uint8_t>(a.state);
}

}  // namespace

DefinitionDraft& draft() {
  static DefinitionDraft d;
  return d;
}

void DefinitionDraft::resetComposer() {
  operation = 0;
  section = module = u"?";
  construction = u"???";
  floor = u"??";
  view = u"*";
  rest.clear();
  prefix.clear();
  freeMask.clear();
  free = state().environment != 1;
  general = false;
}

void DefinitionDraft::start(WorkspaceNode* workspace, bool asCopy, const std::u16string& intoGroup) {
  *this = DefinitionDraft{};
  resetComposer();
  open = true;
  copy = asCopy;
  edited = asCopy ? nullptr : workspace;
  name = text(97);
  if (WorkspaceNode* g = groupOf(state().selected)) group = nameOf(g);
  if (!intoGroup.empty()) group = intoGroup;
  if (!workspace || workspace->level == 0) return;
  name = nameOf(workspace);
  description = descriptionOf(workspace);
  for (WorkspaceNode* a = firstAction(workspace); a; a = a->next) actions.push_back({std::u16string(nameOf(a)), a->state});
}

std::u16string DefinitionDraft::mask() const {
  if (free) return freeMask;
  return prefix + section + module + construction + floor + view + rest;
}

void tvLay1m::onInitDialog(win::DialogWindow& w) {
  DefinitionDraft& d = draft();
  w.setWindowText(text(47));
  captions(w, {{IDC_DEF_NEW_LABEL, 33}, {IDC_DEF_LIST_LABEL, 34}, {IDC_T_SECTION, 35}, {IDC_T_MODULE, 36},
               {IDC_T_CONSTRUCTION, 37}, {IDC_T_GENERAL, 38}, {IDC_T_FLOOR, 39}, {IDC_T_VIEW, 40}, {IDC_T_XREF, 41},
               {IDC_T_LAYER, 42}, {IDC_DEF_UP, 13}, {IDC_DEF_DOWN, 14}, {IDC_DEF_RESET, 43}, {IDOK, 44},
               {IDC_DEF_PREVIEW, 45}, {IDCANCEL, 46}, {IDHELP, 18}, {IDC_DEF_FREE, 29}});
  w.setText(IDC_DEF_MODE, text(d.copy ? 99 : 98));
  for (WorkspaceNode* g = state().root; g; g = g->next) w.addString(IDC_DEF_GROUP, nameOf(g));
  w.setText(IDC_DEF_GROUP, d.group);
  w.setText(IDC_DEF_NAME, d.name);
  w.setText(IDC_DEF_DESCRIPTION, d.description);
  for (int t : kOperations) w.addString(IDC_DEF_OPERATION, text(t));
  for (const CSekce& c : kCodeCombos) c.fill(w);
  applyPick();
  // Outside the full product the mask is always typed.
  w.enable(IDC_DEF_FREE, state().environment == 1);
  showComposer(w);
  showList(w, -1);
}

// The answer of the run loop to the pick the dialog ended with, into its field.
void tvLay1m::applyPick() {
  DefinitionDraft& d = draft();
  if (!d.pick) return;
  const std::u16string p = state().pick;
  auto part = [&](size_t from, size_t n) {
    std::u16string s = p.size() > from ? p.substr(from, n) : u"";
    return s.size() < n ? s + std::u16string(n - s.size(), u'?') : s;
  };
  switch (chooserOfPick(d.pick)) {
    case Chooser::Section: d.section = part(0, 1); break;
    case Chooser::Module: d.module = part(1, 1); break;
    case Chooser::Construction:
    case Chooser::GeneralLayer:
      d.construction = part(2, 3);
      d.general = state().pickKind == 209;
      break;
    case Chooser::Floor: d.floor = part(5, 2); break;
    case Chooser::View: d.view = part(7, 1); break;
    case Chooser::Layer:
      d.free = true;
      d.freeMask = p;
      break;
  }
  d.pick = 0;
}

void tvLay1m::showComposer(win::DialogWindow& w) {
  DefinitionDraft& d = draft();
  w.setCurSel(IDC_DEF_OPERATION, d.operation);
  for (const auto& [id, width] : kFields) {
    if (const CSekce* combo = codeCombo(id)) combo->show(w, *fieldOf(d, id));
    else w.setText(id, *fieldOf(d, id));
    w.enable(id, !d.free);
  }
  w.setCheck(IDC_DEF_FREE, d.free);
  for (int id : kTargets) w.enable(id, !d.free);
  w.setText(IDC_DEF_MASK, d.mask());
}

void tvLay1m::showList(win::DialogWindow& w, int select) {
  w.resetContent(IDC_DEF_LIST);
  for (const auto& a : draft().actions) w.addString(IDC_DEF_LIST, a.text, a.state);
  w.setCurSel(IDC_DEF_LIST, select);
}

void tvLay1m::readFields(win::DialogWindow& w) {
  DefinitionDraft& d = draft();
  d.group = w.text(IDC_DEF_GROUP);
  d.name = w.text(IDC_DEF_NAME);
  d.description = w.text(IDC_DEF_DESCRIPTION).substr(0, 500);
  d.operation = std::max(0, w.curSel(IDC_DEF_OPERATION));
  if (d.free) d.freeMask = w.text(IDC_DEF_MASK);
}

void tvLay1m::onCommand(win::DialogWindow& w, int id) {
  DefinitionDraft& d = draft();
  readFields(w);
  if (std::u16string* field = fieldOf(d, id)) {
    const size_t width = std::find_if(std::begin(kFields), std::end(kFields), [id](const auto& f) { return f.first == id; })->second;
    const CSekce* combo = codeCombo(id);
    const std::u16string typed = combo ? combo->typed(w) : qd::text::toUpper(w.text(id));
    *field = width ? typed.substr(0, width) : typed;
    w.setText(IDC_DEF_MASK, d.mask());
    return;
  }
  switch (id) {
    case IDC_DEF_FREE:
      if (w.isChecked(IDC_DEF_FREE) && !d.free) d.freeMask = d.mask();
      d.free = w.isChecked(IDC_DEF_FREE);
      return showComposer(w);
    case IDC_DEF_ADD: {
      const std::u16string mask = trimmed(d.mask());
      if (mask.empty()) return;
      d.actions.push_back({optionOf(d.operation) + u" " + mask, (d.free ? 1 : 0) + (d.general ? 2 : 0)});
      return showList(w, static_cast<int>(d.actions.size()) - 1);
    }
    case IDC_DEF_REMOVE: return remove(w);
    case IDC_DEF_UP: return move(w, -1);
    case IDC_DEF_DOWN: return move(w, 1);
    case IDC_DEF_RESET:
      d.resetComposer();
      return showComposer(w);
    case IDC_DEF_PREVIEW: {
      std::vector<std::u16string> actions;
      for (const auto& a : d.actions) actions.push_back(a.text);
      return previewSequence(actions, showPreviewEnd);
    }
    case IDHELP: return showHelp();
    default:
      for (int t : kTargets)
        if (id == t) return target(w, id);
  }
}

void tvLay1m::target(win::DialogWindow& w, int id) {
  DefinitionDraft& d = draft();
  Chooser kind = Chooser::Section;
  std::u16string* field = &d.section;
  switch (id) {
    case IDC_T_MODULE: kind = Chooser::Module; field = &d.module; break;
    case IDC_T_CONSTRUCTION: kind = Chooser::Construction; field = &d.construction; break;
    case IDC_T_GENERAL: kind = Chooser::GeneralLayer; field = &d.construction; break;
    case IDC_T_FLOOR: kind = Chooser::Floor; field = &d.floor; break;
    case IDC_T_VIEW: kind = Chooser::View; field = &d.view; break;
    case IDC_T_LAYER:
    case IDC_T_XREF: kind = Chooser::Layer; field = &d.freeMask; break;
    default: break;
  }
  std::u16string code;
  const int result = choose(kind, *field, code);
  if (result > 200) {
    // The drawing answers: the draft waits, and the dialog comes back with the answer.
    d.pick = result;
    state().pickKind = kind == Chooser::GeneralLayer ? 209 : 208;
    return w.endDialog(result);
  }
  if (result != IDOK) return;
  if (id == IDC_T_XREF) {
    // A reference's prefix: the layer's name up to its '|', or its "$0$" part.
    const size_t bar = code.find(u'|');
    const size_t dollar = code.find(u'$');
    d.prefix = bar != std::u16string::npos ? code.substr(0, bar + 1)
               : dollar != std::u16string::npos && dollar + 2 < code.size() && code[dollar + 2] == u'$'
                   ? code.substr(0, dollar + 3)
                   : u"";
  } else if (kind == Chooser::Layer) {
    d.free = true;
    d.freeMask = code;
  } else {
    *field = code;
    d.general = kind == Chooser::GeneralLayer ? true : kind == Chooser::Construction ? false : d.general;
  }
  showComposer(w);
}

void tvLay1m::onSelChange(win::DialogWindow& w, int id) {
  readFields(w);
  if (const CSekce* combo = codeCombo(id)) {
    *fieldOf(draft(), id) = combo->selected(w);
    w.setText(IDC_DEF_MASK, draft().mask());
    return;
  }
  if (id == IDC_DEF_LIST) takeBack(w, w.curSel(IDC_DEF_LIST));
}

// An entry of the list back in the composer, split into its fields unless typed freely.
void tvLay1m::takeBack(win::DialogWindow& w, int at) {
  DefinitionDraft& d = draft();
  if (at < 0 || at >= static_cast<int>(d.actions.size())) return;
  const auto& entry = d.actions[static_cast<size_t>(at)];
  const std::optional<Action> a = parseAction(entry.text);
  if (!a) return;
  // "_F ~mask" reads as "_F~ mask", which the second operation writes.
  for (int i = 0; i < 3; ++i)
    if (optionOf(i) == a->option) d.operation = i;
  d.free = (entry.state & 1) != 0 || state().environment != 1;
  d.general = (entry.state & 2) != 0;
  if (d.free) {
    d.freeMask = a->prefix + a->mask;
  } else {
    d.prefix = a->prefix;
    size_t from = 0;
    for (const auto& [id, width] : kFields) {
      const size_t start = std::min(from, a->mask.size());
      *fieldOf(d, id) = width ? a->mask.substr(start, width) : a->mask.substr(start);
      from += width;
    }
  }
  showComposer(w);
}

void tvLay1m::remove(win::DialogWindow& w) {
  DefinitionDraft& d = draft();
  const int at = w.curSel(IDC_DEF_LIST);
  if (at < 0 || at >= static_cast<int>(d.actions.size())) return;
  d.actions.erase(d.actions.begin() + at);
  // The next entry is selected, or the one before at the end.
  showList(w, d.actions.empty() ? -1 : std::min(at, static_cast<int>(d.actions.size()) - 1));
}

void tvLay1m::move(win::DialogWindow& w, int by) {
  DefinitionDraft& d = draft();
  const int at = w.curSel(IDC_DEF_LIST), to = at + by;
  if (at < 0 || to < 0 || to >= static_cast<int>(d.actions.size())) return;
  std::swap(d.actions[static_cast<size_t>(at)], d.actions[static_cast<size_t>(to)]);
  showList(w, to);
}

void tvLay1m::onKey(win::DialogWindow& w, int id, win::Key key) {
  if (id == IDC_DEF_LIST && key == win::Key::Delete) remove(w);
}

bool tvLay1m::onOK(win::DialogWindow& w) {
  readFields(w);
  DefinitionDraft& d = draft();
  const std::u16string groupName = trimmed(d.group).empty() ? std::u16string(kUnnamed) : d.group;
  const std::u16string name = trimmed(d.name).empty() ? std::u16string(kUnnamed) : d.name;
  WorkspaceNode* group = groupNamed(groupName);
  if (!group && !(group = askNewGroup(groupName))) return false;  // the definition stays open
  WorkspaceNode* workspace = d.edited;
  if (workspace && groupOf(workspace) != group) {
    // Moved to another group: it leaves its own.
    if (workspace == state().selected) state().selected = nullptr;
    unlink(workspace);
    workspace = nullptr;
  }
  if (!workspace) workspace = appendChild(group, name);
  setName(workspace, name);
  setDescription(workspace, d.description);
  storeActions(workspace, d.actions);
  state().selected = workspace;
  d = DefinitionDraft{};
  return true;
}

bool tvLay1m::onCancel(win::DialogWindow&) {
  draft() = DefinitionDraft{};
  return true;
}

int defineWorkspace() {
  tvLay1m dialog;
  const int code = win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAY1M, dialog, state().parentWindow);
  if (code < 0) draft() = DefinitionDraft{};
  return code;
}

}  // namespace qd::workspace
