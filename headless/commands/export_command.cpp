// -EXPORTTOAUTOCAD: a copy of the drawing for programs without the modules, in which
// every object of a module's class (and every proxy with graphics) is exploded into the
// basic objects it draws. The drawing itself is not changed.
#include <cmath>
#include <filesystem>

#include "headless/commands/host_commands.h"
#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/proxy_graphics.h"
#include "headless/dxf/dxf.h"
#include "host/acgi.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {
namespace {

// Makes the basic objects a drawing consists of: lines, polylines, circles, arcs, texts.
class PieceMaker : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  // Pieces take the properties of `from`, then those the drawing sets.
  explicit PieceMaker(const AcDbEntity* from) : m_db(from->database()), m_from(from) {}
  std::vector<AcDbEntity*> pieces;

  AcGiWorldGeometry& geometry() const override { return *const_cast<PieceMaker*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<PieceMaker*>(this); }
  void setColor(uint16_t color) override { m_color = color; }
  uint16_t color() const override { return m_color; }
  void setLayer(AcDbObjectId id) override { m_layer = id; }
  void setLineType(AcDbObjectId id) override { m_linetype = id; }
  void setSelectionMarker(intptr_t) override {}

  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override {
    addPolyline(n, pts, false);
    return false;
  }
  bool polygon(uint32_t n, const AcGePoint3d* pts) override {
    addPolyline(n, pts, true);
    return false;
  }
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override {
    add(new AcDbCircle(c, n, r));
    return false;
  }
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override {
    // Angles are measured in the arc's own plane, from its X axis.
    const AcGeVector3d s = db::ecsToWcs(n).inverse().applyTo(start);
    double from = std::atan2(s.y, s.x), to = from + sweep;
    if (sweep < 0) std::swap(from, to);
    auto* arc = new AcDbArc(c, r, from, to);
    arc->setNormal(n);
    add(arc);
    return false;
  }
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
            int32_t length, bool, const AcGiTextStyle& style) override {
    const std::u16string shown = length < 0 ? std::u16string(msg) : std::u16string(msg, length);
    auto* t = new AcDbText();
    t->setTextString(shown.c_str());
    t->setHeight(style.textSize());
    t->setWidthFactor(style.xScale());
    t->setOblique(style.obliquingAngle());
    const AcGeVector3d d = db::ecsToWcs(n).inverse().applyTo(dir);
    t->setRotation(std::atan2(d.y, d.x));
    t->setNormal(n);
    t->setPosition(pos);
    const AcDbObjectId styleId = styleWithFont(style.fileName());
    if (!styleId.isNull()) t->setTextStyle(styleId);
    add(t);
    return false;
  }
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override {
    m_stack.push_back(m_stack.back() * m);
    return false;
  }
  bool popModelTransform() override {
    if (m_stack.size() > 1) m_stack.pop_back();
    return false;
  }

 private:
  void addPolyline(uint32_t n, const AcGePoint3d* pts, bool closed) {
    if (n < 2) return;
    bool flat = true;
    for (uint32_t i = 0; i < n; ++i) flat = flat && std::abs(pts[i].z - pts[0].z) < 1e-9;
    if (n == 2 || !flat) {
      for (uint32_t i = 0; i + 1 < n; ++i) add(new AcDbLine(pts[i], pts[i + 1]));
      if (closed && n > 2) add(new AcDbLine(pts[n - 1], pts[0]));
      return;
    }
    auto* pl = new AcDbPolyline();
    for (uint32_t i = 0; i < n; ++i) pl->addVertexAt(i, AcGePoint2d(pts[i].x, pts[i].y));
    pl->setElevation(pts[0].z);
    pl->setClosed(closed);
    add(pl);
  }
  void add(AcDbEntity* piece) {
    if (m_stack.size() > 1) piece->transformBy(m_stack.back());
    piece->setPropertiesFrom(m_from);
    if (m_color != 256) piece->setColorIndex(static_cast<int16_t>(m_color));
    if (!m_layer.isNull()) piece->setLayer(m_layer);
    if (!m_linetype.isNull()) piece->setLinetype(linetypeName(m_linetype).c_str());
    pieces.push_back(piece);
  }
  std::u16string linetypeName(AcDbObjectId id) const {
    auto* rec = AcDbSymbolTableRecord::cast(db::implOf(m_db)->peek(id));
    return rec ? std::u16string(rec->nameConst()) : u"BYLAYER";
  }
  AcDbObjectId styleWithFont(const ACHAR* font) const {
    auto* d = db::implOf(m_db);
    auto* table = AcDbSymbolTable::cast(d->peek(d->textStyleTable));
    if (!table || !*font) return {};
    for (const AcDbObjectId& id : AcDbSymbolTableAccess::records(table)) {
      auto* rec = AcDbTextStyleTableRecord::cast(d->peek(id));
      const ACHAR* file = nullptr;
      if (rec && !rec->isErased() && rec->fileName(file) == Acad::eOk && file && qd::text::equalsNoCase(file, font))
        return id;
    }
    return {};
  }

  AcDbDatabase* m_db;
  const AcDbEntity* m_from;
  uint16_t m_color = 256;
  AcDbObjectId m_layer, m_linetype;
  std::vector<AcGeMatrix3d> m_stack{AcGeMatrix3d()};
};

// The basic objects `e` consists of: its own explode, else what it draws. False when it
// is a basic object already, or draws nothing.
bool explodeForExport(AcDbEntity* e, std::vector<AcDbEntity*>& pieces) {
  // Entities of the file's own kinds the host keeps as their groups (multiline texts,
  // hatches, dimensions ...) are basic objects already.
  auto* kept = AcDbUnknownEntity::cast(e);
  const bool unknown = kept && !db::isKnownEntityType(kept->originalDxfName());
  if (db::isBuiltinClass(e->isA()) && !unknown) return false;
  if (!unknown) {
    AcDbVoidPtrArray set;
    if (e->explode(set) == Acad::eOk && set.length() > 0) {
      for (int i = 0; i < set.length(); ++i) {
        auto* piece = static_cast<AcDbEntity*>(set[i]);
        // Pieces made without properties (on layer 0) take the exploded object's.
        if (std::u16string_view(piece->layer()) == u"0") piece->setPropertiesFrom(e);
        pieces.push_back(piece);
      }
      return true;
    }
  }
  PieceMaker maker(e);
  if (unknown) {
    const std::string graphics = db::keptProxyGraphics(e);
    if (graphics.empty()) return false;
    // Only the recorded picture: a proxy's worldDraw would draw its kept groups first.
    db::drawProxyGraphics(graphics, e->database(), &maker);
  } else {
    e->worldDraw(&maker);
  }
  pieces = maker.pieces;
  return !maker.pieces.empty();
}

// Explodes the module objects of every block (model and paper space among them) of a
// drawing; the number exploded.
int explodeModuleObjects(AcDbDatabase* db) {
  auto* d = db::implOf(db);
  auto* blocks = AcDbSymbolTable::cast(d->peek(d->blockTable));
  int exploded = 0;
  for (const AcDbObjectId& blockId : AcDbSymbolTableAccess::records(blocks)) {
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, blockId, AcDb::kForWrite) != Acad::eOk) continue;
    const std::vector<AcDbObjectId> ids = AcDbBlockAccess::entities(block);
    for (const AcDbObjectId& id : ids) {
      AcDbEntity* e = nullptr;
      if (acdbOpenObject(e, id, AcDb::kForWrite) != Acad::eOk) continue;
      std::vector<AcDbEntity*> pieces;
      if (explodeForExport(e, pieces)) {
        for (AcDbEntity* piece : pieces) {
          AcDbObjectId pieceId;
          if (block->appendAcDbEntity(pieceId, piece) == Acad::eOk) piece->close();
          else delete piece;
        }
        e->erase();
        ++exploded;
      }
      e->close();
    }
    block->close();
  }
  return exploded;
}

std::u16string varText(AcDbDatabase* db, const char16_t* name) { return db->impl()->varText(name); }

}  // namespace

int exportToAutocad(AcDbDatabase* db, Args& args) {
  static std::u16string prefix = u"ACAD-", suffix;
  for (;;) {
    std::u16string o;
    if (!args.text(u"Export options [Prefix/Suffix/?] <Enter for filename>: ", o)) return RTCAN;
    o = option(o);
    if (o.empty()) break;
    if (is(o, u"PREFIX", 1)) {
      if (!args.text(u"Enter prefix <" + prefix + u">: ", o)) return RTCAN;
      if (!o.empty()) prefix = o == u"." ? u"" : o;
    } else if (is(o, u"SUFFIX", 1)) {
      if (!args.text(u"Enter suffix <" + suffix + u">: ", o)) return RTCAN;
      if (!o.empty()) suffix = o == u"." ? u"" : o;
    } else if (o == u"?") {
      say(u"Prefix: " + prefix);
      say(u"Suffix: " + suffix);
    } else {
      say(u"Invalid option keyword.");
    }
  }
  const std::filesystem::path name(qd::text::toUtf8(varText(db, u"DWGNAME")));
  const std::u16string proposed = varText(db, u"DWGPREFIX") + prefix +
                                  qd::text::fromUtf8(name.stem().string()) + suffix + u".dxf";
  std::u16string path;
  if (!args.text(u"Export drawing name <" + proposed + u">: ", path)) return RTCAN;
  if (path.empty()) path = proposed;
  if (std::filesystem::path(qd::text::toUtf8(path)).extension().empty()) path += u".dxf";

  // The copy is made through the file the drawing would be saved as, so that it holds
  // exactly what a save keeps.
  AcDbDatabase copy(false);
  std::u16string error;
  if (qd::dxf::read(&copy, qd::dxf::write(db), error) != Acad::eOk) {
    say(u"The drawing could not be copied: " + error);
    return RTERROR;
  }
  const int exploded = explodeModuleObjects(&copy);
  if (qd::dxf::writeFile(&copy, qd::text::toUtf8(path), error) != Acad::eOk) {
    say(error);
    return RTERROR;
  }
  say(qd::text::fromUtf8(std::to_string(exploded)) + u" custom object(s) exploded; the drawing is exported to " + path + u".");
  return RTNORM;
}

}  // namespace qd::commands
