#pragma once
// Services every dialog of the program shares: placing a dialog over its owner inside the work
// area, the program's warning box, the checks of required and over-long fields, and the guard
// that holds a field's text to a byte limit without splitting a double-byte character.
#include <windows.h>

namespace obel {

// Shrinks the rectangle to the desktop work area and moves it inside (screen pixels).
void clampToWorkArea(int& x, int& y, int& width, int& height);

// Centres window over reference, or over the work area when reference is missing or hidden.
void centerOnWindow(HWND window, HWND reference);
// centerOnWindow over the dialog's owner. Every dialog calls it while it initialises.
void centerOnOwner(HWND dialog);

// A caption a control receives at run time, measured beside the one it shows now.
struct LaterCaption {
  int controlId;
  const char* text;
};
// The dialogs are laid out for "MS UI Gothic" 9 pt. Where the system gives a wider font in its
// place, the dialog and its controls are widened by one factor, keeping the dialog's centre,
// until every caption (and every later one) fits its control; where every caption fits, nothing
// moves. Every dialog calls it while it initialises, once its texts are set and before it is
// placed.
void fitCaptions(HWND dialog, const LaterCaption* later = nullptr, int laterCount = 0);

// Message box with the text, caption "Obel", OK and the warning icon; returns its result.
int showWarning(HWND owner, const char* text);
// showWarning owned by the dialog, then the keyboard focus to its control.
void showWarningAndFocus(HWND dialog, int controlId, const char* text);
// showWarningAndFocus with the field name followed by the suffix ("文字数" "が不正です。").
void showFieldMessage(HWND dialog, int controlId, const char* fieldName, const char* suffix);
// True when the control holds text; otherwise "<field>が未入力です。" and false.
bool requireField(HWND dialog, int controlId, const char* fieldName);
// requireField, then "<field>が長すぎます。" when the text is longer than maximumBytes.
bool checkFieldLength(HWND dialog, int controlId, const char* fieldName, int maximumBytes);

// Units of the selection positions of a control: true for characters, false for bytes.
struct SelectionUnits {
  bool known;      // false when the probe window could not be made: bytes are assumed
  bool getInCharacters;
  bool setInCharacters;
};
// Index of the class in the control-class table ("Button", "Static", "Edit", "ListBox",
// "ComboBox", "ScrollBar"), -1 for any other class.
int controlClassIndex(HWND control);
// Measures once per window procedure how the control counts selection positions.
SelectionUnits selectionUnits(HWND control, int classIndex);

// On EN_UPDATE / CBN_EDITUPDATE: holds the control's text to maximumBytes bytes.
void limitTextBytes(HWND control, int maximumBytes);

}  // namespace obel
