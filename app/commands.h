#pragma once
// What the main dialog calls in the other subsystems. Each function is defined by the
// subsystem that does the work.
#include <windows.h>

namespace obel {

// Result lists (results/)
HWND groupList();                                      // control 1001
HWND memberList();                                     // control 1038
bool isExpanded();                                     // expandedHead is set
void setUpResultLists(HWND dialog);                    // at initialisation, step 7
void resetResultLists(HWND dialog);                    // leaves the expanded view, empties both lists
void refreshGroupList(HWND owner, HWND progressBar);   // refreshList on GroupList with its SortState
INT_PTR onResultListNotify(HWND dialog, NMHDR* header);  // WM_NOTIFY from 1001 or 1038
void updateItemButtons(HWND dialog, HWND list);        // command 40003
void activateItem(HWND dialog, HWND list);
void toggleExpand(HWND dialog);
void setLengthFilterCaptions(HWND dialog);             // captions of 1025 and 1026
bool editLengthFilter(HWND dialog, bool keyFilter);    // character-count dialog 109; true when confirmed
void drawListRow(const DRAWITEMSTRUCT* draw);          // WM_DRAWITEM
int listRowHeight();                                   // WM_MEASUREITEM
void applyListFont(HWND dialog);                       // after the settings dialog
void setConditionControlsEnabled(HWND dialog, bool enabled);

// Search targets and the search (engine/)
void subclassTargetList(HWND dialog);                  // at initialisation, step 6 (dropped files)
void onTargetSelectionChange(HWND dialog);             // 1000 LBN_SELCHANGE
void addTarget(HWND dialog);                           // 1011
void editTarget(HWND dialog);                          // 1014
void deleteTargets(HWND dialog);                       // 1002
void startSearch(HWND dialog);                         // 1010, after resetResultLists
void exportTsv(HWND dialog);                           // 1003

// Reverse conversion (revconv/)
void startReverseConversion(HWND dialog);              // 1037, when no pair is expanded
void loadRevConvCache();                               // at start-up when UseRevConvCache is on
void saveRevConvCache();                               // at exit when UseRevConvCache is on

// Editor and settings dialog (app/)
void launchTextEditor(HWND dialog, HWND list);         // 1013
bool settingsDialog(HWND dialog);                      // 1022; true when confirmed

}  // namespace obel
