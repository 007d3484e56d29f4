// The steps of the dialog loop that carry out what a settings dialog asked for before
// it closed: the host's text style and linetype dialogs, sizes typed on the command
// line, and a text style made current.
#include <cmath>
#include <cstdlib>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbsymtb.h"
#include "label/command/LabelCommand.h"
#include "label/command/label_state.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

constexpr double kLargestSheetSize = 999;

void setText(char16_t* field, size_t units, const std::u16string& text) {
  const size_t n = std::min(text.size(), units - 1);
  std::copy(text.begin(), text.begin() + static_cast<long>(n), field);
  std::fill(field + n, field + units, u'\0');
}

std::u16string variableText(const char16_t* name) {
  resbuf rb{};
  if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR) return u"";
  std::u16string text = rb.resval.rstring ? rb.resval.rstring : u"";
  acutDelString(rb.resval.rstring);
  return text;
}

void setVariableText(const char16_t* name, const std::u16string& value) {
  resbuf rb{};
  rb.restype = RTSTR;
  rb.resval.rstring = const_cast<ACHAR*>(value.c_str());
  acedSetVar(name, &rb);
}

short variableShort(const char16_t* name) {
  resbuf rb{};
  if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSHORT) return 0;
  return rb.resval.rint;
}

void setVariableShort(const char16_t* name, short value) {
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = value;
  acedSetVar(name, &rb);
}

// The drawing-scale number of the scale text "1:N" (1 without one).
double scaleNumber(const var_set& v) {
  const double n = v.scale_number();
  return n > 0 ? n : 1.0;
}

// A size asked for on the command line: shown and given in drawing units, stored as a
// size on the sheet. Enter keeps the size.
void askSize(label_state& state, kind_settings& block, const std::u16string& key) {
  size_t units = 0;
  char16_t* field = textField(block, key, units);
  if (!field) return;
  for (;;) {
    char16_t shown[64] = {0};
    setText(shown, 64, field);
    state.settings.scale_to_drawing(shown, 64);
    const std::u16string prompt = u"\n" + std::u16string(qd::support::dictText(1, 2, 1065)) + u" <" + shown + u">:";
    ads_real given = 0;
    const int rc = acedGetDist(nullptr, prompt.c_str(), &given);
    if (rc != RTNORM) return;  // Enter (or Esc) keeps the size
    double sheet = given / scaleNumber(state.settings);
    if (state.settings.unit_factor != 1) sheet *= state.settings.unit_factor;
    if (sheet <= 0) {
      acutPrintf(u"\n%ls", qd::support::dictText(1, 2, 1063));
      continue;
    }
    if (sheet > kLargestSheetSize) {
      acutPrintf(u"\n%ls", qd::support::dictText(1, 2, 1064));
      continue;
    }
    ACHAR text[64];
    acdbRToS(sheet, -1, 2, text, 64);
    setText(field, units, text);
    return;
  }
}

// The style of the request, created from it when the drawing lacks it, made current.
void makeStyleCurrent(const label_request& r) {
  const short regen = variableShort(u"REGENMODE"), echo = variableShort(u"CMDECHO");
  setVariableShort(u"REGENMODE", 0);
  setVariableShort(u"CMDECHO", 0);
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbTextStyleTable* table = nullptr;
  if (db && !r.styleName.empty() && db->getTextStyleTable(table, AcDb::kForWrite) == Acad::eOk) {
    qd::support::Opened<AcDbTextStyleTable> owned(table);
    if (!table->has(r.styleName.c_str())) {
      auto* style = new AcDbTextStyleTableRecord();
      style->setName(r.styleName.c_str());
      style->setFileName(r.fontFile.c_str());
      style->setXScale(r.widthFactor);
      style->setObliquingAngle(r.oblique);
      if (table->add(style) == Acad::eOk) style->close();
      else delete style;
    }
    owned.close();
    setVariableText(u"TEXTSTYLE", r.styleName);
  }
  setVariableShort(u"REGENMODE", regen);
  setVariableShort(u"CMDECHO", echo);
}

void takeInto(label_state& state, char16_t (kind_settings::*field)[34], const std::u16string& value) {
  setText(state.currentBlock().*field, 34, value);
  if (state.request) setText(state.request->snapshot.*field, 34, value);
}

}  // namespace

void textStyleStep(label_state& state) {
  label_request* r = state.request;
  if (!r) return;
  kind_settings& block = state.currentBlock();
  switch (r->mode) {
    case 1:
      acedCommand(RTSTR, u"._ddstyle", RTNONE);
      setText(block.text_style, 33, variableText(u"TEXTSTYLE"));
      setText(r->snapshot.text_style, 33, block.text_style);
      break;
    case 2:
      askSize(state, block, r->field);
      break;
    case 3:
      makeStyleCurrent(*r);
      break;
    default: break;
  }
}

void linetypeStep(label_state& state) {
  label_request* r = state.request;
  if (!r) return;
  if (r->mode == 2) {
    askSize(state, state.currentBlock(), r->field);
    return;
  }
  const std::u16string before = variableText(u"CELTYPE");
  acedCommand(RTSTR, u"._ddltype", RTNONE);
  takeInto(state, &kind_settings::ltype, variableText(u"CELTYPE"));
  setVariableText(u"CELTYPE", before);
}

}  // namespace qd::label
