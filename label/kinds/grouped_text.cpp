// Kind 2: groups of rows one below the other, each on its own text line, dragged into
// place as a whole, turned into the quadrant the cursor chooses, then given leaders.
#include <cmath>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/label_state.h"
#include "label/kinds/label_geometry.h"
#include "label/kinds/leader_label.h"

namespace qd::label {
namespace {

using qd::support::ResbufList;

// The label's lines and points kept apart from its entities, moved with them.
struct group_geometry {
  std::vector<AcGePoint3d> starts;                         // where each group's line begins
  std::vector<std::pair<AcGePoint3d, AcGePoint3d>> lines;  // the groups' lines
  AcGePoint3d chosen;                                      // where the user put the label
  void transform(const AcGeMatrix3d& m) {
    chosen.transformBy(m);
    for (auto& p : starts) p.transformBy(m);
    for (auto& [a, b] : lines) a.transformBy(m), b.transformBy(m);
  }
};

AcGeVector3d vec(const plane_vector& v) { return AcGeVector3d(v.x, v.y, 0); }

// The rows at S and a line under each group's marked row; with no reference line, one
// more line joins the first group to the last.
void makeAtStart(leader_label& k, label_builder& b, const AcGePoint3d& s, group_geometry& g) {
  addLabelTexts(k, b, s - k.descent_offset + vec(textOffset(k)), false,
                k.text_line ? &k.text_line->tag : &k.attach_line->tag);
  for (const text_row& row : k.rows) {
    if (!row.marked) continue;
    const AcGePoint3d start = s + AcGeVector3d(row.step_x, row.step_y, 0) + k.descent_offset;
    line_component line = k.text_line ? *k.text_line : *k.attach_line;
    if (k.text_line && k.text_line_mode == 1) line.vector = polar(k.rotation, rowWidth(k, row));
    const AcGeVector3d along = k.text_line ? vec(line.vector) + vec(k.gap_vector) : vec(line.vector);
    g.starts.push_back(start);
    g.lines.emplace_back(start, start + along);
    if (!along.isZeroLength()) addLineComponent(k, b, line, start, start + along);
  }
  if (!k.reference_on && g.starts.size() > 1)
    addLineComponent(k, b, k.reference_line, g.starts.front(), g.starts.back());
}

void apply(int64_t* set, const AcGeMatrix3d& m) {
  ads_matrix a;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) a[r][c] = m.entry[r][c];
  acedXformSS(set, a);
}

// ---- the quadrant ----

struct Quadrant {
  AcGePoint3d centre, reference;
  int current = 1;
  bool changed = false;
};
Quadrant g_quadrant;

int dragQuadrant(ads_point cursor, ads_matrix m) {
  setIdentity(m);
  const AcGePoint3d k = toWorld(cursor, g_quadrant.centre.z);
  const AcGePoint3d& c = g_quadrant.centre;
  const double a = std::atan2(g_quadrant.reference.y - c.y, g_quadrant.reference.x - c.x);
  double r = std::atan2(k.y - c.y, k.x - c.x) - (a - kQuarterTurn);
  while (r < 0) r += kFullTurn;
  while (r >= kFullTurn) r -= kFullTurn;
  const int q = quadrantOf(r);
  if (q == 0 || q == g_quadrant.current) return RTNONE;
  g_quadrant.current = q;
  g_quadrant.changed = true;
  return RTCAN;
}

bool mirrored(int q) { return q == 2 || q == 3; }
bool turned(int q) { return q == 3 || q == 4; }

// From one quadrant's picture to another's: the mirror about the line from the centre
// to the reference, the half turn about the centre, or both (each undoes itself).
void turnInto(leader_label& k, int64_t* set, group_geometry& g, const AcGePoint3d& centre,
              const AcGePoint3d& reference, int from, int to) {
  if (mirrored(from) != mirrored(to)) {
    ads_point a, b;
    toUser(centre, a);
    toUser(reference, b);
    acedCommand(RTSTR, u"._MIRROR", RTPICKS, set, RTSTR, u"", RTPOINT, a, RTPOINT, b, RTSTR, u"_Y", RTNONE);
    g.transform(AcGeMatrix3d::mirroring2d(centre, reference));
  }
  if (turned(from) != turned(to)) {
    // The point reflection through the centre.
    AcGeMatrix3d m;
    for (int i = 0; i < 3; ++i) m.entry[i][i] = -1;
    m.entry[0][3] = 2 * centre.x, m.entry[1][3] = 2 * centre.y, m.entry[2][3] = 2 * centre.z;
    apply(set, m);
    g.transform(m);
  }
}

short shortVariable(const char16_t* name) {
  resbuf rb{};
  return acedGetVar(name, &rb) == RTNORM && rb.restype == RTSHORT ? rb.resval.rint : 0;
}

void setShort(const char16_t* name, short value) {
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = value;
  acedSetVar(name, &rb);
}

// The quadrant of the label, chosen by dragging a point round the centre, the last
// group's start where the label was put; `shown` is the quadrant the label is drawn in.
// RTNORM when chosen.
int chooseQuadrant(leader_label& k, label_builder& b, group_geometry& g, const AcGePoint3d& centre,
                   const AcGePoint3d& reference, int& shown) {
  const short mirrorText = shortVariable(u"MIRRTEXT");
  setShort(u"MIRRTEXT", 0);
  temporary_point point(k, centre);
  g_quadrant = Quadrant{centre, reference, shown, false};
  int rc;
  for (;;) {
    g_quadrant.changed = false;
    ads_point picked;
    rc = acedDragGen(point.set(), qd::support::moduleText(40), 0, dragQuadrant, picked);
    if (rc != RTCAN || !g_quadrant.changed) break;
    turnInto(k, b.set(), g, centre, reference, shown, g_quadrant.current);
    shown = g_quadrant.current;
  }
  setShort(u"MIRRTEXT", mirrorText);
  return rc;
}

// The identity of the element picked at the first leader's end goes onto the entities
// made before it was known.
void tagWithElement(label_builder& b, const std::u16string& element) {
  const int32_t n = [&b] {
    int32_t length = 0;
    acedSSLength(b.set(), &length);
    return length;
  }();
  for (int32_t i = 0; i < n; ++i) {
    ads_name name;
    AcDbObjectId id;
    if (acedSSName(b.set(), i, name) != RTNORM || acdbGetObjectId(id, name) != Acad::eOk) continue;
    qd::support::Opened<AcDbEntity> e(id, AcDb::kForWrite);
    if (!e) continue;
    ResbufList own(e->xData(b.own().c_str()));
    if (!own.get()) continue;
    ResbufList removed(acutBuildList(1001, b.own().c_str(), 0));
    e->setXData(removed.get());
    ResbufList tag(acutBuildList(1001, element.c_str(), 1000, u"BE", 0));
    e->setXData(tag.get());
  }
}

// One label: made at once outside the view, dragged to its place, turned, given
// leaders. False when the user gave up; nothing of it is left then.
bool placeGroups(leader_label& k) {
  prepareLineLayers(k);
  prepareLayer(k.layer_name, 32);
  label_builder b(k);
  const AcGePoint3d s = previewStart(k);
  group_geometry g;
  makeAtStart(k, b, s, g);
  if (b.failed() || g.starts.empty()) return false;
  setDragBase(s);
  ads_point picked;
  if (acedDragGen(b.set(), qd::support::moduleText(39), 0, dragTranslate, picked) != RTNORM) return false;
  g.chosen = s;
  const AcGeMatrix3d move = AcGeMatrix3d::translation(toWorld(picked, k.elevation) - s);
  apply(b.set(), move);
  g.transform(move);
  const AcGePoint3d centre = g.starts.back(), reference = g.starts.front();
  int quadrant = 1;
  for (;;) {
    if (chooseQuadrant(k, b, g, centre, reference, quadrant) != RTNORM) return false;
    // Without a reference line the leaders start where the label was put, turned with it.
    const AcGePoint3d from = k.reference_on ? g.starts.front() : g.chosen;
    const LeaderInput input = askLeaders(k, from);
    acedRedraw(nullptr, 1);
    if (input == LeaderInput::Abandoned) return false;
    if (input == LeaderInput::Done) break;
  }
  std::vector<std::u16string> leaderIdentities;
  if (!pickLeaderElements(k, leaderIdentities)) return false;
  if (k.link_name) tagWithElement(b, *k.link_name);
  addLeaders(k, b, leaderIdentities);
  return b.finish();
}

}  // namespace

void groupedTextWithLeaders(label_state& state) {
  leader_label k(state);
  buildContext(k);
  buildLeaderLabel(k);
  if (!placeRowsInGroups(k)) {
    placeRowsOnLine(k);
    if (!k.rows.empty()) placeOnTextLine(k);
    return;
  }
  do {
    if (!placeGroups(k)) return;
    sourceTextQuestion(k.settings);
  } while (k.repeat);
}

}  // namespace qd::label
