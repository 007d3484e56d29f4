#include "platform/codepage.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <map>
#include <memory>
#include <unordered_map>

namespace qd::text {
namespace {

#include "codepage_tables.inc"

int g_ansi = 1250;

const char16_t* highHalf(int codePage) {
  switch (codePage) {
    case 1250: return kCp1250High;
    case 1252: return kCp1252High;
  }
  return nullptr;
}

// Reverse tables are built once per code page on first use.
const std::unordered_map<char16_t, unsigned char>& reverseTable(int codePage) {
  static std::unordered_map<char16_t, unsigned char> r1250, r1252;
  auto& table = codePage == 1252 ? r1252 : r1250;
  if (table.empty()) {
    const char16_t* high = highHalf(codePage == 1252 ? 1252 : 1250);
    for (int i = 0; i < 128; ++i) table.emplace(high[i], static_cast<unsigned char>(0x80 + i));
  }
  return table;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
    return;
  }
  cp -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (cp >> 10));
  out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

// Decodes one UTF-8 sequence at bytes[i]; advances i; returns U+FFFD on error.
char32_t decodeUtf8(std::string_view bytes, size_t& i) {
  const auto b0 = static_cast<unsigned char>(bytes[i++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; min = 0x80; }
  else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; min = 0x800; }
  else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; min = 0x10000; }
  else return 0xFFFD;
  for (int k = 0; k < extra; ++k) {
    if (i >= bytes.size()) return 0xFFFD;
    const auto b = static_cast<unsigned char>(bytes[i]);
    if ((b & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (b & 0x3F);
    ++i;
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

// The Windows code pages a drawing can name beyond the two built in, by their iconv names.
const char* iconvName(int codePage) {
  switch (codePage) {
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
  }
  return nullptr;
}

// Text in memory is handed to iconv as it lies, UTF-16 in the machine's byte order.
static_assert(std::endian::native == std::endian::little, "UTF-16LE is the machine's order");

// One converter each way per code page, opened on first use.
struct Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};
iconv_t converter(int codePage, bool toUnicode) {
  thread_local std::map<std::pair<int, bool>, std::unique_ptr<Converter>> open;
  auto& c = open[{codePage, toUnicode}];
  if (!c) {
    c = std::make_unique<Converter>();
    const char* name = iconvName(codePage);
    if (name) c->cd = toUnicode ? iconv_open("UTF-16LE", name) : iconv_open(name, "UTF-16LE");
  }
  return c->cd;
}
bool usable(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

// Converts with iconv; a sequence it cannot convert becomes `bad` in the output and is
// stepped over (`step` bytes of the input).
std::string convert(iconv_t cd, std::string_view in, const std::string& bad, size_t step) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  std::array<char, 4096> buf;
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf.data();
    size_t room = buf.size();
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An invalid or incomplete sequence.
    out += bad;
    const size_t skip = std::min(step, left);
    src += skip;
    left -= skip;
  }
  char* dst = buf.data();
  size_t room = buf.size();
  iconv(cd, nullptr, nullptr, &dst, &room);
  out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
  return out;
}

}  // namespace

int ansiCodePage() { return g_ansi; }

bool isSupportedCodePage(int codePage) {
  return highHalf(codePage) != nullptr || (iconvName(codePage) && usable(converter(codePage, true)));
}

bool setAnsiCodePage(int codePage) {
  if (!isSupportedCodePage(codePage)) return false;
  g_ansi = codePage;
  return true;
}

std::string toCodePage(std::u16string_view text, int codePage, char replacement) {
  if (!isSupportedCodePage(codePage)) codePage = 1250;
  if (!highHalf(codePage)) {
    const std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return convert(converter(codePage, false), utf16, std::string(1, replacement), 2);
  }
  const auto& reverse = reverseTable(codePage);
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    auto it = reverse.find(c);
    out += it == reverse.end() ? replacement : static_cast<char>(it->second);
  }
  return out;
}

std::u16string fromCodePage(std::string_view bytes, int codePage) {
  if (!highHalf(codePage) && isSupportedCodePage(codePage)) {
    const std::string utf16 = convert(converter(codePage, true), bytes, std::string("\xFD\xFF", 2), 1);
    std::u16string out(utf16.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) | static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
    return out;
  }
  const char16_t* high = highHalf(codePage);
  if (!high) high = kCp1250High;
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out += b < 0x80 ? static_cast<char16_t>(b) : high[b - 0x80];
  }
  return out;
}

const char16_t* builtInHighHalf(int codePage) { return highHalf(codePage); }

std::string toAnsi(std::u16string_view text) { return toCodePage(text, g_ansi); }
std::u16string fromAnsi(std::string_view bytes) { return fromCodePage(bytes, g_ansi); }

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  appendUtf8(out, text);
  return out;
}

void appendUtf8(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
}

std::u16string fromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) appendUtf16(out, decodeUtf8(bytes, i));
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t start = i;
    if (decodeUtf8(bytes, i) == 0xFFFD) {
      // A literal U+FFFD in the input is valid; an error is not.
      if (bytes.substr(start, 3) != "\xEF\xBF\xBD") return false;
    }
  }
  return true;
}

char16_t toUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c < 0xE0) return c;
  // Latin-1 supplement lower case letters (except the division sign and y-diaeresis).
  if (c <= 0xFE) return c == 0xF7 ? c : static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  // Latin Extended-A: pairs upper/lower, mostly even/odd.
  if (c >= 0x100 && c <= 0x137) return (c & 1) ? static_cast<char16_t>(c - 1) : c;
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : static_cast<char16_t>(c - 1);
  if (c >= 0x14A && c <= 0x177) return (c & 1) ? static_cast<char16_t>(c - 1) : c;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : static_cast<char16_t>(c - 1);
  return c;
}

std::u16string toUpper(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = toUpper(c);
  return out;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  // Most characters compared are the same as they stand: only the others are folded.
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && toUpper(a[i]) != toUpper(b[i])) return false;
  return true;
}

}  // namespace qd::text
