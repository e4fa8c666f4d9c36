#pragma once
// The settings file on Windows: "Obel.ini" beside the executable, read and written with the
// private-profile functions (settings_win32.cpp).
#include <cstddef>

#include "engine/store.h"
#include "settings/settings_store.h"

namespace obel {

// Full path of the settings file, computed before the entry point runs.
namespace process {
extern char settingsPath[PathBytes];
}  // namespace process

// The private profile file at path.
class FileProfile : public Profile {
 public:
  explicit FileProfile(const char* path) : path_(path) {}
  int readInt(const char* section, const char* key, int defaultValue) override;
  void readText(const char* section, const char* key, const char* defaultValue, char* buffer,
                std::size_t size) override;
  bool writeText(const char* section, const char* key, const char* value) override;

 private:
  const char* path_;
};

// The command registered under HKEY_CLASSES_ROOT for opening files with the extension.
bool findTxtEditor(const char* extension, char* out, std::size_t size);

bool writeProfileInt(const char* section, const char* key, int value, const char* path);

// process::settings() from and to the settings file.
bool loadSettings();
bool saveSettings();

}  // namespace obel
