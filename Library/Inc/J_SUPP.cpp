// Message dictionary, error reports, handles, help, text and 2-D geometry.
#include "Library/Inc/J_SUPP.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

#include "Library/Inc/format.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/winhelp.h"

#define QD_SOURCE "Library/Inc/J_SUPP"

namespace qd::support {
namespace {

constexpr double kTolerance = 0.0001;
constexpr size_t kTextSize = 1024;

const char16_t* const kDictionaries[3][3] = {
    {u"qdads01", u"qdads02", u"qdads03"}, {u"tvads01", u"tvads02", u"tvads03"}, {u"jmads01", u"jmads02", nullptr}};

struct ErrorState {
  const char* source = QD_SOURCE;
  int line = 0;
  int level = 0;
  std::u16string message;
};
ErrorState& errorState() {
  static ErrorState e;
  return e;
}

void copy(const std::u16string& s, ACHAR* buffer, size_t size) {
  if (!buffer || size == 0) return;
  const size_t n = std::min(s.size(), size - 1);
  std::memcpy(buffer, s.data(), n * sizeof(ACHAR));
  buffer[n] = 0;
}

// Asks the dictionary function for the text; false (and a report) when it cannot.
bool fetch(short family, short function, short number, std::u16string& text, const char16_t* badFamily) {
  if (family < 1 || family > 3) {
    QD_ERR(10, badFamily);
    return false;
  }
  const char16_t* name = function >= 1 && function <= 3 ? kDictionaries[family - 1][function - 1] : nullptr;
  if (!name) {
    QD_ERR(10, u"Incorrect name of dictionary function!");
    return false;
  }
  ResbufList args(acutBuildList(RTSTR, name, RTSHORT, static_cast<int>(number), 0));
  if (!args.get()) {
    QD_ERR(10, u"Unable fill invoke data!");
    return false;
  }
  ResbufList result;
  if (acedInvoke(args.get(), result.out()) != RTNORM) {
    QD_ERR(10, u"Unable invoke dictionary function!");
    return false;
  }
  if (!result.get() || result.get()->restype != RTSTR || !result.get()->resval.rstring) {
    QD_ERR(10, u"Error in result of invoking dictionary function!");
    return false;
  }
  text = result.get()->resval.rstring;
  return true;
}

const char16_t* levelName(int level, std::u16string& scratch) {
  switch (level) {
    case 1: return u"FATAL ERROR";
    case 2: return u"BUG";
    case 10: return u"NORMAL";
    case 11: return u"ALERT";
    default: {
      const std::string n = "ERROR OF BAD TYPE (" + std::to_string(level) + ")";
      scratch.assign(n.begin(), n.end());
      return scratch.c_str();
    }
  }
}

void printChunks(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); i += 130) acutPrintf(u"%ls", text.substr(i, 130).c_str());
}

}  // namespace

const ACHAR* dictText(short family, short function, short number) {
  static ACHAR buffers[3][kTextSize];
  static int next = 0;
  next = (next + 1) % 3;
  std::u16string text;
  copy(fetch(family, function, number, text, u"Incorrect name of dictionary!") ? text : u"_?_", buffers[next], kTextSize);
  return buffers[next];
}

int dictTextTo(short family, short function, short number, ACHAR* buffer, size_t size) {
  std::u16string text;
  const bool ok = fetch(family, function, number, text, u"Incorrect name of dictionary !");
  copy(ok ? text : u"_?_", buffer, size);
  return ok ? RTNORM : RTERROR;
}

const ACHAR* moduleText(short n) { return dictText(1, 2, static_cast<short>(1060 + n)); }

namespace {
void shortcut(const char16_t* function, short number, ACHAR* buffer, size_t size) {
  ResbufList args(acutBuildList(RTSTR, function, RTSHORT, static_cast<int>(number), 0));
  ResbufList result;
  if (!buffer || size == 0 || acedInvoke(args.get(), result.out()) != RTNORM) return;
  const resbuf* rb = result.get();
  if (!rb || rb->restype == RTNIL || rb->restype == RTNONE) buffer[0] = 0;
  else if (rb->restype == RTSTR && rb->resval.rstring) copy(rb->resval.rstring, buffer, size);
}
}  // namespace

void qdads01Text(short number, ACHAR* buffer, size_t size) { shortcut(u"qdads01", number, buffer, size); }
void qdads02Text(short number, ACHAR* buffer, size_t size) { shortcut(u"qdads02", number, buffer, size); }

void setErrSource(const char* source, int line) {
  errorState().source = source;
  errorState().line = line;
}

int lastErrLevel() { return errorState().level; }
const std::u16string& lastErrMessage() { return errorState().message; }

void Err(int level, const ACHAR* format, ...) {
  ErrorState& e = errorState();
  if (!format) {
    const char* source = e.source;
    const int line = e.line;
    Err(2, u"Bad pointer in arguments to Err()");
    setErrSource(source, line);
    return;
  }
  va_list ap;
  va_start(ap, format);
  std::u16string message;
  vformat(message, format, ap);
  va_end(ap);
  std::u16string scratch;
  const std::u16string source(e.source, e.source + std::strlen(e.source));
  std::u16string report;
  const std::string line = std::to_string(e.line);
  report = u"\n" + std::u16string(levelName(level, scratch)) + u" on line " + std::u16string(line.begin(), line.end()) +
           u" of '" + source + u"'\n  '" + message + u"'\n";
  e.level = level;
  e.message = message;
  if (level == 11) acedAlert(report.c_str());
  else chunkedPrintf(u"%ls", report.c_str());
}

void chunkedPrintf(const ACHAR* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::u16string text;
  const bool ok = vformat(text, format, ap);
  va_end(ap);
  if (!ok || text.size() > 999) {
    setErrSource("Library/Inc/ENTITY", __LINE__);
    Err(1, u"Too big argument to adsx_printf");
    return;
  }
  printChunks(text);
}

const ACHAR* handleAdd(const ACHAR* handle, uint32_t increment) {
  static ACHAR result[40];
  std::u16string h = handle ? handle : u"";
  // Pieces of 8 digits from the right, lowest first.
  uint32_t pieces[4] = {0, 0, 0, 0};
  size_t count = 0;
  for (size_t end = h.size(); end > 0 && count < 4; ++count) {
    const size_t start = end >= 8 ? end - 8 : 0;
    const std::string digits(h.begin() + static_cast<long>(start), h.begin() + static_cast<long>(end));
    pieces[count] = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    end = start;
  }
  if (count == 0) count = 1;
  uint64_t carry = increment;
  for (size_t i = 0; i < count && carry; ++i) {
    const uint64_t sum = static_cast<uint64_t>(pieces[i]) + carry;
    pieces[i] = static_cast<uint32_t>(sum);
    carry = sum >> 32;
  }
  if (carry) {
    if (count < 4) {
      pieces[count++] = static_cast<uint32_t>(carry);
    } else {
      QD_ERR(10, u"Handle is longer then 32 chars - was truncate!");
    }
  }
  char buf[40];
  int n = std::snprintf(buf, sizeof buf, "%x", pieces[count - 1]);
  for (size_t i = count - 1; i-- > 0;) n += std::snprintf(buf + n, sizeof buf - static_cast<size_t>(n), "%08x", pieces[i]);
  for (int i = 0; i <= n; ++i) result[i] = static_cast<ACHAR>(buf[i]);
  return result;
}

const ACHAR* textAfterBlanks(const ACHAR* text) {
  if (!text) return nullptr;
  const ACHAR* p = text;
  while (*p && *p != u' ') ++p;
  if (!*p) return nullptr;
  while (*p == u' ') ++p;
  return *p ? p : nullptr;
}

void showHelp(unsigned context, const ACHAR* helpFile) { WinHelpW(nullptr, helpFile, HELP_CONTEXT, context); }

bool pointsDiffer(const ads_point p, const ads_point q, bool useZ) {
  const bool same = std::fabs(p[X] - q[X]) < kTolerance && std::fabs(p[Y] - q[Y]) < kTolerance &&
                    (!useZ || std::fabs(p[Z] - q[Z]) < kTolerance);
  return !same;
}

namespace {
double direction(const ads_point from, const ads_point to) {
  double a = acutAngle(from, to);
  if (a > 2 * M_PI) a -= 2 * M_PI;
  if (a == 2 * M_PI) a = 0;
  return a;
}
// Directions are equal when they fall into the same step of 0.001 radians.
bool sameDirection(double a, double b) { return std::floor(a / 0.001) == std::floor(b / 0.001); }
}  // namespace

int whereOnLine(const ads_point a, const ads_point b, const ads_point p) {
  if (!pointsDiffer(a, b, true)) return pointsDiffer(a, p, true) ? -1 : 0;
  if (!pointsDiffer(a, p, true) || !pointsDiffer(b, p, true)) return 0;
  if (a[X] == b[X] && a[Y] == b[Y]) {
    // A vertical line: along z.
    if (p[Z] <= a[Z] || p[Z] >= b[Z]) return acutDistance(p, a) >= acutDistance(p, b) ? 2 : 1;
    return 0;
  }
  const double ab = direction(a, b), ba = direction(b, a), ap = direction(a, p), bp = direction(b, p);
  const bool fromA = sameDirection(ap, ab), fromB = sameDirection(bp, ba);
  if (fromA && fromB) return 0;
  if (fromA) return 2;
  if (fromB) return 1;
  return -1;
}

int pointOnSegment(const ads_point a, const ads_point b, const ads_point p, bool useZ) {
  ads_point a2 = {a[X], a[Y], useZ ? a[Z] : 0}, b2 = {b[X], b[Y], useZ ? b[Z] : 0}, p2 = {p[X], p[Y], useZ ? p[Z] : 0};
  int flags = 0;
  if (whereOnLine(a2, b2, p2) == 0) {
    flags |= 1;
    if (!pointsDiffer(p2, a2, useZ)) flags = 3;
    if (!pointsDiffer(p2, b2, useZ)) flags |= 4;
  }
  if (acutDistance(p2, b2) < acutDistance(p2, a2)) flags |= 8;
  return flags;
}

int segmentIntersection(const ads_point a1, const ads_point a2, const ads_point b1, const ads_point b2,
                        const int* onA, const int* onB, ads_point result) {
  const double ax = a2[X] - a1[X], ay = a2[Y] - a1[Y], bx = b2[X] - b1[X], by = b2[Y] - b1[Y];
  const double d = bx * ay - by * ax;
  if (std::fabs(d) < kTolerance) return RTERROR;
  // a1 + t (a2 - a1) lies on b: t = ((b1 - a1) x B) / (A x B), and A x B = -d.
  const double t = (by * (b1[X] - a1[X]) - bx * (b1[Y] - a1[Y])) / -d;
  ads_point p = {a1[X] + t * ax, a1[Y] + t * ay, 0};
  if (onA && *onA && !(pointOnSegment(a1, a2, p, false) & 1)) return RTERROR;
  if (onB && *onB && !(pointOnSegment(b1, b2, p, false) & 1)) return RTERROR;
  ads_point_set(p, result);
  return RTNORM;
}

int toUcsOrWcs(const ads_point p, int direction, ads_point result) {
  resbuf ucs{}, wcs{};
  ucs.restype = wcs.restype = RTSHORT;
  ucs.resval.rint = 1;
  wcs.resval.rint = 0;
  return direction == 0 ? acedTrans(p, &ucs, &wcs, 0, result) : acedTrans(p, &wcs, &ucs, 0, result);
}

}  // namespace qd::support
