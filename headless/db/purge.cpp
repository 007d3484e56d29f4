// Which named records the drawing still references, for AcDbDatabase::purge.
#include <set>

#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace {

struct References {
  std::set<std::u16string> layers, linetypes, styles, dimstyles, apps;
  std::set<AcDbStub*> blocks;
  std::set<AcDbStub*> pointedTo;  // records named by a pointer group of any object
  std::set<std::u16string> blockNames;  // blocks named by a dimension
};

// What the groups of an object name: records by pointer (a dimension style's arrow
// blocks and linetypes, a linetype's text style, a layout's block), and, for the entities
// kept as their groups, records by name (an MTEXT's text style, a dimension's style and
// block, a leader's style).
void noteGroups(AcDbDatabase::Impl* d, const AcDbObject* o, References& r) {
  qd::db::TagFiler f(d->self);
  o->dxfOutFields(&f);
  std::u16string type;
  if (auto* u = AcDbUnknownEntity::cast(o)) type = qd::text::toUpper(u->originalDxfName());
  const bool dimensioned = type == u"DIMENSION" || type == u"LEADER" || type == u"TOLERANCE" || type == u"ARC_DIMENSION" ||
                           type == u"LARGE_RADIAL_DIMENSION" || type == u"MULTILEADER";
  for (const qd::db::Tag& t : f.tags()) {
    if (t.kind == qd::db::TagKind::Id && t.id.stub() && !t.id.isNull()) r.pointedTo.insert(t.id.stub());
    if (type.empty() || t.kind != qd::db::TagKind::String) continue;
    if (t.code == 7) r.styles.insert(qd::text::toUpper(t.str));
    else if (t.code == 3 && dimensioned) r.dimstyles.insert(qd::text::toUpper(t.str));
    else if (t.code == 2 && type == u"DIMENSION") r.blockNames.insert(qd::text::toUpper(t.str));
  }
}

void noteEntity(const AcDbEntity* e, References& r) {
  r.layers.insert(qd::text::toUpper(e->layer()));
  r.linetypes.insert(qd::text::toUpper(e->linetype()));
  if (auto* t = AcDbText::cast(e)) r.styles.insert(qd::text::toUpper(t->textStyleName()));
  if (auto* ref = AcDbBlockReference::cast(e)) r.blocks.insert(ref->blockTableRecord().stub());
}

void noteXData(const AcDbObject* o, References& r) {
  // A purge has no reason to make every object's list of data still packed.
  AcDbObjectAccess::forEachXDataGroup(o, [&](const qd::db::Tag& t) {
    if (t.code == 1001) r.apps.insert(qd::text::toUpper(t.str));
  });
}

// Whether an object, or what owns it (the block definition of an entity, the entity of
// an attribute or vertex), is erased: erased owners hold no references.
bool erasedWithOwners(AcDbDatabase::Impl* d, const AcDbObject* o) {
  // Ownership chains are short (block, entity, attribute); the bound guards a cycle.
  for (int depth = 0; o && depth < 8; ++depth) {
    if (o->isErased()) return true;
    if (!AcDbEntity::cast(o)) return false;
    o = d->peek(o->ownerId());
  }
  return false;
}

// One walk over every live object gathers all references.
References gather(AcDbDatabase::Impl* d) {
  References r;
  // By index: reading an object's groups may add stubs for handles it names.
  for (size_t i = 0; i < d->stubs.size(); ++i) {
    AcDbObject* o = d->stubs[i]->object;
    if (!o || erasedWithOwners(d, o)) continue;
    noteXData(o, r);
    noteGroups(d, o, r);
    if (auto* e = AcDbEntity::cast(o)) {
      noteEntity(e, r);
    } else if (auto* layer = AcDbLayerTableRecord::cast(o)) {
      r.linetypes.insert(qd::text::toUpper(layer->linetypeName()));
    } else if (auto* dim = AcDbDimStyleTableRecord::cast(o)) {
      r.styles.insert(qd::text::toUpper(dim->dimtxstyName()));
    }
  }
  auto name = [&](AcDbObjectId id) {
    auto* rec = AcDbSymbolTableRecord::cast(d->peek(id));
    return rec ? qd::text::toUpper(rec->nameConst()) : std::u16string();
  };
  r.layers.insert({u"0", u"DEFPOINTS", name(d->self->clayer())});
  r.linetypes.insert({u"CONTINUOUS", u"BYLAYER", u"BYBLOCK", name(d->self->celtype())});
  r.styles.insert({u"STANDARD", name(d->self->textstyle())});
  r.dimstyles.insert({u"STANDARD", name(d->self->dimstyle())});
  r.apps.insert(u"ACAD");
  r.blocks.insert(d->modelSpace.stub());
  r.blocks.insert(d->paperSpace.stub());
  return r;
}

bool referenced(AcDbDatabase::Impl* d, const References& r, AcDbObjectId id) {
  AcDbObject* o = d->peek(id);
  auto* rec = AcDbSymbolTableRecord::cast(o);
  if (!rec) return true;  // only named records are purged
  if (r.pointedTo.count(id.stub())) return true;
  const std::u16string n = qd::text::toUpper(rec->nameConst());
  if (AcDbLayerTableRecord::cast(rec)) return r.layers.count(n) != 0;
  if (AcDbLinetypeTableRecord::cast(rec)) return r.linetypes.count(n) != 0;
  if (AcDbTextStyleTableRecord::cast(rec)) return r.styles.count(n) != 0;
  if (AcDbDimStyleTableRecord::cast(rec)) return r.dimstyles.count(n) != 0;
  if (AcDbRegAppTableRecord::cast(rec)) return r.apps.count(n) != 0;
  if (auto* btr = AcDbBlockTableRecord::cast(rec))
    return btr->isLayout() || r.blocks.count(id.stub()) != 0 || r.blockNames.count(n) != 0;
  return true;  // coordinate systems, viewports and views stay
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::purge(AcDbObjectIdArray& ids) {
  const References r = gather(m_impl);
  AcDbObjectIdArray keep;
  for (const auto& id : ids)
    if (id.database() == this && id.isValid() && !id.isErased() && !referenced(m_impl, r, id)) keep.append(id);
  ids = keep;
  return Acad::eOk;
}
