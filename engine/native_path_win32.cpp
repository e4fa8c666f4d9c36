#include <windows.h>

#include <string>

#include "engine/native_path.h"

namespace obel {

// On Windows the store's paths are the file system's own (ANSI, code page 932).
bool toNativePath(const char* cp932Path, std::string& native) {
  native = cp932Path;
  return true;
}

// A path typed on a command line may separate with '/', which the file system accepts but the
// walk does not (it takes the name after the last backslash); 0x2F is never a trail byte.
bool fromNativePath(const char* native, std::string& cp932Path) {
  cp932Path = native;
  for (char& c : cp932Path)
    if (c == '/') c = '\\';
  return true;
}

static std::string recode(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return {};
  const int wide = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), w.data(), wide);
  const int bytes = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(to, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string utf8ToCp932(const std::string& utf8) { return recode(utf8, CP_UTF8, 932); }
std::string cp932ToUtf8(const std::string& cp932) { return recode(cp932, 932, CP_UTF8); }

}  // namespace obel
