#include "workspace/dialogs/MainDialog.h"

#include "host/winlib.h"
#include "workspace/Manager.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {
constexpr int kSelectionTab = 0, kOptionsTab = 1;
}

void QDKlay01::onInitDialog(win::DialogWindow& w) {
  m_window = &w;
  w.setWindowText(text(12));
  captions(w, {{IDC_SET, 8}, {IDC_LOCK, 9}, {IDHELP, 18}, {IDCANCEL, 46}, {IDC_NOTE, 6}});
  w.enable(IDC_SET, false);
  w.enable(IDC_LOCK, false);
  // The pages are made after the buttons they enable.
  w.addPage(IDC_TAB, text(10), IDD_TVLAY1T, m_selection);
  w.addPage(IDC_TAB, text(11), IDD_TVLAY2T, m_options);
  if (m_mode == 1 && state().selected) state().history.push_back(formatted(95, {state().selectionPath}));
  showHistory(w);
  if (m_mode == 3) {
    w.setCurTab(IDC_TAB, kOptionsTab);
    w.setText(IDC_NOTE, text(7));
  }
  // A definition that ended for a pick in the drawing comes back with the answer.
  m_selection.resumeDefinition();
}

void QDKlay01::showHistory(win::DialogWindow& w) {
  const auto& history = state().history;
  w.resetContent(IDC_HISTORY);
  for (const std::u16string& entry : history) w.addString(IDC_HISTORY, entry);
  w.show(IDC_HISTORY, !history.empty());
  if (!history.empty()) w.setCurSel(IDC_HISTORY, 0);
}

void QDKlay01::onSelChange(win::DialogWindow& w, int id) {
  if (id == IDC_TAB) w.setText(IDC_NOTE, text(w.curTab(IDC_TAB) == kSelectionTab ? 6 : 7));
}

void QDKlay01::onCommand(win::DialogWindow& w, int id) {
  // The options are in the settings string already: each change is written at once.
  if (id == IDC_SET) w.endDialog(kSet);
  if (id == IDC_LOCK) w.endDialog(kLock);
  if (id == IDHELP) showHelp();
}

int showMainDialog(int mode) {
  QDKlay01 dialog(mode);
  const int code = win::DialogBoxParamW(resourceFile().c_str(), IDD_QDKLAY01, dialog, state().parentWindow);
  return code < 0 ? 2 : code;
}

}  // namespace qd::workspace
