// Paper-space viewports. The host keeps a VIEWPORT as its groups, as it reads them; these
// read and change the few groups its viewport commands work with: the viewport's number
// (69) and the layers frozen in it (331, one per layer).
#pragma once
#include <vector>

#include "host/dbents.h"

namespace qd::db {

// The VIEWPORT `obj` is, or null.
AcDbUnknownEntity* asViewport(AcDbObject* obj);
int viewportNumber(const AcDbUnknownEntity* vp);
std::vector<AcDbObjectId> viewportFrozenLayers(const AcDbUnknownEntity* vp);
// Replaces the layers frozen in the viewport; the groups it has besides stay in place.
void setViewportFrozenLayers(AcDbUnknownEntity* vp, const std::vector<AcDbObjectId>& layers);

// The viewports of paper space through which model space is seen (number above 1), in
// drawing order; paper space's own viewport (number 1) is not among them.
std::vector<AcDbObjectId> floatingViewports(AcDbDatabase* db);
// The floating viewport the user works in (CVPORT, in a layout); null in paper space
// itself and on the Model tab.
AcDbObjectId currentViewport(AcDbDatabase* db);

struct ViewportFrame {
  AcGePoint3d center;         // on the sheet
  double width = 0, height = 0;
  AcGePoint2d viewCenter;     // of model space
  double viewHeight = 1;
};
// A new floating viewport in paper space with the next free number; the layers set to be
// frozen in new viewports are frozen in it. Null when paper space cannot take it.
AcDbObjectId makeViewport(AcDbDatabase* db, const ViewportFrame& frame);

}  // namespace qd::db
