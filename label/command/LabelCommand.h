// The label command "QDLBL" ("C:QDLBL001"): the user composes labels in the label
// dialog and places them, one after the other, until the dialog is ended.
#pragma once

namespace qd::label {

// RTNORM always; what goes wrong is told to the user on the way.
int labelCommand();

// Between two showings of the label dialog: the settings into the drawing (the block
// "TVHK_DEF_BE" with one DESC_PAR), and the label of the current kind.
struct label_state;
bool storeSettings(label_state& state);
void drawLabel(label_state& state);

// The steps that carry out a settings dialog's request (the host's text style or
// linetype dialog, a size typed on the command line, a text style made current).
void textStyleStep(label_state& state);
void linetypeStep(label_state& state);

}  // namespace qd::label
