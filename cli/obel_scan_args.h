#pragma once
// obel-scan's argument parsing on its own, for the fuzz target (defined in obel_scan.cpp).

#include "settings/settings.h"

namespace obel {

// Parses the arguments as obel-scan does (argv[argc] is a null pointer): 0 when they are
// usable, -1 after printing the help, 2 after a usage message. conditions gets the display
// conditions the options ask for, on a default record.
int parseScanArguments(int argc, char** argv, Settings& conditions);

}  // namespace obel
