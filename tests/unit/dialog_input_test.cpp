// The dialog engine and the input requests, driven by script events as a session
// drives them: tiles, radio clusters, list operations, disabled tiles, nested dialogs,
// acedInitGet flags and the kinds of answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "headless/ads/session.h"
#include "headless/ui/console.h"
#include "headless/ui/dialogs.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "platform/codepage.h"

namespace {

using qd::ui::Console;

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    dir = std::filesystem::temp_directory_path() /
          (std::string("qd_dialogs_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    qd::ads::session().supportPaths.push_back(dir.string());
    qd::ads::printSink() = [](const std::u16string& s) { Console::get().write(s); };
    failuresBefore = Console::get().failures();
  }
  void TearDown() override {
    Console::get().setSource(nullptr);
    Console::get().clearStop();
    qd::ads::session().supportPaths.pop_back();
    std::filesystem::remove_all(dir);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  void events(const std::string& text) {
    script = std::make_unique<qd::ui::ScriptSource>("test", text);
    Console::get().setSource(script.get());
    Console::get().clearStop();
  }
  void dcl(const std::string& text) { std::ofstream(dir / "test.dcl") << text; }
  int newFailures() const { return Console::get().failures() - failuresBefore; }

  std::unique_ptr<AcDbDatabase> db;
  std::filesystem::path dir;
  std::unique_ptr<qd::ui::ScriptSource> script;
  int failuresBefore = 0;
};

struct Seen {
  std::u16string key, value;
  int reason = 0;
  long x = 0, y = 0;
  int calls = 0;
};

void record(ads_callback_packet* p) {
  auto* seen = static_cast<Seen*>(p->client_data);
  ACHAR key[32];
  ads_get_attr_string(p->tile, u"key", key, 32);
  seen->key = key;
  seen->value = p->value;
  seen->reason = p->reason;
  seen->x = p->x;
  seen->y = p->y;
  ++seen->calls;
}

TEST_F(Session, TilesRadioClustersListsAndDisabledTiles) {
  dcl(R"(t : dialog { label = "T";
      : edit_box { key = "name"; value = "start"; }
      : radio_row { key = "side"; : radio_button { key = "left"; } : radio_button { key = "right"; value = "1"; } }
      : list_box { key = "items"; list = "a\nb"; }
      : image_button { key = "pic"; width = 10; height = 2; }
      : button { key = "off"; label = "Off"; is_enabled = false; }
      ok_cancel; })");
  int id = -1;
  ASSERT_EQ(ads_load_dialog(u"test.dcl", &id), RTNORM);
  ads_hdlg dlg = nullptr;
  ASSERT_EQ(ads_new_dialog(u"t", id, NULLCB, &dlg), RTNORM);
  Seen seen;
  for (const char16_t* key : {u"name", u"left", u"right", u"items", u"pic", u"off"}) {
    ads_action_tile(dlg, key, record);
    ads_client_data_tile(dlg, key, &seen);
  }
  ACHAR value[64];
  ads_get_tile(dlg, u"name", value, 64);
  EXPECT_EQ(std::u16string(value), u"start");
  ads_get_tile(dlg, u"side", value, 64);
  EXPECT_EQ(std::u16string(value), u"right");
  // List operations: new, append, change.
  ads_start_list(dlg, u"items", LIST_APPEND, 0);
  ads_add_list(u"c");
  ads_end_list();
  ads_start_list(dlg, u"items", LIST_CHANGE, 1);
  ads_add_list(u"B");
  ads_end_list();
  short w = 0, h = 0;
  ads_dimensions_tile(dlg, u"pic", &w, &h);
  EXPECT_EQ(w, 80);
  EXPECT_EQ(h, 32);
  ads_get_attr(dlg, u"off", u"label", value, 64);
  EXPECT_EQ(std::u16string(value), u"Off");
  events("dialog t\nset name Dveře 1\nclick left\nexpect list items a|B|c\nselect items 2\nimage pic 3,4\nclick off\nok\n");
  Console::get().checkHook = [](const qd::ui::Event&) {};
  int status = -1;
  ASSERT_EQ(ads_start_dialog(dlg, &status), RTNORM);
  Console::get().checkHook = nullptr;
  EXPECT_EQ(status, DLGOK);  // "accept" without an action closes with OK
  EXPECT_EQ(seen.key, u"pic");  // the disabled button ran nothing
  EXPECT_EQ(seen.x, 3);
  EXPECT_EQ(seen.y, 4);
  EXPECT_EQ(seen.calls, 4);
  EXPECT_EQ(newFailures(), 1);  // the click on the disabled tile
  EXPECT_NE(Console::get().transcript().find(u"; tile \"off\" of dialog \"t\" is disabled"), std::u16string::npos);
  // After the dialog the handle is gone; unknown keys fail and are reported.
  EXPECT_EQ(ads_set_tile(dlg, u"name", u"x"), RTERROR);
  ads_unload_dialog(id);
}

// The form a person at the terminal sees: each tile's state on its line with its key,
// mnemonics left out, the chosen list line marked, a disabled tile said to be so.
TEST_F(Session, DialogAsATextForm) {
  dcl(R"(f : dialog { label = "Fo&rm";
      : edit_box { key = "name"; label = "&Name"; value = "start"; }
      : toggle { key = "keep"; label = "Keep && go"; value = "1"; }
      : radio_row { : radio_button { key = "left"; label = "Left"; } : radio_button { key = "right"; label = "Right"; value = "1"; } }
      : list_box { key = "items"; label = "Items"; list = "a\nb"; value = "1"; }
      : button { key = "off"; label = "Off"; is_enabled = false; }
      ok_cancel; })");
  int id = -1;
  ASSERT_EQ(ads_load_dialog(u"test.dcl", &id), RTNORM);
  ads_hdlg dlg = nullptr;
  ASSERT_EQ(ads_new_dialog(u"f", id, NULLCB, &dlg), RTNORM);
  const std::string form = qd::text::toUtf8(qd::ui::dialogForm(*static_cast<qd::ui::Dialog*>(dlg)));
  auto has = [&](const std::string& line) { return form.find(line) != std::string::npos; };
  EXPECT_TRUE(has("+-- Fo&rm (f)\n")) << form;
  EXPECT_TRUE(has("| Name [start]                                name\n")) << form;
  EXPECT_TRUE(has("| [x] Keep & go                               keep\n")) << form;
  EXPECT_TRUE(has("| ( ) Left") && has("| (*) Right")) << form;
  EXPECT_TRUE(has("|     0 a\n") && has("|   > 1 b\n")) << form;
  EXPECT_TRUE(has("| <Off>                                       off  (not available)\n")) << form;
  EXPECT_EQ(qd::ui::withoutMnemonics(u"&&A&b&"), u"&Ab&");
  ads_done_dialog(dlg, DLGCANCEL);
  int status = 0;
  events("");
  ads_start_dialog(dlg, &status);
  ads_unload_dialog(id);
}

TEST_F(Session, NestedDialogsAndTermDialog) {
  dcl(R"(outer : dialog { : button { key = "open"; } ok_cancel; }
         inner : dialog { : button { key = "stop"; } ok_only; })");
  int id = -1;
  ASSERT_EQ(ads_load_dialog(u"test", &id), RTNORM);  // ".dcl" is added
  static int innerId;
  innerId = id;
  ads_hdlg outer = nullptr;
  ASSERT_EQ(ads_new_dialog(u"outer", id, NULLCB, &outer), RTNORM);
  ads_action_tile(outer, u"open", [](ads_callback_packet*) {
    ads_hdlg inner = nullptr;
    ads_new_dialog(u"inner", innerId, NULLCB, &inner);
    ads_action_tile(inner, u"stop", [](ads_callback_packet*) { ads_term_dialog(); });
    int status = 0;
    ads_start_dialog(inner, &status);
    EXPECT_EQ(status, DLGALLDONE);
  });
  events("dialog outer\nclick open\ndialog inner\nclick stop\n");
  int status = 0;
  ASSERT_EQ(ads_start_dialog(outer, &status), RTNORM);
  EXPECT_EQ(status, DLGALLDONE);  // ended by ads_term_dialog from the inner one
  ads_hdlg missing = nullptr;
  EXPECT_EQ(ads_new_dialog(u"nosuch", id, NULLCB, &missing), RTERROR);
  EXPECT_EQ(missing, nullptr);
  int bad = 0;
  EXPECT_EQ(ads_load_dialog(u"nofile.dcl", &bad), RTERROR);
  EXPECT_LT(bad, 0);
  ads_unload_dialog(id);
}

TEST_F(Session, InitGetFlagsAndKindsOfAnswers) {
  int n = 0;
  double r = 0;
  ACHAR s[64];
  ads_point p;
  events("7\n-3\n2.5\n\"  blanks kept  \"\nword more\n<enter>\n*10,20\n@5<90\n0\n");
  ASSERT_EQ(acedGetInt(u"Int: ", &n), RTNORM);
  EXPECT_EQ(n, 7);
  acedInitGet(RSG_NONEG, nullptr);
  EXPECT_EQ(acedGetInt(u"Positive: ", &n), RTCAN);  // -3 does not fit: the script stops
  EXPECT_TRUE(Console::get().stopped());
  EXPECT_NE(Console::get().transcript().find(u"\"-3\" does not answer \"Positive\", which expects an integer"),
            std::u16string::npos);
  Console::get().clearStop();
  ASSERT_EQ(acedGetReal(u"Real: ", &r), RTNORM);
  EXPECT_DOUBLE_EQ(r, 2.5);
  ASSERT_EQ(acedGetString(1, u"Text: ", s, 64), RTNORM);
  EXPECT_EQ(std::u16string(s), u"  blanks kept  ");
  ASSERT_EQ(acedGetString(0, u"Word: ", s, 64), RTNORM);  // a blank ends the input
  EXPECT_EQ(std::u16string(s), u"word");
  EXPECT_EQ(acedGetPoint(nullptr, u"Point: ", p), RTNONE);  // Enter
  ASSERT_EQ(acedGetPoint(nullptr, u"Point: ", p), RTNORM);
  EXPECT_DOUBLE_EQ(p[X], 10);
  ASSERT_EQ(acedGetPoint(nullptr, u"Point: ", p), RTNORM);  // polar from the last point
  EXPECT_NEAR(p[X], 10, 1e-9);
  EXPECT_NEAR(p[Y], 25, 1e-9);
  acedInitGet(RSG_NOZERO, nullptr);
  EXPECT_EQ(acedGetReal(u"Not zero: ", &r), RTCAN);
  Console::get().clearStop();
  // Enter refused where RSG_NONULL says so; RSG_OTHER hands arbitrary text back.
  events("<enter>\nanything\n");
  acedInitGet(RSG_NONULL, u"Yes No");
  EXPECT_EQ(acedGetKword(u"Answer: ", s, 64), RTCAN);
  Console::get().clearStop();
  acedInitGet(RSG_OTHER, u"Yes No");
  EXPECT_EQ(acedGetPoint(nullptr, u"Point or text: ", p), RTKWORD);
  acedGetInput(s);
  EXPECT_EQ(std::u16string(s), u"anything");
}

}  // namespace
