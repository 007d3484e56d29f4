// LISP values: reading, printing, and the result-buffer form.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>

#include "headless/ads/resbuf_util.h"
#include "headless/db/tags.h"
#include "headless/lisp/lisp.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::lisp {

Value Value::t() {
  Value v;
  v.kind = Kind::T;
  return v;
}
int32_t wrapInt(int64_t n) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(n))); }

Value Value::ofInt(int64_t n) {
  Value v;
  v.kind = Kind::Int;
  v.integer = wrapInt(n);
  return v;
}
Value Value::ofReal(double d) {
  Value v;
  v.kind = Kind::Real;
  v.real = d;
  return v;
}
Value Value::ofStr(std::u16string s) {
  Value v;
  v.kind = Kind::Str;
  v.text = std::move(s);
  return v;
}
Value Value::ofSym(std::u16string s) {
  Value v;
  v.kind = Kind::Sym;
  v.text = qd::text::toUpper(s);
  return v;
}
Value Value::ofList(std::vector<Value> items) {
  Value v;
  v.kind = items.empty() ? Kind::Nil : Kind::List;
  for (const auto& i : items) v.depth = std::max(v.depth, i.depth + 1);
  v.items = std::move(items);
  return v;
}
Value Value::ofName(Kind kind, const ads_name n) {
  Value v;
  v.kind = kind;
  v.name[0] = n[0];
  v.name[1] = n[1];
  return v;
}
bool Value::isPoint() const {
  if (kind != Kind::List || dotted || (items.size() != 2 && items.size() != 3)) return false;
  for (const auto& i : items)
    if (!i.isNumber()) return false;
  return true;
}

// ---- reading ----

namespace {

class Reader {
 public:
  explicit Reader(std::u16string_view text) : m_text(text) {}

  bool all(std::vector<Value>& out, std::u16string& error) {
    while (skipBlank(), m_pos < m_text.size()) {
      Value v;
      if (!one(v, error)) return false;
      out.push_back(std::move(v));
    }
    return true;
  }

 private:
  void skipBlank() {
    while (m_pos < m_text.size()) {
      const char16_t c = m_text[m_pos];
      if (c == u';') {
        while (m_pos < m_text.size() && m_text[m_pos] != u'\n') ++m_pos;
      } else if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
        ++m_pos;
      } else {
        break;
      }
    }
  }
  bool fail(std::u16string& error, const char* what) {
    error = qd::text::fromUtf8(std::string("; error: ") + what + " at character " + std::to_string(m_pos + 1));
    return false;
  }
  // Counts the nesting of lists and quotes while one is read.
  struct Nesting {
    explicit Nesting(int& depth) : m_depth(++depth) {}
    ~Nesting() { --m_depth; }
    int& m_depth;
  };
  bool one(Value& v, std::u16string& error) {
    skipBlank();
    if (m_pos >= m_text.size()) return fail(error, "malformed list on input");
    const char16_t c = m_text[m_pos];
    if (c != u'\'' && c != u'(') {
      if (c == u')') return fail(error, "extra right paren on input");
      if (c == u'"') return string(v, error);
      return atom(v);
    }
    const Nesting nesting(m_depth);
    if (m_depth > kMaxDepth) return fail(error, "lists nested too deeply on input");
    if (c == u'\'') {
      ++m_pos;
      Value quoted;
      if (!one(quoted, error)) return false;
      v = Value::ofList({Value::ofSym(u"QUOTE"), std::move(quoted)});
      return true;
    }
    return list(v, error);
  }
  bool list(Value& v, std::u16string& error) {
    ++m_pos;
    std::vector<Value> items;
    bool dotted = false;
    for (;;) {
      skipBlank();
      if (m_pos >= m_text.size()) return fail(error, "malformed list on input");
      if (m_text[m_pos] == u')') {
        ++m_pos;
        break;
      }
      if (m_text[m_pos] == u'.' && m_pos + 1 < m_text.size() &&
          (m_text[m_pos + 1] == u' ' || m_text[m_pos + 1] == u'\t') && !items.empty()) {
        ++m_pos;
        Value rest;
        if (!one(rest, error)) return false;
        items.push_back(std::move(rest));
        dotted = true;
        skipBlank();
        if (m_pos >= m_text.size() || m_text[m_pos] != u')') return fail(error, "bad dotted pair");
        ++m_pos;
        break;
      }
      Value item;
      if (!one(item, error)) return false;
      items.push_back(std::move(item));
    }
    v = Value::ofList(std::move(items));
    v.dotted = dotted;
    return true;
  }
  bool string(Value& v, std::u16string& error) {
    ++m_pos;
    std::u16string s;
    while (m_pos < m_text.size() && m_text[m_pos] != u'"') {
      char16_t c = m_text[m_pos++];
      if (c == u'\\' && m_pos < m_text.size()) {
        const char16_t e = m_text[m_pos++];
        c = e == u'n' ? u'\n' : e == u't' ? u'\t' : e == u'r' ? u'\r' : e == u'e' ? u'\x1b' : e;
      }
      s += c;
    }
    if (m_pos >= m_text.size()) return fail(error, "unterminated string");
    ++m_pos;
    v = Value::ofStr(std::move(s));
    return true;
  }
  bool atom(Value& v) {
    const size_t start = m_pos;
    while (m_pos < m_text.size()) {
      const char16_t c = m_text[m_pos];
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'(' || c == u')' || c == u'"' || c == u';' ||
          c == u'\'')
        break;
      ++m_pos;
    }
    const std::u16string token(m_text.substr(start, m_pos - start));
    const std::string narrow = qd::text::toUtf8(token);
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(narrow.c_str(), &end, 10);
    // An integer beyond the host's 32 bits is read as a real, as the host reads it.
    if (!narrow.empty() && *end == 0 && narrow.find_first_not_of("+-0123456789") == std::string::npos &&
        errno == 0 && n >= INT32_MIN && n <= INT32_MAX) {
      v = Value::ofInt(n);
      return true;
    }
    const double d = std::strtod(narrow.c_str(), &end);
    if (!narrow.empty() && *end == 0 && narrow.find_first_of("0123456789") != std::string::npos &&
        narrow.find_first_not_of("+-0123456789.eE") == std::string::npos) {
      v = Value::ofReal(d);
      return true;
    }
    const std::u16string upper = qd::text::toUpper(token);
    v = upper == u"NIL" ? Value::nil() : upper == u"T" ? Value::t() : Value::ofSym(token);
    return true;
  }

  std::u16string_view m_text;
  size_t m_pos = 0;
  int m_depth = 0;
};

std::u16string realText(double d) {
  // Six significant digits, always with a decimal point, as the host prints reals.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6g", d);
  std::string s = buf;
  if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
  return qd::text::fromUtf8(s);
}

std::u16string quoted(const std::u16string& s) {
  std::u16string out = u"\"";
  for (char16_t c : s) {
    if (c == u'"' || c == u'\\') out += u'\\';
    if (c == u'\n') {
      out += u"\\n";
      continue;
    }
    out += c;
  }
  return out + u"\"";
}

std::u16string show(const Value& v, bool princ) {
  using K = Value::Kind;
  switch (v.kind) {
    case K::Nil: return u"nil";
    case K::T: return u"T";
    case K::Int: return qd::text::fromUtf8(std::to_string(v.integer));
    case K::Real: return realText(v.real);
    case K::Str: return princ ? v.text : quoted(v.text);
    case K::Sym: return v.text;
    case K::Ename: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "<Entity name: %llx>", static_cast<unsigned long long>(v.name[0]));
      return qd::text::fromUtf8(buf);
    }
    case K::PickSet: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "<Selection set: %llx>", static_cast<unsigned long long>(v.name[0]));
      return qd::text::fromUtf8(buf);
    }
    case K::List: {
      std::u16string out = u"(";
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (i) out += v.dotted && i + 1 == v.items.size() ? u" . " : u" ";
        out += show(v.items[i], princ);
      }
      return out + u")";
    }
  }
  return u"";
}

}  // namespace

bool read(std::u16string_view text, std::vector<Value>& out, std::u16string& error) {
  std::vector<Value> values;
  if (!Reader(text).all(values, error)) return false;
  out = std::move(values);
  return true;
}

std::u16string print(const Value& v) { return show(v, false); }
std::u16string princText(const Value& v) { return show(v, true); }

// ---- result buffers ----

namespace {
void appendTo(resbuf*& head, resbuf*& tail, resbuf* rb) {
  if (!rb) return;
  if (tail) tail->rbnext = rb;
  else head = rb;
  tail = rb;
  while (tail->rbnext) tail = tail->rbnext;
}

}  // namespace

resbuf* toGroupResbuf(const Value& v) {
  if (v.kind != Value::Kind::List || v.items.size() < 2 || v.items[0].kind != Value::Kind::Int) return toResbuf(v);
  // Codes from 5000 up are the result types of buffers, not groups: such a pair is an
  // ordinary list, which no entity list accepts.
  if (v.items[0].integer <= -6 || v.items[0].integer >= 5000) return toResbuf(v);
  const int code = static_cast<int>(v.items[0].integer);
  const Value rest = v.dotted ? v.items[1] : Value::ofList({v.items.begin() + 1, v.items.end()});
  resbuf* rb = acutNewRb(code);
  switch (qd::db::tagKindOf(code)) {
    case qd::db::TagKind::String:
    case qd::db::TagKind::Handle:
      rb->resval.rstring = acutNewString(rest.kind == Value::Kind::Str ? rest.text.c_str() : u"");
      break;
    case qd::db::TagKind::Real: rb->resval.rreal = rest.isNumber() ? rest.number() : 0; break;
    case qd::db::TagKind::Point:
      for (size_t i = 0; i < 3; ++i)
        rb->resval.rpoint[i] = rest.kind == Value::Kind::List && i < rest.items.size() ? rest.items[i].number() : 0;
      break;
    case qd::db::TagKind::Int16:
    case qd::db::TagKind::Bool: rb->resval.rint = static_cast<short>(rest.integer); break;
    case qd::db::TagKind::Int32: rb->resval.rlong = static_cast<int32_t>(rest.integer); break;
    case qd::db::TagKind::Int64: rb->resval.mnInt64 = rest.integer; break;
    case qd::db::TagKind::Id:
      rb->resval.rlname[0] = rest.name[0];
      rb->resval.rlname[1] = rest.name[1];
      break;
    case qd::db::TagKind::Binary: {
      // Hexadecimal digits make the chunk; anything else leaves it empty.
      std::string bytes;
      const std::u16string& hex = rest.kind == Value::Kind::Str ? rest.text : std::u16string();
      auto digit = [](char16_t c) {
        return c >= u'0' && c <= u'9' ? c - u'0' : c >= u'A' && c <= u'F' ? c - u'A' + 10 : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
      };
      for (size_t k = 0; k + 1 < hex.size() && hex.size() % 2 == 0 && bytes.size() < 127; k += 2) {
        const int hi = digit(hex[k]), lo = digit(hex[k + 1]);
        if (hi < 0 || lo < 0) {
          bytes.clear();
          break;
        }
        bytes += static_cast<char>(hi * 16 + lo);
      }
      rb->resval.rbinary.clen = static_cast<short>(bytes.size());
      rb->resval.rbinary.buf = new char[bytes.size() + 1];
      std::copy(bytes.begin(), bytes.end(), rb->resval.rbinary.buf);
      break;
    }
  }
  return rb;
}

namespace {
bool isGroup(const Value& v) {
  return v.kind == Value::Kind::List && v.items.size() >= 2 && v.items[0].kind == Value::Kind::Int &&
         (v.dotted || v.items.size() == 4) && v.items[0].integer > -6 && v.items[0].integer < 5000;
}
}  // namespace

resbuf* toResbuf(const Value& v) {
  using K = Value::Kind;
  resbuf* rb = nullptr;
  switch (v.kind) {
    case K::Nil: return acutNewRb(RTNIL);
    case K::T: return acutNewRb(RTT);
    case K::Int:
      if (v.integer >= -32768 && v.integer <= 32767) {
        rb = acutNewRb(RTSHORT);
        rb->resval.rint = static_cast<short>(v.integer);
      } else {
        rb = acutNewRb(RTLONG);
        rb->resval.rlong = static_cast<int32_t>(v.integer);
      }
      return rb;
    case K::Real:
      rb = acutNewRb(RTREAL);
      rb->resval.rreal = v.real;
      return rb;
    case K::Str:
    case K::Sym:
      rb = acutNewRb(RTSTR);
      rb->resval.rstring = acutNewString(v.text.c_str());
      return rb;
    case K::Ename:
    case K::PickSet:
      rb = acutNewRb(v.kind == K::Ename ? RTENAME : RTPICKS);
      rb->resval.rlname[0] = v.name[0];
      rb->resval.rlname[1] = v.name[1];
      return rb;
    case K::List: {
      if (v.isPoint()) {
        rb = acutNewRb(v.items.size() == 2 ? RTPOINT : RT3DPOINT);
        for (size_t i = 0; i < v.items.size(); ++i) rb->resval.rpoint[i] = v.items[i].number();
        return rb;
      }
      if (isGroup(v)) return toGroupResbuf(v);
      resbuf *head = nullptr, *tail = nullptr;
      appendTo(head, tail, acutNewRb(RTLB));
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (v.dotted && i + 1 == v.items.size()) appendTo(head, tail, acutNewRb(RTDOTE));
        appendTo(head, tail, toResbuf(v.items[i]));
      }
      if (!v.dotted) appendTo(head, tail, acutNewRb(RTLE));
      return head;
    }
  }
  return acutNewRb(RTNIL);
}

namespace {
bool isRealPoint(const Value& v) {
  if (!v.isPoint()) return false;
  for (const auto& i : v.items)
    if (i.kind != Value::Kind::Real) return false;
  return true;
}

// An argument as an external function receives it: a list of two or three reals is a
// point, any other list (integers, dotted pairs, entity-list groups) stays a list.
resbuf* toArgument(const Value& v) {
  if (v.kind != Value::Kind::List || isRealPoint(v)) return toResbuf(v);
  resbuf *head = nullptr, *tail = nullptr;
  appendTo(head, tail, acutNewRb(RTLB));
  for (size_t i = 0; i < v.items.size(); ++i) {
    if (v.dotted && i + 1 == v.items.size()) appendTo(head, tail, acutNewRb(RTDOTE));
    appendTo(head, tail, toArgument(v.items[i]));
  }
  // A dotted pair ends as a list does: (1 . 2) is RTLB 1 RTDOTE 2 RTLE.
  appendTo(head, tail, acutNewRb(RTLE));
  return head;
}
}  // namespace

resbuf* toArgumentList(const std::vector<Value>& args) {
  resbuf *head = nullptr, *tail = nullptr;
  for (const auto& a : args) appendTo(head, tail, toArgument(a));
  return head;
}

resbuf* toResbufList(const std::vector<Value>& args) {
  resbuf *head = nullptr, *tail = nullptr;
  for (const auto& a : args) appendTo(head, tail, toResbuf(a));
  return head;
}

namespace {
// How deep a chain nests its lists, found without recursion; -1 when a list is left open
// or closed twice.
int chainDepth(const resbuf* rb) {
  int depth = 0, deepest = 0;
  for (; rb; rb = rb->rbnext) {
    if (rb->restype == RTLB) deepest = std::max(deepest, ++depth);
    else if (rb->restype == RTLE && --depth < 0) return -1;
  }
  return depth == 0 ? deepest : -1;
}
}  // namespace

Value fromResbuf(const resbuf*& rb) {
  if (!rb) return Value::nil();
  const resbuf* at = rb;
  rb = rb->rbnext;
  switch (at->restype) {
    case RTNIL:
    case RTNONE:
    case RTVOID: return Value::nil();
    case RTT: return Value::t();
    case RTSHORT: return Value::ofInt(at->resval.rint);
    case RTLONG: return Value::ofInt(at->resval.rlong);
    case RTREAL:
    case RTANG:
    case RTORINT: return Value::ofReal(at->resval.rreal);
    case RTSTR: return Value::ofStr(at->resval.rstring ? at->resval.rstring : u"");
    case RTENAME: return Value::ofName(Value::Kind::Ename, at->resval.rlname);
    case RTPICKS: return Value::ofName(Value::Kind::PickSet, at->resval.rlname);
    case RTPOINT:
      return Value::ofList({Value::ofReal(at->resval.rpoint[0]), Value::ofReal(at->resval.rpoint[1])});
    case RT3DPOINT:
      return Value::ofList({Value::ofReal(at->resval.rpoint[0]), Value::ofReal(at->resval.rpoint[1]),
                            Value::ofReal(at->resval.rpoint[2])});
    case RTLB: {
      std::vector<Value> items;
      bool dotted = false;
      while (rb && rb->restype != RTLE) {
        if (rb->restype == RTDOTE) {
          rb = rb->rbnext;
          items.push_back(fromResbuf(rb));
          dotted = true;
          break;
        }
        items.push_back(fromResbuf(rb));
      }
      if (rb && rb->restype == RTLE) rb = rb->rbnext;
      Value v = Value::ofList(std::move(items));
      v.dotted = dotted && v.items.size() > 1;
      return v;
    }
  }
  if (at->restype > -6 && at->restype < 5000) {
    // An entity-list group.
    Value code = Value::ofInt(at->restype);
    if (at->restype == -1 || at->restype == -2 || qd::db::tagKindOf(at->restype) == qd::db::TagKind::Id) {
      Value pair = Value::ofList({code, Value::ofName(Value::Kind::Ename, at->resval.rlname)});
      pair.dotted = true;
      return pair;
    }
    Value value;
    switch (qd::db::tagKindOf(at->restype)) {
      case qd::db::TagKind::Point:
        return Value::ofList({code, Value::ofReal(at->resval.rpoint[0]), Value::ofReal(at->resval.rpoint[1]),
                              Value::ofReal(at->resval.rpoint[2])});
      case qd::db::TagKind::String:
      case qd::db::TagKind::Handle: value = Value::ofStr(at->resval.rstring ? at->resval.rstring : u""); break;
      case qd::db::TagKind::Real: value = Value::ofReal(at->resval.rreal); break;
      case qd::db::TagKind::Int16:
      case qd::db::TagKind::Bool: value = Value::ofInt(at->resval.rint); break;
      case qd::db::TagKind::Int32: value = Value::ofInt(at->resval.rlong); break;
      case qd::db::TagKind::Int64: value = Value::ofInt(at->resval.mnInt64); break;
      case qd::db::TagKind::Binary: {
        // A binary chunk as its hexadecimal digits, as files write it.
        static const char digits[] = "0123456789ABCDEF";
        std::u16string hex;
        for (short k = 0; k < at->resval.rbinary.clen && at->resval.rbinary.buf; ++k) {
          const auto b = static_cast<unsigned char>(at->resval.rbinary.buf[k]);
          hex += static_cast<char16_t>(digits[b >> 4]);
          hex += static_cast<char16_t>(digits[b & 15]);
        }
        value = Value::ofStr(std::move(hex));
        break;
      }
      default: value = Value::nil(); break;
    }
    Value pair = Value::ofList({code, value});
    pair.dotted = true;
    return pair;
  }
  return Value::nil();
}

bool fromResbufChain(const resbuf* rb, Value& out, std::u16string& error) {
  const int depth = chainDepth(rb);
  if (depth < 0 || depth > kMaxDepth) {
    error = depth < 0 ? u"; error: malformed list in a result" : u"; error: lists nested too deeply in a result";
    return false;
  }
  out = fromResbufChain(rb);
  return true;
}

Value fromResbufChain(const resbuf* rb) {
  // Deeper chains than values may hold are not followed down the stack.
  if (chainDepth(rb) > kMaxDepth) return Value::nil();
  const resbuf* at = rb;
  Value first = fromResbuf(at);
  if (!at) return first;
  std::vector<Value> items{std::move(first)};
  while (at) items.push_back(fromResbuf(at));
  return Value::ofList(std::move(items));
}

}  // namespace qd::lisp
