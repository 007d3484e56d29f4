// Classes registered at run time as a module registers them: their filing is what a
// drawing keeps, through DXF as well, whether they file as DXF groups or only binary.
#include <gtest/gtest.h>

#include <memory>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/dxf/dxf.h"
#include "headless/render/svg.h"
#include "host/acgi.h"
#include "host/adslib.h"
#include "tests/unit/drawing_fixture.h"

// A marker with its own DXF groups, drawn as a cross.
class QdTestMarker : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(QdTestMarker);
  AcGePoint3d at;
  double size = 1.0;
  std::u16string label;

  bool worldDraw(AcGiWorldDraw* mode) override {
    const AcGePoint3d a[2] = {{at.x - size, at.y, 0}, {at.x + size, at.y, 0}};
    const AcGePoint3d b[2] = {{at.x, at.y - size, 0}, {at.x, at.y + size, 0}};
    mode->geometry().polyline(2, a);
    mode->geometry().polyline(2, b);
    return true;
  }
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* f) const override {
    AcDbEntity::dxfOutFields(f);
    f->writeString(AcDb::kDxfSubclass, u"QdTestMarker");
    f->writePoint3d(AcDb::kDxfXCoord, at);
    f->writeDouble(AcDb::kDxfReal, size);
    f->writeString(AcDb::kDxfText, label.c_str());
    return f->filerStatus();
  }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* f) override {
    if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
    if (!f->atSubclassData(u"QdTestMarker")) return f->filerStatus();
    resbuf rb;
    while (f->readItem(&rb) == Acad::eOk) {
      if (rb.restype == AcDb::kDxfXCoord) at = AcGePoint3d(rb.resval.rpoint);
      if (rb.restype == AcDb::kDxfReal) size = rb.resval.rreal;
      if (rb.restype == AcDb::kDxfText) label = rb.resval.rstring;
    }
    return Acad::eOk;
  }
};
ACRX_DXF_DEFINE_MEMBERS(QdTestMarker, AcDbEntity, 0, 0, 0, QDTESTMARKER, QdTestApp)

// An entity that files only through the binary filer.
class QdTestBinary : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(QdTestBinary);
  AcGePoint3d from, to;
  int32_t count = 0;
  std::u16string note;
  AcDbObjectId other;

  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* f) const override {
    AcDbEntity::dwgOutFields(f);
    f->writePoint3d(from);
    f->writePoint3d(to);
    f->writeInt32(count);
    f->writeString(note.c_str());
    f->writeSoftPointerId(other);
    return f->filerStatus();
  }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* f) override {
    if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(f); es != Acad::eOk) return es;
    f->readPoint3d(&from);
    f->readPoint3d(&to);
    f->readInt32(&count);
    ACHAR* text = nullptr;
    f->readString(&text);
    note = text ? text : u"";
    acutDelString(text);
    AcDbSoftPointerId id;
    f->readSoftPointerId(&id);
    other = id;
    return f->filerStatus();
  }
};
ACRX_DXF_DEFINE_MEMBERS(QdTestBinary, AcDbEntity, 0, 0, 0, QDTESTBINARY, QdTestApp)

namespace {

class CustomClasses : public DrawingTest {
 protected:
  static void SetUpTestSuite() {
    AcDbDatabase warmup(false);  // registers the built-in classes first
    QdTestMarker::rxInit();
    QdTestBinary::rxInit();
    acrxBuildClassHierarchy();
  }
  std::unique_ptr<AcDbDatabase> reopen() {
    auto copy = std::make_unique<AcDbDatabase>(false);
    std::u16string error;
    EXPECT_EQ(qd::dxf::read(copy.get(), qd::dxf::write(db.get()), error), Acad::eOk);
    return copy;
  }
};

TEST_F(CustomClasses, RegisteredClassIsFoundByNameAndDxfName) {
  AcRxClass* cls = acrxFindClassByDxfName(u"QDTESTMARKER");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, QdTestMarker::desc());
  EXPECT_TRUE(cls->isDerivedFrom(AcDbEntity::desc()));
  EXPECT_EQ(std::u16string(cls->appName()), u"QdTestApp");
  std::unique_ptr<AcRxObject> made(cls->create());
  EXPECT_NE(QdTestMarker::cast(made.get()), nullptr);
  EXPECT_EQ(AcDbLine::cast(made.get()), nullptr);
}

TEST_F(CustomClasses, DxfFiledEntitySurvivesSaveAndOpenAndIsDrawn) {
  auto* m = new QdTestMarker();
  m->at = {5, 6, 0};
  m->size = 2.5;
  m->label = u"Řez A";
  const AcDbObjectId id = append(m);
  const std::string text = qd::dxf::write(db.get());
  EXPECT_NE(text.find("CLASS\n  1\nQDTESTMARKER\n  2\nQdTestMarker\n  3\nQdTestApp"), std::string::npos);
  auto copy = reopen();
  AcDbObjectId again;
  ASSERT_EQ(copy->getAcDbObjectId(again, false, id.handle()), Acad::eOk);
  QdTestMarker* back = nullptr;
  ASSERT_EQ(acdbOpenObject(back, again, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(back->at.isEqualTo({5, 6, 0}));
  EXPECT_DOUBLE_EQ(back->size, 2.5);
  EXPECT_EQ(back->label, u"Řez A");
  back->close();
  // The picture draws it through its own worldDraw: two strokes of 5 with a 5 % margin.
  const std::string svg = qd::render::modelSpaceSvg(copy.get());
  EXPECT_NE(svg.find("viewBox=\"0 0 5.5 5.5\""), std::string::npos);
  size_t strokes = 0;
  for (size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) ++strokes;
  EXPECT_EQ(strokes, 2u);
}

TEST_F(CustomClasses, BinaryOnlyEntityKeepsItsStreamThroughDxf) {
  const AcDbObjectId target = append(new AcDbLine({0, 0, 0}, {1, 1, 0}));
  auto* b = new QdTestBinary();
  b->from = {1, 2, 3};
  b->to = {-4, 5.125, 0};
  b->count = -70000;
  b->note = u"žluťoučký kůň";
  b->other = target;
  b->setLayer(u"0");
  const AcDbObjectId id = append(b);
  auto copy = reopen();
  AcDbObjectId again;
  ASSERT_EQ(copy->getAcDbObjectId(again, false, id.handle()), Acad::eOk);
  QdTestBinary* back = nullptr;
  ASSERT_EQ(acdbOpenObject(back, again, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(back->from.isEqualTo({1, 2, 3}));
  EXPECT_TRUE(back->to.isEqualTo({-4, 5.125, 0}));
  EXPECT_EQ(back->count, -70000);
  EXPECT_EQ(back->note, u"žluťoučký kůň");
  EXPECT_EQ(back->other.handle().value(), target.handle().value());
  back->close();
  // A second save writes the same stream.
  EXPECT_EQ(qd::dxf::write(copy.get()), qd::dxf::write(db.get()));
}

TEST(UnknownClasses, EntitiesOfUnregisteredClassesAreKeptAsTheirGroups) {
  const char* text =
      "0\nSECTION\n2\nENTITIES\n0\nSOMEPROXY\n5\n2A\n100\nAcDbEntity\n8\n0\n100\nAcDbSomething\n"
      "10\n1.5\n20\n2.5\n30\n0.0\n1\nkept\n0\nENDSEC\n0\nEOF\n";
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(&db, text, error), Acad::eOk);
  const std::string out = qd::dxf::write(&db);
  EXPECT_NE(out.find("SOMEPROXY\n  5\n2A\n"), std::string::npos);
  EXPECT_NE(out.find("AcDbSomething\n 10\n1.5\n 20\n2.5\n 30\n0.0\n  1\nkept"), std::string::npos);
}

TEST_F(CustomClasses, GroupsNamedAndAnonymousSurviveSaveAndOpen) {
  const AcDbObjectId a = append(new AcDbLine({0, 0, 0}, {1, 0, 0}));
  const AcDbObjectId b = append(new AcDbLine({0, 1, 0}, {1, 1, 0}));
  AcDbDictionary* groups = nullptr;
  ASSERT_EQ(db->getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
  auto* named = new AcDbGroup(u"walls of room 1");
  AcDbObjectId namedId;
  ASSERT_EQ(groups->setAt(u"ROOM1", named, namedId), Acad::eOk);
  named->append(a);
  named->append(b);
  named->close();
  auto* anon = new AcDbGroup(u"", false);
  anon->setAnonymous();
  AcDbObjectId anonId;
  ASSERT_EQ(groups->setAt(u"*", anon, anonId), Acad::eOk);
  anon->append(b);
  anon->close();
  groups->close();

  auto copy = reopen();
  AcDbDictionary* groups2 = nullptr;
  ASSERT_EQ(copy->getGroupDictionary(groups2, AcDb::kForRead), Acad::eOk);
  AcDbGroup* g = nullptr;
  ASSERT_EQ(groups2->getAt(u"ROOM1", g, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(std::u16string(g->description()), u"walls of room 1");
  AcDbObjectIdArray ids;
  EXPECT_EQ(g->allEntityIds(ids), 2u);
  EXPECT_EQ(ids[0].handle().value(), a.handle().value());
  g->close();
  int anonymous = 0;
  std::unique_ptr<AcDbDictionaryIterator> it(groups2->newIterator());
  for (; !it->done(); it->next()) {
    AcDbGroup* each = nullptr;
    if (acdbOpenObject(each, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
    if (each->isAnonymous()) {
      ++anonymous;
      EXPECT_FALSE(each->isSelectable());
      EXPECT_EQ(each->numEntities(), 1u);
      EXPECT_EQ(std::u16string(it->name()).rfind(u"*A", 0), 0u);
    }
    each->close();
  }
  groups2->close();
  EXPECT_EQ(anonymous, 1);
}

}  // namespace

// A cast follows the parents as they are linked: late, when a parent goes, and when a
// module names its classes in a loop (where a walk up the parents never ended).
TEST(ClassHierarchy, CastsFollowParentsLinkedLateRemovedOrInALoop) {
  AcDbDatabase warmup(false);
  AcRxClass* child = newAcRxClass(u"QdLineageChild", u"QdLineageParent", 0, 0);
  AcRxClass* parent = newAcRxClass(u"QdLineageParent", u"AcDbEntity", 0, 0);
  // The child was registered before its parent: linked only when the hierarchy is built.
  EXPECT_FALSE(child->isDerivedFrom(parent));
  acrxBuildClassHierarchy();
  EXPECT_TRUE(child->isDerivedFrom(parent));
  EXPECT_TRUE(child->isDerivedFrom(AcDbEntity::desc()));
  EXPECT_TRUE(child->isDerivedFrom(AcRxObject::desc()));
  EXPECT_TRUE(child->isDerivedFrom(child));
  EXPECT_FALSE(parent->isDerivedFrom(child));
  EXPECT_FALSE(child->isDerivedFrom(AcDbLine::desc()));
  EXPECT_FALSE(child->isDerivedFrom(nullptr));
  AcDbLine line;
  EXPECT_FALSE(line.isKindOf(parent));
  EXPECT_TRUE(line.isKindOf(AcDbEntity::desc()));

  deleteAcRxClass(parent);
  EXPECT_FALSE(child->isDerivedFrom(AcDbEntity::desc()));
  EXPECT_TRUE(child->isDerivedFrom(child));

  // Two classes each other's parent: a cast ends, and finds only what the loop holds.
  AcRxClass* a = newAcRxClass(u"QdLineageLoopA", u"QdLineageLoopB", 0, 0);
  AcRxClass* b = newAcRxClass(u"QdLineageLoopB", u"QdLineageLoopA", 0, 0);
  acrxBuildClassHierarchy();
  EXPECT_TRUE(a->isDerivedFrom(b));
  EXPECT_FALSE(a->isDerivedFrom(AcRxObject::desc()));
  deleteAcRxClass(a);
  deleteAcRxClass(b);
  deleteAcRxClass(child);
  acrxBuildClassHierarchy();
}
