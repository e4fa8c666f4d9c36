#include <csignal>
#include <unistd.h>

#include "cli/interrupt.h"
#include "engine/store.h"
#include "revconv/run.h"

namespace obel {

static volatile std::sig_atomic_t presses = 0;

static void onInterrupt(int) {
  if (presses > 0) _exit(130);
  presses = 1;
  process::store().searchRunning = false;  // lock-free atomic: safe in a signal handler
  process::revConvRunning() = false;
}

void installInterruptHandler() {
  process::store();  // allocate the store before any signal can arrive
  process::revConvRunning();
  std::signal(SIGINT, onInterrupt);
}

}  // namespace obel
