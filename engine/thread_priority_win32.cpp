#include <windows.h>

#include "engine/thread_priority.h"

namespace obel {

void giveWayToOtherThreads() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

}  // namespace obel
