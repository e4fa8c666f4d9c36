#pragma once
// Resource and control identifiers shared by the dialog templates and the code.
// Control ids are per dialog: the same number names different controls in different dialogs.

// Resources
#define IDD_MAIN 101          // main dialog
#define IDD_TARGET 103        // add or edit a search target
#define IDD_PROGRESS 104      // progress of the search and of the reverse-conversion check
#define IDD_SETTINGS 105      // settings
#define IDD_ABOUT 107         // version information
#define IDI_OBEL 108          // program icon (group)
#define IDD_CHARCOUNT 109     // character count of a length filter
#define IDR_ACCELERATORS 112  // Esc and F1 of the main window

// Commands of the main window that are not controls
#define IDM_ESCAPE 0          // Esc accelerator
#define IDM_ABOUT 40001       // system menu: version information
#define IDM_HELP 40002        // system menu and F1: help
#define IDM_LIST_SELECTION 40003  // posted by the list notifications

// Main dialog (101)
#define IDC_TARGET_LIST 1000
#define IDC_GROUP_LIST 1001
#define IDC_DELETE_TARGET 1002
#define IDC_EXPORT 1003
#define IDC_SEARCH_SUBFOLDER 1004
#define IDC_SEARCH 1010
#define IDC_ADD_TARGET 1011
#define IDC_HIDE_REVCONV 1012
#define IDC_OPEN 1013
#define IDC_EDIT_TARGET 1014
#define IDC_SHOW_ALL 1015
#define IDC_SAME_KEY_ONLY 1016
#define IDC_SAME_RUBY_ONLY 1017
#define IDC_EXPAND 1020
#define IDC_SETTINGS 1022
#define IDC_KEY_LENGTH 1025
#define IDC_RUBY_LENGTH 1026
#define IDC_KEY_LENGTH_CHANGE 1027
#define IDC_RUBY_LENGTH_CHANGE 1028
#define IDC_REVCONV 1037
#define IDC_MEMBER_LIST 1038
#define IDC_CONDITIONS_FOLD 1039
#define IDC_TARGETS_FOLD 1040
#define IDC_TARGETS_GROUP 1041
#define IDC_CONDITIONS_GROUP 1042

// Target dialog (103)
#define IDC_TARGET_FIELD 1016
#define IDC_TARGET_FOLDER_BUTTON 1017
#define IDC_TARGET_FILE_BUTTON 1018

// Progress dialog (104); its Stop button is IDCANCEL (2)
#define IDC_PROGRESS_TEXT 1019
#define IDC_PROGRESS_BAR 1023

// Settings dialog (105)
#define IDC_QUERY_EXIT 1032
#define IDC_USE_CACHE 1044
#define IDC_FONT_NAME 1034
#define IDC_FONT_SIZE 1035
#define IDC_FONT_SIZE_SPIN 1036
#define IDC_EDITOR_PATH 1021
#define IDC_EDITOR_BROWSE 1018
#define IDC_EDITOR_OPTIONS 1022
#define IDC_DICTIONARY_PATH 1045
#define IDC_DICTIONARY_BROWSE 1046
#define IDC_COMPOSED_READINGS 1047

// About box (107)
#define IDC_ABOUT_TEXT 1026

// Character-count dialog (109)
#define IDC_COUNT_FIELD 1028
#define IDC_COUNT_SPIN 1029
#define IDC_COUNT_TYPE 1030
#define IDC_COUNT_LABEL 1031
