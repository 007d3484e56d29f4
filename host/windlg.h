// The platform's modal dialogs for modules that bring their own windows: templates from
// the module's resource script (shipped beside its library), shown until they end, with
// the controls dialogs of this kind use (texts, buttons, check and radio boxes, edits,
// combo and list boxes, trees, tabs holding pages). The module's controller hears what
// the user does; the window is what it reads and changes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "host/adsdef.h"

namespace win {

// Keys a control hears besides typing.
enum class Key { Delete, F2, Enter, Insert };
// An item of a tree control; 0 is none, and the root when inserting.
using TreeItem = int;

class DialogWindow;

class DialogController {
 public:
  virtual ~DialogController() = default;
  virtual void onInitDialog(DialogWindow&) {}
  // A button pressed, a box checked or cleared, a radio button chosen, an edit's or an
  // editable combo's text changed.
  virtual void onCommand(DialogWindow&, int id) {}
  // The selection of a list, a combo, a tree or a tab changed.
  virtual void onSelChange(DialogWindow&, int id) {}
  virtual void onKey(DialogWindow&, int id, Key) {}
  // The context menu asked for on a control (the right mouse button).
  virtual void onContextMenu(DialogWindow&, int id) {}
  // OK (Enter) and Cancel (Esc): the dialog ends with IDOK or IDCANCEL unless false.
  virtual bool onOK(DialogWindow&) { return true; }
  virtual bool onCancel(DialogWindow&) { return true; }
};

// The open dialog (or a page of it). A call naming an id the template does not have is
// a fault of the caller: the host reports it and the call does nothing.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual bool hasControl(int id) const = 0;
  virtual void setWindowText(std::u16string_view caption) = 0;
  virtual void setText(int id, std::u16string_view text) = 0;
  virtual std::u16string text(int id) const = 0;
  virtual void setCheck(int id, bool checked) = 0;
  virtual bool isChecked(int id) const = 0;
  virtual void enable(int id, bool enabled) = 0;
  virtual bool isEnabled(int id) const = 0;
  virtual void show(int id, bool shown) = 0;
  virtual bool isShown(int id) const = 0;

  // List and combo boxes: items with a value each.
  virtual void resetContent(int id) = 0;
  virtual int addString(int id, std::u16string_view text, intptr_t data = 0) = 0;
  virtual int insertString(int id, int at, std::u16string_view text, intptr_t data = 0) = 0;
  virtual void deleteString(int id, int at) = 0;
  virtual int count(int id) const = 0;
  virtual std::u16string itemText(int id, int at) const = 0;
  virtual intptr_t itemData(int id, int at) const = 0;
  virtual void setCurSel(int id, int at) = 0;  // -1: none
  virtual int curSel(int id) const = 0;

  // Trees: items appended under a parent, each with a value.
  virtual void deleteAllItems(int id) = 0;
  virtual TreeItem insertItem(int id, TreeItem parent, std::u16string_view text, intptr_t data, bool bold = false) = 0;
  virtual void selectItem(int id, TreeItem item) = 0;
  virtual TreeItem selectedItem(int id) const = 0;
  virtual intptr_t treeItemData(int id, TreeItem item) const = 0;
  virtual TreeItem parentItem(int id, TreeItem item) const = 0;

  // Tabs: each tab shows a page made from a template of the same script.
  virtual DialogWindow* addPage(int tabId, std::u16string_view caption, int templateId, DialogController& page) = 0;
  virtual void setCurTab(int tabId, int index) = 0;
  virtual int curTab(int tabId) const = 0;

  // Shows menu `menuId` of the script as a pop-up: the id of the item chosen, 0 for none.
  virtual int trackPopupMenu(int menuId) = 0;

  virtual void endDialog(int code) = 0;
};

// The platform's file dialogs. `filter` is "Name (*.ext)|*.ext|...||"; a name given
// without an extension takes `defaultExtension`, one without a folder `initialFolder`.
struct FileDialog {
  std::u16string title, filter, defaultExtension, initialFolder;
  bool overwritePrompt = false;
  std::u16string file;  // the path chosen
};
bool GetOpenFileNameW(FileDialog& dialog);
bool GetSaveFileNameW(FileDialog& dialog);

// Shows dialog `templateId` of the resource script `resourceFile` until it ends: the code
// it ended with, or -1 when the script or the template cannot be had (said at the
// command line).
int DialogBoxParamW(const ACHAR* resourceFile, int templateId, DialogController& controller, void* owner);

}  // namespace win
