#include "Library/Inc/format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qd::support {
namespace {

void appendAscii(std::u16string& out, const char* s) {
  while (*s) out += static_cast<char16_t>(static_cast<unsigned char>(*s++));
}

struct Directive {
  std::string flags;
  int width = -1, precision = -1;
  int longs = 0;
  bool half = false;
  // The printf directive for numbers, with `length` and `conversion` appended.
  std::string printfDirective(const char* length, char conversion) const {
    std::string s = "%" + flags;
    if (width >= 0) s += std::to_string(width);
    if (precision >= 0) s += "." + std::to_string(precision);
    return s + length + conversion;
  }
};

// Reads flags, width, precision and length after "%".
const char16_t* parse(const char16_t* f, Directive& d, va_list& ap) {
  while (*f == u'-' || *f == u'+' || *f == u' ' || *f == u'#' || *f == u'0') d.flags += static_cast<char>(*f++);
  auto number = [&](int& into) {
    if (*f == u'*') {
      into = va_arg(ap, int);
      ++f;
      return;
    }
    if (*f < u'0' || *f > u'9') return;
    into = 0;
    while (*f >= u'0' && *f <= u'9') into = into * 10 + (*f++ - u'0');
  };
  number(d.width);
  if (*f == u'.') {
    ++f;
    d.precision = 0;
    number(d.precision);
  }
  while (*f == u'l' || *f == u'h') {
    if (*f == u'l') ++d.longs;
    else d.half = true;
    ++f;
  }
  return f;
}

}  // namespace

bool vformat(std::u16string& out, const char16_t* format, va_list ap) {
  out.clear();
  if (!format) return false;
  va_list args;
  va_copy(args, ap);
  bool ok = true;
  for (const char16_t* f = format; *f && ok; ++f) {
    if (*f != u'%') {
      out += *f;
      continue;
    }
    Directive d;
    f = parse(f + 1, d, args);
    char buf[512];
    switch (*f) {
      case u'%': out += u'%'; break;
      case u'd':
      case u'i':
        if (d.longs >= 2) std::snprintf(buf, sizeof buf, d.printfDirective("ll", 'd').c_str(), va_arg(args, long long));
        else if (d.longs == 1) std::snprintf(buf, sizeof buf, d.printfDirective("l", 'd').c_str(), va_arg(args, long));
        else std::snprintf(buf, sizeof buf, d.printfDirective("", 'd').c_str(), d.half ? static_cast<short>(va_arg(args, int)) : va_arg(args, int));
        appendAscii(out, buf);
        break;
      case u'u':
      case u'x':
      case u'X':
      case u'o': {
        const char c = static_cast<char>(*f);
        if (d.longs >= 2) std::snprintf(buf, sizeof buf, d.printfDirective("ll", c).c_str(), va_arg(args, unsigned long long));
        else if (d.longs == 1) std::snprintf(buf, sizeof buf, d.printfDirective("l", c).c_str(), va_arg(args, unsigned long));
        else std::snprintf(buf, sizeof buf, d.printfDirective("", c).c_str(), va_arg(args, unsigned));
        appendAscii(out, buf);
        break;
      }
      case u'f':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
        std::snprintf(buf, sizeof buf, d.printfDirective("", static_cast<char>(*f)).c_str(), va_arg(args, double));
        appendAscii(out, buf);
        break;
      case u'c': out += static_cast<char16_t>(va_arg(args, int)); break;
      case u's':
      case u'S': {
        const char16_t* s = va_arg(args, const char16_t*);
        std::u16string text = s ? s : u"(null)";
        if (d.precision >= 0 && text.size() > static_cast<size_t>(d.precision)) text.resize(static_cast<size_t>(d.precision));
        const size_t pad = d.width > 0 && static_cast<size_t>(d.width) > text.size() ? static_cast<size_t>(d.width) - text.size() : 0;
        const bool left = d.flags.find('-') != std::string::npos;
        if (!left) out.append(pad, u' ');
        out += text;
        if (left) out.append(pad, u' ');
        break;
      }
      default: ok = false;
    }
    if (!*f) break;
  }
  va_end(args);
  return ok;
}

}  // namespace qd::support
