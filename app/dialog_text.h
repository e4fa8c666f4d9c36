#pragma once
// Arithmetic behind the dialog services: keeping a rectangle inside the work area, and
// holding a field's Shift-JIS text to a byte limit without splitting a double-byte character.
#include <cstddef>

namespace obel {

struct Area {
  int left, top, right, bottom;
};

// Shrinks the size to the area and moves the position into it, left and top edges first.
void clampToArea(const Area& area, int& x, int& y, int& width, int& height);

// Top-left corner that centres a window rectangle over a reference rectangle (integer
// division truncating toward zero, as the window placement arithmetic always did).
void centeredPosition(const Area& window, const Area& reference, int& x, int& y);

// Byte length of the first `characters` characters of text (stops at the NUL).
std::size_t bytesOfCharacters(const char* text, std::size_t characters);
// Number of characters in the first `bytes` bytes of text (a character cut at the end counts).
std::size_t charactersOfBytes(const char* text, std::size_t bytes);
// Whether the byte at offset is the second byte of a double-byte character.
bool isTrailByteAt(const char* text, std::size_t offset);

// Cuts text of length bytes to at most maximum bytes: the excess just before caretBytes goes
// (the text typed or pasted there), or, when the caret is too close to the start, the text is
// ended after maximum bytes. A double-byte character is removed whole. Returns the new caret
// position in bytes. Does nothing and returns caretBytes when the text is within the limit.
std::size_t limitTextBuffer(char* text, std::size_t length, std::size_t maximum, std::size_t caretBytes);

}  // namespace obel
