// The DXF writer: header, classes, tables, blocks, entities and objects.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <unordered_map>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/db/filing.h"
#include "headless/db/proxy_graphics.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "headless/dxf/dxf_out.h"
#include "headless/dxf/formatting_ahead.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::dxf {
namespace {

// What writing asks of the object's class, found once for each class of a drawing.
const ClassInfo& classInfo(ClassInfos& infos, const AcDbObject* o) {
  auto [it, made] = infos.try_emplace(o->isA());
  if (made) {
    it->second.builtin = db::isBuiltinClass(o->isA());
    it->second.kept = AcDbUnknownEntity::cast(o) || AcDbUnknownObject::cast(o);
    if (!it->second.kept) it->second.dxfName = o->isA()->dxfName();
  }
  return it->second;
}

// The type a kept object had in its file.
std::u16string keptDxfName(const AcDbObject* o) {
  if (auto* u = AcDbUnknownEntity::cast(o)) return u->originalDxfName();
  return AcDbUnknownObject::cast(o)->originalDxfName();
}

template <class O>
void writeXData(O& out, const AcDbObject* o) {
  AcDbObjectAccess::forEachXDataGroup(o, [&](const Tag& t) { out.tag(t); });
}

// The groups every object starts with: type, handle, reactors, owner.
template <class O>
void writeHead(O& out, const AcDbObject* o, const std::u16string& type, int handleCode = 5) {
  out.str(0, type);
  out.handle(handleCode, o->objectId().handle());
  const auto& reactors = o->persistentReactors();
  bool any = false;
  for (const auto& r : reactors) any = any || r.isValid();
  if (any) {
    out.str(102, u"{ACAD_REACTORS");
    for (const auto& r : reactors)
      if (r.isValid()) out.id(330, r);
    out.str(102, u"}");
  }
  if (!o->extensionDictionary().isNull() && o->extensionDictionary().isValid()) {
    out.str(102, u"{ACAD_XDICTIONARY");
    out.id(360, o->extensionDictionary());
    out.str(102, u"}");
  }
  out.id(330, o->ownerId());
}

// An entity of a module's class carries its picture for programs without the module: the
// proxy graphics, recorded from its worldDraw, close its common groups.
void addProxyGraphics(const AcDbObject* o, db::Tags& tags) {
  auto* e = AcDbEntity::cast(o);
  if (!e || db::isBuiltinClass(o->isA()) || db::implOf(o->database())->varInt(u"PROXYGRAPHICS", 1) == 0) return;
  const std::string graphics = db::recordProxyGraphics(const_cast<AcDbEntity*>(e));
  if (graphics.empty()) return;
  auto at = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == 100 && t.str == u"AcDbEntity"; });
  if (at != tags.end()) at = std::find_if(at + 1, tags.end(), [](const Tag& t) { return t.code == 100; });
  Tag size, data;
  size.code = 160;
  size.kind = TagKind::Int64;
  size.integer = static_cast<int64_t>(graphics.size());
  data.code = 310;
  data.kind = TagKind::Binary;
  data.bytes = graphics;
  tags.insert(tags.insert(at, size) + 1, data);
}

// A class that files itself only through the binary filer writes no DXF groups of its
// own; its binary stream is stored instead, so that its data survives a save and an open.
bool filesOnlyBinary(const AcDbObject* o, const db::Tags& own) {
  if (db::isBuiltinClass(o->isA())) return false;
  db::TagFiler base(o->database());
  if (auto* e = AcDbEntity::cast(o)) e->AcDbEntity::dxfOutFields(&base);
  else o->AcDbObject::dxfOutFields(&base);
  return base.tags().size() == own.size();
}

template <class O>
void writeObject(O& out, const AcDbObject* o, int handleCode = 5) {
  const ClassInfo& info = classInfo(out.classes, o);
  std::u16string keptName;
  writeHead(out, o, info.kept ? (keptName = keptDxfName(o)) : info.dxfName, handleCode);
  db::TagFiler& f = out.filer;
  f.reset(o->database());
  o->dxfOutFields(&f);
  db::Tags& tags = f.tags();
  const bool binaryOnly = filesOnlyBinary(o, tags);
  addProxyGraphics(o, tags);
  // Objects file angles (groups 50 to 58) in radians, as entity lists hold them; the
  // file holds degrees. Entities kept as their groups are written as they were read.
  const bool known = !info.kept;
  for (const Tag& t : tags) {
    if (known && t.kind == TagKind::Real && t.code >= 50 && t.code <= 58)
      out.realValue(t.code, std::round(t.real * 180.0 / M_PI * 1e12) / 1e12);
    else
      out.tag(t);
  }
  if (binaryOnly) {
    db::MemoryDwgFiler dwg(o->database());
    o->dwgOutFields(&dwg);
    out.str(100, db::kDwgStreamMarker);
    out.integer(90, static_cast<int64_t>(dwg.bytes().size()));
    out.binary(310, dwg.bytes());
  }
  writeXData(out, o);
  out.flushSome();
}

// The host's own classes add nothing to what they file (no proxy graphics, no binary
// stream), so they are recorded as they file; a module's go through its groups.
void writeObject(Recorder& out, const AcDbObject* o, int handleCode = 5) {
  const ClassInfo& info = classInfo(out.classes, o);
  if (!info.builtin) {
    writeObject<Recorder>(out, o, handleCode);
    return;
  }
  std::u16string keptName;
  writeHead(out, o, info.kept ? (keptName = keptDxfName(o)) : info.dxfName, handleCode);
  RecordingFiler f(out, o->database(), !info.kept);
  o->dxfOutFields(&f);
  writeXData(out, o);
  out.flushSome();
}

template <class O>
void writeEntity(O& out, AcDbDatabase::Impl* d, AcDbObjectId id) {
  auto* e = AcDbEntity::cast(d->peek(id));
  if (!e || e->isErased()) return;
  writeObject(out, e);
  if (auto* complex = AcDbComplexEntity::cast(e)) {
    for (const auto& sub : complex->ownedIds())
      if (AcDbObject* s = d->peek(sub)) writeObject(out, s);
  }
}

void writeHeader(Out& out, AcDbDatabase::Impl* d) {
  out.str(0, u"SECTION");
  out.str(2, u"HEADER");
  out.str(9, u"$ACADVER");
  out.str(1, u"AC1032");
  out.str(9, u"$DWGCODEPAGE");
  out.str(3, u"ANSI_1250");
  out.str(9, u"$HANDSEED");
  out.put(5, hex(d->nextHandle));
  struct Var {
    const char16_t* name;
    int code;
  };
  static const Var vars[] = {{u"CLAYER", 8},    {u"TEXTSTYLE", 7}, {u"CELTYPE", 6},    {u"DIMSTYLE", 2},
                             {u"INSUNITS", 70}, {u"MEASUREMENT", 70}, {u"LUNITS", 70}, {u"LUPREC", 70},
                             {u"AUNITS", 70},   {u"AUPREC", 70},   {u"TILEMODE", 70},  {u"MIRRTEXT", 70},
                             {u"LIMCHECK", 70}, {u"TEXTSIZE", 40}, {u"LTSCALE", 40},   {u"ANGBASE", 50},
                             {u"ANGDIR", 70},   {u"LIMMIN", 10},   {u"LIMMAX", 10},    {u"UCSORG", 10},
                             {u"UCSXDIR", 10},  {u"UCSYDIR", 10},  {u"REGENMODE", 70}, {u"CELTSCALE", 40},
                             {u"PROXYGRAPHICS", 70}};
  auto writeValue = [&](const std::u16string& name, int code, const db::VarValue& value) {
    out.str(9, u"$" + name);
    switch (value.type) {
      case RTSTR: out.str(code, value.text); break;
      case RTREAL: out.put(code, real(value.real)); break;
      case RTPOINT: out.point(code, value.point, 2); break;
      case RT3DPOINT: out.point(code, value.point); break;
      default: out.integer(code, value.integer); break;
    }
  };
  // The file's variables in its order: the ones the drawing holds with their value now,
  // the others as they were read; then the drawing's own that the file did not have.
  std::set<std::u16string> written{u"ACADVER", u"DWGCODEPAGE", u"HANDSEED"};
  for (const auto& [name, tags] : d->fileHeader) {
    if (!written.insert(name).second || tags.empty()) continue;
    if (const db::VarValue* value = d->var(name); value && db::holdsGroupKind(value->type, tags.front().kind)) {
      writeValue(name, tags.front().code, *value);
      continue;
    }
    out.str(9, u"$" + name);
    for (const Tag& t : tags) out.tag(t);
  }
  for (const Var& v : vars) {
    const db::VarValue* value = d->var(v.name);
    if (value && written.insert(v.name).second) writeValue(v.name, v.code, *value);
  }
  out.str(0, u"ENDSEC");
}

void writeClasses(Out& out, AcDbDatabase::Impl* d) {
  std::map<const AcRxClass*, int> used;
  for (const auto& s : d->stubs)
    if (s->object && !s->object->isErased() && !db::isBuiltinClass(s->object->isA())) ++used[s->object->isA()];
  out.str(0, u"SECTION");
  out.str(2, u"CLASSES");
  for (const auto& [cls, count] : used) {
    out.str(0, u"CLASS");
    out.str(1, cls->dxfName());
    out.str(2, cls->name());
    out.str(3, cls->appName());
    out.integer(90, cls->proxyFlags());
    out.integer(91, count);
    out.integer(280, 0);
    out.integer(281, cls->isDerivedFrom(AcDbEntity::desc()) ? 1 : 0);
  }
  // The file's classes that the drawing does not define itself, as they were read.
  for (const auto& tags : d->fileClasses) {
    const auto name = std::find_if(tags.begin(), tags.end(), [](const Tag& t) { return t.code == 1; });
    const bool ours = name != tags.end() && std::any_of(used.begin(), used.end(), [&](const auto& u) {
      return name->str == u.first->dxfName();
    });
    if (ours) continue;
    out.str(0, u"CLASS");
    for (const Tag& t : tags) out.tag(t);
  }
  out.str(0, u"ENDSEC");
}

void writeTable(Out& out, AcDbDatabase::Impl* d, AcDbObjectId tableId, const char16_t* name) {
  auto* table = AcDbSymbolTable::cast(d->peek(tableId));
  if (!table) return;
  out.str(0, u"TABLE");
  out.str(2, name);
  out.handle(5, tableId.handle());
  if (!table->extensionDictionary().isNull() && table->extensionDictionary().isValid()) {
    out.str(102, u"{ACAD_XDICTIONARY");
    out.id(360, table->extensionDictionary());
    out.str(102, u"}");
  }
  out.put(330, "0");
  db::TagFiler f(d->self);
  table->dxfOutFields(&f);
  for (const Tag& t : f.tags()) out.tag(t);
  const bool dim = std::u16string_view(name) == u"DIMSTYLE";
  if (dim) {
    out.str(100, u"AcDbDimStyleTable");
    out.integer(71, 0);
  }
  for (const auto& id : table->recordIds()) {
    AcDbObject* rec = d->peek(id);
    if (rec && !rec->isErased()) writeObject(out, rec, dim ? 105 : 5);
  }
  out.str(0, u"ENDTAB");
}

void writeBlocks(Out& out, AcDbDatabase::Impl* d) {
  auto* table = AcDbSymbolTable::cast(d->peek(d->blockTable));
  out.str(0, u"SECTION");
  out.str(2, u"BLOCKS");
  for (const auto& id : table->recordIds()) {
    auto* btr = AcDbBlockTableRecord::cast(d->peek(id));
    if (!btr || btr->isErased()) continue;
    const bool paper = id == d->paperSpace;
    out.str(0, u"BLOCK");
    out.handle(5, btr->beginHandle());
    out.id(330, id);
    out.str(100, u"AcDbEntity");
    if (paper) out.integer(67, 1);
    out.str(8, btr->beginLayer());
    out.str(100, u"AcDbBlockBegin");
    out.str(2, btr->nameConst());
    out.integer(70, btr->flags());
    out.point(10, btr->origin());
    out.str(3, btr->nameConst());
    out.str(1, btr->pathName());
    if (btr->comments()[0]) out.str(4, btr->comments());
    // The two current spaces' entities go into ENTITIES; other layouts keep theirs here.
    if (id != d->modelSpace && id != d->paperSpace)
      for (const auto& e : btr->entityIds()) writeEntity(out, d, e);
    out.str(0, u"ENDBLK");
    out.handle(5, btr->endHandle());
    out.id(330, id);
    out.str(100, u"AcDbEntity");
    if (paper) out.integer(67, 1);
    out.str(8, btr->beginLayer());
    out.str(100, u"AcDbBlockEnd");
  }
  out.str(0, u"ENDSEC");
}

bool isTableObject(AcDbDatabase::Impl* d, const AcDbObject* o) {
  return AcDbSymbolTable::cast(o) || AcDbSymbolTableRecord::cast(o);
}

void writeDrawing(Out& out, AcDbDatabase* db) {
  auto* d = db->impl();
  out.str(999, u"Written by the headless drafting host");
  writeHeader(out, d);
  writeClasses(out, d);
  out.str(0, u"SECTION");
  out.str(2, u"TABLES");
  writeTable(out, d, d->viewportTable, u"VPORT");
  writeTable(out, d, d->linetypeTable, u"LTYPE");
  writeTable(out, d, d->layerTable, u"LAYER");
  writeTable(out, d, d->textStyleTable, u"STYLE");
  writeTable(out, d, d->viewTable, u"VIEW");
  writeTable(out, d, d->ucsTable, u"UCS");
  writeTable(out, d, d->regAppTable, u"APPID");
  writeTable(out, d, d->dimStyleTable, u"DIMSTYLE");
  writeTable(out, d, d->blockTable, u"BLOCK_RECORD");
  out.str(0, u"ENDSEC");
  writeBlocks(out, d);
  out.str(0, u"SECTION");
  out.str(2, u"ENTITIES");
  {
    // The bulk of a drawing: walked here, formatted beside.
    FormattingAhead ahead(out);
    Recorder rec(ahead);
    for (AcDbObjectId space : {d->modelSpace, d->paperSpace})
      if (auto* btr = AcDbBlockTableRecord::cast(d->peek(space)))
        for (const auto& e : btr->entityIds()) writeEntity(rec, d, e);
    rec.flush();
    ahead.finish();
  }
  out.str(0, u"ENDSEC");
  out.str(0, u"SECTION");
  out.str(2, u"OBJECTS");
  // The root dictionary comes first; then every other object in creation order.
  if (AcDbObject* root = d->peek(d->namedDict)) writeObject(out, root);
  // By index: filing an object's kept groups may add stubs for handles they name.
  for (size_t i = 0; i < d->stubs.size(); ++i) {
    AcDbObject* o = d->stubs[i]->object;
    if (!o || o->isErased() || o->objectId() == d->namedDict || AcDbEntity::cast(o) || isTableObject(d, o)) continue;
    writeObject(out, o);
  }
  out.str(0, u"ENDSEC");
  out.str(0, u"EOF");
  out.flush();
}

}  // namespace

std::string write(AcDbDatabase* db) {
  Out out;
  // Room for the whole file at once: growing would copy it and hold two copies. Pages
  // reserved and never written take no memory.
  out.buf.reserve((1 << 20) + db->impl()->stubs.size() * 512);
  writeDrawing(out, db);
  return out.buf;
}

Acad::ErrorStatus writeFile(AcDbDatabase* db, const std::string& path, std::u16string& error) {
  std::string why;
  // Written a piece at a time: a large drawing is never held twice, as objects and as text.
  auto produce = [db](const qd::files::ByteSink& sink) {
    Out out(&sink);
    out.buf.reserve(2 * Out::kPiece);
    writeDrawing(out, db);
  };
  if (!qd::files::replaceFile(path, produce, why)) {
    error = qd::text::fromUtf8(why);
    return Acad::eFileAccessErr;
  }
  nameDrawing(db, path);
  return Acad::eOk;
}

}  // namespace qd::dxf

Acad::ErrorStatus AcDbDatabase::dxfOut(const ACHAR* fileName, int) {
  if (!fileName) return Acad::eInvalidInput;
  return qd::dxf::writeFile(this, qd::text::toUtf8(fileName), m_impl->lastError);
}
