// The label settings record: the options of the label dialog and the drawing options of
// every label kind in each of three variants, with the user and default settings files.
#pragma once
#include <cstdint>
#include <string>

#include "label/settings/kind_settings.h"

namespace qd::label {

constexpr int kVariants = 3;
constexpr int kKinds = 9;
constexpr size_t kUserFileSize = 17573;
constexpr size_t kTableOffset = 77;

struct var_set {
  enum class Construction { Full, Light };

  int32_t unit_factor = 1000;
  char16_t scale[25] = {};
  char16_t current_variant[10] = {};
  char16_t angle_edit[16] = {};
  char16_t by_scale[2] = {};
  char16_t bind[2] = {};
  char16_t x_insert[2] = {};
  char16_t color[2] = {};
  char16_t confirm_txt[2] = {};
  char16_t beh_or_bef[2] = {};
  int32_t current_kind = 9;
  int32_t library_kind_mask = 0;
  kind_settings table[kVariants][kKinds] = {};

  // Full: unit factor and scale from the LISP variables "TV_UNITS_M-MM" and "tvmer", and
  // the base block definitions of the labels made present in the drawing.
  // Light (scratch copies, the settings entity): everything empty, current_kind 9.
  explicit var_set(Construction how = Construction::Full);
  var_set(const var_set&) = delete;
  // Copies the dialog options and all blocks; unit_factor and scale stay.
  var_set& operator=(const var_set& other);

  // From "TVDAT"/QDLBL_U.SET, else "TVDAT"/QDLBL.SET, else the built-in defaults;
  // 1 when a file was read.
  int open();
  void set_defaults();
  // The whole record into the user file; 1 when written.
  int save_all();
  // Only block [variant][kind] into the user file, the rest of it as it was.
  int save_current(int variant, int kind);
  // Whether "TVDAT"/QDLBL_U.SET exists (nothing is said when TVDAT is not set).
  bool userFileExists() const;
  // N of the scale text "1:N"; 1 without one.
  double scale_number() const;
  // A size on the sheet as drawing units, written back into `size` (capacity `units`).
  char16_t* scale_to_drawing(char16_t* size, size_t units) const;

  // The labels' block definitions (the prototype and the marks QDB, QDK, QDL, QDS1,
  // QDS2), inserted from the prototype drawing in "TVDWG" when one is missing. False
  // (after the alert) when the prototype drawing cannot be found; current_kind is then
  // 255 so that the command ends.
  bool ensure_base_blocks();

  // The user file's bytes, and reading them (slots past the end keep their values).
  std::string userFileImage() const;
  void readUserFile(const std::string& bytes);
  // The legacy default file: 8-bit text slots and 360-byte blocks. The module only
  // reads it; the image is for the tool that makes the shipped file.
  void readDefaultFile(const std::string& bytes);
  std::string defaultFileImage() const;
};

}  // namespace qd::label
