// The cache file's parser over the bytes of a file in memory. A file it takes must come back
// byte for byte when written, and its table must keep working; one it refuses must leave the
// table empty.
//
// The input is small and describes the file: its first byte the length (the layout's size
// and a few bytes either side, or only the rest of the input), the rest patches laid over a
// file of zero bytes, each a 24-bit offset, a count and that many bytes. So every run parses a
// whole file of the layout's size without libFuzzer copying and mutating a megabyte.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "revconv/cache_file.h"

using namespace obel;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

struct Patch {
  std::size_t at, bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr std::size_t Slack = 8;
  static std::vector<char> file(CacheFileBytes + Slack, '\0');
  static std::vector<char> written(CacheFileBytes);
  static ReverseConversionCache* cache = new ReverseConversionCache{};
  static const ReverseConversionCache* empty = new ReverseConversionCache{};

  const std::uint8_t lengthChoice = data[0];
  const std::size_t length =
      lengthChoice == 0xFF ? std::min(size - 1, file.size()) : CacheFileBytes + lengthChoice % (2 * Slack + 1) - Slack;
  std::vector<Patch> patches;
  if (lengthChoice == 0xFF) {
    std::memcpy(file.data(), data + 1, length);
    patches.push_back({0, length});
  } else {
    for (std::size_t p = 1; p + 4 <= size;) {
      const std::size_t at = (data[p] | data[p + 1] << 8 | data[p + 2] << 16) % length;
      const std::size_t bytes = std::min({std::size_t{data[p + 3]}, size - (p + 4), length - at});
      std::memcpy(file.data() + at, data + p + 4, bytes);
      patches.push_back({at, bytes});
      p += 4 + bytes;
    }
  }
  const std::string_view bytes(file.data(), length);

  if (!readCacheBytes(bytes, *cache)) {
    require(std::memcmp(cache, empty, sizeof *cache) == 0);
  } else {
    require(length == CacheFileBytes && cache->nextSlot < CacheSlots);
    writeCacheBytes(*cache, written.data());
    require(std::memcmp(written.data(), file.data(), CacheFileBytes) == 0);
    // The loaded table takes a new entry at its write position and finds it there (the scan
    // stops at the first match, which lies at or before that slot).
    const char key[] = "\x90\xb6";            // 生 (CP932 bytes: this tree's literals are UTF-8)
    const char reading[] = "\x82\xc8\x82\xdc";  // なま
    CodeWords words;
    require(encodeReading(key, reading, "", words));
    const std::uint32_t slot = cache->nextSlot;
    cacheRecord(*cache, key, 0, words, 1);
    require(cache->nextSlot == (slot + 1) % CacheSlots);
    int verdict = -1;
    require(cacheLookup(*cache, key, 0, words, verdict));
  }
  for (const Patch& p : patches) std::memset(file.data() + p.at, 0, p.bytes);
  return 0;
}
