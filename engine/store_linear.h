#pragma once
// The plain linear scans that the store's hash indexes replace: interning by scanning the
// hashes from id 0, repeat marking by scanning pairIndex for the lowest equal entry. They give
// the same ids, flags, numbers and counters, only slower; kept as the reference for the tests
// and the benchmark. A store must be filled either through these or through the indexed
// functions, not both (these do not maintain the index).
#include <cstdint>

#include "engine/store.h"

namespace obel {

std::uint32_t internByScan(ResultStore& s);
std::uint32_t internTextByScan(ResultStore& s, const char* text);
void markRepeatedPairsByScan(ResultStore& s);

}  // namespace obel
