#include "label/dialogs/LabelDialog.h"
#include "label/dialogs/LabelPreview.h"

#include <cstdlib>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/winhelp.h"
#include "label/command/LabelCommand.h"
#include "label/command/label_state.h"
#include "label/command/pick_step.h"
#include "label/command/sibling_calls.h"
#include "label/dialogs/LibraryDialogs.h"
#include "label/dialogs/SettingsDialog.h"
#include "label/dialogs/row_editing.h"
#include "label/kinds/builders.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::dictText;

// The toggles of the dialog and the settings fields they edit.
struct Toggle {
  const char16_t* key;
  char16_t (var_set::*field)[2];
};
const Toggle kToggles[] = {{u"color", &var_set::color},           {u"by_scale", &var_set::by_scale},
                           {u"bind", &var_set::bind},             {u"x_insert", &var_set::x_insert},
                           {u"confirm_txt", &var_set::confirm_txt}, {u"beh_or_bef", &var_set::beh_or_bef}};

// The pick buttons and their sub-modes.
const char16_t* const kPickKeys[] = {u"input_angle", u"constr_butt", u"floor_butt",
                                     u"param_by",    u"textpodle",   u"edit_ent"};


label_state& state() { return *label_state::live(); }

size_t selectedRow(ads_hdlg dlg) {
  const std::u16string value = tileValue(dlg, u"text");
  return value.empty() ? 0 : static_cast<size_t>(std::max(0, std::atoi(qd::text::toUtf8(value).c_str())));
}

void selectRow(ads_hdlg dlg, size_t index) {
  const std::u16string value = qd::text::fromUtf8(std::to_string(index));
  ads_set_tile(dlg, u"text", value.c_str());
}

void fillRows(ads_hdlg dlg, label_state& s) {
  const RowList& rows = s.currentList();
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < rows.size(); ++i) lines.push_back(rowText(rows, i));
  fillList(dlg, u"text", lines.data(), lines.size());
  drawLabelPreview(dlg, s);
}

void showRow(ads_hdlg dlg, label_state& s, size_t index) {
  selectRow(dlg, index);
  ads_set_tile(dlg, u"edit_txt", rowText(s.currentList(), index).c_str());
}

// The angle column is of no use to kind 8, nor to kind 5 when it turns its text with the line.
void ruleAngleColumn(ads_hdlg dlg, label_state& s) {
  const int kind = s.settings.current_kind;
  const bool off = kind == 8 || (kind == 5 && std::u16string(s.currentBlock().text_rotat) == u"1");
  ads_mode_tile(dlg, u"col_angle", off ? MODE_DISABLE : MODE_ENABLE);
}

void refresh(ads_hdlg dlg, label_state& s) {
  ruleAngleColumn(dlg, s);
  const kind_settings& block = s.currentBlock();
  ads_set_tile(dlg, u"height_txt", block.heighttext_sc);
  ads_set_tile(dlg, u"width_txt", block.widthtext);
  ads_set_tile(dlg, u"textstyle", block.text_style);
  fillRows(dlg, s);
}

void caption(ads_hdlg dlg, label_state& s) {
  const std::u16string text = std::u16string(dictText(1, 2, 1119)) + u" - " + kindName(s.settings.current_kind);
  ads_set_tile(dlg, u"popis", text.c_str());
}

void initialise(ads_hdlg dlg, label_state& s) {
  const var_set& v = s.settings;
  ads_set_tile(dlg, u"scale", v.scale);
  ads_set_tile(dlg, u"angle_edit", v.angle_edit);
  for (const Toggle& t : kToggles) ads_set_tile(dlg, t.key, v.*t.field);
  ads_set_tile(dlg, u"mask", v.current_variant[0] ? v.current_variant : u"typ1");
  showConstructionAndFloor(s, dlg);
  caption(dlg, s);
  refresh(dlg, s);
  showRow(dlg, s, 0);
}

// The angle tile, checked before every action; a valid angle is stored.
bool checkAngle(ads_hdlg dlg, label_state& s) {
  const std::u16string text = tileValue(dlg, u"angle_edit");
  if (validAngleText(text)) {
    setText(s.settings.angle_edit, text);
    return true;
  }
  ads_set_tile(dlg, u"error", qd::support::moduleText(4));
  focusAndSelect(dlg, u"angle_edit");
  return false;
}

void close(ads_hdlg dlg, int step) {
  state().step = step;
  ads_done_dialog(dlg, step == kEnd ? DLGCANCEL : DLGOK);
}

void onCancel(ads_callback_packet* p) { close(p->dialog, kEnd); }

void onEnd(ads_callback_packet* p) {
  label_state& s = state();
  if (s.skip_store) s.skip_store = false;
  else storeSettings(s);
  close(p->dialog, kEnd);
}

void onAccept(ads_callback_packet* p) {
  label_state& s = state();
  if (!checkAngle(p->dialog, s)) return;
  if (hasNonEmptyRow(s.currentList())) return close(p->dialog, kDrawLabel);
  ads_set_tile(p->dialog, u"error", dictText(1, 2, 1098));
  focusAndSelect(p->dialog, u"edit_txt");
}

void onVariant(ads_callback_packet* p) {
  label_state& s = state();
  if (!checkAngle(p->dialog, s)) {
    ads_set_tile(p->dialog, u"mask", s.settings.current_variant);
    return;
  }
  const std::u16string chosen = tileValue(p->dialog, u"mask");
  const int from = s.variant();
  setText(s.settings.current_variant, chosen);
  const int to = s.variant();
  // The typed rows follow the user to the other variant.
  if (to != from) {
    const int kind = s.kindIndex();
    s.rows[to][kind] = s.rows[from][kind];
  }
  refresh(p->dialog, s);
  showRow(p->dialog, s, 0);
  ads_mode_tile(p->dialog, u"edit_txt", MODE_SETFOCUS);
}

void onRowEdit(ads_hdlg dlg, label_state& s, int reason) {
  if (reason == CBR_LOST_FOCUS) return;
  const size_t row = selectedRow(dlg);
  setRowText(s.currentList(), row, tileValue(dlg, u"edit_txt"));
  fillRows(dlg, s);
  selectRow(dlg, row < s.currentList().size() ? row : 0);
  focusAndSelect(dlg, u"edit_txt");
}

void onCode(ads_hdlg dlg, const std::u16string& key) {
  const std::u16string text = withCode(key, tileValue(dlg, u"edit_txt"));
  ads_set_tile(dlg, u"edit_txt", text.substr(0, 255).c_str());
  focusAndSelect(dlg, u"edit_txt");
}

void afterRowChange(ads_hdlg dlg, label_state& s, size_t select) {
  fillRows(dlg, s);
  showRow(dlg, s, select);
}

void onSaveFiles(ads_hdlg dlg, label_state& s, bool all) {
  const int kind = s.kindIndex();
  bool saved = false;
  if (all) {
    saved = s.settings.save_all() == 1;
  } else {
    // Without a user file the whole record is written, and the answer is 0 all the same.
    const bool existed = s.settings.userFileExists();
    saved = s.settings.save_current(s.variant(), kind) == 1 || (!existed && s.settings.userFileExists());
  }
  ads_set_tile(dlg, u"error", saved ? dictText(1, 2, 1111) : u"");
}

void onLibrary(ads_hdlg dlg, label_state& s) {
  const int kind = s.kindIndex();
  s.settings.library_kind_mask = 1 << kind;
  showLibraryDialog(s);
  afterRowChange(dlg, s, 0);
  ads_mode_tile(dlg, u"edit_txt", MODE_SETFOCUS);
}

void onSave(ads_hdlg dlg, label_state& s) {
  std::u16string name;
  if (!showSaveDialog(s, name)) return;
  const std::u16string text =
      std::u16string(dictText(1, 2, 1119)) + u" \"" + name + u"\" " + dictText(1, 2, 1102);
  ads_set_tile(dlg, u"error", text.c_str());
}

bool pickButton(ads_hdlg dlg, label_state& s, const std::u16string& key) {
  for (int i = 0; i < 6; ++i)
    if (key == kPickKeys[i]) {
      s.pick_mode = i + 1;
      close(dlg, kPickStep);
      return true;
    }
  return false;
}

bool toggle(ads_hdlg dlg, label_state& s, const std::u16string& key) {
  for (const Toggle& t : kToggles)
    if (key == t.key) {
      const std::u16string value = tileValue(dlg, t.key, 1);
      setText(s.settings.*t.field, value);
      ads_set_tile(dlg, t.key, value.c_str());
      if (key == u"by_scale") refresh(dlg, s);
      return true;
    }
  return false;
}

void onDefault(ads_callback_packet* p) {
  label_state& s = state();
  ads_hdlg dlg = p->dialog;
  const std::u16string key = tileKey(p);
  const bool angleValid = checkAngle(dlg, s);
  ruleAngleColumn(dlg, s);
  const int kind = s.settings.current_kind;
  if (toggle(dlg, s, key) || pickButton(dlg, s, key)) return;
  if (key == u"image1") {
    showKindPanel(s);
    caption(dlg, s);
    refresh(dlg, s);
    showRow(dlg, s, 0);
  } else if (key == u"param") {
    openSettingsDialog(s);
    refresh(dlg, s);
    ads_mode_tile(dlg, u"edit_txt", MODE_SETFOCUS);
  } else if (key == u"save_all" || key == u"save_akt") {
    if (angleValid) onSaveFiles(dlg, s, key == u"save_all");
  } else if (key == u"edit_txt") {
    if (angleValid) onRowEdit(dlg, s, p->reason);
  } else if (key == u"text") {
    ads_set_tile(dlg, u"edit_txt", rowText(s.currentList(), selectedRow(dlg)).c_str());
  } else if (key == u"ampr" || key == u"plmn" || key == u"prum" || key == u"ndtr" || key == u"grad" ||
             key == u"podtr" || key == u"numbubl") {
    onCode(dlg, key);
  } else if (key == u"ins_row") {
    afterRowChange(dlg, s, insertRow(s.currentList(), selectedRow(dlg), kind));
  } else if (key == u"del_row") {
    afterRowChange(dlg, s, deleteRow(s.currentList(), selectedRow(dlg)));
  } else if (key == u"del_all") {
    deleteAllRows(s.currentList());
    afterRowChange(dlg, s, 0);
  } else if (key == u"uloz") {
    onSave(dlg, s);
  } else if (key == u"library") {
    onLibrary(dlg, s);
  } else if (key == u"help") {
    showTorvelHelp(970);
  }
}

// ---- the kind panel ----

void onKindImage(ads_callback_packet* p) {
  const std::u16string key = tileKey(p);
  label_state& s = state();
  s.settings.current_kind = std::atoi(qd::text::toUtf8(key.substr(key.find(u'_') + 1)).c_str()) - 1;
  s.step = kShowDialog;
  ads_done_dialog(p->dialog, DLGOK);
}

void onKindCancel(ads_callback_packet* p) {
  state().step = kShowDialog;
  ads_done_dialog(p->dialog, DLGCANCEL);
}

}  // namespace

std::u16string tileValue(ads_hdlg dlg, const char16_t* key, int limit) {
  std::u16string buffer(static_cast<size_t>(limit) + 1, u'\0');
  if (ads_get_tile(dlg, key, buffer.data(), limit + 1) != RTNORM) return u"";
  buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
  return buffer;
}

std::u16string tileKey(ads_callback_packet* packet) {
  ACHAR key[64] = {0};
  ads_get_attr_string(packet->tile, u"key", key, 64);
  return key;
}

void focusAndSelect(ads_hdlg dlg, const char16_t* key) {
  ads_mode_tile(dlg, key, MODE_SETFOCUS);
  ads_mode_tile(dlg, key, MODE_SETSEL);
}

void fillList(ads_hdlg dlg, const char16_t* key, const std::u16string* lines, size_t n) {
  ads_start_list(dlg, key, LIST_NEW, 0);
  for (size_t i = 0; i < n; ++i) ads_add_list(lines[i].c_str());
  ads_end_list();
}

void showSlide(ads_hdlg dlg, const char16_t* key, const char16_t* slide) {
  short width = 0, height = 0;
  if (ads_dimensions_tile(dlg, key, &width, &height) != RTNORM) return;
  ads_start_image(dlg, key);
  ads_fill_image(0, 0, width, height, BGLCOLOR);
  if (slide && *slide) ads_slide_image(0, 0, width, height, slide);
  ads_end_image();
}

void showTorvelHelp(unsigned context) {
  ACHAR dir[1024];
  if (acedGetEnv(u"TORVEL_DIR", dir, 1024) != RTNORM) return;
  const std::u16string file = std::u16string(dir) + u"\\TORVEL.HLP";
  WinHelpW(nullptr, file.c_str(), HELP_CONTEXT, context);
}

bool validAngleText(const std::u16string& text) {
  if (text.empty() || text.size() > 10) return false;
  const std::string narrow = qd::text::toUtf8(text);
  char* end = nullptr;
  const double value = std::strtod(narrow.c_str(), &end);
  return end && *end == '\0' && value <= 360.0;
}

void showLabelDialog(label_state& s) {
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"qdlbl", s.dcl_id, onDefault, &dlg) != RTNORM || !dlg) {
    acutPrintf(u"\nThe label dialog \"qdlbl\" cannot be shown.\n");
    s.step = kEnd;
    return;
  }
  s.current_dialog = dlg;
  ads_action_tile(dlg, u"cancel", onCancel);
  ads_action_tile(dlg, u"accept", onAccept);
  ads_action_tile(dlg, u"mask", onVariant);
  ads_action_tile(dlg, u"end", onEnd);
  const int picked = s.step == kPickStep ? s.pick_mode : 0;
  initialise(dlg, s);
  if (picked) {
    takeOverPick(s, dlg);
    caption(dlg, s);
    refresh(dlg, s);
    showRow(dlg, s, 0);
  }
  // A settings dialog that asked for a host dialog comes back on top.
  const bool reopen = s.request && s.request->reopen;
  s.step = kEnd;  // a dialog closed by the host, not by a button, ends the loop
  if (reopen) {
    openSettingsDialog(s);
    refresh(dlg, s);
  }
  int status = 0;
  ads_start_dialog(dlg, &status);
  s.current_dialog = nullptr;
}

void showConstructionAndFloor(label_state& s, ads_hdlg dlg) {
  s.construction = invokeForText(u"QD_DEF_KON").value_or(u"");
  s.floor = invokeForText(u"QD_DEF_UCS").value_or(u"");
  ads_set_tile(dlg, u"construction", s.construction.c_str());
  ads_set_tile(dlg, u"floor", s.floor.c_str());
}

void showKindPanel(label_state& s) {
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"imagepanel", s.dcl_id, NULLCB, &dlg) != RTNORM || !dlg) return;
  for (int kind = 0; kind < kKinds; ++kind) {
    const std::u16string key = u"image9_" + qd::text::fromUtf8(std::to_string(kind + 1));
    showSlide(dlg, key.c_str(), kindSlide(kind));
    ads_action_tile(dlg, key.c_str(), onKindImage);
  }
  ads_action_tile(dlg, u"cancel", onKindCancel);
  int status = 0;
  ads_start_dialog(dlg, &status);
}

}  // namespace qd::label
