// The search targets: list editing on the main dialog, the target dialog, path fields, drops.
#include "app/targets_win32.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "engine/targets.h"
#include "results/window_subclass_win32.h"

namespace obel {

namespace {

bool folderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string windowText(HWND window) {
  const int n = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  GetWindowTextA(window, text.data(), n + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// The number of files dropped: DragQueryFile's index 0xFFFFFFFF asks for it.
UINT droppedCount(HDROP drop) { return DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); }

std::string droppedPath(HDROP drop, UINT i) {
  const UINT n = DragQueryFileA(drop, i, nullptr, 0);
  std::string path(n + 1, '\0');
  DragQueryFileA(drop, i, path.data(), n + 1);
  path.resize(n);
  return path;
}

// A path field takes the first of the files dropped on it.
LRESULT CALLBACK pathFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    if (droppedCount(drop) > 0) SetWindowTextA(field, droppedPath(drop, 0).c_str());
    DragFinish(drop);
    return 0;
  }
  return callNextProcedure(pathFieldProc, field, message, wParam, lParam);
}

int CALLBACK browseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    const char* start = reinterpret_cast<const char*>(data);
    if (start && *start && folderExists(start)) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH];
    const BOOL ok = SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path);
    SendMessageA(browser, BFFM_ENABLEOK, 0, ok);
  }
  return 0;
}

void browseFolder(PathField& f) {
  const std::string start = existingFolderPart(windowText(f.field), folderExists);
  char display[MAX_PATH] = "";
  BROWSEINFOA info{};
  info.hwndOwner = f.owner;
  info.pszDisplayName = display;
  info.lpszTitle = "";
  info.lpfn = browseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  // The browser needs COM on this thread; a second initialisation is harmless.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (SUCCEEDED(com)) CoUninitialize();
  if (!chosen) return;
  char path[MAX_PATH];
  if (SHGetPathFromIDListA(chosen, path)) {
    std::string text = path;
    if (f.appendPattern) text = withFinalBackslash(text) + (f.pattern[0] ? f.pattern : "*.*");
    SetWindowTextA(f.field, text.c_str());
  }
  CoTaskMemFree(chosen);
}

void browseFile(PathField& f) {
  char text[MAX_PATH];
  GetWindowTextA(f.field, text, sizeof text);
  std::string folder, name;
  fileDialogStart(text, folderExists(text), folder, name);
  std::vector<char> file(16384, '\0');
  std::strncpy(file.data(), name.c_str(), file.size() - 1);
  if (showFileDialog(false, f.owner, nullptr, folder.c_str(), f.pattern,
                     OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING, file.data(), file.size()))
    SetWindowTextA(f.field, file.data());
}

// The target dialog's state while it runs.
struct TargetDialog {
  char* buffer;
  std::size_t capacity;
  const char* caption;
  PathField field;
};

INT_PTR CALLBACK targetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = reinterpret_cast<TargetDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      d = reinterpret_cast<TargetDialog*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetDlgItemTextA(dialog, IDC_TARGET_FIELD, d->buffer);
      SetWindowTextA(dialog, d->caption);
      createPathField(d->field, dialog, IDC_TARGET_FIELD, IDC_TARGET_FOLDER_BUTTON, IDC_TARGET_FILE_BUTTON);
      setPathFieldPattern(d->field, TargetPattern, true);
      fitCaptions(dialog);
      centerOnOwner(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (!d || pathFieldCommand(d->field, id)) return TRUE;
      if (id == IDOK) {
        if (!checkFieldLength(dialog, IDC_TARGET_FIELD, "ファイル名", static_cast<int>(d->capacity) - 1)) return TRUE;
        GetDlgItemTextA(dialog, IDC_TARGET_FIELD, d->buffer, static_cast<int>(d->capacity));
        destroyPathField(d->field);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (id == IDCANCEL) {
        destroyPathField(d->field);
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

HWND targetList(HWND dialog) { return GetDlgItem(dialog, IDC_TARGET_LIST); }

void appendTarget(HWND list, const char* line) {
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  EnableWindow(GetDlgItem(GetParent(list), IDC_SEARCH), TRUE);
}

std::vector<int> selectedLines(HWND list) {
  const int n = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
  std::vector<int> lines(n > 0 ? n : 0);
  if (n > 0) SendMessageA(list, LB_GETSELITEMS, n, reinterpret_cast<LPARAM>(lines.data()));
  return lines;
}

LRESULT CALLBACK targetListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    dropOnTargetList(list, reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return callNextProcedure(targetListProc, list, message, wParam, lParam);
}

}  // namespace

void createPathField(PathField& f, HWND owner, int fieldId, int folderButtonId, int fileButtonId) {
  f.owner = owner;
  f.field = GetDlgItem(owner, fieldId);
  f.folderButtonId = folderButtonId;
  f.fileButtonId = fileButtonId;
  f.subclassed = subclassWindow(f.field, pathFieldProc, nullptr);
  DragAcceptFiles(f.field, TRUE);
  if (folderButtonId) {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n > 0 && n < sizeof temp && temp[n - 1] == '\\') temp[n - 1] = '\0';
    SHFILEINFOA info{};
    if (SHGetFileInfoA(temp, FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
      f.folderIcon = info.hIcon;
    if (f.folderIcon) {
      HWND button = GetDlgItem(owner, folderButtonId);
      SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | BS_ICON);
      SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(f.folderIcon));
    }
  }
}

void setPathFieldPattern(PathField& f, const char* pattern, bool appendPattern) {
  std::strncpy(f.pattern, pattern ? pattern : "", sizeof f.pattern - 1);
  f.appendPattern = appendPattern;
}

bool pathFieldCommand(PathField& f, int id) {
  if (f.folderButtonId && id == f.folderButtonId) {
    browseFolder(f);
    return true;
  }
  if (id == f.fileButtonId) {
    browseFile(f);
    return true;
  }
  return false;
}

void destroyPathField(PathField& f) {
  if (f.subclassed) removeSubclass(f.field, pathFieldProc);
  if (f.folderIcon) DestroyIcon(f.folderIcon);
  f.subclassed = false;
  f.folderIcon = nullptr;
}

bool editTargetDialog(HWND owner, char* buffer, std::size_t capacity, const char* caption) {
  TargetDialog d{buffer, capacity, caption, {}};
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TARGET), owner, targetDialogProc,
                         reinterpret_cast<LPARAM>(&d)) == 1;
}

bool showFileDialog(bool save, HWND owner, const char* title, const char* initialFolder, const char* pattern,
                    DWORD flags, char* fileBuffer, std::size_t capacity) {
  char typeName[80] = "";
  if (pattern && *pattern) {
    SHFILEINFOA info{};
    static_assert(sizeof typeName == sizeof info.szTypeName);
    if (SHGetFileInfoA(pattern, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
      std::memcpy(typeName, info.szTypeName, sizeof typeName - 1);  // the last byte stays the NUL
  }
  char filter[256];
  buildFileFilter(typeName, pattern, filter, sizeof filter);
  const std::string extension = defaultExtension(pattern);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = fileBuffer;
  ofn.nMaxFile = static_cast<DWORD>(capacity);
  ofn.lpstrInitialDir = initialFolder && *initialFolder ? initialFolder : nullptr;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  return save ? GetSaveFileNameA(&ofn) != 0 : GetOpenFileNameA(&ofn) != 0;
}

void dropOnTargetList(HWND list, HDROP drop) {
  const UINT count = droppedCount(drop);
  for (UINT i = 0; i < count; ++i) {
    const std::string path = droppedPath(drop, i);
    std::string line;
    if (!droppedTargetLine(path, folderExists(path), line)) {
      showWarning(list, (path + DroppedPathTooLongText).c_str());
      break;  // the rest of the drop is ignored
    }
    appendTarget(list, line.c_str());
  }
  DragFinish(drop);
}

// Main dialog commands (app/commands.h).

void subclassTargetList(HWND dialog) {
  HWND list = targetList(dialog);
  subclassWindow(list, targetListProc, nullptr);
  DragAcceptFiles(list, TRUE);
}

void onTargetSelectionChange(HWND dialog) {
  const LRESULT selected = SendMessageA(targetList(dialog), LB_GETSELCOUNT, 0, 0);
  EnableWindow(GetDlgItem(dialog, IDC_EDIT_TARGET), selected == 1);
  EnableWindow(GetDlgItem(dialog, IDC_DELETE_TARGET), selected >= 1);
}

void addTarget(HWND dialog) {
  char buffer[PathBytes] = "";
  if (editTargetDialog(dialog, buffer, sizeof buffer, "ファイル名追加")) appendTarget(targetList(dialog), buffer);
}

void editTarget(HWND dialog) {
  HWND list = targetList(dialog);
  const std::vector<int> selected = selectedLines(list);
  if (selected.empty()) return;
  const int line = selected.front();
  char buffer[PathBytes] = "";
  if (SendMessageA(list, LB_GETTEXTLEN, line, 0) >= static_cast<LRESULT>(sizeof buffer)) return;
  SendMessageA(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(buffer));
  if (!editTargetDialog(dialog, buffer, sizeof buffer, "ファイル名編集")) return;
  const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  SendMessageA(list, LB_DELETESTRING, line, 0);
  SendMessageA(list, LB_INSERTSTRING, line, reinterpret_cast<LPARAM>(buffer));
  SendMessageA(list, LB_SETSEL, TRUE, line);
  SendMessageA(list, LB_SETTOPINDEX, top, 0);
}

void deleteTargets(HWND dialog) {
  HWND list = targetList(dialog);
  const std::vector<int> selected = selectedLines(list);
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) SendMessageA(list, LB_DELETESTRING, *it, 0);
  onTargetSelectionChange(dialog);
  if (SendMessageA(list, LB_GETCOUNT, 0, 0) == 0) EnableWindow(GetDlgItem(dialog, IDC_SEARCH), FALSE);
}

}  // namespace obel
