// Geometry helpers: polar points, angles, distances, coordinate systems,
// intersections and text boxes.
#include <cmath>

#include "headless/ads/entity_lists.h"
#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/render/font.h"
#include "host/adslib.h"

void acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point res) {
  res[X] = pt[X] + dist * std::cos(angle);
  res[Y] = pt[Y] + dist * std::sin(angle);
  res[Z] = pt[Z];
}

ads_real acutAngle(const ads_point a, const ads_point b) {
  double r = std::atan2(b[Y] - a[Y], b[X] - a[X]);
  if (r < 0) r += 2 * M_PI;
  return r;
}

ads_real acutDistance(const ads_point a, const ads_point b) {
  return std::sqrt((b[X] - a[X]) * (b[X] - a[X]) + (b[Y] - a[Y]) * (b[Y] - a[Y]) + (b[Z] - a[Z]) * (b[Z] - a[Z]));
}

namespace {
// The matrix from a coordinate system to world coordinates; false for an unknown one.
bool toWorld(const resbuf* cs, AcGeMatrix3d& m) {
  if (!cs) return false;
  AcDbDatabase* db = acdbCurDwg();
  if (cs->restype == RTSHORT) {
    switch (cs->resval.rint) {
      // The display system of a plan view of the world with no twist, the host's only
      // view here, has the world's axes; so does paper space's.
      case 0:
      case 2:
      case 3: m = AcGeMatrix3d(); return true;
      case 1: {
        if (!db) return false;
        auto* d = db->impl();
        const auto* o = d->var(u"UCSORG");
        const auto* x = d->var(u"UCSXDIR");
        const auto* y = d->var(u"UCSYDIR");
        const AcGeVector3d xa = x ? x->point.asVector().normal() : AcGeVector3d::kXAxis;
        const AcGeVector3d ya = y ? y->point.asVector().normal() : AcGeVector3d::kYAxis;
        m = AcGeMatrix3d::alignCoordSys(o ? o->point : AcGePoint3d(), xa, ya, xa.crossProduct(ya).normal());
        return true;
      }
      default: return false;
    }
  }
  if (cs->restype == RT3DPOINT) {
    m = qd::db::ecsToWcs(AcGeVector3d(cs->resval.rpoint[0], cs->resval.rpoint[1], cs->resval.rpoint[2]));
    return true;
  }
  if (cs->restype == RTENAME) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, cs->resval.rlname) != Acad::eOk || !id.isValid()) return false;
    // Every planar entity files its extrusion as group 210 (the Z axis when not written),
    // arcs and entities kept as their groups included.
    AcGeVector3d n = AcGeVector3d::kZAxis;
    for (const qd::db::Tag& t : qd::ads::objectTags(id.stub()->object))
      if (t.code == 210 && t.kind == qd::db::TagKind::Point) n = t.pt.asVector();
    if (n.isZeroLength()) return false;
    m = qd::db::ecsToWcs(n.normal());
    return true;
  }
  return false;
}
}  // namespace

int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result) {
  AcGeMatrix3d a, b;
  if (!pt || !result || !toWorld(from, a) || !toWorld(to, b)) return RTERROR;
  const AcGeMatrix3d m = b.inverse() * a;
  if (disp) {
    const AcGeVector3d v = m.applyTo(AcGeVector3d(pt[0], pt[1], pt[2]));
    result[0] = v.x;
    result[1] = v.y;
    result[2] = v.z;
  } else {
    const AcGePoint3d p = m * AcGePoint3d(pt);
    result[0] = p.x;
    result[1] = p.y;
    result[2] = p.z;
  }
  return RTNORM;
}

int acdbInters(const ads_point f1, const ads_point t1, const ads_point f2, const ads_point t2, int teston,
               ads_point result) {
  const double d1x = t1[X] - f1[X], d1y = t1[Y] - f1[Y];
  const double d2x = t2[X] - f2[X], d2y = t2[Y] - f2[Y];
  const double den = d1x * d2y - d1y * d2x;
  if (std::fabs(den) < 1e-12) return RTNONE;
  const double s = ((f2[X] - f1[X]) * d2y - (f2[Y] - f1[Y]) * d2x) / den;
  const double u = ((f2[X] - f1[X]) * d1y - (f2[Y] - f1[Y]) * d1x) / den;
  const double eps = 1e-10;
  if (teston && (s < -eps || s > 1 + eps || u < -eps || u > 1 + eps)) return RTNONE;
  result[X] = f1[X] + s * d1x;
  result[Y] = f1[Y] + s * d1y;
  result[Z] = f1[Z] + s * (t1[Z] - f1[Z]);
  return RTNORM;
}

int acedTextBox(const resbuf* args, ads_point p1, ads_point p2) {
  AcDbDatabase* db = acdbCurDwg();
  if (!args || !p1 || !p2) return RTERROR;
  std::u16string text, style;
  double height = -1, width = -1, oblique = 0;
  bool haveText = false;
  for (const resbuf* rb = args; rb; rb = rb->rbnext) {
    switch (rb->restype) {
      case -1: {
        // An entity name stands for that entity's own list.
        AcDbObjectId id;
        if (acdbGetObjectId(id, rb->resval.rlname) != Acad::eOk) return RTERROR;
        auto* t = AcDbText::cast(id.stub()->object);
        if (!t) return RTERROR;
        text = t->textStringConst();
        style = t->textStyleName();
        height = t->height();
        width = t->widthFactor();
        oblique = t->oblique();
        haveText = true;
        break;
      }
      case 1: text = rb->resval.rstring ? rb->resval.rstring : u""; haveText = true; break;
      case 7: style = rb->resval.rstring ? rb->resval.rstring : u""; break;
      case 40: height = rb->resval.rreal; break;
      case 41: width = rb->resval.rreal; break;
      case 51: oblique = rb->resval.rreal; break;
    }
  }
  if (!haveText) return RTERROR;
  const qd::font::Face* face = &qd::font::defaultFace();
  if (db) {
    auto* d = db->impl();
    auto* rec = AcDbTextStyleTableRecord::cast(d->peek(style.empty() ? db->textstyle() : d->recordId(d->textStyleTable, style)));
    if (!style.empty() && !rec) return RTERROR;
    if (height <= 0) height = rec && rec->textSize() > 0 ? rec->textSize() : d->varReal(u"TEXTSIZE", 2.5);
    if (width <= 0) width = rec ? rec->xScale() : 1.0;
    const ACHAR* file = nullptr;
    if (rec && rec->fileName(file) == Acad::eOk && file) face = &qd::font::faceFor(file);
  }
  if (height <= 0) height = 2.5;
  if (width <= 0) width = 1.0;
  const qd::font::Box b = qd::font::measure(text, height, width, oblique, *face);
  p1[X] = b.x1;
  p1[Y] = b.y1;
  p1[Z] = 0;
  p2[X] = b.x2;
  p2[Y] = b.y2;
  p2[Z] = 0;
  return RTNORM;
}
