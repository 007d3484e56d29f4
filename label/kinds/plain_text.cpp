// Kind 0, the plain text label: rows hanging from a point, centred on it or standing on
// it, as the kind's justification says.
#include "label/kinds/label_geometry.h"
#include "label/kinds/plain_text.h"

#include <algorithm>
#include <cmath>

#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/dbents.h"
#include "host/adslib.h"
#include "label/command/label_state.h"
#include "label/kinds/label_context.h"

namespace qd::label {
namespace {

enum class Placement { Hanging, Fit, Centred, Standing, None };

struct Justify {
  Placement placement = Placement::None;
  int horizontal = 0, vertical = 0;
};

int horizontalOf(char16_t letter) {
  if (letter == u'L') return 0;
  if (letter == u'R') return 2;
  return 1;
}

Justify justifyOf(const std::u16string& pos, size_t rows) {
  if (pos == u"Center") return {Placement::Hanging, 1, 1};
  if (pos == u"Left") return {Placement::Hanging, 0, 1};
  if (pos == u"Right") return {Placement::Hanging, 2, 1};
  if (pos == u"TC") return {Placement::Hanging, 1, 3};
  if (pos == u"TL") return {Placement::Hanging, 0, 3};
  if (pos == u"TR") return {Placement::Hanging, 2, 3};
  if (pos == u"Fit") return {Placement::Fit, 1, 1};
  if (pos.size() >= 2 && pos[0] == u'M') return {Placement::Centred, horizontalOf(pos[1]), rows % 2 ? 2 : 1};
  if (pos.size() >= 2 && pos[0] == u'B') return {Placement::Standing, horizontalOf(pos[1]), 1};
  return {};
}

// The rows with text of the label, their modes, and their steps or offsets.
void fillRows(label_context& ctx, const Justify& j) {
  for (const auto& row : ctx.settings.currentList())
    if (row && !row->empty()) ctx.rows.push_back({*row, 0, 0, ctx.elevation, j.vertical, j.horizontal});
  const plane_vector step = lineStep(ctx);
  const long n = static_cast<long>(ctx.rows.size());
  for (long i = 1; i <= n; ++i) {
    double times = 1;  // hanging: every row one step below the one before
    if (j.placement == Placement::Centred) times = n % 2 ? static_cast<double>(n / 2 - i + 1) : static_cast<double>(n / 2 - i);
    if (j.placement == Placement::Standing) times = static_cast<double>(n - i);
    ctx.rows[static_cast<size_t>(i - 1)].step_x = step.x * times;
    ctx.rows[static_cast<size_t>(i - 1)].step_y = step.y * times;
  }
}

void place(label_context& ctx, bool relative) {
  do {
    if (!askRowText(ctx)) return;
    AcGePoint3d at;
    if (dragLabelPreview(ctx, relative, at) != RTNORM) return;
    if (makeLabelTexts(ctx, at + ctx.descent_offset, relative)) sourceTextQuestion(ctx.settings);
  } while (ctx.repeat);
}

// ---- text fitted between two points ----

struct Fit {
  label_context* ctx = nullptr;
  AcGePoint3d first;
  plane_vector step;
  double scale = 1;
};
Fit g_fit;  // the fitted label being dragged

// Rotation, scale and row step for the second point K; the texts' width grows with the
// distance against the widest row measured at the first preview.
void fitTo(const AcGePoint3d& k) {
  label_context& ctx = *g_fit.ctx;
  const AcGeVector3d along = k - g_fit.first;
  double rotation = std::atan2(along.y, along.x);
  if (rotation < 0) rotation += 2 * kHalfTurn;
  if (rotation > ctx.ucs_angle + kFoldFrom && rotation < ctx.ucs_angle + kFoldTo) rotation -= kHalfTurn;
  ctx.rotation = rotation;
  g_fit.scale = ctx.fit_reference && *ctx.fit_reference > 0 ? along.length() / *ctx.fit_reference : 1;
  const double d = ctx.height / 2 + ctx.height;
  g_fit.step = {-std::sin(rotation) * d, std::cos(rotation) * d};
}

AcGePoint3d midpoint(const AcGePoint3d& a, const AcGePoint3d& b, double elevation) {
  return AcGePoint3d((a.x + b.x) / 2, (a.y + b.y) / 2, elevation);
}

int fitDrag(ads_point cursor, ads_matrix m) {
  label_context& ctx = *g_fit.ctx;
  const AcGePoint3d k = toWorld(cursor, ctx.elevation);
  fitTo(k);
  eraseTemporaries(ctx);
  AcGePoint3d at = midpoint(g_fit.first, k, ctx.elevation);
  const bool measure = !ctx.fit_reference;
  double widest = 0;
  for (const auto& row : ctx.rows) {
    ctx.temporary_ids.push_back(appendToSpace(ctx, new AcDbLine(g_fit.first, k)));
    AcDbText* text = newLabelText(ctx, row, at);
    text->setWidthFactor(ctx.width_factor * g_fit.scale);
    ctx.temporary_ids.push_back(appendToSpace(ctx, text));
    if (measure) {
      ads_point lo, hi;
      if (textBox(ctx, row.text.c_str(), lo, hi)) widest = std::max(widest, std::hypot(hi[0] - lo[0], hi[1] - lo[1]));
    }
    at = at - AcGeVector3d(g_fit.step.x, g_fit.step.y, 0);
  }
  if (measure) ctx.fit_reference = widest;
  setIdentity(m);
  return RTNORM;
}

void placeFitted(label_context& ctx) {
  // The drag moves a point of its own; the texts are rebuilt at every cursor position.
  const AcGePoint3d centre = previewStart(ctx);
  temporary_point marker(ctx, AcGePoint3d(centre.x, centre.y, ctx.elevation));
  g_fit = Fit{&ctx, {}, {}, 1};
  bool askAgain = true;
  for (;;) {
    if (askAgain && !askRowText(ctx)) break;
    ads_point f;
    if (acedGetPoint(nullptr, u"\nZadej bod:", f) != RTNORM) break;
    g_fit.first = toWorld(f, ctx.elevation);
    ads_point g;
    const int rc = acedDragGen(marker.set(), qd::support::moduleText(39), 0, fitDrag, g);
    eraseTemporaries(ctx);
    if (rc != RTNORM) break;
    const AcGePoint3d second = toWorld(g, ctx.elevation);
    fitTo(second);
    for (auto& row : ctx.rows) row.step_x = g_fit.step.x, row.step_y = g_fit.step.y;
    const double width = ctx.width_factor;
    ctx.width_factor = width * g_fit.scale;
    const bool made = makeLabelTexts(ctx, midpoint(g_fit.first, second, ctx.elevation) + ctx.descent_offset, true);
    ctx.width_factor = width;
    if (made) sourceTextQuestion(ctx.settings);
    if (!ctx.repeat) break;
    askAgain = ctx.ask_text;
  }
  g_fit = Fit{};
  ctx.fit_reference.reset();
}

}  // namespace

void plainTextLabel(label_state& state) {
  label_context ctx(state);
  buildContext(ctx);
  size_t rows = 0;
  for (const auto& row : state.currentList()) rows += row && !row->empty() ? 1 : 0;
  const Justify j = justifyOf(ctx.justification, rows);
  if (j.placement == Placement::None) return;
  fillRows(ctx, j);
  if (ctx.rows.empty()) return;
  if (j.placement == Placement::Fit) placeFitted(ctx);
  else place(ctx, j.placement == Placement::Hanging);
}

}  // namespace qd::label
