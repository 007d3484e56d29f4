// The code combo box (CSekce) of the definition dialog's position fields: entries are
// "code text"; a typed letter or digit, folded to upper case, selects the entry that
// begins with it, or becomes an entry of its own; the field holds the selected code.
#pragma once
#include <string>

#include "host/windlg.h"
#include "workspace/dialogs/Choosers.h"

namespace qd::workspace {

class CSekce {
 public:
  CSekce(int id, Chooser kind) : m_id(id), m_kind(kind) {}
  int id() const { return m_id; }
  void fill(win::DialogWindow& w) const;
  // Selects the entry of `code`, made an entry when none has it.
  void show(win::DialogWindow& w, const std::u16string& code) const;
  // What was typed, taken by the rule above; the code then selected.
  std::u16string typed(win::DialogWindow& w) const;
  // The code of the entry selected from the list.
  std::u16string selected(win::DialogWindow& w) const;

 private:
  int m_id;
  Chooser m_kind;
};

}  // namespace qd::workspace
