// Tables of 50 columns with 50, 200 and 500 rows (or the counts given) laid out and
// drawn into a fresh drawing each: five columns hold remarks of several words that the
// fitting wraps, the others short codes and decimals. Prints the time of each table, per
// cell, and the lines of text the wrapping made; the time per cell should stay flat.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "headless/ads/session.h"
#include "headless/dxf/dxf.h"
#include "headless/render/font.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "table/TableDescription.h"
#include "table/TableDrawing.h"

namespace {

constexpr int kColumns = 50;

std::u16string number(int n) {
  std::u16string s;
  for (char c : std::to_string(n)) s += static_cast<char16_t>(c);
  return s;
}

qd::table::TableDescription schedule(int rows) {
  qd::table::TableDescription d;
  d.width = 900;
  d.widthDialog = 1;  // drawn however wide it comes out
  for (int r = 0; r < rows; ++r) {
    std::vector<std::optional<std::u16string>> row;
    for (int c = 0; c < kColumns; ++c) {
      if (r == 0) row.push_back(u"Sloupec " + number(c));
      else if (c % 10 == 4) row.push_back(u"dveře s nadsvětlíkem a kováním " + number(r));
      else if (c % 10 == 7) row.push_back(number(r) + u"." + number(c));
      else row.push_back(u"D" + number(r * kColumns + c));
      if (c % 10 == 7) d.alignment(r, c) = 4;
    }
    d.cells.push_back(std::move(row));
  }
  d.rows = rows;
  d.columns = kColumns;
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string data = QD_DATA_DIR_DEFAULT;
  qd::font::setFontFolder(data + "/fonts");
  qd::ads::printSink() = [](const std::u16string&) {};
  std::vector<int> counts = {50, 200, 500};
  if (argc > 1) {
    counts.clear();
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  }
  std::printf("%-6s %-7s %10s %14s %8s\n", "rows", "cells", "ms", "us per cell", "lines");
  for (int rows : counts) {
    auto db = std::make_unique<AcDbDatabase>(false);
    std::u16string error;
    if (qd::dxf::readFile(db.get(), data + "/template.dxf", error) != Acad::eOk) db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    const qd::table::TableDescription d = schedule(rows);
    qd::table::DrawnTable drawn;
    const auto start = std::chrono::steady_clock::now();
    const int status = qd::table::drawTable(d, drawn);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double height = d.insertion.y - drawn.lowerRight.y;
    const int lines = static_cast<int>(height / (d.textHeight + d.rowGap) + 0.5);
    const int cells = rows * kColumns;
    std::printf("%-6d %-7d %10.1f %14.2f %8d%s\n", rows, cells, ms, 1000 * ms / cells, lines,
                status == RTNORM ? "" : "  (not drawn)");
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  return 0;
}
