// The result lists on screen: setup, rebuild and sort through the real list view, header
// clicks and arrows, expand and collapse, the item buttons, the character-count dialog and
// the painted rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/list_font.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "engine/walk.h"
#include "results/conditions.h"
#include "results/list_model.h"
#include "results/list_view_win32.h"
#include "results/window_subclass_win32.h"
#include "app/result_lists.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"
#include "tests/store_items.h"

namespace obel {
namespace {

using Texts = std::vector<std::string>;

// Every item of these tests has the okurigana の, so that the okurigana column has a text.
RubyItem& add(const char* key, const char* ruby, FileRecord* file, int line, int column) {
  return test::appendItem(process::store(), key, ruby, "の", file, line, column);
}

Texts columnTexts(HWND list, int column) {
  Texts texts;
  for (int row = 0; row < test::listRowCount(list); ++row) texts.push_back(test::listCell(list, row, column));
  return texts;
}

void selectRow(HWND list, int row) { listview::selectOnly(list, row); }

int selectedRow(HWND list) { return listview::firstSelected(list); }

HDITEMA headerItem(HWND list, int column) {
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_BITMAP;
  SendMessageA(ListView_GetHeader(list), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
  return item;
}

// A left click on a header item, as the header reports it to its list.
void clickHeader(HWND list, int column) {
  NMHEADERA click{};
  click.hdr.hwndFrom = ListView_GetHeader(list);
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(click.hdr.hwndFrom));
  click.hdr.code = HDN_ITEMCLICKA;
  click.iItem = column;
  click.iButton = 0;
  SendMessageA(list, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

class ResultListsTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::strcpy(process::settingsPath, (std::string(folder) + "obel_results_test.ini").c_str());
    DeleteFileA(process::settingsPath);
    clear(process::store());
    process::expandedHead = nullptr;
    fileA = newFileRecord("C:\\books\\a.txt");
    fileB = newFileRecord("C:\\books\\b.txt");
    addFile(process::store(), fileA);
    addFile(process::store(), fileB);
    // Pairs in store order: 1 東京/とうきょう, 2 雨/あめ (three times), 3 今日/きょう, 4 今日/こんにち
    add("東京", "とうきょう", fileA, 3, 4);
    add("雨", "あめ", fileA, 10, 2);
    add("雨", "あめ", fileB, 20, 5);
    add("今日", "きょう", fileB, 9, 1);
    add("雨", "あめ", fileB, 30, 7);
    add("今日", "こんにち", fileA, 40, 8);
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
    test::pumpMessages();
    group = GetDlgItem(dialog, IDC_GROUP_LIST);
    members = GetDlgItem(dialog, IDC_MEMBER_LIST);
  }
  void createAndFill() {
    create();
    refreshGroupList(dialog, nullptr);
    test::pumpMessages();
  }
  void command(int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    test::pumpMessages();
  }
  void click(int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    test::pumpMessages();
  }
  HWND dialog = nullptr;
  HWND group = nullptr;
  HWND members = nullptr;
  FileRecord* fileA = nullptr;
  FileRecord* fileB = nullptr;
};

TEST_F(ResultListsTest, SetUpGivesTenColumnsSortedByNumberAndMemberListOverGroupList) {
  create();
  EXPECT_EQ(groupList(), group);
  EXPECT_EQ(memberList(), members);
  HWND header = ListView_GetHeader(group);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 10);
  char title[64] = "";
  HDITEMA item{};
  item.mask = HDI_TEXT | HDI_WIDTH;
  item.pszText = title;
  item.cchTextMax = sizeof title;
  SendMessageA(header, HDM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(std::string(title), "キー文字列");
  EXPECT_EQ(item.cxy, 150);
  EXPECT_TRUE(SendMessageA(group, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  RECT g = test::childRect(group), m = test::childRect(members);
  EXPECT_EQ(g.left, m.left);
  EXPECT_EQ(g.top, m.top);
  EXPECT_EQ(g.right, m.right);
  EXPECT_EQ(g.bottom, m.bottom);
  for (SortableListView* view : {&process::groupListView(), &process::memberListView()}) {
    EXPECT_EQ(view->sortState.sortedColumn, 0);
    EXPECT_EQ(view->sortState.descending, 0);
    ASSERT_EQ(view->sortState.columnCount, 10u);
    EXPECT_EQ(columnType(view->sortState, 0), IntegerSort);
    EXPECT_EQ(columnType(view->sortState, 2), TextSort);
    EXPECT_EQ(columnType(view->sortState, 8), IntegerSort);
    EXPECT_EQ(columnType(view->sortState, 9), VerdictSort);
  }
}

TEST_F(ResultListsTest, GroupedRowsThroughTheRealList) {
  createAndFill();
  ASSERT_EQ(test::listRowCount(group), 4);
  EXPECT_EQ(columnTexts(group, NumberColumn), (Texts{"1", "2", "3", "4"}));
  EXPECT_EQ(columnTexts(group, CountColumn), (Texts{"1", "3", "1", "1"}));
  EXPECT_EQ(columnTexts(group, KeyColumn), (Texts{"東京", "雨", "今日", "今日"}));
  EXPECT_EQ(columnTexts(group, FileColumn), (Texts{"a.txt", "", "b.txt", "a.txt"}));
  EXPECT_EQ(columnTexts(group, LineColumn), (Texts{"3", "", "9", "40"}));
  EXPECT_FALSE(enabled(dialog, IDC_OPEN));
  EXPECT_FALSE(enabled(dialog, IDC_EXPAND));
}

TEST_F(ResultListsTest, HeaderClicksSortAndAlternate) {
  createAndFill();
  clickHeader(group, NumberColumn);  // the list starts ascending by №: the first click sorts descending
  EXPECT_EQ(columnTexts(group, NumberColumn), (Texts{"4", "3", "2", "1"}));
  EXPECT_EQ(process::groupListView().sortState.descending, 1);
  clickHeader(group, NumberColumn);
  EXPECT_EQ(columnTexts(group, NumberColumn), (Texts{"1", "2", "3", "4"}));
  clickHeader(group, CountColumn);  // another column starts ascending
  EXPECT_EQ(process::groupListView().sortState.sortedColumn, 1);
  EXPECT_EQ(process::groupListView().sortState.descending, 0);
  EXPECT_EQ(columnTexts(group, CountColumn).back(), "3");
  clickHeader(group, CountColumn);
  EXPECT_EQ(columnTexts(group, CountColumn).front(), "3");
  clickHeader(group, LineColumn);  // the pair row has no line: it sorts first
  EXPECT_EQ(columnTexts(group, LineColumn), (Texts{"", "3", "9", "40"}));
}

std::vector<std::pair<int, int>> sortChanges;
// In front of the dialog's own subclass, which takes the lists' notifications.
LRESULT CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == SortChanged) {
    const NMHEADERA* changed = reinterpret_cast<const NMHEADERA*>(lParam);
    sortChanges.emplace_back(changed->iItem, changed->iButton);
    EXPECT_EQ(changed->hdr.idFrom, static_cast<UINT_PTR>(IDC_GROUP_LIST));
  }
  return callNextProcedure(recordingProc, dialog, message, wParam, lParam);
}

TEST_F(ResultListsTest, SortChangedGoesToTheParentWithBothColumns) {
  createAndFill();
  sortChanges.clear();
  ASSERT_TRUE(subclassWindow(dialog, recordingProc, nullptr));
  clickHeader(group, RubyColumn);
  clickHeader(group, RubyColumn);
  NMHEADERA right{};
  right.hdr.hwndFrom = ListView_GetHeader(group);
  right.hdr.code = HDN_ITEMCLICKA;
  right.iItem = 5;
  right.iButton = 1;  // the right button does not sort
  SendMessageA(group, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&right));
  EXPECT_EQ(sortChanges, (std::vector<std::pair<int, int>>{{3, 0}, {3, 3}}));
  EXPECT_EQ(process::groupListView().sortState.sortedColumn, 3);
}

TEST_F(ResultListsTest, SortedByCountDescendingStaysSoAfterConditionChanges) {
  createAndFill();
  clickHeader(group, CountColumn);
  clickHeader(group, CountColumn);
  ASSERT_EQ(columnTexts(group, CountColumn), (Texts{"3", "1", "1", "1"}));
  click(IDC_SAME_KEY_ONLY);
  EXPECT_EQ(columnTexts(group, KeyColumn), (Texts{"今日", "今日"}));
  click(IDC_SHOW_ALL);
  EXPECT_EQ(columnTexts(group, CountColumn), (Texts{"3", "1", "1", "1"}));
  EXPECT_EQ(process::groupListView().sortState.sortedColumn, 1);
}

TEST_F(ResultListsTest, ConditionOffAndOnAgainRestoresNumberOrder) {
  createAndFill();
  click(IDC_SAME_KEY_ONLY);
  EXPECT_EQ(columnTexts(group, NumberColumn), (Texts{"3", "4"}));
  click(IDC_SHOW_ALL);
  EXPECT_EQ(columnTexts(group, NumberColumn), (Texts{"1", "2", "3", "4"}));
}

TEST_F(ResultListsTest, BitmapArrowMovesAndTheSavedFormatComesBack) {
  create();
  SortableListView& view = process::groupListView();
  const std::uint8_t drawsArrows = view.sortState.headerDrawsArrows;
  EXPECT_EQ(drawsArrows, headerCanDrawArrows() ? 1 : 0) << "the list asks what the program asks";
  // The bitmap path, which a header without its own arrows takes (Wine's comctl32 reports 5.81).
  view.showSortIndicator(-1);
  view.sortState.headerDrawsArrows = 0;
  view.showSortIndicator(NumberColumn);
  const HDITEMA plain2 = headerItem(group, 2);
  EXPECT_FALSE(plain2.fmt & HDF_BITMAP);
  HDITEMA first = headerItem(group, 0);
  EXPECT_TRUE(first.fmt & HDF_BITMAP);
  EXPECT_TRUE(first.fmt & HDF_BITMAP_ON_RIGHT);
  ASSERT_NE(view.sortState.arrowBitmaps[0], nullptr);
  EXPECT_EQ(first.hbm, view.sortState.arrowBitmaps[0]);

  view.showSortIndicator(2);
  EXPECT_FALSE(headerItem(group, 0).fmt & HDF_BITMAP) << "column 0 got its own format back";
  view.sortState.descending = 1;
  view.showSortIndicator(2);  // the same column again: only the arrow changes
  EXPECT_EQ(headerItem(group, 2).hbm, view.sortState.arrowBitmaps[1]);
  EXPECT_EQ(view.sortState.savedHeaderFormat, static_cast<std::uint32_t>(plain2.fmt));
  view.sortState.descending = 0;
  view.showSortIndicator(5);
  const HDITEMA after2 = headerItem(group, 2);
  EXPECT_EQ(after2.fmt, plain2.fmt);
  EXPECT_EQ(after2.hbm, plain2.hbm);
  EXPECT_EQ(headerItem(group, 5).hbm, view.sortState.arrowBitmaps[0]);
  EXPECT_TRUE(headerItem(group, 5).fmt & HDF_BITMAP);

  // A colour change, told to the main window as the system tells top-level windows, makes the
  // bitmaps again and puts the new one on the sorted column.
  HBITMAP stale = CreateBitmap(1, 1, 1, 1, nullptr);
  DeleteObject(static_cast<HBITMAP>(view.sortState.arrowBitmaps[0]));
  view.sortState.arrowBitmaps[0] = stale;
  SendMessageA(dialog, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  EXPECT_EQ(GetObjectType(stale), 0u) << "the old bitmap was deleted";
  EXPECT_NE(view.sortState.arrowBitmaps[0], stale);
  EXPECT_EQ(headerItem(group, 5).hbm, view.sortState.arrowBitmaps[0]);

  view.showSortIndicator(-1);
  EXPECT_EQ(view.sortState.sortedColumn, -1);
  EXPECT_FALSE(headerItem(group, 5).fmt & HDF_BITMAP);
  view.sortState.headerDrawsArrows = drawsArrows;
}

TEST_F(ResultListsTest, FormatFlagArrowMovesWhenTheHeaderDrawsArrows) {
  create();
  SortableListView& view = process::groupListView();
  view.showSortIndicator(-1);
  view.sortState.headerDrawsArrows = 1;
  view.sortState.descending = 0;
  view.showSortIndicator(2);
  EXPECT_TRUE(headerItem(group, 2).fmt & HDF_SORTUP);
  view.sortState.descending = 1;
  view.showSortIndicator(2);
  EXPECT_TRUE(headerItem(group, 2).fmt & HDF_SORTDOWN);
  EXPECT_FALSE(headerItem(group, 2).fmt & HDF_SORTUP);
  view.sortState.descending = 0;
  view.showSortIndicator(5);
  EXPECT_FALSE(headerItem(group, 2).fmt & (HDF_SORTUP | HDF_SORTDOWN));
  EXPECT_TRUE(headerItem(group, 5).fmt & HDF_SORTUP);
  EXPECT_FALSE(headerItem(group, 5).fmt & HDF_BITMAP) << "no bitmap on such headers";
  view.sortState.headerDrawsArrows = 0;
}

TEST_F(ResultListsTest, InsertingAndDeletingColumnsThroughTheList) {
  create();
  SortableListView& view = process::groupListView();
  view.showSortIndicator(3);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>("x");
  column.cx = 20;
  EXPECT_EQ(SendMessageA(group, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)), 1);
  EXPECT_EQ(view.sortState.columnCount, 11u);
  EXPECT_EQ(view.sortState.sortedColumn, 4);
  EXPECT_EQ(columnType(view.sortState, 1), TextSort);
  EXPECT_EQ(columnType(view.sortState, 2), IntegerSort);
  EXPECT_TRUE(SendMessageA(group, LVM_DELETECOLUMN, 4, 0));
  EXPECT_EQ(view.sortState.sortedColumn, -1);
  EXPECT_EQ(view.sortState.columnCount, 10u);
}

TEST_F(ResultListsTest, ExpandCollapseKeepsRowsOrderAndSelection) {
  createAndFill();
  selectRow(group, 1);  // the pair of three
  updateItemButtons(dialog, group);
  EXPECT_FALSE(enabled(dialog, IDC_OPEN)) << "a pair row has no single file";
  EXPECT_TRUE(enabled(dialog, IDC_EXPAND));
  click(IDC_EXPAND);
  ASSERT_TRUE(isExpanded());
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EXPAND), BST_CHECKED);
  EXPECT_TRUE(IsWindowVisible(members));
  EXPECT_FALSE(IsWindowVisible(group));
  EXPECT_EQ(visibleList(), members);
  EXPECT_EQ(columnTexts(members, NumberColumn), (Texts{"1", "2", "3"}));
  EXPECT_EQ(columnTexts(members, CountColumn), (Texts{"1", "1", "1"}));
  EXPECT_EQ(columnTexts(members, LineColumn), (Texts{"10", "20", "30"}));
  for (int id : {IDC_SHOW_ALL, IDC_SAME_KEY_ONLY, IDC_SAME_RUBY_ONLY, IDC_HIDE_REVCONV, IDC_KEY_LENGTH,
                 IDC_KEY_LENGTH_CHANGE, IDC_RUBY_LENGTH, IDC_RUBY_LENGTH_CHANGE})
    EXPECT_FALSE(enabled(dialog, id)) << id;
  EXPECT_TRUE(enabled(dialog, IDC_CONDITIONS_FOLD));
  EXPECT_TRUE(enabled(dialog, IDC_EXPAND)) << "nothing selected: Expand collapses";

  clickHeader(members, NumberColumn);  // descending
  selectRow(members, 1);
  updateItemButtons(dialog, members);
  EXPECT_TRUE(enabled(dialog, IDC_OPEN));
  EXPECT_TRUE(enabled(dialog, IDC_EXPAND));
  const Texts order = columnTexts(members, LineColumn);
  EXPECT_EQ(order, (Texts{"30", "20", "10"}));

  command(IDM_ESCAPE);  // Esc collapses
  EXPECT_FALSE(isExpanded());
  EXPECT_TRUE(IsWindowVisible(group));
  EXPECT_FALSE(IsWindowVisible(members));
  EXPECT_FALSE(enabled(dialog, IDC_OPEN));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EXPAND), BST_UNCHECKED);
  EXPECT_TRUE(enabled(dialog, IDC_SHOW_ALL));
  command(IDM_ESCAPE);  // nothing to collapse
  EXPECT_FALSE(isExpanded());

  click(IDC_EXPAND);  // the same pair again
  ASSERT_TRUE(isExpanded());
  EXPECT_EQ(columnTexts(members, LineColumn), order);
  EXPECT_EQ(selectedRow(members), 1);
}

TEST_F(ResultListsTest, ExpandWithNothingSelectedUnchecksTheButton) {
  createAndFill();
  EnableWindow(GetDlgItem(dialog, IDC_EXPAND), TRUE);
  click(IDC_EXPAND);
  EXPECT_FALSE(isExpanded());
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EXPAND), BST_UNCHECKED);
}

TEST_F(ResultListsTest, ActivatingAPairRowExpandsIt) {
  createAndFill();
  selectRow(group, 1);
  activateItem(dialog, group);
  EXPECT_TRUE(isExpanded());
  EXPECT_EQ(test::listRowCount(members), 3);
}

// A notification of the list as it reaches the main dialog.
void notify(HWND dialog, HWND list, UINT code) {
  NMITEMACTIVATE n{};
  n.hdr.hwndFrom = list;
  n.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
  n.hdr.code = code;
  n.iItem = -1;
  SendMessageA(dialog, WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

TEST_F(ResultListsTest, ClicksUpdateTheButtonsAfterTheListAndActivationExpandsOrOpens) {
  createAndFill();
  selectRow(group, 0);  // a unique item
  notify(dialog, group, NM_CLICK);
  EXPECT_FALSE(enabled(dialog, IDC_OPEN)) << "the update is posted, not run inside the notification";
  test::pumpMessages();
  EXPECT_TRUE(enabled(dialog, IDC_OPEN));
  EXPECT_FALSE(enabled(dialog, IDC_EXPAND));
  selectRow(group, 1);
  notify(dialog, group, LVN_KEYDOWN);
  test::pumpMessages();
  EXPECT_FALSE(enabled(dialog, IDC_OPEN));
  EXPECT_TRUE(enabled(dialog, IDC_EXPAND));
  selectRow(group, -1);
  notify(dialog, group, NM_RCLICK);
  test::pumpMessages();
  EXPECT_FALSE(enabled(dialog, IDC_OPEN));
  EXPECT_FALSE(enabled(dialog, IDC_EXPAND));
  selectRow(group, 1);
  notify(dialog, group, LVN_ITEMACTIVATE);  // double-click or Enter on a pair row
  test::pumpMessages();
  EXPECT_TRUE(isExpanded());
  EXPECT_EQ(test::listRowCount(members), 3);
}

int laterSubclassMessages = 0;
LRESULT CALLBACK laterSubclassProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  ++laterSubclassMessages;
  return callNextProcedure(laterSubclassProc, list, message, wParam, lParam);
}

TEST_F(ResultListsTest, TheLastMessageUnbindsTheObject) {
  create();
  SortableListView& view = process::groupListView();
  EXPECT_EQ(view.window, group);
  EXPECT_NE(view.previousProcedure, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(group, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(view.windowProcedure()));
  // A later subclass of the list leaves the object's whole: a header click still sorts.
  ASSERT_TRUE(subclassWindow(group, laterSubclassProc, nullptr));
  laterSubclassMessages = 0;
  clickHeader(group, RubyColumn);
  EXPECT_GT(laterSubclassMessages, 0);
  EXPECT_EQ(view.sortState.sortedColumn, RubyColumn);
  DestroyWindow(dialog);
  test::pumpMessages();
  EXPECT_EQ(view.window, nullptr);
  EXPECT_EQ(process::memberListView().window, nullptr);
}

TEST_F(ResultListsTest, ResetEmptiesBothListsAndReturnsToTheGroupedView) {
  createAndFill();
  selectRow(group, 1);
  toggleExpand(dialog);
  ASSERT_TRUE(isExpanded());
  EnableWindow(GetDlgItem(dialog, IDC_EXPORT), TRUE);
  resetResultLists(dialog);
  EXPECT_FALSE(isExpanded());
  EXPECT_EQ(test::listRowCount(group), 0);
  EXPECT_EQ(test::listRowCount(members), 0);
  EXPECT_TRUE(IsWindowVisible(group));
  for (int id : {IDC_OPEN, IDC_EXPAND, IDC_EXPORT}) EXPECT_FALSE(enabled(dialog, id)) << id;
  EXPECT_TRUE(enabled(dialog, IDC_SHOW_ALL));
}

TEST_F(ResultListsTest, LengthFilterCaptions) {
  process::settings().rubyLengthFilter = {1, 3, 2};
  create();
  EXPECT_EQ(test::controlText(dialog, IDC_KEY_LENGTH), "キーが2文字以上の項目のみ表示");
  EXPECT_EQ(test::controlText(dialog, IDC_RUBY_LENGTH), "ルビが3文字の項目のみ表示");
}

TEST_F(ResultListsTest, CharCountDialogChecksAndStores) {
  create();
  test::DialogHook hook;
  std::string caption, label, field;
  int entries = 0;
  hook.onDialog([&](HWND box) {
    caption = test::windowText(box);
    label = test::controlText(box, IDC_COUNT_LABEL);
    field = test::controlText(box, IDC_COUNT_FIELD);
    entries = static_cast<int>(SendDlgItemMessageA(box, IDC_COUNT_TYPE, CB_GETCOUNT, 0, 0));
    HWND ok = GetDlgItem(box, IDOK);
    SetDlgItemTextA(box, IDC_COUNT_FIELD, "");
    SendMessageA(ok, BM_CLICK, 0, 0);
    SetDlgItemTextA(box, IDC_COUNT_FIELD, "0");
    SendMessageA(ok, BM_CLICK, 0, 0);
    SetDlgItemTextA(box, IDC_COUNT_FIELD, "7");
    SendDlgItemMessageA(box, IDC_COUNT_TYPE, CB_SETCURSEL, 1, 0);
    SendMessageA(ok, BM_CLICK, 0, 0);
  });
  process::settings().rubyLengthFilter = {0, 4, 0};
  click(IDC_RUBY_LENGTH_CHANGE);
  EXPECT_EQ(caption, "ルビ文字数設定");
  EXPECT_EQ(label, "ルビが");
  EXPECT_EQ(field, "4");
  EXPECT_EQ(entries, 3);
  ASSERT_EQ(hook.boxes().size(), 2u);
  EXPECT_EQ(hook.boxes()[0].text, "文字数が未入力です。");
  EXPECT_EQ(hook.boxes()[1].text, "文字数が不正です。");
  EXPECT_EQ(hook.boxes()[1].caption, "Obel");
  EXPECT_EQ(process::settings().rubyLengthFilter.length, 7);
  EXPECT_EQ(process::settings().rubyLengthFilter.type, AtMostLength);
  EXPECT_EQ(test::controlText(dialog, IDC_RUBY_LENGTH), "ルビが7文字以下の項目のみ表示");
}

TEST_F(ResultListsTest, CharCountDialogCancelChangesNothing) {
  create();
  test::DialogHook hook;
  hook.onDialog([&](HWND box) {
    SetDlgItemTextA(box, IDC_COUNT_FIELD, "9");
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(CharCountDialog(dialog, KeySide));
  EXPECT_EQ(process::settings().keyLengthFilter.length, 2);
}

TEST_F(ResultListsTest, CountFieldTakesTwoBytes) {
  create();
  test::DialogHook hook;
  std::string field;
  hook.onDialog([&](HWND box) {
    SetDlgItemTextA(box, IDC_COUNT_FIELD, "123");
    field = test::controlText(box, IDC_COUNT_FIELD);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  });
  CharCountDialog(dialog, KeySide);
  EXPECT_EQ(field, "12");
}

// Paints one row into a bitmap and tells which columns got any text pixels.
std::vector<bool> paintedColumns(HWND list, const RubyItem& item, UINT state = 0,
                                 COLORREF* corner = nullptr) {
  HDC screen = GetDC(list);
  HDC dc = CreateCompatibleDC(screen);
  const int height = 24;
  int widths[10];
  int total = 0;
  for (int c = 0; c < 10; ++c) total += widths[c] = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
  HBITMAP bitmap = CreateCompatibleBitmap(screen, total, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_LISTVIEW;
  draw.hwndItem = list;
  draw.hDC = dc;
  draw.rcItem = {0, 0, total, height};
  draw.itemAction = ODA_DRAWENTIRE;
  draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
  draw.itemState = state;
  drawListRow(&draw);
  const COLORREF background = GetPixel(dc, 0, 0);
  if (corner) *corner = background;
  std::vector<bool> painted(10, false);
  int left = 0;
  for (int c = 0; c < 10; ++c) {
    for (int x = left; x < left + widths[c] && !painted[c]; ++x)
      for (int y = 0; y < height && !painted[c]; ++y)
        if (GetPixel(dc, x, y) != background) painted[c] = true;
    left += widths[c];
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(list, screen);
  return painted;
}

TEST_F(ResultListsTest, PairRowShowsColumnsZeroToThreeAndNine) {
  create();
  process::store().items[1].flags |= RevConvDone | RevConvGroupDone | RevConvGroupSomeOk;
  const std::vector<bool> pair = paintedColumns(group, process::store().items[1]);
  EXPECT_EQ(pair, (std::vector<bool>{true, true, true, true, false, false, false, false, false, true}));
  const std::vector<bool> single = paintedColumns(group, process::store().items[0]);
  for (int c = 0; c <= 8; ++c) EXPECT_TRUE(single[c]) << c;
  process::expandedHead = &process::store().items[1];
  const std::vector<bool> member = paintedColumns(members, process::store().items[1]);
  for (int c = 0; c <= 9; ++c) EXPECT_TRUE(member[c]) << "expanded column " << c;
}

TEST_F(ResultListsTest, SelectedRowColoursDependOnTheFocus) {
  createAndFill();
  COLORREF corner = 0;
  paintedColumns(group, process::store().items[0], 0, &corner);
  EXPECT_EQ(corner, GetSysColor(COLOR_WINDOW));
  SetFocus(GetDlgItem(dialog, IDC_SETTINGS));
  paintedColumns(group, process::store().items[0], ODS_SELECTED, &corner);
  EXPECT_EQ(corner, GetSysColor(COLOR_BTNFACE));
  SetFocus(group);
  paintedColumns(group, process::store().items[0], ODS_SELECTED, &corner);
  EXPECT_EQ(corner, GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(ResultListsTest, RowHeightFollowsTheFontSizeAtOnce) {
  createAndFill();
  RECT r{};
  r.left = LVIR_BOUNDS;
  SendMessageA(group, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.bottom - r.top, 24) << "fontSize 20";
  process::settings().fontSize = 8;
  applyListFont(dialog);
  r.left = LVIR_BOUNDS;
  SendMessageA(group, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.bottom - r.top, 13);
  EXPECT_EQ(listRowHeight(), 13);
  process::settings().fontSize = 10;
  EXPECT_EQ(listRowHeight(), 14);
}

// The sort's integer parser reads the numbers the lists write without the round trip through
// the OLE parser; for those and for every other form it answers as VarI4FromStr does.
TEST(OleCellParserTest, IntegersAsVarI4FromStr) {
  for (const char* text : {"0", "7", "-12", "000123", "-0", "999999999", "1234567890", "2147483647", "2147483648",
                           "-2147483648", "", "-", "--1", "12a", " 5", "1,234", "+3"}) {
    WCHAR wide[64];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64), 0);
    LONG expected = 0;
    const bool parses = VarI4FromStr(wide, LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, &expected) == S_OK;
    std::int32_t value = 0;
    EXPECT_EQ(oleCellParser().parseInteger(text, value), parses) << "\"" << text << "\"";
    if (parses) {
      EXPECT_EQ(value, expected) << "\"" << text << "\"";
    }
  }
}

}  // namespace
}  // namespace obel
