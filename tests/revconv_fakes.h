#pragma once
// A reading provider for the tests: answers from a table of texts, counts its queries.
#include <map>
#include <string>
#include <vector>

#include "engine/store.h"
#include "store_items.h"
#include "revconv/reading.h"
#include "revconv/text_codec.h"

namespace obel::test {

class FakeProvider : public ReadingProvider {
 public:
  // text and readings in CP932 (the test sources' literals).
  void add(const char* text, std::vector<std::string> readings) {
    answers[text] = std::move(readings);
  }
  void readings(void*, void*, const std::u16string& text, std::vector<std::u16string>& out) override {
    ++queries;
    asked.push_back(utf16ToCp932(text.c_str()));
    const auto found = answers.find(asked.back());
    if (found == answers.end()) return;
    for (const std::string& r : found->second) out.push_back(cp932ToUtf16(r.c_str()));
  }
  // The counted readings of a key, as a dictionary of a library gives them (CP932).
  void countedReadings(const std::u16string& key, std::vector<CountedReading>& out) override {
    const auto found = counts.find(utf16ToCp932(key.c_str()));
    if (found == counts.end()) return;
    for (const auto& [reading, books] : found->second) addCountedReading(out, cp932ToUtf16(reading.c_str()), books);
  }
  std::map<std::string, std::vector<std::string>> answers;
  std::map<std::string, std::vector<std::pair<std::string, std::uint32_t>>> counts;
  std::vector<std::string> asked;
  int queries = 0;
};

}  // namespace obel::test
