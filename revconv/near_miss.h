#pragma once
// What the library's counts say of a reading the check confirmed or composed: ！ where it is
// probably a misprint of a reading far more books use, and 候補, the known reading of the key
// nearest to a reading marked × or ！. Every step is bounded: readings longer than
// MaxNearMissChars characters get neither.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store.h"
#include "revconv/reading.h"

namespace obel {

// A reading one voicing mark away (か and が, は ば and ぱ, ...) is a near miss when at least
// NearMissMinBooks books give the key that reading and at least NearMissRatio times as many
// books as give it the ruby.
constexpr std::uint32_t NearMissMinBooks = 3;
constexpr std::uint32_t NearMissRatio = 3;
// 候補 are at most this many edits (a kana changed, added, dropped, or two neighbours swapped)
// from the ruby.
constexpr int MaxSuggestionEdits = 2;
// A pair given at least this many times in one book is the author's own reading far more often
// than a typo (typing errors rarely repeat letter for letter): where nothing confirms it, ？.
constexpr std::uint32_t BookRepeatMin = 3;
// For every item of the store, whether its (key, ruby) pair occurs at least BookRepeatMin times
// in the item's own file (a file's items lie together in the store); pairOf names each item's
// pair (the store's pairIndex, or a hash of the key and the ruby).
std::vector<bool> repeatedInBook(const ResultStore& s, const std::uint32_t* pairOf);

// Longer than any real ruby: a reading of more characters gets no ！ and no 候補.
constexpr std::size_t MaxNearMissChars = 40;

// Edits from a to b, each of at most MaxNearMissChars characters; more than limit gives limit + 1.
int readingEdits(std::u16string_view a, std::u16string_view b, int limit);

// The counted reading one voicing mark from the ruby that makes it a near miss, or null. The
// first kana counts only with firstKanaToo (a key of more than one character) or when no book
// gives the key the ruby: the ruby of one character of a compound may voice it (人《びと》 of 旅人).
const CountedReading* voicingNearMiss(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                      bool firstKanaToo = true);

// The ruby without the okurigana's first kana when it ends in it and more of the library's books
// give the key that shorter reading than the ruby (微笑《ほほえみ》み: ほほえ); empty otherwise.
std::u16string doubledOkurigana(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                std::u16string_view okurigana);

// The known reading nearest to the ruby (1 to MaxSuggestionEdits edits; of equal distance the one
// more books give); empty when none is near.
std::u16string nearestReading(const std::vector<CountedReading>& known, std::u16string_view ruby);

// The book's own kana. A book writes historical kana when at least HistoricalKanaPerThousand of
// its rubies show them unmistakably (holdsHistoricalKana), modern kana when it has at least
// ModernKanaMinRubies rubies and at most ModernKanaPerThousand of them show them; between the
// two it mixes the spellings and gets no ！ for them.
constexpr std::uint32_t HistoricalKanaPerThousand = 30;
constexpr std::uint32_t ModernKanaPerThousand = 5;
constexpr std::uint32_t ModernKanaMinRubies = 100;
// The book's spelling of the ruby counts when at least OwnKanaMinBooks books give the key that
// reading, and at least one in OwnKanaRatio as many as give it the ruby.
constexpr std::uint32_t OwnKanaMinBooks = 3;
constexpr std::uint32_t OwnKanaRatio = 10;
enum class BookKana { Mixed, Historical, Modern };
BookKana bookKana(std::uint32_t rubies, std::uint32_t historicalKanaRubies);
BookKana bookKanaOf(const RubyItem& item);  // Mixed for an item of no file
// The reading in modern kana: ゐ ゑ を as い え お, ぢ づ as じ ず, a は-row kana after the first as
// the わ-row, the vowel pairs of on readings (かう こう, けう きょう, きう きゅう), small kana as large.
std::u16string modernKana(std::u16string_view reading);
// The counted reading that spells the ruby as its book spells (方《ほう》 in a book of historical
// kana: はう; 頤《おとがひ》 in a modern one: おとがい), or null.
const CountedReading* ownKanaSpelling(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                      BookKana book);

// The findings on one item of the store: whether it is a near miss, and the reading it stands
// for (CP932, its 候補).
struct NearMissFindings {
  bool nearMiss = false;
  std::string suggestion;
};
// The pair's own ！: its ruby one voicing mark from a reading of the key far more books give.
NearMissFindings voicingNearMissOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// This occurrence's ！: its ruby ends in the first kana of its okurigana (asked of the dictionaries
// only then).
NearMissFindings doubledOkuriganaOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// This occurrence's ！: its ruby spelled against its book's kana (asked only in a book that keeps to
// one spelling).
NearMissFindings ownKanaOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// For an item marked ×: the nearest reading the dictionaries with counts give the key (the
// books' readings; the input method is not asked again).
std::string suggestionFor(const ResultStore& s, const ReadingSource& source, const RubyItem& item);
// The ruby (CP932) ends in the okurigana's first kana (two bytes), and is short enough to be
// asked about: only then is the doubled okurigana asked.
bool endsInOkuriganasKana(const char* ruby, const char* okurigana);
// The same findings from the counted readings of the key (countedReadings), already looked up:
// of a ruby (CP932), with the first kana of its okurigana, in a book that keeps to one spelling.
NearMissFindings voicingNearMissIn(const std::vector<CountedReading>& counted, const char* ruby, bool longKey);
NearMissFindings doubledOkuriganaIn(const std::vector<CountedReading>& counted, const char* ruby, const char* okurigana);
NearMissFindings ownKanaIn(const std::vector<CountedReading>& counted, const char* ruby, BookKana book);
// ownKanaIn in a book of each spelling at once: a ruby may stray from one of them at most.
void ownKanaInEither(const std::vector<CountedReading>& counted, const char* ruby, NearMissFindings& inHistorical,
                     NearMissFindings& inModern);
std::string suggestionIn(const std::vector<CountedReading>& counted, const char* ruby);

// The ！ and 候補 of one occurrence of a pair, from the answers its pair keeps (each asked once
// per pair, or per pair and kind of book): for an unconfirmed occurrence (×) no ！ and the
// nearest reading; else the pair's voicing, then this occurrence's doubled okurigana, then its
// spelling against its book's kana (not for a spelling the book repeats: that is its own).
// The findings are of the type pair.voicing() returns; nearest() gives the reading they hold.
template <class PairAnswers>
auto nearMissOf(PairAnswers& pair, const RubyItem& member, bool unconfirmed, bool repeatedInBook) {
  using Findings = decltype(pair.voicing());
  if (unconfirmed) return Findings{false, pair.nearest()};
  Findings found = pair.voicing();
  if (found.nearMiss) return found;
  found = pair.doubled(member);
  return found.nearMiss || repeatedInBook ? found : pair.ownKana(member);
}

}  // namespace obel
