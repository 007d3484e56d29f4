// The element a label belongs to: picked in the drawing near a point, among the
// construction and general elements whose layers are there, by the identity name their
// entities carry.
#pragma once
#include <optional>
#include <string>

#include "host/acge.h"

namespace qd::label {

enum class PickStatus { Picked = 0, Cancelled = 1, DialogCancelled = 2, OwnIdentity = 3 };

struct element_choice {
  PickStatus status = PickStatus::Picked;
  std::optional<std::u16string> name;  // none: nothing found there, ask again
};

// Without a point the user drags one (nearest snap); `code` is the two characters of
// the element's layer, empty for any element.
element_choice elementPicker(const std::optional<AcGePoint3d>& at, const std::u16string& code, int dialogFile);

// The dialog's list line of a candidate: the description padded to 55 characters, the
// detail after it (an empty line when either is missing).
std::u16string candidateLine(const std::u16string& description, const std::u16string& detail);

}  // namespace qd::label
