#pragma once
// POSIX boundary of the store's paths: the store holds CP932 text with backslash separators;
// the file system holds the locale's encoding (UTF-8) with slashes.
#include <string>

namespace obel {

// CP932 path with backslashes to a native path; false when it cannot be converted.
bool toNativePath(const char* cp932Path, std::string& native);
// Native path or name to CP932 with slashes as backslashes; false when CP932 cannot hold it.
bool fromNativePath(const char* native, std::string& cp932Path);
// Best-effort UTF-8 to CP932 for messages (unconvertible bytes become '?').
std::string utf8ToCp932(const std::string& utf8);
// Best-effort CP932 to UTF-8 for messages (unconvertible bytes become '?').
std::string cp932ToUtf8(const std::string& cp932);

}  // namespace obel
