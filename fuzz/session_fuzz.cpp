// Arbitrary bytes as a session script run at the command line of a new drawing: prompts,
// picks, dialogs and checks must answer every event or stop the script with a message,
// never crash or hang. Runs in a scratch folder, since commands save and open files.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "headless/ads/session.h"
#include "headless/ui/console.h"
#include "headless/ui/runner.h"
#include "host/dbdatabase.h"
#include "siblings/siblings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qd_session_fuzz";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    qd::ads::printSink() = [](const std::u16string& s) { qd::ui::Console::get().write(s); };
    qd::siblings::install(QD_DATA_DIR);
    qd::ads::session().supportPaths.push_back(QD_DATA_DIR);
    return true;
  }();
  (void)ready;
  qd::ui::Console::get().clearTranscript();
  AcDbDatabase db(true);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  qd::ui::ScriptSource script("fuzz.scr", std::string(reinterpret_cast<const char*>(data), size));
  qd::ui::runSession(script);
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return 0;
}
