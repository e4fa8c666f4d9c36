// The cache file: four block transfers in file order, saved through a temporary file.
#include "revconv/cache_file.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/sjis.h"

namespace obel {

static_assert(std::endian::native == std::endian::little,
              "the cache file holds little-endian integers and is transferred as blocks");
static_assert(CacheFileBytes == 1114116);
static_assert(offsetof(ReverseConversionCache, codeWord1) ==
              offsetof(ReverseConversionCache, codeWord0) + 4 * CacheSlots);

namespace {

constexpr const char* CacheFileName = "ObelCache.dat";

struct Block {
  std::uint32_t offset;  // in the record
  std::uint32_t bytes;
};
constexpr Block Blocks[4] = {
    {offsetof(ReverseConversionCache, nextSlot), 4},
    {offsetof(ReverseConversionCache, slotInfo), CacheSlots},
    {offsetof(ReverseConversionCache, codeWord0), 8 * CacheSlots},
    {offsetof(ReverseConversionCache, keyPrefix), 8 * CacheSlots},
};

}  // namespace

bool pathBesideProgram(FileOps& ops, const char* name, char* out) {
  char module[PathBytes];
  if (!ops.modulePath(module, sizeof module)) return false;
  // A slash separates folders too (POSIX paths, and Windows accepts it); 0x2F is never a
  // trail byte, so a plain search finds it.
  std::ptrdiff_t cut = findLastBackslash(module);
  const char* slash = std::strrchr(module, '/');
  if (slash != nullptr && slash - module > cut) cut = slash - module;
  const std::size_t keep = static_cast<std::size_t>(cut + 1);  // 0 without any separator
  const std::size_t nameLength = std::strlen(name);
  if (keep + nameLength >= PathBytes) return false;
  std::memcpy(out, module, keep);
  std::memcpy(out + keep, name, nameLength + 1);
  return true;
}

std::uint32_t timeStamp(const LocalTime& t) {
  return (((((t.milliseconds * 64u + t.second) * 64u + t.minute) * 32u + t.hour) * 32u) + t.day);
}

FileOps::Handle createUniqueTempFile(FileOps& ops, const char* prefix, char* path) {
  char base[PathBytes];
  // Eight digits and ".tmp" follow the prefix.
  if (!pathBesideProgram(ops, prefix, base) || std::strlen(base) + 12 >= PathBytes) return nullptr;
  const std::uint32_t stamp = timeStamp(ops.localTime());
  for (std::uint32_t k = 0; k < 256; ++k) {
    std::snprintf(path, PathBytes, "%s%08x.tmp", base, static_cast<unsigned>(stamp + k));
    FileOps::Handle file = ops.createNew(path);
    if (file != nullptr) return file;
  }
  path[0] = 0;
  return nullptr;
}

bool readCacheBytes(std::string_view bytes, ReverseConversionCache& cache) {
  std::uint32_t nextSlot = CacheSlots;
  if (bytes.size() == CacheFileBytes) std::memcpy(&nextSlot, bytes.data(), sizeof nextSlot);
  if (nextSlot >= CacheSlots) {
    clearCache(cache);
    return false;
  }
  unsigned char* record = reinterpret_cast<unsigned char*>(&cache);
  std::size_t at = 0;
  for (const Block& block : Blocks) {
    std::memcpy(record + block.offset, bytes.data() + at, block.bytes);
    at += block.bytes;
  }
  return true;
}

void writeCacheBytes(const ReverseConversionCache& cache, char* out) {
  const unsigned char* record = reinterpret_cast<const unsigned char*>(&cache);
  for (const Block& block : Blocks) {
    std::memcpy(out, record + block.offset, block.bytes);
    out += block.bytes;
  }
}

bool loadCache(FileOps& ops, ReverseConversionCache& cache) {
  char path[PathBytes];
  FileOps::Handle file = pathBesideProgram(ops, CacheFileName, path) ? ops.openForReading(path) : nullptr;
  if (file == nullptr) {
    clearCache(cache);
    return false;
  }
  // One byte more than the layout, so that a longer file is told from a whole one.
  std::string bytes(CacheFileBytes + 1, '\0');
  bytes.resize(ops.read(file, bytes.data(), CacheFileBytes + 1));
  ops.close(file);
  return readCacheBytes(bytes, cache);
}

bool saveCache(FileOps& ops, const ReverseConversionCache& cache) {
  std::string bytes(CacheFileBytes, '\0');
  writeCacheBytes(cache, bytes.data());
  char temporary[PathBytes];
  FileOps::Handle file = createUniqueTempFile(ops, "Obel_", temporary);
  if (file == nullptr) return false;
  const bool written = ops.write(file, bytes.data(), CacheFileBytes) == CacheFileBytes;
  ops.close(file);
  // A short write (a full disk) must not replace a good cache file with a truncated one.
  char path[PathBytes];
  if (written && pathBesideProgram(ops, CacheFileName, path) && ops.replaceFile(temporary, path)) return true;
  ops.deleteFile(temporary);
  return false;
}

}  // namespace obel
