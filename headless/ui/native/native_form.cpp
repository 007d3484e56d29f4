// A native dialog as a text form for a person at the terminal: its controls in the
// template's order with their texts, checks, items and trees, the page of the tab shown,
// and the verbs that answer it, the same as a script's.
#include <string>

#include "headless/ui/dialogs.h"
#include "headless/ui/native/native_dialogs.h"
#include "platform/codepage.h"

namespace qd::ui::native {
namespace {

std::u16string number(size_t n) { return qd::text::fromUtf8(std::to_string(n)); }

void tree(std::u16string& out, const LiveControl& c, win::TreeItem parent, int depth) {
  auto it = c.tree.find(parent);
  if (it == c.tree.end()) return;
  for (win::TreeItem item : it->second.children) {
    const LiveTreeItem& node = c.tree.at(item);
    formLine(out, depth, (item == c.selectedItem ? u"> " : u"  ") + node.text, u"", true);
    tree(out, c, item, depth + 1);
  }
}

void controls(std::u16string& out, const Window& w, int depth);

void control(std::u16string& out, const ControlTemplate& t, const LiveControl* c, int depth) {
  if (c && !c->shown) return;
  const std::u16string text = c ? c->text : t.text;
  const bool usable = !c || c->enabled;
  switch (t.kind) {
    case ControlKind::Static:
      if (!text.empty()) formLine(out, depth, text, t.id == -1 ? u"" : t.name, true);
      break;
    case ControlKind::Group: formLine(out, depth, text + u":", u"", true); break;
    case ControlKind::Button:
    case ControlKind::DefaultButton: formLine(out, depth, u"<" + text + u">", t.name, usable); break;
    case ControlKind::Check: formLine(out, depth, (c && c->checked ? u"[x] " : u"[ ] ") + text, t.name, usable); break;
    case ControlKind::Radio: formLine(out, depth, (c && c->checked ? u"(*) " : u"( ) ") + text, t.name, usable); break;
    case ControlKind::Edit: formLine(out, depth, u"[" + text + u"]", t.name, usable); break;
    case ControlKind::Combo:
    case ControlKind::List:
      formLine(out, depth, t.kind == ControlKind::Combo ? u"[" + text + u"] v" : u"list:", t.name, usable);
      if (c)
        for (size_t i = 0; i < c->items.size(); ++i)
          formLine(out, depth + 1, (static_cast<int>(i) == c->selection ? u"> " : u"  ") + number(i) + u" " + c->items[i].text,
               u"", true);
      break;
    case ControlKind::Tree:
      formLine(out, depth, u"tree:", t.name, usable);
      if (c) tree(out, *c, 0, depth + 1);
      break;
    case ControlKind::Tab:
      if (!c) break;
      {
        std::u16string strip;
        for (size_t i = 0; i < c->tabs.size(); ++i)
          strip += static_cast<int>(i) == c->currentTab ? u"[" + c->tabs[i].first + u"] " : c->tabs[i].first + u" ";
        formLine(out, depth, strip, t.name, usable);
        if (c->currentTab >= 0 && c->currentTab < static_cast<int>(c->tabs.size()))
          controls(out, *c->tabs[static_cast<size_t>(c->currentTab)].second, depth + 1);
      }
      break;
  }
}

void controls(std::u16string& out, const Window& w, int depth) {
  for (const ControlTemplate& t : w.def().controls) control(out, t, t.id == -1 ? nullptr : w.control(t.id), depth);
}

void names(std::vector<std::u16string>& out, const Window& w) {
  for (const LiveControl* c : w.controls()) {
    out.push_back(c->def->name);
    if (c->currentTab >= 0 && c->currentTab < static_cast<int>(c->tabs.size()))
      names(out, *c->tabs[static_cast<size_t>(c->currentTab)].second);
  }
}

}  // namespace

std::u16string windowForm(const Window& w) {
  std::u16string out = u"\n+-- " + w.caption() + u" (" + w.def().name + u")\n";
  controls(out, w, 0);
  out += u"+-- set NAME TEXT | click NAME | select NAME N|TEXT | tree NAME PATH | tab NAME CAPTION | ok | cancel (Ctrl-C)"
         u" | show\n";
  return out;
}

std::vector<std::u16string> controlNames(const Window& w) {
  std::vector<std::u16string> out;
  names(out, w);
  return out;
}

}  // namespace qd::ui::native
