// Dictionaries, extended records and groups.
#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::implOf;
using qd::db::readGroups;

// ---- dictionaries ----
AcDbDictionaryIterator::AcDbDictionaryIterator(std::vector<std::pair<std::u16string, AcDbObjectId>> e)
    : m_entries(std::move(e)) {}
const ACHAR* AcDbDictionaryIterator::name() const { return done() ? nullptr : m_entries[m_pos].first.c_str(); }
AcDbObjectId AcDbDictionaryIterator::objectId() const { return done() ? AcDbObjectId() : m_entries[m_pos].second; }
bool AcDbDictionaryIterator::next() {
  if (!done()) ++m_pos;
  return !done();
}

Acad::ErrorStatus AcDbDictionary::getAt(const ACHAR* key, AcDbObjectId& id) const {
  id.setNull();
  if (!key) return Acad::eInvalidKey;
  auto it = m_entries.find(qd::text::toUpper(key));
  if (it == m_entries.end() || it->second.second.isErased()) return Acad::eKeyNotFound;
  id = it->second.second;
  return Acad::eOk;
}
bool AcDbDictionary::nameAt(AcDbObjectId id, ACHAR*& name) const {
  for (const auto& [k, v] : m_entries)
    if (v.second == id) {
      name = acutNewString(v.first.c_str());
      return true;
    }
  return false;
}
bool AcDbDictionary::has(const ACHAR* key) const {
  AcDbObjectId id;
  return getAt(key, id) == Acad::eOk;
}
bool AcDbDictionary::has(AcDbObjectId id) const {
  for (const auto& [k, v] : m_entries)
    if (v.second == id) return !id.isErased();
  return false;
}
uint32_t AcDbDictionary::numEntries() const {
  uint32_t n = 0;
  for (const auto& [k, v] : m_entries)
    if (!v.second.isErased()) ++n;
  return n;
}
Acad::ErrorStatus AcDbDictionary::setAt(const ACHAR* key, AcDbObject* obj, AcDbObjectId& id) {
  if (!key || !*key) return Acad::eInvalidKey;
  if (!obj) return Acad::eNullObjectPointer;
  if (database() && !isWriteEnabled()) return Acad::eNotOpenForWrite;
  auto* d = implOf(database());
  if (!d) return Acad::eNotApplicable;
  std::u16string k = key;
  if (k == u"*") {
    // An anonymous entry gets a generated key.
    do {
      k = u"*A" + qd::text::fromUtf8(std::to_string(++m_anonymousCount));
    } while (m_entries.count(qd::text::toUpper(k)));
  }
  const std::u16string upper = qd::text::toUpper(k);
  if (auto it = m_entries.find(upper); it != m_entries.end()) {
    if (it->second.second == obj->objectId()) {
      id = obj->objectId();
      return Acad::eOk;
    }
    if (AcDbObject* old = d->peek(it->second.second); old && !old->isErased()) {
      d->recordModified(old);
      AcDbObjectAccess::setErased(old, true);
    }
  }
  if (obj->isNewObject()) {
    id = d->add(obj, objectId());
    AcDbObjectAccess::writer(obj) = true;  // open for write until the caller closes it
  } else {
    id = obj->objectId();
    obj->setOwnerId(objectId());
  }
  m_entries[upper] = {k, id};
  return Acad::eOk;
}
Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key) {
  AcDbObjectId id;
  return remove(key, id);
}
Acad::ErrorStatus AcDbDictionary::remove(const ACHAR* key, AcDbObjectId& removed) {
  if (!key) return Acad::eInvalidKey;
  if (database() && !isWriteEnabled()) return Acad::eNotOpenForWrite;
  auto it = m_entries.find(qd::text::toUpper(key));
  if (it == m_entries.end()) return Acad::eKeyNotFound;
  removed = it->second.second;
  m_entries.erase(it);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId id) {
  if (database() && !isWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
    if (it->second.second == id) {
      m_entries.erase(it);
      return Acad::eOk;
    }
  return Acad::eKeyNotFound;
}
Acad::ErrorStatus AcDbDictionary::setName(const ACHAR* oldName, const ACHAR* newName) {
  if (!oldName || !newName || !*newName) return Acad::eInvalidKey;
  auto it = m_entries.find(qd::text::toUpper(oldName));
  if (it == m_entries.end()) return Acad::eKeyNotFound;
  const std::u16string upper = qd::text::toUpper(newName);
  if (m_entries.count(upper)) return Acad::eDuplicateKey;
  auto entry = it->second;
  m_entries.erase(it);
  entry.first = newName;
  m_entries[upper] = entry;
  return Acad::eOk;
}
AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
  std::vector<std::pair<std::u16string, AcDbObjectId>> live;
  for (const auto& [k, v] : m_entries)
    if (!v.second.isErased()) live.push_back(v);
  return new AcDbDictionaryIterator(std::move(live));
}
Acad::ErrorStatus AcDbDictionary::subErase(bool erasing) {
  // Erasing a dictionary erases what it owns.
  auto* d = implOf(database());
  if (!d) return Acad::eOk;
  for (const auto& [k, v] : m_entries)
    if (AcDbObject* o = d->peek(v.second); o && o->ownerId() == objectId()) {
      d->recordModified(o);
      AcDbObjectAccess::setErased(o, erasing);
    }
  return Acad::eOk;
}
Acad::ErrorStatus AcDbDictionary::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbObject::dxfOutFields(f);
  f->writeString(100, u"AcDbDictionary");
  if (m_hardOwner) f->writeInt16(280, 1);
  f->writeInt16(281, m_cloning);
  const bool all = f->includesDefaultValues();
  for (const auto& [k, v] : m_entries) {
    if (!all && v.second.isErased()) continue;
    f->writeString(3, v.first.c_str());
    f->writeObjectId(350, v.second);
  }
  return f->filerStatus();
}
Acad::ErrorStatus AcDbDictionary::dxfInFields(AcDbDxfFiler* f) {
  AcDbObject::dxfInFields(f);
  m_entries.clear();
  std::u16string key;
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 280: m_hardOwner = rb.resval.rint != 0; break;
      case 281: m_cloning = rb.resval.rint; break;
      case 3: key = rb.resval.rstring; break;
      case 350:
      case 360: {
        AcDbObjectId id;
        if (!key.empty() && acdbGetObjectId(id, rb.resval.rlname) == Acad::eOk)
          m_entries[qd::text::toUpper(key)] = {key, id};
        key.clear();
        break;
      }
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbDictionary)

// ---- xrecords ----
AcDbXrecord::~AcDbXrecord() { acutRelRb(m_data); }
Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** chain, AcDbDatabase*) const {
  if (!chain) return Acad::eInvalidInput;
  *chain = qd::ads::copyList(m_data);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& chain, AcDbDatabase*) {
  if (database() && !isWriteEnabled()) return Acad::eNotOpenForWrite;
  for (const resbuf* rb = &chain; rb; rb = rb->rbnext) {
    qd::db::Tag t;
    if (rb->restype == 0 || rb->restype == 5 || rb->restype == 100 || rb->restype == 1001 ||
        !qd::db::resbufToTag(*rb, t))
      return Acad::eInvalidResBuf;
  }
  acutRelRb(m_data);
  m_data = qd::ads::copyList(&chain);
  return Acad::eOk;
}
Acad::ErrorStatus AcDbXrecord::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbObject::dxfOutFields(f);
  f->writeString(100, u"AcDbXrecord");
  f->writeInt16(280, m_cloning);
  for (const resbuf* rb = m_data; rb; rb = rb->rbnext) f->writeItem(*rb);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbXrecord::dxfInFields(AcDbDxfFiler* f) {
  AcDbObject::dxfInFields(f);
  acutRelRb(m_data);
  m_data = nullptr;
  bool first = true;
  resbuf rb;
  while (f->readItem(&rb) == Acad::eOk) {
    if (rb.restype == 100) continue;
    // The cloning flag comes first; every later group is data.
    if (first && rb.restype == 280) {
      m_cloning = rb.resval.rint;
      first = false;
      continue;
    }
    first = false;
    m_data = qd::ads::append(m_data, qd::ads::copyOne(&rb));
  }
  return Acad::eOk;
}
QD_DEFINE_DWG_VIA_DXF(AcDbXrecord)

// ---- groups ----
AcDbGroup::AcDbGroup(const ACHAR* description, bool selectable)
    : m_description(description ? description : u""), m_selectable(selectable) {}
Acad::ErrorStatus AcDbGroup::setDescription(const ACHAR* t) {
  m_description = t ? t : u"";
  return Acad::eOk;
}
Acad::ErrorStatus AcDbGroup::setSelectable(bool v) {
  m_selectable = v;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbGroup::setAnonymous() {
  m_anonymous = true;
  return Acad::eOk;
}
const ACHAR* AcDbGroup::name() const {
  static thread_local std::u16string result;
  result.clear();
  auto* d = implOf(database());
  if (auto* dict = d ? AcDbDictionary::cast(d->peek(ownerId())) : nullptr) {
    ACHAR* n = nullptr;
    if (dict->nameAt(objectId(), n)) {
      result = n;
      delete[] n;
    }
  }
  return result.c_str();
}
Acad::ErrorStatus AcDbGroup::append(AcDbObjectId id) {
  if (id.isNull() || !id.isValid()) return Acad::eNullObjectId;
  if (std::find(m_ids.begin(), m_ids.end(), id) != m_ids.end()) return Acad::eAlreadyInDb;
  m_ids.push_back(id);
  if (auto* d = implOf(database()))
    if (AcDbObject* o = d->peek(id)) o->addPersistentReactor(objectId());
  return Acad::eOk;
}
Acad::ErrorStatus AcDbGroup::append(const AcDbObjectIdArray& ids) {
  for (const auto& id : ids)
    if (Acad::ErrorStatus es = append(id); es != Acad::eOk && es != Acad::eAlreadyInDb) return es;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbGroup::remove(AcDbObjectId id) {
  auto it = std::find(m_ids.begin(), m_ids.end(), id);
  if (it == m_ids.end()) return Acad::eKeyNotFound;
  m_ids.erase(it);
  if (auto* d = implOf(database()))
    if (AcDbObject* o = d->peek(id)) o->removePersistentReactor(objectId());
  return Acad::eOk;
}
Acad::ErrorStatus AcDbGroup::clear() {
  while (!m_ids.empty()) remove(m_ids.back());
  return Acad::eOk;
}
bool AcDbGroup::has(const AcDbEntity* ent) const {
  return ent && std::find(m_ids.begin(), m_ids.end(), ent->objectId()) != m_ids.end();
}
uint32_t AcDbGroup::numEntities() const {
  uint32_t n = 0;
  for (const auto& id : m_ids)
    if (!id.isErased()) ++n;
  return n;
}
uint32_t AcDbGroup::allEntityIds(AcDbObjectIdArray& ids) const {
  for (const auto& id : m_ids)
    if (!id.isErased()) ids.append(id);
  return numEntities();
}
Acad::ErrorStatus AcDbGroup::dxfOutFields(AcDbDxfFiler* f) const {
  AcDbObject::dxfOutFields(f);
  f->writeString(100, u"AcDbGroup");
  f->writeString(300, m_description.c_str());
  f->writeInt16(70, m_anonymous ? 1 : 0);
  f->writeInt16(71, m_selectable ? 1 : 0);
  for (const auto& id : m_ids)
    if (f->includesDefaultValues() || !id.isErased()) f->writeObjectId(340, id);
  return f->filerStatus();
}
Acad::ErrorStatus AcDbGroup::dxfInFields(AcDbDxfFiler* f) {
  AcDbObject::dxfInFields(f);
  m_ids.clear();
  readGroups(f, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 300: m_description = rb.resval.rstring; break;
      case 70: m_anonymous = rb.resval.rint != 0; break;
      case 71: m_selectable = rb.resval.rint != 0; break;
      case 340: {
        AcDbObjectId id;
        if (acdbGetObjectId(id, rb.resval.rlname) == Acad::eOk && !id.isNull()) m_ids.push_back(id);
        break;
      }
    }
  });
  return f->filerStatus();
}
QD_DEFINE_DWG_VIA_DXF(AcDbGroup)
