// The host commands modules send: UNDO, -LAYER, UCS, ZOOM, MOVE, MIRROR,
// -GROUP, -INSERT, QSAVE, and variables typed as commands.
#include "headless/commands/host_commands.h"

#include <cmath>

#include "headless/ads/resbuf_util.h"
#include "headless/db/database_impl.h"
#include "headless/dxf/dxf.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {

std::u16string option(std::u16string s) {
  s = qd::text::toUpper(s);
  while (!s.empty() && (s[0] == u'_' || s[0] == u'.')) s.erase(0, 1);
  return s;
}
bool is(const std::u16string& typed, const std::u16string& keyword, size_t min) {
  return typed.size() >= min && typed.size() <= keyword.size() && keyword.compare(0, typed.size(), typed) == 0;
}

void say(const std::u16string& text) { qd::ui::Console::get().write(text + u"\n"); }

std::vector<AcDbLayerTableRecord*> layersMatching(AcDbDatabase* db, const std::u16string& mask) {
  std::vector<AcDbLayerTableRecord*> out;
  auto* d = db->impl();
  auto* table = AcDbSymbolTable::cast(d->peek(d->layerTable));
  for (const auto& id : AcDbSymbolTableAccess::records(table)) {
    auto* rec = AcDbLayerTableRecord::cast(d->peek(id));
    if (rec && !rec->isErased() && acutWcMatch(rec->nameConst(), mask.c_str()) == RTNORM) out.push_back(rec);
  }
  return out;
}

AcDbExtents modelExtents(AcDbDatabase* db) {
  AcDbExtents ext;
  auto* d = db->impl();
  if (auto* ms = AcDbBlockTableRecord::cast(d->peek(d->modelSpace)))
    for (const auto& id : ms->entityIds()) {
      auto* e = AcDbEntity::cast(d->peek(id));
      AcDbExtents one;
      if (e && !e->isErased() && e->getGeomExtents(one) == Acad::eOk && one.isValid()) ext.addExt(one);
    }
  return ext;
}

namespace {

using qd::ui::Console;

// ---- UNDO ----
int undo(AcDbDatabase* db, Args& args) {
  std::u16string o;
  if (!args.text(u"Enter the number of operations to undo or [Auto/Control/BEgin/End/Mark/Back] <1>: ", o))
    return RTCAN;
  o = option(o);
  auto* d = db->impl();
  if (is(o, u"MARK", 1) || is(o, u"BEGIN", 2)) {
    d->undoMark();
  } else if (is(o, u"BACK", 1)) {
    if (!d->undoBack()) say(u"Everything has been undone");
  } else if (is(o, u"END", 1) || is(o, u"AUTO", 1) || is(o, u"CONTROL", 1)) {
    if (!is(o, u"END", 1)) args.text(u"", o);  // the sub-option
  } else {
    const int n = o.empty() ? 1 : std::atoi(qd::text::toUtf8(o).c_str());
    for (int i = 0; i < n; ++i)
      if (!d->undoBack()) break;
  }
  return RTNORM;
}

// ---- -LAYER ----
template <class Change>
void changeLayers(AcDbDatabase* db, const std::u16string& mask, Change change) {
  for (AcDbLayerTableRecord* rec : layersMatching(db, mask)) {
    AcDbLayerTableRecord* open = nullptr;
    if (acdbOpenObject(open, rec->objectId(), AcDb::kForWrite) != Acad::eOk) continue;
    change(open);
    open->close();
  }
}

bool makeLayer(AcDbDatabase* db, const std::u16string& name) {
  auto* d = db->impl();
  if (!d->recordId(d->layerTable, name).isNull()) return true;
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return false;
  auto* rec = new AcDbLayerTableRecord();
  const bool ok = rec->setName(name.c_str()) == Acad::eOk && table->add(rec) == Acad::eOk;
  if (ok) rec->close();
  else delete rec;
  table->close();
  if (!ok) say(u"Invalid layer name.");
  return ok;
}

bool setCurrentLayer(const std::u16string& name) {
  resbuf rb{};
  rb.restype = RTSTR;
  rb.resval.rstring = const_cast<ACHAR*>(name.c_str());
  if (acedSetVar(u"CLAYER", &rb) == RTNORM) return true;
  say(u"Cannot find layer \"" + name + u"\".");
  return false;
}

int layer(AcDbDatabase* db, Args& args) {
  const std::u16string prompt =
      u"Enter an option [?/Make/Set/New/ON/OFF/Color/Ltype/Freeze/Thaw/LOck/Unlock]: ";
  for (;;) {
    std::u16string o;
    if (!args.text(prompt, o)) return RTCAN;
    o = option(o);
    if (o.empty()) return RTNORM;
    std::u16string value;
    auto need = [&](const char16_t* p) { return args.text(p, value); };
    const std::u16string current = db->impl()->varText(u"CLAYER");
    if (o == u"?") {
      if (!need(u"Enter layer name(s) to list <*>: ")) return RTCAN;
      for (auto* rec : layersMatching(db, value.empty() ? u"*" : value)) say(rec->nameConst());
    } else if (is(o, u"MAKE", 1)) {
      if (!need(u"Enter name for new layer (becomes the current layer): ")) return RTCAN;
      if (makeLayer(db, value)) setCurrentLayer(value);
    } else if (is(o, u"SET", 1)) {
      if (!need(u"Enter layer name to make current or <select object>: ")) return RTCAN;
      setCurrentLayer(value);
    } else if (is(o, u"NEW", 1)) {
      if (!need(u"Enter name list for new layer(s): ")) return RTCAN;
      size_t start = 0;
      for (;;) {
        const size_t comma = value.find(u',', start);
        const std::u16string name = value.substr(start, comma - start);
        if (!name.empty()) makeLayer(db, name);
        if (comma == std::u16string::npos) break;
        start = comma + 1;
      }
    } else if (o == u"ON" || o == u"OFF") {
      if (!need(u"Enter name list of layer(s) to turn on or off: ")) return RTCAN;
      changeLayers(db, value, [&](AcDbLayerTableRecord* r) { r->setIsOff(o == u"OFF"); });
    } else if (is(o, u"COLOR", 1)) {
      std::u16string color;
      if (!args.text(u"Enter color name or number (1-255): ", color)) return RTCAN;
      // As in the host, Enter names the current layer.
      if (!need((u"Enter name list of layer(s) for color " + color + u" <" + current + u">: ").c_str())) return RTCAN;
      if (value.empty()) value = current;
      int index = std::atoi(qd::text::toUtf8(color).c_str());
      static const char16_t* names[] = {u"", u"RED", u"YELLOW", u"GREEN", u"CYAN", u"BLUE", u"MAGENTA", u"WHITE"};
      for (int i = 1; i < 8; ++i)
        if (qd::text::toUpper(color) == names[i]) index = i;
      if (index < 1 || index > 255) {
        say(u"Invalid color.");
        continue;
      }
      changeLayers(db, value, [&](AcDbLayerTableRecord* r) { r->setColorIndex(static_cast<int16_t>(index)); });
    } else if (is(o, u"LTYPE", 1) && !is(o, u"LOCK", 2)) {
      std::u16string lt;
      if (!args.text(u"Enter a loaded linetype name or [?] <Continuous>: ", lt)) return RTCAN;
      if (!need((u"Enter name list of layer(s) for linetype \"" + (lt.empty() ? u"Continuous" : lt) + u"\" <" + current +
                 u">: ").c_str()))
        return RTCAN;
      if (value.empty()) value = current;
      auto* d = db->impl();
      const AcDbObjectId ltId = d->recordId(d->linetypeTable, lt.empty() ? u"Continuous" : lt);
      if (ltId.isNull()) {
        say(u"Linetype " + lt + u" not found.");
        continue;
      }
      changeLayers(db, value, [&](AcDbLayerTableRecord* r) { r->setLinetypeObjectId(ltId); });
    } else if (is(o, u"FREEZE", 1)) {
      if (!need(u"Enter name list of layer(s) to freeze: ")) return RTCAN;
      changeLayers(db, value, [&](AcDbLayerTableRecord* r) {
        if (qd::text::toUpper(r->nameConst()) == qd::text::toUpper(current))
          say(u"Cannot freeze layer \"" + current + u"\".  It is the CURRENT layer.");
        else
          r->setIsFrozen(true);
      });
    } else if (is(o, u"THAW", 1)) {
      if (!need(u"Enter name list of layer(s) to thaw: ")) return RTCAN;
      changeLayers(db, value, [](AcDbLayerTableRecord* r) { r->setIsFrozen(false); });
    } else if (is(o, u"LOCK", 2)) {
      if (!need(u"Enter name list of layer(s) to lock: ")) return RTCAN;
      changeLayers(db, value, [](AcDbLayerTableRecord* r) { r->setIsLocked(true); });
    } else if (is(o, u"UNLOCK", 1)) {
      if (!need(u"Enter name list of layer(s) to unlock: ")) return RTCAN;
      changeLayers(db, value, [](AcDbLayerTableRecord* r) { r->setIsLocked(false); });
    } else {
      say(u"Invalid option keyword.");
    }
  }
}

// ---- UCS ----
void setUcs(AcDbDatabase* db, const std::u16string& name, const AcGePoint3d& org, const AcGeVector3d& x,
            const AcGeVector3d& y) {
  auto* d = db->impl();
  auto point = [](const AcGePoint3d& p) {
    qd::db::VarValue v;
    v.type = RT3DPOINT;
    v.point = p;
    return v;
  };
  d->setVar(u"UCSORG", point(org));
  d->setVar(u"UCSXDIR", point(AcGePoint3d(x.x, x.y, x.z)));
  d->setVar(u"UCSYDIR", point(AcGePoint3d(y.x, y.y, y.z)));
  qd::db::VarValue n;
  n.type = RTSTR;
  n.text = name;
  d->setVar(u"UCSNAME", n);
}

int ucs(AcDbDatabase* db, Args& args) {
  std::u16string o;
  if (!args.text(u"Enter an option [New/Move/orthoGraphic/Prev/Restore/Save/Del/Apply/?/World] <World>: ", o))
    return RTCAN;
  o = option(o);
  if (o.empty() || is(o, u"WORLD", 1)) {
    setUcs(db, u"", AcGePoint3d(), AcGeVector3d::kXAxis, AcGeVector3d::kYAxis);
    return RTNORM;
  }
  if (is(o, u"RESTORE", 1)) {
    std::u16string name;
    if (!args.text(u"Enter name of UCS to restore or [?]: ", name)) return RTCAN;
    auto* d = db->impl();
    auto* rec = AcDbUCSTableRecord::cast(d->peek(d->recordId(d->ucsTable, name)));
    if (!rec) {
      say(u"Cannot find UCS " + name + u".");
      return RTNORM;
    }
    setUcs(db, rec->nameConst(), rec->origin(), rec->xAxis(), rec->yAxis());
    return RTNORM;
  }
  if (is(o, u"SAVE", 1)) {
    std::u16string name;
    if (!args.text(u"Enter name to save current UCS or [?]: ", name)) return RTCAN;
    auto* d = db->impl();
    AcDbUCSTable* table = nullptr;
    if (db->getUCSTable(table, AcDb::kForWrite) != Acad::eOk) return RTERROR;
    auto* rec = new AcDbUCSTableRecord();
    rec->setName(name.c_str());
    const auto* org = d->var(u"UCSORG");
    const auto* xd = d->var(u"UCSXDIR");
    const auto* yd = d->var(u"UCSYDIR");
    if (org) rec->setOrigin(org->point);
    if (xd) rec->setXAxis(xd->point.asVector());
    if (yd) rec->setYAxis(yd->point.asVector());
    if (table->add(rec) != Acad::eOk) delete rec;
    else rec->close();
    table->close();
    return RTNORM;
  }
  say(u"Option not supported here: " + o);
  return RTNORM;
}

// ---- ZOOM ----
void setView(AcDbDatabase* db, const AcGePoint3d& center, double height) {
  auto* d = db->impl();
  qd::db::VarValue c;
  c.type = RT3DPOINT;
  c.point = center;
  d->vars[u"VIEWCTR"] = c;
  if (height > 0) {
    qd::db::VarValue h;
    h.type = RTREAL;
    h.real = height;
    d->vars[u"VIEWSIZE"] = h;
  }
}

int zoom(AcDbDatabase* db, Args& args) {
  std::u16string o;
  if (!args.text(u"Specify corner of window, enter a scale factor (nX or nXP), or\n"
                 u"[All/Center/Dynamic/Extents/Previous/Scale/Window/Object] <real time>: ",
                 o))
    return RTCAN;
  o = option(o);
  if (is(o, u"EXTENTS", 1) || is(o, u"ALL", 1)) {
    const AcDbExtents ext = modelExtents(db);
    if (ext.isValid())
      setView(db, ext.minPoint() + (ext.maxPoint() - ext.minPoint()) * 0.5,
              std::max(ext.maxPoint().y - ext.minPoint().y, (ext.maxPoint().x - ext.minPoint().x) / 1.5) * 1.05);
  } else if (is(o, u"WINDOW", 1)) {
    AcGePoint3d a, b;
    if (!args.point(u"Specify first corner: ", a) || !args.point(u"Specify opposite corner: ", b)) return RTCAN;
    setView(db, a + (b - a) * 0.5, std::max(std::fabs(b.y - a.y), std::fabs(b.x - a.x) / 1.5));
  } else if (is(o, u"CENTER", 1)) {
    AcGePoint3d c;
    double h = 0;
    if (!args.point(u"Specify center point: ", c) || !args.real(u"Enter magnification or height: ", h)) return RTCAN;
    setView(db, c, h);
  } else if (is(o, u"PREVIOUS", 1) || o.empty()) {
    // No view history in a headless session.
  } else {
    const std::string s = qd::text::toUtf8(o);
    const double factor = std::atof(s.c_str());
    if (factor > 0) setView(db, db->impl()->var(u"VIEWCTR")->point, db->impl()->varReal(u"VIEWSIZE", 297) / factor);
  }
  return RTNORM;
}

// ---- MOVE and MIRROR ----
int transformObjects(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& m) {
  for (const auto& id : ids) {
    AcDbEntity* e = nullptr;
    if (acdbOpenObject(e, id, AcDb::kForWrite) != Acad::eOk) continue;
    e->transformBy(m);
    e->close();
  }
  return RTNORM;
}

int move(AcDbDatabase*, Args& args) {
  std::vector<AcDbObjectId> ids;
  if (!args.objects(ids)) return RTCAN;
  AcGePoint3d base, to;
  if (!args.point(u"Specify base point or [Displacement] <Displacement>: ", base)) return RTCAN;
  if (!args.point(u"Specify second point or <use first point as displacement>: ", to)) return RTCAN;
  return transformObjects(ids, AcGeMatrix3d::translation(to - base));
}

int mirror(AcDbDatabase* db, Args& args) {
  std::vector<AcDbObjectId> ids;
  if (!args.objects(ids)) return RTCAN;
  AcGePoint3d a, b;
  std::u16string erase;
  if (!args.point(u"Specify first point of mirror line: ", a) || !args.point(u"Specify second point of mirror line: ", b) ||
      !args.text(u"Erase source objects? [Yes/No] <N>: ", erase))
    return RTCAN;
  const AcGeMatrix3d m = AcGeMatrix3d::mirroring2d(a, b);
  const bool mirrorText = db->impl()->varInt(u"MIRRTEXT", 0) != 0;
  const bool keepSource = !is(option(erase), u"YES", 1);
  for (const auto& id : ids) {
    AcDbEntity* e = nullptr;
    if (acdbOpenObject(e, id, AcDb::kForWrite) != Acad::eOk) continue;
    AcDbEntity* target = e;
    if (keepSource) {
      target = AcDbEntity::cast(e->clone());
      if (!target) {
        e->close();
        continue;
      }
    }
    target->transformBy(m);
    // Texts stay readable when mirrored; with MIRRTEXT 1 they are drawn backwards.
    if (auto* t = AcDbText::cast(target); t && mirrorText) t->mirrorInX(!t->isMirroredInX());
    if (keepSource) {
      AcDbBlockTableRecord* owner = nullptr;
      if (acdbOpenObject(owner, e->ownerId(), AcDb::kForWrite) == Acad::eOk) {
        owner->appendAcDbEntity(target);
        target->close();
        owner->close();
      } else {
        delete target;
      }
    }
    e->close();
  }
  return RTNORM;
}

// ---- -GROUP ----
int group(AcDbDatabase* db, Args& args) {
  std::u16string o;
  if (!args.text(u"Enter a group option [?/Order/Add/Remove/Explode/REName/Selectable/Create] <Create>: ", o))
    return RTCAN;
  o = option(o);
  if (!o.empty() && !is(o, u"CREATE", 1)) {
    say(u"Option not supported here: " + o);
    return RTNORM;
  }
  std::u16string name, description;
  if (!args.text(u"Enter a group name or [?]: ", name)) return RTCAN;
  if (!args.text(u"Enter a group description: ", description)) return RTCAN;
  std::vector<AcDbObjectId> ids;
  if (!args.objects(ids)) return RTCAN;
  AcDbDictionary* groups = nullptr;
  if (db->getGroupDictionary(groups, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  const bool anonymous = name.empty() || name == u"*";
  auto* g = new AcDbGroup(description.c_str(), !anonymous);
  if (anonymous) g->setAnonymous();
  AcDbObjectId gid;
  if (groups->setAt(anonymous ? u"*" : name.c_str(), g, gid) != Acad::eOk) {
    delete g;
    groups->close();
    say(u"A group with that name already exists.");
    return RTNORM;
  }
  for (const auto& id : ids) g->append(id);
  g->close();
  groups->close();
  return RTNORM;
}

// ---- QSAVE ----
int qsave(AcDbDatabase* db, Args&) {
  auto& hook = saveHook();
  return hook ? hook(db) : RTERROR;
}

// ---- NEW and OPEN ----
int newDrawing(AcDbDatabase*, Args&) {
  auto& hook = openHook();
  return hook ? hook("") : RTERROR;
}

int openDrawing(AcDbDatabase*, Args& args) {
  std::u16string path;
  if (!args.text(u"Enter name of drawing to open: ", path)) return RTCAN;
  if (path.empty()) return RTNORM;
  ACHAR found[1024];
  if (acedFindFile(path.c_str(), found, 1024) != RTNORM) {
    say(u"\"" + path + u"\": Can't find file.");
    return RTERROR;
  }
  auto& hook = openHook();
  return hook ? hook(qd::text::toUtf8(found)) : RTERROR;
}

}  // namespace

const std::map<std::u16string, Command>& hostCommands() {
  static const std::map<std::u16string, Command> table = {
      {u"UNDO", undo},       {u"-LAYER", layer}, {u"VPLAYER", vplayer}, {u"MVIEW", mview}, {u"MSPACE", mspace}, {u"PSPACE", pspace},
      {u"UCS", ucs},   {u"ZOOM", zoom},
      {u"MOVE", move},       {u"MIRROR", mirror}, {u"-GROUP", group},   {u"QSAVE", qsave},
      {u"-INSERT", insert},  {u"DDSTYLE", ddstyle}, {u"STYLE", ddstyle},     {u"DDLTYPE", ddltype},
      {u"LINETYPE", ddltype}, {u"NEW", newDrawing}, {u"OPEN", openDrawing},
      {u"-EXPORTTOAUTOCAD", exportToAutocad},
  };
  return table;
}

}  // namespace qd::commands
