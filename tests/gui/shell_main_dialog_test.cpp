// The main window on screen: initial states, the exit question, Esc, placement, folding and
// sizing, the system menu and the about box; the captions of every dialog against their room.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/help.h"
#include "app/main_dialog.h"
#include "app/main_layout.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "app/unix_program.h"
#include "obel_version.h"
#include "revconv/providers_win32.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

using test::DialogHook;

// Points the settings file at a scratch file holding the given text (none when null).
std::string useSettingsFile(const char* content) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "obel_main_dialog_test.ini";
  DeleteFileA(path.c_str());
  if (content) std::ofstream(path, std::ios::binary) << content;
  std::strcpy(process::settingsPath, path.c_str());
  return path;
}

int readKey(const char* key) {
  return static_cast<int>(GetPrivateProfileIntA("Application", key, 32768, process::settingsPath));
}

RECT windowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

RECT item(HWND dialog, int id) { return test::childRect(GetDlgItem(dialog, id)); }
int heightOf(const RECT& r) { return r.bottom - r.top; }
int widthOf(const RECT& r) { return r.right - r.left; }

void expectSameRect(const RECT& a, const RECT& b) {
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.bottom, b.bottom);
}

// Size and position of the bare template, centred by the dialog manager.
RECT templateRect() {
  HWND plain = test::createDialog(IDD_MAIN, test::plainDialogProc);
  RECT r = windowRect(plain);
  DestroyWindow(plain);
  return r;
}

class MainDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    useSettingsFile(nullptr);
  }
  void TearDown() override {
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    DeleteFileA(process::settingsPath);
  }
  void create() {
    dialog = createMainDialog();
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    test::pumpMessages();
  }
  void click(int id) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, BM_CLICK, 0, 0);
    test::pumpMessages();
  }
  HWND dialog = nullptr;
};

TEST_F(MainDialogTest, ControlsStartFromTheSettings) {
  create();
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SEARCH_SUBFOLDER), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_TARGETS_FOLD), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_CONDITIONS_FOLD), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_ALL), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HIDE_REVCONV), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_KEY_LENGTH), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RUBY_LENGTH), BST_UNCHECKED);
  for (int id : {IDC_EDIT_TARGET, IDC_DELETE_TARGET, IDC_SEARCH, IDC_OPEN, IDC_EXPAND, IDC_REVCONV, IDC_EXPORT})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  for (int id : {IDC_ADD_TARGET, IDC_SETTINGS, IDC_KEY_LENGTH_CHANGE, IDC_RUBY_LENGTH_CHANGE})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_GROUP_LIST)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_MEMBER_LIST)));
  EXPECT_EQ(visibleList(), GetDlgItem(dialog, IDC_GROUP_LIST));
  EXPECT_EQ(test::windowText(dialog), "Obel");
}

TEST_F(MainDialogTest, ControlsFollowChangedSettingsAndClicksChangeThem) {
  Settings& s = process::settings();
  s.searchSubFolder = 0;
  s.hideKeyRuby = SameRubyItems;
  s.hideRevConv = 1;
  s.keyLengthFilter.use = 1;
  s.rubyLengthFilter.use = 1;
  create();
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SEARCH_SUBFOLDER), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SAME_RUBY_ONLY), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_ALL), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HIDE_REVCONV), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_KEY_LENGTH), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RUBY_LENGTH), BST_CHECKED);

  click(IDC_SEARCH_SUBFOLDER);
  EXPECT_EQ(s.searchSubFolder, 1);
  click(IDC_SAME_KEY_ONLY);
  EXPECT_EQ(s.hideKeyRuby, SameKeyItems);
  click(IDC_HIDE_REVCONV);
  EXPECT_EQ(s.hideRevConv, 0);
  click(IDC_KEY_LENGTH);
  EXPECT_EQ(s.keyLengthFilter.use, 0);
  click(IDC_RUBY_LENGTH);
  EXPECT_EQ(s.rubyLengthFilter.use, 0);
  // Nothing of this reaches the settings file.
  EXPECT_EQ(GetFileAttributesA(process::settingsPath), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainDialogTest, StoredModeOutsideTheButtonsShowsEverything) {
  process::settings().hideKeyRuby = 7;
  create();
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_ALL), BST_CHECKED);
  EXPECT_EQ(process::settings().hideKeyRuby, ShowAllItems);
}

TEST_F(MainDialogTest, EscapeNeverClosesTheWindow) {
  DialogHook hook(IDCANCEL);
  create();
  HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(accelerators, nullptr);
  for (int focus : {IDC_ADD_TARGET, IDC_TARGET_LIST, IDC_GROUP_LIST}) {
    HWND control = GetDlgItem(dialog, focus);
    SetFocus(control);
    PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(control, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatchMainMessage(message, dialog, accelerators);
  }
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(hook.boxes().empty()) << "Esc asked: " << hook.boxes()[0].text;

  // The dialog manager alone would have turned Esc into a cancel (and the exit question).
  HWND control = GetDlgItem(dialog, IDC_ADD_TARGET);
  SetFocus(control);
  PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(dialog, &message)) DispatchMessageA(&message);
  }
  EXPECT_EQ(hook.boxes().size(), 1u);
  EXPECT_TRUE(IsWindow(dialog));
}

// Records the commands that reach the main dialog, before its own procedure sees them. An
// accelerator whose id is also an item of the system menu arrives as a system command.
std::vector<int> commandsSeen;
WNDPROC dialogWindowProc = nullptr;
LRESULT CALLBACK recordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) != IDC_TARGET_LIST) commandsSeen.push_back(LOWORD(wParam));
  if (message == WM_SYSCOMMAND) commandsSeen.push_back(static_cast<int>(wParam));
  return CallWindowProcA(dialogWindowProc, window, message, wParam, lParam);
}

TEST_F(MainDialogTest, AcceleratorsDeliverEscapeAsCommandZeroAndF1AsHelp) {
  DialogHook hook(IDCANCEL);
  create();
  commandsSeen.clear();
  dialogWindowProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordCommands)));
  HACCEL accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  HWND control = GetDlgItem(dialog, IDC_TARGET_LIST);
  SetFocus(control);
  PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(control, WM_KEYDOWN, VK_F1, 0x003B0001);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatchMainMessage(message, dialog, accelerators);
  EXPECT_EQ(commandsSeen, (std::vector<int>{IDM_ESCAPE, IDM_HELP}));
  EXPECT_TRUE(hook.boxes().empty());

  // Shift+Esc matches no accelerator: the dialog manager makes it a cancel, which asks.
  commandsSeen.clear();
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE shifted[256];
  std::memcpy(shifted, keys, sizeof keys);
  shifted[VK_SHIFT] = 0x80;
  SetKeyboardState(shifted);
  PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatchMainMessage(message, dialog, accelerators);
  SetKeyboardState(keys);
  SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogWindowProc));
  EXPECT_EQ(commandsSeen, (std::vector<int>{IDCANCEL}));
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, "終了しますか？");
}

TEST_F(MainDialogTest, ExitQuestionCancelKeepsEverythingAndOkClosesAndSaves) {
  DialogHook hook(IDCANCEL);
  create();
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(hook.boxes().size(), 1u);
  const test::MessageBoxRecord& box = hook.boxes()[0];
  EXPECT_EQ(box.text, "終了しますか？");
  EXPECT_EQ(box.caption, "Obel");
  EXPECT_EQ(box.icon, MB_ICONQUESTION);
  EXPECT_EQ(box.buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(box.owner, dialog);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(GetFileAttributesA(process::settingsPath), INVALID_FILE_ATTRIBUTES) << "no placement written on Cancel";

  MoveWindow(dialog, 40, 30, 700, 720, TRUE);
  hook.answerWith(IDOK);
  SendMessageA(dialog, WM_CLOSE, 0, 0);  // the close box: the dialog manager posts the cancel
  MSG message;
  bool quit = false;
  WPARAM code = 99;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      code = message.wParam;
      break;
    }
    DispatchMessageA(&message);
  }
  EXPECT_EQ(hook.boxes().size(), 2u);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(quit);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(readKey("Left"), 40);
  EXPECT_EQ(readKey("Top"), 30);
  EXPECT_EQ(readKey("Width"), 700);
  EXPECT_EQ(readKey("Height"), 720);
  EXPECT_EQ(readKey("Maximized"), 0);
}

TEST_F(MainDialogTest, WithoutTheQuestionTheCloseBoxEndsAtOnce) {
  DialogHook hook(IDCANCEL);
  process::settings().queryExit = 0;
  create();
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(hook.boxes().empty());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_NE(readKey("Width"), 32768);
}

TEST_F(MainDialogTest, PlacementIsRestoredOnTheNextStart) {
  // A size a little larger than the template, inside the work area.
  RECT plain = templateRect();
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  int width = widthOf(plain) + 150;
  int height = heightOf(plain) + (heightOf(area) - heightOf(plain)) / 2;
  ASSERT_GT(height, heightOf(plain));
  std::string content = "[Application]\r\nLeft=60\r\nTop=" + std::to_string(area.top) +
                        "\r\nWidth=" + std::to_string(width) + "\r\nHeight=" + std::to_string(height) +
                        "\r\nMaximized=0\r\n";
  useSettingsFile(content.c_str());
  create();
  RECT r = windowRect(dialog);
  EXPECT_EQ(r.left, 60);
  EXPECT_EQ(r.top, area.top);
  EXPECT_EQ(widthOf(r), width);
  EXPECT_EQ(heightOf(r), height);
  EXPECT_FALSE(IsZoomed(dialog));
  // The controls were laid out for the restored size.
  HWND reference = test::createDialog(IDD_MAIN, test::plainDialogProc);
  EXPECT_EQ(widthOf(item(dialog, IDC_TARGET_LIST)), widthOf(item(reference, IDC_TARGET_LIST)) + 150);
  EXPECT_EQ(item(dialog, IDC_GROUP_LIST).bottom,
            item(reference, IDC_GROUP_LIST).bottom + height - heightOf(plain));
  DestroyWindow(reference);
}

TEST_F(MainDialogTest, StoredPlacementLargerThanTheWorkAreaIsClamped) {
  useSettingsFile("[Application]\r\nLeft=-300\r\nTop=-200\r\nWidth=5000\r\nHeight=4000\r\nMaximized=0\r\n");
  create();
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(dialog, &placement);
  expectSameRect(placement.rcNormalPosition, area);
}

TEST_F(MainDialogTest, StoredSizeBelowTheTemplateGivesTheTemplateSize) {
  RECT plain = templateRect();
  useSettingsFile("[Application]\r\nLeft=20\r\nTop=10\r\nWidth=0\r\nHeight=-40\r\nMaximized=0\r\n");
  create();
  RECT r = windowRect(dialog);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(widthOf(r), widthOf(plain));
  EXPECT_EQ(heightOf(r), heightOf(plain));
}

TEST_F(MainDialogTest, MaximisedPlacementReopensMaximisedWithItsRestoreSize) {
  RECT plain = templateRect();
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  int width = widthOf(plain) + 40;
  int height = heightOf(plain);
  std::string content = "[Application]\r\nLeft=70\r\nTop=" + std::to_string(area.top) + "\r\nWidth=" +
                        std::to_string(width) + "\r\nHeight=" + std::to_string(height) + "\r\nMaximized=1\r\n";
  useSettingsFile(content.c_str());
  create();
  EXPECT_TRUE(IsZoomed(dialog));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(dialog, &placement);
  expectSameRect(placement.rcNormalPosition, RECT{70, area.top, 70 + width, area.top + height});
  // Saved again as maximised, with the normal rectangle.
  process::settings().queryExit = 0;
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(readKey("Maximized"), 1);
  EXPECT_EQ(readKey("Left"), 70);
  EXPECT_EQ(readKey("Width"), width);
}

TEST_F(MainDialogTest, AnyMissingKeyKeepsTheTemplateSizeCentred) {
  RECT plain = templateRect();
  const char* keys[] = {"Left", "Top", "Width", "Height", "Maximized"};
  for (const char* missing : keys) {
    SCOPED_TRACE(missing);
    std::string content = "[Application]\r\n";
    const char* values[] = {"Left=10", "Top=20", "Width=900", "Height=700", "Maximized=0"};
    for (int i = 0; i < 5; ++i)
      if (std::strcmp(keys[i], missing) != 0) content += std::string(values[i]) + "\r\n";
    useSettingsFile(content.c_str());
    create();
    expectSameRect(windowRect(dialog), plain);
    // In the font the dialog was laid out for, its controls stand where the template puts them
    // (x, y, width, height in dialog units).
    struct Placed {
      int id, x, y, width, height;
    };
    for (const Placed& p : {Placed{IDC_SEARCH_SUBFOLDER, 230, 18, 70, 9}, Placed{IDC_HIDE_REVCONV, 150, 100, 100, 9},
                            Placed{IDC_RUBY_LENGTH, 150, 136, 108, 9}, Placed{IDC_RUBY_LENGTH_CHANGE, 260, 134, 30, 13},
                            Placed{IDC_SETTINGS, 225, 160, 50, 14}}) {
      SCOPED_TRACE(p.id);
      expectSameRect(item(dialog, p.id), test::dialogUnits(dialog, p.x, p.y, p.width, p.height));
    }
    DestroyWindow(dialog);
  }
}

TEST_F(MainDialogTest, FoldingTheSearchGroupHidesItsControlsAndGivesTheListsTheRoom) {
  create();
  RECT box = item(dialog, IDC_TARGETS_GROUP);
  RECT conditions = item(dialog, IDC_CONDITIONS_GROUP);
  RECT open = item(dialog, IDC_OPEN);
  RECT showAll = item(dialog, IDC_SHOW_ALL);
  RECT list = item(dialog, IDC_GROUP_LIST);
  RECT members = item(dialog, IDC_MEMBER_LIST);
  int h = heightOf(box) - 16;

  click(IDC_TARGETS_FOLD);
  for (int id : {IDC_ADD_TARGET, IDC_EDIT_TARGET, IDC_DELETE_TARGET, IDC_SEARCH, IDC_SEARCH_SUBFOLDER, IDC_TARGET_LIST})
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_TARGETS_GROUP)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_TARGETS_FOLD)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_SHOW_ALL)));
  EXPECT_EQ(heightOf(item(dialog, IDC_TARGETS_GROUP)), 16);
  EXPECT_EQ(item(dialog, IDC_CONDITIONS_GROUP).top, conditions.top - h);
  EXPECT_EQ(item(dialog, IDC_SHOW_ALL).top, showAll.top - h);
  EXPECT_EQ(item(dialog, IDC_OPEN).top, open.top - h);
  EXPECT_EQ(item(dialog, IDC_GROUP_LIST).top, list.top - h);
  EXPECT_EQ(item(dialog, IDC_GROUP_LIST).bottom, list.bottom);
  EXPECT_EQ(item(dialog, IDC_MEMBER_LIST).top, members.top - h);
  EXPECT_EQ(item(dialog, IDC_MEMBER_LIST).bottom, members.bottom);

  click(IDC_TARGETS_FOLD);
  for (int id : {IDC_ADD_TARGET, IDC_TARGET_LIST}) EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, id)));
  expectSameRect(item(dialog, IDC_TARGETS_GROUP), box);
  expectSameRect(item(dialog, IDC_OPEN), open);
  expectSameRect(item(dialog, IDC_GROUP_LIST), list);
}

TEST_F(MainDialogTest, FoldingTheConditionsGroupHidesTheConditions) {
  create();
  RECT box = item(dialog, IDC_CONDITIONS_GROUP);
  RECT open = item(dialog, IDC_OPEN);
  RECT list = item(dialog, IDC_GROUP_LIST);
  RECT targets = item(dialog, IDC_TARGET_LIST);
  int h = heightOf(box) - 16;
  click(IDC_CONDITIONS_FOLD);
  HWND first = GetDlgItem(dialog, IDC_SHOW_ALL);
  int hidden = 0;
  for (HWND c = first; c != GetDlgItem(dialog, IDC_OPEN); c = GetWindow(c, GW_HWNDNEXT)) {
    EXPECT_FALSE(IsWindowVisible(c)) << GetDlgCtrlID(c);
    ++hidden;
  }
  EXPECT_EQ(hidden, 9) << "1015 to 1028 with the inner group box";
  EXPECT_EQ(heightOf(item(dialog, IDC_CONDITIONS_GROUP)), 16);
  EXPECT_EQ(item(dialog, IDC_OPEN).top, open.top - h);
  EXPECT_EQ(item(dialog, IDC_GROUP_LIST).top, list.top - h);
  EXPECT_EQ(item(dialog, IDC_GROUP_LIST).bottom, list.bottom);
  expectSameRect(item(dialog, IDC_TARGET_LIST), targets);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_OPEN)));
  click(IDC_CONDITIONS_FOLD);
  EXPECT_TRUE(IsWindowVisible(first));
  expectSameRect(item(dialog, IDC_CONDITIONS_GROUP), box);
  expectSameRect(item(dialog, IDC_GROUP_LIST), list);
}

TEST_F(MainDialogTest, FoldResizeUnfoldEqualsResizingUnfolded) {
  create();
  RECT start = windowRect(dialog);
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  int grow = (heightOf(area) - heightOf(start)) / 2;
  start.top = area.top;
  click(IDC_TARGETS_FOLD);
  click(IDC_CONDITIONS_FOLD);
  MoveWindow(dialog, start.left, start.top, widthOf(start) + 120, heightOf(start) + grow, TRUE);
  click(IDC_TARGETS_FOLD);
  click(IDC_CONDITIONS_FOLD);
  {
    // The same resize on a second window with both boxes unfolded.
    RECT positions[6];
    const int ids[] = {IDC_TARGETS_GROUP, IDC_TARGET_LIST, IDC_CONDITIONS_GROUP, IDC_OPEN, IDC_GROUP_LIST, IDC_SHOW_ALL};
    for (int i = 0; i < 6; ++i) positions[i] = item(dialog, ids[i]);
    DestroyWindow(dialog);
    create();
    MoveWindow(dialog, start.left, start.top, widthOf(start) + 120, heightOf(start) + grow, TRUE);
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(ids[i]);
      expectSameRect(item(dialog, ids[i]), positions[i]);
    }
  }
}

TEST_F(MainDialogTest, WindowNeverShrinksBelowItsTemplateAndStretchesTheWideControls) {
  create();
  RECT start = windowRect(dialog);
  RECT list = item(dialog, IDC_GROUP_LIST);
  RECT targets = item(dialog, IDC_TARGET_LIST);
  RECT button = item(dialog, IDC_SETTINGS);

  // Dragging the left edge inward: the right edge stays, the width stays the minimum.
  RECT proposed = start;
  proposed.left += 100;
  SendMessageA(dialog, WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&proposed));
  expectSameRect(proposed, start);
  // Dragging the bottom edge up.
  proposed = start;
  proposed.bottom -= 100;
  SendMessageA(dialog, WM_SIZING, WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&proposed));
  expectSameRect(proposed, start);
  MoveWindow(dialog, start.left, start.top, widthOf(start) - 50, heightOf(start) - 50, TRUE);
  test::pumpMessages();

  // Grow within the work area (a window may not grow beyond the screen).
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  int grow = (heightOf(area) - heightOf(start)) / 2;
  ASSERT_GT(grow, 0);
  MoveWindow(dialog, start.left, area.top, widthOf(start) + 100, heightOf(start) + grow, TRUE);
  test::pumpMessages();
  EXPECT_EQ(widthOf(item(dialog, IDC_GROUP_LIST)), widthOf(list) + 100);
  EXPECT_EQ(heightOf(item(dialog, IDC_GROUP_LIST)), heightOf(list) + grow);
  EXPECT_EQ(widthOf(item(dialog, IDC_TARGET_LIST)), widthOf(targets) + 100);
  EXPECT_EQ(heightOf(item(dialog, IDC_TARGET_LIST)), heightOf(targets));
  expectSameRect(item(dialog, IDC_SETTINGS), button);

  // Minimising and restoring leaves the layout as it was.
  RECT before = item(dialog, IDC_GROUP_LIST);
  ShowWindow(dialog, SW_MINIMIZE);
  test::pumpMessages();
  ShowWindow(dialog, SW_RESTORE);
  test::pumpMessages();
  expectSameRect(item(dialog, IDC_GROUP_LIST), before);
}

TEST_F(MainDialogTest, SystemMenuCarriesHelpAndAboutAfterTheFirstSeparator) {
  create();
  HMENU menu = GetSystemMenu(dialog, FALSE);
  int n = GetMenuItemCount(menu);
  int separator = -1;
  for (int i = 0; i < n; ++i)
    if (GetMenuItemID(menu, i) == 0) {
      separator = i;
      break;
    }
  ASSERT_GE(separator, 0);
  ASSERT_LT(separator + 3, n);
  char text[64];
  EXPECT_EQ(GetMenuItemID(menu, separator + 1), 40002u);
  GetMenuStringA(menu, separator + 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "ヘルプ(&H)\tF1");
  EXPECT_EQ(GetMenuItemID(menu, separator + 2), 40001u);
  GetMenuStringA(menu, separator + 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "バージョン情報(&A)...");
  EXPECT_EQ(GetMenuItemID(menu, separator + 3), 0u) << "a separator of their own";
  EXPECT_EQ(GetMenuItemID(menu, separator + 4), static_cast<UINT>(SC_CLOSE));
}

TEST_F(MainDialogTest, SeparatorFollowsOnlyWhenItemsFollow) {
  HWND plain = test::createDialog(IDD_MAIN, test::plainDialogProc);
  HMENU menu = GetSystemMenu(plain, FALSE);
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "Close");
  const char* texts[] = {"a", "b"};
  const UINT ids[] = {40002, 40001};
  addSystemMenuItems(plain, 1, 2, texts, ids);  // no separator: at the end, none added
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(GetMenuItemID(menu, 1), 40002u);
  EXPECT_EQ(GetMenuItemID(menu, 2), 40001u);
  DestroyWindow(plain);
}

TEST_F(MainDialogTest, AboutBoxShowsTheVersionResource) {
  create();
  DialogHook hook;
  std::string text, caption;
  HWND owner = nullptr;
  hook.onDialog([&](HWND about) {
    caption = test::windowText(about);
    text = test::windowText(GetWindow(about, GW_CHILD));
    owner = GetWindow(about, GW_OWNER);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
  });
  SendMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
  EXPECT_EQ(caption, "Obel のバージョン情報");
  EXPECT_EQ(text, "Obel ルビ一覧チェッカー  Version " OBEL_VERSION_TEXT "\r\n\r\nCopyright (C) 2026 Obel developers");
  EXPECT_EQ(owner, dialog);
  EXPECT_TRUE(IsWindow(dialog));
}

// The file URL a browser was given, as a Unix path.
std::string unixPathOfUrl(const std::string& url) {
  std::string path = url.rfind("file://", 0) == 0 ? url.substr(7) : url;
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size()) {
      decoded += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += path[i];
    }
  }
  return decoded;
}

// Without its help the program says nothing. Under Wine the help's pages are handed to the
// desktop's browser (the one winebrowser is told to use, here a recorder); on Windows the
// compiled help goes to the system's viewer, whose choice the shell makes.
TEST_F(MainDialogTest, HelpIsShownByEachSidesViewerAndMissingHelpIsSilent) {
  DialogHook hook;
  create();
  char executable[MAX_PATH];
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  HelpLaunch launch;
  ASSERT_TRUE(helpLaunch(executable, runningUnderWine(), launch));
  if (GetFileAttributesA(launch.page) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "a help lies beside the tests";
  EXPECT_FALSE(showHelp(nullptr));
  SendMessageA(dialog, WM_COMMAND, IDM_HELP, 0);
  SendMessageA(dialog, WM_SYSCOMMAND, IDM_HELP, 0);
  test::pumpMessages(100);
  EXPECT_TRUE(hook.boxes().empty());
  if (!runningUnderWine()) return;

  const std::string page = launch.page;
  const std::string folder = page.substr(0, page.rfind('\\'));
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(page, std::ios::binary) << "<html><body>help</body></html>";
  const std::string arguments = folder + "\\arguments.txt";
  DeleteFileA(arguments.c_str());
  std::string recorder = std::string(OBEL_SOURCE_DIR) + "/tests/gui/record-arguments.sh";
  for (char& c : recorder)
    if (c == '/') c = '\\';
  const std::string browser = unixFileName(recorder.c_str());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                 static_cast<DWORD>(browser.size() + 1));
  SendMessageA(dialog, WM_SYSCOMMAND, IDM_HELP, 0);
  for (int waited = 0; waited < 300 && GetFileAttributesA(arguments.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
    Sleep(100);
  RegDeleteValueA(key, "Browsers");
  RegCloseKey(key);
  std::string received;
  std::getline(std::ifstream(arguments, std::ios::binary), received);
  EXPECT_EQ(unixPathOfUrl(received), unixFileName(launch.page)) << received;
  EXPECT_TRUE(hook.boxes().empty());
  DeleteFileA(arguments.c_str());
  DeleteFileA(page.c_str());
  RemoveDirectoryA(folder.c_str());
}

// The width a control's caption needs in the control's own font, against the width the control
// leaves for its text; false for controls that show no caption of their own.
bool captionWidths(HWND control, int& needed, int& room) {
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  const std::string text = test::windowText(control);
  if (text.empty()) return false;
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  UINT format = DT_CALCRECT | DT_SINGLELINE;
  room = client.right;
  bool shown = true;
  if (lstrcmpiA(name, "Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        if (!(style & BS_PUSHLIKE)) {
          // The box or circle, 13 pixels at 96 dots per inch, and the gap before the text,
          // half the width of a digit, as the button draws them.
          int digit = 0;
          GetCharWidth32A(dc, '0', '0', &digit);
          room -= MulDiv(13, GetDeviceCaps(dc, LOGPIXELSX), 96) + digit / 2;
          break;
        }
        [[fallthrough]];
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        room -= 2 * 3;  // the raised edge and the focus rectangle on either side
        break;
      default:
        shown = false;  // group boxes, owner-drawn buttons
    }
  } else if (lstrcmpiA(name, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    shown = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  } else {
    shown = false;
  }
  if (shown) {
    RECT r{0, 0, room, 0};
    if (text.find('\n') != std::string::npos) {
      // Text of several lines: it must fit the control's height at its width.
      DrawTextA(dc, text.c_str(), -1, &r, (format & ~DT_SINGLELINE) | DT_WORDBREAK);
      needed = r.bottom;
      room = client.bottom;
    } else {
      DrawTextA(dc, text.c_str(), -1, &r, format);
      needed = r.right;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return shown;
}

// Every caption of the dialog that does not fit, as "dialog/caption: needs N px, has M"; the
// number of captions measured is added to measured.
void collectCutCaptions(const char* dialogName, HWND dialog, std::set<std::string>& cut, int& measured) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int needed = 0, room = 0;
    if (!captionWidths(c, needed, room)) continue;
    ++measured;
    if (needed > room)
      cut.insert(std::string(dialogName) + "/" + test::windowText(c) + ": needs " + std::to_string(needed) +
                    " px, has " + std::to_string(room));
  }
}

// A font of other metrics than the one the dialogs were laid out for cuts captions silently:
// every caption of every dialog, including those written at run time, must fit its control.
TEST_F(MainDialogTest, EveryCaptionFitsItsControl) {
  // The longest length-filter captions: two-digit counts.
  process::settings().keyLengthFilter.length = 99;
  process::settings().rubyLengthFilter.length = 99;
  create();
  DialogHook hook;
  std::set<std::string> cut;  // the main dialog is measured once for each comparison
  struct Opened {
    const char* name;
    std::function<void()> open;  // shows the dialog; a modal one is measured by the hook
  };
  const char* current = "";
  int measured = 0;
  hook.onDialog([&](HWND modal) {
    collectCutCaptions(current, modal, cut, measured);
    PostMessageA(modal, WM_COMMAND, IDCANCEL, 0);
  });
  const Opened dialogs[] = {
      {"main", [&] {
         for (int type : {AtLeastLength, AtMostLength, ExactLength}) {
           process::settings().keyLengthFilter.type = process::settings().rubyLengthFilter.type = type;
           setLengthFilterCaptions(dialog);
           collectCutCaptions("main", dialog, cut, measured);
         }
       }},
      {"settings", [&] { settingsDialog(dialog); }},
      {"add target", [&] { addTarget(dialog); }},
      {"key count", [&] { editLengthFilter(dialog, true); }},
      {"ruby count", [&] { editLengthFilter(dialog, false); }},
      {"progress", [&] {
         HWND progress = test::createDialog(IDD_PROGRESS, test::plainDialogProc, dialog);
         collectCutCaptions("progress", progress, cut, measured);
         DestroyWindow(progress);
       }},
      {"about", [&] { showAboutBox(dialog); }},
  };
  for (const Opened& d : dialogs) {
    current = d.name;
    const int before = measured;
    d.open();
    EXPECT_GT(measured, before) << d.name << ": no caption measured";
  }
  std::string list;
  for (const std::string& c : cut) list += c + "\n";
  EXPECT_TRUE(cut.empty()) << list;
  EXPECT_TRUE(hook.boxes().empty());
}

// The screen's pixels inside a window's rectangle, top row first.
std::vector<DWORD> screenPixels(const RECT& r) {
  HDC screen = GetDC(nullptr);
  std::vector<unsigned char> bytes;
  test::capturePixels(screen, r, 32, true, bytes);
  ReleaseDC(nullptr, screen);
  std::vector<DWORD> pixels(bytes.size() / sizeof(DWORD));
  std::memcpy(pixels.data(), bytes.data(), bytes.size());
  return pixels;
}

// What the two foldable group boxes show on screen now against what a complete repaint of the
// window shows there: the number of pixels that differ.
int foldBoxPixelsOffAfterFullRepaint(HWND dialog) {
  test::pumpMessages(100);
  UpdateWindow(dialog);
  RECT boxes[2];
  GetWindowRect(GetDlgItem(dialog, IDC_TARGETS_GROUP), &boxes[0]);
  GetWindowRect(GetDlgItem(dialog, IDC_CONDITIONS_GROUP), &boxes[1]);
  std::vector<DWORD> shown[2] = {screenPixels(boxes[0]), screenPixels(boxes[1])};
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  test::pumpMessages(100);
  int off = 0;
  for (int b = 0; b < 2; ++b) {
    std::vector<DWORD> whole = screenPixels(boxes[b]);
    EXPECT_EQ(whole.size(), shown[b].size());
    for (std::size_t i = 0; i < whole.size() && i < shown[b].size(); ++i) off += whole[i] != shown[b][i];
  }
  return off;
}

// The group boxes and their check boxes overlap; after any change of size they must be drawn
// as a complete repaint draws them, frame and title whole.
TEST_F(MainDialogTest, FoldBoxesAreDrawnWholeAfterResizingAndMaximising) {
  struct Step {
    const char* name;
    std::function<void(HWND)> change;
  };
  struct Case {
    const char* settingsFile;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {nullptr,
       {{"wider and taller",
         [](HWND d) {
           RECT r = windowRect(d);
           MoveWindow(d, r.left, 0, widthOf(r) + 150, heightOf(r) + 60, TRUE);
         }},
        {"maximised", [](HWND d) { ShowWindow(d, SW_MAXIMIZE); }},
        {"restored", [](HWND d) { ShowWindow(d, SW_RESTORE); }}}},
      {"[Application]\r\nLeft=10\r\nTop=10\r\nWidth=600\r\nHeight=650\r\nMaximized=1\r\n",
       {{"started maximised", [](HWND) {}}}},
  };
  for (const Case& c : cases) {
    useSettingsFile(c.settingsFile);
    create();
    for (const Step& step : c.steps) {
      SCOPED_TRACE(step.name);
      step.change(dialog);
      EXPECT_EQ(foldBoxPixelsOffAfterFullRepaint(dialog), 0);
    }
    DestroyWindow(dialog);
    test::pumpMessages();
  }
}

}  // namespace
}  // namespace obel
