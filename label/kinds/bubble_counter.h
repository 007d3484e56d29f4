// The counters of bubble texts: "&N" and the digits after it. The stored form keeps the
// marker, the displayed form only the digits; after every bubble each counter grows by
// one, keeping its leading zeros' width and growing beyond it when it must.
#pragma once
#include <string>

namespace qd::label {

struct bubble_text {
  std::u16string stored, shown;
};

// Both forms of a stored text; a marker without digits gets the digit 1.
bubble_text splitCounter(const std::u16string& stored);
// The stored text with every counter one higher ("&N09" to "&N10", "&N99" to "&N100").
std::u16string advanceCounters(const std::u16string& stored);

}  // namespace qd::label
