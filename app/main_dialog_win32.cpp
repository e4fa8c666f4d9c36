#include "app/main_dialog.h"

#include <commctrl.h>

#include <cstdint>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/main_layout.h"
#include "app/resources/resource_ids.h"
#include "app/shell.h"
#include "engine/store.h"
#include "results/window_subclass_win32.h"
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

// The lists' notifications and row paints reach the main dialog through this procedure, ahead
// of the dialog manager, which under Wine costs about as much again as the list's own work on a
// row for every message it passes on (a list of 9500 rows filled with its notifications going
// through the dialog manager takes up to twice as long as with them here). It is the one place
// that answers them: a notification's answer is this procedure's result. Everything else goes
// on to the dialog manager.
LRESULT CALLBACK listMessagesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (isResultList(header->idFrom)) return onResultListNotify(dialog, header);
  }
  if (message == WM_DRAWITEM && isResultList(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlID)) {
    drawListRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return callNextProcedure(listMessagesProc, dialog, message, wParam, lParam);
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
  subclassWindow(dialog, listMessagesProc, nullptr);
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

void collapseExpandedPair(HWND dialog) {
  if (isExpanded()) toggleExpand(dialog);
}

// Enter outside a push button: the focused list, else the member list, shown or not.
void activateFocusedList(HWND dialog) { activateItem(dialog, GetFocus() == groupList() ? groupList() : memberList()); }

void search(HWND dialog) {
  resetResultLists(dialog);
  startSearch(dialog);
  if (process::store().itemCount != 0) EnableWindow(GetDlgItem(dialog, IDC_EXPORT), TRUE);
}

void invert(std::int32_t& flag) { flag = !flag; }

void toggleHideRevConv(HWND dialog) {
  invert(process::settings().hideRevConv);
  refresh(dialog);
}

void showMode(HWND dialog, int button) {
  process::settings().hideKeyRuby = button - IDC_SHOW_ALL;
  refresh(dialog);
}

LengthFilter& lengthFilterOf(bool keySide) {
  Settings& s = process::settings();
  return keySide ? s.keyLengthFilter : s.rubyLengthFilter;
}

void toggleLengthFilter(HWND dialog, bool keySide) {
  invert(lengthFilterOf(keySide).use);
  refresh(dialog);
}

void changeLengthFilter(HWND dialog, bool keySide) {
  if (!editLengthFilter(dialog, keySide)) return;
  setLengthFilterCaptions(dialog);
  if (lengthFilterOf(keySide).use) refresh(dialog);
}

void reverseConversion(HWND dialog) {
  if (isExpanded()) {
    showWarning(dialog, "展開中は逆変換できません。");
  } else {
    startReverseConversion(dialog);
  }
}

void openSettings(HWND dialog) {
  if (settingsDialog(dialog)) applyListFont(dialog);
}

void foldConditions(HWND dialog) {
  toggleGroupBox(dialog, IDC_CONDITIONS_FOLD, IDC_CONDITIONS_GROUP, process::mainLayout().savedConditions, IDC_OPEN);
}

void foldTargets(HWND dialog) {
  toggleGroupBox(dialog, IDC_TARGETS_FOLD, IDC_TARGETS_GROUP, process::mainLayout().savedTargets, IDC_CONDITIONS_GROUP);
}

// One row of the command table: the command, the one notification code it is acted on for
// (AnyCode: every code) and what it does. A command met with another code is left unhandled.
struct MainCommand {
  int id;
  int onlyCode;
  void (*action)(HWND dialog, int id, HWND source);
};
constexpr int AnyCode = -1;

constexpr MainCommand MainCommands[] = {
    {IDM_ESCAPE, AnyCode, [](HWND d, int, HWND) { collapseExpandedPair(d); }},
    {IDOK, AnyCode, [](HWND d, int, HWND) { activateFocusedList(d); }},
    {IDCANCEL, AnyCode, [](HWND d, int, HWND) { closeMainDialog(d); }},
    {IDC_TARGET_LIST, LBN_SELCHANGE, [](HWND d, int, HWND) { onTargetSelectionChange(d); }},
    {IDC_DELETE_TARGET, AnyCode, [](HWND d, int, HWND) { deleteTargets(d); }},
    {IDC_EXPORT, AnyCode, [](HWND d, int, HWND) { exportTsv(d); }},
    {IDC_SEARCH_SUBFOLDER, BN_CLICKED, [](HWND, int, HWND) { invert(process::settings().searchSubFolder); }},
    {IDC_SEARCH, AnyCode, [](HWND d, int, HWND) { search(d); }},
    {IDC_ADD_TARGET, AnyCode, [](HWND d, int, HWND) { addTarget(d); }},
    {IDC_HIDE_REVCONV, BN_CLICKED, [](HWND d, int, HWND) { toggleHideRevConv(d); }},
    {IDC_OPEN, AnyCode, [](HWND d, int, HWND) { launchTextEditor(d, visibleList()); }},
    {IDC_EDIT_TARGET, AnyCode, [](HWND d, int, HWND) { editTarget(d); }},
    {IDC_SHOW_ALL, BN_CLICKED, [](HWND d, int id, HWND) { showMode(d, id); }},
    {IDC_SAME_KEY_ONLY, BN_CLICKED, [](HWND d, int id, HWND) { showMode(d, id); }},
    {IDC_SAME_RUBY_ONLY, BN_CLICKED, [](HWND d, int id, HWND) { showMode(d, id); }},
    {IDC_EXPAND, BN_CLICKED, [](HWND d, int, HWND) { toggleExpand(d); }},
    {IDC_SETTINGS, AnyCode, [](HWND d, int, HWND) { openSettings(d); }},
    {IDC_KEY_LENGTH, BN_CLICKED, [](HWND d, int, HWND) { toggleLengthFilter(d, true); }},
    {IDC_RUBY_LENGTH, BN_CLICKED, [](HWND d, int, HWND) { toggleLengthFilter(d, false); }},
    {IDC_KEY_LENGTH_CHANGE, AnyCode, [](HWND d, int, HWND) { changeLengthFilter(d, true); }},
    {IDC_RUBY_LENGTH_CHANGE, AnyCode, [](HWND d, int, HWND) { changeLengthFilter(d, false); }},
    {IDC_REVCONV, AnyCode, [](HWND d, int, HWND) { reverseConversion(d); }},
    {IDC_CONDITIONS_FOLD, BN_CLICKED, [](HWND d, int, HWND) { foldConditions(d); }},
    {IDC_TARGETS_FOLD, BN_CLICKED, [](HWND d, int, HWND) { foldTargets(d); }},
    {IDM_HELP, AnyCode, [](HWND, int, HWND) { showHelp(nullptr); }},
    {IDM_LIST_SELECTION, AnyCode, [](HWND d, int, HWND list) { updateItemButtons(d, list); }},
};

// Returns whether the command was handled.
bool onCommand(HWND dialog, int id, int code, HWND source) {
  for (const MainCommand& command : MainCommands) {
    if (command.id != id) continue;
    if (command.onlyCode != AnyCode && command.onlyCode != code) return false;
    command.action(dialog, id, source);
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
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(listRowHeight());
      return TRUE;
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
