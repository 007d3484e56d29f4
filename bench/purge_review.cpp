// QDPURGE on drawings with N unused layers and N unused blocks (default N = 2000 and
// 20000): the review of each kind with a typed mask, the purge from the review, and
// purge-all on a fresh copy, driven through the command's own dialogs. Prints each
// step's time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "headless/ads/session.h"
#include "headless/ui/console.h"
#include "host/adslib.h"
#include "platform/codepage.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "purge/PurgeCommand.h"
#include "siblings/siblings.h"

namespace {

void populate(AcDbDatabase* db, int n) {
  AcDbLayerTable* layers = nullptr;
  db->getLayerTable(layers, AcDb::kForWrite);
  AcDbBlockTable* blocks = nullptr;
  db->getBlockTable(blocks, AcDb::kForWrite);
  for (int i = 0; i < n; ++i) {
    const std::string id = std::to_string(i);
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(qd::text::fromUtf8("L" + id).c_str());
    if (layers->add(layer) == Acad::eOk) layer->close();
    auto* block = new AcDbBlockTableRecord();
    block->setName(qd::text::fromUtf8("B" + id).c_str());
    if (blocks->add(block) == Acad::eOk) {
      auto* line = new AcDbLine({0, 0, 0}, {1, 0, 0});
      if (block->appendAcDbEntity(line) == Acad::eOk) line->close();
      block->close();
    }
  }
  layers->close();
  blocks->close();
}

double timed(const std::string& events) {
  qd::ui::ScriptSource script("bench", events);
  auto& console = qd::ui::Console::get();
  console.setSource(&script);
  console.clearStop();
  const auto start = std::chrono::steady_clock::now();
  qd::purge::purgeCommand();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (console.stopped()) std::fprintf(stderr, "the session stopped early\n");
  return ms;
}

void runFor(int n, const std::string& data, const std::string& work) {
  std::printf("%d unused layers and %d unused blocks\n", n, n);
  {
    AcDbDatabase db(true);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    populate(&db, n);
    std::printf("  %-44s %9.1f ms\n", "review layers, mask L1*, back",
                timed("dialog purge\nclick layer\nset mask_edit L1*\nset mask_edit \"\"\ncancel\ncancel\n"));
    std::printf("  %-44s %9.1f ms\n", "review layers, keep L1*, purge the rest",
                timed("dialog purge\nclick layer\nset mask_edit L1*\nclick purge\ncancel\ncancel\n"));
    std::printf("  %-44s %9.1f ms\n", "review blocks, purge all of them",
                timed("dialog purge\nclick block\nclick purge\ncancel\ncancel\n"));
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  AcDbDatabase fresh(true);
  acdbHostApplicationServices()->setWorkingDatabase(&fresh);
  populate(&fresh, n);
  std::printf("  %-44s %9.1f ms\n", "purge all on a fresh drawing",
              timed("dialog purge\nclick all\ndialog anone\nclick purge\ncancel\n"));
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  (void)data;
  (void)work;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string data = QD_DATA_DIR_DEFAULT;
  const std::string work = (std::filesystem::temp_directory_path() / "qd_purge_bench").string();
  std::filesystem::create_directories(work);
  qd::ads::printSink() = [](const std::u16string&) {};
  qd::ads::session().supportPaths.push_back(data);
  acedSetEnv(u"TVDAT", qd::text::fromUtf8(work).c_str());
  qd::siblings::install(data);
  if (argc > 1) {
    runFor(std::atoi(argv[1]), data, work);
  } else {
    runFor(2000, data, work);
    runFor(20000, data, work);
  }
  std::filesystem::remove_all(work);
  return 0;
}
