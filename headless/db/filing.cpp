#include "headless/db/filing.h"

#include <cmath>
#include <vector>

#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "headless/render/font.h"
#include "host/acgi.h"
#include "host/adslib.h"

namespace qd::db {

void readGroupsBySubclass(AcDbDxfFiler* f, const std::function<void(std::u16string_view, const resbuf&)>& apply) {
  std::u16string subclass;
  resbuf rb;
  while (f->readItem(&rb) == Acad::eOk) {
    if (rb.restype == 100) {
      subclass = rb.resval.rstring ? rb.resval.rstring : u"";
      continue;
    }
    apply(subclass, rb);
  }
  f->resetFilerStatus();
}

void keepGroup(std::string& kept, AcDbDxfFiler* f, const resbuf& rb) {
  AcDbDatabase* db = f->database();
  Tag t;
  // From a tag filer the group is taken as read, so a 2-D point stays 2-D.
  auto* tf = dynamic_cast<TagFiler*>(f);
  if (tf && tf->position() > 0 && tf->readTags()[tf->position() - 1].code == rb.restype) t = tf->readTags()[tf->position() - 1];
  else if (!resbufToTag(rb, t)) return;
  // A pointer into another drawing (a record copied from one) would outlive it.
  if (t.kind == TagKind::Id && !t.id.isNull() && t.id.database() != db) return;
  keepTags(kept, db, Tags{t});
}

bool isCommonEntityCode(int code) {
  switch (code) {
    case 5: case 6: case 8: case 48: case 60: case 62: case 67: case 92: case 100: case 102: case 160:
    case 284: case 310: case 330: case 347: case 348: case 360: case 370: case 380: case 390: case 410:
    case 420: case 430: case 440:
      return true;
  }
  return code < 0;
}

bool isOwnCodeAmongCommon(const Tags& tags, size_t i) {
  const int code = tags[i].code;
  return (code == 92 || code == 160) && !(i + 1 < tags.size() && tags[i + 1].code == 310);
}

Tags keptGroups(AcDbDatabase* db, const std::string& kept) {
  Tags all;
  MemoryDwgFiler in(db, kept);
  while (!in.atEnd()) {
    Tags block;
    if (readTagsBinary(&in, block) != Acad::eOk) break;
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

void keepTags(std::string& kept, AcDbDatabase* db, const Tags& tags) {
  // One block each time, appended: the blocks are read back one after the other.
  MemoryDwgFiler out(db);
  writeTagsBinary(&out, tags);
  kept += out.bytes();
}

void writeTags(AcDbDxfFiler* f, const Tags& tags) {
  // To a tag filer as they are (a 2-D point stays 2-D); to any other through buffers.
  auto* tf = dynamic_cast<TagFiler*>(f);
  for (const Tag& t : tags) {
    if (tf) {
      tf->append(t);
      continue;
    }
    resbuf* rb = tagToResbuf(t);
    f->writeItem(*rb);
    acutRelRb(rb);
  }
}

void writeKeptGroups(AcDbDxfFiler* f, const std::string& kept) {
  if (!kept.empty()) writeTags(f, keptGroups(f->database(), kept));
}

Acad::ErrorStatus dwgOutViaDxf(const AcDbObject* obj, AcDbDwgFiler* f,
                               const std::function<Acad::ErrorStatus(AcDbDxfFiler*)>& out) {
  TagFiler tags(obj->database() ? obj->database() : f->database(), f->filerType(), true);
  out(&tags);
  writeTagsBinary(f, tags.tags());
  return f->filerStatus();
}

Acad::ErrorStatus dwgInViaDxf(AcDbObject* obj, AcDbDwgFiler* f,
                              const std::function<Acad::ErrorStatus(AcDbDxfFiler*)>& in) {
  Tags tags;
  if (Acad::ErrorStatus es = readTagsBinary(f, tags); es != Acad::eOk) return es;
  TagFiler filer(obj->database() ? obj->database() : f->database(), std::move(tags), f->filerType());
  in(&filer);
  return f->filerStatus();
}

AcGeVector3d arbitraryXAxis(const AcGeVector3d& normal) {
  const AcGeVector3d n = normal.normal();
  const double limit = 1.0 / 64.0;
  if (std::fabs(n.x) < limit && std::fabs(n.y) < limit) return AcGeVector3d::kYAxis.crossProduct(n).normal();
  return AcGeVector3d::kZAxis.crossProduct(n).normal();
}

AcGeMatrix3d ecsToWcs(const AcGeVector3d& normal) {
  const AcGeVector3d n = normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal();
  if (n.isEqualTo(AcGeVector3d::kZAxis)) return AcGeMatrix3d();
  const AcGeVector3d ax = arbitraryXAxis(n);
  const AcGeVector3d ay = n.crossProduct(ax).normal();
  return AcGeMatrix3d::alignCoordSys(AcGePoint3d::kOrigin, ax, ay, n);
}

namespace {
// Collects the extents of the geometry an entity draws.
class ExtentsCollector : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  AcDbExtents extents;
  std::vector<AcGeMatrix3d> stack{AcGeMatrix3d()};

  AcGiWorldGeometry& geometry() const override { return *const_cast<ExtentsCollector*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<ExtentsCollector*>(this); }
  void setColor(uint16_t) override {}
  uint16_t color() const override { return 7; }
  void setLayer(AcDbObjectId) override {}
  void setSelectionMarker(intptr_t) override {}

  void add(const AcGePoint3d& p) { extents.addPoint(stack.back() * p); }
  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d*, intptr_t) override {
    for (uint32_t i = 0; i < n; ++i) add(pts[i]);
    return false;
  }
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override {
    const AcGeMatrix3d ecs = ecsToWcs(n);
    for (int i = 0; i < 64; ++i) {
      const double a = i * 2 * M_PI / 64;
      add(c + ecs.applyTo(AcGeVector3d(std::cos(a) * r, std::sin(a) * r, 0)));
    }
    return false;
  }
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override {
    const AcGeVector3d sx = start.normal(), sy = n.normal().crossProduct(sx);
    for (int i = 0; i <= 32; ++i) {
      const double a = sweep * i / 32;
      add(c + sx * (std::cos(a) * r) + sy * (std::sin(a) * r));
    }
    return false;
  }
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
            int32_t length, bool raw, const AcGiTextStyle& style) override {
    const std::u16string_view shown = length < 0 ? std::u16string_view(msg) : std::u16string_view(msg, length);
    const font::Face& face = font::faceFor(style.fileName());
    const double h = style.textSize(), w = style.xScale(), oblique = style.obliquingAngle();
    const font::Box b = font::measure(shown, h, w, oblique, face, raw);
    const AcGeVector3d xd = dir.normal(), yd = n.normal().crossProduct(xd);
    add(pos + xd * b.x1 + yd * b.y1);
    add(pos + xd * b.x2 + yd * b.y1);
    add(pos + xd * b.x2 + yd * b.y2);
    add(pos + xd * b.x1 + yd * b.y2);
    return false;
  }
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override {
    // Deeper nesting is refused (true: not pushed), so a block that inserts itself stops.
    if (stack.size() > kMaxBlockNesting) return true;
    stack.push_back(stack.back() * m);
    return false;
  }
  bool popModelTransform() override {
    if (stack.size() > 1) stack.pop_back();
    return false;
  }
};
}  // namespace

Acad::ErrorStatus extentsFromDrawing(AcDbEntity* ent, AcDbExtents& extents) {
  ExtentsCollector c;
  ent->worldDraw(&c);
  extents = c.extents;
  return extents.isValid() ? Acad::eOk : Acad::eInvalidExtents;
}

}  // namespace qd::db
