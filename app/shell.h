#pragma once
// Process-wide shell state and services: the icons, help, the about box, the system-menu
// items, the exit question and the message loop.
#include <windows.h>

namespace obel {

namespace process {
extern HINSTANCE appInstance;  // every resource load and dialog creation uses it
extern HICON smallIcon;        // icon group 108 at 16 x 16
extern HICON largeIcon;        // icon group 108 at the system's default size
extern HWND mainDialog;        // the main dialog, recorded when a search or a check starts
extern HWND progressDialog;    // dialog 104 of the running search or check; null otherwise
}  // namespace process

void loadIcons();
void destroyIcons();

// Shows the help: "Obel.chm" beside the executable with the "open" verb on Windows, its pages
// in the desktop's browser under Wine (see helpLaunch); true when the shell took it.
bool showHelp(HWND owner);
// The version dialog, modal, owned by owner.
void showAboutBox(HWND owner);
// "<FileDescription>  Version <ProductVersion>\r\n\r\n<LegalCopyright>" from the version resource
// of the running executable; empty when it has none.
bool aboutText(char* out, int size);
// Inserts the items into the window's system menu after the given number of separators,
// followed by a separator when other items follow them.
void addSystemMenuItems(HWND window, int separatorsToSkip, int count, const char* const* texts,
                        const UINT* ids);
// With the QueryExit setting on, asks "終了しますか？" (OK / Cancel); true to go on.
bool confirmExit(HWND dialog);

// One message of the main loop: accelerators first, then dialog keyboard handling, then the
// usual translation and dispatch.
void dispatchMainMessage(MSG& message, HWND dialog, HACCEL accelerators);
// Runs the loop until the quit message (or a failed retrieval).
void runMessageLoop(HWND dialog, HACCEL accelerators);

}  // namespace obel
