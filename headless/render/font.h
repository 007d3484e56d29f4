// The fonts texts are measured and drawn with. A text style names a font file: shape
// fonts (.shx) map to shipped Hershey stroke fonts, TrueType fonts to shipped TrueType
// fonts read with FreeType. One set of glyphs serves measuring and drawing, so a measured
// box encloses exactly what is drawn.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/acge.h"

namespace qd::font {

struct Box {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lower left and upper right
};

using Stroke = std::vector<AcGePoint2d>;

// A glyph in units of the font's capital height, baseline at y = 0, origin at x = 0.
struct Glyph {
  double advance = 0;
  std::vector<Stroke> strokes;  // pen strokes, or the closed contours of a filled outline
};

class Face {
 public:
  virtual ~Face() = default;
  // The shipped font file it reads ("rowmans.jhf", "LiberationSans-Regular.ttf").
  const std::string& fileName() const { return m_file; }
  // Outline fonts are filled (contours); stroke fonts are drawn with the pen.
  virtual bool filled() const = 0;
  // Null when the font has no glyph for the character.
  virtual const Glyph* glyph(char16_t c) const = 0;
  // Depth of the font's descenders below the baseline, per unit of capital height.
  virtual double descent() const = 0;

 protected:
  explicit Face(std::string file) : m_file(std::move(file)) {}

 private:
  std::string m_file;
};

// The folder holding the shipped fonts and the font map; set by the host at start.
void setFontFolder(const std::string& folder);
// Where the one-time notes go ("a font is not shipped, another stands in"); by default
// nowhere. The host prints them on its command line.
void setNoticeSink(std::function<void(const std::u16string&)> sink);

// The face for the font file a text style names (group 3), with or without folder and
// extension; "" is the host's default font, txt.shx. Never fails: an unknown name is
// drawn with the fallback of its kind, named once through the notice sink.
const Face& faceFor(std::u16string_view fontFile);
const Face& defaultFace();

// The characters a text shows: control codes (%%c diameter, %%d degree, %%p plus-minus,
// %%nnn a character of the ANSI code page, %%% a percent sign; %%u and %%o switch lines
// and show nothing) turned into what they stand for.
std::u16string shownText(std::u16string_view text);

// The box of what a text draws, its baseline starting at the origin, unrotated, with the
// capital height `height`, the width factor and the oblique angle (radians). The lower
// edge is never above the baseline; a text that draws nothing has an empty box at 0.
Box measure(std::u16string_view text, double height, double widthFactor, double oblique,
            const Face& face = defaultFace(), bool raw = false);
// The strokes (for a filled face, the contours) of the text in the coordinates of `measure`.
// `raw` takes control codes as they are written, not for what they stand for.
std::vector<Stroke> strokes(std::u16string_view text, double height, double widthFactor, double oblique,
                            const Face& face = defaultFace(), bool raw = false);
// Advance of the text along the baseline (without oblique).
double advance(std::u16string_view text, double height, double widthFactor, const Face& face = defaultFace());

}  // namespace qd::font
