#include "headless/db/proxy_graphics.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "host/acgi.h"
#include "platform/codepage.h"

namespace qd::db {
namespace {

// Primitive types of the stream.
enum Primitive : uint32_t {
  kCircle = 2,
  kCircularArc = 4,
  kPolyline = 6,
  kPolygon = 7,
  kText = 10,
  kColor = 14,
  kLayer = 16,
  kLinetype = 18,
  kMarker = 19,
  kFill = 20,
  kLinetypeScale = 24,
  kPushMatrix = 29,
  kPopMatrix = 31,
  kPolylineWithNormal = 32,
  kUnicodeText = 36,
  kUnicodeText2 = 38,
};

// A drawing that reads a stream back into points draws no more than this many points
// in one primitive, and nests transforms no deeper than this.
constexpr uint32_t kMaxPoints = 1u << 20;
constexpr size_t kMaxTransforms = 64;

// The records as the file lists them: the index a layer or linetype primitive names.
std::vector<AcDbObjectId> writtenRecords(AcDbDatabase* db, AcDbObjectId table) {
  std::vector<AcDbObjectId> out;
  auto* d = implOf(db);
  auto* t = d ? AcDbSymbolTable::cast(d->peek(table)) : nullptr;
  if (!t) return out;
  for (const AcDbObjectId& id : AcDbSymbolTableAccess::records(t)) {
    AcDbObject* rec = d->peek(id);
    if (rec && !rec->isErased()) out.push_back(id);
  }
  return out;
}

class Recorder : public AcGiGeometry, public AcGiWorldDraw, public AcGiSubEntityTraits {
 public:
  explicit Recorder(AcDbDatabase* db) : m_db(db) {}

  std::string stream() const {
    if (m_count == 0) return {};
    std::string out;
    putInt(out, static_cast<uint32_t>(8 + m_body.size()));
    putInt(out, m_count);
    return out + m_body;
  }

  AcGiWorldGeometry& geometry() const override { return *const_cast<Recorder*>(this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return *const_cast<Recorder*>(this); }

  void setColor(uint16_t color) override {
    m_color = color;
    begin(kColor);
    putInt(m_prim, color);
    end();
  }
  uint16_t color() const override { return m_color; }
  void setLayer(AcDbObjectId layerId) override { recordIndex(kLayer, m_db ? implOf(m_db)->layerTable : AcDbObjectId(), layerId); }
  void setLineType(AcDbObjectId id) override { recordIndex(kLinetype, m_db ? implOf(m_db)->linetypeTable : AcDbObjectId(), id); }
  void setSelectionMarker(intptr_t marker) override {
    begin(kMarker);
    putInt(m_prim, static_cast<uint32_t>(marker));
    end();
  }
  void setFillType(AcGiFillType type) override {
    m_fill = type;
    begin(kFill);
    putInt(m_prim, type == kAcGiFillAlways ? 1 : 0);
    end();
  }
  AcGiFillType fillType() const override { return m_fill; }
  void setLineTypeScale(double scale) override {
    begin(kLinetypeScale);
    putReal(m_prim, scale);
    end();
  }

  bool polyline(uint32_t n, const AcGePoint3d* pts, const AcGeVector3d* normal, intptr_t) override {
    begin(normal ? kPolylineWithNormal : kPolyline);
    putPoints(n, pts);
    if (normal) putVector(m_prim, *normal);
    end();
    return false;
  }
  bool polygon(uint32_t n, const AcGePoint3d* pts) override {
    begin(kPolygon);
    putPoints(n, pts);
    end();
    return false;
  }
  bool circle(const AcGePoint3d& c, double r, const AcGeVector3d& n) override {
    begin(kCircle);
    putPoint(m_prim, c);
    putReal(m_prim, r);
    putVector(m_prim, n);
    end();
    return false;
  }
  bool circularArc(const AcGePoint3d& c, double r, const AcGeVector3d& n, const AcGeVector3d& start,
                   double sweep) override {
    begin(kCircularArc);
    putPoint(m_prim, c);
    putReal(m_prim, r);
    putVector(m_prim, n);
    putVector(m_prim, start);
    putReal(m_prim, sweep);
    putInt(m_prim, 0);  // a simple arc, not a sector or a chord
    end();
    return false;
  }
  using AcGiGeometry::text;
  bool text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir, const ACHAR* msg,
            int32_t length, bool raw, const AcGiTextStyle& style) override {
    const std::u16string_view shown = length < 0 ? std::u16string_view(msg) : std::u16string_view(msg, length);
    begin(kUnicodeText2);
    putPoint(m_prim, pos);
    putVector(m_prim, n);
    putVector(m_prim, dir);
    putText(shown);
    putInt(m_prim, static_cast<uint32_t>(shown.size()));
    putInt(m_prim, raw ? 1 : 0);
    putReal(m_prim, style.textSize());
    putReal(m_prim, style.xScale());
    putReal(m_prim, style.obliquingAngle());
    putReal(m_prim, 0);  // tracking
    for (int i = 0; i < 9; ++i) putInt(m_prim, 0);  // backwards ... overlined, bold, italic, charset, pitch
    putText(u"");                                    // typeface
    putText(style.fileName());
    putText(u"");  // big font
    end();
    return false;
  }
  bool draw(AcDbEntity* ent) override { return ent->worldDraw(this); }
  bool pushModelTransform(const AcGeMatrix3d& m) override {
    begin(kPushMatrix);
    for (const auto& row : m.entry)
      for (double v : row) putReal(m_prim, v);
    end();
    return false;
  }
  bool popModelTransform() override {
    begin(kPopMatrix);
    end();
    return false;
  }

  static void putInt(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  static void putReal(std::string& out, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
  }
  static void putPoint(std::string& out, const AcGePoint3d& p) {
    putReal(out, p.x);
    putReal(out, p.y);
    putReal(out, p.z);
  }
  static void putVector(std::string& out, const AcGeVector3d& v) { putPoint(out, AcGePoint3d(v.x, v.y, v.z)); }

 private:
  void begin(uint32_t type) {
    m_prim.clear();
    m_type = type;
  }
  void end() {
    putInt(m_body, static_cast<uint32_t>(8 + m_prim.size()));
    putInt(m_body, m_type);
    m_body += m_prim;
    ++m_count;
  }
  void putPoints(uint32_t n, const AcGePoint3d* pts) {
    putInt(m_prim, n);
    for (uint32_t i = 0; i < n; ++i) putPoint(m_prim, pts[i]);
  }
  // UTF-16 little-endian, ended by a zero and padded to four bytes.
  void putText(std::u16string_view s) {
    for (char16_t c : s) {
      m_prim += static_cast<char>(c & 0xFF);
      m_prim += static_cast<char>(c >> 8);
    }
    m_prim.append(2, '\0');
    while (m_prim.size() % 4) m_prim += '\0';
  }
  void recordIndex(uint32_t type, AcDbObjectId table, AcDbObjectId id) {
    const std::vector<AcDbObjectId> records = writtenRecords(m_db, table);
    for (size_t i = 0; i < records.size(); ++i) {
      if (records[i] != id) continue;
      begin(type);
      putInt(m_prim, static_cast<uint32_t>(i));
      end();
      return;
    }
  }

  AcDbDatabase* m_db;
  std::string m_body, m_prim;
  uint32_t m_type = 0, m_count = 0;
  uint16_t m_color = 256;
  AcGiFillType m_fill = kAcGiFillNever;
};

// Reads one primitive's data; every read past its end fails and leaves `ok` false.
class Reader {
 public:
  explicit Reader(std::string_view data) : m_data(data) {}
  bool ok() const { return m_ok; }
  uint32_t integer() {
    const unsigned char* p = take(4);
    return p ? static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
                   static_cast<uint32_t>(p[3]) << 24
             : 0;
  }
  double real() {
    const unsigned char* p = take(8);
    if (!p) return 0;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return std::isfinite(v) ? v : 0;
  }
  AcGePoint3d point() {
    const double x = real(), y = real(), z = real();
    return {x, y, z};
  }
  AcGeVector3d vector() {
    const AcGePoint3d p = point();
    return {p.x, p.y, p.z};
  }
  // A count of items of `itemSize` bytes each that must still fit in the data.
  uint32_t count(size_t itemSize) {
    const uint32_t n = integer();
    if (n > kMaxPoints || n * itemSize > m_data.size() - m_at) m_ok = false;
    return m_ok ? n : 0;
  }
  std::u16string text() {
    std::u16string s;
    for (;;) {
      const unsigned char* p = take(2);
      if (!p) return s;
      const char16_t c = static_cast<char16_t>(p[0] | p[1] << 8);
      if (c == 0) break;
      s += c;
    }
    while (m_at % 4 && m_at < m_data.size()) ++m_at;
    return s;
  }

 private:
  const unsigned char* take(size_t n) {
    if (!m_ok || n > m_data.size() - m_at) {
      m_ok = false;
      return nullptr;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(m_data.data() + m_at);
    m_at += n;
    return p;
  }
  std::string_view m_data;
  size_t m_at = 0;
  bool m_ok = true;
};

class Player {
 public:
  Player(AcDbDatabase* db, AcGiWorldDraw* mode) : m_db(db), m_mode(mode) {}
  ~Player() {
    while (m_pushed > 0) {
      m_mode->geometry().popModelTransform();
      --m_pushed;
    }
  }
  // Draws one primitive; false when its data is broken.
  bool play(uint32_t type, Reader& r) {
    AcGiGeometry& g = m_mode->geometry();
    AcGiSubEntityTraits& traits = m_mode->subEntityTraits();
    switch (type) {
      case kCircle: {
        const AcGePoint3d c = r.point();
        const double radius = r.real();
        const AcGeVector3d n = r.vector();
        if (r.ok()) g.circle(c, radius, normalOr(n));
        ++m_drawn;
        break;
      }
      case kCircularArc: {
        const AcGePoint3d c = r.point();
        const double radius = r.real();
        const AcGeVector3d n = r.vector(), start = r.vector();
        const double sweep = r.real();
        if (r.ok() && !start.isZeroLength()) g.circularArc(c, radius, normalOr(n), start, sweep);
        ++m_drawn;
        break;
      }
      case kPolyline:
      case kPolygon:
      case kPolylineWithNormal: {
        const uint32_t n = r.count(24);
        std::vector<AcGePoint3d> pts;
        pts.reserve(n);
        for (uint32_t i = 0; i < n; ++i) pts.push_back(r.point());
        const AcGeVector3d normal = type == kPolylineWithNormal ? r.vector() : AcGeVector3d::kZAxis;
        if (!r.ok() || pts.empty()) break;
        if (type == kPolygon) g.polygon(n, pts.data());
        else g.polyline(n, pts.data(), type == kPolylineWithNormal ? &normal : nullptr);
        ++m_drawn;
        break;
      }
      case kText:
      case kUnicodeText:
      case kUnicodeText2: playText(type, r); break;
      case kColor: traits.setColor(static_cast<uint16_t>(std::min<uint32_t>(r.integer(), 256))); break;
      case kLayer:
      case kLinetype: {
        const uint32_t i = r.integer();
        const auto records = writtenRecords(m_db, type == kLayer ? implOf(m_db)->layerTable : implOf(m_db)->linetypeTable);
        if (r.ok() && i < records.size()) {
          if (type == kLayer) traits.setLayer(records[i]);
          else traits.setLineType(records[i]);
        }
        break;
      }
      case kMarker: traits.setSelectionMarker(static_cast<int32_t>(r.integer())); break;
      case kFill: traits.setFillType(r.integer() ? kAcGiFillAlways : kAcGiFillNever); break;
      case kLinetypeScale: traits.setLineTypeScale(r.real()); break;
      case kPushMatrix: {
        AcGeMatrix3d m;
        for (auto& row : m.entry)
          for (double& v : row) v = r.real();
        if (r.ok() && m_pushed < kMaxTransforms && !g.pushModelTransform(m)) ++m_pushed;
        break;
      }
      case kPopMatrix:
        if (m_pushed > 0) {
          g.popModelTransform();
          --m_pushed;
        }
        break;
      default: break;
    }
    return r.ok();
  }
  int drawn() const { return m_drawn; }

 private:
  static AcGeVector3d normalOr(const AcGeVector3d& n) { return n.isZeroLength() ? AcGeVector3d::kZAxis : n; }

  void playText(uint32_t type, Reader& r) {
    const AcGePoint3d pos = r.point();
    const AcGeVector3d n = r.vector(), dir = r.vector();
    std::u16string msg, font;
    double height = 0, width = 1, oblique = 0;
    bool raw = false;
    if (type == kUnicodeText2) {
      msg = r.text();
      r.integer();
      raw = r.integer() != 0;
      height = r.real();
      width = r.real();
      oblique = r.real();
      r.real();
      for (int i = 0; i < 9; ++i) r.integer();
      r.text();
      font = r.text();
    } else {
      height = r.real();
      width = r.real();
      oblique = r.real();
      msg = type == kUnicodeText ? r.text() : latinText(r);
    }
    if (!r.ok() || dir.isZeroLength()) return;
    m_mode->geometry().text(pos, normalOr(n), dir, msg.c_str(), -1, raw, AcGiTextStyle(font.c_str(), height, width, oblique));
    ++m_drawn;
  }
  // A text in the drawing's code page, ended by a zero and padded to four bytes.
  static std::u16string latinText(Reader& r) {
    std::string bytes;
    for (;;) {
      const uint32_t four = r.integer();
      if (!r.ok()) break;
      for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((four >> (8 * i)) & 0xFF);
        if (c == 0) return qd::text::fromAnsi(bytes);
        bytes += c;
      }
    }
    return qd::text::fromAnsi(bytes);
  }

  AcDbDatabase* m_db;
  AcGiWorldDraw* m_mode;
  size_t m_pushed = 0;
  int m_drawn = 0;
};

}  // namespace

std::string recordProxyGraphics(AcDbEntity* ent) {
  Recorder recorder(ent->database());
  ent->worldDraw(&recorder);
  return recorder.stream();
}

std::string keptProxyGraphics(const AcDbEntity* ent) {
  std::string graphics;
  for (const Tag& t : keptGroups(ent->database(), AcDbEntityAccess::commonKept(ent)))
    if (t.code == 310) graphics += t.bytes;
  return graphics;
}

bool drawProxyGraphics(std::string_view stream, AcDbDatabase* db, AcGiWorldDraw* mode) {
  Reader head(stream);
  head.integer();
  head.integer();
  if (!head.ok() || !implOf(db)) return false;
  Player player(db, mode);
  for (size_t at = 8; at + 8 <= stream.size();) {
    Reader prim(stream.substr(at, 8));
    const uint32_t size = prim.integer(), type = prim.integer();
    if (size < 8 || size > stream.size() - at) break;
    Reader data(stream.substr(at + 8, size - 8));
    if (!player.play(type, data)) break;
    at += size;
  }
  return player.drawn() > 0;
}

}  // namespace qd::db
