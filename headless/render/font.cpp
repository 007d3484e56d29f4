#include "headless/render/font.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::font {
namespace {

struct Glyph {
  double left = 0, right = 0;  // side bearings in font units
  std::vector<std::vector<AcGePoint2d>> strokes;  // font units, y up, baseline 0
};

// Hershey simplex: the capital height is 21 units, the baseline is at raw y 9.
constexpr double kCapUnits = 21.0;
constexpr double kBaselineRaw = 9.0;

struct Font {
  bool loaded = false;
  std::map<char16_t, Glyph> glyphs;
  double minY = -7, maxY = 21;
};

std::string g_folder =
#ifdef QD_DATA_DIR
    QD_DATA_DIR "/fonts";
#else
    "data/fonts";
#endif

Font& storage() {
  static Font f;
  return f;
}

Font& font() {
  Font& f = storage();
  if (!f.loaded) {
    f.loaded = true;
    loadFont(g_folder + "/futural.jhf");
  }
  return f;
}

bool parseJhf(const std::string& text, Font& out) {
  std::map<char16_t, Glyph> glyphs;
  size_t i = 0;
  char16_t code = 32;
  auto skipNewlines = [&] {
    while (i < text.size() && (text[i] == '\n' || text[i] == '\r')) ++i;
  };
  while (true) {
    skipNewlines();
    if (i + 8 > text.size()) break;
    int count = 0;
    try {
      count = std::stoi(text.substr(i + 5, 3));
    } catch (...) {
      return false;
    }
    i += 8;
    std::string pairs;
    while (static_cast<int>(pairs.size()) < count * 2 && i < text.size()) {
      if (text[i] != '\n' && text[i] != '\r') pairs += text[i];
      ++i;
    }
    if (static_cast<int>(pairs.size()) < count * 2 || count < 1) return false;
    Glyph g;
    g.left = pairs[0] - 'R';
    g.right = pairs[1] - 'R';
    std::vector<AcGePoint2d> stroke;
    for (int k = 1; k < count; ++k) {
      const char a = pairs[2 * k], b = pairs[2 * k + 1];
      if (a == ' ' && b == 'R') {
        if (stroke.size() > 1) g.strokes.push_back(stroke);
        stroke.clear();
        continue;
      }
      stroke.emplace_back(a - 'R' - g.left, kBaselineRaw - (b - 'R'));
    }
    if (stroke.size() > 1) g.strokes.push_back(stroke);
    glyphs[code++] = std::move(g);
  }
  if (glyphs.size() < 95) return false;
  out.glyphs = std::move(glyphs);
  double lo = 0, hi = kCapUnits;
  for (auto& [c, g] : out.glyphs)
    for (auto& s : g.strokes)
      for (auto& p : s) {
        lo = std::min(lo, p.y);
        hi = std::max(hi, p.y);
      }
  out.minY = lo;
  out.maxY = hi;
  return true;
}

// Latin letters with diacritics: the base letter and the mark drawn above it.
enum class Mark { None, Acute, Caron, Ring, Diaeresis, DoubleAcute, Cedilla, Stroke };
struct Decomposed {
  char16_t base;
  Mark mark;
};
Decomposed decompose(char16_t c) {
  static const std::map<char16_t, Decomposed> table = {
      {u'á', {u'a', Mark::Acute}}, {u'Á', {u'A', Mark::Acute}}, {u'č', {u'c', Mark::Caron}},
      {u'Č', {u'C', Mark::Caron}}, {u'ď', {u'd', Mark::Caron}}, {u'Ď', {u'D', Mark::Caron}},
      {u'é', {u'e', Mark::Acute}}, {u'É', {u'E', Mark::Acute}}, {u'ě', {u'e', Mark::Caron}},
      {u'Ě', {u'E', Mark::Caron}}, {u'í', {u'i', Mark::Acute}}, {u'Í', {u'I', Mark::Acute}},
      {u'ň', {u'n', Mark::Caron}}, {u'Ň', {u'N', Mark::Caron}}, {u'ó', {u'o', Mark::Acute}},
      {u'Ó', {u'O', Mark::Acute}}, {u'ř', {u'r', Mark::Caron}}, {u'Ř', {u'R', Mark::Caron}},
      {u'š', {u's', Mark::Caron}}, {u'Š', {u'S', Mark::Caron}}, {u'ť', {u't', Mark::Caron}},
      {u'Ť', {u'T', Mark::Caron}}, {u'ú', {u'u', Mark::Acute}}, {u'Ú', {u'U', Mark::Acute}},
      {u'ů', {u'u', Mark::Ring}},  {u'Ů', {u'U', Mark::Ring}},  {u'ý', {u'y', Mark::Acute}},
      {u'Ý', {u'Y', Mark::Acute}}, {u'ž', {u'z', Mark::Caron}}, {u'Ž', {u'Z', Mark::Caron}},
      {u'ä', {u'a', Mark::Diaeresis}}, {u'Ä', {u'A', Mark::Diaeresis}}, {u'ö', {u'o', Mark::Diaeresis}},
      {u'Ö', {u'O', Mark::Diaeresis}}, {u'ü', {u'u', Mark::Diaeresis}}, {u'Ü', {u'U', Mark::Diaeresis}},
      {u'ő', {u'o', Mark::DoubleAcute}}, {u'ű', {u'u', Mark::DoubleAcute}}, {u'ł', {u'l', Mark::Stroke}},
      {u'Ł', {u'L', Mark::Stroke}}, {u'ß', {u's', Mark::None}}, {u'°', {u'o', Mark::None}},
      {u'±', {u'+', Mark::None}}, {u'ø', {u'o', Mark::Stroke}}, {u'Ø', {u'O', Mark::Stroke}},
      {u'\u2300', {u'O', Mark::Stroke}}, {u'²', {u'2', Mark::None}}, {u'³', {u'3', Mark::None}},
  };
  auto it = table.find(c);
  if (it != table.end()) return it->second;
  return {c, Mark::None};
}

// The marks, in font units relative to the glyph's left edge and width.
std::vector<std::vector<AcGePoint2d>> markStrokes(Mark m, double width, bool upper) {
  const double cx = width / 2, y = upper ? 24 : 17;
  switch (m) {
    case Mark::Acute: return {{{cx - 1, y}, {cx + 2, y + 3}}};
    case Mark::Caron: return {{{cx - 3, y + 3}, {cx, y}, {cx + 3, y + 3}}};
    case Mark::Ring: return {{{cx - 1, y}, {cx + 1, y}, {cx + 1, y + 2}, {cx - 1, y + 2}, {cx - 1, y}}};
    case Mark::Diaeresis: return {{{cx - 3, y}, {cx - 3, y + 1}}, {{cx + 3, y}, {cx + 3, y + 1}}};
    case Mark::DoubleAcute: return {{{cx - 3, y}, {cx - 1, y + 3}}, {{cx + 1, y}, {cx + 3, y + 3}}};
    case Mark::Stroke: return {{{cx - 4, 6}, {cx + 4, 12}}};
    default: return {};
  }
}

const Glyph* glyphFor(char16_t c) {
  Font& f = font();
  if (f.glyphs.empty()) return nullptr;
  auto it = f.glyphs.find(c);
  if (it != f.glyphs.end()) return &it->second;
  it = f.glyphs.find(u'?');
  return it == f.glyphs.end() ? nullptr : &it->second;
}

// Lays out a text in font units: strokes and the advance.
double layout(std::u16string_view raw, std::vector<Stroke>* out) {
  const std::u16string text = shownText(raw);
  double x = 0;
  for (char16_t c : text) {
    const Decomposed d = decompose(c);
    const Glyph* g = glyphFor(d.base);
    const double width = g ? g->right - g->left : 16;
    if (out) {
      if (g) {
        for (const auto& s : g->strokes) {
          Stroke st;
          for (const auto& p : s) st.emplace_back(p.x + x, p.y);
          out->push_back(std::move(st));
        }
      } else {
        // No font: a box per character keeps measurement and drawing in step.
        out->push_back({{x + 2, 0}, {x + width - 2, 0}, {x + width - 2, kCapUnits}, {x + 2, kCapUnits}, {x + 2, 0}});
      }
      const bool upper = d.base >= u'A' && d.base <= u'Z';
      for (auto& s : markStrokes(d.mark, width, upper)) {
        Stroke st;
        for (const auto& p : s) st.emplace_back(p.x + x, p.y);
        out->push_back(std::move(st));
      }
    }
    x += width;
  }
  return x;
}

}  // namespace

std::u16string shownText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%' || i + 2 >= text.size() || text[i + 1] != u'%') {
      out += text[i];
      continue;
    }
    const char16_t code = text[i + 2];
    switch (code) {
      case u'c': case u'C': out += u'\u2300'; i += 2; continue;  // diameter
      case u'd': case u'D': out += u'°'; i += 2; continue;
      case u'p': case u'P': out += u'±'; i += 2; continue;
      case u'%': out += u'%'; i += 2; continue;
      case u'u': case u'U': case u'o': case u'O': i += 2; continue;  // underline, overline: no glyph
    }
    // %%nnn: the character of that code in the ANSI code page.
    if (i + 4 < text.size()) {
      size_t end = i + 2;
      int value = 0;
      while (end < i + 5 && text[end] >= u'0' && text[end] <= u'9') value = value * 10 + (text[end++] - u'0');
      if (end == i + 5 && value > 0 && value < 256) {
        out += qd::text::fromAnsi(std::string(1, static_cast<char>(value)));
        i = end - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool loadFont(const std::string& path) {
  std::string bytes, error;
  if (!qd::files::readFile(path, bytes, error, size_t{16} << 20)) return false;
  Font& f = storage();
  f.loaded = true;
  return parseJhf(bytes, f);
}

void setFontFolder(const std::string& folder) {
  g_folder = folder;
  loadFont(folder + "/futural.jhf");
}

std::vector<Stroke> strokes(std::u16string_view text, double height, double widthFactor, double oblique) {
  std::vector<Stroke> out;
  layout(text, &out);
  const double s = height / kCapUnits;
  const double shear = std::tan(oblique);
  for (auto& st : out)
    for (auto& p : st) p = AcGePoint2d((p.x * widthFactor + p.y * shear) * s, p.y * s);
  return out;
}

Box measure(std::u16string_view text, double height, double widthFactor, double oblique) {
  Box b;
  const double adv = advance(text, height, widthFactor);
  b.x2 = adv;
  b.y2 = text.empty() ? 0 : height;
  for (const auto& st : strokes(text, height, widthFactor, oblique))
    for (const auto& p : st) {
      b.x1 = std::min(b.x1, p.x);
      b.x2 = std::max(b.x2, p.x);
      b.y1 = std::min(b.y1, p.y);
      b.y2 = std::max(b.y2, p.y);
    }
  return b;
}

double advance(std::u16string_view text, double height, double widthFactor) {
  return layout(text, nullptr) * widthFactor * height / kCapUnits;
}

double descentRatio() { return -font().minY / kCapUnits; }
double ascentRatio() { return font().maxY / kCapUnits; }

}  // namespace qd::font
