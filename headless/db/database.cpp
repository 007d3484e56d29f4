// The database: stubs and handles, the records of a new drawing, header
// variables, and the undo log.
#include <algorithm>
#include <filesystem>
#include <map>
#include <new>
#include <type_traits>
#include <utility>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "host/adslib.h"
#include "platform/pages.h"
#include "platform/codepage.h"

using qd::db::VarValue;

namespace qd::db {

namespace {
// The blocks of stubs of every database, by their first stub: where each ends.
std::map<const AcDbStub*, const AcDbStub*>& liveBlocks() {
  static auto* blocks = new std::map<const AcDbStub*, const AcDbStub*>;
  return *blocks;
}
}  // namespace

AcDbStub* StubStore::add() {
  static_assert(std::is_trivially_destructible_v<AcDbStub>);
  if (m_size == m_blocks.size() * kBlock) {
    std::unique_ptr<AcDbStub[], FreeBlock> block(static_cast<AcDbStub*>(::operator new(kBlock * sizeof(AcDbStub))));
    qd::pages::makePresent(block.get(), kBlock * sizeof(AcDbStub));
    m_blocks.push_back(std::move(block));
    const AcDbStub* first = m_blocks.back().get();
    liveBlocks().emplace(first, first + kBlock);
  }
  return new ((*this)[m_size++]) AcDbStub();
}

StubStore::~StubStore() {
  for (const auto& block : m_blocks) liveBlocks().erase(block.get());
}

bool StubStore::isLive(const AcDbStub* stub) {
  const auto& blocks = liveBlocks();
  auto it = blocks.upper_bound(stub);
  if (it == blocks.begin()) return false;
  --it;
  // Inside a block, and at a stub's start, not inside one.
  const auto at = reinterpret_cast<uintptr_t>(stub), first = reinterpret_cast<uintptr_t>(it->first);
  return at < reinterpret_cast<uintptr_t>(it->second) && (at - first) % sizeof(AcDbStub) == 0;
}

bool isLiveStub(const AcDbStub* stub) { return StubStore::isLive(stub); }

bool VarValue::operator==(const VarValue& o) const {
  return type == o.type && integer == o.integer && real == o.real && point == o.point && text == o.text;
}

std::map<std::u16string, std::u16string>& environment() {
  static std::map<std::u16string, std::u16string> env;
  return env;
}

namespace {
VarValue vShort(int v) {
  VarValue x;
  x.type = RTSHORT;
  x.integer = v;
  return x;
}
VarValue vReal(double v) {
  VarValue x;
  x.type = RTREAL;
  x.real = v;
  return x;
}
VarValue vText(const char16_t* v) {
  VarValue x;
  x.type = RTSTR;
  x.text = v;
  return x;
}
VarValue vPoint(double a, double b, double c, short type = RT3DPOINT) {
  VarValue x;
  x.type = type;
  x.point = AcGePoint3d(a, b, c);
  return x;
}
}  // namespace

bool holdsGroupKind(short type, TagKind kind) {
  switch (type) {
    case RTSTR: return kind == TagKind::String || kind == TagKind::Handle;
    case RTREAL: return kind == TagKind::Real;
    case RTPOINT:
    case RT3DPOINT: return kind == TagKind::Point;
    default: return kind == TagKind::Int16 || kind == TagKind::Int32 || kind == TagKind::Int64 || kind == TagKind::Bool;
  }
}

void setDefaultVariables(AcDbDatabase::Impl* d) {
  auto& v = d->vars;
  v[u"ACADVER"] = vText(u"AC1032");
  v[u"ANGBASE"] = vReal(0);
  v[u"ANGDIR"] = vShort(0);
  v[u"AUNITS"] = vShort(0);
  v[u"AUPREC"] = vShort(0);
  v[u"CECOLOR"] = vText(u"BYLAYER");
  v[u"CELTSCALE"] = vReal(1);
  v[u"CELTYPE"] = vText(u"ByLayer");
  v[u"CLAYER"] = vText(u"0");
  v[u"CMDECHO"] = vShort(1);
  v[u"CVPORT"] = vShort(2);
  v[u"ERRNO"] = vShort(0);
  v[u"DIMASZ"] = vReal(2.5);
  v[u"DIMSCALE"] = vReal(1);
  v[u"DIMSTYLE"] = vText(u"Standard");
  v[u"DWGCODEPAGE"] = vText(u"ANSI_1250");
  v[u"DWGNAME"] = vText(u"Drawing1.dwg");
  v[u"DWGPREFIX"] = vText(u"");
  v[u"EXTMAX"] = vPoint(0, 0, 0);
  v[u"EXTMIN"] = vPoint(0, 0, 0);
  v[u"FILEDIA"] = vShort(1);
  v[u"INSUNITS"] = vShort(4);
  v[u"LASTPOINT"] = vPoint(0, 0, 0);
  v[u"LIMCHECK"] = vShort(0);
  v[u"LIMMAX"] = vPoint(420, 297, 0, RTPOINT);
  v[u"LIMMIN"] = vPoint(0, 0, 0, RTPOINT);
  v[u"LTSCALE"] = vReal(1);
  v[u"LUNITS"] = vShort(2);
  v[u"LUPREC"] = vShort(4);
  v[u"MEASUREMENT"] = vShort(1);
  v[u"MIRRTEXT"] = vShort(0);
  v[u"OSMODE"] = vShort(0);
  v[u"PLATFORM"] = vText(u"Headless host (Linux)");
  v[u"PROXYGRAPHICS"] = vShort(1);
  v[u"REGENMODE"] = vShort(1);
  v[u"TEXTSIZE"] = vReal(2.5);
  v[u"TEXTSTYLE"] = vText(u"Standard");
  v[u"TILEMODE"] = vShort(1);
  v[u"UCSNAME"] = vText(u"");
  v[u"UCSORG"] = vPoint(0, 0, 0);
  v[u"UCSXDIR"] = vPoint(1, 0, 0);
  v[u"UCSYDIR"] = vPoint(0, 1, 0);
  v[u"VIEWCTR"] = vPoint(210, 148.5, 0);
  v[u"VIEWSIZE"] = vReal(297);
  v[u"WORLDUCS"] = vShort(1);
}


}  // namespace qd::db

// ---- Impl ----

AcDbDatabase::Impl::~Impl() {
  for (AcDbStub* s : stubs) {
    delete s->object;
    s->object = nullptr;
  }
}

void AcDbDatabase::Impl::reserveObjects(size_t more) { byHandle.reserve(byHandle.size() + more); }

AcDbStub* AcDbDatabase::Impl::newStub(AcDbHandle h) {
  const size_t index = stubs.size();
  AcDbStub* stub = stubs.add();
  stub->db = self;
  stub->handle = h;
  stub->index = index;
  byHandle.assign(h.value(), stub);
  noteHandle(h);
  return stub;
}

AcDbStub* AcDbDatabase::Impl::stubForHandle(AcDbHandle h, bool create) {
  if (h.isNull()) return nullptr;
  if (AcDbStub* stub = byHandle.find(h.value())) return stub;
  return create ? newStub(h) : nullptr;
}

AcDbObjectId AcDbDatabase::Impl::add(AcDbObject* obj, AcDbObjectId owner, AcDbHandle h) {
  AcDbStub* stub = nullptr;
  if (!h.isNull()) {
    stub = stubForHandle(h, true);
    if (stub->object) stub = nullptr;  // the handle is taken: give the object a new one
  }
  if (!stub) {
    if (beforeFreshHandle) std::exchange(beforeFreshHandle, nullptr)();
    stub = newStub(AcDbHandle(nextHandle));
  }
  stub->object = obj;
  AcDbObjectAccess::stub(obj) = stub;
  AcDbObjectAccess::setOwnerRaw(obj, owner);
  recordCreated(stub);
  if (auto* btr = readingFile ? nullptr : AcDbBlockTableRecord::cast(obj); btr && btr->beginHandle().isNull()) {
    AcDbBlockAccess::setFrameHandles(btr, AcDbHandle(nextHandle), AcDbHandle(nextHandle + 1));
    nextHandle += 2;
  }
  if (auto* complex = AcDbComplexEntity::cast(obj)) AcDbComplexAccess::adopt(complex);
  return AcDbObjectId(stub);
}

const VarValue* AcDbDatabase::Impl::var(std::u16string_view name) const {
  auto it = vars.find(qd::text::toUpper(name));
  return it == vars.end() ? nullptr : &it->second;
}
void AcDbDatabase::Impl::setVar(std::u16string_view name, const VarValue& v) {
  const std::u16string key = qd::text::toUpper(name);
  auto it = vars.find(key);
  if (undoRecording && it != vars.end() && !(it->second == v)) {
    qd::db::UndoRecord r;
    r.kind = qd::db::UndoRecord::Variable;
    r.name = key;
    r.oldValue = it->second;
    undo.push_back(std::move(r));
  }
  vars[key] = v;
}
int16_t AcDbDatabase::Impl::varInt(std::u16string_view name, int16_t fallback) const {
  const VarValue* v = var(name);
  return v ? static_cast<int16_t>(v->integer) : fallback;
}
double AcDbDatabase::Impl::varReal(std::u16string_view name, double fallback) const {
  const VarValue* v = var(name);
  return v ? v->real : fallback;
}
std::u16string AcDbDatabase::Impl::varText(std::u16string_view name) const {
  const VarValue* v = var(name);
  return v ? v->text : std::u16string();
}

AcDbObjectId AcDbDatabase::Impl::recordId(AcDbObjectId table, std::u16string_view name) const {
  auto* t = AcDbSymbolTable::cast(peek(table));
  AcDbObjectId id;
  if (t) t->getAt(std::u16string(name).c_str(), id);
  return id;
}

AcDbObject* AcDbDatabase::Impl::peek(AcDbObjectId id) const {
  AcDbStub* s = id.stub();
  return s && s->db == self ? s->object : nullptr;
}

// ---- undo ----

namespace {
void writeObjectState(AcDbObject* obj, qd::db::MemoryDwgFiler& f) {
  f.writeBool(obj->isErased());
  f.writeSoftPointerId(obj->ownerId());
  f.writeHardOwnershipId(obj->extensionDictionary());
  const auto& reactors = obj->persistentReactors();
  f.writeUInt32(static_cast<uint32_t>(reactors.length()));
  for (const auto& id : reactors) f.writeSoftPointerId(id);
  qd::db::Tags xd;
  for (const resbuf* rb = AcDbObjectAccess::xdata(obj); rb; rb = rb->rbnext) {
    qd::db::Tag t;
    if (qd::db::resbufToTag(*rb, t)) xd.push_back(t);
  }
  qd::db::writeTagsBinary(&f, xd);
  obj->dwgOutFields(&f);
}

void readObjectState(AcDbObject* obj, qd::db::MemoryDwgFiler& f) {
  bool erased = false;
  f.readBool(&erased);
  AcDbObjectAccess::setErased(obj, erased);
  AcDbObjectId owner, extDict;
  f.readSoftPointerId(&owner);
  AcDbObjectAccess::setOwnerRaw(obj, owner);
  f.readHardOwnershipId(&extDict);
  AcDbObjectAccess::setExtDict(obj, extDict);
  uint32_t n = 0;
  f.readUInt32(&n);
  auto& reactors = AcDbObjectAccess::reactors(obj);
  reactors.removeAll();
  for (uint32_t i = 0; i < n && f.filerStatus() == Acad::eOk; ++i) {
    AcDbObjectId id;
    f.readSoftPointerId(&id);
    reactors.append(id);
  }
  qd::db::Tags xd;
  qd::db::readTagsBinary(&f, xd);
  resbuf*& x = AcDbObjectAccess::xdata(obj);
  acutRelRb(x);
  x = nullptr;
  qd::db::ListTail tail(x);
  for (const auto& t : xd) tail.append(t);
  obj->dwgInFields(&f);
}

// Takes an object out of the container that owns it (the undo of its creation).
void detachFromOwner(AcDbDatabase::Impl* d, AcDbObject* obj) {
  AcDbObject* owner = d->peek(obj->ownerId());
  if (auto* btr = AcDbBlockTableRecord::cast(owner)) {
    auto& list = AcDbBlockAccess::entities(btr);
    if (!list.empty() && list.back() == obj->objectId()) list.pop_back();
    else list.erase(std::remove(list.begin(), list.end(), obj->objectId()), list.end());
  }
}
}  // namespace

void AcDbDatabase::Impl::recordModified(AcDbObject* obj) {
  if (!undoRecording) return;
  AcDbStub* stub = AcDbObjectAccess::stub(obj);
  if (!stub || !snapshotSinceMark.insert(stub).second) return;
  qd::db::MemoryDwgFiler f(self, AcDb::kUndoFiler);
  writeObjectState(obj, f);
  qd::db::UndoRecord r;
  r.kind = qd::db::UndoRecord::Modified;
  r.stub = stub;
  r.state = f.bytes();
  undo.push_back(std::move(r));
}

void AcDbDatabase::Impl::recordCreated(AcDbStub* stub) {
  if (!undoRecording) return;
  snapshotSinceMark.insert(stub);
  qd::db::UndoRecord r;
  r.kind = qd::db::UndoRecord::Created;
  r.stub = stub;
  undo.push_back(std::move(r));
}

void AcDbDatabase::Impl::undoMark() {
  qd::db::UndoRecord r;
  r.kind = qd::db::UndoRecord::Mark;
  undo.push_back(std::move(r));
  snapshotSinceMark.clear();
}

int AcDbDatabase::Impl::undoMarkCount() const {
  return static_cast<int>(std::count_if(undo.begin(), undo.end(),
                                        [](const auto& r) { return r.kind == qd::db::UndoRecord::Mark; }));
}

bool AcDbDatabase::Impl::undoBack() {
  spatial.clear();
  if (undoMarkCount() == 0) return false;
  const bool was = undoRecording;
  undoRecording = false;
  while (!undo.empty()) {
    qd::db::UndoRecord r = std::move(undo.back());
    undo.pop_back();
    if (r.kind == qd::db::UndoRecord::Mark) break;
    switch (r.kind) {
      case qd::db::UndoRecord::Modified:
        if (r.stub->object) {
          qd::db::MemoryDwgFiler f(self, r.state, AcDb::kUndoFiler);
          readObjectState(r.stub->object, f);
        }
        break;
      case qd::db::UndoRecord::Created:
        if (AcDbObject* obj = r.stub->object) {
          detachFromOwner(this, obj);
          AcDbObjectAccess::stub(obj) = nullptr;
          delete obj;
          r.stub->object = nullptr;
        }
        break;
      case qd::db::UndoRecord::Variable: vars[r.name] = r.oldValue; break;
      case qd::db::UndoRecord::Mark: break;
    }
  }
  snapshotSinceMark.clear();
  undoRecording = was;
  return true;
}

// ---- AcDbDatabase ----

AcDbDatabase::AcDbDatabase(bool buildDefault, bool) : m_impl(new Impl) {
  qd::db::registerBuiltinClasses();
  m_impl->self = this;
  qd::db::setDefaultVariables(m_impl);
  if (buildDefault) qd::db::buildDefaultDrawing(this);
  m_impl->undoRecording = true;
}

AcDbDatabase::~AcDbDatabase() {
  if (acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  delete m_impl;
}

#define QD_GET_TABLE(FN, TYPE, FIELD)                                 \
  Acad::ErrorStatus AcDbDatabase::FN(TYPE*& t, AcDb::OpenMode mode) { \
    return acdbOpenObject(t, m_impl->FIELD, mode);                    \
  }
QD_GET_TABLE(getBlockTable, AcDbBlockTable, blockTable)
QD_GET_TABLE(getLayerTable, AcDbLayerTable, layerTable)
QD_GET_TABLE(getLinetypeTable, AcDbLinetypeTable, linetypeTable)
QD_GET_TABLE(getTextStyleTable, AcDbTextStyleTable, textStyleTable)
QD_GET_TABLE(getDimStyleTable, AcDbDimStyleTable, dimStyleTable)
QD_GET_TABLE(getRegAppTable, AcDbRegAppTable, regAppTable)
QD_GET_TABLE(getUCSTable, AcDbUCSTable, ucsTable)
QD_GET_TABLE(getViewportTable, AcDbViewportTable, viewportTable)
QD_GET_TABLE(getViewTable, AcDbViewTable, viewTable)
QD_GET_TABLE(getNamedObjectsDictionary, AcDbDictionary, namedDict)
QD_GET_TABLE(getGroupDictionary, AcDbDictionary, groupDict)
#undef QD_GET_TABLE

AcDbObjectId AcDbDatabase::blockTableId() const { return m_impl->blockTable; }
AcDbObjectId AcDbDatabase::layerTableId() const { return m_impl->layerTable; }
AcDbObjectId AcDbDatabase::linetypeTableId() const { return m_impl->linetypeTable; }
AcDbObjectId AcDbDatabase::textStyleTableId() const { return m_impl->textStyleTable; }
AcDbObjectId AcDbDatabase::dimStyleTableId() const { return m_impl->dimStyleTable; }
AcDbObjectId AcDbDatabase::regAppTableId() const { return m_impl->regAppTable; }
AcDbObjectId AcDbDatabase::UCSTableId() const { return m_impl->ucsTable; }
AcDbObjectId AcDbDatabase::viewportTableId() const { return m_impl->viewportTable; }
AcDbObjectId AcDbDatabase::viewTableId() const { return m_impl->viewTable; }
AcDbObjectId AcDbDatabase::namedObjectsDictionaryId() const { return m_impl->namedDict; }
AcDbObjectId AcDbDatabase::groupDictionaryId() const { return m_impl->groupDict; }
AcDbObjectId AcDbDatabase::modelSpaceId() const { return m_impl->modelSpace; }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return m_impl->paperSpace; }
AcDbObjectId AcDbDatabase::currentSpaceId() const {
  if (m_impl->varInt(u"TILEMODE", 1) == 1) return m_impl->modelSpace;
  return m_impl->varInt(u"CVPORT", 2) == 1 ? m_impl->paperSpace : m_impl->modelSpace;
}
bool AcDbDatabase::tilemode() const { return m_impl->varInt(u"TILEMODE", 1) == 1; }

namespace {
Acad::ErrorStatus setCurrentRecord(AcDbDatabase::Impl* d, AcDbObjectId table, AcDbObjectId rec, const char16_t* var) {
  auto* r = AcDbSymbolTableRecord::cast(d->peek(rec));
  if (!r || r->isErased() || r->ownerId() != table) return Acad::eInvalidInput;
  VarValue v;
  v.type = RTSTR;
  v.text = r->nameConst();
  d->setVar(var, v);
  return Acad::eOk;
}
}  // namespace

AcDbObjectId AcDbDatabase::clayer() const {
  AcDbObjectId id = m_impl->recordId(m_impl->layerTable, m_impl->varText(u"CLAYER"));
  return id.isNull() ? m_impl->recordId(m_impl->layerTable, u"0") : id;
}
Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId id) {
  auto* rec = AcDbLayerTableRecord::cast(m_impl->peek(id));
  if (rec && rec->isFrozen()) return Acad::eInvalidInput;
  return setCurrentRecord(m_impl, m_impl->layerTable, id, u"CLAYER");
}
AcDbObjectId AcDbDatabase::textstyle() const {
  AcDbObjectId id = m_impl->recordId(m_impl->textStyleTable, m_impl->varText(u"TEXTSTYLE"));
  return id.isNull() ? m_impl->recordId(m_impl->textStyleTable, u"Standard") : id;
}
Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId id) {
  return setCurrentRecord(m_impl, m_impl->textStyleTable, id, u"TEXTSTYLE");
}
AcDbObjectId AcDbDatabase::celtype() const {
  AcDbObjectId id = m_impl->recordId(m_impl->linetypeTable, m_impl->varText(u"CELTYPE"));
  return id.isNull() ? m_impl->recordId(m_impl->linetypeTable, u"ByLayer") : id;
}
Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId id) {
  return setCurrentRecord(m_impl, m_impl->linetypeTable, id, u"CELTYPE");
}
AcDbObjectId AcDbDatabase::dimstyle() const {
  AcDbObjectId id = m_impl->recordId(m_impl->dimStyleTable, m_impl->varText(u"DIMSTYLE"));
  return id.isNull() ? m_impl->recordId(m_impl->dimStyleTable, u"Standard") : id;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool create, const AcDbHandle& h, uint32_t) {
  id.setNull();
  if (h.isNull()) return Acad::eNullHandle;
  AcDbStub* s = m_impl->stubForHandle(h, create);
  if (!s) return Acad::eUnknownHandle;
  id = AcDbObjectId(s);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
  if (!obj) return Acad::eNullObjectPointer;
  if (!obj->isNewObject()) return Acad::eAlreadyInDb;
  id = m_impl->add(obj, AcDbObjectId());
  AcDbObjectAccess::writer(obj) = true;  // open for write until the caller closes it
  return Acad::eOk;
}

AcDbHandle AcDbDatabase::handseed() const { return AcDbHandle(m_impl->nextHandle); }
const ACHAR* AcDbDatabase::lastError() const { return m_impl->lastError.c_str(); }

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}

// ---- a new drawing ----

namespace qd::db {

namespace {
template <class Record>
AcDbObjectId addRecord(AcDbDatabase::Impl* d, AcDbObjectId table, Record* rec) {
  auto* t = AcDbSymbolTable::cast(d->peek(table));
  AcDbObjectAccess::writer(t) = true;
  AcDbObjectId id;
  t->add(id, rec);
  AcDbObjectAccess::writer(t) = false;
  AcDbObjectAccess::writer(rec) = false;
  return id;
}
}  // namespace

void buildDefaultDrawing(AcDbDatabase* db) {
  auto* d = db->impl();
  // The named-object dictionary is the root of the object tree (handle C in the host).
  d->namedDict = d->add(new AcDbDictionary(), AcDbObjectId());
  d->blockTable = d->add(new AcDbBlockTable(), AcDbObjectId());
  d->layerTable = d->add(new AcDbLayerTable(), AcDbObjectId());
  d->textStyleTable = d->add(new AcDbTextStyleTable(), AcDbObjectId());
  d->linetypeTable = d->add(new AcDbLinetypeTable(), AcDbObjectId());
  d->viewTable = d->add(new AcDbViewTable(), AcDbObjectId());
  d->ucsTable = d->add(new AcDbUCSTable(), AcDbObjectId());
  d->viewportTable = d->add(new AcDbViewportTable(), AcDbObjectId());
  d->regAppTable = d->add(new AcDbRegAppTable(), AcDbObjectId());
  d->dimStyleTable = d->add(new AcDbDimStyleTable(), AcDbObjectId());

  auto* groups = new AcDbDictionary();
  auto* root = AcDbDictionary::cast(d->peek(d->namedDict));
  AcDbObjectAccess::writer(root) = true;
  root->setAt(u"ACAD_GROUP", groups, d->groupDict);
  AcDbObjectAccess::writer(groups) = false;
  AcDbObjectAccess::writer(root) = false;

  for (const char16_t* name : {u"ByBlock", u"ByLayer", u"Continuous"}) {
    auto* lt = new AcDbLinetypeTableRecord();
    lt->setName(name);
    if (std::u16string_view(name) == u"Continuous") lt->setComments(u"Solid line");
    addRecord(d, d->linetypeTable, lt);
  }
  auto* layer0 = new AcDbLayerTableRecord();
  layer0->setName(u"0");
  addRecord(d, d->layerTable, layer0);
  auto* standard = new AcDbTextStyleTableRecord();
  standard->setName(u"Standard");
  standard->setFileName(u"txt");
  addRecord(d, d->textStyleTable, standard);
  auto* dimStandard = new AcDbDimStyleTableRecord();
  dimStandard->setName(u"Standard");
  addRecord(d, d->dimStyleTable, dimStandard);
  auto* acad = new AcDbRegAppTableRecord();
  acad->setName(u"ACAD");
  addRecord(d, d->regAppTable, acad);
  auto* active = new AcDbViewportTableRecord();
  active->setName(u"*Active");
  addRecord(d, d->viewportTable, active);

  auto* ms = new AcDbBlockTableRecord();
  ms->setName(ACDB_MODEL_SPACE);
  d->modelSpace = addRecord(d, d->blockTable, ms);
  auto* ps = new AcDbBlockTableRecord();
  ps->setName(ACDB_PAPER_SPACE);
  d->paperSpace = addRecord(d, d->blockTable, ps);
}

}  // namespace qd::db
