#include "app/editor_command.h"

#include <cstdio>
#include <cstring>

namespace obel {

namespace {

// Appends text to out, keeping room for the NUL; false when it did not fit whole.
bool append(char* out, std::size_t size, std::size_t& used, const char* text, std::size_t length) {
  bool whole = true;
  if (used + length >= size) {
    length = size - 1 - used;
    whole = false;
  }
  std::memcpy(out + used, text, length);
  used += length;
  out[used] = '\0';
  return whole;
}

bool appendNumber(char* out, std::size_t size, std::size_t& used, int value) {
  char digits[16];
  int length = std::snprintf(digits, sizeof digits, "%d", value);
  return append(out, size, used, digits, static_cast<std::size_t>(length));
}

}  // namespace

bool buildEditorCommandLine(const char* editorPath, const char* argumentTemplate, const char* filePath,
                            int line, int column, char* out, std::size_t size) {
  if (size == 0) return false;
  std::size_t used = 0;
  out[0] = '\0';
  bool whole = append(out, size, used, "\"", 1);
  whole &= append(out, size, used, editorPath, std::strlen(editorPath));
  whole &= append(out, size, used, "\" ", 2);
  const char* p = argumentTemplate;
  for (;;) {
    const char* percent = std::strchr(p, '%');
    if (!percent) break;
    whole &= append(out, size, used, p, static_cast<std::size_t>(percent - p));
    switch (percent[1]) {
      case 'F':
        whole &= append(out, size, used, filePath, std::strlen(filePath));
        p = percent + 2;
        break;
      case 'L':
        whole &= appendNumber(out, size, used, line);
        p = percent + 2;
        break;
      case 'C':
        whole &= appendNumber(out, size, used, column);
        p = percent + 2;
        break;
      case '%':
        whole &= append(out, size, used, "%", 1);
        p = percent + 2;
        break;
      default:  // the end of the template too: the % stands, the next byte is ordinary text
        whole &= append(out, size, used, "%", 1);
        p = percent + 1;
        break;
    }
  }
  whole &= append(out, size, used, p, std::strlen(p));
  return whole;
}

}  // namespace obel
