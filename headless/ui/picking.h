// Graphic input: picking entities by point or handle, selecting objects, object snaps,
// dragging, and the temporary vectors drawn over the drawing.
#pragma once
#include <vector>

#include "headless/render/svg.h"
#include "host/dbdatabase.h"

namespace qd::ui {

// The entity nearest to a point (world coordinates) within the pick box, or null.
AcDbObjectId pickAt(AcDbDatabase* db, const AcGePoint3d& p);
// The world size of the pick box: a small share of the view height.
double pickBox(AcDbDatabase* db);

// The temporary vectors drawn since the last redraw.
std::vector<qd::render::OverlayVector>& overlay();

// Drops the cursor positions left by a drag its callback ended: any other request means
// the cursor went on.
void forgetDragPath();

// Installs the interactive selection that acedSSGet uses without a mode.
void installSelection();

}  // namespace qd::ui
