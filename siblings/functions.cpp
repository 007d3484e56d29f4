// The sibling functions, defined as the host's own so that acedInvoke reaches them.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "headless/ads/resbuf_util.h"
#include "headless/modules/modules.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbsymtb.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "siblings/siblings.h"

namespace qd::siblings {
namespace {

using qd::ads::RbList;
using qd::modules::Manager;

struct Data {
  Catalogue messages;
  Product product;
};
Data& data() {
  static Data d;
  return d;
}

// The catalogue and the product table are small text files; a missing one reads empty.
std::string readFile(const std::string& path) {
  std::string bytes, error;
  qd::files::readFile(path, bytes, error, size_t{16} << 20);
  return bytes;
}

// Arguments by position: nullptr when missing or of another type.
const resbuf* arg(const resbuf* args, size_t i, int type) {
  for (; args && i; --i) args = args->rbnext;
  if (!args) return nullptr;
  if (type == RTSHORT && (args->restype == RTSHORT || args->restype == RTLONG)) return args;
  return args->restype == type ? args : nullptr;
}
int integer(const resbuf* rb) { return rb->restype == RTLONG ? rb->resval.rlong : rb->resval.rint; }
std::u16string text(const resbuf* rb) { return rb && rb->resval.rstring ? rb->resval.rstring : u""; }

int giveText(RbList& result, const std::u16string& s) {
  result.reset(acutBuildList(RTSTR, s.c_str(), 0));
  return RTNORM;
}
int giveNil(RbList& result) {
  result.reset(acutNewRb(RTNIL));
  return RTNORM;
}
int giveReal(RbList& result, double v) {
  result.reset(acutBuildList(RTREAL, v, 0));
  return RTNORM;
}

std::u16string currentLayer() {
  resbuf rb{};
  if (acedGetVar(u"CLAYER", &rb) != RTNORM) return u"";
  std::u16string name = text(&rb);
  acutDelString(rb.resval.rstring);
  return name;
}

// A LISP variable set by the user or by QD_DO_KON, QD_DO_UCS_ALL.
std::u16string symbolText(const char16_t* name) {
  resbuf* rb = nullptr;
  acedGetSym(name, &rb);
  RbList owned(rb);
  return rb && rb->restype == RTSTR ? text(rb) : u"";
}

void setSymbol(const char16_t* name, const std::u16string& value) {
  RbList rb(acutBuildList(RTSTR, value.c_str(), 0));
  acedPutSym(name, rb.get());
}

std::u16string constructionOfLayer(const std::u16string& layer) {
  const std::u16string code = layer.size() >= 5 ? qd::text::toUpper(layer.substr(2, 3)) : u"";
  return data().product.constructions.count(code) ? code : u"";
}

std::u16string floorOfLayer(const std::u16string& layer) {
  const std::u16string code = layer.size() >= 7 ? qd::text::toUpper(layer.substr(5, 2)) : u"";
  return data().product.floors.count(code) ? code : u"";
}

// QD008e: the layer is made when missing, its colour and linetype by the suffix letter.
int makeLayer(const resbuf* args, RbList& result) {
  const resbuf* name = arg(args, 0, RTSTR);
  if (!name || text(name).empty()) return RTERROR;
  const std::u16string layer = text(name);
  AcDbDatabase* db = acdbCurDwg();
  AcDbLayerTable* table = nullptr;
  if (!db || db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  if (!table->has(layer.c_str())) {
    auto* rec = new AcDbLayerTableRecord();
    Suffix suffix;
    if (layer.size() >= 9)
      if (auto it = data().product.suffixes.find(qd::text::toUpper(layer.substr(8, 1))[0]);
          it != data().product.suffixes.end())
        suffix = it->second;
    rec->setColorIndex(static_cast<int16_t>(suffix.color == 256 ? 7 : suffix.color));
    AcDbLinetypeTable* lts = nullptr;
    if (db->getLinetypeTable(lts, AcDb::kForRead) == Acad::eOk) {
      AcDbObjectId lt;
      if (lts->getAt(suffix.linetype.c_str(), lt) == Acad::eOk) rec->setLinetypeObjectId(lt);
      lts->close();
    }
    if (rec->setName(layer.c_str()) != Acad::eOk || table->add(rec) != Acad::eOk) delete rec;
    else rec->close();
  }
  table->close();
  return giveNil(result);
}

// QD_DO_UCS_ALL: a named coordinate system for every floor, at its elevation and angle.
int defineFloorSystems(const resbuf*, RbList& result) {
  AcDbDatabase* db = acdbCurDwg();
  AcDbUCSTable* table = nullptr;
  if (!db || db->getUCSTable(table, AcDb::kForWrite) != Acad::eOk) return RTERROR;
  for (const auto& [code, floor] : data().product.floors) {
    if (table->has(code.c_str())) continue;
    auto* rec = new AcDbUCSTableRecord();
    const double a = floor.angle * M_PI / 180.0;
    rec->setOrigin(AcGePoint3d(0, 0, floor.elevation));
    rec->setXAxis(AcGeVector3d(std::cos(a), std::sin(a), 0));
    rec->setYAxis(AcGeVector3d(-std::sin(a), std::cos(a), 0));
    if (rec->setName(code.c_str()) != Acad::eOk || table->add(rec) != Acad::eOk) delete rec;
    else rec->close();
  }
  table->close();
  return giveNil(result);
}

// QD_DO_KON: the user chooses the current construction.
int chooseConstruction(const resbuf*, RbList& result) {
  std::u16string current = symbolText(u"QD_KON");
  if (current.empty()) current = constructionOfLayer(currentLayer());
  for (;;) {
    ACHAR answer[64];
    const std::u16string prompt = u"\nKonstrukce <" + current + u">: ";
    const int rc = acedGetString(0, prompt.c_str(), answer, 64);
    if (rc != RTNORM) return giveNil(result);
    const std::u16string code = qd::text::toUpper(answer);
    if (code.empty()) break;
    if (data().product.constructions.count(code)) {
      current = code;
      break;
    }
    acutPrintf(u"\nNeznámá konstrukce \"%ls\".", answer);
  }
  setSymbol(u"QD_KON", current);
  return giveNil(result);
}

int constructionKind(const resbuf* args, RbList& result) {
  const resbuf* code = arg(args, 0, RTSTR);
  if (!code) return RTERROR;
  const std::u16string two = qd::text::toUpper(text(code)).substr(0, 2);
  auto startsWith = [&](const std::map<std::u16string, std::u16string>& table) {
    return std::any_of(table.begin(), table.end(), [&](const auto& e) { return e.first.rfind(two, 0) == 0; });
  };
  if (two.size() == 2 && startsWith(data().product.constructions)) result.reset(acutBuildList(RTSHORT, 8, 0));
  else if (two.size() == 2 && startsWith(data().product.generals)) result.reset(acutBuildList(RTSHORT, 16, 0));
  else return giveNil(result);
  return RTNORM;
}

int describe(const std::map<std::u16string, std::u16string>& table, const resbuf* args, RbList& result) {
  const resbuf* code = arg(args, 1, RTSTR);
  if (!arg(args, 0, RTSHORT) || !code) return RTERROR;
  auto it = table.find(qd::text::toUpper(text(code)));
  return it == table.end() ? giveNil(result) : giveText(result, it->second);
}

int floorParameter(const resbuf* args, RbList& result) {
  const resbuf* selector = arg(args, 0, RTSHORT);
  const resbuf* code = arg(args, 1, RTSTR);
  if (!selector || !code) return RTERROR;
  auto it = data().product.floors.find(qd::text::toUpper(text(code)));
  if (it == data().product.floors.end()) return giveNil(result);
  switch (integer(selector)) {
    case 2: return giveText(result, it->second.description);
    case 3: return giveReal(result, it->second.elevation);
    case 7: return giveReal(result, it->second.angle);
    default: return giveNil(result);
  }
}

// qdcopy_ss: copies of the set's entities, displaced by the point taken as a vector.
int copySet(const resbuf* args, RbList& result) {
  const resbuf* set = arg(args, 0, RTPICKS);
  const resbuf* shift = args && args->rbnext && (args->rbnext->restype == RT3DPOINT || args->rbnext->restype == RTPOINT)
                            ? args->rbnext
                            : nullptr;
  if (!set || !shift) return RTERROR;
  int32_t n = 0;
  if (acedSSLength(set->resval.rlname, &n) != RTNORM) return RTERROR;
  const AcGeMatrix3d move = AcGeMatrix3d::translation(
      AcGeVector3d(shift->resval.rpoint[0], shift->resval.rpoint[1], shift->restype == RT3DPOINT ? shift->resval.rpoint[2] : 0));
  ads_name copies = {0, 0};
  for (int32_t i = 0; i < n; ++i) {
    ads_name en;
    AcDbObjectId id;
    if (acedSSName(set->resval.rlname, i, en) != RTNORM || acdbGetObjectId(id, en) != Acad::eOk) continue;
    AcDbEntity* e = nullptr;
    if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) continue;
    auto* copy = AcDbEntity::cast(e->clone());
    const AcDbObjectId owner = e->ownerId();
    e->close();
    if (!copy) continue;
    copy->transformBy(move);
    AcDbBlockTableRecord* space = nullptr;
    AcDbObjectId made;
    if (acdbOpenObject(space, owner, AcDb::kForWrite) != Acad::eOk || space->appendAcDbEntity(made, copy) != Acad::eOk) {
      if (space) space->close();
      delete copy;
      continue;
    }
    copy->close();
    space->close();
    ads_name madeName;
    acdbGetAdsName(madeName, made);
    acedSSAdd(madeName, ads_name_nil(copies) ? nullptr : copies, copies);
  }
  if (ads_name_nil(copies)) return giveNil(result);
  resbuf* rb = acutNewRb(RTPICKS);
  rb->resval.rlname[0] = copies[0];
  rb->resval.rlname[1] = copies[1];
  result.reset(rb);
  return RTNORM;
}

int sortStrings(const resbuf* args, RbList& result) {
  std::vector<std::u16string> items;
  for (const resbuf* rb = args; rb; rb = rb->rbnext)
    if (rb->restype == RTSTR) items.push_back(text(rb));
    else if (rb->restype != RTLB && rb->restype != RTLE) return RTERROR;
  std::stable_sort(items.begin(), items.end(), [](const std::u16string& a, const std::u16string& b) {
    return qd::text::toUpper(a) < qd::text::toUpper(b);
  });
  RbList list(acutNewRb(RTLB));
  for (const auto& s : items) qd::ads::append(list.get(), acutBuildList(RTSTR, s.c_str(), 0));
  qd::ads::append(list.get(), acutNewRb(RTLE));
  result = std::move(list);
  return RTNORM;
}

// acad_colordlg: the host's colour dialog, from the host's own DCL file.
struct ColorChoice {
  int color = 7;
};

void acceptColor(ads_callback_packet* p) {
  ACHAR value[16];
  ads_get_tile(p->dialog, u"color", value, 16);
  const int color = std::atoi(qd::text::toUtf8(value).c_str());
  if (color < 0 || color > 256 || (color == 0 && std::u16string(value) != u"0")) {
    ads_set_tile(p->dialog, u"error", u"Zadejte číslo barvy 0 až 256.");
    return;
  }
  static_cast<ColorChoice*>(p->client_data)->color = color;
  ads_done_dialog(p->dialog, DLGOK);
}

int colorDialog(const resbuf* args, RbList& result) {
  const resbuf* start = arg(args, 0, RTSHORT);
  ColorChoice choice;
  choice.color = start ? integer(start) : 7;
  int id = -1;
  ads_hdlg dlg = nullptr;
  if (ads_load_dialog(u"acad.dcl", &id) != RTNORM) return RTERROR;
  if (ads_new_dialog(u"acad_colordlg", id, NULLCB, &dlg) != RTNORM || !dlg) {
    ads_unload_dialog(id);
    return RTERROR;
  }
  ads_set_tile(dlg, u"color", qd::text::fromUtf8(std::to_string(choice.color)).c_str());
  ads_action_tile(dlg, u"accept", acceptColor);
  ads_client_data_tile(dlg, u"accept", &choice);
  int status = DLGCANCEL;
  ads_start_dialog(dlg, &status);
  ads_unload_dialog(id);
  if (status != DLGOK) return giveNil(result);
  result.reset(acutBuildList(RTSHORT, choice.color, 0));
  return RTNORM;
}

}  // namespace

void install(const std::string& dataDir) {
  std::vector<std::string> problems;
  data().messages.parse(readFile(dataDir + "/messages.txt"), problems);
  for (const auto& p : problems) acutPrintf(u"messages.txt %ls\n", qd::text::fromUtf8(p).c_str());
  problems.clear();
  data().product.parse(readFile(dataDir + "/product.txt"), problems);
  for (const auto& p : problems) acutPrintf(u"product.txt %ls\n", qd::text::fromUtf8(p).c_str());

  auto& m = Manager::get();
  for (const char16_t* dictionary :
       {u"qdads01", u"qdads02", u"qdads03", u"tvads01", u"tvads02", u"tvads03", u"jmads01", u"jmads02"}) {
    const std::u16string name = dictionary;
    m.defineHost(name, [name](const resbuf* args, RbList& result) {
      const resbuf* number = arg(args, 0, RTSHORT);
      if (!number) return RTERROR;
      const std::u16string* text = data().messages.find(name, integer(number));
      return text ? giveText(result, *text) : giveNil(result);
    });
  }
  m.defineHost(u"C:QD002a", [](const resbuf*, RbList& result) {
    // Reports the current construction and floor; the caller wipes the line.
    acutPrintf(u"\r%ls %ls", symbolText(u"QD_KON").c_str(), symbolText(u"QD_UCS").c_str());
    return giveText(result, symbolText(u"QD_KON"));
  });
  m.defineHost(u"C:QD002c", [](const resbuf*, RbList& result) { return giveNil(result); });
  m.defineHost(u"QD014a", [](const resbuf* args, RbList& result) {
    return arg(args, 0, RTSTR) && arg(args, 1, RTSHORT) ? giveNil(result) : RTERROR;
  });
  m.defineHost(u"QD101M", [](const resbuf* args, RbList& result) {
    const resbuf* title = arg(args, 0, RTSTR);
    if (!title) return RTERROR;
    acutPrintf(u"\n%ls\n", text(title).c_str());
    return giveNil(result);
  });
  m.defineHost(u"QD_DO_KON", chooseConstruction);
  m.defineHost(u"QD_DO_UCS_ALL", defineFloorSystems);
  m.defineHost(u"QD_DEF_KON", [](const resbuf*, RbList& result) {
    std::u16string code = symbolText(u"QD_KON");
    if (code.empty()) code = constructionOfLayer(currentLayer());
    return code.empty() ? giveNil(result) : giveText(result, code);
  });
  m.defineHost(u"QD_DEF_UCS", [](const resbuf*, RbList& result) {
    std::u16string code = symbolText(u"QD_UCS");
    resbuf rb{};
    if (code.empty() && acedGetVar(u"UCSNAME", &rb) == RTNORM) {
      const std::u16string name = qd::text::toUpper(text(&rb));
      acutDelString(rb.resval.rstring);
      if (data().product.floors.count(name)) code = name;
    }
    if (code.empty()) code = floorOfLayer(currentLayer());
    return code.empty() ? giveNil(result) : giveText(result, code);
  });
  m.defineHost(u"QD008e", makeLayer);
  m.defineHost(u"QD_KONGEN", constructionKind);
  m.defineHost(u"QD_PAR_KON", [](const resbuf* a, RbList& r) { return describe(data().product.constructions, a, r); });
  m.defineHost(u"QD_PAR_GEN", [](const resbuf* a, RbList& r) { return describe(data().product.generals, a, r); });
  m.defineHost(u"QD_PAR_UCS", floorParameter);
  m.defineHost(u"qdcopy_ss", copySet);
  m.defineHost(u"acad_strlsort", sortStrings);
  m.defineHost(u"acad_colordlg", colorDialog);
}

}  // namespace qd::siblings
