// Where the entities of a block lie, for picking and object snaps: each entity's
// extents filed in a hierarchy of square grids (the level whose cells are about the
// entity's size), so that finding the entities near a point costs the same in a drawing
// of ten thousand labels as in an empty one. The index is built when first asked and
// kept up to date from the objects closed after a change; the caller still checks each
// candidate against the entity itself.
#pragma once
#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/dbmain.h"

class AcDbStub;

namespace qd::db {

class SpatialIndex {
 public:
  // An object was changed (closed after write, appended, erased).
  void touch(AcDbStub* stub);
  // Forgets everything: the next question builds the index again.
  void clear();
  // The entities of the block whose extents come within `reach` of (x, y), and those
  // without extents, in no particular order.
  std::vector<AcDbStub*> near(AcDbObjectId block, double x, double y, double reach);

 private:
  struct Cell {
    int level;
    int64_t x, y;
    bool operator==(const Cell& o) const { return level == o.level && x == o.x && y == o.y; }
  };
  struct CellHash {
    size_t operator()(const Cell& c) const;
  };
  struct Block {
    std::unordered_map<Cell, std::vector<AcDbStub*>, CellHash> cells;
    std::unordered_map<AcDbStub*, std::vector<Cell>> placed;  // where each entity is filed
    std::unordered_set<AcDbStub*> unbounded;                  // entities without extents
    std::map<int, size_t> levels;                             // the levels in use, with their entities
    int floorLevel = 0;                                       // no entity is filed below it
  };
  void build(Block& b, AcDbObjectId block);
  void file(Block& b, AcDbStub* stub);
  void unfile(Block& b, AcDbStub* stub);
  void refresh();

  std::unordered_map<AcDbStub*, Block> m_blocks;  // by the block's stub
  std::unordered_set<AcDbStub*> m_touched;
};

}  // namespace qd::db
