#include "table/TableExport.h"

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/winlib.h"

namespace qd::table {
namespace {

// A missing neighbour counts as an ordinary cell.
int rawSpan(const TableDescription& d, int row, int column) {
  if (row < 0 || row >= d.rows || column < 0 || column >= d.columns) return 1;
  return d.span(row, column);
}

// A loaded library given back when the holder goes.
class Library {
 public:
  explicit Library(const std::u16string& path) : m_module(LoadLibraryW(path.c_str())) {}
  ~Library() {
    if (m_module) FreeLibrary(m_module);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE get() const { return m_module; }

 private:
  HMODULE m_module;
};

void sayFailed() {
  ACHAR message[512];
  qd::support::qdads02Text(434, message, 512);
  acutPrintf(u"%ls", message);
}

}  // namespace

int exportBorder(const TableDescription& d, int row, int column) {
  const int v = rawSpan(d, row, column);
  if (v == 1) return 0;
  if (v == 0) return rawSpan(d, row, column + 1) == 0 ? 3 : 2;
  if (v >= 2) return 1;
  const bool above = rawSpan(d, row - 1, column) < 0, below = rawSpan(d, row + 1, column) < 0;
  return above && below ? 12 : below ? 8 : above ? 4 : 0;
}

int exportAlignment(int alignment) {
  if (alignment < 1) return 1;
  const int a = alignment > 3 ? alignment - 3 : alignment;
  return a == 2 ? 3 : a == 3 ? 2 : 1;
}

ExportBuild::ExportBuild(const TableDescription& d) : m_sheet(d.sheetText.substr(0, 31)) {
  const int rows = std::max(d.rows, 0), columns = std::max(d.columns, 0);
  const size_t cells = static_cast<size_t>(rows) * static_cast<size_t>(columns);
  // Sized once, so that the pointers between the records stay valid.
  m_texts.reserve(cells);
  m_cells.reserve(cells);
  m_rows.reserve(static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    ExportCell* previous = nullptr;
    m_rows.push_back(ExportRow{nullptr, 0.0, 0.0, 0, nullptr});
    for (int c = 0; c < columns; ++c) {
      m_texts.push_back(d.text(r, c).value_or(u""));
      m_cells.push_back(ExportCell{m_texts.back().c_str(), exportBorder(d, r, c), exportAlignment(d.alignment(r, c)), nullptr});
      (previous ? previous->next : m_rows.back().first) = &m_cells.back();
      previous = &m_cells.back();
    }
    if (r > 0) m_rows[static_cast<size_t>(r - 1)].next = &m_rows.back();
  }
  m_table = ExportTable{columns, rows, headerRowCount(d), -1, kMaxColumns, m_sheet.c_str(), m_rows.empty() ? nullptr : &m_rows[0]};
}

bool exportTable(const TableDescription& d) {
  ACHAR folder[1024];
  if (acedGetEnv(u"TVC", folder, 1024) != RTNORM) {
    acutPrintf(u"\nCan't find '%ls' variable!", u"TVC");
    sayFailed();
    return false;
  }
  const ExportBuild build(d);
  Library library(std::u16string(folder) + u"/QDXL.DLL");
  auto flush = library.get() ? reinterpret_cast<FlushToSpreadsheet>(GetProcAddress(library.get(), "FlushBublToExcel")) : nullptr;
  if (!flush || flush(build.table()) == 0) {
    sayFailed();
    return false;
  }
  return true;
}

}  // namespace qd::table
