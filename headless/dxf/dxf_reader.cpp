// The DXF reader: accepts the ASCII DXF of R12 to R2018 and builds the database.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/direct_filing.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "headless/dxf/group_cursor.h"
#include "headless/dxf/object_parser.h"
#include "headless/dxf/parsing_ahead.h"
#include "headless/dxf/record_spellings.h"
#include "headless/dxf/shared_groups.h"
#include "headless/dxf/survey.h"
#include "host/adslib.h"
#include "host/object_heap.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::dxf {

// Type names are compared as views: by their size first, without measuring the name.
using namespace std::string_view_literals;
namespace {

using db::Tag;
using db::TagKind;
using db::Tags;

// What the reader asks of an object's own groups, found in the one pass over them that
// makes ids of their pointers.
struct OwnGroups {
  bool paper = false;             // 67 is 1: the entity stands in paper space
  bool attributesFollow = false;  // 66 is 1
  bool entityMarker = false;      // an AcDbEntity subclass marker: an entity of any class
  bool angles = false;            // groups 50 to 58, in degrees
  size_t dwgStream = std::string_view::npos;  // where a stored binary stream's marker stands
};

// The groups every object shares: handle, owner, reactors, extension dictionary and
// extended data; and what its own groups hold.
struct Common {
  AcDbHandle handle;
  AcDbObjectId owner, extDict;
  std::vector<AcDbObjectId> reactors;
  Tags xdata;
  KeptBytes packedXData;
  OwnGroups own;
};

class Reader {
 public:
  Reader(AcDbDatabase* db, std::string_view text, const ReadOptions& options)
      : m_db(db),
        m_d(db->impl()),
        m_text(text),
        m_direct(options.directFiling && directFilingFits()),
        m_textDone(options.textDone),
        m_leaveEntities(!options.checkAllFirst && text.size() >= kParseAheadFrom) {}
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader() { m_d->beforeFreshHandle = nullptr; }
  // A fault found while the entities' groups were left unchecked gives way to the one
  // the check of every group finds first, as if it had been made first.
  void run();
  // Every block record and block reference read, in the order they were made.
  const std::vector<AcDbObjectId>& blockRecords() const { return m_blockRecords; }
  const std::vector<AcDbObjectId>& blockReferences() const { return m_blockReferences; }

 private:
  std::string_view value(const RawGroup& g) const { return m_text.substr(g.offset, g.size); }
  bool isZero(const GroupCursor& c, const char* v) const { return qd::dxf::isZero(m_text, c, v); }
  std::u16string decode(std::string_view s) const { return m_parser.decode(s); }
  // The groups from the cursor's to the next 0 group (or, for a header variable, 9
  // group), typed; the cursor is left at that group. They stay until the next call.
  Tags& objectTags(GroupCursor& c, bool headerVariable = false);
  // The same for an object, without the groups every object shares, which go to `common`.
  Tags& objectGroups(GroupCursor& c, Common& common, bool dimstyle);
  // Makes ids of the handles the parser left in pointers' groups, and tells what else the
  // groups hold.
  OwnGroups resolveIds(Tags& tags);
  AcDbObjectId idOf(uint64_t handle);
  // The shared groups with ids made of their handles, in the order a file has them.
  Common resolved(SharedGroups& shared);
  void readClasses(GroupCursor& c);

  void readHeader(GroupCursor& c);
  void readTables(GroupCursor& c);
  void readBlocks(GroupCursor& c);
  // What the reader does with an object depends on its class: found once for each class.
  struct Kinds {
    bool object = false, entity = false, text = false, complex = false, blockReference = false, blockRecord = false;
  };
  static Kinds kindsOf(const AcRxClass* cls);
  // `spellAsRecords`: an entity's names are still the file's spellings.
  void place(const std::u16string& type, AcDbObject* obj, const Kinds& kinds, AcDbObjectId id, bool attributesFollow,
             AcDbBlockTableRecord* btr, bool spellAsRecords = true);
  // A drawing's entities are parsed in stretches on a thread of their own and on the
  // reader's from this size of file on; below it, the thread would cost more than it saves.
  static constexpr size_t kParseAheadFrom = size_t{512} << 10;
  // A quarter of what a building's entity takes of its file.
  static constexpr size_t kLeastEntityBytes = 48;
  // `end`: where the value of the section's ENDSEC stands.
  void readEntities(GroupCursor& c, size_t end, AcDbObjectId space);
  void addEntity(const std::u16string& type, Tags& tags, Common& common, AcDbObjectId modelSpace,
                 AcDbBlockTableRecord* const spaces[2]);
  // The same for a LINE, a CIRCLE, a TEXT or an INSERT filed straight from its groups.
  void addDirect(const std::u16string& type, const db::DirectFields& fields, Common& common,
                 AcDbObjectId modelSpace, AcDbBlockTableRecord* const spaces[2]);
  // An entity as the parser left it, filed straight or to be read through its groups.
  void addParsed(const std::u16string& type, Tags& tags, SharedGroups& shared, const db::DirectFields& direct,
                 AcDbObjectId modelSpace, AcDbBlockTableRecord* const spaces[2]);
  // Whether LINE, CIRCLE, TEXT and INSERT are the host's own classes, which the quick way
  // makes.
  static bool directFilingFits();
  // Refuses a handle beyond those any drawing has, with the object made for it.
  void checkHandle(AcDbHandle handle, AcDbObject* made) const;
  void readObjects(GroupCursor& c);
  void readSections();
  // Checks the groups the survey left, and puts nextHandle above their handles; at most
  // once. Their fault is kept, to be thrown between sections.
  void checkLeftGroups();
  // `entity`: read where only entities stand (blocks, entities), so an unknown type is an
  // entity even without subclass markers (R12).
  AcDbObject* makeObject(const std::u16string& type, Tags& tags, Common& c, AcDbObjectId defaultOwner, AcDbObjectId* made,
                         bool entity = false, Kinds* kinds = nullptr);
  void finish();
  // The records' own spellings of the layer, linetype and text style an entity names,
  // as qd::db::useRecordSpellings gives them, found once for each spelling of the file.
  void useRecordSpellings(AcDbEntity* e, bool isText);
  // A layer, linetype or text style name as entities share it, and the record's own
  // spelling of it (the name itself when it has none). Found by the shared text's
  // address, which the kept name holds for as long as the entry stands.
  struct Respelling {
    qd::text::SharedName name, record;
  };
  // The one respelt last is looked at first: most entities keep their class's linetype
  // and style.
  struct SpellingCache {
    std::unordered_map<const char16_t*, Respelling> byName;
    const Respelling* last = nullptr;
  };
  void respell(SpellingCache& cache, AcDbObjectId table, qd::text::SharedName& name);
  // The record's spelling of a name an entity filed straight gives: one look, where
  // sharing the text and then respelling it took two. A name without a record is given as
  // it stands (held in `unrecorded`), and looked up again the next time.
  struct Spellings {
    RecordSpellings kept;
    qd::text::SharedName unrecorded;
  };
  const qd::text::SharedName* recordSpelling(Spellings& spellings, AcDbObjectId table, const std::u16string& given);
  // The class of a type's objects, found once for each spelling of the file, and what
  // the drawing's completion asks of its objects.
  struct TypeInfo {
    AcRxClass* cls = nullptr;
    Kinds kinds;
  };
  const TypeInfo& typeInfo(const std::u16string& type);

  AcDbDatabase* m_db;
  AcDbDatabase::Impl* m_d;
  std::string_view m_text;
  ObjectParser m_parser{m_text, 0};
  Tags m_tags;  // the groups of the object being read
  SharedGroups m_shared;
  bool m_direct;  // LINEs, CIRCLEs, TEXTs and INSERTs of ENTITIES filed straight from their groups
  std::function<void(const char* from, const char* to)> m_textDone;  // see ReadOptions
  const bool m_leaveEntities;  // to the check as they are parsed (see ReadOptions)
  // The survey left the first ENTITIES section's groups, whose handles the parsers count.
  bool m_entitiesLeft = false;
  uint64_t m_entitiesNextHandle = 0;
  std::optional<Failure> m_leftFault;  // see checkLeftGroups
  db::DirectFields m_directFields;  // those of the entity being read, without stretches
  Kinds m_lineKinds = kindsOf(AcDbLine::desc()), m_circleKinds = kindsOf(AcDbCircle::desc()),
        m_textKinds = kindsOf(AcDbText::desc()), m_insertKinds = kindsOf(AcDbBlockReference::desc());
  int m_codePage = 0;  // 0: UTF-8
  bool m_r12 = false;
  uint64_t m_handseed = 0;
  AcDbComplexEntity* m_complex = nullptr;
  std::map<std::u16string, AcDbObjectId> m_tables;
  size_t m_objectLine = 1;  // where the object being read starts
  SpellingCache m_layers, m_linetypes, m_styles;
  Spellings m_layerSpellings, m_linetypeSpellings, m_styleSpellings;
  std::unordered_map<std::u16string, TypeInfo> m_types;
  // Made while reading, for the drawing's completion: so that it need not look at every
  // object of a large drawing to find a few.
  std::vector<AcDbObjectId> m_blockRecords, m_blockReferences;
};

Reader::Kinds Reader::kindsOf(const AcRxClass* cls) {
  auto is = [&](const AcRxClass* base) { return cls && cls->isDerivedFrom(base); };
  return Kinds{is(AcDbObject::desc()),         is(AcDbEntity::desc()),         is(AcDbText::desc()),
               is(AcDbComplexEntity::desc()),  is(AcDbBlockReference::desc()), is(AcDbBlockTableRecord::desc())};
}

const Reader::TypeInfo& Reader::typeInfo(const std::u16string& type) {
  auto it = m_types.find(type);
  if (it == m_types.end()) {
    TypeInfo info;
    info.cls = acrxFindClassByDxfName(type.c_str());
    info.kinds = kindsOf(info.cls);
    it = m_types.emplace(type, info).first;
  }
  return it->second;
}

void Reader::respell(SpellingCache& cache, AcDbObjectId table, qd::text::SharedName& name) {
  const Respelling* r = cache.last;
  if (!r || r->name.c_str() != name.c_str()) {
    auto it = cache.byName.find(name.c_str());
    if (it == cache.byName.end()) {
      const AcDbObjectId id = m_d->recordId(table, name.view());
      // A name without a record is left as it is, and looked up again the next time.
      if (id.isNull()) return;
      const qd::text::SharedName record(AcDbSymbolTableRecord::cast(m_d->peek(id))->nameConst());
      it = cache.byName.emplace(name.c_str(), Respelling{name, record}).first;
    }
    cache.last = r = &it->second;
  }
  if (r->record.c_str() != name.c_str()) name = r->record;
}

const qd::text::SharedName* Reader::recordSpelling(Spellings& spellings, AcDbObjectId table,
                                                  const std::u16string& given) {
  const RecordSpellings::Key key = RecordSpellings::keyOf(given);
  if (const qd::text::SharedName* kept = spellings.kept.find(key)) return kept;
  const AcDbObjectId id = m_d->recordId(table, key.text);
  if (id.isNull()) {
    spellings.unrecorded = key.text;
    return &spellings.unrecorded;
  }
  return spellings.kept.keep(key, qd::text::SharedName(AcDbSymbolTableRecord::cast(m_d->peek(id))->nameConst()));
}

// As qd::db::useRecordSpellings does it, each spelling of the file found once.
void Reader::useRecordSpellings(AcDbEntity* e, bool isText) {
  respell(m_layers, m_d->layerTable, AcDbEntityAccess::layerName(e));
  respell(m_linetypes, m_d->linetypeTable, AcDbEntityAccess::linetypeName(e));
  if (isText) respell(m_styles, m_d->textStyleTable, AcDbTextAccess::styleName(static_cast<AcDbText*>(e)));
}

OwnGroups Reader::resolveIds(Tags& tags) {
  // Measured once: most markers are told from it by their size alone.
  constexpr std::u16string_view dwgMarker = db::kDwgStreamMarker;
  OwnGroups own;
  for (size_t i = 0; i < tags.size(); ++i) {
    Tag& t = tags[i];
    switch (t.kind) {
      case TagKind::Id: {
        const AcDbHandle h(static_cast<uint64_t>(t.integer));
        t.integer = 0;
        if (!h.isNull()) m_db->getAcDbObjectId(t.id, true, h);
        break;
      }
      case TagKind::Real: own.angles |= t.code >= 50 && t.code <= 58; break;
      case TagKind::String:
        if (t.code != 100) break;
        if (t.str == u"AcDbEntity"sv) own.entityMarker = true;
        else if (t.str == dwgMarker && own.dwgStream == std::string_view::npos) own.dwgStream = i;
        break;
      default:
        if (t.code == 67 && t.integer == 1) own.paper = true;
        if (t.code == 66 && t.integer == 1) own.attributesFollow = true;
        break;
    }
  }
  return own;
}

Tags& Reader::objectTags(GroupCursor& c, bool headerVariable) {
  m_objectLine = m_parser.parse(c, headerVariable, m_tags);
  resolveIds(m_tags);
  return m_tags;
}

AcDbObjectId Reader::idOf(uint64_t handle) {
  AcDbObjectId id;
  if (handle != 0) m_db->getAcDbObjectId(id, true, AcDbHandle(handle));
  return id;
}

Common Reader::resolved(SharedGroups& shared) {
  Common c;
  c.handle = shared.handle;
  c.reactors.reserve(shared.reactors.size());
  for (uint64_t h : shared.reactors) c.reactors.push_back(idOf(h));
  c.extDict = idOf(shared.extDict);
  c.owner = idOf(shared.owner);
  c.xdata = std::move(shared.xdata);
  // Copied to a text of its size, which the object keeps.
  if (!shared.packedXData.empty()) c.packedXData.edit() = shared.packedXData;
  return c;
}

Tags& Reader::objectGroups(GroupCursor& c, Common& common, bool dimstyle) {
  m_objectLine = m_parser.parse(c, dimstyle, m_tags, m_shared);
  common = resolved(m_shared);
  common.own = resolveIds(m_tags);
  return m_tags;
}

// The classes of the file, kept for those the drawing does not define itself.
void Reader::readClasses(GroupCursor& c) {
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (!isZero(c, "CLASS")) {
      c.next();
      continue;
    }
    c.next();
    m_d->fileClasses.push_back(objectTags(c));
  }
}

void Reader::readHeader(GroupCursor& c) {
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (c->code != 9) {
      c.next();
      continue;
    }
    const std::string name(trim(value(*c)));
    c.next();
    if (!c.valid()) break;
    const RawGroup v = *c;
    if (name == "$ACADVER") {
      const std::string ver(trim(value(v)));
      m_r12 = ver <= "AC1009";
      if (ver < "AC1021" && m_codePage == 0) m_codePage = qd::text::ansiCodePage();
      m_parser.setCodePage(m_codePage);
    } else if (name == "$DWGCODEPAGE") {
      const std::string cp(trim(value(v)));
      const int n = std::atoi(cp.substr(cp.find_last_of('_') + 1).c_str());
      if (m_codePage != 0 && qd::text::isSupportedCodePage(n)) m_codePage = n;
      m_parser.setCodePage(m_codePage);
    } else if (name == "$HANDSEED") {
      m_handseed = AcDbHandle(qd::text::fromUtf8(trim(value(v))).c_str()).value();
    } else if (name.size() > 1) {
      const std::u16string var = qd::text::fromUtf8(name.substr(1));
      GroupCursor j = c;
      Tags t = objectTags(j, true);
      // Every variable is kept in the file's order; those the drawing models take the
      // value it holds when written.
      m_d->fileHeader.emplace_back(qd::text::toUpper(var), t);
      if (const db::VarValue* cur = m_d->var(var); cur && !t.empty() && db::holdsGroupKind(cur->type, t[0].kind)) {
        db::VarValue nv = *cur;
        switch (cur->type) {
          case RTSTR: nv.text = t[0].str; break;
          case RTREAL: nv.real = t[0].kind == TagKind::Real ? t[0].real : static_cast<double>(t[0].integer); break;
          case RTPOINT:
          case RT3DPOINT: nv.point = t[0].pt; break;
          default: nv.integer = static_cast<int32_t>(t[0].integer); break;
        }
        m_d->vars[qd::text::toUpper(var)] = nv;
      }
    }
    while (c.valid() && c->code != 9 && c->code != 0) c.next();
  }
}

// The binary stream stored for a class without DXF filing of its own, if the groups hold
// one: its marker stands at `i`.
bool takeDwgStream(const Tags& tags, size_t i, std::string& stream, size_t line) {
  if (i >= tags.size()) return false;
  int64_t length = -1;
  for (++i; i < tags.size(); ++i) {
    if (tags[i].code == 310) stream += tags[i].bytes;
    else if (tags[i].code == 90 && length < 0) length = tags[i].integer;
  }
  // The stream's stated length tells a lost or added chunk.
  if (length >= 0 && static_cast<uint64_t>(length) != stream.size())
    throw Failure{line, "binary fields of " + std::to_string(stream.size()) + " bytes where " + std::to_string(length) +
                            " were written"};
  return true;
}

AcDbObject* Reader::makeObject(const std::u16string& type, Tags& tags, Common& c, AcDbObjectId defaultOwner,
                               AcDbObjectId* made, bool entity, Kinds* kinds) {
  const TypeInfo& info = typeInfo(type);
  AcDbObject* obj = info.kinds.object ? static_cast<AcDbObject*>(info.cls->create()) : nullptr;
  // Objects of classes the host has are read by their class; the others are kept.
  const bool kept = !obj;
  if (!obj) {
    // Objects of unknown classes are kept as their groups, entities and others alike.
    if (entity || c.own.entityMarker) {
      auto* u = new AcDbUnknownEntity();
      u->setOriginalDxfName(type.c_str());
      obj = u;
    } else {
      auto* u = new AcDbUnknownObject();
      u->setOriginalDxfName(type.c_str());
      obj = u;
    }
  }
  checkHandle(c.handle, obj);
  const AcDbObjectId owner = c.owner.isNull() ? defaultOwner : c.owner;
  const AcDbObjectId id = m_d->add(obj, owner, c.handle);
  if (kept && type == u"LAYOUT"sv && AcDbUnknownObject::cast(obj)) m_d->layoutObjects.push_back(id);
  // Angles (groups 50 to 58) are degrees in the file and radians for the objects.
  if (!kept && c.own.angles)
    for (Tag& t : tags)
      if (t.kind == TagKind::Real && t.code >= 50 && t.code <= 58) t.real = t.real * M_PI / 180.0;
  std::string stream;
  Acad::ErrorStatus es;
  if (!kept && takeDwgStream(tags, c.own.dwgStream, stream, m_objectLine)) {
    db::MemoryDwgFiler f(m_db, std::move(stream));
    es = obj->dwgInFields(&f);
    // The stream was written by the class itself: bytes it does not read back are damage.
    if (es == Acad::eOk && !f.atEnd()) es = Acad::eDwgObjectImproperlyRead;
  } else {
    db::TagFiler f(m_db, &tags);
    es = obj->dxfInFields(&f);
  }
  // An object its class cannot read is damage; keeping it with made-up fields would
  // write that damage back as if it were data.
  if (es != Acad::eOk)
    throw Failure{m_objectLine, qd::text::toUtf8(type) + " cannot be read: " + qd::text::toUtf8(acadErrorStatusText(es))};
  AcDbObjectAccess::setExtDict(obj, c.extDict);
  for (const auto& r : c.reactors) AcDbObjectAccess::reactors(obj).append(r);
  AcDbObjectAccess::addXData(obj, c.xdata, std::move(c.packedXData));
  const Kinds k = kept ? Kinds{true, AcDbUnknownEntity::cast(obj) != nullptr} : info.kinds;
  if (k.blockRecord) m_blockRecords.push_back(id);
  if (k.blockReference) m_blockReferences.push_back(id);
  if (made) *made = id;
  if (kinds) *kinds = k;
  return obj;
}

void Reader::checkHandle(AcDbHandle handle, AcDbObject* made) const {
  if (handle.value() < kHandleSeedLimit) return;
  delete made;
  ACHAR hex[17];
  handle.getIntoAsciiBuffer(hex);
  throw Failure{m_objectLine, "handle " + qd::text::toUtf8(hex) + " is beyond any drawing's handles"};
}

bool Reader::directFilingFits() {
  return acrxFindClassByDxfName(u"LINE") == AcDbLine::desc() && acrxFindClassByDxfName(u"CIRCLE") == AcDbCircle::desc() &&
         acrxFindClassByDxfName(u"TEXT") == AcDbText::desc() &&
         acrxFindClassByDxfName(u"INSERT") == AcDbBlockReference::desc();
}

void Reader::addDirect(const std::u16string& type, const db::DirectFields& fields, Common& common,
                       AcDbObjectId modelSpace, AcDbBlockTableRecord* const spaces[2]) {
  using K = db::DirectFields::Kind;
  using F = db::DirectFields;
  db::DirectNames names;
  if (fields.has(F::kLayer)) names.layer = recordSpelling(m_layerSpellings, m_d->layerTable, fields.layer);
  if (fields.has(F::kLinetype))
    names.linetype = recordSpelling(m_linetypeSpellings, m_d->linetypeTable, fields.linetype);
  if (fields.has(F::kStyle)) names.style = recordSpelling(m_styleSpellings, m_d->textStyleTable, fields.style);
  AcDbEntity* e = AcDbDirectFiling::make(fields, names, m_db);
  // The names the entity keeps as made are its class's, respelled as any entity's.
  if (!names.layer) respell(m_layers, m_d->layerTable, AcDbEntityAccess::layerName(e));
  if (!names.linetype) respell(m_linetypes, m_d->linetypeTable, AcDbEntityAccess::linetypeName(e));
  if (fields.kind == K::Text && !names.style)
    respell(m_styles, m_d->textStyleTable, AcDbTextAccess::styleName(static_cast<AcDbText*>(e)));
  checkHandle(common.handle, e);
  const AcDbObjectId id = m_d->add(e, common.owner.isNull() ? modelSpace : common.owner, common.handle);
  AcDbObjectAccess::setPackedXData(e, std::move(common.packedXData));
  const Kinds& kinds = fields.kind == K::Line     ? m_lineKinds
                       : fields.kind == K::Circle ? m_circleKinds
                       : fields.kind == K::Text   ? m_textKinds
                                                  : m_insertKinds;
  if (kinds.blockReference) m_blockReferences.push_back(id);
  place(type, e, kinds, id, fields.has(F::kAttributes) && fields.attributesFollow, spaces[0], false);
}

void Reader::addParsed(const std::u16string& type, Tags& tags, SharedGroups& shared, const db::DirectFields& direct,
                       AcDbObjectId modelSpace, AcDbBlockTableRecord* const spaces[2]) {
  Common common = resolved(shared);
  if (direct.kind != db::DirectFields::Kind::None) {
    addDirect(type, direct, common, modelSpace, spaces);
  } else {
    common.own = resolveIds(tags);
    addEntity(type, tags, common, modelSpace, spaces);
  }
  // The extended data's texts go back to the parser's groups, to be filled again: freed
  // here, they would be made anew there (for a batch, on another thread's heap).
  shared.xdata = std::move(common.xdata);
}

void Reader::readTables(GroupCursor& c) {
  AcDbObjectId table;
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (c->code != 0) {
      c.next();
      continue;
    }
    const std::u16string type = decode(trim(value(*c)));
    c.next();
    if (type == u"TABLE"sv) {
      Common common;
      Tags& tags = objectGroups(c, common, false);
      std::u16string name;
      const AcDbHandle h = common.handle;
      for (const auto& t : tags)
        if (t.code == 2) name = t.str;
      AcDbSymbolTable* obj = nullptr;
      if (name == u"LAYER") obj = new AcDbLayerTable();
      else if (name == u"LTYPE") obj = new AcDbLinetypeTable();
      else if (name == u"STYLE") obj = new AcDbTextStyleTable();
      else if (name == u"DIMSTYLE") obj = new AcDbDimStyleTable();
      else if (name == u"APPID") obj = new AcDbRegAppTable();
      else if (name == u"UCS") obj = new AcDbUCSTable();
      else if (name == u"VPORT") obj = new AcDbViewportTable();
      else if (name == u"VIEW") obj = new AcDbViewTable();
      else if (name == u"BLOCK_RECORD") obj = new AcDbBlockTable();
      table = obj ? m_d->add(obj, AcDbObjectId(), h) : AcDbObjectId();
      // A table's extension dictionary (the layer states of the layer table) stays with it.
      if (obj) AcDbObjectAccess::setExtDict(obj, common.extDict);
      m_tables[name] = table;
      continue;
    }
    if (type == u"ENDTAB"sv) {
      table.setNull();
      continue;
    }
    Common common;
    Tags& tags = objectGroups(c, common, type == u"DIMSTYLE"sv);
    auto* t = AcDbSymbolTable::cast(m_d->peek(table));
    if (!t) continue;
    AcDbObjectId id;
    auto* rec = AcDbSymbolTableRecord::cast(makeObject(type, tags, common, table, &id));
    if (!rec) continue;
    AcDbObjectAccess::setOwnerRaw(rec, table);
    AcDbSymbolTableAccess::records(t).push_back(id);
    AcDbSymbolTableAccess::byName(t)[qd::text::toUpper(rec->nameConst())] = id;
  }
}

// Puts an entity read in a block or a space in its place: attributes, vertices and
// SEQEND join the complex entity before them, everything else goes into the block.
void Reader::place(const std::u16string& type, AcDbObject* obj, const Kinds& kinds, AcDbObjectId id,
                   bool attributesFollow, AcDbBlockTableRecord* btr, bool spellAsRecords) {
  if (kinds.entity && spellAsRecords) useRecordSpellings(static_cast<AcDbEntity*>(obj), kinds.text);
  if (type == u"ATTRIB"sv || type == u"VERTEX"sv || type == u"SEQEND"sv) {
    if (!m_complex) return;
    AcDbObjectAccess::setOwnerRaw(obj, m_complex->objectId());
    if (type == u"SEQEND"sv) {
      AcDbComplexAccess::seqEnd(m_complex) = id;
      m_complex = nullptr;
    } else {
      AcDbComplexAccess::subs(m_complex).append(id);
    }
    return;
  }
  if (!btr) return;
  AcDbObjectAccess::setOwnerRaw(obj, btr->objectId());
  AcDbBlockAccess::entities(btr).push_back(id);
  m_complex = kinds.complex ? static_cast<AcDbComplexEntity*>(obj) : nullptr;
  // A block reference has attributes only when its 66 flag says they follow.
  if (m_complex && kinds.blockReference && !attributesFollow) m_complex = nullptr;
}

void Reader::readBlocks(GroupCursor& c) {
  AcDbObjectId block;
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (c->code != 0) {
      c.next();
      continue;
    }
    const std::u16string type = decode(trim(value(*c)));
    c.next();
    // A block's frame is read whole; what it holds goes without the shared groups.
    Common common;
    const bool frame = type == u"BLOCK"sv || type == u"ENDBLK"sv;
    Tags& tags = frame ? objectTags(c) : objectGroups(c, common, type == u"DIMSTYLE"sv);
    if (type == u"BLOCK"sv) {
      std::u16string name, layer = u"0";
      AcDbHandle h;
      AcGePoint3d origin;
      int16_t flags = 0;
      for (const auto& t : tags) {
        if (t.code == 2) name = t.str;
        else if (t.code == 5) h = AcDbHandle(t.str.c_str());
        else if (t.code == 8) layer = t.str;
        else if (t.code == 10) origin = t.pt;
        else if (t.code == 70) flags = static_cast<int16_t>(t.integer);
      }
      if (name.empty()) throw Failure{lineOf(c->index > 0 ? c->index - 1 : 0), "BLOCK without a name"};
      auto* table = AcDbBlockTable::cast(m_d->peek(m_d->blockTable));
      block = m_d->recordId(m_d->blockTable, name);
      if (block.isNull() && table) {
        // Drawings without block records (R12) define them here.
        auto* btr = new AcDbBlockTableRecord();
        btr->setName(name.c_str());
        block = m_d->add(btr, m_d->blockTable);
        m_blockRecords.push_back(block);
        AcDbSymbolTableAccess::records(table).push_back(block);
        AcDbSymbolTableAccess::byName(table)[qd::text::toUpper(name)] = block;
      }
      if (auto* btr = AcDbBlockTableRecord::cast(m_d->peek(block))) {
        btr->setOrigin(origin);
        AcDbBlockAccess::setBeginLayer(btr, layer);
        AcDbBlockAccess::setFrameHandles(btr, h, btr->endHandle());
        if (!h.isNull()) m_d->noteHandle(h);
        db::TagFiler f(m_db, Tags{Tag::makeString(2, name), Tag::makeInt(70, flags)});
        btr->dxfInFields(&f);
      }
      continue;
    }
    if (type == u"ENDBLK"sv) {
      if (auto* btr = AcDbBlockTableRecord::cast(m_d->peek(block)))
        for (const auto& t : tags)
          if (t.code == 5) {
            const AcDbHandle end(t.str.c_str());
            AcDbBlockAccess::setFrameHandles(btr, btr->beginHandle(), end);
            m_d->noteHandle(end);
          }
      block.setNull();
      continue;
    }
    if (block.isNull()) continue;
    auto* btr = AcDbBlockTableRecord::cast(m_d->peek(block));
    // The two current spaces' contents come from ENTITIES; other layouts keep theirs here.
    if (!btr || block == m_d->modelSpace || block == m_d->paperSpace) continue;
    AcDbObjectId id;
    Kinds kinds;
    if (AcDbObject* obj = makeObject(type, tags, common, block, &id, true, &kinds))
      place(type, obj, kinds, id, common.own.attributesFollow, btr);
  }
}

void Reader::addEntity(const std::u16string& type, Tags& tags, Common& common, AcDbObjectId modelSpace,
                       AcDbBlockTableRecord* const spaces[2]) {
  const bool paper = common.own.paper;
  const AcDbObjectId space = paper ? m_d->paperSpace : modelSpace;
  AcDbObjectId id;
  Kinds kinds;
  if (AcDbObject* obj = makeObject(type, tags, common, space, &id, true, &kinds))
    place(type, obj, kinds, id, common.own.attributesFollow, spaces[paper]);
}

void Reader::readEntities(GroupCursor& c, size_t end, AcDbObjectId modelSpace) {
  AcDbBlockTableRecord* const spaces[] = {AcDbBlockTableRecord::cast(m_d->peek(modelSpace)),
                                          AcDbBlockTableRecord::cast(m_d->peek(m_d->paperSpace))};
  if (m_text.size() >= kParseAheadFrom) {
    // Room for as many entities as the text could hold at a quarter of their usual size,
    // made at once: grown as they come, the list would be copied each time it doubles.
    // Room not filled is never touched, so it costs no memory.
    if (spaces[0] && c.valid() && end > c->offset) {
      std::vector<AcDbObjectId>& list = AcDbBlockAccess::entities(spaces[0]);
      list.reserve(list.size() + (end - c->offset) / kLeastEntityBytes);
    }
    ParsingAhead ahead(m_text, m_codePage, c, end, m_direct ? EntityFiling::Direct : EntityFiling::General,
                       std::thread::hardware_concurrency() != 1, ParsingAhead::kStretchBytes, m_textDone);
    for (bool last = false; !last;) {
      std::unique_ptr<ParsedBatch> b = ahead.next();
      if (!b) break;
      for (size_t i = 0; i < b->count; ++i) {
        ParsedObject& o = b->objects[i];
        m_objectLine = o.line;
        addParsed(o.type, o.tags, o.shared, o.direct, modelSpace, spaces);
      }
      m_entitiesNextHandle = std::max(m_entitiesNextHandle, b->nextHandle);
      if (b->failure) throw *b->failure;
      if (b->fault) std::rethrow_exception(b->fault);
      last = b->last;
      ahead.giveBack(std::move(b));
    }
    return;
  }
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (c->code != 0) {
      c.next();
      continue;
    }
    const std::u16string type = decode(trim(value(*c)));
    c.next();
    if (!m_direct) {
      Common common;
      Tags& tags = objectGroups(c, common, type == u"DIMSTYLE"sv);
      addEntity(type, tags, common, modelSpace, spaces);
      continue;
    }
    m_objectLine = m_parser.parseEntity(c, type, m_tags, m_shared, m_directFields);
    addParsed(type, m_tags, m_shared, m_directFields, modelSpace, spaces);
  }
}

void Reader::readObjects(GroupCursor& c) {
  bool first = true;
  while (c.valid() && !isZero(c, "ENDSEC")) {
    if (c->code != 0) {
      c.next();
      continue;
    }
    const std::u16string type = decode(trim(value(*c)));
    c.next();
    Common common;
    Tags& tags = objectGroups(c, common, type == u"DIMSTYLE"sv);
    AcDbObjectId id;
    AcDbObject* obj = makeObject(type, tags, common, AcDbObjectId(), &id);
    if (first && AcDbDictionary::cast(obj)) m_d->namedDict = id;
    first = false;
  }
}

void Reader::finish() {
  auto tableId = [&](const char16_t* name) {
    auto it = m_tables.find(name);
    return it == m_tables.end() ? AcDbObjectId() : it->second;
  };
  m_d->layerTable = tableId(u"LAYER");
  m_d->linetypeTable = tableId(u"LTYPE");
  m_d->textStyleTable = tableId(u"STYLE");
  m_d->dimStyleTable = tableId(u"DIMSTYLE");
  m_d->regAppTable = tableId(u"APPID");
  m_d->ucsTable = tableId(u"UCS");
  m_d->viewportTable = tableId(u"VPORT");
  m_d->viewTable = tableId(u"VIEW");
}

void Reader::run() {
  try {
    readSections();
  } catch (const Failure&) {
    if (m_leftFault) throw *m_leftFault;
    if (!m_entitiesLeft) throw;
    m_d->beforeFreshHandle = nullptr;
    surveyText(m_text, kHandleSeedLimit);  // throws the first fault, if the file has one
    throw;
  }
}

void Reader::checkLeftGroups() {
  if (!m_entitiesLeft) return;
  m_entitiesLeft = false;
  m_d->beforeFreshHandle = nullptr;
  try {
    m_d->nextHandle = std::max(m_d->nextHandle, surveyText(m_text, kHandleSeedLimit).nextHandle);
  } catch (const Failure& f) {
    m_leftFault = f;
  }
}

void Reader::readSections() {
  // Tables come first so that blocks and entities find their records.
  // A file cut short or spliced shows as a section, table or block that does not close,
  // or as a missing EOF: refused with the line, never read as a smaller drawing.
  const Survey survey = surveyText(m_text, kHandleSeedLimit, kSurveySplitFrom, m_leaveEntities);
  m_d->nextHandle = std::max(m_d->nextHandle, survey.nextHandle);
  // An object given a handle of its own before the entities' handles are known would
  // get one of theirs.
  m_entitiesLeft = survey.entitiesLeft;
  if (m_entitiesLeft) m_d->beforeFreshHandle = [this] { checkLeftGroups(); };
  const std::vector<Section>& sections = survey.sections;
  if (sections.empty()) throw Failure{lineOf(size_t{0}), "no SECTION found"};
  auto run = [&](const char* name, auto&& fn) {
    for (const Section& section : sections)
      if (section.name == name) {
        GroupCursor c(m_text, section.offset, section.index);
        fn(c, section.end);
        if (m_leftFault) throw *m_leftFault;
      }
  };
  run("HEADER", [&](GroupCursor& c, size_t) { readHeader(c); });
  run("CLASSES", [&](GroupCursor& c, size_t) { readClasses(c); });
  run("TABLES", [&](GroupCursor& c, size_t) { readTables(c); });
  finish();
  m_d->blockTable = m_tables.count(u"BLOCK_RECORD") ? m_tables[u"BLOCK_RECORD"] : AcDbObjectId();
  if (m_d->blockTable.isNull()) {
    m_d->blockTable = m_d->add(new AcDbBlockTable(), AcDbObjectId());
    m_tables[u"BLOCK_RECORD"] = m_d->blockTable;
  }
  // Every drawing has the two spaces.
  auto* bt = AcDbBlockTable::cast(m_d->peek(m_d->blockTable));
  for (const char16_t* name : {u"*Model_Space", u"*Paper_Space"}) {
    if (!m_d->recordId(m_d->blockTable, name).isNull()) continue;
    auto* btr = new AcDbBlockTableRecord();
    btr->setName(name);
    const AcDbObjectId id = m_d->add(btr, m_d->blockTable);
    m_blockRecords.push_back(id);
    AcDbSymbolTableAccess::records(bt).push_back(id);
    AcDbSymbolTableAccess::byName(bt)[qd::text::toUpper(name)] = id;
  }
  m_d->modelSpace = m_d->recordId(m_d->blockTable, u"*Model_Space");
  m_d->paperSpace = m_d->recordId(m_d->blockTable, u"*Paper_Space");
  run("BLOCKS", [&](GroupCursor& c, size_t) { readBlocks(c); });
  run("ENTITIES", [&](GroupCursor& c, size_t end) { readEntities(c, end, m_d->modelSpace); });
  if (m_entitiesLeft) {
    // Parsed, they are checked, and their handles counted.
    m_entitiesLeft = false;
    m_d->beforeFreshHandle = nullptr;
    m_d->nextHandle = std::max(m_d->nextHandle, m_entitiesNextHandle);
  }
  run("OBJECTS", [&](GroupCursor& c, size_t) { readObjects(c); });
  // The seed never goes below a handle in use, so a stale one cannot bring a handle back;
  // one that leaves no handles to give would make new objects wrap round onto old ones.
  if (m_handseed >= kHandleSeedLimit) {
    acutPrintf(u"\n$HANDSEED %llX leaves no handles for new objects; the next free handle is used.\n",
               static_cast<unsigned long long>(m_handseed));
  } else if (m_handseed > m_d->nextHandle) {
    m_d->nextHandle = m_handseed;
  }
}

// Adds what a drawing needs but the file did not have (older versions).
void completeDrawing(AcDbDatabase* db, const Reader& read) {
  auto* d = db->impl();
  AcDbDatabase fresh(true);
  auto* f = fresh.impl();
  auto ensureTable = [&](AcDbObjectId& mine, AcDbObject* (*make)()) {
    if (mine.isNull() || !mine.isValid()) mine = d->add(make(), AcDbObjectId());
  };
  ensureTable(d->layerTable, [] { return static_cast<AcDbObject*>(new AcDbLayerTable()); });
  ensureTable(d->linetypeTable, [] { return static_cast<AcDbObject*>(new AcDbLinetypeTable()); });
  ensureTable(d->textStyleTable, [] { return static_cast<AcDbObject*>(new AcDbTextStyleTable()); });
  ensureTable(d->dimStyleTable, [] { return static_cast<AcDbObject*>(new AcDbDimStyleTable()); });
  ensureTable(d->regAppTable, [] { return static_cast<AcDbObject*>(new AcDbRegAppTable()); });
  ensureTable(d->ucsTable, [] { return static_cast<AcDbObject*>(new AcDbUCSTable()); });
  ensureTable(d->viewportTable, [] { return static_cast<AcDbObject*>(new AcDbViewportTable()); });
  ensureTable(d->viewTable, [] { return static_cast<AcDbObject*>(new AcDbViewTable()); });
  // Copy missing standard records from a new drawing.
  auto ensureRecord = [&](AcDbObjectId table, AcDbObjectId freshTable, const char16_t* name) {
    if (!d->recordId(table, name).isNull()) return;
    auto* src = AcDbSymbolTableRecord::cast(f->peek(f->recordId(freshTable, name)));
    if (!src) return;
    auto* copy = AcDbSymbolTableRecord::cast(src->isA()->create());
    db::TagFiler out(&fresh, AcDb::kCopyFiler, true);
    src->dxfOutFields(&out);
    db::TagFiler in(db, out.tags());
    copy->dxfInFields(&in);
    auto* t = AcDbSymbolTable::cast(d->peek(table));
    const AcDbObjectId id = d->add(copy, table);
    AcDbSymbolTableAccess::records(t).push_back(id);
    AcDbSymbolTableAccess::byName(t)[qd::text::toUpper(name)] = id;
  };
  ensureRecord(d->layerTable, f->layerTable, u"0");
  for (const char16_t* lt : {u"ByBlock", u"ByLayer", u"Continuous"}) ensureRecord(d->linetypeTable, f->linetypeTable, lt);
  ensureRecord(d->textStyleTable, f->textStyleTable, u"Standard");
  ensureRecord(d->dimStyleTable, f->dimStyleTable, u"Standard");
  ensureRecord(d->regAppTable, f->regAppTable, u"ACAD");
  ensureRecord(d->viewportTable, f->viewportTable, u"*Active");
  if (d->namedDict.isNull() || !AcDbDictionary::cast(d->peek(d->namedDict)))
    d->namedDict = d->add(new AcDbDictionary(), AcDbObjectId());
  auto* root = AcDbDictionary::cast(d->peek(d->namedDict));
  AcDbObjectId groups;
  if (root->getAt(u"ACAD_GROUP", groups) != Acad::eOk || !AcDbDictionary::cast(d->peek(groups))) {
    AcDbObjectAccess::writer(root) = true;
    auto* made = new AcDbDictionary();
    root->setAt(u"ACAD_GROUP", made, groups);
    AcDbObjectAccess::writer(made) = false;
    AcDbObjectAccess::writer(root) = false;
  }
  d->groupDict = groups;
  // Block frames the file gave no handles (R12 without handles) get fresh ones, in the
  // order of the records' handles.
  std::vector<AcDbObjectId> records = read.blockRecords();
  std::sort(records.begin(), records.end(),
            [](AcDbObjectId a, AcDbObjectId b) { return a.stub()->index < b.stub()->index; });
  for (const AcDbObjectId& id : records)
    if (auto* btr = AcDbBlockTableRecord::cast(d->peek(id))) {
      auto orNew = [&](AcDbHandle h) { return h.isNull() ? AcDbHandle(d->nextHandle++) : h; };
      const AcDbHandle begin = orNew(btr->beginHandle());
      AcDbBlockAccess::setFrameHandles(btr, begin, orNew(btr->endHandle()));
    }
  // Inserts read before their block was known.
  for (const AcDbObjectId& id : read.blockReferences())
    if (auto* ref = AcDbBlockReference::cast(d->peek(id)); ref && ref->blockTableRecord().isNull()) {
      const std::u16string name = AcDbBlockReferenceAccess::pendingName(ref);
      if (!name.empty()) ref->setBlockTableRecord(d->recordId(d->blockTable, name));
    }
}

}  // namespace

Acad::ErrorStatus read(AcDbDatabase* db, std::string_view text, std::u16string& error, const ReadOptions& options) {
  auto* d = db->impl();
  const bool was = d->undoRecording;
  d->undoRecording = false;
  try {
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    if (body.substr(0, 18) == "AutoCAD Binary DXF") throw Failure{1, "binary DXF is not supported"};
    d->readingFile = true;
    // An object of a drawing takes some 190 bytes of its file.
    d->reserveObjects(body.size() / 190);
    Reader r(db, body, options);
    r.run();
    d->readingFile = false;
    completeDrawing(db, r);
    // Such a drawing stays usable (drawing and measuring stop at a depth), but says so.
    for (const auto& name : db::selfInsertingBlocks(d))
      acutPrintf(u"\nBlock %ls references itself.\n", name.c_str());
  } catch (const Failure& f) {
    error = qd::text::fromUtf8("DXF error on line " + std::to_string(f.line) + ": " + f.message);
    d->readingFile = false;
    d->undoRecording = was;
    return Acad::eDxfReadAborted;
  }
  d->undoRecording = was;
  return Acad::eOk;
}

Acad::ErrorStatus readFile(AcDbDatabase* db, const std::string& path, std::u16string& error) {
  qd::files::FileBytes bytes;
  std::string why;
  if (!qd::files::readFile(path, bytes, why)) {
    error = u"Cannot open file \"" + qd::text::fromUtf8(path) + u"\": " + qd::text::fromUtf8(why);
    return Acad::eFileNotFound;
  }
  // The entities' text, most of a drawing's, gives its pages, present already, to the
  // objects made of it as it is read (or back, where the object heap takes none).
  ReadOptions options;
  options.textDone = [&bytes](const char* from, const char* to) {
    if (!qd::objectHeapTakesPages()) return bytes.release(from, to);
    const auto [first, last] = bytes.detach(from, to);
    if (first) qd::giveObjectPages(first, last);
  };
  const Acad::ErrorStatus es = read(db, bytes.view(), error, options);
  if (es == Acad::eOk) nameDrawing(db, path);
  return es;
}

void nameDrawing(AcDbDatabase* db, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec);
  auto* d = db->impl();
  db::VarValue name, prefix;
  name.type = prefix.type = RTSTR;
  name.text = qd::text::fromUtf8(full.filename().string());
  prefix.text = qd::text::fromUtf8(full.parent_path().string() + "/");
  d->vars[u"DWGNAME"] = name;
  d->vars[u"DWGPREFIX"] = prefix;
}

}  // namespace qd::dxf

Acad::ErrorStatus AcDbDatabase::readDxfFile(const ACHAR* fileName) {
  if (!fileName) return Acad::eInvalidInput;
  return qd::dxf::readFile(this, qd::text::toUtf8(fileName), m_impl->lastError);
}
