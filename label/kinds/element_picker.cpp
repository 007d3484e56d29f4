#include "label/kinds/element_picker.h"

#include <algorithm>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/sibling_calls.h"
#include "label/dialogs/LabelDialog.h"
#include "label/kinds/label_context.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::Opened;
using qd::support::ResbufList;

struct Candidate {
  std::u16string description, detail, identity;
  bool parameters = false;  // it carries "TV_TEXT_PAR"
};

std::optional<std::u16string> textAnswer(resbuf* args) {
  ResbufList answer = invoke(args);
  if (!answer.get() || answer.get()->restype != RTSTR || !answer.get()->resval.rstring) return std::nullopt;
  return std::u16string(answer.get()->resval.rstring);
}

int shortAnswer(resbuf* args) {
  ResbufList answer = invoke(args);
  return answer.get() && answer.get()->restype == RTSHORT ? answer.get()->resval.rint : 0;
}

// The element of an entity's layer, described; nothing for a layer of no element.
std::optional<Candidate> candidateOf(const std::u16string& layer) {
  if (layer.size() < 5) return std::nullopt;
  const std::u16string e = layer.substr(2, 3);
  std::optional<std::u16string> meaning;
  switch (shortAnswer(acutBuildList(RTSTR, u"QD_KONGEN", RTSTR, e.substr(0, 2).c_str(), 0))) {
    case 8: meaning = textAnswer(acutBuildList(RTSTR, u"QD_PAR_KON", RTSHORT, 4, RTSTR, e.c_str(), 0)); break;
    case 16: meaning = textAnswer(acutBuildList(RTSTR, u"QD_PAR_GEN", RTSHORT, 1, RTSTR, e.c_str(), 0)); break;
    default: return std::nullopt;
  }
  Candidate c;
  c.description = e + u" " + meaning.value_or(u"");
  const std::u16string floor = layer.size() >= 7 ? layer.substr(5, 2) : u"";
  c.detail = floor + u" " + textAnswer(acutBuildList(RTSTR, u"QD_PAR_UCS", RTSHORT, 2, RTSTR, floor.c_str(), 0)).value_or(u"");
  return c;
}

void readIdentity(const AcDbEntity* e, Candidate& c) {
  ResbufList data(e->xData());
  int found = 0;
  for (const resbuf* rb = data.get(); rb && found < 2; rb = rb->rbnext) {
    if (rb->restype != 1001 || !rb->resval.rstring) continue;
    const std::u16string app = rb->resval.rstring;
    if (!app.empty() && app[0] == u'$') c.identity = app, ++found;
    else if (app == u"TV_TEXT_PAR") c.parameters = true, ++found;
  }
}

std::vector<Candidate> candidatesAt(const AcGePoint3d& p, const std::u16string& code) {
  resbuf size{};
  const double viewSize = acedGetVar(u"VIEWSIZE", &size) == RTNORM && size.restype == RTREAL ? size.resval.rreal : 1;
  const double h = viewSize / 28 / 2;
  const ads_point lo = {p.x - h, p.y - h, 0}, hi = {p.x + h, p.y + h, 0};
  const std::u16string pattern = code.empty() ? u"*" : u"?????" + code + u"*";
  ResbufList filter(acutBuildList(8, pattern.c_str(), 0));
  qd::support::SelectionSet set;
  std::vector<Candidate> found;
  if (acedSSGet(u"_C", lo, hi, filter.get(), set.name()) != RTNORM) return found;
  for (int32_t i = 0, n = set.length(); i < n; ++i) {
    ads_name member;
    AcDbObjectId id;
    if (acedSSName(set.name(), i, member) != RTNORM || acdbGetObjectId(id, member) != Acad::eOk) continue;
    Opened<AcDbEntity> e(id, AcDb::kForRead);
    if (!e) continue;
    std::optional<Candidate> c = candidateOf(e->layer());
    if (!c) continue;
    bool known = false;
    for (const auto& other : found) known = known || other.description == c->description;
    if (known) continue;
    readIdentity(e.get(), *c);
    found.push_back(std::move(*c));
  }
  return found;
}

int g_choice = 0;

void onChoice(ads_callback_packet* p) {
  const std::u16string key = tileKey(p);
  if (key == u"accept") {
    g_choice = std::atoi(qd::text::toUtf8(tileValue(p->dialog, u"text")).c_str());
    ads_done_dialog(p->dialog, DLGOK);
  } else if (key == u"cancel") {
    g_choice = 32767;
    ads_done_dialog(p->dialog, DLGCANCEL);
  }
}

element_choice choose(const std::vector<Candidate>& found, int dialogFile) {
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"dilec", dialogFile, onChoice, &dlg) != RTNORM || !dlg) return {PickStatus::DialogCancelled, {}};
  std::vector<std::u16string> lines;
  for (const auto& c : found) lines.push_back(candidateLine(c.description, c.detail));
  fillList(dlg, u"text", lines.data(), lines.size());
  ads_set_tile(dlg, u"text", u"0");
  g_choice = 32767;
  int status = 0;
  ads_start_dialog(dlg, &status);
  if (g_choice == 32767 || g_choice < 0 || static_cast<size_t>(g_choice) >= found.size())
    return {PickStatus::DialogCancelled, {}};
  return {PickStatus::Picked, found[static_cast<size_t>(g_choice)].identity};
}

int stayPut(ads_point, ads_matrix m) {
  setIdentity(m);
  return RTNORM;
}

// The point the user drags to, snapped to the nearest object.
int dragPoint(AcGePoint3d& at) {
  resbuf centre{};
  ads_point c = {0, 0, 0};
  if (acedGetVar(u"VIEWCTR", &centre) == RTNORM && centre.restype == RTPOINT) ads_point_set(centre.resval.rpoint, c);
  ads_point world;
  qd::support::toUcsOrWcs(c, 0, world);
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  Opened<AcDbBlockTableRecord> space(qd::support::currentSpace(), AcDb::kForWrite);
  if (!db || !space) return RTERROR;
  AcDbObjectId id;
  auto* marker = new AcDbPoint(AcGePoint3d(world[0], world[1], world[2]));
  if (space->appendAcDbEntity(id, marker) != Acad::eOk) {
    delete marker;
    return RTERROR;
  }
  marker->close();
  space.close();
  ads_name name, set;
  acdbGetAdsName(name, id);
  acedSSAdd(name, nullptr, set);
  resbuf osmode{};
  acedGetVar(u"OSMODE", &osmode);
  resbuf nearest{};
  nearest.restype = RTSHORT;
  nearest.resval.rint = 512;
  acedSetVar(u"OSMODE", &nearest);
  acutPrintf(u"%ls", qd::support::moduleText(32));
  ads_point picked = {0, 0, 0};
  const int rc = acedDragGen(set, u"", 0, stayPut, picked);
  acedSetVar(u"OSMODE", &osmode);
  acedSSFree(set);
  acdbEntDel(name);
  if (rc == RTNORM) {
    qd::support::toUcsOrWcs(picked, 0, world);
    at = AcGePoint3d(world[0], world[1], world[2]);
  }
  return rc;
}

}  // namespace

std::u16string candidateLine(const std::u16string& description, const std::u16string& detail) {
  if (description.empty() || detail.empty()) return u"";
  std::u16string line = description;
  if (line.size() < 55) line.append(55 - line.size(), u' ');
  return line + detail;
}

element_choice elementPicker(const std::optional<AcGePoint3d>& at, const std::u16string& code, int dialogFile) {
  AcGePoint3d p;
  if (at) {
    p = *at;
  } else {
    const int rc = dragPoint(p);
    if (rc == RTCAN) return {PickStatus::Cancelled, {}};
    if (rc == RTNONE) return {PickStatus::OwnIdentity, {}};
    if (rc != RTNORM) return {PickStatus::Cancelled, {}};
  }
  const std::vector<Candidate> found = candidatesAt(p, code);
  const bool named = std::any_of(found.begin(), found.end(), [](const Candidate& c) { return !c.identity.empty(); });
  if (!named) return {PickStatus::Picked, {}};
  element_choice choice = found.size() == 1 ? element_choice{PickStatus::Picked, found.front().identity}
                                            : choose(found, dialogFile);
  if (choice.name && choice.name->empty()) choice.name.reset();  // a candidate without a name
  return choice;
}

}  // namespace qd::label
