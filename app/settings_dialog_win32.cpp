// The settings dialog: edits the settings the program writes back to Obel.ini.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "app/settings_dialog.h"
#include "app/shell.h"
#include "app/targets_win32.h"
#include "engine/sjis.h"
#include "revconv/skk_dictionary.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace obel {

void (*process::settingsCacheLoad)() = loadRevConvCache;
void (*process::settingsCacheSave)() = saveRevConvCache;

namespace {

// The font sizes the size field takes, in points.
constexpr UINT MinFontSize = 8;
constexpr UINT MaxFontSize = 99;

const char* const kFaceNames[] = {"ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "ＭＳ ゴシック", "ＭＳ 明朝"};

// The two path fields: each takes a dropped file and has its file button.
PathField editorField;
PathField dictionaryField;

void initialise(HWND dialog) {
  const Settings& s = process::settings();
  CheckDlgButton(dialog, IDC_QUERY_EXIT, s.queryExit ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_USE_CACHE, s.useRevConvCache ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_COMPOSED_READINGS, s.composedReadings ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dialog, IDC_FONT_NAME, s.fontName);
  SetDlgItemInt(dialog, IDC_FONT_SIZE, static_cast<UINT>(s.fontSize), FALSE);
  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, s.textEditor);
  SetDlgItemTextA(dialog, IDC_EDITOR_OPTIONS, s.commandLine);
  SetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, s.readingDictionary);
  SendDlgItemMessageA(dialog, IDC_FONT_SIZE_SPIN, UDM_SETRANGE32, MinFontSize, MaxFontSize);
  createPathField(editorField, dialog, IDC_EDITOR_PATH, 0, IDC_EDITOR_BROWSE);
  setPathFieldPattern(editorField, "*.exe", true);
  createPathField(dictionaryField, dialog, IDC_DICTIONARY_PATH, 0, IDC_DICTIONARY_BROWSE);
  setPathFieldPattern(dictionaryField, "*.*", true);
  for (const char* face : kFaceNames)
    SendDlgItemMessageA(dialog, IDC_FONT_NAME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
  fitCaptions(dialog);
  centerOnOwner(dialog);
}

// The dictionary field holds a list: its file button adds the chosen file to it, starting in
// the folder of the list's last file.
void addDictionaryFile(HWND dialog) {
  char list[sizeof process::settings().readingDictionary];
  GetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, list, sizeof list);
  const std::vector<std::string> files = splitDictionaryList(list);
  std::string folder = files.empty() ? "" : files.back();
  folder.resize(static_cast<std::size_t>(findLastBackslash(folder.c_str()) + 1));
  std::vector<char> file(16384, '\0');
  if (showFileDialog(false, dialog, nullptr, folder.c_str(), "*.*",
                     OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING, file.data(), file.size()))
    SetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, addToDictionaryList(list, file.data()).c_str());
}

void end(HWND dialog, bool confirmed) {
  destroyPathField(editorField);
  destroyPathField(dictionaryField);
  EndDialog(dialog, confirmed ? 1 : 0);
}

// The checks of OK in their order, then storing; false keeps the dialog open.
bool confirm(HWND dialog) {
  if (!requireField(dialog, IDC_EDITOR_PATH, "実行ファイル")) return false;
  if (!requireField(dialog, IDC_FONT_NAME, "フォント名")) return false;
  BOOL isNumber = FALSE;
  UINT size = GetDlgItemInt(dialog, IDC_FONT_SIZE, &isNumber, FALSE);
  if (!isNumber || size < MinFontSize || size > MaxFontSize) {
    showFieldMessage(dialog, IDC_FONT_SIZE, "フォントサイズ", "が不正です。");
    return false;
  }
  Settings& s = process::settings();
  s.queryExit = IsDlgButtonChecked(dialog, IDC_QUERY_EXIT) == BST_CHECKED ? 1 : 0;
  s.composedReadings = IsDlgButtonChecked(dialog, IDC_COMPOSED_READINGS) == BST_CHECKED ? 1 : 0;
  GetDlgItemTextA(dialog, IDC_FONT_NAME, s.fontName, sizeof s.fontName);
  s.fontSize = static_cast<int>(size);
  GetDlgItemTextA(dialog, IDC_EDITOR_PATH, s.textEditor, sizeof s.textEditor);
  GetDlgItemTextA(dialog, IDC_EDITOR_OPTIONS, s.commandLine, sizeof s.commandLine);
  GetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, s.readingDictionary, sizeof s.readingDictionary);

  // The cache is loaded or saved only when the box was changed.
  int on = IsDlgButtonChecked(dialog, IDC_USE_CACHE) == BST_CHECKED ? 1 : 0;
  if (on != (s.useRevConvCache ? 1 : 0)) {
    if (on) {
      process::settingsCacheLoad();
    } else {
      process::settingsCacheSave();
    }
  }
  s.useRevConvCache = on;
  saveSettings();
  return true;
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(dialog);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      if (code == BN_CLICKED && id == IDC_DICTIONARY_BROWSE) {
        addDictionaryFile(dialog);
        return TRUE;
      }
      if (code == BN_CLICKED && (pathFieldCommand(editorField, id) || pathFieldCommand(dictionaryField, id)))
        return TRUE;
      if (id == IDOK) {
        if (confirm(dialog)) end(dialog, true);
        return TRUE;
      }
      if (id == IDCANCEL) {
        end(dialog, false);
        return TRUE;
      }
      if (code == EN_UPDATE) {
        if (id == IDC_EDITOR_PATH) limitTextBytes(control, 259);
        if (id == IDC_DICTIONARY_PATH) limitTextBytes(control, sizeof process::settings().readingDictionary - 1);
        if (id == IDC_EDITOR_OPTIONS) limitTextBytes(control, 30);
        if (id == IDC_FONT_SIZE) limitTextBytes(control, 2);
        return TRUE;
      }
      if (code == CBN_EDITUPDATE && id == IDC_FONT_NAME) {
        limitTextBytes(control, 50);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace

bool settingsDialog(HWND owner) {
  HINSTANCE instance = process::appInstance ? process::appInstance : GetModuleHandleA(nullptr);
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settingsDialogProc, 0) == 1;
}

}  // namespace obel
