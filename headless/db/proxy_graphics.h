// Proxy graphics: the picture of an entity recorded as a stream of drawing primitives, so
// that a program without the entity's class still shows it. The host records them from
// the entity's worldDraw when it saves (PROXYGRAPHICS 1) and draws them for an entity
// whose class is not loaded.
//
// The stream: a 32-bit total size and primitive count, then per primitive its 32-bit
// size (header included) and type, then its data; little-endian, points as three doubles.
#pragma once
#include <string>
#include <string_view>

class AcDbDatabase;
class AcDbEntity;
class AcGiWorldDraw;

namespace qd::db {

// The primitives `ent` draws, or an empty string when it draws nothing.
std::string recordProxyGraphics(AcDbEntity* ent);

// The stream an entity read from a file keeps among its common groups (an entity whose
// class is not loaded), or an empty string.
std::string keptProxyGraphics(const AcDbEntity* ent);

// Draws a recorded stream through `mode`. Primitives it does not know are passed over;
// a stream that is short or inconsistent is drawn up to where it breaks. False when
// nothing could be drawn.
bool drawProxyGraphics(std::string_view stream, AcDbDatabase* db, AcGiWorldDraw* mode);

}  // namespace qd::db
