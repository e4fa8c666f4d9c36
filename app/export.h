#pragma once
// The steps of the TSV export (exportTsv in app/commands.h), apart for the tests.
#include <windows.h>

#include <cstddef>

namespace obel {

// The save dialog for *.tsv (overwrite prompt, default extension tsv); false on cancel.
bool chooseExportFile(HWND dialog, char* path, std::size_t size);
// Writes the whole store to path through a temporary file beside it, which replaces the
// target only when complete. A failure is reported in a warning box and returns false.
bool exportTsvTo(HWND dialog, const char* path);

}  // namespace obel
