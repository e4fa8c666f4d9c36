// Times a whole search over a generated corpus that fills the store, side by side with the
// time to only read the same files; then the store's hash-indexed interning and repeat
// marking against the linear scans they replace (and checks that both agree); last, the scan
// of one-line texts of unclosed marks against ordinary text of the same size.
//   search_bench [FOLDER]   (default: a corpus generated in the temporary folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/aozora_corpus.h"
#include "engine/file_io.h"
#include "engine/native_path.h"
#include "engine/scanner.h"
#include "engine/store.h"
#include "engine/store_linear.h"
#include "engine/walk.h"

using namespace obel;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class QuietEvents : public SearchEvents {
 public:
  void showFileName(const char*) override {}
  void showMessage(const char* text) override { std::fprintf(stderr, "message: %s\n", text); }
};

std::string storePathOf(const std::filesystem::path& p) {
#ifdef _WIN32
  std::string s = p.string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
#else
  std::string s;
  fromNativePath(p.string().c_str(), s);
  return s;
#endif
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Median time of scanning the text as one file into an emptied store.
double scanSeconds(const std::string& text, std::uint32_t& items) {
  ResultStore& s = process::store();
  std::vector<double> times;
  for (int round = 0; round < 5; ++round) {
    clear(s);
    FileRecord record{};
    record.firstItem = s.items;
    const Clock::time_point t0 = Clock::now();
    items = scanBuffer(s, &record, text.c_str(), text.size());
    times.push_back(secondsSince(t0));
  }
  clear(s);
  return median(times);
}

// A line of unclosed marks makes every search for the closing mark look to the end of the
// line; the scan must stay linear, within a small factor of ordinary text.
void unclosedMarks() {
  const std::size_t bytes = 400000;
  std::string readings, notes, ordinary;
  while (readings.size() < bytes) readings += "\x81\x73";          // 《
  while (notes.size() < bytes) notes += "\x81\x6d\x81\x94";      // ［＃
  bench::AozoraText text(15);
  while (ordinary.size() < bytes) ordinary += text.line() + "\r\n";
  ordinary.resize(bytes);
  std::uint32_t items = 0;
  const double base = scanSeconds(ordinary, items);
  std::printf("%-34s %10s %8s %8s\n", "scan of 400 KB, median of 5", "seconds", "items", "ratio");
  std::printf("%-34s %10.5f %8u %8s\n", "ordinary text (baseline)", base, items, "1.0");
  double worst = 0;
  for (const auto& [name, line] : {std::pair<const char*, const std::string&>{"one line of 200000 open readings", readings},
                                   {"one line of 100000 open notes", notes}}) {
    const double t = scanSeconds(line, items);
    worst = std::max(worst, t / base);
    std::printf("%-34s %10.5f %8u %8.1f\n", name, t, items, t / base);
  }
  std::printf("unclosed marks within 3x of ordinary text: %s\n", worst <= 3 ? "yes" : "NO");
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path folder = argc > 1 ? std::filesystem::path(argv[1])
                                          : std::filesystem::temp_directory_path() / "obel_bench_corpus";
  std::vector<std::filesystem::path> files;
  if (argc <= 1) {
    std::filesystem::remove_all(folder);
    bench::AozoraText text(20261207);
    files = text.writeCorpus(folder, static_cast<int>(MaxItems) + 200);
    std::printf("corpus: %zu files, %d rubies written\n", files.size(), text.rubiesWritten());
  } else {
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
      if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
  }
  std::uintmax_t bytes = 0;
  std::vector<std::string> paths;
  for (const auto& f : files) {
    bytes += std::filesystem::file_size(f);
    paths.push_back(storePathOf(f));
  }
  std::printf("corpus size: %.1f MB in %s\n", bytes / 1e6, folder.string().c_str());

  ResultStore& s = process::store();
  const std::vector<std::string> targets{storePathOf(folder) + "\\*.txt"};
  std::unique_ptr<DirLister> lister = platformDirLister();
  QuietEvents events;
  std::vector<double> searchTimes, readTimes;
  const int rounds = 5;
  for (int round = 0; round < rounds; ++round) {
    Clock::time_point t0 = Clock::now();
    std::size_t read = 0;
    for (const std::string& p : paths) {
      FileBytes buffer;
      if (readWholeFile(p.c_str(), buffer)) read += buffer.size;
    }
    readTimes.push_back(secondsSince(t0));
    if (read != bytes) std::printf("warning: read %zu of %ju bytes\n", read, bytes);

    t0 = Clock::now();
    s.searchRunning = true;
    searchTargets(s, targets, true, *lister, events);
    finishSearch(s);
    searchTimes.push_back(secondsSince(t0));
  }
  std::uint32_t filesWithItems = 0;
  for (FileRecord* r = s.files; r; r = r->next) ++filesWithItems;
  std::printf("search: %u items, %u strings, %u pool bytes, %u files with items, limit %s\n", s.itemCount,
              s.strings.count, s.strings.writePosition, filesWithItems,
              searchEndMessage(s) ? "reached" : "not reached");
  const double search = median(searchTimes), readOnly = median(readTimes);
  std::printf("%-34s %10s %10s\n", "median of 5 runs", "seconds", "MB/s");
  std::printf("%-34s %10.4f %10.1f\n", "read the files only", readOnly, bytes / 1e6 / readOnly);
  std::printf("%-34s %10.4f %10.1f\n", "whole search (walk, scan, passes)", search, bytes / 1e6 / search);
  std::printf("ratio search / read: %.2f\n\n", search / readOnly);

  // Interning: the same key, ruby and okurigana texts in store order, into fresh tables.
  std::vector<std::string> texts;
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    texts.emplace_back(text(s, s.items[i].keyId));
    texts.emplace_back(text(s, s.items[i].rubyId));
    texts.emplace_back(text(s, s.items[i].okuriganaId));
  }
  ResultStore* a = newResultStore();
  ResultStore* b = newResultStore();
  if (!a || !b) return 1;
  std::vector<std::uint32_t> idsA, idsB;
  Clock::time_point t0 = Clock::now();
  for (const std::string& t : texts) idsA.push_back(internText(*a, t.c_str()));
  const double internIndexed = secondsSince(t0);
  t0 = Clock::now();
  for (const std::string& t : texts) idsB.push_back(internTextByScan(*b, t.c_str()));
  const double internLinear = secondsSince(t0);

  // Repeat marking and counting over the search's items.
  std::memcpy(a->items, s.items, sizeof(RubyItem) * s.itemCount);
  std::memcpy(b->items, s.items, sizeof(RubyItem) * s.itemCount);
  for (std::uint32_t i = 0; i < s.itemCount; ++i) {
    a->items[i].flags = b->items[i].flags = 0;
    a->items[i].number = b->items[i].number = 1;
    a->items[i].groupSize = b->items[i].groupSize = 1;
  }
  a->itemCount = b->itemCount = s.itemCount;
  t0 = Clock::now();
  markRepeatedPairs(*a);
  countDistinctPairs(*a);
  const double markIndexed = secondsSince(t0);
  t0 = Clock::now();
  markRepeatedPairsByScan(*b);
  countDistinctPairs(*b);
  const double markLinear = secondsSince(t0);

  bool same = idsA == idsB && a->strings.count == b->strings.count;
  for (std::uint32_t i = 0; same && i < s.itemCount; ++i)
    same = a->items[i].flags == b->items[i].flags && a->items[i].number == b->items[i].number &&
           a->items[i].groupSize == b->items[i].groupSize;
  same = same && std::memcmp(a->rubiesPerKey, b->rubiesPerKey, sizeof a->rubiesPerKey) == 0 &&
         std::memcmp(a->keysPerRuby, b->keysPerRuby, sizeof a->keysPerRuby) == 0;

  std::printf("%-34s %12s %12s %8s\n", "", "hash index", "linear scan", "ratio");
  std::printf("%-34s %12.4f %12.4f %8.1f\n", "intern (3 strings per item), s", internIndexed, internLinear,
              internLinear / internIndexed);
  std::printf("%-34s %12.4f %12.4f %8.1f\n", "mark repeats + count pairs, s", markIndexed, markLinear,
              markLinear / markIndexed);
  std::printf("ids, flags, numbers, group sizes and counters identical: %s\n", same ? "yes" : "NO");
  deleteResultStore(a);
  deleteResultStore(b);
  if (argc <= 1) std::filesystem::remove_all(folder);
  std::printf("\n");
  unclosedMarks();
  return same ? 0 : 1;
}
