#include "headless/render/svg.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/font.h"
#include "host/acgi.h"

namespace qd::render {
namespace {

// Collects the strokes of everything drawn, in world coordinates.
class SvgDraw : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  std::vector<std::vector<AcGePoint3d>> lines;
  std::vector<AcGeMatrix3d> stack{AcGeMatrix3d()};
  AcDbExtents ext;

  AcGiWorldGeometry& geometry() const override { return *const_cast<SvgDraw*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<SvgDraw*>(this); }
  void setColor(uint16_t) override {}
  uint16_t color() const override { return 7; }
  void setLayer(AcDbObjectId) override {}
  void setSelectionMarker(intptr_t) override {}

  void add(std::vector<AcGePoint3d> pts) {
    for (auto& p : pts) {
      p = stack.back() * p;
      ext.addPoint(p);
    }
    lines.push_back(std::move(pts));
  }
  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override {
    add(std::vector<AcGePoint3d>(pts, pts + n));
    return false;
  }
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override {
    return circularArc(c, r, n, qd::db::ecsToWcs(n).applyTo(AcGeVector3d::kXAxis), 2 * M_PI);
  }
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override {
    const AcGeVector3d sx = start.normal(), sy = n.normal().crossProduct(sx);
    std::vector<AcGePoint3d> pts;
    for (int i = 0; i <= 72; ++i) {
      const double a = sweep * i / 72;
      pts.push_back(c + sx * (std::cos(a) * r) + sy * (std::sin(a) * r));
    }
    add(std::move(pts));
    return false;
  }
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, double h, double w,
            double oblique, const ACHAR* msg) override {
    const AcGeVector3d xd = dir.normal(), yd = n.normal().crossProduct(xd);
    for (const auto& stroke : font::strokes(msg, h, w, oblique)) {
      std::vector<AcGePoint3d> pts;
      for (const auto& p : stroke) pts.push_back(pos + xd * p.x + yd * p.y);
      add(std::move(pts));
    }
    return false;
  }
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override {
    stack.push_back(stack.back() * m);
    return false;
  }
  bool popModelTransform() override {
    if (stack.size() > 1) stack.pop_back();
    return false;
  }
};

}  // namespace

std::string modelSpaceSvg(AcDbDatabase* db) {
  auto* d = db->impl();
  SvgDraw draw;
  if (auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace)))
    for (const auto& id : ms->entityIds()) {
      auto* e = AcDbEntity::cast(d->peek(id));
      if (!e || e->isErased() || !e->visibility()) continue;
      auto* layer = AcDbLayerTableRecord::cast(d->peek(e->layerId()));
      if (layer && (layer->isOff() || layer->isFrozen())) continue;
      e->worldDraw(&draw);
    }
  double x0 = 0, y0 = 0, x1 = 100, y1 = 100;
  if (draw.ext.isValid()) {
    x0 = draw.ext.minPoint().x;
    y0 = draw.ext.minPoint().y;
    x1 = draw.ext.maxPoint().x;
    y1 = draw.ext.maxPoint().y;
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
  for (const auto& line : draw.lines) {
    out += "<polyline points=\"";
    for (const auto& p : line) {
      std::snprintf(buf, sizeof buf, "%.6g,%.6g ", p.x - x0, y1 - p.y);
      out += buf;
    }
    out += "\"/>\n";
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace qd::render
