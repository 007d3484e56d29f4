// The picture an entity of a module's class records for programs without the module:
// what is recorded plays back as the entity drew it, a drawing saved carries it once, an
// entity whose class is not loaded is drawn from it, and no stream breaks the drawing.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

#include "headless/db/database_impl.h"
#include "headless/db/proxy_graphics.h"
#include "headless/dxf/dxf.h"
#include "headless/render/svg.h"
#include "host/acgi.h"
#include "host/adslib.h"
#include "tests/unit/drawing_fixture.h"

// A sign that draws with every primitive and trait the stream carries.
class QdTestSign : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(QdTestSign);
  AcGePoint3d at{10, 20, 0};
  AcDbObjectId layer, linetype;

  bool worldDraw(AcGiWorldDraw* mode) override {
    AcGiGeometry& g = mode->geometry();
    AcGiSubEntityTraits& traits = mode->subEntityTraits();
    traits.setSelectionMarker(3);
    traits.setColor(1);
    if (!layer.isNull()) traits.setLayer(layer);
    if (!linetype.isNull()) traits.setLineType(linetype);
    traits.setLineTypeScale(2.5);
    const AcGePoint3d shaft[3] = {at, {at.x + 5, at.y, 0}, {at.x + 5, at.y + 5, 0}};
    g.polyline(3, shaft);
    const AcGeVector3d up = AcGeVector3d::kZAxis;
    g.polyline(2, shaft, &up);
    traits.setFillType(kAcGiFillAlways);
    g.polygon(3, shaft);
    traits.setFillType(kAcGiFillNever);
    g.circle(at, 1.5, AcGeVector3d::kZAxis);
    g.circularArc(at, 2, AcGeVector3d::kZAxis, AcGeVector3d(0, 1, 0), 1.25);
    g.text(at, AcGeVector3d::kZAxis, AcGeVector3d(1, 0, 0), u"Řez A-A%%d", -1, true,
           AcGiTextStyle(u"isocp.shx", 3.5, 0.8, 0.25));
    AcGeMatrix3d shift = AcGeMatrix3d::translation(AcGeVector3d(100, 0, 0));
    g.pushModelTransform(shift);
    g.circle(at, 0.5, AcGeVector3d::kZAxis);
    g.popModelTransform();
    return true;
  }
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* f) const override {
    AcDbEntity::dxfOutFields(f);
    f->writeString(AcDb::kDxfSubclass, u"QdTestSign");
    f->writePoint3d(AcDb::kDxfXCoord, at);
    return f->filerStatus();
  }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* f) override {
    if (Acad::ErrorStatus es = AcDbEntity::dxfInFields(f); es != Acad::eOk) return es;
    if (!f->atSubclassData(u"QdTestSign")) return f->filerStatus();
    resbuf rb;
    while (f->readItem(&rb) == Acad::eOk)
      if (rb.restype == AcDb::kDxfXCoord) at = AcGePoint3d(rb.resval.rpoint);
    return Acad::eOk;
  }
};
ACRX_DXF_DEFINE_MEMBERS(QdTestSign, AcDbEntity, 0, 0, 0, QDTESTSIGN, QdTestSignApp)

namespace {

// Writes down every call, with numbers rounded, so that two drawings compare as text.
class Log : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  std::string calls;
  int depth = 0;

  AcGiWorldGeometry& geometry() const override { return *const_cast<Log*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<Log*>(this); }
  void setColor(uint16_t c) override { line("color " + std::to_string(c)); }
  uint16_t color() const override { return 256; }
  void setLayer(AcDbObjectId id) override { line("layer " + std::to_string(id.handle().value())); }
  void setLineType(AcDbObjectId id) override { line("linetype " + std::to_string(id.handle().value())); }
  void setSelectionMarker(intptr_t m) override { line("marker " + std::to_string(m)); }
  void setFillType(AcGiFillType t) override { line(t == kAcGiFillAlways ? "fill on" : "fill off"); }
  void setLineTypeScale(double s) override { line("ltscale " + num(s)); }
  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override {
    line("polyline" + points(n, pts));
    return false;
  }
  bool polygon(uint32_t n, const AcGePoint3d* pts) override {
    line("polygon" + points(n, pts));
    return false;
  }
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override {
    line("circle" + points(1, &c) + " r " + num(r) + " n " + num(n.z));
    return false;
  }
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d&, const AcGeVector3d& s, double sweep) override {
    line("arc" + points(1, &c) + " r " + num(r) + " from " + num(s.x) + "," + num(s.y) + " sweep " + num(sweep));
    return false;
  }
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& p, const AcGeVector3d&, const AcGeVector3d& dir, const ACHAR* msg, int32_t length,
            bool raw, const AcGiTextStyle& style) override {
    const std::u16string s = length < 0 ? std::u16string(msg) : std::u16string(msg, length);
    std::string utf8;
    for (char16_t c : s) utf8 += c < 128 ? std::string(1, static_cast<char>(c)) : "U+" + std::to_string(c);
    std::string font;
    for (const ACHAR* f = style.fileName(); *f; ++f) font += static_cast<char>(*f);
    line("text" + points(1, &p) + " dir " + num(dir.x) + " '" + utf8 + "' raw " + (raw ? "1" : "0") + " h " +
         num(style.textSize()) + " w " + num(style.xScale()) + " o " + num(style.obliquingAngle()) + " font " + font);
    return false;
  }
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override {
    ++depth;
    line("push " + num(m.entry[0][3]));
    return false;
  }
  bool popModelTransform() override {
    --depth;
    line("pop");
    return false;
  }

 private:
  void line(const std::string& s) { calls += s + "\n"; }
  static std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
  }
  static std::string points(uint32_t n, const AcGePoint3d* pts) {
    std::string s;
    for (uint32_t i = 0; i < n; ++i) s += " (" + num(pts[i].x) + "," + num(pts[i].y) + "," + num(pts[i].z) + ")";
    return s;
  }
};

class ProxyGraphics : public DrawingTest {
 protected:
  static void SetUpTestSuite() {
    AcDbDatabase warmup(false);
    QdTestSign::rxInit();
    acrxBuildClassHierarchy();
  }
  AcDbObjectId newRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* rec, const ACHAR* name) {
    AcDbSymbolTable* table = nullptr;
    acdbOpenObject(table, tableId, AcDb::kForWrite);
    rec->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    return id;
  }
  static size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(ProxyGraphics, WhatIsRecordedPlaysBackAsTheEntityDrewIt) {
  auto* sign = new QdTestSign();
  sign->layer = newRecord(db->layerTableId(), new AcDbLayerTableRecord(), u"SIGNS");
  sign->linetype = newRecord(db->linetypeTableId(), new AcDbLinetypeTableRecord(), u"DASHED2");
  append(sign);
  Log direct, played;
  sign->worldDraw(&direct);
  const std::string stream = qd::db::recordProxyGraphics(sign);
  ASSERT_TRUE(qd::db::drawProxyGraphics(stream, db.get(), &played));
  EXPECT_EQ(played.calls, direct.calls);
  EXPECT_NE(played.calls.find("text (10,20,0) dir 1 'U+344ez A-A%%d' raw 1 h 3.5 w 0.8 o 0.25 font isocp.shx"),
            std::string::npos)
      << played.calls;
  EXPECT_NE(played.calls.find("layer " + std::to_string(sign->layer.handle().value())), std::string::npos);
  EXPECT_EQ(played.depth, 0);
  // The stream's head: its size and the number of primitives that follow.
  ASSERT_GE(stream.size(), 8u);
  EXPECT_EQ(static_cast<unsigned char>(stream[0]) | static_cast<unsigned char>(stream[1]) << 8, stream.size());
  EXPECT_EQ(static_cast<unsigned char>(stream[4]), count(direct.calls, "\n"));
}

TEST_F(ProxyGraphics, ASavedDrawingCarriesThemOnceAndADrawingWithoutTheClassDrawsThem) {
  append(new QdTestSign());
  const std::string saved = qd::dxf::write(db.get());
  EXPECT_EQ(count(saved, "\n160\n"), 1u);
  // Opened with the class loaded and saved again: drawn again, not kept beside the new.
  auto again = std::make_unique<AcDbDatabase>(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::read(again.get(), saved, error), Acad::eOk);
  EXPECT_EQ(qd::dxf::write(again.get()), saved);

  // The same file where the class is unknown: the entity is drawn from its graphics.
  std::string foreign = saved;
  for (const char* name : {"QDTESTSIGN", "QdTestSign"})
    for (size_t at = foreign.find(name); at != std::string::npos; at = foreign.find(name, at)) foreign.replace(at, 10, "QdTestGone");
  auto without = std::make_unique<AcDbDatabase>(false);
  ASSERT_EQ(qd::dxf::read(without.get(), foreign, error), Acad::eOk);
  const std::string withClass = qd::render::modelSpaceSvg(again.get());
  EXPECT_EQ(qd::render::modelSpaceSvg(without.get()), withClass);
  EXPECT_GE(count(withClass, "<polyline"), 6u);
  // Kept as they came, and written back once.
  EXPECT_EQ(count(qd::dxf::write(without.get()), "\n160\n"), 1u);
}

TEST_F(ProxyGraphics, NoneAreWrittenWithProxyGraphicsOff) {
  append(new QdTestSign());
  resbuf off;
  off.restype = RTSHORT;
  off.resval.rint = 0;
  ASSERT_EQ(acedSetVar(u"PROXYGRAPHICS", &off), RTNORM);
  const std::string saved = qd::dxf::write(db.get());
  EXPECT_EQ(count(saved, "\n160\n"), 0u);
  EXPECT_NE(saved.find("$PROXYGRAPHICS\n 70\n0\n"), std::string::npos);
  off.resval.rint = 2;
  EXPECT_EQ(acedSetVar(u"PROXYGRAPHICS", &off), RTERROR);
}

// Every cut and every flipped byte of a stream draws what it can, inside the stream, with
// the transforms balanced; a stream that claims more than it holds draws nothing past it.
TEST_F(ProxyGraphics, BrokenStreamsNeverReadPastTheirEnd) {
  auto* sign = new QdTestSign();
  append(sign);
  const std::string stream = qd::db::recordProxyGraphics(sign);
  for (size_t cut = 0; cut < stream.size(); ++cut) {
    Log log;
    qd::db::drawProxyGraphics(std::string_view(stream).substr(0, cut), db.get(), &log);
    ASSERT_EQ(log.depth, 0) << cut;
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bent = stream;
    for (int k = 0; k < 4; ++k) bent[random() % bent.size()] = static_cast<char>(random());
    Log log;
    qd::db::drawProxyGraphics(bent, db.get(), &log);
    ASSERT_EQ(log.depth, 0) << round;
  }
  // A polyline that claims four billion points, and a primitive of size zero.
  std::string huge("\x00\x00\x00\x00\x01\x00\x00\x00\x14\x00\x00\x00\x06\x00\x00\x00\xff\xff\xff\xff", 20);
  Log log;
  EXPECT_FALSE(qd::db::drawProxyGraphics(huge, db.get(), &log));
  EXPECT_EQ(log.calls, "");
  std::string zero("\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x06\x00\x00\x00", 16);
  EXPECT_FALSE(qd::db::drawProxyGraphics(zero, db.get(), &log));
  // Transforms pushed and never popped are popped at the end, no deeper than a bound.
  std::string pushes("\x00\x00\x00\x00\x00\x00\x00\x00", 8);
  for (int i = 0; i < 500; ++i) {
    pushes += std::string("\x88\x00\x00\x00\x1d\x00\x00\x00", 8);
    pushes += std::string(128, '\0');
  }
  Log nested;
  qd::db::drawProxyGraphics(pushes, db.get(), &nested);
  EXPECT_EQ(nested.depth, 0);
  EXPECT_LE(count(nested.calls, "push"), 64u);
}

}  // namespace
