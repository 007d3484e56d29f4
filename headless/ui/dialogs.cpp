#include "headless/ui/dialogs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "headless/render/slide.h"
#include "headless/ui/console.h"
#include "headless/ui/native/native_dialogs.h"
#include "host/adslib.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::ui {
namespace {

struct State {
  std::map<int, dcl::File> files;
  int nextId = 1;
  std::vector<std::unique_ptr<Dialog>> stack;
  std::string pictureDir;
  int pictureCount = 0;
  // The list being filled between ads_start_list and ads_end_list.
  LiveTile* list = nullptr;
  short listOperation = 0, listIndex = 0;
  LiveTile* image = nullptr;
};
State& state() {
  static State s;
  return s;
}

Dialog* live(ads_hdlg h) {
  for (const auto& d : state().stack)
    if (d.get() == h) return d.get();
  return nullptr;
}

void report(const Dialog* d, const std::u16string& key, const char16_t* operation) {
  Console& c = Console::get();
  c.note(u"; dialog \"" + (d ? d->name : u"?") + u"\" has no tile \"" + key + u"\" (" + operation + u")\n");
  c.countFailure();
}

bool isCluster(const std::u16string& kind) {
  return kind == u"radio_row" || kind == u"radio_column" || kind == u"boxed_radio_row" ||
         kind == u"boxed_radio_column";
}

void collect(Dialog& d, const dcl::Tile& t, const std::u16string& cluster, std::vector<std::u16string>& enclosing) {
  const std::u16string key = t.key();
  if (!key.empty()) {
    LiveTile& live = d.tiles[key];
    live.def = &t;
    live.enclosing = enclosing;
    live.value = t.attribute(u"value");
    live.cluster = t.kind == u"radio_button" ? cluster : u"";
    const std::u16string list = t.attribute(u"list");
    for (size_t start = 0; !list.empty() && start <= list.size();) {
      const size_t nl = list.find(u'\n', start);
      live.list.push_back(list.substr(start, nl - start));
      if (nl == std::u16string::npos) break;
      start = nl + 1;
    }
    if (t.attribute(u"is_enabled") == u"false") live.enabled = false;
  }
  const std::u16string inner = isCluster(t.kind) ? key : cluster;
  const bool encloses = !key.empty() && !t.children.empty() && t.kind != u"dialog";
  if (encloses) enclosing.push_back(key);
  for (const auto& c : t.children) collect(d, c, inner, enclosing);
  if (encloses) enclosing.pop_back();
}

// A radio row or column and its buttons agree from the start: the cluster's own value
// selects its button, else a button marked "1" gives the cluster its key.
void settleClusters(Dialog& d) {
  for (auto& [key, t] : d.tiles) {
    if (!isCluster(t.def->kind)) continue;
    if (!t.value.empty()) {
      for (auto& [k, button] : d.tiles)
        if (button.cluster == key) button.value = k == t.value ? u"1" : u"0";
      continue;
    }
    for (auto& [k, button] : d.tiles)
      if (button.cluster == key && button.value == u"1") t.value = k;
  }
}

void setValue(Dialog& d, LiveTile& t, const std::u16string& value) {
  t.value = value;
  // A radio button set on turns the others of its row or column off.
  if (!t.cluster.empty() && value == u"1") {
    for (auto& [k, other] : d.tiles)
      if (&other != &t && other.cluster == t.cluster) other.value = u"0";
    if (LiveTile* cluster = d.find(t.cluster)) cluster->value = t.def->key();
  }
  // Setting a radio row or column selects its button.
  if (isCluster(t.def->kind))
    for (auto& [k, other] : d.tiles)
      if (other.cluster == t.def->key()) other.value = k == value ? u"1" : u"0";
}

void runAction(Dialog& d, LiveTile& t, int reason, long x = 0, long y = 0) {
  // A radio button without an action of its own runs its row's or column's action, which
  // sees the button's key as the value.
  if (!t.action && !t.cluster.empty())
    if (LiveTile* cluster = d.find(t.cluster); cluster && cluster->action) {
      std::u16string value = cluster->value;
      ads_callback_packet p{&d, cluster, value.data(), cluster->clientData, reason, x, y};
      cluster->action(&p);
      return;
    }
  CLIENTFUNC fn = t.action ? t.action : d.defaultAction;
  const std::u16string key = t.def->key();
  if (!fn) {
    // Without a callback OK and Cancel close the dialog.
    if (key == u"accept" || t.def->attribute(u"is_default") == u"true") d.done = true, d.status = DLGOK;
    else if (key == u"cancel" || t.def->attribute(u"is_cancel") == u"true") d.done = true, d.status = DLGCANCEL;
    return;
  }
  std::u16string value = t.value;
  ads_callback_packet p{&d, &t, value.data(), t.clientData, reason, x, y};
  fn(&p);
}

// One script event for the dialog on top.
void handle(Dialog& d, const Event& e, const std::u16string& prompt) {
  Console& c = Console::get();
  const std::vector<std::u16string> w = eventWords(e.text);
  const std::u16string verb = w.empty() ? u"" : w[0];
  auto tile = [&](const char16_t* operation) -> LiveTile* {
    LiveTile* t = w.size() > 1 ? d.find(w[1]) : nullptr;
    if (!t) {
      c.answer(e.text);
      report(&d, w.size() > 1 ? w[1] : u"", operation);
      return nullptr;
    }
    if (!d.usable(*t)) {
      c.answer(e.text);
      c.note(u"; tile \"" + w[1] + u"\" of dialog \"" + d.name + u"\" is disabled\n");
      c.countFailure();
      return nullptr;
    }
    c.answer(e.text);
    return t;
  };
  if (verb == u"dialog") {
    c.answer(e.text);
    if (w.size() < 2 || w[1] != d.name) {
      c.note(u"; " + qd::text::fromUtf8(e.source) + u" line " + qd::text::fromUtf8(std::to_string(e.line)) +
             u": expected dialog \"" + (w.size() > 1 ? w[1] : u"") + u"\", but \"" + d.name + u"\" is shown\n");
      c.countFailure();
    }
    return;
  }
  if (verb == u"set" && w.size() >= 2) {
    if (LiveTile* t = tile(u"set")) {
      setValue(d, *t, eventRest(e.text, 2));
      runAction(d, *t, t->def->kind == u"edit_box" ? CBR_LOST_FOCUS : CBR_SELECT);
    }
    return;
  }
  // "enter": typed into an edit box and Enter pressed, which the box's callback sees as
  // a selection; "set" leaves the box, which it sees as the loss of focus.
  if (verb == u"enter" && w.size() >= 2) {
    if (LiveTile* t = tile(u"enter")) {
      setValue(d, *t, eventRest(e.text, 2));
      runAction(d, *t, CBR_SELECT);
    }
    return;
  }
  if (verb == u"click" && w.size() == 2) {
    if (LiveTile* t = tile(u"click")) {
      if (t->def->kind == u"toggle") setValue(d, *t, t->value == u"1" ? u"0" : u"1");
      if (t->def->kind == u"radio_button") setValue(d, *t, u"1");
      runAction(d, *t, CBR_SELECT);
    }
    return;
  }
  if ((verb == u"select" || verb == u"double") && w.size() >= 3) {
    if (LiveTile* t = tile(u"select")) {
      std::u16string value;
      for (size_t i = 2; i < w.size(); ++i) value += (i > 2 ? u" " : u"") + w[i];
      setValue(d, *t, value);
      runAction(d, *t, verb == u"double" ? CBR_DOUBLE_CLICK : CBR_SELECT);
    }
    return;
  }
  if (verb == u"image" && w.size() == 3) {
    if (LiveTile* t = tile(u"image")) {
      const size_t comma = w[2].find(u',');
      const long x = std::atol(qd::text::toUtf8(w[2].substr(0, comma)).c_str());
      const long y = comma == std::u16string::npos ? 0 : std::atol(qd::text::toUtf8(w[2].substr(comma + 1)).c_str());
      runAction(d, *t, CBR_SELECT, x, y);
    }
    return;
  }
  const bool esc = verb == u"cancel" || e.text == u"<esc>";
  if (esc || verb == u"ok" || e.text == u"<enter>") {
    c.answer(e.text);
    const char16_t* flag = esc ? u"is_cancel" : u"is_default";
    for (auto& [k, t] : d.tiles)
      if (t.def->attribute(flag) == u"true" || k == (esc ? u"cancel" : u"accept")) {
        if (d.usable(t)) runAction(d, t, CBR_SELECT);
        return;
      }
    if (esc) d.done = true, d.status = DLGCANCEL;
    return;
  }
  c.stop(e, prompt,
         u"a dialog event (dialog NAME, set KEY VALUE, enter KEY VALUE, click KEY, select KEY N..., double KEY N, image KEY X,Y, ok, "
         u"cancel)");
}

void writePicture(const Dialog& d) {
  const std::string file = dialogPicturePath(d.name);
  if (file.empty()) return;
  std::string error;
  if (!qd::files::replaceFile(file, dialogHtml(d), error)) {
    Console::get().note(u"; " + qd::text::fromUtf8(error) + u"\n");
    Console::get().countFailure();
  }
}

}  // namespace

LiveTile* Dialog::find(const std::u16string& key) {
  auto it = tiles.find(key);
  return it == tiles.end() ? nullptr : &it->second;
}

bool Dialog::usable(const LiveTile& t) {
  if (!t.enabled) return false;
  for (const auto& key : t.enclosing)
    if (const LiveTile* around = find(key); around && !around->enabled) return false;
  return true;
}

std::vector<std::u16string> openDialogKeys() {
  std::vector<std::u16string> keys = native::openControlNames();
  if (!state().stack.empty())
    for (const auto& [key, tile] : state().stack.back()->tiles) keys.push_back(key);
  return keys;
}

void setDialogPictureFolder(const std::string& dir) { state().pictureDir = dir; }

std::string dialogPicturePath(const std::u16string& name) {
  State& s = state();
  if (s.pictureDir.empty()) return "";
  std::error_code ec;
  std::filesystem::create_directories(s.pictureDir, ec);
  return s.pictureDir + "/" + std::to_string(++s.pictureCount) + "-" + qd::text::toUtf8(name) + ".html";
}

bool checkDialog(const std::u16string& kind, const std::u16string& key, const std::u16string& expected,
                 std::u16string& message) {
  if (state().stack.empty()) {
    message = u"no dialog is shown";
    return false;
  }
  Dialog& d = *state().stack.back();
  LiveTile* t = d.find(key);
  if (!t) {
    message = u"dialog \"" + d.name + u"\" has no tile \"" + key + u"\"";
    return false;
  }
  std::u16string actual = t->value;
  if (kind == u"usable") actual = d.usable(*t) ? u"yes" : u"no";
  if (kind == u"list") {
    actual.clear();
    for (size_t i = 0; i < t->list.size(); ++i) actual += (i ? u"|" : u"") + t->list[i];
  }
  if (actual == expected) return true;
  message = u"tile \"" + key + u"\" of dialog \"" + d.name + u"\" holds \"" + actual + u"\", expected \"" + expected + u"\"";
  return false;
}

// Slide libraries hold a few hundred small slides.
constexpr size_t kSlideLimit = size_t{16} << 20;

bool loadSlide(const std::u16string& name, qd::render::Slide& out) {
  // "library(slide)" names a slide of a library; a bare name is a slide file.
  std::u16string file = name, member;
  if (const size_t open = name.find(u'('); open != std::u16string::npos && name.back() == u')') {
    file = name.substr(0, open) + u".slb";
    member = name.substr(open + 1, name.size() - open - 2);
  } else if (file.find(u'.') == std::u16string::npos) {
    file += u".sld";
  }
  ACHAR found[1024];
  if (acedFindFile(file.c_str(), found, 1024) != RTNORM) {
    const std::u16string inSlides = u"slides/" + file;
    if (acedFindFile(inSlides.c_str(), found, 1024) != RTNORM) return false;
  }
  std::string bytes, error;
  if (!qd::files::readFile(qd::text::toUtf8(found), bytes, error, kSlideLimit)) return false;
  return member.empty() ? qd::render::readSlide(bytes, out, error)
                        : qd::render::readLibrarySlide(bytes, qd::text::toUtf8(member), out, error);
}

void imagePixels(const dcl::Tile& def, short& cx, short& cy) {
  auto number = [&](const char16_t* name) { return std::atof(qd::text::toUtf8(def.attribute(name)).c_str()); };
  const double w = std::max(1.0, number(u"width") * 8);
  double h = number(u"height") * 16;
  if (h <= 0) h = w * (number(u"aspect_ratio") > 0 ? number(u"aspect_ratio") : 1.0);
  cx = static_cast<short>(std::min(w, 4000.0));
  cy = static_cast<short>(std::min(h, 4000.0));
}

}  // namespace qd::ui

using qd::ui::Console;
using qd::ui::Dialog;
using qd::ui::LiveTile;
using qd::ui::state;

int ads_load_dialog(const ACHAR* dclfile, int* dcl_id) {
  if (dcl_id) *dcl_id = -1;
  if (!dclfile || !dcl_id) return RTERROR;
  std::u16string name = dclfile;
  ACHAR found[1024];
  if (acedFindFile(name.c_str(), found, 1024) != RTNORM) {
    const std::u16string withExt = name + u".dcl";
    if (acedFindFile(withExt.c_str(), found, 1024) != RTNORM) return RTERROR;
  }
  const std::string path = qd::text::toUtf8(found);
  std::string bytes, why;
  if (!qd::files::readFile(path, bytes, why, qd::ui::dcl::kFileLimit)) {
    Console::get().write(qd::text::fromUtf8(why) + u"\n");
    return RTERROR;
  }
  const std::u16string text = qd::ui::dcl::decodeText(bytes);
  qd::ui::dcl::File file;
  std::u16string error;
  if (!file.parse(text, std::filesystem::path(path).filename().string(), std::filesystem::path(path).parent_path().string(),
                  error)) {
    Console::get().write(error + u"\n");
    return RTERROR;
  }
  const int id = state().nextId++;
  state().files.emplace(id, std::move(file));
  *dcl_id = id;
  return RTNORM;
}

int ads_unload_dialog(int dcl_id) { return state().files.erase(dcl_id) ? RTNORM : RTERROR; }

int ads_new_positioned_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, int, int, ads_hdlg* hdlg) {
  if (hdlg) *hdlg = nullptr;
  auto it = state().files.find(dcl_id);
  if (!dlgname || !hdlg || it == state().files.end()) return RTERROR;
  auto d = std::make_unique<Dialog>();
  d->name = dlgname;
  std::u16string error;
  if (!it->second.resolve(dlgname, d->root, error) || d->root.kind != u"dialog") {
    Console::get().write(u"; " + (error.empty() ? u"\"" + d->name + u"\" is not a dialog" : error) + u"\n");
    return RTERROR;
  }
  d->defaultAction = def_callback;
  std::vector<std::u16string> enclosing;
  qd::ui::collect(*d, d->root, u"", enclosing);
  qd::ui::settleClusters(*d);
  *hdlg = d.get();
  state().stack.push_back(std::move(d));
  return RTNORM;
}

int ads_new_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, ads_hdlg* hdlg) {
  return ads_new_positioned_dialog(dlgname, dcl_id, def_callback, -1, -1, hdlg);
}

int ads_start_dialog(ads_hdlg hdlg, int* status) {
  Dialog* d = qd::ui::live(hdlg);
  if (!d) return RTERROR;
  Console& c = Console::get();
  const std::u16string prompt = u"[Dialog " + d->name + u"] ";
  if (c.atTerminal()) c.write(qd::ui::dialogForm(*d));
  while (!d->done) {
    qd::ui::Event e;
    c.write(prompt);
    if (!c.take(prompt, e)) {
      d->done = true;
      d->status = DLGCANCEL;
      break;
    }
    if (e.text == u"show") {
      c.answer(e.text);
      c.write(qd::ui::dialogForm(*d));
      continue;
    }
    qd::ui::handle(*d, e, prompt);
    if (c.stopped()) {
      d->done = true;
      d->status = DLGCANCEL;
    }
  }
  qd::ui::writePicture(*d);
  if (status) *status = d->status;
  auto& stack = state().stack;
  stack.erase(std::remove_if(stack.begin(), stack.end(), [d](const auto& p) { return p.get() == d; }), stack.end());
  return RTNORM;
}

int ads_done_dialog(ads_hdlg hdlg, int status) {
  Dialog* d = qd::ui::live(hdlg);
  if (!d) return RTERROR;
  d->done = true;
  d->status = status;
  return RTNORM;
}

int ads_done_positioned_dialog(ads_hdlg hdlg, int status, int* x, int* y) {
  if (x) *x = -1;
  if (y) *y = -1;
  return ads_done_dialog(hdlg, status);
}

int ads_term_dialog() {
  for (auto& d : state().stack) {
    d->done = true;
    d->status = DLGALLDONE;
  }
  return RTNORM;
}

namespace {
LiveTile* tileOf(ads_hdlg hdlg, const ACHAR* key, const char16_t* operation) {
  Dialog* d = qd::ui::live(hdlg);
  if (!d || !key) return nullptr;
  LiveTile* t = d->find(key);
  if (!t) qd::ui::report(d, key, operation);
  return t;
}
void copyOut(const std::u16string& s, ACHAR* out, int len) {
  if (!out || len <= 0) return;
  const size_t n = std::min(s.size(), static_cast<size_t>(len - 1));
  std::copy(s.begin(), s.begin() + static_cast<long>(n), out);
  out[n] = 0;
}
}  // namespace

int ads_action_tile(ads_hdlg hdlg, const ACHAR* key, CLIENTFUNC fn) {
  LiveTile* t = tileOf(hdlg, key, u"ads_action_tile");
  if (!t) return RTERROR;
  t->action = fn;
  return RTNORM;
}

int ads_set_tile(ads_hdlg hdlg, const ACHAR* key, const ACHAR* value) {
  LiveTile* t = tileOf(hdlg, key, u"ads_set_tile");
  if (!t) return RTERROR;
  qd::ui::setValue(*qd::ui::live(hdlg), *t, value ? value : u"");
  return RTNORM;
}

int ads_get_tile(ads_hdlg hdlg, const ACHAR* key, ACHAR* value, int maxlen) {
  LiveTile* t = tileOf(hdlg, key, u"ads_get_tile");
  if (!t) return RTERROR;
  copyOut(t->value, value, maxlen);
  return RTNORM;
}

int ads_mode_tile(ads_hdlg hdlg, const ACHAR* key, short mode) {
  LiveTile* t = tileOf(hdlg, key, u"ads_mode_tile");
  if (!t) return RTERROR;
  if (mode == MODE_ENABLE) t->enabled = true;
  else if (mode == MODE_DISABLE) t->enabled = false;
  else if (mode == MODE_FLIP) t->enabled = !t->enabled;
  return RTNORM;
}

int ads_get_attr(ads_hdlg hdlg, const ACHAR* key, const ACHAR* attr, ACHAR* value, int len) {
  LiveTile* t = tileOf(hdlg, key, u"ads_get_attr");
  if (!t || !attr) return RTERROR;
  return ads_get_attr_string(t, attr, value, len);
}

int ads_get_attr_string(ads_htile tile, const ACHAR* attr, ACHAR* value, int len) {
  auto* t = static_cast<LiveTile*>(tile);
  if (!t || !attr) return RTERROR;
  auto it = t->def->attributes.find(attr);
  if (it == t->def->attributes.end()) return RTERROR;
  copyOut(it->second, value, len);
  return RTNORM;
}

int ads_client_data_tile(ads_hdlg hdlg, const ACHAR* key, void* data) {
  LiveTile* t = tileOf(hdlg, key, u"ads_client_data_tile");
  if (!t) return RTERROR;
  t->clientData = data;
  return RTNORM;
}

int ads_start_list(ads_hdlg hdlg, const ACHAR* key, short operation, short index) {
  LiveTile* t = tileOf(hdlg, key, u"ads_start_list");
  state().list = t;
  if (!t) return RTERROR;
  state().listOperation = operation;
  state().listIndex = index;
  if (operation == LIST_NEW) t->list.clear();
  return RTNORM;
}

int ads_add_list(const ACHAR* item) {
  LiveTile* t = state().list;
  if (!t) return RTERROR;
  const std::u16string text = item ? item : u"";
  if (state().listOperation == LIST_CHANGE) {
    const auto i = static_cast<size_t>(state().listIndex);
    if (i >= t->list.size()) return RTERROR;
    t->list[i] = text;
    ++state().listIndex;
  } else {
    t->list.push_back(text);
  }
  return RTNORM;
}

int ads_end_list() {
  if (!state().list) return RTERROR;
  state().list = nullptr;
  return RTNORM;
}

int ads_dimensions_tile(ads_hdlg hdlg, const ACHAR* key, short* cx, short* cy) {
  LiveTile* t = tileOf(hdlg, key, u"ads_dimensions_tile");
  if (!t) return RTERROR;
  short w = 0, h = 0;
  qd::ui::imagePixels(*t->def, w, h);
  if (cx) *cx = w;
  if (cy) *cy = h;
  return RTNORM;
}

int ads_start_image(ads_hdlg hdlg, const ACHAR* key) {
  LiveTile* t = tileOf(hdlg, key, u"ads_start_image");
  state().image = t;
  return t ? RTNORM : RTERROR;
}

int ads_vector_image(short x1, short y1, short x2, short y2, short color) {
  if (!state().image) return RTERROR;
  state().image->image.push_back({qd::ui::ImageOp::Vector, x1, y1, x2, y2, color, u""});
  return RTNORM;
}

int ads_fill_image(short x1, short y1, short x2, short y2, short color) {
  if (!state().image) return RTERROR;
  // A fill of the whole tile starts the picture afresh.
  if (x1 == 0 && y1 == 0) state().image->image.clear();
  state().image->image.push_back({qd::ui::ImageOp::Fill, x1, y1, x2, y2, color, u""});
  return RTNORM;
}

int ads_slide_image(short x1, short y1, short width, short height, const ACHAR* name) {
  if (!state().image || !name) return RTERROR;
  qd::render::Slide slide;
  if (!qd::ui::loadSlide(name, slide)) return RTERROR;
  // The slide is scaled into the box, keeping its proportions; image rows run downwards.
  const double scale = std::min(static_cast<double>(width) / std::max(1, slide.width),
                                static_cast<double>(height) / std::max(1, slide.height));
  auto sx = [&](int x) { return static_cast<short>(x1 + x * scale); };
  auto sy = [&](int y) { return static_cast<short>(y1 + height - y * scale); };
  for (const auto& v : slide.vectors)
    state().image->image.push_back({qd::ui::ImageOp::Vector, sx(v.x1), sy(v.y1), sx(v.x2), sy(v.y2),
                                    static_cast<short>(v.color), u""});
  return RTNORM;
}

int ads_end_image() {
  if (!state().image) return RTERROR;
  state().image = nullptr;
  return RTNORM;
}
