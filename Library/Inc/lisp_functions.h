// A module's table of LISP functions: the index of an entry is its function code for
// the host. Defined when a drawing is loaded, undefined when it goes, and called on the
// host's request with an empty result set first, so the caller gets nil unless the
// function returns something.
#pragma once
#include <cstddef>

#include "host/acedads.h"
#include "host/adslib.h"
#include "host/rxregsvc.h"

namespace qd::support {

struct LispFunction {
  const ACHAR* name;
  int (*function)();
};

template <size_t N>
int defineFunctions(const LispFunction (&table)[N]) {
  for (size_t code = 0; code < N; ++code)
    if (acedDefun(table[code].name, static_cast<int>(code)) != RTNORM) return RTERROR;
  return RTNORM;
}

template <size_t N>
void undefineFunctions(const LispFunction (&table)[N]) {
  for (size_t code = 0; code < N; ++code) acedUndef(table[code].name, static_cast<int>(code));
}

// RSRSLT when the function ended normally, RSERR otherwise; RTERROR for a code that is
// not in the table.
template <size_t N>
int invokeFunction(const LispFunction (&table)[N]) {
  acedRetVoid();
  const int code = acedGetFunCode();
  if (code < 0 || static_cast<size_t>(code) >= N) return RTERROR;
  return table[code].function() == RTNORM ? RSRSLT : RSERR;
}

}  // namespace qd::support
