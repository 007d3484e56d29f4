#include "headless/render/slide.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace qd::render {
namespace {

// Reads 2-byte fields in the byte order the slide's test number shows.
class Cursor {
 public:
  Cursor(const std::string& b, size_t pos, bool bigEndian) : m_b(b), m_pos(pos), m_big(bigEndian) {}
  bool u8(uint8_t& v) {
    if (m_pos >= m_b.size()) return false;
    v = static_cast<uint8_t>(m_b[m_pos++]);
    return true;
  }
  bool i8(int& v) {
    uint8_t u;
    if (!u8(u)) return false;
    v = static_cast<int8_t>(u);
    return true;
  }
  bool u16(unsigned& v) {
    uint8_t a, b;
    if (!u8(a) || !u8(b)) return false;
    v = m_big ? (a << 8 | b) : (b << 8 | a);
    return true;
  }
  size_t pos() const { return m_pos; }

 private:
  const std::string& m_b;
  size_t m_pos;
  bool m_big;
};

const char kSlideId[] = "AutoCAD Slide\r\n\x1a";
const char kLibraryId[] = "AutoCAD Slide Library 1.0\r\n\x1a";

}  // namespace

bool readSlide(const std::string& b, Slide& out, std::string& error) {
  out = Slide{};
  if (b.size() < 31 || b.compare(0, sizeof kSlideId - 1, kSlideId) != 0 || b[16] != 0 ||
      static_cast<uint8_t>(b[17]) != 0x56) {
    error = "not a slide";
    return false;
  }
  if (b[18] != 2) {
    error = "only slides of Release 9 and later are read";
    return false;
  }
  // The test number 0x1234 tells the byte order of every 2-byte field.
  const bool big = static_cast<uint8_t>(b[29]) == 0x12;
  Cursor c(b, 19, big);
  unsigned w = 0, h = 0;
  c.u16(w);
  c.u16(h);
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  Cursor r(b, 31, big);
  int color = 7, lastX = 0, lastY = 0, endX = 0, endY = 0;
  for (;;) {
    unsigned head = 0;
    if (!r.u16(head)) {
      error = "slide ends without its end record";
      return false;
    }
    const unsigned type = head >> 8;
    if (type <= 0x7F) {
      unsigned y1, x2, y2;
      if (!r.u16(y1) || !r.u16(x2) || !r.u16(y2)) {
        error = "slide vector cut short";
        return false;
      }
      lastX = static_cast<int>(head), lastY = static_cast<int>(y1);
      endX = static_cast<int>(x2), endY = static_cast<int>(y2);
      out.vectors.push_back({color, lastX, lastY, endX, endY});
    } else if (type == 0xFB) {
      int dy0, dx1, dy1;
      if (!r.i8(dy0) || !r.i8(dx1) || !r.i8(dy1)) {
        error = "slide offset vector cut short";
        return false;
      }
      const int dx0 = static_cast<int8_t>(head & 0xFF);
      const int fx = lastX + dx0, fy = lastY + dy0;
      endX = lastX + dx1, endY = lastY + dy1;
      lastX = fx, lastY = fy;
      out.vectors.push_back({color, fx, fy, endX, endY});
    } else if (type == 0xFC) {
      return true;
    } else if (type == 0xFD) {
      unsigned x, y;
      if (!r.u16(x) || !r.u16(y)) {
        error = "slide fill cut short";
        return false;
      }
    } else if (type == 0xFE) {
      int dy;
      if (!r.i8(dy)) {
        error = "slide vector cut short";
        return false;
      }
      const int dx = static_cast<int8_t>(head & 0xFF);
      const int tx = endX + dx, ty = endY + dy;
      out.vectors.push_back({color, endX, endY, tx, ty});
      endX = tx, endY = ty;
    } else if (type == 0xFF) {
      color = static_cast<int>(head & 0xFF);
    } else {
      error = "unknown slide record";
      return false;
    }
  }
}

bool readLibrarySlide(const std::string& b, const std::string& name, Slide& out, std::string& error) {
  if (b.size() < 32 || b.compare(0, sizeof kLibraryId - 1, kLibraryId) != 0) {
    error = "not a slide library";
    return false;
  }
  std::string wanted = name;
  std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char ch) { return std::toupper(ch); });
  for (size_t entry = 32; entry + 36 <= b.size() && b[entry] != 0; entry += 36) {
    const size_t len = std::min<size_t>(32, std::strlen(b.c_str() + entry));
    std::string n = b.substr(entry, len);
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char ch) { return std::toupper(ch); });
    if (n != wanted) continue;
    const auto* a = reinterpret_cast<const unsigned char*>(b.data() + entry + 32);
    const size_t address = a[0] | a[1] << 8 | a[2] << 16 | static_cast<size_t>(a[3]) << 24;
    if (address >= b.size()) {
      error = "slide address beyond the library";
      return false;
    }
    return readSlide(b.substr(address), out, error);
  }
  error = "no slide \"" + name + "\" in the library";
  return false;
}

}  // namespace qd::render
