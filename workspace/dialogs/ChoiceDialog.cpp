#include "workspace/dialogs/ChoiceDialog.h"

#include "workspace/Manager.h"
#include "host/winlib.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {

void tvLay1k::onInitDialog(win::DialogWindow& w) {
  w.setWindowText(text(83));
  captions(w, {{IDC_CHOICE_TEXT, 86}, {IDC_CHOICE_CONSTRUCTION, 87}, {IDC_CHOICE_GENERAL, 88}, {IDCANCEL, 46}});
}

void tvLay1k::onCommand(win::DialogWindow& w, int id) {
  if (id == IDC_CHOICE_CONSTRUCTION) w.endDialog(kConstruction1);
  if (id == IDC_CHOICE_GENERAL) w.endDialog(kConstruction2);
}

int chooseConstructionKind() {
  tvLay1k dialog;
  const int code = win::DialogBoxParamW(resourceFile().c_str(), IDD_TVLAY1K, dialog, state().parentWindow);
  return code == kConstruction1 || code == kConstruction2 ? code : 0;
}

}  // namespace qd::workspace
