#include "headless/commands/commands.h"

#include <cstdarg>

#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/commands/host_commands.h"
#include "headless/db/database_impl.h"
#include "headless/modules/modules.h"
#include "headless/ui/console.h"
#include "headless/ui/input.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {

namespace {
bool isPause(const resbuf* rb) {
  return rb && rb->restype == RTSTR && rb->resval.rstring && std::u16string_view(rb->resval.rstring) == u"\\";
}
}  // namespace

Args::Args(const resbuf* list) {
  for (const resbuf* rb = list; rb; rb = rb->rbnext) m_items.push_back(rb);
}

const resbuf* Args::peek() const { return m_pos < m_items.size() ? m_items[m_pos] : nullptr; }

bool Args::text(const std::u16string& prompt, std::u16string& out) {
  const resbuf* rb = peek();
  if (rb && !isPause(rb)) {
    ++m_pos;
    switch (rb->restype) {
      case RTSTR: out = rb->resval.rstring ? rb->resval.rstring : u""; return true;
      case RTSHORT: out = qd::text::fromUtf8(std::to_string(rb->resval.rint)); return true;
      case RTLONG: out = qd::text::fromUtf8(std::to_string(rb->resval.rlong)); return true;
      case RTREAL: {
        ACHAR buf[64];
        // A number with no text (infinite, not a number) cannot be sent.
        if (acdbRToS(rb->resval.rreal, 2, 8, buf, 64) != RTNORM) return !(m_cancelled = true);
        out = buf;
        return true;
      }
      default: return !(m_cancelled = true);
    }
  }
  if (rb) ++m_pos;
  ACHAR buf[512];
  const int rc = acedGetString(1, prompt.c_str(), buf, 512);
  if (rc != RTNORM) return !(m_cancelled = true);
  out = buf;
  return true;
}

bool Args::point(const std::u16string& prompt, AcGePoint3d& out) {
  const resbuf* rb = peek();
  if (rb && !isPause(rb)) {
    ++m_pos;
    if (rb->restype == RTPOINT || rb->restype == RT3DPOINT) {
      out = AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->restype == RTPOINT ? 0 : rb->resval.rpoint[2]);
      return true;
    }
    ads_point p;
    if (rb->restype == RTSTR && rb->resval.rstring && qd::ui::parsePoint(rb->resval.rstring, p)) {
      out = AcGePoint3d(p[0], p[1], p[2]);
      return true;
    }
    return !(m_cancelled = true);
  }
  if (rb) ++m_pos;
  ads_point p;
  if (acedGetPoint(nullptr, prompt.c_str(), p) != RTNORM) return !(m_cancelled = true);
  out = AcGePoint3d(p[0], p[1], p[2]);
  return true;
}

bool Args::pointOrWord(const std::u16string& prompt, AcGePoint3d& pt, std::u16string& word, bool& isPoint) {
  const resbuf* rb = peek();
  if (rb && (rb->restype == RTPOINT || rb->restype == RT3DPOINT)) {
    isPoint = true;
    return point(prompt, pt);
  }
  if (!text(prompt, word)) return false;
  ads_point p;
  isPoint = qd::ui::parsePoint(word, p);
  if (isPoint) pt = AcGePoint3d(p[0], p[1], p[2]);
  return true;
}

bool Args::real(const std::u16string& prompt, double& out) {
  const resbuf* rb = peek();
  if (rb && !isPause(rb)) {
    ++m_pos;
    if (rb->restype == RTREAL || rb->restype == RTANG) out = rb->resval.rreal;
    else if (rb->restype == RTSHORT) out = rb->resval.rint;
    else if (rb->restype == RTLONG) out = rb->resval.rlong;
    else if (rb->restype != RTSTR || !rb->resval.rstring || acdbDisToF(rb->resval.rstring, -1, &out) != RTNORM)
      return !(m_cancelled = true);
    return true;
  }
  if (rb) ++m_pos;
  if (acedGetReal(prompt.c_str(), &out) != RTNORM) return !(m_cancelled = true);
  return true;
}

bool Args::objects(std::vector<AcDbObjectId>& out) {
  auto addSet = [&](const ads_name ss) {
    for (const auto& id : qd::ads::idsOfSet(ss)) out.push_back(id);
  };
  while (const resbuf* rb = peek()) {
    if (isPause(rb)) break;
    ++m_pos;
    if (rb->restype == RTENAME) {
      AcDbObjectId id;
      if (acdbGetObjectId(id, rb->resval.rlname) == Acad::eOk) out.push_back(id);
    } else if (rb->restype == RTPICKS) {
      addSet(rb->resval.rlname);
    } else if (rb->restype == RTSTR && rb->resval.rstring && !*rb->resval.rstring) {
      return true;  // "" ends the selection
    } else {
      return !(m_cancelled = true);
    }
  }
  if (peek() && isPause(peek())) ++m_pos;
  // The user selects.
  ads_name ss;
  const int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
  if (rc == RTCAN) return !(m_cancelled = true);
  if (rc == RTNORM) {
    addSet(ss);
    acedSSFree(ss);
  }
  return true;
}

std::function<int(AcDbDatabase*)>& saveHook() {
  static std::function<int(AcDbDatabase*)> hook;
  return hook;
}

std::function<int(const std::string&)>& openHook() {
  static std::function<int(const std::string&)> hook;
  return hook;
}

const Command* findCommand(const std::u16string& typed) {
  std::u16string name = qd::text::toUpper(typed);
  while (!name.empty() && (name[0] == u'_' || name[0] == u'.')) name.erase(0, 1);
  const auto& table = hostCommands();
  auto it = table.find(name);
  return it == table.end() ? nullptr : &it->second;
}

namespace {
// A typed name without its "_" and "." prefixes.
std::u16string bareName(std::u16string name) {
  while (!name.empty() && (name[0] == u'_' || name[0] == u'.')) name.erase(0, 1);
  return name;
}

int setVariable(const std::u16string& name, short type, Args& args) {
  std::u16string value;
  if (!args.text(u"Enter new value for " + qd::text::toUpper(name) + u": ", value)) return RTCAN;
  if (value.empty()) return RTNORM;
  resbuf rb{};
  rb.restype = type;
  const std::string narrow = qd::text::toUtf8(value);
  switch (type) {
    case RTSHORT: rb.resval.rint = static_cast<short>(std::atoi(narrow.c_str())); break;
    case RTLONG: rb.resval.rlong = std::atoi(narrow.c_str()); break;
    case RTREAL: rb.resval.rreal = std::atof(narrow.c_str()); break;
    case RTSTR: rb.resval.rstring = const_cast<ACHAR*>(value.c_str()); break;
    default: {
      ads_point p;
      if (!qd::ui::parsePoint(value, p)) return RTERROR;
      ads_point_set(p, rb.resval.rpoint);
    }
  }
  if (acedSetVar(name.c_str(), &rb) == RTNORM) return RTNORM;
  qd::ui::Console::get().write(u"Invalid value.\n");
  return RTERROR;
}

// Runs the commands of one argument list, one after another.
// `shown` says the first command's name is on the command line already.
int runAll(const resbuf* list, bool shown) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !list) return RTERROR;
  Args args(list);
  auto& console = qd::ui::Console::get();
  for (bool first = true; !args.atEnd(); first = false) {
    // A command may have opened another drawing.
    db = acdbCurDwg();
    if (!db) return RTERROR;
    std::u16string name;
    if (!args.text(u"Command: ", name)) return RTCAN;
    if (name.empty()) continue;  // Enter between commands
    if (!(first && shown) && db->impl()->varInt(u"CMDECHO", 1)) console.write(u"Command: " + name + u"\n");
    int rc = RTERROR;
    if (const Command* cmd = findCommand(name)) {
      rc = (*cmd)(db, args);
    } else if (const auto* reg = qd::modules::Manager::get().findCommand(name)) {
      reg->fn();
      rc = RTNORM;
    } else if (qd::modules::Manager::get().isDefined(u"C:" + bareName(name))) {
      qd::ads::RbList result;
      rc = qd::modules::Manager::get().invoke(u"C:" + bareName(name), nullptr, result);
    } else if (resbuf current{}; acedGetVar(bareName(name).c_str(), &current) == RTNORM) {
      // A variable's name as a command sets it from the next answer.
      if (current.restype == RTSTR) acutDelString(current.resval.rstring);
      rc = setVariable(bareName(name), current.restype, args);
    } else {
      console.write(u"Unknown command \"" + name + u"\".  Press F1 for help.\n");
      return RTERROR;
    }
    if (args.cancelled()) return RTCAN;
    if (rc != RTNORM) return rc;
  }
  return RTNORM;
}
}  // namespace

int run(const std::u16string& name, const resbuf* args) {
  qd::ads::RbList list(acutBuildList(RTSTR, name.c_str(), 0));
  list.get()->rbnext = qd::ads::copyList(args);
  return runAll(list.get(), true);
}

int runCommands(const resbuf* list) { return runAll(list, false); }

}  // namespace qd::commands

int acedCmd(const resbuf* rbp) { return qd::commands::runCommands(rbp); }

int acedCommand(int rtype, ...) {
  va_list ap;
  va_start(ap, rtype);
  qd::ads::RbList list;
  resbuf* tail = nullptr;
  for (int t = rtype; t != RTNONE && t != 0; t = va_arg(ap, int)) {
    resbuf* rb = acutNewRb(t);
    switch (t) {
      case RTSTR: rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*)); break;
      case RTSHORT: rb->resval.rint = static_cast<short>(va_arg(ap, int)); break;
      case RTLONG: rb->resval.rlong = va_arg(ap, int32_t); break;
      case RTREAL:
      case RTANG: rb->resval.rreal = va_arg(ap, double); break;
      case RTPOINT:
      case RT3DPOINT: {
        const double* p = va_arg(ap, const double*);
        rb->resval.rpoint[0] = p[0];
        rb->resval.rpoint[1] = p[1];
        rb->resval.rpoint[2] = t == RT3DPOINT ? p[2] : 0;
        break;
      }
      case RTENAME:
      case RTPICKS: {
        const int64_t* n = va_arg(ap, const int64_t*);
        rb->resval.rlname[0] = n[0];
        rb->resval.rlname[1] = n[1];
        break;
      }
      default:
        acutRelRb(rb);
        va_end(ap);
        return RTERROR;
    }
    if (tail) tail->rbnext = rb;
    else list.reset(rb);
    tail = rb;
  }
  va_end(ap);
  return acedCmd(list.get());
}
