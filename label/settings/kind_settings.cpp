#include "label/settings/kind_settings.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace qd::label {
namespace {

#define QD_FIELD(member, key, legacyOffset, legacyWidth)                                                     \
  SettingsField {                                                                                           \
    key, offsetof(kind_settings, member),                                                                   \
        std::is_same_v<decltype(kind_settings::member), int32_t> ? 0                                        \
                                                                 : sizeof(kind_settings::member) / sizeof(char16_t), \
        legacyOffset, legacyWidth                                                                           \
  }

bool among(int kind, std::initializer_list<int> kinds) { return std::find(kinds.begin(), kinds.end(), kind) != kinds.end(); }

// The kinds that get a field's default; every other kind leaves the field empty or 0.
bool defaulted(std::u16string_view key, int kind) {
  const std::initializer_list<int> refLine = {1, 2, 3, 5, 6, 8}, marks = {1, 2, 3, 6}, bubble = {3, 4, 5},
                                   frame = {6, 7};
  if (key == u"bold_div_ln" || key == u"colorline" || key == u"height_bubble" || key == u"edit_mul_height" ||
      key == u"input_dia_cir_sc" || key == u"bold_ln_bubb" || key == u"color_crcl")
    return among(kind, bubble);
  if (key == u"x_ref" || key == u"bold_line_rl" || key == u"ltype" || key == u"color_ref_line" || key == u"r_line")
    return among(kind, refLine);
  if (key == u"where") return kind == 6;
  if (key == u"lenght_along") return kind == 1;
  if (key == u"bold_textline" || key == u"color_text_line" || key == u"edit_lenght_sc") return among(kind, {1, 2});
  if (key == u"along_pos" || key == u"bold_line_fr" || key == u"colr_fr" || key == u"edit_fr_sc" ||
      key == u"mark_snapped" || key == u"mark_free" || key == u"mark_plain" || key == u"attachline" ||
      key == u"perpen_text" || key == u"ed_attch_ln_sc")
    return among(kind, marks);
  if (key == u"lenght_text_line") return kind == 2;
  if (key == u"width_mark" || key == u"height_mark" || key == u"bold_line_mark" || key == u"edt_wdth_mk_sc" ||
      key == u"edt_hght_mul" || key == u"edt_hght_mk_sc" || key == u"pos_mark" || key == u"color_mark")
    return among(kind, frame);
  if (key == u"number_row") return among(kind, {3, 4, 5, 8});
  if (key == u"text_rotat") return among(kind, {5, 8});
  return true;  // the text fields every kind has
}

}  // namespace

const std::vector<SettingsField>& settingsFields() {
  static const std::vector<SettingsField> fields = {
      QD_FIELD(width_char, u"width_char", 0, 2),
      QD_FIELD(bold_line, u"bold_line", 2, 2),
      QD_FIELD(edit_space_sc, u"edit_space_sc", 4, 10),
      QD_FIELD(heighttext_sc, u"heighttext_sc", 14, 10),
      QD_FIELD(widthtext, u"widthtext", 24, 10),
      QD_FIELD(text_style, u"text_style", 34, 33),
      QD_FIELD(text_pos, u"text_pos", 67, 33),
      QD_FIELD(color_text, u"color_text", 100, 4),
      QD_FIELD(bold_div_ln, u"bold_div_ln", 104, 4),
      QD_FIELD(colorline, u"colorline", 108, 4),
      QD_FIELD(x_ref, u"x_ref", 112, 2),
      QD_FIELD(bold_line_rl, u"bold_line_rl", 114, 2),
      QD_FIELD(ltype, u"ltype", 116, 36),
      QD_FIELD(color_ref_line, u"color_ref_line", 152, 4),
      QD_FIELD(r_line, u"r_line", 156, 10),
      QD_FIELD(where, u"where", 166, 10),
      QD_FIELD(lenght_along, u"lenght_along", 176, 2),
      QD_FIELD(bold_textline, u"bold_textline", 178, 2),
      QD_FIELD(color_text_line, u"color_text_line", 180, 4),
      QD_FIELD(edit_lenght_sc, u"edit_lenght_sc", 184, 10),
      QD_FIELD(along_pos, u"along_pos", 194, 2),
      QD_FIELD(bold_line_fr, u"bold_line_fr", 196, 4),
      QD_FIELD(colr_fr, u"colr_fr", 200, 4),
      QD_FIELD(edit_fr_sc, u"edit_fr_sc", 204, 12),
      QD_FIELD(mark_snapped, u"mark_snapped", 216, 4),
      QD_FIELD(mark_free, u"mark_free", 220, 4),
      QD_FIELD(mark_plain, u"mark_plain", 224, 4),
      QD_FIELD(attachline, u"attachline", 228, 2),
      QD_FIELD(perpen_text, u"perpen_text", 230, 2),
      QD_FIELD(ed_attch_ln_sc, u"ed_attch_ln_sc", 232, 10),
      QD_FIELD(lenght_text_line, u"lenght_text_line", 242, 20),
      QD_FIELD(width_mark, u"width_mark", 262, 2),
      QD_FIELD(height_mark, u"height_mark", 264, 2),
      QD_FIELD(bold_line_mark, u"bold_line_mark", 266, 2),
      QD_FIELD(edt_wdth_mk_sc, u"edt_wdth_mk_sc", 268, 10),
      QD_FIELD(edt_hght_mul, u"edt_hght_mul", 278, 10),
      QD_FIELD(edt_hght_mk_sc, u"edt_hght_mk_sc", 288, 12),
      QD_FIELD(pos_mark, u"pos_mark", 300, 4),
      QD_FIELD(color_mark, u"color_mark", 304, 4),
      QD_FIELD(number_row, u"number_row", 308, 10),
      QD_FIELD(height_bubble, u"height_bubble", 318, 10),
      QD_FIELD(edit_mul_height, u"edit_mul_height", 328, 10),
      QD_FIELD(input_dia_cir_sc, u"input_dia_cir_sc", 338, 10),
      QD_FIELD(bold_ln_bubb, u"bold_ln_bubb", 348, 4),
      QD_FIELD(color_crcl, u"color_crcl", 352, 4),
      QD_FIELD(text_rotat, u"text_rotat", 356, 4),
  };
  return fields;
}

bool kindUses(std::u16string_view key, int kind) { return defaulted(key, kind); }

char16_t* textField(kind_settings& block, std::u16string_view key, size_t& units) {
  for (const auto& f : settingsFields())
    if (f.text() && key == f.key) {
      units = f.units;
      return reinterpret_cast<char16_t*>(reinterpret_cast<unsigned char*>(&block) + f.offset);
    }
  return nullptr;
}

std::u16string textFieldValue(kind_settings& block, std::u16string_view key) {
  size_t units = 0;
  const char16_t* f = textField(block, key, units);
  return f ? std::u16string(f, std::find(f, f + units, u'\0')) : u"";
}

bool setTextField(kind_settings& block, std::u16string_view key, std::u16string_view value) {
  size_t units = 0;
  char16_t* f = textField(block, key, units);
  if (!f) return false;
  const size_t n = std::min(value.size(), units - 1);
  std::copy(value.begin(), value.begin() + static_cast<long>(n), f);
  std::fill(f + n, f + units, u'\0');
  return true;
}

int32_t* integerField(kind_settings& block, std::u16string_view key) {
  for (const auto& f : settingsFields())
    if (!f.text() && key == f.key) return reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(&block) + f.offset);
  return nullptr;
}

std::u16string defaultText(const SettingsField& f, int variant, int kind) {
  const std::u16string_view key = f.key;
  if (!defaulted(key, kind)) return u"";
  if (key == u"edit_space_sc") return u"2";
  if (key == u"heighttext_sc") return variant == 0 && kind == 5 ? u"2.4" : u"2.5";
  if (key == u"widthtext") return u"0.8";
  if (key == u"text_style") return u"STANDARD";
  if (key == u"text_pos") return variant == 1 && kind == 8 ? u"TL" : u"BL";
  if (key == u"ltype") return u"CONTINUOUS";
  if (key == u"r_line") return u"simple";
  if (key == u"where") return variant == 2 ? u"atch_cor" : u"atch_ce";
  if (key == u"edit_lenght_sc") return u"10";
  if (key == u"edit_fr_sc" || key == u"ed_attch_ln_sc") return u"1";
  if (key == u"lenght_text_line") return variant == 0 ? u"lenght_user" : variant == 1 ? u"lenght_text" : u"lenght_long_text";
  if (key == u"edt_wdth_mk_sc") return u"18";
  if (key == u"edt_hght_mul") return u"1.4";
  if (key == u"edt_hght_mk_sc") return u"4";
  if (key == u"number_row") {
    const bool row1 = (among(kind, {3, 4}) && variant != 2) || (among(kind, {5, 8}) && variant == 1);
    return row1 ? u"row1" : u"row2";
  }
  if (key == u"height_bubble") return variant == 1 ? u"dmt_crc" : u"hgt_mul";
  if (key == u"edit_mul_height") return u"2.33";
  if (key == u"input_dia_cir_sc") return u"12";
  return u"1";  // the toggles
}

int32_t defaultInteger(const SettingsField& f, int variant, int kind) {
  const std::u16string_view key = f.key;
  if (!defaulted(key, kind)) return 0;
  if (key == u"color_text") return kind == 7 && variant != 0 ? 3 : 256;
  if (key == u"mark_snapped") return 2;
  if (key == u"mark_free") return 3;
  if (key == u"mark_plain" || key == u"pos_mark") return 6;
  return 256;  // the colours
}

}  // namespace qd::label
