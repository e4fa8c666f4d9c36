#include "revconv/cache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "revconv/cache_file.h"

using namespace obel;

namespace {

CodeWords encoded(const char* ruby, const char* okurigana = nullptr, const char* key = "鍵") {
  CodeWords words;
  EXPECT_TRUE(encodeReading(key, ruby, okurigana, words)) << ruby;
  return words;
}

bool encodable(const char* key, const char* ruby, const char* okurigana = nullptr) {
  CodeWords words;
  return encodeReading(key, ruby, okurigana, words);
}

}  // namespace

TEST(RevConvEncode, ExamplesGiveTheirCodeWords) {
  const struct {
    const char* ruby;
    const char* okurigana;
    std::uint32_t w0, w1;
  } cases[] = {
      {"あ", nullptr, 168, 0},
      {"あい", nullptr, 14448, 0},
      {"はし", "る", 2353633884u, 0},
      {"あいうえお", nullptr, 4272033608u, 0},
      {"あいうえおかき", nullptr, 4272033619u, 1092},
      {"あいうえおかきくけこ", nullptr, 4272033619u, 7812439},
  };
  for (const auto& c : cases) {
    const CodeWords w = encoded(c.ruby, c.okurigana);
    EXPECT_EQ(w.w0, c.w0) << c.ruby;
    EXPECT_EQ(w.w1, c.w1) << c.ruby;
  }
}

TEST(RevConvEncode, OkuriganaContinuesTheReading) {
  // Ten characters split over ruby and okurigana are encodable, eleven are not.
  EXPECT_TRUE(encodable("鍵", "あいうえおかきく", "けこ"));
  EXPECT_FALSE(encodable("鍵", "あいうえおかきく", "けこさ"));
  EXPECT_FALSE(encodable("鍵", "あいうえおかきくけこ", "る"));
  EXPECT_FALSE(encodable("鍵", "あいうえおかきくけこ", "")) << "the okurigana is still to come";
  EXPECT_TRUE(encodable("鍵", "あいうえおかきくけこ"));
  EXPECT_FALSE(encodable("鍵", "あいうえおかきくけこさ"));
  // An empty okurigana still ends a text: one more 0 digit.
  EXPECT_EQ(encoded("あ", "").w0, 168u * 84);
  // After the sixth character the end appends no digit: the first word is that of あいうえおかき.
  EXPECT_EQ(encoded("あいうえおか").w0, 4272033619u);
  EXPECT_EQ(encoded("あいうえおか").w1, 0u);
}

TEST(RevConvEncode, ShapesThatAreNotEncodable) {
  EXPECT_FALSE(encodable("東京都庁舎", "とうきょう")) << "key of 10 bytes";
  EXPECT_FALSE(encodable("東京都庁x", "とうきょう")) << "key of 9 bytes";
  EXPECT_TRUE(encodable("東京都庁", "とうきょうとちょう"));
  EXPECT_FALSE(encodable("鍵", "カギ"));
  EXPECT_FALSE(encodable("鍵", "かーぎ"));
  EXPECT_FALSE(encodable("鍵", "かぎa"));
  EXPECT_FALSE(encodable("鍵", "ヴ"));
  EXPECT_TRUE(encodable("鍵", "ぁん"));
}

TEST(RevConvCache, LookupFindsWhatWasRecorded) {
  auto* cache = new ReverseConversionCache{};
  const CodeWords w = encoded("なま");
  int verdict = -1;
  EXPECT_FALSE(cacheLookup(*cache, "生", 0, w, verdict));
  cacheRecord(*cache, "生", 0, w, 1);
  cacheRecord(*cache, "生", 2, w, 0);
  ASSERT_TRUE(cacheLookup(*cache, "生", 0, w, verdict));
  EXPECT_EQ(verdict, 1);
  ASSERT_TRUE(cacheLookup(*cache, "生", 2, w, verdict));
  EXPECT_EQ(verdict, 0);
  EXPECT_FALSE(cacheLookup(*cache, "生き", 0, w, verdict)) << "another key";
  EXPECT_FALSE(cacheLookup(*cache, "生", 4, w, verdict)) << "another okurigana length";
  EXPECT_FALSE(cacheLookup(*cache, "生", 0, encoded("なまえ"), verdict));
  EXPECT_EQ(cache->nextSlot, 2u);
  EXPECT_EQ(cache->slotInfo[0], 0x80);
  EXPECT_EQ(cache->slotInfo[1], 2);
  EXPECT_EQ(std::memcmp(cache->keyPrefix[0], "生\0\0\0\0\0\0", 8), 0);
  delete cache;
}

TEST(RevConvCache, TheRingOverwritesSlotZeroWith65537thEntry) {
  auto* cache = new ReverseConversionCache{};
  for (std::uint32_t i = 0; i < CacheSlots; ++i) cacheRecord(*cache, "鍵", 0, CodeWords{i + 1, 0}, 1);
  EXPECT_EQ(cache->nextSlot, 0u);
  int verdict = 0;
  EXPECT_TRUE(cacheLookup(*cache, "鍵", 0, CodeWords{1, 0}, verdict));
  cacheRecord(*cache, "錠", 0, CodeWords{7, 7}, 0);
  EXPECT_EQ(cache->nextSlot, 1u);
  EXPECT_FALSE(cacheLookup(*cache, "鍵", 0, CodeWords{1, 0}, verdict)) << "slot 0 was overwritten";
  EXPECT_TRUE(cacheLookup(*cache, "錠", 0, CodeWords{7, 7}, verdict));
  EXPECT_EQ(cache->codeWord0[0], 7u);
  delete cache;
}

TEST(RevConvCache, EmptySlotsOnlyMatchAnEmptyKey) {
  auto* cache = new ReverseConversionCache{};
  int verdict = 1;
  EXPECT_TRUE(cacheLookup(*cache, "", 0, CodeWords{0, 0}, verdict));
  EXPECT_EQ(verdict, 0);
  EXPECT_FALSE(cacheLookup(*cache, "鍵", 0, CodeWords{0, 0}, verdict));
  delete cache;
}

// The real file operations in a scratch folder that plays the executable's folder, with a
// fixed clock and switches to make creation or writing fail.
class ScratchFileOps : public FileOps {
 public:
  explicit ScratchFileOps(std::string folder) : folder_(std::move(folder)) {}
  bool modulePath(char* path, std::uint32_t capacity) override {
    return std::snprintf(path, capacity, "%s/Obel.exe", folder_.c_str()) < static_cast<int>(capacity);
  }
  Handle openForReading(const char* path) override { return real().openForReading(path); }
  Handle createNew(const char* path) override {
    ++createAttempts;
    return failCreate ? nullptr : real().createNew(path);
  }
  std::uint32_t read(Handle f, void* b, std::uint32_t n) override { return real().read(f, b, n); }
  std::uint32_t write(Handle f, const void* b, std::uint32_t n) override {
    return failWrite ? 0 : real().write(f, b, n);
  }
  void close(Handle f) override { real().close(f); }
  bool replaceFile(const char* from, const char* to) override { return real().replaceFile(from, to); }
  bool deleteFile(const char* path) override { return real().deleteFile(path); }
  LocalTime localTime() override { return time; }

  std::string path(const char* name) const { return folder_ + "/" + name; }
  LocalTime time{31, 23, 59, 59, 999};
  bool failCreate = false;
  bool failWrite = false;
  int createAttempts = 0;

 private:
  static FileOps& real() { return platformFileOps(); }
  std::string folder_;
};

namespace {

std::string makeScratchFolder() {
  // A fresh folder in the system's temporary folder (under Wine: the prefix's temp folder).
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder =
        base / ("obel_cache_" + std::to_string(std::rand()) + "_" + std::to_string(attempt));
    if (std::filesystem::create_directory(folder, error)) return folder.string();
  }
  return {};
}

std::vector<char> fileBytes(const std::string& path) {
  std::vector<char> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

void writeBytes(const std::string& path, const std::vector<char>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  // An empty vector may hold no buffer at all, and fwrite must not be given a null pointer.
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::uint32_t le32(const std::vector<char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

struct RevConvCacheFile : ::testing::Test {
  void SetUp() override {
    folder = makeScratchFolder();
    ASSERT_FALSE(folder.empty());
    ops = new ScratchFileOps(folder);
    cache = new ReverseConversionCache{};
    loaded = new ReverseConversionCache{};
  }
  void TearDown() override {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    delete ops;
    delete cache;
    delete loaded;
  }
  std::string folder;
  ScratchFileOps* ops = nullptr;
  ReverseConversionCache* cache = nullptr;
  ReverseConversionCache* loaded = nullptr;
};

}  // namespace

TEST(RevConvTempName, StampPacksTheLocalTime) {
  EXPECT_EQ(timeStamp({1, 0, 0, 0, 0}), 1u);
  EXPECT_EQ(timeStamp({0, 1, 0, 0, 0}), 1u << 5);
  EXPECT_EQ(timeStamp({0, 0, 1, 0, 0}), 1u << 10);
  EXPECT_EQ(timeStamp({0, 0, 0, 1, 0}), 1u << 16);
  EXPECT_EQ(timeStamp({0, 0, 0, 0, 1}), 1u << 22);
  EXPECT_EQ(timeStamp({31, 23, 59, 59, 999}), 0xF9FBEEFFu);
}

TEST_F(RevConvCacheFile, TemporaryFileIsNamedFromTheClockBesideTheProgram) {
  char path[PathBytes];
  FileOps::Handle first = createUniqueTempFile(*ops, "Obel_", path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::string(path), ops->path("Obel_f9fbeeff.tmp"));
  char second[PathBytes];
  FileOps::Handle next = createUniqueTempFile(*ops, "Obel_", second);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(std::string(second), ops->path("Obel_f9fbef00.tmp")) << "an existing name is skipped";
  ops->close(first);
  ops->close(next);
  ops->deleteFile(path);
  ops->deleteFile(second);
}

TEST_F(RevConvCacheFile, SavedTableHasTheLayoutAndLoadsUnchanged) {
  for (std::uint32_t i = 0; i < 70000; ++i)
    cacheRecord(*cache, i % 3 ? "生" : "東京", i % 5, CodeWords{i * 7, i}, i % 2);
  ASSERT_TRUE(saveCache(*ops, *cache));
  const std::vector<char> bytes = fileBytes(ops->path("ObelCache.dat"));
  ASSERT_EQ(bytes.size(), 1114116u);
  EXPECT_EQ(le32(bytes, 0), 70000u - 65536u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[4 + 1]), cache->slotInfo[1]);
  EXPECT_EQ(le32(bytes, 0x10004 + 4 * 2), cache->codeWord0[2]);
  EXPECT_EQ(le32(bytes, 0x50004 + 4 * 3), cache->codeWord1[3]);
  EXPECT_EQ(std::memcmp(bytes.data() + 0x90004 + 8 * 6000, "東京\0\0\0\0", 8), 0);
  EXPECT_EQ(fileBytes(ops->path("Obel_f9fbeeff.tmp")).size(), 0u) << "the temporary file is gone";
  std::memset(loaded, 0x77, sizeof *loaded);
  ASSERT_TRUE(loadCache(*ops, *loaded));
  EXPECT_EQ(loaded->nextSlot, cache->nextSlot);
  EXPECT_EQ(std::memcmp(loaded->slotInfo, cache->slotInfo, sizeof cache->slotInfo), 0);
  EXPECT_EQ(std::memcmp(loaded->codeWord0, cache->codeWord0, sizeof cache->codeWord0), 0);
  EXPECT_EQ(std::memcmp(loaded->codeWord1, cache->codeWord1, sizeof cache->codeWord1), 0);
  EXPECT_EQ(std::memcmp(loaded->keyPrefix, cache->keyPrefix, sizeof cache->keyPrefix), 0);
}

TEST_F(RevConvCacheFile, MissingFileGivesAnEmptyTable) {
  std::memset(loaded, 0x77, sizeof *loaded);
  EXPECT_FALSE(loadCache(*ops, *loaded));
  EXPECT_EQ(std::memcmp(loaded, cache, sizeof *cache), 0);
}

TEST_F(RevConvCacheFile, DamagedFilesGiveAnEmptyTable) {
  cacheRecord(*cache, "生", 0, CodeWords{5, 0}, 1);
  ASSERT_TRUE(saveCache(*ops, *cache));
  const std::vector<char> good = fileBytes(ops->path("ObelCache.dat"));
  std::vector<std::vector<char>> damaged;
  damaged.emplace_back(good.begin(), good.begin() + 1000);  // short
  damaged.emplace_back(good.begin(), good.end() - 1);       // one byte short
  damaged.push_back(good);
  damaged.back().push_back(0);                               // one byte long
  damaged.push_back(good);
  damaged.back()[2] = 1;                                     // nextSlot 65536 + 1
  damaged.emplace_back();                                    // empty
  ReverseConversionCache* empty = new ReverseConversionCache{};
  for (const std::vector<char>& bytes : damaged) {
    writeBytes(ops->path("ObelCache.dat"), bytes);
    std::memset(loaded, 0x77, sizeof *loaded);
    EXPECT_FALSE(loadCache(*ops, *loaded)) << bytes.size();
    EXPECT_EQ(std::memcmp(loaded, empty, sizeof *empty), 0) << bytes.size();
    cacheRecord(*loaded, "鍵", 0, CodeWords{1, 1}, 1);
    EXPECT_EQ(loaded->nextSlot, 1u);
  }
  delete empty;
}

TEST_F(RevConvCacheFile, NoTemporaryFileLeavesTheCacheFileUntouched) {
  cacheRecord(*cache, "生", 0, CodeWords{5, 0}, 1);
  ASSERT_TRUE(saveCache(*ops, *cache));
  const std::vector<char> before = fileBytes(ops->path("ObelCache.dat"));
  cacheRecord(*cache, "東京", 0, CodeWords{9, 0}, 1);
  ops->failCreate = true;
  ops->createAttempts = 0;
  EXPECT_FALSE(saveCache(*ops, *cache));
  EXPECT_EQ(ops->createAttempts, 256);
  EXPECT_EQ(fileBytes(ops->path("ObelCache.dat")), before);
}

TEST_F(RevConvCacheFile, FailedWriteNeverReplacesTheCacheFile) {
  cacheRecord(*cache, "生", 0, CodeWords{5, 0}, 1);
  ASSERT_TRUE(saveCache(*ops, *cache));
  const std::vector<char> before = fileBytes(ops->path("ObelCache.dat"));
  cacheRecord(*cache, "東京", 0, CodeWords{9, 0}, 1);
  ops->failWrite = true;
  EXPECT_FALSE(saveCache(*ops, *cache));
  EXPECT_EQ(fileBytes(ops->path("ObelCache.dat")), before);
  EXPECT_EQ(fileBytes(ops->path("Obel_f9fbeeff.tmp")).size(), 0u) << "the temporary file is deleted";
}
