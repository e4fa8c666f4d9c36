#pragma once
// The readings of single kanji (a KANJIDIC file: EUC-JP, one kanji a line with its JIS code,
// on readings in katakana, kun readings in hiragana with '.' before their okurigana and '-' on
// affixes, name readings after "T1"), and the test whether a ruby is composed of the readings
// of its key's characters, when no reading of the key as a whole confirms it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace obel {

// The rules of composition, as bits; DefaultComposeRules are those the check uses.
constexpr unsigned ComposeRendaku = 0x001;     // a non-initial kun reading voiced: ひと+ひと → ひとびと
constexpr unsigned ComposeRendakuOn = 0x002;   // a non-initial on reading voiced as well
constexpr unsigned ComposeSokuon = 0x004;      // a non-final on reading ending in つくちき as っ: がく+こう → がっこう
constexpr unsigned ComposeHandaku = 0x008;     // は-row made ぱ-row after っ or ん: さん+ほ → さんぽ
constexpr unsigned ComposeRepeat = 0x010;      // 々 reads as the character before it, ゝ ゞ in the ruby as the kana
constexpr unsigned ComposeSmallKe = 0x020;     // ヶ and ヵ read か が こ け
constexpr unsigned ComposeHistorical = 0x040;  // historical spellings: せう ちう かう ぢ づ ゐ ゑ, くわ, は-row kun
constexpr unsigned ComposeLargeSmall = 0x080;  // small kana written large: でんちよく
constexpr unsigned ComposeNames = 0x100;       // name readings (after T1)
constexpr unsigned ComposeKunOkurigana = 0x200;  // a kun reading taken on into part of its okurigana
constexpr unsigned ComposeOldOn = 0x400;  // older spellings of on readings: わう えう えふ いう いふ, せふ てふ
constexpr unsigned DefaultComposeRules = ComposeRendaku | ComposeHandaku | ComposeRepeat | ComposeSmallKe |
                                         ComposeHistorical | ComposeKunOkurigana | ComposeOldOn;
// Added to them in a book whose rubies do without small kana: there じゆつ is じゅつ, while in a
// book that writes small kana the same text is a typo.
constexpr unsigned WithoutSmallKanaRules = ComposeLargeSmall;

// The longest key and ruby a composition is tried on, in bytes. The longest of 109,711 rubies
// with a key in 400 proofread books have a key of 26 characters and a ruby of 35; a longer
// item does not compose, so that a line-long ruby costs no more than a real one.
constexpr std::size_t MaxComposedKeyBytes = 128;
constexpr std::size_t MaxComposedRubyBytes = 256;

class KanjiReadings {
 public:
  // Reads and indexes the file; false (and no readings) when it cannot be read.
  bool load(const char* path);
  // Indexes KANJIDIC text already in memory (the whole file's bytes).
  void loadText(std::string_view bytes);
  std::size_t kanjiCount() const { return kanjiCount_; }
  bool empty() const { return kanjiCount_ == 0; }

  // True when the CP932 ruby can be cut into consecutive readings of the CP932 key's
  // characters, in order, under the rules; kana in the key stand for themselves. False for a
  // key or ruby longer than the bounds above.
  bool composes(std::string_view key, std::string_view ruby, unsigned rules = DefaultComposeRules) const;
  // Begins to fetch the readings of the CP932 key's kanji, so that the walk of a later test of
  // that key finds them at hand.
  void prefetch(std::string_view key) const;

 private:
  // An on reading is given in katakana, a kun reading in hiragana; names come after KANJIDIC's
  // T1 marker and count only under ComposeNames.
  enum class ReadingKind : std::uint8_t { On, Kun, Name };
  struct Reading {
    std::uint32_t offset;  // into the load's pool: CP932 codes of hiragana
    std::uint8_t length;
    std::uint8_t stem;     // the part before '.', the whole reading when there is none
    ReadingKind kind;
  };
  // A reading in a block: its header, the classes of kana its forms may begin with (two words,
  // the low one first), then its `length` codes.
  static std::uint16_t headerOf(const Reading& r) {
    return static_cast<std::uint16_t>(r.length | r.stem << 5 | static_cast<unsigned>(r.kind) << 10);
  }
  static int lengthOf(std::uint16_t header) { return header & 31; }
  static int stemOf(std::uint16_t header) { return header >> 5 & 31; }
  static ReadingKind kindOf(std::uint16_t header) { return static_cast<ReadingKind>(header >> 10); }
  // The kanji's block: the count of its on and kun readings, the count of its name readings,
  // then the readings, those of names last.
  const std::uint16_t* blockOf(std::uint16_t kanji) const;

  // Each kanji's readings with their kana in one block, so that the walk finds them together.
  std::vector<std::uint16_t> blocks_;
  // Where each kanji's block begins, by kanjiSlot; the empty block, of none, is at 0.
  std::vector<std::uint32_t> blockAt_;
  std::size_t kanjiCount_ = 0;

  friend struct ComposeWalk;
};

// True when the CP932 ruby is written only in katakana (ー and ・ allowed, at least one
// katakana) and the key holds a kanji: a gloss that no reading comparison can judge.
bool isKatakanaGloss(std::string_view key, std::string_view ruby);

// The files where KANJIDIC is looked for, in order: "kanjidic" in the program's folder, then
// where the kanjidic package installs it.
std::vector<std::string> kanjidicFiles(const std::string& programFolder);
// The folder of the running program, with its closing separator; empty when unknown.
std::string programFolder();

// The process-wide KANJIDIC of the check, loaded from the first of kanjidicFiles that reads, on
// the first call; empty when none does.
const KanjiReadings& kanjiReadings();

}  // namespace obel
