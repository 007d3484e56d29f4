// The text of a DXF file as it is formatted: codes, numbers, handles and texts put
// straight into one buffer, handed to a sink a piece at a time.
#pragma once
#include <array>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "headless/db/tags.h"
#include "platform/files.h"

namespace qd::dxf {

using db::Tag;
using db::TagKind;

// Numbers and texts are formatted straight into the file's buffer.
// The longest a handle's digits can be, and a number's shortest text before the ".0"
// that a whole number gets.
constexpr size_t kMostHex = 16, kMostReal = 24;
// Into the room at `p` (kMostHex, or kMostReal + 2 bytes), returning the end.
char* hexInto(char* p, uint64_t v);
char* realInto(char* p, double v);
void appendHex(std::string& out, uint64_t v);
std::string hex(uint64_t v);
// The shortest text that reads back as the same number, with a point.
void appendReal(std::string& out, double v);
std::string real(double v);
// Control characters are written in caret notation so a value stays on one line.
void appendText(std::string& out, std::u16string_view s);

// Every group code's line, formatted once.
constexpr int kCodes = 1072;
struct CodeLine {
  char text[8];
  uint8_t size;
};
constexpr CodeLine codeLine(int c) {
  CodeLine line{};
  char digits[4] = {};
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + c % 10);
    c /= 10;
  } while (c > 0);
  uint8_t i = 0;
  for (int pad = 3 - n; pad > 0; --pad) line.text[i++] = ' ';
  while (n > 0) line.text[i++] = digits[--n];
  line.text[i++] = '\n';
  line.size = i;
  return line;
}
inline constexpr std::array<CodeLine, kCodes> kCodeLines = [] {
  std::array<CodeLine, kCodes> lines{};
  for (int c = 0; c < kCodes; ++c) lines[static_cast<size_t>(c)] = codeLine(c);
  return lines;
}();

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
    char line[kMostCode];
    buf.append(line, static_cast<size_t>(codeInto(line, c) - line));
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
  // A number's group is made whole, then added to the text at once.
  void integer(int c, int64_t v) {
    char line[kMostCode + 24];
    char* p = codeInto(line, c);
    p = std::to_chars(p, p + 22, v).ptr;
    *p++ = '\n';
    buf.append(line, static_cast<size_t>(p - line));
  }
  void realValue(int c, double v) {
    char line[kMostCode + kMostReal + 3];
    char* p = realInto(codeInto(line, c), v);
    *p++ = '\n';
    buf.append(line, static_cast<size_t>(p - line));
  }
  void point(int c, const AcGePoint3d& p, int dims = 3) {
    char lines[3 * (kMostCode + kMostReal + 3)];
    char* at = lines;
    const double xyz[] = {p.x, p.y, p.z};
    for (int i = 0; i < (dims == 3 ? 3 : 2); ++i) {
      at = realInto(codeInto(at, c + 10 * i), xyz[i]);
      *at++ = '\n';
    }
    buf.append(lines, static_cast<size_t>(at - lines));
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
    char line[kMostCode + kMostHex + 1];
    char* p = hexInto(codeInto(line, c), v);
    *p++ = '\n';
    buf.append(line, static_cast<size_t>(p - line));
  }

 private:
  // The longest a code's line can be: a sign, ten digits and the end of the line.
  static constexpr size_t kMostCode = 12;
  static char* codeInto(char* p, int c) {
    if (c >= 0 && c < kCodes) {
      const CodeLine& line = kCodeLines[static_cast<size_t>(c)];
      std::memcpy(p, line.text, sizeof line.text);  // all eight: the size tells what counts
      return p + line.size;
    }
    char digits[12];
    char* end = std::to_chars(digits, digits + sizeof digits, c).ptr;
    for (long pad = 3 - (end - digits); pad > 0; --pad) *p++ = ' ';
    p = std::copy(digits, end, p);
    *p++ = '\n';
    return p;
  }
  const qd::files::ByteSink* m_sink;
};

}  // namespace qd::dxf
