// The state of one run of the label command: the settings, the rows of every variant
// and kind, the dialog loop's next step, and what the pick step took from the drawing.
// The dialog callbacks and the label builders reach the one live instance through
// `label_state::live()`.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/acge.h"
#include "host/dbmain.h"
#include "label/DESC_PAR.h"
#include "label/settings/var_set.h"

namespace qd::label {

// Steps of the dialog loop.
enum Step : int {
  kShowDialog = 0,
  kTextStyleStep = 1,
  kLinetypeStep = 2,
  kPickStep = 3,
  kDrawLabel = 254,
  kEnd = 255,
};

// What a settings dialog asks the command to do between two showings of the dialog.
struct label_request {
  // 1 the host's text style dialog; 2 a size on the command line; 3 a text style made
  // current (created when missing); 4 the host's linetype dialog.
  int mode = 0;
  kind_settings snapshot{};      // the dialog's working copy when it asked
  std::u16string field;          // mode 2: the key of the size field ("heighttext_sc" ...)
  std::u16string styleName, fontFile;
  double widthFactor = 1, oblique = 0;  // mode 3, the obliquing angle in radians
  int reopen = 0;  // 1 or 2: the settings dialog that asked comes back on top of the label dialog
};

// What the pick step read from a label in the drawing, taken over when the dialog shows.
struct picked_label {
  int kind = -1;
  RowList rows;
  bool hasText = false;  // a text of the label gave its parameters
  double rotation = 0, height = 0, widthFactor = 1;
  int color = 256;
  std::u16string style, justification, layer;
  struct Line {
    bool present = false;
    int color = 256;
    std::u16string flags, linetype;  // extended-data text of the line
    double length = 0;
  } reference, attachment, textLine;
  struct Marks {
    bool present = false;
    std::u16string flags;  // on-flag and the three options as character codes
    int color = 256;
    double size = 0;
  } marks;
  struct Circle {
    bool present = false;
    int color = 256;
    double radius = 0;
  } circle;
  struct Frame {
    bool present = false;
    int color = 256;
    double width = 0, height = 0;
    std::vector<AcGeVector3d> edges;  // a frame of lines: its edges, measured against the text
  } frame;
  std::optional<std::u16string> rotateWithLine;
};

struct label_state {
  label_request* request = nullptr;
  int32_t platform_dos = 0;
  void* current_dialog = nullptr;
  var_set settings;
  RowList aux_rows_a, aux_rows_b;
  RowList current_rows;
  RowList rows[kVariants][kKinds];
  int32_t step = kShowDialog;
  int32_t dcl_id = -1;
  int32_t pick_mode = 0;
  std::unique_ptr<AcDbObjectIdArray> edit_ids;
  std::unique_ptr<RowList> source_texts;

  std::u16string construction, floor;  // codes from the sibling functions
  bool skip_store = false;              // the next label leaves the stored settings alone
  std::unique_ptr<label_request> pending;  // owner of `request`
  std::unique_ptr<picked_label> picked;
  bool angle_taken = false;             // pick sub-mode 1 gave an angle

  label_state();
  ~label_state();
  label_state(const label_state&) = delete;
  label_state& operator=(const label_state&) = delete;

  static label_state* live();
  static void setLive(label_state* state);

  // 0, 1, 2 for "typ1", "typ2", "typ3"; anything else 0.
  int variant() const;
  // The current kind, 0 while none (or no valid one) is chosen.
  int kindIndex() const;
  // The row list of the current variant and kind (kind 0 while none is chosen).
  RowList& currentList();
  kind_settings& currentBlock();
  void leaveRequest(std::unique_ptr<label_request> r);
  void dropRequest();
};

// The dialog file's handle comes from here; it is checked before the loop runs.
bool loadLabelDialogFile(label_state& state);

// A row list always has its head node.
void ensureHead(RowList& rows);
bool hasNonEmptyRow(const RowList& rows);

}  // namespace qd::label
