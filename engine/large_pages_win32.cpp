// Windows gives large pages only to memory allocated as such by a process holding the right to
// lock pages in memory, which a user's program does not have: nothing is asked.
#include "engine/large_pages.h"

namespace obel {

void adviseLargePages(const void*, std::size_t) {}

}  // namespace obel
