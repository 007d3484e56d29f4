#include "headless/ui/native/native_dialogs.h"

#include <algorithm>
#include <filesystem>

#include "headless/ui/dcl.h"
#include "headless/ui/dialogs.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::ui::native {
namespace {

struct State {
  std::map<std::string, std::unique_ptr<ResourceScript>> scripts;  // by path
  std::vector<Window*> stack;
};
State& state() {
  static State s;
  return s;
}

std::u16string number(long v) { return qd::text::fromUtf8(std::to_string(v)); }

void fault(const std::u16string& text) {
  Console::get().note(u"; " + text + u"\n");
  Console::get().countFailure();
}

bool isList(const LiveControl& c) { return c.def->kind == ControlKind::List || c.def->kind == ControlKind::Combo; }

}  // namespace

Window::Window(const ResourceScript& script, const DialogTemplate& def, win::DialogController& controller, Window* owner)
    : m_script(script), m_def(def), m_controller(controller), m_owner(owner), m_caption(def.caption) {
  for (const ControlTemplate& c : def.controls) {
    if (c.id == -1) continue;  // texts without an id cannot be reached
    LiveControl& live = m_controls[c.id];
    live.def = &c;
    live.text = c.text;
    live.enabled = !c.hasStyle(u"WS_DISABLED");
    live.shown = !c.hasStyle(u"NOT_WS_VISIBLE");
  }
}

LiveControl* Window::live(int id, const char* operation) {
  auto it = m_controls.find(id);
  if (it != m_controls.end()) return &it->second;
  fault(u"dialog \"" + m_def.name + u"\" has no control " + number(id) + u" (" + qd::text::fromUtf8(operation) + u")");
  return nullptr;
}
const LiveControl* Window::live(int id, const char* operation) const { return const_cast<Window*>(this)->live(id, operation); }
const LiveControl* Window::control(int id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : &it->second;
}
std::vector<const LiveControl*> Window::controls() const {
  std::vector<const LiveControl*> out;
  for (const ControlTemplate& c : m_def.controls)
    if (const LiveControl* l = control(c.id)) out.push_back(l);
  return out;
}

bool Window::hasControl(int id) const { return m_controls.count(id) != 0; }
void Window::setText(int id, std::u16string_view text) {
  if (LiveControl* c = live(id, "setText")) c->text = text;
}
std::u16string Window::text(int id) const {
  const LiveControl* c = live(id, "text");
  return c ? c->text : u"";
}
void Window::setCheck(int id, bool checked) {
  if (LiveControl* c = live(id, "setCheck")) c->checked = checked;
}
bool Window::isChecked(int id) const {
  const LiveControl* c = live(id, "isChecked");
  return c && c->checked;
}
void Window::enable(int id, bool enabled) {
  if (LiveControl* c = live(id, "enable")) c->enabled = enabled;
}
bool Window::isEnabled(int id) const {
  const LiveControl* c = live(id, "isEnabled");
  return c && c->enabled;
}
void Window::show(int id, bool shown) {
  if (LiveControl* c = live(id, "show")) c->shown = shown;
}
bool Window::isShown(int id) const {
  const LiveControl* c = live(id, "isShown");
  return c && c->shown;
}

void Window::resetContent(int id) {
  if (LiveControl* c = live(id, "resetContent")) {
    c->items.clear();
    c->selection = -1;
  }
}
int Window::addString(int id, std::u16string_view text, intptr_t data) { return insertString(id, -1, text, data); }
int Window::insertString(int id, int at, std::u16string_view text, intptr_t data) {
  LiveControl* c = live(id, "insertString");
  if (!c) return -1;
  if (at < 0 || at > static_cast<int>(c->items.size())) at = static_cast<int>(c->items.size());
  c->items.insert(c->items.begin() + at, LiveItem{std::u16string(text), data});
  if (c->selection >= at) ++c->selection;
  return at;
}
void Window::deleteString(int id, int at) {
  LiveControl* c = live(id, "deleteString");
  if (!c || at < 0 || at >= static_cast<int>(c->items.size())) return;
  c->items.erase(c->items.begin() + at);
  if (c->selection == at) c->selection = -1;
  else if (c->selection > at) --c->selection;
}
int Window::count(int id) const {
  const LiveControl* c = live(id, "count");
  return c ? static_cast<int>(c->items.size()) : 0;
}
std::u16string Window::itemText(int id, int at) const {
  const LiveControl* c = live(id, "itemText");
  return c && at >= 0 && at < static_cast<int>(c->items.size()) ? c->items[static_cast<size_t>(at)].text : u"";
}
intptr_t Window::itemData(int id, int at) const {
  const LiveControl* c = live(id, "itemData");
  return c && at >= 0 && at < static_cast<int>(c->items.size()) ? c->items[static_cast<size_t>(at)].data : 0;
}
void Window::setCurSel(int id, int at) {
  LiveControl* c = live(id, "setCurSel");
  if (!c) return;
  c->selection = at >= 0 && at < static_cast<int>(c->items.size()) ? at : -1;
  if (c->def->kind == ControlKind::Combo) c->text = c->selection >= 0 ? c->items[static_cast<size_t>(c->selection)].text : u"";
}
int Window::curSel(int id) const {
  const LiveControl* c = live(id, "curSel");
  return c ? c->selection : -1;
}

void Window::deleteAllItems(int id) {
  if (LiveControl* c = live(id, "deleteAllItems")) {
    c->tree.clear();
    c->selectedItem = 0;
  }
}
win::TreeItem Window::insertItem(int id, win::TreeItem parent, std::u16string_view text, intptr_t data, bool bold) {
  LiveControl* c = live(id, "insertItem");
  if (!c || (parent && !c->tree.count(parent))) return 0;
  const win::TreeItem item = c->nextItem++;
  c->tree[item] = LiveTreeItem{std::u16string(text), data, bold, parent, {}};
  c->tree[parent].children.push_back(item);
  return item;
}
void Window::selectItem(int id, win::TreeItem item) {
  if (LiveControl* c = live(id, "selectItem")) c->selectedItem = item && c->tree.count(item) ? item : 0;
}
win::TreeItem Window::selectedItem(int id) const {
  const LiveControl* c = live(id, "selectedItem");
  return c ? c->selectedItem : 0;
}
intptr_t Window::treeItemData(int id, win::TreeItem item) const {
  const LiveControl* c = live(id, "treeItemData");
  if (!c || !item) return 0;
  auto it = c->tree.find(item);
  return it == c->tree.end() ? 0 : it->second.data;
}
win::TreeItem Window::parentItem(int id, win::TreeItem item) const {
  const LiveControl* c = live(id, "parentItem");
  if (!c || !item) return 0;
  auto it = c->tree.find(item);
  return it == c->tree.end() ? 0 : it->second.parent;
}

win::DialogWindow* Window::addPage(int tabId, std::u16string_view caption, int templateId, win::DialogController& page) {
  LiveControl* c = live(tabId, "addPage");
  const DialogTemplate* def = m_script.dialog(templateId);
  if (!c) return nullptr;
  if (!def) {
    fault(u"dialog \"" + m_def.name + u"\": the script has no page template " + number(templateId));
    return nullptr;
  }
  m_pages.push_back(std::make_unique<Window>(m_script, *def, page, this));
  Window* w = m_pages.back().get();
  c->tabs.emplace_back(std::u16string(caption), w);
  if (c->currentTab < 0) c->currentTab = 0;
  page.onInitDialog(*w);
  return w;
}
void Window::setCurTab(int tabId, int index) {
  LiveControl* c = live(tabId, "setCurTab");
  if (c && index >= 0 && index < static_cast<int>(c->tabs.size())) c->currentTab = index;
}
int Window::curTab(int tabId) const {
  const LiveControl* c = live(tabId, "curTab");
  return c ? c->currentTab : -1;
}

// A menu item's name as a script gives it: its text without '&' and without the key
// shown after it ("&Upravit    F2" is "Upravit").
std::u16string menuItemName(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text.substr(0, std::min(text.find(u"  "), text.find(u'\t'))))
    if (c != u'&') out += c;
  return out;
}

int Window::trackPopupMenu(int menuId) {
  const std::vector<MenuItem>* items = m_script.menu(menuId);
  if (!items) {
    fault(u"dialog \"" + m_def.name + u"\": the script has no menu " + number(menuId));
    return 0;
  }
  Console& c = Console::get();
  const std::u16string prompt = u"[Menu " + m_script.nameOf(menuId) + u"] ";
  c.write(prompt);
  Event e;
  if (!c.take(prompt, e)) return 0;
  c.answer(e.text);
  if (e.text == u"<esc>" || e.text == u"cancel") return 0;
  const std::u16string wanted = eventRest(e.text, 1);
  if (eventWords(e.text).empty() || eventWords(e.text)[0] != u"menu") {
    c.stop(e, prompt, u"a menu item (menu ITEM) or cancel");
    return 0;
  }
  for (const MenuItem& item : *items)
    if (menuItemName(item.text) == wanted) return item.id;
  fault(u"menu " + m_script.nameOf(menuId) + u" has no item \"" + wanted + u"\"");
  return 0;
}

void Window::endDialog(int code) {
  if (m_owner) return m_owner->endDialog(code);
  m_done = true;
  m_code = code;
}

LiveControl* Window::find(const std::u16string& name, Window** where) {
  // The page shown first: its controls are the ones in view.
  for (auto& [id, c] : m_controls)
    if (c.def->kind == ControlKind::Tab && c.currentTab >= 0 && c.currentTab < static_cast<int>(c.tabs.size()))
      if (LiveControl* onPage = c.tabs[static_cast<size_t>(c.currentTab)].second->find(name, where)) return onPage;
  std::optional<int> id = m_script.value(name);
  if (const ControlTemplate* named = m_def.control(name)) id = named->id;
  if (!id) return nullptr;
  auto it = m_controls.find(*id);
  if (it == m_controls.end()) return nullptr;
  *where = this;
  return &it->second;
}

std::u16string Window::itemPath(const LiveControl& c, win::TreeItem item) const {
  std::u16string path;
  for (win::TreeItem i = item; i;) {
    auto it = c.tree.find(i);
    if (it == c.tree.end()) break;
    path = it->second.text + (path.empty() ? u"" : u"/" + path);
    i = it->second.parent;
  }
  return path;
}
win::TreeItem Window::itemOfPath(const LiveControl& c, const std::u16string& path) const {
  for (const auto& [item, node] : c.tree)
    if (item && itemPath(c, item) == path) return item;
  return 0;
}

namespace {

// The radio buttons chosen together with `c`: its neighbours in the template up to a
// control of another kind or one that starts a group.
void chooseRadio(Window& w, const LiveControl& chosen) {
  const auto& all = w.def().controls;
  auto at = std::find_if(all.begin(), all.end(), [&](const ControlTemplate& t) { return &t == chosen.def; });
  auto first = at;
  while (first != all.begin() && !first->hasStyle(u"WS_GROUP") && std::prev(first)->kind == ControlKind::Radio) --first;
  for (auto it = first; it != all.end() && it->kind == ControlKind::Radio; ++it) {
    if (it != first && it->hasStyle(u"WS_GROUP")) break;
    if (it->id >= 0) w.setCheck(it->id, it->id == chosen.def->id);
  }
}

bool parseIndex(const std::u16string& s, int& out) {
  if (s.empty() || s.find_first_not_of(u"0123456789") != std::u16string::npos) return false;
  out = std::atoi(qd::text::toUtf8(s).c_str());
  return true;
}

void end(Window& top, bool ok) {
  win::DialogController& c = top.controller();
  if (ok ? c.onOK(top) : c.onCancel(top)) top.endDialog(ok ? 1 : 2);
}

void handle(Window& top, const Event& e, const std::u16string& prompt) {
  Console& con = Console::get();
  const std::vector<std::u16string> w = eventWords(e.text);
  const std::u16string verb = w.empty() ? u"" : w[0];
  con.answer(e.text);
  if (verb == u"dialog") {
    if (w.size() < 2 || w[1] != top.def().name)
      fault(qd::text::fromUtf8(e.source) + u" line " + number(e.line) + u": expected dialog \"" + (w.size() > 1 ? w[1] : u"") +
            u"\", but \"" + top.def().name + u"\" is shown");
    return;
  }
  if (verb == u"ok" || e.text == u"<enter>") return end(top, true);
  if (verb == u"cancel" || e.text == u"<esc>") return end(top, false);
  static const std::u16string verbs = u" click set select tree tab key context ";
  if (w.size() < 2 || verbs.find(u" " + verb + u" ") == std::u16string::npos)
    return con.stop(e, prompt,
                    u"a dialog event (dialog NAME, click ID, set ID TEXT, select ID N|TEXT, tree ID PATH, tab ID CAPTION, key ID "
                    u"Delete|F2|Enter|Insert, context ID, ok, cancel)");
  Window* where = nullptr;
  LiveControl* c = top.find(w[1], &where);
  if (!c) return fault(u"dialog \"" + top.def().name + u"\" has no control \"" + w[1] + u"\" in view (" + verb + u")");
  if (!c->enabled || !c->shown)
    return fault(u"control \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" is " + (c->enabled ? u"hidden" : u"disabled"));
  const int id = c->def->id;
  const std::u16string rest = eventRest(e.text, 2);
  win::DialogController& ctl = where->controller();
  const ControlKind kind = c->def->kind;
  auto wrongKind = [&] { fault(u"control \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" takes no \"" + verb + u"\""); };
  if (verb == u"context") return ctl.onContextMenu(*where, id);
  if (verb == u"click") {
    if (kind == ControlKind::Check) {
      c->checked = !c->checked;
    } else if (kind == ControlKind::Radio) {
      chooseRadio(*where, *c);
    } else if (kind != ControlKind::Button && kind != ControlKind::DefaultButton) {
      return wrongKind();
    }
    if (id == 1 || id == 2) return end(top, id == 1);
    return ctl.onCommand(*where, id);
  }
  if (verb == u"set") {
    if (kind == ControlKind::Edit || (kind == ControlKind::Combo && !c->def->hasStyle(u"CBS_DROPDOWNLIST"))) {
      c->text = rest;
      c->selection = -1;
      for (size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i].text == rest) c->selection = static_cast<int>(i);
      return ctl.onCommand(*where, id);
    }
    if (kind == ControlKind::Combo) {
      for (size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i].text == rest) {
          where->setCurSel(id, static_cast<int>(i));
          return ctl.onSelChange(*where, id);
        }
      return fault(u"combo \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" has no item \"" + rest + u"\"");
    }
    return wrongKind();
  }
  if (verb == u"select") {
    // An item by its index, or by its whole text.
    int index = -1;
    if (!isList(*c)) return wrongKind();
    if (!parseIndex(rest, index))
      for (size_t i = 0; i < c->items.size() && index < 0; ++i)
        if (c->items[i].text == rest) index = static_cast<int>(i);
    if (index < 0 || index >= static_cast<int>(c->items.size()))
      return fault(u"list \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" has no item " + rest);
    where->setCurSel(id, index);
    return ctl.onSelChange(*where, id);
  }
  if (verb == u"tree") {
    if (kind != ControlKind::Tree) return wrongKind();
    const win::TreeItem item = where->itemOfPath(*c, rest);
    if (!item) return fault(u"tree \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" has no item \"" + rest + u"\"");
    c->selectedItem = item;
    return ctl.onSelChange(*where, id);
  }
  if (verb == u"tab") {
    if (kind != ControlKind::Tab) return wrongKind();
    for (size_t i = 0; i < c->tabs.size(); ++i)
      if (c->tabs[i].first == rest) {
        c->currentTab = static_cast<int>(i);
        return ctl.onSelChange(*where, id);
      }
    return fault(u"tab control \"" + w[1] + u"\" of dialog \"" + top.def().name + u"\" has no tab \"" + rest + u"\"");
  }
  static const std::pair<const char16_t*, win::Key> keys[] = {
      {u"Delete", win::Key::Delete}, {u"F2", win::Key::F2}, {u"Enter", win::Key::Enter}, {u"Insert", win::Key::Insert}};
  for (const auto& [name, key] : keys)
    if (rest == name) return ctl.onKey(*where, id, key);
  fault(u"no key \"" + rest + u"\": Delete, F2, Enter or Insert");
}

void writePicture(const Window& w) {
  const std::string file = dialogPicturePath(w.def().name);
  if (file.empty()) return;
  std::string error;
  if (!qd::files::replaceFile(file, windowHtml(w), error)) fault(qd::text::fromUtf8(error));
}

const ResourceScript* script(const std::string& path) {
  auto& scripts = state().scripts;
  if (auto it = scripts.find(path); it != scripts.end()) return it->second.get();
  std::string bytes, why;
  if (!qd::files::readFile(path, bytes, why, kScriptLimit)) {
    Console::get().write(qd::text::fromUtf8(why) + u"\n");
    return nullptr;
  }
  auto parsed = std::make_unique<ResourceScript>();
  std::u16string error;
  const std::filesystem::path file(path);
  if (!parsed->parse(dcl::decodeText(bytes), file.filename().string(), error, file.parent_path().string())) {
    Console::get().write(error + u"\n");
    return nullptr;
  }
  return scripts.emplace(path, std::move(parsed)).first->second.get();
}

}  // namespace

bool shown() { return !state().stack.empty(); }

std::vector<std::u16string> openControlNames() {
  return state().stack.empty() ? std::vector<std::u16string>() : controlNames(*state().stack.back());
}

bool check(const std::u16string& kind, const std::u16string& name, const std::u16string& expected, std::u16string& message) {
  Window& top = *state().stack.back();
  Window* where = nullptr;
  const LiveControl* c = top.find(name, &where);
  if (!c) {
    message = u"dialog \"" + top.def().name + u"\" has no control \"" + name + u"\" in view";
    return false;
  }
  std::u16string actual;
  const ControlKind k = c->def->kind;
  if (kind == u"usable") {
    actual = c->enabled && c->shown ? u"yes" : u"no";
  } else if (kind == u"list") {
    if (k == ControlKind::Tree) {
      for (const auto& [item, node] : c->tree)
        if (item) actual += (actual.empty() ? u"" : u"|") + where->itemPath(*c, item);
    } else if (k == ControlKind::Tab) {
      for (const auto& [caption, page] : c->tabs) actual += (actual.empty() ? u"" : u"|") + caption;
    } else {
      for (size_t i = 0; i < c->items.size(); ++i) actual += (i ? u"|" : u"") + c->items[i].text;
    }
  } else if (k == ControlKind::Check || k == ControlKind::Radio) {
    actual = c->checked ? u"1" : u"0";
  } else if (k == ControlKind::List) {
    actual = c->selection >= 0 ? c->items[static_cast<size_t>(c->selection)].text : u"";
  } else if (k == ControlKind::Tree) {
    actual = where->itemPath(*c, c->selectedItem);
  } else if (k == ControlKind::Tab) {
    actual = c->currentTab >= 0 ? c->tabs[static_cast<size_t>(c->currentTab)].first : u"";
  } else {
    actual = c->text;
  }
  if (actual == expected) return true;
  message = u"control \"" + name + u"\" of dialog \"" + top.def().name + u"\" holds \"" + actual + u"\", expected \"" +
            expected + u"\"";
  return false;
}

}  // namespace qd::ui::native

namespace win {

int DialogBoxParamW(const ACHAR* resourceFile, int templateId, DialogController& controller, void*) {
  using namespace qd::ui::native;
  if (!resourceFile) return -1;
  const ResourceScript* s = script(qd::text::toUtf8(resourceFile));
  if (!s) return -1;
  const DialogTemplate* def = s->dialog(templateId);
  if (!def) {
    qd::ui::Console::get().write(u"The resource script has no dialog " + number(templateId) + u".\n");
    return -1;
  }
  Window w(*s, *def, controller, nullptr);
  state().stack.push_back(&w);
  controller.onInitDialog(w);
  qd::ui::Console& c = qd::ui::Console::get();
  const std::u16string prompt = u"[Dialog " + def->name + u"] ";
  if (c.atTerminal()) c.write(windowForm(w));
  while (!w.done()) {
    qd::ui::Event e;
    c.write(prompt);
    if (!c.take(prompt, e) || c.stopped()) {
      w.endDialog(2);
      break;
    }
    if (e.text == u"show") {
      c.answer(e.text);
      c.write(windowForm(w));
      continue;
    }
    handle(w, e, prompt);
    if (c.stopped()) w.endDialog(2);
  }
  writePicture(w);
  state().stack.pop_back();
  return w.code();
}

}  // namespace win
