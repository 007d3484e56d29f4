// A real number as a DXF value line holds it, read to the double nearest to it.
#pragma once
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <system_error>

namespace qd::dxf {

namespace real_text {

// The number the eight digit bytes of `chunk` make, the first byte the highest digit:
// by pairs, fours and then all.
inline uint64_t eightDigits(uint64_t chunk) {
  chunk -= 0x3030303030303030;
  chunk = (chunk * 10) + (chunk >> 8);
  return (((chunk & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
          (((chunk >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
         32;
}

// Adds the decimal digits from `p` on to `digits`, eight at a time while eight stand
// before `end`; gives where they stop. Past 19 digits the sum wraps, and is not used.
inline const char* addDigits(const char* p, const char* end, uint64_t& digits) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 8) {
      uint64_t chunk;
      std::memcpy(&chunk, p, 8);
      // Every byte a digit: its high half is 3, and adding 6 does not carry out of it.
      if (((chunk & 0xF0F0F0F0F0F0F0F0) | (((chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) !=
          0x3333333333333333)
        break;
      digits = digits * 100000000 + eightDigits(chunk);
      p += 8;
    }
    // Then four, as most runs that are left have (a coordinate's whole part).
    if (end - p >= 4) {
      uint32_t chunk;
      std::memcpy(&chunk, p, 4);
      if (((chunk & 0xF0F0F0F0) | (((chunk + 0x06060606) & 0xF0F0F0F0) >> 4)) == 0x33333333) {
        chunk -= 0x30303030;
        chunk = (chunk * 10) + (chunk >> 8);
        digits = digits * 10000 + (chunk & 0xFF) * 100 + ((chunk >> 16) & 0xFF);
        p += 4;
      }
    }
  }
  for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  return p;
}

inline constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;  // the exact products below take 128 bits

// 10^k exactly, k up to 19: a product with it takes one multiplication.
inline constexpr uint64_t kExactTens[] = {1,
                                          10,
                                          100,
                                          1000,
                                          10000,
                                          100000,
                                          1000000,
                                          10000000,
                                          100000000,
                                          1000000000,
                                          10000000000,
                                          100000000000,
                                          1000000000000,
                                          10000000000000,
                                          100000000000000,
                                          1000000000000000,
                                          10000000000000000,
                                          100000000000000000,
                                          1000000000000000000,
                                          10000000000000000000u};
#endif

// The double nearest to digits / 10^k (ties to even), for digits of at most 19 places
// and k up to 22 (up to 19 for digits from 2^53 on); false where this way cannot tell
// it. Below 2^53 the digits and the power are doubles exactly, and one division rounds
// the exact quotient. Above it, that quotient is off by an ulp at most, and is set right
// by comparing, in exact integers, the digits with the midpoints to its neighbours (both
// sides times 10^k and 2^-e).
inline bool nearest(uint64_t digits, size_t k, double& out) {
  const double guess = static_cast<double>(digits) / kTens[k];
  if (digits < (uint64_t{1} << 53)) {
    out = guess;
    return true;
  }
#if defined(__SIZEOF_INT128__)
  const uint64_t bits = std::bit_cast<uint64_t>(guess);
  const int biased = static_cast<int>(bits >> 52);
  constexpr uint64_t kHidden = uint64_t{1} << 52;
  uint64_t m = (bits & (kHidden - 1)) | kHidden;
  // guess = m * 2^(biased - 1075); its midpoints are (2m ± 1) * 2^(biased - 1076).
  const int shift = 1076 - biased;
  if (shift < 0 || shift + std::bit_width(digits) > 127) return false;
  const Wide scaled = static_cast<Wide>(digits) << shift;
  if (k >= std::size(kExactTens)) return false;
  const uint64_t ten = kExactTens[k];
  for (int step = 0; step < 4; ++step) {
    // Where the midpoints move to the next binade, the other way tells it.
    if (m <= kHidden || m >= 2 * kHidden - 1) return false;
    const Wide above = static_cast<Wide>(2 * m + 1) * static_cast<Wide>(ten);
    const Wide below = static_cast<Wide>(2 * m - 1) * static_cast<Wide>(ten);
    if (scaled > above || (scaled == above && (m & 1))) {
      ++m;
    } else if (scaled < below || (scaled == below && (m & 1))) {
      --m;
    } else {
      out = std::bit_cast<double>((static_cast<uint64_t>(biased) << 52) | (m - kHidden));
      return true;
    }
  }
#endif
  return false;
}

}  // namespace real_text

// Reads the whole of `text` as a finite real; false when it is anything else. Plain
// digits with a point, as writers put reals, are read here; any other text, or one this
// way cannot tell, is left to std::from_chars. Either way the result is the double
// nearest to the text.
// Made inline: the parser reads every real through it.
[[gnu::always_inline]] inline bool readReal(std::string_view text, double& out) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  uint64_t digits = 0;
  const char* const first = p;
  p = real_text::addDigits(p, end, digits);
  const size_t whole = static_cast<size_t>(p - first);
  size_t fraction = 0;
  if (whole > 0 && p < end && *p == '.') {
    const char* const point = ++p;
    p = real_text::addDigits(p, end, digits);
    fraction = static_cast<size_t>(p - point);
  }
  double v = 0;
  if (whole > 0 && p == end && whole + fraction <= 19 && fraction < std::size(real_text::kTens) &&
      real_text::nearest(digits, fraction, v)) {
    out = negative ? -v : v;
    return true;
  }
  double d = 0;
  const auto r = std::from_chars(text.data(), end, d);
  if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(d)) return false;
  out = d;
  return true;
}

}  // namespace qd::dxf
