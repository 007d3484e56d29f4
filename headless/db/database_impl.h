// The inside of the drawing database: stubs, handle map, header variables, undo.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "headless/db/handle_map.h"
#include "headless/db/spatial_index.h"
#include "headless/db/tags.h"
#include "host/dbdatabase.h"

class AcDbStub {
 public:
  AcDbDatabase* db = nullptr;
  AcDbHandle handle;
  AcDbObject* object = nullptr;  // null for a handle referenced before its object exists
  size_t index = 0;              // creation order within the database
};

namespace qd::db {

// The digit each character stands for: 16 for the NUL that ends the text, 17 for any
// other character. A look at a table, not a choice between digits and letters, which a
// handle's random digits would make wrongly half of the time.
inline constexpr struct HexDigits {
  uint8_t of[256];
  constexpr HexDigits() : of() {
    for (int c = 0; c < 256; ++c)
      of[c] = c >= '0' && c <= '9'   ? static_cast<uint8_t>(c - '0')
              : c >= 'a' && c <= 'f' ? static_cast<uint8_t>(c - 'a' + 10)
              : c >= 'A' && c <= 'F' ? static_cast<uint8_t>(c - 'A' + 10)
              : c == 0               ? 16
                                     : 17;
  }
} kHexDigits;

// The handle a text names: up to sixteen hexadecimal digits, ended by the text or a NUL;
// 0 for anything else. Read from a file's bytes as from a handle's text.
template <class Char>
uint64_t handleValue(std::basic_string_view<Char> hex) {
  uint64_t v = 0;
  for (const Char c : hex) {
    const auto u = static_cast<std::make_unsigned_t<Char>>(c);
    const unsigned d = u < 256 ? kHexDigits.of[u] : 17;
    if (d > 15) {
      if (d == 16) break;
      return 0;
    }
    if (v >> 60) return 0;  // more than 16 digits
    v = (v << 4) | d;
  }
  return v;
}
inline uint64_t handleValue(std::string_view hex) { return handleValue<char>(hex); }

// A database's stubs in creation order, made in blocks: a stub costs no allocation of its
// own, and stays where it is for the database's life, since ids point at it. Every block
// of every database is known, so that a pointer from outside (an entity name held in
// LISP) can be told for a live stub or not.
class StubStore {
 public:
  StubStore() = default;
  StubStore(const StubStore&) = delete;
  StubStore& operator=(const StubStore&) = delete;
  ~StubStore();

  // A new stub at the end.
  AcDbStub* add();
  size_t size() const { return m_size; }
  AcDbStub* operator[](size_t i) const { return &m_blocks[i / kBlock][i % kBlock]; }

  class iterator {
   public:
    iterator(const StubStore* s, size_t i) : m_s(s), m_i(i) {}
    AcDbStub* operator*() const { return (*m_s)[m_i]; }
    iterator& operator++() {
      ++m_i;
      return *this;
    }
    bool operator!=(const iterator& o) const { return m_i != o.m_i; }

   private:
    const StubStore* m_s;
    size_t m_i;
  };
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, m_size}; }

  // Whether `stub` is a stub of a database that still exists.
  static bool isLive(const AcDbStub* stub);

 private:
  static constexpr size_t kBlock = 4096;
  // A block is made at once, its pages present, and its stubs filled when added.
  struct FreeBlock {
    void operator()(AcDbStub* block) const noexcept { ::operator delete(block); }
  };
  std::vector<std::unique_ptr<AcDbStub[], FreeBlock>> m_blocks;
  size_t m_size = 0;
};
}  // namespace qd::db

// The database's own access to an object's bookkeeping.
class AcDbObjectAccess {
 public:
  static AcDbStub*& stub(AcDbObject* o) { return o->m_stub; }
  static AcDbStub* stub(const AcDbObject* o) { return o->m_stub; }
  static void setErased(AcDbObject* o, bool v) { o->m_erased = v; }
  static int& readers(AcDbObject* o) { return o->m_readers; }
  static bool& writer(AcDbObject* o) { return o->m_openForWrite; }
  static bool& notify(AcDbObject* o) { return o->m_openForNotify; }
  static void setOwnerRaw(AcDbObject* o, AcDbObjectId id) { o->m_ownerId = id; }
  static void setExtDict(AcDbObject* o, AcDbObjectId id) { o->m_extDict = id; }
  static AcDbObjectIdArray& reactors(AcDbObject* o) { return o->m_reactors; }
  static resbuf*& xdata(AcDbObject* o) { return o->xdataList(); }
  // The extended data still packed as read ("" once it is a list).
  static const std::string& packedXData(const AcDbObject* o) { return o->m_packedXData; }
  // Hands each group of the extended data to `apply`, packed or a list, without making
  // a list of packed data (for writing and looking through all of a drawing's objects).
  static void forEachXDataGroup(const AcDbObject* o, const std::function<void(const qd::db::Tag&)>& apply);
  // Adds extended data read from a file: kept packed when the object has none yet and
  // every group packs, else appended to its list. `packed`, when not empty, is `tags`
  // packed already (on another thread): taken as it is where it would be made.
  static void addXData(AcDbObject* o, const qd::db::Tags& tags, qd::KeptBytes&& packed = {});
  // Extended data packed as the object keeps it, for an object without any.
  static void setPackedXData(AcDbObject* o, qd::KeptBytes&& packed);
  static bool isOpen(const AcDbObject* o) { return o->m_readers > 0 || o->m_openForWrite || o->m_openForNotify; }
};

class AcDbEntityAccess {
 public:
  static const std::string& commonKept(const AcDbEntity* e) { return e->m_commonKept; }
  // The names as shared spellings, for a reader that gives every entity of one spelling
  // its record's without looking the record up again.
  static qd::text::SharedName& layerName(AcDbEntity* e) { return e->m_layer; }
  static qd::text::SharedName& linetypeName(AcDbEntity* e) { return e->m_linetype; }
};

class AcDbTextAccess {
 public:
  static qd::text::SharedName& styleName(AcDbText* t) { return t->m_style; }
};

class AcDbSymbolTableAccess {
 public:
  static std::vector<AcDbObjectId>& records(AcDbSymbolTable* t) { return t->m_records; }
  static std::map<std::u16string, AcDbObjectId>& byName(AcDbSymbolTable* t) { return t->m_byName; }
};

class AcDbBlockAccess {
 public:
  static std::vector<AcDbObjectId>& entities(AcDbBlockTableRecord* b) { return b->m_entities; }
  // The entity's place in the block, or npos. Amortised constant: the index is extended
  // for appended entities and rebuilt only when entities were taken out.
  static size_t indexOf(const AcDbBlockTableRecord* b, AcDbObjectId id);
  static void setFrameHandles(AcDbBlockTableRecord* b, AcDbHandle begin, AcDbHandle end) {
    b->m_beginHandle = begin;
    b->m_endHandle = end;
  }
  static void setBeginLayer(AcDbBlockTableRecord* b, const std::u16string& layer) { b->m_beginLayer = layer; }
};

class AcDbComplexAccess {
 public:
  // Adds the sub-entities appended before the owner joined a database.
  static void adopt(AcDbComplexEntity* c);
  static AcDbObjectIdArray& subs(AcDbComplexEntity* c) { return c->m_subs; }
  static AcDbObjectId& seqEnd(AcDbComplexEntity* c) { return c->m_seqEnd; }
};

class AcDbBlockReferenceAccess {
 public:
  static std::u16string& pendingName(AcDbBlockReference* r) { return r->m_pendingBlockName; }
};

namespace qd::db {

// A header or session variable's value.
struct VarValue {
  short type = RTSHORT;  // RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT, RT3DPOINT
  int32_t integer = 0;
  double real = 0;
  AcGePoint3d point;
  std::u16string text;
  bool operator==(const VarValue& o) const;
};

struct UndoRecord {
  enum Kind { Mark, Modified, Created, Variable } kind = Mark;
  AcDbStub* stub = nullptr;
  std::string state;  // Modified: the object's filed state before the change
  std::u16string name;
  VarValue oldValue;
};

}  // namespace qd::db

struct AcDbDatabase::Impl {
  AcDbDatabase* self = nullptr;
  // Unique among every drawing of the session, even one at a freed one's address, so that
  // state kept for a drawing can tell it is not the drawing it was kept for.
  const uint64_t serial = nextSerial();
  static uint64_t nextSerial() {
    static uint64_t n = 0;
    return ++n;
  }
  qd::db::StubStore stubs;
  qd::db::HandleMap byHandle;
  uint64_t nextHandle = 1;
  // Called, and dropped, before an object is next given nextHandle for want of one of
  // its own: a reader that has not seen every handle of its file yet puts nextHandle
  // above them first.
  std::function<void()> beforeFreshHandle;
  // While a file is read, block frames (BLOCK and ENDBLK) take the file's handles;
  // those a file lacks are given once every handle in it is known.
  bool readingFile = false;

  AcDbObjectId blockTable, layerTable, linetypeTable, textStyleTable, dimStyleTable, regAppTable,
      ucsTable, viewportTable, viewTable, namedDict, groupDict, modelSpace, paperSpace;
  std::map<std::u16string, qd::db::VarValue> vars;  // upper-case names
  // The header variables of the file read, with their groups, in the file's order, and
  // its classes: written back, so that nothing the drawing does not model is lost.
  std::vector<std::pair<std::u16string, std::vector<qd::db::Tag>>> fileHeader;
  std::vector<std::vector<qd::db::Tag>> fileClasses;
  // The LAYOUT objects read (kept as their groups), for the layout names of entities.
  std::vector<AcDbObjectId> layoutObjects;
  std::u16string lastError;
  std::u16string fileName;

  // Where the entities of each block lie, for picking.
  qd::db::SpatialIndex spatial;

  bool undoRecording = false;
  std::vector<qd::db::UndoRecord> undo;
  std::set<AcDbStub*> snapshotSinceMark;

  ~Impl();
  AcDbStub* newStub(AcDbHandle h);
  // Room for `more` objects, so that a file read grows no table again and again.
  void reserveObjects(size_t more);
  AcDbStub* stubForHandle(AcDbHandle h, bool create);
  // Gives an object a stub and a handle (a fresh one unless `h` is set).
  AcDbObjectId add(AcDbObject* obj, AcDbObjectId owner, AcDbHandle h = AcDbHandle());
  void noteHandle(AcDbHandle h) {
    if (h.value() >= nextHandle) nextHandle = h.value() + 1;
  }

  // Variables.
  const qd::db::VarValue* var(std::u16string_view name) const;
  void setVar(std::u16string_view name, const qd::db::VarValue& v);
  int16_t varInt(std::u16string_view name, int16_t fallback = 0) const;
  double varReal(std::u16string_view name, double fallback = 0) const;
  std::u16string varText(std::u16string_view name) const;

  // Undo.
  void recordModified(AcDbObject* obj);
  void recordCreated(AcDbStub* stub);
  void undoMark();
  // Restores the drawing as it was at the last mark; false when there is none.
  bool undoBack();
  int undoMarkCount() const;

  // Named record lookups that do not open objects.
  AcDbObjectId recordId(AcDbObjectId table, std::u16string_view name) const;
  AcDbObject* peek(AcDbObjectId id) const;  // the object without opening it
};

namespace qd::db {

// Whether a pointer names a stub of an open database (checks entity names).
bool isLiveStub(const AcDbStub* stub);

// The database an id or object belongs to, as Impl.
inline AcDbDatabase::Impl* implOf(AcDbDatabase* db) { return db ? db->impl() : nullptr; }

// Builds the records of a new drawing (spaces, layer 0, styles, linetypes, dictionaries).
void buildDefaultDrawing(AcDbDatabase* db);
void setDefaultVariables(AcDbDatabase::Impl* d);
void registerBuiltinClasses();

// Session-wide state held by the headless host: environment entries and LISP symbols.
std::map<std::u16string, std::u16string>& environment();

// How deep block references may nest when drawn, measured, copied or exploded: far
// beyond real drawings, far short of the stack's end. A drawing whose blocks insert
// themselves stops there instead of recursing without end.
constexpr size_t kMaxBlockNesting = 64;

// Whether inserting `inserted` into the block `into` would make a block insert itself,
// directly or through the blocks it inserts.
bool insertsItself(AcDbDatabase::Impl* d, AcDbObjectId into, AcDbObjectId inserted);

// Block definitions that insert themselves, by name, for a report.
std::vector<std::u16string> selfInsertingBlocks(AcDbDatabase::Impl* d);

// Whether a variable of result type `type` can hold a group of kind `kind` (CECOLOR is a
// text to the drawing and a colour number in a file: such a one stays as the file had it).
bool holdsGroupKind(short type, TagKind kind);

// Whether entmake may make an entity of this DXF type that the host keeps as its groups
// (MTEXT, ELLIPSE, SOLID, HATCH ...).
bool isKnownEntityType(std::u16string_view type);

// An entity names its layer, linetype and text style by the records' own spelling, as
// the host's entities hold ids, not the spelling they were given ("WALLS" for "Walls").
// Names with no record are left as they are.
void useRecordSpellings(AcDbEntity* e);

}  // namespace qd::db
