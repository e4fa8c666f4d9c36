#pragma once
// The search-target list on the main dialog, the target dialog (103), the path field with its
// browse buttons, and the system's open and save dialogs.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace obel {

// One path field of a dialog: subclassed to take a dropped file, with an optional folder
// button (small folder icon) and a file button.
struct PathField {
  HWND owner = nullptr;
  HWND field = nullptr;
  int folderButtonId = 0;  // 0: none
  int fileButtonId = 0;
  char pattern[MAX_PATH] = "";
  bool appendPattern = false;
  HICON folderIcon = nullptr;
  bool subclassed = false;  // the field takes dropped files until destroyPathField
};

void createPathField(PathField& f, HWND owner, int fieldId, int folderButtonId, int fileButtonId);
void setPathFieldPattern(PathField& f, const char* pattern, bool appendPattern);
// Handles a click on one of the field's buttons; false for any other command.
bool pathFieldCommand(PathField& f, int id);
void destroyPathField(PathField& f);

// Runs dialog 103 with the buffer's text; on OK the field's text is in the buffer.
bool editTargetDialog(HWND owner, char* buffer, std::size_t capacity, const char* caption);

// The system's open (save false) or save dialog; the filter and default extension come from
// the pattern. True when the user chose a file, its path then in fileBuffer.
bool showFileDialog(bool save, HWND owner, const char* title, const char* initialFolder, const char* pattern,
                    DWORD flags, char* fileBuffer, std::size_t capacity);

// Adds the dropped paths to the target list (the list's WM_DROPFILES).
void dropOnTargetList(HWND list, HDROP drop);

}  // namespace obel
