// Handing a table to the spreadsheet library instead of drawing it: the export table
// built from the description's texts and codes, and the library found through "TVC".
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "table/ExportTable.h"
#include "table/TableDescription.h"

namespace qd::table {

// The border code of a cell from the span codes around it, and the spreadsheet's
// alignment code from the table's.
int exportBorder(const TableDescription& d, int row, int column);
int exportAlignment(int alignment);

// The export table with the storage its records point into.
class ExportBuild {
 public:
  explicit ExportBuild(const TableDescription& d);
  const ExportTable* table() const { return &m_table; }

 private:
  std::u16string m_sheet;
  std::vector<std::u16string> m_texts;
  std::vector<ExportCell> m_cells;
  std::vector<ExportRow> m_rows;
  ExportTable m_table{};
};

// Sends the table to "QDXL.DLL" in the folder "TVC" names. False, after the module's
// message, when the library, its entry or the export fails.
bool exportTable(const TableDescription& d);

}  // namespace qd::table
