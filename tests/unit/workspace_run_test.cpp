// The manager's run against a host of recorded call-backs: the tokens of a set and a
// lock (section filter, paper space, floor groups and free ones), the dialog's end codes
// for constructions and picks, and the exports that hand trees over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "headless/ads/session.h"
#include "workspace/Manager.h"
#include "workspace/WorkspaceTree.h"

extern "C" {
qd::workspace::WorkspaceNode* GetAllData();
qd::workspace::WorkspaceNode* NewAllData();
void DelAllData(qd::workspace::WorkspaceNode** node);
void EraseAllData();
qd::workspace::WorkspaceNode* SetAllData(qd::workspace::WorkspaceNode* node);
qd::workspace::WorkspaceNode* SetAllDataX(qd::workspace::WorkspaceNode* node);
const char16_t* getSettings();
void setSettings(const char16_t* text);
}

namespace {

namespace ws = qd::workspace;
using ws::WorkspaceNode;

std::vector<std::u16string> g_tokens;
int g_pickAnswer = 0;
std::u16string g_picked, g_construction;
std::vector<int> g_codes;

int record(const char16_t* token) {
  g_tokens.emplace_back(token);
  return ws::kAccepted;
}
int pick(char16_t* buffer) {
  std::copy(g_picked.begin(), g_picked.end(), buffer);
  buffer[g_picked.size()] = 0;
  return g_pickAnswer;
}
void construction(char16_t* buffer, int, int) {
  std::copy(g_construction.begin(), g_construction.end(), buffer);
  buffer[g_construction.size()] = 0;
}
// The dialog ends with the codes given, one a showing, then with 0.
int dialog(int) {
  if (g_codes.empty()) return 0;
  const int code = g_codes.front();
  g_codes.erase(g_codes.begin());
  return code;
}

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
    g_tokens.clear();
    ws::ManagerState& st = ws::state();
    st.calls = ws::HostCalls{};
    st.calls.doAdsCommand = record;
    st.calls.vyberLayer = pick;
    st.calls.konstrukce = construction;
    st.environment = 0;
    st.paperSpace = false;
    ws::setDialogStep(dialog);
    EraseAllData();
    WorkspaceNode* floor = ws::create(u"_1 Přízemí");
    floor->state = ws::kFloorPresent;
    WorkspaceNode* plan = ws::appendChild(floor, u"Půdorys");
    ws::setDescription(plan, u"d");
    // A bound reference's prefix is taken before a '~': "~A$0$" stays the prefix. The
    // text without a blank is no action.
    for (const char16_t* a : {u"_F ?????_1*", u"_T B*", u"_T *", u"_LO ~A$0$?????_2*", u"nic"}) ws::appendChild(plan->firstChild, a);
    WorkspaceNode* free = ws::appendSibling(floor, u"Celý objekt");
    ws::appendChild(free, u"Stěny");
    SetAllData(floor);
    ws::settings() = u"0000000111__SK0A\x01";
  }
  void TearDown() override {
    EraseAllData();
    ws::settings() = ws::initialSettings();
    ws::setDialogStep(nullptr);
    ws::state().calls = ws::HostCalls{};
    qd::ads::printSink() = [](const std::u16string&) {};
  }
  WorkspaceNode* plan() { return GetAllData()->firstChild; }
  WorkspaceNode* walls() { return GetAllData()->next->firstChild; }
  static std::vector<std::u16string> tokens(std::initializer_list<const char16_t*> list) {
    std::vector<std::u16string> out;
    for (const char16_t* t : list) out.emplace_back(t);
    return out;
  }
  std::u16string printed;
};

TEST_F(Run, SelectingTakesTheGroupsFloor) {
  ws::select(plan());
  EXPECT_EQ(ws::settings().substr(0, 1), u"1");
  EXPECT_EQ(ws::settings().substr(10, 2), u"_1");
  ws::select(walls());
  EXPECT_EQ(ws::settings().substr(0, 1), u"0");
}

TEST_F(Run, SetWithoutTheSectionFilterSendsTheActionsAsTheyAre) {
  ws::select(plan());
  EXPECT_EQ(ws::setSequence(), ws::kSet);
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"_F", u"~?????_1*", u"_F", u"?????_1*", u"_T", u"B*",
                              u"_T", u"*", u"_LO", u"~A$0$?????_2*", u""}));
}

TEST_F(Run, AllButTheMaskIsSentWithTheExclusionInFrontOfIt) {
  WorkspaceNode* first = plan()->firstChild;
  ws::freeTree(first->firstChild);
  first->firstChild = nullptr;
  ws::appendChild(first, u"_F ~?????_3*");
  ws::select(walls());
  ws::state().selected = plan();
  ws::setSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"_F", u"~?????_3*", u""}));
}

TEST_F(Run, TheSectionFilterTakesTheSectionAndLeavesOtherSectionsOut) {
  ws::select(plan());
  ws::settings()[6] = u'1';
  ws::settings()[1] = u'1';  // all layers on
  ws::setSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"_ON", u"*", u"_F", u"~A????_1*", u"_F", u"A????_1*",
                              u"_T", u"*", u"_LO", u"~A$0$A????_2*", u""}));
}

TEST_F(Run, InPaperSpaceTheFreezingGoesToTheViewport) {
  ws::state().paperSpace = true;
  ws::select(plan());
  ws::settings()[3] = u'1';  // thaw 0 and DEFPOINTS
  ws::setSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"", u"._VPLAYER", u"_F", u"~?????_1*", u"_C", u"_F",
                              u"?????_1*", u"_C", u"_T", u"B*", u"_C", u"_T", u"*", u"_C", u"_LO", u"~A$0$?????_2*", u"_C",
                              u"_T", u"0", u"_C", u"_T", u"DEFPOINTS", u"_C", u""}));
}

TEST_F(Run, AFreeGroupSetsWithoutTheFloorAndCannotBeLocked) {
  ws::select(walls());
  ws::settings()[4] = u'1';  // zoom
  ws::setSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"", u"_ZOOM", u"_E", u"_ZOOM", u".95x"}));
  g_tokens.clear();
  ws::lockSequence();
  EXPECT_TRUE(g_tokens.empty());
  EXPECT_NE(printed.find(u"[ Pozor] ERROR 620314001"), std::u16string::npos);
}

TEST_F(Run, AnActionWhoseMaskDoesNotReadIsLeftOutAndReported) {
  ws::appendChild(plan()->firstChild, u"_F A[B");
  ws::appendChild(plan()->firstChild, u"_T X;Y");
  ws::select(plan());
  ws::setSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"*", u"_U", u"*", u"_F", u"~?????_1*", u"_F", u"?????_1*", u"_T", u"B*",
                              u"_T", u"*", u"_LO", u"~A$0$?????_2*", u""}));
  EXPECT_NE(printed.find(u"[ Pozor] These actions were left out: their layer masks cannot be read.\n_F A[B\n_T X;Y"),
            std::u16string::npos);
  // The lock leaves them out too, and says so once.
  printed.clear();
  ws::lockSequence();
  const size_t first = printed.find(u"left out");
  EXPECT_NE(first, std::u16string::npos);
  EXPECT_EQ(printed.find(u"left out", first + 1), std::u16string::npos);
}

TEST_F(Run, LockingThawsTheFloorAndLocksWhenAsked) {
  ws::select(plan());
  ws::settings()[7] = u'0';
  ws::lockSequence();
  EXPECT_EQ(g_tokens, tokens({u"._-LAYER", u"_T", u"?????_1*", u"_F", u"?????_1*", u"_T", u"B*", u"_T", u"*", u"_LO",
                              u"~A$0$?????_2*", u"_LO", u"?????_1*", u""}));
  g_tokens.clear();
  ws::settings()[7] = u'1';
  ws::lockSequence();
  EXPECT_EQ(g_tokens.size(), 12u);  // no "_LO" of the floor
}

TEST_F(Run, AConstructionChoiceAndPicksComeBackThroughTheLoop) {
  ws::state().calls.getQDSTRATenv = [] { return 0; };
  ws::state().lightBound = true;
  g_construction = u"SK1 Nosné zdivo";
  g_pickAnswer = 5;
  g_picked = u"ASSK1_1Z";
  g_codes = {ws::kConstruction2, 206};
  ws::select(plan());
  EXPECT_EQ(ws::runLight("", 0), 0);
  EXPECT_EQ(ws::settings().substr(12, 3), u"SK1");
  EXPECT_EQ(ws::settings()[16], 2);
  EXPECT_EQ(ws::state().mode, 3);
  // Nothing picked (5): any layer.
  EXPECT_EQ(ws::state().pick, u"???????*");
  g_pickAnswer = 16;
  g_codes = {208};
  ws::runLight("", 0);
  EXPECT_EQ(ws::state().pick, u"ASSK1_1Z");
  EXPECT_EQ(ws::state().pickKind, 209);
}

TEST_F(Run, TheHelpFileFollowsTheEnvironment) {
  ws::state().environment = 1;
  unsetenv("TVC");
  EXPECT_EQ(ws::helpFile(), "");
  setenv("TVC", "/opt/torvel/bin/torvel.exe", 1);
  EXPECT_EQ(ws::helpFile(), "/opt/torvel/bin/torvel.hlp");
  unsetenv("TVC");
  ws::state().environment = 2;  // the light program is not running here
  EXPECT_EQ(ws::helpFile(), "");
  ws::state().environment = 0;
  const std::string standalone = ws::helpFile();
  EXPECT_EQ(standalone.substr(standalone.rfind('/') + 1), "QDSTRAT.HLP");
}

TEST_F(Run, TreesHandedOverAreOwnedOnce) {
  WorkspaceNode* given = NewAllData();
  ws::appendChild(given, u"W");
  WorkspaceNode* copy = SetAllDataX(given);  // a copy: the caller keeps its tree
  EXPECT_NE(copy, given);
  EXPECT_EQ(ws::countNodes(GetAllData()), 2u);
  DelAllData(&given);
  EXPECT_EQ(given, nullptr);
  DelAllData(&given);  // nothing when there is none
  // The tree set is the library's, freed by EraseAllData (the one it replaces is not).
  EraseAllData();
  SetAllData(NewAllData());
  EraseAllData();
  EXPECT_EQ(GetAllData(), nullptr);
  setSettings(std::u16string(60, u'1').c_str());
  EXPECT_EQ(std::u16string(getSettings()).size(), 49u);
  setSettings(nullptr);
  EXPECT_EQ(std::u16string(getSettings()).size(), 49u);
}

}  // namespace
