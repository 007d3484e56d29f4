// The text of a DXF file as it is formatted: codes, numbers, handles and texts put
// straight into one buffer, handed to a sink a piece at a time.
#pragma once
#include <charconv>
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
const std::vector<CodeLine>& codeLines();

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

}  // namespace qd::dxf
