// The graphics interface an entity draws itself through.
#pragma once
#include "host/dbmain.h"

class AcGiSubEntityTraits {
 public:
  virtual ~AcGiSubEntityTraits() = default;
  virtual void setColor(uint16_t color) = 0;
  virtual uint16_t color() const = 0;
  virtual void setLayer(AcDbObjectId layerId) = 0;
  virtual void setSelectionMarker(intptr_t marker) = 0;
};

class AcGiGeometry {
 public:
  virtual ~AcGiGeometry() = default;
  virtual bool polyline(uint32_t nbPoints, const AcGePoint3d* points,
                        const AcGeVector3d* normal = nullptr, intptr_t subEntMarker = -1) = 0;
  virtual bool circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) = 0;
  virtual bool circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                           const AcGeVector3d& startVector, double sweepAngle) = 0;
  // A single-line text: `direction` is the baseline direction, `height` the capital
  // height, `width` the width factor, `oblique` the slant in radians.
  virtual bool text(const AcGePoint3d& position, const AcGeVector3d& normal,
                    const AcGeVector3d& direction, double height, double width,
                    double oblique, const ACHAR* msg) = 0;
  // Draws another entity (block contents) under the current transform.
  virtual bool draw(AcDbEntity* ent) = 0;
  virtual bool pushModelTransform(const AcGeMatrix3d& m) = 0;
  virtual bool popModelTransform() = 0;
};
typedef AcGiGeometry AcGiWorldGeometry;
typedef AcGiGeometry AcGiViewportGeometry;

class AcGiWorldDraw {
 public:
  virtual ~AcGiWorldDraw() = default;
  virtual AcGiWorldGeometry& geometry() const = 0;
  virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
  virtual bool regenAbort() const { return false; }
};

class AcGiViewportDraw {
 public:
  virtual ~AcGiViewportDraw() = default;
  virtual AcGiViewportGeometry& geometry() const = 0;
  virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
};
