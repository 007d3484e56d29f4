#include "headless/dxf/dxf_out.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codepage.h"

namespace qd::dxf {

char* hexInto(char* p, uint64_t v) {
  char* end = std::to_chars(p, p + kMostHex, v, 16).ptr;
  std::transform(p, end, p, [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
  return end;
}
void appendHex(std::string& out, uint64_t v) {
  char buf[kMostHex];
  out.append(buf, static_cast<size_t>(hexInto(buf, v) - buf));
}
std::string hex(uint64_t v) {
  std::string out;
  appendHex(out, v);
  return out;
}

char* realInto(char* p, double v) {
  char* end = std::to_chars(p, p + kMostReal, v).ptr;
  if (std::find_if(p, end, [](char c) { return c == '.' || c == 'e' || c == 'E' || c == 'n'; }) == end) {
    *end++ = '.';
    *end++ = '0';
  }
  return end;
}
void appendReal(std::string& out, double v) {
  char buf[kMostReal + 2];
  out.append(buf, static_cast<size_t>(realInto(buf, v) - buf));
}
namespace {

// Control characters in caret notation, the rest as UTF-8.
void appendOtherText(std::string& out, std::u16string_view s) {
  size_t run = 0;  // the start of the characters written as they are
  auto flush = [&](size_t end) {
    if (end > run) qd::text::appendUtf8(out, s.substr(run, end - run));
  };
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 32 && c != u'^') continue;
    flush(i);
    run = i + 1;
    if (c < 32) {
      out += '^';
      out += static_cast<char>(c + 64);
    } else {
      out += "^ ";
    }
  }
  flush(s.size());
}

}  // namespace

std::string real(double v) {
  std::string out;
  appendReal(out, v);
  return out;
}

void appendText(std::string& out, std::u16string_view s) {
  // Most texts of a drawing (layer names, handles' owners, numbers as text) are plain
  // ASCII: those are narrowed as they are copied, a stretch at a time, without a
  // conversion. The rest of a text from its first other character takes the long way.
  char narrow[64];
  for (size_t i = 0; i < s.size();) {
    const size_t n = std::min(sizeof narrow, s.size() - i);
    size_t k = 0;
#if defined(__SSE2__)
    // Eight at a time while all of them are plain (signed: from 0x8000 up, below 32).
    for (; k + 8 <= n; k += 8) {
      const __m128i wide = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i + k));
      const __m128i plain = _mm_andnot_si128(
          _mm_cmpeq_epi16(wide, _mm_set1_epi16('^')),
          _mm_and_si128(_mm_cmpgt_epi16(wide, _mm_set1_epi16(31)), _mm_cmplt_epi16(wide, _mm_set1_epi16(128))));
      if (_mm_movemask_epi8(plain) != 0xFFFF) break;
      _mm_storel_epi64(reinterpret_cast<__m128i*>(narrow + k), _mm_packus_epi16(wide, wide));
    }
#endif
    for (; k < n; ++k) {
      const char16_t c = s[i + k];
      if (c < 32 || c >= 128 || c == u'^') break;
      narrow[k] = static_cast<char>(c);
    }
    out.append(narrow, k);
    i += k;
    if (k < n) {
      appendOtherText(out, s.substr(i));
      return;
    }
  }
}

}  // namespace qd::dxf
