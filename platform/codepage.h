// Conversion between UTF-16 text in memory and the encodings files use:
// UTF-8 (DXF of the current version) and the Windows 8-bit code pages
// (1250 for the product's own files, the ANSI code page for legacy DXF).
#pragma once
#include <string>
#include <string_view>

namespace qd::text {

// The ANSI code page of the process; 1250 unless set otherwise.
int ansiCodePage();
// Accepts the Windows code pages a drawing can name: 874, 932, 936, 949, 950 and 1250 to
// 1258 (1250 and 1252 built in, the others through the C library's iconv); returns false
// (and changes nothing) for others.
bool setAnsiCodePage(int codePage);
bool isSupportedCodePage(int codePage);

// Characters the code page cannot hold become `replacement`.
std::string toCodePage(std::u16string_view text, int codePage, char replacement = '?');
std::u16string fromCodePage(std::string_view bytes, int codePage);
// The characters of bytes 128 to 255 in a code page built in (1250, 1252), for a reader
// that decodes a byte at a time; null for any other.
const char16_t* builtInHighHalf(int codePage);

std::string toAnsi(std::u16string_view text);
std::u16string fromAnsi(std::string_view bytes);

// Malformed UTF-8 decodes to U+FFFD; unpaired surrogates encode as U+FFFD.
std::string toUtf8(std::u16string_view text);
// The same, added to the end of `out`.
void appendUtf8(std::string& out, std::u16string_view text);
std::u16string fromUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

// Case mapping as the host does it for names: ASCII and the Latin letters of
// the supported code pages.
char16_t toUpper(char16_t c);
std::u16string toUpper(std::u16string_view s);
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
// Whether a text ended by a NUL (null: "") is `v`, told without measuring it first: a
// marker is compared with every group read. `v` holds no NUL.
inline bool equalsCString(const char16_t* s, std::u16string_view v) {
  if (!s) return v.empty();
  for (const char16_t c : v)
    if (*s++ != c) return false;
  return *s == 0;
}

}  // namespace qd::text
