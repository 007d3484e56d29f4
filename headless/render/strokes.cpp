#include "headless/render/strokes.h"

#include <cmath>
#include <limits>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/font.h"

namespace qd::render {

void StrokeCollector::add(Stroke pts) {
  for (auto& p : pts) {
    p = m_stack.back() * p;
    extents.addPoint(p);
  }
  strokes.push_back(std::move(pts));
  colors.push_back(m_color);
}

bool StrokeCollector::polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) {
  add(Stroke(pts, pts + n));
  return false;
}

bool StrokeCollector::circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) {
  return circularArc(c, r, n, qd::db::ecsToWcs(n).applyTo(AcGeVector3d::kXAxis), 2 * M_PI);
}

bool StrokeCollector::circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                                  double sweep) {
  const AcGeVector3d sx = start.normal(), sy = n.normal().crossProduct(sx);
  Stroke pts;
  const int steps = std::max(8, static_cast<int>(std::ceil(std::fabs(sweep) / (2 * M_PI) * 72)));
  for (int i = 0; i <= steps; ++i) {
    const double a = sweep * i / steps;
    pts.push_back(c + sx * (std::cos(a) * r) + sy * (std::sin(a) * r));
  }
  add(std::move(pts));
  return false;
}

bool StrokeCollector::text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
                           int32_t length, bool raw, const AcGiTextStyle& style) {
  const AcGeVector3d xd = dir.normal(), yd = n.normal().crossProduct(xd);
  const std::u16string_view shown = length < 0 ? std::u16string_view(msg) : std::u16string_view(msg, length);
  const font::Face& face = font::faceFor(style.fileName());
  for (const auto& stroke :
       font::strokes(shown, style.textSize(), style.xScale(), style.obliquingAngle(), face, raw)) {
    Stroke pts;
    for (const auto& p : stroke) pts.push_back(pos + xd * p.x + yd * p.y);
    add(std::move(pts));
  }
  return false;
}

bool StrokeCollector::pushModelTransform(const AcGeMatrix3d& m) {
  // Deeper nesting is refused (true: not pushed), so a block that inserts itself stops.
  if (m_stack.size() > qd::db::kMaxBlockNesting) return true;
  m_stack.push_back(m_stack.back() * m);
  return false;
}

bool StrokeCollector::popModelTransform() {
  if (m_stack.size() > 1) m_stack.pop_back();
  return false;
}

void StrokeCollector::drawEntity(AcDbEntity* e) {
  int color = e->colorIndex();
  if (color == 256 || color == 0) {
    auto* d = e->database() ? e->database()->impl() : nullptr;
    auto* layer = d ? AcDbLayerTableRecord::cast(d->peek(e->layerId())) : nullptr;
    color = layer ? std::abs(layer->colorIndex()) : 7;
  }
  m_color = static_cast<uint16_t>(color);
  e->worldDraw(this);
}

std::vector<Stroke> strokesOf(AcDbEntity* e) {
  StrokeCollector c;
  e->worldDraw(&c);
  return std::move(c.strokes);
}

double distanceTo(const std::vector<Stroke>& strokes, const AcGePoint3d& p, AcGePoint3d* nearest) {
  double best = std::numeric_limits<double>::infinity();
  auto consider = [&](const AcGePoint3d& q) {
    const double d = std::hypot(q.x - p.x, q.y - p.y);
    if (d < best) {
      best = d;
      if (nearest) *nearest = q;
    }
  };
  for (const auto& s : strokes) {
    if (s.size() == 1) consider(s[0]);
    for (size_t i = 0; i + 1 < s.size(); ++i) {
      const AcGePoint3d &a = s[i], &b = s[i + 1];
      const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
      double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      consider(a + (b - a) * t);
    }
  }
  return best;
}

}  // namespace qd::render
