#include "host/object_heap.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "platform/pages.h"

namespace qd {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr std::size_t kGrain = 16;  // as general allocations are aligned
constexpr std::size_t kLargest = 512;  // larger objects are few: allocated as any memory
constexpr std::size_t kClasses = kLargest / kGrain;
// The first chunk a heap makes; each one after it twice the one before, up to kMostChunk.
constexpr std::size_t kChunk = std::size_t{64} << 10;
constexpr std::size_t kMostChunk = std::size_t{1} << 20;

struct FreeSlot {
  FreeSlot* next;
};

// Pages given and not yet cut, listed in their own first bytes.
struct GivenPages {
  GivenPages* next;
  char* end;
};

// Trivially destroyed, so that a thread's heap costs nothing at its exit: its chunks,
// like those of every thread, stay for the process's life, in use or free for the
// objects of their size.
struct Heap {
  FreeSlot* free[kClasses];
  char* cut;  // the rest of the chunk being cut
  char* end;
  GivenPages* given;
  std::size_t nextChunk;  // 0 before the first
};

thread_local Heap t_heap;

std::size_t classOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / kGrain; }

// Room for one more chunk: given pages first, else a general allocation. What is left
// of the chunk before it was too little for the object wanted, and is not used.
void refill(Heap& h) {
  if (GivenPages* g = h.given) {
    h.given = g->next;
    h.cut = reinterpret_cast<char*>(g);
    h.end = g->end;
    return;
  }
  const std::size_t size = h.nextChunk == 0 ? kChunk : h.nextChunk;
  h.nextChunk = std::min(2 * size, kMostChunk);
  h.cut = static_cast<char*>(::operator new(size));
  h.end = h.cut + size;
  // A heap that grows fills its chunk soon.
  qd::pages::makePresent(h.cut, size);
}

}  // namespace

void* allocateObject(std::size_t size) {
  if (kSanitized || size > kLargest) return ::operator new(size);
  Heap& h = t_heap;
  const std::size_t c = classOf(size);
  if (FreeSlot* s = h.free[c]) {
    h.free[c] = s->next;
    return s;
  }
  const std::size_t bytes = (c + 1) * kGrain;
  while (static_cast<std::size_t>(h.end - h.cut) < bytes) refill(h);
  void* p = h.cut;
  h.cut += bytes;
  return p;
}

void freeObject(void* p, std::size_t size) noexcept {
  if (!p) return;
  if (kSanitized || size > kLargest) {
    ::operator delete(p);
    return;
  }
  Heap& h = t_heap;
  auto* s = static_cast<FreeSlot*>(p);
  const std::size_t c = classOf(size);
  s->next = h.free[c];
  h.free[c] = s;
}

bool objectHeapTakesPages() { return !kSanitized; }

void giveObjectPages(char* from, char* to) {
  if (kSanitized || to - from < static_cast<std::ptrdiff_t>(sizeof(GivenPages))) return;
  // Appended, so that pages given in order are cut in order.
  auto* g = reinterpret_cast<GivenPages*>(from);
  g->next = nullptr;
  g->end = to;
  GivenPages** last = &t_heap.given;
  while (*last) last = &(*last)->next;
  *last = g;
}

}  // namespace qd
