// What entities draw, collected as strokes and fills in world coordinates: the picture,
// picking by point and object snaps all see the same geometry.
#pragma once
#include <vector>

#include "host/acgi.h"

namespace qd::render {

using Stroke = std::vector<AcGePoint3d>;

// How a stroke is drawn: its colour, its dash pattern (an index into `patterns`, -1
// for a solid line), and whether it only edges a fill (kept for picking, not drawn).
struct Look {
  uint16_t color = 7;
  int pattern = -1;
  bool edge = false;
};

// A filled area: its contours, even-odd (hatches, solids) or non-zero (glyph outlines).
struct Fill {
  std::vector<Stroke> contours;
  uint16_t color = 7;
  bool evenOdd = true;
};

class StrokeCollector : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  std::vector<Stroke> strokes;
  std::vector<Look> looks;  // of each stroke
  // Dash patterns in drawing units as the linetype gives them: a dash (> 0), a gap (< 0),
  // a dot (0); repeated along each stroke from its start.
  std::vector<std::vector<double>> patterns;
  std::vector<Fill> fills;
  AcDbExtents extents;

  AcGiWorldGeometry& geometry() const override { return *const_cast<StrokeCollector*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<StrokeCollector*>(this); }
  void setColor(uint16_t c) override { m_color = c; }
  uint16_t color() const override { return m_color; }
  void setLayer(AcDbObjectId) override {}
  void setSelectionMarker(intptr_t) override {}
  void setFillType(AcGiFillType t) override { m_fill = t; }
  AcGiFillType fillType() const override { return m_fill; }

  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override;
  bool polygon(uint32_t n, const AcGePoint3d* pts) override;
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override;
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override;
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
            int32_t length, bool raw, const AcGiTextStyle& style) override;
  bool draw(AcDbEntity* ent) override;
  bool pushModelTransform(const AcGeMatrix3d& m) override;
  bool popModelTransform() override;

  // Draws an entity as it shows: its colour and linetype, or its layer's, or (inside a
  // block) the block reference's; nothing when its layer is off or frozen.
  void drawEntity(AcDbEntity* e);

 private:
  // What an entity inside a block reference takes "by block", and layer 0 stands for.
  struct Inherited {
    uint16_t color = 7;
    int pattern = -1;
    AcDbObjectId layer;
  };
  void add(Stroke pts, bool edge = false);
  int patternOf(AcDbEntity* e, AcDbObjectId layer);
  std::vector<AcGeMatrix3d> m_stack{AcGeMatrix3d()};
  std::vector<Inherited> m_inherited{Inherited()};
  uint16_t m_color = 7;
  int m_pattern = -1;
  AcGiFillType m_fill = kAcGiFillNever;
};

// The strokes of one entity.
std::vector<Stroke> strokesOf(AcDbEntity* e);
// The distance from a point to the nearest stroke (in the XY plane), and that nearest point.
double distanceTo(const std::vector<Stroke>& strokes, const AcGePoint3d& p, AcGePoint3d* nearest = nullptr);

}  // namespace qd::render
