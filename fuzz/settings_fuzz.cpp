// Arbitrary bytes as the user settings file and as the legacy default file: reading
// keeps what it cannot read and never crashes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "label/settings/var_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qd::label::var_set user(qd::label::var_set::Construction::Light);
  user.readUserFile(bytes);
  (void)user.userFileImage();
  qd::label::var_set legacy(qd::label::var_set::Construction::Light);
  legacy.readDefaultFile(bytes);
  (void)legacy.defaultFileImage();
  return 0;
}
