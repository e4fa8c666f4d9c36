#include "app/list_font.h"

#include <cstring>

#include "app/dialog_text.h"
#include "settings/settings.h"

namespace obel {

HFONT process::listFont = nullptr;

bool createListFont(const char* faceName) {
  LOGFONTA font{};
  font.lfHeight = process::settings().fontSize;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  // A face name longer than the font record holds is cut before a whole character.
  std::size_t length = std::strlen(faceName);
  if (length > LF_FACESIZE - 1) {
    length = LF_FACESIZE - 1;
    if (isTrailByteAt(faceName, length)) --length;
  }
  std::memcpy(font.lfFaceName, faceName, length);
  font.lfFaceName[length] = '\0';
  HFONT created = CreateFontIndirectA(&font);
  if (!created) return false;
  if (process::listFont) DeleteObject(process::listFont);
  process::listFont = created;
  return true;
}

void deleteListFont() {
  if (process::listFont) DeleteObject(process::listFont);
  process::listFont = nullptr;
}

}  // namespace obel
