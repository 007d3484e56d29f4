// Paper-space viewports: MVIEW, MSPACE, PSPACE and the layers VPLAYER freezes in some
// viewports only, through undo and a saved file.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/viewports.h"
#include "headless/dxf/dxf.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"

namespace {

class SheetLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    command({u"-LAYER", u"_N", u"A1,A2,B1", u""});
    setInt(u"TILEMODE", 0);
    command({u"MVIEW", u"0,0", u"100,100"});
    command({u"MVIEW", u"100,0", u"200,100"});
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

  static int command(std::initializer_list<const char16_t*> tokens) {
    qd::ads::RbList list;
    for (const char16_t* t : tokens) list.add(acutBuildList(RTSTR, t, 0));
    return acedCmd(list.get());
  }
  static void setInt(const char16_t* name, int v) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(v);
    ASSERT_EQ(acedSetVar(name, &rb), RTNORM);
  }
  int var(const char16_t* name) { return db->impl()->varInt(name, -1); }

  std::vector<AcDbObjectId> viewports() { return qd::db::floatingViewports(db.get()); }
  // The names of the layers frozen in the viewport with this number, sorted.
  std::vector<std::u16string> frozenIn(int number) {
    std::vector<std::u16string> out;
    for (const AcDbObjectId& id : viewports()) {
      auto* vp = qd::db::asViewport(db->impl()->peek(id));
      if (qd::db::viewportNumber(vp) != number) continue;
      for (const AcDbObjectId& layer : qd::db::viewportFrozenLayers(vp))
        out.push_back(AcDbLayerTableRecord::cast(db->impl()->peek(layer))->nameConst());
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  using Names = std::vector<std::u16string>;

  std::unique_ptr<AcDbDatabase> db;
};

TEST_F(SheetLayout, ViewportsAreNumberedFromTwoAndTheSpacesFollowTheViewport) {
  ASSERT_EQ(viewports().size(), 2u);
  EXPECT_EQ(qd::db::viewportNumber(qd::db::asViewport(db->impl()->peek(viewports()[0]))), 2);
  EXPECT_EQ(qd::db::viewportNumber(qd::db::asViewport(db->impl()->peek(viewports()[1]))), 3);
  // Leaving the Model tab opens the sheet; MSPACE enters the first viewport.
  EXPECT_EQ(var(u"CVPORT"), 1);
  EXPECT_EQ(db->currentSpaceId(), db->paperSpaceId());
  EXPECT_TRUE(qd::db::currentViewport(db.get()).isNull());
  command({u"MSPACE"});
  EXPECT_EQ(var(u"CVPORT"), 2);
  EXPECT_EQ(db->currentSpaceId(), db->modelSpaceId());
  EXPECT_EQ(qd::db::currentViewport(db.get()), viewports()[0]);
  command({u"PSPACE"});
  EXPECT_EQ(var(u"CVPORT"), 1);
  setInt(u"TILEMODE", 1);
  EXPECT_EQ(var(u"CVPORT"), 2);
  qd::ui::Console::get().clearTranscript();
  command({u"MVIEW", u"0,0", u"10,10"});
  EXPECT_EQ(viewports().size(), 2u);
  EXPECT_TRUE(qd::ui::Console::get().printedContains(u"** Command not allowed in Model Tab **"));
}

TEST_F(SheetLayout, VplayerFreezesAndThawsInTheViewportsChosen) {
  command({u"MSPACE"});
  command({u"VPLAYER", u"_F", u"A*", u"_C", u""});
  EXPECT_EQ(frozenIn(2), (Names{u"A1", u"A2"}));
  EXPECT_EQ(frozenIn(3), Names{});
  command({u"VPLAYER", u"_F", u"B1", u"_A", u"_T", u"A2", u"", u""});  // a current scope by default
  EXPECT_EQ(frozenIn(2), (Names{u"A1", u"B1"}));
  EXPECT_EQ(frozenIn(3), Names{u"B1"});
  command({u"VPLAYER", u"_F", u"~B*", u"_E", u""});  // all but the current one
  EXPECT_EQ(frozenIn(3), (Names{u"0", u"A1", u"A2", u"B1"}));
  EXPECT_EQ(frozenIn(2), (Names{u"A1", u"B1"}));
  // The drawing's own layer states are not touched.
  auto* a1 = AcDbLayerTableRecord::cast(db->impl()->peek(db->impl()->recordId(db->impl()->layerTable, u"A1")));
  EXPECT_FALSE(a1->isFrozen());
}

TEST_F(SheetLayout, OnTheSheetTheViewportsArePicked) {
  // In paper space there is no current viewport: the default scope is a selection.
  ads_name vp;
  acdbGetAdsName(vp, viewports()[1]);
  qd::ads::RbList list(acutBuildList(RTSTR, u"VPLAYER", RTSTR, u"_F", RTSTR, u"A1", RTSTR, u"", RTENAME, vp,
                                     RTSTR, u"", RTSTR, u"", 0));
  acedCmd(list.get());
  EXPECT_EQ(frozenIn(2), Names{});
  EXPECT_EQ(frozenIn(3), Names{u"A1"});
}

TEST_F(SheetLayout, DefaultVisibilityGovernsNewViewportsAndReset) {
  command({u"MSPACE"});
  command({u"VPLAYER", u"_V", u"A2", u"_F", u""});
  command({u"MVIEW", u"200,0", u"300,100"});
  EXPECT_EQ(frozenIn(4), Names{u"A2"});
  EXPECT_EQ(frozenIn(2), Names{});
  command({u"VPLAYER", u"_F", u"A*", u"_A", u"_R", u"A*", u"_A", u""});
  EXPECT_EQ(frozenIn(2), Names{u"A2"});
  EXPECT_EQ(frozenIn(4), Names{u"A2"});
  // New layers frozen everywhere, and in viewports made later.
  command({u"VPLAYER", u"_N", u"N1,N2", u""});
  EXPECT_EQ(frozenIn(3), (Names{u"A2", u"N1", u"N2"}));
  command({u"MVIEW", u"300,0", u"400,100"});
  EXPECT_EQ(frozenIn(5), (Names{u"A2", u"N1", u"N2"}));
}

TEST_F(SheetLayout, OnTheModelTabNothingChangesAndEveryAnswerIsRead) {
  command({u"MSPACE"});
  setInt(u"TILEMODE", 1);
  qd::ui::Console::get().clearTranscript();
  command({u"VPLAYER", u"_F", u"A*", u"_C", u""});
  EXPECT_EQ(frozenIn(2), Names{});
  EXPECT_TRUE(qd::ui::Console::get().printedContains(u"** Command not allowed in Model Tab **"));
  // The answers were the command's: none was taken for a command of its own.
  EXPECT_FALSE(qd::ui::Console::get().printedContains(u"Unknown command"));
}

TEST_F(SheetLayout, FreezingIsUndoneAndKeptInTheFile) {
  command({u"MSPACE"});
  command({u"UNDO", u"_M"});
  command({u"VPLAYER", u"_F", u"A1,B1", u"_C", u""});
  EXPECT_EQ(frozenIn(2), (Names{u"A1", u"B1"}));
  command({u"UNDO", u"_B"});
  EXPECT_EQ(frozenIn(2), Names{});
  command({u"VPLAYER", u"_F", u"A1,B1", u"_C", u""});

  const std::string text = qd::dxf::write(db.get());
  // The list stands before the viewport's status flags, one group per layer.
  const size_t at = text.find("AcDbViewport");
  ASSERT_NE(at, std::string::npos);
  const size_t first = text.find("\n331\n", at), flags = text.find("\n 90\n", at);
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(first, flags);
  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, text, error), Acad::eOk);
  acdbHostApplicationServices()->setWorkingDatabase(&copy);
  std::vector<std::u16string> names;
  for (const AcDbObjectId& id : qd::db::floatingViewports(&copy))
    for (const AcDbObjectId& layer : qd::db::viewportFrozenLayers(qd::db::asViewport(copy.impl()->peek(id))))
      names.push_back(AcDbLayerTableRecord::cast(copy.impl()->peek(layer))->nameConst());
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Names{u"A1", u"B1"}));
  EXPECT_EQ(qd::dxf::write(&copy), text);
}

}  // namespace
