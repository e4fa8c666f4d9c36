#include "revconv/skk_dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "revconv_fakes.h"

using namespace obel;

namespace {

// A small EUC-JP dictionary: comments, okuri-ari lines with and without an okurigana block,
// annotations, a program candidate, and the same candidate on two lines.
const char EucDictionary[] =
    ";; -*- mode: fundamental; coding: euc-jp -*-\n"
    ";; okuri-ari entries.\n"
    "\xa4\xcf\xa4\xb7r /\xc1\xf6/\n"                                   // はしr /走/
    "\xa4\xaa\xa4\xafr /\xc1\xf7/[\xa4\xeb/\xc1\xf7/]/\n"              // おくr /送/[る/送/]/
    ";; okuri-nasi entries.\n"
    "\xa4\xca\xa4\xde /\xc0\xb8/\r\n"                                   // なま /生/ (CR LF)
    "\xa4\xad\xa4\xe7\xa4\xa6 /\xba\xa3\xc6\xfc;\xc3\xed/\xb5\xfe/\n"   // きょう /今日;注/京/
    "\xa4\xcf\xa4\xb7 /\xb6\xb6/(concat \"x\")/\n"                      // はし /橋/(concat "x")/
    "\xa4\xad\xa4\xe7\xa4\xa6\xa4\xb7 /\xb6\xb6/\n"                     // きょうし /橋/
    ">\xa4\xb7 /\xbb\xe1/\n";                                           // >し /氏/

std::vector<std::u16string> readingsOf(SkkDictionary& dictionary, const std::u16string& text) {
  std::vector<std::u16string> out;
  dictionary.readings(nullptr, nullptr, text, out);
  return out;
}

using Readings = std::vector<std::u16string>;

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

std::string writeScratchFile(const char* name, const std::string& bytes) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  return writeFileBytes(path, bytes) ? path : std::string();
}

// UTF-8 of text of the Basic Multilingual Plane.
std::string utf16ToUtf8(const std::u16string& text) {
  std::string bytes;
  for (const char16_t c : text) {
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += static_cast<char>(0xC0 | c >> 6);
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes += static_cast<char>(0xE0 | c >> 12);
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return bytes;
}

}  // namespace

TEST(RevConvDictionary, OkuriNasiLinesGiveTheirReading) {
  SkkDictionary d;
  d.loadText(EucDictionary);
  EXPECT_EQ(readingsOf(d, u"生"), Readings{u"なま"});
  EXPECT_EQ(readingsOf(d, u"今日"), Readings{u"きょう"}) << "the annotation is dropped";
  EXPECT_EQ(readingsOf(d, u"京"), Readings{u"きょう"});
  EXPECT_EQ(readingsOf(d, u"橋"), (Readings{u"はし", u"きょうし"})) << "in dictionary order";
  EXPECT_EQ(readingsOf(d, u"氏"), Readings{u"し"}) << "the affix mark is no part of the reading";
  EXPECT_TRUE(readingsOf(d, u"注").empty());
  EXPECT_TRUE(readingsOf(d, u"(concat \"x\")").empty());
  EXPECT_TRUE(readingsOf(d, u"未知").empty());
  EXPECT_TRUE(readingsOf(d, u"").empty());
}

TEST(RevConvDictionary, OkuriAriLinesNeedAMatchingOkurigana) {
  SkkDictionary d;
  d.loadText(EucDictionary);
  EXPECT_EQ(readingsOf(d, u"走る"), Readings{u"はしる"});
  EXPECT_EQ(readingsOf(d, u"走れ"), Readings{u"はしれ"});
  EXPECT_EQ(readingsOf(d, u"走らない"), Readings{u"はしらない"});
  EXPECT_TRUE(readingsOf(d, u"走").empty()) << "no okurigana";
  EXPECT_TRUE(readingsOf(d, u"走った").empty()) << "っ is not written with r";
  EXPECT_TRUE(readingsOf(d, u"走ル").empty()) << "katakana is no okurigana";
  EXPECT_EQ(readingsOf(d, u"送る"), Readings{u"おくる"});
  EXPECT_TRUE(readingsOf(d, u"[る").empty()) << "the okurigana block holds no candidates";
  // a key ending in hiragana, and a long run of hiragana after the key
  d.loadText(reinterpret_cast<const char*>(u8";; -*- coding: utf-8 -*-\nおみえになr /お見えにな/\nはしr /走/\n"));
  EXPECT_EQ(readingsOf(d, u"お見えになるのでしょうかと"), Readings{u"おみえになるのでしょうかと"});
  EXPECT_EQ(readingsOf(d, u"走るのでしょうかと"), Readings{u"はしるのでしょうかと"});
}

// Enough candidates that the index grows many times over: each is found with the readings of
// its lines, in order; a text one character shorter or longer than a candidate is none.
TEST(RevConvDictionary, EveryCandidateOfALargeDictionaryIsFound) {
  constexpr int Lines = 2000;
  constexpr int Row = 40;  // readings and candidates are two characters: the row, then the place in it
  auto candidate = [](int i) { return std::u16string{char16_t(u'一' + i / Row), char16_t(u'一' + i % Row)}; };
  auto reading = [](int i) { return std::u16string{char16_t(u'あ' + i / Row), char16_t(u'あ' + i % Row)}; };
  std::string text = ";; -*- coding: utf-8 -*-\n";
  for (int i = 0; i < Lines; ++i) {
    text += utf16ToUtf8(reading(i)) + " /" + utf16ToUtf8(candidate(i)) + "/\n";
    text += utf16ToUtf8(reading(i) + u"ん") + " /" + utf16ToUtf8(candidate(i)) + "/\n";
    text += utf16ToUtf8(reading(i)) + "r /" + utf16ToUtf8(candidate(i)) + "/\n";
  }
  SkkDictionary d;
  d.loadText(text);
  EXPECT_EQ(d.candidateCount(), 2u * Lines) << "each candidate once of each kind of line";
  int wrong = 0;
  for (int i = 0; i < Lines; ++i) {
    const bool right = readingsOf(d, candidate(i)) == Readings{reading(i), reading(i) + u"ん"} &&
                       readingsOf(d, candidate(i) + u"る") == Readings{reading(i) + u"る"} &&
                       readingsOf(d, candidate(i).substr(0, 1)).empty() && readingsOf(d, candidate(i) + u"一").empty();
    if (!right && wrong++ == 0) ADD_FAILURE() << "the first wrong candidate is line " << i;
  }
  EXPECT_EQ(wrong, 0);
}

// A count of books as the annotation: the text before ';' stays the key; a number is kept as
// the count, anything else (empty, text, too many digits) gives the reading without a count.
TEST(RevConvDictionary, AnnotationsCountTheBooksOfAReading) {
  const std::string text = reinterpret_cast<const char*>(
      u8";; -*- coding: utf-8 -*-\nほほえm /微笑;12/\nほほえみ /微笑;70/\nびしょう /微笑;/\nみしょう /微笑;abc/\n"
      u8"ほおえみ /微笑;99999999999999999999/\nけさ /今朝;2;注/\n");
  SkkDictionary d;
  d.loadText(text);
  EXPECT_EQ(readingsOf(d, u"微笑"), (Readings{u"ほほえみ", u"びしょう", u"みしょう", u"ほおえみ"}));
  EXPECT_EQ(readingsOf(d, u"微笑む"), Readings{u"ほほえむ"});
  std::vector<CountedReading> counted;
  d.countedReadings(u"微笑", counted);
  ASSERT_EQ(counted.size(), 2u) << "only the readings with a count";
  EXPECT_EQ(counted[0].reading, u"ほほえみ");
  EXPECT_EQ(counted[0].books, 70u);
  EXPECT_EQ(counted[1].reading, u"ほほえ") << "an okuri-ari reading counts for the key as well";
  EXPECT_EQ(counted[1].books, 12u);
  counted.clear();
  d.countedReadings(u"今朝", counted);
  EXPECT_TRUE(counted.empty()) << "2;注 is no number";
  EXPECT_EQ(readingsOf(d, u"今朝"), Readings{u"けさ"});
  EXPECT_EQ(annotationBooks(u"123456789"), 123456789u);
  EXPECT_EQ(annotationBooks(u"1234567890"), 0u);
  EXPECT_EQ(annotationBooks(u"-1"), 0u);
}

TEST(RevConvDictionary, RomajiInitialsOfTheKana) {
  const struct {
    char16_t kana;
    const char* initials;
  } cases[] = {{u'あ', "a"}, {u'る', "r"}, {u'じ', "jz"}, {u'ち', "tc"}, {u'っ', "t"}, {u'ふ', "hf"},
               {u'ぱ', "p"}, {u'を', "wo"}, {u'ん', "n"}, {u'ゃ', "y"}, {u'ア', ""}, {u'漢', ""}};
  for (const auto& c : cases) EXPECT_STREQ(okuriInitials(c.kana), c.initials);
}

TEST(RevConvDictionary, Utf8DictionaryIsMarkedByItsCodingLine) {
  const std::string text = reinterpret_cast<const char*>(
      u8";; -*- coding: utf-8 -*-\nなま /生/\nはしr /走/\nえ /\xF0\xA0\x80\x8B/\n");
  SkkDictionary d;
  d.loadText(text);
  EXPECT_EQ(readingsOf(d, u"生"), Readings{u"なま"});
  EXPECT_EQ(readingsOf(d, u"走る"), Readings{u"はしる"});
  EXPECT_EQ(readingsOf(d, u"\xD840\xDC0B"), Readings{u"え"}) << "a character beyond the BMP";
  // Without the coding line the same bytes are read as EUC-JP and give nothing useful.
  SkkDictionary euc;
  euc.loadText(text.substr(text.find('\n') + 1));
  EXPECT_TRUE(readingsOf(euc, u"生").empty());
}

TEST(RevConvDictionary, LoadsAFileAndFailsOnAMissingOne) {
  const std::string path = writeScratchFile("obel_skk_test.txt", EucDictionary);
  ASSERT_FALSE(path.empty());
  SkkDictionary d;
  EXPECT_TRUE(d.load(path.c_str()));
  EXPECT_EQ(d.candidateCount(), 7u) << "走 送 生 今日 京 橋 氏";
  EXPECT_EQ(readingsOf(d, u"生"), Readings{u"なま"});
  std::remove(path.c_str());
  EXPECT_FALSE(d.load(path.c_str()));
  EXPECT_TRUE(readingsOf(d, u"生").empty());
}

// A dictionary large enough to have an image: its second load takes the tables from the image
// and answers every look-up as the first; an image that is damaged or of an older state of the
// file is not taken, and is made again; a small dictionary has none.
TEST(RevConvDictionary, AnImageAnswersAsTheDictionaryItWasMadeOf) {
  constexpr int Lines = 9000;
  auto candidate = [](int i) { return std::u16string{char16_t(u'一' + i / 90), char16_t(u'一' + i % 90)}; };
  auto reading = [](int i) { return std::u16string{char16_t(u'ぁ' + i / 90 % 80), char16_t(u'ぁ' + i % 80)}; };
  std::string text = ";; -*- coding: utf-8 -*-\n";
  auto line = [&text](const std::u16string& head, const std::u16string& candidates) {
    text += utf16ToUtf8(head) + " /" + utf16ToUtf8(candidates) + "/\n";
  };
  for (int i = 0; i < Lines; ++i) {
    line(reading(i), candidate(i) + u";" + std::u16string(1, char16_t(u'1' + i % 9)));
    line(reading(i) + u"r", candidate(i));
    line(reading(i) + u"ん", candidate(i) + u"/" + candidate(i + 1));
  }
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "obel_image_test";
  fs::remove_all(folder);
  fs::create_directories(folder / "images");
  const std::string images = (folder / "images").string() + "/";
  const std::string path = (folder / "big.dic").string();
  auto write = [&path](const std::string& bytes) { writeFileBytes(path, bytes); };
  write(text);
  ASSERT_GE(fs::file_size(path), SkkDictionary::SmallestImagedFile);
  SkkDictionary read;
  read.loadText(text);
  // the answers to every question a look-up is asked of the dictionary's texts, and of others
  auto answers = [&](SkkDictionary& d) {
    std::vector<std::u16string> all;
    for (int i = 0; i <= Lines; ++i) {
      for (const std::u16string& t : {candidate(i), candidate(i) + u"る", candidate(i).substr(1), reading(i)})
        for (const std::u16string& r : readingsOf(d, t)) all.push_back(t + u"=" + r);
      std::vector<CountedReading> counted;
      d.countedReadings(candidate(i), counted);
      for (const CountedReading& c : counted) all.push_back(c.reading + u";" + std::u16string(1, char16_t(c.books)));
    }
    all.push_back(std::u16string(1, char16_t(d.candidateCount())));
    return all;
  };
  const std::vector<std::u16string> expected = answers(read);
  const std::string image = imagePathFor(images, fullPathOf(path.c_str()));
  auto loadAndCompare = [&](bool fromImage, const char* when) {
    SkkDictionary d;
    EXPECT_TRUE(d.load(path.c_str(), images)) << when;
    EXPECT_EQ(d.fromImage(), fromImage) << when;
    EXPECT_TRUE(answers(d) == expected) << when;
  };
  loadAndCompare(false, "the first load reads the file");
  ASSERT_TRUE(fs::exists(image)) << "and leaves its image";
  loadAndCompare(true, "the next one takes the image");

  std::string made;
  ASSERT_TRUE(readDictionaryFile(image.c_str(), made));
  struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
  };
  const Damage damages[] = {
      {"a byte of the tables changed", [](std::string& b) { b[b.size() / 2] ^= 0x20; }},
      {"a byte of the header changed", [](std::string& b) { b[100] ^= 0x01; }},
      {"cut short", [](std::string& b) { b.resize(b.size() - 8); }},
      {"longer", [](std::string& b) { b += std::string(8, '\0'); }},
      {"empty", [](std::string& b) { b.clear(); }},
  };
  for (const Damage& damage : damages) {
    std::string bytes = made;
    damage.apply(bytes);
    writeFileBytes(image, bytes);
    loadAndCompare(false, damage.what);
    loadAndCompare(true, "made again after one");
  }
  // the file changed: its image is of what it held before (each dictionary let go of before
  // its files are written or removed, which Windows refuses while they are mapped)
  text += utf16ToUtf8(u"ぬえ /鵺/\n");
  write(text);
  for (const bool fromImage : {false, true}) {
    SkkDictionary changed;
    ASSERT_TRUE(changed.load(path.c_str(), images));
    EXPECT_EQ(changed.fromImage(), fromImage);
    EXPECT_EQ(readingsOf(changed, u"鵺"), Readings{u"ぬえ"});
  }
  write(EucDictionary);
  fs::remove(image);
  {
    SkkDictionary small;
    ASSERT_TRUE(small.load(path.c_str(), images));
  }
  EXPECT_TRUE(fs::is_empty(folder / "images")) << "a small dictionary has no image";
  fs::remove_all(folder);
}

TEST(RevConvDictionary, ListsOfDictionaries) {
  using Files = std::vector<std::string>;
  EXPECT_EQ(splitDictionaryList("D:\\SKK-JISYO.L"), Files{"D:\\SKK-JISYO.L"}) << "one file, as before";
  EXPECT_EQ(splitDictionaryList(" a.dic ;; b c.dic;"), (Files{"a.dic", "b c.dic"}));
  EXPECT_TRUE(splitDictionaryList(" ; ").empty());
  EXPECT_EQ(addToDictionaryList("", "a.dic"), "a.dic");
  EXPECT_EQ(addToDictionaryList("a.dic; ", "b.dic"), "a.dic;b.dic");
  EXPECT_EQ(addToDictionaryList("a.dic;b.dic", "a.dic"), "a.dic;b.dic") << "a file already listed";

  // The readings of every file that loads, in list order, each once; the others are named.
  const std::string first = writeScratchFile("obel_skk_list1.txt", EucDictionary);
  const std::string second = writeScratchFile(
      "obel_skk_list2.txt",
      reinterpret_cast<const char*>(u8";; -*- coding: utf-8 -*-\nせい /生/\nなま /生/\nそうs /走/\n"));
  const std::string missing = first + ".missing";
  DictionaryList list;
  Files unreadable;
  EXPECT_TRUE(list.load(second + ";" + missing + ";" + first + ";" + second, unreadable));
  EXPECT_EQ(unreadable, Files{missing});
  EXPECT_EQ(list.size(), 2u) << "a file named twice is read once";
  Readings out;
  list.readings(nullptr, nullptr, u"生", out);
  EXPECT_EQ(out, (Readings{u"せい", u"なま"}));
  out.clear();
  list.readings(nullptr, nullptr, u"走る", out);
  EXPECT_EQ(out, Readings{u"はしる"}) << "そうs reads 走す, not 走る";
  out.clear();
  list.readings(nullptr, nullptr, u"京", out);
  EXPECT_EQ(out, Readings{u"きょう"});
  unreadable.clear();
  EXPECT_FALSE(list.load(missing + ";", unreadable));
  EXPECT_EQ(unreadable, Files{missing});

  // Every source together: the input method first, then the defaults, then the chosen files.
  EXPECT_EQ(defaultDictionaryFiles("/opt/obel/"), (Files{InstalledSkkDictionary, "/opt/obel/aozora-readings.utf8"}));
  EXPECT_EQ(defaultDictionaryFiles("/opt/obel/", false), Files{"/opt/obel/aozora-readings.utf8"});
  struct InputMethod : ReadingProvider {
    void readings(void*, void*, const std::u16string& text, Readings& out) override {
      if (text == u"生") out = {u"いきる", u"なま"};
    }
  } ime;
  DictionaryList dictionaries;
  EXPECT_FALSE(dictionaries.add(missing)) << "a file that cannot be read is not added";
  EXPECT_TRUE(dictionaries.add(first));
  EXPECT_TRUE(dictionaries.add(second));
  EXPECT_EQ(dictionaries.size(), 2u);
  ReadingUnion all;
  all.add(&ime);
  all.add(&dictionaries);
  out.clear();
  all.readings(nullptr, nullptr, u"生", out);
  EXPECT_EQ(out, (Readings{u"いきる", u"なま", u"せい"})) << "each reading once, in the order of the sources";
  out.clear();
  all.readings(nullptr, nullptr, u"京", out);
  EXPECT_EQ(out, Readings{u"きょう"}) << "a source without an answer adds nothing";
  std::remove(first.c_str());
  std::remove(second.c_str());
}

TEST(RevConvDictionary, ConfirmsItemsThroughTheVerdictTests) {
  SkkDictionary d;
  d.loadText(EucDictionary);
  ResultStore& s = process::store();
  clear(s);
  ReadingSource source{&d, nullptr, nullptr};
  EXPECT_EQ(matchKeyAlone(s, source, obel::test::appendItem(s, "生", "なま")), ReadingMatch::Found);
  EXPECT_EQ(matchKeyAlone(s, source, obel::test::appendItem(s, "生", "いき")), ReadingMatch::NotFound);
  EXPECT_EQ(matchWithOkurigana(s, source, obel::test::appendItem(s, "走", "はし", "る")), ReadingMatch::Found);
  EXPECT_EQ(matchWithOkurigana(s, source, obel::test::appendItem(s, "走", "そう", "る")), ReadingMatch::NotFound);
}

// The library's check looks a key up once (askKeyFacts) and answers its okurigana questions from
// that: every verdict as the two tests give it, whatever kind of entry reads the text.
TEST(RevConvDictionary, OneLookUpOfTheKeyGivesTheVerdictsOfTheTests) {
  std::string text = reinterpret_cast<const char*>(
      u8";; -*- coding: utf-8 -*-\nはしr /走/\nおもh /思/\nおもk /思/\nおもひ /思ひ/\nつよがr /強が/\nひかり /光;4/\n"
      u8"ヒカリ /陽/\nとびだs /飛び出/\n");
  for (int i = 0; i < 70; ++i) {  // a key with more okuri-ari entries than one look-up answers for
    const char16_t reading[] = {u'か', static_cast<char16_t>(u'ぁ' + i), u'k', 0};
    std::string utf8;
    for (const char16_t* c = reading; *c; ++c) {
      if (*c < 0x80) utf8 += static_cast<char>(*c);
      else utf8 += {static_cast<char>(0xE0 | *c >> 12), static_cast<char>(0x80 | (*c >> 6 & 0x3F)), static_cast<char>(0x80 | (*c & 0x3F))};
    }
    text += utf8 + reinterpret_cast<const char*>(u8" /多/\n");
  }
  // a key whose 60 readings of 10 kana each fit a list, but not with an okurigana of 25 kana after each
  for (int i = 0; i < 60; ++i) {
    std::u16string reading = u"あいうえおかきくけ";
    reading += static_cast<char16_t>(u'ぁ' + i);
    for (const char16_t c : reading)
      text += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    text += reinterpret_cast<const char*>(u8"k /長/\n");
  }
  std::string longOkurigana;
  for (int i = 0; i < 25; ++i) longOkurigana += "く";
  const std::string lastOfLong = std::string("あいうえおかきくけ") + "\x82\xda";  // the 60th: ぁ + 59
  SkkDictionary d;
  d.loadText(text);
  ResultStore& s = process::store();
  clear(s);
  ReadingSource source{&d, nullptr, nullptr};
  const struct {
    const char *key, *ruby, *okurigana;
    bool keyAlone, withOkurigana, counted;
    bool mayNotFit = false;  // the key's entries may not all fit the question's list: asked as they are
  } cases[] = {
      {"走", "はし", "る", false, true, false},     // the key's okuri-ari entry
      {"走", "はし", "った", false, false, false},  // its letter does not begin っ
      {"思", "おも", "ひ", false, true, false},     // okuri-ari, and okuri-nasi 思ひ
      {"思", "おも", "く", false, true, false},     // the key's entry, where 思ひ is looked up too
      {"思", "おもひ", "で", false, false, false},
      {"強", "つよ", "がる", false, true, false},   // only an entry of the key with a kana of its okurigana
      {"強", "つよ", "がく", false, false, false},
      {"光", "ひかり", "", true, false, true},
      {"陽", "ひかり", "", true, false, false},    // a reading in katakana
      {"飛び出", "とびだ", "す", false, true, false},
      {"多", "かぁ", "く", false, true, false},     // too many okuri-ari entries: asked as they are
      {"多", "かぇ", "く", false, true, false},
      {"多", "かえ", "た", false, false, false},
      {"長", lastOfLong.c_str(), "くる", false, true, false},
      // the list of the question holds the first 57 of them: the last is not among them
      {"長", lastOfLong.c_str(), longOkurigana.c_str(), false, false, false, true},
  };
  for (const auto& c : cases) {
    const RubyItem& item = obel::test::appendItem(s, c.key, c.ruby, c.okurigana);
    const std::string name = std::string(c.key) + " " + c.ruby + " " + c.okurigana;
    KeyFacts facts;
    ASSERT_TRUE(askKeyFacts(s, source, item, facts)) << name;
    EXPECT_EQ(facts.keyAlone == ReadingMatch::Found, c.keyAlone) << name;
    EXPECT_EQ(matchKeyAlone(s, source, item) == ReadingMatch::Found, c.keyAlone) << name;
    EXPECT_EQ(!facts.counted.empty(), c.counted) << name;
    if (c.okurigana[0] == 0) continue;
    EXPECT_EQ(matchWithOkurigana(s, source, item, facts) == ReadingMatch::Found, c.withOkurigana) << name;
    // answered without a look-up where no candidate is the key followed by hiragana
    ReadingMatch byKey = ReadingMatch::NotFound;
    const bool answered = okuriganaAnswerOfKey(s, item, facts, byKey);
    EXPECT_EQ(answered, facts.okuriKnown && !facts.kanaFollows && !c.mayNotFit) << name;
    if (answered) {
      EXPECT_EQ(byKey == ReadingMatch::Found, c.withOkurigana) << name;
    }
    EXPECT_EQ(matchWithOkurigana(s, source, item) == ReadingMatch::Found, c.withOkurigana) << name;
  }
}

TEST(RevConvDictionary, InstalledDictionaryKnowsCommonWords) {
#ifdef _WIN32
  const char* path = "Z:\\usr\\share\\skk\\SKK-JISYO.L";
#else
  const char* path = "/usr/share/skk/SKK-JISYO.L";
#endif
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "skkdic is not installed";
  SkkDictionary d;
  ASSERT_TRUE(d.load(path));
  const struct {
    std::u16string text, reading;
  } cases[] = {{u"生", u"なま"}, {u"生", u"せい"}, {u"走る", u"はしる"}, {u"東京", u"とうきょう"},
               {u"今日", u"きょう"}, {u"今日", u"こんにち"}};
  for (const auto& c : cases) {
    const Readings found = readingsOf(d, c.text);
    EXPECT_NE(std::find(found.begin(), found.end(), c.reading), found.end())
        << utf16ToCp932(c.text.c_str()) << " " << utf16ToCp932(c.reading.c_str());
  }
}
