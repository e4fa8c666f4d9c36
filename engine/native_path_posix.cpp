#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "engine/native_path.h"
#include "engine/sjis.h"

namespace obel {

namespace {

// Converts with iconv; on an unconvertible sequence either fails or, with replace, writes '?'
// and skips one byte.
bool convert(const char* from, const char* to, const std::string& in, std::string& out, bool replace) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char buffer[1024];
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  bool ok = true;
  while (left > 0) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      if (!replace) { ok = false; break; }
      out.push_back('?');
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

bool toNativePath(const char* cp932Path, std::string& native) {
  std::string slashed;
  for (std::size_t i = 0; cp932Path[i] != '\0'; ++i) {
    const unsigned char b = static_cast<unsigned char>(cp932Path[i]);
    if (isLeadByte(b) && cp932Path[i + 1] != '\0') {
      slashed.push_back(cp932Path[i]);
      slashed.push_back(cp932Path[++i]);
    } else {
      slashed.push_back(b == '\\' ? '/' : cp932Path[i]);
    }
  }
  return convert("CP932", "UTF-8", slashed, native, false);
}

bool fromNativePath(const char* native, std::string& cp932Path) {
  std::string converted;
  if (!convert("UTF-8", "CP932", native, converted, false)) return false;
  cp932Path.clear();
  for (std::size_t i = 0; i < converted.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(converted[i]);
    if (isLeadByte(b) && i + 1 < converted.size()) {
      cp932Path.push_back(converted[i]);
      cp932Path.push_back(converted[++i]);
    } else if (b == '\\') {
      return false;  // a backslash inside a POSIX name would read as a separator
    } else {
      cp932Path.push_back(b == '/' ? '\\' : converted[i]);
    }
  }
  return true;
}

std::string utf8ToCp932(const std::string& utf8) {
  std::string out;
  convert("UTF-8", "CP932", utf8, out, true);
  return out;
}

std::string cp932ToUtf8(const std::string& cp932) {
  std::string out;
  convert("CP932", "UTF-8", cp932, out, true);
  return out;
}

}  // namespace obel
