// The dialogs shown while a session runs: loaded DCL files, the stack of open dialogs,
// the script events that drive them, and their pictures.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "headless/render/slide.h"
#include "headless/ui/dcl.h"
#include "host/adsdlg.h"

namespace qd::ui {

struct ImageOp {
  enum Kind { Vector, Fill, Slide } kind;
  short x1, y1, x2, y2, color;
  std::u16string slide;
};

// A tile of an open dialog.
struct LiveTile {
  const dcl::Tile* def = nullptr;
  std::u16string value;
  std::vector<std::u16string> list;
  CLIENTFUNC action = nullptr;
  void* clientData = nullptr;
  bool enabled = true;
  std::vector<ImageOp> image;
  std::u16string cluster;  // the radio row or column a radio button belongs to
  std::vector<std::u16string> enclosing;  // the keys of the rows and columns it lies in
};

struct Dialog {
  std::u16string name;
  dcl::Tile root;
  std::map<std::u16string, LiveTile> tiles;  // by key
  CLIENTFUNC defaultAction = nullptr;
  bool done = false;
  int status = DLGCANCEL;
  LiveTile* find(const std::u16string& key);
  // Enabled itself and in every keyed row or column around it, as DCL disables a
  // cluster's tiles with it.
  bool usable(const LiveTile& t);
};

// The size in pixels of an image tile: character cells of 8 by 16 pixels; without a
// height, the width times the aspect ratio.
void imagePixels(const dcl::Tile& def, short& cx, short& cy);

// A slide by name: "library(slide)" from library.slb, else name.sld, searched on the
// support path and its slides/ folder.
bool loadSlide(const std::u16string& name, qd::render::Slide& out);

// Checks of the dialog on top: "tile KEY VALUE" and "list KEY item|item|..." compare a
// tile's value or list lines, "usable KEY yes|no" whether it can be used. False with a message when it differs or nothing is shown.
bool checkDialog(const std::u16string& kind, const std::u16string& key, const std::u16string& expected,
                 std::u16string& message);

// Where pictures of dialogs go (none when empty): one HTML file per dialog shown.
void setDialogPictureFolder(const std::string& dir);
// The file for the picture of the next dialog shown, numbered in the order shown; empty
// when pictures are not asked for.
std::string dialogPicturePath(const std::u16string& name);
// The picture of a dialog with its current values.
std::string dialogHtml(const Dialog& d);
// The dialog as a text form for a person at the terminal, with the verbs that answer it.
std::u16string dialogForm(Dialog& d);
// The list lines a list tile's value chooses ("0 2 5").
std::vector<int> chosenLines(const std::u16string& value);
// One line of a text form: the text indented by depth, then the key (or name) it answers
// to, and whether it can be used.
void formLine(std::u16string& out, int depth, const std::u16string& text, const std::u16string& key, bool usable);
// A label as a form shows it: "&" marks the key of a mnemonic, "&&" stands for "&".
std::u16string withoutMnemonics(const std::u16string& label);
// The keys of the tiles and controls of the dialogs open, for completing what a person types.
std::vector<std::u16string> openDialogKeys();

// Text for an HTML picture, its markup characters escaped (line breaks as <br> when
// asked).
std::string htmlText(const std::u16string& s, bool breaks = false);

}  // namespace qd::ui
