// The plane geometry the kinds decide by: the side of an anchor the cursor is on, the
// quadrant round a centre, and where a frame's corners lie.
#pragma once
#include <array>

#include "host/acge.h"

namespace qd::label {

// The angles the labels decide by, as the stored settings give them.
constexpr double kQuarterTurn = 1.5707963267949;
constexpr double kHalfTurn = 3.1415926535898;
constexpr double kThreeQuarters = 4.7123889803847;
constexpr double kFullTurn = 6.2831853071796;
constexpr double kFoldFrom = 1.5882496193148434;  // 91 degrees: text past it would read upside down
constexpr double kFoldTo = 4.729842272904643;     // 271 degrees
constexpr double kDegree = 0.017453292519943334;

// +1 when a cursor seen from the anchor at `angle` lies on the text's side of the
// perpendicular through the anchor (text at `rotation`), -1 on the other side.
int sideOf(double angle, double rotation);

// The quadrant (1 to 4) of an angle measured from the quadrants' start, 0 to a full
// turn; 0 exactly between the third and the fourth, where nothing changes.
int quadrantOf(double r);

// A frame w by h turned by `rotation`, placed so that its point `position` (0 centre,
// 1 top left, 2 top, 3 top right, 4 left, 5 right, 6 bottom left, 7 bottom, 8 bottom
// right; others as 0) lies on `at`: its corners top left, top right, bottom right,
// bottom left, then its centre.
std::array<AcGePoint3d, 5> frameCorners(double w, double h, int position, double rotation, const AcGePoint3d& at);

}  // namespace qd::label
