#include "Library/Inc/prompts.h"

#include <cmath>
#include <cstring>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"

namespace qd::support {
namespace {
double viewSize() {
  resbuf rb{};
  return acedGetVar(u"VIEWSIZE", &rb) == RTNORM && rb.restype == RTREAL ? rb.resval.rreal : 1.0;
}
}  // namespace

void buildPrompt(const ACHAR* defaultText, const ACHAR* keywords, const ACHAR* message, bool standardSuffix) {
  std::u16string line;
  const bool hasMessage = message && *message;
  if (hasMessage) {
    line = message;
    line += standardSuffix ? std::u16string(dictText(2, 1, 0)) : u" ";
    if (message[0] != u'\n') acutPrintf(u"\n");
  } else {
    acutPrintf(u"\n");
  }
  const bool hasDefault = defaultText && *defaultText;
  if (keywords && *keywords) {
    if (hasMessage) line += u"[";
    for (const ACHAR* k = keywords; *k; ++k) line += *k == u' ' ? u'/' : *k == u'_' ? u' ' : *k;
    if (!hasMessage && hasDefault) line += u"/";
    if (hasMessage) line += u"]";
  }
  if (hasDefault) line += std::u16string(u" <") + defaultText + u">: ";
  else if (line.find(u':') == std::u16string::npos) line += u": ";
  acutPrintf(u"%ls", line.c_str());
}

const ACHAR* stripUnderscores(const ACHAR* keywords) {
  static ACHAR buffer[512];
  size_t n = 0;
  for (const ACHAR* k = keywords ? keywords : u""; *k && n < 511; ++k)
    if (*k != u'_') buffer[n++] = *k;
  buffer[n] = 0;
  return buffer;
}

int getKeyword(const ACHAR* defaultKeyword, const ACHAR* keywords, const ACHAR* message, std::u16string& result) {
  buildPrompt(defaultKeyword, keywords, message, false);
  acedInitGet(0, stripUnderscores(keywords));
  ACHAR answer[512];
  const int rc = acedGetKword(nullptr, answer, 512);
  if (rc == RTNORM) {
    result = answer;
    return RTNORM;
  }
  if (rc == RTNONE) {
    result.clear();
    for (const ACHAR* d = defaultKeyword ? defaultKeyword : u""; *d; ++d)
      result += (*d >= u'a' && *d <= u'z') ? static_cast<ACHAR>(*d - u'a' + u'A') : *d;
    return RTNORM;
  }
  result.clear();
  return rc;
}

void markPoint(const ads_point p, int color) {
  const double h = viewSize() / 28 / 2;
  const ads_point a = {p[X] + h, p[Y] + h, p[Z]}, b = {p[X] - h, p[Y] - h, p[Z]};
  const ads_point c = {p[X] - h, p[Y] + h, p[Z]}, d = {p[X] + h, p[Y] - h, p[Z]};
  acedGrDraw(a, b, color, 0);
  acedGrDraw(c, d, color, 0);
}

void arrowMark(const ads_point p, double angle, int color) {
  const double s = viewSize() / 20;
  ads_point base, w1, w2;
  acutPolar(p, angle + M_PI, s, base);
  acutPolar(base, angle + M_PI / 2, 0.3 * s, w1);
  acutPolar(base, angle - M_PI / 2, 0.3 * s, w2);
  ResbufList vectors(acutBuildList(RTSHORT, color, RT3DPOINT, p, RT3DPOINT, w1, RT3DPOINT, p, RT3DPOINT, w2,
                                   RT3DPOINT, w1, RT3DPOINT, w2, 0));
  acedGrVecs(vectors.get(), nullptr);
}

namespace {
void onYes(ads_callback_packet* p) { ads_done_dialog(p->dialog, 1); }
void onNo(ads_callback_packet* p) { ads_done_dialog(p->dialog, 0); }
}  // namespace

int askYesNo(const ACHAR* question) {
  const std::u16string q = question ? question : u"";
  DialogFile file(u"torvel.dcl");
  if (!file.loaded()) {
    acutPrintf(u"CHYBA: Nelze najit a otevrit soubor \"torvel.dcl\"\n");
    acutPrintf(u"CHYBA: \"%ls\"\n", q.c_str());
    return -1;
  }
  const size_t n = q.size();
  const size_t width = n < 20 ? 20 : n < 40 ? 40 : n < 60 ? 60 : 75;
  const std::u16string name = u"qd_yes_no" + std::u16string(width == 20 ? u"20" : width == 40 ? u"40" : width == 60 ? u"60" : u"75");
  const std::u16string centred = std::u16string(n < width ? (width - n) / 2 : 0, u' ') + q;
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(name.c_str(), file.id(), NULLCB, &dlg) != RTNORM || !dlg) {
    acutPrintf(u"CHYBA: Soubor \"torvel.dcl\" neobsahuje dialog \"%ls\"\n", name.c_str());
    acutPrintf(u"CHYBA: \"%ls\"\n", q.c_str());
    return -1;
  }
  ads_set_tile(dlg, u"prmpt", centred.c_str());
  ads_set_tile(dlg, u"header", dictText(1, 1, 57));
  ads_action_tile(dlg, u"ano", onYes);
  ads_action_tile(dlg, u"ne", onNo);
  int status = 0;
  ads_start_dialog(dlg, &status);
  return status == 1 ? 1 : 0;
}

}  // namespace qd::support
