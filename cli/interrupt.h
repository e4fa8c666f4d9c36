#pragma once
// Ctrl-C for obel-scan: the first press acts as Stop (searchRunning is cleared, the current file
// is finished and what was found is written); a second press aborts the program.
namespace obel {
void installInterruptHandler();
}
