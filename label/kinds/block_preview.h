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

}  // namespace qd::label
