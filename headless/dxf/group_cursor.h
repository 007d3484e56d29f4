// The groups of a DXF text, one at a time: a group's code and where its value stands,
// read in place without a copy, and the reader's fault with the line it names.
#pragma once
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qd::dxf {

// A group as the file has it: where its value stands in the file's text, which outlives
// the reading, and its number. Each group takes two lines, so its number gives its line.
struct RawGroup {
  uint32_t offset;  // where the value starts in the file's text
  uint32_t size;
  int32_t code;
  uint32_t index;
};

struct Failure {
  size_t line;
  std::string message;
};

inline std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

// A group code as a line holds it: blanks around an optional sign and digits. False when
// the line holds anything else (or nothing).
inline bool parseCode(std::string_view line, int& code) {
  size_t i = 0, n = line.size();
  while (n > 0 && (line[n - 1] == '\r' || line[n - 1] == ' ' || line[n - 1] == '\t')) --n;
  while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
  const bool negative = i < n && line[i] == '-';
  if (negative) ++i;
  if (i == n) return false;
  int64_t v = 0;
  for (; i < n; ++i) {
    if (line[i] < '0' || line[i] > '9' || v > std::numeric_limits<int>::max()) return false;
    v = v * 10 + (line[i] - '0');
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  code = static_cast<int>(v);
  return true;
}

// Walks the groups of the text one at a time, so that a list of them all, as large as
// the text itself, is never made. A bad code or a missing value fails with its line. The
// walk ends after the EOF group, or at the end of the text (a last blank line allowed).
class GroupCursor {
 public:
  // The group whose code line starts at `offset`, the file's group number `index`.
  GroupCursor(std::string_view text, size_t offset = 0, uint32_t index = 0)
      : m_text(text), m_p(text.data() + offset), m_quickTo(quickTo(text)) {
    m_g.index = index;
    load();
  }
  bool valid() const { return m_valid; }
  const RawGroup& operator*() const { return m_g; }
  const RawGroup* operator->() const { return &m_g; }
  // The number the next group has (or would have).
  uint32_t nextIndex() const { return m_g.index + 1; }
  // Where the next group's code line starts.
  size_t nextOffset() const { return static_cast<size_t>(m_p - m_text.data()); }
  [[gnu::always_inline]] void next() {
    if (!m_valid) return;
    const bool eof = m_g.code == 0 && trim(value()) == "EOF";
    ++m_g.index;
    if (eof) m_valid = false;
    else load();
  }
  std::string_view value() const { return m_text.substr(m_g.offset, m_g.size); }

 private:
  // The end of a line found in the 32 bytes at `p`, which the text holds; null when the
  // line is longer. Most lines are short (a real as written with all its digits takes 17
  // to 24), and found in one look.
  static const char* shortLineEnd(const char* p) {
#if defined(__SSE2__)
    const __m128i nl = _mm_set1_epi8('\n');
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, nl))) |
                          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, nl))) << 16;
    return hits != 0 ? p + __builtin_ctz(hits) : nullptr;
#else
    return static_cast<const char*>(std::memchr(p, '\n', 32));
#endif
  }
  static const char* lineEnd(const char* p, const char* end) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    return nl ? nl : end;
  }
  bool nextLine(std::string_view& l) {
    const char* const end = m_text.data() + m_text.size();
    if (m_p >= end) return false;
    const char* nl = lineEnd(m_p, end);
    l = std::string_view(m_p, static_cast<size_t>(nl - m_p));
    m_p = nl + 1;
    return true;
  }
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  // A code line as writers put it: blanks, digits of at most four places, blanks, the
  // end of the line. Anything else is read by the general rule below.
  bool plainCode(int& code) {
    const char* p = m_p;
    const char* const end = m_text.data() + m_text.size();
    while (p < end && *p == ' ') ++p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    int v = 0, digits = 0;
    for (; p < end && *p >= '0' && *p <= '9' && digits < 5; ++p, ++digits) v = v * 10 + (*p - '0');
    if (digits == 0 || digits == 5) return false;
    while (p < end && (*p == ' ' || *p == '\r')) ++p;
    if (p >= end || *p != '\n') return false;
    m_p = p + 1;
    code = negative ? -v : v;
    return true;
  }
  // Made inline, with the quick way in it: a call for each group costs as much as a
  // sixth of reading it.
  [[gnu::always_inline]] void load() {
    if (!loadPlain()) loadGeneral();
  }
  // Where the quick way's last group may start: a code line of up to four places and 32
  // bytes of its value's line lie ahead of it. Nowhere in a text whose offsets do not fit
  // a group's.
  static constexpr size_t kQuickAhead = 5 + 32;
  static const char* quickTo(std::string_view text) {
    if (text.size() < kQuickAhead || text.size() > std::numeric_limits<uint32_t>::max()) return nullptr;
    return text.data() + text.size() - kQuickAhead;
  }
  // Most groups the quick way: a code right-aligned in three places, as "%3d" writes it,
  // or extended data's in four, and a value's line that ends before the text does. False,
  // with nothing read, for anything else, which the general rule reads. Made inline: it
  // reads nearly every group of a file.
  [[gnu::always_inline]] bool loadPlain() {
    const char* const p = m_p;
    if (!m_quickTo || p > m_quickTo) return false;
    int code = 0;
    const char* v = nullptr;
    if (p[3] == '\n' && isDigit(p[2])) {
      code = p[2] - '0';
      if (isDigit(p[1])) {
        if (p[0] != ' ' && !isDigit(p[0])) return false;
        code += (p[1] - '0') * 10 + (p[0] == ' ' ? 0 : (p[0] - '0') * 100);
      } else if (p[1] != ' ' || p[0] != ' ') {
        return false;
      }
      v = p + 4;
    } else if (p[4] == '\n' && isDigit(p[0]) && isDigit(p[1]) && isDigit(p[2]) && isDigit(p[3])) {
      code = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
      if (code > 1071) return false;  // told by the general rule
      v = p + 5;
    } else {
      return false;
    }
    const char* nl = shortLineEnd(v);
    if (!nl) {
      const char* const end = m_text.data() + m_text.size();
      nl = static_cast<const char*>(std::memchr(v + 32, '\n', static_cast<size_t>(end - v - 32)));
      if (!nl) return false;
    }
    // The character before the line's end is at worst the code line's own.
    m_g.offset = static_cast<uint32_t>(v - m_text.data());
    m_g.size = static_cast<uint32_t>(nl - v) - (nl[-1] == '\r' ? 1 : 0);
    m_g.code = code;
    m_p = nl + 1;
    m_valid = true;
    return true;
  }
  [[gnu::noinline]] void loadGeneral() {
    m_valid = false;
    const size_t line = 2 * size_t{m_g.index} + 1;
    std::string_view codeLine, valueLine;
    int code = 0;
    if (plainCode(code)) {
      // Checked below like any other.
    } else if (!nextLine(codeLine)) {
      return;
    } else if (!parseCode(codeLine, code)) {
      const std::string_view c = trim(codeLine);
      if (c.empty() && m_p >= m_text.data() + m_text.size()) return;
      throw Failure{line, "group code expected, found \"" + std::string(c.substr(0, 40)) + "\""};
    }
    if (code < -5 || code > 1071) throw Failure{line, "group code " + std::to_string(code) + " out of range"};
    if (!nextLine(valueLine)) throw Failure{line, "value missing after group code " + std::to_string(code)};
    std::string_view v = valueLine;
    if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
    const size_t offset = static_cast<size_t>(v.data() - m_text.data());
    if (offset + v.size() > std::numeric_limits<uint32_t>::max())
      throw Failure{line + 1, "the file is larger than 4 GiB"};
    m_g.offset = static_cast<uint32_t>(offset);
    m_g.size = static_cast<uint32_t>(v.size());
    m_g.code = code;
    m_valid = true;
  }

  std::string_view m_text;
  const char* m_p;
  const char* m_quickTo;  // see quickTo
  RawGroup m_g{};
  bool m_valid = false;
};

// The line of a group's code.
inline size_t lineOf(size_t i) { return 2 * i + 1; }
inline size_t lineOf(const RawGroup& g) { return lineOf(size_t{g.index}); }

// Whether the cursor stands at a 0 group of this value (SECTION, ENDSEC, EOF ...).
inline bool isZero(std::string_view text, const GroupCursor& c, const char* v) {
  return c.valid() && c->code == 0 && trim(text.substr(c->offset, c->size)) == v;
}

}  // namespace qd::dxf
