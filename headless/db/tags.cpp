#include "headless/db/tags.h"

#include <array>
#include <cstring>

#include "headless/db/database_impl.h"
#include "host/adslib.h"

namespace qd::db {

namespace {

constexpr TagKind kindByRule(int code) {
  if (code < 0) return code == -4 ? TagKind::String : code == -3 ? TagKind::Int16 : TagKind::Id;
  if (code >= 10 && code <= 18) return TagKind::Point;
  if (code >= 110 && code <= 112) return TagKind::Point;
  if (code >= 210 && code <= 219) return TagKind::Point;
  if (code >= 1010 && code <= 1013) return TagKind::Point;
  if ((code >= 38 && code <= 59) || (code >= 140 && code <= 149) || (code >= 460 && code <= 469) ||
      (code >= 1040 && code <= 1042))
    return TagKind::Real;
  if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
      (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || code == 1070)
    return TagKind::Int16;
  if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) ||
      code == 1071)
    return TagKind::Int32;
  if (code >= 160 && code <= 169) return TagKind::Int64;
  if (code >= 290 && code <= 299) return TagKind::Bool;
  if ((code >= 310 && code <= 319) || code == 1004) return TagKind::Binary;
  if ((code >= 320 && code <= 369) || (code >= 390 && code <= 399) || (code >= 480 && code <= 481))
    return TagKind::Id;
  if (code == 105 || code == 5 || code == 1005) return TagKind::Handle;
  return TagKind::String;
}

// Every group is typed by its code: the rule above, looked up.
constexpr int kTypedCodes = 1072;
constexpr std::array<TagKind, kTypedCodes> kKinds = [] {
  std::array<TagKind, kTypedCodes> kinds{};
  for (int c = 0; c < kTypedCodes; ++c) kinds[static_cast<size_t>(c)] = kindByRule(c);
  return kinds;
}();

}  // namespace

TagKind tagKindOf(int code) {
  return code >= 0 && code < kTypedCodes ? kKinds[static_cast<size_t>(code)] : kindByRule(code);
}

Tag Tag::makeString(int code, std::u16string s) {
  Tag t;
  t.code = code;
  t.kind = tagKindOf(code) == TagKind::Handle ? TagKind::Handle : TagKind::String;
  t.str = std::move(s);
  return t;
}
Tag Tag::makeReal(int code, double v) {
  Tag t;
  t.code = code;
  t.kind = TagKind::Real;
  t.real = v;
  return t;
}
Tag Tag::makePoint(int code, const AcGePoint3d& p) {
  Tag t;
  t.code = code;
  t.kind = TagKind::Point;
  t.pt = p;
  return t;
}
Tag Tag::makeInt(int code, int64_t v) {
  Tag t;
  t.code = code;
  t.kind = tagKindOf(code);
  if (t.kind != TagKind::Int32 && t.kind != TagKind::Int64 && t.kind != TagKind::Bool) t.kind = TagKind::Int16;
  t.integer = v;
  return t;
}
Tag Tag::makeId(int code, AcDbObjectId id) {
  Tag t;
  t.code = code;
  t.kind = TagKind::Id;
  t.id = id;
  return t;
}
Tag Tag::makeBinary(int code, std::string b) {
  Tag t;
  t.code = code;
  t.kind = TagKind::Binary;
  t.bytes = std::move(b);
  return t;
}

namespace {
int resbufTypeFor(const Tag& t) {
  return t.code;  // entity lists carry the group code as the result type
}
}  // namespace

void tagToTransientResbuf(const Tag& t, resbuf& rb) {
  rb.rbnext = nullptr;
  rb.restype = static_cast<short>(resbufTypeFor(t));
  switch (t.kind) {
    case TagKind::String:
    case TagKind::Handle: rb.resval.rstring = const_cast<ACHAR*>(t.str.c_str()); break;
    case TagKind::Real: rb.resval.rreal = t.real; break;
    case TagKind::Point:
      rb.resval.rpoint[0] = t.pt.x;
      rb.resval.rpoint[1] = t.pt.y;
      rb.resval.rpoint[2] = t.pt.z;
      break;
    case TagKind::Int16:
    case TagKind::Bool: rb.resval.rint = static_cast<short>(t.integer); break;
    case TagKind::Int32: rb.resval.rlong = static_cast<int32_t>(t.integer); break;
    case TagKind::Int64: rb.resval.mnInt64 = t.integer; break;
    case TagKind::Id:
      rb.resval.rlname[0] = t.id.asOldId();
      rb.resval.rlname[1] = 0;
      break;
    case TagKind::Binary:
      rb.resval.rbinary.clen = static_cast<short>(t.bytes.size());
      rb.resval.rbinary.buf = const_cast<char*>(t.bytes.data());
      break;
  }
}

resbuf* tagToResbuf(const Tag& t) {
  resbuf tmp;
  tagToTransientResbuf(t, tmp);
  resbuf* rb = acutNewRb(tmp.restype);
  if (t.kind == TagKind::String || t.kind == TagKind::Handle) {
    rb->resval.rstring = acutNewString(t.str.c_str());
  } else if (t.kind == TagKind::Binary) {
    rb->resval.rbinary.clen = static_cast<short>(t.bytes.size());
    rb->resval.rbinary.buf = new char[t.bytes.size() + 1];
    std::memcpy(rb->resval.rbinary.buf, t.bytes.data(), t.bytes.size());
  } else {
    rb->resval = tmp.resval;
  }
  return rb;
}

namespace {
template <class V>
void putRaw(std::string& out, V v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
template <class V>
bool getRaw(std::string_view& in, V& v) {
  if (in.size() < sizeof v) return false;
  std::memcpy(&v, in.data(), sizeof v);
  in.remove_prefix(sizeof v);
  return true;
}
}  // namespace

bool packGroups(const Tags& tags, std::string& out) {
  const size_t start = out.size();
  // The room they take, made at once.
  size_t room = 0;
  for (const Tag& t : tags) {
    room += sizeof(int16_t);
    switch (t.kind) {
      case TagKind::String:
      case TagKind::Handle: room += sizeof(uint32_t) + t.str.size() * sizeof(char16_t); break;
      case TagKind::Point: room += 3 * sizeof(double); break;
      case TagKind::Binary: room += sizeof(short) + t.bytes.size(); break;
      default: room += sizeof(int64_t); break;
    }
  }
  out.reserve(start + room);
  for (const Tag& t : tags) {
    // Only what a list would hold: codes of groups, values of the kind the code has.
    bool packed = t.code >= -5 && t.code <= 1071 && t.kind == tagKindOf(t.code);
    if (packed) {
      // The values as a result buffer holds them (see tagToTransientResbuf).
      switch (t.kind) {
        case TagKind::String:
        case TagKind::Handle: packText(out, t.code, t.str); break;
        case TagKind::Real: packReal(out, t.code, t.real); break;
        case TagKind::Point: packPoint(out, t.code, t.pt); break;
        case TagKind::Int16:
        case TagKind::Bool: packInt16(out, t.code, static_cast<short>(t.integer)); break;
        case TagKind::Int32: packInt32(out, t.code, static_cast<int32_t>(t.integer)); break;
        case TagKind::Int64: packInt64(out, t.code, t.integer); break;
        case TagKind::Binary: packed = packBinary(out, t.code, t.bytes); break;
        case TagKind::Id: packed = false; break;
      }
    }
    if (!packed) {
      out.resize(start);
      return false;
    }
  }
  return true;
}

void unpackGroups(std::string_view in, const std::function<void(const Tag&)>& apply) {
  Tag t;  // one tag for all, so that its texts keep their room
  int16_t code = 0;
  while (getRaw(in, code)) {
    t.code = code;
    t.kind = tagKindOf(code);
    bool whole = true;
    switch (t.kind) {
      case TagKind::String:
      case TagKind::Handle: {
        uint32_t n = 0;
        whole = getRaw(in, n) && in.size() / sizeof(char16_t) >= n;
        if (!whole) break;
        t.str.resize(n);
        std::memcpy(t.str.data(), in.data(), n * sizeof(char16_t));
        in.remove_prefix(n * sizeof(char16_t));
        break;
      }
      case TagKind::Real: whole = getRaw(in, t.real); break;
      case TagKind::Point:
        whole = getRaw(in, t.pt.x) && getRaw(in, t.pt.y) && getRaw(in, t.pt.z);
        t.dims = 3;
        break;
      case TagKind::Int16:
      case TagKind::Bool: {
        short v = 0;
        whole = getRaw(in, v);
        t.integer = v;
        break;
      }
      case TagKind::Int32: {
        int32_t v = 0;
        whole = getRaw(in, v);
        t.integer = v;
        break;
      }
      case TagKind::Int64: whole = getRaw(in, t.integer); break;
      case TagKind::Binary: {
        short n = 0;
        whole = getRaw(in, n) && n >= 0 && in.size() >= static_cast<size_t>(n);
        if (!whole) break;
        t.bytes.assign(in.data(), static_cast<size_t>(n));
        in.remove_prefix(static_cast<size_t>(n));
        break;
      }
      case TagKind::Id: whole = false; break;
    }
    if (!whole) return;
    apply(t);
  }
}

bool resbufToTag(const resbuf& rb, Tag& out) {
  const int code = rb.restype;
  out = Tag{};
  // Result types (RTSHORT, RTSTR ...) are no groups: their value is not where a group's is.
  if (code <= -6 || code >= 5000) return false;
  out.code = code;
  out.kind = tagKindOf(code);
  switch (out.kind) {
    case TagKind::String:
    case TagKind::Handle:
      if (!rb.resval.rstring) return false;
      out.str = rb.resval.rstring;
      return true;
    case TagKind::Real: out.real = rb.resval.rreal; return true;
    case TagKind::Point: out.pt = AcGePoint3d(rb.resval.rpoint); return true;
    case TagKind::Int16:
    case TagKind::Bool: out.integer = rb.resval.rint; return true;
    case TagKind::Int32: out.integer = rb.resval.rlong; return true;
    case TagKind::Int64: out.integer = rb.resval.mnInt64; return true;
    case TagKind::Id: {
      AcDbObjectId id;
      if (acdbGetObjectId(id, rb.resval.rlname) != Acad::eOk) return false;
      out.id = id;
      return true;
    }
    case TagKind::Binary:
      if (rb.resval.rbinary.clen < 0 || (rb.resval.rbinary.clen > 0 && !rb.resval.rbinary.buf)) return false;
      out.bytes.assign(rb.resval.rbinary.buf ? rb.resval.rbinary.buf : "", rb.resval.rbinary.clen);
      return true;
  }
  return false;
}

// ---- TagFiler ----

Acad::ErrorStatus TagFiler::readItem(resbuf* item) {
  // The end of the groups is no error of the filer: its status stays as it was.
  const Tags& tags = readTags();
  if (m_pos >= tags.size()) return Acad::eEndOfFile;
  // Strings and bytes point into the group, which stays while the filer reads.
  tagToTransientResbuf(tags[m_pos++], *item);
  return Acad::eOk;
}

void TagFiler::pushBackItem() {
  if (m_pos > 0) --m_pos;
}

bool TagFiler::atSubclassData(const ACHAR* name) {
  const Tags& tags = readTags();
  if (m_pos >= tags.size()) return false;
  const Tag& t = tags[m_pos];
  if (t.code != 100 || t.str != name) return false;
  ++m_pos;
  return true;
}

Acad::ErrorStatus TagFiler::writeItem(const resbuf& item) {
  Tag t;
  if (!resbufToTag(item, t)) return m_status = Acad::eInvalidResBuf;
  m_tags.push_back(std::move(t));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeString(int code, const ACHAR* value) {
  Tag& t = m_tags.emplace_back();
  t.code = code;
  t.kind = tagKindOf(code) == TagKind::Handle ? TagKind::Handle : TagKind::String;
  t.str = m_texts.take();
  t.str.assign(value ? value : u"");
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeBool(int code, bool value) {
  m_tags.push_back(Tag::makeInt(code, value ? 1 : 0));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeInt8(int code, int8_t value) {
  m_tags.push_back(Tag::makeInt(code, value));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeInt16(int code, int16_t value) {
  m_tags.push_back(Tag::makeInt(code, value));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeInt32(int code, int32_t value) {
  m_tags.push_back(Tag::makeInt(code, value));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeDouble(int code, double value, int) {
  m_tags.push_back(Tag::makeReal(code, value));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writePoint2d(int code, const AcGePoint2d& v, int) {
  m_tags.push_back(Tag::makePoint(code, AcGePoint3d(v.x, v.y, 0)));
  m_tags.back().dims = 2;
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writePoint3d(int code, const AcGePoint3d& v, int) {
  m_tags.push_back(Tag::makePoint(code, v));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeVector3d(int code, const AcGeVector3d& v, int) {
  m_tags.push_back(Tag::makePoint(code, AcGePoint3d(v.x, v.y, v.z)));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeObjectId(int code, const AcDbObjectId& id) {
  m_tags.push_back(Tag::makeId(code, id));
  return Acad::eOk;
}
Acad::ErrorStatus TagFiler::writeBinaryChunk(int code, const ads_binary& value) {
  m_tags.push_back(Tag::makeBinary(code, std::string(value.buf ? value.buf : "", value.clen > 0 ? value.clen : 0)));
  return Acad::eOk;
}

// ---- MemoryDwgFiler ----

Acad::ErrorStatus MemoryDwgFiler::readBytes(void* buffer, uint32_t count) {
  if (m_status != Acad::eOk) return m_status;
  if (m_bytes.size() - m_pos < count) return m_status = Acad::eEndOfFile;
  std::memcpy(buffer, m_bytes.data() + m_pos, count);
  m_pos += count;
  return Acad::eOk;
}
Acad::ErrorStatus MemoryDwgFiler::writeBytes(const void* buffer, uint32_t count) {
  m_bytes.append(static_cast<const char*>(buffer), count);
  return Acad::eOk;
}
Acad::ErrorStatus MemoryDwgFiler::readString(std::u16string& value) {
  uint32_t n = 0;
  if (readRaw(&n) != Acad::eOk) return m_status;
  if ((m_bytes.size() - m_pos) / 2 < n) return m_status = Acad::eEndOfFile;
  value.resize(n);
  if (n) std::memcpy(value.data(), m_bytes.data() + m_pos, n * 2);
  m_pos += n * 2;
  return Acad::eOk;
}
Acad::ErrorStatus MemoryDwgFiler::readString(ACHAR** value) {
  std::u16string s;
  if (readString(s) != Acad::eOk) return m_status;
  *value = acutNewString(s.c_str());
  return Acad::eOk;
}
Acad::ErrorStatus MemoryDwgFiler::writeString(const ACHAR* value) {
  const std::u16string s = value ? value : u"";
  writeRaw(static_cast<uint32_t>(s.size()));
  return writeBytes(s.data(), static_cast<uint32_t>(s.size() * 2));
}
Acad::ErrorStatus MemoryDwgFiler::readBChunk(ads_binary* value) {
  int16_t n = 0;
  if (readRaw(&n) != Acad::eOk) return m_status;
  if (n < 0 || m_bytes.size() - m_pos < static_cast<size_t>(n)) return m_status = Acad::eEndOfFile;
  value->clen = n;
  value->buf = new char[n + 1];
  return readBytes(value->buf, n);
}
Acad::ErrorStatus MemoryDwgFiler::writeBChunk(const ads_binary& value) {
  writeRaw(value.clen);
  return writeBytes(value.buf, value.clen > 0 ? value.clen : 0);
}
Acad::ErrorStatus MemoryDwgFiler::readPoint2d(AcGePoint2d* v) {
  readRaw(&v->x);
  return readRaw(&v->y);
}
Acad::ErrorStatus MemoryDwgFiler::writePoint2d(const AcGePoint2d& v) {
  writeRaw(v.x);
  return writeRaw(v.y);
}
Acad::ErrorStatus MemoryDwgFiler::readPoint3d(AcGePoint3d* v) {
  readRaw(&v->x);
  readRaw(&v->y);
  return readRaw(&v->z);
}
Acad::ErrorStatus MemoryDwgFiler::writePoint3d(const AcGePoint3d& v) {
  writeRaw(v.x);
  writeRaw(v.y);
  return writeRaw(v.z);
}
Acad::ErrorStatus MemoryDwgFiler::readVector3d(AcGeVector3d* v) {
  readRaw(&v->x);
  readRaw(&v->y);
  return readRaw(&v->z);
}
Acad::ErrorStatus MemoryDwgFiler::writeVector3d(const AcGeVector3d& v) {
  writeRaw(v.x);
  writeRaw(v.y);
  return writeRaw(v.z);
}
Acad::ErrorStatus MemoryDwgFiler::readId(AcDbObjectId* id) {
  uint64_t h = 0;
  if (readRaw(&h) != Acad::eOk) return m_status;
  id->setNull();
  if (h != 0 && m_db) m_db->getAcDbObjectId(*id, true, AcDbHandle(h));
  return Acad::eOk;
}
Acad::ErrorStatus MemoryDwgFiler::writeId(const AcDbObjectId& id) {
  return writeRaw(static_cast<uint64_t>(id.isNull() ? 0 : id.handle().value()));
}

void writeTagsBinary(AcDbDwgFiler* f, const Tags& tags) {
  f->writeUInt32(static_cast<uint32_t>(tags.size()));
  for (const Tag& t : tags) {
    f->writeInt32(t.code);
    f->writeUInt8(static_cast<uint8_t>(t.kind));
    switch (t.kind) {
      case TagKind::String:
      case TagKind::Handle: f->writeString(t.str.c_str()); break;
      case TagKind::Real: f->writeDouble(t.real); break;
      case TagKind::Point:
        // With its dimension: a 2-D point is written back as one.
        f->writePoint3d(t.pt);
        f->writeUInt8(static_cast<uint8_t>(t.dims));
        break;
      case TagKind::Int16:
      case TagKind::Int32:
      case TagKind::Int64:
      case TagKind::Bool: f->writeBytes(&t.integer, sizeof t.integer); break;
      case TagKind::Id: f->writeSoftPointerId(t.id); break;
      case TagKind::Binary: {
        f->writeUInt32(static_cast<uint32_t>(t.bytes.size()));
        f->writeBytes(t.bytes.data(), static_cast<uint32_t>(t.bytes.size()));
        break;
      }
    }
  }
}

Acad::ErrorStatus readTagsBinary(AcDbDwgFiler* f, Tags& tags) {
  uint32_t n = 0;
  if (f->readUInt32(&n) != Acad::eOk) return f->filerStatus();
  tags.clear();
  for (uint32_t i = 0; i < n && f->filerStatus() == Acad::eOk; ++i) {
    Tag t;
    int32_t code = 0;
    uint8_t kind = 0;
    f->readInt32(&code);
    f->readUInt8(&kind);
    t.code = code;
    t.kind = static_cast<TagKind>(kind);
    switch (t.kind) {
      case TagKind::String:
      case TagKind::Handle: {
        ACHAR* s = nullptr;
        if (f->readString(&s) == Acad::eOk) {
          t.str = s;
          delete[] s;
        }
        break;
      }
      case TagKind::Real: f->readDouble(&t.real); break;
      case TagKind::Point: {
        f->readPoint3d(&t.pt);
        uint8_t dims = 3;
        f->readUInt8(&dims);
        t.dims = dims >= 1 && dims <= 3 ? dims : 3;
        break;
      }
      case TagKind::Int16:
      case TagKind::Int32:
      case TagKind::Int64:
      case TagKind::Bool: f->readBytes(&t.integer, sizeof t.integer); break;
      case TagKind::Id: f->readSoftPointerId(&t.id); break;
      case TagKind::Binary: {
        uint32_t len = 0;
        if (f->readUInt32(&len) != Acad::eOk || len > (1u << 30)) return Acad::eFilerError;
        t.bytes.resize(len);
        f->readBytes(t.bytes.data(), len);
        break;
      }
      default: return Acad::eFilerError;
    }
    tags.push_back(std::move(t));
  }
  return f->filerStatus();
}

}  // namespace qd::db
