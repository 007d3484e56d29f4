// Feeds arbitrary bytes to the DXF reader: it must refuse bad input with a message,
// never crash, and leave a drawing that can still be written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/dxf/dxf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AcDbDatabase db(false);
  std::u16string error;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (qd::dxf::read(&db, text, error) == Acad::eOk) (void)qd::dxf::write(&db);
  return 0;
}
