// The settings store on a real private-profile file and the real registry.
#include <windows.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/settings_file.h"

namespace obel {
namespace {

std::string tempFile(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + name;
  DeleteFileA(path.c_str());
  return path;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsFile, PathIsObelIniInTheExecutablesFolder) {
  char executable[MAX_PATH];
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  std::string folder(executable, std::strrchr(executable, '\\') + 1);
  EXPECT_EQ(std::string(process::settingsPath), folder + "Obel.ini");
}

TEST(SettingsFile, WithoutAPathNothingIsReadOrWrittenElsewhere) {
  // A bare name would make the profile functions use a file in the Windows folder.
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string stray = std::string(windows) + "\\Obel.ini";
  DeleteFileA(stray.c_str());

  FileProfile profile("");
  Settings saved;
  saved.fontSize = 31;
  EXPECT_FALSE(saveSettings(profile, saved));
  EXPECT_EQ(GetFileAttributesA(stray.c_str()), INVALID_FILE_ATTRIBUTES);
  Settings loaded;
  loaded.fontSize = 5;
  loadSettings(profile, loaded, nullptr);
  EXPECT_EQ(loaded.fontSize, Settings{}.fontSize);
  char text[16] = "x";
  profile.readText("Application", "FontName", "既定", text, sizeof text);
  EXPECT_STREQ(text, "既定");
}

TEST(SettingsFile, SaveAndLoadRoundTripOnARealFile) {
  std::string path = tempFile("obel_settings_test.ini");
  FileProfile profile(path.c_str());
  Settings saved;
  saved.queryExit = 0;
  saved.fontSize = 9;
  std::strcpy(saved.fontName, "ＭＳ Ｐゴシック");
  std::strcpy(saved.textEditor, "C:\\エディタ\\ed.exe");
  std::strcpy(saved.commandLine, "\"%F\" -l%L");
  ASSERT_TRUE(saveSettings(profile, saved));
  std::string bytes = readBytes(path);
  EXPECT_NE(bytes.find("[Application]\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("CommandLine=\"\"%F\" -l%L\"\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("FontName=ＭＳ Ｐゴシック\r\n"), std::string::npos) << "stored as CP932";

  Settings loaded;
  std::strcpy(loaded.commandLine, "");
  loadSettings(profile, loaded, nullptr);
  EXPECT_EQ(loaded.queryExit, 0);
  EXPECT_EQ(loaded.fontSize, 9);
  EXPECT_STREQ(loaded.fontName, "ＭＳ Ｐゴシック");
  EXPECT_STREQ(loaded.textEditor, "C:\\エディタ\\ed.exe");
  EXPECT_STREQ(loaded.commandLine, "\"%F\" -l%L");

  EXPECT_TRUE(writeProfileInt("Application", "Left", -5, path.c_str()));
  EXPECT_EQ(GetPrivateProfileIntA("Application", "Left", 32768, path.c_str()), static_cast<UINT>(-5));
  DeleteFileA(path.c_str());
}

// A file type of the test's own under HKEY_CLASSES_ROOT, removed again at the end: the scratch
// prefix need not have a .txt association (Wine registers .txt only through its menu builder).
class TestAssociation {
 public:
  TestAssociation() {
    setDefault(".obeltest", "obeltestfile");
    setDefault("obeltestfile\\shell\\open\\command",
               "\"C:\\Program Files\\Obel Test\\editor.exe\" \"%1\"");
  }
  ~TestAssociation() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "obeltestfile");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".obeltest");
  }

 private:
  static void setDefault(const char* path, const char* value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
  }
};

TEST(SettingsFile, HandEditedDisplayConditionIsReadAndDefaultsFillTheRest) {
  std::string path = tempFile("obel_settings_hand.ini");
  {
    std::ofstream out(path, std::ios::binary);
    out << "[Application]\r\nHideRevConv=1\r\nTextEditor=\r\n[HideRuby]\r\nUse=1\r\n";
  }
  TestAssociation association;
  FileProfile profile(path.c_str());
  Settings s;
  loadSettings(profile, s, [](char* out, std::size_t size) { return findTxtEditor(".obeltest", out, size); });
  EXPECT_EQ(s.hideRevConv, 1);
  EXPECT_EQ(s.rubyLengthFilter.use, 1);
  EXPECT_EQ(s.rubyLengthFilter.length, 2);
  EXPECT_EQ(s.searchSubFolder, 1);
  EXPECT_STREQ(s.commandLine, "\"%F\"");
  EXPECT_STREQ(s.textEditor, "C:\\Program Files\\Obel Test\\editor.exe");
  DeleteFileA(path.c_str());
}

TEST(SettingsFile, FindTxtEditorReadsTheAssociation) {
  TestAssociation association;
  char command[260];
  ASSERT_TRUE(findTxtEditor(".obeltest", command, sizeof command));
  EXPECT_STREQ(command, "\"C:\\Program Files\\Obel Test\\editor.exe\" \"%1\"");
  EXPECT_FALSE(findTxtEditor(".obel-no-such-extension", command, sizeof command));
  EXPECT_STREQ(command, "");
  // A command longer than the buffer is refused, and the buffer still ends in a NUL.
  char tiny[8];
  EXPECT_FALSE(findTxtEditor(".obeltest", tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "");
}

TEST(SettingsFile, TextFilesOpenWithNotepadInTheTestPrefix) {
  // The prefix made by tools/wine-prefix.sh associates .txt with Wine's notepad, so the
  // default editor of a fresh Obel.ini is a real program there.
  char command[260];
  ASSERT_TRUE(findTxtEditor(".txt", command, sizeof command));
  std::string lower = command;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("notepad.exe"), std::string::npos) << command;
}

}  // namespace
}  // namespace obel
