#include "table/TableLayout.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>

#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"

namespace qd::table {
namespace {

bool hasPoint(const std::u16string& s) { return s.find(u'.') != std::u16string::npos; }
int magnitude(int alignment) { return alignment < 0 ? -alignment : alignment; }
bool isDecimal(int alignment) { return alignment >= 4 && alignment <= 6; }

std::u16string trimRight(std::u16string s) {
  while (!s.empty() && s.back() == u' ') s.pop_back();
  return s;
}

// The position of the blank before the last word, when the text has a blank after its
// first word; npos otherwise.
size_t lastInnerBlank(const std::u16string& trimmed) {
  const size_t first = trimmed.find_first_not_of(u' ');
  if (first == std::u16string::npos) return std::u16string::npos;
  const size_t blank = trimmed.find_last_of(u' ');
  return blank == std::u16string::npos || blank < first ? std::u16string::npos : blank;
}

// The text without its last word (the whole text when it is one word).
std::u16string withoutLastWord(const std::u16string& text) {
  const std::u16string t = trimRight(text);
  const size_t blank = lastInnerBlank(t);
  return blank == std::u16string::npos ? t : trimRight(t.substr(0, blank));
}

}  // namespace

std::u16string integerPart(const std::u16string& text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return u"";
  const std::u16string t = text.substr(first);
  return t.substr(0, t.find(u'.'));
}

std::u16string fractionPart(const std::u16string& text) {
  const size_t dot = text.rfind(u'.');
  return dot == std::u16string::npos ? u"" : text.substr(dot);
}

bool isStrike(const std::u16string& text) {
  return text.find(u'&') != std::u16string::npos && text.find_first_not_of(u"& ") == std::u16string::npos;
}

StyleFactors styleFactors(const std::u16string& style, double fallbackWidth) {
  StyleFactors f{fallbackWidth, 0.0, false};
  qd::support::ResbufList record(acdbTblSearch(u"STYLE", style.c_str(), 0));
  f.found = record.get() != nullptr;
  for (const resbuf* rb = record.get(); rb; rb = rb->rbnext) {
    if (rb->restype == 41) f.width = rb->resval.rreal;
    if (rb->restype == 50) f.oblique = rb->resval.rreal;
  }
  return f;
}

HostTextMeasure::HostTextMeasure(const std::u16string& style, const std::u16string& layer, double height,
                                 double fallbackWidth)
    : m_style(style), m_layer(layer), m_height(height) {
  const StyleFactors f = styleFactors(style, fallbackWidth);
  m_widthFactor = f.found && f.width <= 0 ? 1.0 : f.width;
  m_oblique = f.oblique;
}

double HostTextMeasure::operator()(const std::u16string& text) {
  if (auto it = m_known.find(text); it != m_known.end()) return it->second;
  double width = 0;
  qd::support::ResbufList list(acutBuildList(RTDXF0, u"TEXT", 8, m_layer.c_str(), 40, m_height, 1, text.c_str(), 7,
                                             m_style.c_str(), 41, m_widthFactor, 51, m_oblique, 0));
  if (!list.get()) {
    acutPrintf(u"\n Can't build list in function points_lenght_text");
  } else {
    ads_point p1, p2;
    if (acedTextBox(list.get(), p1, p2) != RTNORM) {
      acutPrintf(u"\n Can't calculate textbox for ==%ls==. ", text.c_str());
    } else {
      const size_t leading = std::min(text.find_first_not_of(u' '), text.size());
      width = std::fabs(p2[X] - p1[X]) + static_cast<double>(leading) * m_height * m_widthFactor;
    }
  }
  m_known.emplace(text, width);
  return width;
}

TableLayout::TableLayout(const TableDescription& d, TextMeasure measure)
    : m_d(d), m_measure(std::move(measure)), m_columns(std::clamp(d.columns, 0, kMaxColumns)), m_header(headerRowCount(d)) {
  const size_t n = static_cast<size_t>(m_columns);
  m_base.assign(n, 0);
  m_natural.assign(n, 0);
  m_wrapped.assign(n, 0);
  m_decimal4.assign(n, 0);
  m_decimal6.assign(n, 0);
  const int rows = std::clamp(d.rows, 0, kMaxRows);
  for (int r = 0; r < rows; ++r) {
    TableLine line;
    line.logical = r;
    line.slots.resize(n);
    for (int c = 0; c < m_columns; ++c) line.slots[static_cast<size_t>(c)] = d.text(r, c);
    m_first.push_back(m_lines.insert(m_lines.end(), std::move(line)));
    for (int c = 0; c < m_columns; ++c)
      if (spanCode(d.span(r, c)) >= 2) m_spanning.emplace_back(r, c);
  }
  m_lineCount = rows;
}

double TableLayout::decimalOf(int column, int alignment) const {
  const size_t c = static_cast<size_t>(column);
  return magnitude(alignment) == 6 ? m_decimal6[c] : m_decimal4[c];
}

double TableLayout::totalWidth() const {
  double total = 0;
  for (double w : m_natural) total += w + m_d.columnGap;
  return total;
}

double TableLayout::cellMeasure(const std::u16string& text, int alignment, int column) const {
  const int a = magnitude(alignment);
  if (a < 4) return m_measure(text);
  const double whole = m_measure(integerPart(text)), fraction = hasPoint(text) ? m_measure(fractionPart(text)) : 0;
  if (a == 4) return fraction + m_decimal4[static_cast<size_t>(column)];
  if (a == 6) return whole + m_decimal6[static_cast<size_t>(column)];
  return 2 * std::max(whole, fraction);
}

// Integers in a column of decimal cells align on a point they do not show.
void TableLayout::appendDecimalPoints() {
  for (int c = 0; c < m_columns; ++c) {
    bool decimal = false;
    for (int r = 0; r < static_cast<int>(m_first.size()) && !decimal; ++r) decimal = isDecimal(magnitude(m_d.alignment(r, c)));
    if (!decimal) continue;
    for (auto& line : m_lines) {
      auto& slot = line.slots[static_cast<size_t>(c)];
      if (slot && isDecimal(magnitude(m_d.alignment(line.logical, c))) && !hasPoint(*slot)) *slot += u'.';
    }
  }
}

void TableLayout::measureDecimals(int column) {
  const size_t c = static_cast<size_t>(column);
  m_decimal4[c] = m_decimal6[c] = 0;
  for (const auto& line : m_lines) {
    const auto& slot = line.slots[c];
    if (!slot) continue;
    const int a = magnitude(m_d.alignment(line.logical, column));
    if (a == 4) m_decimal4[c] = std::max(m_decimal4[c], m_measure(integerPart(*slot)));
    if (a == 6 && hasPoint(*slot)) m_decimal6[c] = std::max(m_decimal6[c], m_measure(fractionPart(*slot)));
  }
}

// The natural and the wrapped width of a column from its own cells; spanning cells are
// shared out over their columns afterwards.
void TableLayout::measureColumn(int column) {
  measureDecimals(column);
  const size_t c = static_cast<size_t>(column);
  double natural = 0, wrapped = 0;
  for (const auto& line : m_lines) {
    const auto& slot = line.slots[c];
    if (!slot) continue;
    const int s = spanCode(m_d.span(line.logical, column));
    if (s != 1 && s >= 0) continue;
    const int a = m_d.alignment(line.logical, column);
    const double whole = cellMeasure(*slot, a, column);
    natural = std::max(natural, whole);
    wrapped = std::max(wrapped, a < 0 ? whole : cellMeasure(withoutLastWord(*slot), a, column));
  }
  m_base[c] = natural;
  m_wrapped[c] = wrapped;
}

void TableLayout::measureAll() {
  for (int c = 0; c < m_columns; ++c) measureColumn(c);
  shareSpans();
}

void TableLayout::share(int first, int count, double difference) {
  if (count <= 0 || difference <= 0) return;
  const int steps = 4 * count;
  const double step = difference / steps;
  for (int k = 0; k < steps; ++k) {
    auto begin = m_natural.begin() + first;
    *std::min_element(begin, begin + count) += step;
  }
}

void TableLayout::shareSpans() {
  m_natural = m_base;
  for (const auto& [row, column] : m_spanning) {
    const int n = std::min(spanCode(m_d.span(row, column)), m_columns - column);
    for (auto it = m_first[static_cast<size_t>(row)]; it != m_lines.end() && it->logical == row; ++it) {
      const auto& slot = it->slots[static_cast<size_t>(column)];
      if (!slot) continue;
      double sum = 0;
      for (int k = 0; k < n; ++k) sum += m_natural[static_cast<size_t>(column + k)];
      const double w = m_measure(*slot);
      if (w > sum) share(column, n, w - sum);
    }
  }
}

bool TableLayout::wraps(const TableLine& line, int column) const {
  const auto& slot = line.slots[static_cast<size_t>(column)];
  const int a = m_d.alignment(line.logical, column);
  if (!slot || a < 0 || lastInnerBlank(trimRight(*slot)) == std::u16string::npos) return false;
  const int s = spanCode(m_d.span(line.logical, column));
  if (s < 2) return cellMeasure(*slot, a, column) > m_wrapped[static_cast<size_t>(column)];
  double span = 0;
  for (int k = 0; k < std::min(s, m_columns - column); ++k) span += m_base[static_cast<size_t>(column + k)];
  return m_measure(*slot) > span;
}

bool TableLayout::canWrap(int column) const {
  return std::any_of(m_lines.begin(), m_lines.end(), [&](const TableLine& l) { return wraps(l, column); });
}

std::list<TableLine>::iterator TableLayout::insertContinuation(std::list<TableLine>::iterator after) {
  if (m_lineCount + 1 >= kMaxLines) {
    acutPrintf(u"\n Can't make pointer to next [%d] row in table", m_lineCount);
    return m_lines.end();
  }
  TableLine line;
  line.logical = after->logical;
  line.continuation = true;
  line.slots.resize(static_cast<size_t>(m_columns));
  ++m_lineCount;
  return m_lines.insert(std::next(after), std::move(line));
}

// Puts a word cut from a line's cell at the front of the line below in the same cell:
// a continuation of the row, the next cell of a merged run, or a new continuation line.
bool TableLayout::moveWordDown(std::list<TableLine>::iterator line, int column, std::u16string word) {
  const size_t c = static_cast<size_t>(column);
  auto next = std::next(line);
  if (next != m_lines.end() && next->continuation) {
    auto& slot = next->slots[c];
    slot = slot ? word + u" " + *slot : word;
    return true;
  }
  const bool merged = spanCode(m_d.span(line->logical, column)) < 0;
  if (merged && next != m_lines.end() && spanCode(m_d.span(next->logical, column)) < 0) {
    // The cells below in the run move down one line as far as the first free one.
    auto hole = next;
    auto last = next;
    while (hole != m_lines.end() && spanCode(m_d.span(hole->logical, column)) < 0 && hole->slots[c]) last = hole++;
    if (hole == m_lines.end() || spanCode(m_d.span(hole->logical, column)) >= 0) {
      hole = insertContinuation(last);
      if (hole == m_lines.end()) return false;
    }
    for (auto it = hole; it != next; --it) it->slots[c] = std::move(std::prev(it)->slots[c]);
    next->slots[c] = std::move(word);
    return true;
  }
  auto added = insertContinuation(line);
  if (added == m_lines.end()) return false;
  added->slots[c] = std::move(word);
  return true;
}

TableLayout::Wrap TableLayout::wrapColumn(int column) {
  const size_t c = static_cast<size_t>(column);
  Wrap result = Wrap::Unchanged;
  auto received = m_lines.end();
  for (auto it = m_lines.begin(); it != m_lines.end(); ++it) {
    if (it == received || !wraps(*it, column)) continue;
    const std::u16string text = trimRight(*it->slots[c]);
    const size_t blank = lastInnerBlank(text);
    std::u16string word = text.substr(blank + 1);
    it->slots[c] = trimRight(text.substr(0, blank));
    if (!moveWordDown(it, column, std::move(word))) return Wrap::RowLimit;
    received = std::next(it);
    result = Wrap::Shortened;
  }
  return result;
}

void TableLayout::forceWrap(int column) {
  const size_t c = static_cast<size_t>(column);
  for (int pass = 0; pass < 2; ++pass) {
    measureColumn(column);
    shareSpans();
    while (m_natural[c] > m_wrapped[c]) {
      if (wrapColumn(column) != Wrap::Shortened) return;
      measureColumn(column);
      shareSpans();
    }
  }
}

// Wraps the column that gains most until the table fits; a second pass starts from
// fresh measures. False when it does not fit.
bool TableLayout::fitToWidth() {
  for (int pass = 1; pass <= 2; ++pass) {
    std::vector<bool> candidate(static_cast<size_t>(m_columns), true);
    for (;;) {
      if (totalWidth() <= m_d.width) {
        pullUp();
        return true;
      }
      int best = -1;
      double gain = 0;
      for (int c = 0; c < m_columns; ++c) {
        const double g = m_natural[static_cast<size_t>(c)] - m_wrapped[static_cast<size_t>(c)];
        if (candidate[static_cast<size_t>(c)] && g > gain) {
          gain = g;
          best = c;
        }
      }
      if (best < 0) break;
      if (!canWrap(best)) {
        candidate[static_cast<size_t>(best)] = false;
        continue;
      }
      if (wrapColumn(best) == Wrap::RowLimit) {
        pullUp();
        return false;
      }
      measureColumn(best);
      shareSpans();
    }
    if (totalWidth() < m_d.width) {
      pullUp();
      return true;
    }
    if (pass == 2) break;
    measureAll();
  }
  pullUp();
  return false;
}

// Texts wrapped down a merged run move up into the free cells above them, so that the
// run reads from its top.
void TableLayout::pullUp() {
  for (int column = 0; column < m_columns; ++column) {
    const size_t c = static_cast<size_t>(column);
    std::deque<TableLine*> free;
    for (auto& line : m_lines) {
      if (spanCode(m_d.span(line.logical, column)) >= 0) {
        free.clear();
        continue;
      }
      auto& slot = line.slots[c];
      if (!slot) {
        free.push_back(&line);
        continue;
      }
      if (free.empty()) continue;
      free.front()->slots[c] = std::move(slot);
      slot.reset();
      free.pop_front();
      free.push_back(&line);
    }
  }
}

bool TableLayout::layOut() {
  appendDecimalPoints();
  measureAll();
  const double mode = m_d.optimise;
  if (mode >= 20000) {
    m_fitting = true;
    m_forced = static_cast<int>(mode - 20000);
  } else if (mode >= 10000) {
    m_forced = static_cast<int>(mode - 10000);
  } else {
    m_fitting = mode == 1;
  }
  if (m_forced >= m_columns) m_forced = -1;
  if (m_forced >= 0) forceWrap(m_forced);
  const bool fitted = !m_fitting || fitToWidth();
  const double total = totalWidth();
  if (fitted && total < m_d.width) share(0, m_columns, m_d.width - total);
  return fitted;
}

}  // namespace qd::table
