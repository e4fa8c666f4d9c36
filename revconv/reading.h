#pragma once
// Readings of a text and the two verdict tests on one item. A reading provider (the input
// method's reverse conversion, or a dictionary) answers in UTF-16; every reading is brought to
// one canonical form (full-width, hiragana, CP932) so that it compares byte for byte with a
// ruby string as the scanner stored it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store.h"
#include "revconv/kanji_readings.h"

namespace obel {

// A reading of a key with the number of books that give the key that reading (whatever the
// okurigana), as a dictionary of a library records it.
struct CountedReading {
  std::u16string reading;
  std::uint32_t books;
};

// An entry a dictionary holds for a candidate text: its reading (a view into the dictionary,
// valid as long as it is), the romaji letter of an okuri-ari line (0 for an okuri-nasi one) and
// the count of books its annotation gives (0 without one).
struct KeyEntry {
  std::u16string_view reading;
  char okuriLetter;
  std::uint32_t books;
};

// Given a UTF-16 text, the readings it knows for it in its own order (none is a valid answer).
// context and layout are whatever handles the provider needs (the input context and keyboard
// layout of the input method), or null.
class ReadingProvider {
 public:
  virtual ~ReadingProvider() = default;
  virtual void readings(void* context, void* layout, const std::u16string& text,
                        std::vector<std::u16string>& out) = 0;
  // The readings of the key that carry a count of books, each once with its largest count;
  // nothing from a provider without counts.
  virtual void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) {
    static_cast<void>(key);
    static_cast<void>(out);
  }
  // Every entry of the candidate text, in the order readings gives them, and in kanaFollows
  // whether some candidate may be the text followed by hiragana (true when unsure); false, with
  // out and kanaFollows as they were, from a provider that keeps no entries (an input method).
  virtual bool keyEntries(const std::u16string& key, std::vector<KeyEntry>& out, bool& kanaFollows) {
    static_cast<void>(key);
    static_cast<void>(out);
    static_cast<void>(kanaFollows);
    return false;
  }
  // Begins to fetch what keyEntries(key) reads first, so that the look-ups of several keys wait
  // for memory together.
  virtual void prefetchKeyEntries(const std::u16string& key) const { static_cast<void>(key); }
  // The readings of text without those of the okuri-ari entries of text[0, keyLength) itself,
  // in their order; false, with out as it was, from a provider that cannot leave them out.
  virtual bool readingsPastKey(const std::u16string& text, std::size_t keyLength, std::vector<std::u16string>& out) {
    static_cast<void>(text);
    static_cast<void>(keyLength);
    static_cast<void>(out);
    return false;
  }
};

// Adds the reading to out, or raises the count of the same reading already there.
void addCountedReading(std::vector<CountedReading>& out, std::u16string_view reading, std::uint32_t books);

// What a query needs: the provider and the handles handed to it.
struct ReadingSource {
  ReadingProvider* provider = nullptr;
  void* context = nullptr;
  void* layout = nullptr;
  // The single kanji's readings that judge what no reading confirms (a ？ instead of a ×); null
  // gives the two tests' marks only.
  const KanjiReadings* kanji = nullptr;
};

constexpr std::uint32_t QueryAreaBytes = 4096;
constexpr std::uint32_t MaxReadings = 256;

// Copies src to dst turning half-width characters into full-width ones; dst receives at most
// capacity bytes including its NUL (capacity of at least 1), and a double-byte character is
// never split.
void widenHalfWidth(const char* src, char* dst, std::uint32_t capacity);
// Katakana to hiragana in place (ヴ ヵ ヶ and the long vowel mark stay); the length is kept.
void katakanaToHiragana(char* text);

// The candidate list from the provider's answer: each reading as CP932, widened and in
// hiragana, NUL-terminated, in order, then one more NUL. At most maxCount readings, and the
// whole list never exceeds capacity bytes (capacity of at least 1). Returns the count stored.
std::uint32_t storeCandidates(const std::vector<std::u16string>& answer, char* out,
                              std::uint32_t capacity, std::uint32_t maxCount);

// The readings of an input method's answer in the CANDIDATELIST layout (size, style, count,
// selection, page start, page size, then one byte offset per candidate to a NUL-terminated
// UTF-16 string). Only the count and the offsets are read; a count or an offset that points
// outside the size bytes ends the list there.
void parseCandidateList(const unsigned char* buffer, std::uint32_t size, std::vector<std::u16string>& out);

// One query for the NUL-terminated CP932 text: the provider's readings as a candidate list.
std::uint32_t getReverseConversions(const ReadingSource& source, const char* text, char* out,
                                    std::uint32_t capacity, std::uint32_t maxCount);

// Whether a provider's readings hold the ruby (the cache keeps it as 1 or 0).
enum class ReadingMatch { NotFound = 0, Found = 1 };
// Found when the readings of the key string contain the ruby string.
ReadingMatch matchKeyAlone(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// Found when the readings of key string + okurigana contain one that begins with the ruby string
// and is as long as ruby string and okurigana together. The okurigana is not empty.
ReadingMatch matchWithOkurigana(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// The most okuri-ari entries of a key, and the most bytes their readings take in a list, for
// which KeyFacts keeps them (okuriKnown).
constexpr std::size_t MostKnownOkuriEntries = 64;
constexpr std::size_t KnownOkuriBytes = 2048;
// What one look-up of a key's entries tells of the questions of a pair (key, ruby) that need
// the key itself: whether it alone reads as the ruby, whether some reading of it carries a count
// of books (without one the ！ and 候補 questions find nothing), and which okurigana would confirm
// the ruby through an okuri-ari entry of the key.
struct KeyFacts {
  ReadingMatch keyAlone = ReadingMatch::NotFound;
  std::vector<CountedReading> counted;  // the key's readings with a count, as countedReadings gives them
  // The okuri-ari entries below stand for the look-up of the key in every okurigana question:
  // the key does not end in hiragana, and its entries are few and short enough that no list of
  // readings leaves one out.
  bool okuriKnown = false;
  std::uint32_t okuriLetters = 0;  // bit c - 'a' for an okuri-ari entry of the key "ruby c"
  // With okuriKnown: how many okuri-ari entries the key has, and the bytes their readings take in
  // a list of readings (two a character and a NUL each).
  std::size_t okuriEntries = 0;
  std::size_t okuriBytes = 0;
  // The most bytes those entries' readings take in the list of a question with an okurigana of
  // that many characters, each with the okurigana after it.
  std::size_t okuriListBytes(std::size_t okuriganaChars) const { return okuriBytes + 2 * okuriEntries * okuriganaChars; }
  // Some candidate may be the key followed by hiragana: without one, an okurigana question needs
  // no look-up but of the key itself.
  bool kanaFollows = true;
  std::size_t keyUnits = 0;  // the key's length in UTF-16
};
// False, with facts as they were, when the provider keeps no entries or the verdict cache is in
// use: then matchKeyAlone and the other questions are asked as they are.
bool askKeyFacts(const ResultStore& s, const ReadingSource& source, const RubyItem& item, KeyFacts& facts);
// The same, with the key already in UTF-16 (cp932ToUtf16 of the item's key).
bool askKeyFacts(const ResultStore& s, const ReadingSource& source, const RubyItem& item, const std::u16string& key16,
                 KeyFacts& facts);
// matchWithOkurigana, with what the key's look-up found (facts.okuriKnown) used instead of
// looking the key up again.
ReadingMatch matchWithOkurigana(const ResultStore& s, const ReadingSource& source, const RubyItem& item,
                                const KeyFacts& facts);
// The same answer where the key's okuri-ari entries alone give it (no candidate is the key
// followed by hiragana): true, with match set, without any look-up; false when the question must
// be asked.
bool okuriganaAnswerOfKey(const ResultStore& s, const RubyItem& item, const KeyFacts& facts, ReadingMatch& match);
// True when a book writes its rubies without small kana: at most 1 in 100 of them holds one
// (a stray modern ruby in an old book), of books that write small kana 2 in 100 or more.
bool writesWithoutSmallKana(std::uint32_t rubies, std::uint32_t smallKanaRubies);
// True for an item of a book that writes without small kana, whose composition takes
// WithoutSmallKanaRules besides DefaultComposeRules; false for an item of no file.
bool inBookWithoutSmallKana(const RubyItem& item);
// RevConvComposed when the source has kanji readings and the ruby is a gloss in katakana on a
// key with a kanji or is made of the readings of the key's characters under the rules of its
// book, else 0. It depends on the key, the ruby and the rules only, so it holds for every occurrence of a
// pair in books of one kind; it is never cached.
std::uint32_t composedBit(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// The kanji readings a check's source carries: loaded while "ComposedReadings" is on, else null.
const KanjiReadings* composedReadings(const KanjiReadings& loaded);

}  // namespace obel
