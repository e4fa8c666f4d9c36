// The settings as the settings file gives them: the input is the text of Obel.ini, read into
// the tests' in-memory profile as the private-profile functions read a file (sections in
// brackets, key=value lines, blanks around both trimmed, the first of equal keys wins). Every
// value then goes where the program takes it: the display conditions over a small store, the
// length filters' captions, the editor's command line, the dictionary list, the window
// placement. What the settings dialog writes must read back unchanged, and a key written into
// the file's text must be found there again (a second write of it changes nothing).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "app/editor_command.h"
#include "app/layout.h"
#include "results/conditions.h"
#include "revconv/skk_dictionary.h"
#include "tests/settings_fake_profile.h"
#include "tests/store_items.h"

using namespace obel;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void readProfileText(std::string_view text, test::FakeProfile& profile) {
  std::string section;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimmed(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      section = std::string(line.substr(1, line.find(']') - 1));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    profile.sections[section].emplace(std::string(trimmed(line.substr(0, equals))),
                                      std::string(trimmed(line.substr(equals + 1))));
  }
}

template <std::size_t N>
bool ends(const char (&text)[N]) {
  return std::memchr(text, '\0', N) != nullptr;
}

// A text written to the profile reads back as it was, less one pair of enclosing quotes.
bool readsBack(const char* written, const char* read) {
  const std::size_t n = std::strlen(written);
  if (n >= 2 && written[0] == '"' && written[n - 1] == '"')
    return std::strlen(read) == n - 2 && std::strncmp(read, written + 1, n - 2) == 0;
  return std::strcmp(read, written) == 0;
}

// The association's command, for a file without TextEditor: an unquoted one with arguments.
bool txtCommand(char* out, std::size_t size) {
  std::snprintf(out, size, "%s", "C:\\Windows\\notepad.exe %1");
  return true;
}

// A store of a few items with repeated keys and readings, made once.
ResultStore& smallStore() {
  static ResultStore& s = [&]() -> ResultStore& {
    ResultStore& store = process::store();
    clear(store);
    test::appendItem(store, "\x8a\xbf\x8e\x9a", "\x82\xa9\x82\xf1\x82\xb6");  // 漢字 かんじ
    test::appendItem(store, "\x8a\xbf\x8e\x9a", "\x82\xa9\x82\xf1");          // 漢字 かん
    test::appendItem(store, "\x90\xb6", "\x82\xa9\x82\xf1").flags |= RevConvDone | RevConvKeyOk;
    test::appendItem(store, "", "\x82\xe6\x82\xdd", "\x82\xad");
    markRepeatedPairs(store);
    return store;
  }();
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  test::FakeProfile file;
  readProfileText(std::string_view(reinterpret_cast<const char*>(data), size), file);
  Settings& s = process::settings();
  s = Settings{};
  loadSettings(file, s, txtCommand);
  require(ends(s.fontName) && ends(s.textEditor) && ends(s.commandLine) && ends(s.readingDictionary));

  const ResultStore& store = smallStore();
  for (std::uint32_t i = 0; i < store.itemCount; ++i) {
    matchesDisplayConditions(store.items[i], s, nullptr);
    matchesDisplayConditions(store.items[i], s, &store.items[0]);
  }
  for (int side : {KeySide, RubySide}) {
    char caption[LengthFilterTextBytes];
    lengthFilterText(side, caption);
    require(std::strlen(caption) < sizeof caption);
  }
  char command[EditorCommandLineBytes];
  buildEditorCommandLine(s.textEditor, s.commandLine, "C:\\books\\a.txt", 12, 34, command, sizeof command);
  require(std::strlen(command) < sizeof command);
  for (const std::string& name : splitDictionaryList(s.readingDictionary)) require(!name.empty());
  const PlacementKeys placement{file.readInt("Application", "Left", AbsentPlacementKey),
                                file.readInt("Application", "Top", AbsentPlacementKey),
                                file.readInt("Application", "Width", AbsentPlacementKey),
                                file.readInt("Application", "Height", AbsentPlacementKey),
                                file.readInt("Application", "Maximized", AbsentPlacementKey)};
  isPlacementComplete(placement, AbsentPlacementKey);

  // The file's text after a write of a key the program writes, in either case.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const char* key : {"Left", "maximized"}) {
    std::string written(input);
    setProfileValue(written, "Application", key, "-5");
    std::string again = written;
    setProfileValue(again, "application", key, "-5");
    require(again == written);
  }

  // What the settings dialog writes comes back as it was.
  test::FakeProfile saved;
  require(saveSettings(saved, s));
  Settings again;
  loadSettings(saved, again, txtCommand);
  require(again.queryExit == s.queryExit && again.useRevConvCache == s.useRevConvCache &&
          again.composedReadings == s.composedReadings && again.fontSize == s.fontSize);
  // The command line is written inside one more pair of quotes, so it comes back whole.
  require(std::strcmp(again.commandLine, s.commandLine) == 0);
  require(readsBack(s.fontName, again.fontName) && readsBack(s.readingDictionary, again.readingDictionary));
  require(readsBack(s.textEditor, again.textEditor) || (s.textEditor[0] == '"' && again.textEditor[0] != '\0'));
  return 0;
}
