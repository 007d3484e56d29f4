// The builders of the nine label kinds, one per kind, each run on the live state.
#pragma once

namespace qd::label {
struct label_state;

// The label of the state's current kind and variant; a kind outside 0 to 8 draws nothing.
void buildLabel(label_state& state);

// The kind's name (dictionary texts 1070 to 1078).
const char16_t* kindName(int kind);
// The kind's slide in the slide library "qdlbl".
const char16_t* kindSlide(int kind);

}  // namespace qd::label
