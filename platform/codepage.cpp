#include "platform/codepage.h"

#include <array>
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

}  // namespace

int ansiCodePage() { return g_ansi; }

bool isSupportedCodePage(int codePage) { return highHalf(codePage) != nullptr; }

bool setAnsiCodePage(int codePage) {
  if (!isSupportedCodePage(codePage)) return false;
  g_ansi = codePage;
  return true;
}

std::string toCodePage(std::u16string_view text, int codePage, char replacement) {
  if (!isSupportedCodePage(codePage)) codePage = 1250;
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

std::string toAnsi(std::u16string_view text) { return toCodePage(text, g_ansi); }
std::u16string fromAnsi(std::string_view bytes) { return fromCodePage(bytes, g_ansi); }

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
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
  return out;
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
  for (size_t i = 0; i < a.size(); ++i)
    if (toUpper(a[i]) != toUpper(b[i])) return false;
  return true;
}

}  // namespace qd::text
