// The reverse-conversion run on Windows: the worker thread, the progress dialog 104 with its
// timer and Stop button, and the refresh of the result list at the end.
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "revconv/providers_win32.h"
#include "revconv/run.h"
#include "revconv/skk_dictionary.h"
#include "settings/settings.h"

namespace obel {

namespace {

constexpr UINT_PTR TimerId = 1;
constexpr int CloseCommand = 1;
// Sent by the worker before it closes the dialog: the rebuild or repaint of GroupList runs on
// the user interface thread, which owns the lists.
constexpr UINT FinishMessage = WM_APP + 0x36;

DWORD startTick = 0;
// The run's worker thread, waited for once its dialog has closed: no worker outlives its run
// (one still ending while the program exits could hold the loader lock it needs).
HANDLE worker = nullptr;

void showTime(DWORD now) {
  char text[64];
  formatTimerText(text, sizeof text, now, startTick, process::store().pendingCheckCount);
  SetDlgItemTextA(process::progressDialog, IDC_PROGRESS_TEXT, text);
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR, DWORD now) { showTime(now); }

class BarProgress final : public RunProgress {
 public:
  explicit BarProgress(HWND bar) : bar_(bar) {}
  void advance(std::uint32_t step) override { SendMessageA(bar_, PBM_DELTAPOS, step, 0); }

 private:
  HWND bar_;
};

unsigned __stdcall reverseConversionWorker(void*) {
  HWND dialog = process::progressDialog;
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  SendMessageA(bar, PBM_SETRANGE32, 0, process::store().pendingCheckCount);
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  HKL layout = GetKeyboardLayout(0);
  bool created = false;
  HIMC context = acquireImeContext(dialog, created);
  {
    // The dictionaries are loaded once for the run.
    std::vector<std::string> unreadable;
    std::unique_ptr<ReadingProvider> provider = chooseReadingProvider(&unreadable);
    if (!unreadable.empty()) {  // one warning for the run, naming every file it could not read
      showWarning(dialog, unreadableDictionariesText(unreadable).c_str());
    }
    ReadingSource source{provider.get(), context, layout,
                         composedReadings(kanjiReadings())};
    BarProgress progress(bar);
    checkStoreItems(process::store(), source, &progress);
  }
  if (context != nullptr && !created) ImmReleaseContext(dialog, context);
  if (process::store().pendingCheckCount == 0) EnableWindow(GetDlgItem(process::mainDialog, IDC_REVCONV), FALSE);
  SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, "");
  SendMessageA(dialog, FinishMessage, 0, 0);
  PostMessageA(dialog, WM_COMMAND, CloseCommand, 0);
  return 0;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      process::progressDialog = dialog;
      SetWindowTextA(dialog, "逆変換チェック中");
      startTick = GetTickCount();
      showTime(startTick);
      SetTimer(dialog, TimerId, 1000, timerProc);
      fitCaptions(dialog);
      centerOnOwner(dialog);
      // Started here, so the worker never sees the dialog before its handle is stored.
      worker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, reverseConversionWorker, nullptr, 0, nullptr));
      if (worker == nullptr) PostMessageA(dialog, WM_COMMAND, CloseCommand, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        process::revConvRunning() = false;
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        return TRUE;
      }
      if (LOWORD(wParam) == CloseCommand) {
        KillTimer(dialog, TimerId);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    case FinishMessage:
      if (process::settings().hideRevConv) {
        refreshGroupList(dialog, GetDlgItem(dialog, IDC_PROGRESS_BAR));
      } else {
        HWND list = GetDlgItem(process::mainDialog, IDC_GROUP_LIST);
        InvalidateRect(list, nullptr, TRUE);
        UpdateWindow(list);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void startReverseConversion(HWND dialog) {
  process::revConvRunning() = true;
  process::mainDialog = dialog;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), dialog, progressDialogProc, 0);
  // The dialog closes on the worker's last message: the thread is only returning.
  if (worker != nullptr) {
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    worker = nullptr;
  }
  process::progressDialog = nullptr;
  if (!process::revConvRunning().load()) showWarning(dialog, "逆変換チェックを中止しました");
}

}  // namespace obel
