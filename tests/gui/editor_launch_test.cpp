// Opening an occurrence in the editor, end to end: the "editor" is this test program itself,
// started with a filter that runs only EditorEcho.Record, which writes down what it received.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/unix_program.h"
#include "engine/store.h"
#include "results/list_model.h"
#include "results/list_view_win32.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

using test::DialogHook;

// Run as the editor: records its command line and working directory in the file named by
// OBEL_EDITOR_ECHO. In an ordinary test run there is nothing to do.
TEST(EditorEcho, Record) {
  char target[MAX_PATH];
  if (!GetEnvironmentVariableA("OBEL_EDITOR_ECHO", target, MAX_PATH)) GTEST_SKIP() << "only run as the editor";
  char directory[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, directory);
  std::string partial = std::string(target) + ".part";
  {
    std::ofstream out(partial, std::ios::binary);
    out << GetCommandLineA() << "\n" << directory << "\n";
  }
  MoveFileExA(partial.c_str(), target, MOVEFILE_REPLACE_EXISTING);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class EditorLaunchTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    process::settings().queryExit = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::strcpy(process::settingsPath, (std::string(folder) + "obel_editor_test.ini").c_str());
    dialog = createMainDialog();
    ASSERT_NE(dialog, nullptr);
    list = GetDlgItem(dialog, IDC_GROUP_LIST);
    file = newFileRecord("C:\\本\\第一巻.txt");
    item = RubyItem{};
    item.file = file;
    item.line = 12;
    item.column = 7;
  }
  void TearDown() override {
    DestroyWindow(dialog);
    freeFileRecord(file);
  }
  // A row of item at the end, as the lists add them; when selected it becomes the only
  // selected row.
  void addRow(bool selected) {
    const int row = listview::appendCallbackItem(list, reinterpret_cast<LPARAM>(&item), ColumnCount);
    ASSERT_GE(row, 0);
    if (selected) listview::selectOnly(list, row);
  }
  HWND dialog = nullptr;
  HWND list = nullptr;
  FileRecord* file = nullptr;
  RubyItem item{};
};

TEST_F(EditorLaunchTest, StartsTheEditorWithTheBuiltCommandLineInOurDirectory) {
  char executable[MAX_PATH];
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string echo = std::string(folder) + "obel_editor_echo.txt";
  DeleteFileA(echo.c_str());
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(folder);
  char working[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, working);

  std::strcpy(process::settings().textEditor, executable);
  std::strcpy(process::settings().commandLine, "\"%F\" %L %C");
  SetEnvironmentVariableA("OBEL_EDITOR_ECHO", echo.c_str());
  SetEnvironmentVariableA("GTEST_FILTER", "EditorEcho.Record");
  addRow(true);
  DialogHook hook;
  launchTextEditor(dialog, list);
  SetEnvironmentVariableA("OBEL_EDITOR_ECHO", nullptr);
  SetEnvironmentVariableA("GTEST_FILTER", nullptr);
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(hook.boxes().empty());

  for (int waited = 0; waited < 300 && GetFileAttributesA(echo.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited) Sleep(100);
  std::string received = readFile(echo);
  std::string expected = "\"" + std::string(executable) + "\" \"C:\\本\\第一巻.txt\" 12 7\n" + working + "\n";
  EXPECT_EQ(received, expected);
  DeleteFileA(echo.c_str());
}

// Under Wine a Unix program is started with the file's Unix path, in the Unix encoding.
TEST_F(EditorLaunchTest, AUnixProgramGetsTheUnixPathOfTheFile) {
  std::string editor = std::string(OBEL_SOURCE_DIR) + "/tests/gui/record-arguments.sh";
  for (char& c : editor)
    if (c == '/') c = '\\';
  char executable[MAX_PATH];
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  EXPECT_TRUE(isUnixProgram(editor.c_str()));
  EXPECT_FALSE(isUnixProgram(executable));
  EXPECT_FALSE(isUnixProgram("C:\\no\\such\\editor"));

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "obel_unix_editor_本";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string arguments = folder + "\\arguments.txt";
  DeleteFileA(arguments.c_str());
  FileRecord* book = newFileRecord((folder + "\\第一巻.txt").c_str());
  item.file = book;
  std::strcpy(process::settings().textEditor, editor.c_str());
  std::strcpy(process::settings().commandLine, "\"%F\" +%L:%C");
  addRow(true);
  DialogHook hook;
  launchTextEditor(dialog, list);
  EXPECT_TRUE(hook.boxes().empty());

  for (int waited = 0; waited < 300 && GetFileAttributesA(arguments.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
    Sleep(100);
  const std::string unixBook = unixFileName(book->path);
  ASSERT_FALSE(unixBook.empty());
  EXPECT_EQ(unixBook.find('\\'), std::string::npos);
  EXPECT_EQ(readFile(arguments), unixBook + "\n+12:7\n");  // UTF-8 bytes, as the Unix side names the file
  item.file = file;
  freeFileRecord(book);
  DeleteFileA(arguments.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(EditorLaunchTest, WithoutASingleSelectedRowOpenIsDisabledSilently) {
  DialogHook hook;
  EnableWindow(GetDlgItem(dialog, IDC_OPEN), TRUE);
  addRow(false);
  launchTextEditor(dialog, list);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN)));
  // A row selected and then deselected again.
  EnableWindow(GetDlgItem(dialog, IDC_OPEN), TRUE);
  addRow(true);
  listview::selectOnly(list, -1);
  launchTextEditor(dialog, list);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN)));
  EXPECT_TRUE(hook.boxes().empty());
}

TEST_F(EditorLaunchTest, MissingEditorAndFailedStartAreReported) {
  DialogHook hook;
  addRow(true);
  process::settings().textEditor[0] = '\0';
  launchTextEditor(dialog, list);
  std::strcpy(process::settings().textEditor, "C:\\no\\such\\editor.exe");
  process::settings().commandLine[0] = '\0';
  launchTextEditor(dialog, list);
  std::strcpy(process::settings().commandLine, "\"%F\"");
  launchTextEditor(dialog, list);
  ASSERT_EQ(hook.boxes().size(), 3u);
  EXPECT_EQ(hook.boxes()[0].text, "テキストエディタが設定されていません");
  EXPECT_EQ(hook.boxes()[1].text, "テキストエディタが設定されていません");
  EXPECT_EQ(hook.boxes()[2].text, "テキストエディタの起動に失敗しました。設定を確認して下さい。");
  for (const auto& box : hook.boxes()) {
    EXPECT_EQ(box.caption, "Obel");
    EXPECT_EQ(box.icon, MB_ICONWARNING);
    EXPECT_EQ(box.owner, dialog);
  }
}

}  // namespace
}  // namespace obel
