// What every label kind shares: the working record filled from the settings of the
// current variant and kind, the spacing of rows, the identity that ties a label's
// entities together, the final texts with their extended data, part and group, and the
// preview that follows the cursor.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Library/Inc/holders.h"
#include "host/acge.h"
#include "host/dbents.h"
#include "host/dbmain.h"

namespace qd::label {
struct label_state;

// A vector in the plane of the label.
struct plane_vector {
  double x = 0, y = 0;
};

struct text_row {
  std::u16string text;
  double step_x = 0, step_y = 0;  // the step to the next row, or the row's own offset
  double elevation = 0;
  int vertical_mode = 0;    // 0 baseline, 1 bottom, 2 middle, 3 top
  int horizontal_mode = 0;  // 0 left, 1 centre, 2 right
  bool marked = false;      // the row sits on the label's text line
};

struct label_context {
  explicit label_context(label_state& state) : settings(state) {}
  label_state& settings;
  int variant = 0, kind = 0;
  AcGeVector3d descent_offset;
  std::u16string space_name = u"*Model_Space";
  double rotation = 0, height = 0, width_factor = 1, oblique = 0;
  std::u16string style_name;
  int16_t colour = 256;
  bool ask_text = false, link_to_element = false, repeat = false;
  int dialog_file = -1;
  std::u16string layer_name;
  std::optional<std::u16string> link_name;
  double elevation = 0, ucs_angle = 0;
  std::u16string justification;  // text_pos, the text of "BE_TEXT_JUST"
  std::optional<double> fit_reference;
  std::vector<AcDbObjectId> temporary_ids;
  std::vector<text_row> rows;
};

// Fills the context from the state's current variant and kind: space, rotation (never
// upside down), sizes in drawing units, layer and colour, style, floor system.
void buildContext(label_context& ctx);
// The step from a row to the row above it: the height of "Agjp" with its depth below
// the baseline once more, turned from the text direction by 90 degrees.
plane_vector lineStep(const label_context& ctx);
plane_vector polar(double angle, double length);
// A size on the sheet (a settings text) in drawing units.
double drawingSize(const label_context& ctx, std::u16string_view sheetSize);
template <size_t N>
double drawingSize(const label_context& ctx, const char16_t (&field)[N]) {
  return drawingSize(ctx, std::u16string_view(field, static_cast<size_t>(std::find(field, field + N, u'\0') - field)));
}
// Asks the family's layer function for a layer the label draws on.
void prepareLayer(const std::u16string& layer, short purpose);

// The extended data of an entity of a label, made once the label's own identity is
// known: "$" and the handle of the label's first entity.
using xdata_maker = std::function<qd::support::ResbufList(const std::u16string& own)>;

// The entities of one label while it is made, after the drawing's last entity when it
// began. An entity the drawing refuses (its layer, linetype or text style cannot be had)
// is reported with the host's status text, and the label is not drawn: what was made of
// it goes again, as it does when the builder ends without `finish`.
class label_builder {
 public:
  explicit label_builder(label_context& ctx);
  ~label_builder();
  label_builder(const label_builder&) = delete;
  label_builder& operator=(const label_builder&) = delete;

  // Appends the entity (owned from here) to the label's space with its extended data;
  // false once refused. The first entity names the label's own identity, which is
  // registered as an application before its data is attached.
  bool add(AcDbEntity* entity, const xdata_maker& xdata);
  // The label's own identity, empty before its first entity.
  const std::u16string& own() const { return m_own; }
  bool failed() const { return m_failed; }
  // The made entities, for moving them as one.
  int64_t* set() { return m_set.name(); }
  // Records the made entities as a part under the identity of the element picked for
  // the label (which is then forgotten), else the label's own, and groups them; false
  // when nothing could be made.
  bool finish();

 private:
  bool append(AcDbEntity* entity, const xdata_maker& xdata, Acad::ErrorStatus& es);
  void eraseMade();
  label_context& m_ctx;
  ads_name m_last;
  std::u16string m_own;
  qd::support::SelectionSet m_set;
  bool m_failed = false, m_finished = false;
};

// The element the user picks for the label, into link_name; Enter keeps the label's own
// identity. False when the user gave up: the label is not made.
bool pickLabelElement(label_context& ctx);
// A one-row label may have its text typed; Enter keeps it. False on Esc.
bool askRowText(label_context& ctx);

// The identity's extended data, (identity "BE").
qd::support::ResbufList identityXdata(const std::u16string& identity);
// The kind's own application, (TV_TEXT_k 0).
resbuf* kindXdata(const label_context& ctx);
// Appends `more` at the end of `list`.
void appendXdata(qd::support::ResbufList& list, resbuf* more);

// One application's tag in a label's extended data: (1001 app) (1000 value).
struct app_tag {
  std::u16string app, value;
};
resbuf* tagXdata(const app_tag& tag);

// The label's texts from `at` (world coordinates), as `makeLabelTexts` places them,
// tagged with the element's identity when one was picked, else the label's own; marked
// rows carry `marked` too.
void addLabelTexts(label_context& ctx, label_builder& builder, const AcGePoint3d& at, bool relative,
                   const app_tag* marked = nullptr);
// Makes the final texts from `at` (world coordinates): the first row at `at` and each
// next one its step below the one before when `relative`, else each row at `at` plus its
// own offset; records them as a part under the label's identity and groups them. False
// when nothing was made.
bool makeLabelTexts(label_context& ctx, const AcGePoint3d& at, bool relative);
// The rows dragged from outside the view; RTNORM with the chosen point in world
// coordinates (z = elevation).
int dragLabelPreview(label_context& ctx, bool relative, AcGePoint3d& chosen);
// Pieces the kinds build their previews from: a text of a row as the context describes
// it, an entity appended to the context's space (its id, null when refused), the
// preview entities erased, a text's box.
AcDbText* newLabelText(const label_context& ctx, const text_row& row, const AcGePoint3d& at);
AcDbObjectId appendToSpace(const label_context& ctx, AcDbEntity* entity);
// The same, and the entity into the set; false when refused.
bool appendToSet(const label_context& ctx, AcDbEntity* entity, qd::support::SelectionSet& set);
// Deletes every entity of the set, the last member first, taking each out of the set.
void deleteMembers(qd::support::SelectionSet& set);
void eraseTemporaries(label_context& ctx);
bool textBox(const label_context& ctx, const char16_t* text, ads_point lo, ads_point hi);
// The view centre raised by one and a half view heights, in world coordinates at the
// label's elevation: outside what is seen, where previews are built.
AcGePoint3d previewStart(const label_context& ctx);
// A point from the user's coordinate system to the world, at the label's elevation.
AcGePoint3d toWorld(const ads_point p, double elevation);
// And back, for prompts and drags.
void toUser(const AcGePoint3d& p, ads_point out);

// A point drawn only to be dragged (the cursor's stand-in while a label's side, quadrant
// or exit is chosen), in a selection set of its own; both go with the holder.
class temporary_point {
 public:
  temporary_point(const label_context& ctx, const AcGePoint3d& at);
  ~temporary_point();
  temporary_point(const temporary_point&) = delete;
  temporary_point& operator=(const temporary_point&) = delete;
  int64_t* set() { return m_set.name(); }

 private:
  ads_name m_point;
  qd::support::SelectionSet m_set;
};

// The transform that leaves a dragged set where it is.
void setIdentity(ads_matrix m);
// A drag that moves what was built at the base point to the cursor.
void setDragBase(const AcGePoint3d& base);
int dragTranslate(ads_point cursor, ads_matrix m);

// After a label: the entities of the label taken for editing may be erased.
void sourceTextQuestion(label_state& state);

}  // namespace qd::label
