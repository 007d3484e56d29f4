// The graphics interface an entity draws itself through.
#pragma once
#include <vector>

#include "host/dbmain.h"

enum AcGiFillType { kAcGiFillAlways = 1, kAcGiFillNever = 2 };

class AcGiSubEntityTraits {
 public:
  virtual ~AcGiSubEntityTraits() = default;
  virtual void setColor(uint16_t color) = 0;
  virtual uint16_t color() const = 0;
  virtual void setLayer(AcDbObjectId layerId) = 0;
  virtual void setSelectionMarker(intptr_t marker) = 0;
  // Whether polygons are filled; graphics that draw only outlines may ignore it.
  virtual void setFillType(AcGiFillType) {}
  virtual AcGiFillType fillType() const { return kAcGiFillNever; }
  virtual void setLineType(AcDbObjectId) {}
  virtual void setLineTypeScale(double) {}
};

// The font a text is drawn with and its size, as an entity hands it to the geometry.
class AcGiTextStyle {
 public:
  AcGiTextStyle() = default;
  AcGiTextStyle(const ACHAR* fileName, double textSize, double xScale, double obliquingAngle)
      : m_file(fileName ? fileName : u""), m_size(textSize), m_xScale(xScale), m_oblique(obliquingAngle) {}
  void setFileName(const ACHAR* name) { m_file = name ? name : u""; }
  const ACHAR* fileName() const { return m_file.c_str(); }
  void setTextSize(double size) { m_size = size; }
  double textSize() const { return m_size; }
  void setXScale(double scale) { m_xScale = scale; }
  double xScale() const { return m_xScale; }
  void setObliquingAngle(double angle) { m_oblique = angle; }
  double obliquingAngle() const { return m_oblique; }

 private:
  std::u16string m_file;
  double m_size = 1, m_xScale = 1, m_oblique = 0;
};

class AcGiGeometry {
 public:
  virtual ~AcGiGeometry() = default;
  virtual bool polyline(uint32_t nbPoints, const AcGePoint3d* points,
                        const AcGeVector3d* normal = nullptr, intptr_t subEntMarker = -1) = 0;
  virtual bool circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) = 0;
  // A closed polygon, filled when the traits' fill type says so.
  virtual bool polygon(uint32_t nbPoints, const AcGePoint3d* points) {
    if (nbPoints < 2) return false;
    std::vector<AcGePoint3d> closed(points, points + nbPoints);
    closed.push_back(points[0]);
    return polyline(static_cast<uint32_t>(closed.size()), closed.data());
  }
  virtual bool circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                           const AcGeVector3d& startVector, double sweepAngle) = 0;
  // A single-line text: `direction` is the baseline direction, `height` the capital
  // height, `width` the width factor, `oblique` the slant in radians.
  // Drawn with the host's default font.
  virtual bool text(const AcGePoint3d& position, const AcGeVector3d& normal,
                    const AcGeVector3d& direction, double height, double width,
                    double oblique, const ACHAR* msg) {
    return text(position, normal, direction, msg, -1, false, AcGiTextStyle(u"", height, width, oblique));
  }
  // A text in a given font; `length` -1 takes the whole string, `raw` draws control codes
  // (%%c, %%d ...) as they are written instead of what they stand for.
  virtual bool text(const AcGePoint3d& position, const AcGeVector3d& normal, const AcGeVector3d& direction,
                    const ACHAR* msg, int32_t length, bool raw, const AcGiTextStyle& style) = 0;
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
