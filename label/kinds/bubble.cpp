// Kinds 3, 4 and 5: a circle holding one or two short texts, often a counted position
// number; free (4), with leaders from its edge (3), or in a gap of one line or at the
// crossing of two (5).
#include <cmath>
#include <cstdlib>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/label_state.h"
#include "label/kinds/label_geometry.h"
#include "label/kinds/block_preview.h"
#include "label/kinds/bubble_counter.h"
#include "label/kinds/element_picker.h"
#include "label/kinds/leader_label.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::ResbufList;

bool is(const char16_t* field, const char16_t* value) { return std::u16string(field) == value; }

struct bubble_label : leader_label {
  explicit bubble_label(label_state& state) : leader_label(state) {}
  int row_count = 1;
  int16_t circle_colour = 256, divider_colour = 256;
  bool by_height = true;
  double multiplier = 2.33, radius_given = 0;
  std::u16string circle_layer, divider_layer;
  std::u16string stored[2];
  bool rotate_with_line = false;
  double radius() const { return by_height ? height * multiplier : radius_given; }
  bool withLines() const { return kind == 3 || kind == 5; }
};

// The displayed rows from the stored texts: one centred on the centre, or two either
// side of the divider.
void showRows(bubble_label& k) {
  k.rows.clear();
  const std::u16string upper = splitCounter(k.stored[0]).shown;
  if (k.row_count == 1) {
    k.rows.push_back({upper, 0, 0, k.elevation, 2, 1});
    return;
  }
  ads_point lo = {0, 0, 0}, hi = {0, 0, 0};
  textBox(k, u"Tp", lo, hi);
  const plane_vector down = polar(k.rotation - kQuarterTurn, hi[1] - lo[1]);
  k.rows.push_back({upper, 0, 0, k.elevation, 1, 1});
  k.rows.push_back({splitCounter(k.stored[1]).shown, down.x, down.y, k.elevation, 3, 1});
}

void buildBubble(bubble_label& k) {
  const kind_settings& s = k.settings.currentBlock();
  k.row_count = is(s.number_row, u"row1") ? 1 : 2;
  partLayer(k, s.bold_ln_bubb, s.color_crcl, k.circle_layer, k.circle_colour);
  partLayer(k, s.bold_div_ln, s.colorline, k.divider_layer, k.divider_colour);
  k.by_height = is(s.height_bubble, u"hgt_mul");
  k.multiplier = std::atof(qd::text::toUtf8(s.edit_mul_height).c_str());
  k.radius_given = drawingSize(k, s.input_dia_cir_sc) / 2;
  k.rotate_with_line = k.withLines() && is(s.text_rotat, u"1");
  const RowList& list = k.settings.currentList();
  for (size_t i = 0; i < 2; ++i) k.stored[i] = i < list.size() && list[i] ? splitCounter(*list[i]).stored : u"";
  showRows(k);
}

// The stored texts back into the command's rows, so that the next bubble counts on.
void keepTexts(bubble_label& k) {
  RowList& list = k.settings.currentList();
  for (size_t i = 0; i < 2 && i < static_cast<size_t>(k.row_count); ++i) {
    if (list.size() <= i) list.resize(i + 1);
    list[i] = k.stored[i];
  }
}

void advance(bubble_label& k) {
  for (auto& text : k.stored) text = advanceCounters(text);
  keepTexts(k);
  showRows(k);
}

bool askBubbleText(bubble_label& k) {
  if (!k.ask_text) return true;
  const std::u16string shown = k.row_count == 2 ? k.rows[0].text + u"|" + k.rows[1].text : k.rows[0].text;
  const std::u16string prompt = u"\nText <" + shown + u">:";
  ACHAR answer[256] = {0};
  if (acedGetString(1, prompt.c_str(), answer, 256) != RTNORM) return false;
  const std::u16string typed = answer;
  if (typed.empty()) return true;
  const size_t bar = k.row_count == 2 ? typed.find(u'|') : std::u16string::npos;
  k.stored[0] = splitCounter(typed.substr(0, bar)).stored;
  if (bar != std::u16string::npos) k.stored[1] = splitCounter(typed.substr(bar + 1)).stored;
  keepTexts(k);
  showRows(k);
  return true;
}

// ---- the figure ----

AcDbLine* divider(const bubble_label& k, const AcGePoint3d& centre) {
  const plane_vector half = polar(k.rotation, k.radius());
  const AcGeVector3d v(half.x, half.y, 0);
  return new AcDbLine(centre - v, centre + v);
}

void fillPreview(bubble_label& k, AcDbBlockTableRecord* block) {
  const AcGePoint3d origin(0, 0, 0);
  auto add = [block](AcDbEntity* e) {
    if (block->appendAcDbEntity(e) == Acad::eOk) e->close();
    else delete e;
  };
  add(new AcDbCircle(origin, AcGeVector3d::kZAxis, k.radius()));
  // The block is inserted turned with the user's coordinate system.
  const double rotation = k.rotation;
  k.rotation -= k.ucs_angle;
  for (const auto& row : k.rows) add(newLabelText(k, row, origin + AcGeVector3d(row.step_x, row.step_y, 0)));
  if (k.row_count == 2) add(divider(k, origin));
  k.rotation = rotation;
}

int preview(bubble_label& k, AcGePoint3d& centre) {
  return dragBlockPreview(k, [&k](AcDbBlockTableRecord* block) { fillPreview(k, block); }, centre);
}

void prepareBubbleLayers(const bubble_label& k) {
  prepareLayer(k.layer_name, 32);
  prepareLayer(k.circle_layer, 32);
  prepareLayer(k.divider_layer, 32);
}

resbuf* reference() { return acutBuildList(1001, u"TV_TEXT_REF", 1070, 11, 0); }
resbuf* scaled() { return acutBuildList(1001, u"TV_TEXT_SCL", 1070, -1, 0); }

// The circle, its texts and the divider at the centre, tagged as the kind wants.
bool addBubble(bubble_label& k, label_builder& b, const AcGePoint3d& centre) {
  const bool lines = k.withLines();
  auto* circle = new AcDbCircle(centre, AcGeVector3d::kZAxis, k.radius());
  circle->setLayer(k.circle_layer.c_str());
  circle->setColorIndex(k.circle_colour);
  if (!b.add(circle, [&k, lines](const std::u16string& own) {
        ResbufList xdata = identityXdata(k.link_name.value_or(own));
        if (!lines) appendXdata(xdata, kindXdata(k));
        appendXdata(xdata, reference());
        appendXdata(xdata, scaled());
        if (lines) appendXdata(xdata, kindXdata(k));
        return xdata;
      }))
    return false;
  for (size_t i = 0; i < k.rows.size(); ++i) {
    const text_row& row = k.rows[i];
    AcDbText* text = newLabelText(k, row, centre + AcGeVector3d(row.step_x, row.step_y, 0));
    text->setLayer(k.layer_name.c_str());
    text->setColorIndex(k.colour);
    const bool upper = i == 0;
    if (!b.add(text, [&k, lines, upper](const std::u16string& own) {
          ResbufList xdata = upper && !lines ? ResbufList(acutBuildList(-3, 0)) : identityXdata(k.link_name.value_or(own));
          if (upper && !lines) {
            appendXdata(xdata, kindXdata(k));
            appendXdata(xdata, acutBuildList(1001, k.link_name.value_or(own).c_str(), 1000, u"BE", 0));
          }
          if (upper) appendXdata(xdata, reference());
          appendXdata(xdata, scaled());
          if (lines || !upper) appendXdata(xdata, kindXdata(k));
          if (upper && lines)
            appendXdata(xdata, acutBuildList(1001, u"BE_TEXT_ROTA", 1000, k.rotate_with_line ? u"1" : u"0", 0));
          return xdata;
        }))
      return false;
  }
  if (k.row_count != 2) return true;
  AcDbLine* line = divider(k, centre);
  line->setLayer(k.divider_layer.c_str());
  line->setColorIndex(k.divider_colour);
  return b.add(line, [&k](const std::u16string& own) {
    ResbufList xdata = identityXdata(k.link_name.value_or(own));
    appendXdata(xdata, scaled());
    appendXdata(xdata, kindXdata(k));
    return xdata;
  });
}

enum class Placed { Made, NotMade, GivenUp };

// ---- kind 4: the free bubble ----

Placed placeFree(bubble_label& k) {
  AcGePoint3d centre;
  if (preview(k, centre) != RTNORM) return Placed::GivenUp;
  if (k.link_to_element && !k.link_name && !pickLabelElement(k)) return Placed::NotMade;
  prepareBubbleLayers(k);
  label_builder b(k);
  addBubble(k, b, centre);
  return b.finish() ? Placed::Made : Placed::NotMade;
}

// ---- kind 3: leaders from the bubble's edge ----

struct Exit {
  AcGePoint3d candidates[2];
  int marked = -1;
  double cross = 1;
};
Exit g_exit;  // the exit points offered

int nearer(const AcGePoint3d& p) {
  return p.distanceTo(g_exit.candidates[1]) < p.distanceTo(g_exit.candidates[0]) ? 1 : 0;
}

void markExit(int which) {
  acedRedraw(nullptr, 1);
  const AcGePoint3d& c = g_exit.candidates[which];
  const double h = g_exit.cross;
  ads_point a, b, d, e;
  toUser(AcGePoint3d(c.x - h, c.y - h, c.z), a);
  toUser(AcGePoint3d(c.x + h, c.y + h, c.z), b);
  toUser(AcGePoint3d(c.x - h, c.y + h, c.z), d);
  toUser(AcGePoint3d(c.x + h, c.y - h, c.z), e);
  acedGrDraw(a, b, 1, 0);
  acedGrDraw(d, e, 1, 0);
}

// Moves nothing: marks the exit point nearer to the cursor.
int chooseExit(ads_point cursor, ads_matrix m) {
  setIdentity(m);
  const int which = nearer(toWorld(cursor, g_exit.candidates[0].z));
  if (which != g_exit.marked) markExit(which), g_exit.marked = which;
  return RTNONE;
}

// The point of the circle the leaders leave from, chosen with the cursor.
int askExit(bubble_label& k, const AcGePoint3d& centre, AcGePoint3d& exit) {
  const bool across = is(k.settings.currentBlock().perpen_text, u"1");
  const double d = k.rotation - k.ucs_angle - (across ? kQuarterTurn : 0);
  const plane_vector a = polar(d, k.radius()), b = polar(d - kHalfTurn, k.radius());
  resbuf rb{};
  const double view = acedGetVar(u"VIEWSIZE", &rb) == RTNORM && rb.restype == RTREAL ? rb.resval.rreal : 1;
  g_exit = Exit{{centre + AcGeVector3d(a.x, a.y, 0), centre + AcGeVector3d(b.x, b.y, 0)}, -1, view / 28 / 2};
  ads_point picked;
  int rc;
  {
    temporary_point point(k, centre);
    rc = acedDragGen(point.set(), qd::support::moduleText(40), 0, chooseExit, picked);
  }
  acedRedraw(nullptr, 1);
  if (rc == RTNORM) exit = g_exit.candidates[nearer(toWorld(picked, centre.z))];
  return rc;
}

Placed placeWithLeaders(bubble_label& k) {
  for (;;) {
    AcGePoint3d centre, exit;
    if (preview(k, centre) != RTNORM) return Placed::GivenUp;
    if (askExit(k, centre, exit) != RTNORM) return Placed::GivenUp;
    AcGeVector3d outward = exit - centre;
    outward.normalize();
    const double attach = k.attach_line ? k.attach_line->length : 0;
    const AcGePoint3d from = exit + outward * attach;
    const LeaderInput input = askLeaders(k, from);
    acedRedraw(nullptr, 1);
    if (input == LeaderInput::TakenBack) continue;
    if (input == LeaderInput::Abandoned) return Placed::GivenUp;
    std::vector<std::u16string> identities;
    if (!pickLeaderElements(k, identities)) return Placed::NotMade;
    if (k.link_to_element && !k.link_name && !pickLabelElement(k)) return Placed::NotMade;
    prepareBubbleLayers(k);
    prepareLineLayers(k);
    label_builder b(k);
    if (addBubble(k, b, centre) && k.attach_line && attach > 0) addLineComponent(k, b, *k.attach_line, exit, from);
    addLeaders(k, b, identities);
    return b.finish() ? Placed::Made : Placed::NotMade;
  }
}

// ---- kind 5: in a line, or where two lines cross ----

void drawLine(const AcGePoint3d& a, const AcGePoint3d& b) {
  ads_point p, q;
  toUser(a, p);
  toUser(b, q);
  acedGrDraw(p, q, -1, 0);
}

enum class Lines { One, Two, GivenUp, Parallel };

// The points of the line or lines; a keyword steps back to the point before.
Lines askLines(bubble_label& k, AcGePoint3d (&p)[4]) {
  int i = 0;
  while (i < 4) {
    ads_point base;
    if (i > 0) toUser(p[i - 1], base);
    const bool fourth = i == 3;
    const int rc = snappedPoint(i == 0 || i == 2 ? nullptr : &base, static_cast<short>(43 + i), k.elevation, p[i],
                                fourth ? RSG_NONULL : 0);
    if (rc == RTKWORD) {
      i = i > 0 ? i - 1 : 0;
      continue;
    }
    if (rc == RTNONE && i == 2) return Lines::One;
    if (rc != RTNORM) return Lines::GivenUp;
    if (i == 1) drawLine(p[0], p[1]);
    if (i == 3) {
      const AcGeVector3d u = p[1] - p[0], v = p[3] - p[2];
      if (std::abs(u.x * v.y - u.y * v.x) <= 1e-12 * u.length() * v.length()) return Lines::Parallel;
      ads_point a, b, c, d, crossing;
      toUser(p[0], a), toUser(p[1], b), toUser(p[2], c), toUser(p[3], d);
      if (acdbInters(a, b, c, d, 1, crossing) != RTNORM) {
        acutPrintf(u"%ls", qd::support::moduleText(33));
        i = 2;
        continue;
      }
    }
    ++i;
  }
  return Lines::Two;
}

// A line from a picked point to where it meets the circle; none from inside it.
void addLineToCircle(bubble_label& k, label_builder& b, const AcGePoint3d& from, const AcGePoint3d& centre, bool first) {
  AcGeVector3d towards = centre - from;
  const double length = towards.length();
  if (length <= k.radius()) return;
  towards.normalize();
  auto* line = new AcDbLine(from, centre - towards * k.radius());
  line->setLayer(k.reference_line.layer.c_str());
  line->setColorIndex(k.reference_line.colour);
  line->setLinetype(k.linetype.c_str());
  b.add(line, [&k, first](const std::u16string& own) {
    ResbufList xdata = identityXdata(k.link_name.value_or(own));
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_MOD", 1070, 0, 0));
    appendXdata(xdata, kindXdata(k));
    if (first) appendXdata(xdata, tagXdata(k.reference_line.tag));
    return xdata;
  });
}

Placed placeOnLines(bubble_label& k) {
  AcGePoint3d p[4];
  const Lines lines = askLines(k, p);
  acedRedraw(nullptr, 1);
  if (lines == Lines::GivenUp) return Placed::GivenUp;
  if (lines == Lines::Parallel) {
    acutPrintf(u"\nThe two lines do not cross: they run side by side; nothing was drawn.\n");
    return Placed::GivenUp;
  }
  AcGePoint3d centre;
  if (lines == Lines::One) {
    if (k.rotate_with_line) {
      k.rotation = readingAngle(k, p[0], p[1]);
      showRows(k);
    }
    if (slideBlockPreview(k, [&k](AcDbBlockTableRecord* block) { fillPreview(k, block); }, p[0], p[1], centre) != RTNORM)
      return Placed::GivenUp;
  } else {
    ads_point a, b, c, d, crossing;
    toUser(p[0], a), toUser(p[1], b), toUser(p[2], c), toUser(p[3], d);
    acdbInters(a, b, c, d, 1, crossing);
    centre = toWorld(crossing, k.elevation);
  }
  if (!linkAt(k, p[0])) return Placed::NotMade;
  prepareBubbleLayers(k);
  prepareLayer(k.reference_line.layer, 32);
  label_builder b(k);
  if (addBubble(k, b, centre))
    for (int i = 0; i < (lines == Lines::One ? 2 : 4); ++i) addLineToCircle(k, b, p[i], centre, i == 0);
  return b.finish() ? Placed::Made : Placed::NotMade;
}

void placeBubbles(label_state& state, Placed (*place)(bubble_label&)) {
  bubble_label k(state);
  buildContext(k);
  buildLeaderLabel(k);
  buildBubble(k);
  do {
    if (!askBubbleText(k)) return;
    const Placed placed = place(k);
    if (placed == Placed::GivenUp) return;
    if (placed != Placed::Made) continue;
    sourceTextQuestion(k.settings);
    advance(k);
  } while (k.repeat);
}

}  // namespace

void bubbleWithLeaders(label_state& state) { placeBubbles(state, placeWithLeaders); }
void freeBubble(label_state& state) { placeBubbles(state, placeFree); }
void bubbleOnLine(label_state& state) { placeBubbles(state, placeOnLines); }

}  // namespace qd::label
