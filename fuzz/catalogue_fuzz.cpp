// Arbitrary bytes as the message catalogue and the product table.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "siblings/siblings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> problems;
  qd::siblings::Catalogue catalogue;
  catalogue.parse(text, problems);
  qd::siblings::Product product;
  product.parse(text, problems);
  return 0;
}
