// The description of a table as a caller gives it to "tv_write_table": a fixed sequence
// of arguments (point, titles, widths, layers, the cell texts and their codes, gaps,
// style, heights, messages, export names, colours), read into one record with every
// value not given at its default.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/acge.h"
#include "host/adsdef.h"

namespace qd::table {

constexpr int kMaxRows = 500;
constexpr int kMaxColumns = 50;
constexpr size_t kMaxLineEntries = 499;

struct TableDescription {
  TableDescription();

  AcGePoint3d insertion{0, 200, 0};
  bool exportMode = false;  // the first argument was not a point: the table goes to a workbook
  std::optional<std::u16string> title, subtitle;
  double width = 190.0;
  double spareWidth = 0.0;  // read and kept
  std::u16string mainLayer = u"TVTA0002Y", secondLayer = u"TVTA0002Z";
  double optimise = 1;
  // The texts by row and column; a text of blanks is no text.
  std::vector<std::vector<std::optional<std::u16string>>> cells;
  int rows = 1, columns = 1;
  std::vector<int> spans, alignments;  // kMaxRows x kMaxColumns, by row then column
  std::optional<std::vector<short>> rowLines, columnLines;  // ended by -1
  double rowGap = 1.4, columnGap = 2.8;
  std::u16string textStyle;
  double styleWidth = 1.0, textHeight = 2.8;
  std::optional<std::u16string> overflowMessage;
  std::u16string titleStyle;
  double titleHeight = 0;
  double grouping = 1;     // 1 an application id, 0 a group
  double widthDialog = 0;  // 1 draw without asking, 0 ask when the table does not fit
  std::u16string sheetText = u"*", nameText = u"TABLE";
  std::array<int, 3> colours{256, 256, 256};  // heavy, line, text

  int& span(int row, int column) { return spans[static_cast<size_t>(row * kMaxColumns + column)]; }
  int& alignment(int row, int column) { return alignments[static_cast<size_t>(row * kMaxColumns + column)]; }
  int span(int row, int column) const { return spans[static_cast<size_t>(row * kMaxColumns + column)]; }
  int alignment(int row, int column) const { return alignments[static_cast<size_t>(row * kMaxColumns + column)]; }
  const std::optional<std::u16string>& text(int row, int column) const;
};

// Reads the argument chain into the description. 5100 (RTNORM) when reading ended, well
// or after a message; -5001 (RTERROR) when the table texts are missing; 10 for no
// arguments.
int readTableDescription(const resbuf* arguments, TableDescription& d);

// A span code as it acts on the layout: values of 1000 and more (by size) carry their
// code in the last three digits.
inline int spanCode(int raw) { return raw >= 1000 || raw <= -1000 ? raw % 1000 : raw; }
// The rows at the top that form the header: up to the first row free of merged cells
// (and, below the first row, of cells that never take a line below), at least one.
int headerRowCount(const TableDescription& d);

}  // namespace qd::table
