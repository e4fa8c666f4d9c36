// Measures the composed-reading verdict on real books: the share of items marked × with each
// rule of composition, and how many typos put into the readings stay ×. Rules that hold only in
// a book that writes without small kana are judged per book, a typo with its own book as the
// typo leaves it (a small kana made large may leave the book without any).
//
//   composed_measure ITEMS.tsv "DICT;DICT..." [KANJIDIC]
//
// ITEMS.tsv is the items table of `obel-scan --no-limit --view items` (Shift-JIS, CR LF) over
// proofread books; tools/measure-composed.sh makes it and runs this over the Aozora sample.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "revconv/kanji_readings.h"
#include "revconv/near_miss.h"
#include "revconv/reading.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"

using namespace obel;

namespace {

struct Item {
  std::string key, ruby, okuri;
  int line;
  std::string book;      // folder and file name
  std::string original;  // of a typo: the ruby the book gives
};

struct Checker {
  ReadingSource source;
  // 2 ◎, 1 ○, 0 not confirmed
  int confirm(const Item& item) {
    static char area[QueryAreaBytes];
    getReverseConversions(source, item.key.c_str(), area, sizeof area, MaxReadings);
    for (const char* r = area; *r; r += std::strlen(r) + 1)
      if (item.ruby == r) return 2;
    if (item.okuri.empty()) return 0;
    const std::string query = item.key + item.okuri;
    getReverseConversions(source, query.c_str(), area, sizeof area, MaxReadings);
    for (const char* r = area; *r; r += std::strlen(r) + 1)
      if (std::strlen(r) == item.ruby.size() + item.okuri.size() && std::strncmp(r, item.ruby.c_str(), item.ruby.size()) == 0)
        return 1;
    return 0;
  }
};

// Every row with a ruby; false for the others. The measures take the rows with a key.
bool split(const std::string& line, Item& item) {
  std::vector<std::string> f;
  std::stringstream in(line);
  std::string cell;
  while (std::getline(in, cell, '\t')) f.push_back(cell);
  if (f.size() < 7 || f[1].empty()) return false;
  item.key = f[0];
  item.ruby = f[1];
  item.okuri = f[2];
  item.line = std::atoi(f[5].c_str());
  item.book = f[4] + "\\" + f[3];
  return true;
}

// CP932 hiragana helpers for the typos.
using Codes = std::vector<std::uint16_t>;
bool toCodes(const std::string& s, Codes& out) {
  out.clear();
  for (std::size_t i = 0; i + 1 < s.size() + 1; ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x81 || i + 1 >= s.size()) return false;
    out.push_back(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(s[i + 1])));
    ++i;
  }
  for (std::uint16_t c : out)
    if (!isHiragana(c)) return false;
  return !out.empty();
}
std::string fromCodes(const Codes& c) {
  std::string s;
  for (std::uint16_t x : c) {
    s.push_back(static_cast<char>(x >> 8));
    s.push_back(static_cast<char>(x & 0xFF));
  }
  return s;
}
unsigned u(std::uint16_t c) { return utf16OfHiragana(c); }
// voiced pairs (plain, voiced)
bool voicedPair(std::uint16_t c, std::uint16_t& other) {
  const unsigned x = u(c);
  if (x >= 0x304B && x <= 0x3062) {
    other = (x - 0x304B) % 2 == 0 ? c + 1 : c - 1;
    return true;
  }
  if (x >= 0x3064 && x <= 0x3069 && x != 0x3065 + 0 - 0) {
    if (x == 0x3064 || x == 0x3066 || x == 0x3068) other = c + 1;
    else other = c - 1;
    return true;
  }
  if (x >= 0x306F && x <= 0x307D) {
    const unsigned r = (x - 0x306F) % 3;
    other = r == 0 ? c + 1 : r == 1 ? c - 1 : c - 1;
    return true;
  }
  return false;
}
bool smallPair(std::uint16_t c, std::uint16_t& other) {
  const unsigned x = u(c);
  for (unsigned s : {0x3041u, 0x3043u, 0x3045u, 0x3047u, 0x3049u, 0x3063u, 0x3083u, 0x3085u, 0x3087u}) {
    if (x == s) { other = c + 1; return true; }
    if (x == s + 1) { other = c - 1; return true; }
  }
  return false;
}

bool hasSmallKana(const std::string& ruby) {
  Codes c;
  if (!toCodes(ruby, c)) {  // not all hiragana: look at each double-byte character
    c.clear();
    for (std::size_t i = 0; i + 1 < ruby.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(ruby[i]);
      if (b < 0x81) continue;
      c.push_back(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(ruby[i + 1])));
      ++i;
    }
  }
  for (std::uint16_t x : c) {
    std::uint16_t other;
    if (isHiragana(x) && smallPair(x, other) && other > x) return true;
  }
  return false;
}

const char* KindNames[6] = {"one kana changed", "voicing added or dropped", "small/large kana",
                            "kana dropped", "kana doubled", "neighbours swapped"};

bool makeTypo(const Codes& r, int kind, std::mt19937& rng, Codes& out) {
  out = r;
  const std::size_t n = r.size();
  auto pick = [&](std::size_t m) { return static_cast<std::size_t>(rng() % m); };
  switch (kind) {
    case 0: {
      const std::size_t p = pick(n);
      std::uint16_t c;
      do c = hiraganaOfUtf16(static_cast<char16_t>(0x3042 + pick(0x3093 - 0x3042 + 1))); while (c == r[p]);
      out[p] = c;
      break;
    }
    case 1: case 2: {
      std::vector<std::size_t> at;
      for (std::size_t i = 0; i < n; ++i) {
        std::uint16_t o;
        if (kind == 1 ? voicedPair(r[i], o) : smallPair(r[i], o)) at.push_back(i);
      }
      if (at.empty()) return false;
      const std::size_t p = at[pick(at.size())];
      std::uint16_t o = 0;
      (kind == 1 ? voicedPair(r[p], o) : smallPair(r[p], o));
      out[p] = o;
      break;
    }
    case 3:
      if (n < 2) return false;
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(pick(n)));
      break;
    case 4: {
      const std::size_t p = pick(n);
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(p), r[p]);
      break;
    }
    default: {
      if (n < 2) return false;
      const std::size_t p = pick(n - 1);
      if (r[p] == r[p + 1]) return false;
      std::swap(out[p], out[p + 1]);
      break;
    }
  }
  return out != r;
}

// ！ and 候補 as the check gives them, for an item the dictionaries and composition have judged.
struct NearMissJudge {
  DictionaryList& dictionaries;
  // ！: one voicing mark from a reading far more books use, or the okurigana written twice.
  bool nearMiss(const Item& item, std::string& suggestion) {
    std::vector<CountedReading> counted;
    dictionaries.countedReadings(cp932ToUtf16(item.key.c_str()), counted);
    const std::u16string ruby = cp932ToUtf16(item.ruby.c_str());
    if (const CountedReading* near = voicingNearMiss(counted, ruby, cp932ToUtf16(item.key.c_str()).size() > 1)) {
      suggestion = utf16ToCp932(near->reading.c_str());
      return true;
    }
    const std::u16string shorter = doubledOkurigana(counted, ruby, cp932ToUtf16(item.okuri.c_str()));
    suggestion = utf16ToCp932(shorter.c_str());
    return !shorter.empty();
  }
  // 候補 of a ×: the nearest reading the dictionaries with counts give the key.
  std::string nearest(const Item& item) {
    std::vector<CountedReading> known;
    dictionaries.countedReadings(cp932ToUtf16(item.key.c_str()), known);
    return utf16ToCp932(nearestReading(known, cp932ToUtf16(item.ruby.c_str())).c_str());
  }
};

// Readings the printed source got wrong, put back: "key TAB printed TAB right TAB okurigana" lines.
std::vector<std::pair<Item, std::string>> readPrintedErrors(const char* path) {
  std::vector<std::pair<Item, std::string>> errors;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    std::stringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, '\t')) f.push_back(cell);
    if (f.size() < 3 || f[0].empty() || f[1].empty()) continue;
    errors.push_back({Item{f[0], f[1], f.size() > 3 ? f[3] : "", 100, f.size() > 4 ? f[4] : "", ""}, f[2]});
  }
  return errors;
}

struct RuleSet {
  const char* name;
  unsigned rules;
  bool gloss;
  bool compose;
  unsigned oldBookRules = 0;  // added in a book whose rubies do without small kana
};

// The rubies of each book, and how many of them hold a small kana.
struct BookRubies {
  std::size_t rubies = 0;
  std::size_t withSmall = 0;
  std::uint32_t historical = 0;  // rubies showing historical kana
};

// The book's file name, whether its path comes from obel-scan's folder column or from a path.
std::string fileName(const std::string& book) {
  const std::size_t slash = book.find_last_of("/\\");
  return slash == std::string::npos ? book : book.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: composed_measure ITEMS.tsv DICTIONARIES [KANJIDIC]\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "composed_measure: cannot read %s\n", argv[1]);
    return 2;
  }
  std::vector<Item> items;
  std::map<std::string, BookRubies> books;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Item item;
    if (!split(line, item)) continue;
    BookRubies& book = books[item.book];
    ++book.rubies;
    book.withSmall += hasSmallKana(item.ruby);
    book.historical += holdsHistoricalKana(item.ruby.c_str());
    if (!item.key.empty()) items.push_back(item);
  }
  // Whether the item's book, as it stands with a typo in place of the ruby it gives, writes
  // without small kana.
  auto oldBook = [&](const Item& item) {
    const BookRubies& book = books[item.book];
    const std::string& original = item.original.empty() ? item.ruby : item.original;
    const std::size_t small = book.withSmall - hasSmallKana(original) + hasSmallKana(item.ruby);
    return writesWithoutSmallKana(static_cast<std::uint32_t>(book.rubies), static_cast<std::uint32_t>(small));
  };
  std::size_t oldBooks = 0, oldBookItems = 0;
  for (const auto& [name, book] : books)
    if (writesWithoutSmallKana(static_cast<std::uint32_t>(book.rubies), static_cast<std::uint32_t>(book.withSmall))) {
      ++oldBooks;
      oldBookItems += book.rubies;
    }
  DictionaryList dictionaries;
  std::vector<std::string> unreadable;
  dictionaries.load(argv[2], unreadable);
  for (const std::string& f : unreadable) std::fprintf(stderr, "cannot read %s\n", f.c_str());
  KanjiReadings kanji;
  if (!kanji.load(argc > 3 ? argv[3] : "/usr/share/edict/kanjidic")) {
    std::fputs("composed_measure: cannot read KANJIDIC\n", stderr);
    return 2;
  }
  Checker check{ReadingSource{&dictionaries, nullptr, nullptr}};

  const unsigned All = DefaultComposeRules;
  std::vector<RuleSet> sets = {
      {"the two tests alone", 0, false, false},
      {"+ katakana gloss", 0, true, false},
      {"+ plain readings (kana of the key as themselves)", 0, true, true},
      {"+ rendaku of kun readings", ComposeRendaku, true, true},
      {"+ ぱ-row after っ ん", ComposeRendaku | ComposeHandaku, true, true},
      {"+ 々 ゝ ゞ", ComposeRendaku | ComposeHandaku | ComposeRepeat, true, true},
      {"+ ヶ ヵ", ComposeRendaku | ComposeHandaku | ComposeRepeat | ComposeSmallKe, true, true},
      {"+ kun taken into its okurigana", ComposeRendaku | ComposeHandaku | ComposeRepeat | ComposeSmallKe | ComposeKunOkurigana, true, true},
      {"+ historical spellings", ComposeRendaku | ComposeHandaku | ComposeRepeat | ComposeSmallKe | ComposeKunOkurigana | ComposeHistorical, true, true},
      {"+ older on spellings (the default rules)", All, true, true},
      {"default + sokuon of on readings", All | ComposeSokuon, true, true},
      {"default + small kana written large", All | ComposeLargeSmall, true, true},
      {"default, large in books without small kana (the check)", All, true, true, WithoutSmallKanaRules},
      {"default, large and sokuon in books without", All, true, true, WithoutSmallKanaRules | ComposeSokuon},
      {"default + rendaku of on readings", All | ComposeRendakuOn, true, true},
      {"default + name readings", All | ComposeNames, true, true},
      {"default - rendaku", All & ~ComposeRendaku, true, true},
      {"default - ぱ-row", All & ~ComposeHandaku, true, true},
      {"default - 々 ゝ ゞ", All & ~ComposeRepeat, true, true},
      {"default - ヶ ヵ", All & ~ComposeSmallKe, true, true},
      {"default - historical", All & ~ComposeHistorical, true, true},
      {"default - kun okurigana", All & ~ComposeKunOkurigana, true, true},
      {"default - older on spellings", All & ~ComposeOldOn, true, true},
  };
  auto crossed = [&](const Item& item, const RuleSet& set) {
    if (set.gloss && isKatakanaGloss(item.key, item.ruby)) return false;
    const unsigned rules = set.rules | (oldBook(item) ? set.oldBookRules : 0);
    if (set.compose && kanji.composes(item.key, item.ruby, rules)) return false;
    return true;
  };

  // Proofread items.
  std::vector<std::size_t> crossCount(sets.size());
  std::size_t confirmed = 0;
  std::vector<const Item*> unconfirmed;
  for (const Item& item : items) {
    if (check.confirm(item)) ++confirmed;
    else unconfirmed.push_back(&item);
  }
  for (const Item* item : unconfirmed)
    for (std::size_t s = 0; s < sets.size(); ++s) crossCount[s] += crossed(*item, sets[s]);

  // Typos: up to 1000 of each kind, from items past the books' headers with an all-hiragana ruby.
  std::mt19937 rng(20261208);
  std::vector<Item> typos[6];
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  Codes r, t;
  for (std::size_t i : order) {
    const Item& item = items[i];
    if (item.line <= 20 || !toCodes(item.ruby, r)) continue;
    const int kind = static_cast<int>(rng() % 6);
    if (typos[kind].size() >= 1000) continue;
    if (!makeTypo(r, kind, rng, t)) continue;
    Item typo = item;
    typo.ruby = fromCodes(t);
    typo.original = item.ruby;
    typos[kind].push_back(typo);
  }
  std::size_t typoCount = 0, typoConfirmed = 0;
  std::vector<std::size_t> typoCross(sets.size());
  std::vector<std::vector<std::size_t>> typoCrossKind(6, std::vector<std::size_t>(sets.size()));
  for (int k = 0; k < 6; ++k)
    for (const Item& typo : typos[k]) {
      ++typoCount;
      if (check.confirm(typo)) {
        ++typoConfirmed;
        continue;
      }
      for (std::size_t s = 0; s < sets.size(); ++s) {
        const bool x = crossed(typo, sets[s]);
        typoCross[s] += x;
        typoCrossKind[k][s] += x;
      }
    }

  std::printf("books: %zu, %zu of them write without small kana (%zu rubies)\n", books.size(), oldBooks, oldBookItems);
  std::printf("items with a key: %zu, confirmed (◎ ○) by the dictionaries: %zu (%.1f %%)\n", items.size(), confirmed,
              100.0 * confirmed / items.size());
  std::printf("typos: %zu (", typoCount);
  for (int k = 0; k < 6; ++k) std::printf("%s%s %zu", k ? ", " : "", KindNames[k], typos[k].size());
  std::printf("), confirmed by the dictionaries as they are today: %zu\n\n", typoConfirmed);
  std::printf("%-52s %17s %17s\n", "rules", "items ×", "typos ×");
  for (std::size_t s = 0; s < sets.size(); ++s)
    std::printf("%-52s %6zu %7.2f %% %6zu %7.2f %%\n", sets[s].name, crossCount[s], 100.0 * crossCount[s] / items.size(),
                typoCross[s], 100.0 * typoCross[s] / typoCount);
  // COMPOSED_DUMP=N: the index of a rule set whose remaining × items and passed typos are listed.
  if (const char* dump = std::getenv("COMPOSED_DUMP")) {
    const std::size_t s = static_cast<std::size_t>(std::atoi(dump));
    if (std::FILE* f = std::fopen("composed-items.txt", "wb")) {
      for (const Item* item : unconfirmed)
        if (crossed(*item, sets[s])) std::fprintf(f, "%s\t%s\t%s\n", item->key.c_str(), item->ruby.c_str(), item->okuri.c_str());
      std::fclose(f);
    }
    if (std::FILE* f = std::fopen("composed-typos.txt", "wb")) {
      for (int k = 0; k < 6; ++k)
        for (const Item& typo : typos[k])
          if (!check.confirm(typo) && !crossed(typo, sets[s]))
            std::fprintf(f, "%d\t%s\t%s\t%s\n", k, typo.key.c_str(), typo.ruby.c_str(), typo.okuri.c_str());
      std::fclose(f);
    }
  }
  const std::size_t shown = std::getenv("COMPOSED_DUMP") ? static_cast<std::size_t>(std::atoi(std::getenv("COMPOSED_DUMP"))) : 12;
  std::printf("\ntypos still × by kind, %s:\n", sets[shown].name);
  for (int k = 0; k < 6; ++k)
    std::printf("  %-26s %5zu of %5zu (%.1f %%)\n", KindNames[k], typoCrossKind[k][shown], typos[k].size(),
                typos[k].empty() ? 0.0 : 100.0 * typoCrossKind[k][shown] / typos[k].size());

  // ！ and 候補 with the default rules: what the check marks × or ！, and whether the 候補 is the
  // reading the typo was made from.
  const RuleSet& rules = sets[8];
  NearMissJudge judge{dictionaries};
  // How often each book gives each pair: a pair given BookRepeatMin times in one book is ？ (the
  // typos and the printed-source errors put back count once more in their book).
  std::map<std::string, std::uint32_t> inBook;
  auto bookPair = [](const Item& item) { return item.book + "\t" + item.key + "\t" + item.ruby; };
  for (const Item& item : items) ++inBook[bookPair(item)];
  const bool withOwnReadings = std::getenv("NO_OWN_READINGS") == nullptr;
  auto ownReading = [&](const Item& item, std::uint32_t added) {
    const auto found = inBook.find(bookPair(item));
    return withOwnReadings && (found == inBook.end() ? 0 : found->second) + added >= BookRepeatMin;
  };
  // The book's own kana: the spelling its rubies keep to, by file name.
  const bool withOwnKana = std::getenv("NO_OWN_KANA") == nullptr;
  std::map<std::string, BookKana> kanaOfBook;
  std::size_t kanaBooks[3] = {};
  for (const auto& [name, book] : books) {
    const BookKana kana = bookKana(static_cast<std::uint32_t>(book.rubies), book.historical);
    kanaOfBook[fileName(name)] = kana;
    ++kanaBooks[static_cast<int>(kana)];
  }
  std::printf("\nbooks mixing the kana %zu, historical %zu, modern %zu%s\n", kanaBooks[0], kanaBooks[1], kanaBooks[2],
              withOwnKana ? "" : " (NO_OWN_KANA: no ！ for the book's own kana)");
  std::size_t ownKanaFlags[2] = {};  // in modern books, in historical ones
  std::uint32_t added = 0;  // 1 for a typo or an error put back, 0 for a book's own item
  auto judged = [&](const Item& item, std::string& suggestion, bool& near) {
    near = false;
    suggestion.clear();
    if (!check.confirm(item) && crossed(item, rules) && !ownReading(item, added)) {
      suggestion = judge.nearest(item);
      return true;
    }
    near = judge.nearMiss(item, suggestion);
    if (!near && withOwnKana && !ownReading(item, added)) {
      const auto book = kanaOfBook.find(fileName(item.book));
      const BookKana kana = book == kanaOfBook.end() ? BookKana::Mixed : book->second;
      std::vector<CountedReading> counted;
      dictionaries.countedReadings(cp932ToUtf16(item.key.c_str()), counted);
      if (const CountedReading* spelled = ownKanaSpelling(counted, cp932ToUtf16(item.ruby.c_str()), kana)) {
        near = true;
        ++ownKanaFlags[kana == BookKana::Historical];
        suggestion = utf16ToCp932(spelled->reading.c_str());
        if (std::getenv("SHOW_OWN_KANA"))
          std::fprintf(stderr, "%s %s《%s》 -> %s\n", fileName(item.book).c_str(), item.key.c_str(), item.ruby.c_str(), suggestion.c_str());
      }
    }
    return near;
  };
  std::size_t itemsFlagged = 0, itemsNear = 0;
  std::string suggestion;
  bool near = false;
  for (const Item& item : items) {
    itemsFlagged += judged(item, suggestion, near);
    itemsNear += near;
  }
  std::printf("\nwith ！ (%s):\n  items × or ！: %zu of %zu (%.2f %%), of them ！ %zu (%.2f %%)\n", rules.name,
              itemsFlagged, items.size(), 100.0 * itemsFlagged / items.size(), itemsNear, 100.0 * itemsNear / items.size());
  added = 1;
  std::printf("  of them spelled against their book's kana: %zu in modern books, %zu in historical ones\n",
              ownKanaFlags[0], ownKanaFlags[1]);
  std::size_t typosFlagged = 0, typosNear = 0, rightSuggestions = 0;
  for (int k = 0; k < 6; ++k) {
    std::size_t flagged = 0, right = 0;
    for (const Item& typo : typos[k]) {
      if (!judged(typo, suggestion, near)) continue;
      ++flagged;
      typosNear += near;
      right += suggestion == typo.original;
    }
    typosFlagged += flagged;
    rightSuggestions += right;
    std::printf("  %-26s %5zu of %5zu × or ！ (%.1f %%), 候補 right for %zu (%.1f %%)\n", KindNames[k], flagged,
                typos[k].size(), typos[k].empty() ? 0.0 : 100.0 * flagged / typos[k].size(), right,
                flagged ? 100.0 * right / flagged : 0.0);
  }
  std::printf("  typos × or ！: %zu of %zu (%.2f %%), of them ！ %zu; 候補 right for %zu of them (%.1f %%)\n", typosFlagged,
              typoCount, 100.0 * typosFlagged / typoCount, typosNear, rightSuggestions,
              typosFlagged ? 100.0 * rightSuggestions / typosFlagged : 0.0);
  if (const char* printed = std::getenv("PRINTED_ERRORS")) {
    const auto errors = readPrintedErrors(printed);
    std::size_t flagged = 0, nearOnes = 0, right = 0;
    for (const auto& [error, reading] : errors) {
      if (!judged(error, suggestion, near)) continue;
      ++flagged;
      nearOnes += near;
      right += suggestion == reading;
    }
    std::printf("  printed-source errors put back: %zu of %zu × or ！ (%.1f %%), of them ！ %zu; 候補 right for %zu\n",
                flagged, errors.size(), errors.empty() ? 0.0 : 100.0 * flagged / errors.size(), nearOnes, right);
  }
  return 0;
}
