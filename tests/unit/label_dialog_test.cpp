// The label dialog's row editing, its text codes and the angle it accepts.
#include <gtest/gtest.h>

#include "label/dialogs/LabelDialog.h"
#include "label/dialogs/row_editing.h"

namespace {

using qd::label::RowList;

RowList rows(std::initializer_list<const char16_t*> texts) {
  RowList r;
  for (const char16_t* t : texts) r.emplace_back(t ? std::optional<std::u16string>(t) : std::nullopt);
  return r;
}

std::u16string shown(const RowList& r) {
  std::u16string out;
  for (size_t i = 0; i < r.size(); ++i) out += (i ? u"|" : u"") + qd::label::rowText(r, i);
  return out;
}

TEST(RowEditing, InsertedRowsStartAsTheKindWants) {
  RowList r = rows({u"a"});
  EXPECT_EQ(qd::label::insertRow(r, 0, 2), 1u);
  EXPECT_EQ(qd::label::insertRow(r, 0, 2), 1u);
  EXPECT_EQ(shown(r), u"a|&-|&-");
  // Kind 1 marks the first inserted row only; the other kinds insert empty rows.
  RowList one = rows({u"a"});
  qd::label::insertRow(one, 0, 1);
  qd::label::insertRow(one, 1, 1);
  EXPECT_EQ(shown(one), u"a|&-|");
  RowList other = rows({u"a", u"b"});
  EXPECT_EQ(qd::label::insertRow(other, 7, 0), 2u);  // past the end: after the last row
  EXPECT_EQ(shown(other), u"a|b|");
  RowList none;
  qd::label::insertRow(none, 0, 5);
  EXPECT_EQ(none.size(), 2u);
}

TEST(RowEditing, DeletingKeepsTheHeadRow) {
  RowList r = rows({u"a", u"b", u"c"});
  EXPECT_EQ(qd::label::deleteRow(r, 2), 1u);
  EXPECT_EQ(shown(r), u"a|b");
  EXPECT_EQ(qd::label::deleteRow(r, 0), 0u);  // row 0 takes the text of row 1
  EXPECT_EQ(shown(r), u"b");
  EXPECT_EQ(qd::label::deleteRow(r, 0), 0u);  // the only row loses its text
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FALSE(r[0].has_value());
  EXPECT_EQ(qd::label::deleteRow(r, 4), 0u);
  EXPECT_EQ(r.size(), 1u);
  RowList all = rows({u"a", nullptr, u"c"});
  EXPECT_EQ(shown(all), u"a||c");
  qd::label::deleteAllRows(all);
  EXPECT_EQ(all.size(), 1u);
  EXPECT_EQ(shown(all), u"");
  qd::label::setRowText(all, 9, u"x");  // no such row: the first one
  EXPECT_EQ(shown(all), u"x");
}

TEST(RowEditing, CodesGoWhereTheButtonsPutThem) {
  EXPECT_EQ(qd::label::withCode(u"ampr", u"abc"), u"&-abc");
  EXPECT_EQ(qd::label::withCode(u"grad", u"45"), u"45%%d");
  EXPECT_EQ(qd::label::withCode(u"plmn", u""), u"%%p");
  EXPECT_EQ(qd::label::withCode(u"prum", u"8"), u"8%%c");
  EXPECT_EQ(qd::label::withCode(u"ndtr", u"a"), u"a%%o");
  EXPECT_EQ(qd::label::withCode(u"podtr", u"a"), u"a%%u");
  EXPECT_EQ(qd::label::withCode(u"numbubl", u"a"), u"a&N");
  EXPECT_EQ(qd::label::withCode(u"other", u"a"), u"a");
}

TEST(AngleText, RealNumbersOfTenCharactersUpTo360) {
  int i = 0;
  for (const char16_t* good : {u"0", u"360", u"-80", u"12.5", u"-12345.678", u"-999999999"})
    EXPECT_TRUE(qd::label::validAngleText(good)) << "good " << i++;
  i = 0;
  for (const char16_t* bad : {u"", u"360.01", u"abc", u"12a", u"-12345.6789", u"45 ", u"1234567.89"})
    EXPECT_FALSE(qd::label::validAngleText(bad)) << "bad " << i++;
}

}  // namespace
