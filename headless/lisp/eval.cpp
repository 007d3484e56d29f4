// The evaluator: special forms, the built-in functions a session needs, and calls to
// functions that modules and siblings define.
#include <algorithm>
#include <cmath>

#include "headless/ads/resbuf_util.h"
#include "headless/lisp/lisp.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbdict.h"
#include "platform/codepage.h"

namespace qd::lisp {
namespace {

using K = Value::Kind;

bool failWith(std::u16string& error, const std::u16string& message) {
  error = u"; error: " + message;
  return false;
}
bool badArgType(std::u16string& error, const Value& v) {
  return failWith(error, u"bad argument type: " + print(v));
}
bool tooFew(std::u16string& error) { return failWith(error, u"too few arguments"); }

Value variable(const std::u16string& name) {
  resbuf* rb = nullptr;
  acedGetSym(name.c_str(), &rb);
  qd::ads::RbList owned(rb);
  // PAUSE holds the backslash that makes a command wait for the user.
  if (!rb && name == u"PAUSE") return Value::ofStr(u"\\");
  return rb ? fromResbufChain(rb) : Value::nil();
}

void setVariable(const std::u16string& name, const Value& v) {
  qd::ads::RbList rb(toResbuf(v));
  acedPutSym(name.c_str(), v.isNil() ? nullptr : rb.get());
}

bool toName(const Value& v, ads_name out) {
  if (v.kind != K::Ename && v.kind != K::PickSet) return false;
  out[0] = v.name[0];
  out[1] = v.name[1];
  return true;
}

bool numeric(const std::u16string& name, const std::vector<Value>& a, Value& r, std::u16string& error) {
  for (const auto& v : a)
    if (!v.isNumber()) return badArgType(error, v);
  bool real = false;
  for (const auto& v : a) real |= v.kind == K::Real;
  if (name == u"+" || name == u"*") {
    double d = name == u"+" ? 0 : 1;
    int64_t n = name == u"+" ? 0 : 1;
    // Each step wraps to 32 bits, as the host's integers do.
    for (const auto& v : a) {
      if (name == u"+") d += v.number(), n = wrapInt(n + v.integer);
      else d *= v.number(), n = wrapInt(n * v.integer);
    }
    r = real ? Value::ofReal(d) : Value::ofInt(n);
    return true;
  }
  if (a.empty()) {
    r = Value::ofInt(0);
    return true;
  }
  if (name == u"-") {
    if (a.size() == 1) {
      r = real ? Value::ofReal(-a[0].number()) : Value::ofInt(-a[0].integer);
      return true;
    }
    double d = a[0].number();
    int64_t n = a[0].integer;
    for (size_t i = 1; i < a.size(); ++i) d -= a[i].number(), n = wrapInt(n - a[i].integer);
    r = real ? Value::ofReal(d) : Value::ofInt(n);
    return true;
  }
  // "/"
  double d = a[0].number();
  int64_t n = a[0].integer;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i].number() == 0) return failWith(error, u"divide by zero");
    d /= a[i].number();
    if (!real) n = wrapInt(n / a[i].integer);
  }
  r = real ? Value::ofReal(d) : Value::ofInt(n);
  return true;
}

bool equalValues(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) return a.number() == b.number();
  if (a.isNil() && b.isNil()) return true;
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case K::Str:
    case K::Sym: return a.text == b.text;
    case K::Ename:
    case K::PickSet: return a.name[0] == b.name[0] && a.name[1] == b.name[1];
    case K::List:
      if (a.items.size() != b.items.size() || a.dotted != b.dotted) return false;
      for (size_t i = 0; i < a.items.size(); ++i)
        if (!equalValues(a.items[i], b.items[i])) return false;
      return true;
    default: return true;
  }
}

bool compare(const std::u16string& name, const std::vector<Value>& a, Value& r, std::u16string& error) {
  if (a.empty()) return tooFew(error);
  bool ok = true;
  for (size_t i = 0; i + 1 < a.size(); ++i) {
    const Value &x = a[i], &y = a[i + 1];
    if (name == u"=" || name == u"/=") {
      const bool same = equalValues(x, y);
      ok = ok && (name == u"=" ? same : !same);
      continue;
    }
    int c = 0;
    if (x.isNumber() && y.isNumber()) c = x.number() < y.number() ? -1 : x.number() > y.number() ? 1 : 0;
    else if (x.kind == K::Str && y.kind == K::Str) c = x.text.compare(y.text);
    else return badArgType(error, x.isNumber() ? y : x);
    if (name == u"<") ok = ok && c < 0;
    else if (name == u">") ok = ok && c > 0;
    else if (name == u"<=") ok = ok && c <= 0;
    else ok = ok && c >= 0;
  }
  r = ok ? Value::t() : Value::nil();
  return true;
}

// Functions on the drawing and the host: variables, commands, selection, entities.
bool hostFunction(const std::u16string& name, const std::vector<Value>& a, Value& r, std::u16string& error,
                  bool& known) {
  known = true;
  ads_name n, m;
  if (name == u"GETVAR") {
    if (a.empty() || a[0].kind != K::Str) return a.empty() ? tooFew(error) : badArgType(error, a[0]);
    resbuf rb{};
    if (acedGetVar(a[0].text.c_str(), &rb) != RTNORM) {
      r = Value::nil();
      return true;
    }
    const resbuf* at = &rb;
    r = fromResbuf(at);
    if (rb.restype == RTSTR) acutDelString(rb.resval.rstring);
    return true;
  }
  if (name == u"SETVAR") {
    if (a.size() < 2) return tooFew(error);
    if (a[0].kind != K::Str) return badArgType(error, a[0]);
    qd::ads::RbList value(toResbuf(a[1]));
    if (acedSetVar(a[0].text.c_str(), value.get()) != RTNORM)
      return failWith(error, u"AutoCAD variable setting rejected: " + print(a[0]) + u" " + print(a[1]));
    r = a[1];
    return true;
  }
  if (name == u"COMMAND") {
    qd::ads::RbList args(toResbufList(a));
    const int rc = acedCmd(args.get());
    if (rc == RTCAN) return failWith(error, u"Function cancelled");
    r = Value::nil();
    return true;
  }
  if (name == u"SSGET") {
    const ACHAR* mode = nullptr;
    size_t i = 0;
    if (!a.empty() && a[0].kind == K::Str) mode = a[i++].text.c_str();
    ads_point p1{}, p2{};
    const void *arg1 = nullptr, *arg2 = nullptr;
    if (i < a.size() && a[i].isPoint()) {
      for (size_t k = 0; k < a[i].items.size(); ++k) p1[k] = a[i].items[k].number();
      arg1 = p1;
      ++i;
    }
    if (i < a.size() && a[i].isPoint()) {
      for (size_t k = 0; k < a[i].items.size(); ++k) p2[k] = a[i].items[k].number();
      arg2 = p2;
      ++i;
    }
    qd::ads::RbList filter;
    if (i < a.size() && a[i].kind == K::List) {
      resbuf *head = nullptr, *tail = nullptr;
      for (const auto& g : a[i].items) {
        // (-3 ("APP1") ("APP2" ...)): the applications whose extended data is required.
        resbuf* rb = nullptr;
        if (g.kind == K::List && !g.items.empty() && g.items[0].kind == K::Int && g.items[0].integer == -3) {
          qd::ads::RbList apps(acutNewRb(-3));
          for (size_t k = 1; k < g.items.size(); ++k) {
            const Value& app = g.items[k];
            const Value& nameOf = app.kind == K::List && !app.items.empty() ? app.items[0] : app;
            if (nameOf.kind == K::Str) apps.add(acutBuildList(1001, nameOf.text.c_str(), 0));
          }
          rb = apps.release();
        } else {
          rb = toGroupResbuf(g);
        }
        if (tail) tail->rbnext = rb;
        else head = rb;
        tail = rb;
        while (tail && tail->rbnext) tail = tail->rbnext;
      }
      filter.reset(head);
    }
    r = acedSSGet(mode, arg1, arg2, filter.get(), n) == RTNORM ? Value::ofName(K::PickSet, n) : Value::nil();
    return true;
  }
  if (name == u"SSLENGTH") {
    int32_t len = 0;
    if (a.empty() || !toName(a[0], n) || acedSSLength(n, &len) != RTNORM) return badArgType(error, a.empty() ? Value() : a[0]);
    r = Value::ofInt(len);
    return true;
  }
  if (name == u"SSNAME") {
    if (a.size() < 2 || !toName(a[0], n) || a[1].kind != K::Int) return tooFew(error);
    r = acedSSName(n, static_cast<int32_t>(a[1].integer), m) == RTNORM ? Value::ofName(K::Ename, m) : Value::nil();
    return true;
  }
  if (name == u"ENTLAST") {
    r = acdbEntLast(n) == RTNORM ? Value::ofName(K::Ename, n) : Value::nil();
    return true;
  }
  if (name == u"ENTNEXT") {
    ads_name from = {0, 0};
    if (!a.empty() && !toName(a[0], from)) return badArgType(error, a[0]);
    r = acdbEntNext(from, n) == RTNORM ? Value::ofName(K::Ename, n) : Value::nil();
    return true;
  }
  if (name == u"ENTGET") {
    if (a.empty() || !toName(a[0], n)) return badArgType(error, a.empty() ? Value() : a[0]);
    qd::ads::RbList apps(a.size() > 1 ? toResbufList(a[1].items) : nullptr);
    resbuf* list = a.size() > 1 ? acdbEntGetX(n, apps.get()) : acdbEntGet(n);
    if (!list) {
      r = Value::nil();
      return true;
    }
    qd::ads::RbList owned(list);
    std::vector<Value> groups;
    for (const resbuf* at = list; at;) {
      if (at->restype == -3) {
        // Extended data: (-3 ("APP" (1000 . "x") ...) ...)
        at = at->rbnext;
        std::vector<Value> apps2;
        while (at) {
          std::vector<Value> app{Value::ofStr(at->resval.rstring ? at->resval.rstring : u"")};
          at = at->rbnext;
          while (at && at->restype != 1001) app.push_back(fromResbuf(at));
          apps2.push_back(Value::ofList(std::move(app)));
        }
        std::vector<Value> x{Value::ofInt(-3)};
        for (auto& ap : apps2) x.push_back(std::move(ap));
        groups.push_back(Value::ofList(std::move(x)));
        break;
      }
      groups.push_back(fromResbuf(at));
    }
    // A lightweight polyline's vertices are planar: the host lists them as (10 x y).
    const bool planar = std::any_of(groups.begin(), groups.end(), [](const Value& g) {
      return g.kind == K::List && g.dotted && g.items.size() == 2 && g.items[0].kind == K::Int &&
             g.items[0].integer == 0 && g.items[1].kind == K::Str && g.items[1].text == u"LWPOLYLINE";
    });
    if (planar)
      for (Value& g : groups)
        if (g.kind == K::List && !g.dotted && g.items.size() == 4 && g.items[0].kind == K::Int && g.items[0].integer == 10)
          g = Value::ofList({g.items[0], g.items[1], g.items[2]});
    r = Value::ofList(std::move(groups));
    return true;
  }
  if (name == u"ENTMAKE" || name == u"ENTMOD") {
    if (a.empty() || a[0].kind != K::List) return badArgType(error, a.empty() ? Value() : a[0]);
    // The groups in order; (-3 ("APP" groups...)) becomes the extended-data groups.
    qd::ads::RbList list;
    for (const Value& g : a[0].items) {
      if (g.kind == K::List && !g.items.empty() && g.items[0].kind == K::Int && g.items[0].integer == -3) {
        list.add(acutNewRb(-3));
        for (size_t i = 1; i < g.items.size(); ++i) {
          const Value& app = g.items[i];
          if (app.kind != K::List || app.items.empty() || app.items[0].kind != K::Str) return badArgType(error, app);
          list.add(acutBuildList(1001, app.items[0].text.c_str(), 0));
          for (size_t j = 1; j < app.items.size(); ++j) list.add(toGroupResbuf(app.items[j]));
        }
        continue;
      }
      list.add(toGroupResbuf(g));
    }
    const int rc = name == u"ENTMAKE" ? acdbEntMake(list.get()) : acdbEntMod(list.get());
    r = rc == RTNORM ? a[0] : Value::nil();
    return true;
  }
  if (name == u"TEXTBOX") {
    if (a.empty() || a[0].kind != K::List) return badArgType(error, a.empty() ? Value() : a[0]);
    qd::ads::RbList list;
    for (const Value& g : a[0].items) list.add(toGroupResbuf(g));
    ads_point lo, hi;
    if (acedTextBox(list.get(), lo, hi) != RTNORM) {
      r = Value::nil();
      return true;
    }
    auto point = [](const ads_point q) {
      return Value::ofList({Value::ofReal(q[0]), Value::ofReal(q[1]), Value::ofReal(q[2])});
    };
    r = Value::ofList({point(lo), point(hi)});
    return true;
  }
  if (name == u"ENTDEL") {
    if (a.empty() || !toName(a[0], n)) return badArgType(error, a.empty() ? Value() : a[0]);
    r = acdbEntDel(n) == RTNORM ? a[0] : Value::nil();
    return true;
  }
  if (name == u"TBLSEARCH") {
    if (a.size() < 2 || a[0].kind != K::Str || a[1].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    resbuf* list = acdbTblSearch(a[0].text.c_str(), a[1].text.c_str(), a.size() > 2 && !a[2].isNil());
    qd::ads::RbList owned(list);
    std::vector<Value> groups;
    for (const resbuf* at = list; at;) groups.push_back(fromResbuf(at));
    r = Value::ofList(std::move(groups));
    return true;
  }
  if (name == u"REGAPP") {
    if (a.empty() || a[0].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    r = acdbRegApp(a[0].text.c_str()) == RTNORM ? a[0] : Value::nil();
    return true;
  }
  if (name == u"TBLOBJNAME") {
    if (a.size() < 2 || a[0].kind != K::Str || a[1].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    ads_name record;
    r = acdbTblObjName(a[0].text.c_str(), a[1].text.c_str(), record) == RTNORM ? Value::ofName(K::Ename, record)
                                                                             : Value::nil();
    return true;
  }
  if (name == u"ENTSEL" || name == u"NENTSELP") {
    const ACHAR* prompt = !a.empty() && a[0].kind == K::Str ? a[0].text.c_str() : nullptr;
    const Value* given = nullptr;
    for (const auto& v : a)
      if (v.isPoint()) given = &v;
    ads_point p = {0, 0, 0};
    if (given)
      for (size_t i = 0; i < given->items.size(); ++i) p[i] = given->items[i].number();
    auto point = [](const ads_point q) {
      return Value::ofList({Value::ofReal(q[0]), Value::ofReal(q[1]), Value::ofReal(q[2])});
    };
    if (name == u"ENTSEL") {
      r = acedEntSel(prompt, n, p) == RTNORM ? Value::ofList({Value::ofName(K::Ename, n), point(p)}) : Value::nil();
      return true;
    }
    ads_matrix xform;
    resbuf* refs = nullptr;
    if (acedNEntSelP(prompt, n, p, given ? 1 : 0, xform, &refs) != RTNORM) {
      r = Value::nil();
      return true;
    }
    qd::ads::RbList owned(refs);
    std::vector<Value> items{Value::ofName(K::Ename, n), point(p)};
    if (refs) {
      std::vector<Value> rows, containers;
      for (int row = 0; row < 4; ++row)
        rows.push_back(Value::ofList({Value::ofReal(xform[0][row]), Value::ofReal(xform[1][row]),
                                      Value::ofReal(xform[2][row]), Value::ofReal(row == 3 ? 1.0 : 0.0)}));
      for (const resbuf* rb = refs; rb; rb = rb->rbnext) containers.push_back(Value::ofName(K::Ename, rb->resval.rlname));
      items.push_back(Value::ofList(std::move(rows)));
      items.push_back(Value::ofList(std::move(containers)));
    }
    r = Value::ofList(std::move(items));
    return true;
  }
  if (name == u"OSNAP") {
    if (a.size() < 2 || !a[0].isPoint() || a[1].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    ads_point p = {0, 0, 0}, q;
    for (size_t i = 0; i < a[0].items.size(); ++i) p[i] = a[0].items[i].number();
    r = acedOsnap(p, a[1].text.c_str(), q) == RTNORM
            ? Value::ofList({Value::ofReal(q[0]), Value::ofReal(q[1]), Value::ofReal(q[2])})
            : Value::nil();
    return true;
  }
  if (name == u"FINDFILE") {
    if (a.empty() || a[0].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    ACHAR found[1024];
    r = acedFindFile(a[0].text.c_str(), found, 1024) == RTNORM ? Value::ofStr(found) : Value::nil();
    return true;
  }
  if (name == u"SETENV") {
    if (a.size() < 2 || a[0].kind != K::Str || a[1].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    acedSetEnv(a[0].text.c_str(), a[1].text.c_str());
    r = a[1];
    return true;
  }
  if (name == u"GETENV") {
    if (a.empty() || a[0].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    ACHAR value[1024];
    r = acedGetEnv(a[0].text.c_str(), value, 1024) == RTNORM ? Value::ofStr(value) : Value::nil();
    return true;
  }
  if (name == u"NAMEDOBJDICT") {
    AcDbDatabase* db = acdbCurDwg();
    if (!db) return failWith(error, u"no drawing");
    acdbGetAdsName(n, db->namedObjectsDictionaryId());
    r = Value::ofName(K::Ename, n);
    return true;
  }
  if (name == u"DICTSEARCH") {
    AcDbObjectId dictId, entry;
    if (a.size() < 2 || !toName(a[0], n) || a[1].kind != K::Str || acdbGetObjectId(dictId, n) != Acad::eOk)
      return badArgType(error, a.empty() ? Value() : a[0]);
    AcDbDictionary* dict = nullptr;
    r = Value::nil();
    if (acdbOpenObject(dict, dictId, AcDb::kForRead) != Acad::eOk) return true;
    const bool found = dict->getAt(a[1].text.c_str(), entry) == Acad::eOk;
    dict->close();
    if (!found) return true;
    acdbGetAdsName(m, entry);
    return hostFunction(u"ENTGET", {Value::ofName(K::Ename, m)}, r, error, known);
  }
  if (name == u"HANDENT") {
    if (a.empty() || a[0].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    r = acdbHandEnt(a[0].text.c_str(), n) == RTNORM ? Value::ofName(K::Ename, n) : Value::nil();
    return true;
  }
  if (name == u"PRINC" || name == u"PRIN1" || name == u"PRINT") {
    if (a.empty()) {
      r = Value::ofSym(u"");
      return true;
    }
    std::u16string text = name == u"PRINC" ? princText(a[0]) : print(a[0]);
    if (name == u"PRINT") text = u"\n" + text + u" ";
    acutPrintf(u"%ls", text.c_str());
    r = a[0];
    return true;
  }
  if (name == u"TRANS") {
    // (trans point from to [displacement]): systems by number, entity or extrusion.
    if (a.size() < 3) return tooFew(error);
    if (!a[0].isPoint()) return badArgType(error, a[0]);
    ads_point p = {0, 0, 0}, out;
    for (size_t k = 0; k < a[0].items.size(); ++k) p[k] = a[0].items[k].number();
    qd::ads::RbList from(toResbuf(a[1])), to(toResbuf(a[2]));
    const int disp = a.size() > 3 && !a[3].isNil() ? 1 : 0;
    if (acedTrans(p, from.get(), to.get(), disp, out) != RTNORM) return failWith(error, u"bad argument value");
    r = Value::ofList({Value::ofReal(out[0]), Value::ofReal(out[1]), Value::ofReal(out[2])});
    return true;
  }
  if (name == u"RTOS") {
    if (a.empty() || !a[0].isNumber()) return badArgType(error, a.empty() ? Value() : a[0]);
    for (size_t i = 1; i < a.size() && i < 3; ++i)
      if (a[i].kind != K::Int) return badArgType(error, a[i]);
    ACHAR buf[64];
    if (acdbRToS(a[0].number(), a.size() > 1 ? static_cast<int>(a[1].integer) : -1,
                 a.size() > 2 ? static_cast<int>(a[2].integer) : -1, buf, 64) != RTNORM)
      return failWith(error, u"bad argument value");
    r = Value::ofStr(buf);
    return true;
  }
  known = false;
  return false;
}

// Functions on values alone.
bool valueFunction(const std::u16string& name, const std::vector<Value>& a, Value& r, std::u16string& error,
                   bool& known) {
  known = true;
  if (name == u"+" || name == u"-" || name == u"*" || name == u"/") return numeric(name, a, r, error);
  if (name == u"=" || name == u"/=" || name == u"<" || name == u">" || name == u"<=" || name == u">=")
    return compare(name, a, r, error);
  if (name == u"EQUAL" || name == u"EQ") {
    if (a.size() < 2) return tooFew(error);
    r = equalValues(a[0], a[1]) ? Value::t() : Value::nil();
    return true;
  }
  if (name == u"NOT" || name == u"NULL") {
    r = !a.empty() && a[0].isNil() ? Value::t() : a.empty() ? Value::t() : Value::nil();
    return true;
  }
  if (name == u"LOGAND" || name == u"LOGIOR") {
    int64_t bits = name == u"LOGAND" ? -1 : 0;
    for (const auto& v : a) {
      if (v.kind != K::Int) return badArgType(error, v);
      bits = name == u"LOGAND" ? (bits & v.integer) : (bits | v.integer);
    }
    r = Value::ofInt(a.empty() ? 0 : bits);
    return true;
  }
  if (name == u"LIST") {
    r = Value::ofList(a);
    return true;
  }
  if (name == u"CONS") {
    if (a.size() < 2) return tooFew(error);
    if (a[1].kind == K::List && !a[1].dotted) {
      std::vector<Value> items{a[0]};
      items.insert(items.end(), a[1].items.begin(), a[1].items.end());
      r = Value::ofList(std::move(items));
    } else if (a[1].isNil()) {
      r = Value::ofList({a[0]});
    } else {
      r = Value::ofList({a[0], a[1]});
      r.dotted = true;
    }
    return true;
  }
  // CADR, CDDR, CADDDR ...: the car and cdr steps read from the right.
  if (name.size() >= 4 && name.size() <= 6 && name.front() == u'C' && name.back() == u'R' && name != u"CAR" &&
      name != u"CDR" && name.find_first_not_of(u"AD", 1) == name.size() - 1) {
    if (a.empty()) return tooFew(error);
    Value v = a[0];
    for (size_t i = name.size() - 2; i >= 1; --i) {
      Value next;
      if (!valueFunction(name[i] == u'A' ? u"CAR" : u"CDR", {v}, next, error, known)) return false;
      v = std::move(next);
    }
    r = std::move(v);
    return true;
  }
  if (name == u"CAR" || name == u"CDR" || name == u"LENGTH" || name == u"LAST") {
    if (a.empty()) return tooFew(error);
    const Value& l = a[0];
    if (l.isNil()) {
      r = name == u"LENGTH" ? Value::ofInt(0) : Value::nil();
      return true;
    }
    if (l.kind != K::List) return badArgType(error, l);
    if (name == u"LENGTH") r = Value::ofInt(static_cast<int64_t>(l.items.size()));
    else if (name == u"CAR") r = l.items[0];
    else if (name == u"LAST") r = l.items.back();
    else {
      if (l.dotted && l.items.size() == 2) r = l.items[1];
      else {
        r = Value::ofList({l.items.begin() + 1, l.items.end()});
        r.dotted = l.dotted;
      }
    }
    return true;
  }
  if (name == u"SUBST") {
    // (subst new old list): every item of the list equal to old becomes new.
    if (a.size() < 3) return tooFew(error);
    if (a[2].isNil()) {
      r = Value::nil();
      return true;
    }
    if (a[2].kind != K::List) return badArgType(error, a[2]);
    std::vector<Value> items = a[2].items;
    for (Value& item : items)
      if (equalValues(item, a[1])) item = a[0];
    r = Value::ofList(std::move(items));
    r.dotted = a[2].dotted;
    return true;
  }
  if (name == u"NTH") {
    if (a.size() < 2 || a[0].kind != K::Int) return tooFew(error);
    r = a[1].kind == K::List && a[0].integer >= 0 && static_cast<size_t>(a[0].integer) < a[1].items.size()
            ? a[1].items[static_cast<size_t>(a[0].integer)]
            : Value::nil();
    return true;
  }
  if (name == u"ASSOC") {
    if (a.size() < 2) return tooFew(error);
    r = Value::nil();
    if (a[1].kind == K::List)
      for (const auto& item : a[1].items)
        if (item.kind == K::List && !item.items.empty() && equalValues(item.items[0], a[0])) {
          r = item;
          break;
        }
    return true;
  }
  if (name == u"STRCAT") {
    std::u16string s;
    for (const auto& v : a) {
      if (v.kind != K::Str) return badArgType(error, v);
      s += v.text;
    }
    r = Value::ofStr(std::move(s));
    return true;
  }
  if (name == u"STRLEN") {
    size_t len = 0;
    for (const auto& v : a) {
      if (v.kind != K::Str) return badArgType(error, v);
      len += v.text.size();
    }
    r = Value::ofInt(static_cast<int64_t>(len));
    return true;
  }
  if (name == u"ITOA") {
    if (a.empty() || a[0].kind != K::Int) return badArgType(error, a.empty() ? Value() : a[0]);
    r = Value::ofStr(qd::text::fromUtf8(std::to_string(a[0].integer)));
    return true;
  }
  if (name == u"ATOI" || name == u"ATOF") {
    if (a.empty() || a[0].kind != K::Str) return badArgType(error, a.empty() ? Value() : a[0]);
    const std::string s = qd::text::toUtf8(a[0].text);
    r = name == u"ATOI" ? Value::ofInt(std::atoll(s.c_str())) : Value::ofReal(std::atof(s.c_str()));
    return true;
  }
  known = false;
  return false;
}

}  // namespace

bool Interpreter::apply(const std::u16string& name, const std::vector<Value>& args, Value& result,
                        std::u16string& error) {
  if (!call(name, args, result, error)) return false;
  // Lists grow only through calls; one nested too deeply is refused where it is made.
  if (result.depth > kMaxDepth) {
    result = Value::nil();
    return failWith(error, u"lists nested too deeply");
  }
  return true;
}

bool Interpreter::call(const std::u16string& name, const std::vector<Value>& args, Value& result,
                       std::u16string& error) {
  bool known = false;
  if (valueFunction(name, args, result, error, known) || known) return known && error.empty();
  if (hostFunction(name, args, result, error, known) || known) return known && error.empty();
  int status = RTNORM;
  if (m_external && m_external(name, args, status, result)) {
    if (status == RTCAN) return failWith(error, u"Function cancelled");
    if (status != RTNORM) return failWith(error, u"bad function: " + name);
    return true;
  }
  return failWith(error, u"no function definition: " + name);
}

bool Interpreter::eval(const Value& expr, Value& result, std::u16string& error) {
  error.clear();
  switch (expr.kind) {
    case K::Sym:
      result = variable(expr.text);
      return true;
    case K::List: break;
    default:
      result = expr;
      return true;
  }
  if (expr.items.empty() || expr.items[0].kind != K::Sym) return badArgType(error, expr.items.empty() ? Value() : expr.items[0]);
  const std::u16string& head = expr.items[0].text;
  const size_t n = expr.items.size();
  if (head == u"QUOTE") {
    if (n < 2) return tooFew(error);
    result = expr.items[1];
    return true;
  }
  if (head == u"SETQ") {
    result = Value::nil();
    for (size_t i = 1; i + 1 < n; i += 2) {
      if (expr.items[i].kind != K::Sym) return badArgType(error, expr.items[i]);
      if (!eval(expr.items[i + 1], result, error)) return false;
      setVariable(expr.items[i].text, result);
    }
    return true;
  }
  if (head == u"PROGN" || head == u"AND" || head == u"OR") {
    result = head == u"OR" ? Value::nil() : Value::t();
    for (size_t i = 1; i < n; ++i) {
      if (!eval(expr.items[i], result, error)) return false;
      if (head == u"AND" && result.isNil()) return true;
      if (head == u"OR" && !result.isNil()) {
        result = Value::t();
        return true;
      }
    }
    if (head == u"AND") result = Value::t();
    return true;
  }
  if (head == u"IF") {
    if (n < 3) return tooFew(error);
    Value test;
    if (!eval(expr.items[1], test, error)) return false;
    if (!test.isNil()) return eval(expr.items[2], result, error);
    result = Value::nil();
    return n > 3 ? eval(expr.items[3], result, error) : true;
  }
  if (head == u"WHILE") {
    result = Value::nil();
    for (int guard = 0; guard < 1000000; ++guard) {
      Value test;
      if (!eval(expr.items[1], test, error)) return false;
      if (test.isNil()) return true;
      for (size_t i = 2; i < n; ++i)
        if (!eval(expr.items[i], result, error)) return false;
    }
    return failWith(error, u"loop did not end");
  }
  std::vector<Value> args;
  args.reserve(n - 1);
  for (size_t i = 1; i < n; ++i) {
    Value v;
    if (!eval(expr.items[i], v, error)) return false;
    args.push_back(std::move(v));
  }
  return apply(head, args, result, error);
}

}  // namespace qd::lisp
