#include "app/dialog_text.h"

#include <cstring>

#include "engine/sjis.h"

namespace obel {

namespace {

// Width in bytes of the character starting at text: a lead byte takes the next byte with it,
// unless that is the NUL.
std::size_t characterWidth(const char* text) {
  if (isLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0') return 2;
  return 1;
}

}  // namespace

void clampToArea(const Area& area, int& x, int& y, int& width, int& height) {
  if (width > area.right - area.left) width = area.right - area.left;
  if (height > area.bottom - area.top) height = area.bottom - area.top;
  if (x < area.left) x = area.left;
  if (x > area.right - width) x = area.right - width;
  if (y < area.top) y = area.top;
  if (y > area.bottom - height) y = area.bottom - height;
}

void centeredPosition(const Area& window, const Area& reference, int& x, int& y) {
  x = window.left + (reference.left + reference.right) / 2 - (window.left + window.right) / 2;
  y = window.top + (reference.top + reference.bottom) / 2 - (window.top + window.bottom) / 2;
}

std::size_t bytesOfCharacters(const char* text, std::size_t characters) {
  std::size_t offset = 0;
  for (std::size_t i = 0; i < characters && text[offset] != '\0'; ++i) offset += characterWidth(text + offset);
  return offset;
}

std::size_t charactersOfBytes(const char* text, std::size_t bytes) {
  std::size_t offset = 0;
  std::size_t count = 0;
  while (offset < bytes && text[offset] != '\0') {
    offset += characterWidth(text + offset);
    ++count;
  }
  return count;
}

bool isTrailByteAt(const char* text, std::size_t offset) {
  std::size_t position = 0;
  while (position < offset && text[position] != '\0') {
    std::size_t width = characterWidth(text + position);
    if (position + width > offset) return true;  // offset lies inside this character
    position += width;
  }
  return false;
}

std::size_t limitTextBuffer(char* text, std::size_t length, std::size_t maximum, std::size_t caretBytes) {
  if (length <= maximum) return caretBytes;
  std::size_t caret = caretBytes > length ? length : caretBytes;
  std::size_t excess = length - maximum;
  if (caret < excess) {
    // The caret lies closer to the start than the excess: keep the first maximum bytes.
    std::size_t end = isTrailByteAt(text, maximum) ? maximum - 1 : maximum;
    text[end] = '\0';
    return 0;
  }
  std::size_t cut = caret - excess;
  if (cut > 0 && isTrailByteAt(text, cut)) --cut;
  std::memmove(text + cut, text + caret, length - caret + 1);
  return cut;
}

}  // namespace obel
