#include "arrow/Hxarrow.h"

#include <cmath>

#include "host/acgi.h"
#include "host/adslib.h"
#include "host/dbents.h"

namespace {
AcGePoint3d polar(const AcGePoint3d& p, double angle, double distance) {
  return {p.x + distance * std::cos(angle), p.y + distance * std::sin(angle), p.z};
}
double angleOf(const AcGePoint3d& from, const AcGePoint3d& to) {
  const ads_point a = {from.x, from.y, from.z}, b = {to.x, to.y, to.z};
  return acutAngle(a, b);
}
}  // namespace

ACRX_DXF_DEFINE_MEMBERS(Hxarrow, AcDbEntity, 23, 1, 125, HXARROW, Hxarrow)

AcGePoint3d Hxarrow::fromPoint() const {
  assertReadEnabled();
  return m_from;
}
AcGePoint3d Hxarrow::toPoint() const {
  assertReadEnabled();
  return m_to;
}
AcGePoint3d Hxarrow::wing1() const {
  assertReadEnabled();
  return m_wing1;
}
AcGePoint3d Hxarrow::wing2() const {
  assertReadEnabled();
  return m_wing2;
}
AcGeVector3d Hxarrow::normal() const {
  assertReadEnabled();
  return m_normal;
}
double Hxarrow::arrowSize() const {
  assertReadEnabled();
  return m_to.distanceTo(m_wing1);
}

Acad::ErrorStatus Hxarrow::setPoints(const AcGePoint3d& from, const AcGePoint3d& to, const AcGePoint3d& w1,
                                     const AcGePoint3d& w2) {
  assertWriteEnabled();
  m_from = from;
  m_to = to;
  m_wing1 = w1;
  m_wing2 = w2;
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus Hxarrow::setNormal(const AcGeVector3d& n) {
  assertWriteEnabled();
  m_normal = n;
  recordGraphicsModified();
  return Acad::eOk;
}

void Hxarrow::wingsFor(const AcGePoint3d& from, const AcGePoint3d& to, double size, AcGePoint3d& w1, AcGePoint3d& w2) {
  const double back = angleOf(to, from);
  w1 = polar(to, back + kHeadAngle, size);
  w2 = polar(to, back - kHeadAngle, size);
}

bool Hxarrow::worldDraw(AcGiWorldDraw* mode) {
  assertReadEnabled();
  mode->subEntityTraits().setSelectionMarker(1);
  const AcGePoint3d shaft[2] = {m_from, m_to}, head1[2] = {m_to, m_wing1}, head2[2] = {m_to, m_wing2};
  mode->geometry().polyline(2, shaft);
  mode->geometry().polyline(2, head1);
  return mode->geometry().polyline(2, head2);
}

void Hxarrow::viewportDraw(AcGiViewportDraw* mode) {
  assertReadEnabled();
  mode->subEntityTraits().setSelectionMarker(1);
  const AcGePoint3d shaft[2] = {m_from, m_to}, head1[2] = {m_to, m_wing1}, head2[2] = {m_to, m_wing2};
  mode->geometry().polyline(2, shaft);
  mode->geometry().polyline(2, head1);
  mode->geometry().polyline(2, head2);
}

Acad::ErrorStatus Hxarrow::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer); es != Acad::eOk) return es;
  filer->writePoint3d(m_from);
  filer->writePoint3d(m_to);
  filer->writePoint3d(m_wing1);
  filer->writePoint3d(m_wing2);
  filer->writeVector3d(m_normal);
  return filer->filerStatus();
}

Acad::ErrorStatus Hxarrow::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer); es != Acad::eOk) return es;
  filer->readPoint3d(&m_from);
  filer->readPoint3d(&m_to);
  filer->readPoint3d(&m_wing1);
  filer->readPoint3d(&m_wing2);
  filer->readVector3d(&m_normal);
  return filer->filerStatus();
}

Acad::ErrorStatus Hxarrow::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer); es != Acad::eOk) return es;
  filer->writeString(AcDb::kDxfSubclass, u"Hxarrow");
  filer->writePoint3d(10, m_from);
  filer->writePoint3d(11, m_to);
  filer->writePoint3d(12, m_wing1);
  filer->writePoint3d(13, m_wing2);
  if (filer->includesDefaultValues() || !m_normal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(210, m_normal);
  return filer->filerStatus();
}

Acad::ErrorStatus Hxarrow::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer); es != Acad::eOk) return es;
  if (!filer->atSubclassData(u"Hxarrow")) return Acad::eBadDxfSequence;
  m_normal = AcGeVector3d::kZAxis;
  resbuf rb;
  while (filer->readItem(&rb) == Acad::eOk) {
    const AcGePoint3d p(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
    switch (rb.restype) {
      case 10: m_from = p; break;
      case 11: m_to = p; break;
      case 12: m_wing1 = p; break;
      case 13: m_wing2 = p; break;
      case 210: m_normal = AcGeVector3d(p.x, p.y, p.z); break;
      default: break;
    }
  }
  return filer->filerStatus();
}

Acad::ErrorStatus Hxarrow::explode(AcDbVoidPtrArray& entitySet) const {
  assertReadEnabled();
  const AcGePoint3d ends[3][2] = {{m_from, m_to}, {m_to, m_wing1}, {m_to, m_wing2}};
  for (const auto& e : ends) {
    auto* line = new AcDbLine(e[0], e[1]);
    line->setNormal(m_normal);
    entitySet.append(line);
  }
  return Acad::eOk;
}

void Hxarrow::list() const {
  assertReadEnabled();
  AcDbEntity::list();
  acutPrintf(u"%14sfrom point, X=%9.16q0 Y=%9.16q0 Z=%9.16q0\n", u"", m_from.x, m_from.y, m_from.z);
  acutPrintf(u"%14s  to point, X=%9.16q0 Y=%9.16q0 Z=%9.16q0\n", u"", m_to.x, m_to.y, m_to.z);
  const int degrees = static_cast<int>(angleOf(m_from, m_to) * 180.0 / M_PI);
  acutPrintf(u"%14sLength = %9.16q0,  Angle in XY Plane = %d\n", u"", m_from.distanceTo(m_to), degrees);
  acutPrintf(u"%14sArrow size = %9.16q0\n", u"", m_to.distanceTo(m_wing1));
}

Acad::ErrorStatus Hxarrow::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&, const AcGePoint3d&,
                                          const AcGeMatrix3d&, AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  assertReadEnabled();
  switch (mode) {
    case AcDb::kOsModeEnd:
      snapPoints.append(m_from);
      snapPoints.append(m_to);
      return Acad::eOk;
    case AcDb::kOsModeMid:
      snapPoints.append(m_from + (m_to - m_from) * 0.5);
      return Acad::eOk;
    case AcDb::kOsModeNear:
      for (int i = 0; i < 100; ++i) snapPoints.append(m_from + (m_to - m_from) * (i * 0.01));
      snapPoints.append(m_to);
      return Acad::eOk;
    default: return Acad::eInvalidInput;
  }
}

Acad::ErrorStatus Hxarrow::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
  assertReadEnabled();
  gripPoints.append(m_from);
  gripPoints.append(m_from + (m_to - m_from) * 0.5);
  gripPoints.append(m_to);
  gripPoints.append(m_wing1);
  gripPoints.append(m_wing2);
  return Acad::eOk;
}

Acad::ErrorStatus Hxarrow::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  assertWriteEnabled();
  const double size = m_to.distanceTo(m_wing1);
  const double a0 = angleOf(m_to, m_from);
  for (int i = 0; i < indices.length(); ++i) {
    switch (indices[i]) {
      case 0:
        m_from += offset;
        wingsFor(m_from, m_to, size, m_wing1, m_wing2);
        break;
      case 1:
        m_from += offset;
        m_to += offset;
        m_wing1 += offset;
        m_wing2 += offset;
        break;
      case 2:
        m_to += offset;
        wingsFor(m_from, m_to, size, m_wing1, m_wing2);
        break;
      case 3: {
        // Moving one wing mirrors the other about the shaft.
        m_wing1 += offset;
        const double d = angleOf(m_to, m_wing1) - a0;
        m_wing2 = polar(m_to, a0 - d, m_to.distanceTo(m_wing1));
        break;
      }
      case 4: {
        m_wing2 += offset;
        const double d = a0 - angleOf(m_to, m_wing2);
        m_wing1 = polar(m_to, a0 + d, m_to.distanceTo(m_wing2));
        break;
      }
      default: break;
    }
  }
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus Hxarrow::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
  AcDbIntArray modes, ids;
  return getGripPoints(stretchPoints, modes, ids);
}

Acad::ErrorStatus Hxarrow::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus Hxarrow::transformBy(const AcGeMatrix3d& xform) {
  assertWriteEnabled();
  m_from.transformBy(xform);
  m_to.transformBy(xform);
  m_wing1.transformBy(xform);
  m_wing2.transformBy(xform);
  recordGraphicsModified();
  return Acad::eOk;
}
