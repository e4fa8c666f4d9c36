#pragma once
// The two result lists of the main dialog: their SortableListView objects, the rebuild of a
// list and the character-count dialog of a length filter.
#include <windows.h>

#include <chrono>

#include "results/sortable_list_view_win32.h"

namespace obel {

// The main dialog's two lists: the sorting objects, built on first use, and their windows, set
// by setUpResultLists.
namespace process {
SortableListView& groupListView();
SortableListView& memberListView();
extern HWND groupListWindow;
extern HWND memberListWindow;
}  // namespace process

// Rebuilds the rows of the list and re-sorts it (see reconcileRows); owner holds the mouse
// meanwhile and gets its Open and Expand buttons updated. progress may be null.
void refreshList(HWND owner, HWND list, HWND progress, SortableListView& view);

// Moments of the last refreshList: its rows reconciled, then sorted (the benchmark's budget).
struct RefreshMoments {
  std::chrono::steady_clock::time_point begun, reconciled, sorted;
};
const RefreshMoments& lastRefreshMoments();

// Modal dialog 109 for the side's length filter; true when new values were stored.
bool CharCountDialog(HWND owner, int side);

}  // namespace obel
