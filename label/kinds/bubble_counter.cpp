#include "label/kinds/bubble_counter.h"

namespace qd::label {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool markerAt(const std::u16string& s, size_t i) { return s[i] == u'&' && i + 1 < s.size() && s[i + 1] == u'N'; }

// A run of decimal digits one higher, as long as it was or one longer: digit by digit,
// so that no counter is too long to count.
std::u16string incremented(std::u16string digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != u'9') {
      ++digits[i];
      return digits;
    }
    digits[i] = u'0';
  }
  return u"1" + digits;
}

}  // namespace

bubble_text splitCounter(const std::u16string& stored) {
  bubble_text out;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (markerAt(stored, i)) {
      out.stored += u"&N";
      ++i;
      if (i + 1 >= stored.size() || !isDigit(stored[i + 1])) out.stored += u'1', out.shown += u'1';
      continue;
    }
    out.stored += stored[i];
    out.shown += stored[i];
  }
  return out;
}

std::u16string advanceCounters(const std::u16string& stored) {
  std::u16string out;
  for (size_t i = 0; i < stored.size();) {
    if (!markerAt(stored, i)) {
      out += stored[i++];
      continue;
    }
    out += u"&N";
    i += 2;
    size_t end = i;
    while (end < stored.size() && isDigit(stored[end])) ++end;
    const std::u16string digits = stored.substr(i, end - i);
    // Counting digit by digit keeps leading zeros and grows only when it must.
    if (!digits.empty()) out += incremented(digits);
    i = end;
  }
  return out;
}

}  // namespace qd::label
