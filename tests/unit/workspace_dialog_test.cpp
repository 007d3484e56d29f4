// The workspace manager's dialog classes on windows made from the manager's own resource
// script, driven as the user drives them: the selection page's floor flag and buttons,
// the options page and the settings string, and the definition dialog's composer, list
// and OK rules.
#include <gtest/gtest.h>

#include <memory>

#include "headless/ui/native/native_dialogs.h"
#include "headless/ui/native/resource_script.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "workspace/Manager.h"
#include "workspace/WorkspaceTree.h"
#include "workspace/dialogs/DefinitionDialog.h"
#include "workspace/dialogs/MainDialog.h"
#include "workspace/dialogs/resource.h"

extern "C" {
void EraseAllData();
qd::workspace::WorkspaceNode* SetAllData(qd::workspace::WorkspaceNode* node);
}

namespace {

namespace ws = qd::workspace;
namespace native = qd::ui::native;
using ws::WorkspaceNode;

const native::ResourceScript& script() {
  static native::ResourceScript s = [] {
    native::ResourceScript parsed;
    std::string bytes, error;
    const std::string folder = std::string(QD_SOURCE_DIR) + "/workspace/dialogs";
    EXPECT_TRUE(qd::files::readFile(folder + "/QDSTRAT.rc", bytes, error));
    std::u16string why;
    EXPECT_TRUE(parsed.parse(qd::text::fromUtf8(bytes), "QDSTRAT.rc", why, folder)) << qd::text::toUtf8(why);
    return parsed;
  }();
  return s;
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    EraseAllData();
    ws::state().environment = 1;
    ws::state().selected = nullptr;
    ws::settings() = ws::initialSettings();
    floor = ws::create(u"_1 Přízemí");
    floor->state = ws::kFloorPresent;
    plan = ws::appendChild(floor, u"Půdorys");
    ws::setDescription(plan, u"Celé podlaží");
    ws::appendChild(plan->firstChild, u"_T ?????_1*");
    whole = ws::appendSibling(floor, u"Celý objekt");
    walls = ws::appendChild(whole, u"Stěny");
    SetAllData(floor);
    ws::draft() = ws::DefinitionDraft{};
  }
  void TearDown() override {
    EraseAllData();
    ws::settings() = ws::initialSettings();
    ws::draft() = ws::DefinitionDraft{};
  }
  // The main dialog with its pages, as it opens.
  void openMain() {
    mainController = std::make_unique<ws::QDKlay01>(0);
    main = std::make_unique<native::Window>(script(), *script().dialog(IDD_QDKLAY01), *mainController, nullptr);
    mainController->onInitDialog(*main);
    main->find(u"IDC_TREE", &selectionPage);
    main->setCurTab(IDC_TAB, 1);
    main->find(u"IDC_OPT_ON", &optionsPage);
    main->setCurTab(IDC_TAB, 0);
  }
  void selectTree(const std::u16string& path) {
    const native::LiveControl* tree = selectionPage->control(IDC_TREE);
    selectionPage->selectItem(IDC_TREE, selectionPage->itemOfPath(*tree, path));
    selectionPage->controller().onSelChange(*selectionPage, IDC_TREE);
  }
  void click(native::Window& w, int id) {
    if (w.def().control(id)->kind == native::ControlKind::Check) w.setCheck(id, !w.isChecked(id));
    w.controller().onCommand(w, id);
  }
  // The definition dialog on the draft.
  void openDefinition() {
    definition = std::make_unique<native::Window>(script(), *script().dialog(IDD_TVLAY1M), definer, nullptr);
    definer.onInitDialog(*definition);
  }
  void type(int id, const std::u16string& text) {
    definition->setText(id, text);
    definer.onCommand(*definition, id);
  }
  void choose(int id, int index) {
    definition->setCurSel(id, index);
    definer.onSelChange(*definition, id);
  }
  std::vector<std::u16string> listed() {
    std::vector<std::u16string> out;
    for (int i = 0; i < definition->count(IDC_DEF_LIST); ++i) out.push_back(definition->itemText(IDC_DEF_LIST, i));
    return out;
  }

  WorkspaceNode *floor = nullptr, *plan = nullptr, *whole = nullptr, *walls = nullptr;
  std::unique_ptr<ws::QDKlay01> mainController;
  std::unique_ptr<native::Window> main, definition;
  native::Window *selectionPage = nullptr, *optionsPage = nullptr;
  ws::tvLay1m definer;
};

TEST_F(Dialogs, SelectingTakesTheGroupsFloorAndDecidesWhatCanBeDone) {
  openMain();
  EXPECT_FALSE(main->isEnabled(IDC_SET));
  selectTree(u"_1 Přízemí/Půdorys");
  EXPECT_TRUE(main->isEnabled(IDC_SET));
  EXPECT_TRUE(main->isEnabled(IDC_LOCK));
  EXPECT_EQ(ws::settings()[0], u'1');
  EXPECT_EQ(ws::settings().substr(10, 2), u"_1");
  EXPECT_EQ(selectionPage->text(IDC_PATH), u"[ _1 Přízemí / Půdorys ]");
  EXPECT_EQ(selectionPage->text(IDC_DESCRIPTION), u"Celé podlaží");
  EXPECT_EQ(selectionPage->text(IDC_FLOOR), u"Ebene: _1 Přízemí");
  // A workspace of a group without a floor: the flag cleared, only setting left.
  selectTree(u"Celý objekt/Stěny");
  EXPECT_EQ(ws::settings()[0], u'0');
  EXPECT_TRUE(main->isEnabled(IDC_SET));
  EXPECT_FALSE(main->isEnabled(IDC_LOCK));
  // A group itself can be neither set nor edited.
  selectTree(u"Celý objekt");
  EXPECT_FALSE(main->isEnabled(IDC_SET));
  EXPECT_FALSE(selectionPage->isEnabled(IDC_EDIT));
  EXPECT_TRUE(selectionPage->isEnabled(IDC_DELETE));
  // Down and Up move a workspace among its neighbours.
  ws::appendChild(whole, u"Osy");
  selectionPage->controller().onInitDialog(*selectionPage);
  selectTree(u"Celý objekt/Stěny");
  click(*selectionPage, IDC_DOWN);
  EXPECT_EQ(ws::nameOf(whole->firstChild), u"Osy");
  EXPECT_EQ(ws::state().selected, walls);
  click(*selectionPage, IDC_UP);
  EXPECT_EQ(whole->firstChild, walls);
}

TEST_F(Dialogs, TheOptionsWriteTheSettingsAtOnce) {
  ws::settings() = u"0111110111_1SK0?";
  openMain();
  EXPECT_TRUE(optionsPage->isChecked(IDC_OPT_ON));
  EXPECT_FALSE(optionsPage->isChecked(IDC_OPT_SECTION));
  EXPECT_TRUE(optionsPage->isChecked(IDC_LOCK_NO));
  EXPECT_EQ(optionsPage->text(IDC_OPT_CURRENT), u"Setzen / Aktualisieren Layer: \"SK0\"");
  click(*optionsPage, IDC_OPT_ON);
  click(*optionsPage, IDC_OPT_SECTION);
  EXPECT_EQ(ws::settings().substr(1, 6), u"011111");
  optionsPage->setCheck(IDC_LOCK_ASK, true);
  click(*optionsPage, IDC_LOCK_ASK);
  EXPECT_EQ(ws::settings()[7], u'2');
  click(*optionsPage, IDC_STANDARD);
  EXPECT_EQ(ws::settings().substr(1, 7), u"1111111");
  EXPECT_TRUE(optionsPage->isChecked(IDC_LOCK_NO));
  EXPECT_FALSE(optionsPage->isChecked(IDC_LOCK_ASK));
  EXPECT_EQ(ws::settings().size(), ws::kSettingsLength);
  // Outside the full product: no current layer, floor, section or construction.
  ws::state().environment = 2;
  openMain();
  for (int id : {IDC_OPT_CURRENT, IDC_OPT_FLOOR, IDC_OPT_SECTION, IDC_CONSTRUCTION}) EXPECT_FALSE(optionsPage->isEnabled(id));
  EXPECT_TRUE(optionsPage->isEnabled(IDC_OPT_ZOOM));
}

TEST_F(Dialogs, TheComposerJoinsThePositionFields) {
  ws::state().selected = plan;
  ws::draft().start(nullptr, false, u"");
  openDefinition();
  EXPECT_EQ(definition->text(IDC_DEF_NAME), u"TVLAYERGRUPPE01");
  EXPECT_EQ(definition->text(IDC_DEF_GROUP), u"_1 Přízemí");
  EXPECT_EQ(definition->text(IDC_DEF_MASK), u"???????*");
  choose(IDC_DEF_OPERATION, 1);
  type(IDC_F_FLOOR, u"_1");
  EXPECT_EQ(definition->text(IDC_DEF_MASK), u"?????_1*");
  click(*definition, IDC_DEF_ADD);
  // The position fields are cut to their widths and folded to upper case.
  choose(IDC_DEF_OPERATION, 2);
  type(IDC_F_CONSTRUCTION, u"sk12");
  type(IDC_F_REST, u"z");
  click(*definition, IDC_DEF_ADD);
  click(*definition, IDC_DEF_FREE);
  EXPECT_FALSE(definition->isEnabled(IDC_T_FLOOR));
  EXPECT_FALSE(definition->isEnabled(IDC_F_FLOOR));
  type(IDC_DEF_MASK, u"  TEXTY");
  click(*definition, IDC_DEF_ADD);
  ws::draft().general = true;
  click(*definition, IDC_DEF_ADD);
  EXPECT_EQ(listed(), (std::vector<std::u16string>{u"_F~ ?????_1*", u"_T ??SK1_1*Z", u"_T TEXTY", u"_T TEXTY"}));
  std::vector<int> states;
  for (const auto& a : ws::draft().actions) states.push_back(a.state);
  EXPECT_EQ(states, (std::vector<int>{0, 0, 1, 3}));
  EXPECT_EQ(definition->curSel(IDC_DEF_LIST), 3);  // the entry added is selected
}

TEST_F(Dialogs, AnEntryGoesBackIntoTheComposerAndLeavesByDelete) {
  ws::draft().start(plan, false, u"");
  ws::draft().actions = {{u"_T A?SK1_2Y", 0}, {u"_F ~B*", 1}, {u"_T X", 0}};
  openDefinition();
  choose(IDC_DEF_LIST, 0);
  EXPECT_FALSE(definition->isChecked(IDC_DEF_FREE));
  EXPECT_EQ(ws::draft().section, u"A");
  EXPECT_EQ(ws::draft().construction, u"SK1");
  EXPECT_EQ(ws::draft().floor, u"_2");
  EXPECT_EQ(ws::draft().view, u"Y");
  EXPECT_EQ(definition->text(IDC_DEF_MASK), u"A?SK1_2Y");
  EXPECT_EQ(definition->curSel(IDC_DEF_OPERATION), 2);
  // A free entry: its mask as typed; "_F ~B*" reads as the second operation.
  choose(IDC_DEF_LIST, 1);
  EXPECT_TRUE(definition->isChecked(IDC_DEF_FREE));
  EXPECT_EQ(definition->text(IDC_DEF_MASK), u"B*");
  EXPECT_EQ(definition->curSel(IDC_DEF_OPERATION), 1);
  definer.onKey(*definition, IDC_DEF_LIST, win::Key::Delete);
  EXPECT_EQ(listed(), (std::vector<std::u16string>{u"_T A?SK1_2Y", u"_T X"}));
  EXPECT_EQ(definition->curSel(IDC_DEF_LIST), 1);  // the next one
  definer.onKey(*definition, IDC_DEF_LIST, win::Key::Delete);
  EXPECT_EQ(definition->curSel(IDC_DEF_LIST), 0);  // at the end, the one before
  click(*definition, IDC_DEF_RESET);
  EXPECT_EQ(definition->text(IDC_DEF_MASK), u"???????*");
}

TEST_F(Dialogs, OkStoresTheWorkspaceUnderItsGroup) {
  ws::draft().start(nullptr, false, u"");
  openDefinition();
  definition->setText(IDC_DEF_GROUP, u"Celý objekt");
  definition->setText(IDC_DEF_NAME, u"   ");
  definition->setText(IDC_DEF_DESCRIPTION, std::u16string(520, u'd'));
  type(IDC_F_FLOOR, u"_2");
  click(*definition, IDC_DEF_ADD);
  ASSERT_TRUE(definer.onOK(*definition));
  WorkspaceNode* made = walls->next;
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(ws::nameOf(made), u"<...>");
  EXPECT_EQ(ws::descriptionOf(made).size(), 500u);
  ASSERT_NE(ws::firstAction(made), nullptr);
  EXPECT_EQ(ws::nameOf(ws::firstAction(made)), u"_F ?????_2*");
  EXPECT_EQ(ws::state().selected, made);
  EXPECT_FALSE(ws::draft().open);

  // Edited into another group, the workspace leaves its own; its actions are replaced.
  ws::draft().start(plan, false, u"");
  openDefinition();
  definition->setText(IDC_DEF_GROUP, u"Celý objekt");
  ws::draft().actions = {{u"_T *", 0}};
  ASSERT_TRUE(definer.onOK(*definition));
  EXPECT_EQ(floor->firstChild, nullptr);
  WorkspaceNode* moved = made->next;
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(ws::nameOf(moved), u"Půdorys");
  EXPECT_EQ(ws::descriptionOf(moved), u"Celé podlaží");
  EXPECT_EQ(ws::nameOf(ws::firstAction(moved)), u"_T *");
  EXPECT_EQ(ws::firstAction(moved)->next, nullptr);
}

}  // namespace
