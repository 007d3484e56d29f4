// The font a text style draws with, looked up by the style's name.
#pragma once
#include <string>
#include <string_view>

#include "headless/render/font.h"
#include "host/dbmain.h"

namespace qd::db {

// The primary font file (group 3) of the drawing's text style of that name (any case);
// "" when the drawing has no such style.
std::u16string styleFontFile(AcDbDatabase* db, std::u16string_view style);
// The face that measures and draws texts of the style; the default font for an unknown style.
const qd::font::Face& styleFace(AcDbDatabase* db, std::u16string_view style);

}  // namespace qd::db
