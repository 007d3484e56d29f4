// QDXL: the product family's spreadsheet library. "FlushBublToExcel" writes the table it
// is handed as a workbook of one sheet: the cells' texts, the merged cells their border
// codes describe, the alignment, the header rows in bold, thin borders round every cell.
// The workbook goes into the folder the host environment names "TVXLS" (the current
// folder when there is none), named after the sheet, and replaces an older one whole.
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/acedads.h"
#include "host/adslib.h"
#include "host/rxregsvc.h"
#include "platform/codepage.h"
#include "table/ExportTable.h"

namespace {

using qd::table::ExportCell;
using qd::table::ExportRow;
using qd::table::ExportTable;

// A sheet name as spreadsheets take it: at most 31 characters, none of []:*?/\.
std::u16string sheetName(const char16_t* text) {
  std::u16string name;
  for (const char16_t* p = text ? text : u""; *p && name.size() < 31; ++p)
    if (std::u16string_view(u"[]:*?/\\").find(*p) == std::u16string_view::npos) name += *p;
  while (!name.empty() && (name.front() == u'\'' || name.front() == u' ')) name.erase(name.begin());
  while (!name.empty() && (name.back() == u'\'' || name.back() == u' ')) name.pop_back();
  return name.empty() ? u"List1" : name;
}

std::string outputFolder() {
  ACHAR value[1024];
  if (acedGetEnv(u"TVXLS", value, 1024) == RTNORM && value[0]) return qd::text::toUtf8(value);
  return ".";
}

struct Grid {
  int rows = 0, columns = 0, header = 0;
  std::vector<std::string> text;  // UTF-8, row by row
  std::vector<int> border, alignment;
  size_t at(int r, int c) const { return static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c); }
};

// Reads the linked rows and cells; rows or cells that are missing stay empty.
Grid readGrid(const ExportTable& t) {
  Grid g;
  g.rows = std::clamp(t.rows, 0, 10000);
  g.columns = std::clamp(t.columns, 0, std::max(t.columnLimit, 0));
  g.header = std::clamp(t.headerRows, 0, g.rows);
  const size_t n = static_cast<size_t>(g.rows) * static_cast<size_t>(g.columns);
  g.text.assign(n, "");
  g.border.assign(n, 0);
  g.alignment.assign(n, 1);
  const ExportRow* row = t.first;
  for (int r = 0; r < g.rows && row; ++r, row = row->next) {
    const ExportCell* cell = row->first;
    for (int c = 0; c < g.columns && cell; ++c, cell = cell->next) {
      g.text[g.at(r, c)] = qd::text::toUtf8(cell->text ? cell->text : u"");
      g.border[g.at(r, c)] = cell->border;
      g.alignment[g.at(r, c)] = cell->alignment;
    }
  }
  return g;
}

struct Range {
  int r1, c1, r2, c2;
};

// Merges across start at code 1 and take the 3s and the closing 2 that follow; merges
// down start at 8 and take the 12s and the closing 4 below.
std::vector<Range> mergedRanges(const Grid& g) {
  std::vector<Range> ranges;
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.columns; ++c) {
      const int code = g.border[g.at(r, c)];
      if (code == 1) {
        int e = c;
        while (e + 1 < g.columns && (g.border[g.at(r, e + 1)] == 3 || g.border[g.at(r, e + 1)] == 2)) {
          ++e;
          if (g.border[g.at(r, e)] == 2) break;
        }
        if (e > c) ranges.push_back({r, c, r, e});
      } else if (code == 8) {
        int e = r;
        while (e + 1 < g.rows && (g.border[g.at(e + 1, c)] == 12 || g.border[g.at(e + 1, c)] == 4)) {
          ++e;
          if (g.border[g.at(e, c)] == 4) break;
        }
        if (e > r) ranges.push_back({r, c, e, c});
      }
    }
  return ranges;
}

class Formats {
 public:
  explicit Formats(lxw_workbook* book) {
    const uint8_t aligns[3] = {LXW_ALIGN_LEFT, LXW_ALIGN_RIGHT, LXW_ALIGN_CENTER};
    for (int bold = 0; bold < 2; ++bold)
      for (int a = 0; a < 3; ++a) {
        lxw_format* f = workbook_add_format(book);
        format_set_align(f, aligns[a]);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        format_set_border(f, LXW_BORDER_THIN);
        format_set_text_wrap(f);
        if (bold) format_set_bold(f);
        m_formats[bold][a] = f;
      }
  }
  // Alignment 1 left, 2 right, 3 centred; anything else left.
  lxw_format* get(int alignment, bool bold) const {
    const int a = alignment == 2 ? 1 : alignment == 3 ? 2 : 0;
    return m_formats[bold ? 1 : 0][a];
  }

 private:
  lxw_format* m_formats[2][3] = {};
};

void writeSheet(lxw_worksheet* sheet, const Grid& g, const Formats& formats) {
  std::vector<bool> merged(g.text.size(), false);
  for (const Range& m : mergedRanges(g)) {
    const size_t first = g.at(m.r1, m.c1);
    worksheet_merge_range(sheet, static_cast<lxw_row_t>(m.r1), static_cast<lxw_col_t>(m.c1), static_cast<lxw_row_t>(m.r2),
                          static_cast<lxw_col_t>(m.c2), g.text[first].c_str(), formats.get(g.alignment[first], m.r1 < g.header));
    for (int r = m.r1; r <= m.r2; ++r)
      for (int c = m.c1; c <= m.c2; ++c) merged[g.at(r, c)] = true;
  }
  std::vector<size_t> widest(static_cast<size_t>(g.columns), 8);
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.columns; ++c) {
      const size_t i = g.at(r, c);
      if (merged[i]) continue;
      const auto row = static_cast<lxw_row_t>(r);
      const auto col = static_cast<lxw_col_t>(c);
      lxw_format* f = formats.get(g.alignment[i], r < g.header);
      if (g.text[i].empty()) worksheet_write_blank(sheet, row, col, f);
      else worksheet_write_string(sheet, row, col, g.text[i].c_str(), f);
      widest[static_cast<size_t>(c)] = std::max(widest[static_cast<size_t>(c)], qd::text::fromUtf8(g.text[i]).size());
    }
  for (int c = 0; c < g.columns; ++c)
    worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         static_cast<double>(std::min<size_t>(widest[static_cast<size_t>(c)], 60) + 2), nullptr);
  if (g.header > 0) worksheet_freeze_panes(sheet, static_cast<lxw_row_t>(g.header), 0);
}

}  // namespace

ACRX_ENTRY_POINT int FlushBublToExcel(const ExportTable* table) {
  if (!table) return 0;
  namespace fs = std::filesystem;
  const Grid grid = readGrid(*table);
  const std::u16string sheet = sheetName(table->sheet);
  const fs::path target = fs::path(outputFolder()) / (qd::text::toUtf8(sheet) + ".xlsx");
  // Written beside the workbook it replaces and renamed over it once whole.
  const fs::path partial = fs::path(target).concat(".partial");
  lxw_workbook* book = workbook_new(partial.string().c_str());
  if (!book) return 0;
  const Formats formats(book);
  lxw_worksheet* ws = workbook_add_worksheet(book, qd::text::toUtf8(sheet).c_str());
  if (ws) writeSheet(ws, grid, formats);
  const lxw_error closed = workbook_close(book);
  std::error_code ec;
  if (!ws || closed != LXW_NO_ERROR) {
    fs::remove(partial, ec);
    return 0;
  }
  fs::rename(partial, target, ec);
  if (ec) {
    fs::remove(partial, ec);
    return 0;
  }
  acutPrintf(u"\nQDXL: %ls", qd::text::fromUtf8(target.string()).c_str());
  return 1;
}

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  if (msg == AcRx::kInitAppMsg) acrxUnlockApplication(appId);
  return AcRx::kRetOK;
}
