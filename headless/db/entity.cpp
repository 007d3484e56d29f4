// The entity base class: common properties, their filing, and default behaviour.
#include <cstdio>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/tags.h"
#include "host/acgi.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::implOf;

namespace {
// A new entity's names are copied from these, so that making one looks no name up. Made
// once and never destroyed, as names may be held by objects that outlive the statics.
const qd::text::SharedName& layerZero() {
  static const auto* name = new qd::text::SharedName(u"0");
  return *name;
}
const qd::text::SharedName& byLayer() {
  static const auto* name = new qd::text::SharedName(u"BYLAYER");
  return *name;
}
}  // namespace

AcDbEntity::AcDbEntity() : m_layer(layerZero()), m_linetype(byLayer()) {}

Acad::ErrorStatus AcDbEntity::setColorIndex(int16_t color, bool) {
  if (color < 0 || color > 257) return Acad::eInvalidInput;
  m_color = color;
  return Acad::eOk;
}

const ACHAR* AcDbEntity::layer() const { return m_layer.c_str(); }
AcDbObjectId AcDbEntity::layerId() const {
  auto* d = implOf(database());
  return d ? d->recordId(d->layerTable, m_layer) : AcDbObjectId();
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* name, bool, bool) {
  if (!name || !*name) return Acad::eInvalidInput;
  if (auto* d = implOf(database())) {
    const AcDbObjectId id = d->recordId(d->layerTable, name);
    if (id.isNull()) return Acad::eKeyNotFound;
    // Keep the record's own spelling.
    m_layer = AcDbSymbolTableRecord::cast(d->peek(id))->nameConst();
    return Acad::eOk;
  }
  m_layer = name;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId id, bool) {
  auto* d = implOf(id.database());
  auto* rec = d ? AcDbLayerTableRecord::cast(d->peek(id)) : nullptr;
  if (!rec) return Acad::eInvalidInput;
  m_layer = rec->nameConst();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId id, bool) {
  auto* d = implOf(id.database());
  auto* rec = d ? AcDbLinetypeTableRecord::cast(d->peek(id)) : nullptr;
  if (!rec) return Acad::eInvalidInput;
  m_linetype = rec->nameConst();
  return Acad::eOk;
}

const ACHAR* AcDbEntity::linetype() const { return m_linetype.c_str(); }
AcDbObjectId AcDbEntity::linetypeId() const {
  auto* d = implOf(database());
  return d ? d->recordId(d->linetypeTable, m_linetype) : AcDbObjectId();
}

Acad::ErrorStatus AcDbEntity::setLinetype(const ACHAR* name, bool) {
  if (!name || !*name) return Acad::eInvalidInput;
  if (auto* d = implOf(database())) {
    const AcDbObjectId id = d->recordId(d->linetypeTable, name);
    if (id.isNull()) return Acad::eKeyNotFound;
    m_linetype = AcDbSymbolTableRecord::cast(d->peek(id))->nameConst();
    return Acad::eOk;
  }
  m_linetype = name;
  return Acad::eOk;
}

void qd::db::useRecordSpellings(AcDbEntity* e) {
  auto* d = implOf(e->database());
  if (!d) return;
  auto record = [&](AcDbObjectId table, const ACHAR* name) { return d->recordId(table, name); };
  auto spelling = [&](AcDbObjectId id) { return std::u16string_view(AcDbSymbolTableRecord::cast(d->peek(id))->nameConst()); };
  // A name spelt as its record already is stays as it is.
  if (const AcDbObjectId layer = record(d->layerTable, e->layer()); !layer.isNull() && spelling(layer) != e->layer())
    e->setLayer(layer);
  if (const AcDbObjectId lt = record(d->linetypeTable, e->linetype()); !lt.isNull() && spelling(lt) != e->linetype())
    e->setLinetype(lt);
  if (auto* text = AcDbText::cast(e)) {
    const AcDbObjectId style = record(d->textStyleTable, text->textStyleName());
    if (!style.isNull()) text->setTextStyle(style);
  }
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double s, bool) {
  if (!(s > 0)) return Acad::eInvalidInput;
  m_ltScale = s;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbEntity::setVisibility(bool v, bool) {
  m_visible = v;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbEntity::setLineWeight(int16_t lw, bool) {
  m_lineWeight = lw;
  return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
  if (!db) db = database() ? database() : acdbCurDwg();
  auto* d = implOf(db);
  if (!d) return;
  if (auto* rec = AcDbSymbolTableRecord::cast(d->peek(db->clayer()))) m_layer = rec->nameConst();
  if (auto* rec = AcDbSymbolTableRecord::cast(d->peek(db->celtype()))) m_linetype = rec->nameConst();
  const std::u16string color = d->varText(u"CECOLOR");
  if (qd::text::equalsNoCase(color, u"BYBLOCK")) m_color = 0;
  else if (qd::text::equalsNoCase(color, u"BYLAYER") || color.empty()) m_color = 256;
  else m_color = static_cast<int16_t>(std::stoi(qd::text::toUtf8(color)));
  m_ltScale = d->varReal(u"CELTSCALE", 1.0);
}

void AcDbEntity::setPropertiesFrom(const AcDbEntity* o, bool) {
  m_layer = o->m_layer;
  m_linetype = o->m_linetype;
  m_color = o->m_color;
  m_lineWeight = o->m_lineWeight;
  m_ltScale = o->m_ltScale;
  m_visible = o->m_visible;
}

bool AcDbEntity::worldDraw(AcGiWorldDraw*) { return true; }

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
  // Measure what the entity draws.
  return qd::db::extentsFromDrawing(const_cast<AcDbEntity*>(this), extents);
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::explode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

void AcDbEntity::list() const {
  ACHAR handle[20] = u"";
  objectId().handle().getIntoAsciiBuffer(handle);
  acutPrintf(u"                  %ls  Layer: \"%ls\"\n", isA()->dxfName(), m_layer.c_str());
  acutPrintf(u"                            Space: %ls\n",
             implOf(database()) && ownerId() == implOf(database())->paperSpace ? u"Paper space" : u"Model space");
  acutPrintf(u"                   Handle = %ls\n", handle);
}

Acad::ErrorStatus AcDbEntity::getGripPoints(AcGePoint3dArray&, AcDbIntArray&, AcDbIntArray&) const {
  return Acad::eOk;
}
Acad::ErrorStatus AcDbEntity::moveGripPointsAt(const AcDbIntArray&, const AcGeVector3d& offset) {
  return transformBy(AcGeMatrix3d::translation(offset));
}
Acad::ErrorStatus AcDbEntity::getStretchPoints(AcGePoint3dArray& pts) const {
  AcDbIntArray modes, ids;
  return getGripPoints(pts, modes, ids);
}
Acad::ErrorStatus AcDbEntity::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  return moveGripPointsAt(indices, offset);
}
Acad::ErrorStatus AcDbEntity::getOsnapPoints(AcDb::OsnapMode, int, const AcGePoint3d&, const AcGePoint3d&,
                                             const AcGeMatrix3d&, AcGePoint3dArray&, AcDbIntArray&) const {
  return Acad::eNotApplicable;
}

// The common properties: layer 8, linetype 6, colour 62, line weight 370,
// linetype scale 48, visibility 60. Values at their defaults are left out unless
// the filer asks for them.
Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbObject::dxfOutFields(f);
  const bool all = f->includesDefaultValues();
  f->writeString(100, u"AcDbEntity");
  if (implOf(database()) && ownerId() == implOf(database())->paperSpace) f->writeInt16(67, 1);
  f->writeString(8, m_layer.c_str());
  if (all || !qd::text::equalsNoCase(m_linetype, u"BYLAYER")) f->writeString(6, m_linetype.c_str());
  if (all || m_color != 256) f->writeInt16(62, m_color);
  if (all || m_lineWeight != -1) f->writeInt16(370, m_lineWeight);
  if (all || m_ltScale != 1.0) f->writeDouble(48, m_ltScale);
  if (all || !m_visible) f->writeInt16(60, m_visible ? 0 : 1);
  qd::db::writeKeptGroups(f, m_commonKept);
  return f->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* f) {
  Acad::ErrorStatus es = AcDbObject::dxfInFields(f);
  if (es != Acad::eOk) return es;
  auto* tf = dynamic_cast<qd::db::TagFiler*>(f);
  const size_t start = tf ? tf->position() : 0;
  bool markers = false;
  m_commonKept.clear();
  resbuf rb;
  while (f->readItem(&rb) == Acad::eOk) {
    switch (rb.restype) {
      case 100:
        if (qd::text::equalsCString(rb.resval.rstring, u"AcDbEntity")) {
          markers = true;
          break;
        }
        // The next subclass begins: the entity's own groups are read.
        f->pushBackItem();
        return Acad::eOk;
      case 8: m_layer = rb.resval.rstring; break;
      case 6: m_linetype = rb.resval.rstring; break;
      case 62: m_color = rb.resval.rint; break;
      case 370: m_lineWeight = rb.resval.rint; break;
      case 48: m_ltScale = rb.resval.rreal; break;
      case 60: m_visible = rb.resval.rint == 0; break;
      // Kept as they came: proxy graphics, shadows, material, plot style, true colour and
      // its name, transparency. The space (67, 410) follows from the owner.
      case 92: case 160:
        if (tf && qd::db::isOwnCodeAmongCommon(tf->readTags(), tf->position() - 1)) break;
        [[fallthrough]];
      case 310:
        // A loaded class draws itself: its graphics are recorded again when it is saved.
        if (!qd::db::isBuiltinClass(isA())) break;
        qd::db::keepGroup(m_commonKept.edit(), f, rb);
        break;
      case 284: case 347: case 348: case 380: case 390: case 420: case 430: case 440:
        qd::db::keepGroup(m_commonKept.edit(), f, rb);
        break;
      default: break;
    }
  }
  // A list without subclass markers (an entity list): the subclass reads it all again.
  if (tf && !markers) tf->seek(start);
  if (tf && markers) tf->seek(tf->readTags().size());
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::dwgOutFields(AcDbDwgFiler* f) const {
  AcDbObject::dwgOutFields(f);
  f->writeString(m_layer.c_str());
  f->writeString(m_linetype.c_str());
  f->writeInt16(m_color);
  f->writeInt16(m_lineWeight);
  f->writeDouble(m_ltScale);
  f->writeBool(m_visible);
  return f->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dwgInFields(AcDbDwgFiler* f) {
  AcDbObject::dwgInFields(f);
  ACHAR* s = nullptr;
  if (f->readString(&s) == Acad::eOk) {
    m_layer = s;
    delete[] s;
  }
  s = nullptr;
  if (f->readString(&s) == Acad::eOk) {
    m_linetype = s;
    delete[] s;
  }
  f->readInt16(&m_color);
  f->readInt16(&m_lineWeight);
  f->readDouble(&m_ltScale);
  f->readBool(&m_visible);
  return f->filerStatus();
}
