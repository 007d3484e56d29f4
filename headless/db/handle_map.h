// A database's stubs by handle: one flat table, found in one look where a list of nodes
// would cost an allocation for each object and a walk through memory for each lookup.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

class AcDbStub;

namespace qd::db {

class HandleMap {
 public:
  HandleMap() = default;
  HandleMap(const HandleMap&) = delete;
  HandleMap& operator=(const HandleMap&) = delete;

  // The stub of `handle`, or null.
  AcDbStub* find(uint64_t handle) const {
    if (handle == 0) return m_zero;
    if (m_capacity == 0) return nullptr;
    for (size_t i = slotOf(handle);; i = (i + 1) & (m_capacity - 1)) {
      const Slot& s = m_slots[i];
      if (s.handle == handle) return s.stub;
      if (s.handle == 0) return nullptr;
    }
  }
  // Files `stub` under `handle`, in place of any stub filed there before.
  void assign(uint64_t handle, AcDbStub* stub) {
    if (handle == 0) {
      m_size += m_zero ? 0 : 1;
      m_zero = stub;
      return;
    }
    if (!roomFor(m_size + 1)) grow(m_size + 1);
    if (put(handle, stub)) ++m_size;
  }
  // Room for `count` handles in all, made at once.
  void reserve(size_t count) {
    if (!roomFor(count)) grow(count);
  }
  size_t size() const { return m_size; }

 private:
  struct Slot {
    uint64_t handle;  // 0: empty (handle 0 is kept apart)
    AcDbStub* stub;
  };
  // Empty slots are zero bytes: a large table comes zeroed from the system, its pages
  // made as they are first used, rather than all written at once when it is made.
  static_assert(std::is_trivial_v<Slot>);
  struct FreeSlots {
    void operator()(Slot* s) const { std::free(s); }
  };
  using Slots = std::unique_ptr<Slot[], FreeSlots>;
  static Slots emptySlots(size_t n) {
    Slots slots(static_cast<Slot*>(std::calloc(n, sizeof(Slot))));
    if (!slots) throw std::bad_alloc();
    return slots;
  }

  // Handles come mostly in runs, as objects were made: a run keeps to neighbouring
  // slots, so that reading a drawing walks the table instead of jumping about it. The
  // high bits are folded in, so that handles alike in their low bits do not pile up.
  size_t slotOf(uint64_t handle) const {
    uint64_t h = handle ^ (handle >> 32);
    h ^= h >> 16;
    return static_cast<size_t>(h) & (m_capacity - 1);
  }
  // At most seven slots in ten taken, so that a look ends soon.
  bool roomFor(size_t count) const { return count * 10 <= m_capacity * 7; }
  // Whether the handle is new.
  bool put(uint64_t handle, AcDbStub* stub) {
    for (size_t i = slotOf(handle);; i = (i + 1) & (m_capacity - 1)) {
      Slot& s = m_slots[i];
      if (s.handle == handle) {
        s.stub = stub;
        return false;
      }
      if (s.handle == 0) {
        s = Slot{handle, stub};
        return true;
      }
    }
  }
  void grow(size_t count) {
    size_t capacity = 16;
    while (count * 10 > capacity * 7) capacity *= 2;
    Slots old = std::move(m_slots);
    const size_t oldCapacity = m_capacity;
    m_slots = emptySlots(capacity);
    m_capacity = capacity;
    for (size_t i = 0; i < oldCapacity; ++i)
      if (old[i].handle != 0) put(old[i].handle, old[i].stub);
  }

  Slots m_slots;
  size_t m_capacity = 0;  // a power of two
  size_t m_size = 0;
  AcDbStub* m_zero = nullptr;
};

}  // namespace qd::db
