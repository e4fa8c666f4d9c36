// The SKK dictionary loader over any bytes, in both encodings: an odd first byte puts a UTF-8
// coding line before the rest. Then a few look-ups, among them the dictionary's own first
// candidate texts, must answer without touching memory they do not own.
#include <cstdint>
#include <string>
#include <vector>

#include "revconv/skk_dictionary.h"

using namespace obel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string bytes;
  if (data[0] & 1) bytes = ";; -*- coding: utf-8 -*-\n";
  bytes.append(reinterpret_cast<const char*>(data) + 1, size - 1);
  SkkDictionary dictionary;
  dictionary.loadText(bytes);

  std::vector<std::u16string> queries = {u"生", u"走る", u"送る", u"氏", u"あ", u""};
  // The text between the first two slashes of each of the first lines, in either decoding.
  std::size_t start = 0;
  for (int line = 0; line < 8 && start < bytes.size(); ++line) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string_view text(bytes.data() + start, end - start);
    const std::size_t open = text.find('/');
    if (open != std::string_view::npos) {
      const std::string_view candidate = text.substr(open + 1, text.find('/', open + 1) - open - 1);
      for (std::u16string q : {decodeUtf8(candidate), decodeEucJp(candidate)}) {
        queries.push_back(q);
        queries.push_back(q + u"る");
      }
    }
    start = end + 1;
  }
  std::vector<std::u16string> out;
  for (const std::u16string& q : queries) dictionary.readings(nullptr, nullptr, q, out);
  return 0;
}
