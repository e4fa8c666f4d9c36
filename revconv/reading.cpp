// Normalisation of readings and the verdict tests of one item.
#include "revconv/reading.h"

#include <algorithm>
#include <cstring>

#include "engine/sjis.h"
#include "revconv/cache.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"
#include "settings/settings.h"

namespace obel {

namespace {

// Full-width CP932 codes of the printable ASCII bytes 0x20-0x7E.
constexpr std::uint16_t AsciiTable[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,  // space ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0-7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A-G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H-O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P-W
    0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x8165, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a-g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h-o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p-w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// Full-width counterparts of the half-width katakana bytes 0xA1-0xDF.
constexpr std::uint16_t KatakanaTable[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // 。「」、・ヲァィ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ゥェォャュョッー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // アイウエオカキク
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ケコサシスセソタ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // チツテトナニヌネ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ノハヒフヘホマミ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ムメモヤユヨラリ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ルレロワン゛゜
};

// Voiced forms of ｶ-ﾄ (0xB6-0xC4) and of ﾊ-ﾎ (0xCA-0xCE).
constexpr std::uint16_t VoicedKaToTo[15] = {
    0x834B, 0x834D, 0x834F, 0x8351, 0x8353,  // ガギグゲゴ
    0x8355, 0x8357, 0x8359, 0x835B, 0x835D,  // ザジズゼゾ
    0x835F, 0x8361, 0x8364, 0x8366, 0x8368,  // ダヂヅデド
};
constexpr std::uint16_t VoicedHaToHo[5] = {0x836F, 0x8372, 0x8375, 0x8378, 0x837B};      // バビブベボ
constexpr std::uint16_t SemiVoicedHaToHo[5] = {0x8370, 0x8373, 0x8376, 0x8379, 0x837C};  // パピプペポ

void putCode(char*& out, std::uint16_t code) {
  *out++ = static_cast<char>(code >> 8);
  *out++ = static_cast<char>(code & 0xFF);
}

// The full-width code of the half-width katakana at src, folding a following sound mark in;
// consumed receives 1 or 2.
std::uint16_t widenKatakana(const unsigned char* src, int& consumed) {
  const unsigned char b = src[0];
  const unsigned char next = src[1];
  consumed = 2;
  if (next == 0xDE && b >= 0xB6 && b <= 0xC4) return VoicedKaToTo[b - 0xB6];
  if (next == 0xDE && b >= 0xCA && b <= 0xCE) return VoicedHaToHo[b - 0xCA];
  if (next == 0xDF && b >= 0xCA && b <= 0xCE) return SemiVoicedHaToHo[b - 0xCA];
  consumed = 1;
  return KatakanaTable[b - 0xA1];
}

// True when a query text of this many bytes, put in the query area, leaves room behind its
// NUL for a list of at least one short reading.
bool leavesRoomForList(std::size_t queryBytes) { return queryBytes + 1 + 4 <= QueryAreaBytes; }

bool isCp932DoubleByte(unsigned char first, unsigned char second) {
  const bool lead = isLeadByte(first);
  const bool trail = (second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFC);
  return lead && trail;
}

}  // namespace

void widenHalfWidth(const char* src, char* dst, std::uint32_t capacity) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(src);
  char* out = dst;
  while (*in != 0 && capacity > 1) {
    const unsigned char b = *in;
    if (b < 0x20 || b == 0x7F) {
      *out++ = static_cast<char>(b);
      ++in;
      --capacity;
      continue;
    }
    if (capacity < 3) break;  // a two-byte character would leave no room for the NUL
    if (b <= 0x7E) {
      putCode(out, AsciiTable[b - 0x20]);
      ++in;
    } else if (b >= 0xA1 && b <= 0xDF) {
      int consumed = 1;
      putCode(out, widenKatakana(in, consumed));
      in += consumed;
    } else {
      // A double-byte character; a lead byte right before the NUL is copied with the NUL's
      // place kept for the terminator.
      *out++ = static_cast<char>(b);
      if (in[1] == 0) {
        ++in;
        --capacity;
        break;
      }
      *out++ = static_cast<char>(in[1]);
      in += 2;
    }
    capacity -= 2;
  }
  *out = 0;
}

void katakanaToHiragana(char* text) {
  unsigned char* p = reinterpret_cast<unsigned char*>(text);
  while (*p != 0) {
    if (p[1] == 0) break;  // a single byte before the NUL has no partner
    const unsigned v = p[0] * 256u + p[1];
    const unsigned replacement = toHiragana(v);
    if (replacement != v) {
      p[0] = static_cast<unsigned char>(replacement >> 8);
      p[1] = static_cast<unsigned char>(replacement & 0xFF);
      p += 2;
    } else {
      p += isCp932DoubleByte(p[0], p[1]) ? 2 : 1;
    }
  }
}

std::uint32_t storeCandidates(const std::vector<std::u16string>& answer, char* out,
                              std::uint32_t capacity, std::uint32_t maxCount) {
  out[0] = 0;
  char* position = out;
  std::uint32_t left = capacity;
  std::uint32_t count = 0;
  for (std::size_t i = 0; i < answer.size() && count < maxCount && left > 3; ++i) {
    const std::string reading = utf16ToCp932(answer[i].c_str());
    // One byte stays reserved for the list's closing NUL.
    widenHalfWidth(reading.c_str(), position, left - 1);
    katakanaToHiragana(position);
    const std::uint32_t length = static_cast<std::uint32_t>(std::strlen(position));
    position += length + 1;
    left -= length + 1;
    ++count;
  }
  *position = 0;
  return count;
}

void parseCandidateList(const unsigned char* buffer, std::uint32_t size, std::vector<std::u16string>& out) {
  constexpr std::uint32_t Header = 24;  // six 32-bit fields before the offsets
  if (size < Header) return;
  std::uint32_t count = 0;
  std::memcpy(&count, buffer + 8, 4);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t at = Header + 4ull * i;
    if (at + 4 > size) break;
    std::uint32_t offset = 0;
    std::memcpy(&offset, buffer + at, 4);
    if (offset < Header || offset >= size) break;
    std::u16string reading;
    std::uint32_t p = offset;
    for (; p + 1 < size; p += 2) {
      char16_t unit;
      std::memcpy(&unit, buffer + p, 2);
      if (unit == 0) break;
      reading.push_back(unit);
    }
    if (p + 1 >= size) break;  // no NUL inside the answer
    out.push_back(std::move(reading));
  }
}

std::uint32_t getReverseConversions(const ReadingSource& source, const char* text, char* out,
                                    std::uint32_t capacity, std::uint32_t maxCount) {
  out[0] = 0;
  if (source.provider == nullptr) return 0;
  std::vector<std::u16string> answer;
  source.provider->readings(source.context, source.layout, cp932ToUtf16(text), answer);
  if (answer.empty()) return 0;
  return storeCandidates(answer, out, capacity, maxCount);
}

void addCountedReading(std::vector<CountedReading>& out, std::u16string_view reading, std::uint32_t books) {
  for (CountedReading& known : out) {
    if (known.reading == reading) {
      known.books = std::max(known.books, books);
      return;
    }
  }
  out.push_back({std::u16string(reading), books});
}

bool writesWithoutSmallKana(std::uint32_t rubies, std::uint32_t smallKanaRubies) {
  constexpr std::uint32_t StrayPerHundred = 1;
  return rubies > 0 && smallKanaRubies * 100ull <= StrayPerHundred * static_cast<unsigned long long>(rubies);
}

bool inBookWithoutSmallKana(const RubyItem& item) {
  return item.file != nullptr && writesWithoutSmallKana(item.file->itemCount, item.file->smallKanaRubies);
}

std::uint32_t composedBit(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  if (source.kanji == nullptr) return 0;
  const char* key = text(s, item.keyId);
  const char* ruby = text(s, item.rubyId);
  const unsigned rules = DefaultComposeRules | (inBookWithoutSmallKana(item) ? WithoutSmallKanaRules : 0);
  if (isKatakanaGloss(key, ruby) || source.kanji->composes(key, ruby, rules)) return RevConvComposed;
  return 0;
}

const KanjiReadings* composedReadings(const KanjiReadings& loaded) {
  return process::settings().composedReadings ? &loaded : nullptr;
}

namespace {
ReadingMatch matchOf(int cachedVerdict) { return cachedVerdict == 1 ? ReadingMatch::Found : ReadingMatch::NotFound; }
}  // namespace

ReadingMatch matchKeyAlone(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const bool useCache = process::settings().useRevConvCache != 0;
  CodeWords words;
  const bool encodable = useCache && encodeReading(s, item, false, words);
  if (encodable) {
    int verdict = 0;
    if (cacheLookup(process::revConvCache(), text(s, item.keyId), 0, words, verdict)) return matchOf(verdict);
  }
  char area[QueryAreaBytes];
  const char* key = text(s, item.keyId);
  const char* ruby = text(s, item.rubyId);
  const std::size_t rubyLength = std::strlen(ruby);
  int verdict = 0;
  // A key that would leave no room for a list, were it in the area, is asked nothing, as with
  // okurigana below (no real key is a hundredth as long); a ruby longer than a list can hold
  // matches no reading.
  if (leavesRoomForList(std::strlen(key)) && rubyLength + 2 <= QueryAreaBytes) {
    getReverseConversions(source, key, area, QueryAreaBytes, MaxReadings);
    for (const char* reading = area; *reading != 0; reading += std::strlen(reading) + 1) {
      if (std::strlen(reading) == rubyLength && std::memcmp(reading, ruby, rubyLength) == 0) {
        verdict = 1;
        break;
      }
    }
  }
  if (encodable) cacheRecord(process::revConvCache(), text(s, item.keyId), 0, words, verdict);
  return matchOf(verdict);
}

ReadingMatch matchWithOkurigana(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const char* key = text(s, item.keyId);
  const char* ruby = text(s, item.rubyId);
  const char* okurigana = text(s, item.okuriganaId);
  const std::size_t okuriLength = std::strlen(okurigana);
  const std::size_t rubyLength = std::strlen(ruby);
  const bool useCache = process::settings().useRevConvCache != 0;
  CodeWords words;
  const bool encodable = useCache && encodeReading(s, item, true, words);
  if (encodable) {
    int verdict = 0;
    if (cacheLookup(process::revConvCache(), key, okuriLength, words, verdict)) return matchOf(verdict);
  }
  char area[QueryAreaBytes];
  const std::size_t keyLength = std::strlen(key);
  int verdict = 0;
  // Key and okurigana come from the store (each at most a line long): a query text that
  // leaves no room for a list is asked nothing and confirms nothing.
  if (leavesRoomForList(keyLength + okuriLength)) {
    std::memcpy(area, key, keyLength);
    std::memcpy(area + keyLength, okurigana, okuriLength + 1);
    const std::uint32_t queryBytes = static_cast<std::uint32_t>(keyLength + okuriLength + 1);
    char* list = area + queryBytes;
    getReverseConversions(source, area, list, QueryAreaBytes - queryBytes, MaxReadings);
    for (const char* reading = list; *reading != 0; reading += std::strlen(reading) + 1) {
      if (std::strlen(reading) == rubyLength + okuriLength &&
          std::memcmp(reading, ruby, rubyLength) == 0) {
        verdict = 1;
        break;
      }
    }
  }
  if (encodable) cacheRecord(process::revConvCache(), key, okuriLength, words, verdict);
  return matchOf(verdict);
}

namespace {

// The reading as a list of candidates holds it: CP932, widened, in hiragana.
std::string candidateForm(std::u16string_view reading) {
  const std::string bytes = utf16ToCp932(std::u16string(reading).c_str());
  std::string form(2 * bytes.size() + 1, '\0');
  widenHalfWidth(bytes.c_str(), form.data(), static_cast<std::uint32_t>(form.size()));
  katakanaToHiragana(form.data());
  form.resize(std::strlen(form.c_str()));
  return form;
}

// Bytes a reading of that many characters may take in a list: two a character, and its NUL.
constexpr std::size_t listBytes(std::size_t chars) { return 2 * chars + 1; }
// The longest okurigana the key's entries answer for. Each question counts what its own list
// would hold (KeyFacts::okuriListBytes), and asks the dictionaries where that might not fit
// (MaxReadings of them in QueryAreaBytes).
constexpr std::size_t LongestKnownChars = 32;

// Whether the reading as a list holds it (candidateForm) is the text; a reading of hiragana alone,
// the most of them, is compared where it is.
bool readsAs(std::u16string_view reading, std::string_view text) {
  if (!std::all_of(reading.begin(), reading.end(), [](char16_t c) { return isHiraganaUtf16(c); }))
    return candidateForm(reading) == text;
  if (text.size() != 2 * reading.size()) return false;
  for (std::size_t i = 0; i < reading.size(); ++i) {
    const unsigned code = hiraganaOfUtf16(reading[i]);
    if (static_cast<unsigned char>(text[2 * i]) != code >> 8 || static_cast<unsigned char>(text[2 * i + 1]) != (code & 0xFF))
      return false;
  }
  return true;
}

}  // namespace

bool askKeyFacts(const ResultStore& s, const ReadingSource& source, const RubyItem& item, KeyFacts& facts) {
  if (source.provider == nullptr || process::settings().useRevConvCache != 0) return false;
  return askKeyFacts(s, source, item, cp932ToUtf16(text(s, item.keyId)), facts);
}

bool askKeyFacts(const ResultStore& s, const ReadingSource& source, const RubyItem& item, const std::u16string& key16,
                 KeyFacts& facts) {
  if (source.provider == nullptr || process::settings().useRevConvCache != 0) return false;
  const char* key = text(s, item.keyId);
  const std::string_view ruby = text(s, item.rubyId);
  // A key ending in hiragana is also read through okuri-ari entries of its beginning.
  if (key16.empty() || isHiraganaUtf16(key16.back()) || !leavesRoomForList(std::strlen(key))) return false;
  thread_local std::vector<KeyEntry> entries;  // kept for the next key: most have a few
  entries.clear();
  bool kanaFollows = false;
  if (!source.provider->keyEntries(key16, entries, kanaFollows)) return false;
  KeyFacts found;
  found.kanaFollows = kanaFollows;
  found.keyUnits = key16.size();
  std::size_t readings = 0;
  std::size_t bytes = 0;
  std::size_t okuriEntries = 0;
  std::size_t okuriBytes = 0;
  for (const KeyEntry& e : entries) {
    if (e.books > 0) addCountedReading(found.counted, e.reading, e.books);
    if (e.okuriLetter == 0) {
      ++readings;
      bytes += listBytes(e.reading.size());
      if (found.keyAlone == ReadingMatch::NotFound && readsAs(e.reading, ruby)) found.keyAlone = ReadingMatch::Found;
    } else {
      ++okuriEntries;
      okuriBytes += listBytes(e.reading.size());
      if (e.okuriLetter >= 'a' && e.okuriLetter <= 'z' && readsAs(e.reading, ruby))
        found.okuriLetters |= 1u << (e.okuriLetter - 'a');
    }
  }
  // the key alone's list holds every reading of its okuri-nasi entries
  if (readings >= MaxReadings || bytes + 8 >= QueryAreaBytes || ruby.size() + 2 > QueryAreaBytes) return false;
  found.okuriKnown = okuriEntries <= MostKnownOkuriEntries && okuriBytes <= KnownOkuriBytes;
  if (found.okuriKnown) {
    found.okuriEntries = okuriEntries;
    found.okuriBytes = okuriBytes;
  }
  facts = std::move(found);
  return true;
}

namespace {

// Whether a list holds that many readings of that many bytes in all.
constexpr bool listHolds(std::size_t readings, std::size_t bytes) {
  return readings < MaxReadings && bytes + 4 <= QueryAreaBytes;
}

// What the key's okuri-ari entries say of key + okurigana: whether one reads it as ruby +
// okurigana (found), the okurigana in UTF-16, and the bytes of the question's list with the
// key's readings in it. False where they cannot stand for the key's look-up: an okurigana not of
// hiragana alone, or too long for the list to hold them.
struct ByKey {
  bool found = false;
  std::u16string okurigana16;
  std::size_t bytes = 0;
};
bool answerOfKeyEntries(const ResultStore& s, const RubyItem& item, const KeyFacts& facts, ByKey& by) {
  if (!facts.okuriKnown || process::settings().useRevConvCache != 0) return false;
  const char* okurigana = text(s, item.okuriganaId);
  const std::size_t okuriganaBytes = std::strlen(okurigana);
  // The okurigana in UTF-16, from its hiragana alone (two bytes each).
  for (std::size_t i = 0; i + 1 < okuriganaBytes && by.okurigana16.size() <= LongestKnownChars; i += 2) {
    const unsigned code = static_cast<unsigned char>(okurigana[i]) << 8 | static_cast<unsigned char>(okurigana[i + 1]);
    if (!isHiragana(code)) break;
    by.okurigana16.push_back(utf16OfHiragana(code));
  }
  const std::size_t queryBytes = std::strlen(text(s, item.keyId)) + okuriganaBytes + 1;
  if (by.okurigana16.empty() || 2 * by.okurigana16.size() != okuriganaBytes ||
      by.okurigana16.size() > LongestKnownChars || !leavesRoomForList(queryBytes))
    return false;
  // An entry of the key "ruby c" reads key + okurigana as ruby + okurigana when c may begin its first kana.
  for (const char* letter = okuriInitials(by.okurigana16[0]); *letter != 0; ++letter)
    by.found = by.found || (facts.okuriLetters >> (*letter - 'a') & 1) != 0;
  // the list the question fills holds every reading, the key's okuri-ari ones first
  by.bytes = queryBytes + facts.okuriListBytes(by.okurigana16.size()) + 1;
  return listHolds(facts.okuriEntries, by.bytes);
}

}  // namespace

bool okuriganaAnswerOfKey(const ResultStore& s, const RubyItem& item, const KeyFacts& facts, ReadingMatch& match) {
  ByKey by;
  if (facts.kanaFollows || !answerOfKeyEntries(s, item, facts, by)) return false;
  match = by.found ? ReadingMatch::Found : ReadingMatch::NotFound;
  return true;
}

ReadingMatch matchWithOkurigana(const ResultStore& s, const ReadingSource& source, const RubyItem& item,
                                const KeyFacts& facts) {
  ByKey by;
  if (!answerOfKeyEntries(s, item, facts, by)) return matchWithOkurigana(s, source, item);
  // no other entry reads the text
  if (!facts.kanaFollows) return by.found ? ReadingMatch::Found : ReadingMatch::NotFound;
  const char* key = text(s, item.keyId);
  const std::u16string key16 = cp932ToUtf16(key);
  std::vector<std::u16string> past;
  if (!source.provider->readingsPastKey(key16 + by.okurigana16, key16.size(), past)) return matchWithOkurigana(s, source, item);
  for (const std::u16string& reading : past) by.bytes += listBytes(reading.size());
  if (!listHolds(past.size() + facts.okuriEntries, by.bytes)) return matchWithOkurigana(s, source, item);
  if (by.found) return ReadingMatch::Found;
  const std::string_view ruby = text(s, item.rubyId);
  const std::size_t okuriganaBytes = 2 * by.okurigana16.size();
  for (const std::u16string& reading : past) {
    const std::string form = candidateForm(reading);
    if (form.size() == ruby.size() + okuriganaBytes && form.compare(0, ruby.size(), ruby) == 0) return ReadingMatch::Found;
  }
  return ReadingMatch::NotFound;
}

}  // namespace obel
