// Dialog 109: the character count and the comparison of one length filter.
#include <cstdio>

#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "results/conditions.h"
#include "app/result_lists.h"

namespace obel {

namespace {

INT_PTR CALLBACK charCountProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const int side = static_cast<int>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, side);
      const LengthFilter& filter = lengthFilter(side);
      char text[64];
      std::snprintf(text, sizeof text, "%s文字数設定", sideLabel(side));
      SetWindowTextA(dialog, text);
      std::snprintf(text, sizeof text, "%sが", sideLabel(side));
      SetDlgItemTextA(dialog, IDC_COUNT_LABEL, text);
      std::snprintf(text, sizeof text, "%d", static_cast<int>(filter.length));
      SetDlgItemTextA(dialog, IDC_COUNT_FIELD, text);
      SendDlgItemMessageA(dialog, IDC_COUNT_SPIN, UDM_SETRANGE, 0, MAKELPARAM(MaxFilterLength, 1));
      for (int type = AtLeastLength; type <= ExactLength; ++type) {
        SendDlgItemMessageA(dialog, IDC_COUNT_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(compareText(type)));
      }
      // A stored comparison outside the list means exactly N characters, as the filter reads it.
      const int selection = filter.type == AtLeastLength || filter.type == AtMostLength ? filter.type : ExactLength;
      SendDlgItemMessageA(dialog, IDC_COUNT_TYPE, CB_SETCURSEL, selection, 0);
      fitCaptions(dialog);
      centerOnOwner(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == IDC_COUNT_FIELD && code == EN_UPDATE) {
        limitTextBytes(reinterpret_cast<HWND>(lParam), 2);
        return TRUE;
      }
      if (id == IDOK) {
        if (!requireField(dialog, IDC_COUNT_FIELD, "文字数")) return TRUE;
        char text[16];
        GetDlgItemTextA(dialog, IDC_COUNT_FIELD, text, sizeof text);
        int count = 0;
        if (checkCharCount(text, count) != CountCheck::Ok) {
          showFieldMessage(dialog, IDC_COUNT_FIELD, "文字数", "が不正です。");
          return TRUE;
        }
        LengthFilter& filter = lengthFilter(static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)));
        filter.length = count;
        const LRESULT type = SendDlgItemMessageA(dialog, IDC_COUNT_TYPE, CB_GETCURSEL, 0, 0);
        if (type >= AtLeastLength && type <= ExactLength) filter.type = static_cast<std::int32_t>(type);
        EndDialog(dialog, TRUE);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, FALSE);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace

bool CharCountDialog(HWND owner, int side) {
  HINSTANCE instance = process::appInstance ? process::appInstance : GetModuleHandleA(nullptr);
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CHARCOUNT), owner, charCountProc, side) == TRUE;
}

}  // namespace obel
