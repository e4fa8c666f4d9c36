// The TSV export on real files: the written bytes, targets it cannot write, and the save dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "app/export.h"
#include "app/main_dialog.h"
#include "engine/store.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"
#include "tests/store_items.h"

namespace obel {
namespace {

using test::DialogHook;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string tempFolder() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "obel_export_test\\";
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

int countTemporaryFiles(const std::string& folder) { return test::countFiles(folder + "Obel_*.tmp"); }

const char kExpected[] =
    "キー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\r\n"
    "漢字\tかんじ\t\t第一巻.txt\tC:\\本\t3\t5\t○\r\n"
    "漢字\tかんじ\t\t第一巻.txt\tC:\\本\t9\t1\t\r\n"
    "\tよみ\tく\t第一巻.txt\tC:\\本\t10\t2\t×\r\n";

class ExportTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    process::settings().queryExit = 0;
    std::strcpy(process::settingsPath, (tempFolder() + "obel_export_test.ini").c_str());
    ResultStore& s = process::store();
    clear(s);
    file = newFileRecord("C:\\本\\第一巻.txt");
    addFile(s, file);
    test::appendItem(s, "漢字", "かんじ", "", file, 3, 5);
    test::appendItem(s, "漢字", "かんじ", "", file, 9, 1);  // a repeat of the first
    test::appendItem(s, "", "よみ", "く", file, 10, 2);
    markRepeatedPairs(s);
    s.items[0].flags |= RevConvDone | RevConvOkuriOk;
    s.items[2].flags |= RevConvDone;
    dialog = createMainDialog();
    ASSERT_NE(dialog, nullptr);
    folder = tempFolder();
    target = folder + "結果.tsv";
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
  }
  void TearDown() override {
    DestroyWindow(dialog);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
    clear(process::store());
  }
  HWND dialog = nullptr;
  FileRecord* file = nullptr;
  std::string folder, target;
};

TEST_F(ExportTest, WritesEveryItemByteForByte) {
  DialogHook hook;
  EXPECT_TRUE(exportTsvTo(dialog, target.c_str()));
  EXPECT_EQ(readFile(target), kExpected);
  EXPECT_TRUE(hook.boxes().empty());
  EXPECT_EQ(countTemporaryFiles(folder), 0);
  EXPECT_EQ(GetCapture(), nullptr) << "the mouse capture is released";
}

TEST_F(ExportTest, ReplacesAnExistingFileWhole) {
  std::ofstream(target, std::ios::binary) << std::string(100000, 'x');
  EXPECT_TRUE(exportTsvTo(dialog, target.c_str()));
  EXPECT_EQ(readFile(target), kExpected);
}

// A target that cannot be written: the failure is named in a warning and nothing of the
// user's changes, whether a read-only table or a folder removed after it was chosen.
TEST_F(ExportTest, AnUnwritableTargetIsReportedAndLeftAsItWas) {
  const std::string gone = folder + "removed folder\\";
  struct Case {
    std::string path;
    const char* before;  // the file's bytes before the export; null: no file
  } cases[] = {{target, "original"}, {gone + "x.tsv", nullptr}};
  std::ofstream(target, std::ios::binary) << "original";
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(gone.c_str(), nullptr);
  RemoveDirectoryA(gone.c_str());
  for (const Case& c : cases) {
    DialogHook hook;
    EXPECT_FALSE(exportTsvTo(dialog, c.path.c_str())) << c.path;
    ASSERT_EQ(hook.boxes().size(), 1u) << c.path;
    EXPECT_EQ(hook.boxes()[0].caption, "Obel");
    EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
    EXPECT_EQ(hook.boxes()[0].text, c.path + "\r\nに書き出せませんでした。");
    if (c.before) {
      EXPECT_EQ(readFile(c.path), c.before);
    } else {
      EXPECT_EQ(GetFileAttributesA(c.path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(countTemporaryFiles(folder), 0);
    EXPECT_EQ(GetCapture(), nullptr) << "the mouse capture is released";
  }
}

// The whole command through the save dialog: the file name is typed and OK pressed.
TEST_F(ExportTest, SaveDialogChoosesTheFileAndAsksBeforeOverwriting) {
  std::ofstream(target, std::ios::binary) << "old";
  DialogHook hook(IDYES);  // the overwrite question
  bool seen = false;
  hook.onDialog([&](HWND save) {
    seen = true;
    // The file name field of the explorer-style dialog (cmb13, or edt1 in the older one).
    HWND name = GetDlgItem(save, 0x47C);
    if (!name) name = GetDlgItem(save, 0x480);
    SetWindowTextA(name, target.c_str());
    PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  exportTsv(dialog);
  EXPECT_TRUE(seen);
  ASSERT_EQ(hook.boxes().size(), 1u) << "the overwrite question";
  EXPECT_EQ(readFile(target), kExpected);
}

TEST_F(ExportTest, CancelInTheSaveDialogWritesNothing) {
  DialogHook hook;  // no handler: the dialog is cancelled
  exportTsv(dialog);
  EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(hook.boxes().empty());
}

}  // namespace
}  // namespace obel
