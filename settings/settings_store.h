#pragma once
// Reading and writing the settings file. The file is a Windows private profile; the logic here
// talks to it through Profile, so it runs the same against the real file (settings_win32.cpp)
// and against an in-memory profile in the tests.
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace obel {

// One private profile file: sections of key=value lines.
class Profile {
 public:
  virtual ~Profile() = default;
  // The key's value read as a decimal number, or the default when the key or file is missing.
  virtual int readInt(const char* section, const char* key, int defaultValue) = 0;
  // The key's text cut to the buffer, one pair of enclosing double quotes removed; the
  // default when the key is missing. Always NUL-terminates (size > 0).
  virtual void readText(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size) = 0;
  virtual bool writeText(const char* section, const char* key, const char* value) = 0;
};

// Looks up the command the system runs to open .txt files; false when there is none.
using TxtCommandLookup = bool (*)(char* out, std::size_t size);

// A file beside the executable: everything after the last backslash of the executable's path
// replaced by name. Returns false (out empty) when the result would not fit.
bool pathBesideExecutable(const char* executablePath, const char* name, char* out, std::size_t size);
// "Obel.ini" beside the executable, whatever the executable is called.
bool settingsPathFor(const char* executablePath, char* out, std::size_t size);

// The executable of an association command such as "C:\x\notepad.exe" "%1": the text inside
// the leading quotes, or up to the first blank; the rest when no closing quote or blank follows.
void editorFromCommand(const char* command, char* out, std::size_t size);

// Fills every field of the record except the window placement. Always true.
bool loadSettings(Profile& profile, Settings& record, TxtCommandLookup findTxtCommand);

// Writes the keys the settings dialog edits; true when every write succeeded. All writes are
// attempted even when one fails.
bool saveSettings(Profile& profile, const Settings& record);

// value as signed decimal text.
bool writeProfileInt(Profile& profile, const char* section, const char* key, int value);

// Sets key=value in the text of a private profile file, as the profile functions write it:
// the first line of the key (names compared without regard to ASCII case, blanks around them
// ignored) in the first section of that name gets the new value; a missing key is added after
// the section's last line that is not blank, a missing section at the end. Every other byte
// stays as it was; added lines end in CR LF.
void setProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value);

// Marks an absent window-placement key.
constexpr int AbsentPlacementKey = 32768;

}  // namespace obel
