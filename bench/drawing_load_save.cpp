// Builds a drawing of many entities, saves it as DXF, opens it again and saves the copy,
// printing each step's time and the process's peak memory. The count is the first
// argument (default 200000).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "headless/dxf/dxf.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"

namespace {

double peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

template <class Step>
void timed(const char* name, Step step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-28s %10.1f ms   peak %8.1f MiB\n", name, ms, peakMiB());
}

// A mix like a floor plan's: lines and polylines on a few layers, circles, texts.
void populate(AcDbDatabase* db, int count) {
  AcDbLayerTable* layers = nullptr;
  db->getLayerTable(layers, AcDb::kForWrite);
  const char16_t* names[] = {u"WALLS", u"DOORS", u"TEXTS", u"GRID"};
  for (const char16_t* name : names) {
    auto* rec = new AcDbLayerTableRecord();
    rec->setName(name);
    if (layers->add(rec) == Acad::eOk) rec->close();
  }
  layers->close();
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < count; ++i) {
    const double x = (i % 1000) * 10.0, y = (i / 1000) * 10.0;
    AcDbEntity* e = nullptr;
    switch (i % 4) {
      case 0: e = new AcDbLine({x, y, 0}, {x + 8, y, 0}); break;
      case 1: e = new AcDbCircle({x, y, 0}, AcGeVector3d::kZAxis, 2.5); break;
      case 2: {
        auto* t = new AcDbText({x, y, 0}, u"Místnost 101", AcDbObjectId(), 2.5, 0.0);
        e = t;
        break;
      }
      default: {
        auto* pl = new AcDbPolyline();
        pl->addVertexAt(0, {x, y});
        pl->addVertexAt(1, {x + 5, y + 5});
        pl->addVertexAt(2, {x + 10, y});
        e = pl;
      }
    }
    e->setLayer(names[i % 4]);
    ms->appendAcDbEntity(e);
    e->close();
  }
  ms->close();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string dir = std::filesystem::temp_directory_path().string();
  const std::string first = dir + "/qd_bench_first.dxf", second = dir + "/qd_bench_second.dxf";
  std::printf("drawing of %d entities\n", count);
  std::u16string error;
  {
    AcDbDatabase db(true);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    timed("build", [&] { populate(&db, count); });
    timed("save", [&] { qd::dxf::writeFile(&db, first, error); });
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  std::printf("file size %.1f MiB\n", static_cast<double>(std::filesystem::file_size(first)) / (1024.0 * 1024.0));
  AcDbDatabase copy(false);
  Acad::ErrorStatus es = Acad::eOk;
  timed("load", [&] { es = qd::dxf::readFile(&copy, first, error); });
  if (es != Acad::eOk) {
    std::fprintf(stderr, "load failed\n");
    return 1;
  }
  timed("save the loaded drawing", [&] { qd::dxf::writeFile(&copy, second, error); });
  std::filesystem::remove(first);
  std::filesystem::remove(second);
  return 0;
}
