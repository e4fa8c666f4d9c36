// The cache file loader over a file of any size and bytes. A file it takes must come back
// byte for byte when saved, and its table must keep working; one it refuses must leave the
// table empty.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "revconv/cache_file.h"

using namespace obel;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// One file "ObelCache.dat" in memory, beside a program at /fuzz/obel.
class MemoryFileOps : public FileOps {
 public:
  MemoryFileOps(const std::uint8_t* data, std::size_t size) : input_(reinterpret_cast<const char*>(data), size) {
    output_.reserve(CacheFileBytes);
  }

  bool modulePath(char* path, std::uint32_t capacity) override {
    std::strncpy(path, "/fuzz/obel", capacity);
    return true;
  }
  Handle openForReading(const char* path) override {
    require(std::strcmp(path, "/fuzz/ObelCache.dat") == 0);
    position_ = 0;
    return this;
  }
  Handle createNew(const char*) override {
    output_.clear();
    return &output_;
  }
  std::uint32_t read(Handle file, void* buffer, std::uint32_t bytes) override {
    require(file == this);
    const std::uint32_t n = static_cast<std::uint32_t>(std::min<std::size_t>(bytes, input_.size() - position_));
    std::memcpy(buffer, input_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::uint32_t write(Handle file, const void* buffer, std::uint32_t bytes) override {
    require(file == &output_);
    output_.append(static_cast<const char*>(buffer), bytes);
    return bytes;
  }
  void close(Handle) override {}
  bool copyFile(const char*, const char*) override { return true; }
  bool deleteFile(const char*) override { return true; }
  LocalTime localTime() override { return {1, 2, 3, 4, 5}; }

  std::string_view input() const { return input_; }
  std::string_view output() const { return output_; }

 private:
  std::string_view input_;
  std::string output_;
  std::size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ReverseConversionCache* cache = new ReverseConversionCache{};
  std::memset(cache, 0x5A, sizeof *cache);  // whatever an earlier run left
  MemoryFileOps ops(data, size);
  if (!loadCache(ops, *cache)) {
    static const ReverseConversionCache* empty = new ReverseConversionCache{};
    require(std::memcmp(cache, empty, sizeof *cache) == 0);
    return 0;
  }
  require(ops.input().size() == CacheFileBytes && cache->nextSlot < CacheSlots);
  require(saveCache(ops, *cache) && ops.output() == ops.input());
  // The loaded table answers look-ups and takes new entries at its write position.
  const char key[] = "\x90\xb6";            // 生 (CP932 bytes: this tree's literals are UTF-8)
  const char reading[] = "\x82\xc8\x82\xdc";  // なま
  CodeWords words;
  require(encodeReading(key, reading, "", words));
  int verdict = -1;
  cacheLookup(*cache, key, 0, words, verdict);
  const std::uint32_t slot = cache->nextSlot;
  cacheRecord(*cache, key, 0, words, 1);
  require(cache->nextSlot == (slot + 1) % CacheSlots);
  require(cacheLookup(*cache, key, 0, words, verdict));
  return 0;
}
