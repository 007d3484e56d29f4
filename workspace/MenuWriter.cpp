#include "workspace/MenuWriter.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "workspace/LayerMasks.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

class Menu {
 public:
  explicit Menu(const std::u16string& settings) : m_s(paddedSettings(settings)) {}
  void chain(const WorkspaceNode* first, bool lockPass) {
    for (const WorkspaceNode* n = first; n; n = n->next) node(n, lockPass);
  }
  const std::u16string& result() const { return m_out; }
  void put(std::u16string_view s) { m_out += s; }

 private:
  char16_t at(size_t i) const { return m_s[i]; }
  bool on(size_t i) const { return m_s[i] == u'1'; }

  void node(const WorkspaceNode* n, bool lockPass);
  void workspaceItem(const WorkspaceNode* n, bool lockPass);
  void action(const WorkspaceNode* n, bool lockPass);
  void itemEnd(const WorkspaceNode* n, bool lockPass);
  // The group's floor code, or "??" when its name is shorter.
  std::u16string floorOf(const WorkspaceNode* n) const {
    const std::u16string_view name = nameOf(groupOf(const_cast<WorkspaceNode*>(n)));
    return name.size() < 2 ? u"??" : std::u16string(name.substr(0, 2));
  }
  int stateOf(const WorkspaceNode* n) const { return groupOf(const_cast<WorkspaceNode*>(n))->state; }
  std::u16string groupFloorMask(const WorkspaceNode* n) const {
    std::u16string mask = u"?????" + floorOf(n) + u"*";
    if (on(6)) mask[0] = at(15);
    return mask;
  }

  const std::u16string m_s;
  std::u16string m_out;
};

void Menu::workspaceItem(const WorkspaceNode* n, bool lockPass) {
  const int a = stateOf(n);
  const std::u16string close = !n->next && (a == 0 || lockPass) ? u"<-" : u"";
  const std::u16string name(nameOf(n));
  if (!lockPass) {
    put(u"  [" + close + name + u" - " + qd::workspace::text(131) + u"]^C^C_-LAYER _T *;_U *;");
    if (on(1)) put(u"_ON *;");
    if (on(2) && a > 0) put(u"_M " + currentLayer(m_s, floorOf(n)) + u";");
  } else {
    put(u"  [" + close + name + u" - " + qd::workspace::text(132) + (at(7) == u'0' ? qd::workspace::text(133) : u"") + u"]^C^C_-LAYER ");
  }
  if (a > 0) put((lockPass ? u"_T " : u"_F ~") + groupFloorMask(n) + u";");
  if (!n->firstChild) itemEnd(n, lockPass);
}

void Menu::action(const WorkspaceNode* n, bool lockPass) {
  const std::optional<Action> a = parseAction(nameOf(n));
  if (a && maskReadable(a->mask) && (at(6) == u'0' || at(6) == u'1')) {
    std::u16string mask = a->mask;
    bool written = true;
    if (on(6)) {
      if (!mask.empty() && mask[0] == u'?') mask[0] = at(15);
      written = !mask.empty() && (mask[0] == u'*' || mask[0] == at(15));
    }
    if (written) {
      const bool except = !a->option.empty() && a->option.back() == u'~';
      const std::u16string option = except ? a->option.substr(0, a->option.size() - 1) : a->option;
      put(option + (except ? u" ~" : u" ") + a->prefix + mask + u";");
    }
  }
  if (!n->next) itemEnd(n, lockPass);
}

void Menu::itemEnd(const WorkspaceNode* n, bool lockPass) {
  if (lockPass && at(7) == u'0') put(u"_LO " + groupFloorMask(n) + u";");
  if (!lockPass && on(3)) put(u"_T 0,DEFPOINTS;");
  put(on(4) ? u";_ZOOM _E _ZOOM .95x " : u";");
}

void Menu::node(const WorkspaceNode* n, bool lockPass) {
  switch (n->level) {
    case kGroup: put(u"[->" + std::u16string(nameOf(n)) + u"]\n"); break;
    case kWorkspace: workspaceItem(n, lockPass); break;
    case kDescription:
      if (n->prev && n->prev->level == kWorkspace && !n->firstChild) itemEnd(n, lockPass);
      break;
    case kAction: action(n, lockPass); break;
    default: break;
  }
  chain(n->firstChild, lockPass);
  if (n->level != kWorkspace) return;
  put(u"\n");
  if (lockPass) {
    if (n->next) put(u"  [--]\n");
    return;
  }
  if (stateOf(n) > 0) node(n, true);
}

}  // namespace

std::string menuText(const std::string& path, const WorkspaceNode* tree, const std::u16string& settings) {
  const size_t slash = path.find_last_of("\\/");
  const std::string own = slash == std::string::npos ? path : path.substr(slash + 1);
  Menu m(settings);
  m.put(u"//\n// AutoCAD menu file - QDSTRAT.mnu 14.2+\n//\n***MENUGROUP=QDSTRAT\n***POP1\n[QDSTRAT]\n[TORVEL®]^C\n");
  m.put(u"[" + qd::text::fromAnsi(own) + u"]^C\n[--]\n");
  m.chain(tree, false);
  return qd::text::toAnsi(m.result());
}

bool writeMenu(const std::string& path, const WorkspaceNode* tree) {
  if (path.empty()) return false;
  std::string error;
  return qd::files::replaceFile(path, menuText(path, tree, settings()), error);
}

}  // namespace qd::workspace
