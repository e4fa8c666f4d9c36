#pragma once
// obel-scan --check: the reverse-conversion run over the store with a reading dictionary, and
// --cache FILE: the verdict cache read from FILE before the run and written back after it.
#include <memory>
#include <string>

#include "revconv/reading.h"

namespace obel {

// The skkdic file, the dictionary --check uses when none is named.
#ifdef _WIN32
constexpr char DefaultCheckDictionary[] = "Z:\\usr\\share\\skk\\SKK-JISYO.L";
#else
constexpr char DefaultCheckDictionary[] = "/usr/share/skk/SKK-JISYO.L";
#endif

// The reading dictionary and the verdict cache of one run of obel-scan.
class ReadingCheck {
 public:
  ReadingCheck();
  ~ReadingCheck();
  // Reads the dictionary and, when cacheFile is given, the cache; false, with a message on
  // standard error, when the dictionary cannot be read.
  bool open(const std::string& dictionary, const std::string& cacheFile);
  const ReadingSource& source() const { return source_; }
  // Writes the cache back (when one was named), with a message when that fails.
  void close();

 private:
  struct Files;
  std::unique_ptr<Files> files_;
  ReadingSource source_;
};

// Runs the check over every item of the store; Ctrl-C stops it as Stop does. False, with a
// message on standard error, when the dictionary cannot be read. stopped is set when the run
// ended before every item had its verdict.
bool runReverseConversionCheck(const std::string& dictionary, const std::string& cacheFile, bool& stopped);

}  // namespace obel
