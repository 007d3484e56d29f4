// Kinds 6 and 7: one text centred in a rectangular frame, placed by one of its nine
// points; kind 6 adds leaders that leave from the frame's edge.
#include <array>
#include <cmath>
#include <cstdlib>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "label/command/label_state.h"
#include "label/kinds/block_preview.h"
#include "label/kinds/label_geometry.h"
#include "label/kinds/leader_label.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::ResbufList;

bool is(const char16_t* field, const char16_t* value) { return std::u16string(field) == value; }

struct framed_label : leader_label {
  explicit framed_label(label_state& state) : leader_label(state) {}
  double frame_width = 0, frame_height = 0, height_multiplier = 1.4;
  std::u16string frame_layer;
  int frame_position = 6;
  int16_t frame_colour = 256;
  bool width_from_text = false, height_from_text = false;
  app_tag frame_tag;
};

// The frame's corners c1 (top left) to c4 (bottom left) and centre, placed by its
// reference point on `at`.
struct frame {
  std::array<AcGePoint3d, 4> corners;
  AcGePoint3d centre;
};

frame frameAt(const framed_label& k, const AcGePoint3d& at) {
  const auto p = frameCorners(k.frame_width, k.frame_height, k.frame_position, k.rotation, at);
  return {{p[0], p[1], p[2], p[3]}, p[4]};
}

double textWidth(const framed_label& k) { return rowWidth(k, k.rows[0]); }

void measureWidth(framed_label& k) {
  if (k.width_from_text) k.frame_width = 1.2 * textWidth(k);
}

void buildFrame(framed_label& k) {
  const kind_settings& s = k.settings.currentBlock();
  k.height_multiplier = std::atof(qd::text::toUtf8(s.edt_hght_mul).c_str());
  partLayer(k, s.bold_line_mark, s.color_mark, k.frame_layer, k.frame_colour);
  k.frame_position = s.pos_mark;
  k.width_from_text = is(s.width_mark, u"1");
  k.height_from_text = is(s.height_mark, u"1");
  k.frame_tag = {u"BE_TEXT_MAIT", std::u16string(1, static_cast<char16_t>(u'0' + (k.frame_position % 10 + 10) % 10))};
  k.frame_width = drawingSize(k, s.edt_wdth_mk_sc);
  measureWidth(k);
  k.frame_height = k.height_from_text ? k.height * k.height_multiplier : drawingSize(k, s.edt_hght_mk_sc);
}

bool askFrameText(framed_label& k) {
  if (!k.ask_text) return true;
  const std::u16string prompt = u"\nText <" + k.rows[0].text + u">:";
  ACHAR answer[256] = {0};
  if (acedGetString(1, prompt.c_str(), answer, 256) != RTNORM) return false;
  if (*answer) {
    k.rows[0].text = answer;
    measureWidth(k);
  }
  return true;
}

AcDbLine* frameLine(const AcGePoint3d& a, const AcGePoint3d& b) { return new AcDbLine(a, b); }

// The frame and its text around the origin, for the preview.
void fillPreview(framed_label& k, AcDbBlockTableRecord* block) {
  const frame f = frameAt(k, AcGePoint3d(0, 0, 0));
  for (size_t i = 0; i < 4; ++i) {
    AcDbLine* line = frameLine(f.corners[i], f.corners[(i + 1) % 4]);
    if (block->appendAcDbEntity(line) == Acad::eOk) line->close();
    else delete line;
  }
  AcDbText* text = newLabelText(k, k.rows[0], f.centre);
  if (block->appendAcDbEntity(text) == Acad::eOk) text->close();
  else delete text;
}

// Where a leader's first segment leaves the frame: the first edge it crosses.
std::optional<AcGePoint3d> exitPoint(const frame& f, const leader_segment& s) {
  ads_point from, to;
  toUser(s.start, from);
  toUser(s.end, to);
  for (size_t i = 0; i < 4; ++i) {
    ads_point a, b, crossing;
    toUser(f.corners[i], a);
    toUser(f.corners[(i + 1) % 4], b);
    if (acdbInters(from, to, a, b, 1, crossing) == RTNORM) return toWorld(crossing, s.start.z);
  }
  return std::nullopt;
}

// Every leader leaves from the frame's edge; false when one crosses no edge.
bool startLeadersOnFrame(framed_label& k, const frame& f) {
  for (leader& l : k.leaders) {
    if (l.empty()) continue;
    const auto exit = exitPoint(f, l.front());
    if (!exit) return false;
    l.front().start = *exit;
  }
  return true;
}

bool makeLabel(framed_label& k, const frame& f) {
  std::vector<std::u16string> leaderIdentities;
  if (!pickLeaderElements(k, leaderIdentities)) return false;
  if (k.link_to_element && !k.link_name && !pickLabelElement(k)) return false;
  prepareLayer(k.layer_name, 32);
  prepareLayer(k.frame_layer, 32);
  if (!k.leaders.empty()) prepareLineLayers(k);
  label_builder b(k);
  for (size_t i = 0; i < 4; ++i) {
    AcDbLine* line = frameLine(f.corners[i], f.corners[(i + 1) % 4]);
    line->setLayer(k.frame_layer.c_str());
    line->setColorIndex(k.frame_colour);
    if (!b.add(line, [&k](const std::u16string& own) {
          ResbufList xdata = identityXdata(k.link_name.value_or(own));
          appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_SCL", 1070, -1, 0));
          appendXdata(xdata, kindXdata(k));
          appendXdata(xdata, tagXdata(k.frame_tag));
          return xdata;
        }))
      return false;
  }
  AcDbText* text = newLabelText(k, k.rows[0], f.centre);
  text->setColorIndex(k.colour);
  text->setLayer(k.layer_name.c_str());
  b.add(text, [&k](const std::u16string& own) {
    ResbufList xdata = identityXdata(k.link_name.value_or(own));
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_SCL", 1070, -1, 1001, u"TV_TEXT_REF", 1070, 11, 0));
    appendXdata(xdata, kindXdata(k));
    return xdata;
  });
  addLeaders(k, b, leaderIdentities);
  return b.finish();
}

enum class Placed { Made, NotMade, GivenUp };

Placed placeOne(framed_label& k, bool withLeaders) {
  for (;;) {
    AcGePoint3d at;
    if (dragBlockPreview(k, [&k](AcDbBlockTableRecord* block) { fillPreview(k, block); }, at) != RTNORM)
      return Placed::GivenUp;
    const frame f = frameAt(k, at);
    k.leaders.clear();
    if (withLeaders) {
      const LeaderInput input = askLeaders(k, f.centre);
      acedRedraw(nullptr, 1);
      if (input == LeaderInput::TakenBack) continue;
      if (input == LeaderInput::Abandoned) return Placed::GivenUp;
      if (!startLeadersOnFrame(k, f)) {
        acutPrintf(u"\nA leader must leave the frame: the label was not drawn.\n");
        return Placed::NotMade;
      }
    }
    return makeLabel(k, f) ? Placed::Made : Placed::NotMade;
  }
}

void framedText(label_state& state, bool withLeaders) {
  framed_label k(state);
  buildContext(k);
  buildLeaderLabel(k);
  for (const auto& row : state.currentList())
    if (row && !row->empty()) {
      k.rows.push_back({*row, 0, 0, k.elevation, 2, 1});
      break;
    }
  if (k.rows.empty()) return;
  buildFrame(k);
  do {
    if (!askFrameText(k)) return;
    if (!(k.frame_width > 0) || !(k.frame_height > 0)) {
      acutPrintf(u"\nThe frame has no width or no height: nothing was drawn.\n");
      return;
    }
    const Placed placed = placeOne(k, withLeaders);
    if (placed == Placed::GivenUp) return;
    if (placed == Placed::Made) sourceTextQuestion(k.settings);
  } while (k.repeat);
}

}  // namespace

void framedTextWithLeaders(label_state& state) { framedText(state, true); }
void framedTextAlone(label_state& state) { framedText(state, false); }

}  // namespace qd::label
