#include "purge/PurgeItemList.h"

#include <algorithm>

namespace qd::purge {
namespace {
bool before(const PurgeItem& a, const PurgeItem& b) { return a.sortName() < b.sortName(); }
}  // namespace

void PurgeItemList::insert(PurgeItem item) {
  // Before the first item whose name is greater or equal.
  auto at = std::lower_bound(m_items.begin(), m_items.end(), item, before);
  m_items.insert(at, std::move(item));
}

void PurgeItemList::insertAll(std::vector<PurgeItem> items) {
  // Among equal names a later insertion goes first, so equal names end up reversed.
  std::reverse(items.begin(), items.end());
  std::stable_sort(items.begin(), items.end(), before);
  std::vector<PurgeItem> merged;
  merged.reserve(items.size() + m_items.size());
  std::merge(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()),
             std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()),
             std::back_inserter(merged), before);
  m_items = std::move(merged);
}

PurgeItem PurgeItemList::take(size_t index) {
  PurgeItem item = std::move(m_items.at(index));
  m_items.erase(m_items.begin() + static_cast<long>(index));
  return item;
}

void PurgeItemList::moveTo(PurgeItemList& to, const std::function<bool(const PurgeItem&)>& pick, int32_t flag) {
  std::vector<PurgeItem> stay, moved;
  for (auto& item : m_items) {
    if (pick(item)) {
      item.flag = flag;
      moved.push_back(std::move(item));
    } else {
      stay.push_back(std::move(item));
    }
  }
  m_items = std::move(stay);
  if (moved.empty()) return;
  // Moved items go before equal names already there, as single insertions would.
  std::vector<PurgeItem> merged;
  merged.reserve(moved.size() + to.m_items.size());
  std::merge(std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()),
             std::make_move_iterator(to.m_items.begin()), std::make_move_iterator(to.m_items.end()),
             std::back_inserter(merged), before);
  to.m_items = std::move(merged);
}

}  // namespace qd::purge
