// The commonest entities made straight from their values: a reader that has typed a
// LINE's or a CIRCLE's groups itself makes the object here, as the class's own DXF filing
// would make it of those groups, without a list of groups and a filer between the file
// and the object.
#pragma once
#include <cstdint>
#include <string>

#include "host/acge.h"

class AcDbEntity;

namespace qd::db {

// What the groups of such an entity give, typed as the groups are typed. A value its
// group did not give is left as a new entity has it.
struct DirectFields {
  enum class Kind : uint8_t { None, Line, Circle };
  enum Given : uint16_t {
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
  };
  Kind kind = Kind::None;
  uint16_t given = 0;
  // The entity's common groups: 8, 6, 62, 370, 48 and 60.
  std::u16string layer, linetype;
  int16_t color = 0, lineWeight = 0;
  double ltScale = 0;
  bool visible = true;
  // A line's start (10) and end (11); a circle's centre in its own coordinates (10).
  AcGePoint3d first, second;
  double radius = 0, thickness = 0;  // 40, 39
  AcGeVector3d normal;  // 210, as the file gives it
  bool has(Given g) const { return (given & g) != 0; }
};

}  // namespace qd::db

class AcDbDirectFiling {
 public:
  // The entity the fields make (LINE or CIRCLE), not yet in a database; null for none.
  static AcDbEntity* make(const qd::db::DirectFields& f);

 private:
  static void fileCommon(AcDbEntity* e, const qd::db::DirectFields& f);
};
