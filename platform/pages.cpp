#include "platform/pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace qd::pages {

void makePresent(void* from, std::size_t size) {
#if defined(MADV_POPULATE_WRITE)
  if (size == 0) return;
  // The call takes whole pages: those the bytes touch lie in the same mapping.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto at = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t first = at / page * page;
  ::madvise(reinterpret_cast<void*>(first), size + (at - first), MADV_POPULATE_WRITE);
#else
  (void)from, (void)size;
#endif
}

}  // namespace qd::pages
