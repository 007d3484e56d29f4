// Picking by point as the drawing changes: the entities near a point are found from an
// index that follows what is appended, moved, erased and undone.
#include <gtest/gtest.h>

#include <memory>

#include "headless/db/database_impl.h"
#include "headless/ui/picking.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"

namespace {

class Picking : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

  AcDbObjectId addLine(const AcGePoint3d& a, const AcGePoint3d& b) {
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* line = new AcDbLine(a, b);
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, line), Acad::eOk);
    line->close();
    space->close();
    return id;
  }
  AcDbObjectId pick(double x, double y) { return qd::ui::pickAt(db.get(), AcGePoint3d(x, y, 0)); }

  std::unique_ptr<AcDbDatabase> db;
};

TEST_F(Picking, FollowsWhatIsAppendedMovedAndErased) {
  const AcDbObjectId near = addLine({0, 0, 0}, {100, 0, 0});
  EXPECT_EQ(pick(50, 0.5), near);
  EXPECT_TRUE(pick(50, 50).isNull());
  // Appended after the first pick, and far larger than the first one.
  const AcDbObjectId big = addLine({-1e6, 50, 0}, {1e6, 50, 0});
  EXPECT_EQ(pick(900000, 50), big);
  // Moved away: not found where it was, found where it is.
  AcDbEntity* e = nullptr;
  ASSERT_EQ(acdbOpenObject(e, near, AcDb::kForWrite), Acad::eOk);
  e->transformBy(AcGeMatrix3d::translation(AcGeVector3d(0, 1000, 0)));
  e->close();
  EXPECT_TRUE(pick(50, 0.5).isNull());
  EXPECT_EQ(pick(50, 1000.5), near);
  ASSERT_EQ(acdbOpenObject(e, big, AcDb::kForWrite), Acad::eOk);
  e->erase();
  e->close();
  EXPECT_TRUE(pick(900000, 50).isNull());
}

TEST_F(Picking, AWidePickFindsSmallEntitiesFiledForANarrowOne) {
  const AcDbObjectId tiny = addLine({0, 0, 0}, {0.001, 0, 0});
  EXPECT_EQ(pick(0, 0), tiny);
  // Zoomed far out: the pick box now spans millions of the cells small entities lie in.
  qd::db::VarValue size;
  size.type = RTREAL;
  size.real = 1e9;
  db->impl()->setVar(u"VIEWSIZE", size);
  EXPECT_EQ(pick(5e6, 5e6), tiny);
  EXPECT_TRUE(pick(5e8, 5e8).isNull());
}

TEST_F(Picking, TheLastDrawnWinsATieAndUndoIsFollowed) {
  db->impl()->undoMark();
  addLine({0, 0, 0}, {10, 0, 0});
  const AcDbObjectId second = addLine({0, 0, 0}, {10, 0, 0});
  EXPECT_EQ(pick(5, 0), second);
  ASSERT_TRUE(db->impl()->undoBack());
  EXPECT_TRUE(pick(5, 0).isNull());
}

}  // namespace
