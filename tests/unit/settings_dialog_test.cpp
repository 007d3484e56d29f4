// The settings dialog of a label kind, driven as a user drives it: what it stores on
// accept, what it refuses, and that cancel stores nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "headless/ads/session.h"
#include "headless/ui/console.h"
#include "host/adsdlg.h"
#include "host/dbdatabase.h"
#include "label/command/label_state.h"
#include "label/dialogs/SettingsDialog.h"
#include "platform/codepage.h"
#include "siblings/siblings.h"
#include "tests/unit/label_fixture.h"

namespace {

using qd::ui::Console;

class SettingsDialog : public LabelTest {
 protected:
  void SetUp() override {
    LabelTest::SetUp();
    qd::siblings::install(std::string(QD_SOURCE_DIR) + "/data");
    qd::ads::session().supportPaths.push_back(std::string(QD_SOURCE_DIR) + "/data");
    ASSERT_EQ(ads_load_dialog(u"qdlbl.dcl", &state->dcl_id), RTNORM);
  }
  void TearDown() override {
    ads_unload_dialog(state->dcl_id);
    Console::get().setSource(nullptr);
    Console::get().clearStop();
    qd::ads::session().supportPaths.pop_back();
    LabelTest::TearDown();
  }
  // Opens the kind's dialog on the events; false when the session stopped on one.
  bool run(const std::string& events) {
    script = std::make_unique<qd::ui::ScriptSource>("test", events);
    Console::get().setSource(script.get());
    Console::get().clearStop();
    qd::label::openSettingsDialog(*state);
    return !Console::get().stopped();
  }
  std::u16string field(const char16_t* text) { return text; }
  qd::label::kind_settings& block() { return state->currentBlock(); }

  std::unique_ptr<qd::ui::ScriptSource> script;
};

TEST_F(SettingsDialog, AcceptStoresTheGoodValuesOnly) {
  ASSERT_TRUE(run("dialog typ1\nenter widthtext 0.9\nenter heighttext_sc 1000\nenter edit_space_sc -1\n"
                  "set bold_line 0\nclick accept\n"));
  EXPECT_EQ(field(block().widthtext), u"0.9");
  EXPECT_EQ(field(block().heighttext_sc), u"2.5");
  EXPECT_EQ(field(block().edit_space_sc), u"2");
  EXPECT_EQ(field(block().bold_line), u"0");
}

TEST_F(SettingsDialog, CancelLeavesTheBlockAsItWas) {
  const qd::label::kind_settings before = block();
  ASSERT_TRUE(run("dialog typ1\nenter widthtext 0.5\nset text_pos 4\nclick text_pos_im\nclick cancel\n"));
  EXPECT_EQ(std::memcmp(&before, &block(), sizeof before), 0);
}

TEST_F(SettingsDialog, SizesInDrawingUnitsGoBackOntoTheSheet) {
  std::copy_n(u"0", 2, state->settings.by_scale);
  ASSERT_TRUE(run("dialog typ1\nenter heighttext_re 49995\nclick accept\n"));
  EXPECT_EQ(field(block().heighttext_sc), u"499.95");
  ASSERT_TRUE(run("dialog typ1\nenter heighttext_re 49996\nclick accept\n")) << qd::text::toUtf8(Console::get().transcript());
  EXPECT_EQ(field(block().heighttext_sc), u"499.95");
}

TEST_F(SettingsDialog, AKindsOwnTilesAndThePictureOfItsJustification) {
  state->settings.current_kind = 8;
  // The justifications of a text on a line: TL TC TR BL BC BR; the picture wraps round.
  ASSERT_TRUE(run("dialog typ9\nset text_pos 5\nclick text_pos_im\nset number_row row2\nset text_rotat 0\n"
                  "click accept\n"));
  EXPECT_EQ(field(block().text_pos), u"TL");
  EXPECT_EQ(field(block().number_row), u"row2");
  EXPECT_EQ(field(block().text_rotat), u"0");
}

}  // namespace
