#include "engine/scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/sjis.h"
#include "engine/store_linear.h"

using namespace obel;

namespace {

struct Found {
  std::string key, ruby, okurigana;
  int line, column;
};

// Scans text as one file into an emptied store and returns what was found.
std::vector<Found> scan(const std::string& input) {
  ResultStore& s = process::store();
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

// The scanner as it was before searches for closing marks remembered their failures: every
// search walks to the end of the line. The reference for the randomised comparison below.
namespace reference {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned Bar = 0x8162;          // ｜
constexpr unsigned OpenReading = 0x8173;  // 《
constexpr unsigned char CloseReadingTrail = 0x74;  // 》 is 0x81 0x74
constexpr unsigned OpenNote = 0x816D;     // ［
constexpr unsigned NoteSharp = 0x8194;    // ＃
constexpr unsigned char CloseNoteTrail = 0x6E;     // ］ is 0x81 0x6E

bool isKanjiLike(unsigned code) {
  return code >= 0x889F || code == 0x81A6 || code == 0x8396 || code == 0x8158 || code == 0x8159;
}

bool isOkuriganaKana(unsigned code) { return code >= 0x829F && code <= 0x82F1 && code != 0x82F0; }

class ReferenceScanner {
 public:
  ReferenceScanner(ResultStore& s, FileRecord* record, const char* data, std::size_t size)
      : s_(s), record_(record), data_(reinterpret_cast<const unsigned char*>(data)), size_(size),
        remaining_(MaxItems > s.itemCount ? MaxItems - s.itemCount : 0) {}

  std::uint32_t run() {
    if (remaining_ == 0) return 0;
    std::size_t pos = 0;
    startLine(pos);
    while (pos < size_ && !stopped_) {
      const unsigned char b = data_[pos];
      if (isLeadByte(b)) {
        if (pos == size_ - 1) break;  // a lead byte as the last byte is ignored
        pos = doubleByte(pos);
      } else if (b == CR) {
        if (pos == size_ - 1) break;
        ++pos;
        if (data_[pos] == LF) ++pos;
        if (pos >= size_) break;
        startLine(pos);
      } else if (b == LF) {
        ++pos;
        if (pos >= size_) break;
        startLine(pos);
      } else {
        singleByte(pos);
        ++pos;
      }
    }
    return produced_;
  }

 private:
  std::int32_t columnOf(std::size_t pos) const { return static_cast<std::int32_t>(pos - lineStart_ + 1); }
  unsigned codeAt(std::size_t pos) const { return data_[pos] * 256u + data_[pos + 1]; }

  void startLine(std::size_t pos) {
    ++line_;
    lineStart_ = pos;
    reset(false, 1);
  }

  void reset(bool explicitBase, std::int32_t column) {
    candidateLength_ = 0;
    candidateOverflow_ = false;
    kanjiRun_ = false;
    singleRun_ = false;
    explicitBase_ = explicitBase;
    candidateColumn_ = column;
  }

  void append(const unsigned char* bytes, std::size_t n) {
    if (candidateOverflow_ || candidateLength_ + n + 1 > poolFree(s_)) {
      candidateOverflow_ = true;
      return;
    }
    std::memcpy(poolCursor(s_) + candidateLength_, bytes, n);
    candidateLength_ += n;
  }

  void restartCandidate(const unsigned char* bytes, std::size_t n, std::int32_t column) {
    candidateLength_ = 0;
    candidateOverflow_ = false;
    candidateColumn_ = column;
    append(bytes, n);
  }

  void singleByte(std::size_t pos) {
    const unsigned char* b = data_ + pos;
    if (explicitBase_) {
      append(b, 1);
      return;
    }
    kanjiRun_ = false;
    if (singleRun_ || *b == ' ') {
      append(b, 1);
    } else {
      singleRun_ = true;
      restartCandidate(b, 1, columnOf(pos));
    }
  }

  std::size_t doubleByte(std::size_t pos) {
    singleRun_ = false;
    const unsigned code = codeAt(pos);
    if (code == Bar) {
      reset(true, columnOf(pos + 2));
      return pos + 2;
    }
    if (code == OpenReading) {
      std::size_t n = 0;
      if (findClosingMark(pos + 2, CloseReadingTrail, n)) return produceItem(pos, n);
    } else if (code == OpenNote) {
      const std::size_t end = noteEnd(pos);
      if (end != 0) return end;
    }
    append(data_ + pos, 2);
    if (explicitBase_) return pos + 2;
    if (isKanjiLike(code)) {
      if (!kanjiRun_) {
        kanjiRun_ = true;
        restartCandidate(data_ + pos, 2, columnOf(pos));
      }
    } else {
      kanjiRun_ = false;
    }
    return pos + 2;
  }

  std::size_t noteEnd(std::size_t pos) const {
    if (pos + 3 >= size_ || codeAt(pos + 2) != NoteSharp) return 0;
    std::size_t n = 0;
    if (!findClosingMark(pos + 4, CloseNoteTrail, n)) return 0;
    return pos + 4 + n + 2;
  }

  bool findClosingMark(std::size_t start, unsigned char trail, std::size_t& distance) const {
    std::size_t i = start;
    while (i + 2 <= size_) {
      const unsigned char c = data_[i];
      if (c == CR || c == LF) return false;
      if (c == 0x81) {
        if (data_[i + 1] == trail) {
          distance = i - start;
          return true;
        }
        i += 2;
      } else if (isLeadByte(c)) {
        i += 2;
      } else {
        i += 1;
      }
    }
    return false;
  }

  std::uint32_t internBytes(const unsigned char* bytes, std::size_t n) {
    if (n + 1 > poolFree(s_)) {
      s_.stringsExhausted = true;
      return NoString;
    }
    std::memcpy(poolCursor(s_), bytes, n);
    poolCursor(s_)[n] = '\0';
    return intern(s_);
  }

  std::size_t produceItem(std::size_t open, std::size_t n) {
    const std::size_t close = open + 2 + n;
    std::uint32_t keyId = NoString;
    if (!candidateOverflow_) {
      poolCursor(s_)[candidateLength_] = '\0';  // append() always leaves room for the NUL
      keyId = intern(s_);
    } else {
      s_.stringsExhausted = true;
    }
    const std::uint32_t rubyId = keyId == NoString ? NoString : internBytes(data_ + open + 2, n);
    const std::size_t after = close + 2;
    const std::uint32_t okuriganaId = rubyId == NoString ? NoString : internOkurigana(after);
    if (okuriganaId == NoString) {
      stopped_ = true;  // the string table is full: the search ends as at the item limit
      return after;
    }
    RubyItem& item = record_->firstItem[produced_];
    item.keyId = static_cast<std::uint16_t>(keyId);
    item.rubyId = static_cast<std::uint16_t>(rubyId);
    item.file = record_;
    item.line = line_;
    item.column = candidateColumn_;
    item.flags = 0;
    item.number = 1;
    item.groupSize = 1;
    item.okuriganaId = static_cast<std::uint16_t>(okuriganaId);
    ++produced_;
    if (--remaining_ == 0) stopped_ = true;
    reset(false, columnOf(after));
    return after;
  }

  std::uint32_t internOkurigana(std::size_t pos) {
    std::size_t length = 0;
    char* out = poolCursor(s_);
    const std::size_t room = poolFree(s_);
    while (pos + 1 < size_ && isLeadByte(data_[pos])) {
      const unsigned code = codeAt(pos);
      if (isOkuriganaKana(code)) {
        if (length + 3 > room) {
          s_.stringsExhausted = true;
          return NoString;
        }
        out[length++] = static_cast<char>(data_[pos]);
        out[length++] = static_cast<char>(data_[pos + 1]);
        pos += 2;
      } else if (code == OpenNote && noteEnd(pos) != 0) {
        pos = noteEnd(pos);
      } else {
        break;
      }
    }
    if (length + 1 > room) {
      s_.stringsExhausted = true;
      return NoString;
    }
    out[length] = '\0';
    return intern(s_);
  }

  ResultStore& s_;
  FileRecord* record_;
  const unsigned char* data_;
  std::size_t size_;
  std::uint32_t remaining_;
  std::uint32_t produced_ = 0;
  bool stopped_ = false;
  std::int32_t line_ = 0;
  std::size_t lineStart_ = 0;
  std::size_t candidateLength_ = 0;
  bool candidateOverflow_ = false;
  std::int32_t candidateColumn_ = 1;
  bool explicitBase_ = false;
  bool kanjiRun_ = false;
  bool singleRun_ = false;
};

std::uint32_t scanBuffer(ResultStore& s, FileRecord* record, const char* data, std::size_t size) {
  return ReferenceScanner(s, record, data, size).run();
}

}  // namespace reference

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
  ResultStore& s = process::store();
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
  ResultStore& s = process::store();
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
  EXPECT_FALSE(process::store().stringsExhausted);
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

// Lines full of opening and closing marks, bars, stray lead bytes and line ends, scanned by the
// scanner and by the reference into two stores, some of them nearly full: the same items, the
// same strings and the same state afterwards.
TEST(Scanner, GivesTheItemsOfTheReferenceScan) {
  const char* pieces[] = {"《", "《", "》", "》", "［＃", "［＃", "［", "＃", "］", "］", "｜", "漢", "字", "々",
                          "か", "な", "ア", "a", " ", "\x81", "\x82", "\x81\x0D", "\r", "\n", "\r\n", "\x81\x74\x81"};
  ResultStore& fast = process::store();
  ResultStore* slow = newResultStore();
  ASSERT_NE(slow, nullptr);
  std::mt19937 rng(15);
  FileRecord a{}, b{};
  bool refill = true;
  std::uint32_t found = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = static_cast<int>(rng() % 80);
    for (int i = 0; i < count; ++i) text += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    // Texts follow one another into the same stores, as the files of a search do; now and
    // then the item limit or the end of the pool is made close.
    if (refill) {
      clear(fast);
      clear(*slow);
      refill = false;
    }
    const unsigned variant = rng() % 64;
    if (variant == 0) fast.itemCount = slow->itemCount = MaxItems - 1 - rng() % 3;
    if (variant == 1) fast.strings.writePosition = slow->strings.writePosition = PoolBytes - rng() % 40;
    const std::uint32_t poolUsed = fast.strings.writePosition;
    a.firstItem = fast.items + fast.itemCount;
    b.firstItem = slow->items + slow->itemCount;
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('\0');
    const std::uint32_t n = scanBuffer(fast, &a, bytes.data(), text.size());
    ASSERT_EQ(n, reference::scanBuffer(*slow, &b, bytes.data(), text.size())) << text;
    for (std::uint32_t i = 0; i < n; ++i) {
      const RubyItem& x = a.firstItem[i];
      const RubyItem& y = b.firstItem[i];
      ASSERT_EQ(x.keyId, y.keyId) << text;
      ASSERT_EQ(x.rubyId, y.rubyId) << text;
      ASSERT_EQ(x.okuriganaId, y.okuriganaId) << text;
      ASSERT_EQ(x.line, y.line) << text;
      ASSERT_EQ(x.column, y.column) << text;
    }
    ASSERT_EQ(fast.strings.count, slow->strings.count) << text;
    ASSERT_EQ(fast.strings.writePosition, slow->strings.writePosition) << text;
    ASSERT_EQ(fast.stringsExhausted, slow->stringsExhausted) << text;
    ASSERT_EQ(std::memcmp(fast.strings.pool + poolUsed, slow->strings.pool + poolUsed,
                          fast.strings.writePosition - poolUsed), 0) << text;
    fast.itemCount += n;
    slow->itemCount += n;
    found += n;
    refill = variant < 2 || fast.stringsExhausted || fast.itemCount + 100 > MaxItems || poolFree(fast) < 4096;
  }
  EXPECT_GT(found, 10000u);  // the texts are not all without rubies
  clear(fast);
  clear(*slow);
  deleteResultStore(slow);
}

TEST(Scanner, ReadsAFileWhole) {
  const std::string path = testing::TempDir() + "scanner_test_file.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "前書き\r\n漢字《かんじ》で\r\n";
  }
  ResultStore& s = process::store();
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
