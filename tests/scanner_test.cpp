#include "engine/scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace obel;

namespace {

struct Found {
  std::string key, ruby, okurigana;
  int line, column;
};

// Scans text as one file into an emptied store and returns what was found.
std::vector<Found> scan(const std::string& input) {
  ResultStore& s = store();
  clear(s);
  static FileRecord record;
  record = FileRecord{};
  record.firstItem = s.items;
  std::vector<char> buffer(input.begin(), input.end());
  buffer.push_back('\0');
  const std::uint32_t n = scanBuffer(s, &record, buffer.data(), input.size());
  std::vector<Found> out;
  for (std::uint32_t i = 0; i < n; ++i) {
    const RubyItem& item = s.items[i];
    EXPECT_EQ(item.file, &record);
    EXPECT_EQ(item.flags, 0u);
    out.push_back({text(s, item.keyId), text(s, item.rubyId), text(s, item.okuriganaId), item.line, item.column});
  }
  return out;
}

}  // namespace

TEST(Scanner, WorkedExample) {
  const auto found = scan("彼は漢字《かんじ》で｜東京《とうきょう》へ行く");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].key, "漢字");
  EXPECT_EQ(found[0].ruby, "かんじ");
  EXPECT_EQ(found[0].okurigana, "で");
  EXPECT_EQ(found[0].column, 5);
  EXPECT_EQ(found[1].key, "東京");
  EXPECT_EQ(found[1].ruby, "とうきょう");
  EXPECT_EQ(found[1].okurigana, "へ");
  EXPECT_EQ(found[1].column, 23);
}

TEST(Scanner, OneItemLines) {
  struct Case { const char* line; const char* key; const char* ruby; const char* okurigana; int column; };
  const Case cases[] = {
      {"漢字《かんじ》", "漢字", "かんじ", "", 1},
      {"｜《よみ》", "", "よみ", "", 3},
      {"《よみ》", "", "よみ", "", 1},
      {"これは《よみ》", "これは", "よみ", "", 1},
      {"漢字かな《よみ》", "漢字かな", "よみ", "", 1},
      {"漢［＃注記］字《かんじ》", "漢字", "かんじ", "", 1},
      {"Tokyo《トウキョウ》", "Tokyo", "トウキョウ", "", 1},
      {"漢 AB C《よみ》", "AB C", "よみ", "", 4},
      {"ABC漢字《かんじ》", "漢字", "かんじ", "", 4},
      {"｜漢字abc《よみ》", "漢字abc", "よみ", "", 3},
      {"※［＃注記］漢《よみ》", "※漢", "よみ", "", 1},
      {"漢字《かんじ》する", "漢字", "かんじ", "する", 1},
      {"漢字《かんじ》を", "漢字", "かんじ", "", 1},
      {"漢字《かんじ》ひ［＃注］ら", "漢字", "かんじ", "ひら", 1},
      {"漢《か《ん》", "漢", "か《ん", "", 1},
      {"漢字《》", "漢字", "", "", 1},
      {"あ々《よみ》", "々", "よみ", "", 3},
      {"あ仝《どう》", "あ仝", "どう", "", 1},
      {"漢［＃注字《かんじ》", "注字", "かんじ", "", 7},
      {"漢字《かんじ》［＃注］する", "漢字", "かんじ", "する", 1},
      {"ヶ月《かげつ》", "ヶ月", "かげつ", "", 1},
      {"〆切《しめきり》", "〆切", "しめきり", "", 1},
      {"｜漢［＃注］字《かんじ》", "漢字", "かんじ", "", 3},
      {"表示《ひょうじ》", "表示", "ひょうじ", "", 1},  // 表 has 0x5C as its trail byte
      {"日｜記《しるす》", "記", "しるす", "", 5},         // after ｜, the key is only what follows it
      {"増《まし》たるもの也", "増", "まし", "たるもの", 1},  // every hiragana up to the kanji
      {"並《ならび》にアイ", "並", "ならび", "に", 1},        // katakana ends the okurigana
      {"［＃ここから２字下げ］麻布飯倉《あざぶいいくら》にて", "麻布飯倉", "あざぶいいくら", "にて", 23},
  };
  for (const Case& c : cases) {
    const auto found = scan(c.line);
    ASSERT_EQ(found.size(), 1u) << c.line;
    EXPECT_EQ(found[0].key, c.key) << c.line;
    EXPECT_EQ(found[0].ruby, c.ruby) << c.line;
    EXPECT_EQ(found[0].okurigana, c.okurigana) << c.line;
    EXPECT_EQ(found[0].column, c.column) << c.line;
    EXPECT_EQ(found[0].line, 1) << c.line;
  }
}

TEST(Scanner, OkuriganaIsScannedAgainAsTheNextKey) {
  const auto found = scan("漢字《かんじ》かな《よみ》");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].okurigana, "かな");
  EXPECT_EQ(found[1].key, "かな");
  EXPECT_EQ(found[1].okurigana, "");
  EXPECT_EQ(found[1].column, 15);
}

TEST(Scanner, TextThatYieldsNothing) {
  const char* cases[] = {
      "",
      "漢字《かんじ",
      "漢字《かんじ\r\n》",
      "漢字《かんじ\n》です",
      "ただの文章です。",
      "\x82",  // a lead byte as the last byte
      "漢字\x81",
  };
  for (const char* text : cases) EXPECT_TRUE(scan(text).empty()) << text;
}

TEST(Scanner, EveryLineEndCountsOnce) {
  struct Case { const char* text; int line; };
  const Case cases[] = {
      {"あ\r\n漢字《かんじ》", 2},
      {"あ\r漢字《かんじ》", 2},
      {"あ\n漢字《かんじ》", 2},
      {"あ\n\r漢字《かんじ》", 3},  // LF then CR ends two lines
      {"\r\n\r\n\r\n漢字《かんじ》", 4},
  };
  for (const Case& c : cases) {
    const auto found = scan(c.text);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, c.line) << c.text;
    EXPECT_EQ(found[0].column, 1);
  }
}

TEST(Scanner, ExplicitBaseEndsAtTheLineEnd) {
  const auto found = scan("｜漢字\r\nかな《よみ》");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].key, "かな");
  EXPECT_EQ(found[0].line, 2);
}

TEST(Scanner, StopsAtTheItemLimit) {
  ResultStore& s = store();
  clear(s);
  s.itemCount = MaxItems - 2;  // as if earlier files had filled the rest
  FileRecord record{};
  record.firstItem = s.items + s.itemCount;
  const char text[] = "一《いち》二《に》三《さん》";
  EXPECT_EQ(scanBuffer(s, &record, text, sizeof text - 1), 2u);
  s.itemCount = MaxItems;
  record.firstItem = s.items + MaxItems;
  EXPECT_EQ(scanBuffer(s, &record, text, sizeof text - 1), 0u);
  clear(s);
}

TEST(Scanner, AFullPoolEndsTheScanWithoutWritingPastIt) {
  ResultStore& s = store();
  clear(s);
  // Leave 20 bytes of pool: the first item fits, the second's ruby does not.
  s.strings.writePosition = PoolBytes - 20;
  FileRecord record{};
  record.firstItem = s.items;
  const char text[] = "一《い》二《ながいながいよみ》三《さん》";
  const std::uint32_t n = scanBuffer(s, &record, text, sizeof text - 1);
  EXPECT_EQ(n, 1u);
  EXPECT_TRUE(s.stringsExhausted);
  EXPECT_LE(s.strings.writePosition, PoolBytes);
  clear(s);
}

TEST(Scanner, AHugeLineWithoutRubyIsHarmless) {
  std::string text(3 * PoolBytes, 'a');  // longer than the whole pool, as a binary file might be
  text += "\n漢字《かんじ》";
  const auto found = scan(text);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].line, 2);
  EXPECT_FALSE(store().stringsExhausted);
}

TEST(Scanner, BinaryBytesNeverCrash) {
  std::string text;
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    text.push_back(static_cast<char>(seed >> 16));
    if (i % 997 == 0) text += "《ア》";
  }
  const auto found = scan(text);
  for (const Found& f : found) EXPECT_GE(f.column, 1);
}

TEST(Scanner, ReadsAFileWhole) {
  const std::string path = testing::TempDir() + "scanner_test_file.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "前書き\r\n漢字《かんじ》で\r\n";
  }
  ResultStore& s = store();
  clear(s);
  FileRecord* record = newFileRecord(path.c_str());
  ASSERT_NE(record, nullptr);
  record->firstItem = s.items;
#ifndef _WIN32
  // the store holds backslash separators; the POSIX reader turns them back into slashes
  for (char* p = record->path; *p; ++p)
    if (*p == '/') *p = '\\';
#endif
  EXPECT_EQ(scanFile(s, record), 1u);
  EXPECT_EQ(s.items[0].line, 2);
  std::strcat(record->path, "-missing");
  EXPECT_EQ(scanFile(s, record), 0u);
  freeFileRecord(record);
  std::remove(path.c_str());
}

// An extra over the real annotation examples, where that folder lies beside the project.
TEST(Scanner, CorpusOfAnnotationExamples) {
  const std::string path = std::string(OBEL_CORPUS_DIR) + "/chukiichiran_kinyurei.txt";
  std::ifstream in(path, std::ios::binary);
  if (!in) GTEST_SKIP() << "corpus not found: " << path;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto found = scan(text);
  ASSERT_GT(found.size(), 40u);
  for (const Found& f : found) {
    EXPECT_GE(f.line, 1);
    EXPECT_GE(f.column, 1);
    EXPECT_EQ(f.ruby.find('\n'), std::string::npos);  // no reading spans a line
  }
  auto has = [&](const char* key, const char* ruby, const char* okurigana) {
    for (const Found& f : found)
      if (f.key == key && f.ruby == ruby && f.okurigana == okurigana) return true;
    return false;
  };
  EXPECT_TRUE(has("頗", "すこぶ", "る"));
  EXPECT_TRUE(has("記", "しるす", ""));            // after ｜, the key is only what follows it
  EXPECT_TRUE(has("増", "まし", "たるもの"));  // every hiragana up to the kanji
  EXPECT_TRUE(has("並", "ならび", "に"));  // katakana ends the okurigana
  EXPECT_TRUE(has("麻布飯倉", "あざぶいいくら", "にて"));  // inside a line that starts with a note
  EXPECT_TRUE(has("独", "ひと", "り"));
}
