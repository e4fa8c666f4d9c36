// obel-scan over a whole library (--no-limit), in two shapes generated once in the temporary
// folder and reused: a library shaped as the Aozora Bunko collection is (about 17,000 books of
// 5 to 200 KB, 37 KB on average, 630 MB, under 1,300 author folders, each book in a folder of
// its own two levels down), whose many small files and folders are what a real library costs;
// and 3200 books of 100 KB in 400 folders, whose scanning outweighs the walk. Each is searched
// by obel-scan in its views, against reading the same files only and against ripgrep counting
// every 《 in the same Shift-JIS files (`rg --count-matches -E shift_jis 《`, on all cores and
// on one) in the same run. The compared commands take turns, round after round: each time is a
// median, each ratio the median of the ratios within a round.
// Native only: it runs the native obel-scan as a child process and reads its peak memory.
//   library_bench [aozora|books]   (both shapes without an argument)
#ifdef _WIN32
#include <cstdio>
int main() {
  std::puts("library_bench: native only (it measures the native obel-scan)");
  return 0;
}
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/aozora_corpus.h"
#include "engine/file_io.h"
#include "revconv/skk_dictionary.h"
#include "revconv/text_codec.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// One book to generate: where, and at least how many bytes.
struct Book {
  fs::path path;
  std::size_t bytes;
};

// A library's shape: its books, and the line that marks a folder generated in that shape.
struct Shape {
  const char* name;
  std::string layout;
  std::vector<Book> books;
  std::size_t folders = 0;  // that hold books
  bool realWords = false;   // the words of real books (bookWords), else made-up ones
};

// The words of the shipped readings of proofread books, most books first: each key of a kanji
// run (its ruby needs no ｜) with a reading in hiragana, and for an okuri-ari line the hiragana
// its okurigana may begin with.
std::vector<obel::bench::BookWord> bookWords() {
  std::string bytes;
  std::vector<obel::bench::BookWord> words;
  if (!obel::readDictionaryFile(OBEL_DATA_DIR "aozora-readings.utf8", bytes)) return words;
  auto cp932 = [](std::string_view utf8) { return obel::utf16ToCp932(obel::decodeUtf8(utf8).c_str()); };
  auto allOf = [](const std::string& text, auto isWanted) {
    if (text.empty() || text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2)
      if (!isWanted(static_cast<unsigned char>(text[i]) * 256u + static_cast<unsigned char>(text[i + 1]))) return false;
    return true;
  };
  auto kanjiLike = [](unsigned c) { return c >= 0x889F || c == 0x8158; };  // 々 too
  auto hiragana = [](unsigned c) { return c >= 0x829F && c <= 0x82F1; };
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
    const std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    const std::size_t slash = line.find(" /");
    if (line.empty() || line[0] == ';' || slash == std::string_view::npos) continue;
    std::string_view head = line.substr(0, slash);
    std::string okuriganaKana;
    if (const char letter = head.back(); letter >= 'a' && letter <= 'z') {
      head.remove_suffix(1);
      for (char16_t kana = u'\u3041'; kana <= u'\u3093'; ++kana)
        if (std::strchr(obel::okuriInitials(kana), letter) != nullptr)
          okuriganaKana += obel::utf16ToCp932(std::u16string(1, kana).c_str());
      if (okuriganaKana.empty()) continue;
    }
    const std::string reading = cp932(head);
    if (!allOf(reading, hiragana)) continue;
    for (std::string_view rest = line.substr(slash + 2); !rest.empty();) {
      const std::size_t next = std::min(rest.find('/'), rest.size());
      const std::string_view candidate = rest.substr(0, next);
      rest.remove_prefix(std::min(next + 1, rest.size()));
      const std::size_t semicolon = candidate.find(';');
      if (semicolon == std::string_view::npos) continue;
      const std::string key = cp932(candidate.substr(0, semicolon));
      if (allOf(key, kanjiLike))
        words.push_back({key, reading, okuriganaKana, static_cast<std::uint32_t>(std::atoi(std::string(candidate.substr(semicolon + 1)).c_str()))});
    }
  }
  std::stable_sort(words.begin(), words.end(), [](const auto& a, const auto& b) { return a.books > b.books; });
  return words;
}

// 400 author folders of 8 books of 100 KB, side by side.
Shape evenBooks(const fs::path& root) {
  constexpr int Folders = 400;
  constexpr int BooksPerFolder = 8;
  constexpr std::size_t BookBytes = 100000;
  Shape shape{"books", "library v1 400x8x100000\n", {}, Folders};
  for (int f = 0; f < Folders; ++f)
    for (int b = 0; b < BooksPerFolder; ++b)
      shape.books.push_back({root / ("author" + std::to_string(1000 + f)) / ("book" + std::to_string(b) + ".txt"),
                             BookBytes});
  return shape;
}

// As the Aozora Bunko collection lies on disk: 1300 author folders of 1 to 25 books each
// (about 17,000), each book alone in a folder of its own, 5 KB plus an exponential share of
// 32 KB on average, at most 200 KB.
Shape aozoraShaped(const fs::path& root) {
  constexpr int Authors = 1300;
  constexpr int MaxBooksPerAuthor = 25;
  constexpr double MinBytes = 5000, MeanExtraBytes = 32000, MaxBytes = 200000;
  Shape shape{"aozora", "library v5 aozora 1300 authors, the words of real books and their compounds, kana runs of prose\n", {}, 0, true};
  std::mt19937 rng(20241209);
  std::exponential_distribution<double> extra(1.0 / MeanExtraBytes);
  int book = 0;
  for (int a = 0; a < Authors; ++a) {
    const fs::path author = root / ("author" + std::to_string(100000 + a));
    const int books = 1 + static_cast<int>(rng() % MaxBooksPerAuthor);
    for (int b = 0; b < books; ++b, ++book) {
      const std::string name = "book" + std::to_string(100000 + book);
      const double bytes = std::min(MaxBytes, MinBytes + extra(rng));
      shape.books.push_back({author / name / (name + ".txt"), static_cast<std::size_t>(bytes)});
      ++shape.folders;
    }
  }
  return shape;
}

// Generates the books unless the folder already holds this layout.
bool generate(const fs::path& root, const Shape& shape) {
  std::ifstream marker(root / "layout");
  std::string line;
  if (std::getline(marker, line) && line + "\n" == shape.layout) return false;
  fs::remove_all(root);
  // one vocabulary for the whole library
  obel::bench::AozoraText text = shape.realWords ? obel::bench::AozoraText(20240601, bookWords())
                                                 : obel::bench::AozoraText(20240601);
  for (const Book& book : shape.books) {
    fs::create_directories(book.path.parent_path());
    std::ofstream out(book.path, std::ios::binary);
    out << "\x8f\xac\x90\xe0\r\n\r\n";
    std::size_t written = 0;
    while (written < book.bytes) {
      const std::string l = text.line();
      out << l << "\r\n";
      written += l.size() + 2;
    }
  }
  std::ofstream(root / "layout") << shape.layout;
  return true;
}

struct Run {
  double seconds = 0;
  long peakKb = 0;
  int status = -1;
};

// Starts the command with standard output to the file and waits for it: its exit status and
// peak resident memory.
void spawnAndWait(const std::vector<std::string>& args, const std::string& output, int& status, long& peakKb) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen(output.c_str(), "w", stdout) == nullptr) _exit(127);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int waited = 0;
  rusage usage{};
  wait4(pid, &waited, 0, &usage);
  peakKb = usage.ru_maxrss;
  status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
}

// Runs the commands from a small process forked before the benchmark holds anything. A child's
// peak resident memory counts what it held between its fork and its exec, which for a child of
// the benchmark itself is the benchmark's memory: after generating a library (the words of real
// books loaded), more than the items view's own peak.
class Launcher {
 public:
  Launcher() {
    if (pipe(requests_) != 0 || pipe(replies_) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      close(requests_[1]);
      close(replies_[0]);
      serve();
      _exit(0);
    }
    close(requests_[0]);
    close(replies_[1]);
  }
  ~Launcher() {
    close(requests_[1]);  // the launcher's read ends, and so does it
    close(replies_[0]);
    waitpid(pid_, nullptr, 0);
  }
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  // A request is the output path and the arguments, each ended by a NUL, then one more NUL.
  void run(const std::vector<std::string>& args, const char* output, int& status, long& peakKb) {
    std::string request = std::string(output) + '\0';
    for (const std::string& a : args) request += a + '\0';
    request += '\0';
    if (!writeAll(requests_[1], request.data(), request.size())) std::abort();
    Reply reply{};
    if (!readAll(replies_[0], &reply, sizeof reply)) std::abort();
    status = reply.status;
    peakKb = reply.peakKb;
  }

 private:
  struct Reply {
    int status;
    long peakKb;
  };
  static bool writeAll(int fd, const void* data, std::size_t size) {
    for (const char* p = static_cast<const char*>(data); size > 0;) {
      const ssize_t n = write(fd, p, size);
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  static bool readAll(int fd, void* data, std::size_t size) {
    for (char* p = static_cast<char*>(data); size > 0;) {
      const ssize_t n = read(fd, p, size);
      if (n <= 0) return false;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  // Runs each whole request that has come, until the benchmark closes its end.
  void serve() {
    std::string pending;
    char chunk[4096];
    for (ssize_t n; (n = read(requests_[0], chunk, sizeof chunk)) > 0;) {
      pending.append(chunk, static_cast<std::size_t>(n));
      for (std::size_t end; (end = pending.find(std::string_view("\0\0", 2))) != std::string::npos;) {
        std::vector<std::string> fields;
        for (std::size_t at = 0; at <= end; at = pending.find('\0', at) + 1) fields.emplace_back(pending.c_str() + at);
        pending.erase(0, end + 2);
        Reply reply{-1, 0};
        if (fields.size() >= 2) spawnAndWait({fields.begin() + 1, fields.end()}, fields[0], reply.status, reply.peakKb);
        if (!writeAll(replies_[1], &reply, sizeof reply)) return;
      }
    }
  }

  int requests_[2];
  int replies_[2];
  pid_t pid_;
};

Launcher* launcher = nullptr;

// Runs the command with standard output to the file (/dev/null unless told); time and peak resident memory.
Run runChild(const std::vector<std::string>& args, const char* output = "/dev/null") {
  Run run;
  std::fflush(stdout);
  const Clock::time_point start = Clock::now();
  launcher->run(args, output, run.status, run.peakKb);
  run.seconds = seconds(start);
  return run;
}

// The commands that the targets compare run in rounds, each command once per round, and each
// one's median time counts. On a shared machine one run of the same program varies by a quarter,
// and the machine's speed drifts by as much over a minute: a ratio is taken within each round and
// its median counts, so that a slow phase slows both sides of it.
constexpr int TimedRounds = 5;

// The median time of the runs, with the largest peak and the last exit status.
Run medianOf(std::vector<Run> runs) {
  const int lastStatus = runs.back().status;
  long peakKb = 0;
  for (const Run& r : runs) peakKb = std::max(peakKb, r.peakKb);
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
  Run median = runs[runs.size() / 2];
  median.peakKb = peakKb;
  median.status = lastStatus;
  return median;
}

// One command's time divided by another's in the same round, for each round, in ascending order.
std::vector<double> roundRatios(const std::vector<Run>& of, const std::vector<Run>& to) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < of.size() && i < to.size(); ++i) ratios.push_back(of[i].seconds / to[i].seconds);
  std::sort(ratios.begin(), ratios.end());
  return ratios;
}

// The median over the rounds of one command's time divided by another's in the same round.
double medianRatio(const std::vector<Run>& of, const std::vector<Run>& to) {
  const std::vector<double> ratios = roundRatios(of, to);
  return ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// The sum of the counts of `rg --count-matches` output lines (path:count).
long long sumOfCounts(const fs::path& output) {
  std::ifstream in(output);
  std::string line;
  long long total = 0;
  while (std::getline(in, line)) {
    const std::size_t colon = line.rfind(':');
    if (colon != std::string::npos) total += std::atoll(line.c_str() + colon + 1);
  }
  return total;
}

bool onPath(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// One shape: the library, the read-only baseline, ripgrep and every view of obel-scan.
void measure(const fs::path& root, const Shape& shape) {
  const Clock::time_point genStart = Clock::now();
  const bool generated = generate(root, shape);
  double megabytes = 0;
  for (const Book& book : shape.books) megabytes += static_cast<double>(fs::file_size(book.path)) / 1e6;
  std::printf("library '%s': %zu files in %zu folders, %.1f MB at %s (%s, %.1f s)\n", shape.name, shape.books.size(),
              shape.folders, megabytes, root.c_str(), generated ? "generated" : "reused", seconds(genStart));

  // Baseline: every file read whole, as the search reads it, twice (the first run warms the cache).
  double baseline = 0;
  for (int pass = 0; pass < 2; ++pass) {
    const Clock::time_point start = Clock::now();
    std::size_t bytes = 0;
    for (const Book& book : shape.books) {
      obel::FileBytes data;
      if (obel::readWholeFile(book.path.c_str(), data)) bytes += data.size;
    }
    baseline = seconds(start);
    if (bytes == 0) return;
  }
  auto report = [&](const char* what, const Run& r, bool memory) {
    std::printf("  %-34s %7.2f s %8.1f MB/s  %5.2fx read-only", what, r.seconds, megabytes / r.seconds,
                r.seconds / baseline);
    if (memory) std::printf("  peak %6.1f MB", static_cast<double>(r.peakKb) / 1024.0);
    if (r.status != 0) std::printf("  (exit %d)", r.status);
    std::printf("\n");
  };
  std::printf("  %-34s %7.2f s %8.1f MB/s  1.00x read-only\n", "read only (baseline)", baseline, megabytes / baseline);

  const std::string scan = OBEL_SCAN_PATH;
  const std::string target = root.string();
  auto scanArgs = [&](std::vector<std::string> options) {
    std::vector<std::string> args{scan, "--no-limit", "-o", "/dev/null"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(target);
    return args;
  };
  // The compared commands. ripgrep decodes the Shift-JIS files and counts every 《 in them: the
  // same reading, decoding and finding of the opening marks the search does, without building its
  // items.
  struct Compared {
    const char* what;
    std::vector<std::string> args;
    std::vector<Run> runs;
  };
  const bool haveRg = onPath("rg");
  const std::vector<std::string> rgArgs{"rg", "--count-matches", "-E", "shift_jis", "\xe3\x80\x8a", target};  // 《
  const char* dictionary = "/usr/share/skk/SKK-JISYO.L";
  const bool haveDictionary = fs::exists(dictionary);
  std::vector<Compared> compared{{"obel-scan --no-limit (items)", scanArgs({}), {}},
                                 {"obel-scan --no-limit --view grouped", scanArgs({"--view", "grouped"}), {}}};
  const std::size_t items = 0, grouped = 1;
  std::size_t checked = 0, rg = 0;
  if (haveDictionary) {
    checked = compared.size();
    compared.push_back({"grouped --check (SKK-JISYO.L)",
                        scanArgs({"--view", "grouped", std::string("--check=") + dictionary}), {}});
  }
  long long rgMatches = 0;
  if (haveRg) {
    rg = compared.size();
    compared.push_back({"rg -E shift_jis --count-matches", rgArgs, {}});
    const fs::path counts = fs::temp_directory_path() / "obel-library-bench.rg";
    runChild(rgArgs, counts.c_str());  // also brings the files into the cache
    rgMatches = sumOfCounts(counts);
    fs::remove(counts);
  }
  for (int round = 0; round < TimedRounds; ++round)
    for (Compared& c : compared) c.runs.push_back(runChild(c.args));

  auto reportScan = [&](std::size_t which) {
    report(compared[which].what, medianOf(compared[which].runs), true);
    if (haveRg) std::printf("  %-34s %5.2fx rg\n", "", medianRatio(compared[which].runs, compared[rg].runs));
  };
  reportScan(items);
  reportScan(grouped);
  if (haveDictionary) {
    reportScan(checked);
    // with the lowest and the highest round: how far the machine's phase moves the ratio
    const std::vector<double> ratios = roundRatios(compared[checked].runs, compared[grouped].runs);
    std::printf("  %-34s %5.2fx the grouped view (rounds %.2f-%.2f)\n", "",
                medianRatio(compared[checked].runs, compared[grouped].runs), ratios.front(), ratios.back());
  } else {
    std::printf("  grouped --check: %s is not installed (apt-get install skkdic)\n", dictionary);
  }
  // The reading dictionary of the library, and how long the check takes to load it.
  const fs::path made = fs::temp_directory_path() / "obel-library-bench.dic";
  report("--make-dictionary (2 folders)", runChild(scanArgs({"--make-dictionary", made.string()})), true);
  {
    const Clock::time_point start = Clock::now();
    obel::SkkDictionary loaded;
    const bool read = loaded.load(made.c_str());
    std::printf("  %-34s %7.2f s  %zu candidates, %.1f MB%s\n", "load of that dictionary", seconds(start),
                loaded.candidateCount(), static_cast<double>(fs::file_size(made)) / 1e6, read ? "" : " (not readable)");
  }
  if (haveRg) {
    report(compared[rg].what, medianOf(compared[rg].runs), false);
    std::vector<std::string> rgOneArgs{"rg", "-j1"};
    rgOneArgs.insert(rgOneArgs.end(), rgArgs.begin() + 1, rgArgs.end());
    report("rg -j1 (the same, one thread)", runChild(rgOneArgs), false);
    std::printf("  %-34s %lld times \xe3\x80\x8a (one per item)\n", "", rgMatches);
  } else {
    std::printf("  rg: ripgrep is not installed (apt-get install ripgrep)\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Launcher commands;
  launcher = &commands;
  const std::string only = argc > 1 ? argv[1] : "";
  const fs::path temp = fs::temp_directory_path();
  if (only.empty() || only == "aozora") {
    const fs::path root = temp / "obel-library-bench-aozora";
    measure(root, aozoraShaped(root));
  }
  if (only.empty() || only == "books") {
    const fs::path root = temp / "obel-library-bench";
    measure(root, evenBooks(root));
  }
  return 0;
}
#endif
