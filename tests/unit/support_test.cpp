// The support library and the arrow entity, against the headless host: messages and
// error reports, prompts, parts and their legacy forms, the flush, handle lists,
// length-prefixed strings, and Hxarrow's geometry and filing.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/MFLUSH.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/PFLUSH.h"
#include "Library/Inc/holders.h"
#include "Library/Inc/parts.h"
#include "Library/Inc/prompts.h"
#include "arrow/Hxarrow.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "headless/modules/modules.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdict.h"
#include "siblings/siblings.h"

namespace {

using namespace qd::support;

class Support : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    qd::siblings::install(std::string(QD_SOURCE_DIR) + "/data");
    qd::ads::session().supportPaths.push_back(std::string(QD_SOURCE_DIR) + "/data");
  }
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    printed.clear();
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
  }
  void TearDown() override {
    qd::ads::printSink() = [](const std::u16string&) {};
    qd::ui::Console::get().setSource(nullptr);
    qd::ui::Console::get().clearStop();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  // Answers the next input requests with these lines.
  void answer(const std::string& events) {
    script = std::make_unique<qd::ui::ScriptSource>("test", events);
    qd::ui::Console::get().setSource(script.get());
    qd::ui::Console::get().clearStop();
  }
  AcDbObjectId line(double y, const char16_t* layer = u"0") {
    auto* l = new AcDbLine({0, y, 0}, {10, y, 0});
    l->setLayer(layer);
    Opened<AcDbBlockTableRecord> ms(db->modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, l), Acad::eOk);
    l->close();
    return id;
  }
  std::u16string handleOf(AcDbObjectId id) {
    ACHAR h[20];
    id.handle().getIntoAsciiBuffer(h);
    return h;
  }
  std::unique_ptr<AcDbDatabase> db;
  std::u16string printed;
  std::unique_ptr<qd::ui::ScriptSource> script;
};

TEST_F(Support, DictionaryTextsRotateThroughThreeBuffers) {
  const ACHAR* a = dictText(1, 2, 1119);
  EXPECT_EQ(std::u16string(a), u"QDLBL - Popisy");
  const ACHAR* b = dictText(1, 1, 57);
  EXPECT_EQ(std::u16string(b), u"Dotaz");
  const ACHAR* c = dictText(1, 2, 1070);
  const ACHAR* d = dictText(1, 2, 1071);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(a, d);  // the fourth call reuses the first buffer
  EXPECT_EQ(std::u16string(moduleText(59)), u"QDLBL - Popisy");
  // A dictionary that answers nothing: "_?_" and one NORMAL report from J_SUPP.
  EXPECT_EQ(std::u16string(dictText(3, 3, 1)), u"_?_");
  EXPECT_NE(printed.find(u"NORMAL on line"), std::u16string::npos);
  EXPECT_NE(printed.find(u"of 'Library/Inc/J_SUPP'\n  'Incorrect name of dictionary function!'"), std::u16string::npos);
  printed.clear();
  EXPECT_EQ(std::u16string(dictText(1, 2, 30000)), u"_?_");  // a number without text
  EXPECT_NE(printed.find(u"Error in result of invoking dictionary function!"), std::u16string::npos);
  // The table module's shortcuts report nothing.
  ACHAR shortcut[64] = u"unchanged";
  printed.clear();
  qdads02Text(30000, shortcut, 64);
  EXPECT_EQ(std::u16string(shortcut), u"");
  qdads01Text(57, shortcut, 64);
  EXPECT_EQ(std::u16string(shortcut), u"Dotaz");
  EXPECT_EQ(printed, u"");
  ACHAR buffer[8];
  EXPECT_EQ(dictTextTo(4, 1, 1, buffer, 8), RTERROR);
  EXPECT_EQ(std::u16string(buffer), u"_?_");
  EXPECT_NE(printed.find(u"Incorrect name of dictionary !"), std::u16string::npos);
}

TEST_F(Support, ErrReportsLevelsAndLongOutput) {
  setErrSource("Library/Inc/PFLUSH", 42);
  Err(2, u"value %d of %ls", 7, u"x");
  EXPECT_EQ(printed, u"\nBUG on line 42 of 'Library/Inc/PFLUSH'\n  'value 7 of x'\n");
  printed.clear();
  Err(5, u"odd");
  EXPECT_NE(printed.find(u"ERROR OF BAD TYPE (5) on line"), std::u16string::npos);
  printed.clear();
  Err(1, nullptr);
  EXPECT_NE(printed.find(u"'Bad pointer in arguments to Err()'"), std::u16string::npos);
  printed.clear();
  chunkedPrintf(u"%ls", std::u16string(1000, u'x').c_str());
  EXPECT_NE(printed.find(u"FATAL ERROR"), std::u16string::npos);
  EXPECT_NE(printed.find(u"'Library/Inc/ENTITY'\n  'Too big argument to adsx_printf'"), std::u16string::npos);
}

TEST_F(Support, HandlesAddWithCarriesAndTruncation) {
  EXPECT_EQ(std::u16string(handleAdd(u"ff", 1)), u"100");
  EXPECT_EQ(std::u16string(handleAdd(u"ffffffff", 1)), u"100000000");
  EXPECT_EQ(std::u16string(handleAdd(u"1A", 5)), u"1f");
  EXPECT_EQ(std::u16string(handleAdd(u"1ffffffff", 1)), u"200000000");
  EXPECT_EQ(std::u16string(handleAdd(std::u16string(32, u'f').c_str(), 1)), u"0" + std::u16string(24, u'0'));
  EXPECT_NE(printed.find(u"Handle is longer then 32 chars - was truncate!"), std::u16string::npos);
  EXPECT_EQ(std::u16string(textAfterBlanks(u"ab   cd e")), u"cd e");
  EXPECT_EQ(textAfterBlanks(u"abc"), nullptr);
  EXPECT_EQ(textAfterBlanks(u"abc   "), nullptr);
}

TEST_F(Support, GeometryOnLinesAndSegments) {
  const ads_point a = {0, 0, 0}, b = {10, 0, 0};
  const ads_point atA = {0, 0, 0}, behind = {-1, 0, 0}, beyond = {11, 0, 0}, inside = {4, 0, 0}, off = {4, 1, 0};
  EXPECT_EQ(whereOnLine(a, b, atA), 0);
  EXPECT_EQ(whereOnLine(a, b, behind), 1);
  EXPECT_EQ(whereOnLine(a, b, beyond), 2);
  EXPECT_EQ(whereOnLine(a, b, inside), 0);
  EXPECT_EQ(whereOnLine(a, b, off), -1);
  EXPECT_EQ(pointOnSegment(a, b, atA, false), 3);
  EXPECT_EQ(pointOnSegment(a, b, b, false), 1 | 4 | 8);
  EXPECT_EQ(pointOnSegment(a, b, inside, false), 1);
  const ads_point c = {5, -5, 0}, d = {5, 5, 0}, e = {5, 1, 0}, f = {5, 2, 0};
  ads_point x;
  ASSERT_EQ(segmentIntersection(a, b, c, d, nullptr, nullptr, x), RTNORM);
  EXPECT_NEAR(x[X], 5, 1e-12);
  EXPECT_NEAR(x[Y], 0, 1e-12);
  const int yes = 1;
  EXPECT_EQ(segmentIntersection(a, b, e, f, nullptr, &yes, x), RTERROR);  // the crossing is off b
  EXPECT_EQ(segmentIntersection(a, b, a, b, nullptr, nullptr, x), RTERROR);  // parallel
  EXPECT_FALSE(pointsDiffer(a, atA, true));
  const ads_point near = {0.00005, 0, 5};
  EXPECT_FALSE(pointsDiffer(a, near, false));
  EXPECT_TRUE(pointsDiffer(a, near, true));
}

TEST_F(Support, PromptsShowKeywordsAndDefaults) {
  buildPrompt(nullptr, u"A B", nullptr, false);
  EXPECT_EQ(printed, u"\nA/B: ");
  printed.clear();
  buildPrompt(u"Yes", u"Yes No", u"Choose", false);
  EXPECT_EQ(printed, u"\nChoose [Yes/No] <Yes>: ");
  printed.clear();
  buildPrompt(u"", u"Po_patre Zpet", u"\nMode", false);
  EXPECT_EQ(printed, u"\nMode [Po patre/Zpet]: ");
  EXPECT_EQ(std::u16string(stripUnderscores(u"Po_patre Zpet")), u"Popatre Zpet");
  std::u16string result;
  answer("<enter>\nn\n<esc>\n");
  EXPECT_EQ(getKeyword(u"yes", u"Yes No", u"Choose", result), RTNORM);
  EXPECT_EQ(result, u"YES");
  EXPECT_EQ(getKeyword(u"yes", u"Yes No", u"Choose", result), RTNORM);
  EXPECT_EQ(result, u"No");
  EXPECT_EQ(getKeyword(u"yes", u"Yes No", u"Choose", result), RTCAN);
  EXPECT_EQ(result, u"");
}

TEST_F(Support, YesNoDialogFollowsTheQuestionsLength) {
  const std::u16string q19(19, u'q'), q20(20, u'q');
  answer("dialog qd_yes_no20\nexpect line x\nclick ano\n");
  // The check line is answered by no hook here; the dialog takes the click.
  qd::ui::Console::get().checkHook = [](const qd::ui::Event&) {};
  EXPECT_EQ(askYesNo(q19.c_str()), 1);
  answer("dialog qd_yes_no40\ncancel\n");
  EXPECT_EQ(askYesNo(q20.c_str()), 0);  // cancelling answers no
  EXPECT_EQ(qd::ui::Console::get().failures(), 0);
  qd::ui::Console::get().checkHook = nullptr;
}

TEST_F(Support, PartsAreCreatedExtendedAndSelected) {
  AcDbObjectIdArray members;
  members.append(line(0));
  members.append(line(1));
  EXPECT_FALSE(partExists(u"LABEL1"));
  ASSERT_TRUE(createPart(u"LABEL1", members));
  EXPECT_TRUE(partExists(u"LABEL1"));
  // The dictionary was created; an existing entry is not changed by createPart.
  AcDbObjectIdArray other;
  other.append(line(2));
  ASSERT_TRUE(createPart(u"LABEL1", other));
  SelectionSet set;
  EXPECT_EQ(partSelection(u"LABEL1", AcDb::kForRead, set.name()), 3);
  set.free();
  // Adding the same member twice records it twice; the selection holds it once.
  ASSERT_TRUE(addToPart(u"LABEL1", other, false));
  ASSERT_TRUE(addToPart(u"LABEL1", other, false));
  EXPECT_EQ(partSelection(u"LABEL1", AcDb::kForRead, set.name()), 4);
  set.free();
  // A member on a locked layer opened for write is left out and counted.
  AcDbLayerTable* layers = nullptr;
  db->getLayerTable(layers, AcDb::kForWrite);
  auto* locked = new AcDbLayerTableRecord();
  locked->setName(u"LOCKED");
  locked->setIsLocked(true);
  layers->add(locked);
  locked->close();
  layers->close();
  AcDbObjectIdArray more;
  more.append(line(3, u"LOCKED"));
  ASSERT_TRUE(addToPart(u"LABEL1", more, false));
  printed.clear();
  EXPECT_EQ(partSelection(u"LABEL1", AcDb::kForWrite, set.name()), 4);
  EXPECT_NE(printed.find(std::u16string(u"\n") + dictText(1, 3, 598)), std::u16string::npos);
}

TEST_F(Support, LegacyHandleListsAreReadAndConverted) {
  const AcDbObjectId a = line(0), b = line(1), c = line(2), d = line(3);
  (void)b;
  (void)c;
  ASSERT_EQ(acdbRegApp(u"OLDPART"), RTNORM);
  HandleArray handles = {handleOf(a), handleOf(b), handleOf(c), handleOf(d)};
  ASSERT_TRUE(writeHandleList(u"OLDPART", handles));
  HandleArray entries;
  ASSERT_TRUE(readHandleList(u"OLDPART", entries));
  ASSERT_EQ(entries.size(), 2u);  // a run of four: first, "<" + last
  EXPECT_EQ(entries[1], u"<" + handleOf(d));
  EXPECT_TRUE(partExists(u"OLDPART"));
  SelectionSet set;
  EXPECT_EQ(partSelection(u"OLDPART", AcDb::kForRead, set.name()), 5);
  // Now in the dictionary form.
  Opened<AcDbDictionary> root(db->namedObjectsDictionaryId(), AcDb::kForRead);
  AcDbObjectId partsId, entry;
  ASSERT_EQ(root->getAt(u"QDHK_HANDLE", partsId), Acad::eOk);
  Opened<AcDbDictionary> parts(partsId, AcDb::kForRead);
  EXPECT_EQ(parts->getAt(u"OLDPART", entry), Acad::eOk);
}

TEST(HandleLists, RunsAreCompressedAndExpanded) {
  EXPECT_EQ(compressHandles({u"1A", u"1B", u"1C", u"1D", u"20"}), (HandleArray{u"1A", u"<1D", u"20"}));
  EXPECT_EQ(compressHandles({u"1A", u"1B"}), (HandleArray{u"1A", u"1B"}));
  EXPECT_EQ(compressHandles({u"1A", u"1B", u"30", u"31", u"32"}), (HandleArray{u"1A", u"1B", u"30", u"<32"}));
  HandleArray h = {u"101", u"FE", u"ff", u"1A"};
  sortHandles(h);
  EXPECT_EQ(h, (HandleArray{u"1A", u"FE", u"ff", u"101"}));
}

TEST_F(Support, ExpansionCrossesDigitCountsAndRefusesBadRanges) {
  // Handles FE to 101 exist once the drawing has handed out that many.
  std::vector<AcDbObjectId> ids;
  while (db->handseed().value() <= 0x102) ids.push_back(line(0));
  const HandleArray expanded = expandHandleList({u"FE", u"<101"});
  EXPECT_EQ(expanded, (HandleArray{u"FE", u"ff", u"100", u"101"}));
  printed.clear();
  const HandleArray twice = expandHandleList({u"FE", u"<FF", u"<101"});
  EXPECT_EQ(twice, (HandleArray{u"FE", u"ff"}));
  EXPECT_NE(printed.find(u"Unexpected interval!"), std::u16string::npos);
}

TEST_F(Support, FlushRecordsWhatWasDrawnAfterTheLastEntity) {
  line(0);
  ads_name last;
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  // Nothing drawn after: the part has no members.
  EXPECT_EQ(recordNewPart(u"EMPTY", last), 0);
  EXPECT_TRUE(partExists(u"EMPTY"));
  SelectionSet set;
  EXPECT_EQ(partSelection(u"EMPTY", AcDb::kForRead, set.name()), 1);
  // A polyline with vertices after the last entity is one member.
  const double p[3] = {0, 0, 0}, q[3] = {5, 5, 0};
  acdbEntMake(ResbufList(acutBuildList(RTDXF0, u"POLYLINE", 66, 1, 0)).get());
  acdbEntMake(ResbufList(acutBuildList(RTDXF0, u"VERTEX", 10, p, 0)).get());
  acdbEntMake(ResbufList(acutBuildList(RTDXF0, u"VERTEX", 10, q, 0)).get());
  acdbEntMake(ResbufList(acutBuildList(RTDXF0, u"SEQEND", 0)).get());
  line(9);
  EXPECT_EQ(recordNewPart(u"DRAWN", last), 0);
  EXPECT_EQ(partSelection(u"DRAWN", AcDb::kForRead, set.name()), 3);
  // The walk over entity lists passes over a polyline's vertices and sequence end.
  HandleWalk walk;
  walk.reset(nullptr);
  HandleArray handles;
  ads_name at;
  ads_name_set(last, at);
  ads_name next;
  while (acdbEntNext(at, next) == RTNORM) {
    ResbufList list(acdbEntGet(next));
    walk.take(list.get(), handles);
    ads_name_set(next, at);
  }
  EXPECT_EQ(handles.size(), 2u);
}

TEST_F(Support, CollectAfterAnErasedEntityAndTheCurrentSpace) {
  const AcDbObjectId a = line(0);
  line(1);
  line(2);
  ads_name an;
  acdbGetAdsName(an, a);
  ASSERT_EQ(acdbEntDel(an), RTNORM);
  AcDbObjectIdArray ids;
  ASSERT_TRUE(collectAfter(an, ids));
  EXPECT_EQ(ids.length(), 2);
  EXPECT_TRUE(a.isErased());
  EXPECT_EQ(currentSpace(), db->modelSpaceId());
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = 0;
  acedSetVar(u"TILEMODE", &rb);
  rb.resval.rint = 1;
  acedSetVar(u"CVPORT", &rb);
  EXPECT_EQ(currentSpace(), db->paperSpaceId());
  rb.resval.rint = 2;
  acedSetVar(u"CVPORT", &rb);
  EXPECT_EQ(currentSpace(), db->modelSpaceId());
}

TEST(LpStrings, CodePageEscapesAndLimits) {
  std::stringstream s;
  writeLpString(s, std::u16string(u"Žluťoučký"));
  const std::string czech = s.str();
  EXPECT_EQ(czech.size(), 1u + 9u + 1u);  // one byte a letter
  EXPECT_EQ(static_cast<unsigned char>(czech[0]), 10);
  std::stringstream e;
  writeLpString(e, std::u16string(u"a\u20AC\u03A9b"));  // the euro is in 1250, omega is not
  EXPECT_NE(e.str().find("\\U+03a9"), std::string::npos);
  std::optional<std::u16string> back;
  ASSERT_TRUE(readLpString(e, back));
  EXPECT_EQ(*back, u"a\u20AC\u03A9b");
  std::stringstream big;
  writeLpString(big, std::u16string(300, u'x'));
  EXPECT_EQ(static_cast<unsigned char>(big.str()[0]), 255);
  EXPECT_EQ(big.str().size(), 1u + 254u + 1u);
  std::stringstream none;
  writeLpString(none, std::nullopt);
  ASSERT_TRUE(readLpString(none, back));
  EXPECT_FALSE(back.has_value());
  std::stringstream cut(std::string("\x05" "ab", 3));
  EXPECT_FALSE(readLpString(cut, back));
  std::stringstream upper(std::string("\x08" "\\U+03A9\0", 9));
  ASSERT_TRUE(readLpString(upper, back));
  EXPECT_EQ(*back, u"\u03A9");
}

class Arrow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    AcDbDatabase warm(false);
    Hxarrow::rxInit();
    acrxBuildClassHierarchy();
  }
  static std::unique_ptr<Hxarrow> make(AcGePoint3d from, AcGePoint3d to, double size) {
    auto a = std::make_unique<Hxarrow>();
    AcGePoint3d w1, w2;
    Hxarrow::wingsFor(from, to, size, w1, w2);
    a->setPoints(from, to, w1, w2);
    return a;
  }
};

TEST_F(Arrow, WingsListAndSnaps) {
  auto a = make({0, 0, 0}, {10, 0, 0}, 2);
  const double r165 = 165 * M_PI / 180, r195 = 195 * M_PI / 180;
  EXPECT_TRUE(a->wing2().isEqualTo({10 + 2 * std::cos(r165), 2 * std::sin(r165), 0}));
  EXPECT_TRUE(a->wing1().isEqualTo({10 + 2 * std::cos(r195), 2 * std::sin(r195), 0}));
  EXPECT_NEAR(a->arrowSize(), 2, 1e-12);
  std::u16string out;
  qd::ads::printSink() = [&out](const std::u16string& s) { out += s; };
  a->list();
  qd::ads::printSink() = [](const std::u16string&) {};
  EXPECT_NE(out.find(u"              Length =   10.0000,  Angle in XY Plane = 0\n"), std::u16string::npos);
  EXPECT_NE(out.find(u"              Arrow size =    2.0000\n"), std::u16string::npos);
  EXPECT_NE(out.find(u"              from point, X=   0.0000 Y=   0.0000 Z=   0.0000\n"), std::u16string::npos);
  AcGePoint3dArray snaps;
  AcDbIntArray geom;
  ASSERT_EQ(a->getOsnapPoints(AcDb::kOsModeNear, 0, {}, {}, AcGeMatrix3d(), snaps, geom), Acad::eOk);
  EXPECT_EQ(snaps.length(), 101);
  EXPECT_TRUE(snaps[100].isEqualTo({10, 0, 0}));
  EXPECT_NE(a->getOsnapPoints(AcDb::kOsModeCen, 0, {}, {}, AcGeMatrix3d(), snaps, geom), Acad::eOk);
  AcDbVoidPtrArray parts;
  ASSERT_EQ(a->explode(parts), Acad::eOk);
  ASSERT_EQ(parts.length(), 3);
  for (void* p : parts) delete static_cast<AcDbEntity*>(p);
}

TEST_F(Arrow, GripsWidenTheHeadOrTurnItWithTheShaft) {
  auto a = make({0, 0, 0}, {10, 0, 0}, 2);
  const AcGePoint3d before2 = a->wing2();
  AcDbIntArray grip;
  grip.append(3);
  // Moving wing1 outward (down) mirrors wing2 upward: the head widens symmetrically.
  ASSERT_EQ(a->moveGripPointsAt(grip, AcGeVector3d(0, -0.5, 0)), Acad::eOk);
  EXPECT_NEAR(a->wing1().y, -a->wing2().y, 1e-9);
  EXPECT_GT(a->wing2().y, before2.y);
  EXPECT_NEAR(a->toPoint().distanceTo(a->wing1()), a->toPoint().distanceTo(a->wing2()), 1e-9);
  // Moving the tail keeps the head size and turns it with the shaft.
  auto b = make({0, 0, 0}, {10, 0, 0}, 2);
  AcDbIntArray tail;
  tail.append(0);
  ASSERT_EQ(b->moveGripPointsAt(tail, AcGeVector3d(10, -10, 0)), Acad::eOk);
  EXPECT_NEAR(b->arrowSize(), 2, 1e-9);
  EXPECT_NEAR(b->toPoint().distanceTo(b->wing2()), 2, 1e-9);
  AcGePoint3dArray grips;
  AcDbIntArray modes, ids;
  b->getGripPoints(grips, modes, ids);
  ASSERT_EQ(grips.length(), 5);
  EXPECT_TRUE(grips[1].isEqualTo({10, -5, 0}));  // the shaft's midpoint
}

TEST_F(Arrow, DxfFilingNeedsItsSubclassAndWritesTheNormalOnlyWhenNeeded) {
  AcDbDatabase db(true);
  auto a = make({1, 2, 0}, {4, 6, 0}, 1);
  qd::db::TagFiler out(&db);
  a->dxfOutFields(&out);
  for (const auto& t : out.tags()) EXPECT_NE(t.code, 210);
  qd::db::TagFiler withDefaults(&db, AcDb::kFileFiler, true);
  a->dxfOutFields(&withDefaults);
  bool normal = false;
  for (const auto& t : withDefaults.tags()) normal |= t.code == 210;
  EXPECT_TRUE(normal);
  Hxarrow back;
  qd::db::TagFiler in(&db, out.tags());
  ASSERT_EQ(back.dxfInFields(&in), Acad::eOk);
  EXPECT_TRUE(back.toPoint().isEqualTo({4, 6, 0}));
  EXPECT_TRUE(back.wing2().isEqualTo(a->wing2()));
  // Without the subclass marker the record is refused with status 52.
  qd::db::Tags noMarker;
  for (const auto& t : out.tags())
    if (!(t.code == 100 && t.str == u"Hxarrow")) noMarker.push_back(t);
  qd::db::TagFiler bad(&db, noMarker);
  Hxarrow refused;
  EXPECT_EQ(refused.dxfInFields(&bad), 52);
}

}  // namespace
