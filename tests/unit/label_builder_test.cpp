// The entities of one label as they are made: named by the first one's handle, kept
// together as one part and one group, or all taken back when the drawing refuses one.
#include <gtest/gtest.h>

#include <memory>

#include "Library/Inc/holders.h"
#include "headless/ads/session.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "label/command/label_state.h"
#include "label/kinds/label_context.h"
#include "platform/codepage.h"
#include "tests/unit/label_fixture.h"

namespace {

using qd::support::ResbufList;

class LabelBuilder : public LabelTest {
 protected:
  void SetUp() override {
    LabelTest::SetUp();
    ctx = std::make_unique<qd::label::label_context>(*state);
    ctx->layer_name = u"0";
  }
  void TearDown() override {
    ctx.reset();
    LabelTest::TearDown();
  }
  size_t entities() {
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead);
    size_t n = 0;
    for (const auto& id : space->entityIds()) n += id.isErased() ? 0 : 1;
    space->close();
    return n;
  }
  static ResbufList tag(const std::u16string& own) { return ResbufList(acutBuildList(-3, 1001, own.c_str(), 1000, u"BE", 0)); }
  AcDbLine* line() { return new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)); }
  static std::u16string lastHandle() {
    ads_name last;
    acdbEntLast(last);
    AcDbObjectId id;
    acdbGetObjectId(id, last);
    ACHAR text[17] = {0};
    id.handle().getIntoAsciiBuffer(text);
    return qd::text::toUpper(text);
  }

  std::unique_ptr<qd::label::label_context> ctx;
};

TEST_F(LabelBuilder, TheFirstEntityNamesTheLabelThatIsOnePartAndOneGroup) {
  std::u16string name;
  {
    qd::label::label_builder b(*ctx);
    EXPECT_TRUE(b.own().empty());
    ASSERT_TRUE(b.add(line(), tag));
    // The name is the handle of the label's first entity.
    EXPECT_EQ(b.own(), u"$" + lastHandle());
    ASSERT_TRUE(b.add(line(), tag));
    EXPECT_NE(b.own(), u"$" + lastHandle());
    ResbufList regapp(acdbTblSearch(u"APPID", b.own().c_str(), 0));
    EXPECT_NE(regapp.get(), nullptr);
    EXPECT_TRUE(b.finish());
    name = b.own();
  }
  EXPECT_EQ(entities(), 2u);
  // The part is recorded under the name.
  AcDbDictionary* named = nullptr;
  ASSERT_EQ(db->getNamedObjectsDictionary(named, AcDb::kForRead), Acad::eOk);
  AcDbObject* parts = nullptr;
  ASSERT_EQ(named->getAt(u"QDHK_HANDLE", parts, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(AcDbDictionary::cast(parts)->has(name.c_str()));
  parts->close();
  named->close();
  AcDbDictionary* groups = nullptr;
  ASSERT_EQ(db->getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(groups->numEntries(), 1u);
  groups->close();
}

TEST_F(LabelBuilder, ARefusedEntityTakesBackTheWholeLabel) {
  {
    qd::label::label_builder b(*ctx);
    ASSERT_TRUE(b.add(line(), tag));
    AcDbLine* onMissingLayer = line();
    onMissingLayer->setLayer(u"NO_SUCH_LAYER");
    EXPECT_FALSE(b.add(onMissingLayer, tag));
    EXPECT_TRUE(b.failed());
    // Once refused, nothing more is made.
    EXPECT_FALSE(b.add(line(), tag));
    EXPECT_FALSE(b.finish());
  }
  EXPECT_EQ(entities(), 0u);
  EXPECT_NE(printed.find(u"The label is not drawn: layer \"NO_SUCH_LAYER\" (eKeyNotFound)."), std::u16string::npos);
}

TEST_F(LabelBuilder, ALabelGivenUpGoesAgain) {
  {
    qd::label::label_builder b(*ctx);
    ASSERT_TRUE(b.add(line(), tag));
  }
  EXPECT_EQ(entities(), 0u);
}

}  // namespace
