// DXF groups as values, and the filers that read and write them in memory.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/dbmain.h"

namespace qd::db {

enum class TagKind { String, Real, Point, Int16, Int32, Int64, Bool, Handle, Id, Binary };

// The kind of value a group code carries, as the DXF reference assigns it.
TagKind tagKindOf(int code);

struct Tag {
  int code = 0;
  TagKind kind = TagKind::String;
  std::u16string str;        // String, Handle (hex text)
  AcGePoint3d pt;            // Point
  double real = 0;           // Real
  int64_t integer = 0;       // Int16/32/64, Bool
  AcDbObjectId id;           // Id
  std::string bytes;         // Binary
  int dims = 3;              // Point: 2 for points filed without Z

  static Tag makeString(int code, std::u16string s);
  static Tag makeReal(int code, double v);
  static Tag makePoint(int code, const AcGePoint3d& p);
  static Tag makeInt(int code, int64_t v);
  static Tag makeId(int code, AcDbObjectId id);
  static Tag makeBinary(int code, std::string b);
};
using Tags = std::vector<Tag>;

// Texts of groups done with, kept with their room on the heap for the groups that come
// next: most of the next object's texts fit in them, so that filing a text rarely
// allocates. A short text lives inside its string object and is not worth keeping.
class TextPool {
 public:
  void keep(std::u16string&& s) {
    if (s.capacity() > std::u16string().capacity()) m_spare.push_back(std::move(s));
  }
  // Keeps the texts of `tags` and empties them.
  void keepAll(Tags& tags) {
    for (Tag& t : tags) keep(std::move(t.str));
    tags.clear();
  }
  // A text to fill: one kept, or a new one.
  std::u16string take() {
    if (m_spare.empty()) return {};
    std::u16string s = std::move(m_spare.back());
    m_spare.pop_back();
    return s;
  }

 private:
  std::vector<std::u16string> m_spare;
};

// Converts between tags and result buffers (entity lists). Ids become entity names.
resbuf* tagToResbuf(const Tag& t);
// Appends tags to a list as result buffers at a kept end: finding the end for each
// would grow with the square of the list's length.
class ListTail {
 public:
  explicit ListTail(resbuf*& list) : m_end(&list) { toEnd(); }
  void append(const Tag& t) {
    *m_end = tagToResbuf(t);
    toEnd();
  }

 private:
  void toEnd() {
    while (*m_end) m_end = &(*m_end)->rbnext;
  }
  resbuf** m_end;
};
// False when the result buffer's type does not fit the code.
bool resbufToTag(const resbuf& rb, Tag& out);
// Fills `rb` with the tag's value; strings point into the tag.
void tagToTransientResbuf(const Tag& t, resbuf& rb);

// Groups packed as their result buffers hold them, a few bytes each (extended data kept
// as a file brings it). False, with nothing added, for a group no result buffer holds.
bool packGroups(const Tags& tags, std::string& out);
// One group packed onto `out` as packGroups packs it: its code, then its value as a
// result buffer holds it. Binary data is refused, with nothing added, when a list could
// not hold it (its count is a short). Made inline: the reader packs a drawing's extended
// data with them.
namespace packing {
template <class V>
void put(std::string& out, V v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
}  // namespace packing
inline void packText(std::string& out, int code, std::u16string_view s) {
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, static_cast<uint32_t>(s.size()));
  out.append(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t));
}
inline void packReal(std::string& out, int code, double v) {
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, v);
}
inline void packPoint(std::string& out, int code, const AcGePoint3d& p) {
  packing::put(out, static_cast<int16_t>(code));
  const double xyz[] = {p.x, p.y, p.z};
  out.append(reinterpret_cast<const char*>(xyz), sizeof xyz);
}
inline void packInt16(std::string& out, int code, short v) {
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, v);
}
inline void packInt32(std::string& out, int code, int32_t v) {
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, v);
}
inline void packInt64(std::string& out, int code, int64_t v) {
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, v);
}
inline bool packBinary(std::string& out, int code, std::string_view bytes) {
  // A list holds as many bytes as its count, a short, says.
  const auto n = static_cast<short>(bytes.size());
  if (n < 0) return false;
  packing::put(out, static_cast<int16_t>(code));
  packing::put(out, n);
  out.append(bytes.data(), static_cast<size_t>(n));
  return true;
}
// Hands each packed group to `apply` as the tag its result buffer gives, valid until the
// next; stops at bytes that are not a whole group.
void unpackGroups(std::string_view packed, const std::function<void(const Tag&)>& apply);

// A DXF filer over a vector of tags: objects write into it and read from it.
class TagFiler : public AcDbDxfFiler {
 public:
  explicit TagFiler(AcDbDatabase* db, AcDb::FilerType type = AcDb::kFileFiler, bool defaults = false)
      : m_db(db), m_type(type), m_defaults(defaults) {}
  TagFiler(AcDbDatabase* db, Tags tags, AcDb::FilerType type = AcDb::kFileFiler)
      : m_db(db), m_type(type), m_tags(std::move(tags)) {}
  // Reads groups it does not own, which outlive it (a file's object read in place).
  TagFiler(AcDbDatabase* db, const Tags* borrowed) : m_db(db), m_type(AcDb::kFileFiler), m_borrowed(borrowed) {}
  TagFiler(const TagFiler&) = delete;
  TagFiler& operator=(const TagFiler&) = delete;

  // Empty again for another object of `db`, keeping the room its groups and their
  // texts took.
  void reset(AcDbDatabase* db) {
    m_db = db;
    m_texts.keepAll(m_tags);
    m_pos = 0;
    m_status = Acad::eOk;
  }
  // The groups written (or given to read).
  Tags& tags() { return m_tags; }
  // Writes a group as it is (a 2-D point stays 2-D): kept groups filed back.
  virtual void append(const Tag& t) { m_tags.push_back(t); }
  // The groups being read.
  const Tags& readTags() const { return m_borrowed ? *m_borrowed : m_tags; }
  size_t position() const { return m_pos; }
  void seek(size_t pos) { m_pos = pos; }

  Acad::ErrorStatus filerStatus() const override { return m_status; }
  AcDb::FilerType filerType() const override { return m_type; }
  void setFilerStatus(Acad::ErrorStatus es) override { m_status = es; }
  void resetFilerStatus() override { m_status = Acad::eOk; }
  AcDbDatabase* database() const override { return m_db; }
  bool includesDefaultValues() const override { return m_defaults; }

  Acad::ErrorStatus readItem(resbuf* item) override;
  void pushBackItem() override;
  bool atEOF() override { return m_pos >= readTags().size(); }
  bool atSubclassData(const ACHAR* name) override;

  Acad::ErrorStatus writeItem(const resbuf& item) override;
  Acad::ErrorStatus writeString(int code, const ACHAR* value) override;
  Acad::ErrorStatus writeBool(int code, bool value) override;
  Acad::ErrorStatus writeInt8(int code, int8_t value) override;
  Acad::ErrorStatus writeInt16(int code, int16_t value) override;
  Acad::ErrorStatus writeInt32(int code, int32_t value) override;
  Acad::ErrorStatus writeDouble(int code, double value, int precision) override;
  Acad::ErrorStatus writePoint2d(int code, const AcGePoint2d& value, int precision) override;
  Acad::ErrorStatus writePoint3d(int code, const AcGePoint3d& value, int precision) override;
  Acad::ErrorStatus writeVector3d(int code, const AcGeVector3d& value, int precision) override;
  Acad::ErrorStatus writeObjectId(int code, const AcDbObjectId& id) override;
  Acad::ErrorStatus writeBinaryChunk(int code, const ads_binary& value) override;

 private:
  AcDbDatabase* m_db;
  AcDb::FilerType m_type;
  bool m_defaults = false;
  Tags m_tags;
  TextPool m_texts;  // texts of groups written before
  const Tags* m_borrowed = nullptr;
  size_t m_pos = 0;
  Acad::ErrorStatus m_status = Acad::eOk;
};

// A binary filer over a byte buffer (undo snapshots, stored custom-class data).
// The subclass marker under which DXF carries the binary stream of a class that has no
// DXF filing of its own.
inline constexpr char16_t kDwgStreamMarker[] = u"QdDwgFields";

class MemoryDwgFiler : public AcDbDwgFiler {
 public:
  explicit MemoryDwgFiler(AcDbDatabase* db, AcDb::FilerType type = AcDb::kFileFiler) : m_db(db), m_type(type) {}
  MemoryDwgFiler(AcDbDatabase* db, std::string bytes, AcDb::FilerType type = AcDb::kFileFiler)
      : m_db(db), m_type(type), m_bytes(std::move(bytes)) {}
  const std::string& bytes() const { return m_bytes; }
  bool atEnd() const { return m_pos >= m_bytes.size(); }

  Acad::ErrorStatus filerStatus() const override { return m_status; }
  AcDb::FilerType filerType() const override { return m_type; }
  void setFilerStatus(Acad::ErrorStatus es) override { m_status = es; }
  void resetFilerStatus() override { m_status = Acad::eOk; }
  AcDbDatabase* database() const override { return m_db; }

  Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) override { return readId(id); }
  Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override { return writeId(id); }
  Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) override { return readId(id); }
  Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override { return writeId(id); }
  Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) override { return readId(id); }
  Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override { return writeId(id); }
  Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) override { return readId(id); }
  Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override { return writeId(id); }
  Acad::ErrorStatus readString(ACHAR** value) override;
  Acad::ErrorStatus writeString(const ACHAR* value) override;
  Acad::ErrorStatus readString(std::u16string& value);
  Acad::ErrorStatus readBChunk(ads_binary* value) override;
  Acad::ErrorStatus writeBChunk(const ads_binary& value) override;
  Acad::ErrorStatus readBool(bool* v) override { return readRaw(v); }
  Acad::ErrorStatus writeBool(bool v) override { return writeRaw(v); }
  Acad::ErrorStatus readInt8(int8_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeInt8(int8_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readInt16(int16_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeInt16(int16_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readInt32(int32_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeInt32(int32_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readUInt8(uint8_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeUInt8(uint8_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readUInt16(uint16_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeUInt16(uint16_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readUInt32(uint32_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeUInt32(uint32_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readUInt64(uint64_t* v) override { return readRaw(v); }
  Acad::ErrorStatus writeUInt64(uint64_t v) override { return writeRaw(v); }
  Acad::ErrorStatus readDouble(double* v) override { return readRaw(v); }
  Acad::ErrorStatus writeDouble(double v) override { return writeRaw(v); }
  Acad::ErrorStatus readPoint2d(AcGePoint2d* v) override;
  Acad::ErrorStatus writePoint2d(const AcGePoint2d& v) override;
  Acad::ErrorStatus readPoint3d(AcGePoint3d* v) override;
  Acad::ErrorStatus writePoint3d(const AcGePoint3d& v) override;
  Acad::ErrorStatus readVector3d(AcGeVector3d* v) override;
  Acad::ErrorStatus writeVector3d(const AcGeVector3d& v) override;
  Acad::ErrorStatus readBytes(void* buffer, uint32_t count) override;
  Acad::ErrorStatus writeBytes(const void* buffer, uint32_t count) override;

 private:
  // Ids are filed as handles so that a stream survives a save and an open.
  Acad::ErrorStatus readId(AcDbObjectId* id);
  Acad::ErrorStatus writeId(const AcDbObjectId& id);
  template <class V>
  Acad::ErrorStatus readRaw(V* v) { return readBytes(v, sizeof(V)); }
  template <class V>
  Acad::ErrorStatus writeRaw(V v) { return writeBytes(&v, sizeof(V)); }

  AcDbDatabase* m_db;
  AcDb::FilerType m_type;
  std::string m_bytes;
  size_t m_pos = 0;
  Acad::ErrorStatus m_status = Acad::eOk;
};

// Files a tag vector through a binary filer and back (built-in classes' binary filing).
void writeTagsBinary(AcDbDwgFiler* filer, const Tags& tags);
Acad::ErrorStatus readTagsBinary(AcDbDwgFiler* filer, Tags& tags);

}  // namespace qd::db
