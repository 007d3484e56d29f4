// The geometry labels are placed by: the side of the anchor, the quadrant round a
// centre, and the frame's corners for each of its positions.
#include <gtest/gtest.h>

#include <cmath>

#include "label/dialogs/LabelPreview.h"
#include "label/kinds/label_geometry.h"

namespace {

using qd::label::frameCorners;
using qd::label::quadrantOf;
using qd::label::sideOf;

double deg(double d) { return d * M_PI / 180; }

TEST(LabelGeometry, TheSideTurnsAtThePerpendicularForEveryRotation) {
  EXPECT_EQ(sideOf(deg(10), 0), 1);
  EXPECT_EQ(sideOf(deg(89), 0), 1);
  EXPECT_EQ(sideOf(deg(91), 0), -1);
  EXPECT_EQ(sideOf(deg(269), 0), -1);
  EXPECT_EQ(sideOf(deg(271), 0), 1);
  // Text turned by -80 degrees (100 folded): the mirrored side is around 100 degrees.
  EXPECT_EQ(sideOf(deg(100), deg(-80)), -1);
  EXPECT_EQ(sideOf(deg(350), deg(-80)), 1);
  // Rotations past 271 degrees still have a mirrored side.
  EXPECT_EQ(sideOf(deg(120), deg(300)), -1);
  EXPECT_EQ(sideOf(deg(300), deg(300)), 1);
}

TEST(LabelGeometry, QuadrantsHaveTheirBounds) {
  EXPECT_EQ(quadrantOf(0), 1);
  EXPECT_EQ(quadrantOf(deg(90) - 1e-12), 1);
  EXPECT_EQ(quadrantOf(1.5707963267949), 1);
  EXPECT_EQ(quadrantOf(deg(135)), 2);
  EXPECT_EQ(quadrantOf(3.1415926535898), 3);
  EXPECT_EQ(quadrantOf(deg(225)), 3);
  EXPECT_EQ(quadrantOf(4.7123889803847), 0);
  EXPECT_EQ(quadrantOf(deg(300)), 4);
}

TEST(LabelGeometry, AFrameLiesOnItsChosenPoint) {
  const AcGePoint3d at(100, 50, 0);
  // Bottom left on the point: the frame goes up and to the right.
  auto f = frameCorners(12, 4, 6, 0, at);
  EXPECT_TRUE(f[3].isEqualTo(at));
  EXPECT_TRUE(f[1].isEqualTo(AcGePoint3d(112, 54, 0)));
  EXPECT_TRUE(f[4].isEqualTo(AcGePoint3d(106, 52, 0)));
  // Centre, top midpoint and bottom right.
  EXPECT_TRUE(frameCorners(12, 4, 0, 0, at)[4].isEqualTo(at));
  EXPECT_TRUE(frameCorners(12, 4, 2, 0, at)[4].isEqualTo(AcGePoint3d(100, 48, 0)));
  EXPECT_TRUE(frameCorners(12, 4, 8, 0, at)[2].isEqualTo(at));
  // An unknown position is the centre.
  EXPECT_TRUE(frameCorners(12, 4, 42, 0, at)[4].isEqualTo(at));
  // Turned by 90 degrees round the centre: the width runs up.
  f = frameCorners(12, 4, 0, deg(90), at);
  EXPECT_NEAR(f[1].x, 98, 1e-9);
  EXPECT_NEAR(f[1].y, 56, 1e-9);
}

}  // namespace

namespace {

using qd::label::rowBoxes;

TEST(LabelPreview, RowBoxesAlignByTheJustification) {
  // Widths 10 and 20, right aligned: both end at the right edge, the narrower 10 in.
  auto boxes = rowBoxes({10, 20}, 3, 1, u"BR");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_DOUBLE_EQ(boxes[0].left, 10);
  EXPECT_DOUBLE_EQ(boxes[0].right, 20);
  EXPECT_DOUBLE_EQ(boxes[1].left, 0);
  EXPECT_DOUBLE_EQ(boxes[1].right, 20);
  // Each next row the height and the gap lower.
  EXPECT_DOUBLE_EQ(boxes[1].top, 4);
  EXPECT_DOUBLE_EQ(boxes[1].bottom, 7);
  EXPECT_DOUBLE_EQ(rowBoxes({10, 20}, 3, 1, u"Left")[0].left, 0);
  EXPECT_DOUBLE_EQ(rowBoxes({10, 20}, 3, 1, u"TC")[0].left, 5);
  EXPECT_DOUBLE_EQ(rowBoxes({10, 20}, 3, 1, u"Center")[0].left, 5);
  EXPECT_DOUBLE_EQ(rowBoxes({10, 20}, 3, 1, u"Middle")[0].left, 5);
  EXPECT_DOUBLE_EQ(rowBoxes({10, 20}, 3, 1, u"Right")[0].left, 10);
  EXPECT_TRUE(rowBoxes({}, 3, 1, u"BL").empty());
}

}  // namespace
