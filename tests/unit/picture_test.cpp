// What the picture draws: layers that hide, colours and linetypes by layer and by block,
// widths and fills, and the kinds the host keeps as groups (hatches, multiline texts,
// dimensions, splines, solids), bounded on hostile input.
#include <gtest/gtest.h>

#include <memory>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/render/font.h"
#include "headless/render/strokes.h"
#include "headless/render/svg.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"

namespace {

class Picture : public ::testing::Test {
 protected:
  void SetUp() override {
    qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }
  static void make(resbuf* list) {
    qd::ads::RbList owned(list);
    ASSERT_EQ(acdbEntMake(owned.get()), RTNORM);
  }
  // Draws model space as the picture does.
  qd::render::StrokeCollector draw() {
    qd::render::StrokeCollector c;
    auto* d = db->impl();
    for (const auto& id : AcDbBlockTableRecord::cast(d->peek(d->modelSpace))->entityIds())
      c.drawEntity(AcDbEntity::cast(d->peek(id)));
    return c;
  }
  std::unique_ptr<AcDbDatabase> db;
};

const double O[3] = {0, 0, 0}, X[3] = {10, 0, 0};

TEST_F(Picture, LayersHideAndBlocksLendTheirColour) {
  make(acutBuildList(RTDXF0, u"LAYER", 2, u"FROZEN", 70, 1, 62, 1, 6, u"Continuous", 0));
  make(acutBuildList(RTDXF0, u"LAYER", 2, u"OFF", 70, 0, 62, -2, 6, u"Continuous", 0));
  make(acutBuildList(RTDXF0, u"LAYER", 2, u"BLUE", 70, 0, 62, 5, 6, u"Continuous", 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"FROZEN", 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"OFF", 10, O, 11, X, 0));
  EXPECT_TRUE(draw().strokes.empty());

  // A block: one line by block, one by layer on layer 0, one on the frozen layer.
  make(acutBuildList(RTDXF0, u"BLOCK", 2, u"B", 70, 0, 10, O, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"0", 62, 0, 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"0", 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"FROZEN", 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"ENDBLK", 0));
  make(acutBuildList(RTDXF0, u"INSERT", 2, u"B", 8, u"BLUE", 62, 3, 10, O, 0));
  const auto c = draw();
  ASSERT_EQ(c.strokes.size(), 2u);
  EXPECT_EQ(c.looks[0].color, 3);  // by block: the reference's colour
  EXPECT_EQ(c.looks[1].color, 5);  // layer 0 by layer: the reference's layer
}

TEST_F(Picture, LinetypesAreScaledByLtscaleAndTheEntitysScale) {
  make(acutBuildList(RTDXF0, u"LTYPE", 2, u"DASHED", 70, 0, 3, u"__ __", 72, 65, 73, 2, 40, 0.75, 49, 0.5, 74, 0, 49,
                     -0.25, 74, 0, 0));
  make(acutBuildList(RTDXF0, u"LAYER", 2, u"AXES", 70, 0, 62, 1, 6, u"DASHED", 0));
  ASSERT_EQ(acedSetVar(u"LTSCALE", qd::ads::RbList(acutBuildList(RTREAL, 3.0, 0)).get()), RTNORM);
  make(acutBuildList(RTDXF0, u"LINE", 6, u"DASHED", 48, 2.0, 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"AXES", 10, O, 11, X, 0));  // by layer
  make(acutBuildList(RTDXF0, u"LINE", 6, u"Continuous", 8, u"AXES", 10, O, 11, X, 0));
  const auto c = draw();
  ASSERT_EQ(c.strokes.size(), 3u);
  ASSERT_GE(c.looks[0].pattern, 0);
  EXPECT_EQ(c.patterns[c.looks[0].pattern], (std::vector<double>{3.0, -1.5}));
  ASSERT_GE(c.looks[1].pattern, 0);
  EXPECT_EQ(c.patterns[c.looks[1].pattern], (std::vector<double>{1.5, -0.75}));
  EXPECT_EQ(c.looks[2].pattern, -1);
  // The SVG carries the pattern as a dash array.
  EXPECT_NE(qd::render::modelSpaceSvg(db.get()).find("stroke-dasharray=\"3,1.5\""), std::string::npos);
}

TEST_F(Picture, WideSegmentsAreFilledBands) {
  const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, e[3] = {10, 10, 0};
  make(acutBuildList(RTDXF0, u"LWPOLYLINE", 100, u"AcDbEntity", 100, u"AcDbPolyline", 90, 3, 70, 0, 43, 2.0, 10, a,
                     10, b, 10, e, 0));
  const auto c = draw();
  ASSERT_EQ(c.fills.size(), 2u);
  EXPECT_NEAR(c.extents.minPoint().y, -1, 1e-9);  // half the width each side
  EXPECT_NEAR(c.extents.maxPoint().x, 11, 1e-9);
  for (const auto& look : c.looks) EXPECT_TRUE(look.edge) << "a band is drawn as its fill, not as lines";
}

TEST_F(Picture, HatchesFillWithIslandsAndDrawTheirPatternLinesBounded) {
  const double p1[3] = {0, 0, 0}, p2[3] = {10, 0, 0}, p3[3] = {10, 10, 0}, p4[3] = {0, 10, 0};
  const double q1[3] = {4, 4, 0}, q2[3] = {6, 4, 0}, q3[3] = {6, 6, 0}, q4[3] = {4, 6, 0};
  make(acutBuildList(RTDXF0, u"HATCH", 10, O, 2, u"SOLID", 70, 1, 71, 0, 91, 2, 92, 3, 72, 0, 73, 1, 93, 4, 10, p1, 10,
                     p2, 10, p3, 10, p4, 97, 0, 92, 3, 72, 0, 73, 1, 93, 4, 10, q1, 10, q2, 10, q3, 10, q4, 97, 0, 75, 1,
                     76, 1, 98, 0, 0));
  auto c = draw();
  ASSERT_EQ(c.fills.size(), 1u);  // one even-odd fill: the island stays open
  EXPECT_TRUE(c.fills[0].evenOdd);
  EXPECT_GE(c.fills[0].contours[0].size(), 10u);

  // Lines at 45 degrees, 1 apart: about 14 lines cross the square.
  db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  auto hatch = [&](double spacing) {
    make(acutBuildList(RTDXF0, u"HATCH", 10, O, 2, u"USER", 70, 0, 71, 0, 91, 1, 92, 3, 72, 0, 73, 1, 93, 4, 10, p1,
                       10, p2, 10, p3, 10, p4, 97, 0, 75, 1, 76, 1, 52, 0.0, 41, 1.0, 77, 0, 78, 1, 53, M_PI / 4, 43,
                       0.0, 44, 0.0, 45, -spacing * M_SQRT1_2, 46, spacing * M_SQRT1_2, 79, 0, 98, 0, 0));
  };
  hatch(1.0);
  c = draw();
  EXPECT_GE(c.strokes.size(), 13u);
  EXPECT_LE(c.strokes.size(), 15u);
  for (const auto& s : c.strokes)
    for (const auto& p : s) EXPECT_TRUE(p.x >= -1e-9 && p.x <= 10 + 1e-9 && p.y >= -1e-9 && p.y <= 10 + 1e-9);
  // A spacing that would need a hundred million lines draws none instead of hanging.
  db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  hatch(1e-7);
  EXPECT_TRUE(draw().strokes.empty());
}

TEST_F(Picture, MultilineTextsStackTheirRowsFromTheAttachmentPoint) {
  const double at[3] = {0, 10, 0};
  make(acutBuildList(RTDXF0, u"MTEXT", 10, at, 40, 2.0, 71, 1, 1, u"H\\PH{\\H2x;H}", 0));
  const auto c = draw();
  double top = -1e9, bottom = 1e9;
  for (const auto& s : c.strokes)
    for (const auto& p : s) top = std::max(top, p.y), bottom = std::min(bottom, p.y);
  EXPECT_NEAR(top, 10, 1e-6);                      // top left: the first row's capitals touch the point
  EXPECT_NEAR(bottom, 10 - 2 - 2 * 5.0 / 3, 1e-6);  // the second row's baseline one spacing lower
  // The doubled H of the second row reaches twice the height above its baseline.
  bool doubled = false;
  for (const auto& s : c.strokes)
    for (const auto& p : s) doubled |= std::fabs(p.y - (bottom + 4)) < 1e-6;
  EXPECT_TRUE(doubled);
}

TEST_F(Picture, DimensionsSplinesAndSolidsDrawAsShown) {
  make(acutBuildList(RTDXF0, u"BLOCK", 2, u"*D1", 70, 1, 10, O, 0));
  make(acutBuildList(RTDXF0, u"LINE", 8, u"0", 10, O, 11, X, 0));
  make(acutBuildList(RTDXF0, u"ENDBLK", 0));
  make(acutBuildList(RTDXF0, u"DIMENSION", 2, u"*D1", 10, O, 70, 0, 0));
  auto c = draw();
  ASSERT_EQ(c.strokes.size(), 1u);
  EXPECT_NEAR(c.extents.maxPoint().x, 10, 1e-9);

  // A spline given only by fit points runs through every one of them.
  db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  const double f1[3] = {0, 0, 0}, f2[3] = {5, 4, 0}, f3[3] = {10, -2, 0}, f4[3] = {15, 0, 0};
  make(acutBuildList(RTDXF0, u"SPLINE", 70, 8, 71, 3, 72, 0, 73, 0, 74, 4, 11, f1, 11, f2, 11, f3, 11, f4, 0));
  c = draw();
  ASSERT_EQ(c.strokes.size(), 1u);
  EXPECT_GT(c.strokes[0].size(), 8u);  // a curve, not the four points
  for (const double* f : {f1, f2, f3, f4})
    EXPECT_NEAR(qd::render::distanceTo(c.strokes, AcGePoint3d(f[0], f[1], 0)), 0, 1e-9);

  // A leader: its vertices, and a filled arrowhead DIMASZ long at the first.
  db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  ASSERT_EQ(acedSetVar(u"DIMASZ", qd::ads::RbList(acutBuildList(RTREAL, 3.0, 0)).get()), RTNORM);
  const double l1[3] = {0, 0, 0}, l2[3] = {12, 0, 0}, l3[3] = {12, 5, 0};
  make(acutBuildList(RTDXF0, u"LEADER", 71, 1, 72, 0, 76, 3, 10, l1, 10, l2, 10, l3, 0));
  c = draw();
  ASSERT_EQ(c.fills.size(), 1u);
  double reach = 0;
  for (const auto& p : c.fills[0].contours[0]) reach = std::max(reach, p.x);
  EXPECT_NEAR(reach, 3, 1e-9);
  EXPECT_NEAR(c.extents.maxPoint().y, 5, 1e-9);

  // A solid's fourth corner is given before its third: a square, not a bow tie.
  db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  const double s1[3] = {0, 0, 0}, s2[3] = {4, 0, 0}, s3[3] = {0, 4, 0}, s4[3] = {4, 4, 0};
  make(acutBuildList(RTDXF0, u"SOLID", 10, s1, 11, s2, 12, s3, 13, s4, 0));
  c = draw();
  ASSERT_EQ(c.fills.size(), 1u);
  const auto& square = c.fills[0].contours[0];
  ASSERT_EQ(square.size(), 5u);
  EXPECT_TRUE(square[2].isEqualTo(AcGePoint3d(4, 4, 0)));
  EXPECT_TRUE(square[3].isEqualTo(AcGePoint3d(0, 4, 0)));
}

}  // namespace
