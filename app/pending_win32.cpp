// Placeholders for the functions of app/commands.h whose subsystem has not been built yet.
// Each does nothing (or reports "nothing there"), so the main window runs without them. A
// subsystem that lands the real definition deletes its placeholder here.
#include "app/commands.h"

namespace obel {

// Result lists (results/)
HWND groupList() { return nullptr; }
HWND memberList() { return nullptr; }
bool isExpanded() { return false; }
void setUpResultLists(HWND) {}
void resetResultLists(HWND) {}
void refreshGroupList(HWND, HWND) {}
INT_PTR onResultListNotify(HWND, NMHDR*) { return FALSE; }
void updateItemButtons(HWND, HWND) {}
void activateItem(HWND, HWND) {}
void toggleExpand(HWND) {}
void setLengthFilterCaptions(HWND) {}
bool editLengthFilter(HWND, bool) { return false; }
void drawListRow(const DRAWITEMSTRUCT*) {}
int listRowHeight() { return 13; }
void applyListFont(HWND) {}
void setConditionControlsEnabled(HWND, bool) {}

// Search targets and the search (engine/)
void subclassTargetList(HWND) {}
void onTargetSelectionChange(HWND) {}
void addTarget(HWND) {}
void editTarget(HWND) {}
void deleteTargets(HWND) {}
void startSearch(HWND) {}

// Reverse conversion (revconv/)
void startReverseConversion(HWND) {}
void loadRevConvCache() {}
void saveRevConvCache() {}

}  // namespace obel
