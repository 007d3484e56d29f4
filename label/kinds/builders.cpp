#include "label/kinds/builders.h"

#include "Library/Inc/J_SUPP.h"
#include "host/adslib.h"
#include "label/command/label_state.h"
#include "label/kinds/leader_label.h"
#include "label/kinds/plain_text.h"

namespace qd::label {
namespace {

const char16_t* const kSlides[kKinds] = {u"qdlbl(text)",   u"qdlbl(textod)", u"qdlbl(textzd)",
                                         u"qdlbl(bublod)", u"qdlbl(bublbez)", u"qdlbl(bublna)",
                                         u"qdlbl(obdels)", u"qdlbl(obdelbez)", u"qdlbl(textna)"};

using Builder = void (*)(label_state&);

const Builder kBuilders[kKinds] = {plainTextLabel,    textWithLeaders,       groupedTextWithLeaders,
                                   bubbleWithLeaders, freeBubble,            bubbleOnLine,
                                   framedTextWithLeaders, framedTextAlone,   textOnLine};

}  // namespace

const char16_t* kindName(int kind) {
  if (kind < 0 || kind >= kKinds) return u"";
  return qd::support::dictText(1, 2, static_cast<short>(1070 + kind));
}

const char16_t* kindSlide(int kind) { return kind >= 0 && kind < kKinds ? kSlides[kind] : u""; }

void buildLabel(label_state& state) {
  const int kind = state.settings.current_kind;
  if (kind < 0 || kind >= kKinds) return;
  kBuilders[kind](state);
}

}  // namespace qd::label
