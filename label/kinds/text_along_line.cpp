// Kind 8: a line between two points picked on the drawing, with the rows on it (or
// hanging under it) at a place the user slides along the line.
#include <cmath>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/label_state.h"
#include "label/kinds/block_preview.h"
#include "label/kinds/element_picker.h"
#include "label/kinds/leader_label.h"

namespace qd::label {
namespace {

using qd::support::ResbufList;

struct Modes {
  int horizontal = 0, vertical = 0;
};

// The six justifications a text on a line takes; none for any other.
std::optional<Modes> modesOf(const std::u16string& pos) {
  if (pos.size() < 2 || (pos[0] != u'T' && pos[0] != u'B')) return std::nullopt;
  const int vertical = pos[0] == u'T' ? 3 : 1;
  if (pos == u"TC" || pos == u"BC") return Modes{1, vertical};
  if (pos == u"TL" || pos == u"BL") return Modes{0, vertical};
  if (pos == u"TR" || pos == u"BR") return Modes{2, vertical};
  return Modes{0, 0};
}

// The two ends of the line; a keyword at the second steps back to the first.
int askLine(leader_label& k, AcGePoint3d& first, AcGePoint3d& second) {
  acutPrintf(u"%ls", qd::support::moduleText(41));
  for (;;) {
    int rc = snappedPoint(nullptr, 43, k.elevation, first);
    if (rc == RTKWORD) continue;
    if (rc != RTNORM) return rc;
    ads_point base;
    toUser(first, base);
    rc = snappedPoint(&base, 44, k.elevation, second);
    if (rc == RTKWORD) continue;
    return rc;
  }
}

plane_vector turnedUp(const plane_vector& v) { return {-v.y, v.x}; }

// Where the rows go from Q: the first on it (hanging rows a gap d below), each next one
// a step lower.
void placeRows(leader_label& k) {
  ads_point lo = {0, 0, 0}, hi = {0, 0, 0};
  textBox(k, u"Ag", lo, hi);
  const double d = -lo[1];
  const plane_vector step = turnedUp(polar(k.rotation, 2 * d + k.height));
  const plane_vector shift = turnedUp(polar(k.rotation, d));
  for (size_t i = 0; i < k.rows.size(); ++i) {
    const double below = static_cast<double>(i);
    const bool hanging = k.rows[i].vertical_mode == 3;
    k.rows[i].step_x = -step.x * below - (hanging ? shift.x : 0);
    k.rows[i].step_y = -step.y * below - (hanging ? shift.y : 0);
  }
}

// The rows slid along the line from its midpoint; RTNORM with where they stay.
int slideRows(leader_label& k, const AcGePoint3d& first, const AcGePoint3d& second, AcGePoint3d& at) {
  const AcGePoint3d middle = first + (second - first) * 0.5;
  qd::support::SelectionSet set;
  for (const auto& row : k.rows) appendToSet(k, newLabelText(k, row, middle + AcGeVector3d(row.step_x, row.step_y, 0)), set);
  beginSlide({first, second, middle, middle});
  ads_point picked;
  int rc = set.empty() ? RTERROR : acedDragGen(set.name(), qd::support::moduleText(50), 0, slideAlong, picked);
  deleteMembers(set);
  // The rubber band of the second point goes.
  ads_point a, b;
  toUser(first, a);
  toUser(second, b);
  acedGrDraw(a, b, -1, 0);
  if (rc == RTNONE) at = middle, rc = RTNORM;
  else at = currentSlide().at;
  return rc;
}

bool makeLabel(leader_label& k, const AcGePoint3d& first, const AcGePoint3d& second, const AcGePoint3d& at) {
  if (!linkAt(k, first)) return false;
  prepareLayer(k.layer_name, 32);
  prepareLayer(k.reference_line.layer, 32);
  label_builder b(k);
  for (size_t i = 0; i < k.rows.size(); ++i) {
    AcDbText* text = newLabelText(k, k.rows[i], at + AcGeVector3d(k.rows[i].step_x, k.rows[i].step_y, 0));
    text->setColorIndex(k.colour);
    text->setLayer(k.layer_name.c_str());
    const bool firstRow = i == 0;
    if (!b.add(text, [&k, firstRow](const std::u16string& own) {
          ResbufList xdata = identityXdata(k.link_name.value_or(own));
          appendXdata(xdata, kindXdata(k));
          appendXdata(xdata, acutBuildList(1001, u"BE_TEXT_JUST", 1000, k.justification.c_str(), 0));
          if (firstRow) appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_REF", 1070, 11, 0));
          appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_SCL", 1070, -1, 0));
          return xdata;
        }))
      return false;
  }
  auto* line = new AcDbLine(first, second);
  line->setLayer(k.reference_line.layer.c_str());
  line->setColorIndex(k.reference_line.colour);
  line->setLinetype(k.linetype.c_str());
  b.add(line, [&k](const std::u16string& own) {
    ResbufList xdata = identityXdata(k.link_name.value_or(own));
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT", 1000, own.c_str(), 0));
    appendXdata(xdata, kindXdata(k));
    appendXdata(xdata, tagXdata(k.reference_line.tag));
    return xdata;
  });
  return b.finish();
}

}  // namespace

void textOnLine(label_state& state) {
  leader_label k(state);
  buildContext(k);
  const std::optional<Modes> modes = modesOf(k.justification);
  if (!modes) return;
  buildLeaderLabel(k);
  for (const auto& row : state.currentList())
    if (row && !row->empty()) k.rows.push_back({*row, 0, 0, k.elevation, modes->vertical, modes->horizontal});
  if (k.rows.empty()) return;
  do {
    if (!askRowText(k)) return;
    AcGePoint3d first, second;
    if (askLine(k, first, second) != RTNORM) return;
    if (first.distanceTo(second) < 1e-9) {
      acutPrintf(u"\nThe two points are one: a text on a line needs a line; nothing was drawn.\n");
      return;
    }
    k.rotation = readingAngle(k, first, second);
    placeRows(k);
    AcGePoint3d at;
    if (slideRows(k, first, second, at) != RTNORM) return;
    if (makeLabel(k, first, second, at)) sourceTextQuestion(k.settings);
  } while (k.repeat);
}

}  // namespace qd::label
