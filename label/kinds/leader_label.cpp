#include "label/kinds/leader_label.h"

#include <algorithm>
#include <cmath>

#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "label/command/label_state.h"
#include "label/kinds/element_picker.h"
#include "label/kinds/label_geometry.h"

namespace qd::label {
namespace {

using qd::support::Opened;
using qd::support::ResbufList;

bool is(const char16_t* field, const char16_t* value) { return std::u16string(field) == value; }

template <class Component>
void colourOf(const leader_label& k, Component& c, const char16_t* bold, int32_t colour) {
  partLayer(k, bold, colour, c.layer, c.colour);
}

line_component lineComponent(const leader_label& k, const char16_t* bold, int32_t colour, app_tag tag,
                             double length) {
  line_component c;
  colourOf(k, c, bold, colour);
  c.tag = std::move(tag);
  c.length = length;
  c.vector = polar(k.rotation, length);
  return c;
}

int textLineMode(const leader_label& k, const kind_settings& s) {
  if (k.kind == 2) {
    if (is(s.lenght_text_line, u"lenght_text")) return 1;
    if (is(s.lenght_text_line, u"lenght_long_text")) return 2;
    return 0;
  }
  const int mode = s.lenght_along[0] - u'0';
  return mode >= 0 && mode <= 2 ? mode : 0;
}

AcDbObjectId blockId(const char16_t* name) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return {};
  Opened<AcDbBlockTable> owned(table);
  AcDbObjectId id;
  return table->getAt(name, id) == Acad::eOk ? id : AcDbObjectId();
}

ResbufList emptyXdata() { return ResbufList(acutBuildList(-3, 0)); }

// A cross over the window the element picker searches at a leader's end.
void showSearchWindow(const AcGePoint3d& at) {
  resbuf rb{};
  const double h = acedGetVar(u"VIEWSIZE", &rb) == RTNORM && rb.restype == RTREAL ? rb.resval.rreal / 28 / 2 : 1;
  ads_point a, b, c, d;
  toUser(AcGePoint3d(at.x - h, at.y - h, at.z), a);
  toUser(AcGePoint3d(at.x + h, at.y + h, at.z), b);
  toUser(AcGePoint3d(at.x - h, at.y + h, at.z), c);
  toUser(AcGePoint3d(at.x + h, at.y - h, at.z), d);
  acedGrDraw(a, b, -1, 0);
  acedGrDraw(c, d, -1, 0);
}

}  // namespace

const char16_t* markBlock(int option) {
  switch (option) {
    case 2: return u"QDL";
    case 3: return u"QDS2";
    case 4: return u"QDS1";
    case 5: return u"QDK";
    case 6: return u"QDB";
    default: return nullptr;
  }
}

void partLayer(const label_context& k, const char16_t* bold, int32_t colour, std::u16string& layer, int16_t& index) {
  const std::u16string base = k.layer_name.substr(0, 8);
  if (is(k.settings.settings.color, u"1")) {
    layer = base + (is(bold, u"1") ? u"Z" : u"Y");
    index = 256;
  } else {
    layer = base + u"W";
    index = static_cast<int16_t>(colour);
  }
}

double readingAngle(const label_context& k, const AcGePoint3d& first, const AcGePoint3d& second) {
  ads_point a, b;
  toUser(first, a);
  toUser(second, b);
  double angle = std::atan2(b[1] - a[1], b[0] - a[0]);
  if (angle < 0) angle += 2 * kHalfTurn;
  if (angle > kFoldFrom && angle < kFoldTo) angle -= kHalfTurn;
  return angle + k.ucs_angle;
}

void buildLeaderLabel(leader_label& k) {
  const kind_settings& s = k.settings.currentBlock();
  if (is(s.width_char, u"1")) {
    ads_point lo, hi;
    k.gap = textBox(k, u"A", lo, hi) ? hi[0] - lo[0] : 0;
  } else {
    k.gap = drawingSize(k, s.edit_space_sc);
  }
  k.linetype = s.ltype;
  k.text_line_mode = textLineMode(k, s);
  if (is(s.attachline, u"0"))
    k.text_line = lineComponent(k, s.bold_textline, s.color_text_line,
                                {u"BE_TEXT_TXLN", std::u16string(1, static_cast<char16_t>(u'0' + k.text_line_mode))}, 0);
  else
    k.attach_line = lineComponent(k, s.bold_line_rl, s.color_ref_line,
                                  {u"BE_TEXT_ATTC", is(s.perpen_text, u"1") ? u"1" : u"0"},
                                  drawingSize(k, s.ed_attch_ln_sc));
  k.reference_on = is(s.x_ref, u"1");
  k.reference_simple = is(s.r_line, u"simple");
  k.reference_line = lineComponent(
      k, s.bold_line_rl, s.color_ref_line,
      {u"BE_TEXT_REFL", std::u16string(k.reference_on ? u"1" : u"0") + (k.reference_simple ? u"1" : u"0")}, 0);
  mark_component& m = k.leader_mark;
  colourOf(k, m, s.bold_line_fr, s.colr_fr);
  m.flag = is(s.along_pos, u"1");
  m.snapped = s.mark_snapped, m.free = s.mark_free, m.plain = s.mark_plain;
  m.size = drawingSize(k, s.edit_fr_sc);
  // The options are kept as the characters of their codes, which is how the label is read back.
  m.tag = {u"BE_TEXT_FRMA", std::u16string(m.flag ? u"1" : u"0") + static_cast<char16_t>(m.snapped) +
                                static_cast<char16_t>(m.free) + static_cast<char16_t>(m.plain)};
}

double rowWidth(const leader_label& k, const text_row& row) {
  ads_point lo, hi;
  return textBox(k, row.text.c_str(), lo, hi) ? hi[0] - lo[0] : 0;
}

double textLineLength(const leader_label& k, const std::vector<const text_row*>& rows) {
  if (k.text_line_mode == 1) {
    for (const text_row* row : rows)
      if (row->marked) return rowWidth(k, *row);
    return 0;
  }
  if (k.text_line_mode == 2) {
    double right = 0;
    for (const text_row* row : rows) {
      ads_point lo, hi;
      if (textBox(k, row->text.c_str(), lo, hi)) right = std::max(right, hi[0]);
    }
    return right;
  }
  return drawingSize(k, k.settings.currentBlock().edit_lenght_sc);
}

namespace {

// The label's rows with text, markers taken off and remembered.
void takeRows(leader_label& k, int vertical, int horizontal) {
  for (const auto& row : k.settings.currentList()) {
    if (!row || row->empty()) continue;
    text_row r{*row, 0, 0, k.elevation, vertical, horizontal};
    if (r.text.rfind(u"&-", 0) == 0) r.text.erase(0, 2), r.marked = true;
    k.rows.push_back(std::move(r));
  }
}

int horizontalOf(const std::u16string& pos) {
  if (pos.size() < 2 || pos[1] == u'L') return 0;
  if (pos[1] == u'R') return 2;
  return pos[1] == u'C' || pos[1] == u'i' ? 1 : 0;
}

// The gap grows by the width of rows not aligned left: all of it for the right, half
// for the centre.
void widenGap(leader_label& k, int horizontal, double width) {
  if (horizontal == 2) k.gap += width;
  if (horizontal == 1) k.gap += width / 2;
}

void setLineLength(leader_label& k) {
  if (!k.text_line) return;
  std::vector<const text_row*> rows;
  for (const auto& row : k.rows) rows.push_back(&row);
  k.text_line->length = textLineLength(k, rows);
  k.text_line->vector = polar(k.rotation, k.text_line->length);
}

}  // namespace

void placeRowsOnLine(leader_label& k) {
  const std::u16string& pos = k.justification;
  const int horizontal = horizontalOf(pos);
  const int vertical = !pos.empty() && pos[0] == u'M' ? 2 : 1;
  takeRows(k, vertical, horizontal);
  if (k.rows.empty()) return;
  auto marked = std::find_if(k.rows.begin(), k.rows.end(), [](const text_row& r) { return r.marked; });
  if (marked == k.rows.end()) marked = k.rows.begin(), marked->marked = true;
  long above = marked - k.rows.begin();
  if (!pos.empty() && pos[0] == u'T') --above;
  const plane_vector step = lineStep(k);
  for (size_t i = 0; i < k.rows.size(); ++i) {
    const double times = static_cast<double>(above - static_cast<long>(i));
    k.rows[i].step_x = step.x * times;
    k.rows[i].step_y = step.y * times;
  }
  widenGap(k, horizontal, rowWidth(k, *marked));
  k.gap_vector = polar(k.rotation, k.gap);
  setLineLength(k);
}

bool placeRowsInGroups(leader_label& k) {
  const std::u16string& pos = k.justification;
  const int horizontal = horizontalOf(pos);
  const int vertical = !pos.empty() && pos[0] == u'M' ? 2 : 1;
  takeRows(k, vertical, horizontal);
  if (std::count_if(k.rows.begin(), k.rows.end(), [](const text_row& r) { return r.marked; }) < 2) {
    k.rows.clear();
    return false;
  }
  const plane_vector step = lineStep(k);
  double widest = 0;
  for (size_t i = 0; i < k.rows.size(); ++i) {
    k.rows[i].step_x = -step.x * static_cast<double>(i);
    k.rows[i].step_y = -step.y * static_cast<double>(i);
    widest = std::max(widest, rowWidth(k, k.rows[i]));
  }
  widenGap(k, horizontal, widest);
  k.gap_vector = polar(k.rotation, k.gap);
  setLineLength(k);
  return true;
}

plane_vector textOffset(const leader_label& k) {
  return polar(k.rotation, k.gap + (k.attach_line ? k.attach_line->length : 0));
}

AcGePoint3d lineEnd(const leader_label& k, const AcGePoint3d& anchor, int side) {
  const double s = side;
  if (k.attach_line) return anchor + AcGeVector3d(s * k.attach_line->vector.x, s * k.attach_line->vector.y, 0);
  if (!k.text_line || k.text_line->length == 0) return anchor;
  return anchor + AcGeVector3d(s * (k.text_line->vector.x + k.gap_vector.x), s * (k.text_line->vector.y + k.gap_vector.y), 0);
}

void prepareLineLayers(const leader_label& k) {
  prepareLayer(k.reference_line.layer, 32);
  prepareLayer(k.leader_mark.layer, 32);
  prepareLayer(k.text_line ? k.text_line->layer : k.attach_line->layer, 32);
}

element_choice elementAt(const label_context& k, const AcGePoint3d& at) {
  const std::u16string code = k.layer_name.size() >= 7 ? k.layer_name.substr(5, 2) : u"";
  element_choice choice = elementPicker(at, code, k.dialog_file);
  // Nothing there with an identity: the user shows the element, or keeps the label's own.
  while (choice.status == PickStatus::Picked && !choice.name) choice = elementPicker(std::nullopt, code, k.dialog_file);
  return choice;
}

bool linkAt(label_context& k, const AcGePoint3d& at) {
  if (!k.link_to_element) return true;
  const element_choice choice = elementAt(k, at);
  if (choice.status == PickStatus::Cancelled || choice.status == PickStatus::DialogCancelled) return false;
  if (choice.name) k.link_name = choice.name;
  return true;
}

bool pickLeaderElements(leader_label& k, std::vector<std::u16string>& leaderIdentities) {
  leaderIdentities.assign(k.leaders.size(), u"");
  if (!k.link_to_element) return true;
  for (size_t i = 0; i < k.leaders.size(); ++i) {
    if (k.leaders[i].empty()) continue;
    const AcGePoint3d end = k.leaders[i].back().end;
    showSearchWindow(end);
    const element_choice choice = elementAt(k, end);
    acedRedraw(nullptr, 1);
    if (choice.status == PickStatus::Cancelled || choice.status == PickStatus::DialogCancelled) return false;
    if (choice.name) {
      leaderIdentities[i] = *choice.name;
      if (!k.link_name) k.link_name = choice.name;
    }
  }
  return true;
}

void addLineComponent(leader_label& k, label_builder& b, const line_component& c, const AcGePoint3d& from,
                      const AcGePoint3d& to) {
  auto* line = new AcDbLine(from, to);
  line->setLayer(c.layer.c_str());
  line->setColorIndex(c.colour);
  line->setLinetype(k.linetype.c_str());
  b.add(line, [&k, &c](const std::u16string& own) {
    ResbufList xdata = emptyXdata();
    appendXdata(xdata, kindXdata(k));
    appendXdata(xdata, tagXdata(c.tag));
    appendXdata(xdata, acutBuildList(1001, k.link_name.value_or(own).c_str(), 1000, u"BE", 0));
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_REF", 1070, 11, 1001, u"TV_TEXT_SCL", 1070, -1, 0));
    return xdata;
  });
}

namespace {

bool addSegment(leader_label& k, label_builder& b, const leader_segment& segment, const std::u16string& element,
                bool first) {
  auto* line = new AcDbLine(segment.start, segment.end);
  line->setLayer(k.reference_line.layer.c_str());
  line->setColorIndex(k.reference_line.colour);
  line->setLinetype(k.linetype.c_str());
  return b.add(line, [&k, &element, first](const std::u16string& own) {
    ResbufList xdata = identityXdata(element.empty() ? own : element);
    appendXdata(xdata, kindXdata(k));
    appendXdata(xdata, tagXdata(k.reference_line.tag));
    if (first) appendXdata(xdata, acutBuildList(1001, u"TV_TEXT_REF", 1070, 11, 0));
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT", 1000, own.c_str(), 0));
    return xdata;
  });
}

// The mark at a leader's end, pointing along its last segment; none for an option
// without a block.
bool addMark(leader_label& k, label_builder& b, const leader_segment& last, const std::u16string& element) {
  const mark_component& m = k.leader_mark;
  const int option = m.flag ? (last.snapped ? m.snapped : m.free) : m.plain;
  const char16_t* name = markBlock(option);
  const AcDbObjectId block = name ? blockId(name) : AcDbObjectId();
  if (block.isNull()) return true;
  auto* mark = new AcDbBlockReference(last.end, block);
  const AcGeVector3d along = last.end - last.start;
  mark->setRotation(std::atan2(along.y, along.x));
  mark->setScaleFactors(AcGeVector3d(m.size, m.size, 1));
  mark->setLayer(m.layer.c_str());
  mark->setColorIndex(m.colour);
  return b.add(mark, [&k, &element](const std::u16string& own) {
    ResbufList xdata = identityXdata(element.empty() ? own : element);
    appendXdata(xdata, acutBuildList(1001, u"TV_TEXT", 1000, own.c_str(), 0));
    appendXdata(xdata, kindXdata(k));
    appendXdata(xdata, tagXdata(k.leader_mark.tag));
    return xdata;
  });
}

}  // namespace

void addLeaders(leader_label& k, label_builder& b, const std::vector<std::u16string>& leaderIdentities) {
  bool first = true;
  for (size_t i = 0; i < k.leaders.size(); ++i) {
    for (const leader_segment& segment : k.leaders[i]) {
      if (!addSegment(k, b, segment, leaderIdentities[i], first)) return;
      first = false;
    }
    if (!k.leaders[i].empty() && !addMark(k, b, k.leaders[i].back(), leaderIdentities[i])) return;
  }
}

}  // namespace qd::label
