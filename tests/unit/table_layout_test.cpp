// The table layout with texts one unit wide a character: column widths, the sharing of
// spare width and of spanning texts, decimal positions, wrapping onto continuation lines
// and down merged runs, the fitting modes; and the export table's codes and records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/ads/session.h"
#include "table/TableDescription.h"
#include "table/TableExport.h"
#include "table/TableLayout.h"

namespace {

using qd::table::TableDescription;
using qd::table::TableLayout;

double characters(const std::u16string& s) { return static_cast<double>(s.size()); }

class Layout : public ::testing::Test {
 protected:
  void SetUp() override { qd::ads::printSink() = [this](const std::u16string& s) { printed += s; }; }
  void TearDown() override { qd::ads::printSink() = [](const std::u16string&) {}; }

  // Rows of texts ("" for none); every span and alignment at its default.
  void texts(const std::vector<std::vector<std::u16string>>& rows) {
    d.cells.clear();
    for (const auto& r : rows) {
      d.cells.emplace_back();
      for (const auto& t : r) d.cells.back().push_back(t.empty() ? std::nullopt : std::optional<std::u16string>(t));
    }
    d.rows = static_cast<int>(rows.size());
    d.columns = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  }
  std::vector<std::u16string> column(const TableLayout& l, int c) const {
    std::vector<std::u16string> out;
    for (const auto& line : l.lines()) out.push_back(line.slots[static_cast<size_t>(c)].value_or(u"-"));
    return out;
  }

  TableDescription d;
  std::u16string printed;
};

TEST_F(Layout, SpareWidthGoesToTheNarrowestColumnFirstUntilTheTableIsAsWide) {
  texts({{std::u16string(10, u'x'), std::u16string(30, u'y')}});
  d.optimise = 0;
  TableLayout l(d, characters);
  EXPECT_TRUE(l.layOut());
  // 144.4 in eight steps of 18.05: the first column three times before the second grows.
  EXPECT_NEAR(l.width(0), 10 + 5 * 18.05, 1e-9);
  EXPECT_NEAR(l.width(1), 30 + 3 * 18.05, 1e-9);
  EXPECT_NEAR(l.totalWidth(), 190, 1e-9);
}

TEST_F(Layout, ATableWiderThanAskedStaysWider) {
  texts({{std::u16string(120, u'x'), std::u16string(100, u'y')}});
  d.optimise = 0;
  TableLayout l(d, characters);
  EXPECT_TRUE(l.layOut());
  EXPECT_DOUBLE_EQ(l.totalWidth(), 220 + 2 * 2.8);
}

TEST_F(Layout, ASpanningTextWiderThanItsColumnsIsSharedOverThem) {
  texts({{u"aaaaa", u"bbbbb", u"ccccc"}, {std::u16string(30, u's'), u"", u""}});
  d.span(1, 0) = 3;
  d.span(1, 1) = d.span(1, 2) = 0;
  d.optimise = 0;
  d.width = 0;
  TableLayout l(d, characters);
  l.layOut();
  for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(l.width(c), 10) << c;
}

TEST_F(Layout, SpanCodesOfAThousandAndMoreActByTheirLastDigits) {
  texts({{std::u16string(30, u's'), u"", u""}, {u"a", u"b", u"c"}});
  d.span(0, 0) = 1003;
  d.span(0, 1) = d.span(0, 2) = -1000;
  d.optimise = 0;
  d.width = 0;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_DOUBLE_EQ(l.width(0) + l.width(1) + l.width(2), 30);
  EXPECT_EQ(qd::table::spanCode(-1001), -1);
  EXPECT_EQ(qd::table::spanCode(2003), 3);
}

TEST_F(Layout, IntegersOfADecimalColumnAlignOnAnImpliedPoint) {
  texts({{u"7"}, {u"12.5"}, {u"x"}});
  d.alignment(0, 0) = d.alignment(1, 0) = 4;
  d.alignment(2, 0) = 1;  // not a decimal cell: keeps its text
  d.optimise = 0;
  d.width = 0;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_EQ(column(l, 0), (std::vector<std::u16string>{u"7.", u"12.5", u"x"}));
  EXPECT_DOUBLE_EQ(l.decimalOf(0, 4), 2);  // "12"
  // The widest fraction (".5") after the widest integer part.
  EXPECT_DOUBLE_EQ(l.width(0), 4);
}

TEST_F(Layout, DecimalsFromTheRightAndAroundTheCentreMeasureTheirOwnWay) {
  texts({{u"1.25", u"100.5"}, {u"10.5", u"1.125"}});
  d.alignment(0, 0) = d.alignment(1, 0) = 6;
  d.alignment(0, 1) = d.alignment(1, 1) = 5;
  d.optimise = 0;
  d.width = 0;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_DOUBLE_EQ(l.decimalOf(0, 6), 3);  // ".25"
  EXPECT_DOUBLE_EQ(l.width(0), 2 + 3);     // widest integer "10" and the fraction position
  EXPECT_DOUBLE_EQ(l.width(1), 2 * 4);     // twice ".125"
}

TEST_F(Layout, FittingWrapsTheColumnThatGainsMostAndLeavesSingleWordsWhole) {
  texts({{u"Protipožární", u"vchodové dveře s nadsvětlíkem"}, {u"Klika", u"interiérové"}});
  d.width = 40;
  TableLayout l(d, characters);
  EXPECT_TRUE(l.layOut());
  EXPECT_LE(l.totalWidth(), 40 + 1e-9);
  EXPECT_EQ(column(l, 0), (std::vector<std::u16string>{u"Protipožární", u"-", u"Klika"}));
  EXPECT_EQ(column(l, 1), (std::vector<std::u16string>{u"vchodové dveře s", u"nadsvětlíkem", u"interiérové"}));
  EXPECT_TRUE(l.lines().begin()->continuation == false && std::next(l.lines().begin())->continuation);
  EXPECT_EQ(l.lineCount(), 3);
}

TEST_F(Layout, WordsThatCannotWrapFailTheFit) {
  texts({{u"Protipožární", u"Bezpečnostní"}});
  d.width = 10;
  TableLayout l(d, characters);
  EXPECT_FALSE(l.layOut());
  EXPECT_DOUBLE_EQ(l.totalWidth(), 24 + 2 * 2.8);
}

TEST_F(Layout, ANegativeAlignmentIsNeverWrapped) {
  texts({{u"nikdy se nezalomí", u"zalomí se vždy"}});
  d.alignment(0, 0) = -1;
  d.width = 20;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_EQ(column(l, 0)[0], u"nikdy se nezalomí");
  EXPECT_EQ(column(l, 1)[0], u"zalomí");
}

TEST_F(Layout, AForcedColumnIsWrappedEvenWhenTheTableFits) {
  texts({{u"a b c", u"x"}});
  d.optimise = 10000;  // no fitting, column 0 wrapped
  TableLayout l(d, characters);
  EXPECT_TRUE(l.layOut());
  EXPECT_EQ(l.forcedColumn(), 0);
  EXPECT_FALSE(l.fits());
  EXPECT_EQ(column(l, 0), (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_NEAR(l.totalWidth(), 190, 1e-9);
}

TEST_F(Layout, OnlyModeOneFits) {
  for (double mode : {0.0, 2.0, -1.0}) {
    texts({{u"a b c d e f g h", u"x"}});
    d.optimise = mode;
    d.width = 10;
    TableLayout l(d, characters);
    EXPECT_TRUE(l.layOut()) << mode;
    EXPECT_EQ(l.lineCount(), 1) << mode;
  }
  d.optimise = 20001;  // fitting, with column 1 wrapped first
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_TRUE(l.fits());
  EXPECT_EQ(l.forcedColumn(), 1);
}

TEST_F(Layout, AWordWrappedInAMergedRunGoesIntoTheRowBelowAndThenUp) {
  texts({{u"jedna dva tri", u"A"}, {u"", u"B"}, {u"x", u"C"}});
  d.span(0, 0) = d.span(1, 0) = -1;
  d.alignment(0, 1) = d.alignment(1, 1) = d.alignment(2, 1) = -1;
  d.width = 16;
  TableLayout l(d, characters);
  l.layOut();
  // The free cell of the second row takes the word; no line is added for it.
  EXPECT_EQ(column(l, 0)[0], u"jedna dva");
  EXPECT_EQ(column(l, 0)[1], u"tri");
  EXPECT_EQ(l.lineCount(), 3);
}

TEST_F(Layout, MergedCellsBelowMoveDownForTheWordAndAreAddedToWhenFull) {
  texts({{u"aa bb", u"1"}, {u"cc", u"2"}});
  d.span(0, 0) = d.span(1, 0) = -1;
  d.alignment(0, 1) = d.alignment(1, 1) = -1;
  d.width = 3;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_EQ(column(l, 0), (std::vector<std::u16string>{u"aa", u"bb", u"cc"}));
  EXPECT_EQ(l.lineCount(), 3);
}

TEST_F(Layout, TextsPullUpIntoFreeCellsOfAMergedRun) {
  texts({{u"a", u"x"}, {u"", u"y"}, {u"", u"z"}, {u"b", u"w"}});
  for (int r = 0; r < 4; ++r) d.span(r, 0) = -1;
  d.optimise = 0;
  TableLayout l(d, characters);
  l.layOut();
  EXPECT_EQ(column(l, 0), (std::vector<std::u16string>{u"a", u"-", u"-", u"b"}));  // without fitting, nothing moves
  d.optimise = 1;
  d.width = 1000;
  TableLayout fitted(d, characters);
  fitted.layOut();
  EXPECT_EQ(column(fitted, 0), (std::vector<std::u16string>{u"a", u"b", u"-", u"-"}));
}

TEST_F(Layout, TheLineLimitEndsTheFit) {
  std::vector<std::vector<std::u16string>> rows(qd::table::kMaxLines - 1, {u"x"});
  rows[0][0] = u"slovo slovo";
  texts(rows);
  d.width = 5;
  TableLayout l(d, characters);
  EXPECT_FALSE(l.layOut());
  EXPECT_NE(printed.find(u"\n Can't make pointer to next [499] row in table"), std::u16string::npos) << std::string(printed.begin(), printed.end());
  EXPECT_EQ(l.lineCount(), qd::table::kMaxLines - 1);
}

TEST_F(Layout, TheHeaderRunsToTheFirstRowWithoutMergedCells) {
  texts({{u"a"}, {u"b"}, {u"c"}, {u"d"}});
  EXPECT_EQ(qd::table::headerRowCount(d), 1);
  d.span(0, 0) = d.span(1, 0) = -1;
  EXPECT_EQ(qd::table::headerRowCount(d), 2);
  d.span(2, 0) = -2;  // below the first row a cell that never takes a line below continues it
  EXPECT_EQ(qd::table::headerRowCount(d), 3);
  d.span(0, 0) = 1;
  EXPECT_EQ(qd::table::headerRowCount(d), 1);
}

TEST(TableTexts, DecimalPartsAndStrikes) {
  EXPECT_EQ(qd::table::integerPart(u"  12.5"), u"12");
  EXPECT_EQ(qd::table::integerPart(u"1.2.3"), u"1");
  EXPECT_EQ(qd::table::fractionPart(u"1.2.3"), u".3");
  EXPECT_EQ(qd::table::fractionPart(u"7"), u"");
  EXPECT_TRUE(qd::table::isStrike(u" & &"));
  EXPECT_FALSE(qd::table::isStrike(u"   "));
  EXPECT_FALSE(qd::table::isStrike(u"&x"));
}

TEST(TableExport, BorderCodesFollowTheSpansAround) {
  TableDescription d;
  d.rows = 4;
  d.columns = 4;
  d.span(0, 0) = 3;
  d.span(0, 1) = d.span(0, 2) = 0;
  d.span(1, 3) = d.span(2, 3) = d.span(3, 3) = -1;
  EXPECT_EQ(qd::table::exportBorder(d, 0, 0), 1);
  EXPECT_EQ(qd::table::exportBorder(d, 0, 1), 3);  // covered, and so is its right neighbour
  EXPECT_EQ(qd::table::exportBorder(d, 0, 2), 2);
  EXPECT_EQ(qd::table::exportBorder(d, 0, 3), 0);
  EXPECT_EQ(qd::table::exportBorder(d, 1, 3), 8);
  EXPECT_EQ(qd::table::exportBorder(d, 2, 3), 12);
  EXPECT_EQ(qd::table::exportBorder(d, 3, 3), 4);  // below the last row counts as ordinary
  d.span(1, 0) = -1;
  EXPECT_EQ(qd::table::exportBorder(d, 1, 0), 0);  // above it a spanning cell, below an ordinary one
}

TEST(TableExport, AlignmentCodes) {
  const std::vector<std::pair<int, int>> codes = {{-2, 1}, {0, 1}, {1, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 3}, {6, 2}, {7, 1}};
  for (const auto& [table, sheet] : codes) EXPECT_EQ(qd::table::exportAlignment(table), sheet) << table;
}

TEST(TableExport, RecordsLinkEveryRowAndCell) {
  TableDescription d;
  d.cells = {{u"Č.", std::nullopt}, {u"1", u"D1"}, {u"2", u"D2"}};
  d.rows = 3;
  d.columns = 2;
  d.span(0, 0) = -1;
  d.span(1, 0) = -1;
  d.alignment(2, 1) = 3;
  d.sheetText = std::u16string(40, u'S');
  const qd::table::ExportBuild build(d);
  const qd::table::ExportTable* t = build.table();
  EXPECT_EQ(t->columns, 2);
  EXPECT_EQ(t->rows, 3);
  EXPECT_EQ(t->headerRows, 2);
  EXPECT_EQ(t->reserved, -1);
  EXPECT_EQ(t->columnLimit, 50);
  EXPECT_EQ(std::u16string(t->sheet), std::u16string(31, u'S'));
  std::vector<std::u16string> seen;
  int rows = 0;
  for (const qd::table::ExportRow* r = t->first; r; r = r->next, ++rows) {
    EXPECT_EQ(r->reserved3, 0);
    for (const qd::table::ExportCell* c = r->first; c; c = c->next) seen.push_back(c->text);
  }
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Č.", u"", u"1", u"D1", u"2", u"D2"}));
  EXPECT_EQ(t->first->first->border, 8);
  EXPECT_EQ(t->first->next->next->first->next->alignment, 2);
}

}  // namespace
