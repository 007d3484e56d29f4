// Arbitrary bytes as a workspace definition file: what loads writes back as records,
// reads again into the same tree and makes a menu; nothing crashes, loops or leaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "workspace/MenuWriter.h"
#include "workspace/WorkspaceTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace ws = qd::workspace;
  ws::settings() = ws::initialSettings();
  const ws::Loaded loaded = ws::loadBytes(std::string(reinterpret_cast<const char*>(data), size));
  if (!loaded.tree) std::abort();
  const std::string written = ws::saveBytes(loaded.tree);
  const ws::Loaded again = ws::loadBytes(written);
  // A tree written is read back whole: the same records, none skipped.
  if (again.skipped != 0 || ws::saveBytes(again.tree) != written) std::abort();
  (void)ws::menuText("fuzz.mnu", again.tree, ws::settings());
  ws::freeTree(loaded.tree);
  ws::freeTree(again.tree);
  return 0;
}
