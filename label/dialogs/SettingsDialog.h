// The settings dialog of a label kind ("typ1" to "typ9") on the current variant.
#pragma once

namespace qd::label {
struct label_state;

// Shows the dialog of the state's current kind over the label dialog.
void openSettingsDialog(label_state& state);

}  // namespace qd::label
