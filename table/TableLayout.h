// The layout of a table: the lines of text as they will be drawn (a logical row may take
// several lines once its texts are wrapped), the width of each column from its measured
// texts, decimal positions, shares for spanning cells, and the fitting to a requested
// width by wrapping words onto continuation lines.
#pragma once
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "table/TableDescription.h"

namespace qd::table {

// At most this many lines of text make a table.
constexpr int kMaxLines = 500;

// One drawn line of a logical row; the first carries the row's texts, the others words
// wrapped down to them.
struct TableLine {
  int logical = 0;
  bool continuation = false;
  std::vector<std::optional<std::u16string>> slots;
};

// The width factor and obliquing of a text style as its record gives them; the fallback
// width and no obliquing for a style the drawing does not have.
struct StyleFactors {
  double width = 1.0, oblique = 0.0;
  bool found = false;
};
StyleFactors styleFactors(const std::u16string& style, double fallbackWidth);

// The width of a text as drawn: its box, with leading blanks counted.
using TextMeasure = std::function<double(const std::u16string&)>;

// Measures texts by the host's text box in the table's style and height.
class HostTextMeasure {
 public:
  HostTextMeasure(const std::u16string& style, const std::u16string& layer, double height, double fallbackWidth);
  double operator()(const std::u16string& text);

 private:
  std::u16string m_style, m_layer;
  double m_height, m_widthFactor = 1.0, m_oblique = 0.0;
  std::unordered_map<std::u16string, double> m_known;
};

// The part of a decimal text up to its first point (leading blanks left out), and from
// its last point on.
std::u16string integerPart(const std::u16string& text);
std::u16string fractionPart(const std::u16string& text);
// A text whose only characters are '&' and blanks stands for a struck-out cell.
bool isStrike(const std::u16string& text);

class TableLayout {
 public:
  TableLayout(const TableDescription& d, TextMeasure measure);

  // Measures, shares and fits. False when the table could not be brought within the
  // requested width by fitting (the caller decides whether to draw it anyway).
  bool layOut();

  const TableDescription& description() const { return m_d; }
  const std::list<TableLine>& lines() const { return m_lines; }
  int lineCount() const { return m_lineCount; }
  int headerRows() const { return m_header; }
  int columns() const { return m_columns; }
  double width(int column) const { return m_natural[static_cast<size_t>(column)]; }
  double wrappedWidth(int column) const { return m_wrapped[static_cast<size_t>(column)]; }
  double decimalOf(int column, int alignment) const;
  double totalWidth() const;
  // The width of a text as the layout measures it.
  double measure(const std::u16string& text) const { return m_measure(text); }
  // Whether the fitting mode wraps columns, and which column is always wrapped (-1 none).
  bool fits() const { return m_fitting; }
  int forcedColumn() const { return m_forced; }

 private:
  std::list<TableLine>::iterator firstLineOf(int logical) { return m_first[static_cast<size_t>(logical)]; }
  double cellMeasure(const std::u16string& text, int alignment, int column) const;
  void appendDecimalPoints();
  void measureDecimals(int column);
  void measureColumn(int column);
  void measureAll();
  void shareSpans();
  void share(int first, int count, double difference);
  bool canWrap(int column) const;
  bool wraps(const TableLine& line, int column) const;
  enum class Wrap { Shortened, Unchanged, RowLimit };
  Wrap wrapColumn(int column);
  bool moveWordDown(std::list<TableLine>::iterator line, int column, std::u16string word);
  std::list<TableLine>::iterator insertContinuation(std::list<TableLine>::iterator after);
  void forceWrap(int column);
  bool fitToWidth();
  void pullUp();

  const TableDescription& m_d;
  TextMeasure m_measure;
  int m_columns, m_header;
  bool m_fitting = false;
  int m_forced = -1;
  std::list<TableLine> m_lines;
  int m_lineCount = 0;
  std::vector<std::list<TableLine>::iterator> m_first;  // each logical row's first line
  std::vector<double> m_base, m_natural, m_wrapped, m_decimal4, m_decimal6;
  std::vector<std::pair<int, int>> m_spanning;  // logical row, column of cells spanning columns
};

}  // namespace qd::table
