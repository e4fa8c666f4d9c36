// The reverse-conversion run in the real main window: the progress dialog, Stop and the stop
// message, the marks in GroupList, the disabled button and the rebuild that hides confirmed
// rows, with the dictionary provider over a small SKK file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "engine/walk.h"
#include "results/list_model.h"
#include "revconv/cache.h"
#include "revconv/run.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"
#include "tests/store_items.h"

namespace obel {
namespace {

constexpr int VerdictColumn = 9;

std::string tempPath(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

// UTF-8 SKK dictionary; big adds filler lines so that loading takes a noticeable time.
std::string writeDictionary(bool big) {
  const std::string path = tempPath(big ? "obel_revconv_big.dic" : "obel_revconv.dic");
  std::ofstream out(path, std::ios::binary);
  out << reinterpret_cast<const char*>(u8";; -*- coding: utf-8 -*-\nはしr /Ａ走/\nなま /生/\nとうきょう /東京/\n");
  if (big)
    for (int i = 0; i < 400000; ++i) out << "filler" << i << " /x" << i << "/y" << i << ";note/\n";
  return path;
}

// Verdict marks of the rows, keyed by their key string.
std::vector<std::string> rowMarks(HWND list) {
  std::vector<std::string> marks;
  for (int row = 0; row < test::listRowCount(list); ++row) marks.push_back(test::listCell(list, row, 2) + ":" + test::listCell(list, row, VerdictColumn));
  return marks;
}

class RevConvRunWindow : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    std::strcpy(process::settingsPath, tempPath("obel_revconv_gui.ini").c_str());
    DeleteFileA(process::settingsPath);
    clearCache(process::revConvCache());
    clear(process::store());
    process::expandedHead = nullptr;
    // 生/なま three times (confirmed by the key), Ａ走/はし with る and った (partly), Ｚ謎/なぞ:
    // keys that no default dictionary knows and that no kanji readings compose.
    test::appendItem(process::store(), "生", "なま", "");
    test::appendItem(process::store(), "Ａ走", "はし", "る");
    test::appendItem(process::store(), "生", "なま", "で");
    test::appendItem(process::store(), "Ａ走", "はし", "った");
    test::appendItem(process::store(), "Ｚ謎", "なぞ", "");
    test::appendItem(process::store(), "生", "なま", "");
    test::appendItem(process::store(), "東京", "とうきょう", "");
    finishSearch(process::store());
  }
  void TearDown() override {
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    test::pumpMessages();
    process::expandedHead = nullptr;
    clear(process::store());
    DeleteFileA(process::settingsPath);
  }
  void create() {
    dialog = createMainDialog();
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    refreshGroupList(dialog, nullptr);
    EnableWindow(GetDlgItem(dialog, IDC_REVCONV), TRUE);
    test::pumpMessages();
    group = GetDlgItem(dialog, IDC_GROUP_LIST);
  }
  // Presses 逆変換 and returns when the run's dialog has closed; onDialog sees the dialog.
  void pressRevConv(test::DialogHook& hook, std::function<void(HWND)> onDialog) {
    hook.onDialog(std::move(onDialog));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_REVCONV, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REVCONV)));
    test::pumpMessages(50);
  }
  HWND dialog = nullptr;
  HWND group = nullptr;
};

}  // namespace

TEST_F(RevConvRunWindow, RunMarksEveryRowAndDisablesTheButton) {
  std::strcpy(process::settings().readingDictionary, writeDictionary(false).c_str());
  create();
  test::DialogHook hook;
  // a run this short may end before its dialog is seen; the caption is checked by the stop test
  pressRevConv(hook, [](HWND) {});
  EXPECT_TRUE(hook.boxes().empty()) << "a finished run shows no message";
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_REVCONV))) << "nothing is left to check";
  const std::vector<std::string> expected = {"生:◎", "Ａ走:△", "Ｚ謎:×", "東京:◎"};
  EXPECT_EQ(rowMarks(group), expected);
  DeleteFileA(process::settings().readingDictionary);
}

TEST_F(RevConvRunWindow, StopEndsTheRunWithItsMessageAndTheNextRunContinues) {
  std::strcpy(process::settings().readingDictionary, writeDictionary(true).c_str());
  create();
  test::DialogHook hook;
  std::string caption, timeText;
  bool stopDisabled = false;
  pressRevConv(hook, [&](HWND progress) {
    caption = test::windowText(progress);
    timeText = test::controlText(progress, IDC_PROGRESS_TEXT);
    SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    stopDisabled = !IsWindowEnabled(GetDlgItem(progress, IDCANCEL));
  });
  EXPECT_EQ(caption, "逆変換チェック中");
  EXPECT_EQ(timeText, "経過時間：0秒\r\n残り7");
  EXPECT_TRUE(stopDisabled) << "Stop is disabled at once";
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].caption, "Obel");
  EXPECT_EQ(hook.boxes()[0].text, "逆変換チェックを中止しました");
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  EXPECT_GT(process::store().pendingCheckCount, 0u) << "stopped while the dictionary was loading";
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_REVCONV)));
  // The next run takes up what is left, with the remaining count shown from there.
  hook.clear();
  const std::uint32_t left = process::store().pendingCheckCount;
  std::string secondText;
  pressRevConv(hook, [&](HWND progress) { secondText = test::controlText(progress, IDC_PROGRESS_TEXT); });
  EXPECT_TRUE(hook.boxes().empty());
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  EXPECT_EQ(secondText, "経過時間：0秒\r\n残り" + std::to_string(left));
  const std::vector<std::string> expected = {"生:◎", "Ａ走:△", "Ｚ謎:×", "東京:◎"};
  EXPECT_EQ(rowMarks(group), expected);
  DeleteFileA(process::settings().readingDictionary);
}

TEST_F(RevConvRunWindow, HidingConfirmedItemsRebuildsTheList) {
  std::strcpy(process::settings().readingDictionary, writeDictionary(false).c_str());
  process::settings().hideRevConv = 1;
  create();
  EXPECT_EQ(test::listRowCount(group), 4);
  test::DialogHook hook;
  pressRevConv(hook, [](HWND) {});
  const std::vector<std::string> expected = {"Ａ走:△", "Ｚ謎:×"};
  EXPECT_EQ(rowMarks(group), expected) << "fully confirmed pairs and items leave the list";
  DeleteFileA(process::settings().readingDictionary);
}

}  // namespace obel
