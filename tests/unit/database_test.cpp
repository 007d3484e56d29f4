// The drawing database through the host interface: handles, open modes, erase,
// entity lists with extended data, selection filters, wild cards, purge, undo,
// and DXF round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/handle_map.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "headless/dxf/dxf_out.h"
#include "headless/dxf/object_parser.h"
#include "headless/dxf/parsing_ahead.h"
#include "headless/dxf/real_text.h"
#include "headless/dxf/record_spellings.h"
#include "headless/dxf/shared_groups.h"
#include "headless/dxf/survey.h"
#include "headless/render/svg.h"
#include "host/adslib.h"
#include "platform/codepage.h"
#include "tests/unit/drawing_fixture.h"

namespace {

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

  AcDbObjectId addLine(AcGePoint3d a, AcGePoint3d b, const ACHAR* layer = u"0") {
    auto* line = new AcDbLine(a, b);
    line->setLayer(layer);
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, line), Acad::eOk);
    line->close();
    ms->close();
    return id;
  }
  AcDbObjectId addLayer(const ACHAR* name) {
    AcDbLayerTable* t = nullptr;
    db->getLayerTable(t, AcDb::kForWrite);
    auto* rec = new AcDbLayerTableRecord();
    rec->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(t->add(id, rec), Acad::eOk);
    rec->close();
    t->close();
    return id;
  }
  std::unique_ptr<AcDbDatabase> db;
};

TEST_F(Drawing, HandlesIncreaseAndAreNeverReused) {
  const AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0});
  const AcDbObjectId b = addLine({0, 0, 0}, {2, 0, 0});
  EXPECT_LT(a.handle().value(), b.handle().value());
  ads_name n;
  acdbGetAdsName(n, b);
  db->impl()->undoMark();
  const AcDbObjectId c = addLine({0, 0, 0}, {3, 0, 0});
  ASSERT_TRUE(db->impl()->undoBack());
  EXPECT_FALSE(c.isValid());
  const AcDbObjectId d = addLine({0, 0, 0}, {4, 0, 0});
  EXPECT_GT(d.handle().value(), c.handle().value());
  ACHAR hex[20];
  b.handle().getIntoAsciiBuffer(hex);
  ads_name found;
  ASSERT_EQ(acdbHandEnt(hex, found), RTNORM);
  EXPECT_TRUE(ads_name_equal(found, n));
  EXPECT_EQ(acdbHandEnt(u"ZZZ", found), RTERROR);
}

TEST_F(Drawing, OpenModesGiveTheHostsStatusCodes) {
  const AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
  AcDbEntity *r1 = nullptr, *r2 = nullptr, *w = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  r1->close();
  r2->close();
  ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
  ASSERT_EQ(w->erase(), Acad::eOk);
  w->close();
  EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasErased);
  ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(w->erase(false), Acad::eOk);
  w->close();
  EXPECT_EQ(acdbOpenObject(r1, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
  AcDbText* notText = nullptr;
  EXPECT_EQ(acdbOpenObject(notText, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
  EXPECT_EQ(std::u16string(acadErrorStatusText(Acad::eOnLockedLayer)), u"eOnLockedLayer");
}

TEST_F(Drawing, EntitiesOnLockedLayersCannotBeOpenedForWrite) {
  const AcDbObjectId layer = addLayer(u"LOCKED");
  const AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, u"LOCKED");
  AcDbLayerTableRecord* rec = nullptr;
  ASSERT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
  rec->setIsLocked(true);
  rec->close();
  AcDbEntity* e = nullptr;
  EXPECT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOnLockedLayer);
  ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
  e->close();
  ads_name n;
  acdbGetAdsName(n, id);
  EXPECT_EQ(acdbEntDel(n), RTERROR);
}

TEST_F(Drawing, EntityListsCarryExtendedData) {
  ASSERT_EQ(acdbRegApp(u"TV_TEXT_REF"), RTNORM);
  EXPECT_EQ(acdbRegApp(u"TV_TEXT_REF"), RTERROR);
  const double p[3] = {1, 2, 0};
  qd::ads::RbList list(acutBuildList(RTDXF0, u"TEXT", 8, u"NEWLAYER", 10, p, 40, 2.5, 1, u"Příliš žluťoučký", -3, 1001,
                                     u"TV_TEXT_REF", 1000, u"ref", 1070, 7, 1040, 1.5, 0));
  ads_name made;
  ASSERT_EQ(acdbEntMakeX(list.get(), made), RTNORM);
  EXPECT_FALSE(db->impl()->recordId(db->impl()->layerTable, u"NEWLAYER").isNull());
  qd::ads::RbList plain(acdbEntGet(made));
  bool sawXData = false;
  for (resbuf* rb = plain.get(); rb; rb = rb->rbnext) sawXData |= rb->restype == -3;
  EXPECT_FALSE(sawXData);
  qd::ads::RbList apps(acutBuildList(RTSTR, u"TV_*", 0));
  qd::ads::RbList full(acdbEntGetX(made, apps.get()));
  int shorts = 0;
  std::u16string text;
  for (resbuf* rb = full.get(); rb; rb = rb->rbnext) {
    if (rb->restype == 1070) shorts = rb->resval.rint;
    if (rb->restype == 1) text = rb->resval.rstring;
  }
  EXPECT_EQ(shorts, 7);
  EXPECT_EQ(text, u"Příliš žluťoučký");
  // entmod changes a value; an unregistered application is refused.
  for (resbuf* rb = full.get(); rb; rb = rb->rbnext)
    if (rb->restype == 40) rb->resval.rreal = 5.0;
  ASSERT_EQ(acdbEntMod(full.get()), RTNORM);
  qd::ads::RbList bad(acutBuildList(-1, made, -3, 1001, u"NOT_REGISTERED", 1000, u"x", 0));
  EXPECT_EQ(acdbEntMod(bad.get()), RTERROR);
  ads_name last;
  ASSERT_EQ(acdbEntLast(last), RTNORM);
  EXPECT_TRUE(ads_name_equal(last, made));
  ASSERT_EQ(acdbEntDel(made), RTNORM);
  EXPECT_EQ(acdbEntGet(made), nullptr);
  ASSERT_EQ(acdbEntDel(made), RTNORM);  // back again
  qd::ads::RbList again(acdbEntGet(made));
  EXPECT_NE(again.get(), nullptr);
}

TEST_F(Drawing, MalformedEntityListsAreRefused) {
  qd::ads::RbList noType(acutBuildList(8, u"0", 0));
  EXPECT_EQ(acdbEntMake(noType.get()), RTERROR);
  qd::ads::RbList unknown(acutBuildList(RTDXF0, u"NOSUCH", 0));
  EXPECT_EQ(acdbEntMake(unknown.get()), RTERROR);
  const double p[3] = {0, 0, 0};
  qd::ads::RbList missingStyle(acutBuildList(RTDXF0, u"TEXT", 10, p, 40, 1.0, 1, u"x", 7, u"NOSTYLE", 0));
  EXPECT_EQ(acdbEntMake(missingStyle.get()), RTERROR);
  qd::ads::RbList missingBlock(acutBuildList(RTDXF0, u"INSERT", 2, u"NOBLOCK", 10, p, 0));
  EXPECT_EQ(acdbEntMake(missingBlock.get()), RTERROR);
  ads_name garbage = {12345, 0};
  EXPECT_EQ(acdbEntGet(garbage), nullptr);
}

TEST(WildCards, FollowTheHostsRules) {
  struct Case {
    const char16_t *s, *p;
    bool match;
  } cases[] = {
      {u"ABC", u"A*", true},   {u"ABC", u"a*", false},   {u"A1", u"A#", true},    {u"AB", u"A#", false},
      {u"AB", u"@@", true},    {u"A-", u"A.", true},      {u"AB", u"A.", false},   {u"ABC", u"~A*", false},
      {u"XBC", u"~A*", true},  {u"B", u"[ABC]", true},    {u"D", u"[~ABC]", true}, {u"C", u"[A-C]", true},
      {u"*", u"`*", true},     {u"X", u"`*", false},      {u"LINE", u"TEXT,LINE", true},
      {u"A,B", u"A`,B", true}, {u"", u"*", true},         {u"AB", u"A?", true},    {u"A", u"[AB", false},
  };
  for (const auto& c : cases) EXPECT_EQ(acutWcMatch(c.s, c.p) == RTNORM, c.match) << "pattern";
}

TEST(ResultBuffers, ListsGrowAtTheEndThroughChainsNullsMovesAndResets) {
  auto types = [](const resbuf* rb) {
    std::vector<int> out;
    for (; rb; rb = rb->rbnext) out.push_back(rb->restype);
    return out;
  };
  qd::ads::RbList list;
  list.add(nullptr);
  EXPECT_FALSE(list);
  list.add(acutBuildList(8, u"A", 62, 1, 0));
  list.add(acutNewRb(-3));
  list.add(nullptr);
  qd::ads::RbList moved(std::move(list));
  moved.add(acutBuildList(1001, u"APP", 1000, u"x", 0));
  EXPECT_EQ(types(moved.get()), (std::vector<int>{8, 62, -3, 1001, 1000}));
  moved.reset(acutNewRb(RTDXF0));
  moved.add(acutNewRb(10));
  EXPECT_EQ(types(moved.get()), (std::vector<int>{RTDXF0, 10}));
}

TEST_F(Drawing, SelectionFiltersByTypeLayerAndApplication) {
  addLayer(u"WALLS");
  acdbRegApp(u"QD_APP");
  addLine({0, 0, 0}, {10, 0, 0}, u"WALLS");
  addLine({0, 5, 0}, {10, 5, 0});
  const AcDbObjectId tagged = addLine({20, 20, 0}, {30, 30, 0}, u"WALLS");
  AcDbEntity* e = nullptr;
  acdbOpenObject(e, tagged, AcDb::kForWrite);
  qd::ads::RbList xd(acutBuildList(1001, u"QD_APP", 1000, u"x", 0));
  ASSERT_EQ(e->setXData(xd.get()), Acad::eOk);
  e->close();
  auto count = [](const resbuf* filter, const ACHAR* mode = u"_X", const double* a = nullptr, const double* b = nullptr) {
    ads_name ss;
    if (acedSSGet(mode, a, b, filter, ss) != RTNORM) return 0;
    int32_t n = 0;
    acedSSLength(ss, &n);
    acedSSFree(ss);
    return static_cast<int>(n);
  };
  qd::ads::RbList byLayer(acutBuildList(RTDXF0, u"LINE", 8, u"wall*", 0));
  EXPECT_EQ(count(byLayer.get()), 2);
  qd::ads::RbList byApp(acutBuildList(-3, 1001, u"QD_APP", 0));
  EXPECT_EQ(count(byApp.get()), 1);
  qd::ads::RbList orList(acutBuildList(-4, u"<OR", 8, u"0", -3, 1001, u"QD_APP", -4, u"OR>", 0));
  EXPECT_EQ(count(orList.get()), 2);
  const double a[3] = {-1, -1, 0}, b[3] = {5, 1, 0};
  EXPECT_EQ(count(nullptr, u"_C", a, b), 1);
  EXPECT_EQ(count(nullptr, u"_W", a, b), 0);
  qd::ads::RbList none(acutBuildList(RTDXF0, u"CIRCLE", 0));
  EXPECT_EQ(count(none.get()), 0);
  ads_name freed = {999, 0x5353};
  EXPECT_EQ(acedSSFree(freed), RTERROR);
}

TEST_F(Drawing, PurgeKeepsEverythingStillReferenced) {
  const AcDbObjectId used = addLayer(u"USED");
  const AcDbObjectId unused = addLayer(u"UNUSED");
  addLine({0, 0, 0}, {1, 1, 0}, u"USED");
  AcDbBlockTable* bt = nullptr;
  db->getBlockTable(bt, AcDb::kForWrite);
  auto* outer = new AcDbBlockTableRecord();
  outer->setName(u"OUTER");
  auto* inner = new AcDbBlockTableRecord();
  inner->setName(u"INNER");
  AcDbObjectId outerId, innerId;
  // Records added stay open for write until closed, as in the host.
  ASSERT_EQ(bt->add(outerId, outer), Acad::eOk);
  ASSERT_EQ(bt->add(innerId, inner), Acad::eOk);
  bt->close();
  inner->close();
  auto* ref = new AcDbBlockReference(AcGePoint3d(), innerId);
  ASSERT_EQ(outer->appendAcDbEntity(ref), Acad::eOk);
  EXPECT_EQ(ref->setColorIndex(3), Acad::eOk);
  EXPECT_EQ(ref->close(), Acad::eOk);
  EXPECT_EQ(outer->close(), Acad::eOk);
  AcDbBlockTableRecord* again = nullptr;
  EXPECT_EQ(acdbOpenObject(again, outerId, AcDb::kForWrite), Acad::eOk);
  again->close();
  AcDbObjectIdArray ids;
  ids.append(used);
  ids.append(unused);
  ids.append(outerId);
  ids.append(innerId);
  ids.append(db->clayer());
  ids.append(db->modelSpaceId());
  ASSERT_EQ(db->purge(ids), Acad::eOk);
  EXPECT_TRUE(ids.contains(unused));
  EXPECT_TRUE(ids.contains(outerId));
  EXPECT_FALSE(ids.contains(innerId));  // inserted inside OUTER
  EXPECT_FALSE(ids.contains(used));
  EXPECT_FALSE(ids.contains(db->clayer()));
  EXPECT_FALSE(ids.contains(db->modelSpaceId()));
}

TEST_F(Drawing, UndoReturnsToTheMark) {
  const AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
  resbuf v;
  v.restype = RTSHORT;
  v.resval.rint = 1;
  db->impl()->undoMark();
  AcDbLine* line = nullptr;
  acdbOpenObject(line, id, AcDb::kForWrite);
  line->setEndPoint({5, 5, 0});
  line->setColorIndex(1);
  line->close();
  ASSERT_EQ(acedSetVar(u"mirrtext", &v), RTNORM);
  const AcDbObjectId added = addLayer(u"TEMP");
  ASSERT_TRUE(db->impl()->undoBack());
  acdbOpenObject(line, id, AcDb::kForRead);
  EXPECT_TRUE(line->endPoint().isEqualTo({1, 0, 0}));
  EXPECT_EQ(line->colorIndex(), 256);
  line->close();
  EXPECT_FALSE(added.isValid());
  EXPECT_TRUE(db->impl()->recordId(db->impl()->layerTable, u"TEMP").isNull());
  resbuf out;
  acedGetVar(u"MIRRTEXT", &out);
  EXPECT_EQ(out.resval.rint, 0);
  EXPECT_FALSE(db->impl()->undoBack());
}

TEST_F(Drawing, VariablesCheckTypesAndRecords) {
  resbuf v;
  v.restype = RTSTR;
  v.resval.rstring = const_cast<ACHAR*>(u"NOSUCHLAYER");
  EXPECT_EQ(acedSetVar(u"CLAYER", &v), RTERROR);
  addLayer(u"Walls");
  v.resval.rstring = const_cast<ACHAR*>(u"WALLS");
  ASSERT_EQ(acedSetVar(u"clayer", &v), RTNORM);
  resbuf out;
  ASSERT_EQ(acedGetVar(u"CLAYER", &out), RTNORM);
  EXPECT_EQ(std::u16string(out.resval.rstring), u"Walls");
  delete[] out.resval.rstring;
  v.restype = RTREAL;
  v.resval.rreal = 1;
  EXPECT_EQ(acedSetVar(u"OSMODE", &v), RTERROR);
  EXPECT_EQ(acedGetVar(u"NOSUCHVAR", &out), RTERROR);
}

TEST(Units, FormatAndParse) {
  ACHAR buf[64];
  acdbRToS(2.5, 2, 2, buf);
  EXPECT_EQ(std::u16string(buf), u"2.50");
  acdbRToS(15.5, 5, 4, buf);
  EXPECT_EQ(std::u16string(buf), u"15 1/2");
  acdbAngToS(M_PI / 2, 0, 4, buf);
  EXPECT_EQ(std::u16string(buf), u"90.0000");
  double v = 0;
  ASSERT_EQ(acdbAngToF(u"45", 0, &v), RTNORM);
  EXPECT_NEAR(v, M_PI / 4, 1e-12);
  ASSERT_EQ(acdbDisToF(u"3 1/2", 5, &v), RTNORM);
  EXPECT_DOUBLE_EQ(v, 3.5);
  EXPECT_EQ(acdbDisToF(u"abc", 2, &v), RTERROR);
}

TEST_F(Drawing, DxfRoundTripKeepsHandlesTablesAndData) {
  acdbRegApp(u"QD_APP");
  addLayer(u"WALLS");
  const AcDbObjectId line = addLine({1, 2, 3}, {4, 5, 6}, u"WALLS");
  AcDbEntity* e = nullptr;
  acdbOpenObject(e, line, AcDb::kForWrite);
  qd::ads::RbList xd(acutBuildList(1001, u"QD_APP", 1000, u"čeština", 1070, 3, 1040, 0.25, 0));
  e->setXData(xd.get());
  e->close();
  AcDbDictionary* root = nullptr;
  db->getNamedObjectsDictionary(root, AcDb::kForWrite);
  auto* xr = new AcDbXrecord();
  qd::ads::RbList data(acutBuildList(1, u"value", 70, 12, 40, 3.5, 0));
  xr->setFromRbChain(*data.get());
  AcDbObjectId xrId;
  root->setAt(u"QDHK_HANDLE", xr, xrId);
  xr->close();
  root->close();
  const std::string text = qd::dxf::write(db.get());

  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, text, error), Acad::eOk) << std::string(error.begin(), error.end());
  AcDbObjectId again;
  ASSERT_EQ(copy.getAcDbObjectId(again, false, line.handle()), Acad::eOk);
  AcDbLine* l = nullptr;
  ASSERT_EQ(acdbOpenObject(l, again, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(l->endPoint().isEqualTo({4, 5, 6}));
  EXPECT_EQ(std::u16string(l->layer()), u"WALLS");
  qd::ads::RbList back(l->xData(u"QD_APP"));
  l->close();
  ASSERT_NE(back.get(), nullptr);
  EXPECT_EQ(std::u16string(back.get()->rbnext->resval.rstring), u"čeština");
  AcDbDictionary* root2 = nullptr;
  copy.getNamedObjectsDictionary(root2, AcDb::kForRead);
  AcDbXrecord* xr2 = nullptr;
  ASSERT_EQ(root2->getAt(u"QDHK_HANDLE", xr2, AcDb::kForRead), Acad::eOk);
  root2->close();
  resbuf* chain = nullptr;
  xr2->rbChain(&chain);
  xr2->close();
  qd::ads::RbList owned(chain);
  ASSERT_NE(chain, nullptr);
  EXPECT_EQ(chain->rbnext->resval.rint, 12);
  EXPECT_FALSE(copy.impl()->recordId(copy.impl()->viewportTable, u"*ACTIVE").isNull());
  EXPECT_EQ(qd::dxf::write(&copy), text);  // a second save writes the same file
}

// A drawing's file brings extended data that stays packed until asked for: written
// packed, asked for as a list, or changed, it is the same data.
TEST_F(Drawing, ExtendedDataReadFromAFileIsTheSameAsAListPackedOrNot) {
  acdbRegApp(u"QD_APP");
  acdbRegApp(u"QD_OTHER");
  const AcDbObjectId line = addLine({0, 0, 0}, {1, 0, 0});
  const double at[3] = {1.5, -2, 3};
  const char bin[] = "\x01\x00\xff";
  qd::ads::RbList xd(acutBuildList(1001, u"QD_APP", 1000, u"čeština", 1002, u"{", 1003, u"0", 1005, u"1F", 1010, at,
                                   1040, 0.25, 1041, 2.0, 1042, 0.5, 1070, -3, 1071, 70000, 1002, u"}", 1001,
                                   u"QD_OTHER", 1000, u"x", 0));
  ASSERT_NE(xd.get(), nullptr);
  // Binary data after the layer name.
  resbuf* chunk = acutNewRb(1004);
  chunk->resval.rbinary.clen = 3;
  chunk->resval.rbinary.buf = new char[4];
  std::memcpy(chunk->resval.rbinary.buf, bin, 3);
  resbuf* layer = xd.get()->rbnext->rbnext->rbnext;
  chunk->rbnext = layer->rbnext;
  layer->rbnext = chunk;
  AcDbEntity* e = nullptr;
  acdbOpenObject(e, line, AcDb::kForWrite);
  ASSERT_EQ(e->setXData(xd.get()), Acad::eOk);
  e->close();
  const std::string listed = qd::dxf::write(db.get());

  auto open = [&](AcDbDatabase& into, const std::string& text) {
    std::u16string error;
    EXPECT_EQ(qd::dxf::read(&into, text, error), Acad::eOk) << qd::text::toUtf8(error);
    AcDbObjectId id;
    EXPECT_EQ(into.getAcDbObjectId(id, false, line.handle()), Acad::eOk);
    return id;
  };
  AcDbDatabase packed(false);
  const AcDbObjectId kept = open(packed, listed);
  EXPECT_EQ(qd::dxf::write(&packed), listed);
  // Both applications are named by the packed data, so a purge keeps them.
  AcDbObjectIdArray apps;
  for (const char16_t* app : {u"QD_APP", u"QD_OTHER"})
    apps.append(packed.impl()->recordId(packed.impl()->regAppTable, app));
  ASSERT_EQ(packed.purge(apps), Acad::eOk);
  EXPECT_EQ(apps.length(), 0);

  AcDbEntity* back = nullptr;
  ASSERT_EQ(acdbOpenObject(back, kept, AcDb::kForRead), Acad::eOk);
  EXPECT_FALSE(AcDbObjectAccess::packedXData(back).empty());
  qd::ads::RbList all(back->xData(nullptr));
  EXPECT_TRUE(AcDbObjectAccess::packedXData(back).empty());
  back->close();
  std::vector<int> codes;
  for (const resbuf* rb = all.get(); rb; rb = rb->rbnext) codes.push_back(rb->restype);
  EXPECT_EQ(codes, (std::vector<int>{1001, 1000, 1002, 1003, 1004, 1005, 1010, 1040, 1041, 1042, 1070, 1071, 1002,
                                     1001, 1000}));
  const resbuf* rb = all.get();
  EXPECT_EQ(std::u16string(rb->rbnext->resval.rstring), u"čeština");
  for (int skip = 0; skip < 4; ++skip) rb = rb->rbnext;
  ASSERT_EQ(rb->resval.rbinary.clen, 3);
  EXPECT_EQ(std::string(rb->resval.rbinary.buf, 3), std::string(bin, 3));
  rb = rb->rbnext->rbnext;
  EXPECT_TRUE(AcGePoint3d(rb->resval.rpoint).isEqualTo({1.5, -2, 3}));
  for (int skip = 0; skip < 4; ++skip) rb = rb->rbnext;
  EXPECT_EQ(rb->resval.rint, -3);
  EXPECT_EQ(rb->rbnext->resval.rlong, 70000);
  // Once a list, it is written the same.
  EXPECT_EQ(qd::dxf::write(&packed), listed);

  // Data changed before it was ever a list keeps the rest.
  AcDbDatabase changed(false);
  const AcDbObjectId other = open(changed, listed);
  acdbHostApplicationServices()->setWorkingDatabase(&changed);
  qd::ads::RbList more(acutBuildList(1001, u"QD_OTHER", 1000, u"y", 0));
  ASSERT_EQ(acdbOpenObject(e, other, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(e->setXData(more.get()), Acad::eOk);
  qd::ads::RbList mine(e->xData(u"QD_APP"));
  qd::ads::RbList theirs(e->xData(u"QD_OTHER"));
  e->close();
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  ASSERT_NE(mine.get(), nullptr);
  EXPECT_EQ(std::u16string(mine.get()->rbnext->resval.rstring), u"čeština");
  ASSERT_NE(theirs.get(), nullptr);
  EXPECT_EQ(std::u16string(theirs.get()->rbnext->resval.rstring), u"y");

  // A point a file gives without its Z is written back with it, as from a list.
  const std::string z = "\n1030\n3.0\n";
  const size_t at3 = listed.find(z);
  ASSERT_NE(at3, std::string::npos);
  std::string flat = listed;
  flat.erase(at3 + 1, z.size() - 1);
  AcDbDatabase fromFlat(false);
  open(fromFlat, flat);
  std::string expected = listed;
  expected.replace(at3 + 1, z.size() - 1, "1030\n0.0\n");
  EXPECT_EQ(qd::dxf::write(&fromFlat), expected);
}

TEST(Handles, AreReadFromAFilesBytesAsFromTheirText) {
  const std::pair<std::string_view, uint64_t> cases[] = {
      {"1F", 0x1F}, {"1f", 0x1F}, {"", 0}, {"G1", 0}, {"1 F", 0}, {"FFFFFFFFFFFFFFFF", ~uint64_t{0}},
      {"12345678901234567", 0}, {std::string_view("2A\0FF", 5), 0x2A}, {"09afAF", 0x09AFAF},
      // The characters next to the digits and letters, and a byte of the high half.
      {"1/", 0}, {"1:", 0}, {"1@", 0}, {"1G", 0}, {"1`", 0}, {"1g", 0}, {"1\xC1", 0}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(qd::db::handleValue(text), value) << text;
    const std::u16string wide(text.begin(), text.end());
    EXPECT_EQ(AcDbHandle(wide.c_str()).value(), value) << text;
  }
  // A wide character is no digit for its low byte's sake.
  EXPECT_EQ(qd::db::handleValue(std::u16string_view(u"1\u0131")), 0u);
  EXPECT_EQ(qd::db::handleValue(std::u16string_view(u"\u0141")), 0u);
}

TEST(PackedGroups, TakeOnlyWhatAListHoldsAndStopAtACut) {
  using qd::db::Tag;
  qd::db::Tags tags{Tag::makeString(1001, u"QD_APP"), Tag::makeReal(1040, 2.5), Tag::makeInt(1070, 7),
                    Tag::makePoint(1011, {1, 2, 3}), Tag::makeBinary(1004, std::string("\0ab", 3)),
                    Tag::makeInt(1071, -70000)};
  std::string packed = "kept";
  ASSERT_TRUE(qd::db::packGroups(tags, packed));
  ASSERT_EQ(packed.substr(0, 4), "kept");
  packed.erase(0, 4);
  auto count = [](std::string_view bytes) {
    int n = 0;
    qd::db::unpackGroups(bytes, [&](const qd::db::Tag&) { ++n; });
    return n;
  };
  EXPECT_EQ(count(packed), 6);
  // Every cut gives the whole groups before it and never reads past its end.
  int last = 0;
  for (size_t cut = 0; cut < packed.size(); ++cut) {
    const std::string head = packed.substr(0, cut);
    const int n = count(head);
    EXPECT_GE(n, last);
    EXPECT_LT(n, 6);
    last = n;
  }
  EXPECT_EQ(last, 5);
  // An object id is no value a packed group keeps; nothing is added then.
  std::string none;
  EXPECT_FALSE(qd::db::packGroups({Tag::makeString(1000, u"a"), Tag::makeId(330, AcDbObjectId())}, none));
  EXPECT_TRUE(none.empty());
  // Nor are more bytes than a list's count holds.
  EXPECT_FALSE(qd::db::packGroups({Tag::makeString(1000, u"a"), Tag::makeBinary(1004, std::string(40000, 'x'))}, none));
  EXPECT_TRUE(none.empty());
}

TEST_F(Drawing, XrecordDataKeepsEveryGroupThroughDxf) {
  // A part record as other programs write it: a 102 bracket around soft pointers.
  const AcDbObjectId line = addLine({0, 0, 0}, {1, 0, 0}, u"0");
  ads_name member;
  acdbGetAdsName(member, line);
  qd::ads::RbList data(acutBuildList(102, u"{TORVEL_PART", 330, member, 102, u"}", 1, u"after", 0));
  AcDbDictionary* root = nullptr;
  db->getNamedObjectsDictionary(root, AcDb::kForWrite);
  auto* xr = new AcDbXrecord();
  ASSERT_EQ(xr->setFromRbChain(*data.get()), Acad::eOk);
  AcDbObjectId xrId;
  root->setAt(u"PART", xr, xrId);
  xr->close();
  root->close();
  const std::string text = qd::dxf::write(db.get());

  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, text, error), Acad::eOk);
  AcDbDictionary* root2 = nullptr;
  copy.getNamedObjectsDictionary(root2, AcDb::kForRead);
  AcDbXrecord* xr2 = nullptr;
  ASSERT_EQ(root2->getAt(u"PART", xr2, AcDb::kForRead), Acad::eOk);
  root2->close();
  resbuf* chain = nullptr;
  xr2->rbChain(&chain);
  xr2->close();
  qd::ads::RbList back(chain);
  std::vector<int> codes;
  std::vector<std::u16string> texts;
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    codes.push_back(rb->restype);
    if (rb->restype == 102 || rb->restype == 1) texts.emplace_back(rb->resval.rstring);
  }
  EXPECT_EQ(codes, (std::vector<int>{102, 330, 102, 1}));
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"{TORVEL_PART", u"}", u"after"}));
  EXPECT_EQ(qd::dxf::write(&copy), text);
}

TEST_F(Drawing, ABlockCannotInsertItselfAndADrawingWhoseBlocksDoStaysUsable) {
  auto addBlock = [&](const ACHAR* name) {
    AcDbBlockTable* table = nullptr;
    db->getBlockTable(table, AcDb::kForWrite);
    auto* btr = new AcDbBlockTableRecord();
    btr->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, btr), Acad::eOk);
    btr->close();
    table->close();
    return id;
  };
  auto insertInto = [&](AcDbObjectId into, AcDbObjectId block) {
    AcDbBlockTableRecord* btr = nullptr;
    EXPECT_EQ(acdbOpenObject(btr, into, AcDb::kForWrite), Acad::eOk);
    auto* ref = new AcDbBlockReference(AcGePoint3d(1, 0, 0), block);
    const Acad::ErrorStatus es = btr->appendAcDbEntity(ref);
    if (es == Acad::eOk) ref->close();
    else delete ref;
    btr->close();
    return es;
  };
  const AcDbObjectId a = addBlock(u"A"), b = addBlock(u"B"), c = addBlock(u"C");
  EXPECT_EQ(insertInto(a, a), Acad::eSelfReference);
  EXPECT_EQ(insertInto(a, b), Acad::eOk);
  EXPECT_EQ(insertInto(b, c), Acad::eOk);
  EXPECT_EQ(insertInto(c, a), Acad::eSelfReference);  // through B and C
  EXPECT_EQ(insertInto(db->modelSpaceId(), a), Acad::eOk);
  EXPECT_EQ(insertInto(c, b), Acad::eSelfReference);
  EXPECT_TRUE(qd::db::selfInsertingBlocks(db->impl()).empty());

  // A file may hold such a cycle: it is read, reported, measured and drawn to a depth.
  const std::string good = qd::dxf::write(db.get());
  std::string text = good;
  // Block C is defined last; its name is the last "C" before the entities.
  const size_t blockC = text.rfind("\n  2\nC\n", text.find("\nENTITIES\n"));
  ASSERT_NE(blockC, std::string::npos);
  const size_t end = text.rfind("  0\n", text.find("\nENDBLK\n", blockC));
  text.insert(end, "  0\nINSERT\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockReference\n  2\nA\n 10\n0.0\n 20\n0.0\n 30\n0.0\n");
  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, text, error), Acad::eOk) << std::string(error.begin(), error.end());
  EXPECT_EQ(qd::db::selfInsertingBlocks(copy.impl()), (std::vector<std::u16string>{u"A", u"B", u"C"}));
  auto* ms = AcDbBlockTableRecord::cast(copy.impl()->peek(copy.impl()->modelSpace));
  auto* ref = AcDbBlockReference::cast(copy.impl()->peek(ms->entityIds().at(0)));
  ASSERT_NE(ref, nullptr);
  AcDbExtents extents;
  ref->getGeomExtents(extents);
  EXPECT_FALSE(qd::render::modelSpaceSvg(&copy, {}).empty());
}

TEST(CodePages, EveryPageADrawingCanNameConvertsBothWays) {
  using qd::text::fromCodePage;
  using qd::text::toCodePage;
  EXPECT_EQ(fromCodePage("P\xF8\xEDli\x9A", 1250), u"Příliš");
  EXPECT_EQ(fromCodePage("\xCF\xF0\xE8", 1251), u"При");
  EXPECT_EQ(toCodePage(u"При", 1251), "\xCF\xF0\xE8");
  EXPECT_EQ(fromCodePage("\xE1\xE5", 1253), u"αε");
  EXPECT_EQ(fromCodePage("\x93\xFA\x96\x7B", 932), u"日本");
  EXPECT_EQ(toCodePage(u"日本", 932), "\x93\xFA\x96\x7B");
  // What a page cannot hold becomes the replacement; a byte it does not define, U+FFFD.
  EXPECT_EQ(toCodePage(u"aШb", 1253), "a?b");
  EXPECT_EQ(fromCodePage("a\x81", 932), u"a\uFFFD");
  for (int page : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258})
    EXPECT_TRUE(qd::text::isSupportedCodePage(page)) << page;
  EXPECT_FALSE(qd::text::isSupportedCodePage(437));
  // A drawing of code page 1251 reads as 1251.
  const char* dxf =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1251\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n40\n2.5\n1\n\xCF\xF0\xE8\n0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, dxf, error), Acad::eOk) << std::string(error.begin(), error.end());
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.impl()->modelSpace));
  auto* text = AcDbText::cast(db.impl()->peek(ms->entityIds().at(0)));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text->textStringConst()), u"При");
}

// Names are told apart without regard to case as the drawing's tables tell them: ASCII,
// Latin-1 and the Central European letters, whatever case either side has.
TEST(CodePages, NamesCompareWithoutCaseInTheLettersOfTheirPages) {
  struct Case {
    const char16_t *a, *b;
    bool equal;
  };
  for (const Case& c : {Case{u"ByLayer", u"BYLAYER", true}, Case{u"bylayer", u"BYLAYER", true},
                        Case{u"příliš žluťoučký", u"PŘÍLIŠ ŽLUŤOUČKÝ", true},
                        Case{u"\u00FF", u"\u0178", true},
                        Case{u"", u"", true}, Case{u"BYLAYER", u"BYBLOCK", false}, Case{u"WALLS", u"WALL", false},
                        Case{u"a\u00F7", u"a\u00D7", false},  // division and multiplication signs
                        Case{u"[", u"{", false}})
    EXPECT_EQ(qd::text::equalsNoCase(c.a, c.b), c.equal) << qd::text::toUtf8(c.a) << " " << qd::text::toUtf8(c.b);
}

// A text ended by a NUL, as a group's value is handed out, against a marker: equal only
// when it ends where the marker does.
TEST(CodePages, ATextEndedByANulIsToldFromAMarkerWithoutMeasuringIt) {
  struct Case {
    const char16_t* text;
    const char16_t* marker;
    bool equal;
  };
  for (const Case& c : {Case{u"AcDbEntity", u"AcDbEntity", true}, Case{u"AcDbEntityX", u"AcDbEntity", false},
                        Case{u"AcDbEnt", u"AcDbEntity", false}, Case{u"AcDbLine", u"AcDbEntity", false},
                        Case{u"", u"", true}, Case{nullptr, u"", true}, Case{nullptr, u"A", false}})
    EXPECT_EQ(qd::text::equalsCString(c.text, c.marker), c.equal) << qd::text::toUtf8(c.marker);
}

// Stubs by handle: every handle filed is found, as it grows and after it was made room
// for; one filed again is replaced; one never filed is not found, nor handle 0 until it is.
TEST(HandleMaps, EveryHandleFiledIsFoundAndNoOther) {
  std::vector<AcDbStub> stubs(3000);
  qd::db::HandleMap map;
  EXPECT_EQ(map.find(0x2A), nullptr);
  EXPECT_EQ(map.find(0), nullptr);
  std::vector<uint64_t> handles;
  for (uint64_t h = 1; h <= 1000; ++h) handles.push_back(h);  // a run, as files have them
  for (uint64_t i = 0; i < 1000; ++i) handles.push_back((i * 0x9E3779B97F4A7C15ull) | (uint64_t{1} << 40));
  for (uint64_t i = 1; i <= 1000; ++i) handles.push_back((i << 32) | 5);  // the same low bits
  for (size_t i = 0; i < handles.size(); ++i) {
    map.assign(handles[i], &stubs[i]);
    ASSERT_EQ(map.find(handles[i]), &stubs[i]) << i;
    ASSERT_EQ(map.find(handles[i / 2]), &stubs[i / 2]) << i;
  }
  EXPECT_EQ(map.size(), handles.size());
  for (size_t i = 0; i < handles.size(); ++i) ASSERT_EQ(map.find(handles[i]), &stubs[i]) << i;
  for (uint64_t h : {uint64_t{1001}, uint64_t{1} << 41, (uint64_t{1001} << 32) | 5, ~uint64_t{0}})
    EXPECT_EQ(map.find(h), nullptr) << h;
  map.assign(7, &stubs[0]);
  EXPECT_EQ(map.find(7), &stubs[0]);
  EXPECT_EQ(map.size(), handles.size());
  map.assign(0, &stubs[1]);
  EXPECT_EQ(map.find(0), &stubs[1]);
  EXPECT_EQ(map.size(), handles.size() + 1);

  qd::db::HandleMap reserved;
  reserved.reserve(500);
  for (uint64_t h = 1; h <= 2000; ++h) reserved.assign(h * 3, &stubs[h]);
  for (uint64_t h = 1; h <= 2000; ++h) ASSERT_EQ(reserved.find(h * 3), &stubs[h]) << h;
  EXPECT_EQ(reserved.find(2), nullptr);
}

TEST(Dxf, ObjectsWithoutHandlesTakeNoneTheFileGivesLater) {
  // The layer comes without a handle before the lines that have theirs; extended data
  // names the second line by handle.
  const char* dxf =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n10\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n0\nLAYER\n2\nWALLS\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n"
      "0\nTABLE\n2\nAPPID\n70\n1\n0\nAPPID\n5\n30\n2\nQD\n70\n0\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n40\n8\nWALLS\n10\n0.0\n20\n0.0\n30\n0.0\n11\n1.0\n21\n0.0\n31\n0.0\n"
      "1001\nQD\n1005\n41\n0\nLINE\n5\n41\n8\nWALLS\n10\n0.0\n20\n0.0\n30\n0.0\n11\n2.0\n21\n0.0\n31\n0.0\n"
      "0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, dxf, error), Acad::eOk) << std::string(error.begin(), error.end());
  auto* d = db.impl();
  const AcDbObjectId layer = d->recordId(d->layerTable, u"WALLS");
  ASSERT_FALSE(layer.isNull());
  EXPECT_GT(layer.handle().value(), 0x41u);
  AcDbObjectId second;
  ASSERT_EQ(db.getAcDbObjectId(second, false, AcDbHandle(u"41")), Acad::eOk);
  auto* line = AcDbLine::cast(d->peek(second));
  ASSERT_NE(line, nullptr);
  EXPECT_DOUBLE_EQ(line->endPoint().x, 2.0);
  EXPECT_GT(db.handseed().value(), layer.handle().value());
}

// Of several faults, a bad code anywhere is told first, then a broken structure, then
// what the objects hold; sections are read tables first, wherever the file has them.
TEST(Dxf, FaultsAreToldInTheirOrderAndSectionsReadWhereverTheyStand) {
  struct Case {
    const char* text;
    const char16_t* error;
  };
  const Case faults[] = {
      // An unclosed section early, a bad code late.
      {"0\nSECTION\n2\nENTITIES\n0\nSECTION\n2\nBLOCKS\n0\nENDSEC\nabc\nx\n",
       u"line 11: group code expected, found \"abc\""},
      // A bad number early, a missing end late.
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nxyz\n0\nENDSEC\n", u"line 10: the file ends before its EOF"},
      // A bad number in the second section of the file, which is read first.
      {"0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n62\nx\n"
       "0\nENDTAB\n0\nENDSEC\n0\nEOF\n",
       u"line 20: number expected for group 62"},
  };
  for (const Case& c : faults) {
    AcDbDatabase db(false);
    std::u16string error;
    EXPECT_NE(qd::dxf::read(&db, c.text, error), Acad::eOk) << c.text;
    EXPECT_NE(error.find(c.error), std::u16string::npos) << qd::text::toUtf8(error);
  }
  // Entities before the tables they name, and whatever follows the end.
  const char* late =
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nwalls\n10\n0.0\n20\n0.0\n30\n0.0\n11\n3.0\n21\n0.0\n31\n0.0\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nWALLS\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n"
      "0\nENDSEC\n0\nEOF\nnot a drawing any more\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, late, error), Acad::eOk) << qd::text::toUtf8(error);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(ms->entityIds().size(), 1u);
  auto* line = AcDbLine::cast(db.impl()->peek(ms->entityIds()[0]));
  ms->close();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(std::u16string(line->layer()), u"WALLS");
  EXPECT_DOUBLE_EQ(line->endPoint().x, 3.0);
}

// The entities of model space of a drawing read from `text` (none when it cannot be read).
std::vector<AcDbObjectId> modelSpaceRead(AcDbDatabase& db, const std::string& text) {
  std::u16string error;
  EXPECT_EQ(qd::dxf::read(&db, text, error), Acad::eOk) << qd::text::toUtf8(error);
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
  return ms ? ms->entityIds() : std::vector<AcDbObjectId>();
}

// Every entity of a spelling takes its record's, the first and those after it alike; a
// name with no record keeps the file's.
TEST(Dxf, EntitiesTakeTheirRecordsSpellingEachOneAndOthersKeepTheirs) {
  std::string text =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLTYPE\n0\nLTYPE\n2\nDashed\n70\n0\n0\nENDTAB\n"
      "0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nWalls\n70\n0\n62\n1\n6\nDashed\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n";
  const char* spellings[][2] = {{"walls", "DASHED"}, {"WALLS", "dashed"}, {"nowhere", "Nothing"}, {"walls", "DASHED"}};
  for (const auto& sp : spellings)
    text += std::string("0\nLINE\n8\n") + sp[0] + "\n6\n" + sp[1] + "\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n";
  text += "0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  const std::vector<AcDbObjectId> ids = modelSpaceRead(db, text);
  ASSERT_EQ(ids.size(), 4u);
  const char16_t* want[][2] = {{u"Walls", u"Dashed"}, {u"Walls", u"Dashed"}, {u"nowhere", u"Nothing"}, {u"Walls", u"Dashed"}};
  for (size_t i = 0; i < 4; ++i) {
    auto* e = AcDbEntity::cast(db.impl()->peek(ids[i]));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(std::u16string(e->layer()), want[i][0]) << i;
    EXPECT_EQ(std::u16string(e->linetype()), want[i][1]) << i;
  }
}

// Texts take their style's spelling the same way.
TEST(Dxf, TextsTakeTheirStylesSpellingEachOneAndOthersKeepTheirs) {
  std::string text =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nSTYLE\n0\nSTYLE\n2\nNotes\n70\n0\n40\n0\n41\n1\n50\n0\n71\n0\n42\n2.5\n"
      "3\ntxt\n4\n\n0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
  const char* spellings[] = {"notes", "NOTES", "Elsewhere", "notes"};
  for (const char* sp : spellings)
    text += std::string("0\nTEXT\n8\n0\n10\n0\n20\n0\n30\n0\n40\n2.5\n1\nA\n7\n") + sp + "\n";
  text += "0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  const std::vector<AcDbObjectId> ids = modelSpaceRead(db, text);
  ASSERT_EQ(ids.size(), 4u);
  const char16_t* want[] = {u"Notes", u"Notes", u"Elsewhere", u"Notes"};
  for (size_t i = 0; i < 4; ++i) {
    auto* t = AcDbText::cast(db.impl()->peek(ids[i]));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::u16string(t->textStyleName()), want[i]) << i;
  }
}

TEST(Dxf, MalformedInputNamesTheLine) {
  const char* bad[] = {"0\nSECTION\n2\nENTITIES\nabc\nLINE\n", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nxyz\n0\nENDSEC\n",
                       "0\nSECTION\n2\n", "", "999\n",
                       "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n5005\nx\n0\nENDSEC\n0\nEOF\n"};
  for (const char* text : bad) {
    AcDbDatabase db(false);
    std::u16string error;
    EXPECT_NE(qd::dxf::read(&db, text, error), Acad::eOk);
    EXPECT_NE(error.find(u"line"), std::u16string::npos);
  }
}

}  // namespace

namespace {

TEST_F(Drawing, EntNextWalksMainEntitiesAndIntoComplexOnes) {
  const double p[3] = {0, 0, 0}, q[3] = {5, 0, 0};
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"LINE", 10, p, 11, q, 0)).get()), RTNORM);
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"POLYLINE", 66, 1, 0)).get()), RTNORM);
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"VERTEX", 10, p, 0)).get()), RTNORM);
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"VERTEX", 10, q, 0)).get()), RTNORM);
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"SEQEND", 0)).get()), RTNORM);
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"CIRCLE", 10, q, 40, 1.0, 0)).get()), RTNORM);
  auto walk = [] {
    std::vector<std::u16string> types;
    ads_name at = {0, 0}, next;
    while (acdbEntNext(at, next) == RTNORM && types.size() < 20) {
      qd::ads::RbList list(acdbEntGet(next));
      for (resbuf* rb = list.get(); rb; rb = rb->rbnext)
        if (rb->restype == 0) types.emplace_back(rb->resval.rstring);
      ads_name_set(next, at);
    }
    return types;
  };
  const std::vector<std::u16string> all = {u"LINE", u"POLYLINE", u"VERTEX", u"VERTEX", u"SEQEND", u"CIRCLE"};
  EXPECT_EQ(walk(), all);
  // An erased entity is stepped over; an undone one is gone from the walk and a
  // new one appended after it is found.
  ads_name first;
  ASSERT_EQ(acdbEntNext(nullptr, first), RTNORM);
  ASSERT_EQ(acdbEntDel(first), RTNORM);
  EXPECT_EQ(walk(), std::vector<std::u16string>(all.begin() + 1, all.end()));
  ASSERT_EQ(acdbEntDel(first), RTNORM);
  db->impl()->undoMark();
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"POINT", 10, p, 0)).get()), RTNORM);
  ASSERT_TRUE(db->impl()->undoBack());
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"TEXT", 10, p, 40, 1.0, 1, u"x", 0)).get()), RTNORM);
  std::vector<std::u16string> withText = all;
  withText.emplace_back(u"TEXT");
  EXPECT_EQ(walk(), withText);
}

TEST(Dxf, ReadsR12WithoutHandlesOrBlockRecords) {
  const char* r12 =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n0\nLAYER\n2\nZDI\n70\n0\n62\n3\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nOKNO\n70\n0\n10\n0.0\n20\n0.0\n30\n0.0\n"
      "0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n1.0\n21\n0.0\n31\n0.0\n"
      "0\nINSERT\n8\n0\n2\nRAM\n10\n0.0\n20\n0.0\n30\n0.0\n0\nENDBLK\n8\n0\n"
      "0\nBLOCK\n8\n0\n2\nRAM\n70\n0\n10\n0.0\n20\n0.0\n30\n0.0\n0\nENDBLK\n8\n0\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\nZDI\n2\nOKNO\n10\n5.0\n20\n5.0\n30\n0.0\n"
      "0\nTEXT\n8\nZDI\n10\n1.0\n20\n1.0\n30\n0.0\n40\n2.5\n1\nP\xF8\xEDli\x9A\n0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, r12, error), Acad::eOk) << std::string(error.begin(), error.end());
  auto* d = db.impl();
  EXPECT_FALSE(d->recordId(d->blockTable, u"OKNO").isNull());
  EXPECT_FALSE(d->recordId(d->textStyleTable, u"Standard").isNull());
  auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace));
  ASSERT_EQ(ms->entityIds().size(), 2u);
  auto* ref = AcDbBlockReference::cast(d->peek(ms->entityIds()[0]));
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->blockTableRecord(), d->recordId(d->blockTable, u"OKNO"));
  // An insert read before its block was defined finds it once the file is read; frames
  // get their handles in the order the blocks stand.
  auto* okno = AcDbBlockTableRecord::cast(d->peek(d->recordId(d->blockTable, u"OKNO")));
  auto* ram = AcDbBlockTableRecord::cast(d->peek(d->recordId(d->blockTable, u"RAM")));
  ASSERT_TRUE(okno && ram);
  ASSERT_EQ(okno->entityIds().size(), 2u);
  auto* inner = AcDbBlockReference::cast(d->peek(okno->entityIds()[1]));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->blockTableRecord(), ram->objectId());
  EXPECT_FALSE(okno->beginHandle().isNull());
  EXPECT_LT(okno->beginHandle().value(), ram->beginHandle().value());
  // Text of old files is in the ANSI code page (1250 here).
  auto* text = AcDbText::cast(d->peek(ms->entityIds()[1]));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text->textStringConst()), u"Příliš");
  // Every object got a distinct handle, block frames included.
  const std::string out = qd::dxf::write(&db);
  std::set<std::string> handles;
  for (size_t at = out.find("\n  5\n"); at != std::string::npos; at = out.find("\n  5\n", at + 1)) {
    const size_t start = at + 5;
    EXPECT_TRUE(handles.insert(out.substr(start, out.find('\n', start) - start)).second);
  }
  EXPECT_GT(handles.size(), 10u);
}

}  // namespace

namespace {

TEST_F(Drawing, ArcsKeepTheirAnglesThroughEntityListsDxfAndMirrors) {
  const double c[3] = {10, 0, 0};
  // Entity lists hold angles in radians.
  ASSERT_EQ(acdbEntMake(qd::ads::RbList(acutBuildList(RTDXF0, u"ARC", 10, c, 40, 5.0, 50, 0.0, 51, M_PI / 2, 0)).get()),
            RTNORM);
  ads_name last;
  acdbEntLast(last);
  AcDbObjectId id;
  acdbGetObjectId(id, last);
  AcDbArc* arc = nullptr;
  ASSERT_EQ(acdbOpenObject(arc, id, AcDb::kForRead), Acad::eOk);
  EXPECT_NEAR(arc->endAngle(), M_PI / 2, 1e-12);
  AcDbExtents ext;
  ASSERT_EQ(arc->getGeomExtents(ext), Acad::eOk);
  EXPECT_NEAR(ext.maxPoint().x, 15, 1e-9);  // a quarter: from (15,0) to (10,5)
  EXPECT_NEAR(ext.maxPoint().y, 5, 1e-9);
  EXPECT_NEAR(ext.minPoint().y, 0, 1e-9);
  arc->close();
  // Through DXF, where the angles are degrees.
  const std::string dxf = qd::dxf::write(db.get());
  EXPECT_NE(dxf.find("AcDbArc\n 50\n0.0\n 51\n90.0\n"), std::string::npos);
  AcDbDatabase copy(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&copy, dxf, error), Acad::eOk);
  AcDbObjectId again;
  ASSERT_EQ(copy.getAcDbObjectId(again, false, id.handle()), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(arc, again, AcDb::kForRead), Acad::eOk);
  EXPECT_NEAR(arc->startAngle(), 0, 1e-12);
  EXPECT_NEAR(arc->endAngle(), M_PI / 2, 1e-12);
  arc->close();
  // Mirrored across the X axis the arc runs from -90 to 0 degrees in its flipped plane,
  // and still covers the mirrored quarter.
  ASSERT_EQ(acdbOpenObject(arc, id, AcDb::kForWrite), Acad::eOk);
  arc->transformBy(AcGeMatrix3d::mirroring2d({0, 0, 0}, {1, 0, 0}));
  ASSERT_EQ(arc->getGeomExtents(ext), Acad::eOk);
  EXPECT_NEAR(ext.minPoint().y, -5, 1e-9);
  EXPECT_NEAR(ext.maxPoint().y, 0, 1e-9);
  EXPECT_NEAR(ext.maxPoint().x, 15, 1e-9);
  arc->close();
}

}  // namespace

namespace {

// A group code line: blanks around it and a carriage return are allowed, a sign other
// than minus, a fraction or a number beyond a code is not; the message names the line.
TEST(Dxf, GroupCodeLinesAreReadExactlyAndFaultsNameTheirLine) {
  struct Case {
    const char* text;
    const char16_t* error;  // empty: read
  };
  const Case cases[] = {
      {"  0 \r\nSECTION\r\n\t2\nENTITIES\n  0\nENDSEC\n0\nEOF\n", u""},
      {"0\nSECTION\n2\nENTITIES\n+0\nENDSEC\n", u"line 5: group code expected, found \"+0\""},
      {"0\nSECTION\n2\nENTITIES\n0.5\nENDSEC\n", u"line 5: group code expected, found \"0.5\""},
      {"0\nSECTION\n2\nENTITIES\n99999999999\nENDSEC\n", u"line 5: group code expected, found \"99999999999\""},
      {"0\nSECTION\n2\nENTITIES\n1072\nx\n", u"line 5: group code 1072 out of range"},
      {"0\nSECTION\n2\nENTITIES\n-6\nx\n", u"line 5: group code -6 out of range"},
      {"0\nSECTION\n2\nENTITIES\n- 1\nx\n", u"line 5: group code expected, found \"- 1\""},
      {"0\nSECTION\n2\nENTITIES\n0", u"line 5: value missing after group code 0"},
      // Codes in three places, as most writers put them.
      {"  0\nSECTION\n  2\nENTITIES\n010\nx\n 20\ny\n  0\nENDSEC\n  0\nEOF\n", u""},
      {"0\nSECTION\n2\nENTITIES\n1 0\nx\n", u"line 5: group code expected, found \"1 0\""},
      {"0\nSECTION\n2\nENTITIES\nx 0\nx\n", u"line 5: group code expected, found \"x 0\""},
      {"0\nSECTION\n2\nENTITIES\n-10\nx\n", u"line 5: group code -10 out of range"},
      {"0\nSECTION\n2\nENTITIES\n 1x\nx\n", u"line 5: group code expected, found \"1x\""},
      // Codes in four places, as extended data has them.
      {"0\nSECTION\n2\nENTITIES\n1071\nx\n1000\ny\n0\nENDSEC\n0\nEOF\n", u""},
      {"0\nSECTION\n2\nENTITIES\n1000\nx\n9999\nx\n", u"line 7: group code 9999 out of range"},
      {"0\nSECTION\n2\nENTITIES\n1000\nx\n10a0\nx\n", u"line 7: group code expected, found \"10a0\""},
  };
  for (const Case& c : cases) {
    AcDbDatabase db(false);
    std::u16string error;
    const Acad::ErrorStatus es = qd::dxf::read(&db, c.text, error);
    EXPECT_EQ(es == Acad::eOk, std::u16string(c.error).empty()) << c.text;
    if (es != Acad::eOk) {
      EXPECT_NE(error.find(c.error), std::u16string::npos) << qd::text::toUtf8(error);
    }
  }
  // Lines ended by CR LF: the values hold neither, after codes of three places or four.
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db,
                          "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\nTEXT\r\n  8\nWALLS\r\n 10\n1.5\r\n 20\n2\r\n"
                          " 40\n2.5\r\n  1\nRoom\r\n1001\nACAD\r\n1000\nx\r\n  0\nENDSEC\r\n  0\nEOF\r\n",
                          error),
            Acad::eOk)
      << qd::text::toUtf8(error);
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
  ASSERT_EQ(ms->entityIds().size(), 1u);
  auto* text = AcDbText::cast(db.impl()->peek(ms->entityIds()[0]));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text->textStringConst()), u"Room");
  EXPECT_EQ(std::u16string(text->layer()), u"WALLS");
  EXPECT_EQ(text->position().x, 1.5);
}

// An entity's own groups say where it goes: attributes join the reference before them
// only when its 66 flag says they follow; 67 puts it in paper space; an object of a class
// the host does not know is kept as an entity when it has an entity's subclass marker,
// wherever it stands.
TEST(Dxf, EntitiesGoWhereTheirOwnGroupsSay) {
  const std::string text =
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nDOOR\n70\n2\n10\n0\n20\n0\n30\n0\n0\nENDBLK\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n"
      "0\nINSERT\n5\n30\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockReference\n66\n1\n2\nDOOR\n10\n0\n20\n0\n"
      "0\nATTRIB\n5\n31\n100\nAcDbEntity\n8\n0\n100\nAcDbText\n10\n0\n20\n0\n40\n1\n1\nD1\n100\nAcDbAttribute\n2\nNO\n70\n0\n"
      "0\nSEQEND\n5\n32\n100\nAcDbEntity\n8\n0\n"
      "0\nINSERT\n5\n33\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockReference\n66\n0\n2\nDOOR\n10\n5\n20\n0\n"
      "0\nATTRIB\n5\n34\n100\nAcDbEntity\n8\n0\n100\nAcDbText\n10\n0\n20\n0\n40\n1\n1\nD2\n100\nAcDbAttribute\n2\nNO\n70\n0\n"
      "0\nLINE\n5\n35\n100\nAcDbEntity\n67\n1\n8\n0\n100\nAcDbLine\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nQD_STRANGE\n5\n36\n100\nAcDbEntity\n8\n0\n100\nQdStrange\n1\nx\n"
      // A polyline takes its vertices without a flag.
      "0\nPOLYLINE\n5\n37\n100\nAcDbEntity\n8\n0\n100\nAcDb2dPolyline\n10\n0\n20\n0\n30\n0\n"
      "0\nVERTEX\n5\n38\n100\nAcDbEntity\n8\n0\n100\nAcDbVertex\n100\nAcDb2dVertex\n10\n1\n20\n1\n30\n0\n"
      "0\nSEQEND\n5\n39\n100\nAcDbEntity\n8\n0\n"
      "0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n"
      "0\nQD_ODD\n5\n40\n100\nAcDbEntity\n8\n0\n0\nQD_ODDER\n5\n41\n100\nQdOdder\n1\ny\n0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eOk) << qd::text::toUtf8(error);
  auto byHandle = [&](uint64_t h) {
    AcDbObjectId id;
    db.getAcDbObjectId(id, false, AcDbHandle(h));
    return db.impl()->peek(id);
  };
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
  auto* ps = AcDbBlockTableRecord::cast(db.impl()->peek(db.paperSpaceId()));
  ASSERT_TRUE(ms && ps);
  std::vector<uint64_t> model, paper;
  for (const AcDbObjectId& id : ms->entityIds()) model.push_back(id.handle().value());
  for (const AcDbObjectId& id : ps->entityIds()) paper.push_back(id.handle().value());
  EXPECT_EQ(model, (std::vector<uint64_t>{0x30, 0x33, 0x36, 0x37}));
  EXPECT_EQ(paper, (std::vector<uint64_t>{0x35}));
  auto* first = AcDbBlockReference::cast(byHandle(0x30));
  auto* second = AcDbBlockReference::cast(byHandle(0x33));
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->subEntityIds().length(), 1);
  EXPECT_EQ(first->subEntityIds()[0].handle().value(), 0x31u);
  EXPECT_EQ(second->subEntityIds().length(), 0);
  auto* polyline = AcDb2dPolyline::cast(byHandle(0x37));
  ASSERT_NE(polyline, nullptr);
  ASSERT_EQ(polyline->subEntityIds().length(), 1);
  EXPECT_EQ(polyline->subEntityIds()[0].handle().value(), 0x38u);
  EXPECT_NE(AcDbUnknownEntity::cast(byHandle(0x36)), nullptr);
  EXPECT_NE(AcDbUnknownEntity::cast(byHandle(0x40)), nullptr);
  EXPECT_EQ(AcDbUnknownEntity::cast(byHandle(0x41)), nullptr);
  EXPECT_NE(AcDbUnknownObject::cast(byHandle(0x41)), nullptr);
}

// A value's line is read whole at any length, ended by LF or CR LF, after a code of three
// places or four: the quick look at a line's first bytes and the search past them meet.
TEST(Dxf, ValuesOfEveryLengthAreReadWhole) {
  auto value = [](size_t n) {
    std::string v;
    for (size_t i = 0; i < n; ++i) v += static_cast<char>('A' + i % 26);
    return v;
  };
  std::string file = "  0\nSECTION\n  2\nENTITIES\n";
  for (const char* end : {"\n", "\r\n"})
    for (size_t n = 0; n <= 70; ++n)
      file += std::string("  0\nTEXT\n  8\nWALLS\n 10\n1.5\n  1\n") + value(n) + end + "1001\nACAD\n1000\n" +
              value(70 - n) + end;
  file += "  0\nENDSEC\n  0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, file, error), Acad::eOk) << qd::text::toUtf8(error);
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
  ASSERT_EQ(ms->entityIds().size(), 142u);
  for (size_t i = 0; i < 142; ++i) {
    const size_t n = i % 71;
    auto* text = AcDbText::cast(db.impl()->peek(ms->entityIds()[i]));
    ASSERT_NE(text, nullptr) << i;
    EXPECT_EQ(qd::text::toUtf8(text->textStringConst()), value(n)) << i;
    resbuf* xd = text->xData(u"ACAD");
    ASSERT_TRUE(xd && xd->rbnext && xd->rbnext->restype == 1000) << i;
    EXPECT_EQ(qd::text::toUtf8(xd->rbnext->resval.rstring), value(70 - n)) << i;
    acutRelRb(xd);
  }
}

}  // namespace

namespace {

// Names entities hold alike: one copy of a spelling while anything holds it, each case
// its own, given back when the last holder lets go, and safe to assign from itself.
TEST(SharedNames, ASpellingIsHeldOnceAndGivenBackByItsLastHolder) {
  const size_t before = qd::text::SharedName::spellingsHeld();
  {
    qd::text::SharedName a(u"A-WALL-017"), b(u"A-WALL-017"), upper(u"A-WALL-017"), lower(u"a-wall-017");
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_NE(a.c_str(), lower.c_str());
    EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before + 2);
    qd::text::SharedName copy = a;
    const qd::text::SharedName& same = copy;
    copy = same;
    copy = copy.view();
    EXPECT_EQ(copy.c_str(), a.c_str());
    // A part of its own text: the new spelling is made before the old one goes.
    qd::text::SharedName alone(u"DOORS-ONLY-HERE");
    alone = alone.view().substr(6);
    EXPECT_EQ(alone.view(), u"ONLY-HERE");
    EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before + 3);
    lower = a;
    EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before + 2);
  }
  EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before);
}

// Many spellings held and given back in turns: each one still held is found again as the
// one copy, however the table grew and whatever was given back beside it.
TEST(SharedNames, ManySpellingsComeAndGoAndTheOthersAreFoundAgain) {
  const size_t before = qd::text::SharedName::spellingsHeld();
  std::vector<std::unique_ptr<qd::text::SharedName>> held;
  auto name = [](size_t i) { return u"L" + qd::text::fromUtf8(std::to_string(i * 7919 % 5003)); };
  for (size_t i = 0; i < 3000; ++i) held.push_back(std::make_unique<qd::text::SharedName>(name(i)));
  EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before + 3000);
  for (size_t round = 0; round < 3; ++round) {
    for (size_t i = round; i < held.size(); i += 3) held[i].reset();
    for (size_t i = 0; i < held.size(); ++i) {
      if (!held[i]) continue;
      const qd::text::SharedName again(name(i));
      EXPECT_EQ(again.c_str(), held[i]->c_str()) << i;
    }
    EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before + 3000 - 1000 * (round + 1));
  }
  EXPECT_EQ(qd::text::SharedName::spellingsHeld(), before);
}

// A reader's table of record spellings finds every text it keeps, by the text up to a
// NUL, however many it holds, and what it gave stays where it was.
TEST(SharedNames, RecordSpellingsAreFoundByTheirTextUpToANul) {
  using qd::dxf::RecordSpellings;
  RecordSpellings kept;
  std::vector<std::u16string> texts;
  std::vector<const qd::text::SharedName*> given;
  for (int i = 0; i < 3000; ++i) {
    texts.push_back(u"Layer " + qd::text::fromUtf8(std::to_string(i)));
    const RecordSpellings::Key key = RecordSpellings::keyOf(texts.back());
    ASSERT_EQ(kept.find(key), nullptr) << i;
    given.push_back(kept.keep(key, qd::text::SharedName(u"LAYER " + qd::text::fromUtf8(std::to_string(i)))));
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    const qd::text::SharedName* found = kept.find(RecordSpellings::keyOf(texts[i]));
    ASSERT_EQ(found, given[i]) << i;
    EXPECT_EQ(qd::text::toUtf8(found->view()), "LAYER " + std::to_string(i));
  }
  EXPECT_EQ(kept.find(RecordSpellings::keyOf(u"Layer 3000")), nullptr);
  EXPECT_EQ(kept.find(RecordSpellings::keyOf(u"Layer 1")), given[1]);
  EXPECT_EQ(kept.find(RecordSpellings::keyOf(std::u16string(u"Layer 12\0junk", 13))), given[12]);
  EXPECT_EQ(kept.find(RecordSpellings::keyOf(u"layer 12")), nullptr);
  EXPECT_EQ(RecordSpellings::keyOf(std::u16string(u"\0x", 2)).text.size(), 0u);
}

TEST(SharedNames, EntitiesOnALayerShareItsSpelling) {
  AcDbDatabase db(true);
  auto* one = new AcDbLine({0, 0, 0}, {1, 0, 0});
  auto* two = new AcDbLine({0, 1, 0}, {1, 1, 0});
  one->setDatabaseDefaults(&db);
  two->setPropertiesFrom(one);
  EXPECT_EQ(one->layer(), two->layer());
  EXPECT_EQ(one->linetype(), two->linetype());
  two->setLinetype(u"Continuous");
  EXPECT_EQ(std::u16string(one->linetype()), u"ByLayer");
  delete one;
  delete two;
}

}  // namespace

namespace {

// An entity name from LISP carries a stub's address: it names an object only while its
// drawing lives, and only at a stub's start, across the blocks stubs are made in.
TEST(Stubs, OnlyStubsOfLiveDrawingsAreTakenForOnes) {
  auto db = std::make_unique<AcDbDatabase>(true);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  std::vector<AcDbObjectId> ids;
  for (int i = 0; i < 9000; ++i) {
    auto* point = new AcDbPoint(AcGePoint3d(i, 0, 0));
    AcDbObjectId id;
    ASSERT_EQ(ms->appendAcDbEntity(id, point), Acad::eOk);
    point->close();
    ids.push_back(id);
  }
  ms->close();
  for (const AcDbObjectId& id : {ids.front(), ids[4500], ids.back()}) {
    EXPECT_TRUE(qd::db::isLiveStub(id.stub()));
    const auto* inside = reinterpret_cast<const AcDbStub*>(reinterpret_cast<const char*>(id.stub()) + 8);
    EXPECT_FALSE(qd::db::isLiveStub(inside));
  }
  int local = 0;
  EXPECT_FALSE(qd::db::isLiveStub(reinterpret_cast<const AcDbStub*>(&local)));
  EXPECT_FALSE(qd::db::isLiveStub(nullptr));
  const AcDbStub* gone = ids[4500].stub();
  db.reset();
  EXPECT_FALSE(qd::db::isLiveStub(gone));
}

}  // namespace

namespace {

// A drawing large enough that its entities are parsed ahead of the reader: lines and
// texts with extended data, on layers, one after another with their handles.
struct LargeDrawing {
  std::string text;
  std::vector<size_t> entityAt;  // where each entity's 0 group starts
};

LargeDrawing largeDrawing(int entities) {
  LargeDrawing d;
  std::string& t = d.text;
  t = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nWALLS\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n"
      "0\nTABLE\n2\nSTYLE\n0\nSTYLE\n2\nStandard\n70\n0\n40\n0.0\n41\n1.0\n3\ntxt\n0\nENDTAB\n"
      "0\nTABLE\n2\nAPPID\n0\nAPPID\n2\nQD_TEST\n70\n0\n0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < entities; ++i) {
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", 0x1000 + i);
    d.entityAt.push_back(t.size());
    const std::string n = std::to_string(i);
    if (i % 3 == 2) {
      t += std::string("0\nTEXT\n5\n") + handle + "\n100\nAcDbEntity\n8\nwalls\n100\nAcDbText\n10\n" + n +
           ".25\n20\n2.5\n30\n0.0\n40\n2.5\n1\nRoom " + n + "\n1001\nQD_TEST\n1000\nroom\n1070\n" + std::to_string(i % 100) + "\n";
    } else {
      t += std::string("0\nLINE\n5\n") + handle + "\n100\nAcDbEntity\n8\nWALLS\n100\nAcDbLine\n10\n" + n + "\n20\n0.0\n30\n0.0\n11\n" +
           n + ".5\n21\n" + std::to_string(i % 7) + ".0\n31\n0.0\n";
    }
  }
  t += "0\nENDSEC\n0\nEOF\n";
  return d;
}

size_t firstDifference(const std::string& a, const std::string& b) {
  return static_cast<size_t>(std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())), b.begin()).first - a.begin());
}

size_t lineAt(const std::string& text, size_t offset) {
  return static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n')) + 1;
}

// Parsed on a thread beside the reader, the entities come out in the file's order, each
// with its own values, and written twice the drawing is the same text.
TEST(LargeDxf, EntitiesParsedAheadAreBuiltInTheFilesOrder) {
  const LargeDrawing d = largeDrawing(12000);
  ASSERT_GT(d.text.size(), size_t{1} << 20);
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, d.text, error), Acad::eOk) << qd::text::toUtf8(error);
  auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
  ASSERT_NE(ms, nullptr);
  ASSERT_EQ(ms->entityIds().size(), 12000u);
  for (int i : {0, 255, 256, 257, 4321, 11998, 11999}) {
    AcDbObject* o = db.impl()->peek(ms->entityIds()[static_cast<size_t>(i)]);
    ASSERT_NE(o, nullptr) << i;
    EXPECT_EQ(o->objectId().handle().value(), static_cast<uint64_t>(0x1000 + i)) << i;
    if (auto* line = AcDbLine::cast(o)) {
      EXPECT_DOUBLE_EQ(line->endPoint().x, i + 0.5) << i;
      EXPECT_DOUBLE_EQ(line->endPoint().y, i % 7) << i;
      EXPECT_EQ(std::u16string(line->layer()), u"WALLS");
    } else {
      auto* text = AcDbText::cast(o);
      ASSERT_NE(text, nullptr) << i;
      EXPECT_EQ(qd::text::toUtf8(text->textStringConst()), "Room " + std::to_string(i)) << i;
      EXPECT_EQ(std::u16string(text->layer()), u"WALLS");
      resbuf* xd = text->xData(u"QD_TEST");
      ASSERT_NE(xd, nullptr) << i;
      ASSERT_NE(xd->rbnext, nullptr);
      ASSERT_NE(xd->rbnext->rbnext, nullptr);
      EXPECT_EQ(xd->rbnext->rbnext->resval.rint, i % 100) << i;
      acutRelRb(xd);
    }
  }
  const std::string once = qd::dxf::write(&db);
  AcDbDatabase again(false);
  ASSERT_EQ(qd::dxf::read(&again, once, error), Acad::eOk) << qd::text::toUtf8(error);
  const std::string twice = qd::dxf::write(&again);
  EXPECT_TRUE(twice == once) << "first difference on line " << lineAt(once, firstDifference(once, twice));
}

// Of two faults, the one earlier in the file is told, whether the parser ahead or the
// reader building the objects finds it.
TEST(LargeDxf, TheEarlierFaultIsToldWhicheverSideFindsIt) {
  const LargeDrawing d = largeDrawing(6000);
  // A number the parser refuses, and a handle the reader refuses.
  auto badNumber = [&](std::string& text, int entity) {
    const size_t at = text.find("\n10\n", d.entityAt[static_cast<size_t>(entity)]) + 4;
    text.replace(at, 1, "x");
    return lineAt(text, at);
  };
  auto badHandle = [&](std::string& text, int entity) {
    const size_t at = text.find("\n5\n", d.entityAt[static_cast<size_t>(entity)]) + 3;
    text.insert(at, "FFFFFFFFFFFF");
    return lineAt(text, d.entityAt[static_cast<size_t>(entity)]);
  };
  struct Case {
    int number, handle;  // entities with a fault, or -1
  };
  for (const Case c : {Case{4000, -1}, Case{-1, 3000}, Case{5000, 1000}, Case{1000, 5000}, Case{1010, 1000}, Case{300, 300}}) {
    std::string text = d.text;
    // The later change first, so that the earlier one's place stays as it was.
    size_t numberLine = 0, handleLine = 0;
    if (c.number > c.handle) {
      if (c.number >= 0) numberLine = badNumber(text, c.number);
      if (c.handle >= 0) handleLine = badHandle(text, c.handle);
    } else {
      if (c.handle >= 0) handleLine = badHandle(text, c.handle);
      if (c.number >= 0) numberLine = badNumber(text, c.number);
    }
    if (c.number >= 0 && c.handle >= 0 && c.number > c.handle) numberLine = 0;
    AcDbDatabase db(false);
    std::u16string error;
    ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eDxfReadAborted) << c.number << " " << c.handle;
    const bool numberFirst = c.handle < 0 || (c.number >= 0 && c.number <= c.handle);
    const std::string want = numberFirst ? "line " + std::to_string(numberLine) + ": number expected"
                                         : "line " + std::to_string(handleLine) + ": handle";
    EXPECT_NE(qd::text::toUtf8(error).find(want), std::string::npos)
        << qd::text::toUtf8(error) << " (wanted " << want << ")";
  }
}

std::string readError(const std::string& text) {
  AcDbDatabase db(false);
  std::u16string error;
  if (qd::dxf::read(&db, text, error) == Acad::eOk) return "read";
  return qd::text::toUtf8(error);
}

// A large file is checked in two halves at once; what it is told is what one walk from
// the start would tell: the first bad code, codes before structure, the lines counted
// from the start, and the handles of both halves.
TEST(LargeDxf, TheFileIsCheckedInTwoHalvesAsIfInOne) {
  const LargeDrawing d = largeDrawing(12000);
  ASSERT_GT(d.text.size(), size_t{1} << 20);
  auto badCode = [&](std::string& text, int entity) {
    const size_t at = text.find("\n10\n", d.entityAt[static_cast<size_t>(entity)]) + 1;
    text.replace(at, 2, "1x");
    return "line " + std::to_string(lineAt(text, at)) + ": group code expected, found \"1x\"";
  };
  {
    std::string text = d.text;
    const std::string want = badCode(text, 9000);
    EXPECT_NE(readError(text).find(want), std::string::npos) << readError(text) << " (wanted " << want << ")";
    const std::string first = badCode(text, 2000);
    EXPECT_NE(readError(text).find(first), std::string::npos) << readError(text) << " (wanted " << first << ")";
  }
  {
    // A table left open in the first half, a bad code in the second: the code is told.
    std::string text = d.text;
    const size_t endtab = text.rfind("0\nENDTAB\n", d.entityAt[0]);
    text.erase(endtab, 9);
    EXPECT_NE(readError(text).find("table APPID from line"), std::string::npos) << readError(text);
    const std::string want = badCode(text, 11000);
    EXPECT_NE(readError(text).find(want), std::string::npos) << readError(text) << " (wanted " << want << ")";
  }
  {
    // A section opened inside another, in the second half.
    std::string text = d.text;
    text.insert(d.entityAt[9000], "0\nSECTION\n2\nEXTRA\n5\nABCDE\n");
    const std::string want = "line " + std::to_string(lineAt(text, d.entityAt[9000])) +
                             ": section ENTITIES from line " + std::to_string(lineAt(text, d.entityAt[0]) - 4) +
                             " is not closed";
    EXPECT_NE(readError(text).find(want), std::string::npos) << readError(text) << " (wanted " << want << ")";
  }
  {
    // A section in the second half: its objects' lines are counted from the start.
    std::string text = d.text;
    text.resize(text.size() - 6);
    const size_t dictionary = text.size();
    text += "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nA0000\n281\nx\n0\nENDSEC\n0\nEOF\n";
    const std::string want = "line " + std::to_string(lineAt(text, dictionary) + 9) + ": number expected";
    EXPECT_NE(readError(text).find(want), std::string::npos) << readError(text) << " (wanted " << want << ")";
  }
  {
    std::string text = d.text;
    text.resize(text.size() - 6);  // no EOF
    const size_t lines = lineAt(text, text.size()) - 1;  // the last line ends the text
    EXPECT_NE(readError(text).find("line " + std::to_string(lines) + ": the file ends before its EOF"), std::string::npos)
        << readError(text) << " (" << lines << " lines)";
    text.resize(text.size() - 9);  // nor the ENDSEC
    EXPECT_NE(readError(text).find(": the file ends inside section ENTITIES from line " +
                                   std::to_string(lineAt(text, d.entityAt[0]) - 4)),
              std::string::npos)
        << readError(text);
  }
  {
    // The file ends early; what follows its EOF is not read, bad codes and all.
    std::string text = d.text.substr(0, d.entityAt[3000]) + "0\nENDSEC\n0\nEOF\n";
    while (text.size() < d.text.size()) text += "  0\nLINE\nnot a code\n";
    AcDbDatabase db(false);
    std::u16string error;
    ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eOk) << qd::text::toUtf8(error);
    auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
    EXPECT_EQ(ms->entityIds().size(), 3000u);
  }
  {
    // An entity without a handle in the first half gets one above those of the second.
    std::string text = d.text;
    const size_t at = text.find("5\n", d.entityAt[10]);
    text.erase(at, text.find('\n', at + 2) + 1 - at);
    AcDbDatabase db(false);
    std::u16string error;
    ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eOk) << qd::text::toUtf8(error);
    auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
    EXPECT_GT(ms->entityIds()[10].handle().value(), uint64_t{0x1000 + 11999});
  }
}

// The end of a section found from its text alone: a line of the code 0 and a line of
// ENDSEC, blanks as a group's value may have them, after an even number of lines.
TEST(LargeDxf, ASectionsEndIsFoundFromItsText) {
  const std::string start = "0\nLINE\n8\nENDSEC\n1\nEN\n1\nXENDSEC\n1\nENDSECS\n";
  struct Case {
    std::string text;
    std::optional<size_t> code;  // where the end's code line starts, after `start`
  };
  const std::vector<Case> cases = {
      {"0\nENDSEC\n", 0},
      {"  0\r\n  ENDSEC \t\r\n", 0},
      {"000\n\tENDSEC", 0},
      {"1\n0\n0\nENDSEC\n", 4},  // a value 0, then the code
      {"1\n0\nENDSEC\n", std::nullopt},  // an ENDSEC where a code stands
      {"0\nENDSECT\n0\nEN DSEC\n", std::nullopt},
      {"0\n\n", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string text = "x\n" + start + c.text;
    for (const size_t split : {size_t{1}, size_t{8} << 20}) {
      const std::optional<qd::dxf::SectionEnd> end = qd::dxf::sectionEnd(text, 2, split);
      ASSERT_EQ(end.has_value(), c.code.has_value()) << c.text;
      if (!end) continue;
      EXPECT_EQ(end->code, 2 + start.size() + *c.code) << c.text;
      EXPECT_EQ(end->groups, static_cast<uint32_t>(std::count(text.begin() + 2, text.begin() + end->code, '\n') / 2));
    }
  }
  // Scanned in two halves, the end is found wherever the middle falls, before, within
  // or after its lines, and only the first: the second half's is not taken before it.
  const std::string before = "0\nLINE\n10\n1.0\n20\n2.0\n1\nEN\n";
  for (size_t tail = 0; tail < 2 * before.size() + 30; ++tail) {
    const std::string text = before + "  0\nENDSEC\n" + std::string(tail, 'z') + "\n0\nENDSEC\n";
    const std::optional<qd::dxf::SectionEnd> end = qd::dxf::sectionEnd(text, 0, 1);
    ASSERT_TRUE(end.has_value()) << tail;
    EXPECT_EQ(end->code, before.size()) << tail;
    EXPECT_EQ(end->groups, 4u) << tail;
  }
  // Found in a long text whichever of sixteen bytes it stands at, its lines counted past
  // the sums of the bytes' counts.
  for (size_t pad = 0; pad < 16; ++pad) {
    std::string text = "0\nLINE\n";
    for (int i = 0; i < 3000; ++i) text += "10\nEN" + std::to_string(i) + "\n";
    text += "1\n" + std::string(pad, 'y') + "\n  0\nENDSEC\n0\nEOF\n";
    const std::optional<qd::dxf::SectionEnd> end = qd::dxf::sectionEnd(text, 0);
    ASSERT_TRUE(end.has_value()) << pad;
    EXPECT_EQ(end->code, text.find("  0\nENDSEC")) << pad;
    EXPECT_EQ(end->groups, 3002u) << pad;
  }
}

// A drawing whose every object has a handle of its own in the file: reading it gives no
// object one before its entities are parsed.
std::string handledDrawing(const LargeDrawing& d) {
  const std::string head =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n900\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n5\n2\n70\n1\n0\nLAYER\n5\n10\n2\nWALLS\n70\n0\n62\n1\n6\nCONTINUOUS\n"
      "0\nENDTAB\n0\nTABLE\n2\nSTYLE\n5\n3\n70\n1\n0\nSTYLE\n5\n11\n2\nStandard\n70\n0\n40\n0.0\n41\n1.0\n3\ntxt\n"
      "0\nENDTAB\n0\nTABLE\n2\nAPPID\n5\n4\n70\n1\n0\nAPPID\n5\n12\n2\nQD_TEST\n70\n0\n0\nENDTAB\n"
      "0\nTABLE\n2\nBLOCK_RECORD\n5\n1\n70\n2\n0\nBLOCK_RECORD\n5\n1F\n2\n*Model_Space\n"
      "0\nBLOCK_RECORD\n5\n1B\n2\n*Paper_Space\n0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
  const std::string entities = d.text.substr(d.entityAt.front(), d.text.size() - 6 - d.entityAt.front());
  return head + entities + "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n100\nAcDbDictionary\n281\n1\n0\nENDSEC\n0\nEOF\n";
}

// What reading a text gives: the drawing, as written again, or the fault.
std::string outcome(const std::string& text, bool checkAllFirst) {
  AcDbDatabase db(false);
  std::u16string error;
  qd::dxf::ReadOptions options;
  options.checkAllFirst = checkAllFirst;
  if (qd::dxf::read(&db, text, error, options) != Acad::eOk) return "fault: " + qd::text::toUtf8(error);
  return qd::dxf::write(&db);
}

// A large drawing's entities are checked as they are parsed rather than walked before:
// it reads as it would checked first, with the same handles given, and tells the same
// fault, the first of the file, codes before structure, structure before values.
TEST(LargeDxf, EntitiesCheckedAsParsedReadAsIfCheckedFirst) {
  const LargeDrawing d = largeDrawing(12000);
  const std::string base = handledDrawing(d);
  const size_t shift = base.find("0\nSECTION\n2\nENTITIES\n") + 21 - d.entityAt.front();
  auto entity = [&](const std::string& text, int i) { return text.find("\n5\n", d.entityAt[static_cast<size_t>(i)] + shift - 1); };
  auto handleOf = [&](std::string& text, int i) -> std::string& {
    static std::string h;
    const size_t at = entity(text, i) + 3;
    h = text.substr(at, text.find('\n', at) - at);
    return h;
  };
  auto badCode = [&](std::string& text, int i) { text.replace(text.find("\n10\n", entity(text, i)) + 1, 2, "1x"); };
  auto badNumber = [&](std::string& text, int i) { text.replace(text.find("\n10\n", entity(text, i)) + 4, 1, "x"); };
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    bool reads;
  };
  const std::vector<Case> cases = {
      {"as written", [](std::string&) {}, true},
      {"an entity without a handle", [&](std::string& t) { t.erase(entity(t, 10) + 1, 2 + handleOf(t, 10).size() + 1); },
       true},
      {"a handle given twice", [&](std::string& t) {
         const std::string later = handleOf(t, 11000);
         t.replace(entity(t, 20) + 3, handleOf(t, 20).size(), later);
       }, true},
      {"a table record without a handle", [](std::string& t) { t.erase(t.find("5\n10\n"), 5); }, true},
      {"the highest handle among the entities", [&](std::string& t) {
         t.erase(entity(t, 9000) + 1, 2 + handleOf(t, 9000).size() + 1);
         t.replace(entity(t, 7000) + 3, handleOf(t, 7000).size(), "7FFFF");
       }, true},
      {"a handle after a 9 and in a 105", [&](std::string& t) {
         t.insert(entity(t, 50) + 1, "9\nx\n5\nAFFFF\n105\n8FFFF\n");
       }, true},
      {"ENDSEC as a text and the end spelled otherwise", [&](std::string& t) {
         t.insert(entity(t, 30) + 1, "1\nENDSEC\n");
         const size_t end = t.rfind("0\nENDSEC\n0\nSECTION\n2\nOBJECTS");
         t.replace(end, 9, "000\n  ENDSEC \r\n");
       }, true},
      {"a bad code", [&](std::string& t) { badCode(t, 9000); }, false},
      {"a bad code after a bad value", [&](std::string& t) { badCode(t, 9000); badNumber(t, 100); }, false},
      {"a bad code after a table left open", [&](std::string& t) {
         badCode(t, 11000);
         t.erase(t.find("0\nENDTAB\n0\nTABLE\n2\nSTYLE"), 9);
       }, false},
      {"a bad code before one after the entities", [&](std::string& t) {
         t.replace(t.find("281\n1\n0\nENDSEC"), 3, "2x1");
         badCode(t, 6000);
       }, false},
      {"a bad value before a bad code after the entities", [&](std::string& t) {
         t.replace(t.find("281\n1\n0\nENDSEC"), 3, "2x1");
         badNumber(t, 6000);
       }, false},
      {"a bad value before a table record without a handle", [&](std::string& t) {
         badNumber(t, 6000);
         t.erase(t.find("5\n10\n"), 5);
       }, false},
      {"a section inside the entities", [&](std::string& t) { t.insert(t.rfind("\n0\n", entity(t, 5000)) + 1, "0\nSECTION\n2\nEXTRA\n5\nABCDE\n"); }, false},
      {"the file's end inside the entities", [&](std::string& t) { t.insert(t.rfind("\n0\n", entity(t, 5000)) + 1, "0\nEOF\n"); }, false},
      {"the entities' end missing", [](std::string& t) { t.erase(t.rfind("0\nENDSEC\n0\nSECTION\n2\nOBJECTS"), 9); }, false},
      {"a section before the entities end", [](std::string& t) {
         t.erase(t.rfind("0\nENDSEC\n0\nSECTION\n2\nOBJECTS"), 9);
         t.insert(t.rfind("0\nENDSEC\n0\nEOF") + 9, "0\nSECTION\n2\nLATE\n0\nENDSEC\n");
       }, false},
  };
  for (const Case& c : cases) {
    std::string text = base;
    c.change(text);
    ASSERT_GT(text.size(), size_t{1} << 20);
    const std::string first = outcome(text, true);
    const std::string asParsed = outcome(text, false);
    EXPECT_EQ(first.rfind("fault: ", 0) != 0, c.reads) << c.what << ": " << first.substr(0, 200);
    EXPECT_TRUE(asParsed == first) << c.what << ": " << asParsed.substr(0, 200) << " / " << first.substr(0, 200)
                                   << " (first difference on line " << lineAt(first, firstDifference(first, asParsed))
                                   << ")";
  }
}

// An entity's reactors and extension dictionary stay its own, whether its groups were
// parsed ahead on another thread or by the reader itself.
TEST(LargeDxf, ReactorsAndExtensionDictionariesStayWithTheirEntities) {
  for (const int entities : {40, 12000}) {
    const LargeDrawing d = largeDrawing(entities);
    std::string text = d.text;
    const std::vector<int> chosen = {entities - 1, entities / 2, 3};  // the later first: places stay
    for (const int i : chosen) {
      const size_t at = text.find('\n', text.find("5\n", d.entityAt[static_cast<size_t>(i)]) + 2) + 1;
      char groups[160];
      std::snprintf(groups, sizeof groups, "102\n{ACAD_REACTORS\n330\n%X\n102\n}\n102\n{ACAD_XDICTIONARY\n360\n%X\n102\n}\n",
                    0xA000 + i, 0xB000 + i);
      text.insert(at, groups);
    }
    std::string objects = "0\nSECTION\n2\nOBJECTS\n";
    for (const int i : chosen)
      for (const int h : {0xA000 + i, 0xB000 + i}) {
        char dictionary[96];
        std::snprintf(dictionary, sizeof dictionary, "0\nDICTIONARY\n5\n%X\n100\nAcDbDictionary\n", h);
        objects += dictionary;
      }
    text.insert(text.size() - 6, objects + "0\nENDSEC\n");
    AcDbDatabase db(false);
    std::u16string error;
    ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eOk) << qd::text::toUtf8(error);
    auto* ms = AcDbBlockTableRecord::cast(db.impl()->peek(db.modelSpaceId()));
    for (const int i : chosen) {
      const AcDbObject* e = db.impl()->peek(ms->entityIds()[static_cast<size_t>(i)]);
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->extensionDictionary().handle().value(), static_cast<uint64_t>(0xB000 + i)) << entities << " " << i;
      ASSERT_EQ(e->persistentReactors().length(), 1) << entities << " " << i;
      EXPECT_EQ(e->persistentReactors()[0].handle().value(), static_cast<uint64_t>(0xA000 + i)) << entities << " " << i;
    }
    // Nor do the entities after them take theirs.
    for (const size_t i : {size_t{1}, size_t{4}, static_cast<size_t>(entities / 2 + 1)}) {
      const AcDbObject* plain = db.impl()->peek(ms->entityIds()[i]);
      EXPECT_TRUE(plain->extensionDictionary().isNull()) << entities << " " << i;
      EXPECT_EQ(plain->persistentReactors().length(), 0) << entities << " " << i;
    }
  }
}

// The groups an object shares are told from its own as they are typed: the handle, the
// owner, reactors and extension dictionary as handles, the extended data packed as the
// object keeps it unless a group cannot be packed (then only the groups are there, for a
// list). After the subclass marker, brackets and pointers are the object's own.
TEST(LargeDxf, SharedGroupsAreToldApartAsTheyAreTyped) {
  struct Parsed {
    qd::db::Tags own;
    qd::dxf::SharedGroups shared;
  };
  Parsed p;
  auto parse = [&](const std::string& groups, bool dimstyle = false) {
    const std::string text = "0\nTHING\n" + groups + "0\nENDSEC\n";
    qd::dxf::ObjectParser at(text, 0);
    qd::dxf::GroupCursor c(text);
    c.next();
    at.parse(c, dimstyle, p.own, p.shared);
    std::vector<int> codes;
    for (const auto& t : p.own) codes.push_back(t.code);
    return codes;
  };
  EXPECT_EQ(parse("5\n2A\n102\n{ACAD_REACTORS\n330\n1F\n330\n20\n102\n}\n102\n{ACAD_XDICTIONARY\n360\n3B\n102\n}\n"
                  "330\n1C\n100\nAcDbEntity\n8\nWALLS\n102\n{MINE\n330\n44\n102\n}\n10\n1.5\n20\n2.5\n"
                  "1001\nQD_LABEL\n1000\nroom\n1070\n7\n1010\n1.0\n1020\n2.0\n1040\n2.5\n"),
            (std::vector<int>{100, 8, 102, 330, 102, 10}));
  EXPECT_EQ(p.shared.handle.value(), 0x2Au);
  EXPECT_EQ(p.shared.owner, 0x1Cu);
  EXPECT_EQ(p.shared.extDict, 0x3Bu);
  EXPECT_EQ(p.shared.reactors, (std::vector<uint64_t>{0x1F, 0x20}));
  EXPECT_EQ(p.own[3].integer, 0x44);  // its own pointer, still a handle
  EXPECT_EQ(p.own[5].pt.y, 2.5);
  ASSERT_EQ(p.shared.xdata.size(), 5u);
  EXPECT_EQ(p.shared.xdata[3].pt.y, 2.0);
  ASSERT_FALSE(p.shared.packedXData.empty());
  std::vector<std::pair<int, std::u16string>> unpacked;
  qd::db::unpackGroups(p.shared.packedXData, [&](const qd::db::Tag& t) { unpacked.emplace_back(t.code, t.str); });
  ASSERT_EQ(unpacked.size(), 5u);
  EXPECT_EQ(unpacked[1], std::make_pair(1000, std::u16string(u"room")));
  EXPECT_EQ(unpacked[4].first, 1040);

  // A handle is read as its text decodes; anything but hexadecimal digits is none.
  for (const auto& [text, value] : {std::pair<const char*, uint64_t>{"\\U+0031F", 0x1F}, {"^A2", 0}, {"2 A", 0}, {"\xC3\xAD" "A", 0}}) {
    parse(std::string("5\n") + text + "\n100\nAcDbEntity\n");
    EXPECT_EQ(p.shared.handle.value(), value) << text;
  }

  // The next object has none of those; a second 330 is its own.
  EXPECT_EQ(parse("330\n1C\n330\n1D\n100\nAcDbEntity\n"), (std::vector<int>{330, 100}));
  EXPECT_EQ(p.shared.owner, 0x1Cu);
  EXPECT_TRUE(p.shared.handle.isNull());
  EXPECT_EQ(p.shared.extDict, 0u);
  EXPECT_TRUE(p.shared.reactors.empty());
  EXPECT_TRUE(p.shared.xdata.empty());
  EXPECT_TRUE(p.shared.packedXData.empty());
  // A dimension style's handle is its 105; its 5 is its own.
  EXPECT_EQ(parse("105\n3E\n5\n7\n100\nAcDbSymbolTableRecord\n", true), (std::vector<int>{5, 100}));
  EXPECT_EQ(p.shared.handle.value(), 0x3Eu);
  EXPECT_EQ(parse("5\n2C\n105\n3F\n100\nAcDbEntity\n"), (std::vector<int>{105, 100}));
  EXPECT_EQ(p.shared.handle.value(), 0x2Cu);
  // More bytes than a list's count can say.
  parse("5\n2B\n1001\nQD_LABEL\n1004\n" + std::string(80000, 'A') + "\n");
  EXPECT_EQ(p.shared.xdata.size(), 2u);
  EXPECT_TRUE(p.shared.packedXData.empty());
  // A damaged value is told even where the group is dropped.
  EXPECT_THROW(parse("102\n{ACAD_REACTORS\n40\nx\n102\n}\n"), qd::dxf::Failure);
}

// The second half starts at a 0 group's code line: a value "0" before a code is passed by.
TEST(LargeDxf, TheSecondHalfStartsAtAZeroGroup) {
  std::string text(1000, 'x');
  text += "\n70\n0\n10\n1.0\n  0\nLINE\n";
  EXPECT_EQ(qd::dxf::secondHalf(text), text.find("  0\nLINE"));
  EXPECT_EQ(qd::dxf::secondHalf(std::string(1000, 'x') + "\n70\n0\n10\n1.0\n"), std::string_view::npos);
  // The 0 of a group whose value is a number or nothing is no start either.
  EXPECT_EQ(qd::dxf::secondHalf(std::string(1000, 'x') + "\n0\n1\n0\n\n"), std::string_view::npos);
}

// Stretches start at entities' 0 groups only, at least a step apart, and within the
// section: a value "0" before a code is passed by.
TEST(LargeDxf, StretchesStartAtZeroGroups) {
  const LargeDrawing d = largeDrawing(3000);
  const size_t from = d.entityAt.front();
  const size_t end = d.text.rfind("ENDSEC\n0\nEOF");
  const std::set<size_t> entities(d.entityAt.begin(), d.entityAt.end());
  for (size_t step : {size_t{1}, size_t{100}, size_t{4096}}) {
    const std::vector<qd::dxf::StretchStart> starts = qd::dxf::stretchStarts(d.text, from, end, step);
    ASSERT_GT(starts.size(), step == 1 ? 2999u : d.text.size() / (3 * step)) << step;
    EXPECT_EQ(starts.front().code, from);
    for (size_t i = 1; i < starts.size(); ++i) {
      EXPECT_EQ(entities.count(starts[i].code), 1u) << step << " " << i;
      EXPECT_EQ(starts[i].value, starts[i].code + 2);
      EXPECT_GE(starts[i].code, starts[i - 1].value + step);
      EXPECT_LT(starts[i].value, end);
    }
  }
  // A value "0" and then codes, a 0 group past the end, and an end before the start.
  const std::string values = "0\nLINE\n" + std::string(200, 'x') + "\n70\n0\n62\n1\n0\nENDSEC\n";
  EXPECT_EQ(qd::dxf::stretchStarts(values, 0, values.find("ENDSEC"), 10).size(), 1u);
  EXPECT_EQ(qd::dxf::stretchStarts(values, 0, values.find("ENDSEC") + 1, 10).size(), 2u);
  EXPECT_EQ(qd::dxf::stretchStarts(values, 100, 50, 10).size(), 1u);
}

// Whichever side parses a stretch, the reader gets every entity once, in the file's
// order, with its line counted from the file's start; a fault in a late stretch too.
// The text the reader tells it is done with is never read again: wiped as soon as it is
// told, the drawing read is the same, and so is a fault after it. Most of a large
// drawing's text is told, in order.
TEST(LargeDxf, TextToldDoneIsNeverReadAgain) {
  const LargeDrawing d = largeDrawing(40000);
  std::string damaged = d.text;
  damaged.replace(damaged.find("\n10\n", d.entityAt[39990]) + 4, 1, "x");
  for (const std::string* text : {static_cast<const std::string*>(&d.text), static_cast<const std::string*>(&damaged)}) {
    AcDbDatabase plain(false);
    std::u16string plainError;
    const Acad::ErrorStatus plainStatus = qd::dxf::read(&plain, *text, plainError);
    std::string wiped = *text;
    size_t told = 0, calls = 0;
    const char* next = nullptr;
    qd::dxf::ReadOptions options;
    options.textDone = [&](const char* from, const char* to) {
      ASSERT_TRUE(from >= wiped.data() && from < to && to <= wiped.data() + wiped.size());
      EXPECT_TRUE(!next || from == next);
      std::fill(const_cast<char*>(from), const_cast<char*>(to), '\0');
      told += static_cast<size_t>(to - from);
      next = to;
      ++calls;
    };
    AcDbDatabase read(false);
    std::u16string error;
    EXPECT_EQ(qd::dxf::read(&read, wiped, error, options), plainStatus);
    EXPECT_EQ(qd::text::toUtf8(error), qd::text::toUtf8(plainError));
    EXPECT_GT(calls, 1u);
    EXPECT_GT(told, text->size() * 3 / 4);
    if (plainStatus == Acad::eOk) {
      EXPECT_TRUE(qd::dxf::write(&read) == qd::dxf::write(&plain));
    }
    // A file's reading gives its pages back as they are told done.
    const std::string path = (std::filesystem::temp_directory_path() / "qd_text_told_done.dxf").string();
    std::ofstream(path, std::ios::binary) << *text;
    AcDbDatabase fromFile(false);
    EXPECT_EQ(qd::dxf::readFile(&fromFile, path, error), plainStatus);
    EXPECT_EQ(qd::text::toUtf8(error), qd::text::toUtf8(plainError));
    if (plainStatus == Acad::eOk) {
      EXPECT_TRUE(qd::dxf::write(&fromFile) == qd::dxf::write(&plain));
    }
    std::filesystem::remove(path);
  }
}

TEST(LargeDxf, StretchesParsedOnEitherSideComeInTheFilesOrder) {
  const LargeDrawing d = largeDrawing(4000);
  std::string text = d.text;
  const size_t bad = text.find("\n10\n", d.entityAt[3900]) + 4;
  text.replace(bad, 1, "x");
  const size_t start = d.entityAt.front();
  const size_t end = text.rfind("ENDSEC\n0\nEOF");
  const auto index = static_cast<uint32_t>((lineAt(text, start) - 1) / 2);
  std::vector<size_t> lines{lineAt(text, d.entityAt.front())};
  for (size_t i = 1; i < d.entityAt.size(); ++i)
    lines.push_back(lines.back() + static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(d.entityAt[i - 1]),
                                                                  text.begin() + static_cast<std::ptrdiff_t>(d.entityAt[i]), '\n')));
  // The same with CR LF, the lines counted alike.
  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  const size_t crlfStart = crlf.find("0\r\nLINE");
  for (const auto& [thread, file, from, to] :
       {std::tuple{false, &text, start, end}, std::tuple{true, &text, start, end},
        std::tuple{true, &crlf, crlfStart, crlf.rfind("ENDSEC\r\n0\r\nEOF")}}) {
    qd::dxf::ParsingAhead ahead(*file, 0, qd::dxf::GroupCursor(*file, from, index), to,
                                qd::dxf::EntityFiling::General, thread);
    size_t n = 0, stretches = 0;
    std::optional<qd::dxf::Failure> failure;
    while (std::unique_ptr<qd::dxf::ParsedBatch> b = ahead.next()) {
      ++stretches;
      for (size_t i = 0; i < b->count; ++i, ++n) {
        ASSERT_LT(n, d.entityAt.size());
        EXPECT_EQ(b->objects[i].line, lines[n]) << n;
        EXPECT_EQ(b->objects[i].shared.handle.value(), 0x1000u + n) << n;
      }
      if (b->failure) failure = b->failure;
      const bool last = b->last;
      ahead.giveBack(std::move(b));
      if (last) break;
    }
    EXPECT_GT(stretches, file == &crlf ? 6u : 3u);
    EXPECT_EQ(n, 3900u) << thread;
    ASSERT_TRUE(failure.has_value()) << thread;
    EXPECT_EQ(failure->line, lineAt(text, bad)) << thread;
  }
}

}  // namespace

namespace {

// A polyline's vertices are points in its plane: written with X and Y, no Z; an arc's
// angles are degrees in the file.
TEST_F(DrawingTest, PlanarPointsAreWrittenWithoutZAndAnglesInDegrees) {
  auto* pl = new AcDbPolyline();
  pl->addVertexAt(0, AcGePoint2d(1.5, 2.5));
  pl->addVertexAt(1, AcGePoint2d(4.0, 2.5));
  append(pl);
  append(new AcDbArc(AcGePoint3d(0, 0, 0), 2.0, 0.0, M_PI / 2));
  const std::string text = qd::dxf::write(db.get());
  EXPECT_NE(text.find(" 10\n1.5\n 20\n2.5\n 10\n4.0\n 20\n2.5\n"), std::string::npos);
  EXPECT_NE(text.find(" 50\n0.0\n 51\n90.0\n"), std::string::npos);
}

}  // namespace

namespace {

// A text's value as the file has it: plain characters as they are, however long, others
// in UTF-8, control characters and the caret in caret notation.
TEST(DxfText, ValuesAreWrittenOnOneLineInUtf8WithCarets) {
  auto written = [](std::u16string_view s) {
    std::string out = "x";  // added to what is there
    qd::dxf::appendText(out, s);
    return out.substr(1);
  };
  const std::u16string plain(150, u'a');
  EXPECT_EQ(written(u""), "");
  EXPECT_EQ(written(plain), std::string(150, 'a'));
  EXPECT_EQ(written(plain.substr(0, 64)), std::string(64, 'a'));
  EXPECT_EQ(written(plain.substr(0, 70) + u"M\u00EDstnost\n^3" + plain.substr(0, 65)),
            std::string(70, 'a') + "M\xC3\xADstnost^J^ 3" + std::string(65, 'a'));
  EXPECT_EQ(written(u"\U0001F600 \xD800x\t"), "\xF0\x9F\x98\x80 \xEF\xBF\xBDx^I");
  // Plain texts of every length.
  std::u16string text;
  std::string file;
  for (size_t n = 0; n <= 70; ++n) {
    EXPECT_EQ(written(text), file) << n;
    text += static_cast<char16_t>('a' + n % 26);
    file += static_cast<char>('a' + n % 26);
  }
  // Wherever the other character stands: before, inside or after a stretch of plain ones.
  struct Other {
    const char16_t* text;
    const char* file;
  };
  for (const Other& o :
       {Other{u"\n", "^J"}, Other{u"^", "^ "}, Other{u"\u00ED", "\xC3\xAD"}, Other{u"\u8000", "\xE8\x80\x80"}})
    for (const size_t at : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{63}, size_t{64}, size_t{65}})
      EXPECT_EQ(written(std::u16string(at, u'a') + o.text + std::u16string(20, u'b')),
                std::string(at, 'a') + o.file + std::string(20, 'b'))
          << o.file << " at " << at;
}

// And read back: a caret, an escape or a character of the code page wherever it stands
// in a long value, before, inside or after a stretch of plain characters.
// A real reads to the same double, bit for bit, as std::from_chars reads it, and a text
// that is not a finite real is refused as it refuses it.
TEST(DxfText, RealsReadToTheNearestDouble) {
  auto fromChars = [](std::string_view t, double& d) {
    const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(d);
  };
  auto same = [&](const std::string& t) {
    double want = 0, got = 0;
    const bool ok = fromChars(t, want);
    EXPECT_EQ(qd::dxf::readReal(t, got), ok) << t;
    if (ok) {
      EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(want)) << t;
    }
  };
  for (const char* t :
       {"0", "0.0", "-0.0", "-0", "5.", ".5", "-.5", "1e5", "1.5E-3", "+1", "-", "", ".", "-.", "1.2.3", "12a", "inf",
        "nan", "1e400", "1 ", " 1", "00012.50", "-1234567.8", "1234567:", "1234/678", "12345678.1234567a",
        // Integers about 2^53, where a double stops holding every one: ties go to the even.
        "9007199254740991", "9007199254740992", "9007199254740993", "9007199254740995", "9007199254740997.0",
        "18014398509481983", "18014398509481985", "900719925474099.3", "9007199254740993.5",
        // Midpoints whose first guess is the odd neighbour, above and below.
        "7067064319980023.5", "6630404938389668.5",
        // Nineteen digits and more, fractions of 22 digits and more.
        "1234567890123456789", "9999999999999999999", "12345678901234567890", "18446744073709551617",
        "1844674407370955161.7", "0.1234567890123456789", "0.0000000000000000000001", "0.00000000000000000000001",
        "4503599627370495.5", "4503599627370497.5", "1.7976931348623157e308", "123456789012345678901234567890"})
    same(t);
  // Runs of digits of every length up to 19, at every place in texts of every length
  // around them, are added up whole and end where they end.
  for (size_t before = 0; before <= 9; ++before)
    for (size_t n = 0; n <= 19; ++n)
      for (const char* after : {"", ".", ".5", "x123456789", "9"}) {
        const std::string run = std::string("1234567890987654321").substr(0, n);
        const std::string text = std::string(before, '-') + run + after;
        const std::string_view digitsThere = std::string_view(text).substr(before);
        uint64_t sum = 0;
        const char* stop = qd::dxf::real_text::addDigits(text.data() + before, text.data() + text.size(), sum);
        const size_t length = n + (std::string_view(after) == "9" ? 1 : 0);
        EXPECT_EQ(static_cast<size_t>(stop - text.data()), before + length) << text;
        if (length <= 19) {
          EXPECT_EQ(sum, length == 0 ? 0 : std::stoull(std::string(digitsThere.substr(0, length)))) << text;
        }
      }
  // Doubles of every size as the writer puts them (the shortest text that reads back),
  // with all their digits, and with fewer, as other writers put them.
  std::mt19937_64 random(20261209);
  char buf[64];
  int quickOnes = 0;
  for (int i = 0; i < 200000; ++i) {
    const double magnitude = std::pow(10.0, static_cast<double>(random() % 26) - 9);
    const double v = (static_cast<double>(random() >> 11) / 9007199254740992.0 - 0.5) * magnitude;
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    const std::string shortest(buf, r.ptr);
    same(shortest);
    // Such a value, of at most 19 digits, is told the quick way, not left to the other.
    const size_t point = shortest.find('.');
    const size_t fraction = point == std::string::npos ? 0 : shortest.size() - point - 1;
    std::string digits = shortest.substr(v < 0 ? 1 : 0);
    if (point != std::string::npos) digits.erase(digits.find('.'), 1);
    if (digits.size() <= 19 && fraction <= 22) {
      ++quickOnes;
      double quick = 0;
      EXPECT_TRUE(qd::dxf::real_text::nearest(std::stoull(digits), fraction, quick)) << shortest;
      EXPECT_EQ(quick, std::abs(v)) << shortest;
    }
    std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(random() % 20), v);
    same(buf);
  }
  EXPECT_GT(quickOnes, 100000);
}

TEST(DxfText, ValuesAreReadWithCaretsEscapesAndTheirCodePage) {
  const qd::dxf::ObjectParser utf8("", 0), centralEuropean("", 1250);
  struct Other {
    const char* file;
    const char16_t* text;
    const qd::dxf::ObjectParser& parser;
  };
  const Other others[] = {{"^J", u"\n", utf8},          {"^ ", u"^", utf8},      {"\xC3\xAD", u"\u00ED", utf8},
                          {"\\U+0161", u"\u0161", utf8}, {"\x7F", u"\x7F", utf8}, {"\xED", u"\u00ED", centralEuropean},
                          {"^J", u"\n", centralEuropean}, {"^ ", u"^", centralEuropean}, {"\\U+0161", u"\u0161", centralEuropean},
                          {"\\U+01g1", u"\\U+01g1", centralEuropean},
                          {"\\U+016z", u"\\U+016z", centralEuropean}, {"\xED^\xED", u"\u00ED\u00AD", centralEuropean},
                          {"\x8A\\U+00Fd\x9A", u"\u0160\u00FD\u0161", centralEuropean}, {"^I\xED", u"\t\u00ED", centralEuropean}};
  for (const Other& o : others)
    for (const size_t at : {0, 1, 7, 8, 9, 15, 16, 17, 24, 31, 32, 70}) {
      const std::string file = std::string(at, 'a') + o.file + std::string(40, 'b');
      const std::u16string text = std::u16string(at, u'a') + o.text + std::u16string(40, u'b');
      EXPECT_EQ(qd::text::toUtf8(o.parser.decode(file)), qd::text::toUtf8(text)) << o.file << " at " << at;
    }
  // Plain values of every length, read without the long way.
  std::string file;
  std::u16string text;
  for (size_t n = 0; n <= 40; ++n) {
    EXPECT_EQ(utf8.decode(file), text) << n;
    file += static_cast<char>('!' + n * 2);
    text += static_cast<char16_t>('!' + n * 2);
  }
}

}  // namespace
