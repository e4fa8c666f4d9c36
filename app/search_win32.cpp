// The search in the window: startSearch runs the progress dialog (104) while a worker thread
// walks the targets, then lists the result; the messages after the dialog.
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "app/search_win32.h"
#include "engine/store.h"
#include "engine/walk.h"
#include "settings/settings.h"

namespace obel {

namespace {

// Sent by the worker to have a path message shown, owned by the progress dialog, on the user
// interface thread; SendMessage keeps the worker waiting until it is dismissed.
constexpr UINT ShowSearchMessage = WM_APP + 1;
// Sent by the worker to have the group list rebuilt on the user interface thread, which owns
// the list: filling it from the worker would cost one thread switch per list message (about
// seven times slower under Wine for a full store).
constexpr UINT RefreshListMessage = WM_APP + 2;

bool workerFailed = false;

class DialogEvents : public SearchEvents {
 public:
  void showFileName(const char* name) override { SetDlgItemTextA(process::progressDialog, IDC_PROGRESS_TEXT, name); }
  void showMessage(const char* text) override {
    SendMessageA(process::progressDialog, ShowSearchMessage, 0, reinterpret_cast<LPARAM>(text));
  }
};

// The target list's lines, read through the list's messages.
std::vector<std::string> readTargets() {
  HWND list = GetDlgItem(process::mainDialog, IDC_TARGET_LIST);
  std::vector<std::string> targets;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char line[PathBytes];
    if (SendMessageA(list, LB_GETTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof line)) continue;
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    targets.emplace_back(line);
  }
  return targets;
}

unsigned __stdcall searchWorker(void*) {
  ResultStore& s = store();
  std::unique_ptr<DirLister> lister = platformDirLister();
  DialogEvents events;
  searchTargets(s, readTargets(), settings().searchSubFolder, *lister, events);
  // List phase, also after Stop or the limit, with whatever was found.
  HWND bar = GetDlgItem(process::progressDialog, IDC_PROGRESS_BAR);
  EnableWindow(GetDlgItem(process::progressDialog, IDCANCEL), FALSE);
  SetDlgItemTextA(process::progressDialog, IDC_PROGRESS_TEXT, "");
  SetWindowTextA(process::progressDialog, "リスト作成中");
  SendMessageA(bar, PBM_SETRANGE32, 0, s.itemCount);
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  finishSearch(s);
  EnableWindow(GetDlgItem(process::mainDialog, IDC_REVCONV), s.itemCount != 0);
  SendMessageA(process::progressDialog, RefreshListMessage, 0, 0);
  PostMessageA(process::progressDialog, WM_COMMAND, IDOK, 0);
  return 0;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      process::progressDialog = dialog;  // recorded before the worker can address the dialog
      centerOnOwner(dialog);
      const uintptr_t thread = _beginthreadex(nullptr, 0, searchWorker, nullptr, 0, nullptr);
      if (thread == 0) {
        workerFailed = true;
        store().searchRunning = false;
        clear(store());  // nothing of an earlier search stays to be exported or checked
        store().pendingCheckCount = 0;
        EnableWindow(GetDlgItem(process::mainDialog, IDC_REVCONV), FALSE);
        showWarning(dialog, SearchNotStartedText);
        EndDialog(dialog, 0);
      } else {
        CloseHandle(reinterpret_cast<HANDLE>(thread));
      }
      return TRUE;
    }
    case ShowSearchMessage:
      showWarning(dialog, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case RefreshListMessage:
      refreshGroupList(dialog, GetDlgItem(dialog, IDC_PROGRESS_BAR));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        store().searchRunning = false;
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

const char SearchNotStartedText[] = "検索を開始できませんでした。";

void startSearch(HWND dialog) {
  ResultStore& s = store();
  s.searchRunning = true;
  process::mainDialog = dialog;
  workerFailed = false;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), dialog, progressDialogProc, 0);
  process::progressDialog = nullptr;
  if (workerFailed) return;
  if (const char* text = searchEndMessage(s)) showWarning(dialog, text);
}

}  // namespace obel
