// Arbitrary argument lists for "tv_write_table": each byte picks the next element (a
// point, a text, a real, a short, a list's begin or end, nil) and the bytes after it
// its value. Lists may be unbalanced and values of any type in any place: reading ends
// with a message or a status, never a crash, and whatever was read is laid out, drawn
// into a fresh drawing and built into the export table without one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "headless/ads/session.h"
#include "table/TableDescription.h"
#include "table/TableDrawing.h"
#include "table/TableExport.h"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t size, at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
};

resbuf* element(Bytes& b) {
  switch (b.next() % 7) {
    case 0: {
      const double p[3] = {static_cast<double>(b.next()), static_cast<double>(b.next()), static_cast<double>(b.next())};
      return acutBuildList(RT3DPOINT, p, 0);
    }
    case 1: {
      std::u16string text(b.next() % 40, u' ');
      for (auto& c : text) c = static_cast<char16_t>(u' ' + b.next() % 90);
      return acutBuildList(RTSTR, text.c_str(), 0);
    }
    case 2: return acutBuildList(RTREAL, static_cast<double>(b.next()) / 7.0, 0);
    case 3: return acutBuildList(RTSHORT, static_cast<int>(b.next()) - 128, 0);
    case 4: return acutBuildList(RTLB, 0);
    case 5: return acutBuildList(RTLE, 0);
    default: return acutBuildList(RTNIL, 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AcDbDatabase db(true);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  qd::ads::printSink() = [](const std::u16string&) {};
  Bytes b{data, size};
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (int n = 0; b.more() && n < 4000; ++n) {
    resbuf* e = element(b);
    (head ? tail->rbnext : head) = e;
    tail = e;
  }
  auto d = std::make_unique<qd::table::TableDescription>();
  const int status = qd::table::readTableDescription(head, *d);
  acutRelRb(head);
  if (status == RTNORM) {
    const qd::table::ExportBuild exported(*d);
    d->widthDialog = 1;  // no one is there to answer the question
    qd::table::DrawnTable drawn;
    qd::table::drawTable(*d, drawn);
  }
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return 0;
}
