#pragma once
// Large pages for the tables of megabytes that a run builds once and reads all over: such a
// table then costs a page fault for each 2 MB instead of one for each 4 KB.
#include <cstddef>

namespace obel {

// Asks the system to map the memory [data, data + bytes) in large pages where it can, before it
// is first written. Only the whole large pages inside the range are affected; nothing changes
// where the system has no such pages or does not let the process use them.
void adviseLargePages(const void* data, std::size_t bytes);

// Room for n elements in v (a vector or a string), in large pages where the system has them.
template <typename Contiguous>
void reserveInLargePages(Contiguous& v, std::size_t n) {
  v.reserve(n);
  adviseLargePages(v.data(), v.capacity() * sizeof(typename Contiguous::value_type));
}

}  // namespace obel
