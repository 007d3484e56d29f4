#include "headless/render/strokes.h"

#include <cmath>
#include <limits>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/font.h"
#include "platform/codepage.h"

namespace qd::render {

void StrokeCollector::add(Stroke pts, bool edge) {
  for (auto& p : pts) {
    p = m_stack.back() * p;
    extents.addPoint(p);
  }
  strokes.push_back(std::move(pts));
  looks.push_back({m_color, m_pattern, edge});
}

bool StrokeCollector::polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) {
  add(Stroke(pts, pts + n));
  return false;
}

bool StrokeCollector::polygon(uint32_t n, const AcGePoint3d* pts) {
  if (n < 2) return false;
  Stroke closed(pts, pts + n);
  closed.push_back(pts[0]);
  if (m_fill != kAcGiFillAlways) {
    add(std::move(closed));
    return false;
  }
  // The fill's outline is kept as an edge, so the area is picked and snapped to.
  add(closed, true);
  fills.push_back({{strokes.back()}, m_color, true});
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
  Fill glyphs{{}, m_color, false};
  for (const auto& stroke :
       font::strokes(shown, style.textSize(), style.xScale(), style.obliquingAngle(), face, raw)) {
    Stroke pts;
    for (const auto& p : stroke) pts.push_back(pos + xd * p.x + yd * p.y);
    add(std::move(pts), face.filled());
    if (face.filled()) glyphs.contours.push_back(strokes.back());
  }
  // Outline fonts are filled, as the host shows them with TEXTFILL on.
  if (!glyphs.contours.empty()) fills.push_back(std::move(glyphs));
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

bool StrokeCollector::draw(AcDbEntity* ent) {
  drawEntity(ent);
  return false;
}

int StrokeCollector::patternOf(AcDbEntity* e, AcDbObjectId layerId) {
  auto* d = e->database() ? e->database()->impl() : nullptr;
  if (!d) return -1;
  const std::u16string name = qd::text::toUpper(e->linetype());
  if (name == u"BYBLOCK") return m_inherited.back().pattern;
  AcDbObjectId ltype = e->linetypeId();
  if (name == u"BYLAYER") {
    auto* layer = AcDbLayerTableRecord::cast(d->peek(layerId));
    ltype = layer ? layer->linetypeObjectId() : AcDbObjectId();
  }
  auto* rec = AcDbLinetypeTableRecord::cast(d->peek(ltype));
  if (!rec || rec->numDashes() == 0 || !(rec->patternLength() > 0)) return -1;
  // The pattern in drawing units: the linetype's scale times the entity's, and the
  // scale of the block references it is drawn through.
  const double scale = d->varReal(u"LTSCALE", 1.0) * e->linetypeScale() * m_stack.back().scale();
  if (!(scale > 0) || !std::isfinite(scale)) return -1;
  std::vector<double> dashes;
  for (int i = 0; i < rec->numDashes(); ++i) dashes.push_back(rec->dashLengthAt(i) * scale);
  for (size_t i = 0; i < patterns.size(); ++i)
    if (patterns[i] == dashes) return static_cast<int>(i);
  patterns.push_back(std::move(dashes));
  return static_cast<int>(patterns.size() - 1);
}

void StrokeCollector::drawEntity(AcDbEntity* e) {
  if (!e || e->isErased() || !e->visibility()) return;
  auto* d = e->database() ? e->database()->impl() : nullptr;
  const Inherited outer = m_inherited.back();
  AcDbObjectId layerId = e->layerId();
  auto* layer = d ? AcDbLayerTableRecord::cast(d->peek(layerId)) : nullptr;
  // Inside a block reference, what lies on layer 0 takes the reference's layer.
  if (layer && m_inherited.size() > 1 && std::u16string_view(layer->nameConst()) == u"0" && !outer.layer.isNull()) {
    layerId = outer.layer;
    layer = AcDbLayerTableRecord::cast(d->peek(layerId));
  }
  if (layer && (layer->isOff() || layer->isFrozen())) return;
  int color = e->colorIndex();
  if (color == 0) color = outer.color;
  else if (color == 256 || color < 0) color = layer ? std::abs(layer->colorIndex()) : 7;
  const uint16_t savedColor = m_color;
  const int savedPattern = m_pattern;
  m_color = static_cast<uint16_t>(color);
  m_pattern = patternOf(e, layerId);
  m_inherited.push_back({m_color, m_pattern, layerId});
  const AcGiFillType savedFill = m_fill;
  m_fill = kAcGiFillNever;
  e->worldDraw(this);
  m_fill = savedFill;
  m_inherited.pop_back();
  m_color = savedColor;
  m_pattern = savedPattern;
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
