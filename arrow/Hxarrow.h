// Hxarrow: an arrow drawn as a shaft from "from" to "to" with two head strokes at "to".
#pragma once
#include "host/dbmain.h"

class Hxarrow : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(Hxarrow);
  // The head strokes make 15 degrees with the shaft.
  static constexpr double kHeadAngle = 0.2617993877991494;

  AcGePoint3d fromPoint() const;
  AcGePoint3d toPoint() const;
  AcGePoint3d wing1() const;
  AcGePoint3d wing2() const;
  AcGeVector3d normal() const;
  double arrowSize() const;
  Acad::ErrorStatus setPoints(const AcGePoint3d& from, const AcGePoint3d& to, const AcGePoint3d& w1,
                              const AcGePoint3d& w2);
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  // Both wings at `to`, at the angle from "to" to "from" plus and minus 15 degrees.
  static void wingsFor(const AcGePoint3d& from, const AcGePoint3d& to, double size, AcGePoint3d& w1, AcGePoint3d& w2);

  bool worldDraw(AcGiWorldDraw* mode) override;
  void viewportDraw(AcGiViewportDraw* mode) override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;
  void list() const override;
  Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                   const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                   AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                  AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
  Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  AcGePoint3d m_from, m_to, m_wing1, m_wing2;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};
