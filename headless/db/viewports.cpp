#include "headless/db/viewports.h"

#include <algorithm>
#include <iterator>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"

// The unknown-entity class lets this one friend reach the groups it keeps.
class AcDbUnknownAccess {
 public:
  static qd::db::Tags groups(const AcDbUnknownEntity* e) { return qd::db::keptGroups(e->database(), e->m_groups); }
  static void setGroups(AcDbUnknownEntity* e, const qd::db::Tags& tags) {
    e->m_groups.clear();
    qd::db::keepTags(e->m_groups, e->database(), tags);
  }
};

namespace qd::db {
namespace {
constexpr int kNumber = 69, kFrozenLayer = 331, kStatusFlags = 90;
}

AcDbUnknownEntity* asViewport(AcDbObject* obj) {
  auto* e = AcDbUnknownEntity::cast(obj);
  return e && std::u16string_view(e->originalDxfName()) == u"VIEWPORT" ? e : nullptr;
}

int viewportNumber(const AcDbUnknownEntity* vp) {
  for (const Tag& t : AcDbUnknownAccess::groups(vp))
    if (t.code == kNumber) return static_cast<int>(t.integer);
  return 0;
}

std::vector<AcDbObjectId> viewportFrozenLayers(const AcDbUnknownEntity* vp) {
  std::vector<AcDbObjectId> out;
  for (const Tag& t : AcDbUnknownAccess::groups(vp))
    if (t.code == kFrozenLayer && !t.id.isNull()) out.push_back(t.id);
  return out;
}

void setViewportFrozenLayers(AcDbUnknownEntity* vp, const std::vector<AcDbObjectId>& layers) {
  Tags tags = AcDbUnknownAccess::groups(vp);
  // The list stands where the file has it: where it stood, else before the status flags.
  auto first = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == kFrozenLayer; });
  if (first == tags.end())
    first = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == kStatusFlags; });
  // Nothing before that place is a frozen layer, so it stays where it is once they go.
  const auto at = first - tags.begin();
  Tags rest;
  std::copy_if(tags.begin(), tags.end(), std::back_inserter(rest), [](const Tag& t) { return t.code != kFrozenLayer; });
  Tags list;
  for (const AcDbObjectId& id : layers) list.push_back(Tag::makeId(kFrozenLayer, id));
  rest.insert(rest.begin() + at, list.begin(), list.end());
  AcDbUnknownAccess::setGroups(vp, rest);
}

std::vector<AcDbObjectId> floatingViewports(AcDbDatabase* db) {
  std::vector<AcDbObjectId> out;
  auto* d = db->impl();
  auto* paper = AcDbBlockTableRecord::cast(d->peek(d->paperSpace));
  if (!paper) return out;
  for (const AcDbObjectId& id : paper->entityIds()) {
    AcDbObject* obj = d->peek(id);
    auto* vp = asViewport(obj);
    if (vp && !vp->isErased() && viewportNumber(vp) > 1) out.push_back(id);
  }
  return out;
}

AcDbObjectId currentViewport(AcDbDatabase* db) {
  auto* d = db->impl();
  if (d->varInt(u"TILEMODE", 1) != 0) return {};
  const int current = d->varInt(u"CVPORT", 1);
  for (const AcDbObjectId& id : floatingViewports(db))
    if (viewportNumber(asViewport(d->peek(id))) == current) return id;
  return {};
}

namespace {
Tags frameGroups(const ViewportFrame& f, int number) {
  const AcGePoint3d origin;
  Tags t = {Tag::makeString(100, u"AcDbViewport"),
            Tag::makePoint(10, f.center),
            Tag::makeReal(40, f.width),
            Tag::makeReal(41, f.height),
            Tag::makeInt(68, 1),
            Tag::makeInt(kNumber, number),
            Tag::makePoint(12, AcGePoint3d(f.viewCenter.x, f.viewCenter.y, 0)),
            Tag::makePoint(13, origin),
            Tag::makePoint(14, AcGePoint3d(10, 10, 0)),
            Tag::makePoint(15, AcGePoint3d(10, 10, 0)),
            Tag::makePoint(16, AcGePoint3d(0, 0, 1)),
            Tag::makePoint(17, origin),
            Tag::makeReal(42, 50),
            Tag::makeReal(43, 0),
            Tag::makeReal(44, 0),
            Tag::makeReal(45, f.viewHeight),
            Tag::makeReal(50, 0),
            Tag::makeReal(51, 0),
            Tag::makeInt(72, 1000),
            Tag::makeInt(kStatusFlags, 32864),
            Tag::makeString(1, u""),
            Tag::makeInt(281, 0),
            Tag::makeInt(71, 1),
            Tag::makeInt(74, 0),
            Tag::makePoint(110, origin),
            Tag::makePoint(111, AcGePoint3d(1, 0, 0)),
            Tag::makePoint(112, AcGePoint3d(0, 1, 0)),
            Tag::makeInt(79, 0),
            Tag::makeReal(146, 0),
            Tag::makeInt(170, 0)};
  for (int code : {12, 13, 14, 15}) {
    auto it = std::find_if(t.begin(), t.end(), [code](const Tag& g) { return g.code == code; });
    it->dims = 2;
  }
  return t;
}
}  // namespace

AcDbObjectId makeViewport(AcDbDatabase* db, const ViewportFrame& frame) {
  auto* d = db->impl();
  int number = 1;
  if (auto* paper = AcDbBlockTableRecord::cast(d->peek(d->paperSpace)))
    for (const AcDbObjectId& id : paper->entityIds())
      if (auto* vp = asViewport(d->peek(id))) number = std::max(number, viewportNumber(vp));
  AcDbBlockTableRecord* paper = nullptr;
  if (acdbOpenObject(paper, d->paperSpace, AcDb::kForWrite) != Acad::eOk) return {};
  auto* vp = new AcDbUnknownEntity();
  vp->setOriginalDxfName(u"VIEWPORT");
  vp->setDatabaseDefaults(db);
  AcDbObjectId id;
  if (paper->appendAcDbEntity(id, vp) != Acad::eOk) {
    delete vp;
    paper->close();
    return {};
  }
  AcDbUnknownAccess::setGroups(vp, frameGroups(frame, number + 1));
  std::vector<AcDbObjectId> frozen;
  auto* layers = AcDbSymbolTable::cast(d->peek(d->layerTable));
  for (const AcDbObjectId& layer : AcDbSymbolTableAccess::records(layers)) {
    auto* rec = AcDbLayerTableRecord::cast(d->peek(layer));
    if (rec && !rec->isErased() && rec->VPDFLT()) frozen.push_back(layer);
  }
  if (!frozen.empty()) setViewportFrozenLayers(vp, frozen);
  vp->close();
  paper->close();
  return id;
}

}  // namespace qd::db
