// The manager's main dialog (QDKlay01): the selection and options pages in a tab
// control, the history, and the buttons that end it towards the run loop.
#pragma once
#include "host/windlg.h"
#include "workspace/dialogs/OptionsPage.h"
#include "workspace/dialogs/SelectionPage.h"

namespace qd::workspace {

class QDKlay01 : public win::DialogController {
 public:
  explicit QDKlay01(int mode) : m_mode(mode), m_options(m_window), m_selection(m_window, m_options) {}
  void onInitDialog(win::DialogWindow& w) override;
  void onSelChange(win::DialogWindow& w, int id) override;
  void onCommand(win::DialogWindow& w, int id) override;

 private:
  void showHistory(win::DialogWindow& w);

  int m_mode;
  win::DialogWindow* m_window = nullptr;
  tvLay2t m_options;
  tvLay1t m_selection;
};

}  // namespace qd::workspace
