// A dialog as a text form for a person at the terminal: each tile on its line with its
// label, value and key, list lines numbered with the chosen ones marked, tiles that
// cannot be used marked so; and the verbs that answer it, the same as a script's.
#include <algorithm>
#include <string>

#include "headless/ui/dialogs.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

// Keeps list lines and values to a line of the terminal.
std::u16string clip(const std::u16string& s, size_t most = 60) {
  return s.size() <= most ? s : s.substr(0, most - 1) + u"…";
}

void tile(std::u16string& out, Dialog& d, const dcl::Tile& t, int depth) {
  const std::u16string key = t.key();
  LiveTile* live = key.empty() ? nullptr : d.find(key);
  const bool usable = !live || d.usable(*live);
  const std::u16string label = t.attribute(u"label");
  const std::u16string value = live ? live->value : u"";
  const std::u16string& k = t.kind;
  if (k.find(u"boxed_") == 0) {
    if (!label.empty()) formLine(out, depth, label + u":", key, usable);
    for (const auto& c : t.children) tile(out, d, c, depth + 1);
  } else if (k == u"row" || k == u"column" || k == u"radio_row" || k == u"radio_column" || k == u"concatenation" ||
             k == u"paragraph" || k == u"dialog") {
    for (const auto& c : t.children) tile(out, d, c, depth);
  } else if (k == u"button") {
    formLine(out, depth, u"<" + label + u">", key, usable);
  } else if (k == u"edit_box") {
    formLine(out, depth, label + u" [" + clip(value, 40) + u"]", key, usable);
  } else if (k == u"toggle") {
    formLine(out, depth, (value == u"1" ? u"[x] " : u"[ ] ") + label, key, usable);
  } else if (k == u"radio_button") {
    formLine(out, depth, (value == u"1" ? u"(*) " : u"( ) ") + label, key, usable);
  } else if (k == u"list_box" || k == u"popup_list") {
    formLine(out, depth, label.empty() ? u"list:" : label, key, usable);
    if (!live) return;
    const std::vector<int> picked = chosenLines(value);
    for (size_t i = 0; i < live->list.size(); ++i) {
      const bool on = std::find(picked.begin(), picked.end(), static_cast<int>(i)) != picked.end();
      formLine(out, depth + 1, (on ? u"> " : u"  ") + qd::text::fromUtf8(std::to_string(i)) + u" " + clip(live->list[i]), u"",
           true);
    }
  } else if (k == u"text" || k == u"text_part") {
    const std::u16string shown = live && !value.empty() ? value : label;
    if (!shown.empty()) formLine(out, depth, clip(shown), key, true);
  } else if (k == u"image" || k == u"image_button") {
    formLine(out, depth, u"[image]", key, usable);
  } else if (k == u"slider") {
    formLine(out, depth, u"slider " + value, key, usable);
  }
}

}  // namespace

std::vector<int> chosenLines(const std::u16string& value) {
  std::vector<int> out;
  for (size_t p = 0; p < value.size();) {
    const size_t sp = value.find(u' ', p);
    out.push_back(std::atoi(qd::text::toUtf8(value.substr(p, sp - p)).c_str()));
    if (sp == std::u16string::npos) break;
    p = sp + 1;
  }
  return out;
}

void formLine(std::u16string& out, int depth, const std::u16string& text, const std::u16string& key, bool usable) {
  std::u16string l = u"| " + std::u16string(static_cast<size_t>(depth) * 2, u' ') + withoutMnemonics(text);
  if (key.empty() && usable) {
    out += l + u"\n";
    return;
  }
  if (l.size() < 44) l.append(44 - l.size(), u' ');
  out += l + u"  " + key + (usable ? u"" : u"  (not available)") + u"\n";
}

std::u16string withoutMnemonics(const std::u16string& label) {
  std::u16string out;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == u'&' && i + 1 < label.size()) ++i;
    out += label[i];
  }
  return out;
}

std::u16string dialogForm(Dialog& d) {
  const LiveTile* own = d.root.key().empty() ? nullptr : d.find(d.root.key());
  const std::u16string caption = own && !own->value.empty() ? own->value : d.root.attribute(u"label");
  std::u16string out = u"\n+-- " + caption + u" (" + d.name + u")\n";
  tile(out, d, d.root, 0);
  out += u"+-- enter KEY TEXT | click KEY | select KEY N | image KEY X,Y | ok | cancel (Ctrl-C) | show\n";
  return out;
}

}  // namespace qd::ui
