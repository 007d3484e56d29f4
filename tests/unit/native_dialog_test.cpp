// Native dialogs: resource scripts read (and refused with the line at fault), and dialogs
// made from them driven by script events: clicks, radio groups, edits, combos, lists,
// trees by path, tabs with pages, keys, faults of the caller and of the script, and the
// nested dialog that ends with a code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "headless/ui/console.h"
#include "headless/ui/native/native_dialogs.h"
#include "headless/ui/native/resource_script.h"
#include "host/windlg.h"
#include "platform/codepage.h"

namespace {

using qd::ui::Console;
namespace native = qd::ui::native;

const char* const kScript = R"(// a test script
#include "resource.h"
#define DLG_MAIN 100
#define DLG_PAGE 101
#define IDC_NAME 1001
#define IDC_KIND 1002
#define IDC_A 1003
#define IDC_B 1004
#define IDC_TREE 1005
#define IDC_TABS 1006
#define IDC_LIST 1007
#define IDC_MORE 1008
#define IDC_FREE 1009
#define IDC_PAGE_OPT 1010
LANGUAGE 5, 1
IDI_ICON ICON "x.ico"
DLG_MAIN DIALOGEX 0, 0, 200, 150
STYLE DS_MODALFRAME | WS_POPUP
CAPTION "Hlavní"
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT           "Název:", IDC_STATIC, 5, 5, 40, 8
    EDITTEXT        IDC_NAME, 50, 5, 100, 12, ES_AUTOHSCROLL
    COMBOBOX        IDC_KIND, 50, 20, 100, 60,
                    CBS_DROPDOWNLIST | WS_VSCROLL
    AUTORADIOBUTTON "A", IDC_A, 5, 40, 30, 10, WS_GROUP
    AUTORADIOBUTTON "B", IDC_B, 40, 40, 30, 10
    CONTROL         "", IDC_TREE, "SysTreeView32", TVS_HASLINES | WS_BORDER, 5, 55, 90, 60
    CONTROL         "", IDC_TABS, "SysTabControl32", 0x0, 100, 55, 95, 60
    LISTBOX         IDC_LIST, 5, 120, 60, 25, NOT WS_VISIBLE
    PUSHBUTTON      "Více", IDC_MORE, 70, 120, 40, 14, WS_DISABLED
    AUTOCHECKBOX    "Volně", IDC_FREE, 115, 120, 40, 10
    DEFPUSHBUTTON   "OK", IDOK, 160, 120, 35, 14
    PUSHBUTTON      "Zrušit", IDCANCEL, 160, 135, 35, 14
END
DLG_PAGE DIALOGEX 0, 0, 90, 50
BEGIN
    AUTOCHECKBOX    "Volba ""x""", IDC_PAGE_OPT, 5, 5, 80, 10
END
#define IDR_MENU 200
#define ID_ONE 201
#define ID_TWO 202
IDR_MENU MENU
BEGIN
    POPUP "x"
    BEGIN
        MENUITEM "&Jedna", ID_ONE
        MENUITEM SEPARATOR
        MENUITEM "&Dvě    F2", ID_TWO
    END
END
STRINGTABLE
BEGIN
    10 "Erster"
    11, "Zweiter\nZeile"
END
)";

TEST(ResourceScript, ReadsDialogsControlsAndStrings) {
  native::ResourceScript s;
  std::u16string error;
  ASSERT_TRUE(s.parse(qd::text::fromUtf8(kScript), "t.rc", error)) << qd::text::toUtf8(error);
  const native::DialogTemplate* d = s.dialog(100);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->name, u"DLG_MAIN");
  EXPECT_EQ(d->caption, u"Hlavní");
  EXPECT_EQ(d->width, 200);
  ASSERT_EQ(d->controls.size(), 12u);
  const native::ControlTemplate* kind = d->control(u"IDC_KIND");
  ASSERT_NE(kind, nullptr);
  EXPECT_EQ(kind->kind, native::ControlKind::Combo);  // its styles on the next line
  EXPECT_TRUE(kind->hasStyle(u"CBS_DROPDOWNLIST"));
  EXPECT_EQ(kind->height, 60);
  EXPECT_EQ(d->control(1005)->kind, native::ControlKind::Tree);
  EXPECT_EQ(d->control(1006)->kind, native::ControlKind::Tab);
  EXPECT_TRUE(d->control(1007)->hasStyle(u"NOT_WS_VISIBLE"));
  EXPECT_EQ(d->control(1)->kind, native::ControlKind::DefaultButton);
  EXPECT_EQ(s.dialog(101)->control(1010)->text, u"Volba \"x\"");
  ASSERT_NE(s.menu(200), nullptr);
  ASSERT_EQ(s.menu(200)->size(), 2u);
  EXPECT_EQ((*s.menu(200))[1].text, u"&Dvě    F2");
  EXPECT_EQ((*s.menu(200))[1].id, 202);
  EXPECT_EQ(s.string(10), u"Erster");
  EXPECT_EQ(s.string(11), u"Zweiter\nZeile");
  EXPECT_FALSE(s.string(12));
  EXPECT_EQ(s.value(u"IDC_TREE"), 1005);
  EXPECT_EQ(s.value(u"17"), 17);
  EXPECT_FALSE(s.value(u"IDC_NONE"));
}

TEST(ResourceScript, RefusesWhatItCannotReadAtItsLine) {
  const std::pair<const char*, const char*> bad[] = {
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"open, 1, 0, 0, 5, 5\nEND\n", "t.rc(3): the string is not closed"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  SLIDER 5, 0, 0, 5, 5\nEND\n", "t.rc(3): \"SLIDER\" is no control this host knows"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  EDITTEXT IDC_X, 0, 0, 5, 5\nEND\n", "t.rc(3): the id \"IDC_X\" has no #define"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  EDITTEXT 5, 0, 0, 5, 5\n  EDITTEXT 5, 0, 9, 5, 5\nEND\n",
       "t.rc(4): the id 5 is given twice"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  EDITTEXT 5, 0, 0, 5\nEND\n", "t.rc(3): a control's place is x, y, width, height"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  EDITTEXT 5, 0, 0, 5, 5\n", "t.rc(3): the dialog 1 has no END"},
      {"1 DIALOGEX 0, 0, 10\n", "t.rc(1): a dialog's place is x, y, width, height"},
      {"/* never closed\n\n", "t.rc(1): the comment is not closed"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  CONTROL \"\", 5, \"msctls_trackbar32\", 0, 0, 0, 5, 5\nEND\n",
       "t.rc(3): the window class \"msctls_trackbar32\" is not one dialogs here can show"},
      {"STRINGTABLE\nBEGIN\n  7\nEND\n", "t.rc(3): a string table entry is a number and a string"},
      {"#define 5 X\n", "t.rc(1): #define wants a name and a number"},
      {"@\n", "t.rc(1): unexpected character '@'"},
      {"5 MENU\nBEGIN\n  MENUITEM \"a\"\nEND\n", "t.rc(3): a menu item is a text and an id"},
      {"5 MENU\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1\nEND\n", "t.rc(3): \"LTEXT\" stands in no menu"},
  };
  for (const auto& [text, message] : bad) {
    native::ResourceScript s;
    std::u16string error;
    EXPECT_FALSE(s.parse(qd::text::fromUtf8(text), "t.rc", error)) << text;
    EXPECT_EQ(qd::text::toUtf8(error), message) << text;
  }
}

TEST(ResourceScript, TakesTheNamesOfTheHeaderItIncludes) {
  const auto dir = std::filesystem::temp_directory_path() / "qd_rc_include";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "ids.h") << "#pragma once\n#define IDD_X 300\n#define IDC_X 301\nint notForTheScript;\n";
  native::ResourceScript s;
  std::u16string error;
  EXPECT_TRUE(s.parse(u"#include \"ids.h\"\n#include <windows.h>\nIDD_X DIALOGEX 0, 0, 9, 9\nBEGIN\n  EDITTEXT IDC_X, 0, 0, 5, 5\nEND\n",
                      "x.rc", error, dir.string()))
      << qd::text::toUtf8(error);
  ASSERT_NE(s.dialog(300), nullptr);
  EXPECT_EQ(s.dialog(300)->control(u"IDC_X")->id, 301);
  std::filesystem::remove_all(dir);
}

// A controller that records what it hears and does what a test asks on each.
struct Recorder : win::DialogController {
  std::vector<std::string> heard;
  std::function<void(win::DialogWindow&)> init;
  std::function<void(win::DialogWindow&, int)> command;
  bool refuseCancel = false;
  void onInitDialog(win::DialogWindow& w) override {
    if (init) init(w);
  }
  void onCommand(win::DialogWindow& w, int id) override {
    heard.push_back("command " + std::to_string(id));
    if (command) command(w, id);
  }
  void onSelChange(win::DialogWindow&, int id) override { heard.push_back("select " + std::to_string(id)); }
  void onContextMenu(win::DialogWindow& w, int id) override {
    heard.push_back("menu " + std::to_string(id) + " " + std::to_string(w.trackPopupMenu(200)));
  }
  void onKey(win::DialogWindow&, int id, win::Key k) override {
    heard.push_back("key " + std::to_string(id) + " " + std::to_string(static_cast<int>(k)));
  }
  bool onCancel(win::DialogWindow&) override {
    heard.push_back("cancel");
    return !refuseCancel;
  }
};

class NativeDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          (std::string("qd_native_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "t.rc") << kScript;
    path = qd::text::fromUtf8((dir / "t.rc").string());
    failuresBefore = Console::get().failures();
    // The script's checks of the dialog shown, as the runner makes them.
    Console::get().checkHook = [](const qd::ui::Event& e) {
      const auto w = qd::ui::eventWords(e.text);
      std::u16string message;
      if (w.size() < 3 || !native::shown() || !native::check(w[1], w[2], qd::ui::eventRest(e.text, 3), message)) {
        Console::get().note(u"; " + message + u"\n");
        Console::get().countFailure();
      }
    };
  }
  void TearDown() override {
    Console::get().checkHook = nullptr;
    Console::get().setSource(nullptr);
    Console::get().clearStop();
    std::filesystem::remove_all(dir);
  }
  int show(const std::string& events, Recorder& r) {
    script = std::make_unique<qd::ui::ScriptSource>("test", events);
    Console::get().setSource(script.get());
    Console::get().clearStop();
    return win::DialogBoxParamW(path.c_str(), 100, r, nullptr);
  }
  int newFailures() const { return Console::get().failures() - failuresBefore; }

  std::filesystem::path dir;
  std::u16string path;
  std::unique_ptr<qd::ui::ScriptSource> script;
  int failuresBefore = 0;
};

TEST_F(NativeDialog, ControlsTakeTheEventsOfTheirKind) {
  Recorder r;
  Recorder page;
  r.init = [&](win::DialogWindow& w) {
    w.addString(1002, u"první", 7);
    w.addString(1002, u"druhá", 8);
    const win::TreeItem g = w.insertItem(1005, 0, u"Skupina", 1);
    w.insertItem(1005, g, u"Plocha", 2);
    w.insertItem(1005, 0, u"Jiná", 3);
    w.addPage(1006, u"Výběr", 101, page);
    w.addPage(1006, u"Volby", 101, page);
  };
  const int code = show(
      "set IDC_NAME Dům a zahrada\n"
      "expect tile IDC_NAME Dům a zahrada\n"
      "set IDC_KIND druhá\n"
      "expect tile IDC_KIND druhá\n"
      "select IDC_KIND první\n"
      "expect tile IDC_KIND první\n"
      "select IDC_KIND 1\n"
      "expect tile IDC_KIND druhá\n"
      "click IDC_B\n"
      "expect tile IDC_A 0\n"
      "expect tile IDC_B 1\n"
      "click IDC_A\n"
      "expect tile IDC_B 0\n"
      "expect list IDC_TREE Skupina|Skupina/Plocha|Jiná\n"
      "tree IDC_TREE Skupina/Plocha\n"
      "expect tile IDC_TREE Skupina/Plocha\n"
      "expect list IDC_TABS Výběr|Volby\n"
      "click IDC_PAGE_OPT\n"
      "expect tile IDC_PAGE_OPT 1\n"
      "tab IDC_TABS Volby\n"
      "expect tile IDC_PAGE_OPT 0\n"
      "key IDC_TREE Delete\n"
      "context IDC_TREE\n"
      "menu Dvě\n"
      "context IDC_TREE\n"
      "cancel\n"
      "expect usable IDC_MORE no\n"
      "expect usable IDC_LIST no\n"
      "ok\n",
      r);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(newFailures(), 0) << qd::text::toUtf8(Console::get().transcript());
  EXPECT_EQ(r.heard, (std::vector<std::string>{"command 1001", "select 1002", "select 1002", "select 1002", "command 1004", "command 1003", "select 1005",
                                               "select 1006", "key 1005 0", "menu 1005 202", "menu 1005 0"}));
  EXPECT_EQ(page.heard, std::vector<std::string>{"command 1010"});
}

TEST_F(NativeDialog, FaultsOfTheScriptAndOfTheCallerAreReported) {
  Recorder r;
  r.init = [](win::DialogWindow& w) {
    w.setText(4242, u"x");  // no such control
    w.addString(1002, u"jen", 0);
  };
  show("click IDC_NOPE\n"
       "click IDC_MORE\n"
       "tree IDC_TREE Nic\n"
       "set IDC_KIND žádná\n"
       "select IDC_KIND 5\n"
       "tab IDC_TABS Nic\n"
       "key IDC_TREE Space\n"
       "context IDC_TREE\n"
       "menu Tři\n"
       "set IDC_A text\n"
       "dialog DLG_OTHER\n"
       "cancel\n",
       r);
  EXPECT_EQ(newFailures(), 11);
  EXPECT_EQ(r.heard, (std::vector<std::string>{"menu 1005 0", "cancel"}));
}

TEST_F(NativeDialog, ANestedDialogEndsWithItsCodeAndTheFirstGoesOn) {
  Recorder inner;
  inner.command = [](win::DialogWindow& w, int id) {
    if (id == 1009) w.endDialog(206);
  };
  Recorder outer;
  int innerCode = 0;
  const std::u16string p = path;
  outer.command = [&](win::DialogWindow& w, int id) {
    if (id != 1009) return;
    innerCode = win::DialogBoxParamW(p.c_str(), 100, inner, nullptr);
    w.setText(1001, u"zpět");
  };
  // Cancel refused once: the dialog stays until the next one.
  outer.refuseCancel = true;
  script = std::make_unique<qd::ui::ScriptSource>("test",
                                                  "click IDC_FREE\n"
                                                  "click IDC_FREE\n"
                                                  "expect tile IDC_NAME zpět\n"
                                                  "cancel\n"
                                                  "dialog DLG_MAIN\n"
                                                  "ok\n");
  Console::get().setSource(script.get());
  Console::get().clearStop();
  EXPECT_EQ(win::DialogBoxParamW(path.c_str(), 100, outer, nullptr), 1);
  EXPECT_EQ(innerCode, 206);
  EXPECT_EQ(newFailures(), 0);
  EXPECT_EQ(win::DialogBoxParamW((path + u"x").c_str(), 100, outer, nullptr), -1);
  EXPECT_EQ(win::DialogBoxParamW(path.c_str(), 555, outer, nullptr), -1);
}

TEST_F(NativeDialog, ThePictureShowsTheValuesAndThePageInView) {
  Recorder r, page;
  std::string html;
  r.init = [&](win::DialogWindow& w) {
    w.setWindowText(u"Přepsaný titulek");
    w.insertItem(1005, 0, u"Skupina <1>", 1, true);
    w.addPage(1006, u"Výběr", 101, page);
    w.setCheck(1009, true);
  };
  r.command = [&](win::DialogWindow& w, int) { html = native::windowHtml(static_cast<native::Window&>(w)); };
  show("set IDC_NAME a&b\nok\n", r);
  EXPECT_NE(html.find("<title>Přepsaný titulek</title>"), std::string::npos);
  EXPECT_NE(html.find("value=\"a&amp;b\""), std::string::npos);
  EXPECT_NE(html.find("<b>Skupina &lt;1&gt;</b>"), std::string::npos);
  EXPECT_NE(html.find("<span class=\"sel\">Výběr</span>"), std::string::npos);
  EXPECT_NE(html.find("Volba &quot;x&quot;"), std::string::npos);  // the page's own control
  EXPECT_NE(html.find("type=\"checkbox\" checked> Volně"), std::string::npos);
  EXPECT_EQ(html.find("IDC_LIST"), std::string::npos);  // hidden
  EXPECT_NE(html.find(">Název:</div>"), std::string::npos);
}

}  // namespace
