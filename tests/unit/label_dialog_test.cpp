// The label dialog's row editing, its text codes and the angle it accepts, and the
// steps that carry out what a settings dialog asked for.
#include <gtest/gtest.h>

#include "headless/ads/session.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "label/command/LabelCommand.h"
#include "label/command/label_state.h"
#include "label/dialogs/LabelDialog.h"
#include "label/dialogs/row_editing.h"
#include "label/kinds/element_picker.h"
#include "platform/codepage.h"

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

// ---- the steps that carry out a settings dialog's request ----

namespace steps {

using qd::ui::Console;

class Steps : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
    state = std::make_unique<qd::label::label_state>();
    state->settings.set_defaults();
    state->settings.current_kind = 0;
    std::copy_n(u"1:100", 6, state->settings.scale);
    state->settings.unit_factor = 1000;
  }
  void TearDown() override {
    state.reset();
    Console::get().setSource(nullptr);
    Console::get().clearStop();
    qd::ads::printSink() = [](const std::u16string&) {};
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  void events(const std::string& text) {
    script = std::make_unique<qd::ui::ScriptSource>("test", text);
    Console::get().setSource(script.get());
    Console::get().clearStop();
  }
  void request(int mode, const std::u16string& field = u"") {
    auto r = std::make_unique<qd::label::label_request>();
    r->mode = mode;
    r->field = field;
    r->styleName = u"QD_NEW";
    r->fontFile = u"romans.shx";
    r->widthFactor = 0.8;
    state->leaveRequest(std::move(r));
  }
  std::unique_ptr<AcDbDatabase> db;
  std::unique_ptr<qd::label::label_state> state;
  std::unique_ptr<qd::ui::ScriptSource> script;
  std::u16string printed;
};

TEST_F(Steps, ASizeTypedInDrawingUnitsIsKeptOnTheSheet) {
  request(2, u"heighttext_sc");
  // 0 and a size above 999 mm on the sheet are refused and asked again; 0.5 m at 1:100
  // is 5 mm on the sheet.
  events("0\n200\n0.5\n");
  qd::label::textStyleStep(*state);
  EXPECT_EQ(std::u16string(state->currentBlock().heighttext_sc), u"5.00");
  // It asked three times: no answer is left.
  qd::ui::Event left;
  EXPECT_FALSE(script->next(left, u""));
  // Enter keeps the size; the prompt shows it in drawing units.
  events("<enter>\n");
  qd::label::linetypeStep(*state);
  EXPECT_EQ(std::u16string(state->currentBlock().heighttext_sc), u"5.00");
  EXPECT_TRUE(Console::get().printedContains(u" <0.5000>:"));
}

TEST_F(Steps, AStyleIsMadeCurrentAndCreatedWhenMissing) {
  request(3);
  qd::label::textStyleStep(*state);
  resbuf rb{};
  ASSERT_EQ(acedGetVar(u"TEXTSTYLE", &rb), RTNORM);
  EXPECT_EQ(std::u16string(rb.resval.rstring), u"QD_NEW");
  acutDelString(rb.resval.rstring);
  resbuf* style = acdbTblSearch(u"STYLE", u"QD_NEW", 0);
  ASSERT_NE(style, nullptr);
  std::u16string font;
  double width = 0;
  for (const resbuf* at = style; at; at = at->rbnext) {
    if (at->restype == 3) font = at->resval.rstring;
    if (at->restype == 41) width = at->resval.rreal;
  }
  acutRelRb(style);
  EXPECT_EQ(font, u"romans.shx");
  EXPECT_DOUBLE_EQ(width, 0.8);
}

}  // namespace steps

TEST(ElementPicker, CandidateLinesPadTheDescriptionTo55Characters) {
  const std::u16string line = qd::label::candidateLine(u"SK1 Zdivo.", u"_1 Podlaží");
  EXPECT_EQ(line, u"SK1 Zdivo." + std::u16string(45, u' ') + u"_1 Podlaží");
  EXPECT_EQ(qd::label::candidateLine(std::u16string(60, u'x'), u"d"), std::u16string(60, u'x') + u"d");
  EXPECT_EQ(qd::label::candidateLine(u"", u"_1"), u"");
  EXPECT_EQ(qd::label::candidateLine(u"SK1", u""), u"");
}
