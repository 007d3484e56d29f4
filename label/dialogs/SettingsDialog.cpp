// The settings dialogs of the label kinds: one frame of text tiles shared by all, the
// kinds' own tiles stored into the fields of the same name, sizes shown on the sheet and
// in drawing units, and bad numbers held in place until they are mended.
#include "label/dialogs/SettingsDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbsymtb.h"
#include "label/command/LabelCommand.h"
#include "label/command/label_state.h"
#include "label/command/sibling_calls.h"
#include "label/dialogs/LabelDialog.h"
#include "label/kinds/leader_label.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

const char16_t* const kVariantSuffix[kVariants] = {u" - I.", u" - II.", u" - III."};

constexpr double kLargestSheetSize = 999;
constexpr double kLargestDrawingSize = 49995;
constexpr size_t kLongestNumber = 9;  // the fields hold ten units with their end

// A size on the sheet and its partner in drawing units, with the message of a bad one.
struct size_pair {
  const char16_t* sheet;
  const char16_t* drawing;
  short message;
};
const size_pair kPairs[] = {{u"heighttext_sc", u"heighttext_re", 2}, {u"edit_space_sc", u"edit_space_re", 4},
                            {u"edit_lenght_sc", u"edit_lenght_re", 4}, {u"edit_fr_sc", u"edit_fr_re", 4},
                            {u"ed_attch_ln_sc", u"ed_attch_ln_re", 4}, {u"input_dia_cir_sc", u"input_dia_cir_re", 4},
                            {u"edt_wdth_mk_sc", u"edt_wdth_mk_re", 4}, {u"edt_hght_mk_sc", u"edt_hght_mk_re", 4}};

struct single_number {
  const char16_t* key;
  short message;
};
const single_number kSingles[] = {{u"widthtext", 20}, {u"edit_mul_height", 4}, {u"edt_hght_mul", 4}};

// A colour button, the swatch that shows it and the field it sets.
struct colour_button {
  const char16_t* button;
  const char16_t* swatch;
};
const colour_button kColours[] = {{u"color_text", u"image_color_text"},        {u"color_ref_line", u"image_ref_line"},
                                  {u"color_text_line", u"image_color_text_line"}, {u"colr_fr", u"image_color_fr"},
                                  {u"colorline", u"colorimagline"},             {u"color_crcl", u"img_crcl_col"},
                                  {u"color_mark", u"image_color_mark"}};

// The justifications a kind offers, in the order of its list.
const std::vector<std::u16string>& justifications(int kind) {
  static const std::vector<std::u16string> plain = {u"Left", u"Center", u"Right", u"Fit", u"TL", u"TC", u"TR",
                                                    u"ML",   u"MC",     u"MR",    u"BL",  u"BC", u"BR"};
  static const std::vector<std::u16string> onLine = {u"BL", u"BC", u"BR", u"ML", u"MC", u"MR", u"TL", u"TC", u"TR"};
  static const std::vector<std::u16string> grouped = {u"BL", u"BC", u"BR", u"ML", u"MC", u"MR"};
  static const std::vector<std::u16string> alongLine = {u"TL", u"TC", u"TR", u"BL", u"BC", u"BR"};
  if (kind == 1) return onLine;
  if (kind == 2) return grouped;
  if (kind == 8) return alongLine;
  return plain;
}

struct session {
  label_state& s;
  kind_settings copy;
  int kind = 0;
  bool invalid = false;
  std::set<std::u16string> marked;  // the number tiles holding a bad value
  int request = 0;
  std::vector<std::u16string> styles;
};
session* g_session = nullptr;  // the dialog open now

std::u16string number(double v, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
  return qd::text::fromUtf8(buffer);
}

bool sheetMode(const session& x) { return std::u16string(x.s.settings.by_scale) != u"0"; }

std::u16string fieldText(session& x, std::u16string_view key) { return textFieldValue(x.copy, key); }

void setField(session& x, std::u16string_view key, const std::u16string& value) { setTextField(x.copy, key, value); }

// A size on the sheet in drawing units, and back with two decimals.
std::u16string toDrawing(const session& x, const std::u16string& sheet) {
  char16_t size[32] = {0};
  std::copy_n(sheet.begin(), std::min<size_t>(sheet.size(), 31), size);
  return x.s.settings.scale_to_drawing(size, 32);
}

std::u16string toSheet(const session& x, double drawing) {
  const double scale = x.s.settings.scale_number() > 0 ? x.s.settings.scale_number() : 1;
  return number(drawing / scale * x.s.settings.unit_factor, 2);
}

bool among(int kind, std::initializer_list<int> kinds) { return std::find(kinds.begin(), kinds.end(), kind) != kinds.end(); }

bool inGroup(std::u16string_view key, std::initializer_list<const char16_t*> group) {
  for (const char16_t* k : group)
    if (key == k) return true;
  return false;
}

// Whether the dialog of a kind shows the tile of a field: the text frame in every one,
// the kind's own groups in theirs.
bool hasTile(const session& x, const char16_t* tile) {
  const std::u16string_view key = tile;
  const int k = x.kind;
  if (inGroup(key, {u"x_ref", u"r_line", u"bold_line_rl", u"color_ref_line", u"ltype"})) return among(k, {1, 2, 5, 8});
  if (inGroup(key, {u"lenght_along", u"bold_textline", u"edit_lenght_sc", u"color_text_line", u"lenght_text_line",
                    u"along_pos", u"bold_line_fr", u"edit_fr_sc", u"colr_fr", u"attachline", u"perpen_text",
                    u"ed_attch_ln_sc"}))
    return among(k, {1, 2});
  if (key == u"number_row") return among(k, {3, 4, 5, 8});
  if (inGroup(key, {u"bold_div_ln", u"colorline", u"height_bubble", u"edit_mul_height", u"input_dia_cir_sc",
                    u"bold_ln_bubb", u"color_crcl"}))
    return among(k, {3, 4, 5});
  if (key == u"text_rotat") return among(k, {5, 8});
  if (key == u"where") return k == 6;
  if (inGroup(key, {u"width_mark", u"height_mark", u"edt_wdth_mk_sc", u"edt_hght_mk_sc", u"edt_hght_mul",
                    u"bold_line_mark", u"color_mark", u"pos_mark"}))
    return among(k, {6, 7});
  return inGroup(key, {u"width_char", u"bold_line", u"edit_space_sc", u"heighttext_sc", u"widthtext", u"text_style",
                       u"text_pos", u"color_text"});
}

// A number a tile may hold: a whole real, not negative, at most `largest`; a value that
// is stored short enough for its field.
bool validNumber(const std::u16string& text, double largest, bool stored) {
  if (text.empty() || (stored && text.size() > kLongestNumber)) return false;
  const std::string narrow = qd::text::toUtf8(text);
  char* end = nullptr;
  const double v = std::strtod(narrow.c_str(), &end);
  return end && *end == '\0' && std::isfinite(v) && v >= 0 && v <= largest;
}

double valueOf(const std::u16string& text) { return std::atof(qd::text::toUtf8(text).c_str()); }

// A bad value is put back, the tile marked and the user told; a good one clears its mark.
bool checked(session& x, ads_hdlg dlg, const char16_t* key, double largest, short message, const std::u16string& back) {
  const std::u16string value = tileValue(dlg, key, 32);
  // Sizes in drawing units are not stored as typed: only the sheet's are bound by their field.
  const bool stored = !std::u16string_view(key).ends_with(u"_re");
  if (validNumber(value, largest, stored)) {
    if (x.marked.erase(key) && x.marked.empty()) {
      x.invalid = false;
      ads_set_tile(dlg, u"error", u"");
    }
    return true;
  }
  ads_set_tile(dlg, key, back.c_str());
  focusAndSelect(dlg, key);
  ads_set_tile(dlg, u"error", qd::support::moduleText(message));
  x.invalid = true;
  x.marked.insert(key);
  return false;
}

void checkPair(session& x, ads_hdlg dlg, const size_pair& p) {
  if (!hasTile(x, p.sheet)) return;
  const std::u16string stored = fieldText(x, p.sheet);
  if (sheetMode(x)) {
    if (checked(x, dlg, p.sheet, kLargestSheetSize, p.message, stored)) {
      setField(x, p.sheet, tileValue(dlg, p.sheet, 32));
      ads_set_tile(dlg, p.drawing, toDrawing(x, fieldText(x, p.sheet)).c_str());
    }
  } else if (checked(x, dlg, p.drawing, kLargestDrawingSize, p.message, toDrawing(x, stored))) {
    setField(x, p.sheet, toSheet(x, valueOf(tileValue(dlg, p.drawing, 32))));
    ads_set_tile(dlg, p.sheet, fieldText(x, p.sheet).c_str());
  }
}

void checkNumbers(session& x, ads_hdlg dlg) {
  for (const auto& p : kPairs) checkPair(x, dlg, p);
  for (const auto& n : kSingles)
    if (hasTile(x, n.key) && checked(x, dlg, n.key, kLargestSheetSize, n.message, fieldText(x, n.key)))
      setField(x, n.key, tileValue(dlg, n.key, 32));
}

bool isNumberTile(const std::u16string& key) {
  for (const auto& p : kPairs)
    if (key == p.sheet || key == p.drawing) return true;
  for (const auto& n : kSingles)
    if (key == n.key) return true;
  return false;
}

// ---- what the tiles show ----

void paintSwatch(ads_hdlg dlg, const char16_t* swatch, int colour) {
  short w = 0, h = 0;
  if (ads_dimensions_tile(dlg, swatch, &w, &h) != RTNORM) return;
  ads_start_image(dlg, swatch);
  ads_fill_image(0, 0, w, h, static_cast<short>(colour == 256 ? 7 : colour));
  ads_end_image();
}

// The justification's picture: a row of text as a box, the point it hangs on as a cross.
void paintJustification(ads_hdlg dlg, const std::u16string& pos) {
  short w = 0, h = 0;
  if (ads_dimensions_tile(dlg, u"text_pos_im", &w, &h) != RTNORM) return;
  ads_start_image(dlg, u"text_pos_im");
  ads_fill_image(0, 0, w, h, 0);
  const short left = static_cast<short>(w / 5), right = static_cast<short>(w - w / 5);
  const short top = static_cast<short>(h / 3), bottom = static_cast<short>(h - h / 3);
  ads_vector_image(left, top, right, top, 7);
  ads_vector_image(right, top, right, bottom, 7);
  ads_vector_image(right, bottom, left, bottom, 7);
  ads_vector_image(left, bottom, left, top, 7);
  const char16_t row = pos.size() == 2 ? pos[0] : u'B';
  const char16_t column = pos.size() == 2 ? pos[1] : pos == u"Left" ? u'L' : pos == u"Right" ? u'R' : u'C';
  const short x = column == u'L' ? left : column == u'R' ? right : static_cast<short>((left + right) / 2);
  const short y = row == u'T' ? top : row == u'M' ? static_cast<short>((top + bottom) / 2) : bottom;
  ads_vector_image(static_cast<short>(x - 3), static_cast<short>(y - 3), static_cast<short>(x + 3), static_cast<short>(y + 3), 1);
  ads_vector_image(static_cast<short>(x - 3), static_cast<short>(y + 3), static_cast<short>(x + 3), static_cast<short>(y - 3), 1);
  ads_end_image();
}

// The frame's insertion point: the frame with a cross on the chosen point.
void paintPosition(ads_hdlg dlg, int position) {
  short w = 0, h = 0;
  if (ads_dimensions_tile(dlg, u"pos_mk_image", &w, &h) != RTNORM) return;
  static const int kAt[9][2] = {{1, 1}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
  const int p = position >= 0 && position <= 8 ? position : 0;
  const short left = static_cast<short>(w / 5), right = static_cast<short>(w - w / 5);
  const short top = static_cast<short>(h / 4), bottom = static_cast<short>(h - h / 4);
  ads_start_image(dlg, u"pos_mk_image");
  ads_fill_image(0, 0, w, h, 0);
  ads_vector_image(left, top, right, top, 7);
  ads_vector_image(right, top, right, bottom, 7);
  ads_vector_image(right, bottom, left, bottom, 7);
  ads_vector_image(left, bottom, left, top, 7);
  const short x = static_cast<short>(left + (right - left) * kAt[p][0] / 2);
  const short y = static_cast<short>(top + (bottom - top) * kAt[p][1] / 2);
  ads_vector_image(static_cast<short>(x - 3), static_cast<short>(y - 3), static_cast<short>(x + 3), static_cast<short>(y + 3), 1);
  ads_vector_image(static_cast<short>(x - 3), static_cast<short>(y + 3), static_cast<short>(x + 3), static_cast<short>(y - 3), 1);
  ads_end_image();
}

// The marks a leader's end may get, in the order a click on a mark's picture goes through.
const int kMarkOptions[] = {2, 3, 4, 5, 6, 0};
const char16_t* const kMarkFields[] = {u"mark_snapped", u"mark_free", u"mark_plain"};

void showMarks(session& x, ads_hdlg dlg) {
  for (int i = 0; i < 3; ++i)
    if (const int32_t* option = integerField(x.copy, kMarkFields[i])) {
      const std::u16string key = u"text_fr_txt_" + qd::text::fromUtf8(std::to_string(i));
      const char16_t* name = markBlock(*option);
      ads_set_tile(dlg, key.c_str(), name ? name : u"-");
    }
}

size_t justificationIndex(const session& x) {
  const auto& list = justifications(x.kind);
  const std::u16string pos = x.copy.text_pos;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == pos) return i;
  return 0;
}

void showJustification(session& x, ads_hdlg dlg) {
  const auto& list = justifications(x.kind);
  fillList(dlg, u"text_pos", list.data(), list.size());
  const size_t i = justificationIndex(x);
  ads_set_tile(dlg, u"text_pos", qd::text::fromUtf8(std::to_string(i)).c_str());
  paintJustification(dlg, justifications(x.kind)[i]);
}

std::vector<std::u16string> drawingStyles() {
  std::vector<std::u16string> names;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbTextStyleTable* table = nullptr;
  if (!db || db->getTextStyleTable(table, AcDb::kForRead) != Acad::eOk) return names;
  qd::support::Opened<AcDbTextStyleTable> owned(table);
  AcDbTextStyleTableIterator* it = nullptr;
  if (table->newIterator(it) != Acad::eOk) return names;
  for (; !it->done(); it->step()) {
    AcDbTextStyleTableRecord* rec = nullptr;
    if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk) continue;
    const ACHAR* name = nullptr;
    if (rec->getName(name) == Acad::eOk && name && *name) names.emplace_back(name);
    rec->close();
  }
  delete it;
  return names;
}

void showStyles(session& x, ads_hdlg dlg) {
  x.styles = drawingStyles();
  fillList(dlg, u"text_style", x.styles.data(), x.styles.size());
  const std::u16string current = qd::text::toUpper(x.copy.text_style);
  for (size_t i = 0; i < x.styles.size(); ++i)
    if (qd::text::toUpper(x.styles[i]) == current)
      ads_set_tile(dlg, u"text_style", qd::text::fromUtf8(std::to_string(i)).c_str());
}

// Which tiles may be used: the row spacing only when the width of "A" does not give it,
// and of each pair the one the sizes are entered in.
void enableTiles(session& x, ads_hdlg dlg) {
  const bool spacing = std::u16string(x.copy.width_char) == u"0";
  ads_mode_tile(dlg, u"space_row", spacing ? MODE_ENABLE : MODE_DISABLE);
  const bool sheet = sheetMode(x);
  for (const auto& p : kPairs) {
    if (!hasTile(x, p.sheet)) continue;
    ads_mode_tile(dlg, p.sheet, sheet ? MODE_ENABLE : MODE_DISABLE);
    ads_mode_tile(dlg, p.drawing, sheet ? MODE_DISABLE : MODE_ENABLE);
  }
}

void showTiles(session& x, ads_hdlg dlg) {
  for (const auto& f : settingsFields()) {
    const std::u16string_view key = f.key;
    if (!f.text() || key == u"text_pos" || key == u"text_style" || key == u"ltype" || !hasTile(x, f.key)) continue;
    ads_set_tile(dlg, f.key, fieldText(x, f.key).c_str());
  }
  for (const auto& p : kPairs)
    if (hasTile(x, p.sheet)) ads_set_tile(dlg, p.drawing, toDrawing(x, fieldText(x, p.sheet)).c_str());
  for (const auto& c : kColours)
    if (const int32_t* colour = integerField(x.copy, c.button); colour && hasTile(x, c.button))
      paintSwatch(dlg, c.swatch, *colour);
  if (hasTile(x, u"ltype")) ads_set_tile(dlg, u"type_line", x.copy.ltype);
  if (hasTile(x, u"pos_mark")) {
    ads_set_tile(dlg, u"pos_mark", qd::text::fromUtf8(std::to_string(x.copy.pos_mark)).c_str());
    paintPosition(dlg, x.copy.pos_mark);
  }
  if (hasTile(x, u"along_pos")) showMarks(x, dlg);
  showStyles(x, dlg);
  showJustification(x, dlg);
  enableTiles(x, dlg);
}

// ---- what the tiles do ----

void chooseColour(session& x, ads_hdlg dlg, const colour_button& c) {
  int32_t* colour = integerField(x.copy, c.button);
  if (!colour) return;
  qd::support::ResbufList answer = invoke(acutBuildList(RTSTR, u"acad_colordlg", RTSHORT, *colour, 0));
  if (!answer.get() || answer.get()->restype != RTSHORT) return;
  *colour = answer.get()->resval.rint;
  paintSwatch(dlg, c.swatch, *colour);
}

// Hands a request to the label command, which carries it out and opens this dialog again.
void handOver(session& x, ads_hdlg dlg, int mode, const std::u16string& field = u"") {
  auto r = std::make_unique<label_request>();
  r->mode = mode;
  r->snapshot = x.copy;
  r->field = field;
  r->reopen = 2;
  x.s.leaveRequest(std::move(r));
  x.s.step = mode == 4 ? kLinetypeStep : kTextStyleStep;
  ads_term_dialog();
  (void)dlg;
}

// Toggles, radio groups and lists store into their fields while every number is good.
void storeOrPutBack(session& x, ads_hdlg dlg, const std::u16string& key) {
  size_t units = 0;
  if (!textField(x.copy, key, units)) return;
  if (x.invalid) {
    ads_set_tile(dlg, key.c_str(), fieldText(x, key).c_str());
    return;
  }
  setField(x, key, tileValue(dlg, key.c_str(), static_cast<int>(units)));
}

void onKey(session& x, ads_hdlg dlg, const std::u16string& key) {
  if (key == u"text_pos") {
    const auto& list = justifications(x.kind);
    const size_t i = static_cast<size_t>(std::max(0, std::atoi(qd::text::toUtf8(tileValue(dlg, u"text_pos")).c_str())));
    if (!x.invalid && i < list.size()) setField(x, u"text_pos", list[i]);
    showJustification(x, dlg);
    return;
  }
  if (key == u"text_pos_im") {
    if (x.invalid) return;
    const auto& list = justifications(x.kind);
    setField(x, u"text_pos", list[(justificationIndex(x) + 1) % list.size()]);
    showJustification(x, dlg);
    return;
  }
  if (key == u"text_style") {
    const size_t i = static_cast<size_t>(std::max(0, std::atoi(qd::text::toUtf8(tileValue(dlg, u"text_style")).c_str())));
    if (!x.invalid && i < x.styles.size()) setField(x, u"text_style", x.styles[i]);
    showStyles(x, dlg);
    return;
  }
  for (const auto& c : kColours)
    if (key == c.button) {
      if (!x.invalid) chooseColour(x, dlg, c);
      return;
    }
  if (key == u"pos_mark" || key == u"pos_mk_image") {
    int position = x.copy.pos_mark;
    if (!x.invalid) {
      position = key == u"pos_mark" ? std::atoi(qd::text::toUtf8(tileValue(dlg, u"pos_mark")).c_str()) : (position + 1) % 9;
      x.copy.pos_mark = position >= 0 && position <= 8 ? position : 0;
    }
    ads_set_tile(dlg, u"pos_mark", qd::text::fromUtf8(std::to_string(x.copy.pos_mark)).c_str());
    paintPosition(dlg, x.copy.pos_mark);
    return;
  }
  if (key.rfind(u"image_btn_fr_", 0) == 0 && key.size() == 14) {
    const int i = key[13] - u'0';
    if (i >= 0 && i < 3 && !x.invalid)
      if (int32_t* option = integerField(x.copy, kMarkFields[i])) {
        size_t at = 0;
        while (at < std::size(kMarkOptions) && kMarkOptions[at] != *option) ++at;
        *option = kMarkOptions[(at + 1) % std::size(kMarkOptions)];
      }
    showMarks(x, dlg);
    return;
  }
  if (x.invalid && key != u"accept") {
    storeOrPutBack(x, dlg, key);
    return;
  }
  if (key == u"style") return handOver(x, dlg, 1);
  if (key == u"space") return handOver(x, dlg, 2, u"edit_space_sc");
  if (key == u"ltype") return handOver(x, dlg, 4);
  if (key == u"accept") {
    if (x.invalid) return;
    x.s.currentBlock() = x.copy;
    ads_done_dialog(dlg, DLGOK);
    return;
  }
  storeOrPutBack(x, dlg, key);
  if (key == u"width_char") enableTiles(x, dlg);
}

void onSettingsEvent(ads_callback_packet* p) {
  if (!g_session) return;
  const std::u16string key = tileKey(p);
  // Cancel stores nothing: the working copy goes with the dialog.
  if (key == u"cancel") {
    ads_done_dialog(p->dialog, DLGCANCEL);
    return;
  }
  session& x = *g_session;
  checkNumbers(x, p->dialog);
  if (!isNumberTile(key)) onKey(x, p->dialog, key);
}

}  // namespace

void openSettingsDialog(label_state& s) {
  // A dialog opened again after a request goes on with the values it had.
  const kind_settings start = s.request && s.request->reopen == 2 ? s.request->snapshot : s.currentBlock();
  s.dropRequest();
  const int kind = s.kindIndex();
  const std::u16string name = u"typ" + qd::text::fromUtf8(std::to_string(kind + 1));
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(name.c_str(), s.dcl_id, onSettingsEvent, &dlg) != RTNORM || !dlg) return;
  session x{s, start, kind, false, {}, 0, {}};
  g_session = &x;
  const std::u16string title = std::u16string(qd::support::moduleText(68)) + u" - " + qd::support::moduleText(11) +
                               kVariantSuffix[s.variant()];
  ads_set_tile(dlg, name.c_str(), title.c_str());
  showTiles(x, dlg);
  int status = 0;
  ads_start_dialog(dlg, &status);
  g_session = nullptr;
}

}  // namespace qd::label
