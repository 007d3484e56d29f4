#include "label/dialogs/LabelPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Library/Inc/holders.h"
#include "host/adslib.h"
#include "label/command/label_state.h"
#include "label/kinds/builders.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::ResbufList;

enum class Align { Left, Centre, Right };

Align alignOf(const std::u16string& pos) {
  const char16_t first = pos.empty() ? u' ' : pos[0], second = pos.size() > 1 ? pos[1] : u' ';
  if (first == u'L' || second == u'L') return Align::Left;
  if (first == u'R' || second == u'R') return Align::Right;
  return Align::Centre;
}

bool is(const char16_t* field, const char16_t* value) { return std::u16string(field) == value; }

// The picture's units turned into the tile's pixels: scaled to fit and centred.
struct view {
  double scale = 1, dx = 0, dy = 0;
  short x(double v) const { return static_cast<short>(std::lround(v * scale + dx)); }
  short y(double v) const { return static_cast<short>(std::lround(v * scale + dy)); }
};

short visible(int colour) { return static_cast<short>(colour == 0 || colour == 256 ? 7 : colour); }

void line(const view& v, double x1, double y1, double x2, double y2, int colour) {
  ads_vector_image(v.x(x1), v.y(y1), v.x(x2), v.y(y2), visible(colour));
}

void frame(const view& v, const row_box& b, int colour) {
  line(v, b.left, b.top, b.right, b.top, colour);
  line(v, b.right, b.top, b.right, b.bottom, colour);
  line(v, b.right, b.bottom, b.left, b.bottom, colour);
  line(v, b.left, b.bottom, b.left, b.top, colour);
}

void crossedBox(const view& v, const row_box& b, int colour) {
  frame(v, b, colour);
  line(v, b.left, b.top, b.right, b.bottom, colour);
  line(v, b.left, b.bottom, b.right, b.top, colour);
}

void pointCross(short x, short y) {
  ads_vector_image(static_cast<short>(x - 10), static_cast<short>(y - 10), static_cast<short>(x + 10),
                   static_cast<short>(y + 10), 1);
  ads_vector_image(static_cast<short>(x - 10), static_cast<short>(y + 10), static_cast<short>(x + 10),
                   static_cast<short>(y - 10), 1);
}

// A circle of pixel radius r as four mirrored runs of short vectors.
void circle(short cx, short cy, int r, int colour) {
  int px = 0, py = r;
  for (int i = 1; i <= r; ++i) {
    const int qy = static_cast<int>(std::lround(std::sqrt(static_cast<double>(r * r - i * i))));
    for (int sx : {-1, 1})
      for (int sy : {-1, 1})
        ads_vector_image(static_cast<short>(cx + sx * px), static_cast<short>(cy + sy * py),
                         static_cast<short>(cx + sx * i), static_cast<short>(cy + sy * qy), visible(colour));
    px = i, py = qy;
  }
}

struct measure {
  double height = 0;
  std::u16string style;
  double widthFactor = 1;
  bool box(const std::u16string& text, ads_point lo, ads_point hi) const {
    ResbufList list(acutBuildList(RTDXF0, u"TEXT", 1, text.c_str(), 40, height, 7, style.c_str(), 41, widthFactor, 0));
    return acedTextBox(list.get(), lo, hi) == RTNORM;
  }
};

double number(const char16_t* text) { return std::atof(qd::text::toUtf8(text).c_str()); }

// The colour the picture draws a part in: by its bold switch when colours go by layer.
int partColour(const label_state& s, const char16_t* bold, int32_t own) {
  if (is(s.settings.color, u"1")) return is(bold, u"1") ? 4 : 3;
  return own;
}

}  // namespace

std::vector<row_box> rowBoxes(const std::vector<double>& widths, double height, double gap,
                              const std::u16string& justification) {
  const double widest = widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
  const Align align = justification == u"Middle" ? Align::Centre : alignOf(justification);
  std::vector<row_box> boxes;
  double top = 0;
  for (const double w : widths) {
    const double left = align == Align::Left ? 0 : align == Align::Right ? widest - w : (widest - w) / 2;
    boxes.push_back({left, top, left + w, top + height});
    top += height + gap;
  }
  return boxes;
}

void drawLabelPreview(ads_hdlg dlg, label_state& s) {
  short w = 0, h = 0;
  if (ads_dimensions_tile(dlg, u"image1", &w, &h) != RTNORM || w <= 0 || h <= 0) return;
  const short cx = static_cast<short>(w / 2), cy = static_cast<short>(h / 2);
  ads_start_image(dlg, u"image1");
  ads_fill_image(0, 0, w, h, -2);
  const view pixels;
  frame(pixels, {0, 0, static_cast<double>(w - 1), static_cast<double>(h - 1)}, 7);
  const int kind = s.kindIndex();
  const RowList& rows = s.currentList();
  if (!hasNonEmptyRow(rows)) {
    const short side = std::min(w, h);
    ads_slide_image(static_cast<short>(cx - side / 2), static_cast<short>(cy - side / 2), side, side, kindSlide(kind));
    ads_end_image();
    return;
  }
  const kind_settings& k = s.currentBlock();
  char16_t size[16] = {0};
  std::copy_n(k.heighttext_sc, 9, size);
  measure m{number(s.settings.scale_to_drawing(size, 16)), k.text_style, number(k.widthtext)};
  if (m.height <= 0) m.height = 1;
  if (m.widthFactor <= 0) m.widthFactor = 1;
  ads_point lo = {0, 0, 0}, hi = {0, 0, 0};
  m.box(u"Apgj", lo, hi);
  const double top = hi[1] > 0 ? hi[1] : m.height, gap = -2 * lo[1];
  // The rows up to the last one with text; an empty row keeps its place with no width.
  size_t count = rows.size();
  while (count > 0 && (!rows[count - 1] || rows[count - 1]->empty())) --count;
  std::vector<double> widths;
  for (size_t i = 0; i < count; ++i) {
    std::u16string text = rows[i].value_or(u"");
    if (text.rfind(u"&-", 0) == 0) text.erase(0, 2);
    widths.push_back(!text.empty() && m.box(text, lo, hi) ? hi[0] : 0);
  }
  const std::u16string pos = k.text_pos;
  const std::vector<row_box> boxes = rowBoxes(widths, top, gap, pos);
  const double widest = *std::max_element(widths.begin(), widths.end());
  const double total = static_cast<double>(boxes.size()) * (top + gap);
  const double f = kind == 3 || kind == 6 ? 0.4 : kind == 5 ? 0.5 : 0.9;
  view v;
  v.scale = std::min(w, h) * f / std::max({widest, total, 1e-9});
  v.dx = cx - widest * v.scale / 2;
  v.dy = cy - total * v.scale / 2;
  const int colour = is(s.settings.color, u"1") ? (is(k.bold_line, u"1") ? 4 : 3) : k.color_text;
  for (const row_box& b : boxes) crossedBox(v, b, colour);
  // The parts of the kind, drawn where the kind puts them.
  const int lines = partColour(s, k.bold_line_rl, k.color_ref_line);
  const row_box& first = boxes.front();
  const row_box& last = boxes.back();
  if (kind == 1 || kind == 2 || kind == 8) {
    line(v, 0, last.bottom, widest, last.bottom, lines);
    if (kind != 8) line(v, 0, last.bottom, -widest / 4, 0, lines);
  }
  if (kind >= 3 && kind <= 5) {
    // Round the rows, and inside the tile.
    const int fits = std::min(w, h) / 2 - 2;
    const int r = std::min(fits, static_cast<int>(std::lround(std::max(widest, total) * v.scale * 0.75)));
    circle(cx, cy, r, partColour(s, k.bold_ln_bubb, k.color_crcl));
    if (kind == 3) ads_vector_image(static_cast<short>(cx - r), cy, static_cast<short>(cx - 2 * r), static_cast<short>(cy + r), visible(lines));
  }
  if (kind == 6 || kind == 7) {
    const double margin = widest * 0.1;
    frame(v, {-margin, -gap / 2, widest + margin, total - gap / 2}, partColour(s, k.bold_line_mark, k.color_mark));
    if (kind == 6) line(v, -margin, total / 2, -widest / 2, total, lines);
  }
  // The point the label hangs on.
  const char16_t row = pos.size() == 2 ? pos[0] : u'T';
  const Align align = pos == u"Middle" ? Align::Centre : alignOf(pos);
  const row_box& at = row == u'B' ? last : first;
  const double px = align == Align::Left ? at.left : align == Align::Right ? at.right : (at.left + at.right) / 2;
  const short py = row == u'M' ? cy : v.y(row == u'B' ? at.bottom : at.top);
  pointCross(v.x(px), py);
  ads_end_image();
}

}  // namespace qd::label
