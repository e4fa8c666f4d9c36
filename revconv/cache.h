#pragma once
// The reverse-conversion cache: a ring of 65536 verdicts of earlier queries, kept between runs
// of the program in "ObelCache.dat" beside the executable (1114116 bytes, little-endian).
// Only items with a key of at most 8 bytes and a reading of at most ten hiragana are kept.
#include <cstdint>

#include "engine/store.h"

namespace obel {

constexpr std::uint32_t CacheSlots = 65536;
constexpr std::uint32_t CacheFileBytes = 4 + CacheSlots + 2 * 4 * CacheSlots + 8 * CacheSlots;

struct ReverseConversionCache {
  std::uint32_t nextSlot;
  std::uint8_t slotInfo[CacheSlots];  // bits 0-6 okurigana length, bit 7 the verdict
  // codeWord0 directly followed by codeWord1: the file holds them as one block.
  std::uint32_t codeWord0[CacheSlots];
  std::uint32_t codeWord1[CacheSlots];
  char keyPrefix[CacheSlots][8];
};

// The process-wide cache, all zero at start.
namespace process {
ReverseConversionCache& revConvCache();
}  // namespace process

struct CodeWords {
  std::uint32_t w0 = 0;
  std::uint32_t w1 = 0;
};

// The ruby string (followed by the okurigana when withOkurigana) as two base-84 code words;
// false when the key is longer than 8 bytes or the reading is not one of at most ten hiragana.
bool encodeReading(const char* key, const char* ruby, const char* okurigana, CodeWords& words);
bool encodeReading(const ResultStore& s, const RubyItem& item, bool withOkurigana, CodeWords& words);

// Finds the entry of (key, okurigana length, words); the first matching slot wins.
bool cacheLookup(const ReverseConversionCache& cache, const char* key, std::uint32_t okuriLength,
                 const CodeWords& words, int& verdict);
// Writes the entry at nextSlot, overwriting the oldest one, and moves nextSlot on.
void cacheRecord(ReverseConversionCache& cache, const char* key, std::uint32_t okuriLength,
                 const CodeWords& words, int verdict);

// Empties the table (nextSlot 0, every slot zero).
void clearCache(ReverseConversionCache& cache);

}  // namespace obel
