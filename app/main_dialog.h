#pragma once
// The main window: a modeless dialog (template 101) that dispatches every command to the
// subsystem doing the work (app/commands.h).
#include <windows.h>

namespace obel {

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// MemberList while a pair is expanded, else GroupList.
HWND visibleList();

// Creates the main dialog (not yet shown) with the program's resources.
HWND createMainDialog();

}  // namespace obel
