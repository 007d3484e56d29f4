// Wild-card matching, number and angle formatting and parsing, printing.
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "headless/db/database_impl.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::ads {

std::function<void(const std::u16string&)>& printSink() {
  static std::function<void(const std::u16string&)> sink = [](const std::u16string& s) {
    std::fputs(qd::text::toUtf8(s).c_str(), stdout);
  };
  return sink;
}

namespace {

bool isAlpha(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// One pattern (no top-level commas) against a string, from given positions.
bool matchOne(const char16_t* s, const char16_t* p) {
  while (*p) {
    switch (*p) {
      case u'*': {
        ++p;
        if (!*p) return true;
        for (const char16_t* t = s; ; ++t) {
          if (matchOne(t, p)) return true;
          if (!*t) return false;
        }
      }
      case u'?':
        if (!*s) return false;
        break;
      case u'#':
        if (!isDigit(*s)) return false;
        break;
      case u'@':
        if (!isAlpha(*s)) return false;
        break;
      case u'.':
        if (!*s || isAlpha(*s) || isDigit(*s)) return false;
        break;
      case u'`':
        ++p;
        if (!*p || *s != *p) return false;
        break;
      case u'[': {
        if (!*s) return false;
        ++p;
        bool negate = false;
        if (*p == u'~') {
          negate = true;
          ++p;
        }
        bool found = false;
        bool first = true;
        while (*p && (*p != u']' || first)) {
          char16_t lo = *p;
          if (lo == u'`' && p[1]) lo = *++p;
          if (p[1] == u'-' && p[2] && p[2] != u']') {
            const char16_t hi = p[2];
            if (*s >= lo && *s <= hi) found = true;
            p += 3;
          } else {
            if (*s == lo) found = true;
            ++p;
          }
          first = false;
        }
        if (*p != u']') return false;  // an unclosed bracket matches nothing
        if (found == negate) return false;
        break;
      }
      default:
        if (*s != *p) return false;
    }
    ++s;
    ++p;
  }
  return *s == 0;
}

}  // namespace
}  // namespace qd::ads

int acutWcMatch(const ACHAR* string, const ACHAR* pattern) {
  if (!string || !pattern) return RTERROR;
  // Comma-separated alternatives; a backquoted comma is literal.
  std::u16string pat = pattern;
  size_t start = 0;
  while (start <= pat.size()) {
    size_t end = start;
    while (end < pat.size() && pat[end] != u',') end += pat[end] == u'`' && end + 1 < pat.size() ? 2 : 1;
    std::u16string one = pat.substr(start, end - start);
    bool negate = !one.empty() && one[0] == u'~';
    if (negate) one.erase(0, 1);
    if (qd::ads::matchOne(string, one.c_str()) != negate) return RTNORM;
    start = end + 1;
  }
  return RTERROR;
}

namespace {
std::string fixed(double v, int prec) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", prec, v);
  std::string s = buf;
  if (s == "-0" || s.rfind("-0.", 0) == 0) {
    bool allZero = s.find_first_not_of("-0.") == std::string::npos;
    if (allZero) s.erase(0, 1);
  }
  return s;
}

std::string fraction(double v, int prec) {
  const int denom = 1 << std::clamp(prec, 0, 8);
  const bool neg = v < 0;
  double a = std::fabs(v);
  long whole = static_cast<long>(std::floor(a));
  long num = std::lround((a - whole) * denom);
  if (num == denom) {
    ++whole;
    num = 0;
  }
  long den = denom;
  while (num && num % 2 == 0) {
    num /= 2;
    den /= 2;
  }
  std::string s = neg ? "-" : "";
  if (num == 0) return s + std::to_string(whole);
  if (whole) s += std::to_string(whole) + " ";
  return s + std::to_string(num) + "/" + std::to_string(den);
}

int writeOut(const std::string& s, ACHAR* str, size_t len) {
  const std::u16string w = qd::text::fromUtf8(s);
  if (len && w.size() + 1 > len) return RTERROR;
  std::memcpy(str, w.c_str(), (w.size() + 1) * sizeof(ACHAR));
  return RTNORM;
}

int currentInt(const char16_t* var, int fallback) {
  AcDbDatabase* db = acdbCurDwg();
  return db ? db->impl()->varInt(var, static_cast<int16_t>(fallback)) : fallback;
}
}  // namespace

int acdbRToS(ads_real val, int unit, int prec, ACHAR* str, size_t len) {
  if (!str || !std::isfinite(val)) return RTERROR;
  if (unit == -1) unit = currentInt(u"LUNITS", 2);
  if (prec == -1) prec = currentInt(u"LUPREC", 4);
  if (unit < 1 || unit > 5 || prec < 0 || prec > 8) return RTERROR;
  char buf[64];
  switch (unit) {
    case 1:
      std::snprintf(buf, sizeof buf, "%.*E", prec, val);
      return writeOut(buf, str, len);
    case 2: return writeOut(fixed(val, prec), str, len);
    case 3: {
      const bool neg = val < 0;
      const double inches = std::fabs(val);
      const long feet = static_cast<long>(inches / 12);
      return writeOut(std::string(neg ? "-" : "") + std::to_string(feet) + "'-" + fixed(inches - feet * 12.0, prec) + "\"",
                      str, len);
    }
    case 4: {
      const bool neg = val < 0;
      const double inches = std::fabs(val);
      const long feet = static_cast<long>(inches / 12);
      return writeOut(std::string(neg ? "-" : "") + std::to_string(feet) + "'-" + fraction(inches - feet * 12.0, prec) + "\"",
                      str, len);
    }
    default: return writeOut(fraction(val, prec), str, len);
  }
}

int acdbAngToS(ads_real val, int unit, int prec, ACHAR* str, size_t len) {
  if (!str || !std::isfinite(val)) return RTERROR;
  if (unit == -1) unit = currentInt(u"AUNITS", 0);
  if (prec == -1) prec = currentInt(u"AUPREC", 0);
  if (unit < 0 || unit > 4 || prec < 0 || prec > 8) return RTERROR;
  double a = std::fmod(val, 2 * M_PI);
  if (a < 0) a += 2 * M_PI;
  const double deg = a * 180.0 / M_PI;
  auto dms = [&](double degrees) {
    const long d = static_cast<long>(degrees);
    const double minutes = (degrees - d) * 60;
    const long m = static_cast<long>(minutes);
    const double seconds = (minutes - m) * 60;
    return std::to_string(d) + "d" + std::to_string(m) + "'" + fixed(seconds, std::max(0, prec - 4)) + "\"";
  };
  switch (unit) {
    case 0: return writeOut(fixed(deg, prec), str, len);
    case 1: return writeOut(dms(deg), str, len);
    case 2: return writeOut(fixed(a * 200.0 / M_PI, prec) + "g", str, len);
    case 3: return writeOut(fixed(a, prec) + "r", str, len);
    default: {
      // Surveyor's units: bearing from north or south towards east or west.
      const char* ns = (deg <= 180) ? "N" : "S";
      double b = deg <= 180 ? std::fabs(90 - deg) : std::fabs(270 - deg);
      const char* ew = (deg < 90 || deg > 270) ? "E" : "W";
      if (std::fabs(deg - 90) < 1e-12) return writeOut("N", str, len);
      if (std::fabs(deg - 270) < 1e-12) return writeOut("S", str, len);
      if (deg == 0) return writeOut("E", str, len);
      if (std::fabs(deg - 180) < 1e-12) return writeOut("W", str, len);
      return writeOut(std::string(ns) + " " + dms(b) + " " + ew, str, len);
    }
  }
}

namespace {
bool parseDouble(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end && *end == 0 && std::isfinite(v);
}
// "3 1/2", "1/2", "-3 1/2"
bool parseFraction(std::string s, double& v) {
  bool neg = false;
  if (!s.empty() && s[0] == '-') {
    neg = true;
    s.erase(0, 1);
  }
  double whole = 0, num = 0, den = 1;
  const size_t slash = s.find('/');
  if (slash == std::string::npos) {
    if (!parseDouble(s, whole)) return false;
  } else {
    const size_t space = s.find_first_of(" -");
    std::string frac = s;
    if (space != std::string::npos && space < slash) {
      if (!parseDouble(s.substr(0, space), whole)) return false;
      frac = s.substr(space + 1);
    }
    const size_t sl = frac.find('/');
    if (!parseDouble(frac.substr(0, sl), num) || !parseDouble(frac.substr(sl + 1), den) || den == 0) return false;
  }
  v = whole + num / den;
  if (neg) v = -v;
  return true;
}
}  // namespace

int acdbDisToF(const ACHAR* str, int unit, ads_real* value) {
  if (!str || !value) return RTERROR;
  std::string s = qd::text::toUtf8(str);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  if (unit == -1) unit = currentInt(u"LUNITS", 2);
  double v = 0;
  const size_t foot = s.find('\'');
  if (foot != std::string::npos && (unit == 3 || unit == 4)) {
    double feet = 0, inches = 0;
    if (!parseDouble(s.substr(0, foot), feet)) return RTERROR;
    std::string rest = s.substr(foot + 1);
    if (!rest.empty() && rest[0] == '-') rest.erase(0, 1);
    if (!rest.empty() && rest.back() == '"') rest.pop_back();
    if (!rest.empty() && !parseFraction(rest, inches)) return RTERROR;
    *value = feet * 12 + (feet < 0 ? -inches : inches);
    return RTNORM;
  }
  if (!s.empty() && s.back() == '"' && (unit == 3 || unit == 4)) s.pop_back();
  if (parseDouble(s, v) || parseFraction(s, v)) {
    *value = v;
    return RTNORM;
  }
  return RTERROR;
}

int acdbAngToF(const ACHAR* str, int unit, ads_real* value) {
  if (!str || !value) return RTERROR;
  std::string s = qd::text::toUtf8(str);
  if (unit == -1) unit = currentInt(u"AUNITS", 0);
  double v = 0;
  switch (unit) {
    case 0:
      if (!parseDouble(s, v)) return RTERROR;
      *value = v * M_PI / 180.0;
      return RTNORM;
    case 1: {
      double d = 0, m = 0, sec = 0;
      const size_t dp = s.find('d'), mp = s.find('\''), sp = s.find('"');
      if (dp == std::string::npos || !parseDouble(s.substr(0, dp), d)) return RTERROR;
      if (mp != std::string::npos && !parseDouble(s.substr(dp + 1, mp - dp - 1), m)) return RTERROR;
      if (sp != std::string::npos && !parseDouble(s.substr(mp + 1, sp - mp - 1), sec)) return RTERROR;
      *value = (d + m / 60 + sec / 3600) * M_PI / 180.0;
      return RTNORM;
    }
    case 2:
      if (!s.empty() && s.back() == 'g') s.pop_back();
      if (!parseDouble(s, v)) return RTERROR;
      *value = v * M_PI / 200.0;
      return RTNORM;
    case 3:
      if (!s.empty() && s.back() == 'r') s.pop_back();
      if (!parseDouble(s, v)) return RTERROR;
      *value = v;
      return RTNORM;
    default: return RTERROR;
  }
}

// ---- printing ----

namespace qd::ads {
// Formats like printf; %s and %ls take UTF-16 strings.
std::u16string vformat(const ACHAR* format, va_list ap) {
  std::string out;
  const std::string fmt = qd::text::toUtf8(format ? format : u"");
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%') {
      out += fmt[i];
      continue;
    }
    size_t j = i + 1;
    std::string directive = "%";
    while (j < fmt.size() && std::strchr("-+ #0123456789.*", fmt[j])) {
      if (fmt[j] == '*') directive += std::to_string(va_arg(ap, int));
      else directive += fmt[j];
      ++j;
    }
    std::string length;
    while (j < fmt.size() && std::strchr("hlLjzt", fmt[j])) length += fmt[j++];
    if (j >= fmt.size()) break;
    const char conv = fmt[j];
    char buf[512];
    switch (conv) {
      case '%': out += '%'; break;
      case 'd':
      case 'i':
        if (length.find("ll") != std::string::npos || length == "I64") std::snprintf(buf, sizeof buf, (directive + "lld").c_str(), va_arg(ap, long long));
        else if (length == "l") std::snprintf(buf, sizeof buf, (directive + "ld").c_str(), va_arg(ap, long));
        else std::snprintf(buf, sizeof buf, (directive + "d").c_str(), va_arg(ap, int));
        out += buf;
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        if (length == "l" || length == "ll") std::snprintf(buf, sizeof buf, (directive + "l" + conv).c_str(), va_arg(ap, unsigned long));
        else std::snprintf(buf, sizeof buf, (directive + conv).c_str(), va_arg(ap, unsigned));
        out += buf;
        break;
      case 'f':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        std::snprintf(buf, sizeof buf, (directive + conv).c_str(), va_arg(ap, double));
        out += buf;
        break;
      case 'c': out += qd::text::toUtf8(std::u16string(1, static_cast<char16_t>(va_arg(ap, int)))); break;
      case 's':
      case 'S': {
        const ACHAR* s = va_arg(ap, const ACHAR*);
        std::string text = qd::text::toUtf8(s ? s : u"(null)");
        std::snprintf(buf, sizeof buf, (directive + "s").c_str(), text.c_str());
        out += text.size() < sizeof buf - 1 ? std::string(buf) : text;
        break;
      }
      case 'p':
        std::snprintf(buf, sizeof buf, "%p", va_arg(ap, void*));
        out += buf;
        break;
      case 'q': {
        // The host's real in the drawing's units: "%9.16q0" is right-aligned in 9
        // places, in the current linear units and precision (the digit after q names
        // the units; 0 is the current ones).
        if (j + 1 < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j + 1]))) ++j;
        ACHAR text[128];
        acdbRToS(va_arg(ap, double), -1, -1, text, 128);
        const std::string t = qd::text::toUtf8(text);
        const size_t dot = directive.find('.');
        const int width = std::atoi(directive.substr(1, dot == std::string::npos ? std::string::npos : dot - 1).c_str());
        if (static_cast<int>(t.size()) < width) out += std::string(static_cast<size_t>(width) - t.size(), ' ');
        out += t;
        break;
      }
      default: out += directive + length + conv;
    }
    i = j;
  }
  return qd::text::fromUtf8(out);
}
}  // namespace qd::ads

int acutPrintf(const ACHAR* format, ...) {
  va_list ap;
  va_start(ap, format);
  const std::u16string s = qd::ads::vformat(format, ap);
  va_end(ap);
  qd::ads::printSink()(s);
  return RTNORM;
}

int acutSPrintf(ACHAR* buffer, size_t size, const ACHAR* format, ...) {
  va_list ap;
  va_start(ap, format);
  const std::u16string s = qd::ads::vformat(format, ap);
  va_end(ap);
  if (!buffer || size == 0) return -1;
  const size_t n = std::min(size - 1, s.size());
  std::memcpy(buffer, s.data(), n * sizeof(ACHAR));
  buffer[n] = 0;
  return static_cast<int>(n);
}
