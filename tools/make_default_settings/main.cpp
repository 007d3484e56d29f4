// Writes the default settings file "QDLBL.SET" in the legacy format, holding the
// built-in defaults. Usage: make_default_settings OUT
#include <cstdio>
#include <fstream>

#include "label/settings/var_set.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_default_settings OUT\n", stderr);
    return 2;
  }
  qd::label::var_set settings(qd::label::var_set::Construction::Light);
  settings.set_defaults();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  const std::string image = settings.defaultFileImage();
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
  return out ? 0 : 1;
}
