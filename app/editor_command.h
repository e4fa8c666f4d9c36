#pragma once
// The command line that opens an occurrence in the user's text editor.
#include <cstddef>

namespace obel {

// Size of the command-line buffer: a quoted 259-byte path and 15 placeholders of 259 bytes fit.
constexpr std::size_t EditorCommandLineBytes = 4160;

// "\"<editor>\" " followed by the template with %F (file path), %L (line), %C (column) and
// %% (a percent sign) replaced; any other % is copied as it is, and so is what follows it.
// Writes at most size - 1 bytes and a NUL; returns false when the line had to be cut.
bool buildEditorCommandLine(const char* editorPath, const char* argumentTemplate, const char* filePath,
                            int line, int column, char* out, std::size_t size);

}  // namespace obel
