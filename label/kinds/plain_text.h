// Kind 0: the plain text label.
#pragma once

namespace qd::label {
struct label_state;
void plainTextLabel(label_state& state);
}  // namespace qd::label
