// Encoding of cached readings and the ring of entries.
#include "revconv/cache.h"

#include <cstring>

#include "engine/sjis.h"

namespace obel {

ReverseConversionCache& process::revConvCache() {
  static ReverseConversionCache* cache = new ReverseConversionCache{};
  return *cache;
}

void clearCache(ReverseConversionCache& cache) { std::memset(&cache, 0, sizeof cache); }

bool encodeReading(const char* key, const char* ruby, const char* okurigana, CodeWords& words) {
  if (std::strlen(key) > 8) return false;
  std::uint32_t word[2] = {0, 0};
  int current = 0;
  std::uint32_t accumulator = 0;
  int charactersLeft = 10;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(ruby);
  const unsigned char* pending = reinterpret_cast<const unsigned char*>(okurigana);
  for (;;) {
    accumulator *= 84;
    if (p[0] == 0) {
      if (pending != nullptr) {
        p = pending;
        pending = nullptr;
        continue;
      }
      word[current] = accumulator;
      break;
    }
    if (p[1] == 0) return false;  // a single byte is no hiragana
    const unsigned code = p[0] * 256u + p[1];
    if (!isHiragana(code)) return false;
    const std::uint32_t digit = code - FirstHiragana;
    accumulator += digit + 1;
    p += 2;
    if (charactersLeft == 5) {
      word[0] = accumulator;
      accumulator = 0;
      charactersLeft = 4;
      current = 1;
      continue;
    }
    if (--charactersLeft != 0) continue;
    // a reading checked with its okurigana keeps room for it, even an empty one, so that it
    // never shares a code with the same reading checked alone
    if (p[0] != 0 || pending != nullptr) return false;
    word[1] = accumulator;
    break;
  }
  words.w0 = word[0];
  words.w1 = word[1];
  return true;
}

bool encodeReading(const ResultStore& s, const RubyItem& item, bool withOkurigana, CodeWords& words) {
  return encodeReading(text(s, item.keyId), text(s, item.rubyId),
                       withOkurigana ? text(s, item.okuriganaId) : nullptr, words);
}

namespace {

void makePrefix(const char* key, char prefix[8]) {
  std::memset(prefix, 0, 8);
  for (int i = 0; i < 8 && key[i] != 0; ++i) prefix[i] = key[i];
}

}  // namespace

bool cacheLookup(const ReverseConversionCache& cache, const char* key, std::uint32_t okuriLength,
                 const CodeWords& words, int& verdict) {
  char prefix[8];
  makePrefix(key, prefix);
  for (std::uint32_t slot = 0; slot < CacheSlots; ++slot) {
    if (cache.codeWord0[slot] != words.w0) continue;
    if (cache.codeWord1[slot] == words.w1 && (cache.slotInfo[slot] & 0x7F) == okuriLength &&
        std::memcmp(cache.keyPrefix[slot], prefix, 8) == 0) {
      verdict = cache.slotInfo[slot] >> 7;
      return true;
    }
  }
  return false;
}

void cacheRecord(ReverseConversionCache& cache, const char* key, std::uint32_t okuriLength,
                 const CodeWords& words, int verdict) {
  // nextSlot is kept below 65536 by loadCache; the mask guards the table all the same.
  const std::uint32_t slot = cache.nextSlot % CacheSlots;
  cache.codeWord0[slot] = words.w0;
  cache.codeWord1[slot] = words.w1;
  makePrefix(key, cache.keyPrefix[slot]);
  cache.slotInfo[slot] = static_cast<std::uint8_t>((okuriLength & 0x7F) | (verdict ? 0x80 : 0));
  cache.nextSlot = (slot + 1) % CacheSlots;
}

}  // namespace obel
