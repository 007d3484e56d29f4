// The label library's dialogs: "library" takes the rows of a stored entry into the
// label, "save_txt" stores the label's rows under a name (with "varovani" before an
// entry is replaced and "delete" before one is removed).
#pragma once
#include <string>

namespace qd::label {
struct label_state;

void showLibraryDialog(label_state& state);
// True when the rows were stored; `name` is the entry's name.
bool showSaveDialog(label_state& state, std::u16string& name);

}  // namespace qd::label
