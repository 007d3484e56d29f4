#include "headless/render/svg.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/strokes.h"

namespace qd::render {
namespace {

// The screen colours of the first ACI colours; the rest draw in a neutral grey.
const char* aciColor(uint16_t c) {
  static const char* basic[] = {"#000000", "#FF0000", "#C8A800", "#00A000", "#00A0A0", "#0000FF", "#C000C0", "#000000"};
  return c < 8 ? basic[c] : "#707070";
}

}  // namespace

std::string modelSpaceSvg(AcDbDatabase* db, const std::vector<OverlayVector>& overlay) {
  auto* d = db->impl();
  StrokeCollector draw;
  if (auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace)))
    for (const auto& id : ms->entityIds()) {
      auto* e = AcDbEntity::cast(d->peek(id));
      if (!e || e->isErased() || !e->visibility()) continue;
      auto* layer = AcDbLayerTableRecord::cast(d->peek(e->layerId()));
      if (layer && (layer->isOff() || layer->isFrozen())) continue;
      draw.drawEntity(e);
    }
  const size_t drawingStrokes = draw.strokes.size();
  for (const auto& vec : overlay) {
    draw.setColor(vec.color);
    draw.polyline(2, vec.ends, nullptr, -1);
  }
  double x0 = 0, y0 = 0, x1 = 100, y1 = 100;
  if (draw.extents.isValid()) {
    x0 = draw.extents.minPoint().x;
    y0 = draw.extents.minPoint().y;
    x1 = draw.extents.maxPoint().x;
    y1 = draw.extents.maxPoint().y;
  }
  const double margin = std::max(x1 - x0, y1 - y0) * 0.05 + 1e-9;
  x0 -= margin;
  y0 -= margin;
  x1 += margin;
  y1 += margin;
  const double w = x1 - x0, h = y1 - y0;
  char buf[256];
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  std::snprintf(buf, sizeof buf,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %.6g %.6g\" width=\"1000\" height=\"%.0f\">\n",
                w, h, 1000 * h / w);
  out += buf;
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  std::snprintf(buf, sizeof buf, "<g fill=\"none\" stroke=\"black\" stroke-width=\"%.6g\" stroke-linecap=\"round\">\n",
                std::max(w, h) / 1000);
  out += buf;
  for (size_t i = 0; i < draw.strokes.size(); ++i) {
    // Overlay vectors (acedGrDraw and acedGrVecs) are dashed, as temporary graphics.
    out += i < drawingStrokes ? "<polyline " : "<polyline stroke-dasharray=\"1%\" ";
    out += std::string("stroke=\"") + aciColor(draw.colors[i]) + "\" points=\"";
    for (const auto& p : draw.strokes[i]) {
      std::snprintf(buf, sizeof buf, "%.6g,%.6g ", p.x - x0, y1 - p.y);
      out += buf;
    }
    out += "\"/>\n";
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace qd::render
