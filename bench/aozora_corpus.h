#pragma once
// A generator of Aozora Bunko style text for the benchmarks: Shift-JIS, CR LF, long paragraph
// lines of kana and kanji runs, rubies (with and without ｜, often followed by okurigana),
// annotations and quotes. Deterministic for a given seed.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace obel::bench {

// A word the books use: its key and reading (CP932), the hiragana its okurigana may begin with
// (each two bytes; empty for a word without okurigana), and in how many books it stands.
struct BookWord {
  std::string key, reading, okuriganaKana;
  std::uint32_t books = 0;
};

class AozoraText {
 public:
  // A made-up vocabulary of random kanji and kana: nearly every ruby is one no dictionary knows.
  explicit AozoraText(std::uint32_t seed) : rng_(seed) {
    for (int i = 0; i < 6000; ++i) {
      Word w;
      w.key = kanjiRun(1 + pick(4) % 3 + (pick(5) == 0));
      w.reading = hiraganaRun(2 + pick(6));
      vocabulary_.push_back(w);
      if (pick(8) == 0) vocabulary_.push_back({w.key, hiraganaRun(2 + pick(5)), ""});  // a second reading
    }
  }
  // The words of real books, the more books the more often (give them most books first): the
  // check confirms most rubies, as in a real library. A word's ruby covers its whole run of
  // kanji (a kanji just before it is kept apart), and ｜ stands between kanji and a word.
  AozoraText(std::uint32_t seed, const std::vector<BookWord>& words) : rng_(seed), realWords_(true) {
    for (const BookWord& w : words) vocabulary_.push_back({w.key, w.reading, w.okuriganaKana});
  }

  // One paragraph line without its line end.
  std::string line() {
    std::string out = "\x81\x40";  // ideographic space indent
    const int length = pick(20) == 0 ? 3000 + pick(3000) : 60 + pick(700);
    while (static_cast<int>(out.size()) < length) segment(out);
    out += "\x81\x42";  // 。
    return out;
  }

  int rubiesWritten() const { return rubies_; }

  // Writes files until at least `items` rubies were written; returns their paths.
  std::vector<std::filesystem::path> writeCorpus(const std::filesystem::path& folder, int items) {
    std::vector<std::filesystem::path> files;
    std::filesystem::create_directories(folder);
    for (int n = 0; rubies_ < items; ++n) {
      const std::filesystem::path sub = folder / ("vol" + std::to_string(n % 4));
      std::filesystem::create_directories(sub);
      const std::filesystem::path file = sub / ("book" + std::to_string(1000 + n) + ".txt");
      std::ofstream out(file, std::ios::binary);
      out << "\x8f\xac\x90\xe0\r\n\r\n";  // a title line
      const int paragraphs = 150 + pick(150);
      for (int p = 0; p < paragraphs && rubies_ < items; ++p) {
        out << line() << "\r\n";
        if (pick(30) == 0) out << "\x81\x6d\x81\x94\x89\xfc\x83\x79\x81\x5b\x83\x57\x81\x6e\r\n";  // ［＃改ページ］
      }
      files.push_back(file);
    }
    return files;
  }

 private:
  struct Word {
    std::string key, reading, okuriganaKana;
  };
  static constexpr char Particles[][3] = {"\x82\xcc", "\x82\xcd", "\x82\xaa", "\x82\xc6", "\x82\xc9", "\x82\xf0"};  // のはがとにを

  bool endsInKanji(const std::string& out) const {
    return out.size() >= 2 && static_cast<unsigned char>(out[out.size() - 2]) >= 0x88;
  }
  // Kana runs as books write them between kanji, the most frequent first: particles and endings.
  // の に が は と で な も い り して から く って や へ る き し した だ った いて には つて しい て
  // いた として み れ つた である んで する しく か のように にも でも
  static constexpr const char* ProseKana[] = {
      "\x82\xcc", "\x82\xc9", "\x82\xaa", "\x82\xcd", "\x82\xc6", "\x82\xc5", "\x82\xc8", "\x82\xe0",
      "\x82\xa2", "\x82\xe8", "\x82\xb5\x82\xc4", "\x82\xa9\x82\xe7", "\x82\xad", "\x82\xc1\x82\xc4",
      "\x82\xe2", "\x82\xd6", "\x82\xe9", "\x82\xab", "\x82\xb5", "\x82\xb5\x82\xbd", "\x82\xbe",
      "\x82\xc1\x82\xbd", "\x82\xa2\x82\xc4", "\x82\xc9\x82\xcd", "\x82\xc2\x82\xc4", "\x82\xb5\x82\xa2",
      "\x82\xc4", "\x82\xa2\x82\xbd", "\x82\xc6\x82\xb5\x82\xc4", "\x82\xdd", "\x82\xea", "\x82\xc2\x82\xbd",
      "\x82\xc5\x82\xa0\x82\xe9", "\x82\xf1\x82\xc5", "\x82\xb7\x82\xe9", "\x82\xb5\x82\xad", "\x82\xa9",
      "\x82\xcc\x82\xe6\x82\xa4\x82\xc9", "\x82\xc9\x82\xe0", "\x82\xc5\x82\xe0"};
  // A run of kana between kanji: mostly a frequent one, sometimes any.
  void proseKana(std::string& out) {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    if (pick(3) == 0) out += hiraganaRun(2 + pick(5));
    else out += ProseKana[static_cast<std::size_t>(std::size(ProseKana) * u * u)];
  }
  // A real word's okurigana: a kana it may begin with, then perhaps the kana of prose; a kanji
  // ends it, as in books, where the kana after a ruby run up to the next word.
  void okuriganaOf(const Word& w, std::string& out) {
    if (w.okuriganaKana.empty()) {
      if (pick(2) == 0) proseKana(out);
    } else {
      out += w.okuriganaKana.substr(2 * static_cast<std::size_t>(pick(static_cast<int>(w.okuriganaKana.size() / 2))), 2);
      if (pick(4) != 0) proseKana(out);
    }
    kanji(out);
  }

  int pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }

  // JIS level 1 kanji: leads 0x89 to 0x97, trails 0x40 to 0xFC without 0x7F.
  void kanji(std::string& out) {
    out += static_cast<char>(0x89 + pick(15));
    int trail = 0x40 + pick(188);
    if (trail >= 0x7F) ++trail;
    out += static_cast<char>(trail);
  }
  std::string kanjiRun(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) kanji(s);
    return s;
  }
  std::string hiraganaRun(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      s += static_cast<char>(0x82);
      s += static_cast<char>(0x9F + pick(0xF1 - 0x9F + 1));
    }
    return s;
  }
  std::string katakanaRun(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      s += static_cast<char>(0x83);
      int trail = 0x40 + pick(0x56);
      if (trail >= 0x7F) ++trail;
      s += static_cast<char>(trail);
    }
    return s;
  }
  // A frequent word more often than a rare one (roughly Zipf-like).
  const Word& word() {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    const std::size_t i = static_cast<std::size_t>(vocabulary_.size() * u * u * u);
    return vocabulary_[i < vocabulary_.size() ? i : 0];
  }

  // Two words as one ruby: the long tail of a library's rubies, names and compounds that no
  // dictionary holds whole, read as their parts are (the first part without okurigana).
  void compound(std::string& out) {
    const Word* first = &word();
    for (int tries = 0; tries < 8 && !first->okuriganaKana.empty(); ++tries) first = &word();
    const Word& second = word();
    if (endsInKanji(out)) out += Particles[0];
    out += first->key + second.key + "\x81\x73" + first->reading + second.reading + "\x81\x74";
    okuriganaOf(second, out);
  }

  // Kinds of segment, weighted so that a ruby comes every 300 bytes or so, as in real books.
  int segmentKind() {
    const int r = pick(100);
    if (r < 3) return 0;   // kanji word with ruby
    if (r < 4) return 4;   // explicit base
    if (r < 6) return 5;   // katakana
    if (r < 9) return 6;   // annotation or comma
    if (r < 12) return 7;  // quote
    if (r < 30) return 8;  // kanji without ruby
    return 11;             // kana
  }

  void segment(std::string& out) {
    switch (segmentKind()) {
      case 0: case 1: case 2: case 3: {  // kanji word with its reading and okurigana
        const Word& w = word();
        if (realWords_ && endsInKanji(out)) out += Particles[0];
        out += w.key + "\x81\x73" + w.reading + "\x81\x74";
        ++rubies_;
        if (realWords_) okuriganaOf(w, out);
        else if (pick(2) == 0) out += hiraganaRun(1 + pick(3));
        break;
      }
      case 4: {  // explicit base over kana and kanji
        if (realWords_) {  // a word after other kanji
          const Word& w = word();
          out += kanjiRun(1 + pick(2)) + "\x81\x62" + w.key + "\x81\x73" + w.reading + "\x81\x74";
          okuriganaOf(w, out);
        } else {
          out += "\x81\x62" + hiraganaRun(1 + pick(2)) + kanjiRun(1 + pick(2)) + "\x81\x73" + hiraganaRun(3 + pick(4)) + "\x81\x74";
        }
        ++rubies_;
        break;
      }
      case 5:  // katakana word with a kanji reading in parentheses-like ruby (a compound of real words)
        if (pick(3) == 0) {
          if (realWords_) compound(out);
          else out += "\x81\x62" + katakanaRun(2 + pick(4)) + "\x81\x73" + hiraganaRun(2 + pick(4)) + "\x81\x74";
          ++rubies_;
        } else {
          out += katakanaRun(2 + pick(5));
        }
        break;
      case 6:  // an annotation: ［＃「…」に傍点］
        if (pick(4) == 0) out += "\x81\x6d\x81\x94\x81\x75" + kanjiRun(2) + "\x81\x76\x82\xc9\x96\x54\x93\x5f\x81\x6e";
        else out += "\x81\x41";  // 、
        break;
      case 7:  // a quote
        out += "\x81\x75" + hiraganaRun(3 + pick(8)) + kanjiRun(1 + pick(2)) + hiraganaRun(2) + "\x81\x76";
        break;
      case 8: case 9: case 10:
        out += kanjiRun(1 + pick(3));  // kanji without ruby
        break;
      default:
        if (realWords_) {
          for (int n = pick(3) == 0 ? 2 : 1; n > 0; --n) {
            proseKana(out);
            kanji(out);
          }
        } else {
          out += hiraganaRun(2 + pick(8));
        }
        break;
    }
  }

  std::mt19937 rng_;
  bool realWords_ = false;
  std::vector<Word> vocabulary_;
  int rubies_ = 0;
};

}  // namespace obel::bench
