// Kind 0, the plain text label: rows hanging from a point, centred on it or standing on
// it, as the kind's justification says.
#include "label/kinds/plain_text.h"

#include "host/acedads.h"
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

// A one-row label may have its text typed; Enter keeps it.
bool askText(label_context& ctx) {
  if (!ctx.ask_text || ctx.rows.size() != 1) return true;
  const std::u16string prompt = u"\nText <" + ctx.rows[0].text + u">:";
  ACHAR answer[256] = {0};
  if (acedGetString(1, prompt.c_str(), answer, 256) != RTNORM) return false;
  if (*answer) ctx.rows[0].text = answer;
  return true;
}

void place(label_context& ctx, bool relative) {
  do {
    if (!askText(ctx)) return;
    AcGePoint3d at;
    if (dragLabelPreview(ctx, relative, at) != RTNORM) return;
    makeLabelTexts(ctx, at, relative);
    sourceTextQuestion(ctx.settings);
  } while (ctx.repeat);
}

}  // namespace

void plainTextLabel(label_state& state) {
  label_context ctx(state);
  buildContext(ctx);
  size_t rows = 0;
  for (const auto& row : state.currentList()) rows += row && !row->empty() ? 1 : 0;
  const Justify j = justifyOf(ctx.justification, rows);
  if (j.placement == Placement::None) return;
  if (j.placement == Placement::Fit) {
    acutPrintf(u"\nFitted texts cannot be drawn yet; nothing was drawn.\n");
    return;
  }
  fillRows(ctx, j);
  if (ctx.rows.empty()) return;
  place(ctx, j.placement == Placement::Hanging);
}

}  // namespace qd::label
