// Arbitrary bytes as a slide library and as a slide.
#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/render/slide.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qd::render::Slide slide;
  std::string error;
  qd::render::readLibrarySlide(bytes, "TEXT", slide, error);
  qd::render::readLibrarySlide(bytes, "BUBLBEZ", slide, error);
  qd::render::readSlide(bytes, slide, error);
  return 0;
}
