// printf-style formatting into UTF-16 text: %d %i %u %x %X %o (with l, ll, h), %f %e %g,
// %c, %s and %ls (UTF-16 strings), %%; flags, width and precision as in printf.
#pragma once
#include <cstdarg>
#include <string>

namespace qd::support {
// False when the format is malformed; the text then holds what was formatted so far.
bool vformat(std::u16string& out, const char16_t* format, va_list ap);
}  // namespace qd::support
