#include "table/TableDrawing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Library/Inc/PFLUSH.h"
#include "Library/Inc/holders.h"
#include "Library/Inc/prompts.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "table/TableLayout.h"

namespace qd::table {
namespace {

using qd::support::ResbufList;

constexpr double kTiny = 0.0001;
const char16_t* const kDrawApp = u"QD_DRAW_TABLE";
const char16_t* const kStrikeApp = u"QD_TABLE_DEL";
const char16_t* const kHeader = u"HEADER";

// Whether a boundary is in a line list; a list not given holds the outer two.
bool listed(const std::optional<std::vector<short>>& list, int value, int last) {
  if (!list) return value == 0 || value == last;
  for (short v : *list) {
    if (v == -1) return false;
    if (v == value) return true;
  }
  return false;
}

// Whether the environment asks for lines of one weight (TVRCDAT set).
bool oneWeight() {
  ACHAR value[256];
  return acedGetEnv(u"TVRCDAT", value, 256) == RTNORM || std::getenv("TVRCDAT");
}

// Layers whose names end in Z draw heavy, unless the environment asks for one weight.
bool heavyLayer(const std::u16string& layer, bool oneWeight) {
  return !oneWeight && !layer.empty() && (layer.back() == u'Z' || layer.back() == u'z');
}

std::u16string numbered(const char16_t* prefix, int n) {
  std::u16string s = prefix;
  for (char ch : std::to_string(n)) s += static_cast<char16_t>(ch);
  return s;
}

// Appends a chain to the end of a list; both may be empty.
resbuf* append(resbuf* list, resbuf* more) {
  if (!list) return more;
  resbuf* tail = list;
  while (tail->rbnext) tail = tail->rbnext;
  tail->rbnext = more;
  return list;
}

class TableDrawer {
 public:
  TableDrawer(const TableDescription& d, const TableLayout& layout)
      : m_d(d), m_layout(layout), m_x0(d.insertion.x), m_y0(d.insertion.y), m_z(d.insertion.z),
        m_rowHeight(d.textHeight + d.rowGap), m_text(styleFactors(d.textStyle, d.styleWidth)),
        m_title(styleFactors(d.titleStyle, d.styleWidth)) {
    m_columnX.push_back(m_x0);
    for (int c = 0; c < layout.columns(); ++c) m_columnX.push_back(m_columnX.back() + layout.width(c) + d.columnGap);
    int p = 0;
    for (const auto& line : layout.lines()) {
      if (!line.continuation || m_first.empty()) {
        m_first.push_back(p);
        m_last.push_back(p);
      }
      m_last.back() = p++;
    }
    m_bottom = m_y0 - layout.lineCount() * m_rowHeight;
    const int lastHeader = std::min(layout.headerRows(), static_cast<int>(m_last.size())) - 1;
    m_headerY = lastHeader >= 0 ? lineBottom(m_last[static_cast<size_t>(lastHeader)]) : m_y0;
  }

  bool draw(DrawnTable& drawn);

 private:
  double lineBottom(int physical) const { return m_y0 - (physical + 1) * m_rowHeight; }
  double lineTop(int physical) const { return m_y0 - physical * m_rowHeight; }
  double total() const { return m_columnX.back() - m_x0; }
  int spanAt(int row, int column) const { return spanCode(m_d.span(row, column)); }
  int spannedColumns(int row, int column) const {
    const int s = spanAt(row, column);
    return s >= 2 ? std::min(s, m_layout.columns() - column) : 1;
  }
  std::u16string rowName(const char16_t* prefix, int row) const {
    return row >= m_layout.headerRows() ? numbered(prefix, row - m_layout.headerRows()) : kHeader;
  }
  int lineColour(const std::u16string& layer) const { return heavyLayer(layer, m_oneWeight) ? m_d.colours[0] : m_d.colours[1]; }
  int textColour(const std::u16string& layer) const { return heavyLayer(layer, m_oneWeight) ? m_d.colours[0] : m_d.colours[2]; }

  resbuf* tableXdata() const { return acutBuildList(1001, m_id.c_str(), 1000, u"1000", 0); }
  static resbuf* drawXdata(const std::u16string& name) { return acutBuildList(1001, kDrawApp, 1000, name.c_str(), 0); }
  bool make(resbuf* list, const char16_t* failure);
  bool makeLine(const std::u16string& layer, double x1, double y1, double x2, double y2, const std::u16string& name);
  bool makeText(const std::u16string& layer, double x, double y, const std::u16string& text, const std::u16string& name,
                bool title);
  bool makeTopLine();
  void drawTitles();
  void drawCells();
  void drawStrike(int row, int column);
  double cellX(int row, int column, const std::u16string& text) const;
  void drawRowLines();
  void drawColumnLines();
  void drawVertical(int column, double top, double bottom);

  const TableDescription& m_d;
  const TableLayout& m_layout;
  double m_x0, m_y0, m_z, m_rowHeight, m_bottom = 0, m_headerY = 0;
  StyleFactors m_text, m_title;
  bool m_oneWeight = oneWeight();
  std::vector<double> m_columnX;       // left edge of each column, and the right border
  std::vector<int> m_first, m_last;    // each logical row's first and last drawn line
  std::u16string m_id;
  qd::support::SelectionSet m_set;
};

bool TableDrawer::make(resbuf* list, const char16_t* failure) {
  ResbufList owned(list);
  if (!list || acdbEntMake(list) != RTNORM) {
    acutPrintf(u"%ls", failure);
    return false;
  }
  ads_name made;
  if (acdbEntLast(made) == RTNORM) acedSSAdd(made, m_set.empty() ? nullptr : m_set.name(), m_set.name());
  return true;
}

bool TableDrawer::makeLine(const std::u16string& layer, double x1, double y1, double x2, double y2,
                           const std::u16string& name) {
  const ads_point a = {x1, y1, m_z}, b = {x2, y2, m_z};
  resbuf* list = acutBuildList(RTDXF0, u"LINE", 8, layer.c_str(), 62, lineColour(layer), 6, u"BYLAYER", 10, a, 11, b,
                               -3, 0);
  append(list, tableXdata());
  append(list, drawXdata(name));
  return make(list, u"\nADS_ENTMAKE error in make_one_line  ");
}

bool TableDrawer::makeText(const std::u16string& layer, double x, double y, const std::u16string& text,
                           const std::u16string& name, bool title) {
  const ads_point at = {x, y, m_z};
  const StyleFactors& f = title ? m_title : m_text;
  resbuf* list = acutBuildList(RTDXF0, u"TEXT", 8, layer.c_str(), 62, textColour(layer), 6, u"BYLAYER", 10, at, 40,
                               title ? m_d.titleHeight : m_d.textHeight, 1, text.c_str(), 41, f.width, 51, f.oblique, 7,
                               (title ? m_d.titleStyle : m_d.textStyle).c_str(), -3, 0);
  append(list, tableXdata());
  append(list, drawXdata(name));
  return make(list, u"\nADS_ENTMAKE error in make_one_text ");
}

// The top line comes first: its handle names the table, and the name is registered and
// given to the line itself.
bool TableDrawer::makeTopLine() {
  const std::u16string& layer = listed(m_d.rowLines, 0, m_d.rows) ? m_d.secondLayer : m_d.mainLayer;
  const ads_point a = {m_x0, m_y0, m_z}, b = {m_x0 + total(), m_y0, m_z};
  resbuf* list = acutBuildList(RTDXF0, u"LINE", 8, layer.c_str(), 62, lineColour(layer), 6, u"BYLAYER", 10, a, 11, b,
                               -3, 0);
  append(list, drawXdata(kHeader));
  if (!make(list, u"\nADS_ENTMAKE error in make_one_line  ")) return false;
  ads_name top;
  if (acdbEntLast(top) != RTNORM) return false;
  ResbufList entity(acdbEntGet(top));
  for (const resbuf* rb = entity.get(); rb; rb = rb->rbnext)
    if (rb->restype == 5 && rb->resval.rstring) m_id = u"$" + std::u16string(rb->resval.rstring);
  if (m_id.size() < 2) return false;
  acdbRegApp(m_id.c_str());
  append(entity.get(), append(acutBuildList(-3, 0), tableXdata()));
  return acdbEntMod(entity.get()) == RTNORM;
}

void TableDrawer::drawTitles() {
  if (!m_d.title) return;
  const double x = m_x0 + m_d.columnGap;
  if (m_d.subtitle) {
    makeText(m_d.secondLayer, x, m_y0 + m_d.rowGap / 2, *m_d.subtitle, kHeader, true);
    makeText(m_d.secondLayer, x, m_y0 + m_d.rowGap + m_d.titleHeight, *m_d.title, kHeader, true);
    return;
  }
  makeText(m_d.secondLayer, x, m_y0 + m_d.rowGap / 2, *m_d.title, kHeader, true);
}

double TableDrawer::cellX(int row, int column, const std::u16string& text) const {
  const int s = spanAt(row, column), n = spannedColumns(row, column);
  const double xL = m_columnX[static_cast<size_t>(column)], g = m_d.columnGap, W = m_layout.width(column);
  double S = 0;
  for (int k = 0; k < n; ++k) S += m_layout.width(column + k);
  const bool spans = s >= 2;
  const int a = std::abs(m_d.alignment(row, column));
  const double w = m_layout.measure(text);
  const double i = a >= 4 && a <= 6 ? m_layout.measure(integerPart(text)) : 0;
  const double d = m_layout.decimalOf(column, a);
  switch (a) {
    case 2: return spans ? xL + (S + n * g) / 2 - w / 2 : xL + (W + g) / 2 - w / 2;
    case 3: return spans ? xL + S + n * g - g / 2 - w : xL + W + g / 2 - w;
    case 4: return xL + g / 2 + d - i;
    case 5: return spans ? xL + (S + n * g) / 2 - i : xL + (W + g) / 2 - i;
    case 6: return spans ? xL + n * g / 2 + S + g / 2 - d - i : xL + g / 2 + W - d - i;
    default: return xL + g / 2;
  }
}

void TableDrawer::drawCells() {
  int physical = 0;
  for (const auto& line : m_layout.lines()) {
    const double baseline = lineBottom(physical) + m_d.rowGap / 2;
    for (int c = 0; c < m_layout.columns(); ++c) {
      const auto& slot = line.slots[static_cast<size_t>(c)];
      if (!slot) continue;
      if (isStrike(*slot)) {
        if (!line.continuation) drawStrike(line.logical, c);
        continue;
      }
      makeText(m_d.mainLayer, cellX(line.logical, c, *slot), baseline, *slot, rowName(u"T", line.logical), false);
    }
    ++physical;
  }
}

// A struck-out cell: a diagonal across all its lines and the columns it spans.
void TableDrawer::drawStrike(int row, int column) {
  const size_t r = static_cast<size_t>(row);
  const ads_point a = {m_columnX[static_cast<size_t>(column)], lineBottom(m_last[r]), m_z};
  const ads_point b = {m_columnX[static_cast<size_t>(column + spannedColumns(row, column))], lineTop(m_first[r]), m_z};
  const std::u16string name = rowName(u"S", row);
  const std::u16string& layer = m_d.mainLayer;
  resbuf* list = acutBuildList(RTDXF0, u"LINE", 8, layer.c_str(), 62, lineColour(layer), 6, u"BYLAYER", 10, a, 11, b,
                               -3, 0);
  append(list, drawXdata(name));
  append(list, acutBuildList(1001, kStrikeApp, 1070, row + 1, 1070, column + 1, 0));
  append(list, tableXdata());
  make(list, u"\nADS_ENTMAKE error in  draw_special_line ");
}

// The lines between logical rows, broken under the cells that keep the row below joined
// to them.
void TableDrawer::drawRowLines() {
  const int rows = static_cast<int>(m_first.size()), header = m_layout.headerRows();
  for (int r = 0; r + 1 < rows; ++r) {
    const double y = lineBottom(m_last[static_cast<size_t>(r)]);
    const std::u16string& layer = listed(m_d.rowLines, r + 1, m_d.rows) ? m_d.secondLayer : m_d.mainLayer;
    auto open = [&](int c) {
      const int raw = m_d.span(r, c), s = spanCode(raw);
      const bool joined = s == -1 && spanAt(r + 1, c) == -1;
      return !(joined || s < -1 || raw >= 1000 || raw <= -1000);
    };
    for (int c = 0; c < m_layout.columns();) {
      if (!open(c)) {
        ++c;
        continue;
      }
      int end = c;
      while (end < m_layout.columns() && open(end)) ++end;
      const double x1 = m_columnX[static_cast<size_t>(c)], x2 = m_columnX[static_cast<size_t>(end)];
      if (x2 - x1 > kTiny) {
        const bool full = std::fabs(x2 - x1 - total()) <= kTiny;
        const std::u16string name = r >= header - 1 ? numbered(full ? u"L" : u"H", r - header + 1) : kHeader;
        makeLine(layer, x1, y, x2, y, name);
      }
      c = end;
    }
  }
  const std::u16string& layer = listed(m_d.rowLines, rows, m_d.rows) ? m_d.secondLayer : m_d.mainLayer;
  makeLine(layer, m_x0, m_bottom, m_x0 + total(), m_bottom, numbered(u"H", rows - header));
}

void TableDrawer::drawColumnLines() {
  const int columns = m_layout.columns();
  for (int c = 0; c < columns; ++c) {
    int physical = 0, start = -1;
    for (const auto& line : m_layout.lines()) {
      const bool covered = spanAt(line.logical, c) == 0;
      if (!covered && start < 0) start = physical;
      if (covered && start >= 0) {
        drawVertical(c, lineTop(start), lineTop(physical));
        start = -1;
      }
      ++physical;
    }
    if (start >= 0) drawVertical(c, lineTop(start), m_bottom);
  }
  drawVertical(columns, m_y0, m_bottom);
}

// A segment of a column boundary; the header's part of it is drawn as a line of its own.
void TableDrawer::drawVertical(int column, double top, double bottom) {
  if (top - bottom <= kTiny) return;
  const std::u16string& layer = listed(m_d.columnLines, column, m_d.columns) ? m_d.secondLayer : m_d.mainLayer;
  const double x = m_columnX[static_cast<size_t>(column)];
  const bool full = std::fabs((top - bottom) - (m_y0 - m_bottom)) <= kTiny;
  const std::u16string name = full ? numbered(u"V", column) : u"V999";
  if (bottom >= m_headerY - kTiny) {
    makeLine(layer, x, top, x, bottom, kHeader);
  } else if (top <= m_headerY + kTiny) {
    makeLine(layer, x, top, x, bottom, u"V999");
  } else {
    makeLine(layer, x, top, x, m_headerY, kHeader);
    makeLine(layer, x, m_headerY, x, bottom, name);
  }
}

bool TableDrawer::draw(DrawnTable& drawn) {
  if (!makeTopLine()) return false;
  drawTitles();
  drawCells();
  drawRowLines();
  drawColumnLines();
  drawn.lowerRight = AcGePoint3d(m_x0 + total(), m_bottom, m_z);
  drawn.id = m_id;
  return true;
}

// The drawing's last entity, made when there is none, so that everything after it is
// the table.
bool takeMarker(ads_name marker) {
  if (acdbEntLast(marker) == RTNORM) return true;
  const ads_point at = {0.1, 0.1, 0.1};
  ResbufList point(acutBuildList(RTDXF0, u"POINT", 8, u"0", 62, 256, 10, at, 0));
  return acdbEntMake(point.get()) == RTNORM && acdbEntLast(marker) == RTNORM;
}

// A table wider than asked is drawn when the caller says so, or when the user agrees.
bool drawAnyway(const TableDescription& d, double excess) {
  if (d.widthDialog == 1) return true;
  if (!d.overflowMessage) return false;
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", excess);
  std::u16string question = *d.overflowMessage;
  for (const char* p = number; *p; ++p) question += static_cast<char16_t>(*p);
  return qd::support::askYesNo(question.c_str()) == 1;
}

}  // namespace

int drawTable(const TableDescription& d, DrawnTable& drawn) {
  acdbRegApp(kDrawApp);
  acdbRegApp(kStrikeApp);
  HostTextMeasure measure(d.textStyle, d.mainLayer, d.textHeight, d.styleWidth);
  TableLayout layout(d, [&measure](const std::u16string& text) { return measure(text); });
  if (layout.columns() <= 0 || layout.lines().empty()) return kNotDrawn;
  if (!layout.layOut() && !drawAnyway(d, layout.totalWidth() - d.width)) return kNotDrawn;
  ads_name marker;
  if (!takeMarker(marker)) return kNotDrawn;
  TableDrawer drawer(d, layout);
  if (!drawer.draw(drawn)) return kNotDrawn;
  qd::support::recordNewPart(drawn.id.c_str(), marker);
  return RTNORM;
}

}  // namespace qd::table
