// Opens a DXF file with the host's reader and saves it with its writer, printing the time
// of each and the process's peak memory: "open MS save MS peak MIB entities N open-peak
// MIB", the last the peak when the drawing was open. One file
// a process, so that the peak is that file's.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "headless/dxf/dxf.h"
#include "host/dbsymtb.h"
#include "platform/codepage.h"

namespace {

double peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

size_t modelSpaceCount(AcDbDatabase* db) {
  AcDbBlockTableRecord* ms = nullptr;
  if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return 0;
  const size_t n = ms->entityIds().size();
  ms->close();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_dxf_open_save IN.dxf OUT.dxf\n");
    return 2;
  }
  std::u16string error;
  AcDbDatabase db(false);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  auto start = std::chrono::steady_clock::now();
  if (qd::dxf::readFile(&db, argv[1], error) != Acad::eOk) {
    std::fprintf(stderr, "%s\n", qd::text::toUtf8(error).c_str());
    return 1;
  }
  const double open = since(start);
  const double openPeak = peakMiB();
  start = std::chrono::steady_clock::now();
  if (qd::dxf::writeFile(&db, argv[2], error) != Acad::eOk) {
    std::fprintf(stderr, "%s\n", qd::text::toUtf8(error).c_str());
    return 1;
  }
  const double save = since(start);
  std::printf("open %.0f ms save %.0f ms peak %.1f MiB entities %zu open-peak %.1f MiB\n", open, save, peakMiB(),
              modelSpaceCount(&db), openPeak);
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return 0;
}
