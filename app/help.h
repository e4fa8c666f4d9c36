#pragma once
// Which program shows the help, and with what.
#include <cstddef>

namespace obel {

// Paths live in 260-byte buffers, as everywhere in the program.
constexpr std::size_t HelpPathBytes = 260;

struct HelpLaunch {
  // Handed to the shell's "open" verb: the help file itself, or the program that shows it.
  char file[HelpPathBytes];
  // Its arguments; empty for the help file.
  char parameters[HelpPathBytes + 2];
  // The file that must exist for the help to be shown at all.
  char page[HelpPathBytes];
};

// On Windows the compiled help "Obel.chm" beside the executable, opened by the system's
// handler. Under Wine, whose help viewer draws blank pages without its browser engine, the
// same pages as plain HTML in the folder "help" beside the executable, shown in the desktop's
// browser by Wine's "winebrowser". False when a path would not fit.
bool helpLaunch(const char* executablePath, bool underWine, HelpLaunch& out);

}  // namespace obel
