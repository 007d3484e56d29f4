// The commonest entities made straight from their values: a reader that has typed the
// groups of a LINE, a CIRCLE, a TEXT or an INSERT itself makes the object here, as the
// class's own DXF filing would make it of those groups, without a list of groups and a
// filer between the file and the object.
#pragma once
#include <cstdint>
#include <string>

#include "host/acge.h"
#include "platform/shared_name.h"

class AcDbDatabase;
class AcDbEntity;

namespace qd::db {

// What the groups of such an entity give, typed as the groups are typed. A value its
// group did not give is left as a new entity has it.
struct DirectFields {
  enum class Kind : uint8_t { None, Line, Circle, Text, Insert };
  enum Given : uint32_t {
    kLayer = 1 << 0,
    kLinetype = 1 << 1,
    kColor = 1 << 2,
    kLineWeight = 1 << 3,
    kLtScale = 1 << 4,
    kVisible = 1 << 5,
    kFirst = 1 << 6,
    kSecond = 1 << 7,
    kRadius = 1 << 8,
    kThickness = 1 << 9,
    kNormal = 1 << 10,
    kText = 1 << 11,
    kStyle = 1 << 12,
    kHeight = 1 << 13,
    kWidthFactor = 1 << 14,
    kRotation = 1 << 15,
    kOblique = 1 << 16,
    kGeneration = 1 << 17,
    kHorizontal = 1 << 18,
    kVertical = 1 << 19,
    kBlock = 1 << 20,
    kScaleX = 1 << 21,
    kScaleY = 1 << 22,
    kScaleZ = 1 << 23,
    kAttributes = 1 << 24,
  };
  Kind kind = Kind::None;
  uint32_t given = 0;
  // The entity's common groups: 8, 6, 62, 370, 48 and 60.
  std::u16string layer, linetype;
  int16_t color = 0, lineWeight = 0;
  double ltScale = 0;
  bool visible = true;
  // A line's start (10) and end (11); a circle's centre in its own coordinates (10); a
  // text's start and alignment point (10, 11); a block reference's insertion point in its
  // own coordinates (10).
  AcGePoint3d first, second;
  double radius = 0, thickness = 0;  // 40, 39
  AcGeVector3d normal;  // 210, as the file gives it
  // A text's string (1), style (7), height (40), width factor (41), rotation and
  // obliquing in radians (50, 51), generation flags (71) and justification (72, 73).
  std::u16string text, style;
  double height = 0, widthFactor = 0, rotation = 0, oblique = 0;
  int16_t generation = 0, horizontal = 0, vertical = 0;
  // A block reference's block (2), scale (41, 42, 43), rotation (50, in `rotation`), and
  // whether attributes follow it (66).
  std::u16string block;
  AcGeVector3d scale;
  bool attributesFollow = false;
  bool has(Given g) const { return (given & g) != 0; }
};

// The layer, linetype and text style such an entity takes, as the reader spells them:
// null for a name its groups did not give, which the entity keeps as it is made.
struct DirectNames {
  const qd::text::SharedName* layer = nullptr;
  const qd::text::SharedName* linetype = nullptr;
  const qd::text::SharedName* style = nullptr;
};

}  // namespace qd::db

class AcDbDirectFiling {
 public:
  // The entity the fields and names make, not yet in `db` (whose styles place a
  // justified text); null for none.
  static AcDbEntity* make(const qd::db::DirectFields& f, const qd::db::DirectNames& names, AcDbDatabase* db);

 private:
  static void fileCommon(AcDbEntity* e, const qd::db::DirectFields& f, const qd::db::DirectNames& names);
};
