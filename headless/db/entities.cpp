// The built-in entities: points, lines, circles, texts, attributes, block
// references, polylines, and entities of unknown classes.
#include <algorithm>
#include <cmath>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/direct_filing.h"
#include "headless/db/filing.h"
#include "headless/db/proxy_graphics.h"
#include "headless/db/tags.h"
#include "headless/db/text_style.h"
#include "headless/render/font.h"
#include "host/acgi.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::implOf;
using qd::db::readGroups;
using qd::db::toPoint;
using qd::db::toVector;

namespace {
bool isDefaultNormal(const AcGeVector3d& n) { return n.isEqualTo(AcGeVector3d::kZAxis); }
// A text's justification as groups 72 and 73 give it: left and base line for a value
// the host does not know.
AcDb::TextHorzMode horzModeOf(int v) { return static_cast<AcDb::TextHorzMode>(v >= 0 && v <= 5 ? v : 0); }
AcDb::TextVertMode vertModeOf(int v) { return static_cast<AcDb::TextVertMode>(v >= 0 && v <= 3 ? v : 0); }
// A circle's or an arc's centre, or a block reference's insertion point, in the world,
// from the one the file gives in its own coordinates.
AcGePoint3d worldCentre(const AcGeVector3d& normal, const AcGePoint3d& ocs) {
  return isDefaultNormal(normal) ? ocs : qd::db::ecsToWcs(normal) * ocs;
}
void writeNormal(AcDbDxfFiler* f, const AcGeVector3d& n) {
  if (f->includesDefaultValues() || !isDefaultNormal(n)) f->writeVector3d(210, n);
}
void writeThickness(AcDbDxfFiler* f, double t) {
  if (f->includesDefaultValues() || t != 0) f->writeDouble(39, t);
}
// A transform's effect on a normal vector.
AcGeVector3d transformNormal(const AcGeMatrix3d& m, const AcGeVector3d& n) {
  AcGeVector3d r = m.applyTo(n);
  if (m.det3() < 0) r = -r;
  return r.normal();
}
}  // namespace

// ---- POINT ----
Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& p) {
  m_pos = p;
  return Acad::eOk;
}
bool AcDbPoint::worldDraw(AcGiWorldDraw* mode) {
  AcGePoint3d pts[2] = {m_pos, m_pos};
  return mode->geometry().polyline(2, pts);
}
Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents(m_pos, m_pos);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbPoint::transformBy(const AcGeMatrix3d& m) {
  m_pos.transformBy(m);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbPoint::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbPoint");
  f->writePoint3d(10, m_pos);
  writeThickness(f, m_thickness);
  writeNormal(f, m_normal);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbPoint::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: m_pos = toPoint(rb); break;
      case 39: m_thickness = rb.resval.rreal; break;
      case 210: m_normal = toVector(rb); break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbPoint)

// ---- LINE ----
Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) {
  m_start = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) {
  m_end = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& n) {
  if (n.isZeroLength()) return Acad::eInvalidInput;
  m_normal = n.normal();
  return Acad::eOk;
}
bool AcDbLine::worldDraw(AcGiWorldDraw* mode) {
  AcGePoint3d pts[2] = {m_start, m_end};
  return mode->geometry().polyline(2, pts, &m_normal);
}
Acad::ErrorStatus AcDbLine::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  e.addPoint(m_start);
  e.addPoint(m_end);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& m) {
  m_start.transformBy(m);
  m_end.transformBy(m);
  m_normal = transformNormal(m, m_normal);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick, const AcGePoint3d&,
                                           const AcGeMatrix3d&, AcGePoint3dArray& snaps, AcDbIntArray&) const {
  switch (mode) {
    case AcDb::kOsModeEnd:
      snaps.append(m_start);
      snaps.append(m_end);
      return Acad::eOk;
    case AcDb::kOsModeMid:
      snaps.append(m_start + (m_end - m_start) * 0.5);
      return Acad::eOk;
    case AcDb::kOsModeNear: {
      const AcGeVector3d d = m_end - m_start;
      const double len2 = d.lengthSqrd();
      double t = len2 > 0 ? (pick - m_start).dotProduct(d) / len2 : 0;
      t = t < 0 ? 0 : t > 1 ? 1 : t;
      snaps.append(m_start + d * t);
      return Acad::eOk;
    }
    default: return Acad::eOk;
  }
}
Acad::ErrorStatus AcDbLine::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbLine");
  writeThickness(f, m_thickness);
  f->writePoint3d(10, m_start);
  f->writePoint3d(11, m_end);
  writeNormal(f, m_normal);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbLine::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: m_start = toPoint(rb); break;
      case 11: m_end = toPoint(rb); break;
      case 39: m_thickness = rb.resval.rreal; break;
      case 210: m_normal = toVector(rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbLine)

// ---- CIRCLE ----
Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& c) {
  m_center = c;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setRadius(double r) {
  if (!(r > 0)) return Acad::eInvalidInput;
  m_radius = r;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& n) {
  if (n.isZeroLength()) return Acad::eInvalidInput;
  m_normal = n.normal();
  return Acad::eOk;
}
bool AcDbCircle::worldDraw(AcGiWorldDraw* mode) { return mode->geometry().circle(m_center, m_radius, m_normal); }
Acad::ErrorStatus AcDbCircle::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  // Extents of a circle in any plane: per axis, radius * sqrt(1 - n_i^2).
  const AcGeVector3d n = m_normal.normal();
  const AcGeVector3d r(m_radius * std::sqrt(std::max(0.0, 1 - n.x * n.x)),
                       m_radius * std::sqrt(std::max(0.0, 1 - n.y * n.y)),
                       m_radius * std::sqrt(std::max(0.0, 1 - n.z * n.z)));
  e.addPoint(m_center - r);
  e.addPoint(m_center + r);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& m) {
  m_center.transformBy(m);
  m_radius *= m.scale();
  m_normal = transformNormal(m, m_normal);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d& pick, const AcGePoint3d&,
                                             const AcGeMatrix3d&, AcGePoint3dArray& snaps, AcDbIntArray&) const {
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d ax = ecs.applyTo(AcGeVector3d::kXAxis), ay = ecs.applyTo(AcGeVector3d::kYAxis);
  switch (mode) {
    case AcDb::kOsModeCen: snaps.append(m_center); break;
    case AcDb::kOsModeQuad:
      snaps.append(m_center + ax * m_radius);
      snaps.append(m_center + ay * m_radius);
      snaps.append(m_center - ax * m_radius);
      snaps.append(m_center - ay * m_radius);
      break;
    case AcDb::kOsModeNear: {
      AcGeVector3d v = pick - m_center;
      v = v - m_normal * v.dotProduct(m_normal);
      if (v.isZeroLength()) v = ax;
      snaps.append(m_center + v.normal() * m_radius);
      break;
    }
    default: break;
  }
  return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbCircle");
  writeThickness(f, m_thickness);
  // The centre is filed in the circle's own coordinate system.
  f->writePoint3d(10, isDefaultNormal(m_normal) ? m_center : qd::db::ecsToWcs(m_normal).inverse() * m_center);
  f->writeDouble(40, m_radius);
  writeNormal(f, m_normal);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbCircle::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  AcGePoint3d ocsCenter;
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: ocsCenter = toPoint(rb); break;
      case 40: m_radius = rb.resval.rreal; break;
      case 39: m_thickness = rb.resval.rreal; break;
      case 210: m_normal = toVector(rb).normal(); break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  m_center = worldCentre(m_normal, ocsCenter);
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbCircle)

// ---- ARC ----
Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& c) {
  m_center = c;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setRadius(double r) {
  if (!(r > 0)) return Acad::eInvalidInput;
  m_radius = r;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setStartAngle(double a) {
  m_start = a;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setEndAngle(double a) {
  m_end = a;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& n) {
  if (n.isZeroLength()) return Acad::eInvalidInput;
  m_normal = n.normal();
  return Acad::eOk;
}
namespace {
// The counter-clockwise sweep from the start angle to the end angle, in (0, 2 pi].
double sweepOf(double start, double end) {
  double s = std::fmod(end - start, 2 * M_PI);
  if (s <= 0) s += 2 * M_PI;
  return s;
}
}  // namespace
bool AcDbArc::worldDraw(AcGiWorldDraw* mode) {
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d start = ecs.applyTo(AcGeVector3d(std::cos(m_start), std::sin(m_start), 0));
  return mode->geometry().circularArc(m_center, m_radius, m_normal, start, sweepOf(m_start, m_end));
}
Acad::ErrorStatus AcDbArc::getGeomExtents(AcDbExtents& e) const {
  return qd::db::extentsFromDrawing(const_cast<AcDbArc*>(this), e);
}
Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& m) {
  // The ends move with the matrix; the angles are taken again in the new plane.
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  AcGePoint3d a = m_center + ecs.applyTo(AcGeVector3d(std::cos(m_start), std::sin(m_start), 0)) * m_radius;
  AcGePoint3d b = m_center + ecs.applyTo(AcGeVector3d(std::cos(m_end), std::sin(m_end), 0)) * m_radius;
  m_center.transformBy(m);
  a.transformBy(m);
  b.transformBy(m);
  m_radius *= m.scale();
  m_normal = transformNormal(m, m_normal);
  const AcGeMatrix3d inv = qd::db::ecsToWcs(m_normal).inverse();
  const AcGeVector3d la = inv.applyTo(a - m_center), lb = inv.applyTo(b - m_center);
  m_start = std::atan2(la.y, la.x);
  m_end = std::atan2(lb.y, lb.x);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbCircle");
  writeThickness(f, m_thickness);
  f->writePoint3d(10, isDefaultNormal(m_normal) ? m_center : qd::db::ecsToWcs(m_normal).inverse() * m_center);
  f->writeDouble(40, m_radius);
  writeNormal(f, m_normal);
  f->writeString(100, u"AcDbArc");
  // Angles in radians, as in entity lists; a DXF file holds them in degrees.
  auto positive = [](double a) { return a < 0 ? a + 2 * M_PI : a; };
  f->writeDouble(50, positive(m_start));
  f->writeDouble(51, positive(m_end));
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbArc::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  AcGePoint3d ocsCenter;
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: ocsCenter = toPoint(rb); break;
      case 40: m_radius = rb.resval.rreal; break;
      case 39: m_thickness = rb.resval.rreal; break;
      case 50: m_start = rb.resval.rreal; break;
      case 51: m_end = rb.resval.rreal; break;
      case 210: m_normal = toVector(rb).normal(); break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  m_center = worldCentre(m_normal, ocsCenter);
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbArc)

// ---- TEXT ----
namespace {
// A new text's style is copied from this, so that making one looks no name up (made once
// and never destroyed, as the entity base's names are).
const qd::text::SharedName& standardStyle() {
  static const auto* name = new qd::text::SharedName(u"STANDARD");
  return *name;
}
}  // namespace

AcDbText::AcDbText() : m_style(standardStyle()) {}
AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style, double height,
                   double rotation)
    : m_position(position), m_text(text ? text : u""), m_style(standardStyle()), m_height(height), m_rotation(rotation) {
  if (auto* rec = AcDbSymbolTableRecord::cast(implOf(style.database()) ? implOf(style.database())->peek(style) : nullptr))
    m_style = rec->nameConst();
}
Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& p) {
  m_position = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& p) {
  m_alignment = p;
  return Acad::eOk;
}
ACHAR* AcDbText::textString() const { return acutNewString(m_text.c_str()); }
Acad::ErrorStatus AcDbText::setTextString(const ACHAR* t) {
  if (!t) return Acad::eInvalidInput;
  m_text = t;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setHeight(double h) {
  if (!(h > 0)) return Acad::eInvalidInput;
  m_height = h;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setRotation(double r) {
  m_rotation = r;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setWidthFactor(double w) {
  if (!(w > 0)) return Acad::eInvalidInput;
  m_widthFactor = w;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setOblique(double o) {
  m_oblique = o;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode m) {
  if (m < AcDb::kTextLeft || m > AcDb::kTextFit) return Acad::eInvalidInput;
  m_hmode = m;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode m) {
  if (m < AcDb::kTextBase || m > AcDb::kTextTop) return Acad::eInvalidInput;
  m_vmode = m;
  return Acad::eOk;
}
AcDbObjectId AcDbText::textStyle() const {
  auto* d = implOf(database() ? database() : acdbCurDwg());
  return d ? d->recordId(d->textStyleTable, m_style) : AcDbObjectId();
}
Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
  auto* d = implOf(style.database());
  auto* rec = d ? AcDbTextStyleTableRecord::cast(d->peek(style)) : nullptr;
  if (!rec) return Acad::eInvalidInput;
  m_style = rec->nameConst();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setTextStyleName(const ACHAR* name) {
  if (!name || !*name) return Acad::eInvalidInput;
  m_style = name;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& n) {
  if (n.isZeroLength()) return Acad::eInvalidInput;
  m_normal = n.normal();
  return Acad::eOk;
}

namespace {
// The face of a text's style, looked up in the given drawing, the text's own, or the current one.
const qd::font::Face& faceOf(const AcDbText& t, AcDbDatabase* db = nullptr) {
  if (!db) db = t.database() ? t.database() : acdbCurDwg();
  return qd::db::styleFace(db, t.textStyleName());
}
}  // namespace

// The start point follows from the alignment point and the box of what the text draws:
// centred and right-aligned texts centre or end their glyphs there; bottom stands the
// font's descenders on it, middle and top take half and all of the capital height, and
// "Middle" centres the glyphs' box both ways.
Acad::ErrorStatus AcDbText::adjustAlignment(AcDbDatabase* db) {
  if (isDefaultAlignment()) return Acad::eOk;
  if (m_hmode == AcDb::kTextAlign || m_hmode == AcDb::kTextFit) return Acad::eOk;  // both points given
  const qd::font::Face& face = faceOf(*this, db);
  const qd::font::Box box = qd::font::measure(m_text, m_height, m_widthFactor, m_oblique, face);
  double dx = 0, dy = 0;
  switch (m_hmode) {
    case AcDb::kTextCenter:
    case AcDb::kTextMid: dx = -(box.x1 + box.x2) / 2; break;
    case AcDb::kTextRight: dx = -box.x2; break;
    default: break;
  }
  if (m_hmode == AcDb::kTextMid) {
    dy = -(box.y1 + box.y2) / 2;
  } else {
    switch (m_vmode) {
      case AcDb::kTextBottom: dy = m_height * face.descent(); break;
      case AcDb::kTextVertMid: dy = -m_height / 2; break;
      case AcDb::kTextTop: dy = -m_height; break;
      default: break;
    }
  }
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d xdir = ecs.applyTo(AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0));
  const AcGeVector3d ydir = m_normal.crossProduct(xdir).normal();
  m_position = m_alignment + xdir * dx + ydir * dy;
  return Acad::eOk;
}

// A text changed through the object's own calls is placed anew when it is closed.
Acad::ErrorStatus AcDbText::subClose() { return adjustAlignment(); }

// Aligned texts take the height, fitted texts the width factor, that spans their glyphs
// from the start point to the alignment point; both run along the line between them.
void AcDbText::drawnLayout(double& height, double& wf, double& rot) const {
  height = m_height;
  wf = m_widthFactor;
  rot = m_rotation;
  if (m_hmode != AcDb::kTextAlign && m_hmode != AcDb::kTextFit) return;
  const qd::font::Box unit = qd::font::measure(m_text, 1.0, 1.0, m_oblique, faceOf(*this));
  const AcGeVector3d run = m_alignment - m_position;
  if (unit.x2 <= 0 || run.isZeroLength()) return;
  rot = std::atan2(run.y, run.x);
  if (m_hmode == AcDb::kTextAlign) height = run.length() / (unit.x2 * m_widthFactor);
  else wf = run.length() / (unit.x2 * m_height);
}

void AcDbText::boxCorners(AcGePoint3d c[4]) const {
  double height, wf, rot;
  drawnLayout(height, wf, rot);
  const qd::font::Box b = qd::font::measure(m_text, height, wf, m_oblique, faceOf(*this));
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d xdir = ecs.applyTo(AcGeVector3d(std::cos(rot), std::sin(rot), 0));
  const AcGeVector3d ydir = m_normal.crossProduct(xdir).normal();
  c[0] = m_position + xdir * b.x1 + ydir * b.y1;
  c[1] = m_position + xdir * b.x2 + ydir * b.y1;
  c[2] = m_position + xdir * b.x2 + ydir * b.y2;
  c[3] = m_position + xdir * b.x1 + ydir * b.y2;
}

bool AcDbText::worldDraw(AcGiWorldDraw* mode) {
  double height, wf, rot;
  drawnLayout(height, wf, rot);
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d xdir = ecs.applyTo(AcGeVector3d(std::cos(rot), std::sin(rot), 0));
  const std::u16string font = qd::db::styleFontFile(database() ? database() : acdbCurDwg(), m_style);
  return mode->geometry().text(m_position, m_normal, xdir, m_text.c_str(), -1, false,
                               AcGiTextStyle(font.c_str(), height, wf, m_oblique));
}
Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& e) const {
  AcGePoint3d c[4];
  boxCorners(c);
  e = AcDbExtents();
  for (auto& p : c) e.addPoint(p);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbText::mirrorInX(bool on) {
  m_generation = static_cast<int16_t>(on ? (m_generation | 2) : (m_generation & ~2));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& m) {
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d xdir = ecs.applyTo(AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0));
  const double scale = m.scale();
  m_position.transformBy(m);
  m_alignment.transformBy(m);
  m_height *= scale;
  AcGeVector3d newDir = m.applyTo(xdir);
  // A text stays in its plane and is read from the same side, also when mirrored: a
  // mirror that would turn its face away (through its plane, or a point reflection)
  // leaves the normal as it was.
  AcGeVector3d newNormal = m.applyTo(m_normal).normal();
  if (m.det3() < 0 && newNormal.dotProduct(m_normal) < 0) newNormal = -newNormal;
  // Mirrored so that it would read backwards: turned round and kept readable, as the
  // host does with MIRRTEXT 0. A mirror that leaves the direction readable (a
  // horizontal mirror line) only moves the text.
  const AcGeVector3d flat = qd::db::ecsToWcs(newNormal).inverse().applyTo(newDir);
  const double newAngle = std::atan2(flat.y, flat.x);
  const bool backwards = m.det3() < 0 && (newAngle > M_PI / 2 + 1e-9 || newAngle < -M_PI / 2 + 1e-9);
  if (backwards) {
    newDir = -newDir;
    // The mirrored start point is now where the text ends.
    if (m_hmode == AcDb::kTextLeft && m_vmode == AcDb::kTextBase) m_alignment = m_position;
    if (m_hmode == AcDb::kTextLeft) m_hmode = AcDb::kTextRight;
    else if (m_hmode == AcDb::kTextRight) m_hmode = AcDb::kTextLeft;
    else if (m_hmode == AcDb::kTextAlign || m_hmode == AcDb::kTextFit) std::swap(m_position, m_alignment);
  }
  m_normal = newNormal;
  const AcGeMatrix3d inv = qd::db::ecsToWcs(m_normal).inverse();
  const AcGeVector3d local = inv.applyTo(newDir);
  m_rotation = std::atan2(local.y, local.x);
  if (m_rotation < 0) m_rotation += 2 * M_PI;
  if (backwards && !isDefaultAlignment()) adjustAlignment();
  return Acad::eOk;
}

void AcDbText::writeTextGroups(AcDbDxfFiler* f) const {
  const bool all = f->includesDefaultValues();
  writeThickness(f, m_thickness);
  f->writePoint3d(10, m_position);
  f->writeDouble(40, m_height);
  f->writeString(1, m_text.c_str());
  if (all || m_rotation != 0) f->writeDouble(50, m_rotation);
  if (all || m_widthFactor != 1) f->writeDouble(41, m_widthFactor);
  if (all || m_oblique != 0) f->writeDouble(51, m_oblique);
  f->writeString(7, m_style.c_str());
  if (all || m_generation != 0) f->writeInt16(71, m_generation);
  if (all || m_hmode != 0) f->writeInt16(72, static_cast<int16_t>(m_hmode));
  if (all || !isDefaultAlignment()) f->writePoint3d(11, m_alignment);
  writeNormal(f, m_normal);
}

bool AcDbText::readTextGroup(const resbuf& rb) {
  switch (rb.restype) {
    case 1: m_text = rb.resval.rstring; return true;
    case 7: m_style = rb.resval.rstring; return true;
    case 10: m_position = toPoint(rb); return true;
    case 11: m_alignment = toPoint(rb); return true;
    case 39: m_thickness = rb.resval.rreal; return true;
    case 40: m_height = rb.resval.rreal; return true;
    case 41: m_widthFactor = rb.resval.rreal; return true;
    case 50: m_rotation = rb.resval.rreal; return true;
    case 51: m_oblique = rb.resval.rreal; return true;
    case 71: m_generation = rb.resval.rint; return true;
    case 72: m_hmode = horzModeOf(rb.resval.rint); return true;
    case 210: m_normal = toVector(rb).normal(); return true;
  }
  return false;
}

Acad::ErrorStatus AcDbText::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbText");
  writeTextGroups(f);
  f->writeString(100, u"AcDbText");
  if (f->includesDefaultValues() || m_vmode != 0) f->writeInt16(73, static_cast<int16_t>(m_vmode));
  return f->filerStatus();
}
Acad::ErrorStatus AcDbText::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  bool alignmentGiven = false;
  readGroups(f, [&](const resbuf& rb) {
    if (rb.restype == 11) alignmentGiven = true;
    if (readTextGroup(rb)) return;
    if (rb.restype == 73) m_vmode = vertModeOf(rb.resval.rint);
  });
  settleAlignment(alignmentGiven, f->database());
  return f->filerStatus();
}
void AcDbText::settleAlignment(bool alignmentGiven, AcDbDatabase* db) {
  // A justified text without an alignment point is aligned at its start point; the start
  // point of any justified text follows from its alignment point and its box, as the
  // host places it, whatever group 10 said.
  if (!alignmentGiven && !isDefaultAlignment()) m_alignment = m_position;
  if (!isDefaultAlignment()) adjustAlignment(db);
}
QD_DEFINE_DWG_VIA_DXF(AcDbText)

// ---- ATTDEF and ATTRIB ----
Acad::ErrorStatus AcDbAttributeDefinition::setTag(const ACHAR* tag) {
  if (!tag || !*tag) return Acad::eInvalidInput;
  m_tag = qd::text::toUpper(tag);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const ACHAR* prompt) {
  m_prompt = prompt ? prompt : u"";
  return Acad::eOk;
}
Acad::ErrorStatus AcDbAttributeDefinition::setInvisible(bool v) {
  m_flags = static_cast<int16_t>(v ? (m_flags | 1) : (m_flags & ~1));
  return Acad::eOk;
}
Acad::ErrorStatus AcDbAttributeDefinition::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbText");
  writeTextGroups(f);
  f->writeString(100, u"AcDbAttributeDefinition");
  f->writeString(3, m_prompt.c_str());
  f->writeString(2, m_tag.c_str());
  f->writeInt16(70, m_flags);
  if (f->includesDefaultValues() || m_vmode != 0) f->writeInt16(74, static_cast<int16_t>(m_vmode));
  return f->filerStatus();
}
Acad::ErrorStatus AcDbAttributeDefinition::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  readGroups(f, [&](const resbuf& rb) {
    if (readTextGroup(rb)) return;
    switch (rb.restype) {
      case 2: m_tag = rb.resval.rstring; break;
      case 3: m_prompt = rb.resval.rstring; break;
      case 70: m_flags = rb.resval.rint; break;
      case 74:
        m_vmode = static_cast<AcDb::TextVertMode>(rb.resval.rint >= 0 && rb.resval.rint <= 3 ? rb.resval.rint : 0);
        break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbAttributeDefinition)

Acad::ErrorStatus AcDbAttribute::setTag(const ACHAR* tag) {
  if (!tag || !*tag) return Acad::eInvalidInput;
  m_tag = qd::text::toUpper(tag);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbAttribute::setInvisible(bool v) {
  m_flags = static_cast<int16_t>(v ? (m_flags | 1) : (m_flags & ~1));
  return Acad::eOk;
}
Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* def, const AcGeMatrix3d& xform) {
  m_text = def->textStringConst();
  m_tag = def->tagConst();
  m_flags = def->isInvisible() ? 1 : 0;
  m_style = def->textStyleName();
  m_height = def->height();
  m_rotation = def->rotation();
  m_widthFactor = def->widthFactor();
  m_oblique = def->oblique();
  m_hmode = def->horizontalMode();
  m_vmode = def->verticalMode();
  m_position = def->position();
  m_alignment = def->alignmentPoint();
  m_normal = def->normal();
  setPropertiesFrom(def);
  return transformBy(xform);
}
Acad::ErrorStatus AcDbAttribute::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDbText");
  writeTextGroups(f);
  f->writeString(100, u"AcDbAttribute");
  f->writeString(2, m_tag.c_str());
  f->writeInt16(70, m_flags);
  if (f->includesDefaultValues() || m_vmode != 0) f->writeInt16(74, static_cast<int16_t>(m_vmode));
  qd::db::writeKeptGroups(f, m_kept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbAttribute::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_kept.clear();
  bool alignmentGiven = false;
  // The text's groups and the attribute's share codes (71, 72): each is read in its own
  // subclass; the attribute's groups not modelled here are kept.
  qd::db::readGroupsBySubclass(f, [&](std::u16string_view subclass, const resbuf& rb) {
    const bool text = subclass.empty() || subclass == u"AcDbText";
    const bool attribute = subclass.empty() || subclass == u"AcDbAttribute";
    if (text && rb.restype == 11) alignmentGiven = true;
    if (text && readTextGroup(rb)) return;
    if (attribute) {
      switch (rb.restype) {
        case 2: m_tag = rb.resval.rstring; return;
        case 70: m_flags = rb.resval.rint; return;
        case 74:
          m_vmode = static_cast<AcDb::TextVertMode>(rb.resval.rint >= 0 && rb.resval.rint <= 3 ? rb.resval.rint : 0);
          return;
      }
    }
    if (!subclass.empty() && !text) qd::db::keepGroup(m_kept, f, rb);
  });
  // A justified attribute without an alignment point is aligned at its start point, and
  // its start point follows from its alignment point, as for a text.
  if (!alignmentGiven && !isDefaultAlignment()) m_alignment = m_position;
  if (!isDefaultAlignment()) adjustAlignment(f->database());
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbAttribute)

// ---- SEQEND ----
Acad::ErrorStatus AcDbSequenceEnd::dxfOutFields(AcDbDxfFiler* f) const { return AcDbEntity::dxfOutFields(f); }
Acad::ErrorStatus AcDbSequenceEnd::dxfInFields(AcDbDxfFiler* f) {
  Acad::ErrorStatus es = AcDbEntity::dxfInFields(f);
  readGroups(f, [](const resbuf&) {});
  return es;
}
QD_DEFINE_DWG_VIA_DXF(AcDbSequenceEnd)

// ---- complex entities ----
AcDbComplexEntity::~AcDbComplexEntity() {
  for (AcDbEntity* e : m_pending) delete e;
}

AcDbObjectIdArray AcDbComplexEntity::ownedIds() const {
  AcDbObjectIdArray ids = m_subs;
  if (!m_seqEnd.isNull()) ids.append(m_seqEnd);
  return ids;
}

Acad::ErrorStatus AcDbComplexEntity::appendSubEntity(AcDbEntity* sub, AcDbObjectId& id) {
  if (!sub) return Acad::eNullEntityPointer;
  auto* d = implOf(database());
  if (!d) {
    m_pending.push_back(sub);
    id.setNull();
    return Acad::eOk;
  }
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!sub->isNewObject()) return Acad::eAlreadyInDb;
  if (sub->layer()[0] == u'0' && sub->layer()[1] == 0) sub->setPropertiesFrom(this);
  id = d->add(sub, objectId());
  AcDbObjectAccess::writer(sub) = true;  // open for write until the caller closes it
  m_subs.append(id);
  makeSequenceEnd();
  return Acad::eOk;
}

void AcDbComplexEntity::makeSequenceEnd() {
  auto* d = implOf(database());
  if (!d || !m_seqEnd.isNull()) return;
  auto* end = new AcDbSequenceEnd();
  end->setPropertiesFrom(this);
  m_seqEnd = d->add(end, objectId());
}

Acad::ErrorStatus AcDbComplexEntity::subErase(bool erasing) {
  for (const AcDbObjectId& id : ownedIds()) {
    if (AcDbObject* o = implOf(database())->peek(id)) AcDbObjectAccess::setErased(o, erasing);
  }
  return Acad::eOk;
}

void AcDbComplexEntity::writeOwnedIds(AcDbDwgFiler* f) const {
  f->writeUInt32(static_cast<uint32_t>(m_subs.length()));
  for (const auto& id : m_subs) f->writeHardOwnershipId(id);
  f->writeHardOwnershipId(m_seqEnd);
}
Acad::ErrorStatus AcDbComplexEntity::readOwnedIds(AcDbDwgFiler* f) {
  uint32_t n = 0;
  if (f->readUInt32(&n) != Acad::eOk) return f->filerStatus();
  m_subs.removeAll();
  for (uint32_t i = 0; i < n && f->filerStatus() == Acad::eOk; ++i) {
    AcDbObjectId id;
    f->readHardOwnershipId(&id);
    m_subs.append(id);
  }
  f->readHardOwnershipId(&m_seqEnd);
  return f->filerStatus();
}

// ---- INSERT ----
AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId block)
    : m_block(block), m_position(position) {}
Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
  m_block = id;
  m_pendingBlockName.clear();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) {
  m_position = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeVector3d& s) {
  if (s.x == 0 || s.y == 0 || s.z == 0) return Acad::eInvalidInput;
  m_scale = s;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setRotation(double r) {
  m_rotation = r;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& n) {
  if (n.isZeroLength()) return Acad::eInvalidInput;
  m_normal = n.normal();
  return Acad::eOk;
}
AcGeMatrix3d AcDbBlockReference::blockTransform() const {
  AcGePoint3d origin;
  auto* d = implOf(m_block.database());
  if (auto* btr = d ? AcDbBlockTableRecord::cast(d->peek(m_block)) : nullptr) origin = btr->origin();
  AcGeMatrix3d scale;
  scale.entry[0][0] = m_scale.x;
  scale.entry[1][1] = m_scale.y;
  scale.entry[2][2] = m_scale.z;
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  // The position is in world coordinates here.
  return AcGeMatrix3d::translation(m_position.asVector()) * ecs *
         AcGeMatrix3d::rotation(m_rotation, AcGeVector3d::kZAxis) * scale *
         AcGeMatrix3d::translation(-origin.asVector());
}
Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attr) {
  AcDbObjectId id;
  return appendAttribute(id, attr);
}
Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attr) {
  return appendSubEntity(attr, id);
}
bool AcDbBlockReference::worldDraw(AcGiWorldDraw* mode) {
  auto* d = implOf(m_block.database());
  auto* btr = d ? AcDbBlockTableRecord::cast(d->peek(m_block)) : nullptr;
  if (!btr) return true;
  if (mode->geometry().pushModelTransform(blockTransform())) return true;
  for (const AcDbObjectId& id : btr->entityIds()) {
    auto* ent = AcDbEntity::cast(d->peek(id));
    if (ent && !ent->isErased() && !AcDbAttributeDefinition::cast(ent)) mode->geometry().draw(ent);
  }
  mode->geometry().popModelTransform();
  for (const AcDbObjectId& id : attributeIds()) {
    auto* attr = AcDbAttribute::cast(d->peek(id));
    if (attr && !attr->isErased() && !attr->isInvisible()) mode->geometry().draw(attr);
  }
  return true;
}
Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& e) const {
  return qd::db::extentsFromDrawing(const_cast<AcDbBlockReference*>(this), e);
}
Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& m) {
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d xdir = ecs.applyTo(AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0));
  m_position.transformBy(m);
  const double s = m.scale();
  m_scale = m_scale * s;
  m_normal = transformNormal(m, m_normal);
  const AcGeVector3d local = qd::db::ecsToWcs(m_normal).inverse().applyTo(m.applyTo(xdir));
  m_rotation = std::atan2(local.y, local.x);
  if (m.det3() < 0) m_scale.x = -m_scale.x;
  if (auto* d = implOf(database())) {
    for (const AcDbObjectId& id : attributeIds())
      if (auto* attr = AcDbAttribute::cast(d->peek(id))) attr->transformBy(m);
  }
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::explode(AcDbVoidPtrArray& set) const {
  auto* d = implOf(m_block.database());
  auto* btr = d ? AcDbBlockTableRecord::cast(d->peek(m_block)) : nullptr;
  if (!btr) return Acad::eInvalidInput;
  const AcGeMatrix3d xform = blockTransform();
  for (const AcDbObjectId& id : btr->entityIds()) {
    auto* ent = AcDbEntity::cast(d->peek(id));
    if (!ent || ent->isErased() || AcDbAttributeDefinition::cast(ent)) continue;
    auto* copy = AcDbEntity::cast(ent->isA()->create());
    if (!copy) continue;
    qd::db::MemoryDwgFiler filer(d->self, AcDb::kCopyFiler);
    ent->dwgOutFields(&filer);
    qd::db::MemoryDwgFiler in(d->self, filer.bytes(), AcDb::kCopyFiler);
    copy->dwgInFields(&in);
    copy->transformBy(xform);
    set.append(copy);
  }
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  const bool all = f->includesDefaultValues();
  f->writeString(100, u"AcDbBlockReference");
  if (!attributeIds().isEmpty()) f->writeInt16(66, 1);
  auto* d = implOf(m_block.database());
  auto* btr = d ? AcDbBlockTableRecord::cast(d->peek(m_block)) : nullptr;
  f->writeString(2, btr ? btr->nameConst() : m_pendingBlockName.c_str());
  f->writePoint3d(10, isDefaultNormal(m_normal) ? m_position : qd::db::ecsToWcs(m_normal).inverse() * m_position);
  if (all || m_scale.x != 1) f->writeDouble(41, m_scale.x);
  if (all || m_scale.y != 1) f->writeDouble(42, m_scale.y);
  if (all || m_scale.z != 1) f->writeDouble(43, m_scale.z);
  if (all || m_rotation != 0) f->writeDouble(50, m_rotation);
  writeNormal(f, m_normal);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbBlockReference::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  AcGePoint3d ocs;
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 2: fileBlockName(rb.resval.rstring, f->database()); break;
      case 10: ocs = toPoint(rb); break;
      case 41: m_scale.x = rb.resval.rreal; break;
      case 42: m_scale.y = rb.resval.rreal; break;
      case 43: m_scale.z = rb.resval.rreal; break;
      case 50: m_rotation = rb.resval.rreal; break;
      case 210: m_normal = toVector(rb).normal(); break;
      // Columns and rows of a MINSERT (70, 71, 44, 45) and the rest are kept.
      case 66: break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  m_position = worldCentre(m_normal, ocs);
  return f->filerStatus();
}
void AcDbBlockReference::fileBlockName(const std::u16string& name, AcDbDatabase* db) {
  m_pendingBlockName = name;
  m_block.setNull();
  auto* d = implOf(db);
  if (d) m_block = d->recordId(d->blockTable, m_pendingBlockName);
  if (!m_block.isNull()) m_pendingBlockName.clear();
}
Acad::ErrorStatus AcDbBlockReference::dwgOutFields(AcDbDwgFiler* f) const {
  qd::db::dwgOutViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDbBlockReference::dxfOutFields(d); });
  f->writeHardPointerId(m_block);
  writeOwnedIds(f);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbBlockReference::dwgInFields(AcDbDwgFiler* f) {
  qd::db::dwgInViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDbBlockReference::dxfInFields(d); });
  f->readHardPointerId(&m_block);
  if (!m_block.isNull()) m_pendingBlockName.clear();
  return readOwnedIds(f);
}

// ---- POLYLINE and VERTEX ----
Acad::ErrorStatus AcDb2dVertex::setPosition(const AcGePoint3d& p) {
  m_pos = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDb2dVertex::setBulge(double b) {
  m_bulge = b;
  return Acad::eOk;
}
Acad::ErrorStatus AcDb2dVertex::transformBy(const AcGeMatrix3d& m) {
  m_pos.transformBy(m);
  return Acad::eOk;
}
Acad::ErrorStatus AcDb2dVertex::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  const bool all = f->includesDefaultValues();
  f->writeString(100, u"AcDbVertex");
  f->writeString(100, u"AcDb2dVertex");
  f->writePoint3d(10, m_pos);
  if (all || m_startWidth != 0) f->writeDouble(40, m_startWidth);
  if (all || m_endWidth != 0) f->writeDouble(41, m_endWidth);
  if (all || m_bulge != 0) f->writeDouble(42, m_bulge);
  f->writeInt16(70, m_flags);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDb2dVertex::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: m_pos = toPoint(rb); break;
      case 40: m_startWidth = rb.resval.rreal; break;
      case 41: m_endWidth = rb.resval.rreal; break;
      case 42: m_bulge = rb.resval.rreal; break;
      case 70: m_flags = rb.resval.rint; break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDb2dVertex)

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* v) {
  AcDbObjectId id;
  return appendVertex(id, v);
}
Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* v) { return appendSubEntity(v, id); }
Acad::ErrorStatus AcDb2dPolyline::makeClosed() {
  m_flags |= 1;
  return Acad::eOk;
}
Acad::ErrorStatus AcDb2dPolyline::makeOpen() {
  m_flags &= ~1;
  return Acad::eOk;
}
std::vector<AcGePoint3d> AcDb2dPolyline::vertexPoints() const {
  std::vector<AcGePoint3d> pts;
  auto* d = implOf(database());
  if (!d) return pts;
  for (const AcDbObjectId& id : vertexIds())
    if (auto* v = AcDb2dVertex::cast(d->peek(id))) pts.push_back(v->position());
  return pts;
}
bool AcDb2dPolyline::worldDraw(AcGiWorldDraw* mode) {
  std::vector<qd::db::PlanarVertex> verts;
  if (auto* d = implOf(database()))
    for (const AcDbObjectId& id : vertexIds())
      if (auto* v = AcDb2dVertex::cast(d->peek(id)))
        verts.push_back({AcGePoint2d(v->position().x, v->position().y), v->bulge(), v->startWidth(), v->endWidth()});
  return qd::db::drawPlanar(mode, verts, isClosed(), m_normal, m_elevation);
}
Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& e) const {
  return qd::db::extentsFromDrawing(const_cast<AcDb2dPolyline*>(this), e);
}
Acad::ErrorStatus AcDb2dPolyline::transformBy(const AcGeMatrix3d& m) {
  auto* d = implOf(database());
  if (!d) return Acad::eNotApplicable;
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d newNormal = transformNormal(m, m_normal);
  const AcGeMatrix3d toNew = qd::db::ecsToWcs(newNormal).inverse() * m * ecs;
  for (const AcDbObjectId& id : vertexIds()) {
    if (auto* v = AcDb2dVertex::cast(d->peek(id))) {
      AcGePoint3d p = v->position();
      p.z = m_elevation;
      p.transformBy(toNew);
      m_elevation = p.z;
      p.z = 0;
      v->setPosition(p);
    }
  }
  m_normal = newNormal;
  return Acad::eOk;
}
Acad::ErrorStatus AcDb2dPolyline::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  f->writeString(100, u"AcDb2dPolyline");
  f->writeInt16(66, 1);
  f->writePoint3d(10, AcGePoint3d(0, 0, m_elevation));
  f->writeInt16(70, m_flags);
  writeNormal(f, m_normal);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDb2dPolyline::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: m_elevation = rb.resval.rpoint[2]; break;
      case 70: m_flags = rb.resval.rint; break;
      case 210: m_normal = toVector(rb).normal(); break;
      // Default widths (40, 41), mesh counts and smoothing (71 to 75), thickness are kept.
      case 66: break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  return f->filerStatus();
}
Acad::ErrorStatus AcDb2dPolyline::dwgOutFields(AcDbDwgFiler* f) const {
  qd::db::dwgOutViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDb2dPolyline::dxfOutFields(d); });
  writeOwnedIds(f);
  return f->filerStatus();
}
Acad::ErrorStatus AcDb2dPolyline::dwgInFields(AcDbDwgFiler* f) {
  qd::db::dwgInViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDb2dPolyline::dxfInFields(d); });
  return readOwnedIds(f);
}

// ---- LWPOLYLINE ----
Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                            double startWidth, double endWidth) {
  if (index > m_verts.size()) return Acad::eInvalidIndex;
  Vertex v;
  v.pt = pt;
  v.bulge = bulge;
  v.startWidth = startWidth < 0 ? 0 : startWidth;
  v.endWidth = endWidth < 0 ? 0 : endWidth;
  m_verts.insert(m_verts.begin() + index, v);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int i, AcGePoint3d& pt) const {
  if (i >= m_verts.size()) return Acad::eInvalidIndex;
  pt = qd::db::ecsToWcs(m_normal) * AcGePoint3d(m_verts[i].pt.x, m_verts[i].pt.y, m_elevation);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int i, double& bulge) const {
  if (i >= m_verts.size()) return Acad::eInvalidIndex;
  bulge = m_verts[i].bulge;
  return Acad::eOk;
}
void AcDbPolyline::setClosed(bool closed) { m_flags = static_cast<int16_t>(closed ? (m_flags | 1) : (m_flags & ~1)); }
void AcDbPolyline::setElevation(double e) { m_elevation = e; }
// A segment with a bulge is an arc: the bulge is the tangent of a quarter of its angle,
// positive counter-clockwise. Its points after the start, in the polyline's own plane.
void qd::db::appendArc(std::vector<AcGePoint2d>& out, const AcGePoint2d& from, const AcGePoint2d& to, double bulge) {
  const double cx = to.x - from.x, cy = to.y - from.y;
  if (bulge == 0 || (cx == 0 && cy == 0)) {
    out.push_back(to);
    return;
  }
  const double angle = 4 * std::atan(bulge);
  // The centre lies off the chord's middle, to its left for a counter-clockwise arc.
  const double off = 0.5 / std::tan(angle / 2);
  const AcGePoint2d centre(from.x + cx * 0.5 - cy * off, from.y + cy * 0.5 + cx * off);
  const double radius = std::hypot(from.x - centre.x, from.y - centre.y);
  const double start = std::atan2(from.y - centre.y, from.x - centre.x);
  const int steps = std::max(4, static_cast<int>(std::ceil(std::fabs(angle) / (M_PI / 32))));
  for (int k = 1; k < steps; ++k) {
    const double a = start + angle * k / steps;
    out.emplace_back(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
  }
  out.push_back(to);
}

// The segments of a polyline in its plane: lines and arcs by bulge, drawn as one stroke;
// segments with a width are filled bands, narrowing or widening along their length.
bool qd::db::drawPlanar(AcGiWorldDraw* mode, const std::vector<PlanarVertex>& v, bool closed,
                        const AcGeVector3d& normal, double elevation) {
  if (v.size() < 2) return true;
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(normal);
  auto world = [&](const std::vector<AcGePoint2d>& plane) {
    std::vector<AcGePoint3d> pts;
    pts.reserve(plane.size());
    for (const auto& p : plane) pts.push_back(ecs * AcGePoint3d(p.x, p.y, elevation));
    return pts;
  };
  const size_t segments = closed ? v.size() : v.size() - 1;
  const bool wide = std::any_of(v.begin(), v.end(), [](const PlanarVertex& x) { return x.startWidth > 0 || x.endWidth > 0; });
  if (!wide) {
    std::vector<AcGePoint2d> plane{v.front().pt};
    for (size_t i = 0; i < segments; ++i) qd::db::appendArc(plane, v[i].pt, v[(i + 1) % v.size()].pt, v[i].bulge);
    const auto pts = world(plane);
    return mode->geometry().polyline(static_cast<uint32_t>(pts.size()), pts.data(), &normal);
  }
  for (size_t i = 0; i < segments; ++i) {
    std::vector<AcGePoint2d> path{v[i].pt};
    qd::db::appendArc(path, v[i].pt, v[(i + 1) % v.size()].pt, v[i].bulge);
    const double w0 = v[i].startWidth, w1 = v[i].endWidth;
    if (w0 <= 0 && w1 <= 0) {
      const auto pts = world(path);
      mode->geometry().polyline(static_cast<uint32_t>(pts.size()), pts.data(), &normal);
      continue;
    }
    std::vector<double> along{0};
    for (size_t k = 1; k < path.size(); ++k)
      along.push_back(along.back() + std::hypot(path[k].x - path[k - 1].x, path[k].y - path[k - 1].y));
    if (!(along.back() > 0)) continue;
    std::vector<AcGePoint2d> left, right;
    for (size_t k = 0; k < path.size(); ++k) {
      // The direction at a point: of its segment, or the mean of the two it joins.
      const AcGePoint2d& a = path[k > 0 ? k - 1 : 0];
      const AcGePoint2d& b = path[k + 1 < path.size() ? k + 1 : k];
      double dx = b.x - a.x, dy = b.y - a.y;
      const double len = std::hypot(dx, dy);
      if (len > 0) dx /= len, dy /= len;
      const double half = (w0 + (w1 - w0) * along[k] / along.back()) / 2;
      left.emplace_back(path[k].x - dy * half, path[k].y + dx * half);
      right.emplace_back(path[k].x + dy * half, path[k].y - dx * half);
    }
    left.insert(left.end(), right.rbegin(), right.rend());
    const auto band = world(left);
    mode->subEntityTraits().setFillType(kAcGiFillAlways);
    mode->geometry().polygon(static_cast<uint32_t>(band.size()), band.data());
    mode->subEntityTraits().setFillType(kAcGiFillNever);
  }
  return true;
}

bool AcDbPolyline::worldDraw(AcGiWorldDraw* mode) {
  std::vector<qd::db::PlanarVertex> verts;
  for (const Vertex& v : m_verts) {
    const bool constant = m_constantWidth > 0;
    verts.push_back({v.pt, v.bulge, constant ? m_constantWidth : v.startWidth, constant ? m_constantWidth : v.endWidth});
  }
  return qd::db::drawPlanar(mode, verts, isClosed(), m_normal, m_elevation);
}
// The extents of what is drawn, arcs of bulged segments included.
Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& e) const {
  return qd::db::extentsFromDrawing(const_cast<AcDbPolyline*>(this), e);
}
Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& m) {
  const AcGeMatrix3d ecs = qd::db::ecsToWcs(m_normal);
  const AcGeVector3d newNormal = transformNormal(m, m_normal);
  const AcGeMatrix3d toNew = qd::db::ecsToWcs(newNormal).inverse() * m * ecs;
  for (auto& v : m_verts) {
    AcGePoint3d p(v.pt.x, v.pt.y, m_elevation);
    p.transformBy(toNew);
    v.pt = AcGePoint2d(p.x, p.y);
    m_elevation = p.z;
    if (m.det3() < 0) v.bulge = -v.bulge;
  }
  m_normal = newNormal;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbPolyline::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  const bool all = f->includesDefaultValues();
  f->writeString(100, u"AcDbPolyline");
  f->writeInt32(90, static_cast<int32_t>(m_verts.size()));
  f->writeInt16(70, m_flags);
  if (all || m_constantWidth != 0) f->writeDouble(43, m_constantWidth);
  if (all || m_elevation != 0) f->writeDouble(38, m_elevation);
  for (const Vertex& v : m_verts) {
    f->writePoint2d(10, v.pt);
    if (all || v.startWidth != 0) f->writeDouble(40, v.startWidth);
    if (all || v.endWidth != 0) f->writeDouble(41, v.endWidth);
    if (all || v.bulge != 0) f->writeDouble(42, v.bulge);
  }
  writeNormal(f, m_normal);
  qd::db::writeKeptGroups(f, m_ownKept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbPolyline::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  m_ownKept.clear();
  m_verts.clear();
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: {
        Vertex v;
        v.pt = AcGePoint2d(rb.resval.rpoint[0], rb.resval.rpoint[1]);
        m_verts.push_back(v);
        break;
      }
      case 40: if (!m_verts.empty()) m_verts.back().startWidth = rb.resval.rreal; break;
      case 41: if (!m_verts.empty()) m_verts.back().endWidth = rb.resval.rreal; break;
      case 42: if (!m_verts.empty()) m_verts.back().bulge = rb.resval.rreal; break;
      case 43: m_constantWidth = rb.resval.rreal; break;
      case 38: m_elevation = rb.resval.rreal; break;
      case 70: m_flags = rb.resval.rint; break;
      case 210: m_normal = toVector(rb).normal(); break;
      // The count follows from the vertices; a vertex's own id (91) stands with it and is
      // not kept apart from it.
      case 90: case 91: break;
      default: qd::db::keepOwnGroup(m_ownKept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbPolyline)

// ---- objects and entities of unknown classes ----
namespace {
// Keeps every group a tag filer has left, less those `drop` names (given the groups and
// the index of one), and uses them up.
template <class Drop>
std::string keepRemainingGroups(AcDbDxfFiler* f, Drop drop) {
  auto* tf = dynamic_cast<qd::db::TagFiler*>(f);
  if (!tf) return {};
  const qd::db::Tags& all = tf->readTags();
  qd::db::Tags rest;
  for (size_t i = tf->position(); i < all.size(); ++i)
    if (!drop(all, i)) rest.push_back(all[i]);
  tf->seek(all.size());
  std::string kept;
  qd::db::keepTags(kept, f->database(), rest);
  return kept;
}

// The subclass of an entity type's own groups, for entities read without markers (R12,
// entmake) and written into a file that has them.
const char16_t* subclassOf(std::u16string_view type) {
  static const std::pair<const char16_t*, const char16_t*> kinds[] = {
      {u"SOLID", u"AcDbTrace"},    {u"TRACE", u"AcDbTrace"},       {u"3DFACE", u"AcDbFace"},
      {u"MTEXT", u"AcDbMText"},    {u"ELLIPSE", u"AcDbEllipse"},   {u"HATCH", u"AcDbHatch"},
      {u"VIEWPORT", u"AcDbViewport"}, {u"SPLINE", u"AcDbSpline"}, {u"RAY", u"AcDbRay"},
      {u"XLINE", u"AcDbXline"},    {u"LEADER", u"AcDbLeader"},     {u"TOLERANCE", u"AcDbFcf"},
      {u"SHAPE", u"AcDbShape"},    {u"DIMENSION", u"AcDbDimension"}, {u"MLINE", u"AcDbMline"},
      {u"MULTILEADER", u"AcDbMLeader"}, {u"IMAGE", u"AcDbRasterImage"}, {u"MESH", u"AcDbSubDMesh"},
      {u"LIGHT", u"AcDbLight"},    {u"OLE2FRAME", u"AcDbOle2Frame"}, {u"REGION", u"AcDbModelerGeometry"},
      {u"BODY", u"AcDbModelerGeometry"}};
  for (const auto& [name, subclass] : kinds)
    if (type == name) return subclass;
  return nullptr;
}

// A dimension's second subclass, by its type (the low bits of group 70), and the groups
// that stand in it.
void dimensionSubclasses(qd::db::Tags& tags) {
  int kind = 0;
  for (const auto& t : tags)
    if (t.code == 70) kind = static_cast<int>(t.integer & 7);
  static const char16_t* const second[] = {u"AcDbAlignedDimension",     u"AcDbAlignedDimension",
                                           u"AcDb2LineAngularDimension", u"AcDbDiametricDimension",
                                           u"AcDbRadialDimension",       u"AcDb3PointAngularDimension",
                                           u"AcDbOrdinateDimension",     u"AcDbAlignedDimension"};
  // The definition points, leader length and angles stand in the second subclass, as
  // files have them; a rotated dimension ends with its own, empty, marker.
  auto own = [](int code) {
    return code == 13 || code == 14 || code == 15 || code == 16 || code == 40 || code == 50 || code == 52;
  };
  qd::db::Tags common, specific;
  for (auto& t : tags) (own(t.code) ? specific : common).push_back(t);
  tags = {qd::db::Tag::makeString(100, u"AcDbDimension")};
  tags.insert(tags.end(), common.begin(), common.end());
  tags.push_back(qd::db::Tag::makeString(100, second[kind]));
  tags.insert(tags.end(), specific.begin(), specific.end());
  if (kind == 0) tags.push_back(qd::db::Tag::makeString(100, u"AcDbRotatedDimension"));
}

// Markers for the groups of a known entity type that came without them.
void addSubclassMarkers(std::u16string_view type, qd::db::Tags& tags) {
  const char16_t* subclass = subclassOf(type);
  if (!subclass || std::any_of(tags.begin(), tags.end(), [](const qd::db::Tag& t) { return t.code == 100; })) return;
  if (type == u"DIMENSION") return dimensionSubclasses(tags);
  tags.insert(tags.begin(), qd::db::Tag::makeString(100, subclass));
}
}  // namespace

bool qd::db::isKnownEntityType(std::u16string_view type) { return subclassOf(type) != nullptr; }

bool AcDbUnknownEntity::worldDraw(AcGiWorldDraw* mode) {
  if (qd::db::drawKeptEntity(m_dxfName, qd::db::keptGroups(database(), m_groups), database(), mode)) return true;
  // An entity of a class not loaded shows the picture its class recorded, if any.
  qd::db::drawProxyGraphics(qd::db::keptProxyGraphics(this), database(), mode);
  return true;
}
Acad::ErrorStatus AcDbUnknownEntity::getGeomExtents(AcDbExtents& e) const {
  return qd::db::extentsFromDrawing(const_cast<AcDbUnknownEntity*>(this), e);
}

Acad::ErrorStatus AcDbUnknownEntity::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbEntity::dxfOutFields(f);
  qd::db::Tags tags = qd::db::keptGroups(f->database(), m_groups);
  addSubclassMarkers(m_dxfName, tags);
  qd::db::writeTags(f, tags);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbUnknownEntity::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
  auto* tf = dynamic_cast<qd::db::TagFiler*>(f);
  // Without subclass markers the entity's common groups were read already.
  const bool markers = tf && std::any_of(tf->readTags().begin() + static_cast<long>(tf->position()), tf->readTags().end(),
                                         [](const qd::db::Tag& t) { return t.code == 100; });
  m_groups = keepRemainingGroups(f, [markers](const qd::db::Tags& tags, size_t i) {
    return !markers && qd::db::isCommonEntityCode(tags[i].code) && !qd::db::isOwnCodeAmongCommon(tags, i);
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbUnknownEntity)

Acad::ErrorStatus AcDbUnknownObject::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbObject::dxfOutFields(f);
  qd::db::writeKeptGroups(f, m_groups);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbUnknownObject::dxfInFields(AcDbDxfFiler* f) {
  if (Acad::ErrorStatus es = AcDbObject::dxfInFields(f); es != Acad::eOk) return es;
  m_groups = keepRemainingGroups(f, [](const qd::db::Tags&, size_t) { return false; });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbUnknownObject)

void AcDbComplexAccess::adopt(AcDbComplexEntity* c) {
  auto* d = implOf(c->database());
  std::vector<AcDbEntity*> pending;
  pending.swap(c->m_pending);
  for (AcDbEntity* sub : pending) {
    if (std::u16string_view(sub->layer()) == u"0") sub->setPropertiesFrom(c);
    c->m_subs.append(d->add(sub, c->objectId()));
  }
  if (!pending.empty() || AcDb2dPolyline::cast(c)) c->makeSequenceEnd();
}

// ---- made straight from their values, as dxfInFields makes them of their groups ----
// A name or a string is taken up to its first NUL, as a result buffer's string hands it
// over: a value that holds one is damaged, and is read alike either way.
void AcDbDirectFiling::fileCommon(AcDbEntity* e, const qd::db::DirectFields& f, const qd::db::DirectNames& names) {
  using F = qd::db::DirectFields;
  if (names.layer) e->m_layer = *names.layer;
  if (names.linetype) e->m_linetype = *names.linetype;
  if (f.has(F::kColor)) e->m_color = f.color;
  if (f.has(F::kLineWeight)) e->m_lineWeight = f.lineWeight;
  if (f.has(F::kLtScale)) e->m_ltScale = f.ltScale;
  if (f.has(F::kVisible)) e->m_visible = f.visible;
}

AcDbEntity* AcDbDirectFiling::make(const qd::db::DirectFields& f, const qd::db::DirectNames& names,
                                   AcDbDatabase* db) {
  using F = qd::db::DirectFields;
  switch (f.kind) {
    case F::Kind::Line: {
      auto* line = new AcDbLine();
      fileCommon(line, f, names);
      if (f.has(F::kFirst)) line->m_start = f.first;
      if (f.has(F::kSecond)) line->m_end = f.second;
      if (f.has(F::kThickness)) line->m_thickness = f.thickness;
      if (f.has(F::kNormal)) line->m_normal = f.normal;
      return line;
    }
    case F::Kind::Circle: {
      auto* circle = new AcDbCircle();
      fileCommon(circle, f, names);
      if (f.has(F::kRadius)) circle->m_radius = f.radius;
      if (f.has(F::kThickness)) circle->m_thickness = f.thickness;
      if (f.has(F::kNormal)) circle->m_normal = f.normal.normal();
      circle->m_center = worldCentre(circle->m_normal, f.has(F::kFirst) ? f.first : AcGePoint3d());
      return circle;
    }
    case F::Kind::Text: {
      auto* text = new AcDbText();
      fileCommon(text, f, names);
      if (f.has(F::kText)) text->m_text = f.text.c_str();
      if (names.style) text->m_style = *names.style;
      if (f.has(F::kFirst)) text->m_position = f.first;
      if (f.has(F::kSecond)) text->m_alignment = f.second;
      if (f.has(F::kThickness)) text->m_thickness = f.thickness;
      if (f.has(F::kHeight)) text->m_height = f.height;
      if (f.has(F::kWidthFactor)) text->m_widthFactor = f.widthFactor;
      if (f.has(F::kRotation)) text->m_rotation = f.rotation;
      if (f.has(F::kOblique)) text->m_oblique = f.oblique;
      if (f.has(F::kGeneration)) text->m_generation = f.generation;
      if (f.has(F::kHorizontal)) text->m_hmode = horzModeOf(f.horizontal);
      if (f.has(F::kVertical)) text->m_vmode = vertModeOf(f.vertical);
      if (f.has(F::kNormal)) text->m_normal = f.normal.normal();
      text->settleAlignment(f.has(F::kSecond), db);
      return text;
    }
    case F::Kind::Insert: {
      auto* ref = new AcDbBlockReference();
      fileCommon(ref, f, names);
      if (f.has(F::kBlock)) ref->fileBlockName(f.block.c_str(), db);
      if (f.has(F::kScaleX)) ref->m_scale.x = f.scale.x;
      if (f.has(F::kScaleY)) ref->m_scale.y = f.scale.y;
      if (f.has(F::kScaleZ)) ref->m_scale.z = f.scale.z;
      if (f.has(F::kRotation)) ref->m_rotation = f.rotation;
      if (f.has(F::kNormal)) ref->m_normal = f.normal.normal();
      ref->m_position = worldCentre(ref->m_normal, f.has(F::kFirst) ? f.first : AcGePoint3d());
      return ref;
    }
    case F::Kind::None: break;
  }
  return nullptr;
}
