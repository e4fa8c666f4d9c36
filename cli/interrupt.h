#pragma once
// Ctrl-C for obel-scan: the first press acts as Stop (searchRunning and
// process::revConvRunning() are cleared, the current file or item is finished and what was found is written); a second press aborts the program.
namespace obel {
void installInterruptHandler();
}
