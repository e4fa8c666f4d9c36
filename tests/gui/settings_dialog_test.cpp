// The settings dialog on screen: its fields, the checks of OK in their order, storing, the
// cache switch and Cancel.
#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/settings_dialog.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

using test::DialogHook;

int cacheLoads = 0;
int cacheSaves = 0;
void countLoad() { ++cacheLoads; }
void countSave() { ++cacheSaves; }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class SettingsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    std::strcpy(process::settings().textEditor, "C:\\ed.exe");
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    path = std::string(folder) + "obel_settings_dialog_test.ini";
    DeleteFileA(path.c_str());
    std::strcpy(process::settingsPath, path.c_str());
    cacheLoads = cacheSaves = 0;
    process::settingsCacheLoad = countLoad;
    process::settingsCacheSave = countSave;
    owner = test::createDialog(IDD_MAIN, test::plainDialogProc);
    ShowWindow(owner, SW_SHOW);
  }
  void TearDown() override {
    DestroyWindow(owner);
    DeleteFileA(path.c_str());
  }
  // Runs the dialog; the test's steps act on it from inside its modal loop.
  bool run(DialogHook& hook, std::function<void(HWND)> steps) {
    hook.onDialog([&](HWND dialog) {
      steps(dialog);
      if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    return settingsDialog(owner);
  }
  static void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  HWND owner = nullptr;
  std::string path;
};

TEST_F(SettingsDialogTest, OpensWithTheSettings) {
  Settings& s = process::settings();
  s.queryExit = 0;
  s.useRevConvCache = 1;
  s.composedReadings = 0;
  s.fontSize = 12;
  std::strcpy(s.commandLine, "-n%L \"%F\"");
  std::strcpy(s.readingDictionary, "D:\\SKK-JISYO.L");
  DialogHook hook;
  bool confirmed = run(hook, [&](HWND dialog) {
    EXPECT_EQ(test::windowText(dialog), "設定");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_QUERY_EXIT), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_USE_CACHE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COMPOSED_READINGS), BST_UNCHECKED);
    EXPECT_EQ(test::controlText(dialog, IDC_FONT_NAME), "ＭＳ ゴシック");
    EXPECT_EQ(test::controlText(dialog, IDC_FONT_SIZE), "12");
    EXPECT_EQ(test::controlText(dialog, IDC_EDITOR_PATH), "C:\\ed.exe");
    EXPECT_EQ(test::controlText(dialog, IDC_EDITOR_OPTIONS), "-n%L \"%F\"");
    EXPECT_EQ(test::controlText(dialog, IDC_DICTIONARY_PATH), "D:\\SKK-JISYO.L");
    HWND combo = GetDlgItem(dialog, IDC_FONT_NAME);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
    const char* faces[] = {"ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "ＭＳ ゴシック", "ＭＳ 明朝"};
    for (int i = 0; i < 4; ++i) {
      char text[64] = "";
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_STREQ(text, faces[i]);
    }
    int low = 0, high = 0;
    SendDlgItemMessageA(dialog, IDC_FONT_SIZE_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 8);
    EXPECT_EQ(high, 99);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_QUERY_EXIT));
    // In the font the dialog was laid out for, its longest caption keeps the template's place.
    const RECT placed = test::dialogUnits(dialog, 10, 16, 125, 9);
    const RECT shown = test::childRect(GetDlgItem(dialog, IDC_QUERY_EXIT));
    EXPECT_EQ(shown.left, placed.left);
    EXPECT_EQ(shown.right, placed.right);
  });
  EXPECT_FALSE(confirmed);
  EXPECT_TRUE(hook.boxes().empty());
}

TEST_F(SettingsDialogTest, ChecksComeInTheirOrderAndKeepTheDialogOpen) {
  DialogHook hook;
  bool confirmed = run(hook, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "");
    SetDlgItemTextA(dialog, IDC_FONT_NAME, "");
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, "7");
    press(dialog, IDOK);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_EDITOR_PATH));
    SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "C:\\my editor\\ed.exe");
    press(dialog, IDOK);
    EXPECT_TRUE(IsChild(GetDlgItem(dialog, IDC_FONT_NAME), GetFocus())) << "focus in the combo box's field";
    SetDlgItemTextA(dialog, IDC_FONT_NAME, "ＭＳ 明朝");
    press(dialog, IDOK);  // 7
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FONT_SIZE));
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, "0");
    press(dialog, IDOK);
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, "");
    press(dialog, IDOK);
    EXPECT_TRUE(IsWindow(dialog));
  });
  EXPECT_FALSE(confirmed);
  std::vector<std::string> texts;
  for (const auto& box : hook.boxes()) {
    texts.push_back(box.text);
    EXPECT_EQ(box.caption, "Obel");
    EXPECT_EQ(box.icon, MB_ICONWARNING);
  }
  const std::vector<std::string> expected = {"実行ファイルが未入力です。", "フォント名が未入力です。",
                                             "フォントサイズが不正です。", "フォントサイズが不正です。",
                                             "フォントサイズが不正です。"};
  EXPECT_EQ(texts, expected);
  EXPECT_STREQ(process::settings().textEditor, "C:\\ed.exe") << "nothing stored";
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsDialogTest, SizesEightAndNinetyNineAreAcceptedAndStored) {
  for (const char* size : {"8", "99"}) {
    SCOPED_TRACE(size);
    DialogHook hook;
    bool confirmed = run(hook, [&](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_FONT_SIZE, size);
      SetDlgItemTextA(dialog, IDC_FONT_NAME, "Noto Sans CJK JP");  // typed, not in the list
      CheckDlgButton(dialog, IDC_QUERY_EXIT, BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_COMPOSED_READINGS, BST_UNCHECKED);
      SetDlgItemTextA(dialog, IDC_EDITOR_OPTIONS, "\"%F\" -l%L");
      SetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, "C:\\dic\\SKK-JISYO.L");
      press(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(hook.boxes().empty());
    EXPECT_EQ(process::settings().fontSize, std::atoi(size));
    EXPECT_STREQ(process::settings().fontName, "Noto Sans CJK JP");
    EXPECT_EQ(process::settings().queryExit, 0);
    EXPECT_EQ(process::settings().composedReadings, 0);
    EXPECT_EQ(GetPrivateProfileIntA("Application", "ComposedReadings", 1, path.c_str()), 0u);
    EXPECT_STREQ(process::settings().commandLine, "\"%F\" -l%L");
    EXPECT_STREQ(process::settings().readingDictionary, "C:\\dic\\SKK-JISYO.L");
    EXPECT_EQ(GetPrivateProfileIntA("Application", "FontSize", 0, path.c_str()), static_cast<UINT>(std::atoi(size)));
    char face[64];
    GetPrivateProfileStringA("Application", "FontName", "", face, sizeof face, path.c_str());
    EXPECT_STREQ(face, "Noto Sans CJK JP");
    EXPECT_NE(readFile(path).find("CommandLine=\"\"%F\" -l%L\"\r\n"), std::string::npos);
  }
  EXPECT_EQ(cacheLoads + cacheSaves, 0) << "the cache box was not touched";
}

TEST_F(SettingsDialogTest, FieldsAreHeldToTheirByteLimitsWhileTyping) {
  DialogHook hook;
  run(hook, [&](HWND dialog) {
    HWND size = GetDlgItem(dialog, IDC_FONT_SIZE);
    SetWindowTextA(size, "12");
    SendMessageA(size, EM_SETSEL, 2, 2);
    SendMessageA(size, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("3"));
    EXPECT_EQ(test::windowText(size), "12") << "a third digit is refused";
    HWND options = GetDlgItem(dialog, IDC_EDITOR_OPTIONS);
    SetWindowTextA(options, std::string(40, 'o').c_str());
    EXPECT_EQ(test::windowText(options).size(), 30u);
    HWND editor = GetDlgItem(dialog, IDC_EDITOR_PATH);
    SetWindowTextA(editor, std::string(300, 'e').c_str());
    EXPECT_EQ(test::windowText(editor).size(), 259u);
    HWND face = GetDlgItem(dialog, IDC_FONT_NAME);
    HWND faceEdit = FindWindowExA(face, nullptr, "Edit", nullptr);
    SetWindowTextA(face, "");
    SendMessageA(faceEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::string(60, 'f').c_str()));
    EXPECT_EQ(test::windowText(face).size(), 50u);
  });
}

// A DROPFILES block naming one file, as the shell hands it over.
HDROP makeDrop(const char* path) {
  std::size_t length = std::strlen(path);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + length + 2);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path, length);
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST_F(SettingsDialogTest, DroppedFileReplacesThePathField) {
  DialogHook hook;
  run(hook, [&](HWND dialog) {
    HWND editor = GetDlgItem(dialog, IDC_EDITOR_PATH);
    SendMessageA(editor, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop("C:\\エディタ\\ed.exe")), 0);
    EXPECT_EQ(test::windowText(editor), "C:\\エディタ\\ed.exe");
    HWND dictionary = GetDlgItem(dialog, IDC_DICTIONARY_PATH);
    SendMessageA(dictionary, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop("D:\\SKK-JISYO.L")), 0);
    EXPECT_EQ(test::windowText(dictionary), "D:\\SKK-JISYO.L");
  });
}

TEST_F(SettingsDialogTest, TheDictionaryFileButtonAddsTheChosenFileToTheList) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string file = std::string(folder) + "obel_added.dic";
  std::ofstream(file) << "x";
  DialogHook hook;
  hook.onDialog([&](HWND d) {
    if (GetDlgItem(d, IDC_DICTIONARY_PATH)) {
      SetDlgItemTextA(d, IDC_DICTIONARY_PATH, "C:\\dic\\SKK-JISYO.L");
      PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_DICTIONARY_BROWSE, BN_CLICKED), 0);
      return;
    }
    SetDlgItemTextA(d, cmb13, file.c_str());  // the open dialog's file name box
    SetDlgItemTextA(d, edt1, file.c_str());
    PostMessageA(d, WM_COMMAND, IDOK, 0);
    PostMessageA(GetWindow(d, GW_OWNER), WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(settingsDialog(owner));
  EXPECT_EQ(std::string(process::settings().readingDictionary), "C:\\dic\\SKK-JISYO.L;" + file);
  DeleteFileA(file.c_str());
}

TEST_F(SettingsDialogTest, CancelLeavesTheSettingsFileByteIdentical) {
  Settings& s = process::settings();
  saveSettings();
  std::string before = readFile(path);
  ASSERT_FALSE(before.empty());
  Settings copy = s;
  DialogHook hook;
  bool confirmed = run(hook, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, "30");
    SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "C:\\other.exe");
    CheckDlgButton(dialog, IDC_USE_CACHE, BST_CHECKED);
    press(dialog, IDCANCEL);
  });
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(readFile(path), before);
  EXPECT_EQ(s.fontSize, copy.fontSize);
  EXPECT_STREQ(s.textEditor, copy.textEditor);
  EXPECT_EQ(cacheLoads + cacheSaves, 0);
}

TEST_F(SettingsDialogTest, CacheIsLoadedOrSavedExactlyWhenTheBoxChanged) {
  struct Case {
    int before;
    UINT box;
    int loads, saves;
  };
  const Case cases[] = {{0, BST_CHECKED, 1, 0}, {1, BST_UNCHECKED, 0, 1}, {1, BST_CHECKED, 0, 0}, {0, BST_UNCHECKED, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    process::settings().useRevConvCache = c.before;
    cacheLoads = cacheSaves = 0;
    DialogHook hook;
    bool confirmed = run(hook, [&](HWND dialog) {
      CheckDlgButton(dialog, IDC_USE_CACHE, c.box);
      press(dialog, IDOK);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(cacheLoads, c.loads);
    EXPECT_EQ(cacheSaves, c.saves);
    EXPECT_EQ(process::settings().useRevConvCache, c.box == BST_CHECKED ? 1 : 0);
    EXPECT_EQ(GetPrivateProfileIntA("Application", "UseRevConvCache", 9, path.c_str()), c.box == BST_CHECKED ? 1u : 0u);
  }
}

}  // namespace
}  // namespace obel
