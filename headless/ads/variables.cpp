// Host variables, environment entries, LISP symbols and file search.
#include <filesystem>

#include "headless/ads/resbuf_util.h"
#include "headless/ads/session.h"
#include "headless/db/database_impl.h"
#include "host/adslib.h"
#include "platform/codepage.h"

using qd::db::VarValue;

namespace {
bool isReadOnly(const std::u16string& name) {
  static const char16_t* names[] = {u"ACADVER", u"DWGNAME", u"DWGPREFIX", u"PLATFORM", u"EXTMIN",
                                    u"EXTMAX", u"VIEWCTR", u"VIEWSIZE", u"CVPORT_", u"UCSNAME"};
  for (const char16_t* n : names)
    if (name == n) return true;
  return false;
}

// Variables that name a record must name an existing one.
bool checkRecord(AcDbDatabase* db, const std::u16string& var, std::u16string& value) {
  auto* d = db->impl();
  AcDbObjectId table;
  if (var == u"CLAYER") table = d->layerTable;
  else if (var == u"TEXTSTYLE") table = d->textStyleTable;
  else if (var == u"CELTYPE") table = d->linetypeTable;
  else if (var == u"DIMSTYLE") table = d->dimStyleTable;
  else return true;
  const AcDbObjectId id = d->recordId(table, value);
  if (id.isNull()) return false;
  auto* rec = AcDbSymbolTableRecord::cast(d->peek(id));
  if (auto* layer = AcDbLayerTableRecord::cast(rec); layer && layer->isFrozen()) return false;
  value = rec->nameConst();
  return true;
}
}  // namespace

namespace {
// A header variable the drawing's file held but the host does not model: its value as
// the file gave it, with the type its group has (a point, a real, a text, a number).
int fileVariable(AcDbDatabase::Impl* d, const ACHAR* sym, resbuf* result) {
  const std::u16string name = qd::text::toUpper(sym);
  for (const auto& [var, tags] : d->fileHeader) {
    if (var != name || tags.empty()) continue;
    const qd::db::Tag& t = tags.front();
    result->rbnext = nullptr;
    switch (t.kind) {
      case qd::db::TagKind::Real:
        result->restype = RTREAL;
        result->resval.rreal = t.real;
        return RTNORM;
      case qd::db::TagKind::Point:
        result->restype = t.dims == 2 ? RTPOINT : RT3DPOINT;
        result->resval.rpoint[0] = t.pt.x;
        result->resval.rpoint[1] = t.pt.y;
        result->resval.rpoint[2] = t.pt.z;
        return RTNORM;
      case qd::db::TagKind::String:
      case qd::db::TagKind::Handle:
        result->restype = RTSTR;
        result->resval.rstring = acutNewString(t.str.c_str());
        return RTNORM;
      case qd::db::TagKind::Int16:
      case qd::db::TagKind::Bool:
        result->restype = RTSHORT;
        result->resval.rint = static_cast<short>(t.integer);
        return RTNORM;
      case qd::db::TagKind::Int32:
      case qd::db::TagKind::Int64:
        result->restype = RTLONG;
        result->resval.rlong = static_cast<int32_t>(t.integer);
        return RTNORM;
      default: return RTERROR;
    }
  }
  return RTERROR;
}
}  // namespace

int acedGetVar(const ACHAR* sym, resbuf* result) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !sym || !result) return RTERROR;
  const VarValue* v = db->impl()->var(sym);
  if (!v) return fileVariable(db->impl(), sym, result);
  result->rbnext = nullptr;
  result->restype = v->type;
  switch (v->type) {
    case RTSHORT: result->resval.rint = static_cast<short>(v->integer); break;
    case RTLONG: result->resval.rlong = v->integer; break;
    case RTREAL: result->resval.rreal = v->real; break;
    case RTSTR: result->resval.rstring = acutNewString(v->text.c_str()); break;
    default:
      result->resval.rpoint[0] = v->point.x;
      result->resval.rpoint[1] = v->point.y;
      result->resval.rpoint[2] = v->point.z;
      break;
  }
  return RTNORM;
}

int acedSetVar(const ACHAR* sym, const resbuf* value) {
  AcDbDatabase* db = acdbCurDwg();
  if (!db || !sym || !value) return RTERROR;
  auto* d = db->impl();
  const std::u16string name = qd::text::toUpper(sym);
  const VarValue* cur = d->var(name);
  if (!cur || isReadOnly(name)) return RTERROR;
  VarValue v = *cur;
  switch (cur->type) {
    case RTSHORT:
    case RTLONG:
      if (value->restype == RTSHORT) v.integer = value->resval.rint;
      else if (value->restype == RTLONG) v.integer = value->resval.rlong;
      else return RTERROR;
      break;
    case RTREAL:
      if (value->restype == RTREAL) v.real = value->resval.rreal;
      else if (value->restype == RTSHORT) v.real = value->resval.rint;
      else return RTERROR;
      break;
    case RTSTR:
      if (value->restype != RTSTR || !value->resval.rstring) return RTERROR;
      v.text = value->resval.rstring;
      if (!checkRecord(db, name, v.text)) return RTERROR;
      break;
    default:
      if (value->restype != RTPOINT && value->restype != RT3DPOINT) return RTERROR;
      v.point = AcGePoint3d(value->resval.rpoint[0], value->resval.rpoint[1],
                            value->restype == RT3DPOINT ? value->resval.rpoint[2] : 0.0);
      break;
  }
  // Switch-like variables take 0 or 1 only.
  if ((name == u"TILEMODE" || name == u"MIRRTEXT" || name == u"LIMCHECK" || name == u"FILEDIA" ||
       name == u"REGENMODE" || name == u"PROXYGRAPHICS") && (v.integer < 0 || v.integer > 1))
    return RTERROR;
  if ((name == u"LUNITS" && (v.integer < 1 || v.integer > 5)) || (name == u"AUNITS" && (v.integer < 0 || v.integer > 4)) ||
      ((name == u"LUPREC" || name == u"AUPREC") && (v.integer < 0 || v.integer > 8)))
    return RTERROR;
  // Leaving the Model tab opens the layout on its sheet (paper space); coming back
  // makes the model the current viewport again.
  if (name == u"TILEMODE" && v.integer != d->varInt(u"TILEMODE", 1)) {
    qd::db::VarValue port;
    port.type = RTSHORT;
    port.integer = v.integer ? 2 : 1;
    d->setVar(u"CVPORT", port);
  }
  d->setVar(name, v);
  return RTNORM;
}

int acedGetEnv(const ACHAR* sym, ACHAR* var, size_t len) {
  if (!sym || !var) return RTERROR;
  auto& env = qd::db::environment();
  auto it = env.find(qd::text::toUpper(sym));
  if (it == env.end()) return RTERROR;
  if (len && it->second.size() + 1 > len) return RTERROR;
  std::copy(it->second.begin(), it->second.end(), var);
  var[it->second.size()] = 0;
  return RTNORM;
}

int acedSetEnv(const ACHAR* sym, const ACHAR* val) {
  if (!sym || !val) return RTERROR;
  qd::db::environment()[qd::text::toUpper(sym)] = val;
  return RTNORM;
}

int acedGetSym(const ACHAR* sname, resbuf** value) {
  if (!sname || !value) return RTERROR;
  auto& syms = qd::ads::session().lispSymbols;
  auto it = syms.find(qd::text::toUpper(sname));
  *value = it == syms.end() ? nullptr : qd::ads::copyList(it->second.get());
  return RTNORM;
}

int acedPutSym(const ACHAR* sname, resbuf* value) {
  if (!sname || !*sname) return RTERROR;
  auto& syms = qd::ads::session().lispSymbols;
  const std::u16string key = qd::text::toUpper(sname);
  // A nil value (RTNIL or none) unbinds the symbol.
  if (!value || value->restype == RTNIL) syms.erase(key);
  else syms[key].reset(qd::ads::copyList(value));
  return RTNORM;
}

int acedFindFile(const ACHAR* fname, ACHAR* result, size_t len) {
  if (!fname || !result) return RTERROR;
  namespace fs = std::filesystem;
  const fs::path wanted(qd::text::toUtf8(fname));
  std::vector<fs::path> candidates{wanted};
  if (wanted.is_relative()) {
    if (AcDbDatabase* db = acdbCurDwg())
      candidates.push_back(fs::path(qd::text::toUtf8(db->impl()->varText(u"DWGPREFIX"))) / wanted);
    for (const auto& dir : qd::ads::session().supportPaths) candidates.push_back(fs::path(dir) / wanted);
  }
  for (const auto& c : candidates) {
    std::error_code ec;
    if (!fs::is_regular_file(c, ec)) continue;
    const std::u16string found = qd::text::fromUtf8(fs::absolute(c, ec).string());
    if (len && found.size() + 1 > len) return RTERROR;
    std::copy(found.begin(), found.end(), result);
    result[found.size()] = 0;
    return RTNORM;
  }
  return RTERROR;
}
