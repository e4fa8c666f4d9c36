// The reverse-conversion run over a full store (30000 items) with the SKK dictionary
// provider: dictionary load time, then items per second without the cache (the baseline),
// with a cold cache and with a warm one; then the check with every source (the skkdic file and
// the shipped Aozora readings) and the composed verdict from KANJIDIC beside the baseline, and
// the load time of KANJIDIC. Items are made from the dictionary's own lines, so
// that most queries find readings: about half the rubies are right, a quarter carry okurigana.
// Last, the search and check of one-line books of a ruby as long as the line, per KB, beside
// a book of ordinary text.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/aozora_corpus.h"
#include "engine/scanner.h"
#include "engine/store.h"
#include "engine/walk.h"
#include "revconv/cache.h"
#include "revconv/kanji_readings.h"
#include "revconv/run.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"
#include "settings/settings.h"

using namespace obel;
using Clock = std::chrono::steady_clock;

namespace {

#ifdef _WIN32
const char* DictionaryPath = "Z:\\usr\\share\\skk\\SKK-JISYO.L";
#else
const char* DictionaryPath = "/usr/share/skk/SKK-JISYO.L";
#endif

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Word {
  std::string key, reading, okurigana;
};

// (candidate, reading) pairs of the dictionary's lines, in CP932.
std::vector<Word> wordsOf(const char* path) {
  std::vector<Word> words;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == ';') continue;
    const std::u16string text = decodeEucJp(line);
    const std::size_t space = text.find(u" /");
    if (space == std::u16string::npos || space < 1) continue;
    std::u16string reading = text.substr(0, space);
    const std::size_t end = text.find_first_of(u"/;", space + 2);
    if (end == std::u16string::npos) continue;
    const std::u16string candidate = text.substr(space + 2, end - space - 2);
    if (candidate.empty() || candidate[0] == u'(' || candidate[0] == u'[') continue;
    Word w;
    if (reading.back() == u'r' && reading.size() >= 2) {  // okuri-ari with r: okurigana る
      reading.pop_back();
      w.okurigana = "\x82\xE9";  // る
    } else if (reading.back() < 0x80) {
      continue;
    }
    w.key = utf16ToCp932(candidate.c_str());
    w.reading = utf16ToCp932(reading.c_str());
    if (w.key.size() > 40 || w.key.find('?') != std::string::npos) continue;
    words.push_back(w);
  }
  return words;
}

void fillStore(const std::vector<Word>& words) {
  ResultStore& s = process::store();
  clear(s);
  std::mt19937 rng(7);
  std::vector<Word> pairs;
  for (int i = 0; i < 12000; ++i) {
    Word w = words[rng() % words.size()];
    if (rng() % 2) w.reading = words[rng() % words.size()].reading;  // a wrong ruby
    pairs.push_back(w);
  }
  while (s.itemCount < MaxItems) {
    const Word& w = pairs[s.itemCount < pairs.size() ? s.itemCount : rng() % pairs.size()];
    RubyItem& item = s.items[s.itemCount++];
    item = RubyItem{};
    item.keyId = static_cast<std::uint16_t>(internText(s, w.key.c_str()));
    item.rubyId = static_cast<std::uint16_t>(internText(s, w.reading.c_str()));
    item.okuriganaId = static_cast<std::uint16_t>(internText(s, w.okurigana.c_str()));
    item.number = 1;
    item.groupSize = 1;
  }
  finishSearch(s);
}

void resetVerdicts() {
  ResultStore& s = process::store();
  for (std::uint32_t i = 0; i < s.itemCount; ++i) s.items[i].flags &= PairShared | PairRepeat;
  s.pendingCheckCount = s.itemCount;
}

struct Outcome {
  double seconds;
  int confirmed;
};

Outcome timedRun(ReadingProvider& dictionary, const KanjiReadings* kanji = nullptr) {
  resetVerdicts();
  process::revConvRunning() = true;
  ReadingSource source{&dictionary, nullptr, nullptr, kanji};
  const Clock::time_point start = Clock::now();
  checkStoreItems(process::store(), source, nullptr);
  Outcome o{secondsSince(start), 0};
  for (std::uint32_t i = 0; i < process::store().itemCount; ++i)
    o.confirmed += (process::store().items[i].flags & (RevConvKeyOk | RevConvOkuriOk)) != 0;
  return o;
}

// The scan and the check, with every source, of the text as one book in the emptied store.
double checkSeconds(const std::string& text, ReadingProvider& all, const KanjiReadings& kanji) {
  ResultStore& s = process::store();
  clear(s);
  FileRecord* record = newFileRecord("C:\\bench\\book.txt");
  record->firstItem = s.items;
  const Clock::time_point start = Clock::now();
  record->itemCount = scanBuffer(s, record, text.c_str(), text.size());
  s.itemCount = record->itemCount;
  addFile(s, record);
  finishSearch(s);
  process::revConvRunning() = true;
  checkStoreItems(s, ReadingSource{&all, nullptr, nullptr, &kanji}, nullptr);
  return secondsSince(start);
}

// One line ｜base《reading》 of the given size, each half the same character.
std::string hostileLine(std::size_t bytes, const char* base, const char* reading) {
  std::string line = "\x81\x62";  // ｜
  while (line.size() < bytes / 2) line += base;
  line += "\x81\x73";  // 《
  while (line.size() < bytes - 6) line += reading;
  return line + "\x81\x74\r\n";  // 》
}

// A line-long ruby must cost the check no more per KB than a book does (within 2x).
void hostileLines(ReadingProvider& all, const KanjiReadings& kanji) {
  std::string book;
  bench::AozoraText text(31);
  while (book.size() < 400000) book += text.line() + "\r\n";
  const double bookPerKb = checkSeconds(book, all, kanji) / (book.size() / 1000.0);
  std::printf("\n%-44s %10s %10s %8s\n", "search and check, every source", "seconds", "ms per KB", "ratio");
  std::printf("%-44s %10.4f %10.4f %8s\n", "400 KB of ordinary text (baseline)", bookPerKb * book.size() / 1000,
              bookPerKb * 1000, "1.0");
  const char* Kanji = "\x8a\xbf";  // 漢
  const char* Ka = "\x82\xa9";     // か
  struct Line {
    const char* name;
    std::size_t bytes;
    const char* base;
  };
  double worst = 0;
  for (const Line& l : {Line{"one ruby of 120 KB, kanji base", 120000, Kanji}, Line{"one ruby of 400 KB, kanji base", 400000, Kanji},
                        Line{"one ruby of 1200 KB, kanji base", 1200000, Kanji}, Line{"one ruby of 400 KB, kana base", 400000, Ka}}) {
    const std::string line = hostileLine(l.bytes, l.base, Ka);
    const double seconds = checkSeconds(line, all, kanji);
    const double perKb = seconds / (line.size() / 1000.0);
    worst = std::max(worst, perKb / bookPerKb);
    std::printf("%-44s %10.4f %10.4f %8.2f\n", l.name, seconds, perKb * 1000, perKb / bookPerKb);
  }
  std::printf("a line-long ruby within 2x of a book per KB: %s\n", worst <= 2 ? "yes" : "NO");
}

}  // namespace

int main() {
  if (!std::ifstream(DictionaryPath)) {
    std::printf("revconv_bench: %s is not installed; nothing measured\n", DictionaryPath);
    return 0;
  }
  SkkDictionary dictionary;
  const Clock::time_point loadStart = Clock::now();
  if (!dictionary.load(DictionaryPath)) return 1;
  const double loadSeconds = secondsSince(loadStart);
  std::printf("dictionary load: %.3f s (%zu candidate texts)\n", loadSeconds, dictionary.candidateCount());

  fillStore(wordsOf(DictionaryPath));
  std::printf("store: %u items\n", process::store().itemCount);

  process::settings().useRevConvCache = 0;
  const Outcome baseline = timedRun(dictionary);
  process::settings().useRevConvCache = 1;
  clearCache(process::revConvCache());
  const Outcome cold = timedRun(dictionary);
  const Outcome warm = timedRun(dictionary);
  const auto print = [](const char* name, const Outcome& o) {
    std::printf("%-22s %8.3f s %10.0f items/s  (%d confirmed)\n", name, o.seconds,
                process::store().itemCount / (o.seconds > 0 ? o.seconds : 1e-9), o.confirmed);
  };
  print("no cache (baseline)", baseline);
  print("cache, cold", cold);
  print("cache, warm", warm);
  std::printf("cache entries used: %u of %u\n", process::revConvCache().nextSlot, CacheSlots);

  // Every source: the skkdic file, the shipped readings, and KANJIDIC for the composed verdict.
  KanjiReadings kanji;
  std::string kanjidic;
  for (const std::string& file : kanjidicFiles(programFolder()))
    if (std::ifstream(file)) {
      kanjidic = file;
      break;
    }
  if (kanjidic.empty()) {
    std::printf("KANJIDIC is not installed; the check with every source is not measured\n");
    return 0;
  }
  const Clock::time_point kanjiStart = Clock::now();
  kanji.load(kanjidic.c_str());
  std::printf("KANJIDIC load: %.1f ms (%zu kanji)\n", secondsSince(kanjiStart) * 1000, kanji.kanjiCount());
  DictionaryList all;
  all.add(DictionaryPath);
  const std::string shipped = std::string(OBEL_DATA_DIR) + AozoraReadingsFile;
  const Clock::time_point shippedStart = Clock::now();
  if (!all.add(shipped)) std::printf("%s cannot be read; measured without it\n", shipped.c_str());
  std::printf("shipped readings load: %.3f s\n", secondsSince(shippedStart));
  process::settings().useRevConvCache = 0;
  const Outcome today = timedRun(dictionary);
  const Outcome every = timedRun(all, &kanji);
  int composed = 0;
  for (std::uint32_t i = 0; i < process::store().itemCount; ++i) composed += (process::store().items[i].flags & RevConvComposed) != 0;
  print("skkdic alone (today)", today);
  print("every source, composed", every);
  std::printf("every source, composed: %.2fx the time of today's check (%d items composed)\n",
              every.seconds / (today.seconds > 0 ? today.seconds : 1e-9), composed);
  hostileLines(all, kanji);
  return 0;
}
