// The workspace tree: its operations, the action strings, descriptions in pieces, the
// definition file (round trip, links rebuilt from levels, damaged files), the layer
// masks and the menu written from a tree.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "workspace/LayerMasks.h"
#include "workspace/MenuWriter.h"
#include "workspace/WorkspaceTree.h"

namespace {

namespace ws = qd::workspace;
using ws::WorkspaceNode;

// Owns a tree for the length of a test.
struct Tree {
  WorkspaceNode* root = nullptr;
  ~Tree() { ws::freeTree(root); }
};

std::u16string name(const WorkspaceNode* n) { return std::u16string(ws::nameOf(n)); }

// "level name" per node in pre-order, with the links followed as the host follows them.
void outline(const WorkspaceNode* n, std::vector<std::string>& out) {
  for (; n; n = n->next) {
    out.push_back(std::to_string(n->level) + " " + qd::text::toUtf8(ws::nameOf(n)));
    if (n->firstChild) {
      EXPECT_EQ(n->firstChild->prev, n) << out.back();
    }
    if (n->next) {
      EXPECT_EQ(n->next->prev, n) << out.back();
    }
    outline(n->firstChild, out);
  }
}
std::vector<std::string> outline(const WorkspaceNode* n) {
  std::vector<std::string> out;
  outline(n, out);
  return out;
}

// A floor group with a described workspace of two actions and one without, and a free
// group with one workspace.
WorkspaceNode* sampleTree() {
  WorkspaceNode* floor = ws::create(u"_1 Přízemí");
  floor->state = ws::kFloorPresent;
  WorkspaceNode* plan = ws::appendChild(floor, u"Půdorys");
  ws::setDescription(plan, u"Stěny a okna");
  ws::appendChild(plan->firstChild, u"_T A????_1*");
  ws::appendChild(plan->firstChild, u"_F ~?????_2*");
  ws::appendSibling(plan, u"Prázdná");
  WorkspaceNode* model = ws::appendSibling(floor, u"3D model");
  ws::appendChild(model, u"celý objekt");
  return floor;
}

std::string record(int8_t level, uint8_t state, const std::string& name) {
  ws::DefinitionRecord r{};
  r.level = level;
  r.state = state;
  std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name));
  return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

class Workspace : public ::testing::Test {
 protected:
  void SetUp() override { ws::settings() = ws::initialSettings(); }
  void TearDown() override { ws::settings() = ws::initialSettings(); }
};

TEST_F(Workspace, NodesAreMadeLinkedCopiedAndTakenOut) {
  Tree t;
  t.root = sampleTree();
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 _1 Přízemí", "1 Půdorys", "2 Stěny a okna", "3 _T A????_1*",
                                                       "3 _F ~?????_2*", "1 Prázdná", "0 3D model", "1 celý objekt"}));
  WorkspaceNode* action = ws::firstAction(t.root->firstChild);
  EXPECT_EQ(ws::groupOf(action), t.root);
  EXPECT_EQ(ws::groupOf(t.root->next->firstChild), t.root->next);
  EXPECT_EQ(ws::countNodes(t.root), 8u);

  Tree copy;
  ws::copyInto(copy.root, t.root, false, true);
  EXPECT_EQ(outline(copy.root), outline(t.root));
  EXPECT_EQ(copy.root->state, ws::kFloorPresent);

  ws::unlink(action);  // a first child: its parent takes the next one
  EXPECT_EQ(name(ws::firstAction(t.root->firstChild)), u"_F ~?????_2*");
  ws::unlink(t.root->firstChild->next);  // a last sibling
  EXPECT_EQ(ws::countNodes(t.root), 6u);
  EXPECT_EQ(outline(copy.root).size(), 8u);  // the copy is its own

  ws::freeSubtrees(copy.root);
  EXPECT_EQ(ws::countNodes(copy.root), 1u);
}

TEST_F(Workspace, NamesAreCutToFiftyTwoCharacters) {
  Tree t;
  t.root = ws::create(std::u16string(60, u'ž'));
  EXPECT_EQ(name(t.root), std::u16string(52, u'ž'));
  EXPECT_EQ(t.root->name[52], u'\0');
}

TEST_F(Workspace, FloorsMarkTheirGroups) {
  Tree t, floors;
  t.root = ws::create(u"_1");
  t.root->state = ws::kFloorTied;
  ws::appendSibling(t.root, u"_2")->state = ws::kFloorTied;
  ws::appendSibling(t.root, u"_1 volná");  // not tied: stays
  floors.root = ws::create(u"?? Alle Ebenen");
  ws::appendSibling(floors.root, u"_1 Přízemí");
  ws::markFloors(t.root, floors.root);
  EXPECT_EQ(name(t.root), u"_1 Přízemí");
  EXPECT_EQ(t.root->state, ws::kFloorPresent);
  EXPECT_EQ(t.root->next->state, ws::kFloorTied);
  EXPECT_EQ(name(t.root->next->next), u"_1 volná");
  EXPECT_TRUE(ws::hasPrefix(floors.root, u"_1 "));
  EXPECT_FALSE(ws::hasPrefix(floors.root, u"_3"));
}

TEST_F(Workspace, ActionStrings) {
  auto a = ws::parseAction(u"_F ~?????_1*");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->option, u"_F~");
  EXPECT_EQ(a->prefix, u"");
  EXPECT_EQ(a->mask, u"?????_1*");
  a = ws::parseAction(u"_T ABC|?????_1*");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->option, u"_T");
  EXPECT_EQ(a->prefix, u"ABC|");
  EXPECT_EQ(a->mask, u"?????_1*");
  a = ws::parseAction(u"_LO   PLAN$0$T*  ");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->option, u"_LO");
  EXPECT_EQ(a->prefix, u"PLAN$0$");
  EXPECT_EQ(a->mask, u"T*");
  a = ws::parseAction(u"_T A$B");  // a dollar not followed two places on by another
  ASSERT_TRUE(a);
  EXPECT_EQ(a->prefix, u"");
  EXPECT_EQ(a->mask, u"A$B");
  EXPECT_FALSE(ws::parseAction(u"_F"));
  EXPECT_FALSE(ws::parseAction(u"_ON   "));
}

TEST_F(Workspace, MasksThatDoNotReadAsLayerPatterns) {
  for (const char16_t* good : {u"?????_1*", u"*", u"A[BC]*", u"A[~0-9]?", u"[]]X", u"A`[B", u"A B", u"#@.-"})
    EXPECT_TRUE(ws::maskReadable(good)) << std::string(good, good + std::char_traits<char16_t>::length(good));
  for (const char16_t* bad : {u"", u"A[BC", u"A[~", u"A`", u"A;B", u"A|B", u"A<B", u"A\"B", u"A/B", u"A\\B", u"A:B",
                              u"A=B", u"A\tB"})
    EXPECT_FALSE(ws::maskReadable(bad)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  // A reference's prefix is not part of the mask; a second bar is.
  EXPECT_TRUE(ws::maskReadable(ws::parseAction(u"_T PLAN|A*")->mask));
  EXPECT_FALSE(ws::maskReadable(ws::parseAction(u"_T PLAN|A|B")->mask));
  EXPECT_FALSE(ws::maskReadable(ws::parseAction(u"_T PLAN|")->mask));
}

TEST_F(Workspace, UpAndDownSwapNeighboursAndKeepEveryLink) {
  Tree t;
  t.root = ws::create(u"G1");
  WorkspaceNode* a = ws::appendChild(t.root, u"A");
  WorkspaceNode* b = ws::appendSibling(a, u"B");
  WorkspaceNode* c = ws::appendSibling(a, u"C");
  WorkspaceNode* g2 = ws::appendSibling(t.root, u"G2");
  ws::appendChild(b, u"b1");
  EXPECT_TRUE(ws::swapWithNext(t.root, a));  // the first child moves down
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 G1", "1 B", "2 b1", "1 A", "1 C", "0 G2"}));
  EXPECT_TRUE(ws::swapWithNext(t.root, a));  // one in the middle, to the end
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 G1", "1 B", "2 b1", "1 C", "1 A", "0 G2"}));
  EXPECT_FALSE(ws::swapWithNext(t.root, a));  // the last stays
  EXPECT_TRUE(ws::swapWithNext(t.root, t.root));  // the first group: the root follows
  EXPECT_EQ(t.root, g2);
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 G2", "0 G1", "1 B", "2 b1", "1 C", "1 A"}));
  EXPECT_EQ(ws::groupOf(c), g2->next);
  EXPECT_EQ(g2->prev, nullptr);
}

TEST_F(Workspace, DescriptionsAreStoredInPiecesAndKeepTheActions) {
  Tree t;
  t.root = ws::create(u"G");
  WorkspaceNode* w = ws::appendChild(t.root, u"W");
  ws::setDescription(w, std::u16string(120, u'd'));
  ws::appendChild(w->firstChild, u"_T *");
  EXPECT_EQ(ws::countNodes(w->firstChild), 4u);  // three pieces and the action
  ws::setDescription(w, u"krátký");
  EXPECT_EQ(ws::descriptionOf(w), u"krátký");
  EXPECT_EQ(name(ws::firstAction(w)), u"_T *");
  EXPECT_EQ(ws::firstAction(w)->prev, w->firstChild);
  ws::setDescription(w, std::u16string(600, u'x'));
  EXPECT_EQ(ws::descriptionOf(w).size(), 500u);
  ws::setDescription(w, u"");
  EXPECT_EQ(ws::descriptionOf(w), u"");
  EXPECT_EQ(name(ws::firstAction(w)), u"_T *");
}

TEST_F(Workspace, ASavedTreeReadsBackTheSameAndWritesTheSameBytes) {
  Tree t;
  t.root = sampleTree();
  ws::settings() = u"1011111011_1SK0A.....";
  const std::string bytes = ws::saveBytes(t.root);
  EXPECT_EQ(bytes.size(), 9 * sizeof(ws::DefinitionRecord));
  // The floor group is stored by its code alone, in memory too.
  EXPECT_EQ(name(t.root), u"_1");
  ws::settings() = ws::initialSettings();
  Tree back;
  const ws::Loaded loaded = ws::loadBytes(bytes);
  back.root = loaded.tree;
  EXPECT_TRUE(loaded.settingsFound);
  EXPECT_EQ(ws::settings(), u"1011111011_1SK0A.....");
  EXPECT_EQ(outline(back.root), outline(t.root));
  EXPECT_EQ(back.root->state, ws::kFloorPresent);
  EXPECT_EQ(ws::saveBytes(back.root), bytes);
}

TEST_F(Workspace, RecordsAttachByTheirLevels) {
  const std::string bytes = record(0, 1, "_1") + record(1, 0, "W1") + record(2, 0, "") + record(3, 0, "_F *") +
                            record(3, 0, "_T A*") + record(1, 0, "W2") + record(0, 0, "G2") + record(2, 0, "orphan") +
                            record(5, 0, "bad level") + record(1, 0, "W3");
  Tree t;
  const ws::Loaded loaded = ws::loadBytes(bytes);
  t.root = loaded.tree;
  // A level-1 record after a level-3 one follows the nearest workspace; a group the last
  // group; a description under a group has nothing to hang under.
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 _1", "1 W1", "2 ", "3 _F *", "3 _T A*", "1 W2", "0 G2", "1 W3"}));
  EXPECT_EQ(loaded.skipped, 2u);
  EXPECT_EQ(loaded.placed, 8u);
  EXPECT_FALSE(loaded.settingsFound);
}

TEST_F(Workspace, DamagedFilesLoadWhatIsSound) {
  {
    Tree t;
    const ws::Loaded loaded = ws::loadBytes("");
    t.root = loaded.tree;
    EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 "}));
    EXPECT_EQ(loaded.placed, 0u);  // an empty group stands for nothing read
  }
  {
    // Without a settings record the settings stay as they are; a record cut short ends
    // the file.
    ws::settings() = u"keep";
    const std::string full = record(0, 0, "G") + record(1, 0, "W");
    Tree t;
    const ws::Loaded loaded = ws::loadBytes(full + record(1, 0, "cut").substr(0, 30));
    t.root = loaded.tree;
    EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 G", "1 W"}));
    EXPECT_EQ(loaded.trailingBytes, 30u);
    EXPECT_EQ(ws::settings(), u"keep");
  }
  {
    // A name of 52 bytes has no terminator; a settings record first leaves an empty group.
    Tree t;
    const ws::Loaded loaded = ws::loadBytes(record(static_cast<int8_t>(0xAD), 0, "11") + record(0, 0, "never"));
    t.root = loaded.tree;
    EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 "}));
    EXPECT_EQ(ws::settings(), u"11");
    Tree full;
    full.root = ws::loadBytes(record(0, 0, std::string(52, 'N'))).tree;
    EXPECT_EQ(name(full.root), std::u16string(52, u'N'));
  }
}

TEST_F(Workspace, FilesAreWrittenWholeAndReadBack) {
  const auto dir = std::filesystem::temp_directory_path() / "qd_workspace_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "QDSTRAT.QDL").string();
  Tree t;
  t.root = sampleTree();
  ASSERT_TRUE(ws::save(path, t.root));
  Tree back;
  ASSERT_TRUE(ws::load(path, back.root));
  EXPECT_EQ(outline(back.root), outline(t.root));
  EXPECT_FALSE(ws::save("", t.root));
  WorkspaceNode* untouched = nullptr;
  EXPECT_FALSE(ws::load((dir / "missing.qdl").string(), untouched));
  EXPECT_EQ(untouched, nullptr);
  EXPECT_FALSE(ws::save((dir / "no" / "such" / "folder.qdl").string(), t.root));
  std::filesystem::remove_all(dir);
}

TEST_F(Workspace, DefaultTree) {
  Tree t;
  t.root = ws::defaultTree();
  EXPECT_EQ(outline(t.root), (std::vector<std::string>{"0 _1", "1 Stavební půdorys", "0 3D model", "1 celý objekt"}));
  EXPECT_EQ(t.root->state, ws::kFloorTied);
  EXPECT_EQ(t.root->next->state, ws::kFree);
}

TEST_F(Workspace, MasksTakeTheSectionConstructionAndFloor) {
  const std::u16string s = u"1111111011_2ZD1B";
  EXPECT_EQ(ws::floorMask(s), u"B????_2*");
  EXPECT_EQ(ws::exclusionMask(s), u"~B????_2*");
  EXPECT_EQ(ws::currentLayer(s), u"BVZD1_22");
  EXPECT_EQ(ws::currentLayer(s, u"_3 Patro"), u"BVZD1_32");
  const std::u16string off = u"1111110011_2ZD1B";  // the section filter off
  EXPECT_EQ(ws::floorMask(off), u"?????_2*");
  EXPECT_EQ(ws::currentLayer(off), u"TVZD1_22");
}

// Settings: options 1 to 6 on, no locking (position 7 "1"), section A.
const std::u16string kOptions = u"1111111111_1SK0A\x01................................";

TEST_F(Workspace, AFloorGroupWithOneWorkspaceMakesASetAndALockItem) {
  Tree t;
  t.root = ws::create(u"_1 Přízemí");
  t.root->state = ws::kFloorPresent;
  WorkspaceNode* w = ws::appendChild(t.root, u"Půdorys");
  ws::setDescription(w, u"");
  ws::appendChild(w, u"");
  ws::appendChild(w->firstChild, u"_T A????_1*");
  ws::appendChild(w->firstChild, u"_F B*");  // another section: left out
  ws::appendChild(w->firstChild, u"_F ~?????_2*");
  const std::u16string expected =
      u"//\n// AutoCAD menu file - QDSTRAT.mnu 14.2+\n//\n***MENUGROUP=QDSTRAT\n***POP1\n[QDSTRAT]\n[TORVEL®]^C\n"
      u"[plan.mnu]^C\n[--]\n"
      u"[->_1 Přízemí]\n"
      u"  [Půdorys - setzen]^C^C_-LAYER _T *;_U *;_ON *;_M AVSK0_12;_F ~A????_1*;_T A????_1*;_F ~A????_2*;"
      u"_T 0,DEFPOINTS;;_ZOOM _E _ZOOM .95x \n"
      u"  [<-Půdorys - sperren]^C^C_-LAYER _T A????_1*;_T A????_1*;_F ~A????_2*;;_ZOOM _E _ZOOM .95x \n";
  EXPECT_EQ(qd::text::fromAnsi(ws::menuText("C:\\projekty\\plan.mnu", t.root, kOptions)), expected);
}

TEST_F(Workspace, AFreeGroupMakesSetItemsOnlyAndLockingCanLockThawedLayers) {
  Tree t;
  t.root = ws::create(u"3D");
  WorkspaceNode* a = ws::appendChild(t.root, u"Vše");
  ws::appendSibling(a, u"Nic");
  const std::u16string s = u"10000000001_SK0A";  // no options; the section filter off
  const std::u16string expected =
      u"[->3D]\n"
      u"  [Vše - setzen]^C^C_-LAYER _T *;_U *;;\n"
      u"  [<-Nic - setzen]^C^C_-LAYER _T *;_U *;;\n";
  const std::u16string text = qd::text::fromAnsi(ws::menuText("m.mnu", t.root, s));
  EXPECT_EQ(text.substr(text.find(u"[->")), expected);

  // A floor group whose thawed layers are locked: the lock item says so and ends with it.
  Tree f;
  f.root = ws::create(u"_2");
  f.root->state = ws::kFloorTied;
  ws::appendChild(f.root, u"Jen patro");
  const std::u16string lock = qd::text::fromAnsi(ws::menuText("m.mnu", f.root, u"10000000_2SK0A"));
  EXPECT_NE(lock.find(u"  [<-Jen patro - sperren (getaute)]^C^C_-LAYER _T ?????_2*;_LO ?????_2*;;\n"), std::u16string::npos)
      << qd::text::toUtf8(lock);
}

TEST_F(Workspace, AnActionWhoseMaskDoesNotReadStaysOutOfTheMenu) {
  // Its ';' would end the macro's layer command early.
  Tree t;
  t.root = ws::create(u"3D");
  WorkspaceNode* a = ws::appendChild(t.root, u"Vše");
  ws::setDescription(a, u"d");
  ws::appendChild(a->firstChild, u"_F A;B");
  ws::appendChild(a->firstChild, u"_T C*");
  const std::u16string text = qd::text::fromAnsi(ws::menuText("m.mnu", t.root, u"10000000001_SK0A"));
  EXPECT_NE(text.find(u"  [<-Vše - setzen]^C^C_-LAYER _T *;_U *;_T C*;;\n"), std::u16string::npos) << qd::text::toUtf8(text);
}

}  // namespace

namespace {

// The shipped definition file, written by its script, reads into the groups of the
// product's floors and writes back byte for byte.
TEST(ShippedWorkspaces, ReadAndWriteBackUnchanged) {
  std::ifstream in(std::string(QD_SOURCE_DIR) + "/data/QDSTRAT.QDL", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  const std::u16string before = ws::settings();
  Tree t;
  const ws::Loaded loaded = ws::loadBytes(bytes);
  t.root = loaded.tree;
  EXPECT_TRUE(loaded.settingsFound);
  EXPECT_EQ(loaded.skipped, 0u);
  std::vector<std::u16string> groups;
  for (const WorkspaceNode* g = t.root; g; g = g->next) groups.push_back(name(g));
  EXPECT_EQ(groups, (std::vector<std::u16string>{u"_1", u"_2", u"_3", u"S1", u"ST", u"Celý objekt"}));
  EXPECT_EQ(t.root->state, ws::kFloorTied);
  EXPECT_EQ(name(ws::firstAction(t.root->firstChild->next)), u"_F ?????_1*");
  EXPECT_EQ(ws::saveBytes(t.root), bytes);
  ws::settings() = before;
}

}  // namespace
