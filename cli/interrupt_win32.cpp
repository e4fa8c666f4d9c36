#include <windows.h>

#include "cli/interrupt.h"
#include "engine/store.h"
#include "revconv/run.h"

namespace obel {

static volatile LONG presses = 0;

static BOOL WINAPI onConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  if (InterlockedIncrement(&presses) > 1) ExitProcess(130);
  process::store().searchRunning = false;
  process::revConvRunning() = false;
  return TRUE;
}

void installInterruptHandler() {
  process::store();
  process::revConvRunning();
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace obel
