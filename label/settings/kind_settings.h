// The drawing options of one label kind in one variant: a 648-byte block whose memory
// layout is also its layout in the user settings file (UTF-16LE text, 32-bit integers).
#pragma once
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qd::label {

struct kind_settings {
  char16_t width_char[2];
  char16_t bold_line[2];
  char16_t edit_space_sc[10];
  char16_t heighttext_sc[10];
  char16_t widthtext[10];
  char16_t text_style[33];
  char16_t text_pos[33];
  int32_t color_text;
  char16_t bold_div_ln[2];
  int32_t colorline;
  char16_t x_ref[2];
  char16_t bold_line_rl[2];
  char16_t ltype[34];
  int32_t color_ref_line;
  char16_t r_line[10];
  char16_t where[10];
  char16_t lenght_along[2];
  char16_t bold_textline[2];
  int32_t color_text_line;
  char16_t edit_lenght_sc[10];
  char16_t along_pos[2];
  char16_t bold_line_fr[2];
  int32_t colr_fr;
  char16_t edit_fr_sc[10];
  int32_t mark_snapped;  // mark option for a snapped leader end
  int32_t mark_free;     // mark option for a free leader end
  int32_t mark_plain;    // mark option when "along_pos" is off
  char16_t attachline[2];
  char16_t perpen_text[2];
  char16_t ed_attch_ln_sc[10];
  char16_t lenght_text_line[20];
  char16_t width_mark[2];
  char16_t height_mark[2];
  char16_t bold_line_mark[2];
  char16_t edt_wdth_mk_sc[10];
  char16_t edt_hght_mul[10];
  char16_t edt_hght_mk_sc[10];
  int32_t pos_mark;
  int32_t color_mark;
  char16_t number_row[10];
  char16_t height_bubble[10];
  char16_t edit_mul_height[10];
  char16_t input_dia_cir_sc[10];
  char16_t bold_ln_bubb[2];
  int32_t color_crcl;
  char16_t text_rotat[2];
};

static_assert(std::endian::native == std::endian::little, "the block is filed as it lies in memory");
static_assert(sizeof(kind_settings) == 648);
static_assert(offsetof(kind_settings, text_style) == 68);
static_assert(offsetof(kind_settings, text_pos) == 134);
static_assert(offsetof(kind_settings, color_text) == 200);
static_assert(offsetof(kind_settings, ltype) == 220);
static_assert(offsetof(kind_settings, color_ref_line) == 288);
static_assert(offsetof(kind_settings, where) == 312);
static_assert(offsetof(kind_settings, edit_lenght_sc) == 344);
static_assert(offsetof(kind_settings, mark_snapped) == 396);
static_assert(offsetof(kind_settings, ed_attch_ln_sc) == 416);
static_assert(offsetof(kind_settings, lenght_text_line) == 436);
static_assert(offsetof(kind_settings, edt_hght_mk_sc) == 528);
static_assert(offsetof(kind_settings, pos_mark) == 548);
static_assert(offsetof(kind_settings, number_row) == 556);
static_assert(offsetof(kind_settings, input_dia_cir_sc) == 616);
static_assert(offsetof(kind_settings, color_crcl) == 640);
static_assert(offsetof(kind_settings, text_rotat) == 644);

// Writes text into a fixed field, cut to fit and NUL-padded.
template <size_t N>
void setText(char16_t (&field)[N], std::u16string_view text) {
  const size_t n = std::min(text.size(), N - 1);
  std::copy(text.begin(), text.begin() + static_cast<long>(n), field);
  std::fill(field + n, field + N, u'\0');
}

// One field of the block: where it lies here and in the 360-byte legacy block.
struct SettingsField {
  const char16_t* key;  // the tile key, or a name for the mark options
  size_t offset;
  size_t units;         // UTF-16 units of a text field; 0 for an integer
  size_t legacyOffset;
  size_t legacyWidth;   // bytes of the legacy field (text NUL-terminated within it)
  bool text() const { return units != 0; }
};
const std::vector<SettingsField>& settingsFields();

// Whether a kind has the field (its settings dialog shows it).
bool kindUses(std::u16string_view key, int kind);
// A block's text field by its tile key, with its width in UTF-16 units; null for none.
char16_t* textField(kind_settings& block, std::u16string_view key, size_t& units);
// A text field's value by its tile key (empty for none), and setting it, cut to fit
// (false for no such field).
std::u16string textFieldValue(kind_settings& block, std::u16string_view key);
bool setTextField(kind_settings& block, std::u16string_view key, std::u16string_view value);
// A block's integer field by its name; null for none.
int32_t* integerField(kind_settings& block, std::u16string_view key);

// The built-in default of a field for a variant and kind: its text, or its integer.
std::u16string defaultText(const SettingsField& f, int variant, int kind);
int32_t defaultInteger(const SettingsField& f, int variant, int kind);

}  // namespace qd::label
