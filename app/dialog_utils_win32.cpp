#include "app/dialog_utils.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/dialog_text.h"

namespace obel {

namespace {

// The classes controlClassIndex tells apart, by their index.
constexpr const char* ControlClasses[] = {"Button", "Static", "Edit", "ListBox", "ComboBox", "ScrollBar"};
constexpr int ComboBoxIndex = 4;

Area workArea() {
  RECT r{0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return Area{r.left, r.top, r.right, r.bottom};
}

Area toArea(const RECT& r) { return Area{r.left, r.top, r.right, r.bottom}; }

struct UnitsCache {
  LONG_PTR procedure = 0;
  SelectionUnits units{false, false, false};
};
UnitsCache unitsCache;
bool limiting = false;

// Selection start and end of an edit control or of a combo box's edit field.
void getSelection(HWND control, int classIndex, DWORD& start, DWORD& end) {
  start = end = 0;
  if (classIndex == ComboBoxIndex) {
    SendMessageA(control, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  } else {
    SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  }
}

void setSelection(HWND control, int classIndex, int start, int end) {
  if (classIndex == ComboBoxIndex) {
    SendMessageA(control, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
  } else {
    SendMessageA(control, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  }
}

}  // namespace

void clampToWorkArea(int& x, int& y, int& width, int& height) {
  clampToArea(workArea(), x, y, width, height);
}

void centerOnWindow(HWND window, HWND reference) {
  RECT referenceRect;
  Area referenceArea;
  if (reference && IsWindowVisible(reference) && GetWindowRect(reference, &referenceRect)) {
    referenceArea = toArea(referenceRect);
  } else {
    referenceArea = workArea();
  }
  RECT own;
  if (!GetWindowRect(window, &own)) return;
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  int x, y;
  centeredPosition(toArea(own), referenceArea, x, y);
  clampToWorkArea(x, y, width, height);
  MoveWindow(window, x, y, width, height, TRUE);
}

void centerOnOwner(HWND dialog) { centerOnWindow(dialog, GetWindow(dialog, GW_OWNER)); }

int showWarning(HWND owner, const char* text) {
  return MessageBoxA(owner, text, "Obel", MB_OK | MB_ICONWARNING);
}

void showWarningAndFocus(HWND dialog, int controlId, const char* text) {
  showWarning(dialog, text);
  SetFocus(GetDlgItem(dialog, controlId));
}

void showFieldMessage(HWND dialog, int controlId, const char* fieldName, const char* suffix) {
  std::string text = std::string(fieldName) + suffix;
  showWarningAndFocus(dialog, controlId, text.c_str());
}

bool requireField(HWND dialog, int controlId, const char* fieldName) {
  char start[4] = "";  // the first characters tell whether there is any text
  GetDlgItemTextA(dialog, controlId, start, sizeof start);
  if (start[0] != '\0') return true;
  showFieldMessage(dialog, controlId, fieldName, "が未入力です。");
  return false;
}

bool checkFieldLength(HWND dialog, int controlId, const char* fieldName, int maximumBytes) {
  if (!requireField(dialog, controlId, fieldName)) return false;
  HWND control = GetDlgItem(dialog, controlId);
  int reported = GetWindowTextLengthA(control);
  if (reported <= maximumBytes) return true;
  // The reported length may overestimate: measure the text itself.
  std::vector<char> text(static_cast<size_t>(reported) + 1, '\0');
  GetWindowTextA(control, text.data(), reported + 1);
  if (static_cast<int>(std::strlen(text.data())) <= maximumBytes) return true;
  showFieldMessage(dialog, controlId, fieldName, "が長すぎます。");
  return false;
}

int controlClassIndex(HWND control) {
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  for (int i = 0; i < static_cast<int>(std::size(ControlClasses)); ++i)
    if (lstrcmpiA(name, ControlClasses[i]) == 0) return i;
  return -1;
}

SelectionUnits selectionUnits(HWND control, int classIndex) {
  LONG_PTR procedure = GetWindowLongPtrA(control, GWLP_WNDPROC);
  if (unitsCache.procedure == procedure && unitsCache.units.known) return unitsCache.units;

  char className[32] = "";
  GetClassNameA(control, className, sizeof className);
  DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND probe = CreateWindowExA(exStyle, className, "GetIsCharTestWindow", style & ~WS_VISIBLE, 0, 0, 0, 0,
                               GetParent(control), nullptr, instance, nullptr);
  if (!probe) return SelectionUnits{false, false, false};
  // The probe answers exactly as the control would: same procedure, same user data.
  SetWindowLongPtrA(probe, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_USERDATA));
  LONG_PTR own = SetWindowLongPtrA(probe, GWLP_WNDPROC, procedure);
  static constexpr char ProbeText[] = "_＿_＿";  // four characters, six bytes
  SetWindowTextA(probe, ProbeText);
  DWORD start, end;
  setSelection(probe, classIndex, 0, -1);
  getSelection(probe, classIndex, start, end);
  bool getInCharacters = end < sizeof ProbeText - 1;
  setSelection(probe, classIndex, 0, 3);  // a character boundary in both units
  getSelection(probe, classIndex, start, end);
  bool setInCharacters = end == 3 ? getInCharacters : !getInCharacters;
  SetWindowLongPtrA(probe, GWLP_WNDPROC, own);
  DestroyWindow(probe);

  unitsCache.procedure = procedure;
  unitsCache.units = SelectionUnits{true, getInCharacters, setInCharacters};
  return unitsCache.units;
}

void limitTextBytes(HWND control, int maximumBytes) {
  if (limiting || maximumBytes < 0) return;
  limiting = true;  // setting the text below raises the same notification again
  int length = GetWindowTextLengthA(control);
  if (length > maximumBytes) {
    int classIndex = controlClassIndex(control);
    SelectionUnits units = selectionUnits(control, classIndex);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    size_t n = std::strlen(text.data());
    DWORD start, end;
    getSelection(control, classIndex, start, end);
    size_t caret = units.getInCharacters ? bytesOfCharacters(text.data(), start) : start;
    if (n > static_cast<size_t>(maximumBytes)) {
      size_t cut = limitTextBuffer(text.data(), n, static_cast<size_t>(maximumBytes), caret);
      SetWindowTextA(control, text.data());
      if (units.setInCharacters) cut = charactersOfBytes(text.data(), cut);
      setSelection(control, classIndex, static_cast<int>(cut), static_cast<int>(cut));
    }
  }
  limiting = false;
}

}  // namespace obel
