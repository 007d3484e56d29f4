// A table drawn into a new drawing: what a table that is not drawn leaves (nothing, not
// even the marker point), the extended data of each kind of entity in its order, the
// colours of heavy layers, and the corner and id handed back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Library/Inc/holders.h"
#include "headless/ads/session.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "table/TableDescription.h"
#include "table/TableDrawing.h"

namespace {

using qd::support::ResbufList;
using qd::table::TableDescription;

class TableDrawn : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
    d = std::make_unique<TableDescription>();
    d->cells = {{u"Č.", u"Typ"}, {u"1", u"&"}};
    d->rows = 2;
    d->columns = 2;
    d->width = 60;
    d->colours = {1, 2, 3};
  }
  void TearDown() override {
    unsetenv("TVRCDAT");
    qd::ads::printSink() = [](const std::u16string&) {};
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  // Each entity of the drawing: its type, and its applications in order with their
  // first value.
  struct Made {
    std::u16string type, layer;
    int colour = 0;
    std::vector<std::u16string> apps;
  };
  std::vector<Made> entities() const {
    std::vector<Made> out;
    ResbufList apps(acutBuildList(RTSTR, u"*", 0));
    ads_name e, next;
    for (int rc = acdbEntNext(nullptr, e); rc == RTNORM; rc = acdbEntNext(e, next), ads_name_set(next, e)) {
      ResbufList list(acdbEntGetX(e, apps.get()));
      Made m;
      for (const resbuf* rb = list.get(); rb; rb = rb->rbnext) {
        if (rb->restype == 0) m.type = rb->resval.rstring;
        if (rb->restype == 8) m.layer = rb->resval.rstring;
        if (rb->restype == 62) m.colour = rb->resval.rint;
        if (rb->restype == 1001) m.apps.emplace_back(rb->resval.rstring);
      }
      out.push_back(m);
    }
    return out;
  }

  std::unique_ptr<AcDbDatabase> db;
  std::unique_ptr<TableDescription> d;
  std::u16string printed;
};

TEST_F(TableDrawn, ATableThatDoesNotFitAndHasNoMessageLeavesTheDrawingAsItWas) {
  d->cells = {{u"Protipožární", u"Bezpečnostní"}};
  d->rows = 1;
  d->width = 5;
  qd::table::DrawnTable drawn;
  EXPECT_EQ(qd::table::drawTable(*d, drawn), qd::table::kNotDrawn);
  EXPECT_TRUE(entities().empty());
}

TEST_F(TableDrawn, EachEntityCarriesItsDataInOrder) {
  qd::table::DrawnTable drawn;
  ASSERT_EQ(qd::table::drawTable(*d, drawn), RTNORM);
  const std::vector<Made> made = entities();
  ASSERT_GE(made.size(), 2u);
  // The point an empty drawing needs first, then the top line whose handle names the table.
  EXPECT_EQ(made[0].type, u"POINT");
  EXPECT_TRUE(made[0].apps.empty());
  EXPECT_EQ(made[1].apps, (std::vector<std::u16string>{u"QD_DRAW_TABLE", drawn.id}));
  int strikes = 0, texts = 0;
  for (size_t i = 2; i < made.size(); ++i) {
    const Made& m = made[i];
    if (m.apps.size() == 3) {
      ++strikes;
      EXPECT_EQ(m.apps, (std::vector<std::u16string>{u"QD_DRAW_TABLE", u"QD_TABLE_DEL", drawn.id}));
    } else {
      EXPECT_EQ(m.apps, (std::vector<std::u16string>{drawn.id, u"QD_DRAW_TABLE"})) << i;
    }
    if (m.type == u"TEXT") ++texts;
  }
  EXPECT_EQ(strikes, 1);
  EXPECT_EQ(texts, 3);  // the "&" cell is not written
  EXPECT_DOUBLE_EQ(drawn.lowerRight.x, 60);
  EXPECT_DOUBLE_EQ(drawn.lowerRight.y, 200 - 2 * (2.8 + 1.4));
  EXPECT_EQ(drawn.id.substr(0, 1), u"$");
}

TEST_F(TableDrawn, HeavyLayersTakeTheHeavyColourUnlessTheEnvironmentSaysOtherwise) {
  qd::table::DrawnTable drawn;
  ASSERT_EQ(qd::table::drawTable(*d, drawn), RTNORM);
  for (const Made& m : entities()) {
    if (m.type == u"POINT") continue;
    const int want = m.layer == u"TVTA0002Z" ? 1 : m.type == u"LINE" ? 2 : 3;
    EXPECT_EQ(m.colour, want) << std::string(m.layer.begin(), m.layer.end());
  }
  setenv("TVRCDAT", "1", 1);
  d->insertion = AcGePoint3d(0, 100, 0);
  ASSERT_EQ(qd::table::drawTable(*d, drawn), RTNORM);
  const std::vector<Made> all = entities();
  bool heavyLineSeen = false;
  for (size_t i = all.size() / 2 + 1; i < all.size(); ++i)
    if (all[i].layer == u"TVTA0002Z" && all[i].type == u"LINE") {
      heavyLineSeen = true;
      EXPECT_EQ(all[i].colour, 2);
    }
  EXPECT_TRUE(heavyLineSeen);
}

}  // namespace
