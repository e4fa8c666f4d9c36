#pragma once
// The font of the key, ruby and okurigana columns of both result lists.
#include <windows.h>

namespace obel {

// May be null: the columns are then drawn in the list's own font.
namespace process {
extern HFONT listFont;
}  // namespace process

// Creates the list font with the face and the fontSize setting as its height; on success it
// replaces (and deletes) the previous one. On failure process::listFont is left as it was.
bool createListFont(const char* faceName);

// Deletes process::listFont (at exit).
void deleteListFont();

}  // namespace obel
