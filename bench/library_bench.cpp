// obel-scan over a whole library (--no-limit): a generated library of 320 MB in 3200 files (400
// folders of 8 books), made once in the temporary folder and reused, searched by obel-scan in
// its views, against reading the same files only and against ripgrep counting every 《 in the
// same Shift-JIS files (`rg --count-matches -E shift_jis 《`, on all cores and on one) when it is there.
// Native only: it runs the native obel-scan as a child process and reads its peak memory.
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/aozora_corpus.h"
#include "engine/file_io.h"
#include "revconv/skk_dictionary.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Folders = 400;
constexpr int BooksPerFolder = 8;
constexpr std::size_t BookBytes = 100000;  // at least, per book
constexpr char Layout[] = "library v1 400x8x100000\n";

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The library, generated unless the folder already holds this layout.
std::vector<fs::path> library(const fs::path& root, bool& generated) {
  std::vector<fs::path> files;
  for (int f = 0; f < Folders; ++f)
    for (int b = 0; b < BooksPerFolder; ++b)
      files.push_back(root / ("author" + std::to_string(1000 + f)) / ("book" + std::to_string(b) + ".txt"));
  std::ifstream marker(root / "layout");
  std::string line;
  generated = false;
  if (std::getline(marker, line) && line + "\n" == Layout) return files;
  generated = true;
  fs::remove_all(root);
  obel::bench::AozoraText text(20240601);  // one vocabulary for the whole library
  for (const fs::path& file : files) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "\x8f\xac\x90\xe0\r\n\r\n";
    std::size_t written = 0;
    while (written < BookBytes) {
      const std::string l = text.line();
      out << l << "\r\n";
      written += l.size() + 2;
    }
  }
  std::ofstream(root / "layout") << Layout;
  return files;
}

struct Run {
  double seconds = 0;
  long peakKb = 0;
  int status = -1;
};

// Runs the command with standard output to the file (/dev/null unless told); time and peak resident memory.
Run runChild(const std::vector<std::string>& args, const char* output = "/dev/null") {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Run run;
  std::fflush(stdout);
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen(output, "w", stdout) == nullptr) _exit(127);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = seconds(start);
  run.peakKb = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
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

}  // namespace

int main() {
  const fs::path root = fs::temp_directory_path() / "obel-library-bench";
  bool generated = false;
  const Clock::time_point genStart = Clock::now();
  const std::vector<fs::path> files = library(root, generated);
  double megabytes = 0;
  for (const fs::path& f : files) megabytes += static_cast<double>(fs::file_size(f)) / 1e6;
  std::printf("library: %zu files in %d folders, %.1f MB at %s (%s, %.1f s)\n", files.size(), Folders, megabytes,
              root.c_str(), generated ? "generated" : "reused", seconds(genStart));

  // Baseline: every file read whole, as the search reads it, twice (the first run warms the cache).
  double baseline = 0;
  for (int pass = 0; pass < 2; ++pass) {
    const Clock::time_point start = Clock::now();
    std::size_t bytes = 0;
    for (const fs::path& f : files) {
      obel::FileBytes data;
      if (obel::readWholeFile(f.c_str(), data)) bytes += data.size;
    }
    baseline = seconds(start);
    if (bytes == 0) return 1;
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
  // ripgrep decoding the Shift-JIS files and counting every 《 in them: the same reading, decoding and
  // finding of the opening marks the search does, without building its items.
  Run rg;
  Run rgOne;
  long long rgMatches = 0;
  const bool haveRg = onPath("rg");
  if (haveRg) {
    const fs::path counts = fs::temp_directory_path() / "obel-library-bench.rg";
    const std::vector<std::string> rgArgs{"rg", "--count-matches", "-E", "shift_jis", "\xe3\x80\x8a", target};  // 《
    std::vector<std::string> rgOneArgs{"rg", "-j1"};
    rgOneArgs.insert(rgOneArgs.end(), rgArgs.begin() + 1, rgArgs.end());
    rg = runChild(rgArgs);
    rg = runChild(rgArgs, counts.c_str());
    rgMatches = sumOfCounts(counts);
    fs::remove(counts);
    rgOne = runChild(rgOneArgs);
  }
  auto scanRun = [&](const char* what, std::vector<std::string> options) {
    std::vector<std::string> args{scan, "--no-limit", "-o", "/dev/null"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(target);
    const Run r = runChild(args);
    report(what, r, true);
    if (haveRg)
      std::printf("  %-34s %5.2fx rg  %5.2fx rg -j1\n", "", r.seconds / rg.seconds, r.seconds / rgOne.seconds);
    return r;
  };
  scanRun("obel-scan --no-limit (items)", {});
  scanRun("obel-scan --no-limit --view grouped", {"--view", "grouped"});
  const char* dictionary = "/usr/share/skk/SKK-JISYO.L";
  if (fs::exists(dictionary)) {
    scanRun("grouped --check (SKK-JISYO.L)", {"--view", "grouped", std::string("--check=") + dictionary});
  } else {
    std::printf("  grouped --check: %s is not installed (apt-get install skkdic)\n", dictionary);
  }
  // The reading dictionary of the library, and how long the check takes to load it.
  const fs::path made = fs::temp_directory_path() / "obel-library-bench.dic";
  scanRun("--make-dictionary (2 folders)", {"--make-dictionary", made.string()});
  {
    const Clock::time_point start = Clock::now();
    obel::SkkDictionary dictionary;
    const bool loaded = dictionary.load(made.c_str());
    std::printf("  %-34s %7.2f s  %zu candidates, %.1f MB%s\n", "load of that dictionary", seconds(start),
                dictionary.candidateCount(), static_cast<double>(fs::file_size(made)) / 1e6,
                loaded ? "" : " (not readable)");
  }
  if (haveRg) {
    report("rg -E shift_jis --count-matches", rg, false);
    report("rg -j1 (the same, one thread)", rgOne, false);
    std::printf("  %-34s %lld times \xe3\x80\x8a (one per item)\n", "", rgMatches);
  } else {
    std::printf("  rg: ripgrep is not installed (apt-get install ripgrep)\n");
  }
  return 0;
}
#endif
