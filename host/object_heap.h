// The memory a drawing's objects take. Objects of the same size are cut from large
// chunks one after another, and the room of one deleted goes to the next of its size:
// a drawing of a few hundred thousand objects takes neither a general allocation for
// each nor the pages of a heap grown piece by piece. Each thread cuts from its own
// chunks; an object may be deleted on any thread.
#pragma once
#include <cstddef>

namespace qd {

void* allocateObject(std::size_t size);
void freeObject(void* p, std::size_t size) noexcept;

// Whether the heap takes pages given to it (not while a sanitizer watches memory, which
// sees only general allocations).
bool objectHeapTakesPages();
// Gives the heap of the calling thread the pages from `from` to `to` (page-aligned,
// writable, private, of no other owner and never to be unmapped) for objects to be cut
// from before any new chunk is taken. Pages another owner is done with, already
// present, cost nothing to make present again.
void giveObjectPages(char* from, char* to);

}  // namespace qd
