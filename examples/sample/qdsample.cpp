// A small module for scenario tests of the host: it reports the messages it gets,
// defines LISP functions per drawing, registers a command, asks for input, drags,
// and calls functions through acedInvoke.
#include <cstring>

#include <string>

#include "host/aced.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbents.h"
#include "host/rxregsvc.h"
#include "host/winhelp.h"

namespace {

enum Function { kAdd = 1, kAsk, kDrag, kInvoke, kCommand, kDialog, kLayerQuery };

void say(const ACHAR* text) { acutPrintf(u"qdsample: %ls\n", text); }

int add() {
  double sum = 0;
  bool real = false;
  for (const resbuf* rb = acedGetArgs(); rb; rb = rb->rbnext) {
    if (rb->restype == RTSHORT) sum += rb->resval.rint;
    else if (rb->restype == RTLONG) sum += rb->resval.rlong;
    else if (rb->restype == RTREAL) sum += rb->resval.rreal, real = true;
    else return RTERROR;
  }
  return real ? acedRetReal(sum) : acedRetInt(static_cast<int>(sum));
}

// Asks for a point, a keyword and a string, and draws a text there.
int ask() {
  ads_point p;
  if (acedGetPoint(nullptr, u"\nText position: ", p) != RTNORM) return acedRetNil();
  acedInitGet(RSG_NONULL, u"Left Center Right _Left Center Right");
  ACHAR justify[32];
  if (acedGetKword(u"\nJustification [Left/Center/Right]: ", justify, 32) != RTNORM) return acedRetNil();
  ACHAR text[132];
  if (acedGetString(1, u"\nText: ", text, 132) != RTNORM) return acedRetNil();
  const double at[3] = {p[0], p[1], p[2]};
  resbuf* list = acutBuildList(RTDXF0, u"TEXT", 8, u"QD_SAMPLE", 10, at, 11, at, 40, 2.5, 1, text, 72,
                               std::u16string(justify) == u"Left" ? 0 : std::u16string(justify) == u"Center" ? 1 : 2, 0);
  const int rc = acdbEntMake(list);
  acutRelRb(list);
  say(justify);
  return rc == RTNORM ? acedRetStr(text) : acedRetNil();
}

// Drags a new circle; positions right of x = 10000 end the drag.
int dragCallback(ads_point pt, ads_matrix mt) {
  if (pt[0] > 10000) return RTCAN;
  mt[0][3] = pt[0];
  mt[1][3] = pt[1];
  return RTNORM;
}

int drag() {
  const double origin[3] = {0, 0, 0};
  resbuf* list = acutBuildList(RTDXF0, u"CIRCLE", 10, origin, 40, 250.0, 0);
  acdbEntMake(list);
  acutRelRb(list);
  ads_name last, ss;
  acdbEntLast(last);
  acedSSAdd(last, nullptr, ss);
  ads_point p;
  const int rc = acedDragGen(ss, u"\nPlace the circle: ", 0, dragCallback, p);
  // The drag only shows the circle moving; it is moved once the point is chosen.
  if (rc == RTNORM) {
    ads_matrix m = {{1, 0, 0, p[0]}, {0, 1, 0, p[1]}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    acedXformSS(ss, m);
  }
  acedSSFree(ss);
  return rc == RTNORM ? acedRetPoint(p) : acedRetNil();
}

int invokeMissing() {
  resbuf* args = acutBuildList(RTSTR, u"no_such_function", RTSHORT, 1, 0);
  resbuf* result = nullptr;
  const int rc = acedInvoke(args, &result);
  acutRelRb(args);
  acutRelRb(result);
  return acedRetInt(rc);
}

void sampleCommand() {
  ads_point a, b;
  if (acedGetPoint(nullptr, u"\nFirst point: ", a) != RTNORM) return;
  if (acedGetPoint(a, u"\nSecond point: ", b) != RTNORM) return;
  acedCommand(RTSTR, u"._-LAYER", RTSTR, u"_M", RTSTR, u"QD_LINES", RTSTR, u"", RTNONE);
  resbuf* list = acutBuildList(RTDXF0, u"LINE", 10, a, 11, b, 0);
  acdbEntMake(list);
  acutRelRb(list);
}

// The dialog: OK needs a name; the image shows where the picked point was; the result
// lists the values chosen.
struct DialogState {
  std::u16string result;
};

void onAccept(ads_callback_packet* p) {
  ACHAR name[64];
  ads_get_tile(p->dialog, u"name", name, 64);
  if (!*name) {
    ads_set_tile(p->dialog, u"error", u"A name is needed.");
    return;
  }
  auto* state = static_cast<DialogState*>(p->client_data);
  ACHAR bold[4], just[8], items[64];
  ads_get_tile(p->dialog, u"bold", bold, 4);
  ads_get_tile(p->dialog, u"just", just, 8);
  ads_get_tile(p->dialog, u"items", items, 64);
  state->result = std::u16string(name) + u"|" + bold + u"|" + just + u"|" + items;
  ads_done_dialog(p->dialog, DLGOK);
}

void onHelp(ads_callback_packet*) { WinHelpW(nullptr, u"TORVEL.HLP", HELP_CONTEXT, 970); }

void onPreview(ads_callback_packet* p) {
  short w = 0, h = 0;
  ads_dimensions_tile(p->dialog, u"preview", &w, &h);
  ads_start_image(p->dialog, u"preview");
  ads_fill_image(0, 0, w, h, -2);
  ads_vector_image(static_cast<short>(p->x), 0, static_cast<short>(p->x), h, 1);
  ads_end_image();
  ACHAR text[32];
  acutSPrintf(text, 32, u"%ld,%ld", p->x, p->y);
  ads_set_tile(p->dialog, u"error", text);
}

int showDialog() {
  const resbuf* args = acedGetArgs();
  const ACHAR* which = args && args->restype == RTSTR ? args->resval.rstring : u"qdsample_dlg";
  int id = -1;
  if (ads_load_dialog(u"qdsample.dcl", &id) != RTNORM) {
    say(u"cannot load qdsample.dcl");
    return acedRetNil();
  }
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(which, id, NULLCB, &dlg) != RTNORM || !dlg) {
    say(u"no such dialog");
    ads_unload_dialog(id);
    return acedRetNil();
  }
  DialogState state;
  ads_start_list(dlg, u"items", LIST_NEW, 0);
  for (const ACHAR* item : {u"okno", u"dveře", u"stěna"}) ads_add_list(item);
  ads_end_list();
  ads_set_tile(dlg, u"name", u"Label 1");
  // The preview starts with the bubble slide of the product's slide library.
  short w = 0, h = 0;
  ads_dimensions_tile(dlg, u"preview", &w, &h);
  ads_start_image(dlg, u"preview");
  ads_fill_image(0, 0, w, h, -2);
  if (ads_slide_image(0, 0, w, h, u"qdlbl(bublbez)") != RTNORM) say(u"no slide");
  ads_end_image();
  ads_action_tile(dlg, u"accept", onAccept);
  ads_client_data_tile(dlg, u"accept", &state);
  ads_action_tile(dlg, u"preview", onPreview);
  ads_action_tile(dlg, u"help", onHelp);
  int status = 0;
  ads_start_dialog(dlg, &status);
  ads_unload_dialog(id);
  if (status != DLGOK) return acedRetNil();
  return acedRetStr(state.result.c_str());
}

// The current layer through the QDMATUCS library, loaded on demand and freed after use.
int layerQuery() {
  AcRxDynamicLinker* linker = acrxDynamicLinker();
  ACHAR buffer[256] = {0};
  const bool loaded = linker->isApplicationLoaded(u"QDMATUCS") || linker->loadModule(u"QDMATUCS", false);
  if (loaded) {
    auto fn = reinterpret_cast<void (*)(ACHAR*)>(linker->getSymbolAddress(u"QDMATUCS", u"MTABHLAD_qd_getvar_clayer"));
    if (fn) fn(buffer);
    linker->unloadModule(u"QDMATUCS");
  }
  return acedRetStr(buffer);
}

void defineFunctions() {
  acedDefun(u"qd_sample_clayer", kLayerQuery);
  acedDefun(u"qd_sample_dialog", kDialog);
  acedDefun(u"qd_sample_add", kAdd);
  acedDefun(u"qd_sample_ask", kAsk);
  acedDefun(u"qd_sample_drag", kDrag);
  acedDefun(u"qd_sample_invoke", kInvoke);
  acedDefun(u"c:qdsampleline", kCommand);
}

int dispatch() {
  switch (acedGetFunCode()) {
    case kAdd: return add();
    case kAsk: return ask();
    case kDrag: return drag();
    case kInvoke: return invokeMissing();
    case kCommand: sampleCommand(); return acedRetVoid();
    case kDialog: return showDialog();
    case kLayerQuery: return layerQuery();
  }
  return RTERROR;
}

}  // namespace

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      acrxUnlockApplication(appId);
      acrxRegisterAppMDIAware(appId);
      acedRegCmds->addCommand(u"QDSAMPLE", u"QDSAMPLEPT", u"QDSAMPLEPT", ACRX_CMD_MODAL, [] {
        ads_point p;
        if (acedGetPoint(nullptr, u"\nPoint: ", p) == RTNORM) acutPrintf(u"qdsample: point %g,%g\n", p[0], p[1]);
      });
      say(u"init");
      break;
    case AcRx::kLoadDwgMsg:
      say(u"load drawing");
      defineFunctions();
      break;
    case AcRx::kInvkSubrMsg: return dispatch() == RTNORM ? AcRx::kRetOK : AcRx::kRetError;
    case AcRx::kUnloadDwgMsg: say(u"unload drawing"); break;
    case AcRx::kUnloadAppMsg:
      acedRegCmds->removeGroup(u"QDSAMPLE");
      say(u"unload");
      break;
    default: break;
  }
  return AcRx::kRetOK;
}
