// The dialog templates, accelerators, icon and version resource linked into the program.
#include <gtest/gtest.h>

#include "app/resources/resource_ids.h"
#include "tests/gui/gui_support.h"

#include <commctrl.h>

namespace obel::test {
namespace {

struct ControlSpec {
  int id;
  const char* className;
  const char* caption;  // nullptr: not checked
  int x, y, width, height;
  DWORD styleBits;      // bits that must be set
  bool enabled;
  bool visible;
  // The control sizes itself (a combo box's drop-down, an up-down control and its buddy):
  // only the template's left and top are checked.
  bool ownSize = false;
};

constexpr DWORD kAutoCheck = BS_AUTOCHECKBOX;
constexpr DWORD kListView = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED | WS_BORDER;

// The main window in sibling order.
const ControlSpec kMainControls[] = {
    {1011, "Button", "追加(&A)...", 10, 15, 50, 14, 0, true, true},
    {1014, "Button", "編集(&E)...", 65, 15, 50, 14, 0, false, true},
    {1002, "Button", "削除(&D)", 120, 15, 50, 14, 0, false, true},
    {1010, "Button", "検索(&F)", 175, 15, 50, 14, 0, false, true},
    {1004, "Button", "サブフォルダも検索(&B)", 230, 18, 70, 9, kAutoCheck, true, true},
    {1000, "ListBox", nullptr, 11, 33, 288, 43,
     LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, true, true},
    {1042, "Button", "", 5, 86, 300, 67, BS_GROUPBOX, true, true},
    {1039, "Button", "表示条件(&H)", 15, 86, 50, 9, kAutoCheck, true, true},
    {1015, "Button", "全て表示", 16, 109, 38, 9, BS_AUTORADIOBUTTON | WS_GROUP, true, true},
    {1016, "Button", "同じキーが存在する項目のみ表示", 16, 121, 105, 9, BS_AUTORADIOBUTTON, true, true},
    {1017, "Button", "同じルビが存在する項目のみ表示", 16, 133, 105, 9, BS_AUTORADIOBUTTON, true, true},
    {-1, "Button", "同一キー・ルビ", 11, 98, 122, 49, BS_GROUPBOX | WS_GROUP, true, true},
    {1012, "Button", "逆変換に成功した項目を非表示", 150, 100, 100, 9, kAutoCheck, true, true},
    {1025, "Button", nullptr, 150, 118, 108, 9, kAutoCheck, true, true},
    {1027, "Button", "変更...", 260, 116, 30, 13, 0, true, true},
    {1026, "Button", nullptr, 150, 136, 108, 9, kAutoCheck, true, true},
    {1028, "Button", "変更...", 260, 134, 30, 13, 0, true, true},
    {1013, "Button", "開く(&O)", 5, 160, 50, 14, 0, false, true},
    {1020, "Button", "展開(&P)", 60, 160, 50, 14, BS_AUTOCHECKBOX | BS_PUSHLIKE, false, true},
    {1037, "Button", "逆変換(&V)", 115, 160, 50, 14, 0, false, true},
    {1003, "Button", "書き出し(&W)...", 170, 160, 50, 14, 0, false, true},
    {1022, "Button", "設定(&S)...", 225, 160, 50, 14, 0, true, true},
    {1001, "SysListView32", nullptr, 5, 180, 300, 148, kListView, true, true},
    {1038, "SysListView32", nullptr, 285, 159, 15, 15, kListView, true, false},
    {1041, "Button", "", 5, 3, 300, 80, BS_GROUPBOX, true, true},
    {1040, "Button", "検索条件(&G)", 15, 3, 50, 9, kAutoCheck, true, true},
};

void expectControls(HWND dialog, const ControlSpec* specs, size_t count) {
  HWND child = GetWindow(dialog, GW_CHILD);
  for (size_t i = 0; i < count; ++i) {
    const ControlSpec& want = specs[i];
    SCOPED_TRACE(testing::Message() << "control #" << (i + 1) << " id " << want.id);
    ASSERT_NE(child, nullptr);
    int id = GetDlgCtrlID(child);
    EXPECT_TRUE(id == want.id || (want.id == -1 && id == 0xFFFF)) << id;
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    EXPECT_STREQ(name, want.className);
    if (want.caption) {
      EXPECT_EQ(windowText(child), want.caption);
    }
    RECT expected = dialogUnits(dialog, want.x, want.y, want.width, want.height);
    RECT actual = childRect(child);
    if (std::string(want.className) != "msctls_updown32") {  // it moves beside its buddy
      EXPECT_EQ(actual.left, expected.left);
      EXPECT_EQ(actual.top, expected.top);
    }
    if (!want.ownSize) {
      EXPECT_EQ(actual.right, expected.right);
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    bool button = std::string(want.className) == "Button";
    if (button) {
      EXPECT_EQ(style & 0xF, want.styleBits & 0xF);  // the button type
    }
    // A border may become a client edge, and a list box drops WS_VSCROLL while it needs none.
    DWORD wanted = want.styleBits & ~(button ? 0xFu : 0u) & ~DWORD(WS_BORDER | WS_VSCROLL);
    EXPECT_EQ(style & wanted, wanted);
    if (want.styleBits & WS_BORDER) {
      DWORD ex = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
      EXPECT_TRUE((style & WS_BORDER) || (ex & WS_EX_CLIENTEDGE));
    }
    EXPECT_EQ(IsWindowEnabled(child) != FALSE, want.enabled);
    EXPECT_EQ((style & WS_VISIBLE) != 0, want.visible);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than expected";
}

// The template's size in dialog units, as the client area.
void expectClientSize(HWND dialog, int width, int height) {
  RECT client;
  GetClientRect(dialog, &client);
  RECT size = dialogUnits(dialog, 0, 0, width, height);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
}

TEST(ShellResources, MainTemplateHoldsEveryControlInOrder) {
  HWND dialog = createDialog(IDD_MAIN, plainDialogProc);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(windowText(dialog), "Obel");
  DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  EXPECT_FALSE(style & WS_VISIBLE);
  DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & wanted, wanted);
  expectClientSize(dialog, 310, 333);
  expectControls(dialog, kMainControls, std::size(kMainControls));
  // None of the push buttons is a default push button.
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char name[16] = "";
    GetClassNameA(c, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0) {
      EXPECT_NE(GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << GetDlgCtrlID(c);
    }
  }
  DestroyWindow(dialog);
}

const ControlSpec kSettingsControls[] = {
    {1032, "Button", "終了時にメッセージを表示して確認する(&Q)", 10, 16, 125, 9, kAutoCheck, true, true},
    {1044, "Button", "逆変換キャッシュを使う(&R)", 160, 16, 80, 9, kAutoCheck, true, true},
    {-1, "Button", "全般", 5, 3, 260, 30, BS_GROUPBOX, true, true},
    {-1, "Static", "フォント名(&F)", 10, 49, 35, 13, 0, true, true},
    {1034, "ComboBox", nullptr, 60, 49, 100, 100, CBS_DROPDOWN | WS_VSCROLL, true, true, true},
    {-1, "Static", "サイズ(&S)", 190, 49, 25, 13, 0, true, true},
    {1035, "Edit", nullptr, 220, 49, 35, 13, ES_NUMBER | ES_RIGHT, true, true, true},
    {1036, "msctls_updown32", nullptr, 240, 63, 12, 13,
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, true, true, true},
    {-1, "Button", "フォント", 5, 36, 260, 35, BS_GROUPBOX, true, true},
    {-1, "Static", "実行ファイル(&E)", 10, 87, 45, 13, 0, true, true},
    {1021, "Edit", nullptr, 60, 87, 160, 13, ES_AUTOHSCROLL, true, true},
    {1018, "Button", "参照(&B)...", 221, 87, 40, 13, 0, true, true},
    {-1, "Static", "起動オプション(&O)", 10, 107, 48, 13, 0, true, true},
    {1022, "Edit", nullptr, 60, 107, 120, 13, ES_AUTOHSCROLL, true, true},
    {-1, "Button", "テキストエディタ", 5, 74, 260, 55, BS_GROUPBOX, true, true},
    // the reading dictionary of the check, below the editor group
    {-1, "Static", "辞書ファイル(&D)", 10, 145, 45, 13, 0, true, true},
    {1045, "Edit", nullptr, 60, 145, 160, 13, ES_AUTOHSCROLL, true, true},
    {1046, "Button", "参照(&I)...", 221, 145, 40, 13, 0, true, true},
    {1047, "Button", "組み立てられる読みを？で示す", 10, 163, 150, 9, kAutoCheck, true, true},
    {-1, "Button", "逆変換の読み辞書", 5, 132, 260, 45, BS_GROUPBOX, true, true},
    {IDOK, "Button", "OK", 161, 183, 50, 14, BS_DEFPUSHBUTTON, true, true},
    {IDCANCEL, "Button", "キャンセル", 215, 183, 50, 14, BS_PUSHBUTTON, true, true},
};

TEST(ShellResources, SettingsTemplateHoldsTheFieldsInOrder) {
  HWND dialog = createDialog(IDD_SETTINGS, plainDialogProc);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(windowText(dialog), "設定");
  expectClientSize(dialog, 270, 203);
  expectControls(dialog, kSettingsControls, std::size(kSettingsControls));
  HWND fonts = GetDlgItem(dialog, IDC_FONT_NAME);
  EXPECT_FALSE(GetWindowLongA(fonts, GWL_STYLE) & CBS_SORT) << "the faces stay in their order";
  // The up-down control sits at the right edge of the size field (over its border).
  RECT spin = childRect(GetDlgItem(dialog, IDC_FONT_SIZE_SPIN));
  RECT field = childRect(GetDlgItem(dialog, IDC_FONT_SIZE));
  EXPECT_NEAR(spin.left, field.right, 2);
  EXPECT_EQ(spin.top, field.top);
  DestroyWindow(dialog);
}

TEST(ShellResources, SmallDialogsCarryTheirControls) {
  struct Expect {
    int dialog;
    const char* caption;
    std::vector<int> ids;
  };
  const Expect expects[] = {
      {IDD_TARGET, nullptr, {1016, 1017, 1018, IDOK, IDCANCEL}},
      {IDD_PROGRESS, "検索中", {1019, 1023, IDCANCEL}},
      {IDD_ABOUT, "Obel のバージョン情報", {1026, IDOK}},
      {IDD_CHARCOUNT, nullptr, {1031, 1028, 1029, 1030, IDOK, IDCANCEL}},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.dialog);
    HWND dialog = createDialog(e.dialog, plainDialogProc);
    ASSERT_NE(dialog, nullptr);
    if (e.caption) {
      EXPECT_EQ(windowText(dialog), e.caption);
    }
    for (int id : e.ids) EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
    DestroyWindow(dialog);
  }
  // The progress dialog has no close box and no control 1 (command 1 closes it).
  HWND progress = createDialog(IDD_PROGRESS, plainDialogProc);
  EXPECT_FALSE(GetWindowLongA(progress, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(GetDlgItem(progress, IDOK), nullptr);
  EXPECT_EQ(controlText(progress, IDCANCEL), "中止(&S)");
  EXPECT_EQ(GetWindowLongA(GetDlgItem(progress, IDCANCEL), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  RECT size;
  GetClientRect(progress, &size);
  EXPECT_EQ(size.right, dialogUnits(progress, 0, 0, 200, 65).right);
  DestroyWindow(progress);
  // The about box: text, icon, OK, in this order.
  HWND about = createDialog(IDD_ABOUT, plainDialogProc);
  HWND first = GetWindow(about, GW_CHILD);
  EXPECT_EQ(GetDlgCtrlID(first), IDC_ABOUT_TEXT);
  EXPECT_EQ(windowText(first), "Obel");
  HWND icon = GetWindow(first, GW_HWNDNEXT);
  EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
  EXPECT_EQ(GetDlgCtrlID(GetWindow(icon, GW_HWNDNEXT)), IDOK);
  DestroyWindow(about);
}

TEST(ShellResources, AcceleratorsIconAndVersion) {
  HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[4];
  int count = CopyAcceleratorTableA(table, entries, 4);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(entries[0].key, VK_ESCAPE);
  EXPECT_EQ(entries[0].cmd, 0);
  EXPECT_EQ(entries[1].key, VK_F1);
  EXPECT_EQ(entries[1].cmd, 40002);
  for (const ACCEL& a : entries) {
    if (&a - entries >= count) break;
    EXPECT_EQ(a.fVirt & (FVIRTKEY | FNOINVERT), FVIRTKEY | FNOINVERT);
  }
  HICON small = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_OBEL),
                                              IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  EXPECT_NE(small, nullptr);
  DestroyIcon(small);

  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 1200);
  for (const char* key : {"FileDescription", "ProductVersion", "LegalCopyright"}) {
    std::string query = std::string("\\StringFileInfo\\041104B0\\") + key;
    char* value = nullptr;
    EXPECT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << key;
  }
}

}  // namespace
}  // namespace obel::test
