#pragma once
// Support for the tests that create real windows under Wine and Xvfb.
//
// DialogHook catches every message box and every other modal dialog that the current thread
// opens while the hook lives. A message box is recorded (caption, text, icon, buttons) and
// answered with the button the test chose (OK by default), so no test ever waits for a user.
// Any other dialog is handed to the test's dialog handler, run from the dialog's own modal
// loop just after the dialog became active; without a handler it is cancelled. Only modal
// dialogs with a (disabled) owner are driven unless driveUnownedDialogs is on.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace obel::test {

struct MessageBoxRecord {
  std::string caption;
  std::string text;
  int icon = 0;              // MB_ICONWARNING, MB_ICONQUESTION, MB_ICONERROR, MB_ICONINFORMATION or 0
  std::vector<int> buttons;  // ids of the buttons it offered (IDOK, IDCANCEL, ...)
  HWND owner = nullptr;
};

class DialogHook {
 public:
  explicit DialogHook(int answer = IDOK);
  ~DialogHook();
  DialogHook(const DialogHook&) = delete;
  DialogHook& operator=(const DialogHook&) = delete;

  // The button that answers the following message boxes.
  void answerWith(int button) { answer_ = button; }
  // Answers for the next boxes in order; when used up, answerWith's button answers.
  void queueAnswers(std::vector<int> answers) { queued_ = std::move(answers); }
  // Called with each other modal dialog (its window) once it is active. The handler ends it
  // (e.g. by posting a command); when none is set the dialog is cancelled.
  void onDialog(std::function<void(HWND)> handler) { handler_ = std::move(handler); }

  // Also drive dialogs that have no owner (a modal dialog run without owner cannot be told
  // from a modeless one).
  void driveUnownedDialogs(bool on) { driveUnowned_ = on; }

  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  // Caption and owner of each other modal dialog, taken when it became active: a dialog that
  // closes by itself (a short search's progress) may be gone before the handler's turn.
  const std::vector<MessageBoxRecord>& dialogs() const { return dialogs_; }
  void clear() { boxes_.clear(); dialogs_.clear(); }

 private:
  static LRESULT CALLBACK cbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK runPending(HWND, UINT, UINT_PTR, DWORD);
  void handleActivation(HWND window);

  HHOOK hook_ = nullptr;
  int answer_;
  std::vector<int> queued_;
  std::function<void(HWND)> handler_;
  bool driveUnowned_ = false;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<MessageBoxRecord> dialogs_;
  std::vector<HWND> seen_;
  std::vector<HWND> pendingDialogs_;
  DialogHook* previous_ = nullptr;
};

// True when the window is a message box (a dialog made by user32 from its own template).
bool isMessageBox(HWND window);

// Creates a modeless dialog from the resources linked into the test program.
HWND createDialog(int templateId, DLGPROC procedure, HWND owner = nullptr, LPARAM param = 0);

// A dialog procedure that handles nothing, for looking at a template's controls.
INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM);

// Dispatches the thread's pending messages; with a time, keeps doing so for that long.
void pumpMessages(DWORD milliseconds = 0);

// Text of a window or of a dialog's control, as CP932 bytes.
std::string windowText(HWND window);
std::string controlText(HWND dialog, int id);

// A list view's cell text and number of rows.
std::string listCell(HWND list, int row, int column);
int listRowCount(HWND list);

// The number of files matching a wildcard pattern such as "C:\\x\\Obel_*.tmp".
int countFiles(const std::string& pattern);

// Rectangle of a child window in its parent's client coordinates.
RECT childRect(HWND child);

// Dialog units to pixels for the given dialog (MapDialogRect).
RECT dialogUnits(HWND dialog, int x, int y, int width, int height);

// The pixels of a rectangle of the device context as a DIB of bitCount bits a pixel, each row
// padded to 4 bytes, top row first when topDown; returns the DIB's header.
BITMAPINFOHEADER capturePixels(HDC source, const RECT& r, WORD bitCount, bool topDown,
                               std::vector<unsigned char>& pixels);

}  // namespace obel::test
