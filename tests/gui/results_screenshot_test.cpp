// The main window after a search over sample books, on screen: the grouped view with its pair
// rows and the verdicts of a reverse-conversion check, checked in the pixels of the real list. With OBEL_SCREENSHOT set to a file name the
// window is also written there as a bitmap (tools/make-screenshot.sh makes the README's picture).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "engine/walk.h"
#include "results/list_model.h"
#include "results/list_view_win32.h"
#include "revconv/run.h"
#include "revconv/skk_dictionary.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

struct QuietEvents : SearchEvents {
  void showFileName(const char*) override {}
  void showMessage(const char*) override {}
};

// Sample books in a folder any user could have, with keys that carry several readings, pairs
// found several times and readings a small dictionary confirms by the key, with the okurigana,
// partly or not at all. Returns the search targets.
std::vector<std::string> writeSampleBooks() {
  struct Book { const char* folder; const char* name; const char* text; };
  const Book books[] = {
      {"C:\\books\\短編集", "春の章.txt",
       "今日《きょう》は｜明日《あした》の支度をする。\r\n明日《あす》の朝は早い。\r\n"
       "今日《こんにち》の世界では、生《なま》の声が届く。\r\n彼は駅まで走《はし》った。\r\n"},
      {"C:\\books\\短編集", "夏の章.txt",
       "明日《あした》また会おう。\r\n人気《ひとけ》のない道と、人気《にんき》の店。\r\n"
       "明日《あした》は雨だ。今日《きょう》は晴れ。\r\n"},
      {"C:\\books\\随筆", "雑記.txt",
       "山道を走《はし》る。\r\n行方《ゆくえ》も知れず、時雨《しぐれ》の音を聞く。\r\n生《い》きる。\r\n"},
  };
  CreateDirectoryA("C:\\books", nullptr);
  std::vector<std::string> targets;
  for (const Book& book : books) {
    CreateDirectoryA(book.folder, nullptr);
    std::ofstream(std::string(book.folder) + "\\" + book.name, std::ios::binary) << book.text;
    const std::string target = std::string(book.folder) + "\\*.txt";
    if (targets.empty() || targets.back() != target) targets.push_back(target);
  }
  return targets;
}

// A 24-bit bottom-up BMP file of the rectangle.
bool saveBitmap(HDC source, const RECT& r, const char* path) {
  std::vector<unsigned char> pixels;
  const BITMAPINFOHEADER info = test::capturePixels(source, r, 24, false, pixels);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

TEST(ResultScreenshot, GroupedViewAfterASearchShowsPairRowsByTheRule) {
  process::settings() = Settings{};
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::strcpy(process::settingsPath, (std::string(temp) + "obel_screenshot.ini").c_str());
  DeleteFileA(process::settingsPath);
  const std::vector<std::string> targets = writeSampleBooks();

  ResultStore& s = process::store();
  s.searchRunning = true;
  auto lister = platformDirLister();
  QuietEvents events;
  searchTargets(s, targets, false, *lister, events);
  finishSearch(s);
  ASSERT_EQ(s.itemCount, 15u);
  // Verdicts from a small reading dictionary: the readings it knows get ◎, the rest ×, and a
  // key of several readings shows both.
  SkkDictionary dictionary;
  dictionary.loadText(reinterpret_cast<const char*>(
      u8";; -*- coding: utf-8 -*-\nきょう /今日/\nあした /明日/\nなま /生/\nにんき /人気/\nゆくえ /行方/\n"
      u8"はしr /走/\nいk /生/\n"));
  process::settings().useRevConvCache = 0;
  process::revConvRunning() = true;
  checkStoreItems(s, ReadingSource{&dictionary, nullptr, nullptr}, nullptr);
  ASSERT_EQ(s.pendingCheckCount, 0u);

  HWND dialog = createMainDialog();
  ASSERT_NE(dialog, nullptr);
  for (const std::string& target : targets)
    SendDlgItemMessageA(dialog, IDC_TARGET_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(target.c_str()));
  SetWindowPos(dialog, nullptr, 4, 4, 1012, 756, SWP_NOZORDER);
  ShowWindow(dialog, SW_SHOW);
  refreshGroupList(dialog, nullptr);
  HWND group = GetDlgItem(dialog, IDC_GROUP_LIST);
  SetFocus(group);
  test::pumpMessages(300);
  UpdateWindow(dialog);

  // The first pair row on screen: nothing painted in the columns of a single occurrence, its
  // count and mark drawn.
  int pairRow = -1;
  const int rows = listview::itemCount(group);
  for (int row = 0; row < rows && pairRow < 0; ++row) {
    LPARAM value = 0;
    ASSERT_TRUE(listview::itemValue(group, row, value));
    if (reinterpret_cast<const RubyItem*>(value)->flags & PairShared) pairRow = row;
  }
  ASSERT_GE(pairRow, 0);
  ASSERT_LT(pairRow, 15) << "visible without scrolling";
  RECT rowRect{};
  rowRect.left = LVIR_BOUNDS;
  SendMessageA(group, LVM_GETITEMRECT, pairRow, reinterpret_cast<LPARAM>(&rowRect));
  HDC dc = GetDC(group);
  const COLORREF background = GetPixel(dc, rowRect.left + 1, rowRect.top + 1);
  int left = rowRect.left;
  for (int column = 0; column < ColumnCount; ++column) {
    const int width = static_cast<int>(SendMessageA(group, LVM_GETCOLUMNWIDTH, column, 0));
    bool painted = false;
    for (int x = left + 1; x < left + width - 1 && !painted; ++x) {
      for (int y = rowRect.top + 1; y < rowRect.bottom - 1 && !painted; ++y) {
        if (GetPixel(dc, x, y) != background) painted = true;
      }
    }
    if (isOccurrenceColumn(column)) {
      EXPECT_FALSE(painted) << "column " << column;
    } else {
      EXPECT_TRUE(painted) << "column " << column;
    }
    left += width;
  }
  ReleaseDC(group, dc);

  // A key with several readings selected, for the picture.
  listview::selectOnly(group, pairRow);
  updateItemButtons(dialog, group);
  test::pumpMessages(300);
  if (const char* path = std::getenv("OBEL_SCREENSHOT")) {
    RECT r;
    GetWindowRect(dialog, &r);
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(saveBitmap(screen, r, path));
    ReleaseDC(nullptr, screen);
  }
  DestroyWindow(dialog);
  test::pumpMessages();
  clear(process::store());
}

}  // namespace
}  // namespace obel
