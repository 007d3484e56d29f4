// Entity lists: entget, entmake, entmod, entdel, walking, handles, tables.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <unordered_set>

#include "headless/ads/entity_lists.h"
#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::ads::RbList;
using qd::db::Tag;
using qd::db::TagFiler;
using qd::db::Tags;

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
  id.setNull();
  if (!name) return Acad::eInvalidAdsName;
  auto* stub = reinterpret_cast<AcDbStub*>(name[0]);
  if (!stub || name[1] != 0 || !qd::db::isLiveStub(stub)) return Acad::eInvalidAdsName;
  id = AcDbObjectId(stub);
  return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id) {
  name[0] = id.asOldId();
  name[1] = 0;
  return id.isNull() ? Acad::eNullObjectId : Acad::eOk;
}

namespace qd::ads {

std::u16string dxfNameOf(const AcDbObject* obj) {
  if (auto* u = AcDbUnknownEntity::cast(obj)) return u->originalDxfName();
  if (auto* u = AcDbUnknownObject::cast(obj)) return u->originalDxfName();
  return obj->isA()->dxfName();
}

namespace {
// Entities kept as their groups hold angles (50 to 58) as the file does, in degrees;
// entity lists give every entity's angles in radians.
void keptAngles(Tags& tags, double factor) {
  for (Tag& t : tags)
    if (t.kind == qd::db::TagKind::Real && t.code >= 50 && t.code <= 58) t.real *= factor;
}
}  // namespace

Tags objectTags(const AcDbObject* obj) {
  TagFiler f(obj->database());
  obj->dxfOutFields(&f);
  if (AcDbUnknownEntity::cast(obj)) keptAngles(f.tags(), M_PI / 180.0);
  return std::move(f.tags());
}

Tags keptForm(const AcDbObject* obj, Tags tags) {
  if (AcDbUnknownEntity::cast(obj)) keptAngles(tags, 180.0 / M_PI);
  return tags;
}

std::u16string layoutNameOf(AcDbDatabase::Impl* d, AcDbObjectId block) {
  if (block == d->modelSpace) return u"Model";
  for (const AcDbObjectId& id : d->layoutObjects) {
    auto* layout = AcDbUnknownObject::cast(d->peek(id));
    if (!layout || layout->isErased()) continue;
    const db::Tags tags = objectTags(layout);
    std::u16string name;
    bool ours = false;
    for (const auto& t : tags) {
      if (t.code == 1) name = t.str;
      if (t.kind == db::TagKind::Id && t.id == block) ours = true;
    }
    if (ours) return name;
  }
  auto* btr = AcDbBlockTableRecord::cast(d->peek(block));
  return btr ? std::u16string(btr->nameConst()) : u"";
}

}  // namespace qd::ads

resbuf* acdbEntGetX(const ads_name ent, const resbuf* apps) {
  AcDbObjectId id;
  if (acdbGetObjectId(id, ent) != Acad::eOk || !id.isValid() || id.isErased()) return nullptr;
  const AcDbObject* obj = id.stub()->object;
  RbList list(acutBuildList(-1, ent, RTDXF0, qd::ads::dxfNameOf(obj).c_str(), 0));
  // Reactors and the extension dictionary, bracketed by 102 groups, before the owner.
  ads_name other;
  bool anyReactor = false;
  for (const AcDbObjectId& r : obj->persistentReactors()) {
    if (!r.isValid() || acdbGetAdsName(other, r) != Acad::eOk) continue;
    if (!anyReactor) qd::ads::append(list.get(), acutBuildList(102, u"{ACAD_REACTORS", 0));
    anyReactor = true;
    qd::ads::append(list.get(), acutBuildList(330, other, 0));
  }
  if (anyReactor) qd::ads::append(list.get(), acutBuildList(102, u"}", 0));
  if (const AcDbObjectId dict = obj->extensionDictionary(); dict.isValid() && acdbGetAdsName(other, dict) == Acad::eOk)
    qd::ads::append(list.get(), acutBuildList(102, u"{ACAD_XDICTIONARY", 360, other, 102, u"}", 0));
  if (!obj->ownerId().isNull()) {
    ads_name owner;
    acdbGetAdsName(owner, obj->ownerId());
    qd::ads::append(list.get(), acutBuildList(330, owner, 0));
  }
  ACHAR handle[20];
  id.handle().getIntoAsciiBuffer(handle);
  qd::ads::append(list.get(), acutBuildList(5, handle, 0));
  // An entity of a layout names it (410) after its common subclass marker, as the host's do.
  const bool inLayout = AcDbEntity::cast(obj) && AcDbBlockTableRecord::cast(obj->database()->impl()->peek(obj->ownerId())) &&
                        AcDbBlockTableRecord::cast(obj->database()->impl()->peek(obj->ownerId()))->isLayout();
  for (const Tag& t : qd::ads::objectTags(obj)) {
    qd::ads::append(list.get(), qd::db::tagToResbuf(t));
    if (inLayout && t.code == 100 && t.str == u"AcDbEntity") {
      const std::u16string layout = qd::ads::layoutNameOf(obj->database()->impl(), obj->ownerId());
      qd::ads::append(list.get(), acutBuildList(410, layout.c_str(), 0));
    }
  }
  if (apps) {
    std::u16string pattern;
    for (const resbuf* a = apps; a; a = a->rbnext) {
      if (a->restype != RTSTR || !a->resval.rstring) continue;
      if (!pattern.empty()) pattern += u",";
      pattern += a->resval.rstring;
    }
    if (resbuf* xd = qd::ads::xdataOfApps(AcDbObjectAccess::xdata(const_cast<AcDbObject*>(obj)), pattern)) {
      qd::ads::append(list.get(), acutNewRb(-3));
      qd::ads::append(list.get(), xd);
    }
  }
  return list.release();
}

resbuf* acdbEntGet(const ads_name ent) { return acdbEntGetX(ent, nullptr); }

namespace {

struct SplitList {
  std::u16string type;
  Tags data;
  resbuf* xdata = nullptr;  // borrowed from the input list
  AcDbObjectId self;
  bool ok = true;
};

// Separates an entity list into its type, its data groups and its extended data.
SplitList splitList(const resbuf* list) {
  SplitList s;
  for (const resbuf* rb = list; rb; rb = rb->rbnext) {
    switch (rb->restype) {
      case -1:
        acdbGetObjectId(s.self, rb->resval.rlname);
        continue;
      case 0:
        if (!rb->resval.rstring) s.ok = false;
        else s.type = qd::text::toUpper(rb->resval.rstring);
        continue;
      case -3: s.xdata = rb->rbnext; return s;
      case 5:
      case 330:
      case 360:
      case 102:
      case -2:
      case -4:
        continue;
    }
    Tag t;
    if (!qd::db::resbufToTag(*rb, t)) {
      s.ok = false;
      return s;
    }
    s.data.push_back(std::move(t));
  }
  return s;
}

// Creates any layer the list names, as the host does for entmake.
void ensureLayer(AcDbDatabase* db, const Tags& data) {
  for (const Tag& t : data) {
    if (t.code != 8 || t.str.empty()) continue;
    auto* d = db->impl();
    if (!d->recordId(d->layerTable, t.str).isNull()) continue;
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) continue;
    auto* rec = new AcDbLayerTableRecord();
    if (rec->setName(t.str.c_str()) != Acad::eOk || table->add(rec) != Acad::eOk) delete rec;
    else rec->close();
    table->close();
  }
}

bool referencesExist(AcDbDatabase* db, const AcDbEntity* ent) {
  auto* d = db->impl();
  const std::u16string lt = qd::text::toUpper(ent->linetype());
  if (lt != u"BYLAYER" && lt != u"BYBLOCK" && d->recordId(d->linetypeTable, ent->linetype()).isNull()) return false;
  if (auto* text = AcDbText::cast(ent); text && d->recordId(d->textStyleTable, text->textStyleName()).isNull())
    return false;
  if (auto* ref = AcDbBlockReference::cast(ent); ref && ref->blockTableRecord().isNull()) return false;
  return true;
}

// The entity's groups with those of an entmod list put in: a group the entity has once
// takes the new value in its place, a repeated one (vertices) is replaced as a run, a new
// common property joins the entity's common groups. Everything the list leaves out
// stays as it is, as the host's entmod leaves it.
Tags mergeGroups(Tags current, const Tags& given) {
  auto count = [](const Tags& tags, int code) {
    return std::count_if(tags.begin(), tags.end(), [code](const Tag& t) { return t.code == code; });
  };
  std::set<int> done;
  for (const Tag& g : given) {
    // Subclass markers are the list's structure, not values to set.
    if (g.code == 100 || !done.insert(g.code).second) continue;
    Tags run;
    for (const Tag& t : given)
      if (t.code == g.code) run.push_back(t);
    const auto first = std::find_if(current.begin(), current.end(), [&](const Tag& t) { return t.code == g.code; });
    if (first != current.end() && count(current, g.code) == 1 && run.size() == 1) {
      *first = run.front();
      continue;
    }
    size_t at = first == current.end() ? current.size() : static_cast<size_t>(first - current.begin());
    if (first == current.end()) {
      // A common property the entity did not file goes after its common subclass marker.
      const bool common = g.code == 8 || g.code == 6 || g.code == 62 || g.code == 370 || g.code == 48 || g.code == 60;
      const auto marker = std::find_if(current.begin(), current.end(),
                                       [](const Tag& t) { return t.code == 100 && t.str == u"AcDbEntity"; });
      if (common && marker != current.end()) at = static_cast<size_t>(marker - current.begin()) + 1;
    }
    current.erase(std::remove_if(current.begin(), current.end(), [&](const Tag& t) { return t.code == g.code; }),
                  current.end());
    at = std::min(at, current.size());
    current.insert(current.begin() + static_cast<long>(at), run.begin(), run.end());
  }
  return current;
}

int appendToSpace(AcDbDatabase* db, AcDbEntity* ent, AcDbObjectId space, AcDbObjectId& id) {
  AcDbBlockTableRecord* btr = nullptr;
  if (acdbOpenObject(btr, space, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  const Acad::ErrorStatus es = btr->appendAcDbEntity(id, ent);
  if (es == Acad::eOk) ent->close();
  btr->close();
  return es == Acad::eOk ? RTNORM : RTERROR;
}

// A symbol table record of the list's type (a text style, a layer ...), added to its
// table; a name the table already holds, or a record without a name, is refused.
int makeTableRecord(AcDbDatabase* db, AcRxClass* cls, const SplitList& s, ads_name result) {
  std::unique_ptr<AcDbSymbolTableRecord> rec(AcDbSymbolTableRecord::cast(cls->create()));
  auto* d = db->impl();
  if (!rec || AcDbBlockTableRecord::cast(rec.get()) || AcDbViewportTableRecord::cast(rec.get())) return RTERROR;
  TagFiler f(db, s.data);
  if (rec->dxfInFields(&f) != Acad::eOk || !rec->nameConst()[0]) return RTERROR;
  if (s.xdata && rec->setXData(s.xdata) != Acad::eOk) return RTERROR;
  AcDbObjectId tableId;
  if (AcDbLayerTableRecord::cast(rec.get())) tableId = d->layerTable;
  else if (AcDbLinetypeTableRecord::cast(rec.get())) tableId = d->linetypeTable;
  else if (AcDbTextStyleTableRecord::cast(rec.get())) tableId = d->textStyleTable;
  else if (AcDbDimStyleTableRecord::cast(rec.get())) tableId = d->dimStyleTable;
  else if (AcDbRegAppTableRecord::cast(rec.get())) tableId = d->regAppTable;
  else if (AcDbUCSTableRecord::cast(rec.get())) tableId = d->ucsTable;
  else if (AcDbViewTableRecord::cast(rec.get())) tableId = d->viewTable;
  if (tableId.isNull() || !d->recordId(tableId, rec->nameConst()).isNull()) return RTERROR;
  AcDbSymbolTable* table = nullptr;
  if (acdbOpenObject(table, tableId, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  AcDbObjectId id;
  const Acad::ErrorStatus es = table->add(id, rec.get());
  table->close();
  if (es != Acad::eOk) return RTERROR;
  rec.release()->close();
  if (result) acdbGetAdsName(result, id);
  return RTNORM;
}

}  // namespace

int acdbEntMakeX(const resbuf* list, ads_name result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !list) return RTERROR;
  SplitList s = splitList(list);
  if (!s.ok || s.type.empty()) return RTERROR;
  auto& session = qd::ads::session();
  // What was begun for another drawing (since closed, or not the working one) is dropped:
  // its entities name that drawing's records.
  if (session.pendingDrawing != db->impl()->serial) {
    session.pendingEntities.clear();
    session.pendingBlock.reset();
    session.pendingComplex.reset();
    session.pendingDrawing = db->impl()->serial;
  }

  // A block definition: BLOCK opens it, entities go into it, ENDBLK adds it.
  if (s.type == u"BLOCK") {
    auto* btr = new AcDbBlockTableRecord();
    TagFiler f(db, s.data);
    btr->dxfInFields(&f);
    session.pendingBlock.reset(btr);
    return RTNORM;
  }
  if (s.type == u"ENDBLK") {
    if (!session.pendingBlock) return RTERROR;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return RTERROR;
    AcDbBlockTableRecord* btr = session.pendingBlock.release();
    AcDbObjectId btrId;
    const Acad::ErrorStatus es = table->add(btrId, btr);
    table->close();
    if (es != Acad::eOk) {
      delete btr;
      session.pendingEntities.clear();
      return RTERROR;
    }
    for (auto& e : session.pendingEntities) {
      AcDbEntity* ent = e.release();
      if (btr->appendAcDbEntity(ent) == Acad::eOk) ent->close();
      else delete ent;
    }
    session.pendingEntities.clear();
    btr->close();
    if (result) acdbGetAdsName(result, btrId);
    return RTNORM;
  }

  AcRxClass* cls = acrxFindClassByDxfName(s.type.c_str());
  if (cls && cls->isDerivedFrom(AcDbSymbolTableRecord::desc())) return makeTableRecord(db, cls, s, result);
  std::unique_ptr<AcDbEntity> ent;
  if (cls && cls->isDerivedFrom(AcDbEntity::desc())) {
    ent.reset(AcDbEntity::cast(cls->create()));
  } else if (!cls && qd::db::isKnownEntityType(s.type)) {
    // A standard entity the host keeps as its groups, as it keeps those it reads.
    auto* kept = new AcDbUnknownEntity();
    kept->setOriginalDxfName(s.type.c_str());
    ent.reset(kept);
  }
  if (!ent) return RTERROR;
  ent->setDatabaseDefaults(db);
  ensureLayer(db, s.data);
  TagFiler f(db, qd::ads::keptForm(ent.get(), s.data));
  if (ent->dxfInFields(&f) != Acad::eOk || !referencesExist(db, ent.get())) return RTERROR;
  if (s.xdata && ent->setXData(s.xdata) != Acad::eOk) return RTERROR;
  for (const resbuf* rb = s.xdata; rb; rb = rb->rbnext)
    if (rb->restype == 1001 && db->impl()->recordId(db->impl()->regAppTable, rb->resval.rstring).isNull())
      return RTERROR;

  // Complex entities collect their attributes or vertices until SEQEND.
  if (s.type == u"ATTRIB" || s.type == u"VERTEX") {
    if (!session.pendingComplex) return RTERROR;
    AcDbObjectId unused;
    if (auto* ref = AcDbBlockReference::cast(session.pendingComplex.get()))
      return ref->appendAttribute(unused, AcDbAttribute::cast(ent.release())) == Acad::eOk ? RTNORM : RTERROR;
    if (auto* pl = AcDb2dPolyline::cast(session.pendingComplex.get()))
      return pl->appendVertex(unused, AcDb2dVertex::cast(ent.release())) == Acad::eOk ? RTNORM : RTERROR;
    return RTERROR;
  }
  if (s.type == u"SEQEND") {
    if (!session.pendingComplex) return RTERROR;
    ent.reset(session.pendingComplex.release());
  } else {
    bool hasSubs = s.type == u"POLYLINE";
    for (const Tag& t : s.data)
      if (t.code == 66 && t.integer == 1) hasSubs = true;
    if (hasSubs) {
      session.pendingComplex = std::move(ent);
      return RTNORM;
    }
  }
  if (session.pendingBlock) {
    session.pendingEntities.push_back(std::move(ent));
    return RTNORM;
  }
  AcDbObjectId id;
  AcDbEntity* raw = ent.release();
  if (appendToSpace(db, raw, db->currentSpaceId(), id) != RTNORM) {
    delete raw;
    return RTERROR;
  }
  if (result) acdbGetAdsName(result, id);
  return RTNORM;
}

int acdbEntMake(const resbuf* list) { return acdbEntMakeX(list, nullptr); }

int acdbEntMod(const resbuf* list) {
  if (!list) return RTERROR;
  SplitList s = splitList(list);
  if (!s.ok || s.self.isNull()) return RTERROR;
  AcDbObject* obj = nullptr;
  if (acdbOpenObject(obj, s.self, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  if (!s.type.empty() && s.type != qd::text::toUpper(qd::ads::dxfNameOf(obj))) {
    obj->close();
    return RTERROR;
  }
  if (AcDbEntity::cast(obj)) ensureLayer(obj->database(), s.data);
  TagFiler f(obj->database(), qd::ads::keptForm(obj, mergeGroups(qd::ads::objectTags(obj), s.data)));
  Acad::ErrorStatus es = obj->dxfInFields(&f);
  if (auto* e = AcDbEntity::cast(obj); e && es == Acad::eOk) qd::db::useRecordSpellings(e);
  if (es == Acad::eOk && s.xdata) es = obj->setXData(s.xdata);
  obj->close();
  return es == Acad::eOk ? RTNORM : RTERROR;
}

int acdbEntDel(const ads_name ent) {
  AcDbObjectId id;
  if (acdbGetObjectId(id, ent) != Acad::eOk) return RTERROR;
  AcDbEntity* e = nullptr;
  if (acdbOpenObject(e, id, AcDb::kForWrite, true) != Acad::eOk) return RTERROR;
  // Entities that belong to a complex entity go with their owner.
  if (AcDbAttribute::cast(e) || AcDb2dVertex::cast(e) || AcDbSequenceEnd::cast(e)) {
    e->close();
    return RTERROR;
  }
  const Acad::ErrorStatus es = e->erase(!e->isErased());
  e->close();
  return es == Acad::eOk ? RTNORM : RTERROR;
}

int acdbEntUpd(const ads_name ent) {
  AcDbObjectId id;
  return acdbGetObjectId(id, ent) == Acad::eOk && id.isValid() ? RTNORM : RTERROR;
}

namespace {
// Main entities in drawing order: model space, then paper space.
std::vector<AcDbObjectId> mainEntities(AcDbDatabase* db) {
  std::vector<AcDbObjectId> out;
  for (AcDbObjectId space : {db->modelSpaceId(), db->paperSpaceId()}) {
    auto* btr = AcDbBlockTableRecord::cast(db->impl()->peek(space));
    if (!btr) continue;
    for (const auto& id : btr->entityIds())
      if (!id.isErased()) out.push_back(id);
  }
  return out;
}
}  // namespace

int acdbEntLast(ads_name result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db) return RTERROR;
  AcDbObjectId best;
  for (AcDbObjectId space : {db->modelSpaceId(), db->paperSpaceId()}) {
    auto* btr = AcDbBlockTableRecord::cast(db->impl()->peek(space));
    if (!btr) continue;
    const auto& ids = btr->entityIds();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
      if (!it->isErased()) {
        if (best.isNull() || best.handle() < it->handle()) best = *it;
        break;
      }
  }
  if (best.isNull()) return RTERROR;
  acdbGetAdsName(result, best);
  return RTNORM;
}

int acdbEntNext(const ads_name ent, ads_name result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db) return RTERROR;
  auto* d = db->impl();
  if (!ent || ads_name_nil(ent)) {
    const auto all = mainEntities(db);
    if (all.empty()) return RTERROR;
    acdbGetAdsName(result, all.front());
    return RTNORM;
  }
  AcDbObjectId id;
  if (acdbGetObjectId(id, ent) != Acad::eOk || !id.isValid()) return RTERROR;
  AcDbObject* obj = d->peek(id);
  // Into a complex entity's attributes or vertices, then its SEQEND.
  if (auto* complex = AcDbComplexEntity::cast(obj)) {
    const AcDbObjectIdArray owned = complex->ownedIds();
    if (!owned.isEmpty()) {
      acdbGetAdsName(result, owned[0]);
      return RTNORM;
    }
  }
  if (auto* owner = AcDbComplexEntity::cast(d->peek(obj->ownerId()))) {
    const AcDbObjectIdArray owned = owner->ownedIds();
    int i;
    if (owned.find(id, i) && i + 1 < owned.length()) {
      acdbGetAdsName(result, owned[i + 1]);
      return RTNORM;
    }
    id = owner->objectId();
  }
  // The next main entity after this one.
  auto* space = AcDbBlockTableRecord::cast(d->peek(d->peek(id)->ownerId()));
  if (!space) return RTERROR;
  bool found = false;
  for (AcDbObjectId s : {db->modelSpaceId(), db->paperSpaceId()}) {
    auto* btr = AcDbBlockTableRecord::cast(d->peek(s));
    if (!btr) continue;
    const auto& ids = btr->entityIds();
    size_t start = 0;
    if (!found) {
      if (btr != space) continue;
      const size_t at = AcDbBlockAccess::indexOf(btr, id);
      if (at == std::string::npos) return RTERROR;
      start = at + 1;
      found = true;
    }
    for (size_t i = start; i < ids.size(); ++i)
      if (!ids[i].isErased()) {
        acdbGetAdsName(result, ids[i]);
        return RTNORM;
      }
  }
  return RTERROR;
}

int acdbHandEnt(const ACHAR* handle, ads_name result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !handle) return RTERROR;
  const AcDbHandle h(handle);
  AcDbObjectId id;
  if (h.isNull() || db->getAcDbObjectId(id, false, h) != Acad::eOk || !id.isValid()) return RTERROR;
  acdbGetAdsName(result, id);
  return RTNORM;
}

namespace {
AcDbObjectId tableByName(AcDbDatabase* db, std::u16string name) {
  auto* d = db->impl();
  name = qd::text::toUpper(name);
  if (name == u"LAYER") return d->layerTable;
  if (name == u"LTYPE") return d->linetypeTable;
  if (name == u"STYLE") return d->textStyleTable;
  if (name == u"DIMSTYLE") return d->dimStyleTable;
  if (name == u"APPID") return d->regAppTable;
  if (name == u"UCS") return d->ucsTable;
  if (name == u"VPORT") return d->viewportTable;
  if (name == u"VIEW") return d->viewTable;
  if (name == u"BLOCK") return d->blockTable;
  return AcDbObjectId();
}

resbuf* recordList(AcDbDatabase* db, AcDbObjectId recId) {
  auto* rec = AcDbSymbolTableRecord::cast(db->impl()->peek(recId));
  if (!rec) return nullptr;
  if (auto* btr = AcDbBlockTableRecord::cast(rec)) {
    const AcGePoint3d o = btr->origin();
    const double origin[3] = {o.x, o.y, o.z};
    RbList list(acutBuildList(RTDXF0, u"BLOCK", 2, btr->nameConst(), 70, static_cast<int>(btr->flags()), 10, origin, 0));
    for (const auto& id : btr->entityIds())
      if (!id.isErased()) {
        ads_name first;
        acdbGetAdsName(first, id);
        qd::ads::append(list.get(), acutBuildList(-2, first, 0));
        break;
      }
    return list.release();
  }
  RbList list(acutBuildList(RTDXF0, qd::ads::dxfNameOf(rec).c_str(), 0));
  for (const Tag& t : qd::ads::objectTags(rec))
    if (t.code != 100) qd::ads::append(list.get(), qd::db::tagToResbuf(t));
  return list.release();
}
}  // namespace

resbuf* acdbTblSearch(const ACHAR* table, const ACHAR* name, int setNext) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !table || !name) return nullptr;
  const AcDbObjectId tableId = tableByName(db, table);
  auto* t = AcDbSymbolTable::cast(db->impl()->peek(tableId));
  AcDbObjectId rec;
  if (!t || t->getAt(name, rec) != Acad::eOk) return nullptr;
  if (setNext) {
    const auto& ids = t->recordIds();
    auto it = std::find(ids.begin(), ids.end(), rec);
    qd::ads::session().tableCursor[qd::text::toUpper(table)] = static_cast<size_t>(it - ids.begin()) + 1;
  }
  return recordList(db, rec);
}

resbuf* acdbTblNext(const ACHAR* table, int rewind) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !table) return nullptr;
  auto* t = AcDbSymbolTable::cast(db->impl()->peek(tableByName(db, table)));
  if (!t) return nullptr;
  size_t& cursor = qd::ads::session().tableCursor[qd::text::toUpper(table)];
  if (rewind) cursor = 0;
  const auto& ids = t->recordIds();
  while (cursor < ids.size()) {
    const AcDbObjectId id = ids[cursor++];
    if (!id.isErased()) return recordList(db, id);
  }
  return nullptr;
}

int acdbTblObjName(const ACHAR* table, const ACHAR* name, ads_name result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !table || !name) return RTERROR;
  auto* t = AcDbSymbolTable::cast(db->impl()->peek(tableByName(db, table)));
  AcDbObjectId rec;
  if (!t || t->getAt(name, rec) != Acad::eOk) return RTERROR;
  acdbGetAdsName(result, rec);
  return RTNORM;
}

int acdbRegApp(const ACHAR* appName) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !appName || !*appName) return RTERROR;
  AcDbRegAppTable* table = nullptr;
  if (db->getRegAppTable(table, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  if (table->has(appName)) {
    table->close();
    return RTERROR;
  }
  auto* rec = new AcDbRegAppTableRecord();
  Acad::ErrorStatus es = rec->setName(appName);
  if (es == Acad::eOk) es = table->add(rec);
  if (es != Acad::eOk) delete rec;
  else rec->close();
  table->close();
  return es == Acad::eOk ? RTNORM : RTERROR;
}
