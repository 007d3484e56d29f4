#include "headless/db/spatial_index.h"

#include <algorithm>
#include <cmath>

#include "headless/db/database_impl.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"

namespace qd::db {
namespace {

constexpr int kTopLevel = 62;      // cells of 2^62 units: beyond any drawing
constexpr size_t kMostCells = 4096;  // a question wider than this looks at the level's cells instead

double cellSize(int level) { return std::ldexp(1.0, level); }

// The level whose cells are at least `size` wide.
int levelFor(double size) {
  if (!(size > 0)) return -kTopLevel;
  return std::clamp(static_cast<int>(std::ceil(std::log2(size))), -kTopLevel, kTopLevel);
}

int64_t cellOf(double v, int level) { return static_cast<int64_t>(std::floor(v / cellSize(level))); }

AcDbEntity* entityOf(AcDbStub* stub) {
  return stub && stub->object && !stub->object->isErased() ? AcDbEntity::cast(stub->object) : nullptr;
}

}  // namespace

size_t SpatialIndex::CellHash::operator()(const Cell& c) const {
  const uint64_t h = static_cast<uint64_t>(c.x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(c.y) * 0xC2B2AE3D27D4EB4Full ^
                     static_cast<uint64_t>(c.level + 128) * 0x165667B19E3779F9ull;
  return static_cast<size_t>(h ^ (h >> 29));
}

void SpatialIndex::touch(AcDbStub* stub) {
  if (!m_blocks.empty() && stub) m_touched.insert(stub);
}

void SpatialIndex::clear() {
  m_blocks.clear();
  m_touched.clear();
}

void SpatialIndex::file(Block& b, AcDbStub* stub) {
  const AcDbEntity* e = entityOf(stub);
  if (!e) return;
  AcDbExtents ext;
  if (e->getGeomExtents(ext) != Acad::eOk || !ext.isValid()) {
    b.unbounded.insert(stub);
    return;
  }
  const AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
  const int level = std::max(levelFor(std::max(hi.x - lo.x, hi.y - lo.y)), b.floorLevel);
  if (!std::isfinite(lo.x) || !std::isfinite(hi.y) || level >= kTopLevel) {
    b.unbounded.insert(stub);
    return;
  }
  std::vector<Cell>& where = b.placed[stub];
  // At its level an entity covers at most two cells each way.
  for (int64_t x = cellOf(lo.x, level); x <= cellOf(hi.x, level); ++x)
    for (int64_t y = cellOf(lo.y, level); y <= cellOf(hi.y, level); ++y) {
      where.push_back({level, x, y});
      b.cells[{level, x, y}].push_back(stub);
    }
  ++b.levels[level];
}

void SpatialIndex::unfile(Block& b, AcDbStub* stub) {
  b.unbounded.erase(stub);
  auto it = b.placed.find(stub);
  if (it == b.placed.end()) return;
  for (const Cell& c : it->second) {
    auto cell = b.cells.find(c);
    if (cell == b.cells.end()) continue;
    auto& members = cell->second;
    members.erase(std::remove(members.begin(), members.end(), stub), members.end());
    if (members.empty()) b.cells.erase(cell);
  }
  if (!it->second.empty() && --b.levels[it->second.front().level] == 0) b.levels.erase(it->second.front().level);
  b.placed.erase(it);
}

void SpatialIndex::build(Block& b, AcDbObjectId block) {
  auto* d = implOf(block.database());
  auto* record = d ? AcDbBlockTableRecord::cast(d->peek(block)) : nullptr;
  if (!record) return;
  for (const AcDbObjectId& id : record->entityIds()) file(b, id.stub());
}

void SpatialIndex::refresh() {
  for (AcDbStub* stub : m_touched) {
    for (auto& [owner, b] : m_blocks) unfile(b, stub);
    const AcDbEntity* e = entityOf(stub);
    if (!e) continue;
    auto owner = m_blocks.find(e->ownerId().stub());
    if (owner != m_blocks.end()) file(owner->second, stub);
  }
  m_touched.clear();
}

std::vector<AcDbStub*> SpatialIndex::near(AcDbObjectId block, double x, double y, double reach) {
  if (block.isNull()) return {};
  refresh();
  auto [it, fresh] = m_blocks.try_emplace(block.stub());
  Block& b = it->second;
  if (fresh) {
    // Entities far smaller than a pick share the cells of the pick's size.
    b.floorLevel = levelFor(reach);
    build(b, block);
  }
  std::vector<AcDbStub*> found(b.unbounded.begin(), b.unbounded.end());
  for (const auto& [level, count] : b.levels) {
    const int64_t x0 = cellOf(x - reach, level), x1 = cellOf(x + reach, level);
    const int64_t y0 = cellOf(y - reach, level), y1 = cellOf(y + reach, level);
    const double span = (static_cast<double>(x1 - x0) + 1) * (static_cast<double>(y1 - y0) + 1);
    if (span > kMostCells) {
      for (const auto& [cell, members] : b.cells)
        if (cell.level == level && cell.x >= x0 && cell.x <= x1 && cell.y >= y0 && cell.y <= y1)
          found.insert(found.end(), members.begin(), members.end());
      continue;
    }
    for (int64_t cx = x0; cx <= x1; ++cx)
      for (int64_t cy = y0; cy <= y1; ++cy)
        if (auto cell = b.cells.find({level, cx, cy}); cell != b.cells.end())
          found.insert(found.end(), cell->second.begin(), cell->second.end());
  }
  // An entity filed in two cells of the window is one candidate.
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

}  // namespace qd::db
