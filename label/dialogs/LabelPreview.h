// The picture of the current label kind in the label dialog's tile "image1": every row a
// crossed box of its measured size, the kind's lines, circle or frame drawn schematically
// around them, the point the label hangs on as a small cross.
#pragma once
#include <string>
#include <vector>

#include "host/adsdlg.h"

namespace qd::label {
struct label_state;

// A row's box in the picture's own units, y growing downwards.
struct row_box {
  double left, top, right, bottom;
};

// The rows' boxes from the top, each next one a gap lower, aligned by the justification
// (L left, R right, C or "Middle" centred in the widest row).
std::vector<row_box> rowBoxes(const std::vector<double>& widths, double height, double gap,
                              const std::u16string& justification);

// Draws the current kind's picture into "image1" of the dialog.
void drawLabelPreview(ads_hdlg dlg, label_state& state);

}  // namespace qd::label
