// obel-scan: the extraction engine on the command line. Searches the targets as the window does
// and writes the result table as TSV.
#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/interrupt.h"
#include "cli/library_result.h"
#include "cli/obel_scan_args.h"
#include "cli/revconv_check.h"
#include "engine/library_search.h"
#include "engine/native_path.h"
#include "engine/sjis.h"
#include "engine/store.h"
#include "engine/tsv_export.h"
#include "engine/walk.h"
#include "revconv/run.h"
#include "results/grouped_view.h"
#include "settings/settings.h"

using namespace obel;

namespace {

const char Usage[] =
    "usage: obel-scan [--no-limit [--threads N]] [--no-subfolders] [-o FILE] [--utf8]\n"
    "                 [--view items|grouped] [--same-key | --same-ruby]\n"
    "                 [--key-length N[+|-|=]] [--ruby-length N[+|-|=]]\n"
    "                 [--check[=DICT] [--no-default-dictionaries] [--no-dictionary-images]\n"
    "                  [--cache FILE] [--suggest]]\n"
    "                 TARGET...\n"
    "       obel-scan --no-limit --make-dictionary FILE [--min-sources N] TARGET...\n"
    "\n"
    "Extracts every ruby (｜base《reading》) from the Shift-JIS text files of the targets and\n"
    "writes the table as tab-separated text (Shift-JIS, CR LF) to FILE or standard output.\n"
    "\n"
    "  TARGET          a file, or a folder followed by a wildcard pattern (books/*.txt);\n"
    "                  a bare folder searches its *.txt files\n"
    "  --no-limit      search a library of any size: the store's 30000 items are written\n"
    "                  or counted whenever it is full, and the search goes on; the grouped\n"
    "                  view, its conditions and the check then cover the whole library\n"
    "  --make-dictionary FILE\n"
    "                  with --no-limit: write no table but an SKK dictionary (UTF-8) of the\n"
    "                  (key, ruby) pairs found in at least N folders, for --check\n"
    "  --min-sources N the N of --make-dictionary (2 by default)\n"
    "  --threads N     with --no-limit: list, read and scan on N threads (by default\n"
    "                  one per processor, at most 8); the table is the same for any N\n"
    "  --no-subfolders do not search subfolders (they are searched by default)\n"
    "  -o FILE         write to FILE instead of standard output\n"
    "  --utf8          write UTF-8 instead of Shift-JIS\n"
    "  --view grouped  one line per (key, ruby) pair as the result list shows it, with the\n"
    "                  number of occurrences and the marks; --view items (the default) writes\n"
    "                  every occurrence\n"
    "  --same-key      grouped view: only keys that carry more than one ruby\n"
    "  --same-ruby     grouped view: only rubies given to more than one key\n"
    "  --key-length N[+|-|=], --ruby-length N[+|-|=]\n"
    "                  grouped view: only keys (rubies) of N characters or more (+, the\n"
    "                  default), N or fewer (-) or exactly N (=); N from 1 to 99\n"
    "  --check[=DICT]  check every reading against the default reading dictionaries (the\n"
    "                  skkdic file and aozora-readings.utf8 beside obel-scan, where they\n"
    "                  are) and DICT (an SKK dictionary, EUC-JP or UTF-8, or several\n"
    "                  separated by ';') before writing, so the 逆変換 column is filled;\n"
    "                  Ctrl-C stops the check. --check DICT works too when DICT is an\n"
    "                  existing file not named *.txt and a TARGET follows it.\n"
    "                  ？ marks a reading no dictionary confirms but that is made of the\n"
    "                  readings of the key's kanji (KANJIDIC), or a katakana gloss, or\n"
    "                  that one book gives 3 times or more (its author's own reading).\n"
    "                  ！ marks a reading confirmed or made of its kanji's readings that is\n"
    "                  probably a misprint: one voicing mark away from a reading at least\n"
    "                  3 times as many books give the key (and at least 3), or a reading\n"
    "                  that takes in the first kana of its okurigana (微笑《ほほえみ》み),\n"
    "                  or a reading spelled against its book's kana: a modern spelling in\n"
    "                  a book of historical kana (方《ほう》 for はう), a historical one in a\n"
    "                  modern book (頤《おとがひ》 for おとがい); the 候補 is the book's spelling;\n"
    "                  ！ wins over ◎ ○ △ ？, × over ！\n"
    "  --no-default-dictionaries\n"
    "                  with --check: only the dictionaries of DICT\n"
    "  --no-dictionary-images\n"
    "                  with --check: read and index every dictionary, and keep no image\n"
    "                  of it. By default the indexed tables of each dictionary of 256 KB\n"
    "                  or more are kept in ~/.cache/obel (on Windows in the folder\n"
    "                  ObelImages beside obel-scan.exe) and taken from there by the next\n"
    "                  run; an image is made again when its dictionary or obel-scan\n"
    "                  changes, and the folder can be deleted at any time\n"
    "  --cache FILE    with --check: keep the verdicts in FILE (the layout of ObelCache.dat),\n"
    "                  read before the check and written back after it\n"
    "  --suggest       with --check: a column 候補 after 逆変換, for every × and ！ the\n"
    "                  reading of the key the dictionaries' book counts know nearest to\n"
    "                  the ruby (at most 2 kana changed, added, dropped or swapped; of\n"
    "                  equal distance the one more books give), empty when none is near\n"
    "  --help          this text\n"
    "\n"
    "A target that matches no file (or whose path Shift-JIS cannot write), and a file or\n"
    "folder that cannot be read, are named on standard error; the search goes on with the rest.\n"
    "\n"
    "Exit status: 0 complete, 1 ended by the item limit or Ctrl-C, 2 usage error or an\n"
    "unreadable dictionary, 3 finished, but a target matched no file or a file or folder\n"
    "could not be read.\n";

constexpr int ExitComplete = 0;
constexpr int ExitStopped = 1;  // by the item limit or Ctrl-C
constexpr int ExitUsage = 2;    // or a dictionary, cache or output that cannot be used
constexpr int ExitMissed = 3;   // finished, but something named could not be read or matched nothing
constexpr int ExitHelp = -1;    // from parse: the help was asked for and written
constexpr int Parsed = 0;       // from parse: the arguments are usable

// --check=DICT: the option's name with its equals sign, before the dictionary list.
constexpr std::string_view CheckWithDictionary = "--check=";

constexpr unsigned MaxThreads = 64;
constexpr unsigned DefaultMaxThreads = 8;
constexpr unsigned MaxMinSources = 1000000;

struct Options {
  bool noLimit = false;
  bool subfolders = true;
  bool utf8 = false;
  bool grouped = false;
  bool check = false;
  bool suggest = false;  // --suggest: the column 候補
  std::string dictionary;           // the list of --check=LIST, added to the defaults
  bool defaultDictionaries = true;  // --no-default-dictionaries
  bool dictionaryImages = true;     // --no-dictionary-images
  std::string cacheFile;
  std::string output;
  std::string dictionaryOut;  // --make-dictionary
  unsigned minSources = 2;
  // --no-limit: one a processor, but not so many that their stores (two of about 5 MB each)
  // weigh more than the search gains from them
  unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, DefaultMaxThreads);
  std::vector<std::string> targets;  // as given
  Settings conditions;  // the grouped view's display conditions; the rest of the record unused
};

// Texts are CP932 inside the program; the Linux terminal wants UTF-8. Standard output is in
// binary mode on Windows (see main), so its line ends are written here as the system's own.
void printText(std::FILE* to, const std::string& cp932) {
#ifdef _WIN32
  if (to != stdout) {
    std::fputs(cp932.c_str(), to);
    return;
  }
  std::string text;
  for (char c : cp932) {
    if (c == '\n') text += '\r';
    text += c;
  }
  std::fputs(text.c_str(), to);
#else
  std::fputs(cp932ToUtf8(cp932).c_str(), to);
#endif
}

void printMessage(const std::string& cp932) { printText(stderr, cp932 + "\n"); }

#ifndef _WIN32
// The file system's separator in a path of the store (CP932, backslashes), in place.
void useSlashes(char* p) {
  for (; *p; ++p) {
    if (isLeadByte(static_cast<unsigned char>(*p)) && p[1]) ++p;
    else if (*p == '\\') *p = '/';
  }
}
#endif

// A path of the store as the system writes it.
std::string shownPath(std::string cp932) {
#ifndef _WIN32
  useSlashes(cp932.data());
#endif
  return cp932;
}

// Something named that the search could not take; the exit status then tells of it.
bool somethingMissed = false;

void tellMissed(Missed what, const std::string& path) {
  somethingMissed = true;
  const char* why = what == Missed::NoMatch ? ": no file matches"
                    : what == Missed::Folder ? ": the folder cannot be read"
                                             : ": the file cannot be read";
  printMessage("obel-scan: " + shownPath(path) + why);
}

// Files done, items found and the time so far, on one line of standard error rewritten in
// place, when standard error is a terminal; nothing otherwise.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto Interval = std::chrono::milliseconds(250);

  ProgressLine() {
#ifdef _WIN32
    shown_ = _isatty(_fileno(stderr)) != 0;
#else
    shown_ = isatty(STDERR_FILENO) != 0;
#endif
  }
  void update(unsigned long long files, unsigned long long items) {
    if (!shown_) return;
    const Clock::time_point now = Clock::now();
    if (now - last_ < Interval) return;
    last_ = now;
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    width_ = std::fprintf(stderr, "\r%llu files, %llu items, %lld s ", files, items, seconds) - 1;
    std::fflush(stderr);
    written_ = true;
  }
  void erase() {
    if (!written_) return;
    std::fprintf(stderr, "\r%*s\r", width_, "");
    std::fflush(stderr);
    written_ = false;
    last_ = {};
  }
  // The last figures, left on a line of their own.
  void finish(unsigned long long files, unsigned long long items) {
    if (!shown_) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    char line[100];
    const int n = std::snprintf(line, sizeof line, "%llu files, %llu items, %.1f s", files, items, seconds);
    std::fprintf(stderr, "\r%s%*s\n", line, written_ && width_ > n ? width_ - n : 0, "");
    std::fflush(stderr);
    written_ = false;
  }

 private:
  bool shown_ = false;
  bool written_ = false;
  int width_ = 0;  // of the line written
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_{};
};

struct ConsoleEvents : SearchEvents {
  ProgressLine progress;
  unsigned long long files = 0;
  void showFileName(const char*) override { progress.update(++files, process::store().itemCount); }
  void showMessage(const char* text) override {
    progress.erase();
    printMessage(text);
  }
  void showMissed(Missed what, const char* path) override {
    progress.erase();
    tellMissed(what, path);
  }
};

bool isDirectory(const std::string& native) {
  struct stat info;
  return ::stat(native.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

// The argument after a bare --check names the dictionary when it can be nothing else: an
// existing file, not a text (*.txt) nor a pattern, with a target still to follow.
bool isDictionaryArgument(int i, int argc, char** argv) {
  if (i + 1 >= argc) return false;
  const std::string a = argv[i];
  if (a.empty() || a[0] == '-' || a.find_first_of("*?") != std::string::npos) return false;
  if (a.size() >= 4) {
    std::string end = a.substr(a.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (end == ".txt") return false;
  }
  struct stat info;
  return ::stat(a.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
}

// A count from 1 to max written in decimal digits only.
bool readCount(const char* text, unsigned max, unsigned& count) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (!std::isdigit(static_cast<unsigned char>(*text)) || *end || value < 1 || value > max) return false;
  count = static_cast<unsigned>(value);
  return true;
}

// What parse gathers beside the options: the requirements checked once every argument is read.
struct ParseState {
  Options& o;
  const char* condition = nullptr;  // the first option that only the grouped view uses
  bool threads = false;             // --threads was given
};

// One option: its name; whether the next argument is its value; what it sets from that value
// ("" for an option without one), false when the value is not one it takes; the usage error
// written after its name when the value is missing or refused; whether only the grouped view
// uses it.
struct OptionRule {
  const char* name;
  bool takesArgument;
  bool (*set)(ParseState& p, const char* value);
  std::string usageError;
  bool groupedViewOnly = false;
};

// An option without a value that sets one flag of the options.
template <bool Options::*Flag, bool Value>
bool setFlag(ParseState& p, const char*) {
  p.o.*Flag = Value;
  return true;
}

// An option whose value is a text of the options, taken as it is.
template <std::string Options::*Field>
bool setText(ParseState& p, const char* value) {
  p.o.*Field = value;
  return true;
}

// --same-key or --same-ruby.
template <std::int32_t Hide>
bool hideKeyRuby(ParseState& p, const char*) {
  p.o.conditions.hideKeyRuby = Hide;
  return true;
}

// --key-length or --ruby-length.
template <LengthFilter Settings::*Filter>
bool setLengthFilter(ParseState& p, const char* value) {
  return parseLengthOption(value, p.o.conditions.*Filter);
}

const std::string NeedsFileName = "needs a file name";
const std::string NeedsLength = "needs a count from 1 to " + std::to_string(MaxFilterLength) +
                                ", optionally followed by +, - or =";

// --help, -h and --check, whose value is optional, are read by parse itself.
const OptionRule OptionRules[] = {
    {"--no-limit", false, setFlag<&Options::noLimit, true>, ""},
    {"--make-dictionary", true,
     [](ParseState& p, const char* value) {
       if (!*value) return false;
       p.o.dictionaryOut = value;
       return true;
     },
     NeedsFileName},
    {"--min-sources", true,
     [](ParseState& p, const char* value) { return readCount(value, MaxMinSources, p.o.minSources); },
     "needs a count of 1 or more"},
    {"--threads", true,
     [](ParseState& p, const char* value) {
       p.threads = true;
       return readCount(value, MaxThreads, p.o.threads);
     },
     "needs a count from 1 to " + std::to_string(MaxThreads)},
    {"--no-subfolders", false, setFlag<&Options::subfolders, false>, ""},
    {"--utf8", false, setFlag<&Options::utf8, true>, ""},
    {"--view", true,
     [](ParseState& p, const char* value) {
       const std::string_view view = value;
       if (view != "items" && view != "grouped") return false;
       p.o.grouped = view == "grouped";
       return true;
     },
     "needs items or grouped"},
    {"--same-key", false, hideKeyRuby<SameKeyItems>, "", true},
    {"--same-ruby", false, hideKeyRuby<SameRubyItems>, "", true},
    {"--key-length", true, setLengthFilter<&Settings::keyLengthFilter>, NeedsLength, true},
    {"--ruby-length", true, setLengthFilter<&Settings::rubyLengthFilter>, NeedsLength, true},
    {"--suggest", false, setFlag<&Options::suggest, true>, ""},
    {"--no-default-dictionaries", false, setFlag<&Options::defaultDictionaries, false>, ""},
    {"--no-dictionary-images", false, setFlag<&Options::dictionaryImages, false>, ""},
    {"--cache", true, setText<&Options::cacheFile>, NeedsFileName},
    {"-o", true, setText<&Options::output>, NeedsFileName},
};

const OptionRule* findOption(const std::string& name) {
  for (const OptionRule& rule : OptionRules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "obel-scan: %s\n", message.c_str());
  return ExitUsage;
}

// The option at argv[i], and its value after it; false after its usage error.
bool readOption(const OptionRule& rule, int& i, int argc, char** argv, ParseState& p) {
  if (rule.groupedViewOnly && !p.condition) p.condition = rule.name;
  const char* value = "";
  if (rule.takesArgument) value = ++i < argc ? argv[i] : nullptr;
  if (!value || !rule.set(p, value)) {
    usageError(std::string(rule.name) + " " + rule.usageError);
    return false;
  }
  return true;
}

// The usage error of an option given without the one it needs, or "" when none is.
std::string missingRequirement(const ParseState& p) {
  const Options& o = p.o;
  if (!o.dictionaryOut.empty() && !o.noLimit) return "--make-dictionary needs --no-limit";
  if (!o.cacheFile.empty() && !o.check) return "--cache needs --check";
  if (!o.dictionaryImages && !o.check) return "--no-dictionary-images needs --check";
  if (o.suggest && !o.check) return "--suggest needs --check";
  if (p.condition && !o.grouped) return std::string(p.condition) + " needs --view grouped";
  if (p.threads && !o.noLimit) return "--threads needs --no-limit";
  return "";
}

// Parsed, ExitHelp after the help, else the exit status to leave with.
int parse(int argc, char** argv, Options& o) {
  ParseState p{o};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      printText(stdout, Usage);
      return ExitHelp;
    } else if (const OptionRule* rule = findOption(a)) {
      if (!readOption(*rule, i, argc, argv, p)) return ExitUsage;
    } else if (a == "--check" || a.starts_with(CheckWithDictionary)) {
      o.check = true;
      if (a.size() > CheckWithDictionary.size()) o.dictionary = a.substr(CheckWithDictionary.size());
      else if (isDictionaryArgument(i + 1, argc, argv)) o.dictionary = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      o.targets.push_back(a);
    }
  }
  const std::string missing = missingRequirement(p);
  if (!missing.empty()) return usageError(missing);
  if (o.targets.empty()) {
    printText(stderr, Usage);
    return ExitUsage;
  }
  return Parsed;
}

// One target line in the store's form; a bare folder gets the *.txt pattern, as a folder
// dropped onto the target list does.
bool targetLine(const std::string& given, std::string& line) {
  std::string native = given;
  if (isDirectory(native)) {
    const char last = native.empty() ? '\0' : native.back();
#ifdef _WIN32
    // a trail byte 0x5C (the last byte of 表) is not a separator
    const bool endsInSeparator =
        last == '/' || findLastBackslash(native.c_str()) == static_cast<std::ptrdiff_t>(native.size()) - 1;
    if (!endsInSeparator) native += '\\';
#else
    if (last != '/') native += '/';
#endif
    native += "*.txt";
  }
  return fromNativePath(native.c_str(), line);
}

#ifndef _WIN32
// The file system's separator in the written table.
void useSlashes(ResultStore& s) {
  for (FileRecord* r = s.files; r; r = r->next) useSlashes(r->folder);
}
#endif

// Writes the table to its file as it comes.
class TableOutput {
 public:
  TableOutput(std::FILE* file, bool utf8) : file_(file), utf8_(utf8) {}
  void write(std::string_view cp932) {
    if (utf8_) {
      put(cp932ToUtf8(std::string(cp932)));
    } else {
      put(cp932);
    }
  }
  // Text already in the table's encoding (see encoded).
  void writeEncoded(std::string_view bytes) { put(bytes); }
  // The CP932 text in the table's encoding.
  static std::string encoded(std::string cp932, bool utf8) {
    if (utf8) return cp932ToUtf8(cp932);
    return cp932;  // the same buffer, not a copy
  }
  // False when anything could not be written.
  bool close() {
    const bool closed = file_ == stdout ? std::fflush(file_) == 0 : std::fclose(file_) == 0;
    return closed && !failed_;
  }

 private:
  void put(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  }
  std::FILE* file_;
  bool utf8_;
  bool failed_ = false;
};

// The check's dictionaries, read on a thread of their own while the search begins.
class CheckLoad {
 public:
  CheckLoad(ReadingCheck& check, const Options& o) {
    auto open = [&check, &o, this] {
      read_ = check.open(o.dictionary, o.defaultDictionaries, o.cacheFile, o.dictionaryImages);
    };
    try {
      thread_ = std::thread(open);
    } catch (const std::system_error&) {
      open();  // no thread to spare: read before the search
    }
  }
  ~CheckLoad() { wait(); }
  CheckLoad(const CheckLoad&) = delete;
  CheckLoad& operator=(const CheckLoad&) = delete;
  // Whether a dictionary could be read, once the reading is done.
  bool wait() {
    if (thread_.joinable()) thread_.join();
    return read_;
  }

 private:
  std::thread thread_;
  bool read_ = false;
};

// The fills of a --no-limit search: the items view writes each one out as it comes, the
// grouped view and the check fold it into the library's result. Nothing of the search is shown
// before the check's dictionaries are read, so that their messages come first, and nothing at
// all when none can be read.
class LibraryFills final : public FillSink {
 public:
  LibraryFills(const Options& o, TableOutput& out, CheckLoad* load, const ReadingSource* check)
      : options_(o), out_(out), load_(load), check_(check) {}
  // Waits for the check's dictionaries, and then writes the items view's header; false when no
  // dictionary could be read (the search is then stopped).
  bool ready() {
    if (!waited_) {
      waited_ = true;
      checkRead_ = load_ == nullptr || load_->wait();
      if (!checkRead_) process::store().searchRunning = false;
      else if (writesItems()) out_.write(options_.suggest ? TsvHeaderWithSuggestions : TsvHeader);
    }
    return checkRead_;
  }
  void prepareFill(ResultStore& s, FillWork& work) override {
#ifndef _WIN32
    useSlashes(s);
#endif
    if (folds()) LibraryResult::hashPairs(s, work.numbers);
    if (check_) LibraryResult::repeatedPairs(s, work.bits);
    if (writesItems() && !check_) {  // the check's marks come in fold
      work.text = spareText();
      appendItemLines(s, 0, s.itemCount, work.text);
      work.text = TableOutput::encoded(std::move(work.text), options_.utf8);
    }
  }
  // Folding a fill, and checking it most of all, takes longer than scanning it.
  std::size_t storesPerThread() const override { return folds() ? 3 : 2; }
  void takeFill(ResultStore& s, FillWork& work, std::size_t filesRead) override {
    if (!ready()) return;
    if (folds()) library.fold(s, work.numbers, work.bits, check_, checkThreads());
    if (writesItems()) {
      if (check_) {
        writeItemLines(s);
      } else {
        out_.writeEncoded(work.text);  // not a copy of the fill's lines
        keepText(std::move(work.text));
      }
    }
    files_ += filesRead;
    items_ += s.itemCount;
    progress.update(files_, items_);
  }
  void showMessage(const std::string& text) override {
    if (!ready()) return;
    progress.erase();
    printMessage(text);
  }
  void showMissed(Missed what, const std::string& path) override {
    if (!ready()) return;
    progress.erase();
    tellMissed(what, path);
  }
  void finishProgress() { progress.finish(files_, items_); }
  LibraryResult library;
  ProgressLine progress;

 private:
  bool making() const { return !options_.dictionaryOut.empty(); }
  bool folds() const { return options_.grouped || check_ || making(); }
  bool writesItems() const { return !options_.grouped && !making(); }
  // The verdict cache answers one question at a time, in the items' order.
  unsigned checkThreads() const { return options_.cacheFile.empty() ? options_.threads : 1; }
  static void appendItemLines(const ResultStore& s, std::uint32_t first, std::uint32_t end, std::string& text,
                              bool withSuggestions = false) {
    text.reserve(text.size() + (end - first) * 64);
    for (std::uint32_t i = first; i < end; ++i) appendTsvLine(text, s, s.items[i], withSuggestions);
  }
  // The lines of the fill's items in the table's encoding, made in parts on the threads and
  // written one after the other; the parts' buffers are kept for the next fill, as the lines'
  // buffers of the unchecked view are.
  void writeItemLines(const ResultStore& s) {
    constexpr std::uint32_t PartItems = 4096;
    const std::size_t parts = (s.itemCount + PartItems - 1) / PartItems;
    if (itemParts_.size() < parts) itemParts_.resize(parts);
    runOnThreads(parts, options_.threads, [&](std::size_t part) {
      const std::uint32_t first = static_cast<std::uint32_t>(part) * PartItems;
      std::string& text = itemParts_[part];
      text.clear();
      appendItemLines(s, first, std::min(s.itemCount, first + PartItems), text, options_.suggest);
      text = TableOutput::encoded(std::move(text), options_.utf8);
    });
    for (std::size_t part = 0; part < parts; ++part) out_.writeEncoded(itemParts_[part]);
  }
  std::vector<std::string> itemParts_;
  // The buffers of the fills' lines are kept for later fills: made anew for every fill, they
  // would be fresh pages each time, which took longer than making the lines. Only the fills
  // between their preparing and their writing hold one, so no more are kept than were in use.
  std::string spareText() {
    std::lock_guard<std::mutex> lock(textsMutex_);
    if (spareTexts_.empty()) return {};
    std::string text = std::move(spareTexts_.back());
    spareTexts_.pop_back();
    return text;
  }
  void keepText(std::string&& text) {
    text.clear();
    std::lock_guard<std::mutex> lock(textsMutex_);
    spareTexts_.push_back(std::move(text));
  }
  std::mutex textsMutex_;
  std::vector<std::string> spareTexts_;
  const Options& options_;
  TableOutput& out_;
  CheckLoad* load_;
  const ReadingSource* check_;
  bool waited_ = false;
  bool checkRead_ = false;
  unsigned long long files_ = 0;
  unsigned long long items_ = 0;
};

std::FILE* openOutput(const Options& options) {
  std::FILE* file = options.output.empty() ? stdout : std::fopen(options.output.c_str(), "wb");
  if (!file) std::fprintf(stderr, "obel-scan: cannot create %s\n", options.output.c_str());
  return file;
}

// The search without the item limit: the table is written as the fills come (items view) or
// once the whole library is read (grouped view).
int scanLibrary(const Options& options, const std::vector<std::string>& lines) {
  const auto start = std::chrono::steady_clock::now();
  const bool making = !options.dictionaryOut.empty();
  std::FILE* file = making ? stdout : openOutput(options);
  if (!file) return ExitUsage;
  TableOutput out(file, options.utf8);
  ReadingCheck check;
  std::unique_ptr<CheckLoad> load;
  if (options.check) load = std::make_unique<CheckLoad>(check, options);
  LibraryFills fills(options, out, load.get(), options.check ? &check.source() : nullptr);
  if (making) fills.library.countFolders();
  if (!options.suggest) fills.library.withoutSuggestions();
  ResultStore& s = process::store();
  auto lister = platformDirLister();
  const bool searched = searchLibrary(lines, options.subfolders, *lister, fills, s.searchRunning, options.threads);
  if (!fills.ready()) return ExitUsage;  // the dictionaries said why
  if (!searched) {
    std::fputs("obel-scan: not enough memory or threads for the search\n", stderr);
    return ExitUsage;
  }
  fills.finishProgress();
  if (options.check) check.close();
  if (making) {
    DictionaryFigures figures;
    const std::string text = fills.library.dictionaryText(options.minSources, figures);
    std::FILE* dictionary = std::fopen(options.dictionaryOut.c_str(), "wb");
    const bool written = dictionary && std::fwrite(text.data(), 1, text.size(), dictionary) == text.size();
    if (!dictionary || std::fclose(dictionary) != 0 || !written) {
      std::fprintf(stderr, "obel-scan: the dictionary %s could not be written\n", options.dictionaryOut.c_str());
      return ExitUsage;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char line[200];
    std::snprintf(line, sizeof line, "%llu items, %llu pairs read, %llu pairs written (in %u folders or more), %.1f s\n",
                  static_cast<unsigned long long>(fills.library.itemCount()),
                  static_cast<unsigned long long>(figures.pairsRead),
                  static_cast<unsigned long long>(figures.pairsWritten), options.minSources, seconds);
    printText(stdout, line);
  } else if (options.grouped) {
    fills.library.writeGrouped(options.conditions, options.check, options.suggest, options.threads,
                               [&](std::string_view part) { out.write(part); });
  }
  if (!out.close()) {
    std::fputs("obel-scan: the table could not be written completely\n", stderr);
    return ExitUsage;
  }
  if (!s.searchRunning) {
    printMessage(SearchStoppedText);
    return ExitStopped;
  }
  return somethingMissed ? ExitMissed : ExitComplete;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // The table's CR LF as written, whether standard output is a file, a pipe or the console: in
  // text mode the run-time library would make each LF of them CR LF again.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  Options options;
  const int parsed = parse(argc, argv, options);
  if (parsed == ExitHelp) return ExitComplete;
  if (parsed != Parsed) return parsed;

  std::vector<std::string> lines;
  for (const std::string& t : options.targets) {
    std::string line;
    if (!targetLine(t, line)) {
      std::fprintf(stderr, "obel-scan: %s: the path cannot be written in Shift-JIS, skipped\n", t.c_str());
      somethingMissed = true;
      continue;
    }
    lines.push_back(line);
  }

  process::revConvRunning() = true;  // a Ctrl-C at any time stops the check too
  installInterruptHandler();
  ResultStore& s = process::store();
  s.searchRunning = true;
  if (options.noLimit) return scanLibrary(options, lines);
  auto lister = platformDirLister();
  ConsoleEvents events;
  searchTargets(s, lines, options.subfolders, *lister, events);
  events.progress.finish(events.files, s.itemCount);
  finishSearch(s);
  // Taken before the check: a Ctrl-C during the check does not make the search a stopped one.
  const char* searchMessage = searchEndMessage(s);
  bool checkStopped = false;
  if (options.check &&
      !runReverseConversionCheck(options.dictionary, options.defaultDictionaries, options.cacheFile,
                                 options.dictionaryImages, checkStopped))
    return ExitUsage;
#ifndef _WIN32
  useSlashes(s);
#endif

  const std::string table =
      options.grouped ? groupedViewText(options.conditions, options.suggest) : tsvText(s, options.suggest);
  std::FILE* file = openOutput(options);
  if (!file) return ExitUsage;
  TableOutput out(file, options.utf8);
  out.write(table);
  if (!out.close()) {
    std::fputs("obel-scan: the table could not be written completely\n", stderr);
    return ExitUsage;
  }

  if (searchMessage) {
    printMessage(searchMessage);
    return ExitStopped;
  }
  if (checkStopped) {
    printMessage("逆変換チェックを中止しました");
    return ExitStopped;
  }
  return somethingMissed ? ExitMissed : ExitComplete;
}

int obel::parseScanArguments(int argc, char** argv, Settings& conditions) {
  Options options;
  const int status = parse(argc, argv, options);
  conditions = options.conditions;
  return status;
}
