#include "app/main_dialog.h"

#include <commctrl.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/main_layout.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "engine/store.h"
#include "results/conditions.h"
#include "settings/settings.h"

namespace obel {

namespace {

// The three buttons of the same-key mode: a mode's button is IDC_SHOW_ALL plus the mode.
static_assert(IDC_SHOW_ALL + ShowAllItems == IDC_SHOW_ALL && IDC_SHOW_ALL + SameKeyItems == IDC_SAME_KEY_ONLY &&
                  IDC_SHOW_ALL + SameRubyItems == IDC_SAME_RUBY_ONLY,
              "the mode buttons' ids are consecutive, in the order of the modes");

void checkIf(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

bool isResultList(UINT_PTR id) { return id == IDC_GROUP_LIST || id == IDC_MEMBER_LIST; }

// The notifications a list sends for each row it inserts, deletes, changes or asks a text for.
bool isRowNotification(UINT code) {
  switch (code) {
    case LVN_INSERTITEM:
    case LVN_DELETEITEM:
    case LVN_DELETEALLITEMS:
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
    case LVN_GETDISPINFOA:
      return true;
  }
  return false;
}

// The lists' row notifications and row paints reach the main dialog through this procedure,
// ahead of the dialog manager, which under Wine costs about as much again as the list's own
// work on a row for every message it passes on (a list of 9500 rows filled with its notifications
// going through the dialog manager takes up to twice as long as with them here). Everything
// else goes on to the dialog manager.
LRESULT CALLBACK listMessagesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto dialogManager = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_NOTIFY) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (isResultList(header->idFrom) && isRowNotification(header->code)) return onResultListNotify(dialog, header);
  }
  if (message == WM_DRAWITEM && isResultList(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlID)) {
    drawListRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return CallWindowProcA(dialogManager, dialog, message, wParam, lParam);
}

void takeListMessages(HWND dialog) {
  const LONG_PTR dialogManager = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
  SetWindowLongPtrA(dialog, GWLP_USERDATA, dialogManager);
  SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listMessagesProc));
}

// The length-filter captions change with the filters: the dialog makes room for the longest,
// a two-digit count with each comparison.
void fitMainDialogCaptions(HWND dialog) {
  constexpr int Comparisons = ExactLength - AtLeastLength + 1;
  char texts[2 * Comparisons][LengthFilterTextBytes];
  LaterCaption later[2 * Comparisons];
  int count = 0;
  for (int side : {KeySide, RubySide}) {
    for (int type = AtLeastLength; type <= ExactLength; ++type, ++count) {
      lengthFilterText(side, LengthFilter{1, MaxFilterLength, type}, texts[count]);
      later[count] = LaterCaption{side == KeySide ? IDC_KEY_LENGTH : IDC_RUBY_LENGTH, texts[count]};
    }
  }
  fitCaptions(dialog, later, count);
}

void initialise(HWND dialog) {
  takeListMessages(dialog);
  fitMainDialogCaptions(dialog);
  SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(process::smallIcon));
  SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(process::largeIcon));

  recordInitialLayout(dialog);
  restoreWindowPlacement(dialog);

  Settings& s = process::settings();
  checkIf(dialog, IDC_SEARCH_SUBFOLDER, s.searchSubFolder != 0);
  checkIf(dialog, IDC_TARGETS_FOLD, true);
  checkIf(dialog, IDC_CONDITIONS_FOLD, true);
  // A stored mode outside the three buttons shows everything, and the filter follows the button.
  if (s.hideKeyRuby < ShowAllItems || s.hideKeyRuby > SameRubyItems) s.hideKeyRuby = ShowAllItems;
  checkIf(dialog, IDC_SHOW_ALL + s.hideKeyRuby, true);
  checkIf(dialog, IDC_HIDE_REVCONV, s.hideRevConv != 0);
  checkIf(dialog, IDC_KEY_LENGTH, s.keyLengthFilter.use != 0);
  checkIf(dialog, IDC_RUBY_LENGTH, s.rubyLengthFilter.use != 0);
  setLengthFilterCaptions(dialog);
  subclassTargetList(dialog);
  setUpResultLists(dialog);

  static const char* const texts[] = {"ヘルプ(&H)\tF1", "バージョン情報(&A)..."};
  static const UINT ids[] = {IDM_HELP, IDM_ABOUT};
  addSystemMenuItems(dialog, 1, 2, texts, ids);

  RECT r;
  GetWindowRect(dialog, &r);
  applySizingRule(dialog, r);
}

void refresh(HWND dialog) { refreshGroupList(dialog, nullptr); }

void closeMainDialog(HWND dialog) {
  if (!confirmExit(dialog)) return;
  saveWindowPlacement(dialog);
  DestroyWindow(dialog);
  PostQuitMessage(0);
}

// The command table. Returns whether the command was handled.
bool onCommand(HWND dialog, int id, int code, HWND source) {
  bool click = code == BN_CLICKED;
  Settings& s = process::settings();
  switch (id) {
    case IDM_ESCAPE:
      if (isExpanded()) toggleExpand(dialog);
      return true;
    case IDOK:
      activateItem(dialog, GetFocus() == groupList() ? groupList() : memberList());
      return true;
    case IDCANCEL:
      closeMainDialog(dialog);
      return true;
    case IDC_TARGET_LIST:
      if (code != LBN_SELCHANGE) return false;
      onTargetSelectionChange(dialog);
      return true;
    case IDC_DELETE_TARGET:
      deleteTargets(dialog);
      return true;
    case IDC_EXPORT:
      exportTsv(dialog);
      return true;
    case IDC_SEARCH_SUBFOLDER:
      if (!click) return false;
      s.searchSubFolder = !s.searchSubFolder;
      return true;
    case IDC_SEARCH:
      resetResultLists(dialog);
      startSearch(dialog);
      if (process::store().itemCount != 0) EnableWindow(GetDlgItem(dialog, IDC_EXPORT), TRUE);
      return true;
    case IDC_ADD_TARGET:
      addTarget(dialog);
      return true;
    case IDC_HIDE_REVCONV:
      if (!click) return false;
      s.hideRevConv = !s.hideRevConv;
      refresh(dialog);
      return true;
    case IDC_OPEN:
      launchTextEditor(dialog, visibleList());
      return true;
    case IDC_EDIT_TARGET:
      editTarget(dialog);
      return true;
    case IDC_SHOW_ALL:
    case IDC_SAME_KEY_ONLY:
    case IDC_SAME_RUBY_ONLY:
      if (!click) return false;
      s.hideKeyRuby = id - IDC_SHOW_ALL;
      refresh(dialog);
      return true;
    case IDC_EXPAND:
      if (!click) return false;
      toggleExpand(dialog);
      return true;
    case IDC_SETTINGS:
      if (settingsDialog(dialog)) applyListFont(dialog);
      return true;
    case IDC_KEY_LENGTH:
    case IDC_RUBY_LENGTH: {
      if (!click) return false;
      LengthFilter& filter = id == IDC_KEY_LENGTH ? s.keyLengthFilter : s.rubyLengthFilter;
      filter.use = !filter.use;
      refresh(dialog);
      return true;
    }
    case IDC_KEY_LENGTH_CHANGE:
    case IDC_RUBY_LENGTH_CHANGE: {
      bool key = id == IDC_KEY_LENGTH_CHANGE;
      if (editLengthFilter(dialog, key)) {
        setLengthFilterCaptions(dialog);
        if ((key ? s.keyLengthFilter : s.rubyLengthFilter).use) refresh(dialog);
      }
      return true;
    }
    case IDC_REVCONV:
      if (isExpanded()) {
        showWarning(dialog, "展開中は逆変換できません。");
      } else {
        startReverseConversion(dialog);
      }
      return true;
    case IDC_CONDITIONS_FOLD:
      if (!click) return false;
      toggleGroupBox(dialog, IDC_CONDITIONS_FOLD, IDC_CONDITIONS_GROUP, process::mainLayout().savedConditions, IDC_OPEN);
      return true;
    case IDC_TARGETS_FOLD:
      if (!click) return false;
      toggleGroupBox(dialog, IDC_TARGETS_FOLD, IDC_TARGETS_GROUP, process::mainLayout().savedTargets,
                     IDC_CONDITIONS_GROUP);
      return true;
    case IDM_HELP:
      showHelp(nullptr);
      return true;
    case IDM_LIST_SELECTION:
      updateItemButtons(dialog, source);
      return true;
  }
  return false;
}

}  // namespace

HWND visibleList() { return isExpanded() ? memberList() : groupList(); }

HWND createMainDialog() {
  HINSTANCE instance = process::appInstance ? process::appInstance : GetModuleHandleA(nullptr);
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, mainDialogProc, 0);
}

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      initialise(dialog);
      return TRUE;
    case WM_SIZE:
      if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) onMainWindowSized(dialog);
      return TRUE;
    case WM_SIZING:
      applySizingRule(dialog, *reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      drawListRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(listRowHeight());
      return TRUE;
    case WM_NOTIFY: {  // the lists' notifications come here only when listMessagesProc does not take them
      NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
      if (!isResultList(header->idFrom)) return FALSE;
      INT_PTR result = onResultListNotify(dialog, header);
      return result;
    }
    case WM_SETTINGCHANGE:
      // Only top-level windows hear of a colour change; the lists redraw their header arrows.
      SendMessageA(GetDlgItem(dialog, IDC_GROUP_LIST), message, wParam, lParam);
      SendMessageA(GetDlgItem(dialog, IDC_MEMBER_LIST), message, wParam, lParam);
      return FALSE;
    case WM_COMMAND:
      return onCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      if (wParam == IDM_HELP) {
        showHelp(nullptr);
        return TRUE;
      }
      if (wParam == IDM_ABOUT) {
        showAboutBox(dialog);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace obel
