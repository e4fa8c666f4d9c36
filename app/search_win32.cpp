// The search in the window: startSearch runs the progress dialog (104) while a worker thread
// walks the targets, then lists the result; the messages after the dialog.
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/result_lists.h"
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
// Sent by the worker when the walk has ended, to have the progress dialog show the list phase.
constexpr UINT ListPhaseMessage = WM_APP + 3;

bool workerFailed = false;
SearchPhases phases;

class DialogEvents : public SearchEvents {
 public:
  explicit DialogEvents(HWND nameText) : nameText_(nameText) {}
  void showFileName(const char* name) override {
    ++phases.fileNames;
    ++phases.workerMessages;
    SetWindowTextA(nameText_, name);
  }
  void showMessage(const char* text) override {
    ++phases.workerMessages;
    SendMessageA(process::progressDialog, ShowSearchMessage, 0, reinterpret_cast<LPARAM>(text));
  }

 private:
  HWND nameText_;
};

// The target list's lines, read on the user interface thread before the worker starts (the
// main dialog takes no input while the progress dialog is up).
std::vector<std::string> targetLines;

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

// The worker addresses the interface thread's windows once per file (the file's name) and
// twice after the walk: the list phase, and the rebuild of the list, after which the dialog
// closes.
unsigned __stdcall searchWorker(void*) {
  ResultStore& s = process::store();
  phases.workerStarted = SearchPhases::Clock::now();
  std::unique_ptr<DirLister> lister = platformDirLister();
  DialogEvents events(GetDlgItem(process::progressDialog, IDC_PROGRESS_TEXT));
  searchTargets(s, targetLines, process::settings().searchSubFolder, *lister, events);
  phases.walked = SearchPhases::Clock::now();
  // List phase, also after Stop or the limit, with whatever was found.
  ++phases.workerMessages;
  SendMessageA(process::progressDialog, ListPhaseMessage, 0, 0);
  phases.listPhase = SearchPhases::Clock::now();
  finishSearch(s);
  phases.passesDone = SearchPhases::Clock::now();
  ++phases.workerMessages;
  SendMessageA(process::progressDialog, RefreshListMessage, 0, 0);  // which also closes the dialog
  return 0;
}

// The list phase on the progress dialog: Stop disabled, no file name, the caption "リスト作成中",
// the bar from 0 over the items found.
void showListPhase(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
  SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, "");
  SetWindowTextA(dialog, "リスト作成中");
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  SendMessageA(bar, PBM_SETRANGE32, 0, process::store().itemCount);
  SendMessageA(bar, PBM_SETPOS, 0, 0);
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      process::progressDialog = dialog;  // recorded before the worker can address the dialog
      fitCaptions(dialog);
      centerOnOwner(dialog);
      const uintptr_t thread = _beginthreadex(nullptr, 0, searchWorker, nullptr, 0, nullptr);
      if (thread == 0) {
        workerFailed = true;
        process::store().searchRunning = false;
        clear(process::store());  // nothing of an earlier search stays to be exported or checked
        process::store().pendingCheckCount = 0;
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
    case ListPhaseMessage:
      showListPhase(dialog);
      return TRUE;
    case RefreshListMessage:
      EnableWindow(GetDlgItem(process::mainDialog, IDC_REVCONV), process::store().itemCount != 0);
      refreshGroupList(dialog, GetDlgItem(dialog, IDC_PROGRESS_BAR));
      phases.rowsBuilt = lastRefreshMoments().reconciled;
      phases.sorted = lastRefreshMoments().sorted;
      // The closing command is queued before the list's paint, so the list is painted once,
      // when the dialog has gone, and not also beneath it.
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        process::store().searchRunning = false;
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

const SearchPhases& lastSearchPhases() { return phases; }

void startSearch(HWND dialog) {
  phases = SearchPhases{};
  phases.begun = SearchPhases::Clock::now();
  ResultStore& s = process::store();
  s.searchRunning = true;
  process::mainDialog = dialog;
  workerFailed = false;
  targetLines = readTargets();
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), dialog, progressDialogProc, 0);
  phases.closed = SearchPhases::Clock::now();
  process::progressDialog = nullptr;
  if (workerFailed) return;
  if (const char* text = searchEndMessage(s)) showWarning(dialog, text);
}

}  // namespace obel
