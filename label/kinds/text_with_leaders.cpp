// Kind 1: the rows on a short text line from an anchor, on the side of it the cursor
// chooses, with leaders from the anchor to what the label describes.
#include <cmath>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/label_state.h"
#include "label/kinds/label_geometry.h"
#include "label/kinds/leader_label.h"

namespace qd::label {
namespace {

leader_label* g_label = nullptr;  // the label whose side is being chosen
bool g_sideChanged = false;

AcGeVector3d times(const plane_vector& v, double s) { return AcGeVector3d(s * v.x, s * v.y, 0); }

void swapLeftRight(leader_label& k) {
  for (auto& row : k.rows)
    if (row.horizontal_mode != 1) row.horizontal_mode = 2 - row.horizontal_mode;
}

// Where the first row's offset is counted from for the side.
AcGePoint3d textStart(const leader_label& k, int side) {
  return k.anchor - k.descent_offset + times(textOffset(k), side);
}

// The rows and the line with the marked row, for a side, as preview entities.
void drawSide(leader_label& k, int side) {
  eraseTemporaries(k);
  if (side < 0) swapLeftRight(k);
  const AcGePoint3d start = textStart(k, side);
  for (const auto& row : k.rows)
    k.temporary_ids.push_back(appendToSpace(k, newLabelText(k, row, start + AcGeVector3d(row.step_x, row.step_y, 0))));
  if (side < 0) swapLeftRight(k);
  const AcGePoint3d end = lineEnd(k, k.anchor, side);
  if (end != k.anchor) k.temporary_ids.push_back(appendToSpace(k, new AcDbLine(k.anchor, end)));
}

// The text goes to the side of the anchor the cursor is on: left of the perpendicular
// through the anchor is the mirrored side.
int cursorSide(const leader_label& k, const ads_point cursor) {
  ads_point anchor;
  toUser(k.anchor, anchor);
  return sideOf(std::atan2(cursor[1] - anchor[1], cursor[0] - anchor[0]) + k.ucs_angle, k.rotation);
}

int sideDrag(ads_point cursor, ads_matrix m) {
  setIdentity(m);
  leader_label& k = *g_label;
  const int side = cursorSide(k, cursor);
  if (side == k.side) return RTNONE;
  k.side = side;
  drawSide(k, side);
  g_sideChanged = true;
  return RTERROR;  // ends the drag; it starts again on the new preview
}

// The side of the label, chosen by dragging a point from the anchor; RTNORM when chosen.
int chooseSide(leader_label& k) {
  temporary_point point(k, k.anchor);
  g_label = &k;
  k.side = 1;
  drawSide(k, k.side);
  int rc;
  do {
    g_sideChanged = false;
    ads_point picked;
    rc = acedDragGen(point.set(), qd::support::moduleText(40), 0, sideDrag, picked);
  } while (rc == RTERROR && g_sideChanged);
  g_label = nullptr;
  if (rc == RTNORM) k.line_end = lineEnd(k, k.anchor, k.side);
  return rc;
}

const line_component& textLineOrAttach(const leader_label& k) { return k.text_line ? *k.text_line : *k.attach_line; }

// The final label: its line, the leaders with their marks, then the texts. False when
// nothing was made.
bool makeLabel(leader_label& k) {
  std::vector<std::u16string> leaderIdentities;
  if (!pickLeaderElements(k, leaderIdentities)) return false;
  if (k.link_to_element && !k.link_name && !pickLabelElement(k)) return false;
  prepareLineLayers(k);
  prepareLayer(k.layer_name, 32);
  label_builder builder(k);
  const line_component& line = textLineOrAttach(k);
  if (k.line_end != k.anchor) addLineComponent(k, builder, line, k.anchor, k.line_end);
  addLeaders(k, builder, leaderIdentities);
  if (k.side < 0) swapLeftRight(k);
  addLabelTexts(k, builder, textStart(k, k.side), false, &line.tag);
  if (k.side < 0) swapLeftRight(k);
  return builder.finish();
}

enum class Placed { Made, NotMade, GivenUp };

// One label: the rows dragged to the anchor, the side, the leaders. A take-back of the
// last leader when there is none places the rows again.
Placed placeOne(leader_label& k) {
  for (;;) {
    AcGePoint3d anchor;
    if (dragLabelPreview(k, false, anchor) != RTNORM) return Placed::GivenUp;
    k.anchor = anchor;
    const int side = chooseSide(k);
    LeaderInput input = side == RTNORM ? askLeaders(k, anchor) : LeaderInput::Abandoned;
    acedRedraw(nullptr, 1);
    eraseTemporaries(k);
    if (input == LeaderInput::TakenBack) continue;
    if (input == LeaderInput::Abandoned) return Placed::GivenUp;
    return makeLabel(k) ? Placed::Made : Placed::NotMade;
  }
}

}  // namespace

void placeOnTextLine(leader_label& k) {
  do {
    if (!askRowText(k)) return;
    const Placed placed = placeOne(k);
    if (placed == Placed::GivenUp) return;
    // The label taken for editing may go only once the new one is there.
    if (placed == Placed::Made) sourceTextQuestion(k.settings);
  } while (k.repeat);
}

void textWithLeaders(label_state& state) {
  leader_label k(state);
  buildContext(k);
  buildLeaderLabel(k);
  placeRowsOnLine(k);
  if (!k.rows.empty()) placeOnTextLine(k);
}

}  // namespace qd::label
