// The scanner over a whole file's bytes. The first byte chooses how full the store already is
// (empty, near the item limit, near the end of the pool); the rest is the file. After the scan
// the store must hold only what it can: ids below the count, every string NUL-terminated
// inside the pool, no more items than the limit leaves.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/scanner.h"

using namespace obel;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool insidePool(const ResultStore& s, const char* text) {
  const char* pool = s.strings.pool;
  return text >= pool && text < pool + s.strings.writePosition &&
         std::memchr(text, '\0', pool + s.strings.writePosition - text) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ResultStore& s = process::store();
  clear(s);
  const unsigned fill = data[0];
  if (fill % 4 == 1) s.itemCount = MaxItems - 1 - fill / 64;
  if (fill % 4 == 2) s.strings.writePosition = PoolBytes - fill;
  const std::uint32_t before = s.itemCount;
  const std::uint32_t poolBefore = s.strings.writePosition;
  std::vector<char> text(data + 1, data + size);
  text.push_back('\0');  // the scanner reads whole files with a NUL after them
  static FileRecord record;
  record = FileRecord{};
  record.firstItem = s.items + s.itemCount;
  const std::uint32_t n = scanBuffer(s, &record, text.data(), size - 1);

  require(n <= MaxItems - before);
  require(s.strings.writePosition >= poolBefore && s.strings.writePosition <= PoolBytes);
  require(s.strings.count <= MaxStringIds && s.strings.count <= MaxStrings);
  for (std::uint32_t id = 0; id < s.strings.count; ++id) require(insidePool(s, s.strings.text[id]));
  for (std::uint32_t i = 0; i < n; ++i) {
    const RubyItem& item = record.firstItem[i];
    require(item.keyId < s.strings.count && item.rubyId < s.strings.count && item.okuriganaId < s.strings.count);
    require(item.file == &record && item.line >= 1 && item.column >= 1);
    require(static_cast<std::size_t>(item.column) <= size);
  }
  return 0;
}
