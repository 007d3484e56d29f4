// Parses a DXF file with QCAD's dxflib and counts the entities it reports, building no
// drawing: the measure of a C++ parse alone for the DXF benchmark.
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <chrono>
#include <cstdio>

namespace {
struct Counter : DL_CreationAdapter {
  long entities = 0;
  void addLine(const DL_LineData&) override { ++entities; }
  void addCircle(const DL_CircleData&) override { ++entities; }
  void addText(const DL_TextData&) override { ++entities; }
  void addInsert(const DL_InsertData&) override { ++entities; }
  void addArc(const DL_ArcData&) override { ++entities; }
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Counter counter;
  DL_Dxf dxf;
  const auto start = std::chrono::steady_clock::now();
  if (!dxf.in(argv[1], &counter)) return 1;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("parse %.0f ms entities %ld\n", ms, counter.entities);
  return 0;
}
