// DDSTYLE and DDLTYPE: the host's text style and linetype dialogs, shown from its own
// DCL file and answered like any dialog.
#include <algorithm>
#include <cmath>
#include <vector>

#include "headless/commands/host_commands.h"
#include "headless/db/database_impl.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {
namespace {

std::vector<std::u16string> recordNames(AcDbDatabase* db, AcDbObjectId table) {
  auto* d = db->impl();
  std::vector<std::u16string> names;
  for (const auto& id : AcDbSymbolTableAccess::records(AcDbSymbolTable::cast(d->peek(table))))
    if (auto* rec = AcDbSymbolTableRecord::cast(d->peek(id)); rec && !rec->isErased()) names.push_back(rec->nameConst());
  return names;
}

void fillList(ads_hdlg dlg, const char16_t* key, const std::vector<std::u16string>& items, size_t selected) {
  ads_start_list(dlg, key, LIST_NEW, 0);
  for (const auto& i : items) ads_add_list(i.c_str());
  ads_end_list();
  ads_set_tile(dlg, key, qd::text::fromUtf8(std::to_string(selected)).c_str());
}

std::u16string number(double v) {
  ACHAR buf[64];
  return acdbRToS(v, 2, 4, buf, 64) == RTNORM ? std::u16string(buf) : std::u16string();
}

size_t indexOf(const std::vector<std::u16string>& names, const std::u16string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (qd::text::toUpper(names[i]) == qd::text::toUpper(name)) return i;
  return 0;
}

// ---- DDSTYLE ----
struct StyleDialog {
  AcDbDatabase* db;
  std::vector<std::u16string> names;
  size_t selected = 0;
};

std::u16string tile(ads_hdlg dlg, const char16_t* key) {
  ACHAR buf[256];
  return ads_get_tile(dlg, key, buf, 256) == RTNORM ? std::u16string(buf) : u"";
}

void showStyle(ads_hdlg dlg, StyleDialog& s) {
  auto* d = s.db->impl();
  auto* rec = AcDbTextStyleTableRecord::cast(d->peek(d->recordId(d->textStyleTable, s.names[s.selected])));
  if (!rec) return;
  const ACHAR* font = nullptr;
  rec->fileName(font);
  ads_set_tile(dlg, u"font", font ? font : u"");
  ads_set_tile(dlg, u"height", number(rec->textSize()).c_str());
  ads_set_tile(dlg, u"width", number(rec->xScale()).c_str());
  ads_set_tile(dlg, u"oblique", number(rec->obliquingAngle() * 180 / M_PI).c_str());
}

bool applyStyle(ads_hdlg dlg, StyleDialog& s) {
  auto* d = s.db->impl();
  AcDbTextStyleTableRecord* rec = nullptr;
  if (acdbOpenObject(rec, d->recordId(d->textStyleTable, s.names[s.selected]), AcDb::kForWrite) != Acad::eOk)
    return false;
  double height = 0, width = 1, oblique = 0;
  const bool ok = acdbDisToF(tile(dlg, u"height").c_str(), 2, &height) == RTNORM && height >= 0 &&
                  acdbDisToF(tile(dlg, u"width").c_str(), 2, &width) == RTNORM && width > 0 &&
                  acdbDisToF(tile(dlg, u"oblique").c_str(), 2, &oblique) == RTNORM && std::fabs(oblique) <= 85;
  if (ok) {
    rec->setFileName(tile(dlg, u"font").c_str());
    rec->setTextSize(height);
    rec->setXScale(width);
    rec->setObliquingAngle(oblique * M_PI / 180);
  }
  rec->close();
  ads_set_tile(dlg, u"error", ok ? u"" : u"Invalid height, width factor or oblique angle.");
  return ok;
}

StyleDialog& styleOf(ads_callback_packet* p) { return *static_cast<StyleDialog*>(p->client_data); }

void onStyleSelect(ads_callback_packet* p) {
  StyleDialog& s = styleOf(p);
  const size_t i = static_cast<size_t>(std::atoi(qd::text::toUtf8(p->value).c_str()));
  if (i < s.names.size()) s.selected = i;
  showStyle(p->dialog, s);
}
void onStyleApply(ads_callback_packet* p) { applyStyle(p->dialog, styleOf(p)); }
void onStyleCurrent(ads_callback_packet* p) {
  StyleDialog& s = styleOf(p);
  resbuf rb{};
  rb.restype = RTSTR;
  rb.resval.rstring = const_cast<ACHAR*>(s.names[s.selected].c_str());
  acedSetVar(u"TEXTSTYLE", &rb);
}
void onStyleNew(ads_callback_packet* p) {
  StyleDialog& s = styleOf(p);
  const std::u16string name = tile(p->dialog, u"name");
  AcDbTextStyleTable* table = nullptr;
  if (name.empty() || s.db->getTextStyleTable(table, AcDb::kForWrite) != Acad::eOk) return;
  auto* rec = new AcDbTextStyleTableRecord();
  const bool ok = rec->setName(name.c_str()) == Acad::eOk && table->add(rec) == Acad::eOk;
  table->close();
  if (!ok) {
    delete rec;
    ads_set_tile(p->dialog, u"error", u"Invalid or duplicate style name.");
    return;
  }
  rec->close();
  s.names = recordNames(s.db, s.db->impl()->textStyleTable);
  s.selected = indexOf(s.names, name);
  fillList(p->dialog, u"styles", s.names, s.selected);
  applyStyle(p->dialog, s);
}
void onStyleOk(ads_callback_packet* p) {
  if (applyStyle(p->dialog, styleOf(p))) ads_done_dialog(p->dialog, DLGOK);
}

int runStyleDialog(AcDbDatabase* db) {
  int id = -1;
  ads_hdlg dlg = nullptr;
  if (ads_load_dialog(u"acad.dcl", &id) != RTNORM) return RTERROR;
  if (ads_new_dialog(u"acad_ddstyle", id, NULLCB, &dlg) != RTNORM || !dlg) {
    ads_unload_dialog(id);
    return RTERROR;
  }
  StyleDialog s{db, recordNames(db, db->impl()->textStyleTable), 0};
  s.selected = indexOf(s.names, db->impl()->varText(u"TEXTSTYLE"));
  fillList(dlg, u"styles", s.names, s.selected);
  showStyle(dlg, s);
  const std::pair<const char16_t*, CLIENTFUNC> actions[] = {{u"styles", onStyleSelect}, {u"apply", onStyleApply},
                                                            {u"current", onStyleCurrent}, {u"new", onStyleNew},
                                                            {u"accept", onStyleOk}};
  for (const auto& [key, fn] : actions) {
    ads_action_tile(dlg, key, fn);
    ads_client_data_tile(dlg, key, &s);
  }
  int status = DLGCANCEL;
  ads_start_dialog(dlg, &status);
  ads_unload_dialog(id);
  return RTNORM;
}

// ---- DDLTYPE ----
struct LinetypeDialog {
  AcDbDatabase* db;
  std::vector<std::u16string> names;
  size_t selected = 0;
};
LinetypeDialog& linetypesOf(ads_callback_packet* p) { return *static_cast<LinetypeDialog*>(p->client_data); }

// The patterns the host can load by name (dash lengths; negative is a gap).
const std::vector<std::pair<std::u16string, std::vector<double>>>& knownPatterns() {
  static const std::vector<std::pair<std::u16string, std::vector<double>>> patterns = {
      {u"DASHED", {12.7, -6.35}}, {u"HIDDEN", {6.35, -3.175}},          {u"CENTER", {31.75, -6.35, 6.35, -6.35}},
      {u"DOT", {0, -6.35}},       {u"DASHDOT", {12.7, -6.35, 0, -6.35}}, {u"PHANTOM", {31.75, -6.35, 6.35, -6.35, 6.35, -6.35}}};
  return patterns;
}

void onLinetypeSelect(ads_callback_packet* p) {
  LinetypeDialog& l = linetypesOf(p);
  const size_t i = static_cast<size_t>(std::atoi(qd::text::toUtf8(p->value).c_str()));
  if (i < l.names.size()) l.selected = i;
}
void onLinetypeCurrent(ads_callback_packet* p) {
  LinetypeDialog& l = linetypesOf(p);
  resbuf rb{};
  rb.restype = RTSTR;
  rb.resval.rstring = const_cast<ACHAR*>(l.names[l.selected].c_str());
  acedSetVar(u"CELTYPE", &rb);
}
void onLinetypeLoad(ads_callback_packet* p) {
  LinetypeDialog& l = linetypesOf(p);
  const std::u16string name = qd::text::toUpper(tile(p->dialog, u"name"));
  const auto& known = knownPatterns();
  auto it = std::find_if(known.begin(), known.end(), [&](const auto& k) { return k.first == name; });
  if (it == known.end()) {
    ads_set_tile(p->dialog, u"error", (u"Linetype " + name + u" is not in the linetype file.").c_str());
    return;
  }
  AcDbLinetypeTable* table = nullptr;
  if (l.db->getLinetypeTable(table, AcDb::kForWrite) != Acad::eOk) return;
  if (!table->has(name.c_str())) {
    auto* rec = new AcDbLinetypeTableRecord();
    rec->setName(name.c_str());
    rec->setComments(name.c_str());
    rec->setNumDashes(static_cast<int>(it->second.size()));
    for (size_t i = 0; i < it->second.size(); ++i) rec->setDashLengthAt(static_cast<int>(i), it->second[i]);
    if (table->add(rec) != Acad::eOk) delete rec;
    else rec->close();
  }
  table->close();
  l.names = recordNames(l.db, l.db->impl()->linetypeTable);
  l.selected = indexOf(l.names, name);
  fillList(p->dialog, u"ltypes", l.names, l.selected);
}

int runLinetypeDialog(AcDbDatabase* db) {
  int id = -1;
  ads_hdlg dlg = nullptr;
  if (ads_load_dialog(u"acad.dcl", &id) != RTNORM) return RTERROR;
  if (ads_new_dialog(u"acad_ddltype", id, NULLCB, &dlg) != RTNORM || !dlg) {
    ads_unload_dialog(id);
    return RTERROR;
  }
  LinetypeDialog l{db, recordNames(db, db->impl()->linetypeTable), 0};
  l.selected = indexOf(l.names, db->impl()->varText(u"CELTYPE"));
  fillList(dlg, u"ltypes", l.names, l.selected);
  const std::pair<const char16_t*, CLIENTFUNC> actions[] = {
      {u"ltypes", onLinetypeSelect}, {u"current", onLinetypeCurrent}, {u"load", onLinetypeLoad}};
  for (const auto& [key, fn] : actions) {
    ads_action_tile(dlg, key, fn);
    ads_client_data_tile(dlg, key, &l);
  }
  int status = DLGCANCEL;
  ads_start_dialog(dlg, &status);
  ads_unload_dialog(id);
  return RTNORM;
}

}  // namespace

int ddstyle(AcDbDatabase* db, Args&) { return runStyleDialog(db); }
int ddltype(AcDbDatabase* db, Args&) { return runLinetypeDialog(db); }

}  // namespace qd::commands
