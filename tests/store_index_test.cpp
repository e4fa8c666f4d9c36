// The hash indexes of the store against the linear scans they replace: ids, flags, numbers,
// group sizes and counters must come out identical.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/store.h"
#include "engine/store_linear.h"

using namespace obel;

namespace {

// Random short kana texts from a small vocabulary, so that most interns find a known string.
std::vector<std::string> randomTexts(std::mt19937& rng, std::size_t n, int vocabulary) {
  std::uniform_int_distribution<int> pick(0, vocabulary - 1);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < n; ++i) {
    const int w = pick(rng);
    std::string t;
    for (int k = 0; k <= w % 5; ++k) {
      t += static_cast<char>(0x82);
      t += static_cast<char>(0x9F + (w * 7 + k * 13) % 83);
    }
    if (w % 11 == 0) t.clear();  // the empty string is a string like any other
    out.push_back(t);
  }
  return out;
}

void expectSameItems(const ResultStore& a, const ResultStore& b) {
  ASSERT_EQ(a.itemCount, b.itemCount);
  for (std::uint32_t i = 0; i < a.itemCount; ++i) {
    ASSERT_EQ(a.items[i].flags, b.items[i].flags) << i;
    ASSERT_EQ(a.items[i].number, b.items[i].number) << i;
    ASSERT_EQ(a.items[i].groupSize, b.items[i].groupSize) << i;
    ASSERT_EQ(a.pairIndex[i], b.pairIndex[i]) << i;
  }
  for (std::uint32_t id = 0; id < a.strings.count; ++id) {
    ASSERT_EQ(a.rubiesPerKey[id], b.rubiesPerKey[id]) << id;
    ASSERT_EQ(a.keysPerRuby[id], b.keysPerRuby[id]) << id;
  }
}

}  // namespace

TEST(StoreIndex, InterningGivesTheIdsOfTheLinearScan) {
  ResultStore* linear = newResultStore();
  ASSERT_NE(linear, nullptr);
  ResultStore& indexed = process::store();
  clear(indexed);
  std::mt19937 rng(7);
  for (const std::string& t : randomTexts(rng, 20000, 3000)) {
    const std::uint32_t a = internText(indexed, t.c_str());
    const std::uint32_t b = internTextByScan(*linear, t.c_str());
    ASSERT_EQ(a, b) << t;
  }
  EXPECT_EQ(indexed.strings.count, linear->strings.count);
  EXPECT_EQ(indexed.strings.writePosition, linear->strings.writePosition);
  EXPECT_EQ(std::memcmp(indexed.strings.pool, linear->strings.pool, indexed.strings.writePosition), 0);
  clear(indexed);
  clear(*linear);
  deleteResultStore(linear);
}

TEST(StoreIndex, ThePoolAndIdLimitsAgree) {
  ResultStore* linear = newResultStore();
  ASSERT_NE(linear, nullptr);
  ResultStore& indexed = process::store();
  clear(indexed);
  // distinct strings until both refuse the 65537th
  for (std::uint32_t i = 0; i < MaxStringIds + 5; ++i) {
    const std::string t = std::to_string(i);
    ASSERT_EQ(internText(indexed, t.c_str()), internTextByScan(*linear, t.c_str())) << i;
  }
  EXPECT_TRUE(indexed.stringsExhausted);
  EXPECT_TRUE(linear->stringsExhausted);
  EXPECT_EQ(internText(indexed, "7"), 7u) << "a known string is still found";
  clear(indexed);
  deleteResultStore(linear);
}

TEST(StoreIndex, RepeatMarkingAndCountingMatchTheLinearScan) {
  ResultStore* linear = newResultStore();
  ASSERT_NE(linear, nullptr);
  ResultStore& indexed = process::store();
  for (int round = 0; round < 3; ++round) {
    clear(indexed);
    clear(*linear);
    std::mt19937 rng(100 + round);
    const std::size_t n = round == 2 ? MaxItems : 5000;
    std::uniform_int_distribution<int> key(0, round == 0 ? 30 : 4000);
    std::uniform_int_distribution<int> ruby(0, round == 0 ? 3 : 50);
    for (std::size_t i = 0; i < n; ++i) {
      RubyItem item{};
      item.keyId = static_cast<std::uint16_t>(key(rng));
      item.rubyId = static_cast<std::uint16_t>(ruby(rng) * 3 + 1);
      item.number = 1;
      item.groupSize = 1;
      indexed.items[i] = item;
      linear->items[i] = item;
    }
    indexed.itemCount = linear->itemCount = static_cast<std::uint32_t>(n);
    indexed.strings.count = linear->strings.count = 4200;  // counters up to this id are compared
    markRepeatedPairs(indexed);
    markRepeatedPairsByScan(*linear);
    countDistinctPairs(indexed);
    countDistinctPairs(*linear);
    expectSameItems(indexed, *linear);
    if (HasFatalFailure()) break;
  }
  clear(indexed);
  deleteResultStore(linear);
}
