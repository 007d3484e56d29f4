// Pictures of model space as SVG, drawn through the entities' own worldDraw, in the
// entities' colours, with the temporary vectors of the session on top.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/dbdatabase.h"

namespace qd::render {

// A temporary vector drawn by acedGrDraw or acedGrVecs, in world coordinates.
struct OverlayVector {
  AcGePoint3d ends[2];
  uint16_t color = 7;
};

std::string modelSpaceSvg(AcDbDatabase* db, const std::vector<OverlayVector>& overlay = {});

}  // namespace qd::render
