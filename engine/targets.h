#pragma once
// The text rules of the search-target list, apart from its windows: what a dropped path
// becomes, where the file and folder browsers start, and the file dialogs' filter.
#include <cstddef>
#include <string>

namespace obel {

constexpr const char TargetPattern[] = "*.txt";
extern const char DroppedPathTooLongText[];  // " はパスが長すぎます。"

// A backslash is appended unless the text already ends in one (Shift-JIS aware).
std::string withFinalBackslash(const std::string& path);

// The target line for a dropped path: a folder gets a backslash and "*.txt". False when the
// line would be 260 bytes or longer.
bool droppedTargetLine(const std::string& path, bool isFolder, std::string& line);

// Start of the file browser for a field's text: an existing folder opens with no file name;
// otherwise the part up to and including the last backslash is the folder and the rest the
// initial file name (which may be a pattern).
void fileDialogStart(const std::string& text, bool isFolder, std::string& folder, std::string& name);

// Cuts the text at its last backslash until folderExists accepts it; empty when none is left.
std::string existingFolderPart(std::string text, bool (*folderExists)(const std::string&));

// The filter buffer of the file dialogs ("desc\0pattern\0...\0\0", at most `capacity` bytes):
// "<typeName> (<pattern>)" with the pattern when the type name is known and leaves room for
// the closing entry (and is not "*.*" itself), then always "全てのファイル (*.*)" and "*.*".
// Returns the bytes used.
std::size_t buildFileFilter(const char* typeName, const char* pattern, char* buffer, std::size_t capacity);

// The default extension of a pattern: "txt" for "*.txt", empty without a pattern or for "*.*".
std::string defaultExtension(const char* pattern);

}  // namespace obel
