#pragma once
// Thread priority, where the system lets a thread set its own.

namespace obel {

// The calling thread gives way to the process's other threads while the processors are all
// busy, and runs as before when they are not.
void giveWayToOtherThreads();

}  // namespace obel
