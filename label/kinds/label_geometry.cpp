#include "label/kinds/label_geometry.h"

#include <cmath>

namespace qd::label {
namespace {

}  // namespace

int sideOf(double angle, double rotation) {
  // Measured from the text's direction, so that every rotation has both sides.
  double d = std::fmod(angle - rotation, kFullTurn);
  if (d < 0) d += kFullTurn;
  return d > kQuarterTurn && d < kThreeQuarters ? -1 : 1;
}

int quadrantOf(double r) {
  if (r <= kQuarterTurn) return 1;
  if (r < kHalfTurn) return 2;
  if (r < kThreeQuarters) return 3;
  if (r > kThreeQuarters) return 4;
  return 0;
}

std::array<AcGePoint3d, 5> frameCorners(double w, double h, int position, double rotation, const AcGePoint3d& at) {
  static const double kReference[9][2] = {{0, 0}, {-1, 1}, {0, 1}, {1, 1}, {-1, 0}, {1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  const int p = position >= 0 && position <= 8 ? position : 0;
  const double hw = w / 2, hh = h / 2;
  const double rx = kReference[p][0] * hw, ry = kReference[p][1] * hh;
  const double c = std::cos(rotation), s = std::sin(rotation);
  auto place = [&](double x, double y) {
    return AcGePoint3d(at.x + c * (x - rx) - s * (y - ry), at.y + s * (x - rx) + c * (y - ry), at.z);
  };
  return {place(-hw, hh), place(hw, hh), place(hw, -hh), place(-hw, -hh), place(0, 0)};
}

}  // namespace qd::label
