#include "headless/dxf/survey.h"

#include <exception>
#include <optional>
#include <system_error>
#include <thread>

#include "headless/db/database_impl.h"
#include "headless/dxf/group_cursor.h"

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
  std::optional<Failure> failure;
  std::exception_ptr fault;  // anything else that stopped it (memory)
};

// Walks the groups from the cursor's on (its code line at `at`) to the end of the text,
// or up to the group whose code line starts at `stopAt`. A bad code throws.
void walk(std::string_view text, GroupCursor& c, size_t at, size_t stopAt, uint64_t handleLimit, Walk& w,
          const std::stop_token& stop = {}) {
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

Survey surveyText(std::string_view text, uint64_t handleLimit, size_t splitFrom) {
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
