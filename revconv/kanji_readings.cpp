// KANJIDIC readings and the composition of a ruby from the readings of its key's characters.
// Everything works on CP932 codes (a double-byte character as one 16-bit value), with the kana
// arithmetic of engine/sjis.h.
#include "revconv/kanji_readings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/sjis.h"
#include "revconv/cache_file.h"
#include "revconv/skk_dictionary.h"

namespace obel {

namespace {

// The CP932 code of the hiragana whose UTF-16 code is u, and back.
constexpr std::uint16_t hira(unsigned u) { return hiraganaOfUtf16(static_cast<char16_t>(u)); }
constexpr unsigned uni(std::uint16_t c) { return utf16OfHiragana(c); }
bool isKanji(std::uint16_t c) {
  return (c >= 0x889F && c <= 0x9FFC) || (c >= 0xE040 && c <= 0xEAA4) || (c >= 0xED40 && c <= 0xEEFC) ||
         (c >= 0xFA40 && c <= 0xFC4B);  // JIS X 0208, then the NEC and IBM extensions
}
constexpr std::uint16_t Repeat = 0x8158;     // 々
constexpr std::uint16_t SmallKa = 0x8395;    // ヵ
constexpr std::uint16_t SmallKe = 0x8396;    // ヶ
constexpr std::uint16_t LongVowel = 0x815B;  // ー
constexpr std::uint16_t Dot = 0x8145;        // ・
// The longest reading a KANJIDIC line may give one kanji, in kana; longer ones are left out.
constexpr std::uint8_t MaxKanjiReadingKana = 24;

// Kana that historical spelling writes for the modern one: ぢ じ, づ ず, ゐ い, ゑ え, を お.
std::uint16_t modernKana(std::uint16_t c) {
  switch (isHiragana(c) ? uni(c) : 0) {
    case 0x3062: return hira(0x3058);
    case 0x3065: return hira(0x305A);
    case 0x3090: return hira(0x3044);
    case 0x3091: return hira(0x3048);
    case 0x3092: return hira(0x304A);
    default: return c;
  }
}
// Inside a kun reading the は-row stands for the わ-row as historical spelling writes it.
std::uint16_t waRow(std::uint16_t c) {
  switch (isHiragana(c) ? uni(c) : 0) {
    case 0x306F: return hira(0x308F);  // は わ
    case 0x3072: return hira(0x3044);  // ひ い
    case 0x3075: return hira(0x3046);  // ふ う
    case 0x3078: return hira(0x3048);  // へ え
    case 0x307B: return hira(0x304A);  // ほ お
    default: return c;
  }
}

// The e-row kana of an i-row c (き → け), or 0.
std::uint16_t eRow(std::uint16_t c) {
  switch (isHiragana(c) ? uni(c) : 0) {
    case 0x304D: case 0x304E: case 0x3057: case 0x3058: return static_cast<std::uint16_t>(c + 4);
    case 0x3061: return static_cast<std::uint16_t>(c + 5);
    case 0x306B: case 0x307F: case 0x308A: return static_cast<std::uint16_t>(c + 2);
    case 0x3072: case 0x3073: case 0x3074: return static_cast<std::uint16_t>(c + 6);
    default: return 0;
  }
}
// The a-row kana of an o-row c (こ → か), or 0.
std::uint16_t aRow(std::uint16_t c) {
  switch (isHiragana(c) ? uni(c) : 0) {
    case 0x3053: case 0x3054: case 0x305D: case 0x305E: case 0x304A: return static_cast<std::uint16_t>(c - 8);
    case 0x3068: case 0x3069: return static_cast<std::uint16_t>(c - 9);
    case 0x306E: case 0x3082: case 0x3088: case 0x308D: return static_cast<std::uint16_t>(c - 4);
    case 0x307B: case 0x307C: case 0x307D: return static_cast<std::uint16_t>(c - 12);
    default: return 0;
  }
}

// A reading's first kana can stand for several kana of a ruby: voiced or made ぱ-row, written
// large, or in historical spelling (ぢ for じ). Those kana fall into one class, and a reading is
// tried at a place of the ruby only when the class of the ruby's kana there is one its first
// kana, or a historical spelling's, can stand for. A class is a bit of 32: hiragana classes
// share the low 31 bits, and anything else (a katakana, a sign) takes the highest, as it stands
// for itself alone.
constexpr std::uint32_t OtherClass = 1u << 31;
struct KanaClasses {
  std::uint32_t of[LastHiragana - FirstHiragana + 1];
  KanaClasses() {
    unsigned root[std::size(of)];
    for (unsigned c = 0; c < std::size(of); ++c) root[c] = c;
    auto find = [&](unsigned c) {
      while (root[c] != c) c = root[c];
      return c;
    };
    auto join = [&](unsigned a, unsigned b) {
      if (isHiragana(b)) root[find(a - FirstHiragana)] = find(b - FirstHiragana);
    };
    for (unsigned c = FirstHiragana; c <= LastHiragana; ++c) {
      join(c, voicedKana(c));
      join(c, semiVoicedKana(c));
      join(c, largeKana(c));
      join(c, modernKana(static_cast<std::uint16_t>(c)));
    }
    for (unsigned c = 0; c < std::size(of); ++c) of[c] = 1u << (find(c) % 31);
  }
};
std::uint32_t kanaClass(std::uint16_t code) {
  static const KanaClasses classes;
  return isHiragana(code) ? classes.of[code - FirstHiragana] : OtherClass;
}

// The classes a reading's forms may begin with: its first kana's, and with historical spelling
// those of the first kana of its historical spellings (historicalForms), under any rules.
std::uint32_t firstClasses(const std::uint16_t* c, int n, bool on) {
  std::uint32_t classes = kanaClass(c[0]);
  if (!on) return classes;
  const std::uint16_t U = hira(0x3046);
  if (c[0] == hira(0x304B) || c[0] == hira(0x304C)) classes |= kanaClass(hira(0x304F));  // くわ, ぐわ
  if (n == 3 && c[2] == U && c[1] == hira(0x3087) && eRow(c[0])) classes |= kanaClass(eRow(c[0]));
  if (n == 2 && c[1] == U) {
    if (aRow(c[0])) classes |= kanaClass(aRow(c[0]));
    if (c[0] == hira(0x304A)) classes |= kanaClass(hira(0x308F));
    if (c[0] == hira(0x3088)) classes |= kanaClass(hira(0x3048));
    if (c[0] == hira(0x3086)) classes |= kanaClass(hira(0x3044));
  }
  return classes;
}

// The place of a CP932 code among those of the kanji a KANJIDIC line can give (first byte
// 0x88-0x9F or 0xE0-0xEA, second 0x40-0xFC), KanjiSlots for any other code.
constexpr std::size_t TrailBytes = 0xFC - 0x40 + 1;
constexpr std::size_t KanjiSlots = (0x9F - 0x88 + 1 + 0xEA - 0xE0 + 1) * TrailBytes;
std::size_t kanjiSlot(std::uint16_t code) {
  const unsigned lead = code >> 8;
  const unsigned trail = code & 0xFF;
  if (trail < 0x40 || trail > 0xFC) return KanjiSlots;
  if (lead >= 0x88 && lead <= 0x9F) return (lead - 0x88) * TrailBytes + trail - 0x40;
  if (lead >= 0xE0 && lead <= 0xEA) return (lead - 0xE0 + 0x9F - 0x88 + 1) * TrailBytes + trail - 0x40;
  return KanjiSlots;
}

// A reading form of at most 24 kana.
struct Form {
  std::uint16_t c[24];
  int n = 0;
  void push(std::uint16_t k) {
    if (n < 24) c[n++] = k;
  }
};

// The historical spellings of a modern on reading: しょう せう しやう, ちゅう ちう ちふ,
// こう かう かふ こふ, か くわ; with ComposeOldOn also おう わう, よう えう えふ, ゆう いう いふ,
// しょう せふ.
int historicalForms(const Form& f, Form* out, unsigned rules) {
  int count = 0;
  auto withEnd = [&](int keep, std::initializer_list<std::uint16_t> end) {
    Form v;
    for (int i = 0; i < keep; ++i) v.push(f.c[i]);
    for (std::uint16_t k : end) v.push(k);
    out[count++] = v;
  };
  const std::uint16_t U = hira(0x3046), Fu = hira(0x3075), Ya = hira(0x3084);
  const bool older = (rules & ComposeOldOn) != 0;
  const std::uint16_t I = hira(0x3044), E = hira(0x3048), Wa = hira(0x308F);
  if (f.n >= 3 && f.c[f.n - 1] == U && f.c[f.n - 2] == hira(0x3087) && eRow(f.c[f.n - 3])) {
    withEnd(f.n - 3, {eRow(f.c[f.n - 3]), U});
    withEnd(f.n - 2, {Ya, U});
    if (older) withEnd(f.n - 3, {eRow(f.c[f.n - 3]), Fu});
  } else if (f.n >= 3 && f.c[f.n - 1] == U && f.c[f.n - 2] == hira(0x3085) && eRow(f.c[f.n - 3])) {
    withEnd(f.n - 2, {U});
    withEnd(f.n - 2, {Fu});
  } else if (f.n >= 2 && f.c[f.n - 1] == U && aRow(f.c[f.n - 2])) {
    withEnd(f.n - 2, {aRow(f.c[f.n - 2]), U});
    withEnd(f.n - 2, {aRow(f.c[f.n - 2]), Fu});
    withEnd(f.n - 1, {Fu});
    if (older && f.c[f.n - 2] == hira(0x304A)) withEnd(f.n - 2, {Wa, U});  // おう わう
    if (older && f.c[f.n - 2] == hira(0x3088)) {                            // よう えう えふ
      withEnd(f.n - 2, {E, U});
      withEnd(f.n - 2, {E, Fu});
    }
  } else if (older && f.n >= 2 && f.c[f.n - 1] == U && f.c[f.n - 2] == hira(0x3086)) {  // ゆう いう いふ
    withEnd(f.n - 2, {I, U});
    withEnd(f.n - 2, {I, Fu});
  }
  if (f.n >= 1 && (f.c[0] == hira(0x304B) || f.c[0] == hira(0x304C))) {  // か が
    Form v;
    v.push(f.c[0] == hira(0x304B) ? hira(0x304F) : hira(0x3050));      // く ぐ
    v.push(hira(0x308F));                                              // わ
    for (int i = 1; i < f.n; ++i) v.push(f.c[i]);
    out[count++] = v;
  }
  return count;
}

}  // namespace

// The walk over (key position, ruby position) of one composition test.
struct ComposeWalk {
  const KanjiReadings& k;
  const std::vector<std::uint16_t>& key;
  const std::vector<std::uint16_t>& ruby;
  unsigned rules;
  std::vector<char>& reach;  // (key.size() + 1) × (ruby.size() + 1)

  char& at(std::size_t i, std::size_t j) { return reach[i * (ruby.size() + 1) + j]; }

  bool same(std::uint16_t r, std::uint16_t f, bool inKun) const {
    if (r == f) return true;
    // Old books write a small kana of the reading large (でんちよく), never the reverse.
    if ((rules & ComposeLargeSmall) && r == largeKana(f)) return true;
    if (rules & ComposeHistorical) {
      r = modernKana(r);
      f = modernKana(f);
      if (inKun) r = waRow(r);
    }
    return r == f;
  }

  // The ruby from j on begins with the n codes c, the first read as `first` and, where `last` is
  // not 0, the last as `last`: where it ends, or 0.
  std::size_t matchCodes(std::size_t j, const std::uint16_t* c, int n, std::uint16_t first, std::uint16_t last,
                         bool kun) const {
    if (n == 0 || j + n > ruby.size()) return 0;
    for (int x = 0; x < n; ++x) {
      const std::uint16_t f = x == 0 ? first : x == n - 1 && last != 0 ? last : c[x];
      if (!same(ruby[j + x], f, kun && x > 0)) return 0;
    }
    return j + n;
  }
  std::size_t match(std::size_t j, const Form& f, bool kun) const {
    return f.n == 0 ? 0 : matchCodes(j, f.c, f.n, f.c[0], 0, kun);
  }

  // The first kana of a form whose first kana is `first`, with the given head (0 as it is, 1
  // voiced by rendaku, 2 made ぱ-row after っ or ん), at key position i and ruby position j; 0
  // where that head does not apply.
  std::uint16_t headed(std::uint16_t first, int head, std::size_t i, std::size_t j, bool kun) const {
    if (head == 0) return first;
    if (i == 0) return 0;
    if (head == 1) return (rules & (kun ? ComposeRendaku : ComposeRendakuOn)) ? voicedKana(first) : 0;
    const bool afterStop = j > 0 && (ruby[j - 1] == hira(0x3093) || ruby[j - 1] == hira(0x3063) ||
                                     ((rules & ComposeLargeSmall) && ruby[j - 1] == hira(0x3064)));
    return afterStop && (rules & ComposeHandaku) ? semiVoicedKana(first) : 0;
  }

  // Whether some head of a form beginning with `first` begins the ruby at j: most readings of a
  // character do not, and are ruled out by their first kana alone.
  bool mayBegin(std::uint16_t first, std::size_t i, std::size_t j, bool kun) const {
    if (j >= ruby.size()) return false;
    for (int head = 0; head < 3; ++head)
      if (const std::uint16_t h = headed(first, head, i, j, kun); h != 0 && same(ruby[j], h, false)) return true;
    return false;
  }

  // Whether a historical spelling of the on reading c (historicalForms) that begins otherwise
  // than the reading may begin the ruby at j: くわ for か, せう for しょう, かう for こう, わう for
  // おう, えう for よう, いう for ゆう.
  bool historicalMayBegin(const std::uint16_t* c, int n, std::size_t i, std::size_t j) const {
    std::uint16_t firsts[4];
    int count = 0;
    const std::uint16_t U = hira(0x3046);
    if (c[0] == hira(0x304B) || c[0] == hira(0x304C)) firsts[count++] = c[0] == hira(0x304B) ? hira(0x304F) : hira(0x3050);
    if (n == 3 && c[2] == U && c[1] == hira(0x3087) && eRow(c[0])) firsts[count++] = eRow(c[0]);
    if (n == 2 && c[1] == U) {
      if (aRow(c[0])) firsts[count++] = aRow(c[0]);
      if (rules & ComposeOldOn) {
        if (c[0] == hira(0x304A)) firsts[count++] = hira(0x308F);
        if (c[0] == hira(0x3088)) firsts[count++] = hira(0x3048);
        if (c[0] == hira(0x3086)) firsts[count++] = hira(0x3044);
      }
    }
    for (int f = 0; f < count; ++f)
      if (mayBegin(firsts[f], i, j, false)) return true;
    return false;
  }

  // One form of a reading, its n codes c, of the character at key position i, tried at ruby
  // position j.
  void placeForm(std::size_t i, std::size_t j, const std::uint16_t* c, int n, bool kun) {
    if (n == 0 || j >= ruby.size()) return;
    const bool final = i + 1 == key.size();
    for (int head = 0; head < 3; ++head) {
      // a form whose first kana differs from the ruby's matches in no way
      const std::uint16_t first = headed(c[0], head, i, j, kun);
      if (first == 0 || !same(ruby[j], first, false)) continue;
      if (const std::size_t end = matchCodes(j, c, n, first, 0, kun)) at(i + 1, end) = 1;
      // A non-final on reading ending in つ く ち き doubles the next consonant: がっ.
      if (!final && !kun && (rules & ComposeSokuon) && n >= 2) {
        const unsigned last = uni(c[n - 1]);
        if (last == 0x3064 || last == 0x304F || last == 0x3061 || last == 0x304D)
          if (const std::size_t end = matchCodes(j, c, n, first, hira(0x3063), kun)) at(i + 1, end) = 1;
      }
    }
  }

  // The forms of one reading, its first n codes, of the character at key position i, tried at
  // ruby position j.
  void place(std::size_t i, std::size_t j, const std::uint16_t* text, int n, KanjiReadings::ReadingKind kind) {
    const bool on = kind == KanjiReadings::ReadingKind::On;
    placeForm(i, j, text, n, !on);
    if (!on || !(rules & ComposeHistorical)) return;
    Form base;
    for (int x = 0; x < n; ++x) base.push(text[x]);
    Form forms[7];
    const int count = historicalForms(base, forms, rules);
    for (int v = 0; v < count; ++v) placeForm(i, j, forms[v].c, forms[v].n, false);
  }

  void placeReadingsOf(std::uint16_t kanji, std::size_t i, std::size_t j) {
    using K = KanjiReadings;
    const std::uint16_t* p = k.blockOf(kanji);
    unsigned count = p[0] + ((rules & ComposeNames) ? p[1] : 0u);
    const std::uint32_t here = j < ruby.size() ? kanaClass(ruby[j]) : 0;
    for (p += 2; count > 0; --count) {
      const std::uint16_t header = *p++;
      const std::uint32_t classes = p[0] | static_cast<std::uint32_t>(p[1]) << 16;
      const std::uint16_t* text = p + 2;
      const int length = K::lengthOf(header);
      p = text + length;
      if (!(classes & here)) continue;  // the class of the ruby's kana rules out most readings at once
      const K::ReadingKind kind = K::kindOf(header);
      const bool on = kind == K::ReadingKind::On;
      // most readings are ruled out by their first kana, or those of their historical spellings
      if (length > 0 && !mayBegin(text[0], i, j, !on) &&
          !(on && (rules & ComposeHistorical) && historicalMayBegin(text, length, i, j)))
        continue;
      const int longest = (rules & ComposeKunOkurigana) ? length : K::stemOf(header);
      for (int n = K::stemOf(header); n <= longest; ++n) place(i, j, text, n, kind);
    }
  }

  bool run() {
    reach.assign((key.size() + 1) * (ruby.size() + 1), 0);
    at(0, 0) = 1;
    for (std::size_t i = 0; i < key.size(); ++i) {
      const std::uint16_t c = key[i];
      for (std::size_t j = 0; j <= ruby.size(); ++j) {
        if (!at(i, j)) continue;
        if (c == SmallKa || c == SmallKe) {
          if (!(rules & ComposeSmallKe)) continue;
          for (unsigned u : {0x304Bu, 0x304Cu, 0x3053u, 0x3051u}) {  // か が こ け
            Form f;
            f.push(hira(u));
            if (const std::size_t end = match(j, f, false)) at(i + 1, end) = 1;
          }
        } else if (isHiragana(c) || isKatakana(c) || c == LongVowel) {
          if (j < ruby.size() && same(ruby[j], toHiragana(c), false)) at(i + 1, j + 1) = 1;
        } else if (c == Repeat) {
          if ((rules & ComposeRepeat) && i > 0 && isKanji(key[i - 1])) placeReadingsOf(key[i - 1], i, j);
        } else if (isKanji(c)) {
          placeReadingsOf(c, i, j);
        }
      }
    }
    return at(key.size(), ruby.size()) != 0;
  }
};

namespace {

// CP932 text as codes: a double-byte character as one value, a single byte as itself.
void codes(std::string_view text, std::vector<std::uint16_t>& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (isLeadByte(b) && i + 1 < text.size()) {
      out.push_back(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[i + 1])));
      ++i;
    } else {
      out.push_back(b);
    }
  }
}

// Whether test(c) holds for every code of the CP932 text (codes), tested in order up to the
// first that fails.
template <typename Test>
bool everyCode(std::string_view text, Test test) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    std::uint16_t c = b;
    if (isLeadByte(b) && i + 1 < text.size())
      c = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[++i]));
    if (!test(c)) return false;
  }
  return true;
}

// One JIS X 0208 character in EUC-JP as its CP932 code.
std::uint16_t eucToCp932(unsigned char b1, unsigned char b2) {
  const unsigned j1 = b1 - 0x80u;
  const unsigned j2 = b2 - 0x80u;
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned s2 = (j1 & 1) ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
  return static_cast<std::uint16_t>(s1 << 8 | s2);
}

}  // namespace

bool KanjiReadings::load(const char* path) {
  std::string bytes;
  readDictionaryFile(path, bytes);
  loadText(bytes);
  return !empty();
}

void KanjiReadings::loadText(std::string_view bytes) {
  blocks_.clear();
  blockAt_.clear();
  kanjiCount_ = 0;
  std::vector<std::uint16_t> pool;
  // Lines are taken in any order: each kanji's readings are gathered by a sort.
  struct Entry {
    std::uint16_t kanji;
    Reading reading;
  };
  std::vector<Entry> entries;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() < 3 || line[0] == '#') continue;
    const unsigned char b1 = static_cast<unsigned char>(line[0]);
    const unsigned char b2 = static_cast<unsigned char>(line[1]);
    if (b1 < 0xB0 || b1 > 0xF4 || b2 < 0xA1 || b2 > 0xFE || line[2] != ' ') continue;  // a kanji of JIS X 0208
    const std::uint16_t kanji = eucToCp932(b1, b2);
    bool names = false;
    std::size_t p = 3;
    while (p < line.size()) {
      std::size_t q = line.find(' ', p);
      if (q == std::string_view::npos) q = line.size();
      const std::string_view token = line.substr(p, q - p);
      p = q + 1;
      if (token.empty()) continue;
      if (token[0] == '{') break;  // the meanings close the line
      if (token == "T1") {
        names = true;
        continue;
      }
      if (token[0] == 'T') break;  // T2: radical names
      const unsigned char lead = static_cast<unsigned char>(token[0]);
      if (lead != 0xA4 && lead != 0xA5 && token[0] != '-') continue;  // codes of other indexes
      Reading r{static_cast<std::uint32_t>(pool.size()), 0, 0, ReadingKind::On};
      bool dot = false;
      bool kata = false;
      bool valid = true;
      for (std::size_t x = 0; x < token.size(); ++x) {
        const unsigned char c = static_cast<unsigned char>(token[x]);
        if (c == '-') continue;
        if (c == '.') {
          dot = true;
          r.stem = r.length;
          continue;
        }
        if ((c != 0xA4 && c != 0xA5 && c != 0xA1) || x + 1 >= token.size()) {
          valid = false;
          break;
        }
        std::uint16_t code = eucToCp932(c, static_cast<unsigned char>(token[++x]));
        if (c == 0xA5) {
          kata = true;
          code = toHiragana(code);
        }
        pool.push_back(code);
        // A longer reading is no reading of one kanji; stopping here also keeps the count
        // from wrapping in its byte.
        if (++r.length > MaxKanjiReadingKana) {
          valid = false;
          break;
        }
      }
      if (!valid || r.length == 0) {
        pool.resize(r.offset);
        continue;
      }
      if (!dot) r.stem = r.length;
      r.kind = kata ? ReadingKind::On : names ? ReadingKind::Name : ReadingKind::Kun;
      entries.push_back({kanji, r});
    }
  }
  auto isName = [](const Entry& e) { return e.reading.kind == ReadingKind::Name; };
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    return a.kanji != b.kanji ? a.kanji < b.kanji : isName(a) < isName(b);
  });
  blocks_ = {0, 0};  // the empty block
  blockAt_.assign(KanjiSlots + 1, 0);
  for (std::size_t e = 0; e < entries.size();) {
    const std::uint16_t kanji = entries[e].kanji;
    const std::size_t at = blocks_.size();
    blockAt_[kanjiSlot(kanji)] = static_cast<std::uint32_t>(at);
    blocks_.insert(blocks_.end(), {0, 0});
    ++kanjiCount_;  // a kanji with a reading at least
    for (; e < entries.size() && entries[e].kanji == kanji; ++e) {
      const Reading& r = entries[e].reading;
      std::uint16_t& count = blocks_[at + isName(entries[e])];
      if (count == UINT16_MAX) continue;  // no real kanji has that many
      ++count;
      const std::uint32_t classes = firstClasses(pool.data() + r.offset, r.length, r.kind == ReadingKind::On);
      blocks_.insert(blocks_.end(),
                     {headerOf(r), static_cast<std::uint16_t>(classes), static_cast<std::uint16_t>(classes >> 16)});
      blocks_.insert(blocks_.end(), pool.begin() + r.offset, pool.begin() + r.offset + r.length);
    }
  }
}

const std::uint16_t* KanjiReadings::blockOf(std::uint16_t kanji) const {
  return blocks_.data() + blockAt_[kanjiSlot(kanji)];
}

bool KanjiReadings::composes(std::string_view key, std::string_view ruby, unsigned rules) const {
  if (empty() || key.empty() || ruby.empty()) return false;
  if (key.size() > MaxComposedKeyBytes || ruby.size() > MaxComposedRubyBytes) return false;
  thread_local std::vector<std::uint16_t> k, r;
  thread_local std::vector<char> reach;  // kept for the next test: most tests are small
  prefetch(key);  // the key's blocks at once: one after another, each would wait for memory alone
  codes(key, k);
  codes(ruby, r);
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i] < 0x100) return false;
    // ゝ repeats the kana before it, ゞ repeats it voiced.
    if ((rules & ComposeRepeat) && i > 0 && (r[i] == 0x8154 || r[i] == 0x8155)) {
      const std::uint16_t v = voicedKana(r[i - 1]);
      r[i] = r[i] == 0x8155 && v ? v : r[i - 1];
    }
  }
  ComposeWalk walk{*this, k, r, rules, reach};
  return walk.run();
}

void KanjiReadings::prefetch(std::string_view key) const {
  if (blockAt_.empty()) return;
  for (std::size_t i = 0; i + 1 < key.size(); ++i) {
    const auto b = static_cast<unsigned char>(key[i]);
    if (!isLeadByte(b)) continue;
    const auto c = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(key[++i]));
    if (isKanji(c)) __builtin_prefetch(blockOf(c));
  }
}

bool isKatakanaGloss(std::string_view key, std::string_view ruby) {
  // read code by code, as codes() reads them: most rubies end the test at their first kana
  bool katakana = false;
  const bool onlyKatakana = everyCode(ruby, [&katakana](std::uint16_t c) {
    katakana = katakana || isKatakana(c);
    return isKatakana(c) || c == LongVowel || c == Dot;
  });
  if (!onlyKatakana || !katakana) return false;
  return !everyCode(key, [](std::uint16_t c) { return !isKanji(c) && c != Repeat; });
}

std::vector<std::string> kanjidicFiles(const std::string& programFolder) {
#ifdef _WIN32
  return {programFolder + "kanjidic", "Z:\\usr\\share\\edict\\kanjidic"};
#else
  return {programFolder + "kanjidic", "/usr/share/edict/kanjidic"};
#endif
}

std::string programFolder() {
  char path[4096];
  if (!platformFileOps().modulePath(path, sizeof path)) return {};
  return std::string(path, folderLength(path));
}

const KanjiReadings& kanjiReadings() {
  static const KanjiReadings loaded = [] {
    KanjiReadings k;
    for (const std::string& file : kanjidicFiles(programFolder()))
      if (k.load(file.c_str())) break;
    return k;
  }();
  return loaded;
}

}  // namespace obel
