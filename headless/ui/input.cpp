// User input for modules: every request takes the next event of the session, checks it
// against what the request accepts (acedInitGet flags and keywords) and writes the
// prompt and the answer into the transcript.
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "headless/ui/console.h"
#include "headless/ui/input.h"
#include "headless/ui/picking.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/winhelp.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

enum class Outcome { Value, Keyword, Enter, Cancel };

// Parses the event text for one kind of request; false when it does not fit.
using Parser = bool (*)(const std::u16string& text, const double* base, void* out);

void copyText(const std::u16string& s, ACHAR* out, size_t len) {
  if (!out || len == 0) return;
  const size_t n = std::min(s.size(), len - 1);
  std::memcpy(out, s.data(), n * sizeof(ACHAR));
  out[n] = 0;
}

bool isEnter(const std::u16string& t) { return t == u"<enter>" || t == u"\"\""; }
bool isEsc(const std::u16string& t) { return t == u"<esc>"; }

// Takes one event and sorts it: Enter, Esc, a keyword, or text for the parser.
Outcome takeEvent(const std::u16string& prompt, Event& e, std::u16string& keyword) {
  Console& c = Console::get();
  c.write(prompt);
  if (!c.take(prompt, e)) return Outcome::Cancel;
  if (isEsc(e.text)) {
    c.answer(u"*Cancel*");
    return Outcome::Cancel;
  }
  if (isEnter(e.text)) return Outcome::Enter;
  keyword = c.matchKeyword(e.text);
  return keyword.empty() ? Outcome::Value : Outcome::Keyword;
}

std::u16string promptOf(const ACHAR* p) { return p ? p : u""; }

bool parseReal(const std::u16string& t, double& v) {
  const std::string s = qd::text::toUtf8(t);
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return !s.empty() && *end == 0 && std::isfinite(v);
}

bool checkNumber(double v) {
  const int flags = Console::get().flags();
  if ((flags & RSG_NOZERO) && v == 0) return false;
  if ((flags & RSG_NONEG) && v < 0) return false;
  return true;
}

}  // namespace

int request(const std::u16string& prompt, const std::u16string& expected, bool enterIsEmpty,
            const std::function<bool(const std::u16string&)>& accept) {
  Console& c = Console::get();
  const int flags = c.flags();
  // acedInitGet applies to this request only.
  struct Reset {
    ~Reset() { Console::get().resetInitGet(); }
  } reset;
  forgetDragPath();
  Event e;
  std::u16string keyword;
  const Outcome o = takeEvent(prompt, e, keyword);
  switch (o) {
    case Outcome::Cancel: return RTCAN;
    case Outcome::Enter:
      if (flags & RSG_NONULL) {
        c.stop(e, prompt, expected + u" (Enter is not allowed here)");
        return RTCAN;
      }
      c.answer(u"");
      if (enterIsEmpty && accept(u"")) return RTNORM;
      return RTNONE;
    case Outcome::Keyword:
      c.answer(e.text);
      c.lastInput = keyword;
      return RTKWORD;
    case Outcome::Value: break;
  }
  if (accept(e.text)) {
    c.answer(e.text);
    return RTNORM;
  }
  if (flags & RSG_OTHER) {
    c.answer(e.text);
    c.lastInput = e.text;
    return RTKWORD;
  }
  c.stop(e, prompt, expected);
  return RTCAN;
}

bool parsePoint(const std::u16string& typed, ads_point out) {
  std::u16string t = typed;
  bool world = false, relative = false;
  if (!t.empty() && t[0] == u'@') relative = true, t.erase(0, 1);
  if (!t.empty() && t[0] == u'*') world = true, t.erase(0, 1);
  ads_point base = {0, 0, 0};
  if (relative) {
    resbuf last{};
    if (acedGetVar(u"LASTPOINT", &last) == RTNORM) ads_point_set(last.resval.rpoint, base);
  }
  if (size_t lt = t.find(u'<'); relative && lt != std::u16string::npos) {
    double dist = 0, angle = 0;
    if (!parseReal(t.substr(0, lt), dist) || acdbAngToF(t.substr(lt + 1).c_str(), -1, &angle) != RTNORM) return false;
    out[0] = base[0] + dist * std::cos(angle);
    out[1] = base[1] + dist * std::sin(angle);
    out[2] = base[2];
    return true;
  }
  double v[3] = {0, 0, 0};
  size_t n = 0, start = 0;
  for (;;) {
    const size_t comma = t.find(u',', start);
    if (n == 3 || !parseReal(t.substr(start, comma - start), v[n])) return false;
    ++n;
    if (comma == std::u16string::npos) break;
    start = comma + 1;
  }
  if (n < 2) return false;
  if (world) {
    resbuf from{}, to{};
    from.restype = RTSHORT;
    from.resval.rint = 0;
    to.restype = RTSHORT;
    to.resval.rint = 1;
    ads_point w = {v[0], v[1], v[2]};
    acedTrans(w, &from, &to, 0, v);
  }
  for (int i = 0; i < 3; ++i) out[i] = base[i] + v[i];
  if (n == 2 && !relative && !world) out[2] = 0;
  return true;
}

void rememberPoint(const ads_point p) {
  resbuf rb{};
  rb.restype = RT3DPOINT;
  ads_point_set(p, rb.resval.rpoint);
  acedSetVar(u"LASTPOINT", &rb);
}

}  // namespace qd::ui

using qd::ui::Console;

int acedInitGet(int val, const ACHAR* kwl) {
  Console::get().initGet(val, kwl ? kwl : u"");
  return RTNORM;
}

int acedGetInput(ACHAR* str) {
  if (!str) return RTERROR;
  qd::ui::copyText(Console::get().lastInput, str, 512);
  return RTNORM;
}

int acedGetPoint(const ads_point, const ACHAR* prompt, ads_point result) {
  ads_point p;
  const int rc = qd::ui::request(qd::ui::promptOf(prompt), u"a point", false,
                                 [&](const std::u16string& t) { return qd::ui::parsePoint(t, p); });
  if (rc == RTNORM) {
    ads_point_set(p, result);
    qd::ui::rememberPoint(p);
  }
  return rc;
}

int acedGetCorner(const ads_point pt, const ACHAR* prompt, ads_point result) {
  return acedGetPoint(pt, prompt, result);
}

namespace {
int distanceOrAngle(const ads_point base, const ACHAR* prompt, ads_real* result, bool angle) {
  double value = 0;
  const int rc = qd::ui::request(
      qd::ui::promptOf(prompt), angle ? u"an angle or a point" : u"a distance or a point", false,
      [&](const std::u16string& t) {
        ads_point p;
        if (base && qd::ui::parsePoint(t, p)) {
          value = angle ? acutAngle(base, p) : acutDistance(base, p);
          return angle || qd::ui::checkNumber(value);
        }
        if (angle) return acdbAngToF(t.c_str(), -1, &value) == RTNORM;
        return acdbDisToF(t.c_str(), -1, &value) == RTNORM && qd::ui::checkNumber(value);
      });
  if (rc == RTNORM && result) *result = value;
  return rc;
}
}  // namespace

int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result) {
  return distanceOrAngle(pt, prompt, result, false);
}
int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result) {
  return distanceOrAngle(pt, prompt, result, true);
}
int acedGetOrient(const ads_point pt, const ACHAR* prompt, ads_real* result) {
  return distanceOrAngle(pt, prompt, result, true);
}

int acedGetInt(const ACHAR* prompt, int* result) {
  int value = 0;
  const int rc = qd::ui::request(qd::ui::promptOf(prompt), u"an integer", false, [&](const std::u16string& t) {
    double d = 0;
    if (!qd::ui::parseReal(t, d) || d != std::floor(d) || d < -32768 || d > 32767) return false;
    value = static_cast<int>(d);
    return qd::ui::checkNumber(d);
  });
  if (rc == RTNORM && result) *result = value;
  return rc;
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
  double value = 0;
  const int rc = qd::ui::request(qd::ui::promptOf(prompt), u"a real number", false, [&](const std::u16string& t) {
    return qd::ui::parseReal(t, value) && qd::ui::checkNumber(value);
  });
  if (rc == RTNORM && result) *result = value;
  return rc;
}

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen) {
  std::u16string value;
  // Keywords do not apply to strings; Enter gives the empty string.
  Console::get().resetInitGet();
  const int rc = qd::ui::request(qd::ui::promptOf(prompt), u"a string", true, [&](const std::u16string& t) {
    value = t;
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.substr(1, value.size() - 2);
    else if (!cronly) value = value.substr(0, value.find(u' '));  // a blank ends the input
    return true;
  });
  if (rc != RTNORM) return rc;
  if (value.size() + 1 > bufLen) return RTINPUTTRUNCATED;
  qd::ui::copyText(value, result, bufLen);
  return RTNORM;
}

int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t bufLen) {
  const int rc = qd::ui::request(qd::ui::promptOf(prompt), u"one of the keywords", false,
                                 [](const std::u16string&) { return false; });
  if (rc == RTKWORD) {
    qd::ui::copyText(Console::get().lastInput, result, bufLen);
    return RTNORM;
  }
  if (rc == RTNONE && result && bufLen) result[0] = 0;
  return rc;
}

int acedPrompt(const ACHAR* str) {
  Console::get().write(str ? str : u"");
  return RTNORM;
}

int acedAlert(const ACHAR* str) {
  Console::get().write(u"[Alert] " + std::u16string(str ? str : u"") + u"\n");
  return RTNORM;
}

int acedHelp(const ACHAR* file, const ACHAR* topic, int cmd) {
  Console::get().write(u"[Help] " + std::u16string(file ? file : u"") + u" topic \"" +
                       std::u16string(topic ? topic : u"") + u"\" command " +
                       qd::text::fromUtf8(std::to_string(cmd)) + u"\n");
  return RTNORM;
}

bool WinHelpW(void*, const ACHAR* file, unsigned int command, uintptr_t data) {
  Console::get().write(u"[Help] " + std::u16string(file ? file : u"") + u" command " +
                       qd::text::fromUtf8(std::to_string(command)) + u" context " +
                       qd::text::fromUtf8(std::to_string(data)) + u"\n");
  return file != nullptr;
}

int acedUsrBrk() { return Console::get().stopped() ? 1 : 0; }
