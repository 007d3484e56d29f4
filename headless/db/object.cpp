// Objects, ids, handles, open and close, erase, extended data.
#include <cstdio>
#include <cstring>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::implOf;
using A = AcDbObjectAccess;

// ---- handles and ids ----

AcDbHandle::AcDbHandle(const ACHAR* hex)
    : m_value(hex ? qd::db::handleValue(std::u16string_view(hex)) : 0) {}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* buffer, size_t size) const {
  char tmp[24];
  std::snprintf(tmp, sizeof tmp, "%llX", static_cast<unsigned long long>(m_value));
  const size_t n = std::strlen(tmp);
  if (size < n + 1) return false;
  for (size_t i = 0; i <= n; ++i) buffer[i] = static_cast<ACHAR>(tmp[i]);
  return true;
}

bool AcDbObjectId::isValid() const { return m_stub && m_stub->object; }
bool AcDbObjectId::isErased() const { return !m_stub || !m_stub->object || m_stub->object->isErased(); }
AcDbHandle AcDbObjectId::handle() const { return m_stub ? m_stub->handle : AcDbHandle(); }
AcDbDatabase* AcDbObjectId::database() const { return m_stub ? m_stub->db : nullptr; }
AcRxClass* AcDbObjectId::objectClass() const {
  return m_stub && m_stub->object ? m_stub->object->isA() : nullptr;
}
bool AcDbObjectId::operator<(const AcDbObjectId& o) const {
  if (!m_stub || !o.m_stub) return m_stub < o.m_stub;
  return m_stub->handle < o.m_stub->handle;
}

// ---- AcDbObject ----

AcDbObject::AcDbObject() = default;
AcDbObject::~AcDbObject() { acutRelRb(m_xdata); }

resbuf*& AcDbObject::xdataList() const {
  if (m_packedXData.empty()) return m_xdata;
  qd::db::ListTail tail(m_xdata);
  qd::db::unpackGroups(m_packedXData.str(), [&](const qd::db::Tag& t) { tail.append(t); });
  m_packedXData.clear();
  return m_xdata;
}

void AcDbObjectAccess::forEachXDataGroup(const AcDbObject* o, const std::function<void(const qd::db::Tag&)>& apply) {
  if (!o->m_packedXData.empty()) {
    qd::db::unpackGroups(o->m_packedXData.str(), apply);
    return;
  }
  qd::db::Tag t;
  for (const resbuf* rb = o->m_xdata; rb; rb = rb->rbnext)
    if (qd::db::resbufToTag(*rb, t)) apply(t);
}

void AcDbObjectAccess::setPackedXData(AcDbObject* o, qd::KeptBytes&& packed) {
  if (!o->m_xdata && o->m_packedXData.empty()) o->m_packedXData = std::move(packed);
}

void AcDbObjectAccess::addXData(AcDbObject* o, const qd::db::Tags& tags, qd::KeptBytes&& packed) {
  if (tags.empty()) return;
  if (!o->m_xdata && o->m_packedXData.empty()) {
    if (!packed.empty()) {
      o->m_packedXData = std::move(packed);
      return;
    }
    if (qd::db::packGroups(tags, o->m_packedXData.edit())) return;
    o->m_packedXData.clear();
  }
  qd::db::ListTail tail(o->xdataList());
  for (const auto& t : tags) tail.append(t);
}

AcRxObject* AcDbObject::clone() const {
  auto* copy = AcDbObject::cast(isA()->create());
  if (!copy) return nullptr;
  qd::db::MemoryDwgFiler out(database(), AcDb::kCopyFiler);
  dwgOutFields(&out);
  qd::db::MemoryDwgFiler in(database(), out.bytes(), AcDb::kCopyFiler);
  copy->dwgInFields(&in);
  copy->m_xdata = qd::ads::copyList(xdataList());
  return copy;
}

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId(m_stub); }
AcDbDatabase* AcDbObject::database() const { return m_stub ? m_stub->db : nullptr; }
bool AcDbObject::isReadEnabled() const { return m_readers > 0 || m_openForWrite || m_stub == nullptr; }

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId ownerId) {
  m_ownerId = ownerId;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::close() {
  if (!m_stub) return Acad::eOk;  // not yet in a database: the caller still owns it
  if (m_openForWrite) {
    subClose();
    m_openForWrite = false;
    if (m_stub->db) implOf(m_stub->db)->spatial.touch(m_stub);
  } else if (m_readers > 0) {
    --m_readers;
  } else if (m_openForNotify) {
    m_openForNotify = false;
  } else {
    return Acad::eNotOpenForRead;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
  if (m_openForWrite) return Acad::eWasOpenForWrite;
  if (m_readers > 1) return Acad::eHadMultipleReaders;
  if (auto* ent = AcDbEntity::cast(this); ent && m_stub) {
    auto* d = implOf(m_stub->db);
    auto* layer = AcDbLayerTableRecord::cast(d->peek(ent->layerId()));
    if (layer && layer->isLocked()) return Acad::eOnLockedLayer;
  }
  if (m_stub) implOf(m_stub->db)->recordModified(this);
  m_readers = 0;
  m_openForWrite = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
  if (!m_openForWrite) return Acad::eNotOpenForWrite;
  m_openForWrite = false;
  m_readers = 1;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
  if (m_stub && !m_openForWrite) return Acad::eNotOpenForWrite;
  if (erasing == m_erased) return erasing ? Acad::eWasErased : Acad::eWasNotErased;
  if (m_stub) {
    const AcDbDatabase* db = m_stub->db;
    // The records every drawing needs cannot be erased.
    auto* d = db->impl();
    const AcDbObjectId me = objectId();
    if (erasing && (me == d->modelSpace || me == d->paperSpace || me == d->namedDict ||
                    AcDbSymbolTable::cast(this)))
      return Acad::eCannotBeErasedByCaller;
    if (erasing) {
      if (auto* rec = AcDbSymbolTableRecord::cast(this)) {
        const std::u16string upper = qd::text::toUpper(rec->nameConst());
        if (upper == u"0" || upper == u"DEFPOINTS" || upper == u"STANDARD" || upper == u"CONTINUOUS" ||
            upper == u"BYLAYER" || upper == u"BYBLOCK" || me == db->clayer() || me == db->textstyle())
          return Acad::eCannotBeErasedByCaller;
      }
    }
  }
  Acad::ErrorStatus es = subErase(erasing);
  if (es != Acad::eOk) return es;
  m_erased = erasing;
  return Acad::eOk;
}

resbuf* AcDbObject::xData(const ACHAR* app) const {
  return qd::ads::xdataOfApps(xdataList(), app ? std::u16string(app) : std::u16string(u"*"));
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
  if (m_stub && !m_openForWrite) return Acad::eNotOpenForWrite;
  // Every application named must be registered in the drawing.
  if (m_stub) {
    auto* d = implOf(m_stub->db);
    for (const resbuf* rb = xdata; rb; rb = rb->rbnext)
      if (rb->restype == 1001 && (!rb->resval.rstring || d->recordId(d->regAppTable, rb->resval.rstring).isNull()))
        return Acad::eInvalidInput;
  }
  if (!qd::ads::isWellFormedXData(xdata)) return Acad::eInvalidInput;
  m_xdata = qd::ads::mergeXData(xdataList(), xdata);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
  if (!m_extDict.isNull() && m_extDict.isValid()) return Acad::eAlreadyInDb;
  if (!m_stub) return Acad::eNotApplicable;
  auto* dict = new AcDbDictionary();
  m_extDict = implOf(m_stub->db)->add(dict, objectId());
  dict->addPersistentReactor(objectId());
  return Acad::eOk;
}

void AcDbObject::addPersistentReactor(AcDbObjectId id) {
  if (!m_reactors.contains(id)) m_reactors.append(id);
}
Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId id) {
  int i;
  if (!m_reactors.find(id, i)) return Acad::eKeyNotFound;
  m_reactors.removeAt(i);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler* filer) { return filer->filerStatus(); }
Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler* filer) const { return filer->filerStatus(); }
Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler* filer) { return filer->filerStatus(); }
Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler* filer) const { return filer->filerStatus(); }

// ---- opening ----

Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  obj = nullptr;
  AcDbStub* stub = id.stub();
  if (!stub) return Acad::eNullObjectId;
  AcDbObject* o = stub->object;
  if (!o) return Acad::ePermanentlyErased;
  if (o->isErased() && !openErased) return Acad::eWasErased;
  switch (mode) {
    case AcDb::kForRead:
      if (A::writer(o)) return Acad::eWasOpenForWrite;
      if (A::readers(o) >= 256) return Acad::eAtMaxReaders;
      ++A::readers(o);
      break;
    case AcDb::kForWrite: {
      if (A::writer(o)) return Acad::eWasOpenForWrite;
      if (A::readers(o) > 0) return Acad::eWasOpenForRead;
      if (A::notify(o)) return Acad::eWasOpenForNotify;
      if (auto* ent = AcDbEntity::cast(o)) {
        auto* layer = AcDbLayerTableRecord::cast(implOf(stub->db)->peek(ent->layerId()));
        if (layer && layer->isLocked()) return Acad::eOnLockedLayer;
      }
      implOf(stub->db)->recordModified(o);
      A::writer(o) = true;
      break;
    }
    case AcDb::kForNotify:
      if (A::notify(o)) return Acad::eWasOpenForNotify;
      A::notify(o) = true;
      break;
  }
  obj = o;
  return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  return acdbOpenObject(ent, id, mode, openErased);
}

// ---- status texts ----

const ACHAR* acadErrorStatusText(Acad::ErrorStatus es) {
  switch (es) {
#define QD_ES(name) \
  case Acad::name: return u"" #name;
    QD_ES(eOk) QD_ES(eNotImplementedYet) QD_ES(eNotApplicable) QD_ES(eInvalidInput)
    QD_ES(eAmbiguousInput) QD_ES(eAmbiguousOutput) QD_ES(eOutOfMemory) QD_ES(eBufferTooSmall)
    QD_ES(eInvalidOpenState) QD_ES(eEntityInInactiveLayout) QD_ES(eHandleExists) QD_ES(eNullHandle)
    QD_ES(eBrokenHandle) QD_ES(eUnknownHandle) QD_ES(eHandleInUse) QD_ES(eNullObjectPointer)
    QD_ES(eNullObjectId) QD_ES(eNullBlockName) QD_ES(eContainerNotEmpty) QD_ES(eNullEntityPointer)
    QD_ES(eIllegalEntityType) QD_ES(eKeyNotFound) QD_ES(eDuplicateKey) QD_ES(eInvalidIndex)
    QD_ES(eDuplicateIndex) QD_ES(eAlreadyInDb) QD_ES(eOutOfDisk) QD_ES(eDeletedEntry)
    QD_ES(eNegativeValueNotAllowed) QD_ES(eInvalidExtents) QD_ES(eInvalidAdsName)
    QD_ES(eInvalidSymbolTableName) QD_ES(eInvalidKey) QD_ES(eWrongObjectType) QD_ES(eWrongDatabase)
    QD_ES(eObjectToBeDeleted) QD_ES(eInvalidDwgVersion) QD_ES(eAnonymousEntry) QD_ES(eIllegalReplacement)
    QD_ES(eEndOfObject) QD_ES(eEndOfFile) QD_ES(eIsReading) QD_ES(eIsWriting) QD_ES(eNotOpenForRead)
    QD_ES(eNotOpenForWrite) QD_ES(eNotThatKindOfClass) QD_ES(eInvalidBlockName) QD_ES(eMissingDxfField)
    QD_ES(eDuplicateDxfField) QD_ES(eInvalidDxfCode) QD_ES(eInvalidResBuf) QD_ES(eBadDxfSequence)
    QD_ES(eFilerError) QD_ES(eVertexAfterFace) QD_ES(eInvalidFaceVertexIndex) QD_ES(eInvalidMeshVertexIndex)
    QD_ES(eOtherObjectsBusy) QD_ES(eMustFirstAddBlockToDb) QD_ES(eCannotNestBlockDefs)
    QD_ES(eDwgRecoveredOK) QD_ES(eDwgNotRecoverable) QD_ES(eDxfPartiallyRead) QD_ES(eDxfReadAborted)
    QD_ES(eDxbPartiallyRead) QD_ES(eDwgCRCDoesNotMatch) QD_ES(eDwgSentinelDoesNotMatch)
    QD_ES(eDwgObjectImproperlyRead) QD_ES(eNoInputFiler) QD_ES(eDwgNeedsAFullSave) QD_ES(eDxbReadAborted)
    QD_ES(eFileLockedByACAD) QD_ES(eFileAccessErr) QD_ES(eFileSystemErr) QD_ES(eFileInternalErr)
    QD_ES(eFileTooManyOpen) QD_ES(eFileNotFound) QD_ES(eDwkLockFileFound) QD_ES(eWasErased)
    QD_ES(ePermanentlyErased) QD_ES(eWasOpenForRead) QD_ES(eWasOpenForWrite) QD_ES(eWasOpenForUndo)
    QD_ES(eWasNotifying) QD_ES(eWasOpenForNotify) QD_ES(eOnLockedLayer) QD_ES(eMustOpenThruOwner)
    QD_ES(eSubentitiesStillOpen) QD_ES(eAtMaxReaders) QD_ES(eIsWriteProtected) QD_ES(eIsXRefObject)
    QD_ES(eNotAnEntity) QD_ES(eHadMultipleReaders) QD_ES(eDuplicateRecordName) QD_ES(eXRefDependent)
    QD_ES(eSelfReference) QD_ES(eMissingSymbolTable) QD_ES(eMissingSymbolTableRec)
    QD_ES(eWasNotOpenForWrite) QD_ES(eCloseWasNotifying) QD_ES(eCloseModifyAborted)
    QD_ES(eClosePartialFailure) QD_ES(eCloseFailObjectDamaged) QD_ES(eCannotBeErasedByCaller)
    QD_ES(eCannotBeResurrected) QD_ES(eWasNotErased)
#undef QD_ES
  }
  return u"eUnknownStatus";
}
