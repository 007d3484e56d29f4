// Symbol tables and records.
#include <algorithm>
#include <set>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::implOf;
using qd::db::readGroups;
using qd::db::toPoint;
using qd::db::toVector;


namespace {
// Names the host refuses for records: empty, too long, or with reserved characters.
bool isValidRecordName(const std::u16string& name) {
  if (name.empty() || name.size() > 255) return false;
  for (char16_t c : name)
    if (c == u'<' || c == u'>' || c == u'/' || c == u'\\' || c == u'"' || c == u':' || c == u';' || c == u'?' ||
        c == u'*' || c == u'|' || c == u'=' || c == u'`' || c < 32)
      return false;
  return true;
}

// Anonymous blocks ("*U12") and the active viewport ("*Active") are the records whose
// names begin with "*".
bool mayBeStarred(const AcDbSymbolTableRecord* rec) {
  return AcDbBlockTableRecord::cast(rec) || AcDbViewportTableRecord::cast(rec);
}
bool isValidNameFor(const AcDbSymbolTableRecord* rec, const std::u16string& name) {
  if (mayBeStarred(rec) && name.size() > 1 && name[0] == u'*') return isValidRecordName(name.substr(1));
  return isValidRecordName(name);
}
}  // namespace

// ---- records ----
Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
  name = m_name.c_str();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
  name = acutNewString(m_name.c_str());
  return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
  if (!name) return Acad::eInvalidInput;
  const std::u16string n = name;
  if (!isValidNameFor(this, n)) return Acad::eInvalidSymbolTableName;
  if (auto* d = implOf(database())) {
    auto* table = AcDbSymbolTable::cast(d->peek(ownerId()));
    if (table) {
      auto& byName = AcDbSymbolTableAccess::byName(table);
      const std::u16string upper = qd::text::toUpper(n);
      auto it = byName.find(upper);
      if (it != byName.end() && it->second != objectId() && !it->second.isErased()) return Acad::eDuplicateRecordName;
      byName.erase(qd::text::toUpper(m_name));
      byName[upper] = objectId();
    }
  }
  m_name = n;
  return Acad::eOk;
}
void AcDbSymbolTableRecord::writeNameAndFlags(AcDbDxfFiler* f, int16_t extra) const {
  f->writeString(2, m_name.c_str());
  f->writeInt16(70, static_cast<int16_t>(m_flags | extra));
}
bool AcDbSymbolTableRecord::readNameOrFlags(const resbuf& rb) {
  if (rb.restype == 2) {
    m_name = rb.resval.rstring;
    return true;
  }
  if (rb.restype == 70) {
    m_flags = rb.resval.rint;
    return true;
  }
  return false;
}
Acad::ErrorStatus AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  f->writeString(100, u"AcDbSymbolTableRecord");
  return f->filerStatus();
}
Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(AcDbDxfFiler* f) {
  f->atSubclassData(u"AcDbSymbolTableRecord");
  return f->filerStatus();
}

// ---- tables ----
Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id, bool erased) const {
  id.setNull();
  if (!name) return Acad::eInvalidInput;
  const std::u16string upper = qd::text::toUpper(name);
  // An erased record keeps its name in the index until another record takes it.
  auto it = m_byName.find(upper);
  if (it != m_byName.end() && !it->second.isErased()) {
    id = it->second;
    return Acad::eOk;
  }
  if (erased) {
    // The last erased record of that name.
    for (auto r = m_records.rbegin(); r != m_records.rend(); ++r) {
      auto* rec = AcDbSymbolTableRecord::cast(r->stub() ? r->stub()->object : nullptr);
      if (rec && qd::text::toUpper(rec->nameConst()) == upper) {
        id = *r;
        return Acad::eOk;
      }
    }
  }
  return Acad::eKeyNotFound;
}
bool AcDbSymbolTable::has(const ACHAR* name) const {
  AcDbObjectId id;
  return getAt(name, id) == Acad::eOk;
}
bool AcDbSymbolTable::has(AcDbObjectId id) const {
  return !id.isErased() && std::find(m_records.begin(), m_records.end(), id) != m_records.end();
}
Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* rec) {
  AcDbObjectId id;
  return add(id, rec);
}
Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* rec) {
  if (!rec) return Acad::eNullObjectPointer;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!rec->isNewObject()) return Acad::eAlreadyInDb;
  if (!rec->isKindOf(recordClass())) return Acad::eWrongObjectType;
  const std::u16string name = rec->nameConst();
  const bool anonymousBlock = AcDbBlockTableRecord::cast(rec) && !name.empty() && name[0] == u'*';
  const bool anonymousPrefix = anonymousBlock && name.size() == 2;
  if (!isValidNameFor(rec, name)) return Acad::eInvalidSymbolTableName;
  auto* d = implOf(database());
  std::u16string upper = qd::text::toUpper(name);
  if (anonymousPrefix && (upper == u"*U" || upper == u"*D" || upper == u"*X" || upper == u"*T")) {
    // An anonymous block gets the next free number; numbering goes on from the last one
    // given, so that adding many stays linear.
    int& n = m_nextAnonymous[upper];
    if (n < 1) n = 1;
    while (m_byName.count(upper + qd::text::fromUtf8(std::to_string(n)))) ++n;
    const std::u16string full = name + qd::text::fromUtf8(std::to_string(n));
    upper = qd::text::toUpper(full);
    rec->setName(full.c_str());
  }
  if (auto taken = m_byName.find(upper); taken != m_byName.end() && !taken->second.isErased())
    return Acad::eDuplicateRecordName;
  id = d->add(rec, objectId());
  m_records.push_back(id);
  m_byName[upper] = id;
  // As in the host, the new record stays open for write until its caller closes it.
  AcDbObjectAccess::writer(rec) = true;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& it, bool atBeginning, bool skipDeleted) const {
  it = new AcDbSymbolTableIterator(this, atBeginning, skipDeleted);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTable::dxfOutFields(AcDbDxfFiler* f) const {
  f->writeString(100, u"AcDbSymbolTable");
  int16_t live = 0;
  for (const auto& id : m_records)
    if (!id.isErased()) ++live;
  f->writeInt16(70, live);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbSymbolTable::dxfInFields(AcDbDxfFiler* f) {
  readGroups(f, [](const resbuf&) {});
  return f->filerStatus();
}
// The table's own binary filing keeps its list of records (undo restores it).
Acad::ErrorStatus AcDbSymbolTable::dwgOutFields(AcDbDwgFiler* f) const {
  f->writeUInt32(static_cast<uint32_t>(m_records.size()));
  for (const auto& id : m_records) f->writeHardOwnershipId(id);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbSymbolTable::dwgInFields(AcDbDwgFiler* f) {
  uint32_t n = 0;
  if (f->readUInt32(&n) != Acad::eOk) return f->filerStatus();
  m_records.clear();
  m_byName.clear();
  for (uint32_t i = 0; i < n && f->filerStatus() == Acad::eOk; ++i) {
    AcDbObjectId id;
    f->readHardOwnershipId(&id);
    m_records.push_back(id);
    auto* rec = AcDbSymbolTableRecord::cast(id.stub() ? id.stub()->object : nullptr);
    if (rec && !rec->isErased()) m_byName[qd::text::toUpper(rec->nameConst())] = id;
  }
  return f->filerStatus();
}

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbSymbolTable* t, bool atBeginning, bool skipDeleted)
    : m_ids(t->recordIds()) {
  start(atBeginning, skipDeleted);
}
void AcDbSymbolTableIterator::skip(bool forward, bool skipDeleted) {
  while (!done() && (m_ids[m_pos].stub()->object == nullptr || (skipDeleted && m_ids[m_pos].isErased())))
    m_pos += forward ? 1 : -1;
}
void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
  m_pos = atBeginning ? 0 : static_cast<long>(m_ids.size()) - 1;
  skip(atBeginning, skipDeleted);
}
bool AcDbSymbolTableIterator::done() const { return m_pos < 0 || m_pos >= static_cast<long>(m_ids.size()); }
void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  m_pos += forward ? 1 : -1;
  skip(forward, skipDeleted);
}
Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = m_ids[m_pos];
  return Acad::eOk;
}

// ---- blocks ----

AcDbBlockTableRecord::AcDbBlockTableRecord() = default;

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* ent) {
  AcDbObjectId id;
  return appendAcDbEntity(id, ent);
}
Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent) {
  if (!ent) return Acad::eNullEntityPointer;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!ent->isNewObject()) return Acad::eAlreadyInDb;
  auto* d = implOf(database());
  if (!d) return Acad::eMustFirstAddBlockToDb;
  // An entity refers to its layer and linetype by name; unknown names are refused.
  if (d->recordId(d->layerTable, ent->layer()).isNull() && std::u16string_view(ent->layer()) != u"0")
    return Acad::eKeyNotFound;
  if (auto* ref = AcDbBlockReference::cast(ent); ref && qd::db::insertsItself(d, objectId(), ref->blockTableRecord()))
    return Acad::eSelfReference;
  const std::u16string lt = qd::text::toUpper(ent->linetype());
  if (lt != u"BYLAYER" && lt != u"BYBLOCK" && d->recordId(d->linetypeTable, ent->linetype()).isNull())
    return Acad::eKeyNotFound;
  id = d->add(ent, objectId());
  qd::db::useRecordSpellings(ent);
  m_entities.push_back(id);
  AcDbObjectAccess::writer(ent) = true;  // open for write until the caller closes it
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning,
                                                    bool skipDeleted) const {
  it = new AcDbBlockTableRecordIterator(this, skipDeleted);
  it->start(atBeginning, skipDeleted);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& p) {
  m_origin = p;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecord::setComments(const ACHAR* text) {
  m_description = text ? text : u"";
  return Acad::eOk;
}
bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
  for (const auto& id : m_entities)
    if (!id.isErased() && id.objectClass() && id.objectClass()->isDerivedFrom(AcDbAttributeDefinition::desc()))
      return true;
  return false;
}
bool AcDbBlockTableRecord::isLayout() const {
  const std::u16string upper = qd::text::toUpper(m_name);
  return upper == u"*MODEL_SPACE" || upper.rfind(u"*PAPER_SPACE", 0) == 0;
}
// BLOCK_RECORD groups; the block's own BLOCK entity data (origin, description) is
// written by the DXF writer from the accessors.
Acad::ErrorStatus AcDbBlockTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbBlockTableRecord");
  f->writeString(2, m_name.c_str());
  qd::db::writeKeptGroups(f, m_kept);
  if (f->filerType() != AcDb::kFileFiler) {
    f->writeInt16(70, m_flags);
    f->writePoint3d(10, m_origin);
    f->writeString(4, m_description.c_str());
    f->writeString(1, m_xrefPath.c_str());
  }
  return f->filerStatus();
}
Acad::ErrorStatus AcDbBlockTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  // The table's record (its subclass marked) holds the layout, insert units, explodability,
  // scalability and preview, kept as they came; the block's own data comes unmarked.
  bool record = false;
  qd::db::readGroupsBySubclass(f, [&](std::u16string_view subclass, const resbuf& rb) {
    // A whole record's filing replaces what was kept (undo, copies); the block's data
    // alone leaves it.
    if (subclass == u"AcDbBlockTableRecord" && !record) {
      record = true;
      m_kept.clear();
    }
    if (rb.restype == 2) {
      m_name = rb.resval.rstring;
      return;
    }
    if (subclass == u"AcDbBlockTableRecord") {
      qd::db::keepGroup(m_kept, f, rb);
      return;
    }
    switch (rb.restype) {
      case 70: m_flags = rb.resval.rint; break;
      case 10: m_origin = toPoint(rb); break;
      case 4: m_description = rb.resval.rstring; break;
      case 1: m_xrefPath = rb.resval.rstring; break;
    }
  });
  return f->filerStatus();
}
// The binary filing keeps the list of entities too, except for undo: appending an
// entity is undone by removing it, so the (possibly long) list is not copied.
Acad::ErrorStatus AcDbBlockTableRecord::dwgOutFields(AcDbDwgFiler* f) const {
  qd::db::dwgOutViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDbBlockTableRecord::dxfOutFields(d); });
  f->writeUInt64(m_beginHandle.value());
  f->writeUInt64(m_endHandle.value());
  if (f->filerType() == AcDb::kUndoFiler) return f->filerStatus();
  f->writeUInt32(static_cast<uint32_t>(m_entities.size()));
  for (const auto& id : m_entities) f->writeHardOwnershipId(id);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbBlockTableRecord::dwgInFields(AcDbDwgFiler* f) {
  qd::db::dwgInViaDxf(this, f, [this](AcDbDxfFiler* d) { return AcDbBlockTableRecord::dxfInFields(d); });
  uint64_t b = 0, e = 0;
  f->readUInt64(&b);
  f->readUInt64(&e);
  m_beginHandle = b;
  m_endHandle = e;
  if (f->filerType() == AcDb::kUndoFiler) return f->filerStatus();
  uint32_t n = 0;
  if (f->readUInt32(&n) != Acad::eOk) return f->filerStatus();
  m_entities.clear();
  for (uint32_t i = 0; i < n && f->filerStatus() == Acad::eOk; ++i) {
    AcDbObjectId id;
    f->readHardOwnershipId(&id);
    m_entities.push_back(id);
  }
  return f->filerStatus();
}

size_t AcDbBlockAccess::indexOf(const AcDbBlockTableRecord* b, AcDbObjectId id) {
  const auto& ids = b->m_entities;
  auto& pos = b->m_position;
  auto lookup = [&]() -> size_t {
    auto it = pos.find(id.stub());
    return it != pos.end() && it->second < ids.size() && ids[it->second] == id ? it->second : std::string::npos;
  };
  size_t at = lookup();
  if (at != std::string::npos) return at;
  // First index the entities appended since the last look; if that does not find it,
  // entities were taken out and the index is rebuilt.
  for (size_t i = std::min(pos.size(), ids.size()); i < ids.size(); ++i) pos[ids[i].stub()] = i;
  at = lookup();
  if (at != std::string::npos) return at;
  pos.clear();
  for (size_t i = 0; i < ids.size(); ++i) pos[ids[i].stub()] = i;
  return lookup();
}

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* block, bool skipDeleted)
    : m_block(block) {
  start(true, skipDeleted);
}
const std::vector<AcDbObjectId>& AcDbBlockTableRecordIterator::ids() const { return m_block->entityIds(); }
void AcDbBlockTableRecordIterator::skip(bool forward, bool skipDeleted) {
  while (!done() && (ids()[m_pos].stub()->object == nullptr || (skipDeleted && ids()[m_pos].isErased())))
    m_pos += forward ? 1 : -1;
}
void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
  m_pos = atBeginning ? 0 : static_cast<long>(ids().size()) - 1;
  skip(atBeginning, skipDeleted);
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
  const size_t at = AcDbBlockAccess::indexOf(m_block, id);
  if (at == std::string::npos) return Acad::eInvalidInput;
  if (id.isErased()) return Acad::eWasErased;
  m_pos = static_cast<long>(at);
  return Acad::eOk;
}
bool AcDbBlockTableRecordIterator::done() const { return m_pos < 0 || m_pos >= static_cast<long>(ids().size()); }
void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  m_pos += forward ? 1 : -1;
  skip(forward, skipDeleted);
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = ids()[m_pos];
  return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& ent, AcDb::OpenMode mode, bool openErased) const {
  AcDbObjectId id;
  if (Acad::ErrorStatus es = getEntityId(id); es != Acad::eOk) return es;
  return acdbOpenObject(ent, id, mode, openErased);
}

// ---- layers ----
Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool v) {
  // The record itself takes the flag, also on the current layer: the LAYER command is
  // what refuses to freeze the current layer, and a command that thawed the current
  // layer for its work freezes it again when it ends.
  m_flags = static_cast<int16_t>(v ? (m_flags | 1) : (m_flags & ~1));
  return Acad::eOk;
}
void AcDbLayerTableRecord::setIsOff(bool v) { m_off = v; }
void AcDbLayerTableRecord::setIsLocked(bool v) { m_flags = static_cast<int16_t>(v ? (m_flags | 4) : (m_flags & ~4)); }
void AcDbLayerTableRecord::setVPDFLT(bool v) { m_flags = static_cast<int16_t>(v ? (m_flags | 2) : (m_flags & ~2)); }
void AcDbLayerTableRecord::setColorIndex(int16_t c) { m_color = c < 0 ? static_cast<int16_t>(-c) : c; }
AcDbObjectId AcDbLayerTableRecord::linetypeObjectId() const {
  auto* d = implOf(database());
  return d ? d->recordId(d->linetypeTable, m_linetype) : AcDbObjectId();
}
void AcDbLayerTableRecord::setLinetypeName(const ACHAR* name) { m_linetype = name ? name : u"Continuous"; }
void AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
  if (auto* rec = AcDbSymbolTableRecord::cast(implOf(id.database()) ? implOf(id.database())->peek(id) : nullptr))
    m_linetype = rec->nameConst();
}
Acad::ErrorStatus AcDbLayerTableRecord::setIsPlottable(bool v) {
  m_plot = v;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLayerTableRecord::setLineWeight(int16_t lw) {
  m_lineWeight = lw;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLayerTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbLayerTableRecord");
  writeNameAndFlags(f);
  // A layer that is off carries a negative colour.
  f->writeInt16(62, static_cast<int16_t>(m_off ? -m_color : m_color));
  f->writeString(6, m_linetype.c_str());
  if (!m_plot) f->writeInt16(290, 0);
  f->writeInt16(370, m_lineWeight);
  qd::db::writeKeptGroups(f, m_kept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 62:
        m_off = rb.resval.rint < 0;
        m_color = static_cast<int16_t>(rb.resval.rint < 0 ? -rb.resval.rint : rb.resval.rint);
        break;
      case 6: m_linetype = rb.resval.rstring; break;
      case 290: m_plot = rb.resval.rint != 0; break;
      case 370: m_lineWeight = rb.resval.rint; break;
      // True colour, transparency, plot style, material ... are kept as they came.
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbLayerTableRecord)

// ---- linetypes ----
Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const ACHAR* t) {
  m_comments = t ? t : u"";
  return Acad::eOk;
}
double AcDbLinetypeTableRecord::patternLength() const {
  double s = 0;
  for (double d : m_dashes) s += d < 0 ? -d : d;
  return s;
}
void AcDbLinetypeTableRecord::setNumDashes(int n) { m_dashes.resize(n > 0 ? n : 0); }
void AcDbLinetypeTableRecord::setDashLengthAt(int i, double len) {
  if (i >= 0 && i < numDashes()) m_dashes[i] = len;
}
Acad::ErrorStatus AcDbLinetypeTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbLinetypeTableRecord");
  writeNameAndFlags(f);
  f->writeString(3, m_comments.c_str());
  f->writeInt16(72, 65);
  f->writeInt16(73, static_cast<int16_t>(m_dashes.size()));
  f->writeDouble(40, patternLength());
  for (size_t i = 0; i < m_dashes.size(); ++i) {
    f->writeDouble(49, m_dashes[i]);
    if (i < m_dashElements.size() && !m_dashElements[i].empty()) qd::db::writeKeptGroups(f, m_dashElements[i]);
    else f->writeInt16(74, 0);
  }
  return f->filerStatus();
}
Acad::ErrorStatus AcDbLinetypeTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_dashes.clear();
  m_dashElements.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    if (rb.restype == 3) {
      m_comments = rb.resval.rstring;
    } else if (rb.restype == 49) {
      m_dashes.push_back(rb.resval.rreal);
      m_dashElements.emplace_back();
    } else if (!m_dashes.empty() && rb.restype != 72 && rb.restype != 73 && rb.restype != 40) {
      // What follows a dash, up to the next one, is its element.
      qd::db::keepGroup(m_dashElements.back(), f, rb);
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbLinetypeTableRecord)

// ---- text styles ----
Acad::ErrorStatus AcDbTextStyleTableRecord::fileName(const ACHAR*& n) const {
  n = m_file.c_str();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const ACHAR* n) {
  m_file = n ? n : u"";
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::bigFontFileName(const ACHAR*& n) const {
  n = m_bigFont.c_str();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const ACHAR* n) {
  m_bigFont = n ? n : u"";
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double h) {
  if (h < 0) return Acad::eInvalidInput;
  m_size = h;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double s) {
  if (!(s > 0)) return Acad::eInvalidInput;
  m_xScale = s;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setObliquingAngle(double a) {
  m_oblique = a;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbTextStyleTableRecord");
  writeNameAndFlags(f);
  f->writeDouble(40, m_size);
  f->writeDouble(41, m_xScale);
  f->writeDouble(50, m_oblique);
  f->writeInt16(71, m_generation);
  f->writeDouble(42, m_priorSize);
  f->writeString(3, m_file.c_str());
  f->writeString(4, m_bigFont.c_str());
  qd::db::writeKeptGroups(f, m_kept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbTextStyleTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 40: m_size = rb.resval.rreal; break;
      case 41: m_xScale = rb.resval.rreal; break;
      case 50: m_oblique = rb.resval.rreal; break;
      case 71: m_generation = rb.resval.rint; break;
      case 42: m_priorSize = rb.resval.rreal; break;
      case 3: m_file = rb.resval.rstring; break;
      case 4: m_bigFont = rb.resval.rstring; break;
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbTextStyleTableRecord)

// ---- dimension styles ----
AcDbObjectId AcDbDimStyleTableRecord::dimtxsty() const {
  auto* d = implOf(database());
  return d ? d->recordId(d->textStyleTable, m_textStyle) : AcDbObjectId();
}
Acad::ErrorStatus AcDbDimStyleTableRecord::setDimtxsty(AcDbObjectId id) {
  auto* rec = AcDbTextStyleTableRecord::cast(implOf(id.database()) ? implOf(id.database())->peek(id) : nullptr);
  if (!rec) return Acad::eInvalidInput;
  m_textStyle = rec->nameConst();
  return Acad::eOk;
}
Acad::ErrorStatus AcDbDimStyleTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbDimStyleTableRecord");
  writeNameAndFlags(f);
  f->writeDouble(40, m_dimscale);
  f->writeDouble(41, m_dimasz);
  f->writeDouble(140, m_dimtxt);
  // DIMTXSTY is a pointer to the style record.
  const AcDbObjectId style = dimtxsty();
  if (!style.isNull()) f->writeObjectId(340, style);
  qd::db::writeKeptGroups(f, m_kept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbDimStyleTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  bool flagsRead = false;
  readGroups(f, [&](const resbuf& rb) {
    // The second 70 of a dimension style is DIMTFILLCLR, not the flags.
    if (rb.restype == 70 && flagsRead) {
      qd::db::keepGroup(m_kept, f, rb);
      return;
    }
    if (rb.restype == 70) flagsRead = true;
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 40: m_dimscale = rb.resval.rreal; break;
      case 41: m_dimasz = rb.resval.rreal; break;
      case 140: m_dimtxt = rb.resval.rreal; break;
      case 340: {
        AcDbObjectId id;
        if (acdbGetObjectId(id, rb.resval.rlname) == Acad::eOk) {
          auto* rec = AcDbTextStyleTableRecord::cast(id.stub() ? id.stub()->object : nullptr);
          if (rec) m_textStyle = rec->nameConst();
        }
        break;
      }
      // Every other dimension variable, arrow blocks and linetypes among them (342 to 347).
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbDimStyleTableRecord)

// ---- registered applications ----
Acad::ErrorStatus AcDbRegAppTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbRegAppTableRecord");
  writeNameAndFlags(f);
  qd::db::writeKeptGroups(f, m_kept);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbRegAppTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (!readNameOrFlags(rb)) qd::db::keepGroup(m_kept, f, rb);
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbRegAppTableRecord)

// ---- named coordinate systems ----
void AcDbUCSTableRecord::setOrigin(const AcGePoint3d& p) { m_origin = p; }
void AcDbUCSTableRecord::setXAxis(const AcGeVector3d& v) { m_x = v.normal(); }
void AcDbUCSTableRecord::setYAxis(const AcGeVector3d& v) { m_y = v.normal(); }
Acad::ErrorStatus AcDbUCSTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbUCSTableRecord");
  writeNameAndFlags(f);
  f->writePoint3d(10, m_origin);
  f->writeVector3d(11, m_x);
  f->writeVector3d(12, m_y);
  if (!m_kept.empty()) {
    qd::db::writeKeptGroups(f, m_kept);
    return f->filerStatus();
  }
  f->writeInt16(79, 0);
  f->writeDouble(146, 0.0);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbUCSTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 10: m_origin = toPoint(rb); break;
      case 11: m_x = toVector(rb).normal(); break;
      case 12: m_y = toVector(rb).normal(); break;
      // The elevation, the base system and the orthographic kinds are kept as they came.
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbUCSTableRecord)

// ---- viewports and views ----
void AcDbViewportTableRecord::setCenterPoint(const AcGePoint2d& p) { m_center = p; }
void AcDbViewportTableRecord::setHeight(double h) {
  if (h > 0) m_height = h;
}
Acad::ErrorStatus AcDbViewportTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbViewportTableRecord");
  writeNameAndFlags(f);
  f->writePoint2d(12, m_center);
  f->writeDouble(40, m_height);
  f->writeDouble(41, m_aspect);
  // The rest as the drawing's file had it (snap, grid, view direction, modes ...), or
  // the host's defaults for a viewport it made.
  if (!m_kept.empty()) {
    qd::db::writeKeptGroups(f, m_kept);
    return f->filerStatus();
  }
  f->writePoint2d(10, AcGePoint2d(0, 0));
  f->writePoint2d(11, AcGePoint2d(1, 1));
  f->writePoint2d(13, AcGePoint2d(0, 0));
  f->writePoint2d(14, AcGePoint2d(1, 1));
  f->writePoint2d(15, AcGePoint2d(1, 1));
  f->writePoint3d(16, AcGePoint3d(0, 0, 1));
  f->writePoint3d(17, AcGePoint3d(0, 0, 0));
  f->writeDouble(42, 50.0);
  f->writeDouble(43, 0.0);
  f->writeDouble(44, 0.0);
  f->writeDouble(50, 0.0);
  f->writeDouble(51, 0.0);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbViewportTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 12: m_center = AcGePoint2d(rb.resval.rpoint[0], rb.resval.rpoint[1]); break;
      case 40: if (rb.resval.rreal > 0) m_height = rb.resval.rreal; break;
      case 41: if (rb.resval.rreal > 0) m_aspect = rb.resval.rreal; break;
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbViewportTableRecord)

Acad::ErrorStatus AcDbViewTableRecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbSymbolTableRecord::dxfOutFields(f);
  f->writeString(100, u"AcDbViewTableRecord");
  writeNameAndFlags(f);
  f->writeDouble(40, m_height);
  f->writePoint2d(10, m_center);
  f->writeDouble(41, m_width);
  if (!m_kept.empty()) {
    qd::db::writeKeptGroups(f, m_kept);
    return f->filerStatus();
  }
  f->writePoint3d(11, AcGePoint3d(0, 0, 1));
  f->writePoint3d(12, AcGePoint3d(0, 0, 0));
  return f->filerStatus();
}
Acad::ErrorStatus AcDbViewTableRecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbSymbolTableRecord::dxfInFields(f);
  m_kept.clear();
  readGroups(f, [&](const resbuf& rb) {
    if (readNameOrFlags(rb)) return;
    switch (rb.restype) {
      case 10: m_center = AcGePoint2d(rb.resval.rpoint[0], rb.resval.rpoint[1]); break;
      case 40: m_height = rb.resval.rreal; break;
      case 41: m_width = rb.resval.rreal; break;
      default: qd::db::keepGroup(m_kept, f, rb); break;
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbViewTableRecord)

// ---- blocks inserting themselves ----

namespace {
// The blocks the definition `btr` inserts directly.
void insertedBy(AcDbDatabase::Impl* d, const AcDbBlockTableRecord* btr, std::vector<AcDbObjectId>& out) {
  for (const AcDbObjectId& id : btr->entityIds()) {
    auto* ref = AcDbBlockReference::cast(d->peek(id));
    if (ref && !ref->isErased() && !ref->blockTableRecord().isNull()) out.push_back(ref->blockTableRecord());
  }
}
}  // namespace

bool qd::db::insertsItself(AcDbDatabase::Impl* d, AcDbObjectId into, AcDbObjectId inserted) {
  if (into.isNull() || inserted.isNull()) return false;
  auto* target = AcDbBlockTableRecord::cast(d->peek(into));
  // A space is inserted nowhere, so nothing put in it can lead back to it.
  if (!target || target->isLayout()) return false;
  // Every block reachable from `inserted`, each walked once, without recursion.
  std::set<AcDbStub*> seen;
  std::vector<AcDbObjectId> pending{inserted};
  while (!pending.empty()) {
    const AcDbObjectId id = pending.back();
    pending.pop_back();
    if (id == into) return true;
    if (!seen.insert(id.stub()).second) continue;
    if (auto* btr = AcDbBlockTableRecord::cast(d->peek(id))) insertedBy(d, btr, pending);
  }
  return false;
}

std::vector<std::u16string> qd::db::selfInsertingBlocks(AcDbDatabase::Impl* d) {
  std::vector<std::u16string> names;
  auto* table = AcDbBlockTable::cast(d->peek(d->blockTable));
  if (!table) return names;
  for (const AcDbObjectId& id : AcDbSymbolTableAccess::records(table)) {
    auto* btr = AcDbBlockTableRecord::cast(d->peek(id));
    if (!btr || btr->isErased() || btr->isLayout()) continue;
    std::vector<AcDbObjectId> inner;
    insertedBy(d, btr, inner);
    for (const AcDbObjectId& first : inner)
      if (insertsItself(d, id, first)) {
        names.emplace_back(btr->nameConst());
        break;
      }
  }
  return names;
}
