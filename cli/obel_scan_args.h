#pragma once
// obel-scan's argument parsing on its own, for the fuzz target (defined in obel_scan.cpp).

namespace obel {

// Parses the arguments as obel-scan does (argv[argc] is a null pointer): 0 when they are
// usable, -1 after printing the help, 2 after a usage message. Sets the display conditions
// of the settings record as the options ask.
int parseScanArguments(int argc, char** argv);

}  // namespace obel
