// The result lists in the main dialog: setup, rebuild, notifications, expand and collapse,
// the item buttons and the display-condition panel's captions and enabled state.
#include "app/result_lists.h"

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "results/list_view_win32.h"
#include "results/conditions.h"
#include "settings/settings.h"

namespace obel {

SortableListView& process::groupListView() {
  static SortableListView view;
  return view;
}

SortableListView& process::memberListView() {
  static SortableListView view;
  return view;
}

HWND process::groupListWindow = nullptr;
HWND process::memberListWindow = nullptr;

namespace {

class ProgressBar : public ProgressSink {
 public:
  explicit ProgressBar(HWND bar) : bar_(bar), shownAt_(GetTickCount()) {}
  ~ProgressBar() override { show(); }
  // The list is rebuilt on the thread that owns the bar, so the bar is repainted here, at most
  // every PaintInterval: under Wine each move and each paint of the bar goes to the window
  // server. The steps in between are kept and shown with the next paint, the last ones when
  // the rebuild ends.
  void advance(int steps) override {
    pending_ += steps;
    if (GetTickCount() - shownAt_ >= PaintInterval) show();
  }

 private:
  static constexpr DWORD PaintInterval = 50;  // milliseconds
  void show() {
    if (pending_ == 0) return;
    SendMessageA(bar_, PBM_DELTAPOS, pending_, 0);
    UpdateWindow(bar_);
    pending_ = 0;
    shownAt_ = GetTickCount();
  }
  HWND bar_;
  DWORD shownAt_;
  int pending_ = 0;
};

int headerFormat(Align align) {
  switch (align) {
    case Align::Centre:
      return LVCFMT_CENTER;
    case Align::Right:
      return LVCFMT_RIGHT;
    default:
      return LVCFMT_LEFT;
  }
}

void insertColumns(HWND list) {
  for (int c = 0; c < ColumnCount; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = headerFormat(resultColumns[c].headerAlign);
    column.cx = resultColumns[c].width;
    column.pszText = const_cast<char*>(resultColumns[c].header);
    column.iSubItem = c;
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
}

void setUpList(HWND list, SortableListView& view) {
  // A list set up again (a new main dialog) starts from no columns.
  releaseColumnTypes(view.sortState);
  view.sortState.sortedColumn = -1;
  view.sortState.savedHeaderFormat = 0;
  view.sortState.savedHeaderBitmap = nullptr;
  view.attach(list);
  insertColumns(list);
  ColumnType types[ColumnCount];
  for (int c = 0; c < ColumnCount; ++c) types[c] = resultColumns[c].sortType;
  setColumnTypes(view.sortState, types, ColumnCount);
  view.sortState.descending = 0;
  view.showSortIndicator(0);
}

void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void showList(HWND shown, HWND hidden) {
  ShowWindow(hidden, SW_HIDE);
  ShowWindow(shown, SW_SHOW);
  SetFocus(shown);
}

}  // namespace

HWND groupList() { return process::groupListWindow; }
HWND memberList() { return process::memberListWindow; }
bool isExpanded() { return process::expandedHead != nullptr; }

void setUpResultLists(HWND dialog) {
  process::groupListWindow = GetDlgItem(dialog, IDC_GROUP_LIST);
  process::memberListWindow = GetDlgItem(dialog, IDC_MEMBER_LIST);
  for (HWND list : {process::groupListWindow, process::memberListWindow}) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  }
  RECT r;
  GetWindowRect(process::groupListWindow, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(process::memberListWindow, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  setUpList(process::groupListWindow, process::groupListView());
  setUpList(process::memberListWindow, process::memberListView());
}

namespace {
RefreshMoments refreshMoments;
}  // namespace

const RefreshMoments& lastRefreshMoments() { return refreshMoments; }

void refreshList(HWND owner, HWND list, HWND progress, SortableListView& view) {
  using Clock = std::chrono::steady_clock;
  refreshMoments.begun = Clock::now();
  SetCapture(owner);
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListViewRows rows(list, &view);
  ProgressBar bar(progress);
  refreshRows(rows, process::expandedHead, rows, view.sortState, oleCellParser(), progress ? &bar : nullptr,
              &refreshMoments.reconciled);
  refreshMoments.sorted = Clock::now();
  updateItemButtons(owner, list);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SetCursor(previous);
  ReleaseCapture();
}

void refreshGroupList(HWND owner, HWND progressBar) {
  if (process::groupListWindow) refreshList(owner, process::groupListWindow, progressBar, process::groupListView());
}

void resetResultLists(HWND dialog) {
  CheckDlgButton(dialog, IDC_EXPAND, BST_UNCHECKED);
  // The panel is disabled only while a pair is expanded.
  if (process::expandedHead) setConditionControlsEnabled(dialog, true);
  process::expandedHead = nullptr;
  enable(dialog, IDC_OPEN, false);
  enable(dialog, IDC_EXPAND, false);
  enable(dialog, IDC_EXPORT, false);
  // An empty list is left alone: under Wine deleting no rows still costs a few milliseconds of
  // scroll-bar work.
  for (HWND list : {process::groupListWindow, process::memberListWindow}) {
    if (listview::itemCount(list) > 0) SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  }
  showList(process::groupListWindow, process::memberListWindow);
}

INT_PTR onResultListNotify(HWND dialog, NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      NMLVDISPINFOA* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        const RubyItem* item = reinterpret_cast<const RubyItem*>(info->item.lParam);
        if (item) {
          columnText(*item, info->item.iSubItem, process::expandedHead, info->item.pszText,
                     static_cast<std::size_t>(info->item.cchTextMax));
        } else {
          info->item.pszText[0] = '\0';
        }
      }
      return FALSE;
    }
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK:
    case NM_RDBLCLK:
    case LVN_KEYDOWN:
      // After the list has processed the input, when its selection is final.
      PostMessageA(dialog, WM_COMMAND, IDM_LIST_SELECTION, reinterpret_cast<LPARAM>(header->hwndFrom));
      return FALSE;
    case LVN_ITEMACTIVATE:
      activateItem(dialog, header->hwndFrom);
      return FALSE;
    case LVN_DELETEALLITEMS:
      // Nothing is kept per row, so the list need not tell of each row it deletes.
      return TRUE;
  }
  return FALSE;
}

void updateItemButtons(HWND dialog, HWND list) {
  ListViewRows rows(list, nullptr);
  const ItemButtons buttons = itemButtonStates(selectedItem(rows), process::expandedHead);
  enable(dialog, IDC_OPEN, buttons.openEnabled);
  enable(dialog, IDC_EXPAND, buttons.expandEnabled);
}

void activateItem(HWND dialog, HWND list) {
  ListViewRows rows(list, nullptr);
  switch (activationFor(selectedItem(rows), process::expandedHead)) {
    case Activation::Expand:
      toggleExpand(dialog);
      break;
    case Activation::Open:
      launchTextEditor(dialog, list);
      break;
    case Activation::Nothing:
      break;
  }
}

void toggleExpand(HWND dialog) {
  if (process::expandedHead) {
    process::expandedHead = nullptr;
    showList(process::groupListWindow, process::memberListWindow);
    setConditionControlsEnabled(dialog, true);
    enable(dialog, IDC_OPEN, false);
    CheckDlgButton(dialog, IDC_EXPAND, BST_UNCHECKED);
    return;
  }
  ListViewRows rows(process::groupListWindow, nullptr);
  process::expandedHead = selectedItem(rows);
  if (!process::expandedHead) {
    CheckDlgButton(dialog, IDC_EXPAND, BST_UNCHECKED);
    return;
  }
  setConditionControlsEnabled(dialog, false);
  CheckDlgButton(dialog, IDC_EXPAND, BST_CHECKED);
  refreshList(dialog, process::memberListWindow, nullptr, process::memberListView());
  showList(process::memberListWindow, process::groupListWindow);
}

void setConditionControlsEnabled(HWND dialog, bool enabled) {
  constexpr int MaxChildren = 128;
  HWND children[MaxChildren];
  int ids[MaxChildren];
  int count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child && count < MaxChildren; child = GetWindow(child, GW_HWNDNEXT)) {
    children[count] = child;
    ids[count] = GetDlgCtrlID(child);
    ++count;
  }
  const ChildRange range = conditionControlRange(ids, count, IDC_CONDITIONS_FOLD, IDC_OPEN);
  for (int i = range.first; i < range.last; ++i) EnableWindow(children[i], enabled ? TRUE : FALSE);
}

void setLengthFilterCaptions(HWND dialog) {
  char caption[LengthFilterTextBytes];
  lengthFilterText(KeySide, caption);
  SetDlgItemTextA(dialog, IDC_KEY_LENGTH, caption);
  lengthFilterText(RubySide, caption);
  SetDlgItemTextA(dialog, IDC_RUBY_LENGTH, caption);
}

bool editLengthFilter(HWND dialog, bool keyFilter) { return CharCountDialog(dialog, keyFilter ? KeySide : RubySide); }

int listRowHeight() { return listRowHeight(process::settings().fontSize); }

}  // namespace obel
