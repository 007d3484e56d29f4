// The preview of a label drawn as one figure (a bubble, a frame): the figure defined
// around the origin in a working block, inserted outside the view and dragged into
// place; the reference and the block go again whatever the drag ends with.
#pragma once
#include <functional>

#include "host/dbsymtb.h"
#include "label/kinds/label_context.h"

namespace qd::label {

// `fill` appends the figure's entities to the working block. RTNORM with the point the
// figure's origin was dragged to (world coordinates, z = elevation).
int dragBlockPreview(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill, AcGePoint3d& chosen);

// The same figure slid along a line instead, from its midpoint: RTNORM with where it
// stays (Enter keeps the midpoint).
int slideBlockPreview(label_context& ctx, const std::function<void(AcDbBlockTableRecord*)>& fill,
                      const AcGePoint3d& start, const AcGePoint3d& end, AcGePoint3d& chosen);

// Sliding along a line: the dragged set follows the cursor's foot on the segment and
// stays where it was when the foot falls beyond an end.
struct line_slide {
  AcGePoint3d start, end;
  AcGePoint3d base;  // where the dragged set was made
  AcGePoint3d at;    // where it is now
};
void beginSlide(const line_slide& slide);
const line_slide& currentSlide();
int slideAlong(ads_point cursor, ads_matrix m);

}  // namespace qd::label
