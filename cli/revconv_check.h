#pragma once
// obel-scan --check: the reverse-conversion run over the store with a reading dictionary, and
// --cache FILE: the verdict cache read from FILE before the run and written back after it.
#include <string>

namespace obel {

// The skkdic file, the dictionary --check uses when none is named.
#ifdef _WIN32
constexpr char DefaultCheckDictionary[] = "Z:\\usr\\share\\skk\\SKK-JISYO.L";
#else
constexpr char DefaultCheckDictionary[] = "/usr/share/skk/SKK-JISYO.L";
#endif

// Runs the check over every item of the store; Ctrl-C stops it as Stop does. False, with a
// message on standard error, when the dictionary cannot be read. stopped is set when the run
// ended before every item had its verdict.
bool runReverseConversionCheck(const std::string& dictionary, const std::string& cacheFile, bool& stopped);

}  // namespace obel
