// Pictures of model space as SVG, drawn through the entities' own worldDraw.
#pragma once
#include <string>

#include "host/dbdatabase.h"

namespace qd::render {
std::string modelSpaceSvg(AcDbDatabase* db);
}  // namespace qd::render
