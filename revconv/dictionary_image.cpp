// The portable part of dictionary images: their names, their checksum and their writing.
#include "revconv/dictionary_image.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <random>

#include "revconv/cache_file.h"

namespace obel {

bool programStamp(FileStamp& stamp) {
  char path[4096];
  return platformFileOps().modulePath(path, sizeof path) && fileStamp(path, stamp);
}

std::string imagePathFor(const std::string& folder, std::string_view sourcePath) {
  std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (const char c : sourcePath) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.dic", static_cast<unsigned long long>(h));
  return folder + name;
}

bool replaceFileWith(const std::string& path, std::string_view bytes) {
  FileOps& ops = platformFileOps();
  std::random_device random;
  for (int attempt = 0; attempt < 8; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    const std::string temporary = path + suffix;
    FileOps::Handle file = ops.createNew(temporary.c_str());
    if (!file) continue;  // taken by another run, or no folder to write in
    bool whole = true;
    for (std::size_t done = 0; whole && done < bytes.size();) {
      const auto part = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      whole = ops.write(file, bytes.data() + done, part) == part;
      done += part;
    }
    ops.close(file);
    if (whole && ops.replaceFile(temporary.c_str(), path.c_str())) return true;
    ops.deleteFile(temporary.c_str());
    return false;
  }
  return false;
}

std::uint64_t imageChecksum(std::string_view bytes) {
  // four lanes, so that the multiplications do not wait for one another
  std::uint64_t lane[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
  const std::size_t words = bytes.size() / 8;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t v;
    std::memcpy(&v, bytes.data() + 8 * w, 8);
    std::uint64_t& h = lane[w & 3];
    h = (h ^ v) * 0x100000001B3ull;
    h ^= h >> 29;
  }
  // each lane's step is one-to-one, and so is this joining of them
  return words ^ lane[0] ^ std::rotl(lane[1], 16) ^ std::rotl(lane[2], 32) ^ std::rotl(lane[3], 48);
}

}  // namespace obel
