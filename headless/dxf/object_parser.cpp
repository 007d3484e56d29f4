#include "headless/dxf/object_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "headless/db/database_impl.h"
#include "headless/dxf/real_text.h"
#include "platform/codepage.h"

namespace qd::dxf {

using db::Tag;
using db::TagKind;
using db::Tags;

std::u16string ObjectParser::decode(std::string_view raw) const {
  std::u16string out;
  decodeInto(raw, out);
  return out;
}

#if defined(__SSE2__)
namespace {

// The bytes that are not plain ASCII as a value reads: controls, DEL, carets and
// backslashes, and (signed, below 32 too) every byte from 128 up.
__m128i otherBytes(__m128i bytes) {
  return _mm_or_si128(
      _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(32)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(127))),
      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('^')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
}

}  // namespace
#endif

void ObjectParser::decodeInto(std::string_view raw, std::u16string& text) const {
  // Plain ASCII, as most values are, reads the same in every code page: widened in
  // place as it is looked at (assigning chars to the text would build a second text).
  text.resize(raw.size());
  char16_t* const wide = text.data();
  size_t plain = 0;
#if defined(__SSE2__)
  // Sixteen at a time while all of them are plain, then eight.
  const __m128i zero = _mm_setzero_si128();
  for (; plain + 16 <= raw.size(); plain += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw.data() + plain));
    if (_mm_movemask_epi8(otherBytes(bytes)) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + plain), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + plain + 8), _mm_unpackhi_epi8(bytes, zero));
  }
  if (plain + 8 <= raw.size()) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(raw.data() + plain));
    if ((_mm_movemask_epi8(otherBytes(bytes)) & 0xFF) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + plain), _mm_unpacklo_epi8(bytes, zero));
      plain += 8;
    }
  }
#endif
  for (; plain < raw.size(); ++plain) {
    const char c = raw[plain];
    if (c < 32 || c >= 127 || c == '^' || c == '\\') break;
    wide[plain] = static_cast<char16_t>(c);
  }
  if (plain == raw.size()) return;
  if (const char16_t* high = m_codePage ? qd::text::builtInHighHalf(m_codePage) : nullptr) {
    // A byte is a character: widened in place from the first other one on. Carets and
    // escapes are read from the first of them, when there is one (in a few texts only).
    size_t escape = raw.size();
    for (size_t i = plain; i < raw.size(); ++i) {
      const auto byte = static_cast<unsigned char>(raw[i]);
      if ((byte == '^' || byte == '\\') && escape == raw.size()) escape = i;
      wide[i] = byte < 0x80 ? static_cast<char16_t>(byte) : high[byte - 0x80];
    }
    if (escape < raw.size()) unescape(text, escape);
    return;
  }
  text = m_codePage ? qd::text::fromCodePage(raw, m_codePage) : qd::text::fromUtf8(raw);
  unescape(text, 0);
}

void ObjectParser::unescape(std::u16string& text, size_t from) {
  auto hex = [](char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  };
  // Written over as it is read: a caret or an escape only ever shortens the text.
  size_t n = from;
  for (size_t i = from; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'^' && i + 1 < text.size()) {
      const char16_t next = text[++i];
      text[n++] = next == u' ' ? u'^' : static_cast<char16_t>(next - 64);
      continue;
    }
    if (c == u'\\' && i + 6 < text.size() && text.compare(i, 3, u"\\U+") == 0) {
      const int d[] = {hex(text[i + 3]), hex(text[i + 4]), hex(text[i + 5]), hex(text[i + 6])};
      if (d[0] >= 0 && d[1] >= 0 && d[2] >= 0 && d[3] >= 0) {
        text[n++] = static_cast<char16_t>(d[0] << 12 | d[1] << 8 | d[2] << 4 | d[3]);
        i += 6;
        continue;
      }
    }
    text[n++] = c;
  }
  text.resize(n);
}

void ObjectParser::notANumber(const RawGroup& g) const {
  throw Failure{lineOf(g) + 1, "number expected for group " + std::to_string(g.code) + ", found \"" +
                                std::string(trim(value(g)).substr(0, 40)) + "\""};
}

double ObjectParser::number(const RawGroup& g) const {
  double d = 0;
  if (!readReal(trim(value(g)), d)) notANumber(g);
  return d;
}

int64_t ObjectParser::integer(const RawGroup& g) const {
  const std::string_view v = trim(value(g));
  int64_t n = 0;
  auto r = std::from_chars(v.data(), v.data() + v.size(), n);
  if (r.ec == std::errc() && r.ptr == v.data() + v.size()) return n;
  // Some writers put reals into integer groups.
  const double d = number(g);
  if (d < -9.2e18 || d > 9.2e18) throw Failure{lineOf(g) + 1, "integer out of range for group " + std::to_string(g.code)};
  return static_cast<int64_t>(d);
}

size_t ObjectParser::collect(GroupCursor& c, bool headerVariable) {
  const size_t line = c->index > 0 ? lineOf(c->index - 1) : 1;
  m_raw.clear();
  for (; c.valid() && c->code != 0 && !(headerVariable && c->code == 9); c.next()) m_raw.push_back(*c);
  if (m_handleLimit != 0) {
    // A 5 after a 9 is a header variable's value, not a handle; the 0 group before the
    // first is no 9.
    int previous = 0;
    for (const RawGroup& g : m_raw) {
      noteGroup(g, previous);
      previous = g.code;
    }
  }
  return line;
}

void ObjectParser::noteHandle(const RawGroup& g) {
  const uint64_t h = db::handleValue(trim(value(g)));
  if (h < m_handleLimit && h >= m_nextHandle) m_nextHandle = h + 1;
}

void ObjectParser::typeInto(size_t& i, Tags& tags, size_t n) {
  if (n == tags.size()) {
    if (m_spare.empty()) {
      tags.emplace_back();
    } else {
      tags.push_back(std::move(m_spare.back()));
      m_spare.pop_back();
    }
  }
  Tag& t = tags[n];
  t.str.clear();
  t.bytes.clear();
  t.pt = AcGePoint3d();
  t.real = 0;
  t.integer = 0;
  t.id = AcDbObjectId();
  t.dims = 3;
  typeGroup(i, t);
}

size_t ObjectParser::parse(GroupCursor& c, bool headerVariable, Tags& out) {
  const size_t line = collect(c, headerVariable);
  // Room for every group at once: a tag is large, and growing moves them all.
  out.reserve(m_raw.size());
  size_t n = 0;
  for (size_t i = 0; i < m_raw.size(); ++n) typeInto(i, out, n);
  keepFirst(out, n);
  return line;
}

size_t ObjectParser::parse(GroupCursor& c, bool dimstyle, Tags& out, SharedGroups& shared) {
  const size_t line = collect(c, false);
  typeShared(dimstyle, out, shared);
  return line;
}

size_t ObjectParser::parseEntity(GroupCursor& c, std::u16string_view type, Tags& out, SharedGroups& shared,
                                 db::DirectFields& direct) {
  const size_t line = collect(c, false);
  // The groups of a list used before are left as they were, not read: handing them to
  // the spare ones would only have the next object take them back.
  if (fileDirect(type, direct, shared)) return line;
  direct.kind = db::DirectFields::Kind::None;
  typeShared(type == u"DIMSTYLE", out, shared);
  return line;
}

void ObjectParser::typeShared(bool dimstyle, Tags& out, SharedGroups& shared) {
  out.reserve(m_raw.size());
  SharedSplit split(shared, dimstyle);
  size_t own = 0, xdata = 0;
  for (size_t i = 0; i < m_raw.size();) {
    const RawGroup& g = m_raw[i];
    if (g.code == 102) decodeInto(value(g), m_value);
    switch (split.roleOf(g.code, g.code == 102 ? std::u16string_view(m_value) : std::u16string_view(), own)) {
      case SharedSplit::Role::Own: typeInto(i, out, own++); break;
      case SharedSplit::Role::XData:
        if (xdata == 0) shared.xdata.reserve(m_raw.size() - i);
        typeInto(i, shared.xdata, xdata++);
        break;
      case SharedSplit::Role::Handle: shared.handle = AcDbHandle(handle(m_raw[i++])); break;
      case SharedSplit::Role::Owner: shared.owner = pointer(m_raw[i++]); break;
      case SharedSplit::Role::Reactor: shared.reactors.push_back(pointer(m_raw[i++])); break;
      case SharedSplit::Role::ExtDict: shared.extDict = pointer(m_raw[i++]); break;
      // Typed all the same: a damaged value is told wherever it stands.
      case SharedSplit::Role::Dropped: typeInto(i, m_dropped, 0); break;
    }
  }
  keepFirst(out, own);
  keepFirst(shared.xdata, xdata);
  if (xdata > 0 && !db::packGroups(shared.xdata, shared.packedXData)) shared.packedXData.clear();
}

bool ObjectParser::fileDirect(std::u16string_view type, db::DirectFields& d, SharedGroups& shared) {
  using F = db::DirectFields;
  // Each kind with its class's marker.
  static constexpr struct {
    std::u16string_view type;
    F::Kind kind;
    std::string_view subclass;
  } kKinds[] = {{u"LINE", F::Kind::Line, "AcDbLine"},
                {u"CIRCLE", F::Kind::Circle, "AcDbCircle"},
                {u"TEXT", F::Kind::Text, "AcDbText"},
                {u"INSERT", F::Kind::Insert, "AcDbBlockReference"}};
  const auto* known = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const auto& k) { return k.type == type; });
  if (known == std::end(kKinds)) return false;
  const F::Kind kind = known->kind;
  const std::string_view subclass = known->subclass;
  d.kind = F::Kind::None;
  d.given = 0;
  SharedSplit split(shared, false);
  // The entity base reads its groups up to the class's marker, the class those after it;
  // a group of either elsewhere, as a list without markers, is read the general way.
  enum class Part { BeforeEntity, Entity, Own } part = Part::BeforeEntity;
  size_t own = 0;
  m_packed.clear();
  for (size_t i = 0; i < m_raw.size();) {
    const RawGroup& g = m_raw[i];
    if (g.code == 102) return false;  // a bracket: reactors, an extension dictionary
    switch (split.roleOf(g.code, {}, own)) {
      case SharedSplit::Role::Handle: shared.handle = AcDbHandle(handle(m_raw[i++])); continue;
      case SharedSplit::Role::Owner: shared.owner = pointer(m_raw[i++]); continue;
      case SharedSplit::Role::XData:
        if (!packXDataGroup(i, m_packed)) return false;
        continue;
      case SharedSplit::Role::Own: break;
      default: return false;
    }
    ++own;
    if (g.code == 100) {
      // Only the plain spellings: any other decodes to another marker, or is read the
      // general way. The class skips its own marker where it stands again (a text's does).
      const std::string_view marker = value(g);
      if (part == Part::BeforeEntity && marker == "AcDbEntity") part = Part::Entity;
      else if (part == Part::Entity && marker == subclass) part = Part::Own;
      else if (!(part == Part::Own && marker == subclass)) return false;
      ++i;
      continue;
    }
    if (!(part == Part::Own ? fileOwnGroup(kind, i, d) : fileEntityGroup(i, d))) return false;
  }
  if (part != Part::Own) return false;
  shared.packedXData = m_packed;
  d.kind = kind;
  return true;
}

bool ObjectParser::fileEntityGroup(size_t& i, db::DirectFields& d) {
  using F = db::DirectFields;
  const RawGroup& g = m_raw[i++];
  switch (g.code) {
    case 8: decodeInto(value(g), d.layer); d.given |= F::kLayer; break;
    case 6: decodeInto(value(g), d.linetype); d.given |= F::kLinetype; break;
    case 62: d.color = static_cast<int16_t>(integer(g)); d.given |= F::kColor; break;
    case 370: d.lineWeight = static_cast<int16_t>(integer(g)); d.given |= F::kLineWeight; break;
    case 48: d.ltScale = number(g); d.given |= F::kLtScale; break;
    case 60: d.visible = static_cast<int16_t>(integer(g)) == 0; d.given |= F::kVisible; break;
    default: return false;
  }
  return true;
}

bool ObjectParser::fileOwnGroup(db::DirectFields::Kind kind, size_t& i, db::DirectFields& d) {
  using F = db::DirectFields;
  using K = F::Kind;
  const RawGroup& g = m_raw[i];
  int dims = 0;
  // The file's angles are degrees; the objects hold radians, converted as any object's.
  auto radians = [&] { return number(g) * M_PI / 180.0; };
  auto set = [&](F::Given given, auto& field, auto value) {
    field = value;
    d.given |= given;
    ++i;
    return true;
  };
  auto text = [&](F::Given given, std::u16string& field) {
    decodeInto(value(g), field);
    d.given |= given;
    ++i;
    return true;
  };
  auto filePoint = [&](F::Given given, AcGePoint3d& field) {
    field = point(i, dims);
    d.given |= given;
    return true;
  };
  if (g.code == 10) return filePoint(F::kFirst, d.first);
  if (g.code == 210) {
    AcGePoint3d n;
    filePoint(F::kNormal, n);
    d.normal = AcGeVector3d(n.x, n.y, n.z);
    return true;
  }
  switch (kind) {
    case K::Line:
      switch (g.code) {
        case 11: return filePoint(F::kSecond, d.second);
        case 39: return set(F::kThickness, d.thickness, number(g));
        default: return false;
      }
    case K::Circle:
      switch (g.code) {
        case 40: return set(F::kRadius, d.radius, number(g));
        case 39: return set(F::kThickness, d.thickness, number(g));
        default: return false;
      }
    case K::Text:
      switch (g.code) {
        case 1: return text(F::kText, d.text);
        case 7: return text(F::kStyle, d.style);
        case 11: return filePoint(F::kSecond, d.second);
        case 39: return set(F::kThickness, d.thickness, number(g));
        case 40: return set(F::kHeight, d.height, number(g));
        case 41: return set(F::kWidthFactor, d.widthFactor, number(g));
        case 50: return set(F::kRotation, d.rotation, radians());
        case 51: return set(F::kOblique, d.oblique, radians());
        case 71: return set(F::kGeneration, d.generation, static_cast<int16_t>(integer(g)));
        case 72: return set(F::kHorizontal, d.horizontal, static_cast<int16_t>(integer(g)));
        case 73: return set(F::kVertical, d.vertical, static_cast<int16_t>(integer(g)));
        default: return false;
      }
    case K::Insert:
      switch (g.code) {
        case 2: return text(F::kBlock, d.block);
        case 41: return set(F::kScaleX, d.scale.x, number(g));
        case 42: return set(F::kScaleY, d.scale.y, number(g));
        case 43: return set(F::kScaleZ, d.scale.z, number(g));
        case 50: return set(F::kRotation, d.rotation, radians());
        case 66: {
          // Attributes follow when any 66 is 1, as the reader tells of any entity's.
          const bool one = integer(g) == 1;
          return set(F::kAttributes, d.attributesFollow, (d.has(F::kAttributes) && d.attributesFollow) || one);
        }
        default: return false;
      }
    case K::None: break;
  }
  return false;
}

void ObjectParser::binary(const RawGroup& g, std::string& bytes) const {
  // Pairs of hexadecimal digits; anything else is damage, not data.
  const std::string_view v = trim(value(g));
  if (v.size() % 2) throw Failure{lineOf(g) + 1, "binary data with an odd number of digits"};
  bytes.reserve(bytes.size() + v.size() / 2);
  for (size_t k = 0; k < v.size(); k += 2) {
    unsigned b = 0;
    const auto r = std::from_chars(v.data() + k, v.data() + k + 2, b, 16);
    if (r.ec != std::errc() || r.ptr != v.data() + k + 2)
      throw Failure{lineOf(g) + 1, "binary data holds \"" + std::string(v.substr(k, 2)) + "\", which is not hexadecimal"};
    bytes += static_cast<char>(b);
  }
}

bool ObjectParser::packXDataGroup(size_t& i, std::string& out) {
  const RawGroup& g = m_raw[i];
  int dims = 0;
  switch (db::tagKindOf(g.code)) {
    case TagKind::Point: db::packPoint(out, g.code, point(i, dims)); return true;
    case TagKind::String:
    case TagKind::Handle:
      decodeInto(value(g), m_value);
      db::packText(out, g.code, m_value);
      break;
    case TagKind::Real: db::packReal(out, g.code, number(g)); break;
    case TagKind::Int16:
    case TagKind::Bool: db::packInt16(out, g.code, static_cast<short>(integer(g))); break;
    case TagKind::Int32: db::packInt32(out, g.code, static_cast<int32_t>(integer(g))); break;
    case TagKind::Int64: db::packInt64(out, g.code, integer(g)); break;
    case TagKind::Binary:
      m_value8.clear();
      binary(g, m_value8);
      if (!db::packBinary(out, g.code, m_value8)) return false;
      break;
    case TagKind::Id: return false;
  }
  ++i;
  return true;
}

AcGePoint3d ObjectParser::point(size_t& i, int& dims) const {
  const RawGroup& g = m_raw[i++];
  AcGePoint3d p;
  p.x = number(g);
  dims = 1;
  if (i < m_raw.size() && m_raw[i].code == g.code + 10) {
    p.y = number(m_raw[i++]);
    dims = 2;
  }
  if (i < m_raw.size() && m_raw[i].code == g.code + 20) {
    p.z = number(m_raw[i++]);
    dims = 3;
  }
  return p;
}

void ObjectParser::keepFirst(Tags& tags, size_t n) {
  for (; tags.size() > n; tags.pop_back()) m_spare.push_back(std::move(tags.back()));
}

uint64_t ObjectParser::pointer(const RawGroup& g) const { return db::handleValue(trim(value(g))); }

uint64_t ObjectParser::handle(const RawGroup& g) {
  const std::string_view v = value(g);
  // Only an escape can spell a digit otherwise than as its byte: a caret or another
  // byte decodes to no digit, and is damage either way.
  if (v.find('\\') == std::string_view::npos) return db::handleValue(v);
  decodeInto(v, m_value);
  return db::handleValue(std::u16string_view(m_value));
}

void ObjectParser::typeGroup(size_t& i, Tag& t) {
  const RawGroup& g = m_raw[i];
  t.code = g.code;
  t.kind = db::tagKindOf(g.code);
  if (t.kind == TagKind::Point) {
    t.pt = point(i, t.dims);
    return;
  }
  ++i;
  switch (t.kind) {
    case TagKind::String:
    case TagKind::Handle: decodeInto(value(g), t.str); break;
    case TagKind::Real: t.real = number(g); break;
    case TagKind::Point: break;  // above
    case TagKind::Int16:
    case TagKind::Int32:
    case TagKind::Int64:
    case TagKind::Bool: t.integer = integer(g); break;
    case TagKind::Id: t.integer = static_cast<int64_t>(pointer(g)); break;
    case TagKind::Binary: binary(g, t.bytes); break;
  }
}

}  // namespace qd::dxf
