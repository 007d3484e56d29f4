// The commands of paper-space viewports: MVIEW makes them, MSPACE and PSPACE move
// between a viewport's model space and the sheet, VPLAYER freezes layers in some
// viewports only.
#include <algorithm>
#include <cmath>
#include <set>

#include "headless/commands/host_commands.h"
#include "headless/db/database_impl.h"
#include "headless/db/viewports.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {
namespace {

constexpr const char16_t* kModelTab = u"** Command not allowed in Model Tab **";
constexpr const char16_t* kNeedLayout = u"** Command not allowed unless TILEMODE is set to 0 **";

bool onModelTab(AcDbDatabase* db) { return db->impl()->varInt(u"TILEMODE", 1) != 0; }

void setCurrentViewportNumber(AcDbDatabase* db, int number) {
  qd::db::VarValue v;
  v.type = RTSHORT;
  v.integer = number;
  db->impl()->setVar(u"CVPORT", v);
}

// The viewports a VPLAYER change goes to, as the user chooses them.
bool chooseViewports(AcDbDatabase* db, Args& args, std::vector<AcDbObjectId>& out) {
  const AcDbObjectId current = qd::db::currentViewport(db);
  const std::u16string prompt = current.isNull() ? u"Enter an option [All/Select] <Select>: "
                                                 : u"Enter an option [All/Select/Current/Except current] <Current>: ";
  std::u16string scope;
  if (!args.text(prompt, scope)) return false;
  scope = option(scope);
  const std::vector<AcDbObjectId> all = qd::db::floatingViewports(db);
  if (is(scope, u"ALL", 1) || scope == u"*") {  // "*" as the manager's preview sends it
    out = all;
  } else if (!current.isNull() && (scope.empty() || is(scope, u"CURRENT", 1))) {
    out = {current};
  } else if (!current.isNull() && is(scope, u"EXCEPT", 1)) {
    std::copy_if(all.begin(), all.end(), std::back_inserter(out), [&](const AcDbObjectId& id) { return id != current; });
  } else if (scope.empty() || is(scope, u"SELECT", 1)) {
    std::vector<AcDbObjectId> picked;
    if (!args.objects(picked)) return false;
    std::copy_if(picked.begin(), picked.end(), std::back_inserter(out),
                 [&](const AcDbObjectId& id) { return std::find(all.begin(), all.end(), id) != all.end(); });
    if (out.empty()) say(u"No viewports selected.");
  } else {
    say(u"Invalid option keyword.");
  }
  return true;
}

enum class LayerChange { Freeze, Thaw, Reset };

void changeInViewports(AcDbDatabase* db, const std::vector<AcDbObjectId>& viewports,
                       const std::vector<AcDbLayerTableRecord*>& layers, LayerChange change) {
  for (const AcDbObjectId& id : viewports) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenObject(ent, id, AcDb::kForWrite) != Acad::eOk) continue;
    if (auto* vp = qd::db::asViewport(ent)) {
      std::vector<AcDbObjectId> frozen = qd::db::viewportFrozenLayers(vp);
      for (AcDbLayerTableRecord* layer : layers) {
        const AcDbObjectId lid = layer->objectId();
        const bool freeze = change == LayerChange::Freeze || (change == LayerChange::Reset && layer->VPDFLT());
        auto at = std::find(frozen.begin(), frozen.end(), lid);
        if (freeze && at == frozen.end()) frozen.push_back(lid);
        if (!freeze && at != frozen.end()) frozen.erase(at);
      }
      qd::db::setViewportFrozenLayers(vp, frozen);
    }
    ent->close();
  }
}

void listFrozen(AcDbDatabase* db, Args& args) {
  std::vector<AcDbObjectId> picked;
  if (!args.objects(picked)) return;
  auto* d = db->impl();
  for (const AcDbObjectId& id : picked) {
    auto* vp = qd::db::asViewport(d->peek(id));
    if (!vp) continue;
    say(u"Layers currently frozen in viewport " + qd::text::fromUtf8(std::to_string(qd::db::viewportNumber(vp))) + u":");
    for (const AcDbObjectId& layer : qd::db::viewportFrozenLayers(vp))
      if (auto* rec = AcDbLayerTableRecord::cast(d->peek(layer))) say(u"    " + std::u16string(rec->nameConst()));
  }
}

// New layers frozen in every viewport there is and in those made later.
void newFrozenLayers(AcDbDatabase* db, const std::u16string& names) {
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return;
  std::vector<AcDbLayerTableRecord*> made;
  size_t start = 0;
  for (;;) {
    const size_t comma = names.find(u',', start);
    const std::u16string name = names.substr(start, comma - start);
    auto* d = db->impl();
    if (!name.empty() && d->recordId(d->layerTable, name).isNull()) {
      auto* rec = new AcDbLayerTableRecord();
      rec->setVPDFLT(true);
      if (rec->setName(name.c_str()) == Acad::eOk && table->add(rec) == Acad::eOk) {
        made.push_back(rec);
        rec->close();
      } else {
        delete rec;
        say(u"Invalid layer name: " + name);
      }
    } else if (!name.empty()) {
      say(u"Layer \"" + name + u"\" already exists.");
    }
    if (comma == std::u16string::npos) break;
    start = comma + 1;
  }
  table->close();
  changeInViewports(db, qd::db::floatingViewports(db), made, LayerChange::Freeze);
}

void setDefaultVisibility(AcDbDatabase* db, const std::u16string& names, bool frozen) {
  for (AcDbLayerTableRecord* rec : layersMatching(db, names)) {
    AcDbLayerTableRecord* open = nullptr;
    if (acdbOpenObject(open, rec->objectId(), AcDb::kForWrite) != Acad::eOk) continue;
    open->setVPDFLT(frozen);
    open->close();
  }
}

}  // namespace

int vplayer(AcDbDatabase* db, Args& args) {
  // On the Model tab the options are read and nothing changes, as the host does there.
  const bool model = onModelTab(db);
  for (;;) {
    std::u16string o;
    if (!args.text(u"Enter an option [?/Freeze/Thaw/Reset/Newfrz/Vpvisdflt]: ", o)) return RTCAN;
    o = option(o);
    if (o.empty()) break;
    if (o == u"?") {
      if (!model) listFrozen(db, args);
      else if (std::vector<AcDbObjectId> ignored; !args.objects(ignored)) return RTCAN;
      continue;
    }
    LayerChange change = LayerChange::Freeze;
    std::u16string prompt;
    if (is(o, u"FREEZE", 1)) {
      prompt = u"Enter layer name(s) to freeze or <select objects>: ";
    } else if (is(o, u"THAW", 1)) {
      change = LayerChange::Thaw;
      prompt = u"Enter layer name(s) to thaw or <select objects>: ";
    } else if (is(o, u"RESET", 1)) {
      change = LayerChange::Reset;
      prompt = u"Enter layer name(s) to reset or <select objects>: ";
    } else if (is(o, u"NEWFRZ", 1)) {
      std::u16string names;
      if (!args.text(u"Enter name(s) of new layers frozen in all viewports: ", names)) return RTCAN;
      if (!model) newFrozenLayers(db, names);
      continue;
    } else if (is(o, u"VPVISDFLT", 1)) {
      std::u16string names, visibility;
      if (!args.text(u"Enter layer name(s) to change viewport default visibility: ", names) ||
          !args.text(u"Enter a default viewport visibility option [Frozen/Thawed] <Thawed>: ", visibility))
        return RTCAN;
      if (!model) setDefaultVisibility(db, names, is(option(visibility), u"FROZEN", 1));
      continue;
    } else {
      say(u"Invalid option keyword.");
      continue;
    }
    std::u16string names;
    if (!args.text(prompt, names)) return RTCAN;
    if (model) {
      std::u16string scope;
      if (!args.text(u"Enter an option [All/Select/Current] <Current>: ", scope)) return RTCAN;
      continue;
    }
    std::vector<AcDbObjectId> viewports;
    if (!chooseViewports(db, args, viewports)) return RTCAN;
    const auto layers = layersMatching(db, names);
    if (layers.empty()) say(u"No matching layer names found.");
    changeInViewports(db, viewports, layers, change);
  }
  if (model) say(kModelTab);
  return RTNORM;
}

int mview(AcDbDatabase* db, Args& args) {
  if (onModelTab(db)) {
    say(kModelTab);
    return RTNORM;
  }
  AcGePoint3d a, b;
  std::u16string word;
  bool isPoint = false;
  if (!args.pointOrWord(u"Specify corner of viewport or [ON/OFF/Fit/Lock/Restore/2/3/4] <Fit>: ", a, word, isPoint))
    return RTCAN;
  auto* d = db->impl();
  if (isPoint) {
    if (!args.point(u"Specify opposite corner: ", b)) return RTCAN;
  } else if (word.empty() || is(option(word), u"FIT", 1)) {
    a = d->var(u"LIMMIN") ? d->var(u"LIMMIN")->point : AcGePoint3d(0, 0, 0);
    b = d->var(u"LIMMAX") ? d->var(u"LIMMAX")->point : AcGePoint3d(420, 297, 0);
  } else {
    say(u"Option not supported here: " + option(word));
    return RTNORM;
  }
  qd::db::ViewportFrame frame;
  frame.width = std::fabs(b.x - a.x);
  frame.height = std::fabs(b.y - a.y);
  if (frame.width <= 0 || frame.height <= 0) {
    say(u"Invalid window specification.");
    return RTERROR;
  }
  frame.center = AcGePoint3d((a.x + b.x) / 2, (a.y + b.y) / 2, 0);
  // The viewport shows the whole of model space, as after a zoom to its extents.
  const AcDbExtents ext = modelExtents(db);
  if (ext.isValid()) {
    const AcGePoint3d c = ext.minPoint() + (ext.maxPoint() - ext.minPoint()) * 0.5;
    frame.viewCenter = AcGePoint2d(c.x, c.y);
    const double w = ext.maxPoint().x - ext.minPoint().x, h = ext.maxPoint().y - ext.minPoint().y;
    frame.viewHeight = std::max(h, w * frame.height / frame.width) * 1.05;
    if (frame.viewHeight <= 0) frame.viewHeight = 1;
  }
  if (qd::db::makeViewport(db, frame).isNull()) return RTERROR;
  return RTNORM;
}

int mspace(AcDbDatabase* db, Args&) {
  if (onModelTab(db)) {
    say(kNeedLayout);
    return RTNORM;
  }
  const auto viewports = qd::db::floatingViewports(db);
  if (viewports.empty()) {
    say(u"There are no active model space viewports.");
    return RTNORM;
  }
  if (qd::db::currentViewport(db).isNull())
    setCurrentViewportNumber(db, qd::db::viewportNumber(qd::db::asViewport(db->impl()->peek(viewports.front()))));
  return RTNORM;
}

int pspace(AcDbDatabase* db, Args&) {
  if (onModelTab(db)) say(kNeedLayout);
  else setCurrentViewportNumber(db, 1);
  return RTNORM;
}

}  // namespace qd::commands
