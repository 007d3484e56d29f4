#include "headless/dxf/survey.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>

#include "headless/db/database_impl.h"
#include "headless/dxf/group_cursor.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qd::dxf {
namespace {

// A 0 group that opens or closes a section, table or block, or ends the file, with the
// group after it when that one names it (2).
struct Mark {
  RawGroup zero;
  std::optional<RawGroup> name;
  size_t after = 0;  // where the group after the name starts: a section's groups
  uint32_t afterIndex = 0;
};

bool isMarkWord(std::string_view v) {
  return v == "SECTION" || v == "ENDSEC" || v == "TABLE" || v == "ENDTAB" || v == "BLOCK" || v == "ENDBLK" ||
         v == "EOF";
}

// What the walk over a stretch of the groups found.
struct Walk {
  std::vector<Mark> marks;
  uint64_t nextHandle = 0;
  uint32_t end = 0;      // the number of the group after the last one walked
  bool reached = false;  // stopped at the group where the other walk started
  bool left = false;     // stopped at the first ENTITIES section's name (the last mark)
  std::optional<Failure> failure;
  std::exception_ptr fault;  // anything else that stopped it (memory)
};

bool opensEntities(std::string_view text, const Mark& m) {
  auto value = [&](const RawGroup& g) { return trim(text.substr(g.offset, g.size)); };
  return m.name && value(m.zero) == "SECTION" && value(*m.name) == "ENTITIES";
}

// Walks the groups from the cursor's on (its code line at `at`) to the end of the text,
// or up to the group whose code line starts at `stopAt`, or (`leaveEntities`) up to the
// name of the first ENTITIES section. A bad code throws.
void walk(std::string_view text, GroupCursor& c, size_t at, size_t stopAt, uint64_t handleLimit, Walk& w,
          const std::stop_token& stop = {}, bool leaveEntities = false) {
  auto value = [&](const RawGroup& g) { return trim(text.substr(g.offset, g.size)); };
  std::optional<Mark> open;  // a mark waiting for the group after it
  int previous = 0;
  for (uint32_t n = 0; c.valid(); at = c.nextOffset(), c.next(), ++n) {
    if (at == stopAt) {
      w.reached = true;
      break;
    }
    if ((n & 0xFFF) == 0 && stop.stop_requested()) break;
    const RawGroup& g = *c;
    if (open) {
      if (g.code == 2) {
        open->name = g;
        open->after = c.nextOffset();
        open->afterIndex = c.nextIndex();
      }
      w.marks.push_back(*open);
      open.reset();
      if (leaveEntities && opensEntities(text, w.marks.back())) {
        w.left = true;
        break;
      }
    }
    if (g.code == 0 && isMarkWord(value(g))) open = Mark{g, std::nullopt, 0, 0};
    // A header variable's value ($HANDSEED) is no object's handle.
    if ((g.code == 5 || g.code == 105) && !(g.index > 0 && previous == 9)) {
      const uint64_t h = db::handleValue(value(g));
      if (h < handleLimit && h >= w.nextHandle) w.nextHandle = h + 1;
    }
    previous = g.code;
  }
  if (open) w.marks.push_back(*open);
  w.end = c->index;
}

// The second half's walk numbers its groups from 0: renumbered from `first` on.
void renumber(Walk& w, uint32_t first) {
  for (Mark& m : w.marks) {
    m.zero.index += first;
    if (m.name) m.name->index += first;
    m.afterIndex += first;
  }
  w.end += first;
  if (w.failure) w.failure->line += 2 * size_t{first};
}

// Follows the sections, tables and blocks the marks open and close.
std::vector<Section> structure(std::string_view text, const std::vector<Mark>& marks, uint32_t end) {
  auto value = [&](const RawGroup& g) { return trim(text.substr(g.offset, g.size)); };
  std::vector<Section> sections;
  std::string section, table, block;
  size_t opened = 0;
  bool closed = false;  // the EOF group ended the last section
  auto open = [&](std::string& what, const std::string& name, const char* kind, size_t line) {
    if (!what.empty())
      throw Failure{line, std::string(kind) + " " + what + " from line " + std::to_string(opened) + " is not closed"};
    what = name;
    opened = line;
  };
  for (const Mark& m : marks) {
    if (closed) break;
    const std::string_view v = value(m.zero);
    const size_t line = lineOf(m.zero);
    const std::string name(m.name ? value(*m.name) : std::string_view());
    if (v == "SECTION") {
      if (name.empty()) throw Failure{line, "SECTION without a name"};
      open(section, name, "section", line);
      sections.push_back({name, m.after, m.afterIndex, 0});
    } else if (v == "ENDSEC") {
      if (section.empty()) throw Failure{line, "ENDSEC outside a section"};
      if (!table.empty() || !block.empty())
        throw Failure{line, (table.empty() ? "block " + block : "table " + table) + " from line " +
                                std::to_string(opened) + " is not closed before ENDSEC"};
      sections.back().end = m.zero.offset;
      section.clear();
    } else if (v == "TABLE" && section == "TABLES") {
      open(table, name.empty() ? "?" : name, "table", line);
    } else if (v == "ENDTAB" && section == "TABLES") {
      if (table.empty()) throw Failure{line, "ENDTAB outside a table"};
      table.clear();
    } else if (v == "BLOCK" && section == "BLOCKS") {
      open(block, "BLOCK", "block", line);
    } else if (v == "ENDBLK" && section == "BLOCKS") {
      if (block.empty()) throw Failure{line, "ENDBLK outside a block"};
      block.clear();
    } else if (v == "EOF") {
      if (!section.empty())
        throw Failure{line, "section " + section + " from line " + std::to_string(opened) + " is not closed before EOF"};
      closed = true;
    }
  }
  if (!closed) {
    const size_t last = lineOf(size_t{end} - 1) + 1;
    if (!section.empty())
      throw Failure{last, "the file ends inside section " + section + " from line " + std::to_string(opened)};
    throw Failure{last, "the file ends before its EOF"};
  }
  return sections;
}

}  // namespace

size_t zeroGroupValue(std::string_view text, size_t start) {
  auto lineAt = [&](size_t p) {
    const size_t nl = text.find('\n', p);
    return nl == std::string_view::npos ? std::string_view() : text.substr(p, nl - p);
  };
  const std::string_view zero = lineAt(start);
  if (trim(zero) != "0") return std::string_view::npos;
  const size_t value = start + zero.size() + 1;
  const std::string_view word = trim(lineAt(value));
  if (!word.empty() && ((word[0] >= 'A' && word[0] <= 'Z') || (word[0] >= 'a' && word[0] <= 'z'))) return value;
  return std::string_view::npos;
}

size_t secondHalf(std::string_view text) {
  for (size_t p = text.find('\n', text.size() / 2); p != std::string_view::npos; p = text.find('\n', p + 1))
    if (zeroGroupValue(text, p + 1) != std::string_view::npos) return p + 1;
  return std::string_view::npos;
}

namespace {

// Where the code line of the ENDSEC group whose value's text starts at `q` starts, when
// the lines there are such a group's, the code line at `from` or after it; npos otherwise.
size_t endsecCodeLine(std::string_view text, size_t from, size_t q) {
  constexpr size_t npos = std::string_view::npos;
  if (text.compare(q, 6, "ENDSEC") != 0) return npos;
  // Blanks around the word, as trim takes them off.
  size_t e = q + 6;
  while (e < text.size() && (text[e] == ' ' || text[e] == '\t' || text[e] == '\r')) ++e;
  if (e < text.size() && text[e] != '\n') return npos;
  size_t v = q;
  while (v > from && (text[v - 1] == ' ' || text[v - 1] == '\t')) --v;
  if (v <= from || text[v - 1] != '\n') return npos;
  const size_t codeEnd = v - 1;
  size_t start = codeEnd;
  while (start > from && text[start - 1] != '\n') --start;
  int code = 0;
  if (!parseCode(text.substr(start, codeEnd - start), code) || code != 0) return npos;
  return start;
}

// The survey that leaves the first ENTITIES section's groups to the reader; nothing when
// the whole walk must tell (a fault after them, which one of theirs may come before).
std::optional<Survey> surveyLeavingEntities(std::string_view text, uint64_t handleLimit) {
  GroupCursor c(text);
  if (!c.valid()) return std::nullopt;
  Walk w;
  // A fault before the section is the file's first.
  walk(text, c, 0, std::string_view::npos, handleLimit, w, {}, true);
  Survey s;
  if (w.left) {
    const Mark& opened = w.marks.back();
    const std::optional<SectionEnd> end = sectionEnd(text, opened.after);
    if (!end) return std::nullopt;
    try {
      GroupCursor rest(text, end->code, opened.afterIndex + end->groups);
      walk(text, rest, end->code, std::string_view::npos, handleLimit, w);
      s.sections = structure(text, w.marks, w.end);
    } catch (const Failure&) {
      return std::nullopt;
    }
    s.entitiesLeft = true;
  } else {
    s.sections = structure(text, w.marks, w.end);
  }
  s.nextHandle = w.nextHandle;
  return s;
}

// What a scan of the bytes from `lo` to `hi` found: the code line of the first ENDSEC
// group whose value starts there, and the ends of lines from `lo` to it (fewer than none
// when it starts before `lo`); without one, the ends of lines from `lo` to `hi`.
struct Scan {
  size_t code = std::string_view::npos;
  int64_t lines = 0;
};

// `stop`, when it turns true, ends the scan early, with nothing found.
Scan scanForEnd(std::string_view text, size_t from, size_t lo, size_t hi, const std::atomic<bool>* stop = nullptr) {
  const char* const base = text.data();
  const size_t n = text.size();
  int64_t lines = 0;  // ends of lines from lo to p
  // An "EN" at `q`, with the ends of lines before `p` counted.
  auto lookAt = [&](size_t q, int64_t before, size_t p, Scan& found) {
    const size_t code = endsecCodeLine(text, from, q);
    if (code == std::string_view::npos) return false;
    if (code >= p) before += std::count(base + p, base + code, '\n');
    else before -= std::count(base + code, base + p, '\n');
    found = {code, before};
    return true;
  };
  Scan found;
  size_t p = lo;
#if defined(__SSE2__)
  // Sixteen bytes at a time: the line ends counted by bytes, summed every 255 steps
  // before a byte's count could wrap, and every "EN" looked at.
  const __m128i nl = _mm_set1_epi8('\n'), e = _mm_set1_epi8('E'), nn = _mm_set1_epi8('N');
  while (p + 17 <= hi) {
    if (stop && stop->load(std::memory_order_relaxed)) return {};
    __m128i counts = _mm_setzero_si128();
    auto sum = [&] {
      const __m128i s = _mm_sad_epu8(counts, _mm_setzero_si128());
      return static_cast<int64_t>(_mm_cvtsi128_si32(s)) + static_cast<int64_t>(_mm_extract_epi16(s, 4));
    };
    for (int step = 0; step < 255 && p + 17 <= hi; ++step, p += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + p + 1));
      for (unsigned hits = static_cast<unsigned>(
               _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, e), _mm_cmpeq_epi8(next, nn))));
           hits != 0; hits &= hits - 1)
        if (lookAt(p + static_cast<size_t>(__builtin_ctz(hits)), lines + sum(), p, found)) return found;
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(here, nl));
    }
    lines += sum();
  }
#endif
  for (; p < hi; ++p) {
    if (base[p] == 'E' && p + 1 < n && base[p + 1] == 'N' && lookAt(p, lines, p, found)) return found;
    if (base[p] == '\n') ++lines;
  }
  return {std::string_view::npos, lines};
}

}  // namespace

std::optional<SectionEnd> sectionEnd(std::string_view text, size_t from, size_t splitFrom) {
  if (text.size() > std::numeric_limits<uint32_t>::max() || from >= text.size()) return std::nullopt;
  // Where the second half's scan, on a thread of its own, starts.
  size_t middle = text.size() - from >= splitFrom ? from + (text.size() - from) / 2 : text.size();
  Scan second;
  std::atomic<bool> firstFound = false;
  Scan first;
  {
    std::jthread other;
    if (middle < text.size()) try {
        other = std::jthread([&] { second = scanForEnd(text, from, middle, text.size(), &firstFound); });
      } catch (const std::system_error&) {
        middle = text.size();  // no thread to be had: one scan does it all
      }
    first = scanForEnd(text, from, from, middle);
    firstFound = first.code != std::string_view::npos;
  }
  Scan found = first;
  if (first.code == std::string_view::npos && second.code != std::string_view::npos)
    found = {second.code, first.lines + second.lines};
  // An ENDSEC after an odd number of lines stands where a code does.
  if (found.code == std::string_view::npos || found.lines % 2 != 0) return std::nullopt;
  return SectionEnd{found.code, static_cast<uint32_t>(found.lines / 2)};
}

Survey surveyText(std::string_view text, uint64_t handleLimit, size_t splitFrom, bool leaveEntities) {
  if (leaveEntities)
    if (std::optional<Survey> s = surveyLeavingEntities(text, handleLimit)) return *std::move(s);
  GroupCursor c(text);
  if (!c.valid()) throw Failure{1, "the file holds no groups"};
  size_t middle = text.size() >= splitFrom ? secondHalf(text) : std::string_view::npos;
  Walk first, second;
  {
    std::jthread ahead;
    if (middle != std::string_view::npos) try {
        ahead = std::jthread([&](const std::stop_token& stop) {
          try {
            GroupCursor from(text, middle, 0);
            walk(text, from, middle, std::string_view::npos, handleLimit, second, stop);
          } catch (const Failure& f) {
            second.failure = f;
          } catch (...) {
            second.fault = std::current_exception();
          }
        });
      } catch (const std::system_error&) {
        middle = std::string_view::npos;  // no thread to be had: one walk does it all
      }
    // A fault of the first half is the file's first: the other walk is then stopped as
    // it is left. Otherwise it is waited for.
    walk(text, c, 0, middle, handleLimit, first);
    if (ahead.joinable()) ahead.join();
  }
  Survey s;
  s.nextHandle = first.nextHandle;
  if (first.reached) {
    // The halves meet: the second walk's groups are the ones this walk would have had.
    if (second.fault) std::rethrow_exception(second.fault);
    renumber(second, first.end);
    if (second.failure) throw *second.failure;
    first.marks.insert(first.marks.end(), second.marks.begin(), second.marks.end());
    first.end = second.end;
    s.nextHandle = std::max(s.nextHandle, second.nextHandle);
  }
  s.sections = structure(text, first.marks, first.end);
  return s;
}

}  // namespace qd::dxf
