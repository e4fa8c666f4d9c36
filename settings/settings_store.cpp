#include "settings/settings_store.h"

#include <cstdio>
#include <cstring>

#include "engine/sjis.h"

namespace obel {

namespace {

void copyText(const char* text, std::size_t length, char* out, std::size_t size) {
  if (size == 0) return;
  if (length >= size) length = size - 1;
  std::memcpy(out, text, length);
  out[length] = '\0';
}

void readFilter(Profile& profile, const char* section, LengthFilter& filter) {
  filter.use = profile.readInt(section, "Use", 0);
  filter.length = profile.readInt(section, "Length", 2);
  filter.type = profile.readInt(section, "Type", 0);
}

}  // namespace

bool pathBesideExecutable(const char* executablePath, const char* name, char* out, std::size_t size) {
  std::ptrdiff_t slash = findLastBackslash(executablePath);
  std::size_t folder = slash < 0 ? 0 : static_cast<std::size_t>(slash) + 1;
  std::size_t nameSize = std::strlen(name) + 1;
  if (size == 0) return false;
  if (folder + nameSize > size) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, executablePath, folder);
  std::memcpy(out + folder, name, nameSize);
  return true;
}

bool settingsPathFor(const char* executablePath, char* out, std::size_t size) {
  return pathBesideExecutable(executablePath, "Obel.ini", out, size);
}

void editorFromCommand(const char* command, char* out, std::size_t size) {
  const char* start = command;
  const char* end;
  if (*start == '"') {
    ++start;
    end = std::strchr(start, '"');
  } else {
    end = std::strchr(start, ' ');
  }
  if (!end) end = start + std::strlen(start);
  copyText(start, static_cast<std::size_t>(end - start), out, size);
}

bool loadSettings(Profile& profile, Settings& record, TxtCommandLookup findTxtCommand) {
  record.searchSubFolder = profile.readInt("Application", "SearchSubFolder", 1);
  record.hideRevConv = profile.readInt("Application", "HideRevConv", 0);
  record.hideKeyRuby = profile.readInt("Application", "HideKeyRuby", 0);
  readFilter(profile, "HideKey", record.keyLengthFilter);
  readFilter(profile, "HideRuby", record.rubyLengthFilter);
  record.queryExit = profile.readInt("Application", "QueryExit", 1);
  record.useRevConvCache = profile.readInt("Application", "UseRevConvCache", 0);
  record.composedReadings = profile.readInt("Application", "ComposedReadings", 1);
  record.fontSize = profile.readInt("Application", "FontSize", 20);
  profile.readText("Application", "FontName", "ＭＳ ゴシック", record.fontName, sizeof record.fontName);
  profile.readText("Application", "TextEditor", "", record.textEditor, sizeof record.textEditor);
  if (record.textEditor[0] == '\0') {
    char command[260] = "";
    if (!findTxtCommand || !findTxtCommand(command, sizeof command)) command[0] = '\0';
    editorFromCommand(command, record.textEditor, sizeof record.textEditor);
  }
  profile.readText("Application", "CommandLine", "", record.commandLine, sizeof record.commandLine);
  if (record.commandLine[0] == '\0') copyText("\"%F\"", 4, record.commandLine, sizeof record.commandLine);
  profile.readText("Application", "ReadingDictionary", "", record.readingDictionary,
                   sizeof record.readingDictionary);
  return true;
}

bool writeProfileInt(Profile& profile, const char* section, const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return profile.writeText(section, key, text);
}

bool saveSettings(Profile& profile, const Settings& record) {
  bool ok = true;
  ok &= writeProfileInt(profile, "Application", "QueryExit", record.queryExit);
  ok &= writeProfileInt(profile, "Application", "UseRevConvCache", record.useRevConvCache);
  ok &= writeProfileInt(profile, "Application", "ComposedReadings", record.composedReadings);
  ok &= writeProfileInt(profile, "Application", "FontSize", record.fontSize);
  ok &= profile.writeText("Application", "FontName", record.fontName);
  ok &= profile.writeText("Application", "TextEditor", record.textEditor);
  // The reader removes one enclosing pair of quotes, so one more pair brings back exactly the
  // text the user entered, its own quotes included.
  char quoted[sizeof record.commandLine + 2];
  std::snprintf(quoted, sizeof quoted, "\"%s\"", record.commandLine);
  ok &= profile.writeText("Application", "CommandLine", quoted);
  ok &= profile.writeText("Application", "ReadingDictionary", record.readingDictionary);
  return ok;
}

}  // namespace obel
