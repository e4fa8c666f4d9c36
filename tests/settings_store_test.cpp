#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings_store.h"
#include "tests/settings_fake_profile.h"

namespace obel {
namespace {

using test::FakeProfile;

const char* lookupResult = nullptr;
bool fakeLookup(char* out, std::size_t size) {
  if (!lookupResult) return false;
  std::strncpy(out, lookupResult, size - 1);
  out[size - 1] = '\0';
  return true;
}

Settings loadFrom(FakeProfile& profile, const char* association) {
  lookupResult = association;
  Settings record;
  // Start from values unlike the defaults: loading must set every field.
  std::memset(static_cast<void*>(&record), 0x55, sizeof record);
  record.fontName[0] = record.textEditor[0] = record.commandLine[0] = record.readingDictionary[0] = '\0';
  EXPECT_TRUE(loadSettings(profile, record, fakeLookup));
  return record;
}

TEST(SettingsStore, MissingFileGivesTheDefaults) {
  FakeProfile profile;
  Settings s = loadFrom(profile, "\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"");
  EXPECT_EQ(s.searchSubFolder, 1);
  EXPECT_EQ(s.hideRevConv, 0);
  EXPECT_EQ(s.hideKeyRuby, ShowAllItems);
  for (const LengthFilter& f : {s.keyLengthFilter, s.rubyLengthFilter}) {
    EXPECT_EQ(f.use, 0);
    EXPECT_EQ(f.length, 2);
    EXPECT_EQ(f.type, 0);
  }
  EXPECT_EQ(s.queryExit, 1);
  EXPECT_EQ(s.useRevConvCache, 0);
  EXPECT_EQ(s.composedReadings, 1);
  EXPECT_EQ(s.fontSize, 20);
  EXPECT_STREQ(s.fontName, "ＭＳ ゴシック");
  EXPECT_STREQ(s.textEditor, "C:\\Program Files\\Ed\\ed.exe");
  EXPECT_STREQ(s.commandLine, "\"%F\"");
  EXPECT_STREQ(s.readingDictionary, "");
  EXPECT_TRUE(profile.writes.empty()) << "loading never writes";
}

TEST(SettingsStore, ReadsEverySectionAndKey) {
  FakeProfile profile;
  profile.sections["Application"] = {
      {"SearchSubFolder", "0"}, {"HideRevConv", "1"}, {"HideKeyRuby", "2"}, {"QueryExit", "0"},
      {"UseRevConvCache", "1"}, {"ComposedReadings", "0"}, {"FontSize", "200"}, {"FontName", "ＭＳ 明朝"},
      {"TextEditor", "D:\\ed.exe"}, {"CommandLine", "\"-n%L %F\""}, {"ReadingDictionary", "D:\\SKK-JISYO.L"}};
  profile.sections["HideKey"] = {{"Use", "1"}, {"Length", "3"}, {"Type", "1"}};
  profile.sections["HideRuby"] = {{"Use", "1"}, {"Length", "5"}, {"Type", "2"}};
  Settings s = loadFrom(profile, "\"C:\\other.exe\"");
  EXPECT_EQ(s.searchSubFolder, 0);
  EXPECT_EQ(s.hideRevConv, 1);
  EXPECT_EQ(s.hideKeyRuby, SameRubyItems);
  EXPECT_EQ(s.keyLengthFilter.use, 1);
  EXPECT_EQ(s.keyLengthFilter.length, 3);
  EXPECT_EQ(s.keyLengthFilter.type, AtMostLength);
  EXPECT_EQ(s.rubyLengthFilter.length, 5);
  EXPECT_EQ(s.rubyLengthFilter.type, ExactLength);
  EXPECT_EQ(s.queryExit, 0);
  EXPECT_EQ(s.useRevConvCache, 1);
  EXPECT_EQ(s.composedReadings, 0);
  EXPECT_EQ(s.fontSize, 200) << "values set by hand are used as they are";
  EXPECT_STREQ(s.fontName, "ＭＳ 明朝");
  EXPECT_STREQ(s.textEditor, "D:\\ed.exe");
  EXPECT_STREQ(s.commandLine, "-n%L %F");
  EXPECT_STREQ(s.readingDictionary, "D:\\SKK-JISYO.L");
}

TEST(SettingsStore, EditorComesFromTheAssociationWhenTheKeyIsEmptyOrMissing) {
  struct Case {
    const char* stored;  // nullptr: key missing
    const char* association;
    const char* editor;
  };
  const Case cases[] = {
      {nullptr, "\"C:\\windows\\system32\\notepad.exe\" \"%1\"", "C:\\windows\\system32\\notepad.exe"},
      {"", "%SystemRoot%\\system32\\NOTEPAD.EXE %1", "%SystemRoot%\\system32\\NOTEPAD.EXE"},
      {nullptr, nullptr, ""},
      {"", "C:\\ed.exe", "C:\\ed.exe"},
      {"E:\\mine.exe", "C:\\ed.exe", "E:\\mine.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.association ? c.association : "(no association)");
    FakeProfile profile;
    if (c.stored) profile.sections["Application"]["TextEditor"] = c.stored;
    Settings s = loadFrom(profile, c.association);
    EXPECT_STREQ(s.textEditor, c.editor);
  }
}

TEST(SettingsStore, EditorFromCommandCutsAtTheQuoteOrBlank) {
  struct Case {
    const char* command;
    const char* editor;
  };
  const Case cases[] = {
      {"\"C:\\a b\\ed.exe\" \"%1\"", "C:\\a b\\ed.exe"},
      {"\"C:\\a b\\ed.exe", "C:\\a b\\ed.exe"},  // no closing quote: the rest
      {"C:\\ed.exe %1", "C:\\ed.exe"},
      {"C:\\ed.exe", "C:\\ed.exe"},              // no blank: the rest
      {"", ""},
      {"\"\"", ""},
  };
  for (const Case& c : cases) {
    char out[260];
    editorFromCommand(c.command, out, sizeof out);
    EXPECT_STREQ(out, c.editor) << c.command;
  }
  char small[5];
  editorFromCommand("\"C:\\editor.exe\"", small, sizeof small);
  EXPECT_STREQ(small, "C:\\e") << "cut to the buffer";
}

TEST(SettingsStore, SaveWritesTheEditedKeysOnlyWithTheCommandLineQuoted) {
  FakeProfile profile;
  Settings s;
  s.queryExit = 0;
  s.useRevConvCache = 1;
  s.composedReadings = 0;
  s.fontSize = 12;
  std::strcpy(s.fontName, "ＭＳ Ｐ明朝");
  std::strcpy(s.textEditor, "C:\\ed.exe");
  s.hideRevConv = 1;  // display conditions are never written
  EXPECT_TRUE(saveSettings(profile, s));
  const std::vector<std::string> expected = {
      "Application/QueryExit", "Application/UseRevConvCache", "Application/ComposedReadings", "Application/FontSize",
      "Application/FontName", "Application/TextEditor", "Application/CommandLine",
      "Application/ReadingDictionary"};
  EXPECT_EQ(profile.writes, expected);
  auto& app = profile.sections["Application"];
  EXPECT_EQ(app["QueryExit"], "0");
  EXPECT_EQ(app["FontSize"], "12");
  EXPECT_EQ(app["CommandLine"], "\"\"%F\"\"");

  // The next start reads back exactly what was entered.
  Settings back = loadFrom(profile, nullptr);
  EXPECT_STREQ(back.commandLine, "\"%F\"");
  EXPECT_STREQ(back.fontName, "ＭＳ Ｐ明朝");
  EXPECT_EQ(back.useRevConvCache, 1);
  EXPECT_EQ(back.composedReadings, 0);
  EXPECT_EQ(back.hideRevConv, 0);
}

TEST(SettingsStore, AFailedWriteStillAttemptsTheOthers) {
  FakeProfile profile;
  profile.failingKey = "FontSize";
  Settings s;
  EXPECT_FALSE(saveSettings(profile, s));
  EXPECT_EQ(profile.writes.size(), 8u);
  EXPECT_EQ(profile.sections["Application"].count("TextEditor"), 1u);
}

TEST(SettingsStore, WriteProfileIntIsSignedDecimal) {
  FakeProfile profile;
  EXPECT_TRUE(writeProfileInt(profile, "Application", "Left", -1200));
  EXPECT_TRUE(writeProfileInt(profile, "Application", "Top", 32768));
  EXPECT_EQ(profile.sections["Application"]["Left"], "-1200");
  EXPECT_EQ(profile.sections["Application"]["Top"], "32768");
}

TEST(SettingsStore, SettingsPathIsObelIniBesideTheExecutable) {
  char out[260];
  ASSERT_TRUE(settingsPathFor("C:\\tools\\Renamed.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\tools\\Obel.ini");
  // ソ ends in 0x5C: not a separator.
  ASSERT_TRUE(settingsPathFor("C:\\ソフト\\Obel.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\ソフト\\Obel.ini");
  ASSERT_TRUE(settingsPathFor("Obel.exe", out, sizeof out));
  EXPECT_STREQ(out, "Obel.ini");
  std::string longPath = "C:\\" + std::string(250, 'a') + "\\x.exe";
  EXPECT_FALSE(settingsPathFor(longPath.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
}

// The settings file's text as the profile functions leave it after one write: the user's
// other lines kept byte for byte.
TEST(SettingsStore, SetProfileValueEditsOnlyTheKeysLine) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  };
  const Case cases[] = {
      {"", "Application", "Left", "[Application]\r\nLeft=7\r\n"},
      {"[Application]\r\nleft = 1\r\nTop=2\r\n", "Application", "Left", "[Application]\r\nLeft=7\r\nTop=2\r\n"},
      {"; mine\n[ application ]\nTop=2\n\n[HideKey]\nUse=1", "Application", "Left",
       "; mine\n[ application ]\nTop=2\nLeft=7\r\n\n[HideKey]\nUse=1"},
      {"[HideKey]\r\nLeft=1\r\n[Application]\r\nTop=2", "Application", "Left",
       "[HideKey]\r\nLeft=1\r\n[Application]\r\nTop=2\r\nLeft=7\r\n"},
      {"[HideKey]\r\nUse=1\r\n", "Application", "Left", "[HideKey]\r\nUse=1\r\n[Application]\r\nLeft=7\r\n"},
      {"[Application]\rLeft=1\rLeft=2\r[Application]\rLeft=3", "Application", "Left",
       "[Application]\rLeft=7\rLeft=2\r[Application]\rLeft=3"},
      {"[Application]\r\nLeftover\r\n", "Application", "Left", "[Application]\r\nLeftover\r\nLeft=7\r\n"},
  };
  for (const Case& c : cases) {
    std::string text = c.before;
    setProfileValue(text, c.section, c.key, "7");
    EXPECT_EQ(text, c.after) << c.before;
  }
}

}  // namespace
}  // namespace obel
