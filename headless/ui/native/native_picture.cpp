// Pictures of native dialogs as HTML: each control at its place in the template (dialog
// units scaled to pixels), with its current text, check, items, selection, tree, tabs
// and whether it can be used; the page of each tab control drawn inside it.
#include <algorithm>
#include <string>

#include "headless/ui/dialogs.h"
#include "headless/ui/native/native_dialogs.h"
#include "platform/codepage.h"

namespace qd::ui::native {
namespace {

std::string esc(const std::u16string& s) { return htmlText(s, true); }

// Dialog units to pixels, for the 8-point dialog font.
std::string px(int units, double scale) { return std::to_string(static_cast<int>(units * scale + 0.5)) + "px"; }
constexpr double kX = 1.5, kY = 1.625;
// The pages of a tab control start below its strip of tabs.
constexpr int kTabStrip = 14;

void tree(std::string& out, const LiveControl& c, win::TreeItem parent) {
  auto it = c.tree.find(parent);
  if (it == c.tree.end() || it->second.children.empty()) return;
  out += "<ul>";
  for (win::TreeItem item : it->second.children) {
    const LiveTreeItem& node = c.tree.at(item);
    std::string cls = item == c.selectedItem ? " class=\"sel\"" : "";
    out += "<li><span" + cls + ">" + (node.bold ? "<b>" + esc(node.text) + "</b>" : esc(node.text)) + "</span>";
    tree(out, c, item);
    out += "</li>";
  }
  out += "</ul>";
}

void controls(std::string& out, const Window& w, int dx, int dy);

void control(std::string& out, const LiveControl& c, int dx, int dy) {
  const ControlTemplate& d = *c.def;
  if (!c.shown) return;
  // A combo's height in the template is that of its list dropped down.
  const int height = d.kind == ControlKind::Combo ? std::min(d.height, 12) : d.height;
  const std::string place = "left:" + px(d.x + dx, kX) + ";top:" + px(d.y + dy, kY) + ";width:" + px(d.width, kX) +
                            ";height:" + px(height, kY);
  const std::string title = " title=\"" + esc(d.name) + "\"";
  const std::string disabled = c.enabled ? "" : " disabled";
  const std::string style = " style=\"" + place + "\"";
  switch (d.kind) {
    case ControlKind::Static:
      out += "<div class=\"text\"" + title + style + ">" + esc(c.text) + "</div>";
      break;
    case ControlKind::Group:
      out += "<fieldset" + title + style + "><legend>" + esc(c.text) + "</legend></fieldset>";
      break;
    case ControlKind::Button:
    case ControlKind::DefaultButton:
      out += "<button" + title + style + disabled + (d.kind == ControlKind::DefaultButton ? " class=\"default\"" : "") + ">" +
             esc(c.text) + "</button>";
      break;
    case ControlKind::Check:
    case ControlKind::Radio:
      out += "<label" + title + style + "><input type=\"" + (d.kind == ControlKind::Check ? "checkbox" : "radio") + "\"" +
             (c.checked ? " checked" : "") + disabled + "> " + esc(c.text) + "</label>";
      break;
    case ControlKind::Edit:
      out += "<input" + title + style + disabled + " value=\"" + esc(c.text) + "\">";
      break;
    case ControlKind::Combo:
    case ControlKind::List: {
      const bool list = d.kind == ControlKind::List;
      out += "<select" + title + style + disabled + (list ? " size=\"6\"" : "") + ">";
      if (!list && c.selection < 0) out += "<option selected>" + esc(c.text) + "</option>";
      for (size_t i = 0; i < c.items.size(); ++i)
        out += "<option" + std::string(static_cast<int>(i) == c.selection ? " selected" : "") + ">" + esc(c.items[i].text) +
               "</option>";
      out += "</select>";
      break;
    }
    case ControlKind::Tree:
      out += "<div class=\"tree\"" + title + style + ">";
      tree(out, c, 0);
      out += "</div>";
      break;
    case ControlKind::Tab: {
      out += "<div class=\"tabs\"" + title + style + "><div class=\"strip\">";
      for (size_t i = 0; i < c.tabs.size(); ++i)
        out += "<span" + std::string(static_cast<int>(i) == c.currentTab ? " class=\"sel\"" : "") + ">" + esc(c.tabs[i].first) +
               "</span>";
      out += "</div></div>";
      if (c.currentTab >= 0 && c.currentTab < static_cast<int>(c.tabs.size()))
        controls(out, *c.tabs[static_cast<size_t>(c.currentTab)].second, d.x + dx + 4, d.y + dy + kTabStrip);
      break;
    }
  }
}

void controls(std::string& out, const Window& w, int dx, int dy) {
  for (const ControlTemplate& t : w.def().controls) {
    if (t.id == -1) {
      // Texts without an id are drawn from the template.
      LiveControl fixed;
      fixed.def = &t;
      fixed.text = t.text;
      control(out, fixed, dx, dy);
    } else if (const LiveControl* c = w.control(t.id)) {
      control(out, *c, dx, dy);
    }
  }
}

}  // namespace

std::string windowHtml(const Window& w) {
  std::string out =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + esc(w.caption()) +
      "</title><style>body{font:12px sans-serif;background:#ececec}"
      ".dlg{position:relative;background:#f0f0f0;border:1px solid #888;box-shadow:2px 2px 6px #999}"
      ".cap{background:#3a6ea5;color:#fff;padding:3px 6px;font-weight:bold}"
      ".body{position:relative}"
      ".body>*{position:absolute;box-sizing:border-box;margin:0;font:inherit}"
      ".tree{border:1px inset #999;background:#fff;overflow:auto}.tree ul{margin:0;padding-left:14px}"
      ".sel{background:#3a6ea5;color:#fff}.tabs{border:1px solid #999}.strip span{display:inline-block;padding:2px 8px;"
      "border:1px solid #999;border-bottom:none;margin-right:2px}.strip span.sel{font-weight:bold}"
      "button.default{font-weight:bold}fieldset{border:1px solid #aaa}</style></head><body>\n";
  out += "<div class=\"dlg\" title=\"" + esc(w.def().name) + "\" style=\"width:" + px(w.def().width, kX) + "\">";
  out += "<div class=\"cap\">" + esc(w.caption()) + "</div>";
  out += "<div class=\"body\" style=\"height:" + px(w.def().height, kY) + "\">";
  controls(out, w, 0, 0);
  out += "</div></div>\n</body></html>\n";
  return out;
}

}  // namespace qd::ui::native
