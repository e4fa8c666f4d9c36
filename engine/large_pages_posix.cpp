// Transparent huge pages on Linux (madvise); elsewhere nothing is asked.
#include "engine/large_pages.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace obel {

void adviseLargePages(const void* data, std::size_t bytes) {
#ifdef __linux__
  // a smaller range holds no large page: no call is made for it
  constexpr std::size_t LargePageBytes = std::size_t{2} << 20;
  if (bytes < LargePageBytes) return;
  // madvise takes whole pages: the range is narrowed to those inside it
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / page * page;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace obel
