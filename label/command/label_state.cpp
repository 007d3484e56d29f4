#include "label/command/label_state.h"

#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "label/command/sibling_calls.h"

namespace qd::label {
namespace {

label_state* g_live = nullptr;

// The applications of the labels' extended data, registered before anything is drawn.
const char16_t* const kApplications[] = {u"TV_TEXT_REF",  u"TV_TEXT_SCL",  u"TV_TEXT_MOD",  u"TV_TEXT",
                                         u"BE_TEXT_REFL", u"BE_TEXT_ATTC", u"BE_TEXT_TXLN", u"BE_TEXT_FRMA",
                                         u"BE_TEXT_MAIT", u"BE_TEXT_JUST", u"BE_TEXT_ROTA"};

bool platformIsDos() {
  resbuf rb{};
  if (acedGetVar(u"PLATFORM", &rb) != RTNORM || rb.restype != RTSTR) return false;
  const bool dos = std::u16string(rb.resval.rstring) == u"386 DOS Extender";
  acutDelString(rb.resval.rstring);
  return dos;
}

// The sibling commands report the construction and floor on the command line; the
// report is wiped again.
void callSiblingCommand(const char16_t* name) {
  qd::support::ResbufList answer = invoke(acutBuildList(RTSTR, name, 0));
  if (answer.get()) acutPrintf(u"\r    \r");
}

}  // namespace

label_state* label_state::live() { return g_live; }
void label_state::setLive(label_state* state) { g_live = state; }

label_state::label_state() : settings(var_set::Construction::Full) {
  for (auto& variant : rows)
    for (auto& list : variant) ensureHead(list);
  loadLabelDialogFile(*this);
  platform_dos = platformIsDos() ? 1 : 0;
  callSiblingCommand(u"C:QD002a");
  callSiblingCommand(u"C:QD002c");
  invoke(acutBuildList(RTSTR, u"QD014a", RTSTR, u"BE", RTSHORT, 2, 0));
  for (const char16_t* app : kApplications) acdbRegApp(app);
  for (char16_t digit = u'0'; digit <= u'9'; ++digit) acdbRegApp((std::u16string(u"TV_TEXT_") + digit).c_str());
}

label_state::~label_state() {
  if (dcl_id > 0) ads_unload_dialog(dcl_id);
}

bool loadLabelDialogFile(label_state& state) {
  if (ads_load_dialog(u"qdlbl.dcl", &state.dcl_id) != RTNORM || state.dcl_id < 0) {
    state.dcl_id = -1;
    acedAlert(u"Cannot find file \"QDLBL.DCL\"");
    return false;
  }
  return true;
}

int label_state::variant() const {
  const std::u16string v = settings.current_variant;
  if (v == u"typ2") return 1;
  if (v == u"typ3") return 2;
  return 0;
}

int label_state::kindIndex() const {
  return settings.current_kind >= 0 && settings.current_kind < kKinds ? settings.current_kind : 0;
}

RowList& label_state::currentList() {
  const int kind = kindIndex();
  RowList& list = rows[variant()][kind];
  ensureHead(list);
  return list;
}

kind_settings& label_state::currentBlock() {
  const int kind = kindIndex();
  return settings.table[variant()][kind];
}

void label_state::leaveRequest(std::unique_ptr<label_request> r) {
  pending = std::move(r);
  request = pending.get();
}

void label_state::dropRequest() {
  pending.reset();
  request = nullptr;
}

void ensureHead(RowList& rows) {
  if (rows.empty()) rows.assign(1, std::nullopt);
}

bool hasNonEmptyRow(const RowList& rows) {
  for (const auto& row : rows)
    if (row && !row->empty()) return true;
  return false;
}

}  // namespace qd::label
