#include "workspace/dialogs/Choosers.h"

#include <algorithm>

#include "host/winlib.h"
#include "workspace/Manager.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

struct ChooserData {
  Chooser kind;
  int templateId, label, pickLabel;
  const char16_t* preset;  // the pick buffer before a pick, with the field's value
  const char16_t* first;   // the chooser's own first entry, instead of the list's
};
constexpr ChooserData kChoosers[] = {
    {Chooser::Section, IDD_TVLAY1L, 49, 51, u"%s*", nullptr},
    {Chooser::Module, IDD_TVLAY2L, 50, 52, u"?%s?????*", nullptr},
    {Chooser::Construction, IDD_TVLAY3L, 54, 59, u"??%s??*", nullptr},
    {Chooser::GeneralLayer, IDD_TVLAY9L, 91, 92, u"??%s??*", nullptr},
    {Chooser::Floor, IDD_TVLAY4L, 56, 58, u"?????%s*", u"??  Všechna podlazi"},
    {Chooser::View, IDD_TVLAY5L, 93, 94, u"???????%s", u"*  Všechna zobrazeni"},
    {Chooser::Layer, IDD_TVLAY8L, 68, 69, u"???????*", nullptr},
};

const ChooserData& dataOf(Chooser kind) {
  for (const ChooserData& s : kChoosers)
    if (s.kind == kind) return s;
  return kChoosers[0];
}

WorkspaceNode* listOf(Chooser kind) {
  const HostLists& l = state().lists;
  switch (kind) {
    case Chooser::Section: return l.sections;
    case Chooser::Module: return l.modules;
    case Chooser::Construction: return l.constructions;
    case Chooser::GeneralLayer: return l.generalLayers;
    case Chooser::Floor: return l.floors;
    case Chooser::View: return l.views;
    case Chooser::Layer: return nullptr;
  }
  return nullptr;
}

}  // namespace

std::vector<std::u16string> chooserEntries(Chooser kind) {
  std::vector<std::u16string> out;
  if (kind == Chooser::Layer) {
    // The drawing's layers as the host lists them now.
    eachEntry(state().calls.fillHladiny, [&out](std::u16string entry) { out.push_back(std::move(entry)); });
    return out;
  }
  const ChooserData& s = dataOf(kind);
  for (WorkspaceNode* n = listOf(kind); n; n = n->next)
    out.emplace_back(s.first && n == listOf(kind) ? std::u16string(s.first) : std::u16string(nameOf(n)));
  return out;
}

namespace {
std::u16string presetPick(Chooser kind, const std::u16string& current) {
  std::u16string p = dataOf(kind).preset;
  if (const size_t at = p.find(u"%s"); at != std::u16string::npos) p.replace(at, 2, current);
  return p;
}

}  // namespace

int pickCode(Chooser kind) { return 206 + static_cast<int>(kind); }
Chooser chooserOfPick(int code) { return static_cast<Chooser>(std::clamp(code - 206, 0, 6)); }

std::u16string entryCode(Chooser kind, std::u16string_view entry) {
  if (kind == Chooser::Layer) return std::u16string(entry);
  const size_t from = kind == Chooser::Construction ? 2 : 0;
  if (entry.size() <= from) return u"";
  const std::u16string_view rest = entry.substr(from);
  return std::u16string(rest.substr(0, rest.find(u' ')));
}

void ChooserDialog::onInitDialog(win::DialogWindow& w) {
  const ChooserData& s = dataOf(m_kind);
  w.setWindowText(text(s.label));
  captions(w, {{IDC_CH_LABEL, s.label}, {IDC_CH_PICK, s.pickLabel}, {IDOK, 44}, {IDCANCEL, 46}});
  if (w.hasControl(IDC_CH_PLAIN)) w.setText(IDC_CH_PLAIN, text(61));
  if (w.hasControl(IDC_CH_FILTER)) {
    w.setText(IDC_CH_FILTER_LABEL, text(60));
    for (WorkspaceNode* m = state().lists.modules; m; m = m->next) w.addString(IDC_CH_FILTER, nameOf(m));
    w.setCurSel(IDC_CH_FILTER, 0);
  }
  m_entries = chooserEntries(m_kind);
  fill(w);
}

// The entries, with the module filter and without descriptions as the user asks.
void ChooserDialog::fill(win::DialogWindow& w) {
  const bool plain = w.hasControl(IDC_CH_PLAIN) && w.isChecked(IDC_CH_PLAIN);
  char16_t module = u'?';
  if (w.hasControl(IDC_CH_FILTER) && w.curSel(IDC_CH_FILTER) > 0) module = w.itemText(IDC_CH_FILTER, w.curSel(IDC_CH_FILTER))[0];
  w.resetContent(IDC_CH_LIST);
  for (size_t i = 0; i < m_entries.size(); ++i) {
    const std::u16string& e = m_entries[i];
    if (m_kind == Chooser::Construction && module != u'?' && !e.empty() && e[0] != module && e[0] != u'?') continue;
    const int at = w.addString(IDC_CH_LIST, plain ? entryCode(m_kind, e) : e, static_cast<intptr_t>(i));
    if (entryCode(m_kind, e) == m_current) w.setCurSel(IDC_CH_LIST, at);
  }
}

void ChooserDialog::onCommand(win::DialogWindow& w, int id) {
  if (id == IDC_CH_PLAIN) fill(w);
  if (id == IDC_CH_PICK) {
    state().pick = presetPick(m_kind, m_current);
    w.endDialog(pickCode(m_kind));
  }
}

void ChooserDialog::onSelChange(win::DialogWindow& w, int id) {
  if (id == IDC_CH_FILTER) fill(w);
}

bool ChooserDialog::onOK(win::DialogWindow& w) {
  const int at = w.curSel(IDC_CH_LIST);
  if (at < 0) return false;  // nothing chosen: the chooser stays
  m_chosen = entryCode(m_kind, m_entries[static_cast<size_t>(w.itemData(IDC_CH_LIST, at))]);
  return true;
}

int choose(Chooser kind, const std::u16string& current, std::u16string& code) {
  ChooserDialog dialog(kind, current);
  const int result = win::DialogBoxParamW(resourceFile().c_str(), dataOf(kind).templateId, dialog, state().parentWindow);
  if (result == IDOK) code = dialog.chosen();
  return result < 0 ? IDCANCEL : result;
}

}  // namespace qd::workspace
