#pragma once
// obel-scan --check: the reverse-conversion run over the store with a reading dictionary, and
// --cache FILE: the verdict cache read from FILE before the run and written back after it.
#include <memory>
#include <string>

#include "revconv/reading.h"

namespace obel {

// The reading dictionary and the verdict cache of one run of obel-scan.
class ReadingCheck {
 public:
  ReadingCheck();
  ~ReadingCheck();
  // Reads the default dictionaries (with defaults: the skkdic file and the Aozora readings
  // beside the program, each skipped silently when missing), then those of the list, KANJIDIC
  // and, when cacheFile is given, the cache; false, with a message on standard error, when no
  // dictionary can be read. A listed file that cannot be read is named. With images, each
  // dictionary is read through its image in the user's cache folder (dictionaryImageFolder).
  bool open(const std::string& list, bool defaults, const std::string& cacheFile, bool images);
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
bool runReverseConversionCheck(const std::string& list, bool defaults, const std::string& cacheFile, bool images,
                               bool& stopped);

}  // namespace obel
