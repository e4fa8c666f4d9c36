#include <windows.h>

#include <cstring>
#include <string>

#include "engine/file_io.h"
#include "settings/settings_file.h"

namespace obel {

namespace {

bool computeSettingsPath(char* path, std::size_t size) {
  char executable[PathBytes] = "";
  DWORD length = GetModuleFileNameA(nullptr, executable, sizeof executable);
  // Without the whole executable path (none, or cut at 260 bytes) the folder is unknown; the
  // path stays empty rather than naming a file elsewhere, and the defaults apply.
  if (length == 0 || length >= sizeof executable) {
    path[0] = '\0';
    return false;
  }
  // A path too long for the settings name also leaves it empty.
  return settingsPathFor(executable, path, size);
}

bool txtCommand(char* out, std::size_t size) { return findTxtEditor(".txt", out, size); }

}  // namespace

char process::settingsPath[PathBytes];

// Filled during static initialisation, before the entry point.
static const bool settingsPathReady = computeSettingsPath(process::settingsPath, sizeof process::settingsPath);

// An empty path means there is no settings file: reads give the defaults and writes fail.
// (The profile functions would otherwise take a bare name as a file in the Windows folder.)

int FileProfile::readInt(const char* section, const char* key, int defaultValue) {
  if (!*path_) return defaultValue;
  return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path_));
}

void FileProfile::readText(const char* section, const char* key, const char* defaultValue,
                           char* buffer, std::size_t size) {
  if (size == 0) return;
  if (!*path_) {
    lstrcpynA(buffer, defaultValue ? defaultValue : "", static_cast<int>(size));
    return;
  }
  GetPrivateProfileStringA(section, key, defaultValue, buffer, static_cast<DWORD>(size), path_);
  buffer[size - 1] = '\0';
}

// The profile function would rewrite the file in place, so a full disk could leave it cut
// short; the new text goes to a temporary file that replaces the file only when complete.
bool FileProfile::writeText(const char* section, const char* key, const char* value) {
  if (!*path_) return false;
  std::string text;
  FileBytes old;
  if (readWholeFile(path_, old)) text.assign(old.data.get(), old.size);
  else if (GetFileAttributesA(path_) != INVALID_FILE_ATTRIBUTES) return false;  // there, but not readable
  setProfileValue(text, section, key, value);
  return replaceFileWhole(path_, text);
}

bool findTxtEditor(const char* extension, char* out, std::size_t size) {
  if (size == 0) return false;
  out[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char typeName[256] = "";
  DWORD length = 236;
  DWORD type = 0;
  LONG read = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(typeName), &length);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  typeName[length < 236 ? length : 235] = '\0';
  std::strcat(typeName, "\\shell\\open\\command");
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, typeName, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  // One byte is kept back so that the value always ends in a NUL, stored or not.
  length = static_cast<DWORD>(size - 1);
  read = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &length);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    out[0] = '\0';
    return false;
  }
  out[length < size ? length : size - 1] = '\0';
  return true;
}

bool writeProfileInt(const char* section, const char* key, int value, const char* path) {
  FileProfile profile(path);
  return writeProfileInt(profile, section, key, value);
}

bool loadSettings() {
  FileProfile profile(process::settingsPath);
  return loadSettings(profile, process::settings(), txtCommand);
}

bool saveSettings() {
  FileProfile profile(process::settingsPath);
  return saveSettings(profile, process::settings());
}

}  // namespace obel
