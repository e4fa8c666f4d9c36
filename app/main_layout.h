#pragma once
// Layout of the main window: the minimum size, stretching the wide controls, folding the two
// group boxes, and the stored window placement.
#include <windows.h>

namespace obel {

struct MainLayout {
  SIZE minimum{0, 0};      // the template size, recorded right after creation
  RECT last{0, 0, 0, 0};   // the window rectangle the control layout corresponds to
  RECT savedTargets{0, 0, 0, 0};     // group box 1041 when last folded
  RECT savedConditions{0, 0, 0, 0};  // group box 1042 when last folded
};

// The process-wide layout state of the main window.
namespace process {
MainLayout& mainLayout();
}  // namespace process

// The current window rectangle becomes the last rectangle and its size the minimum.
void recordInitialLayout(HWND dialog);
// WM_SIZING: keeps r at least the minimum size and lays the controls out for it.
void applySizingRule(HWND dialog, RECT& r);
// WM_SIZE for SIZE_RESTORED and SIZE_MAXIMIZED.
void onMainWindowSized(HWND dialog);
void applySizeDelta(HWND dialog, int dx, int dy);
void toggleGroupBox(HWND dialog, int checkBoxId, int groupBoxId, RECT& saved, int firstAfterId);

// The five keys Left, Top, Width, Height and Maximized of the settings file.
bool restoreWindowPlacement(HWND window);
bool saveWindowPlacement(HWND window);

}  // namespace obel
