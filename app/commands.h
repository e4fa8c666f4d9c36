#pragma once
// What the main dialog calls in the window code of the other parts. Control and command
// names are those of app/resources/resource_ids.h.
#include <windows.h>

#include "revconv/cache_file.h"  // loadRevConvCache, saveRevConvCache

namespace obel {

// Result lists (app/result_lists_win32.cpp, app/row_painting_win32.cpp, app/list_font_win32.cpp)
HWND groupList();                                      // IDC_GROUP_LIST
HWND memberList();                                     // IDC_MEMBER_LIST
bool isExpanded();                                     // process::expandedHead is set
void setUpResultLists(HWND dialog);                    // at initialisation, step 7
void resetResultLists(HWND dialog);                    // leaves the expanded view, empties both lists
void refreshGroupList(HWND owner, HWND progressBar);   // refreshList on GroupList with its SortState
INT_PTR onResultListNotify(HWND dialog, NMHDR* header);  // WM_NOTIFY from either list
void updateItemButtons(HWND dialog, HWND list);        // command IDM_LIST_SELECTION
void activateItem(HWND dialog, HWND list);
void toggleExpand(HWND dialog);
void setLengthFilterCaptions(HWND dialog);             // captions of IDC_KEY_LENGTH and IDC_RUBY_LENGTH
bool editLengthFilter(HWND dialog, bool keyFilter);    // character-count dialog IDD_CHARCOUNT; true when confirmed
void drawListRow(const DRAWITEMSTRUCT* draw);          // WM_DRAWITEM
int listRowHeight();                                   // WM_MEASUREITEM
void applyListFont(HWND dialog);                       // after the settings dialog
void setConditionControlsEnabled(HWND dialog, bool enabled);

// Search targets and the search (app/targets_win32.cpp, app/search_win32.cpp, app/export_win32.cpp)
void subclassTargetList(HWND dialog);                  // at initialisation, step 6 (dropped files)
void onTargetSelectionChange(HWND dialog);             // IDC_TARGET_LIST LBN_SELCHANGE
void addTarget(HWND dialog);                           // IDC_ADD_TARGET
void editTarget(HWND dialog);                          // IDC_EDIT_TARGET
void deleteTargets(HWND dialog);                       // IDC_DELETE_TARGET
void startSearch(HWND dialog);                         // IDC_SEARCH, after resetResultLists
void exportTsv(HWND dialog);                           // IDC_EXPORT

// Reverse conversion (app/revconv_run_win32.cpp)
void startReverseConversion(HWND dialog);              // IDC_REVCONV, when no pair is expanded

// Editor and settings dialog
void launchTextEditor(HWND dialog, HWND list);         // IDC_OPEN
bool settingsDialog(HWND dialog);                      // IDC_SETTINGS; true when confirmed

}  // namespace obel
