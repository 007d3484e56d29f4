// The candidate records of a purge review, kept sorted by name.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/dbmain.h"

namespace qd::purge {

struct PurgeItem {
  std::optional<std::u16string> name;
  AcDbObjectId id;
  int32_t flag = 0;  // 1: moved to the keep list by the typed mask
  std::u16string sortName() const { return name ? *name : std::u16string(); }
};

// Sorted by name, code unit by code unit (a prefix first); a new item goes before an
// equal one. Moving every item that matches goes in one pass and one merge, so a mask
// that matches many items costs n log n rather than a scan per item.
class PurgeItemList {
 public:
  void insert(PurgeItem item);
  // Inserts many at once: sorted, then merged, as the single insertions would place them.
  void insertAll(std::vector<PurgeItem> items);
  PurgeItem take(size_t index);
  // Moves the items that satisfy `pick` into `to`, setting their flag to `flag`.
  void moveTo(PurgeItemList& to, const std::function<bool(const PurgeItem&)>& pick, int32_t flag);
  void clear() { m_items.clear(); }
  size_t count() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  const PurgeItem& at(size_t i) const { return m_items[i]; }
  const std::vector<PurgeItem>& items() const { return m_items; }

 private:
  std::vector<PurgeItem> m_items;
};

}  // namespace qd::purge
