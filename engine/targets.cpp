#include "engine/targets.h"

#include <cstring>

#include "engine/sjis.h"
#include "engine/store.h"

namespace obel {

const char DroppedPathTooLongText[] = " はパスが長すぎます。";

namespace {
constexpr char AllFilesText[] = "全てのファイル (*.*)";
constexpr char AllFilesPattern[] = "*.*";
constexpr std::size_t ClosingEntryRoom = 26;  // the catch-all entry and the final NUL
}  // namespace

std::string withFinalBackslash(const std::string& path) {
  const std::ptrdiff_t last = findLastBackslash(path.c_str());
  if (last >= 0 && static_cast<std::size_t>(last) + 1 == path.size()) return path;
  return path + "\\";
}

bool droppedTargetLine(const std::string& path, bool isFolder, std::string& line) {
  line = isFolder ? withFinalBackslash(path) + TargetPattern : path;
  return line.size() < PathBytes;
}

void fileDialogStart(const std::string& text, bool isFolder, std::string& folder, std::string& name) {
  if (isFolder) {
    folder = text;
    name.clear();
    return;
  }
  const std::ptrdiff_t last = findLastBackslash(text.c_str());
  folder = text.substr(0, static_cast<std::size_t>(last + 1));
  name = text.substr(static_cast<std::size_t>(last + 1));
}

std::string existingFolderPart(std::string text, bool (*folderExists)(const std::string&)) {
  while (!text.empty() && !folderExists(text)) {
    const std::ptrdiff_t last = findLastBackslash(text.c_str());
    text = last < 0 ? std::string() : text.substr(0, static_cast<std::size_t>(last));
  }
  return text;
}

std::size_t buildFileFilter(const char* typeName, const char* pattern, char* buffer, std::size_t capacity) {
  std::size_t used = 0;
  auto put = [&](const std::string& s) {
    std::memcpy(buffer + used, s.c_str(), s.size() + 1);
    used += s.size() + 1;
  };
  // "*.*" is the closing entry itself.
  if (pattern && *pattern && std::strcmp(pattern, AllFilesPattern) != 0 && typeName && *typeName) {
    const std::string description = std::string(typeName) + " (" + pattern + ")";
    if (used + description.size() + 1 + std::strlen(pattern) + 1 + ClosingEntryRoom <= capacity) {
      put(description);
      put(pattern);
    }
  }
  put(AllFilesText);
  put(AllFilesPattern);
  buffer[used++] = '\0';
  return used;
}

std::string defaultExtension(const char* pattern) {
  // "*.*" names no extension to add.
  if (!pattern || std::strlen(pattern) < 2 || std::strcmp(pattern, AllFilesPattern) == 0) return std::string();
  return std::string(pattern + 2);
}

}  // namespace obel
