// The rows of texts on a line against their line: above, on and below the marked row,
// the gap grown for rows not aligned left, the text line's length by its mode, and the
// groups of a grouped label.
#include <gtest/gtest.h>

#include <memory>

#include "headless/ads/session.h"
#include "host/dbdatabase.h"
#include "label/command/label_state.h"
#include "label/kinds/leader_label.h"
#include "tests/unit/label_fixture.h"

namespace {

using qd::label::leader_label;

class LeaderRows : public LabelTest {
 protected:
  // A label of the kind with the rows and justification, built as the kind builds it.
  std::unique_ptr<leader_label> label(int kind, std::initializer_list<const char16_t*> texts, const char16_t* pos) {
    state->settings.current_kind = kind;
    qd::label::RowList& rows = state->currentList();
    rows.clear();
    for (const char16_t* t : texts) rows.emplace_back(t);
    qd::label::setText(state->currentBlock().text_pos, pos);
    auto k = std::make_unique<leader_label>(*state);
    qd::label::buildContext(*k);
    qd::label::buildLeaderLabel(*k);
    return k;
  }
  double step(const leader_label& k) { return qd::label::lineStep(k).y; }
};

TEST_F(LeaderRows, RowsStandAboveOnAndBelowTheMarkedRow) {
  auto k = label(1, {u"Nad", u"&-Na care", u"Pod"}, u"BL");
  const double gap = k->gap;
  qd::label::placeRowsOnLine(*k);
  ASSERT_EQ(k->rows.size(), 3u);
  const double s = step(*k);
  EXPECT_GT(s, 0);
  EXPECT_DOUBLE_EQ(k->rows[0].step_y, s);
  EXPECT_DOUBLE_EQ(k->rows[1].step_y, 0);
  EXPECT_DOUBLE_EQ(k->rows[2].step_y, -s);
  EXPECT_EQ(k->rows[1].text, u"Na care");
  EXPECT_TRUE(k->rows[1].marked);
  EXPECT_FALSE(k->rows[0].marked);
  // Left aligned: the gap stays the width of "A".
  EXPECT_DOUBLE_EQ(k->gap, gap);
  EXPECT_EQ(k->rows[0].horizontal_mode, 0);
  EXPECT_EQ(k->rows[0].vertical_mode, 1);
}

TEST_F(LeaderRows, WithoutAMarkTheFirstRowSitsOnTheLineAndTopRowsHangUnderIt) {
  auto k = label(1, {u"Jedna", u"Dva"}, u"TL");
  qd::label::placeRowsOnLine(*k);
  EXPECT_TRUE(k->rows[0].marked);
  // Top: everything one step lower.
  EXPECT_DOUBLE_EQ(k->rows[0].step_y, -step(*k));
  EXPECT_DOUBLE_EQ(k->rows[1].step_y, -2 * step(*k));
}

TEST_F(LeaderRows, TheGapGrowsByTheMarkedRowForRowsNotAlignedLeft) {
  auto left = label(1, {u"&-Siroky radek", u"x"}, u"BL");
  qd::label::placeRowsOnLine(*left);
  auto right = label(1, {u"&-Siroky radek", u"x"}, u"BR");
  qd::label::placeRowsOnLine(*right);
  auto centre = label(1, {u"&-Siroky radek", u"x"}, u"BC");
  qd::label::placeRowsOnLine(*centre);
  const double width = qd::label::rowWidth(*left, left->rows[0]);
  EXPECT_GT(width, 0);
  EXPECT_NEAR(right->gap - left->gap, width, 1e-9);
  EXPECT_NEAR(centre->gap - left->gap, width / 2, 1e-9);
  EXPECT_EQ(right->rows[0].horizontal_mode, 2);
  EXPECT_EQ(centre->rows[0].horizontal_mode, 1);
}

TEST_F(LeaderRows, TheTextLineIsAsLongAsItsModeSays) {
  // Mode 2: the right edge of the widest row.
  qd::label::setText(state->settings.table[0][1].attachline, u"0");
  qd::label::setText(state->settings.table[0][1].lenght_along, u"2");
  auto k = label(1, {u"kratky", u"&-nejdelsi radek", u"x"}, u"BL");
  qd::label::placeRowsOnLine(*k);
  ASSERT_TRUE(k->text_line.has_value());
  EXPECT_GT(k->text_line->length, qd::label::rowWidth(*k, k->rows[0]));
  EXPECT_NEAR(k->text_line->length, qd::label::textLineLength(*k, {&k->rows[1]}), 1e-9);
  // Mode 0: the given 10 mm at 1:100.
  qd::label::setText(state->settings.table[0][1].lenght_along, u"0");
  k = label(1, {u"&-a"}, u"BL");
  qd::label::placeRowsOnLine(*k);
  EXPECT_DOUBLE_EQ(k->text_line->length, 1000);
  // The line ends a gap and its length from the anchor, on either side.
  const AcGePoint3d end = qd::label::lineEnd(*k, AcGePoint3d(0, 0, 0), -1);
  EXPECT_NEAR(end.x, -(1000 + k->gap), 1e-9);
}

TEST_F(LeaderRows, GroupsHangOneBelowTheOther) {
  auto k = label(2, {u"&-Prvni", u"a", u"&-Druha skupina", u"b"}, u"BC");
  const double gap = k->gap;
  ASSERT_TRUE(qd::label::placeRowsInGroups(*k));
  ASSERT_EQ(k->rows.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(k->rows[i].step_y, -static_cast<double>(i) * step(*k), 1e-9);
  EXPECT_NEAR(k->gap - gap, qd::label::rowWidth(*k, k->rows[2]) / 2, 1e-9);
  // One marked row is no group label.
  auto one = label(2, {u"&-Jen", u"jedna"}, u"BL");
  EXPECT_FALSE(qd::label::placeRowsInGroups(*one));
  EXPECT_TRUE(one->rows.empty());
}

}  // namespace
