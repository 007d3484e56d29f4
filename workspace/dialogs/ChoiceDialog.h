// The choice between a construction and a general layer (tvLay1k), which the run loop
// then asks the host for.
#pragma once
#include "host/windlg.h"

namespace qd::workspace {

class tvLay1k : public win::DialogController {
 public:
  void onInitDialog(win::DialogWindow& w) override;
  void onCommand(win::DialogWindow& w, int id) override;
};

// 103 for a construction, 104 for a general layer, 0 when cancelled.
int chooseConstructionKind();

}  // namespace qd::workspace
