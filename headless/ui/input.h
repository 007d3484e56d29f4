// Shared pieces of the input requests: one request frame and point parsing.
#pragma once
#include <functional>
#include <string>

#include "host/adsdef.h"

namespace qd::ui {

// Shows the prompt and takes events until one fits: Enter gives RTNONE (or RTNORM with
// an empty text when `enterIsEmpty`), Esc RTCAN, a keyword RTKWORD (see acedGetInput);
// other text goes to `accept`, and text it refuses stops the script, naming `expected`.
int request(const std::u16string& prompt, const std::u16string& expected, bool enterIsEmpty,
            const std::function<bool(const std::u16string&)>& accept);

// A point as typed: "x,y[,z]" in the current UCS, "*x,y[,z]" in world coordinates,
// "@dx,dy[,dz]" relative to the last point, "@dist<angle" polar.
bool parsePoint(const std::u16string& typed, ads_point out);
void rememberPoint(const ads_point p);

}  // namespace qd::ui
