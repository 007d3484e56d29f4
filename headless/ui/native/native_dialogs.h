// The platform's dialogs in the headless host: windows made from resource-script
// templates, driven by session-script events, checked by a script's expectations, and
// pictured as HTML when they end.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "headless/ui/console.h"
#include "headless/ui/native/resource_script.h"
#include "host/windlg.h"

namespace qd::ui::native {

struct LiveItem {
  std::u16string text;
  intptr_t data = 0;
};

struct LiveTreeItem {
  std::u16string text;
  intptr_t data = 0;
  bool bold = false;
  win::TreeItem parent = 0;
  std::vector<win::TreeItem> children;
};

class Window;

struct LiveControl {
  const ControlTemplate* def = nullptr;
  std::u16string text;
  bool checked = false, enabled = true, shown = true;
  std::vector<LiveItem> items;  // lists and combos
  int selection = -1;
  std::map<win::TreeItem, LiveTreeItem> tree;  // by item; 0 holds the top items
  win::TreeItem selectedItem = 0;
  int nextItem = 1;
  std::vector<std::pair<std::u16string, Window*>> tabs;  // caption and page
  int currentTab = -1;
};

class Window : public win::DialogWindow {
 public:
  Window(const ResourceScript& script, const DialogTemplate& def, win::DialogController& controller, Window* owner);

  bool hasControl(int id) const override;
  void setWindowText(std::u16string_view caption) override { m_caption = caption; }
  void setText(int id, std::u16string_view text) override;
  std::u16string text(int id) const override;
  void setCheck(int id, bool checked) override;
  bool isChecked(int id) const override;
  void enable(int id, bool enabled) override;
  bool isEnabled(int id) const override;
  void show(int id, bool shown) override;
  bool isShown(int id) const override;
  void resetContent(int id) override;
  int addString(int id, std::u16string_view text, intptr_t data) override;
  int insertString(int id, int at, std::u16string_view text, intptr_t data) override;
  void deleteString(int id, int at) override;
  int count(int id) const override;
  std::u16string itemText(int id, int at) const override;
  intptr_t itemData(int id, int at) const override;
  void setCurSel(int id, int at) override;
  int curSel(int id) const override;
  void deleteAllItems(int id) override;
  win::TreeItem insertItem(int id, win::TreeItem parent, std::u16string_view text, intptr_t data, bool bold) override;
  void selectItem(int id, win::TreeItem item) override;
  win::TreeItem selectedItem(int id) const override;
  intptr_t treeItemData(int id, win::TreeItem item) const override;
  win::TreeItem parentItem(int id, win::TreeItem item) const override;
  DialogWindow* addPage(int tabId, std::u16string_view caption, int templateId, win::DialogController& page) override;
  void setCurTab(int tabId, int index) override;
  int curTab(int tabId) const override;
  int trackPopupMenu(int menuId) override;
  void endDialog(int code) override;

  const DialogTemplate& def() const { return m_def; }
  const std::u16string& caption() const { return m_caption; }
  win::DialogController& controller() { return m_controller; }
  bool done() const { return m_done; }
  int code() const { return m_code; }
  // The control of that name (or number) here, or on the page shown; null when none.
  LiveControl* find(const std::u16string& name, Window** where);
  const LiveControl* control(int id) const;
  std::vector<const LiveControl*> controls() const;
  // The path of a tree item, its texts joined by '/'; and the item of a path.
  std::u16string itemPath(const LiveControl& c, win::TreeItem item) const;
  win::TreeItem itemOfPath(const LiveControl& c, const std::u16string& path) const;

 private:
  LiveControl* live(int id, const char* operation);
  const LiveControl* live(int id, const char* operation) const;

  const ResourceScript& m_script;
  const DialogTemplate& m_def;
  win::DialogController& m_controller;
  Window* m_owner;  // the dialog a page belongs to
  std::u16string m_caption;
  std::map<int, LiveControl> m_controls;
  std::vector<std::unique_ptr<Window>> m_pages;
  bool m_done = false;
  int m_code = 2;
};

// Whether a native dialog is shown; the checks of a script against the one on top
// ("tile NAME VALUE", "list NAME a|b", "usable NAME yes|no").
bool shown();
bool check(const std::u16string& kind, const std::u16string& name, const std::u16string& expected, std::u16string& message);
// The picture of a dialog with its pages and current values.
std::string windowHtml(const Window& w);
// The dialog as a text form for a person at the terminal, with the verbs that answer it.
std::u16string windowForm(const Window& w);
// The names of its controls and those of the page shown.
std::vector<std::u16string> controlNames(const Window& w);
// Those of the dialog on top, none when no native dialog is shown.
std::vector<std::u16string> openControlNames();

}  // namespace qd::ui::native
