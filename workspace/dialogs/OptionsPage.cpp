#include "workspace/dialogs/OptionsPage.h"

#include "workspace/LayerMasks.h"
#include "workspace/Manager.h"
#include "workspace/dialogs/ChoiceDialog.h"
#include "workspace/dialogs/DialogSupport.h"
#include "workspace/dialogs/resource.h"
#include "workspace/strings.h"

namespace qd::workspace {
namespace {

// The check boxes in the order of their settings positions, from 1.
constexpr int kChecks[] = {IDC_OPT_ON, IDC_OPT_CURRENT, IDC_OPT_THAW, IDC_OPT_ZOOM, IDC_OPT_FLOOR, IDC_OPT_SECTION};
constexpr int kLockRadios[] = {IDC_LOCK_YES, IDC_LOCK_NO, IDC_LOCK_ASK};  // settings "0", "1", "2"

std::u16string& S() { return fullSettings(); }

// The construction the current-layer option names: the stored one, else the host's.
std::u16string constructionCode() {
  std::u16string code = S().substr(12, 3);
  if (code.find_first_of(u".X") == std::u16string::npos && !code.empty()) return code;
  if (const auto& c = state().calls; c.getAktKon) {
    char16_t buffer[kBufferLength] = {};
    c.getAktKon(buffer);
    buffer[kBufferLength - 1] = 0;
    if (buffer[0]) return buffer;
  }
  return u"SK0";
}

}  // namespace

void tvLay2t::onInitDialog(win::DialogWindow& w) {
  m_page = &w;
  captions(w, {{IDC_OPT_ON, 19}, {IDC_OPT_THAW, 21}, {IDC_OPT_ZOOM, 22}, {IDC_OPT_FLOOR, 23}, {IDC_OPT_SECTION, 24},
               {IDC_LOCK_LABEL, 25}, {IDC_LOCK_YES, 126}, {IDC_LOCK_NO, 127}, {IDC_LOCK_ASK, 128}, {IDC_STANDARD, 79},
               {IDC_CONSTRUCTION, 83}});
  w.setText(IDC_OPT_CURRENT, text(20) + (u" \"" + constructionCode() + u"\""));
  // Outside the full product there is no current layer to make, no floor or section
  // to set, and no construction to choose.
  const bool full = state().environment == 1;
  for (int id : {IDC_OPT_CURRENT, IDC_OPT_FLOOR, IDC_OPT_SECTION, IDC_CONSTRUCTION}) w.enable(id, full);
  refresh();
}

void tvLay2t::refresh() {
  if (!m_page) return;
  for (size_t i = 0; i < 6; ++i) m_page->setCheck(kChecks[i], S()[i + 1] == u'1');
  for (int k = 0; k < 3; ++k) m_page->setCheck(kLockRadios[k], S()[7] == u'0' + k);
}

void tvLay2t::onCommand(win::DialogWindow& w, int id) {
  for (size_t i = 0; i < 6; ++i)
    if (id == kChecks[i]) S()[i + 1] = w.isChecked(id) ? u'1' : u'0';
  for (int k = 0; k < 3; ++k)
    if (id == kLockRadios[k]) S()[7] = static_cast<char16_t>(u'0' + k);
  if (id == IDC_STANDARD) {
    S().replace(1, 7, u"1111111");
    refresh();
  }
  if (id == IDC_CONSTRUCTION && m_main) {
    const int code = chooseConstructionKind();
    if (code == kConstruction1 || code == kConstruction2) m_main->endDialog(code);
  }
}

}  // namespace qd::workspace
