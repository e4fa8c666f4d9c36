// On Linux each thread has a nice value of its own; elsewhere the value belongs to the whole
// process, which must not slow down, so nothing is changed.
#include "engine/thread_priority.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#endif

namespace obel {

void giveWayToOtherThreads() {
#ifdef __linux__
  constexpr int Lower = 6;  // about a quarter of the processor time of a thread at the process's own
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, thread);
  if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(nice + Lower, 19));
#endif
}

}  // namespace obel
