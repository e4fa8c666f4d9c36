#pragma once
// Unix programs as the text editor, when the program runs under Wine. Wine starts a Unix
// program given its path, but such a program wants Unix paths in its arguments; on Windows
// nothing here ever finds one.
#include <string>

namespace obel {

// The Unix path (in the Unix file system's own encoding, UTF-8 here) of a Windows path, from
// Wine's "wine_get_unix_file_name" export; empty on Windows or when the path maps to none.
std::string unixFileName(const char* path);

// True when path maps into the Unix file system and the file there is not a Windows
// executable: a Unix program, whose %F must be the file's Unix path.
bool isUnixProgram(const char* path);

// The command line that starts a Unix editor, in UTF-16 for CreateProcessW: built as for any
// editor, but from UTF-8 texts and with %F the Unix path of filePath, since the program reads
// its arguments in the Unix encoding, not in code page 932.
std::wstring unixEditorCommandLine(const char* editorPath, const char* argumentTemplate, const char* filePath,
                                   int line, int column);

}  // namespace obel
