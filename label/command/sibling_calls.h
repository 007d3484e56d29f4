// Calls of the sibling modules' LISP functions through acedInvoke, the function's name
// first, with what the label module takes from their answers.
#pragma once
#include <optional>
#include <string>

#include "Library/Inc/holders.h"

namespace qd::label {

// The answer of the function called with `args` (its name first); empty when the call
// fails. The list is the caller's to keep or drop.
qd::support::ResbufList invoke(resbuf* args);
// The function without arguments; its string answer, or nothing.
std::optional<std::u16string> invokeForText(const char16_t* function);
// The real (or integer) answer of "QD_PAR_UCS" with (code, floor); nothing when missing.
std::optional<double> floorParameter(short code, const std::u16string& floor);

}  // namespace qd::label
