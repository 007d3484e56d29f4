// The DXF writer: header, classes, tables, blocks, entities and objects.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/proxy_graphics.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::dxf {
namespace {

using db::Tag;
using db::TagKind;

// Numbers and texts are formatted straight into the file's buffer.
void appendHex(std::string& out, uint64_t v) {
  char buf[24];
  char* end = std::to_chars(buf, buf + sizeof buf, v, 16).ptr;
  std::transform(buf, end, buf, [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
  out.append(buf, end);
}
std::string hex(uint64_t v) {
  std::string out;
  appendHex(out, v);
  return out;
}

// The shortest text that reads back as the same number, with a point.
void appendReal(std::string& out, double v) {
  char buf[64];
  char* end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  out.append(buf, end);
  if (std::find_if(buf, end, [](char c) { return c == '.' || c == 'e' || c == 'E' || c == 'n'; }) == end) out += ".0";
}
std::string real(double v) {
  std::string out;
  appendReal(out, v);
  return out;
}

// Control characters are written in caret notation so a value stays on one line.
void appendText(std::string& out, std::u16string_view s) {
  // Most texts of a drawing (layer names, handles' owners, numbers as text) are plain
  // ASCII: those are copied as they are, without a conversion.
  if (std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= 32 && c < 128 && c != u'^'; })) {
    // Narrowed in place: appending the wide characters would build a second text first.
    const size_t at = out.size();
    out.resize(at + s.size());
    std::transform(s.begin(), s.end(), out.begin() + static_cast<std::ptrdiff_t>(at),
                   [](char16_t c) { return static_cast<char>(c); });
    return;
  }
  size_t run = 0;  // the start of the characters written as they are
  auto flush = [&](size_t end) {
    if (end > run) out += qd::text::toUtf8(std::u16string_view(s).substr(run, end - run));
  };
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 32 && c != u'^') continue;
    flush(i);
    run = i + 1;
    if (c < 32) {
      out += '^';
      out += static_cast<char>(c + 64);
    } else {
      out += "^ ";
    }
  }
  flush(s.size());
}

// Every group code's line, formatted once.
constexpr int kCodes = 1072;
struct CodeLine {
  char text[8];
  uint8_t size;
};
const std::vector<CodeLine>& codeLines() {
  static const std::vector<CodeLine> lines = [] {
    std::vector<CodeLine> out(kCodes);
    for (int c = 0; c < kCodes; ++c) {
      char digits[8];
      char* end = std::to_chars(digits, digits + sizeof digits, c).ptr;
      std::string line(static_cast<size_t>(std::max<long>(0, 3 - (end - digits))), ' ');
      line.append(digits, end);
      line += '\n';
      std::copy(line.begin(), line.end(), out[c].text);
      out[c].size = static_cast<uint8_t>(line.size());
    }
    return out;
  }();
  return lines;
}

// What writing asks of an object's class, found once for each class of a drawing.
struct ClassInfo {
  bool builtin = false;  // a class of the host, not of a module
  bool kept = false;  // objects of classes the host lacks, kept as their groups
  std::u16string dxfName;  // of the others
};
using ClassInfos = std::unordered_map<const AcRxClass*, ClassInfo>;

// A group of any kind, as the file has it: to the text (Out) or to be formatted (Recorder).
template <class O>
void putTag(O& out, const Tag& t) {
  switch (t.kind) {
    case TagKind::String:
    case TagKind::Handle: out.str(t.code, t.str); break;
    case TagKind::Real: out.realValue(t.code, t.real); break;
    case TagKind::Point: out.point(t.code, t.pt, t.dims); break;
    case TagKind::Int16:
    case TagKind::Int32:
    case TagKind::Int64:
    case TagKind::Bool: out.integer(t.code, t.integer); break;
    case TagKind::Id: out.id(t.code, t.id); break;
    case TagKind::Binary: out.binary(t.code, t.bytes); break;
  }
}

class Out {
 public:
  // Into `sink`, a piece at a time, or (without one) all into `buf`.
  explicit Out(const qd::files::ByteSink* sink = nullptr) : m_sink(sink) {}
  std::string buf;
  // Hands what is formatted to the sink once it is large enough to be worth a write.
  void flushSome() {
    if (m_sink && buf.size() >= kPiece) flush();
  }
  void flush() {
    if (!m_sink || buf.empty()) return;
    (*m_sink)(buf);
    buf.clear();
  }
  static constexpr size_t kPiece = size_t{1} << 20;
  // One filer for all objects: its groups keep their room from one object to the next.
  db::TagFiler filer{nullptr};
  ClassInfos classes;
  // A group's code, right-aligned in three places as the host writes it.
  void code(int c) {
    if (c >= 0 && c < kCodes) {
      const CodeLine& line = codeLines()[c];
      buf.append(line.text, line.size);
      return;
    }
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, c).ptr;
    for (long pad = 3 - (end - digits); pad > 0; --pad) buf += ' ';
    buf.append(digits, end);
    buf += '\n';
  }
  void put(int c, std::string_view value) {
    code(c);
    buf += value;
    buf += '\n';
  }
  void str(int c, const std::u16string& s) {
    code(c);
    appendText(buf, s);
    buf += '\n';
  }
  void handle(int c, AcDbHandle h) { hexValue(c, h.value()); }
  void id(int c, AcDbObjectId id) {
    if (id.isNull() || !id.isValid()) put(c, "0");
    else hexValue(c, id.handle().value());
  }
  void integer(int c, int64_t v) {
    code(c);
    char digits[24];
    buf.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
    buf += '\n';
  }
  void realValue(int c, double v) {
    code(c);
    appendReal(buf, v);
    buf += '\n';
  }
  void point(int c, const AcGePoint3d& p, int dims = 3) {
    realValue(c, p.x);
    realValue(c + 10, p.y);
    if (dims == 3) realValue(c + 20, p.z);
  }
  void tag(const Tag& t) { putTag(*this, t); }
  void binary(int c, std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.size() || i == 0; i += 127) {
      code(c);
      for (size_t k = i; k < std::min(bytes.size(), i + 127); ++k) {
        buf += digits[(static_cast<unsigned char>(bytes[k]) >> 4) & 15];
        buf += digits[static_cast<unsigned char>(bytes[k]) & 15];
      }
      buf += '\n';
      if (bytes.empty()) break;
    }
  }

  void hexValue(int c, uint64_t v) {
    code(c);
    appendHex(buf, v);
    buf += '\n';
  }

 private:
  const qd::files::ByteSink* m_sink;
};

class FormattingAhead;

// Takes the groups of objects as Out does, but only notes them, in a few bytes each, for
// a thread that formats them: the objects are walked on one core while their numbers are
// formatted on another. Pointers are noted as the handles they name, so that the
// formatting needs nothing of the drawing.
class Recorder {
 public:
  enum class Op : uint8_t { Put, Hex, Integer, Real, Binary };
  explicit Recorder(FormattingAhead& ahead);
  db::TagFiler filer{nullptr};
  ClassInfos classes;

  void put(int c, std::string_view value) {
    op(Op::Put, c);
    bytes(value);
  }
  // Texts are put as the file will have them: the formatting has the numbers to do, and
  // the two threads take about as long so.
  void str(int c, std::u16string_view s) {
    op(Op::Put, c);
    const size_t at = m_ops.size();
    raw(uint32_t{0});  // the length, filled in after
    appendText(m_ops, s);
    const auto n = static_cast<uint32_t>(m_ops.size() - at - sizeof(uint32_t));
    std::memcpy(m_ops.data() + at, &n, sizeof n);
  }
  void handle(int c, AcDbHandle h) { hexValue(c, h.value()); }
  void id(int c, AcDbObjectId id) {
    if (id.isNull() || !id.isValid()) put(c, "0");
    else hexValue(c, id.handle().value());
  }
  void hexValue(int c, uint64_t v) {
    op(Op::Hex, c);
    raw(v);
  }
  void integer(int c, int64_t v) {
    op(Op::Integer, c);
    raw(v);
  }
  void realValue(int c, double v) {
    op(Op::Real, c);
    raw(v);
  }
  void point(int c, const AcGePoint3d& p, int dims = 3) {
    realValue(c, p.x);
    realValue(c + 10, p.y);
    if (dims == 3) realValue(c + 20, p.z);
  }
  void binary(int c, std::string_view value) {
    op(Op::Binary, c);
    bytes(value);
  }
  void tag(const Tag& t) { putTag(*this, t); }
  // Hands what is noted to the formatting thread once it is worth a hand-over.
  void flushSome();
  void flush();

  // Formats noted groups into `out`.
  static void replay(std::string_view ops, Out& out);

 private:
  template <class V>
  void raw(V v) {
    m_ops.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  void op(Op o, int c) {
    raw(o);
    raw(static_cast<int32_t>(c));
  }
  void bytes(std::string_view v) {
    raw(static_cast<uint32_t>(v.size()));
    m_ops.append(v);
  }

  FormattingAhead& m_ahead;
  std::string m_ops;
};

// The thread that formats what a Recorder notes, in order, into the drawing's Out. The
// Out is the thread's until finish() returns. A few buffers go round between the two.
class FormattingAhead {
 public:
  static constexpr size_t kBatch = size_t{256} << 10;
  static constexpr int kBatches = 3;

  explicit FormattingAhead(Out& out) : m_out(out), m_thread([this] { run(); }) {}
  FormattingAhead(const FormattingAhead&) = delete;
  FormattingAhead& operator=(const FormattingAhead&) = delete;
  ~FormattingAhead() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }
  // Formats `ops` after those handed over before; gives an empty buffer back to fill.
  std::string hand(std::string ops) {
    std::unique_lock lock(m_mutex);
    if (m_fault) {
      // Nothing more is formatted: what is noted now goes, and finish() tells why.
      ops.clear();
      return ops;
    }
    m_ready.push_back(std::move(ops));
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_free.empty() || m_made < kBatches || m_fault; });
    if (m_free.empty()) {
      ++m_made;
      std::string fresh;
      fresh.reserve(kBatch + 4096);
      return fresh;
    }
    std::string b = std::move(m_free.back());
    m_free.pop_back();
    return b;
  }
  // Waits until everything handed over is formatted; the Out is the caller's again.
  void finish() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
    if (m_fault) std::rethrow_exception(m_fault);
  }

 private:
  void run() {
    try {
      formatAll();
    } catch (...) {
      // No memory to go on: told at finish(); the recorder is never left waiting.
      std::lock_guard lock(m_mutex);
      m_fault = std::current_exception();
    }
    m_changed.notify_all();
  }
  void formatAll() {
    for (;;) {
      std::string ops;
      {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || !m_ready.empty(); });
        if (m_ready.empty()) return;
        ops = std::move(m_ready.front());
        m_ready.erase(m_ready.begin());
      }
      Recorder::replay(ops, m_out);
      ops.clear();
      {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(ops));
      }
      m_changed.notify_all();
    }
  }

  Out& m_out;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_ready, m_free;
  int m_made = 1;  // the recorder's first buffer
  bool m_stop = false;
  std::exception_ptr m_fault;
  std::thread m_thread;  // last: it starts at once, with everything above made
};

Recorder::Recorder(FormattingAhead& ahead) : m_ahead(ahead) { m_ops.reserve(FormattingAhead::kBatch + 4096); }

void Recorder::flushSome() {
  if (m_ops.size() >= FormattingAhead::kBatch) flush();
}
void Recorder::flush() {
  if (!m_ops.empty()) m_ops = m_ahead.hand(std::move(m_ops));
}


void Recorder::replay(std::string_view ops, Out& out) {
  auto take = [&](auto& v) {
    std::memcpy(&v, ops.data(), sizeof v);
    ops.remove_prefix(sizeof v);
  };
  auto takeBytes = [&]() {
    uint32_t n = 0;
    take(n);
    const std::string_view v = ops.substr(0, n);
    ops.remove_prefix(n);
    return v;
  };
  while (!ops.empty()) {
    Op o{};
    int32_t c = 0;
    take(o);
    take(c);
    switch (o) {
      case Op::Put: out.put(c, takeBytes()); break;
      case Op::Hex: {
        uint64_t v = 0;
        take(v);
        out.hexValue(c, v);
        break;
      }
      case Op::Integer: {
        int64_t v = 0;
        take(v);
        out.integer(c, v);
        break;
      }
      case Op::Real: {
        double v = 0;
        take(v);
        out.realValue(c, v);
        break;
      }
      case Op::Binary: out.binary(c, takeBytes()); break;
    }
  }
  out.flushSome();
}

const ClassInfo& classInfo(ClassInfos& infos, const AcDbObject* o) {
  auto [it, made] = infos.try_emplace(o->isA());
  if (made) {
    it->second.builtin = db::isBuiltinClass(o->isA());
    it->second.kept = AcDbUnknownEntity::cast(o) || AcDbUnknownObject::cast(o);
    if (!it->second.kept) it->second.dxfName = o->isA()->dxfName();
  }
  return it->second;
}

// The type a kept object had in its file.
std::u16string keptDxfName(const AcDbObject* o) {
  if (auto* u = AcDbUnknownEntity::cast(o)) return u->originalDxfName();
  return AcDbUnknownObject::cast(o)->originalDxfName();
}

template <class O>
void writeXData(O& out, const AcDbObject* o) {
  AcDbObjectAccess::forEachXDataGroup(o, [&](const Tag& t) { out.tag(t); });
}

// The groups every object starts with: type, handle, reactors, owner.
template <class O>
void writeHead(O& out, const AcDbObject* o, const std::u16string& type, int handleCode = 5) {
  out.str(0, type);
  out.handle(handleCode, o->objectId().handle());
  const auto& reactors = o->persistentReactors();
  bool any = false;
  for (const auto& r : reactors) any = any || r.isValid();
  if (any) {
    out.str(102, u"{ACAD_REACTORS");
    for (const auto& r : reactors)
      if (r.isValid()) out.id(330, r);
    out.str(102, u"}");
  }
  if (!o->extensionDictionary().isNull() && o->extensionDictionary().isValid()) {
    out.str(102, u"{ACAD_XDICTIONARY");
    out.id(360, o->extensionDictionary());
    out.str(102, u"}");
  }
  out.id(330, o->ownerId());
}

// An entity of a module's class carries its picture for programs without the module: the
// proxy graphics, recorded from its worldDraw, close its common groups.
void addProxyGraphics(const AcDbObject* o, db::Tags& tags) {
  auto* e = AcDbEntity::cast(o);
  if (!e || db::isBuiltinClass(o->isA()) || db::implOf(o->database())->varInt(u"PROXYGRAPHICS", 1) == 0) return;
  const std::string graphics = db::recordProxyGraphics(const_cast<AcDbEntity*>(e));
  if (graphics.empty()) return;
  auto at = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == 100 && t.str == u"AcDbEntity"; });
  if (at != tags.end()) at = std::find_if(at + 1, tags.end(), [](const Tag& t) { return t.code == 100; });
  Tag size, data;
  size.code = 160;
  size.kind = TagKind::Int64;
  size.integer = static_cast<int64_t>(graphics.size());
  data.code = 310;
  data.kind = TagKind::Binary;
  data.bytes = graphics;
  tags.insert(tags.insert(at, size) + 1, data);
}

// A class that files itself only through the binary filer writes no DXF groups of its
// own; its binary stream is stored instead, so that its data survives a save and an open.
bool filesOnlyBinary(const AcDbObject* o, const db::Tags& own) {
  if (db::isBuiltinClass(o->isA())) return false;
  db::TagFiler base(o->database());
  if (auto* e = AcDbEntity::cast(o)) e->AcDbEntity::dxfOutFields(&base);
  else o->AcDbObject::dxfOutFields(&base);
  return base.tags().size() == own.size();
}

template <class O>
void writeObject(O& out, const AcDbObject* o, int handleCode = 5) {
  const ClassInfo& info = classInfo(out.classes, o);
  std::u16string keptName;
  writeHead(out, o, info.kept ? (keptName = keptDxfName(o)) : info.dxfName, handleCode);
  db::TagFiler& f = out.filer;
  f.reset(o->database());
  o->dxfOutFields(&f);
  db::Tags& tags = f.tags();
  const bool binaryOnly = filesOnlyBinary(o, tags);
  addProxyGraphics(o, tags);
  // Objects file angles (groups 50 to 58) in radians, as entity lists hold them; the
  // file holds degrees. Entities kept as their groups are written as they were read.
  const bool known = !info.kept;
  for (const Tag& t : tags) {
    if (known && t.kind == TagKind::Real && t.code >= 50 && t.code <= 58)
      out.realValue(t.code, std::round(t.real * 180.0 / M_PI * 1e12) / 1e12);
    else
      out.tag(t);
  }
  if (binaryOnly) {
    db::MemoryDwgFiler dwg(o->database());
    o->dwgOutFields(&dwg);
    out.str(100, db::kDwgStreamMarker);
    out.integer(90, static_cast<int64_t>(dwg.bytes().size()));
    out.binary(310, dwg.bytes());
  }
  writeXData(out, o);
  out.flushSome();
}

// Files an object of the host's own classes straight into a recorder, group by group,
// as writeObject would put the groups it collects: angles (groups 50 to 58) in degrees
// for the classes that model them.
class RecordingFiler : public db::TagFiler {
 public:
  RecordingFiler(Recorder& out, AcDbDatabase* db, bool degrees) : TagFiler(db), m_out(out), m_degrees(degrees) {}

  void append(const Tag& t) override {
    if (t.kind == TagKind::Real) real(t.code, t.real);
    else putTag(m_out, t);
  }
  Acad::ErrorStatus writeItem(const resbuf& item) override {
    Tag t;
    if (!db::resbufToTag(item, t)) {
      setFilerStatus(Acad::eInvalidResBuf);
      return Acad::eInvalidResBuf;
    }
    append(t);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeString(int code, const ACHAR* value) override {
    m_out.str(code, value ? std::u16string_view(value) : std::u16string_view());
    return Acad::eOk;
  }
  Acad::ErrorStatus writeBool(int code, bool value) override { return integer(code, value ? 1 : 0); }
  Acad::ErrorStatus writeInt8(int code, int8_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeInt16(int code, int16_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeInt32(int code, int32_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeDouble(int code, double value, int) override {
    real(code, value);
    return Acad::eOk;
  }
  Acad::ErrorStatus writePoint2d(int code, const AcGePoint2d& v, int) override {
    m_out.point(code, AcGePoint3d(v.x, v.y, 0), 2);
    return Acad::eOk;
  }
  Acad::ErrorStatus writePoint3d(int code, const AcGePoint3d& v, int) override {
    m_out.point(code, v);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeVector3d(int code, const AcGeVector3d& v, int) override {
    m_out.point(code, AcGePoint3d(v.x, v.y, v.z));
    return Acad::eOk;
  }
  Acad::ErrorStatus writeObjectId(int code, const AcDbObjectId& id) override {
    m_out.id(code, id);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeBinaryChunk(int code, const ads_binary& value) override {
    m_out.binary(code, std::string_view(value.buf ? value.buf : "", value.clen > 0 ? static_cast<size_t>(value.clen) : 0));
    return Acad::eOk;
  }

 private:
  Acad::ErrorStatus integer(int code, int64_t v) {
    m_out.integer(code, v);
    return Acad::eOk;
  }
  void real(int code, double v) {
    if (m_degrees && code >= 50 && code <= 58) v = std::round(v * 180.0 / M_PI * 1e12) / 1e12;
    m_out.realValue(code, v);
  }

  Recorder& m_out;
  bool m_degrees;
};

// The host's own classes add nothing to what they file (no proxy graphics, no binary
// stream), so they are recorded as they file; a module's go through its groups.
void writeObject(Recorder& out, const AcDbObject* o, int handleCode = 5) {
  const ClassInfo& info = classInfo(out.classes, o);
  if (!info.builtin) {
    writeObject<Recorder>(out, o, handleCode);
    return;
  }
  std::u16string keptName;
  writeHead(out, o, info.kept ? (keptName = keptDxfName(o)) : info.dxfName, handleCode);
  RecordingFiler f(out, o->database(), !info.kept);
  o->dxfOutFields(&f);
  writeXData(out, o);
  out.flushSome();
}

template <class O>
void writeEntity(O& out, AcDbDatabase::Impl* d, AcDbObjectId id) {
  auto* e = AcDbEntity::cast(d->peek(id));
  if (!e || e->isErased()) return;
  writeObject(out, e);
  if (auto* complex = AcDbComplexEntity::cast(e)) {
    for (const auto& sub : complex->ownedIds())
      if (AcDbObject* s = d->peek(sub)) writeObject(out, s);
  }
}

void writeHeader(Out& out, AcDbDatabase::Impl* d) {
  out.str(0, u"SECTION");
  out.str(2, u"HEADER");
  out.str(9, u"$ACADVER");
  out.str(1, u"AC1032");
  out.str(9, u"$DWGCODEPAGE");
  out.str(3, u"ANSI_1250");
  out.str(9, u"$HANDSEED");
  out.put(5, hex(d->nextHandle));
  struct Var {
    const char16_t* name;
    int code;
  };
  static const Var vars[] = {{u"CLAYER", 8},    {u"TEXTSTYLE", 7}, {u"CELTYPE", 6},    {u"DIMSTYLE", 2},
                             {u"INSUNITS", 70}, {u"MEASUREMENT", 70}, {u"LUNITS", 70}, {u"LUPREC", 70},
                             {u"AUNITS", 70},   {u"AUPREC", 70},   {u"TILEMODE", 70},  {u"MIRRTEXT", 70},
                             {u"LIMCHECK", 70}, {u"TEXTSIZE", 40}, {u"LTSCALE", 40},   {u"ANGBASE", 50},
                             {u"ANGDIR", 70},   {u"LIMMIN", 10},   {u"LIMMAX", 10},    {u"UCSORG", 10},
                             {u"UCSXDIR", 10},  {u"UCSYDIR", 10},  {u"REGENMODE", 70}, {u"CELTSCALE", 40},
                             {u"PROXYGRAPHICS", 70}};
  auto writeValue = [&](const std::u16string& name, int code, const db::VarValue& value) {
    out.str(9, u"$" + name);
    switch (value.type) {
      case RTSTR: out.str(code, value.text); break;
      case RTREAL: out.put(code, real(value.real)); break;
      case RTPOINT: out.point(code, value.point, 2); break;
      case RT3DPOINT: out.point(code, value.point); break;
      default: out.integer(code, value.integer); break;
    }
  };
  // The file's variables in its order: the ones the drawing holds with their value now,
  // the others as they were read; then the drawing's own that the file did not have.
  std::set<std::u16string> written{u"ACADVER", u"DWGCODEPAGE", u"HANDSEED"};
  for (const auto& [name, tags] : d->fileHeader) {
    if (!written.insert(name).second || tags.empty()) continue;
    if (const db::VarValue* value = d->var(name); value && db::holdsGroupKind(value->type, tags.front().kind)) {
      writeValue(name, tags.front().code, *value);
      continue;
    }
    out.str(9, u"$" + name);
    for (const Tag& t : tags) out.tag(t);
  }
  for (const Var& v : vars) {
    const db::VarValue* value = d->var(v.name);
    if (value && written.insert(v.name).second) writeValue(v.name, v.code, *value);
  }
  out.str(0, u"ENDSEC");
}

void writeClasses(Out& out, AcDbDatabase::Impl* d) {
  std::map<const AcRxClass*, int> used;
  for (const auto& s : d->stubs)
    if (s->object && !s->object->isErased() && !db::isBuiltinClass(s->object->isA())) ++used[s->object->isA()];
  out.str(0, u"SECTION");
  out.str(2, u"CLASSES");
  for (const auto& [cls, count] : used) {
    out.str(0, u"CLASS");
    out.str(1, cls->dxfName());
    out.str(2, cls->name());
    out.str(3, cls->appName());
    out.integer(90, cls->proxyFlags());
    out.integer(91, count);
    out.integer(280, 0);
    out.integer(281, cls->isDerivedFrom(AcDbEntity::desc()) ? 1 : 0);
  }
  // The file's classes that the drawing does not define itself, as they were read.
  for (const auto& tags : d->fileClasses) {
    const auto name = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == 1; });
    const bool ours = name != tags.end() && std::any_of(used.begin(), used.end(), [&](const auto& u) {
      return name->str == u.first->dxfName();
    });
    if (ours) continue;
    out.str(0, u"CLASS");
    for (const Tag& t : tags) out.tag(t);
  }
  out.str(0, u"ENDSEC");
}

void writeTable(Out& out, AcDbDatabase::Impl* d, AcDbObjectId tableId, const char16_t* name) {
  auto* table = AcDbSymbolTable::cast(d->peek(tableId));
  if (!table) return;
  out.str(0, u"TABLE");
  out.str(2, name);
  out.handle(5, tableId.handle());
  if (!table->extensionDictionary().isNull() && table->extensionDictionary().isValid()) {
    out.str(102, u"{ACAD_XDICTIONARY");
    out.id(360, table->extensionDictionary());
    out.str(102, u"}");
  }
  out.put(330, "0");
  db::TagFiler f(d->self);
  table->dxfOutFields(&f);
  for (const Tag& t : f.tags()) out.tag(t);
  const bool dim = std::u16string_view(name) == u"DIMSTYLE";
  if (dim) {
    out.str(100, u"AcDbDimStyleTable");
    out.integer(71, 0);
  }
  for (const auto& id : table->recordIds()) {
    AcDbObject* rec = d->peek(id);
    if (rec && !rec->isErased()) writeObject(out, rec, dim ? 105 : 5);
  }
  out.str(0, u"ENDTAB");
}

void writeBlocks(Out& out, AcDbDatabase::Impl* d) {
  auto* table = AcDbSymbolTable::cast(d->peek(d->blockTable));
  out.str(0, u"SECTION");
  out.str(2, u"BLOCKS");
  for (const auto& id : table->recordIds()) {
    auto* btr = AcDbBlockTableRecord::cast(d->peek(id));
    if (!btr || btr->isErased()) continue;
    const bool paper = id == d->paperSpace;
    out.str(0, u"BLOCK");
    out.handle(5, btr->beginHandle());
    out.id(330, id);
    out.str(100, u"AcDbEntity");
    if (paper) out.integer(67, 1);
    out.str(8, btr->beginLayer());
    out.str(100, u"AcDbBlockBegin");
    out.str(2, btr->nameConst());
    out.integer(70, btr->flags());
    out.point(10, btr->origin());
    out.str(3, btr->nameConst());
    out.str(1, btr->pathName());
    if (btr->comments()[0]) out.str(4, btr->comments());
    // The two current spaces' entities go into ENTITIES; other layouts keep theirs here.
    if (id != d->modelSpace && id != d->paperSpace)
      for (const auto& e : btr->entityIds()) writeEntity(out, d, e);
    out.str(0, u"ENDBLK");
    out.handle(5, btr->endHandle());
    out.id(330, id);
    out.str(100, u"AcDbEntity");
    if (paper) out.integer(67, 1);
    out.str(8, btr->beginLayer());
    out.str(100, u"AcDbBlockEnd");
  }
  out.str(0, u"ENDSEC");
}

bool isTableObject(AcDbDatabase::Impl* d, const AcDbObject* o) {
  return AcDbSymbolTable::cast(o) || AcDbSymbolTableRecord::cast(o);
}

void writeDrawing(Out& out, AcDbDatabase* db) {
  auto* d = db->impl();
  out.str(999, u"Written by the headless drafting host");
  writeHeader(out, d);
  writeClasses(out, d);
  out.str(0, u"SECTION");
  out.str(2, u"TABLES");
  writeTable(out, d, d->viewportTable, u"VPORT");
  writeTable(out, d, d->linetypeTable, u"LTYPE");
  writeTable(out, d, d->layerTable, u"LAYER");
  writeTable(out, d, d->textStyleTable, u"STYLE");
  writeTable(out, d, d->viewTable, u"VIEW");
  writeTable(out, d, d->ucsTable, u"UCS");
  writeTable(out, d, d->regAppTable, u"APPID");
  writeTable(out, d, d->dimStyleTable, u"DIMSTYLE");
  writeTable(out, d, d->blockTable, u"BLOCK_RECORD");
  out.str(0, u"ENDSEC");
  writeBlocks(out, d);
  out.str(0, u"SECTION");
  out.str(2, u"ENTITIES");
  {
    // The bulk of a drawing: walked here, formatted beside.
    FormattingAhead ahead(out);
    Recorder rec(ahead);
    for (AcDbObjectId space : {d->modelSpace, d->paperSpace})
      if (auto* btr = AcDbBlockTableRecord::cast(d->peek(space)))
        for (const auto& e : btr->entityIds()) writeEntity(rec, d, e);
    rec.flush();
    ahead.finish();
  }
  out.str(0, u"ENDSEC");
  out.str(0, u"SECTION");
  out.str(2, u"OBJECTS");
  // The root dictionary comes first; then every other object in creation order.
  if (AcDbObject* root = d->peek(d->namedDict)) writeObject(out, root);
  // By index: filing an object's kept groups may add stubs for handles they name.
  for (size_t i = 0; i < d->stubs.size(); ++i) {
    AcDbObject* o = d->stubs[i]->object;
    if (!o || o->isErased() || o->objectId() == d->namedDict || AcDbEntity::cast(o) || isTableObject(d, o)) continue;
    writeObject(out, o);
  }
  out.str(0, u"ENDSEC");
  out.str(0, u"EOF");
  out.flush();
}

}  // namespace

std::string write(AcDbDatabase* db) {
  Out out;
  // Room for the whole file at once: growing would copy it and hold two copies. Pages
  // reserved and never written take no memory.
  out.buf.reserve((1 << 20) + db->impl()->stubs.size() * 512);
  writeDrawing(out, db);
  return out.buf;
}

Acad::ErrorStatus writeFile(AcDbDatabase* db, const std::string& path, std::u16string& error) {
  std::string why;
  // Written a piece at a time: a large drawing is never held twice, as objects and as text.
  auto produce = [db](const qd::files::ByteSink& sink) {
    Out out(&sink);
    out.buf.reserve(2 * Out::kPiece);
    writeDrawing(out, db);
  };
  if (!qd::files::replaceFile(path, produce, why)) {
    error = qd::text::fromUtf8(why);
    return Acad::eFileAccessErr;
  }
  nameDrawing(db, path);
  return Acad::eOk;
}

}  // namespace qd::dxf

Acad::ErrorStatus AcDbDatabase::dxfOut(const ACHAR* fileName, int) {
  if (!fileName) return Acad::eInvalidInput;
  return qd::dxf::writeFile(this, qd::text::toUtf8(fileName), m_impl->lastError);
}
