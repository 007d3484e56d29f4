// The choosers of the definition dialog: a code from one of the host's lists (section,
// module, construction, floor, view, general layer) or an existing layer; or, by their
// pick button, a layer picked in the drawing, for which the chooser ends with a code the
// run loop answers.
#pragma once
#include <string>
#include <vector>

#include "host/windlg.h"
#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

enum class Chooser { Section, Module, Construction, GeneralLayer, Floor, View, Layer };

// The run-loop code of each chooser's pick (206 on).
int pickCode(Chooser kind);
// The chooser a pick code came from.
Chooser chooserOfPick(int code);
// The code of a list entry: its text up to the first blank (a construction's after its
// module character).
std::u16string entryCode(Chooser kind, std::u16string_view entry);

// The entries a chooser offers: the host's list (with the chooser's own first entry),
// or the drawing's layers.
std::vector<std::u16string> chooserEntries(Chooser kind);

// Shows the chooser with `current` the field's value: IDOK with the code chosen in
// `code`, IDCANCEL, or the pick code, with the pick buffer preset from `current`.
int choose(Chooser kind, const std::u16string& current, std::u16string& code);

// One chooser dialog (tvLay1l to tvLay9l).
class ChooserDialog : public win::DialogController {
 public:
  ChooserDialog(Chooser kind, std::u16string current) : m_kind(kind), m_current(std::move(current)) {}
  void onInitDialog(win::DialogWindow& w) override;
  void onCommand(win::DialogWindow& w, int id) override;
  void onSelChange(win::DialogWindow& w, int id) override;
  bool onOK(win::DialogWindow& w) override;
  const std::u16string& chosen() const { return m_chosen; }

 private:
  void fill(win::DialogWindow& w);

  Chooser m_kind;
  std::u16string m_current, m_chosen;
  std::vector<std::u16string> m_entries;
};

}  // namespace qd::workspace
