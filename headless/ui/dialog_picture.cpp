// Pictures of dialogs as HTML: the tile tree with labels, current values, list lines,
// enabled state and image tiles, for documentation and debugging.
#include <algorithm>

#include "headless/ui/dialogs.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

std::string esc(const std::u16string& s) { return htmlText(s); }

const char* aci(short c) {
  static const char* basic[] = {"#000", "#f00", "#ff0", "#0f0", "#0ff", "#00f", "#f0f", "#fff", "#808080", "#c0c0c0"};
  if (c == -2 || c == -15) return "#d4d0c8";
  if (c == -16 || c == -18) return "#000";
  return c >= 0 && c < 10 ? basic[c] : "#888";
}

void image(std::string& out, const LiveTile& t, const dcl::Tile& def) {
  short w = 0, h = 0;
  imagePixels(def, w, h);
  out += "<svg width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" style=\"border:1px inset #999;background:#000\">";
  for (const auto& op : t.image) {
    if (op.kind == ImageOp::Vector)
      out += "<line x1=\"" + std::to_string(op.x1) + "\" y1=\"" + std::to_string(op.y1) + "\" x2=\"" +
             std::to_string(op.x2) + "\" y2=\"" + std::to_string(op.y2) + "\" stroke=\"" + aci(op.color) + "\"/>";
    else if (op.kind == ImageOp::Fill)
      out += "<rect x=\"" + std::to_string(op.x1) + "\" y=\"" + std::to_string(op.y1) + "\" width=\"" +
             std::to_string(op.x2) + "\" height=\"" + std::to_string(op.y2) + "\" fill=\"" + aci(op.color) + "\"/>";
    else
      out += "<text x=\"4\" y=\"14\" fill=\"#fff\" font-size=\"11\">slide " + esc(op.slide) + "</text>";
  }
  out += "</svg>";
}

void tile(std::string& out, const Dialog& d, const dcl::Tile& t) {
  const std::u16string key = t.key();
  const LiveTile* live = key.empty() ? nullptr : const_cast<Dialog&>(d).find(key);
  const std::string label = esc(t.attribute(u"label"));
  const std::string value = live ? esc(live->value) : "";
  const std::string disabled = live && !const_cast<Dialog&>(d).usable(*live) ? " disabled" : "";
  const std::string title = key.empty() ? "" : " title=\"" + esc(key) + "\"";
  const std::u16string& k = t.kind;
  auto children = [&] {
    for (const auto& c : t.children) tile(out, d, c);
  };
  if (k == u"row" || k == u"radio_row" || k == u"concatenation") {
    out += "<div class=\"row\"" + title + ">";
    children();
    out += "</div>";
  } else if (k == u"column" || k == u"radio_column" || k == u"paragraph") {
    out += "<div class=\"col\"" + title + ">";
    children();
    out += "</div>";
  } else if (k == u"boxed_row" || k == u"boxed_column" || k == u"boxed_radio_row" || k == u"boxed_radio_column") {
    const bool row = k.find(u"row") != std::u16string::npos;
    out += "<fieldset class=\"" + std::string(row ? "row" : "col") + "\"" + title + "><legend>" + label + "</legend>";
    children();
    out += "</fieldset>";
  } else if (k == u"button") {
    out += "<button" + title + disabled + ">" + label + "</button>";
  } else if (k == u"edit_box") {
    out += "<label" + title + ">" + label + " <input value=\"" + value + "\"" + disabled + "></label>";
  } else if (k == u"toggle" || k == u"radio_button") {
    out += "<label" + title + "><input type=\"" + std::string(k == u"toggle" ? "checkbox" : "radio") + "\"" +
           (value == "1" ? " checked" : "") + disabled + "> " + label + "</label>";
  } else if (k == u"list_box" || k == u"popup_list") {
    out += "<label" + title + ">" + label + " <select" + std::string(k == u"list_box" ? " size=\"6\" multiple" : "") +
           disabled + ">";
    const std::vector<int> selected = live ? chosenLines(live->value) : std::vector<int>();
    if (live)
      for (size_t i = 0; i < live->list.size(); ++i)
        out += "<option" +
               std::string(std::find(selected.begin(), selected.end(), static_cast<int>(i)) != selected.end()
                               ? " selected"
                               : "") +
               ">" + esc(live->list[i]) + "</option>";
    out += "</select></label>";
  } else if (k == u"text" || k == u"text_part") {
    out += "<span" + title + ">" + (live && !live->value.empty() ? value : label) + "</span>";
  } else if (k == u"image" || k == u"image_button") {
    out += "<span" + title + ">";
    if (live) image(out, *live, t);
    out += "</span>";
  } else if (k == u"slider") {
    out += "<input type=\"range\"" + title + " value=\"" + value + "\"" + disabled + ">";
  } else if (k == u"dialog") {
    children();
  }
}

// The dialog's caption: its label, or what the module set into the dialog's own key.
std::u16string title(const Dialog& d) {
  const LiveTile* own = d.root.key().empty() ? nullptr : const_cast<Dialog&>(d).find(d.root.key());
  return own && !own->value.empty() ? own->value : d.root.attribute(u"label");
}

}  // namespace

std::string htmlText(const std::u16string& s, bool breaks) {
  std::string out;
  for (char c : qd::text::toUtf8(s)) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else if (c == '\n' && breaks) out += "<br>";
    else out += c;
  }
  return out;
}

std::string dialogHtml(const Dialog& d) {
  std::string out =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + esc(d.name) +
      "</title><style>body{font:13px sans-serif;background:#ece9d8}.dlg{display:inline-block;border:1px solid "
      "#555;background:#ece9d8;padding:6px}.dlg>h1{font-size:13px;margin:-6px -6px 6px;padding:3px "
      "6px;background:#0a246a;color:#fff}.row{display:flex;gap:6px;align-items:center}.col{display:flex;flex-"
      "direction:column;gap:4px}fieldset{margin:2px}</style></head><body><div class=\"dlg\"><h1>" +
      esc(title(d)) + " <small>(" + esc(d.name) + ")</small></h1><div class=\"col\">";
  tile(out, d, d.root);
  out += "</div></div></body></html>\n";
  return out;
}

}  // namespace qd::ui
