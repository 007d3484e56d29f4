#include "label/dialogs/LibraryDialogs.h"

#include <optional>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "label/command/label_state.h"
#include "label/dialogs/LabelDialog.h"
#include "label/library/LabelLibrary.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

constexpr int kMaxName = 32;

// "TVDAT"/QDLBL.LIB; without TVDAT the alert, and the dialogs show an empty library.
std::optional<std::string> libraryPath() {
  ACHAR folder[1024];
  if (acedGetEnv(u"TVDAT", folder, 1024) != RTNORM || !*folder) {
    acedAlert(u"Not set environment \"TVDAT\" ");
    return std::nullopt;
  }
  return qd::text::toUtf8(folder) + "/QDLBL.LIB";
}

std::u16string number(size_t n) { return qd::text::fromUtf8(std::to_string(n)); }

size_t selectedIndex(ads_hdlg dlg, const char16_t* key) {
  const std::u16string v = tileValue(dlg, key);
  return v.empty() ? 0 : static_cast<size_t>(std::max(0, std::atoi(qd::text::toUtf8(v).c_str())));
}

// Yes or no in one of the file's confirmation dialogs; the name goes into "name".
bool confirm(int dcl, const char16_t* dialog, const std::u16string* name) {
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(dialog, dcl, NULLCB, &dlg) != RTNORM || !dlg) return false;
  if (name) ads_set_tile(dlg, u"name", name->c_str());
  int status = DLGCANCEL;
  ads_start_dialog(dlg, &status);
  return status == DLGOK;
}

// ---- the library dialog ----

struct Browse {
  label_state* state = nullptr;
  std::optional<LabelLibrary> library;
  std::vector<LibraryEntry> index;
  LabelLibrary::Listing listing;
  int mask = 0;
};
Browse* g_browse = nullptr;

std::optional<size_t> selectedEntry(ads_hdlg dlg) {
  const size_t i = selectedIndex(dlg, u"list_box1");
  if (i >= g_browse->listing.entries.size()) return std::nullopt;
  return g_browse->listing.entries[i];
}

Rows rowsOf(ads_hdlg dlg) {
  Rows rows;
  if (auto entry = selectedEntry(dlg); entry && g_browse->library)
    g_browse->library->readRows(g_browse->index[*entry].name, rows);
  return rows;
}

void showRows(ads_hdlg dlg) {
  std::vector<std::u16string> lines;
  for (const auto& row : rowsOf(dlg)) lines.push_back(row.value_or(u""));
  fillList(dlg, u"list_box2", lines.data(), lines.size());
}

void fillBoth(ads_hdlg dlg) {
  Browse& b = *g_browse;
  b.listing = LabelLibrary::sortedList(b.index, b.mask);
  fillList(dlg, u"list_box1", b.listing.names.data(), b.listing.names.size());
  ads_set_tile(dlg, u"list_box1", u"0");
  showRows(dlg);
}

void onKindToggle(ads_callback_packet* p) {
  Browse& b = *g_browse;
  const std::u16string key = tileKey(p);
  const int bit = std::atoi(qd::text::toUtf8(key).c_str());
  if (tileValue(p->dialog, key.c_str(), 1) == u"1") {
    b.mask |= bit;
  } else if ((b.mask & ~bit & 0x1FF) != 0) {
    b.mask &= ~bit;
  } else {
    ads_set_tile(p->dialog, key.c_str(), u"1");  // the last kind shown stays
  }
  fillBoth(p->dialog);
}

void onEntry(ads_callback_packet* p) { showRows(p->dialog); }

void onDelete(ads_callback_packet* p) {
  Browse& b = *g_browse;
  const auto entry = selectedEntry(p->dialog);
  if (!entry || !b.library || !confirm(b.state->dcl_id, u"delete", &b.index[*entry].name)) return;
  b.library->rewrite(b.index[*entry].name, nullptr);
  b.index = b.library->readIndex();
  fillBoth(p->dialog);
}

void onTake(ads_callback_packet* p) {
  Browse& b = *g_browse;
  label_state& s = *b.state;
  s.settings.library_kind_mask = b.mask;
  if (selectedEntry(p->dialog)) {
    RowList& rows = s.currentList();
    rows = rowsOf(p->dialog);
    ensureHead(rows);
  }
  ads_done_dialog(p->dialog, DLGOK);
}

void onLibraryHelp(ads_callback_packet*) { showTorvelHelp(1280); }

// ---- the save dialog ----

struct Save {
  label_state* state = nullptr;
  std::optional<LabelLibrary> library;
  std::vector<std::u16string> names;  // with the leading "new label" item
  std::u16string saved;
};
Save* g_save = nullptr;

void onName(ads_callback_packet* p) {
  const size_t i = selectedIndex(p->dialog, u"list_name");
  const std::u16string name = i == 0 || i >= g_save->names.size() ? u"UNNAMED" : g_save->names[i];
  ads_set_tile(p->dialog, u"edit_name", name.c_str());
  ads_mode_tile(p->dialog, u"edit_name", MODE_SETFOCUS);
}

void onStore(ads_callback_packet* p) {
  Save& sv = *g_save;
  label_state& s = *sv.state;
  const std::u16string name = tileValue(p->dialog, u"edit_name", kMaxName);
  if (name.empty() || !sv.library) {
    ads_mode_tile(p->dialog, u"edit_name", MODE_SETFOCUS);
    return;
  }
  const Rows& rows = s.currentList();
  const int kind = s.kindIndex();
  bool exists = false;
  for (size_t i = 1; i < sv.names.size(); ++i) exists = exists || sv.names[i] == name;  // case-sensitive
  bool stored = false;
  if (!exists) {
    stored = sv.library->append(name, rows, kind);
  } else if (confirm(s.dcl_id, u"varovani", &name)) {
    stored = sv.library->rewrite(name, &rows);
  } else {
    ads_mode_tile(p->dialog, u"edit_name", MODE_SETFOCUS);
    return;
  }
  if (stored) sv.saved = name;
  ads_done_dialog(p->dialog, stored ? DLGOK : DLGCANCEL);
}

}  // namespace

void showLibraryDialog(label_state& s) {
  Browse b;
  b.state = &s;
  if (auto path = libraryPath()) {
    b.library.emplace(*path);
    b.index = b.library->readIndex();
  }
  b.mask = s.settings.library_kind_mask;
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"library", s.dcl_id, NULLCB, &dlg) != RTNORM || !dlg) return;
  g_browse = &b;
  fillBoth(dlg);
  ads_mode_tile(dlg, u"list_box1", MODE_SETFOCUS);
  for (int kind = 0; kind < kKinds; ++kind) {
    const std::u16string key = number(size_t{1} << kind);
    ads_set_tile(dlg, key.c_str(), b.mask >> kind & 1 ? u"1" : u"0");
    ads_action_tile(dlg, key.c_str(), onKindToggle);
  }
  ads_action_tile(dlg, u"list_box1", onEntry);
  ads_action_tile(dlg, u"del_desc", onDelete);
  ads_action_tile(dlg, u"accept", onTake);
  ads_action_tile(dlg, u"help", onLibraryHelp);
  int status = 0;
  ads_start_dialog(dlg, &status);
  g_browse = nullptr;
}

bool showSaveDialog(label_state& s, std::u16string& name) {
  Save sv;
  sv.state = &s;
  if (auto path = libraryPath()) sv.library.emplace(*path);
  sv.names = sv.library ? sv.library->readNames(qd::support::dictText(1, 2, 1090))
                        : std::vector<std::u16string>{qd::support::dictText(1, 2, 1090)};
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"save_txt", s.dcl_id, NULLCB, &dlg) != RTNORM || !dlg) return false;
  g_save = &sv;
  fillList(dlg, u"list_name", sv.names.data(), sv.names.size());
  ads_set_tile(dlg, u"edit_name", u"UNNAMED");
  ads_mode_tile(dlg, u"edit_name", MODE_SETFOCUS);
  ads_action_tile(dlg, u"list_name", onName);
  ads_action_tile(dlg, u"accept", onStore);
  int status = 0;
  ads_start_dialog(dlg, &status);
  g_save = nullptr;
  name = sv.saved;
  return status == DLGOK && !sv.saved.empty();
}

}  // namespace qd::label
