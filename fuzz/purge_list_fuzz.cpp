// Arbitrary bytes as both purge list files: reading keeps what it can, never crashes,
// and what it read can be written and read again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "purge/PurgeList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool byteChars : {true, false}) {
    qd::purge::PurgeList list("", "");
    list.parse(bytes, byteChars);
    const std::string written = list.text();
    qd::purge::PurgeList again("", "");
    again.parse(written, true);
    (void)again.isProtected(1, u"*U1");
  }
  return 0;
}
