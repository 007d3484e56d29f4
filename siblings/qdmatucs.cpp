// QDMATUCS: the library of the product family that the label module loads on demand and
// looks up by name. Of its entries only the current-layer query is used here.
#include <cstring>

#include "host/adslib.h"
#include "host/rxregsvc.h"

// Fills the buffer (at least 256 characters) with the name of the current layer; an
// unknown layer leaves it empty.
ACRX_ENTRY_POINT void MTABHLAD_qd_getvar_clayer(ACHAR* buffer) {
  if (!buffer) return;
  buffer[0] = 0;
  resbuf rb{};
  if (acedGetVar(u"CLAYER", &rb) != RTNORM || rb.restype != RTSTR || !rb.resval.rstring) return;
  size_t n = 0;
  while (rb.resval.rstring[n] && n < 255) {
    buffer[n] = rb.resval.rstring[n];
    ++n;
  }
  buffer[n] = 0;
  acutDelString(rb.resval.rstring);
}

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  if (msg == AcRx::kInitAppMsg) acrxUnlockApplication(appId);
  return AcRx::kRetOK;
}
