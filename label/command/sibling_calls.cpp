#include "label/command/sibling_calls.h"

#include "host/acedads.h"
#include "host/adslib.h"

namespace qd::label {

qd::support::ResbufList invoke(resbuf* args) {
  qd::support::ResbufList owned(args), result;
  if (!args || acedInvoke(args, result.out()) != RTNORM) result.reset();
  return result;
}

std::optional<std::u16string> invokeForText(const char16_t* function) {
  qd::support::ResbufList result = invoke(acutBuildList(RTSTR, function, 0));
  if (!result.get() || result.get()->restype != RTSTR || !result.get()->resval.rstring) return std::nullopt;
  return std::u16string(result.get()->resval.rstring);
}

std::optional<double> floorParameter(short code, const std::u16string& floor) {
  qd::support::ResbufList result = invoke(acutBuildList(RTSTR, u"QD_PAR_UCS", RTSHORT, code, RTSTR, floor.c_str(), 0));
  const resbuf* rb = result.get();
  if (!rb) return std::nullopt;
  if (rb->restype == RTREAL) return rb->resval.rreal;
  if (rb->restype == RTSHORT) return rb->resval.rint;
  if (rb->restype == RTLONG) return rb->resval.rlong;
  return std::nullopt;
}

}  // namespace qd::label
