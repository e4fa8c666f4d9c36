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

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The name of a section line "[name]", or nothing when the line is not one.
bool sectionName(std::string_view line, std::string_view& name) {
  line = trimBlanks(line);
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  name = trimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
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

void setProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value) {
  const std::string line = std::string(key) + "=" + std::string(value);
  bool inSection = false;
  std::size_t insertAt = std::string::npos;  // after the section's last line that is not blank
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::size_t next = end;  // the next line's start: after CR LF, a lone CR or LF, or the end
    if (next < text.size()) next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
    const std::string_view current(text.data() + start, end - start);
    std::string_view name;
    if (sectionName(current, name)) {
      if (inSection) break;  // the key is not in the section
      inSection = sameName(name, section);
      if (inSection) insertAt = next;
    } else if (inSection) {
      const std::size_t equals = current.find('=');
      if (equals != std::string_view::npos && sameName(trimBlanks(current.substr(0, equals)), key)) {
        text.replace(start, end - start, line);
        return;
      }
      if (!trimBlanks(current).empty()) insertAt = next;
    }
    start = next;
  }
  const bool newSection = insertAt == std::string::npos;
  if (newSection) insertAt = text.size();
  std::string added;
  if (insertAt > 0 && text[insertAt - 1] != '\n' && text[insertAt - 1] != '\r') added += "\r\n";
  if (newSection) added.append("[").append(section).append("]\r\n");
  added.append(line).append("\r\n");
  text.insert(insertAt, added);
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
