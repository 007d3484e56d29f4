#include "label/dialogs/SettingsDialog.h"

#include "Library/Inc/J_SUPP.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "label/command/label_state.h"
#include "label/dialogs/LabelDialog.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

const char16_t* const kVariantSuffix[kVariants] = {u" - I.", u" - II.", u" - III."};

void onSettingsEvent(ads_callback_packet* p) {
  // The dialog shows the kind's settings; its fields are taken by their own handlers.
  if (tileKey(p) == u"accept") ads_done_dialog(p->dialog, DLGOK);
}

}  // namespace

void openSettingsDialog(label_state& s) {
  s.dropRequest();
  const int kind = s.kindIndex();
  const std::u16string name = u"typ" + qd::text::fromUtf8(std::to_string(kind + 1));
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(name.c_str(), s.dcl_id, onSettingsEvent, &dlg) != RTNORM || !dlg) return;
  const std::u16string title = std::u16string(qd::support::moduleText(68)) + u" - " + qd::support::moduleText(11) +
                               kVariantSuffix[s.variant()];
  ads_set_tile(dlg, name.c_str(), title.c_str());
  const kind_settings& block = s.currentBlock();
  ads_set_tile(dlg, u"heighttext_sc", block.heighttext_sc);
  ads_set_tile(dlg, u"edit_space_sc", block.edit_space_sc);
  ads_set_tile(dlg, u"widthtext", block.widthtext);
  ads_set_tile(dlg, u"width_char", block.width_char);
  ads_set_tile(dlg, u"bold_line", block.bold_line);
  int status = 0;
  ads_start_dialog(dlg, &status);
}

}  // namespace qd::label
