#include "headless/render/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::font {
namespace {

constexpr size_t kFontFileLimit = size_t{32} << 20;

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string extensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : lowerAscii(name.substr(dot + 1));
}

bool isOutlineName(const std::string& name) {
  const std::string ext = extensionOf(name);
  return ext == "ttf" || ext == "ttc" || ext == "otf";
}

// ---- stroke fonts: Hershey glyphs in the .jhf format ----

class StrokeFace : public Face {
 public:
  StrokeFace(std::string file, std::map<char16_t, Glyph> glyphs, double descent)
      : Face(std::move(file)), m_glyphs(std::move(glyphs)), m_descent(descent) {}
  bool filled() const override { return false; }
  const Glyph* glyph(char16_t c) const override {
    auto it = m_glyphs.find(c);
    return it == m_glyphs.end() ? nullptr : &it->second;
  }
  double descent() const override { return m_descent; }

 private:
  std::map<char16_t, Glyph> m_glyphs;
  double m_descent;
};

// A glyph as the file holds it: x from the left bearing, y downwards as Hershey drew it.
struct RawGlyph {
  int left = 0, right = 0;
  std::vector<std::vector<AcGePoint2d>> strokes;
};

// One glyph record: five digits of number, three of pair count, then the pairs
// (left and right bearing first), wrapped over lines of 72 characters.
bool parseJhfGlyph(const std::string& text, size_t& i, RawGlyph& g) {
  if (i + 8 > text.size()) return false;
  int count = 0;
  for (size_t k = i + 5; k < i + 8; ++k) {
    if (text[k] == ' ') continue;
    if (text[k] < '0' || text[k] > '9') return false;
    count = count * 10 + (text[k] - '0');
  }
  i += 8;
  std::string pairs;
  while (static_cast<int>(pairs.size()) < count * 2 && i < text.size()) {
    if (text[i] != '\n' && text[i] != '\r') pairs += text[i];
    ++i;
  }
  if (count < 1 || static_cast<int>(pairs.size()) < count * 2) return false;
  g.left = pairs[0] - 'R';
  g.right = pairs[1] - 'R';
  std::vector<AcGePoint2d> stroke;
  for (int k = 1; k < count; ++k) {
    const char a = pairs[2 * k], b = pairs[2 * k + 1];
    if (a == ' ' && b == 'R') {  // pen up
      if (stroke.size() > 1) g.strokes.push_back(stroke);
      stroke.clear();
      continue;
    }
    stroke.emplace_back(a - 'R' - g.left, b - 'R');
  }
  if (stroke.size() > 1) g.strokes.push_back(stroke);
  return true;
}

// The glyphs of a .jhf file follow the ASCII order from the space. Coordinates are scaled
// so that the capital H is one unit high and stands on the baseline.
std::unique_ptr<Face> parseJhf(const std::string& file, const std::string& text) {
  std::vector<RawGlyph> raw;
  size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == '\n' || text[i] == '\r')) ++i;
    if (i >= text.size()) break;
    RawGlyph g;
    if (!parseJhfGlyph(text, i, g)) return nullptr;
    raw.push_back(std::move(g));
  }
  const size_t h = 'H' - 32;
  if (raw.size() <= h || raw[h].strokes.empty()) return nullptr;
  double top = 1e9, base = -1e9;
  for (const auto& s : raw[h].strokes)
    for (const auto& p : s) {
      top = std::min(top, p.y);
      base = std::max(base, p.y);
    }
  const double cap = base - top;
  if (!(cap > 0)) return nullptr;
  std::map<char16_t, Glyph> glyphs;
  double lowest = 0;
  for (size_t k = 0; k < raw.size() && k < 0xFFFF - 32; ++k) {
    Glyph g;
    g.advance = (raw[k].right - raw[k].left) / cap;
    for (const auto& s : raw[k].strokes) {
      Stroke st;
      for (const auto& p : s) {
        st.emplace_back(p.x / cap, (base - p.y) / cap);
        lowest = std::min(lowest, st.back().y);
      }
      g.strokes.push_back(std::move(st));
    }
    glyphs[static_cast<char16_t>(32 + k)] = std::move(g);
  }
  return std::make_unique<StrokeFace>(file, std::move(glyphs), -lowest);
}

// ---- outline fonts through FreeType ----

struct OutlineSink {
  std::vector<Stroke>* contours;
  double scale;
  AcGePoint2d last;
  AcGePoint2d at(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

int moveTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->last = s->at(to);
  s->contours->push_back({s->last});
  return 0;
}
int lineTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->last = s->at(to);
  s->contours->back().push_back(s->last);
  return 0;
}
// Curves are flattened into enough chords that a text of a drawing's size looks round.
constexpr int kCurveSteps = 6;
int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  const AcGePoint2d p0 = s->last, p1 = s->at(control), p2 = s->at(to);
  for (int k = 1; k <= kCurveSteps; ++k) {
    const double t = double(k) / kCurveSteps, u = 1 - t;
    s->contours->back().emplace_back(u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                                     u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y);
  }
  s->last = p2;
  return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  const AcGePoint2d p0 = s->last, p1 = s->at(c1), p2 = s->at(c2), p3 = s->at(to);
  for (int k = 1; k <= kCurveSteps; ++k) {
    const double t = double(k) / kCurveSteps, u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    s->contours->back().emplace_back(a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                                     a * p0.y + b * p1.y + c * p2.y + d * p3.y);
  }
  s->last = p3;
  return 0;
}

class OutlineFace : public Face {
 public:
  OutlineFace(std::string file, std::string bytes, FT_Library lib) : Face(std::move(file)), m_bytes(std::move(bytes)) {
    if (FT_New_Memory_Face(lib, reinterpret_cast<const FT_Byte*>(m_bytes.data()),
                           static_cast<FT_Long>(m_bytes.size()), 0, &m_face) != 0)
      m_face = nullptr;
    if (!m_face) return;
    double cap = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2)); os2 && os2->version >= 2)
      cap = os2->sCapHeight;
    if (!(cap > 0) && FT_Load_Char(m_face, 'H', FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0)
      cap = static_cast<double>(m_face->glyph->metrics.horiBearingY);
    if (!(cap > 0)) cap = m_face->units_per_EM * 0.7;
    m_scale = 1.0 / cap;
    m_descent = -m_face->descender * m_scale;
  }
  ~OutlineFace() override {
    if (m_face) FT_Done_Face(m_face);
  }
  OutlineFace(const OutlineFace&) = delete;
  OutlineFace& operator=(const OutlineFace&) = delete;

  bool usable() const { return m_face != nullptr; }
  bool filled() const override { return true; }
  double descent() const override { return m_descent; }
  const Glyph* glyph(char16_t c) const override {
    auto it = m_cache.find(c);
    if (it == m_cache.end()) it = m_cache.emplace(c, load(c)).first;
    return it->second ? &*it->second : nullptr;
  }

 private:
  std::optional<Glyph> load(char16_t c) const {
    const FT_UInt index = FT_Get_Char_Index(m_face, c);
    if (index == 0 && c != u' ') return std::nullopt;
    if (FT_Load_Glyph(m_face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
      return std::nullopt;
    Glyph g;
    g.advance = m_face->glyph->metrics.horiAdvance * m_scale;
    if (m_face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_Funcs funcs{moveTo, lineTo, conicTo, cubicTo, 0, 0};
      OutlineSink sink{&g.strokes, m_scale, {}};
      FT_Outline_Decompose(&m_face->glyph->outline, &funcs, &sink);
      for (auto& contour : g.strokes)
        if (contour.size() > 1 && (contour.front().x != contour.back().x || contour.front().y != contour.back().y))
          contour.push_back(contour.front());
    }
    return g;
  }

  std::string m_bytes;  // FreeType reads the face from this memory while it lives
  FT_Face m_face = nullptr;
  double m_scale = 1, m_descent = 0.2;
  mutable std::unordered_map<char16_t, std::optional<Glyph>> m_cache;
};

// Without any font file a box per character keeps measuring and drawing in step.
class BoxFace : public Face {
 public:
  BoxFace() : Face("(built-in boxes)") {
    m_box.advance = 16.0 / 21;
    m_box.strokes = {{{0.1, 0}, {0.66, 0}, {0.66, 1}, {0.1, 1}, {0.1, 0}}};
    m_space.advance = m_box.advance;
  }
  bool filled() const override { return false; }
  const Glyph* glyph(char16_t c) const override { return c == u' ' ? &m_space : &m_box; }
  double descent() const override { return 0; }

 private:
  Glyph m_box, m_space;
};

// ---- the font folder, its map and the faces read so far ----

struct Registry {
  std::string folder =
#ifdef QD_DATA_DIR
      QD_DATA_DIR "/fonts";
#else
      "data/fonts";
#endif
  FT_Library library = nullptr;
  bool mapRead = false;
  std::map<std::string, std::string> map;  // lower-case style font name -> shipped file
  std::map<std::string, std::unique_ptr<Face>> files;  // shipped file -> face (null: unreadable)
  std::map<std::string, const Face*> byName;           // lower-case style font name -> face
  std::set<std::string> noted;
  std::function<void(const std::u16string&)> sink;
  BoxFace boxes;

  Registry() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~Registry() {
    files.clear();
    if (library) FT_Done_FreeType(library);
  }
  void reset() {
    mapRead = false;
    map.clear();
    byName.clear();
    files.clear();
    noted.clear();
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

void readMap(Registry& r) {
  r.mapRead = true;
  std::string text, error;
  if (!qd::files::readFile(r.folder + "/qdhost.fmp", text, error, size_t{1} << 20)) return;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t semi = line.find(';');
    if (line.empty() || line[0] == ';' || semi == std::string::npos || semi == 0 || semi + 1 >= line.size()) continue;
    r.map[lowerAscii(line.substr(0, semi))] = line.substr(semi + 1);
  }
}

// The face of one shipped file, read once; null when it cannot be read.
const Face* shippedFace(Registry& r, const std::string& file) {
  auto it = r.files.find(file);
  if (it != r.files.end()) return it->second.get();
  std::unique_ptr<Face> face;
  std::string bytes, error;
  if (file.find('/') == std::string::npos && qd::files::readFile(r.folder + "/" + file, bytes, error, kFontFileLimit)) {
    if (isOutlineName(file)) {
      if (r.library) {
        auto outline = std::make_unique<OutlineFace>(file, std::move(bytes), r.library);
        if (outline->usable()) face = std::move(outline);
      }
    } else {
      face = parseJhf(file, bytes);
    }
  }
  return r.files.emplace(file, std::move(face)).first->second.get();
}

void notice(Registry& r, const std::string& key, const std::string& text) {
  if (!r.noted.insert(key).second || !r.sink) return;
  r.sink(qd::text::fromUtf8(text));
}

const Face& resolve(Registry& r, const std::string& key, const std::string& shown) {
  if (!r.mapRead) readMap(r);
  const bool outline = isOutlineName(key);
  std::string file;
  if (auto m = r.map.find(key); m != r.map.end()) file = m->second;
  else if (shippedFace(r, shown)) file = shown;  // a shipped font named as it is
  if (!file.empty())
    if (const Face* f = shippedFace(r, file)) return *f;
  const std::string fallback = outline ? "LiberationSans-Regular.ttf" : "rowmans.jhf";
  const Face* f = shippedFace(r, fallback);
  if (!f) f = shippedFace(r, outline ? "rowmans.jhf" : "futural.jhf");
  if (!f) f = &r.boxes;
  notice(r, key,
         "Font \"" + shown + "\" " + (file.empty() ? "is not shipped" : "cannot be read (" + file + ")") +
             "; its texts are measured and drawn with " + f->fileName() + ".");
  return *f;
}

// Lays out a text in units of the capital height: the strokes (when asked) and the advance.
double layout(const Face& face, std::u16string_view written, std::vector<Stroke>* out, bool raw = false);

// In the laid-out text, %%u and %%o become these switches: they draw no glyph but start
// or end a line under or over the characters between them.
constexpr char16_t kUnderline = u'\uE000', kOverline = u'\uE001';
std::u16string shownWithSwitches(std::u16string_view text);

// Latin letters with diacritics that a stroke font lacks: the base letter and a mark.
enum class Mark { None, Acute, Caron, Ring, Diaeresis, DoubleAcute, Stroke };
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

// The marks, in units of the capital height, over a glyph of the given advance.
std::vector<Stroke> markStrokes(Mark m, double width, bool upper) {
  const double cx = width / 2, y = upper ? 24.0 / 21 : 17.0 / 21, u = 1.0 / 21;
  switch (m) {
    case Mark::Acute: return {{{cx - u, y}, {cx + 2 * u, y + 3 * u}}};
    case Mark::Caron: return {{{cx - 3 * u, y + 3 * u}, {cx, y}, {cx + 3 * u, y + 3 * u}}};
    case Mark::Ring:
      return {{{cx - u, y}, {cx + u, y}, {cx + u, y + 2 * u}, {cx - u, y + 2 * u}, {cx - u, y}}};
    case Mark::Diaeresis: return {{{cx - 3 * u, y}, {cx - 3 * u, y + u}}, {{cx + 3 * u, y}, {cx + 3 * u, y + u}}};
    case Mark::DoubleAcute: return {{{cx - 3 * u, y}, {cx - u, y + 3 * u}}, {{cx + u, y}, {cx + 3 * u, y + 3 * u}}};
    case Mark::Stroke: return {{{cx - 4 * u, 6 * u}, {cx + 4 * u, 12 * u}}};
    default: return {};
  }
}

void place(const Glyph& g, double x, std::vector<Stroke>* out) {
  for (const auto& s : g.strokes) {
    Stroke st;
    st.reserve(s.size());
    for (const auto& p : s) st.emplace_back(p.x + x, p.y);
    out->push_back(std::move(st));
  }
}

// The line of a switch from x0 to x1: a stroke, or for an outline font a thin band.
void switchLine(const Face& face, double y, double x0, double x1, std::vector<Stroke>* out) {
  if (!out || !(x1 > x0)) return;
  if (!face.filled()) return out->push_back({{x0, y}, {x1, y}});
  const double t = 0.035;
  out->push_back({{x0, y - t}, {x1, y - t}, {x1, y + t}, {x0, y + t}, {x0, y - t}});
}

double layout(const Face& face, std::u16string_view written, std::vector<Stroke>* out, bool raw) {
  const std::u16string text = raw ? std::u16string(written) : shownWithSwitches(written);
  double x = 0;
  std::optional<double> under, over;  // where the open lines began
  for (char16_t c : text) {
    if (c == kUnderline || c == kOverline) {
      std::optional<double>& open = c == kUnderline ? under : over;
      if (open) switchLine(face, c == kUnderline ? -0.2 : 1.2, *open, x, out), open.reset();
      else open = x;
      continue;
    }
    const Glyph* g = face.glyph(c);
    Mark mark = Mark::None;
    if (!g) {
      // A stroke font lacks the accented letters: the base letter carries the mark.
      const Decomposed d = decompose(c);
      g = face.glyph(d.base);
      if (g && !face.filled()) mark = d.mark;
      if (!g) g = face.glyph(u'?');
      if (g && out && mark != Mark::None) {
        const bool upper = d.base >= u'A' && d.base <= u'Z';
        place(Glyph{0, markStrokes(mark, g->advance, upper)}, x, out);
      }
    }
    if (!g) continue;
    if (out) place(*g, x, out);
    x += g->advance;
  }
  if (under) switchLine(face, -0.2, *under, x, out);
  if (over) switchLine(face, 1.2, *over, x, out);
  return x;
}

}  // namespace

std::u16string shownText(std::u16string_view text) {
  std::u16string out = shownWithSwitches(text);
  std::erase_if(out, [](char16_t c) { return c == kUnderline || c == kOverline; });
  return out;
}

namespace {
std::u16string shownWithSwitches(std::u16string_view text) {
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
      case u'u': case u'U': out += kUnderline; i += 2; continue;
      case u'o': case u'O': out += kOverline; i += 2; continue;
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

}  // namespace

void setFontFolder(const std::string& folder) {
  Registry& r = registry();
  r.folder = folder;
  r.reset();
}

void setNoticeSink(std::function<void(const std::u16string&)> sink) { registry().sink = std::move(sink); }

const Face& faceFor(std::u16string_view fontFile) {
  Registry& r = registry();
  std::string shown = qd::text::toUtf8(fontFile);
  if (const size_t slash = shown.find_last_of("/\\"); slash != std::string::npos) shown.erase(0, slash + 1);
  if (shown.empty()) shown = "txt";
  // A style's font without an extension is a shape font, as the host reads it.
  if (extensionOf(shown).empty()) shown += ".shx";
  const std::string key = lowerAscii(shown);
  if (auto it = r.byName.find(key); it != r.byName.end()) return *it->second;
  const Face& face = resolve(r, key, shown);
  r.byName[key] = &face;
  return face;
}

const Face& defaultFace() { return faceFor(u""); }

std::vector<Stroke> strokes(std::u16string_view text, double height, double widthFactor, double oblique,
                            const Face& face, bool raw) {
  std::vector<Stroke> out;
  layout(face, text, &out, raw);
  const double shear = std::tan(oblique);
  for (auto& st : out)
    for (auto& p : st) p = AcGePoint2d((p.x * widthFactor + p.y * shear) * height, p.y * height);
  return out;
}

Box measure(std::u16string_view text, double height, double widthFactor, double oblique, const Face& face,
            bool raw) {
  Box b;
  bool any = false;
  for (const auto& st : strokes(text, height, widthFactor, oblique, face, raw))
    for (const auto& p : st) {
      if (!any) {
        b = {p.x, p.y, p.x, p.y};
        any = true;
      }
      b.x1 = std::min(b.x1, p.x);
      b.x2 = std::max(b.x2, p.x);
      b.y1 = std::min(b.y1, p.y);
      b.y2 = std::max(b.y2, p.y);
    }
  if (any) b.y1 = std::min(b.y1, 0.0);
  return b;
}

double advance(std::u16string_view text, double height, double widthFactor, const Face& face) {
  return layout(face, text, nullptr) * widthFactor * height;
}

}  // namespace qd::font
