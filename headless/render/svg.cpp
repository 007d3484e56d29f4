#include "headless/render/svg.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/strokes.h"

namespace qd::render {
namespace {

// The host's colour index as a screen colour on white paper: the 255 colours of the
// index (hue rows of ten shades from 10 on, greys from 250), white drawn black.
std::string aciColor(uint16_t c) {
  static const unsigned basic[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                     0x0000FF, 0xFF00FF, 0x000000, 0x808080, 0xC0C0C0};
  unsigned rgb = 0;
  if (c < 10) {
    rgb = basic[c];
  } else if (c >= 250 && c <= 255) {
    static const unsigned grey[6] = {0x33, 0x5B, 0x84, 0xAD, 0xD6, 0xFF};
    rgb = grey[c - 250] * 0x010101u;
  } else if (c < 250) {
    const double hue = ((c / 10) - 1) * 15.0;  // degrees
    static const double value[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
    const double v = value[(c % 10) / 2], sat = (c % 2) ? 0.5 : 1.0;
    auto channel = [&](double n) {
      const double k = std::fmod(n + hue / 60, 6);
      const double f = v - v * sat * std::max(0.0, std::min({k, 4 - k, 1.0}));
      return static_cast<unsigned>(std::lround(f * 255));
    };
    rgb = channel(5) << 16 | channel(3) << 8 | channel(1);
  }
  if (rgb == 0xFFFFFF || c == 7) rgb = 0;
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", rgb);
  return buf;
}

// A linetype's pattern as an SVG dash array: dashes and gaps alternate from a dash, a
// dot is a dash of no length (drawn round). A pattern too fine to see is drawn solid, as
// the host draws it.
std::string dashArray(const std::vector<double>& pattern, double finest) {
  double total = 0;
  for (double v : pattern) total += std::fabs(v);
  if (total < finest) return {};
  std::vector<double> out;
  bool wantDash = true;
  for (double v : pattern) {
    const bool dash = v >= 0;
    if (dash != wantDash) {
      out.push_back(0);
      wantDash = !wantDash;
    }
    out.push_back(std::fabs(v));
    wantDash = !wantDash;
  }
  if (out.size() % 2) out.push_back(0);
  std::string s;
  char buf[32];
  for (double v : out) {
    std::snprintf(buf, sizeof buf, "%s%.6g", s.empty() ? "" : ",", v);
    s += buf;
  }
  return s;
}

struct Frame {
  double x0 = 0, y0 = 0, x1 = 100, y1 = 100;
  void point(std::string& out, const AcGePoint3d& p) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g,%.6g ", p.x - x0, y1 - p.y);
    out += buf;
  }
};

}  // namespace

std::string modelSpaceSvg(AcDbDatabase* db, const std::vector<OverlayVector>& overlay) {
  auto* d = db->impl();
  StrokeCollector draw;
  if (auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace)))
    for (const auto& id : ms->entityIds()) draw.drawEntity(AcDbEntity::cast(d->peek(id)));
  const size_t drawingStrokes = draw.strokes.size();
  for (const auto& vec : overlay) {
    draw.setColor(vec.color);
    draw.polyline(2, vec.ends, nullptr, -1);
  }
  Frame f;
  if (draw.extents.isValid()) {
    f = {draw.extents.minPoint().x, draw.extents.minPoint().y, draw.extents.maxPoint().x, draw.extents.maxPoint().y};
  }
  const double margin = std::max(f.x1 - f.x0, f.y1 - f.y0) * 0.05 + 1e-9;
  f.x0 -= margin;
  f.y0 -= margin;
  f.x1 += margin;
  f.y1 += margin;
  const double w = f.x1 - f.x0, h = f.y1 - f.y0;
  const double pen = std::max(w, h) / 1000;
  char buf[256];
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  std::snprintf(buf, sizeof buf,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %.6g %.6g\" width=\"1000\" height=\"%.0f\">\n",
                w, h, 1000 * h / w);
  out += buf;
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  // Fills first (solid hatches, solids, wide polylines, outline glyphs), strokes over them.
  out += "<g stroke=\"none\">\n";
  for (const Fill& fill : draw.fills) {
    out += "<path fill=\"" + aciColor(fill.color) + "\" fill-rule=\"" + (fill.evenOdd ? "evenodd" : "nonzero") +
           "\" d=\"";
    for (const Stroke& contour : fill.contours) {
      for (size_t i = 0; i < contour.size(); ++i) {
        out += i == 0 ? "M" : "L";
        f.point(out, contour[i]);
      }
      out += "Z ";
    }
    out += "\"/>\n";
  }
  out += "</g>\n";
  std::snprintf(buf, sizeof buf,
                "<g fill=\"none\" stroke=\"black\" stroke-width=\"%.6g\" stroke-linecap=\"round\" "
                "stroke-linejoin=\"round\">\n",
                pen);
  out += buf;
  std::vector<std::string> dashes;
  for (const auto& p : draw.patterns) dashes.push_back(dashArray(p, pen * 4));
  for (size_t i = 0; i < draw.strokes.size(); ++i) {
    const Look& look = draw.looks[i];
    if (look.edge) continue;
    out += "<polyline ";
    // Overlay vectors (acedGrDraw and acedGrVecs) are dashed, as temporary graphics.
    if (i >= drawingStrokes) out += "stroke-dasharray=\"1%\" ";
    else if (look.pattern >= 0 && !dashes[look.pattern].empty())
      out += "stroke-dasharray=\"" + dashes[look.pattern] + "\" ";
    out += "stroke=\"" + aciColor(look.color) + "\" points=\"";
    for (const auto& p : draw.strokes[i]) f.point(out, p);
    // A single point (a dot of a pattern, a POINT) is drawn as a line of no length.
    if (draw.strokes[i].size() == 1) f.point(out, draw.strokes[i][0]);
    out += "\"/>\n";
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace qd::render
