// Texts as the host measures and draws them: each style's own font, the box of what is
// drawn, every justification placed from its alignment point, and the control codes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/dxf/dxf.h"
#include "headless/render/font.h"
#include "headless/render/strokes.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "platform/codepage.h"

namespace {

struct Ink {
  double x1 = 1e300, y1 = 1e300, x2 = -1e300, y2 = -1e300;
  double width() const { return x2 - x1; }
  double midX() const { return (x1 + x2) / 2; }
  double midY() const { return (y1 + y2) / 2; }
};

class Texts : public ::testing::Test {
 protected:
  void SetUp() override {
    qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    for (const auto& [name, file] : std::vector<std::pair<const char16_t*, const char16_t*>>{
             {u"ROMANS", u"romans.shx"}, {u"ROMAND", u"romand.shx"}, {u"ITALIC", u"italic.shx"},
             {u"ARIAL", u"arial.ttf"}, {u"TIMES", u"times.ttf"}}) {
      qd::ads::RbList style(acutBuildList(RTDXF0, u"STYLE", 2, name, 70, 0, 3, file, 0));
      EXPECT_EQ(acdbEntMake(style.get()), RTNORM) << "style " << qd::text::toUtf8(name);
    }
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }

  // Makes a text aligned at `at` with the given modes; its id.
  AcDbObjectId text(const char16_t* s, const char16_t* style, int h, int v, const double at[3],
                    double rotation = 0) {
    const double origin[3] = {0, 0, 0};
    return made(acutBuildList(RTDXF0, u"TEXT", 7, style, 10, origin, 11, at, 40, 2.5, 50, rotation, 72, h, 73, v, 1,
                              s, 0));
  }
  // Makes an entity from a list; its id.
  static AcDbObjectId made(resbuf* list) {
    qd::ads::RbList owned(list);
    EXPECT_EQ(acdbEntMake(owned.get()), RTNORM);
    ads_name last;
    acdbEntLast(last);
    AcDbObjectId id;
    acdbGetObjectId(id, last);
    return id;
  }
  // The extremes of what the entity draws, in world coordinates.
  static Ink ink(AcDbObjectId id) {
    AcDbEntity* e = nullptr;
    Ink box;
    if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) return box;
    for (const auto& stroke : qd::render::strokesOf(e))
      for (const auto& p : stroke) {
        box.x1 = std::min(box.x1, p.x);
        box.x2 = std::max(box.x2, p.x);
        box.y1 = std::min(box.y1, p.y);
        box.y2 = std::max(box.y2, p.y);
      }
    e->close();
    return box;
  }
  static AcGePoint3d position(AcDbObjectId id) {
    AcDbText* t = nullptr;
    if (acdbOpenObject(t, id, AcDb::kForRead) != Acad::eOk) return {};
    const AcGePoint3d p = t->position();
    t->close();
    return p;
  }
  static qd::font::Box box(const char16_t* s, const char16_t* style) {
    qd::ads::RbList list(acutBuildList(RTDXF0, u"TEXT", 1, s, 40, 2.5, 7, style, 0));
    ads_point lo, hi;
    EXPECT_EQ(acedTextBox(list.get(), lo, hi), RTNORM);
    return {lo[X], lo[Y], hi[X], hi[Y]};
  }
  std::unique_ptr<AcDbDatabase> db;
};

TEST_F(Texts, EachStyleMeasuresWithItsOwnFontAndTheBoxIsWhatIsDrawn) {
  const double at[3] = {0, 0, 0};
  std::vector<double> widths;
  for (const char16_t* style : {u"STANDARD", u"ROMAND", u"ITALIC", u"ARIAL", u"TIMES"}) {
    SCOPED_TRACE(qd::text::toUtf8(style));
    const qd::font::Box b = box(u"Obývací pokoj", style);
    for (double w : widths) EXPECT_GT(std::fabs(b.x2 - b.x1 - w), 0.2) << "two styles measure alike";
    widths.push_back(b.x2 - b.x1);
    // The box is exactly the extremes of the strokes drawn for a text at the origin.
    const Ink drawn = ink(text(u"Obývací pokoj", style, 0, 0, at));
    EXPECT_NEAR(drawn.x1, b.x1, 1e-9);
    EXPECT_NEAR(drawn.x2, b.x2, 1e-9);
    EXPECT_NEAR(drawn.y1, b.y1, 1e-9);
    EXPECT_NEAR(drawn.y2, b.y2, 1e-9);
    // The height is the capital height, in stroke and outline fonts alike; "p" and "j"
    // reach below the baseline.
    const qd::font::Box capital = box(u"H", style);
    EXPECT_NEAR(capital.y1, 0, 1e-6);
    EXPECT_NEAR(capital.y2, 2.5, 0.03);
    EXPECT_LT(box(u"Agjp", style).y1, -0.4);
  }
  // Outline fonts keep their own proportions: Liberation Sans is Arial's metric twin,
  // whose "H" advances 1479 units of its em and stands 1409 high.
  EXPECT_NEAR(qd::font::advance(u"H", 1, 1, qd::font::faceFor(u"arial.ttf")), 1479.0 / 1409, 1e-9);
}

TEST_F(Texts, WidthFactorAndObliquingAreInTheBox) {
  const qd::font::Face& face = qd::font::faceFor(u"romans.shx");
  const qd::font::Box plain = qd::font::measure(u"HH", 2.5, 1, 0, face);
  const qd::font::Box wide = qd::font::measure(u"HH", 2.5, 2, 0, face);
  EXPECT_NEAR(wide.x2 - wide.x1, 2 * (plain.x2 - plain.x1), 1e-9);
  // Slanted by 15 degrees, the top of the last stem leans out by the height's tangent.
  const qd::font::Box slanted = qd::font::measure(u"HH", 2.5, 1, 15 * M_PI / 180, face);
  EXPECT_NEAR(slanted.x2, plain.x2 + 2.5 * std::tan(15 * M_PI / 180), 1e-6);
  EXPECT_NEAR(slanted.y2, plain.y2, 1e-9);
}

TEST_F(Texts, EveryJustificationIsPlacedFromItsAlignmentPoint) {
  const double at[3] = {100, 50, 0};
  for (const char16_t* style : {u"ROMANS", u"ARIAL"}) {
    SCOPED_TRACE(qd::text::toUtf8(style));
    const qd::font::Face& face = qd::font::faceFor(style == std::u16string(u"ARIAL") ? u"arial.ttf" : u"romans.shx");
    for (int h : {0, 1, 2}) {
      for (int v : {0, 1, 2, 3}) {
        if (h == 0 && v == 0) continue;
        SCOPED_TRACE("72=" + std::to_string(h) + " 73=" + std::to_string(v));
        const AcDbObjectId id = text(u"Kuchyň 12", style, h, v, at);
        const Ink drawn = ink(id);
        const AcGePoint3d start = position(id);
        const double expectedX[] = {start.x - 100, drawn.midX() - 100, drawn.x2 - 100};
        EXPECT_NEAR(expectedX[h], 0, 1e-6) << "left at the point, centred on it, or ending at it";
        const double baseline[] = {50, 50 + 2.5 * face.descent(), 50 - 1.25, 50 - 2.5};
        EXPECT_NEAR(start.y, baseline[v], 1e-9);
      }
    }
    // "Middle" centres the glyphs both ways.
    const Ink middle = ink(text(u"Agjp", style, 4, 0, at));
    EXPECT_NEAR(middle.midX(), 100, 1e-6);
    EXPECT_NEAR(middle.midY(), 50, 1e-6);
    // Centred on a turned baseline, the glyphs' middle is still the alignment point.
    const AcDbObjectId turned = text(u"HHHH", style, 4, 0, at, M_PI / 2);
    const Ink upright = ink(turned);
    EXPECT_NEAR(upright.midX(), 100, 1e-6);
    EXPECT_NEAR(upright.midY(), 50, 1e-6);
    EXPECT_GT(upright.y2 - upright.y1, upright.x2 - upright.x1);
  }
}

TEST_F(Texts, FittedAndAlignedTextsSpanTheirTwoPoints) {
  const double a[3] = {10, 0, 0}, b[3] = {50, 0, 0};
  auto make = [&](int mode) {
    return made(acutBuildList(RTDXF0, u"TEXT", 7, u"ROMANS", 10, a, 11, b, 40, 2.5, 41, 0.8, 72, mode, 1, u"Pokoj", 0));
  };
  const qd::font::Face& face = qd::font::faceFor(u"romans.shx");
  const Ink fitted = ink(make(5));
  EXPECT_NEAR(fitted.x2, 50, 1e-6);
  EXPECT_NEAR(fitted.y2, qd::font::measure(u"Pokoj", 2.5, 1, 0, face).y2, 1e-9);  // the height stays
  const Ink aligned = ink(make(3));
  EXPECT_NEAR(aligned.x2, 50, 1e-6);
  // Aligned keeps the width factor and takes the height that fills the span.
  const double height = 40 / qd::font::measure(u"Pokoj", 1, 0.8, 0, face).x2;
  EXPECT_NEAR(aligned.y2, qd::font::measure(u"Pokoj", height, 0.8, 0, face).y2, 1e-9);
}

TEST_F(Texts, AChangedTextIsPlacedAnewWhenClosedAndAfterEntmod) {
  const double at[3] = {100, 50, 0};
  const AcDbObjectId id = text(u"A", u"ROMANS", 2, 0, at);
  AcDbText* t = nullptr;
  ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForWrite), Acad::eOk);
  t->setTextString(u"A much longer name");
  t->close();
  EXPECT_NEAR(ink(id).x2, 100, 1e-6);
  ads_name name;
  acdbGetAdsName(name, id);
  qd::ads::RbList change(acutBuildList(-1, name, 1, u"B", 7, u"ARIAL", 0));
  ASSERT_EQ(acdbEntMod(change.get()), RTNORM);
  EXPECT_NEAR(ink(id).x2, 100, 1e-6);
  EXPECT_LT(ink(id).width(), 2.5);
}

TEST_F(Texts, ControlCodesMeasureAsWhatTheyShowInEveryFont) {
  for (const char16_t* file : {u"romans.shx", u"arial.ttf"}) {
    SCOPED_TRACE(qd::text::toUtf8(file));
    const qd::font::Face& face = qd::font::faceFor(file);
    EXPECT_DOUBLE_EQ(qd::font::advance(u"%%c50", 2.5, 1, face), qd::font::advance(u"\u230050", 2.5, 1, face));
    EXPECT_DOUBLE_EQ(qd::font::advance(u"90%%d", 2.5, 1, face), qd::font::advance(u"90°", 2.5, 1, face));
    EXPECT_DOUBLE_EQ(qd::font::advance(u"%%p5", 2.5, 1, face), qd::font::advance(u"±5", 2.5, 1, face));
    EXPECT_DOUBLE_EQ(qd::font::advance(u"%%u12%%u", 2.5, 1, face), qd::font::advance(u"12", 2.5, 1, face));
    EXPECT_DOUBLE_EQ(qd::font::advance(u"%%o12", 2.5, 1, face), qd::font::advance(u"12", 2.5, 1, face));
    EXPECT_DOUBLE_EQ(qd::font::advance(u"%%177", 2.5, 1, face), qd::font::advance(u"±", 2.5, 1, face));
    // %%u and %%o draw a line under and over what lies between them (to the end when
    // left open), a fifth of the height away from the letters' baseline and top.
    const qd::font::Box under = qd::font::measure(u"%%uHH%%u", 2.5, 1, 0, face);
    EXPECT_NEAR(under.y1, -0.5, 0.09);
    EXPECT_NEAR(under.x2 - under.x1, qd::font::advance(u"HH", 2.5, 1, face), 0.01);
    EXPECT_NEAR(qd::font::measure(u"H%%oH", 2.5, 1, 0, face).y2, 3.0, 0.09);
    EXPECT_NEAR(qd::font::measure(u"HH", 2.5, 1, 0, face).y1, 0, 1e-9);
    // Raw, the codes are drawn as they are written.
    EXPECT_GT(qd::font::measure(u"%%c", 2.5, 1, 0, face, true).x2, qd::font::measure(u"%%c", 2.5, 1, 0, face).x2);
  }
  // The code page's characters are drawn as themselves: an outline font has them.
  const qd::font::Face& arial = qd::font::faceFor(u"arial.ttf");
  EXPECT_NE(qd::font::advance(u"²", 2.5, 1, arial), qd::font::advance(u"?", 2.5, 1, arial));
  EXPECT_NE(qd::font::strokes(u"ř", 2.5, 1, 0, arial).size(), qd::font::strokes(u"r", 2.5, 1, 0, arial).size());
}

TEST(FloorPlan, RoomNamesAreDrawnCentredInTheirRooms) {
  qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
  AcDbDatabase db(false);
  std::u16string error;
  ASSERT_EQ(qd::dxf::readFile(&db, std::string(QD_SOURCE_DIR) + "/examples/floor_plan.dxf", error), Acad::eOk);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  auto* d = db.impl();
  auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace));
  ASSERT_NE(ms, nullptr);
  int rooms = 0;
  for (const AcDbObjectId& id : ms->entityIds()) {
    auto* text = AcDbText::cast(d->peek(id));
    if (!text || AcDbAttribute::cast(text)) continue;
    SCOPED_TRACE(qd::text::toUtf8(text->textStringConst()));
    Ink ink;
    for (const auto& stroke : qd::render::strokesOf(text))
      for (const auto& p : stroke) {
        ink.x1 = std::min(ink.x1, p.x), ink.x2 = std::max(ink.x2, p.x);
        ink.y1 = std::min(ink.y1, p.y), ink.y2 = std::max(ink.y2, p.y);
      }
    // The living room (0 to 3000) holds a middle-centred name, the bedroom (3000 to 6000)
    // a bottom-centred one turned upright: both centred on their alignment points.
    const AcGePoint3d at = text->alignmentPoint();
    const double room = at.x < 3000 ? 0 : 3000;
    EXPECT_GT(ink.x1, room);
    EXPECT_LT(ink.x2, room + 3000);
    EXPECT_GT(ink.y1, 0);
    EXPECT_LT(ink.y2, 4000);
    EXPECT_EQ(text->horizontalMode(), AcDb::kTextCenter);
    if (text->verticalMode() == AcDb::kTextVertMid) {
      EXPECT_NEAR(ink.midX(), at.x, 1e-6);
      EXPECT_NEAR(text->position().y, at.y - 125, 1e-6);  // the baseline half the height below
    } else {
      // Turned 90 degrees, the name runs up: centred along y, its font's descenders
      // standing on the point (up is -x).
      EXPECT_NEAR(ink.midY(), at.y, 1e-6);
      EXPECT_NEAR(text->position().x, at.x - 250 * qd::font::faceFor(u"arial.ttf").descent(), 1e-6);
    }
    ++rooms;
  }
  EXPECT_EQ(rooms, 2);
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

TEST(Fonts, AnUnknownFontFallsBackOnceNamedAndAMissingFolderStillDraws) {
  std::vector<std::u16string> notes;
  qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
  qd::font::setNoticeSink([&notes](const std::u16string& s) { notes.push_back(s); });
  const qd::font::Face& odd = qd::font::faceFor(u"C:\\Fonts\\Qd_Odd.SHX");
  qd::font::faceFor(u"qd_odd.shx");
  EXPECT_EQ(odd.fileName(), "rowmans.jhf");
  EXPECT_EQ(qd::font::faceFor(u"unknown.ttf").fileName(), "LiberationSans-Regular.ttf");
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find(u"Qd_Odd.SHX"), std::u16string::npos);
  // A style font without extension is a shape font; a shipped file may be named itself.
  EXPECT_EQ(qd::font::faceFor(u"ROMAND").fileName(), "rowmand.jhf");
  EXPECT_EQ(qd::font::faceFor(u"timesi.jhf").fileName(), "timesi.jhf");
  EXPECT_EQ(notes.size(), 2u);

  qd::font::setFontFolder("/nonexistent/fonts");
  const qd::font::Box b = qd::font::measure(u"AB", 2, 1, 0, qd::font::faceFor(u"romans.shx"));
  EXPECT_GT(b.x2, b.x1);
  EXPECT_EQ(notes.size(), 3u);
  qd::font::setNoticeSink(nullptr);
  qd::font::setFontFolder(std::string(QD_SOURCE_DIR) + "/data/fonts");
}

}  // namespace
