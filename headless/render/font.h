// The vector font texts are measured and drawn with: one set of glyph strokes
// and advance widths serves both, so a measured box encloses the drawn text.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "host/acge.h"

namespace qd::font {

struct Box {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lower left and upper right
};

using Stroke = std::vector<AcGePoint2d>;

// Loads the font from a Hershey .jhf file; returns false (keeping the built-in
// fallback metrics) when the file cannot be read.
bool loadFont(const std::string& path);
// The folder holding the shipped fonts; set by the host at start.
void setFontFolder(const std::string& folder);

// The characters a text shows: control codes (%%c diameter, %%d degree, %%p plus-minus,
// %%nnn a character of the ANSI code page, %%% a percent sign; %%u and %%o switch lines
// and show nothing) turned into what they stand for.
std::u16string shownText(std::u16string_view text);

// The box of a text whose baseline starts at the origin, unrotated, with the
// capital height `height`, the width factor and the oblique angle (radians).
Box measure(std::u16string_view text, double height, double widthFactor, double oblique);
// The strokes of the text in the same coordinates as `measure`.
std::vector<Stroke> strokes(std::u16string_view text, double height, double widthFactor, double oblique);
// Advance of the text along the baseline (without oblique).
double advance(std::u16string_view text, double height, double widthFactor);
// Depth below the baseline and height above it of the font's lowest and highest
// glyphs, per unit of capital height.
double descentRatio();
double ascentRatio();

}  // namespace qd::font
