// Raster pictures: an SVG picture rendered to PNG through librsvg and cairo, so that a
// drawing can be looked at where no SVG viewer is at hand.
#pragma once
#include <string>

namespace qd::render {

// Renders the SVG at `width` pixels (its height keeps the picture's proportions) into PNG
// bytes; false with the reason in `error` when the SVG cannot be read or rendered.
bool svgToPng(const std::string& svg, int width, std::string& png, std::string& error);

}  // namespace qd::render
