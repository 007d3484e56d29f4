// The table as the spreadsheet library "QDXL" receives it from "FlushBublToExcel": a
// record of counts and the sheet name, then rows of cells as linked records. The layout
// is shared with the library, so every field keeps its size and place.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qd::table {

struct ExportCell {
  const char16_t* text;  // "" for an empty cell
  int32_t border;        // 1 starts a merge across, 2 and 3 are merged into it; 8, 12, 4 top, inside, foot of a merge down
  int32_t alignment;     // 1 left, 2 right, 3 centred
  ExportCell* next;
};

struct ExportRow {
  ExportCell* first;
  double reserved1, reserved2;  // 0.0
  int32_t reserved3;            // 0
  ExportRow* next;
};

struct ExportTable {
  int32_t columns, rows, headerRows;
  int32_t reserved;     // -1
  int32_t columnLimit;  // 50
  const char16_t* sheet;
  ExportRow* first;
};

static_assert(offsetof(ExportCell, text) == 0 && offsetof(ExportCell, border) == 8 && offsetof(ExportCell, alignment) == 12 &&
              offsetof(ExportCell, next) == 16 && sizeof(ExportCell) == 24);
static_assert(offsetof(ExportRow, first) == 0 && offsetof(ExportRow, reserved1) == 8 && offsetof(ExportRow, reserved2) == 16 &&
              offsetof(ExportRow, reserved3) == 24 && offsetof(ExportRow, next) == 32 && sizeof(ExportRow) == 40);
static_assert(offsetof(ExportTable, columns) == 0 && offsetof(ExportTable, rows) == 4 && offsetof(ExportTable, headerRows) == 8 &&
              offsetof(ExportTable, reserved) == 12 && offsetof(ExportTable, columnLimit) == 16 &&
              offsetof(ExportTable, sheet) == 24 && offsetof(ExportTable, first) == 32 && sizeof(ExportTable) == 40);

// The library's entry, looked up by the name "FlushBublToExcel": non-zero when written.
using FlushToSpreadsheet = int (*)(const ExportTable*);

}  // namespace qd::table
