// Arbitrary bytes as a DCL file: parsing and resolving every definition must refuse
// bad input with a message and never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/ui/dcl.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qd::ui::dcl::File file;
  std::u16string error;
  if (!file.parse(qd::text::fromCodePage(bytes, 1250), "fuzz.dcl", "/nonexistent", error)) return 0;
  for (const auto& name : file.names()) {
    qd::ui::dcl::Tile tile;
    file.resolve(name, tile, error);
  }
  return 0;
}
