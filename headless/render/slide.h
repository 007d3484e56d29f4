// Slides: vector pictures in the AutoCAD slide format, alone (.sld) or in a slide
// library (.slb), as image tiles show them.
#pragma once
#include <string>
#include <vector>

namespace qd::render {

struct Slide {
  int width = 0, height = 0;  // the drawing area in dots, (0,0) at the lower left
  struct Vector {
    int color, x1, y1, x2, y2;
  };
  std::vector<Vector> vectors;
};

// Reads a slide; false with a message for anything that is not a whole slide.
bool readSlide(const std::string& bytes, Slide& out, std::string& error);
// Reads the slide `name` (any case) of a slide library.
bool readLibrarySlide(const std::string& bytes, const std::string& name, Slide& out, std::string& error);

}  // namespace qd::render
