// What entities draw, collected as strokes in world coordinates: the picture, picking
// by point and object snaps all see the same geometry.
#pragma once
#include <vector>

#include "host/acgi.h"

namespace qd::render {

using Stroke = std::vector<AcGePoint3d>;

class StrokeCollector : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  std::vector<Stroke> strokes;
  std::vector<uint16_t> colors;  // of each stroke
  AcDbExtents extents;

  AcGiWorldGeometry& geometry() const override { return *const_cast<StrokeCollector*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<StrokeCollector*>(this); }
  void setColor(uint16_t c) override { m_color = c; }
  uint16_t color() const override { return m_color; }
  void setLayer(AcDbObjectId) override {}
  void setSelectionMarker(intptr_t) override {}

  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override;
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override;
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override;
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
            int32_t length, bool raw, const AcGiTextStyle& style) override;
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override;
  bool popModelTransform() override;

  // Draws an entity with the colour it shows (its own, or its layer's).
  void drawEntity(AcDbEntity* e);

 private:
  void add(Stroke pts);
  std::vector<AcGeMatrix3d> m_stack{AcGeMatrix3d()};
  uint16_t m_color = 7;
};

// The strokes of one entity.
std::vector<Stroke> strokesOf(AcDbEntity* e);
// The distance from a point to the nearest stroke (in the XY plane), and that nearest point.
double distanceTo(const std::vector<Stroke>& strokes, const AcGePoint3d& p, AcGePoint3d* nearest = nullptr);

}  // namespace qd::render
