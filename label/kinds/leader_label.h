// Texts on a short text line with leaders to what they describe (kinds 1 and 2): the
// lines' settings, the rows' places against the line, the leaders the user draws and the
// final lines and marks.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "label/kinds/element_picker.h"
#include "label/kinds/label_context.h"

namespace qd::label {

// A kind of line of the label: where it is drawn and how it is tagged.
struct line_component {
  std::u16string layer;
  int16_t colour = 256;
  app_tag tag;
  double length = 0;
  plane_vector vector;  // along the text, `length` long
};

struct leader_segment {
  AcGePoint3d start, end;
  bool snapped = false;  // the end was moved onto an object
};
using leader = std::vector<leader_segment>;

struct mark_component {
  std::u16string layer;
  int16_t colour = 256;
  app_tag tag;
  bool flag = false;  // the mark depends on whether the end was snapped
  int snapped = 0, free = 0, plain = 0;
  double size = 1;
};

struct leader_label : label_context {
  explicit leader_label(label_state& state) : label_context(state) {}
  double gap = 0;
  plane_vector gap_vector;
  AcGePoint3d anchor, line_end;
  int side = 1;
  int text_line_mode = 0;
  std::optional<line_component> text_line, attach_line;
  line_component reference_line;
  bool reference_on = false, reference_simple = true;
  mark_component leader_mark;
  std::u16string linetype;
  std::vector<leader> leaders;
};

// The layer of a part of the label (a line, a frame, a circle): the label's layer cut to
// eight characters with Z (bold) or Y when colours go by layer, W with its own colour.
void partLayer(const label_context& k, const char16_t* bold, int32_t colour, std::u16string& layer, int16_t& index);
// The angle from one point to another as text reads along it: never upside down.
double readingAngle(const label_context& k, const AcGePoint3d& first, const AcGePoint3d& second);

// The block of a leader's mark by its option (2 QDL, 3 QDS2, 4 QDS1, 5 QDK, 6 QDB);
// null for an option that draws no mark.
const char16_t* markBlock(int option);

// The kind's lines, marks and gap from its settings.
void buildLeaderLabel(leader_label& k);
// The rows of a label on one text line: their modes and offsets from the line, the gap
// grown for rows not aligned left, and the text line's length.
void placeRowsOnLine(leader_label& k);
// The rows of a label of several groups, one below the other; false when fewer than two
// rows are marked (the label is then placed on one line).
bool placeRowsInGroups(leader_label& k);
// The text line's length for its mode, measured on the given rows.
double textLineLength(const leader_label& k, const std::vector<const text_row*>& rows);
// The row texts' box width (without markers).
double rowWidth(const leader_label& k, const text_row& row);
// The text offset from the anchor: the gap, and the attach line when there is one.
plane_vector textOffset(const leader_label& k);
// Where the text or attach line ends for the side.
AcGePoint3d lineEnd(const leader_label& k, const AcGePoint3d& anchor, int side);

// A point asked with module message `prompt` (from `from` with a rubber band) and moved
// onto the nearest object point there; the keyword of message 34 gives RTKWORD.
int snappedPoint(const ads_point* from, short prompt, double elevation, AcGePoint3d& out, int flags = 0);

enum class LeaderInput { Done, Abandoned, TakenBack };
// Asks for the leaders from `from` (world coordinates) into k.leaders.
LeaderInput askLeaders(leader_label& k, const AcGePoint3d& from);

// The element at a point, or, when nothing there has an identity, one the user shows
// (Enter keeps the label's own).
element_choice elementAt(const label_context& k, const AcGePoint3d& at);
// The label takes the identity of the element at the point when it is tied to elements;
// false when the user gave up.
bool linkAt(label_context& k, const AcGePoint3d& at);
// The identities of the elements at the leaders' ends (empty: the label's own), the
// first one also the texts'; false when the user gave up on one.
bool pickLeaderElements(leader_label& k, std::vector<std::u16string>& leaderIdentities);
void addLineComponent(leader_label& k, label_builder& b, const line_component& c, const AcGePoint3d& from,
                      const AcGePoint3d& to);
// The label's lines: the text or attach line from `from` to `to`, the leaders with
// their marks.
void addLeaders(leader_label& k, label_builder& b, const std::vector<std::u16string>& leaderIdentities);
// The layers of the label's lines asked for before they are drawn.
void prepareLineLayers(const leader_label& k);

// Places labels whose rows are on one text line, one after another while repeating.
void placeOnTextLine(leader_label& k);
// Kind 1 and kind 2 placement.
void textWithLeaders(label_state& state);
void groupedTextWithLeaders(label_state& state);
// Kinds 3, 4 and 5: bubbles with leaders, free, or on lines.
void bubbleWithLeaders(label_state& state);
void freeBubble(label_state& state);
void bubbleOnLine(label_state& state);
// Kinds 6 and 7: a text in a frame, with leaders from its edge or alone.
void framedTextWithLeaders(label_state& state);
void framedTextAlone(label_state& state);
// Kind 8: texts on a line between two picked points.
void textOnLine(label_state& state);

}  // namespace qd::label
