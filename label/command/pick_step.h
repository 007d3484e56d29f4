// The pick step of the label dialog: an angle, the construction or floor, or a label
// (or plain texts) picked in the drawing, whose values the dialog then takes over.
#pragma once
#include <optional>
#include <string>

#include "host/adsdlg.h"
#include "host/dbmain.h"

namespace qd::label {
struct label_state;
struct picked_label;

// Runs the state's pick sub-mode (1 to 6) between two showings of the dialog.
void runPickStep(label_state& state);
// What the pick step found, into the settings and the dialog being initialised.
void takeOverPick(label_state& state, ads_hdlg dlg);

// A label's entity: its kind (the digit of "TV_TEXT_k") and its identity name; nothing
// for an entity that is not part of a label.
struct label_mark {
  int kind = -1;
  std::u16string identity;
};
std::optional<label_mark> recogniseLabel(AcDbObjectId entity);
// Every entity of the label the entity belongs to: the members of its group for the
// kinds that group their texts (0, 4, 7), else the current space's entities that carry
// the label's identity and kind.
AcDbObjectIdArray gatherLabel(AcDbObjectId entity, const label_mark& mark);
// The rows and the parameters of the gathered entities.
void readLabel(const AcDbObjectIdArray& ids, picked_label& out);

}  // namespace qd::label
