#pragma once
// The ruby notation scanner: turns one Shift-JIS text into RubyItems of the result store.
#include <cstddef>
#include <cstdint>

#include "engine/store.h"

namespace obel {

// Scans data (size bytes, with a NUL at data[size]) as the text of record, writing items from
// record->firstItem on. Takes at most MaxItems minus the store's itemCount items. Leaves itemCount
// alone (the caller adds the result) and moves the pool's write position past the new strings.
// Stops early, with stringsExhausted set, when the string table cannot take a string.
std::uint32_t scanBuffer(ResultStore& s, FileRecord* record, const char* data, std::size_t size);

// Reads the file at record->path whole and scans it. A file that cannot be opened or read
// whole yields 0 items and, when unreadable is given, sets it.
std::uint32_t scanFile(ResultStore& s, FileRecord* record, bool* unreadable = nullptr);

}  // namespace obel
