#include "cli/revconv_check.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/sjis.h"
#include "engine/store.h"
#include "revconv/cache.h"
#include "revconv/cache_file.h"
#include "revconv/kanji_readings.h"
#include "revconv/reading.h"
#include "revconv/run.h"
#include "revconv/skk_dictionary.h"
#include "settings/settings.h"

namespace obel {

namespace {

// The platform's file operations with the cache file beside the program replaced by the file
// the user named; the temporary copy is made in that file's folder, so the file is still only
// ever replaced by a complete copy.
class NamedCacheFile final : public FileOps {
 public:
  NamedCacheFile(FileOps& base, const std::string& file) : base_(base), file_(file) {
    folder_ = file.substr(0, folderLength(file.c_str()));
  }
  bool modulePath(char* path, std::uint32_t capacity) override {
    const std::string program = folder_ + "obel-scan";
    if (program.size() + 1 > capacity) return false;
    std::memcpy(path, program.c_str(), program.size() + 1);
    return true;
  }
  Handle openForReading(const char* path) override { return base_.openForReading(redirect(path)); }
  Handle createNew(const char* path) override { return base_.createNew(path); }
  std::uint32_t read(Handle f, void* b, std::uint32_t n) override { return base_.read(f, b, n); }
  std::uint32_t write(Handle f, const void* b, std::uint32_t n) override { return base_.write(f, b, n); }
  void close(Handle f) override { base_.close(f); }
  bool replaceFile(const char* from, const char* to) override { return base_.replaceFile(from, redirect(to)); }
  bool deleteFile(const char* path) override { return base_.deleteFile(path); }
  LocalTime localTime() override { return base_.localTime(); }

 private:
  const char* redirect(const char* path) const {
    return folder_ + "ObelCache.dat" == path ? file_.c_str() : path;
  }
  FileOps& base_;
  std::string file_;
  std::string folder_;
};

}  // namespace

struct ReadingCheck::Files {
  DictionaryList dictionary;
  std::string cacheFile;
  std::unique_ptr<NamedCacheFile> cache;
};

ReadingCheck::ReadingCheck() : files_(std::make_unique<Files>()) {}
ReadingCheck::~ReadingCheck() = default;

bool ReadingCheck::open(const std::string& list, bool defaults, const std::string& cacheFile, bool images) {
  // KANJIDIC is read while the dictionaries are (or after them, with no thread to spare)
  std::thread kanji;
  try {
    kanji = std::thread([] { kanjiReadings(); });
  } catch (const std::system_error&) {
  }
  if (images) files_->dictionary.useImages(dictionaryImageFolder());
  const std::vector<std::string> unreadable = files_->dictionary.addDefaultsAndList(
      defaults ? defaultDictionaryFiles(programFolder()) : std::vector<std::string>(), list);
  if (kanji.joinable()) kanji.join();
#ifdef __GLIBC__
  malloc_trim(0);  // what the readers' threads freed while reading goes back to the system
#endif
  for (const std::string& file : unreadable)
    std::fprintf(stderr, "obel-scan: cannot read the reading dictionary %s\n", file.c_str());
  if (files_->dictionary.size() == 0) {
    if (unreadable.empty()) std::fputs("obel-scan: --check has no reading dictionary to read\n", stderr);
    return false;
  }
  source_ = ReadingSource{&files_->dictionary, nullptr, nullptr,
                          composedReadings(kanjiReadings())};
  files_->cacheFile = cacheFile;
  process::settings().useRevConvCache = cacheFile.empty() ? 0 : 1;
  if (!cacheFile.empty()) {
    files_->cache = std::make_unique<NamedCacheFile>(platformFileOps(), cacheFile);
    loadCache(*files_->cache, process::revConvCache());
  }
  return true;
}

void ReadingCheck::close() {
  if (files_->cache && !saveCache(*files_->cache, process::revConvCache())) {
    std::fprintf(stderr, "obel-scan: the cache %s could not be written\n", files_->cacheFile.c_str());
  }
}

bool runReverseConversionCheck(const std::string& list, bool defaults, const std::string& cacheFile, bool images,
                               bool& stopped) {
  stopped = false;
  ReadingCheck check;
  if (!check.open(list, defaults, cacheFile, images)) return false;
  ResultStore& s = process::store();
  checkStoreItems(s, check.source(), nullptr);
  check.close();
  stopped = s.pendingCheckCount != 0;
  return true;
}

}  // namespace obel
