#include "table/TableDescription.h"

#include <algorithm>
#include <cmath>

#include "host/acedads.h"
#include "host/adslib.h"

namespace qd::table {
namespace {

constexpr int kNormal = 5100;
constexpr int kError = -5001;

// Walks the argument chain element by element; a list is one element with its contents.
class Cursor {
 public:
  explicit Cursor(const resbuf* rb) : m_rb(rb) {}
  bool end() const { return m_rb == nullptr; }
  short type() const { return m_rb ? m_rb->restype : 0; }
  const resbuf* get() const { return m_rb; }
  void next() {
    if (m_rb) m_rb = m_rb->rbnext;
  }
  // Past the element here: a list with everything in it.
  void skipElement() {
    if (!m_rb) return;
    if (m_rb->restype != RTLB) return next();
    int depth = 0;
    do {
      if (m_rb->restype == RTLB) ++depth;
      if (m_rb->restype == RTLE) --depth;
      m_rb = m_rb->rbnext;
    } while (m_rb && depth > 0);
  }

 private:
  const resbuf* m_rb;
};

void say(const char16_t* message) { acutPrintf(u"%ls", message); }

std::u16string cut(const ACHAR* text, size_t limit) {
  std::u16string s = text ? text : u"";
  if (s.size() > limit) s.resize(limit);
  return s;
}

bool blank(const std::u16string& s) { return s.find_first_not_of(u' ') == std::u16string::npos; }

// A real, or for a number also a short integer; another type leaves the value alone.
void readReal(Cursor& c, double& out) {
  if (c.type() == RTREAL) out = c.get()->resval.rreal;
}
void readNumber(Cursor& c, double& out) {
  if (c.type() == RTREAL) out = c.get()->resval.rreal;
  if (c.type() == RTSHORT) out = c.get()->resval.rint;
}
void readText(Cursor& c, std::u16string& out, size_t limit) {
  if (c.type() == RTSTR) out = cut(c.get()->resval.rstring, limit);
}

// Element 2: a title, or a list of the title and the subtitle.
void readTitles(Cursor& c, TableDescription& d) {
  if (c.type() == RTSTR) {
    d.title = c.get()->resval.rstring ? c.get()->resval.rstring : u"";
    return;
  }
  if (c.type() != RTLB) return;
  Cursor in(c.get()->rbnext);
  int n = 0;
  for (; !in.end() && in.type() != RTLE; in.skipElement())
    if (in.type() == RTSTR) (n++ == 0 ? d.title : d.subtitle) = in.get()->resval.rstring ? in.get()->resval.rstring : u"";
}

// Element 8: rows of texts. False when the chain ended inside it.
bool readCells(Cursor& c, TableDescription& d) {
  c.next();  // into the outer list
  d.cells.clear();
  int smallest = -1;
  while (!c.end() && c.type() != RTLE) {
    if (c.type() != RTLB) {
      c.skipElement();
      continue;
    }
    c.next();  // into the row
    const int row = static_cast<int>(d.cells.size());
    std::vector<std::optional<std::u16string>> texts;
    int read = 0;
    while (!c.end() && c.type() != RTLE) {
      if (c.type() == RTSTR) {
        if (row >= kMaxRows) {
          acutPrintf(u"\n Max row is %d", kMaxRows);
        } else if (read >= kMaxColumns) {
          acutPrintf(u"\n Max column is %d", kMaxColumns);
        } else {
          const std::u16string text = c.get()->resval.rstring ? c.get()->resval.rstring : u"";
          texts.push_back(blank(text) ? std::nullopt : std::optional<std::u16string>(text));
          ++read;
        }
      }
      c.skipElement();
    }
    if (c.end()) {
      acutPrintf(u"\n Error in read input ->error in array of string row %d   %d", row, read);
      return false;
    }
    c.next();  // past the row's end
    if (row >= kMaxRows) continue;
    d.cells.push_back(std::move(texts));
    if (smallest >= 0 && read != smallest)
      acutPrintf(u"\n Error in read input - row %d have low text", static_cast<int>(d.cells.size()));
    smallest = smallest < 0 ? read : std::min(smallest, read);
  }
  d.rows = static_cast<int>(d.cells.size());
  d.columns = std::max(smallest, 0);
  if (c.end()) {
    acutPrintf(u"\n Error in read input ->error in array of string expect end of block.Row %d   %d", d.rows, d.columns);
    return false;
  }
  c.next();  // past the outer end
  return true;
}

// Elements 9 and 10: rows of short integers into a code array. False when the chain
// ended inside it.
bool readCodes(Cursor& c, TableDescription& d, int& (TableDescription::*cell)(int, int)) {
  c.next();
  int row = 0;
  while (!c.end() && c.type() != RTLE) {
    if (c.type() != RTLB) {
      c.skipElement();
      continue;
    }
    c.next();
    int column = 0;
    while (!c.end() && c.type() != RTLE) {
      if (c.type() == RTSHORT) {
        if (row < kMaxRows && column < kMaxColumns) (d.*cell)(row, column) = c.get()->resval.rint;
        ++column;
      }
      c.skipElement();
    }
    if (c.end()) {
      acutPrintf(u"\n Error in read input ->error in array of struct row %d   %d", row, column);
      return false;
    }
    c.next();
    ++row;
  }
  if (c.end()) {
    acutPrintf(u"\n Error in read input ->error in array of struct expect end of block. Row %d  %d", row, 0);
    return false;
  }
  c.next();
  return true;
}

// Elements 11 and 12: nil, or a list of short integers kept ended by -1.
enum class Lines { Read, Neither, Ended };
Lines readLines(Cursor& c, std::optional<std::vector<short>>& out) {
  if (c.type() == RTNIL) {
    c.next();
    return Lines::Read;
  }
  if (c.type() != RTLB) return Lines::Neither;
  c.next();
  std::vector<short> lines;
  while (!c.end() && c.type() != RTLE) {
    if (c.type() == RTSHORT && lines.size() < kMaxLineEntries) lines.push_back(c.get()->resval.rint);
    c.skipElement();
  }
  if (c.end()) {
    say(u"\n Error in read input ->error in array of width line.");
    return Lines::Ended;
  }
  c.next();
  lines.push_back(-1);
  out = std::move(lines);
  return Lines::Read;
}

// Element 25: up to three colours from a list of short integers or from a point.
void readColours(Cursor& c, TableDescription& d) {
  if (c.type() == RT3DPOINT || c.type() == RTPOINT) {
    const int n = c.type() == RT3DPOINT ? 3 : 2;
    for (int i = 0; i < n; ++i) d.colours[static_cast<size_t>(i)] = static_cast<int>(std::trunc(c.get()->resval.rpoint[i]));
    return;
  }
  if (c.type() != RTLB) return;
  Cursor in(c.get()->rbnext);
  size_t i = 0;
  for (; !in.end() && in.type() != RTLE && i < 3; in.skipElement())
    if (in.type() == RTSHORT) d.colours[i++] = in.get()->resval.rint;
}

// The values that follow the others when they are not given.
void finish(TableDescription& d, bool titleStyleGiven, bool titleHeightGiven) {
  if (!titleStyleGiven) d.titleStyle = d.textStyle;
  if (!titleHeightGiven) d.titleHeight = 1.5 * d.textHeight;
}

int readAll(Cursor& c, TableDescription& d, bool& titleStyleGiven, bool& titleHeightGiven) {
  // Each value is followed by the next; where none follows, the message says which was
  // expected and the rest keep their defaults.
  auto after = [&c](const char16_t* message) {
    if (!c.end()) return false;
    if (message) say(message);
    return true;
  };
  if (c.type() == RT3DPOINT) d.insertion = AcGePoint3d(c.get()->resval.rpoint[0], c.get()->resval.rpoint[1], c.get()->resval.rpoint[2]);
  else d.exportMode = true;
  c.skipElement();
  if (after(u"\n Error in read input ->expect table title")) return kNormal;
  readTitles(c, d);
  c.skipElement();
  if (after(u"\n Error in read input ->expect table width.")) return kNormal;
  readReal(c, d.width);
  c.skipElement();
  if (after(u"\n Error in read input ->expect table .")) return kNormal;
  readReal(c, d.spareWidth);
  c.skipElement();
  if (after(u"\n Error in read input ->expect main table layer. ")) return kNormal;
  readText(c, d.mainLayer, 29);
  c.skipElement();
  if (after(u"\n Error in read input ->expect second table layer. ")) return kNormal;
  readText(c, d.secondLayer, 31);
  c.skipElement();
  if (after(u"\n Error in read input ->expect table flag optimalize.")) return kNormal;
  readNumber(c, d.optimise);
  c.skipElement();
  if (after(u"\n  Error in read input -> expect array table text ") || c.type() != RTLB) {
    if (!c.end()) say(u"\n  Error in read input -> expect array table text ");
    return kError;
  }
  if (!readCells(c, d)) return kNormal;
  if (after(u"\n Error in read input ->error in array of struct expect end of block all text.")) return kNormal;
  if (c.type() == RTLB) {
    if (!readCodes(c, d, &TableDescription::span)) return kNormal;
  } else {
    c.skipElement();
  }
  if (after(u"\n Error in read input ->error in array of struct expect end of block one row.")) return kNormal;
  if (c.type() == RTLB) {
    if (!readCodes(c, d, &TableDescription::alignment)) return kNormal;
  } else {
    const bool nil = c.type() == RTNIL;
    const short found = c.type();
    c.skipElement();
    if (c.end()) {
      if (!nil) acutPrintf(u"\n Error in read input ->error in array of struct expect RTLB,RTNIL find:%d", found);
      say(u"\n Error in read input ->error in array of struct.");
      return kNormal;
    }
  }
  if (after(u"\n Error in read input ->error in array of struct.")) return kNormal;
  switch (readLines(c, d.rowLines)) {
    case Lines::Ended: return kNormal;
    case Lines::Neither:
      acutPrintf(u"\n Error in read input ->error in array of width line expect RTLB,RTNIL find:%d", c.type());
      c.skipElement();
      break;
    case Lines::Read: break;
  }
  if (after(u"\n Error in read input ->error in array of width line.")) return kNormal;
  switch (readLines(c, d.columnLines)) {
    case Lines::Ended: return kNormal;
    case Lines::Neither:
      acutPrintf(u"\n Error in read input ->error in array of width line2 expect RTLB,RTNIL find:%d", c.type());
      c.skipElement();
      break;
    case Lines::Read: break;
  }
  if (after(u"\n Error in read input ->error after array of width line.")) return kNormal;
  readReal(c, d.rowGap);
  c.skipElement();
  if (after(u"\n Error in read input ->expect fact_width.")) return kNormal;
  readReal(c, d.columnGap);
  c.skipElement();
  if (after(u"\n Error in read input ->expect text style.")) return kNormal;
  readText(c, d.textStyle, 29);
  c.skipElement();
  if (after(u"\n Error in read input ->expect fact_width style.")) return kNormal;
  readReal(c, d.styleWidth);
  c.skipElement();
  if (after(u"\n Error in read input ->expect height text.")) return kNormal;
  readReal(c, d.textHeight);
  c.skipElement();
  if (after(u"\n Error in read input ->expect error message.")) return kNormal;
  if (c.type() == RTSTR) {
    d.overflowMessage = cut(c.get()->resval.rstring, 254);
  } else if (c.type() != RTNIL) {
    acutPrintf(u"\n Error in read input ->expect error message expect RTSTR,RTNIL find:%d", c.type());
  }
  c.skipElement();
  if (after(u"\n Error in read input ->expect title style.")) return kNormal;
  if (c.type() == RTSTR) titleStyleGiven = true;
  readText(c, d.titleStyle, 101);
  c.skipElement();
  if (after(u"\n Error in read input ->expect title heigh.")) return kNormal;
  if (c.type() == RTREAL) {
    d.titleHeight = c.get()->resval.rreal;
    titleHeightGiven = true;
  }
  c.skipElement();
  if (after(u"\n Error in read input ->expect 1=APID or 0=GROUP.")) return kNormal;
  readNumber(c, d.grouping);
  c.skipElement();
  if (after(u"\n Error in read input ->expect 1=show DCL about width or 0 = draw table ")) return kNormal;
  readNumber(c, d.widthDialog);
  c.skipElement();
  if (after(nullptr)) return kNormal;
  readText(c, d.sheetText, 199);
  c.skipElement();
  if (after(nullptr)) return kNormal;
  readText(c, d.nameText, 199);
  c.skipElement();
  if (after(nullptr)) return kNormal;
  readColours(c, d);
  return kNormal;
}

}  // namespace

TableDescription::TableDescription()
    : spans(static_cast<size_t>(kMaxRows * kMaxColumns), 1), alignments(static_cast<size_t>(kMaxRows * kMaxColumns), 2) {
  resbuf rb{};
  textStyle = u"STANDARD";
  if (acedGetVar(u"TEXTSTYLE", &rb) == RTNORM && rb.restype == RTSTR && rb.resval.rstring) {
    textStyle = cut(rb.resval.rstring, 29);
    acutDelString(rb.resval.rstring);
  }
  titleStyle = textStyle;
  titleHeight = 1.5 * textHeight;
}

const std::optional<std::u16string>& TableDescription::text(int row, int column) const {
  static const std::optional<std::u16string> none;
  if (row < 0 || column < 0 || static_cast<size_t>(row) >= cells.size()) return none;
  const auto& r = cells[static_cast<size_t>(row)];
  return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : none;
}

int headerRowCount(const TableDescription& d) {
  int r = 0;
  for (; r < d.rows; ++r) {
    bool merged = false;
    for (int c = 0; c < d.columns && !merged; ++c) {
      const int s = spanCode(d.span(r, c));
      merged = s == -1 || (r > 0 && s < -1);
    }
    if (!merged) break;
  }
  return std::max(r, 1);
}

int readTableDescription(const resbuf* arguments, TableDescription& d) {
  if (!arguments) return 10;
  Cursor c(arguments);
  bool titleStyleGiven = false, titleHeightGiven = false;
  const int status = readAll(c, d, titleStyleGiven, titleHeightGiven);
  finish(d, titleStyleGiven, titleHeightGiven);
  return status;
}

}  // namespace qd::table
