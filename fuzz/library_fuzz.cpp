// Arbitrary bytes as a label library: the index walk and the rows of every entry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "label/library/LabelLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const auto& e : qd::label::indexOf(bytes)) (void)qd::label::rowsAt(bytes, e.position);
  return 0;
}
