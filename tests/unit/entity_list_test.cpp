// Entity lists as the host gives and takes them: entmod changes only what it is given,
// entmake of the standard entities the host keeps as groups, angles in radians, the
// layout and extension-dictionary groups of entget, and the selection filters' rules.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/dxf/dxf.h"
#include "headless/render/font.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"

namespace {

class EntityLists : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }
  // Makes an entity from a list; its name.
  void make(resbuf* list, ads_name out) {
    qd::ads::RbList owned(list);
    ASSERT_EQ(acdbEntMake(owned.get()), RTNORM);
    acdbEntLast(out);
  }
  // The groups of `code` in the entity's list.
  std::vector<const resbuf*> groups(const qd::ads::RbList& list, int code) {
    std::vector<const resbuf*> out;
    for (const resbuf* rb = list.get(); rb; rb = rb->rbnext)
      if (rb->restype == code) out.push_back(rb);
    return out;
  }
  size_t count(const resbuf* filter) {
    ads_name ss;
    if (acedSSGet(u"_X", nullptr, nullptr, filter, ss) != RTNORM) return 0;
    int32_t n = 0;
    acedSSLength(ss, &n);
    acedSSFree(ss);
    return static_cast<size_t>(n);
  }
  std::unique_ptr<AcDbDatabase> db;
};

TEST_F(EntityLists, EntmodChangesOnlyTheGroupsItIsGiven) {
  const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {10, 5, 0};
  ads_name pl;
  make(acutBuildList(RTDXF0, u"LWPOLYLINE", 100, u"AcDbEntity", 8, u"0", 100, u"AcDbPolyline", 90, 3, 70, 1, 10, a, 10,
                     b, 10, c, 0),
       pl);
  qd::ads::RbList change(acutBuildList(-1, pl, 62, 3, 0));
  ASSERT_EQ(acdbEntMod(change.get()), RTNORM);
  qd::ads::RbList after(acdbEntGet(pl));
  EXPECT_EQ(groups(after, 10).size(), 3u);
  ASSERT_EQ(groups(after, 62).size(), 1u);
  EXPECT_EQ(groups(after, 62)[0]->resval.rint, 3);
  EXPECT_EQ(groups(after, 70)[0]->resval.rint, 1);
  // A run of vertices given replaces the run; the flags stay.
  qd::ads::RbList vertices(acutBuildList(-1, pl, 10, a, 10, c, 0));
  ASSERT_EQ(acdbEntMod(vertices.get()), RTNORM);
  qd::ads::RbList again(acdbEntGet(pl));
  EXPECT_EQ(groups(again, 10).size(), 2u);
  EXPECT_EQ(groups(again, 90)[0]->resval.rlong, 2);
  EXPECT_EQ(groups(again, 70)[0]->resval.rint, 1);
}

TEST_F(EntityLists, KeptEntitiesAreMadeAndGiveRadiansWhileFilesHoldDegrees) {
  const double at[3] = {1, 2, 0};
  ads_name mtext;
  make(acutBuildList(RTDXF0, u"MTEXT", 10, at, 40, 2.5, 1, u"Poznámka", 50, M_PI / 2, 0), mtext);
  qd::ads::RbList list(acdbEntGet(mtext));
  ASSERT_EQ(groups(list, 50).size(), 1u);
  EXPECT_NEAR(groups(list, 50)[0]->resval.rreal, M_PI / 2, 1e-12);
  const std::string dxf = qd::dxf::write(db.get());
  EXPECT_NE(dxf.find("100\nAcDbMText\n"), std::string::npos);
  EXPECT_NE(dxf.find(" 50\n90.0\n"), std::string::npos);
  // A type the host does not know is refused.
  qd::ads::RbList unknown(acutBuildList(RTDXF0, u"NOSUCHTHING", 10, at, 0));
  EXPECT_EQ(acdbEntMake(unknown.get()), RTERROR);
}

TEST_F(EntityLists, EntgetNamesTheLayoutAfterTheCommonMarker) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  ads_name line;
  make(acutBuildList(RTDXF0, u"LINE", 10, a, 11, b, 0), line);
  qd::ads::RbList list(acdbEntGet(line));
  const resbuf* rb = list.get();
  while (rb && !(rb->restype == 100 && std::u16string(rb->resval.rstring) == u"AcDbEntity")) rb = rb->rbnext;
  ASSERT_NE(rb, nullptr);
  ASSERT_NE(rb->rbnext, nullptr);
  EXPECT_EQ(rb->rbnext->restype, 410);
  EXPECT_EQ(std::u16string(rb->rbnext->resval.rstring), u"Model");
}

TEST_F(EntityLists, FiltersTestPointsByCoordinateSpacesAndApplications) {
  const double low[3] = {1, 1, 0}, high[3] = {20, 20, 0}, mid[3] = {10, 10, 0};
  ads_name e;
  make(acutBuildList(RTDXF0, u"CIRCLE", 10, low, 40, 1.0, 0), e);
  make(acutBuildList(RTDXF0, u"CIRCLE", 10, high, 40, 1.0, 0), e);
  qd::ads::RbList above(acutBuildList(-4, u">,>,*", 10, mid, 0));
  EXPECT_EQ(count(above.get()), 1u);
  qd::ads::RbList below(acutBuildList(-4, u"<,<,*", 10, mid, 0));
  EXPECT_EQ(count(below.get()), 1u);
  qd::ads::RbList xAbove(acutBuildList(-4, u">,*,*", 10, low, 0));
  EXPECT_EQ(count(xAbove.get()), 1u);
  qd::ads::RbList model(acutBuildList(67, 0, 410, u"Model", 0));
  EXPECT_EQ(count(model.get()), 2u);
  qd::ads::RbList paper(acutBuildList(67, 1, 0));
  EXPECT_EQ(count(paper.get()), 0u);
  acdbRegApp(u"NOAPP");
  qd::ads::RbList noApp(acutBuildList(-3, 1001, u"NOAPP", 0));
  EXPECT_EQ(count(noApp.get()), 0u);
}

TEST_F(EntityLists, ABulgedSegmentIsDrawnAndMeasuredAsItsArc) {
  // From (0,0) to (2,0) with bulge 1: a half circle, counter-clockwise, so below the chord.
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0};
  ads_name pl;
  make(acutBuildList(RTDXF0, u"LWPOLYLINE", 100, u"AcDbEntity", 100, u"AcDbPolyline", 90, 2, 70, 0, 10, a, 42, 1.0, 10,
                     b, 0),
       pl);
  AcDbObjectId id;
  ASSERT_EQ(acdbGetObjectId(id, pl), Acad::eOk);
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
  AcDbExtents extents;
  ASSERT_EQ(e->getGeomExtents(extents), Acad::eOk);
  e->close();
  EXPECT_NEAR(extents.minPoint().y, -1.0, 1e-9);
  EXPECT_NEAR(extents.maxPoint().y, 0.0, 1e-9);
  EXPECT_NEAR(extents.minPoint().x, 0.0, 1e-9);
  EXPECT_NEAR(extents.maxPoint().x, 2.0, 1e-9);
}

TEST(TextShown, ControlCodesBecomeWhatTheyStandForAndAreMeasuredSo) {
  qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
  using qd::font::shownText;
  EXPECT_EQ(shownText(u"%%c50"), u"\u230050");
  EXPECT_EQ(shownText(u"45%%d %%p0.5 100%%%"), u"45° ±0.5 100%");
  EXPECT_EQ(shownText(u"%%uA%%u%%oB"), u"AB");
  EXPECT_EQ(shownText(u"%%176"), u"°");  // code 176 of the ANSI code page (1250)
  EXPECT_EQ(shownText(u"50%"), u"50%");
  EXPECT_EQ(shownText(u"%%"), u"%%");
  EXPECT_EQ(shownText(u"%%17"), u"%%17");  // fewer than three digits stay as typed
  // "%%c50" measures as three characters, the diameter like an O.
  const double three = qd::font::advance(u"%%c50", 2.5, 1.0);
  EXPECT_DOUBLE_EQ(three, qd::font::advance(u"O50", 2.5, 1.0));
  // A character of the code page is drawn as itself, not as a question mark.
  EXPECT_EQ(qd::font::advance(u"²", 2.5, 1.0), qd::font::advance(u"2", 2.5, 1.0));
}

}  // namespace
