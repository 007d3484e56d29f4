// The manager's own texts, by their numbers in its string table.
#pragma once

namespace qd::workspace {

const char16_t* text(int number);

}  // namespace qd::workspace
