// The settings dialog: edits the settings the program writes back to Obel.ini.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "app/settings_dialog.h"
#include "app/shell.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace obel {

void (*settingsCacheLoad)() = loadRevConvCache;
void (*settingsCacheSave)() = saveRevConvCache;

namespace {

const char* const kFaceNames[] = {"ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "ＭＳ ゴシック", "ＭＳ 明朝"};

// Path fields that take a file dropped on them: the first dropped path replaces the text.
const char kPreviousProcedure[] = "ObelPathFieldPrevious";

LRESULT CALLBACK pathFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(field, kPreviousProcedure));
  if (message == WM_DROPFILES) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    char path[MAX_PATH];
    if (DragQueryFileA(drop, 0, path, sizeof path)) SetWindowTextA(field, path);
    DragFinish(drop);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(field, kPreviousProcedure);
  }
  return CallWindowProcA(previous, field, message, wParam, lParam);
}

void acceptDroppedFiles(HWND field) {
  LONG_PTR previous = SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pathFieldProc));
  SetPropA(field, kPreviousProcedure, reinterpret_cast<HANDLE>(previous));
  DragAcceptFiles(field, TRUE);
}

void restoreField(HWND field) {
  WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(field, kPreviousProcedure));
  if (!previous) return;
  SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropA(field, kPreviousProcedure);
}

// Browses for a file for the field; pattern "*.exe" offers executables, "*.*" everything.
void browseForFile(HWND dialog, int fieldId, const char* pattern) {
  char path[MAX_PATH] = "";
  GetDlgItemTextA(dialog, fieldId, path, sizeof path);
  std::string filter;
  if (std::string(pattern) != "*.*") {
    SHFILEINFOA info{};
    std::string type = pattern + 2;
    if (SHGetFileInfoA(pattern, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) &&
        info.szTypeName[0] != '\0')
      type = info.szTypeName;
    filter += type + " (" + pattern + ")";
    filter += '\0';
    filter += pattern;
    filter += '\0';
  }
  filter += "全てのファイル (*.*)";
  filter += '\0';
  filter += "*.*";
  filter += '\0';
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (GetOpenFileNameA(&ofn)) SetDlgItemTextA(dialog, fieldId, path);
}

void initialise(HWND dialog) {
  const Settings& s = settings();
  CheckDlgButton(dialog, IDC_QUERY_EXIT, s.queryExit ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_USE_CACHE, s.useRevConvCache ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dialog, IDC_FONT_NAME, s.fontName);
  SetDlgItemInt(dialog, IDC_FONT_SIZE, static_cast<UINT>(s.fontSize), FALSE);
  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, s.textEditor);
  SetDlgItemTextA(dialog, IDC_EDITOR_OPTIONS, s.commandLine);
  SetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, s.readingDictionary);
  SendDlgItemMessageA(dialog, IDC_FONT_SIZE_SPIN, UDM_SETRANGE32, 8, 99);
  acceptDroppedFiles(GetDlgItem(dialog, IDC_EDITOR_PATH));
  acceptDroppedFiles(GetDlgItem(dialog, IDC_DICTIONARY_PATH));
  for (const char* face : kFaceNames)
    SendDlgItemMessageA(dialog, IDC_FONT_NAME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
  centerOnOwner(dialog);
}

void end(HWND dialog, bool confirmed) {
  restoreField(GetDlgItem(dialog, IDC_EDITOR_PATH));
  restoreField(GetDlgItem(dialog, IDC_DICTIONARY_PATH));
  EndDialog(dialog, confirmed ? 1 : 0);
}

// The checks of OK in their order, then storing; false keeps the dialog open.
bool confirm(HWND dialog) {
  if (!requireField(dialog, IDC_EDITOR_PATH, "実行ファイル")) return false;
  if (!requireField(dialog, IDC_FONT_NAME, "フォント名")) return false;
  BOOL isNumber = FALSE;
  UINT size = GetDlgItemInt(dialog, IDC_FONT_SIZE, &isNumber, FALSE);
  if (!isNumber || size < 8 || size > 99) {
    showFieldMessage(dialog, IDC_FONT_SIZE, "フォントサイズ", "が不正です。");
    return false;
  }
  Settings& s = settings();
  s.queryExit = IsDlgButtonChecked(dialog, IDC_QUERY_EXIT) == BST_CHECKED ? 1 : 0;
  GetDlgItemTextA(dialog, IDC_FONT_NAME, s.fontName, sizeof s.fontName);
  s.fontSize = static_cast<int>(size);
  GetDlgItemTextA(dialog, IDC_EDITOR_PATH, s.textEditor, sizeof s.textEditor);
  GetDlgItemTextA(dialog, IDC_EDITOR_OPTIONS, s.commandLine, sizeof s.commandLine);
  GetDlgItemTextA(dialog, IDC_DICTIONARY_PATH, s.readingDictionary, sizeof s.readingDictionary);

  // The cache is loaded or saved only when the box was changed.
  int on = IsDlgButtonChecked(dialog, IDC_USE_CACHE) == BST_CHECKED ? 1 : 0;
  if (on != (s.useRevConvCache ? 1 : 0)) {
    if (on) {
      settingsCacheLoad();
    } else {
      settingsCacheSave();
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
      if (id == IDC_EDITOR_BROWSE && code == BN_CLICKED) {
        browseForFile(dialog, IDC_EDITOR_PATH, "*.exe");
        return TRUE;
      }
      if (id == IDC_DICTIONARY_BROWSE && code == BN_CLICKED) {
        browseForFile(dialog, IDC_DICTIONARY_PATH, "*.*");
        return TRUE;
      }
      if (id == IDOK) {
        if (confirm(dialog)) end(dialog, true);
        return TRUE;
      }
      if (id == IDCANCEL) {
        end(dialog, false);
        return TRUE;
      }
      if (code == EN_UPDATE) {
        if (id == IDC_EDITOR_PATH || id == IDC_DICTIONARY_PATH) limitTextBytes(control, 259);
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
  HINSTANCE instance = appInstance ? appInstance : GetModuleHandleA(nullptr);
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settingsDialogProc, 0) == 1;
}

}  // namespace obel
