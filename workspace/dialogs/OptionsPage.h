// The options page (tvLay2t): settings positions 1 to 7 as check boxes and a radio
// group, written back to the settings string at every change.
#pragma once
#include "host/windlg.h"

namespace qd::workspace {

class tvLay2t : public win::DialogController {
 public:
  explicit tvLay2t(win::DialogWindow*& main) : m_main(main) {}
  void onInitDialog(win::DialogWindow& w) override;
  void onCommand(win::DialogWindow& w, int id) override;
  // Shows the settings string again (after an import).
  void refresh();

 private:
  win::DialogWindow*& m_main;
  win::DialogWindow* m_page = nullptr;
};

}  // namespace qd::workspace
