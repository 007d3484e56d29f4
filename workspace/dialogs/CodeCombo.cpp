#include "workspace/dialogs/CodeCombo.h"

#include "platform/codepage.h"

namespace qd::workspace {

void CSekce::fill(win::DialogWindow& w) const {
  w.resetContent(m_id);
  for (const std::u16string& entry : chooserEntries(m_kind)) w.addString(m_id, entry);
}

void CSekce::show(win::DialogWindow& w, const std::u16string& code) const {
  for (int i = 0; i < w.count(m_id); ++i)
    if (entryCode(m_kind, w.itemText(m_id, i)) == code) return w.setCurSel(m_id, i);
  w.setCurSel(m_id, w.addString(m_id, code));
}

std::u16string CSekce::typed(win::DialogWindow& w) const {
  const std::u16string text = qd::text::toUpper(w.text(m_id));
  if (text.empty()) return selected(w);
  for (int i = 0; i < w.count(m_id); ++i)
    if (w.itemText(m_id, i).rfind(text, 0) == 0) {
      w.setCurSel(m_id, i);
      return selected(w);
    }
  w.setCurSel(m_id, w.addString(m_id, text));
  return text;
}

std::u16string CSekce::selected(win::DialogWindow& w) const {
  const int at = w.curSel(m_id);
  return at < 0 ? u"" : entryCode(m_kind, w.itemText(m_id, at));
}

}  // namespace qd::workspace
