// The table description as callers give it: defaults for what is not given, the
// messages of a short argument list, the limits of texts, rows and columns.
#include <gtest/gtest.h>

#include <memory>

#include "Library/Inc/holders.h"
#include "headless/ads/session.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "table/TableDescription.h"

namespace {

using qd::support::ResbufList;
using qd::table::TableDescription;

class TableInput : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
  }
  void TearDown() override {
    qd::ads::printSink() = [](const std::u16string&) {};
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  int read(resbuf* args) {
    ResbufList owned(args);
    return qd::table::readTableDescription(owned.get(), d);
  }
  bool said(const std::u16string& text) const { return printed.find(text) != std::u16string::npos; }

  std::unique_ptr<AcDbDatabase> db;
  TableDescription d;
  std::u16string printed;
};

const double kAt[3] = {10, 20, 0};

// The arguments up to and with the cell texts, with the rows given.
resbuf* head(resbuf* cells) {
  resbuf* list = acutBuildList(RT3DPOINT, kAt, RTSTR, u"Dveře", RTREAL, 150.0, RTREAL, 0.0, RTSTR, u"L1", RTSTR, u"L2",
                               RTSHORT, 2, 0);
  resbuf* tail = list;
  while (tail->rbnext) tail = tail->rbnext;
  tail->rbnext = cells;
  return list;
}

TEST_F(TableInput, APointAndATitleOnlyLeaveTheDefaults) {
  EXPECT_EQ(read(acutBuildList(RT3DPOINT, kAt, RTSTR, u"Title", 0)), RTNORM);
  EXPECT_TRUE(said(u"\n Error in read input ->expect table width."));
  EXPECT_FALSE(d.exportMode);
  EXPECT_DOUBLE_EQ(d.insertion.y, 20);
  EXPECT_EQ(d.title.value_or(u""), u"Title");
  EXPECT_DOUBLE_EQ(d.width, 190);
  EXPECT_EQ(d.mainLayer, u"TVTA0002Y");
  EXPECT_DOUBLE_EQ(d.textHeight, 2.8);
  EXPECT_DOUBLE_EQ(d.titleHeight, 4.2);
  EXPECT_EQ(d.titleStyle, d.textStyle);
  EXPECT_EQ(d.span(3, 4), 1);
  EXPECT_EQ(d.alignment(3, 4), 2);
}

TEST_F(TableInput, NoArgumentsNoTextsAndNoPoint) {
  EXPECT_EQ(qd::table::readTableDescription(nullptr, d), 10);
  TableDescription other;
  ResbufList noTexts(acutBuildList(RT3DPOINT, kAt, RTSTR, u"T", RTREAL, 1.0, RTREAL, 0.0, RTSTR, u"A", RTSTR, u"B",
                                   RTSHORT, 1, RTREAL, 5.0, 0));
  EXPECT_EQ(qd::table::readTableDescription(noTexts.get(), other), RTERROR);
  // nil first: the table goes to the workbook.
  EXPECT_EQ(read(acutBuildList(RTNIL, RTSTR, u"T", 0)), RTNORM);
  EXPECT_TRUE(d.exportMode);
}

TEST_F(TableInput, AShortRowSetsTheColumnsAndBlanksAreNoText) {
  read(head(acutBuildList(RTLB, RTLB, RTSTR, u"a", RTSTR, u"   ", RTSTR, u"c", RTLE, RTLB, RTSTR, u"d", RTSTR, u"e",
                          RTLE, RTLE, 0)));
  EXPECT_EQ(d.rows, 2);
  EXPECT_EQ(d.columns, 2);
  EXPECT_TRUE(said(u"\n Error in read input - row 2 have low text"));
  ASSERT_EQ(d.cells[0].size(), 3u);
  EXPECT_FALSE(d.cells[0][1].has_value());
  EXPECT_EQ(d.cells[0][2].value_or(u""), u"c");
  EXPECT_EQ(d.title.value_or(u""), u"Dveře");
  EXPECT_DOUBLE_EQ(d.optimise, 2);
}

TEST_F(TableInput, ARowHoldsAtMostFiftyTexts) {
  // One row of 52 texts: the last two are dropped, each with the message.
  resbuf* cells = acutBuildList(RTLB, RTLB, 0);
  resbuf* tail = cells->rbnext;
  for (int i = 0; i < 52; ++i) tail = tail->rbnext = acutBuildList(RTSTR, u"x", 0);
  tail->rbnext = acutBuildList(RTLE, RTLE, 0);
  read(head(cells));
  EXPECT_EQ(d.columns, 50);
  EXPECT_EQ(d.cells[0].size(), 50u);
  EXPECT_TRUE(said(u"\n Max column is 50\n Max column is 50"));
  EXPECT_FALSE(said(u"\n Max column is 50\n Max column is 50\n Max column is 50"));
}

TEST_F(TableInput, TheLaterValuesMessagesAndColours) {
  std::u16string longMessage(300, u'm');
  resbuf* rest = acutBuildList(RTLB, RTLB, RTSTR, u"a", RTLE, RTLE,                    // cells
                               RTLB, RTLB, RTSHORT, 3, RTLE, RTLE,                     // spans
                               RTNIL,                                                  // alignments
                               RTLB, RTSHORT, 0, RTSHORT, 2, RTLE,                     // row lines
                               RTNIL,                                                  // column lines
                               RTREAL, 1.0, RTREAL, 2.0, RTSTR, u"QD_ROMANS", RTREAL, 0.9, RTREAL, 3.5,
                               RTSTR, longMessage.c_str(), RTSTR, u"QD_TITLE", RTSTR, u"no height",
                               RTSHORT, 0, RTSHORT, 1, RTSTR, u"Dvere", RTSTR, u"Seznam",
                               RTLB, RTSHORT, 1, RTSHORT, 2, RTSHORT, 3, RTLE, 0);
  EXPECT_EQ(read(head(rest)), RTNORM);
  EXPECT_EQ(d.span(0, 0), 3);
  ASSERT_TRUE(d.rowLines.has_value());
  EXPECT_EQ(*d.rowLines, (std::vector<short>{0, 2, -1}));
  EXPECT_FALSE(d.columnLines.has_value());
  EXPECT_DOUBLE_EQ(d.columnGap, 2.0);
  EXPECT_EQ(d.textStyle, u"QD_ROMANS");
  EXPECT_DOUBLE_EQ(d.textHeight, 3.5);
  ASSERT_TRUE(d.overflowMessage.has_value());
  EXPECT_EQ(d.overflowMessage->size(), 254u);
  EXPECT_EQ(d.titleStyle, u"QD_TITLE");
  // A title height that is no real is 1.5 times the text's.
  EXPECT_DOUBLE_EQ(d.titleHeight, 5.25);
  EXPECT_DOUBLE_EQ(d.grouping, 0);
  EXPECT_DOUBLE_EQ(d.widthDialog, 1);
  EXPECT_EQ(d.sheetText, u"Dvere");
  EXPECT_EQ(d.nameText, u"Seznam");
  EXPECT_EQ(d.colours, (std::array<int, 3>{1, 2, 3}));
}

TEST_F(TableInput, ColoursFromAPointAreTruncated) {
  const double p[3] = {1.9, 2.2, 3.7};
  resbuf* rest = acutBuildList(RTLB, RTLB, RTSTR, u"a", RTLE, RTLE, RTLB, RTLE, RTNIL, RTNIL, RTNIL, RTREAL, 1.0,
                               RTREAL, 2.0, RTSTR, u"S", RTREAL, 1.0, RTREAL, 2.8, RTNIL, RTSTR, u"S", RTREAL, 4.0,
                               RTSHORT, 1, RTSHORT, 0, RTSTR, u"*", RTSTR, u"T", RT3DPOINT, p, 0);
  read(head(rest));
  EXPECT_EQ(d.colours, (std::array<int, 3>{1, 2, 3}));
  EXPECT_DOUBLE_EQ(d.titleHeight, 4.0);
}

}  // namespace
