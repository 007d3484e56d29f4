// The label dialog "qdlbl" where the rows of a label are typed and its kind, variant
// and options chosen, with the kind panel "imagepanel".
#pragma once
#include <string>

#include "host/adsdlg.h"

namespace qd::label {
struct label_state;

// One showing of the dialog; its callbacks leave the loop's next step in the state.
void showLabelDialog(label_state& state);
// The construction and floor codes fetched from the sibling functions and shown.
void showConstructionAndFloor(label_state& state, ads_hdlg dlg);
// The kind panel: a click on a kind's picture chooses it.
void showKindPanel(label_state& state);

// Tile helpers shared by the module's dialogs.
std::u16string tileValue(ads_hdlg dlg, const char16_t* key, int limit = 255);
std::u16string tileKey(ads_callback_packet* packet);
void focusAndSelect(ads_hdlg dlg, const char16_t* key);
void fillList(ads_hdlg dlg, const char16_t* key, const std::u16string* lines, size_t n);
void showSlide(ads_hdlg dlg, const char16_t* key, const char16_t* slide);
// The help file "TORVEL_DIR"\TORVEL.HLP at a context.
void showTorvelHelp(unsigned context);

// The angle text of the dialog: a real number of at most 10 characters, not above 360.
bool validAngleText(const std::u16string& text);

}  // namespace qd::label
