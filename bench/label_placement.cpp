// QDLBL placing labels of kinds 0 and 1 (half of each thousand a plain text, half a text
// on a line with one leader) into one drawing, through the command and its dialog as a
// user would: first 1,000 labels, then 10,000 into a fresh drawing (or the counts given).
// Prints the time per label of each thousand; it should stay flat as the drawing grows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "headless/ads/session.h"
#include "headless/dxf/dxf.h"
#include "headless/modules/modules.h"
#include "headless/render/font.h"
#include "headless/ui/console.h"
#include "headless/ui/picking.h"
#include "headless/ui/runner.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "platform/codepage.h"
#include "siblings/siblings.h"

namespace {

// One thousand labels in one run of the command: rows typed once per kind, then each
// label accepted and placed.
std::string thousandLabels(int batch) {
  std::string s = "QDLBL\ndialog qdlbl\nclick image1\ndialog imagepanel\nimage image9_1 10,10\ndialog qdlbl\n"
                  "click del_all\nenter edit_txt Mistnost\nclick ins_row\nenter edit_txt 12.5 m2\n";
  const int y = batch * 20000;
  for (int i = 0; i < 500; ++i) {
    const std::string x = std::to_string((i % 50) * 4000), row = std::to_string(y + (i / 50) * 1000);
    s += "click accept\n" + x + "," + row + "\ndialog qdlbl\n";
  }
  s += "click image1\ndialog imagepanel\nimage image9_2 10,10\ndialog qdlbl\n"
       "click del_all\nenter edit_txt Okno\nclick ins_row\nenter edit_txt &-O1\n";
  for (int i = 0; i < 500; ++i) {
    const int x = (i % 50) * 4000, row = y + 10000 + (i / 50) * 1000;
    const std::string at = std::to_string(x) + "," + std::to_string(row);
    s += "click accept\n" + at + "\n" + std::to_string(x + 500) + "," + std::to_string(row) + "\n" +
         std::to_string(x + 1500) + "," + std::to_string(row - 600) + "\n<enter>\ndialog qdlbl\n";
  }
  return s + "cancel\n";
}

void place(int count, const std::string& data) {
  auto db = std::make_unique<AcDbDatabase>(false);
  std::u16string error;
  if (qd::dxf::readFile(db.get(), data + "/template.dxf", error) != Acad::eOk) db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  qd::modules::Manager::get().drawingOpened();
  std::printf("%d labels into one drawing\n", count);
  qd::ui::ScriptSource units("units", "(setq TV_UNITS_M-MM 1)\n(setq tvmer 100)\n");
  qd::ui::runSession(units);
  double first = 0, last = 0;
  for (int batch = 0; batch * 1000 < count; ++batch) {
    qd::ui::ScriptSource script("bench", thousandLabels(batch));
    const auto start = std::chrono::steady_clock::now();
    const int failures = qd::ui::runSession(script);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (failures) std::fprintf(stderr, "the session stopped early in thousand %d\n", batch + 1);
    std::printf("  thousand %2d  %8.3f ms per label\n", batch + 1, ms / 1000);
    if (batch == 0) first = ms / 1000;
    last = ms / 1000;
  }
  std::printf("  first thousand %.3f ms, last thousand %.3f ms per label\n", first, last);
  qd::modules::Manager::get().drawingClosing();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string data = QD_DATA_DIR_DEFAULT;
  const auto work = std::filesystem::temp_directory_path() / "qd_bench_labels";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::filesystem::copy_file(data + "/QDLBL.SET", work / "QDLBL.SET");
  auto& console = qd::ui::Console::get();
  console.setEcho(false);
  qd::ads::printSink() = [](const std::u16string&) {};
  qd::font::setFontFolder(data + "/fonts");
  qd::ads::session().supportPaths.push_back(data);
  acedSetEnv(u"TVDAT", qd::text::fromUtf8(work.string()).c_str());
  acedSetEnv(u"TVDWG", qd::text::fromUtf8(data + "/dwg").c_str());
  acedSetEnv(u"TORVEL_DIR", qd::text::fromUtf8(data).c_str());
  acedSetEnv(u"TVC", qd::text::fromUtf8(data).c_str());
  qd::siblings::install(data);
  qd::ui::installSelection();
  AcDbDatabase scratch(true);
  acdbHostApplicationServices()->setWorkingDatabase(&scratch);
  std::u16string message;
  if (!qd::modules::Manager::get().load(QD_QDLBL_MODULE, message)) {
    std::fprintf(stderr, "%s\n", qd::text::toUtf8(message).c_str());
    return 1;
  }
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  const int small = argc > 1 ? std::atoi(argv[1]) : 1000, large = argc > 2 ? std::atoi(argv[2]) : 10000;
  place(small, data);
  place(large, data);
  qd::modules::Manager::get().unloadAll();
  std::filesystem::remove_all(work);
  return 0;
}
