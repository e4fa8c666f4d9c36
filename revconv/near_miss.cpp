// Near misses and 候補 from the counted readings of a key.
#include "revconv/near_miss.h"

#include <algorithm>
#include <cstring>

#include "engine/sjis.h"
#include "revconv/text_codec.h"

namespace obel {

namespace {

// The kana without its voicing mark: が→か, ぱ→は, the voiced う→う; any other character as it is.
char16_t unvoiced(char16_t c) {
  if (c == u'\u3094') return u'う';
  return isHiraganaUtf16(c) ? utf16OfHiragana(unvoicedKana(hiraganaOfUtf16(c))) : c;
}

// One voicing mark apart; on the first kana only where the key is more than one character: the
// ruby of a single character of a compound may voice its first kana (人《びと》 of 旅人), and
// that is no misprint.
bool oneVoicingApart(std::u16string_view a, std::u16string_view b, bool firstKanaToo) {
  if (a.size() != b.size() || a.empty() || (!firstKanaToo && a[0] != b[0])) return false;
  int differences = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (++differences > 1 || unvoiced(a[i]) != unvoiced(b[i])) return false;
  }
  return differences == 1;
}

std::uint32_t booksOf(const std::vector<CountedReading>& counted, std::u16string_view reading) {
  for (const CountedReading& c : counted)
    if (c.reading == reading) return c.books;
  return 0;
}

std::vector<CountedReading> countedOfKey(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  std::vector<CountedReading> counted;
  if (source.provider != nullptr) source.provider->countedReadings(cp932ToUtf16(text(s, item.keyId)), counted);
  return counted;
}

}  // namespace

std::vector<bool> repeatedInBook(const ResultStore& s, const std::uint32_t* pairOf) {
  std::vector<bool> repeated(s.itemCount, false);
  // pair -> occurrences in the file: open addressing, at most half full, made anew for each file
  struct Count {
    std::uint32_t pair;
    std::uint32_t count;  // 0 for an empty slot
  };
  std::vector<Count> inFile;
  for (std::uint32_t start = 0; start < s.itemCount;) {
    std::uint32_t end = start;
    while (end < s.itemCount && s.items[end].file == s.items[start].file) ++end;
    std::size_t size = 16;
    while (size < 2 * std::size_t{end - start}) size *= 2;
    inFile.assign(size, Count{0, 0});
    auto countOf = [&](std::uint32_t pair) -> std::uint32_t& {
      std::uint32_t h = pair;  // mixed, so that pairs alike in their low bits spread
      h = (h ^ (h >> 16)) * 0x7FEB352Du;
      h = (h ^ (h >> 15)) * 0x846CA68Bu;
      std::size_t at = (h ^ (h >> 16)) & (size - 1);
      while (inFile[at].count != 0 && inFile[at].pair != pair) at = (at + 1) & (size - 1);
      inFile[at].pair = pair;
      return inFile[at].count;
    };
    for (std::uint32_t i = start; i < end; ++i) ++countOf(pairOf[i]);
    // An item without a file record belongs to no book.
    for (std::uint32_t i = start; i < end; ++i)
      repeated[i] = s.items[i].file != nullptr && countOf(pairOf[i]) >= BookRepeatMin;
    start = end;
  }
  return repeated;
}

int readingEdits(std::u16string_view a, std::u16string_view b, int limit) {
  if (a.size() > MaxNearMissChars || b.size() > MaxNearMissChars) return limit + 1;
  const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > static_cast<std::size_t>(limit)) return limit + 1;
  // Three rows of the edit table, with the swap of two neighbours as one edit.
  constexpr std::size_t Width = MaxNearMissChars + 1;
  int before[Width], previous[Width], current[Width];
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int changed = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      int best = std::min({changed, previous[j] + 1, current[j - 1] + 1});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) best = std::min(best, before[j - 2] + 1);
      current[j] = best;
    }
    std::copy(previous, previous + b.size() + 1, before);
    std::copy(current, current + b.size() + 1, previous);
  }
  return std::min(previous[b.size()], limit + 1);
}

const CountedReading* voicingNearMiss(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                      bool firstKanaToo) {
  if (ruby.size() > MaxNearMissChars) return nullptr;
  const std::uint32_t own = booksOf(counted, ruby);
  // A voiced first kana that no book gives the key is no compound's voicing.
  firstKanaToo = firstKanaToo || own == 0;
  const CountedReading* best = nullptr;
  for (const CountedReading& c : counted) {
    if (c.books < NearMissMinBooks || c.books < NearMissRatio * own) continue;
    if (!oneVoicingApart(ruby, c.reading, firstKanaToo)) continue;
    if (best == nullptr || c.books > best->books) best = &c;
  }
  return best;
}

std::u16string doubledOkurigana(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                std::u16string_view okurigana) {
  if (ruby.size() < 2 || ruby.size() > MaxNearMissChars || okurigana.empty() || ruby.back() != okurigana.front())
    return {};
  // 何《なに》に and 事《こと》と are right: far more books give the ruby than the shorter reading.
  const std::u16string_view shorter = ruby.substr(0, ruby.size() - 1);
  const std::uint32_t books = booksOf(counted, shorter);
  return books > 0 && books > booksOf(counted, ruby) ? std::u16string(shorter) : std::u16string();
}

std::u16string nearestReading(const std::vector<CountedReading>& known, std::u16string_view ruby) {
  if (ruby.size() > MaxNearMissChars) return {};
  const CountedReading* best = nullptr;
  int bestEdits = MaxSuggestionEdits + 1;
  for (const CountedReading& k : known) {
    const int edits = readingEdits(ruby, k.reading, MaxSuggestionEdits);
    if (edits == 0 || edits > MaxSuggestionEdits) continue;
    if (edits < bestEdits || (edits == bestEdits && k.books > best->books)) {
      best = &k;
      bestEdits = edits;
    }
  }
  return best ? best->reading : std::u16string();
}

BookKana bookKana(std::uint32_t rubies, std::uint32_t historicalKanaRubies) {
  const unsigned long long perThousand = 1000ull * historicalKanaRubies;
  if (rubies > 0 && perThousand >= HistoricalKanaPerThousand * static_cast<unsigned long long>(rubies))
    return BookKana::Historical;
  if (rubies >= ModernKanaMinRubies && perThousand <= ModernKanaPerThousand * static_cast<unsigned long long>(rubies))
    return BookKana::Modern;
  return BookKana::Mixed;
}

BookKana bookKanaOf(const RubyItem& item) {
  return item.file == nullptr ? BookKana::Mixed : bookKana(item.file->itemCount, item.file->historicalKanaRubies);
}

namespace {

// The modern spelling of a kana before う in an on reading (かう こう, けう きょう, きう きゅう); null
// for a kana that keeps its spelling there. い is left out: いう is also the verb.
const char16_t* modernBeforeU(char16_t c) {
  static constexpr struct {
    char16_t historical;
    const char16_t* modern;
  } Pairs[] = {
      {u'あ', u"お"},   {u'か', u"こ"},   {u'が', u"ご"},   {u'さ', u"そ"},   {u'ざ', u"ぞ"},   {u'た', u"と"},
      {u'だ', u"ど"},   {u'な', u"の"},   {u'は', u"ほ"},   {u'ば', u"ぼ"},   {u'ぱ', u"ぽ"},   {u'ま', u"も"},
      {u'や', u"よ"},   {u'ら', u"ろ"},   {u'わ', u"お"},   {u'え', u"よ"},   {u'け', u"きょ"}, {u'げ', u"ぎょ"},
      {u'せ', u"しょ"}, {u'ぜ', u"じょ"}, {u'て', u"ちょ"}, {u'で', u"じょ"}, {u'ね', u"にょ"}, {u'へ', u"ひょ"},
      {u'べ', u"びょ"}, {u'ぺ', u"ぴょ"}, {u'め', u"みょ"}, {u'れ', u"りょ"}, {u'き', u"きゅ"}, {u'ぎ', u"ぎゅ"},
      {u'し', u"しゅ"}, {u'じ', u"じゅ"}, {u'ち', u"ちゅ"}, {u'に', u"にゅ"}, {u'ひ', u"ひゅ"}, {u'り', u"りゅ"},
  };
  for (const auto& pair : Pairs)
    if (pair.historical == c) return pair.modern;
  return nullptr;
}

// The kana of one sound, whatever its spelling: small kana as large.
std::u16string large(std::u16string text) {
  for (char16_t& c : text) {
    switch (c) {
      case u'ぁ': case u'ぃ': case u'ぅ': case u'ぇ': case u'ぉ': case u'っ': case u'ゃ': case u'ゅ': case u'ょ': case u'ゎ':
        ++c;  // the large kana follows its small one
        break;
      default:
        break;
    }
  }
  return text;
}

}  // namespace

std::u16string modernKana(std::u16string_view reading) {
  // Pairs of historical and modern kana: anywhere, and inside a word.
  static constexpr std::u16string_view Anywhere = u"ゐいゑえをおぢじづず", InsideAWord = u"はわひいふうへえほお";
  auto respelled = [](char16_t c, std::u16string_view pairs) {
    for (std::size_t i = 0; i < pairs.size(); i += 2)
      if (pairs[i] == c) return pairs[i + 1];
    return c;
  };
  std::u16string sounds;
  for (std::size_t i = 0; i < reading.size(); ++i) {
    char16_t c = respelled(reading[i], Anywhere);
    const char16_t next = i + 1 < reading.size() ? reading[i + 1] : 0;
    // Inside a word the は-row is read as the わ-row, but for はう and はふ of on readings (方 法).
    if (i > 0 && next != u'う' && next != u'ふ') c = respelled(c, InsideAWord);
    sounds.push_back(c);
  }
  std::u16string modern;
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    const char16_t* spelled = i + 1 < sounds.size() && sounds[i + 1] == u'う' ? modernBeforeU(sounds[i]) : nullptr;
    if (spelled != nullptr) modern += spelled;
    else modern.push_back(sounds[i]);
  }
  return large(std::move(modern));
}

namespace {

// Whether the ruby may stray from its book's kana: a modern spelling in a book of historical
// kana, a historical one in a modern book. Its modern spelling is left in modern.
bool mayStrayFromBook(std::u16string_view ruby, BookKana book, std::u16string& modern) {
  if (book == BookKana::Mixed || ruby.size() > MaxNearMissChars) return false;
  modern = modernKana(ruby);
  const bool historical = modern != large(std::u16string(ruby));
  return historical == (book == BookKana::Modern);
}

// ownKanaSpelling of a ruby that may stray, whose modern spelling is rubyModern.
const CountedReading* bookSpelling(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                   BookKana book, const std::u16string& rubyModern) {
  const std::uint32_t own = booksOf(counted, ruby);
  const CountedReading* best = nullptr;
  for (const CountedReading& c : counted) {
    if (c.books < OwnKanaMinBooks || c.books * OwnKanaRatio < own || c.reading == ruby) continue;
    if (c.reading.size() > MaxNearMissChars) continue;
    const std::u16string modern = modernKana(c.reading);
    const bool historical = modern != large(c.reading);
    if (historical != (book == BookKana::Historical) || modern != rubyModern) continue;
    if (best == nullptr || c.books > best->books) best = &c;
  }
  return best;
}

}  // namespace

const CountedReading* ownKanaSpelling(const std::vector<CountedReading>& counted, std::u16string_view ruby,
                                      BookKana book) {
  std::u16string rubyModern;
  return mayStrayFromBook(ruby, book, rubyModern) ? bookSpelling(counted, ruby, book, rubyModern) : nullptr;
}

NearMissFindings voicingNearMissIn(const std::vector<CountedReading>& counted, const char* ruby, bool longKey) {
  NearMissFindings found;
  if (counted.empty() || std::strlen(ruby) > 2 * MaxNearMissChars) return found;  // the common case: no conversion
  if (const CountedReading* near = voicingNearMiss(counted, cp932ToUtf16(ruby), longKey)) {
    found.nearMiss = true;
    found.suggestion = utf16ToCp932(near->reading.c_str());
  }
  return found;
}

bool endsInOkuriganasKana(const char* ruby, const char* okurigana) {
  const std::size_t rubyBytes = std::strlen(ruby);
  return rubyBytes >= 4 && rubyBytes <= 2 * MaxNearMissChars && okurigana[0] != 0 && okurigana[1] != 0 &&
         std::memcmp(ruby + rubyBytes - 2, okurigana, 2) == 0;
}

NearMissFindings doubledOkuriganaIn(const std::vector<CountedReading>& counted, const char* ruby, const char* okurigana) {
  NearMissFindings found;
  if (!endsInOkuriganasKana(ruby, okurigana)) return found;
  const std::u16string shorter = doubledOkurigana(counted, cp932ToUtf16(ruby), cp932ToUtf16(okurigana));
  if (!shorter.empty()) {
    found.nearMiss = true;
    found.suggestion = utf16ToCp932(shorter.c_str());
  }
  return found;
}

NearMissFindings ownKanaIn(const std::vector<CountedReading>& counted, const char* ruby, BookKana book) {
  NearMissFindings inBook[2];  // of historical kana, modern
  if (book != BookKana::Mixed) ownKanaInEither(counted, ruby, inBook[0], inBook[1]);
  return std::move(inBook[book == BookKana::Modern]);
}

void ownKanaInEither(const std::vector<CountedReading>& counted, const char* ruby, NearMissFindings& inHistorical,
                     NearMissFindings& inModern) {
  if (std::strlen(ruby) > 2 * MaxNearMissChars) return;
  const std::u16string ruby16 = cp932ToUtf16(ruby);
  if (ruby16.size() > MaxNearMissChars) return;
  std::u16string rubyModern;
  // the one kind of book the ruby may stray in (mayStrayFromBook): a ruby in historical spelling
  // in a modern book, any other in a historical one
  const BookKana book = mayStrayFromBook(ruby16, BookKana::Modern, rubyModern) ? BookKana::Modern : BookKana::Historical;
  const CountedReading* spelled = bookSpelling(counted, ruby16, book, rubyModern);
  if (spelled == nullptr) return;
  NearMissFindings& found = book == BookKana::Modern ? inModern : inHistorical;
  found.nearMiss = true;
  found.suggestion = utf16ToCp932(spelled->reading.c_str());
}

std::string suggestionIn(const std::vector<CountedReading>& counted, const char* ruby) {
  if (counted.empty() || std::strlen(ruby) > 2 * MaxNearMissChars) return {};
  const std::u16string nearest = nearestReading(counted, cp932ToUtf16(ruby));
  return nearest.empty() ? std::string() : utf16ToCp932(nearest.c_str());
}

NearMissFindings voicingNearMissOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const char* ruby = text(s, item.rubyId);
  if (std::strlen(ruby) > 2 * MaxNearMissChars) return {};
  return voicingNearMissIn(countedOfKey(s, source, item), ruby, cp932ToUtf16(text(s, item.keyId)).size() > 1);
}

NearMissFindings doubledOkuriganaOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const char* ruby = text(s, item.rubyId);
  const char* okurigana = text(s, item.okuriganaId);
  // asked of the dictionaries only where the ruby ends in the okurigana's first kana
  if (!endsInOkuriganasKana(ruby, okurigana)) return {};
  return doubledOkuriganaIn(countedOfKey(s, source, item), ruby, okurigana);
}

NearMissFindings ownKanaOf(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const char* ruby = text(s, item.rubyId);
  // most rubies keep to their book's kana: the key's readings are not looked up for them
  const BookKana book = bookKanaOf(item);
  std::u16string rubyModern;
  if (std::strlen(ruby) > 2 * MaxNearMissChars || !mayStrayFromBook(cp932ToUtf16(ruby), book, rubyModern)) return {};
  return ownKanaIn(countedOfKey(s, source, item), ruby, book);
}

std::string suggestionFor(const ResultStore& s, const ReadingSource& source, const RubyItem& item) {
  const char* ruby = text(s, item.rubyId);
  if (std::strlen(ruby) > 2 * MaxNearMissChars) return {};
  return suggestionIn(countedOfKey(s, source, item), ruby);
}

}  // namespace obel
