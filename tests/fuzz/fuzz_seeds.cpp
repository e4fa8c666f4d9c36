// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: the kinds of input the
// tests use (ruby lines, generated book text, SKK dictionaries in both encodings with count
// annotations, cache files of the right and of wrong sizes, obel-scan command lines, KANJIDIC
// lines, keys and rubies that compose or nearly do, settings files).
//   fuzz_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/aozora_corpus.h"
#include "revconv/cache.h"
#include "revconv/skk_dictionary.h"
#include "tests/fuzz/small_kanjidic.h"

namespace fs = std::filesystem;
using namespace obel;

namespace {

void writeSeeds(const fs::path& folder, const std::vector<std::string>& seeds) {
  fs::create_directories(folder);
  for (std::size_t i = 0; i < seeds.size(); ++i)
    std::ofstream(folder / ("seed" + std::to_string(i)), std::ios::binary) << seeds[i];
}

std::string utf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The scanner target's first byte picks how full the store is; 0 is an empty store.
std::vector<std::string> scannerSeeds() {
  std::vector<std::string> texts = {
      "彼は漢字《かんじ》で｜東京《とうきょう》へ行く",
      "漢字《かんじ》ひ［＃注］ら\r\n漢《か《ん》\r\n｜《よみ》\r\nTokyo《トウキョウ》",
      "漢［＃注字《かんじ》\n※［＃注記］漢《よみ》\n表示《ひょうじ》",
      "漢字《かんじ\r\n》\r\n\x82",
      std::string(600, 'a') + "《《《《［＃［＃［＃］》》",
  };
  std::string unclosed;
  for (int i = 0; i < 400; ++i) unclosed += i % 3 ? "《" : "［＃";
  texts.push_back(unclosed);
  bench::AozoraText book(15);
  for (int file = 0; file < 3; ++file) {
    std::string text;
    for (int line = 0; line < 12; ++line) text += book.line() + "\r\n";
    texts.push_back(text);
  }
  std::vector<std::string> seeds;
  for (const std::string& t : texts) seeds.push_back(std::string(1, '\0') + t);
  seeds.push_back(std::string(1, '\x01') + texts[0]);  // near the item limit
  seeds.push_back(std::string(1, '\x02') + texts[0]);  // near the end of the pool
  return seeds;
}

// The dictionary target reads the rest as EUC-JP after an even first byte, as UTF-8 after an
// odd one.
std::vector<std::string> dictionarySeeds() {
  const std::string euc =
      ";; -*- mode: fundamental; coding: euc-jp -*-\n"
      "\xa4\xcf\xa4\xb7r /\xc1\xf6/\n"
      "\xa4\xaa\xa4\xafr /\xc1\xf7/[\xa4\xeb/\xc1\xf7/]/\n"
      "\xa4\xca\xa4\xde /\xc0\xb8/\r\n"
      "\xa4\xad\xa4\xe7\xa4\xa6 /\xba\xa3\xc6\xfc;\xc3\xed/\xb5\xfe/\n"
      "\xa4\xcf\xa4\xb7 /\xb6\xb6/(concat \"x\")/\n"
      ">\xa4\xb7 /\xbb\xe1/\n";
  // Count annotations: a count, none, not a number, one no integer holds.
  const std::string annotated = utf8(u"びしょう /微笑;70/頬笑;/\nほほえみ /微笑;abc/\n"
                                     u"えみ /笑;99999999999999999999999999/咲;-1/\nわら /笑;4294967296/藁;0x10/\n");
  std::vector<std::string> seeds = {"\x02" + euc,
                                    "\x01" + utf8(u"なま /生/\nはしr /走/\nえ /\U0002000B/\n"),
                                    "\x01" + annotated,
                                    "\x02\xa4\xd3\xa4\xb7\xa4\xe7\xa4\xa6 /\xc8\xf9\xbe\xd0;70/\xc8\xf9\xbe\xd0;/\n"
                                    "\xa4\xd3\xa4\xb7\xa4\xe7\xa4\xa6 /\xc8\xf9\xbe\xd0;abc/\xc8\xf9\xbe\xd0;"
                                    "184467440737095516160/\n"};  // びしょう /微笑;70/ ... in EUC-JP
  // The first entries of the installed dictionary, as they are and in UTF-8.
  std::ifstream installed("/usr/share/skk/SKK-JISYO.L", std::ios::binary);
  std::string line, eucPart, utf8Part;
  for (int n = 0; n < 300 && std::getline(installed, line);) {
    if (line.empty() || line[0] == ';') continue;
    ++n;
    eucPart += line + "\n";
    utf8Part += utf8(decodeEucJp(line)) + "\n";
  }
  if (!eucPart.empty()) {
    seeds.push_back("\x02" + eucPart);
    seeds.push_back("\x01" + utf8Part);
  }
  return seeds;
}

// The cache target reads its first byte as the file's length (8: the layout's size, 7 one
// byte short, 9 one long, 0xFF the rest of the input itself) and the rest as patches: a 24-bit
// offset, a count, the bytes.
std::string cachePatch(std::uint32_t offset, const std::string& bytes) {
  return std::string{static_cast<char>(offset & 0xFF), static_cast<char>(offset >> 8 & 0xFF),
                     static_cast<char>(offset >> 16), static_cast<char>(bytes.size())} + bytes;
}

std::string le32(std::uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value >> 16 & 0xFF),
          static_cast<char>(value >> 24)};
}

std::vector<std::string> cacheSeeds() {
  // 生 read なま confirmed, in slot 5, with the write position at 3.
  CodeWords words;
  encodeReading("生", "なま", "", words);
  const std::uint32_t slot = 5;
  const std::string entry = cachePatch(0, le32(3)) + cachePatch(4 + slot, "\x80") +
                            cachePatch(4 + CacheSlots + 4 * slot, le32(words.w0)) +
                            cachePatch(4 + 5 * CacheSlots + 4 * slot, le32(words.w1)) +
                            cachePatch(4 + 9 * CacheSlots + 8 * slot, "生");
  std::string pattern;
  for (int i = 0; i < 255; ++i) pattern += static_cast<char>((i * 7) & 0xFF);
  return {"\x08" + entry,
          "\x08" + cachePatch(4, pattern) + cachePatch(CacheFileBytes - 255, pattern),
          "\x08",
          "\x07" + entry,
          "\x09" + entry,
          "\x08" + cachePatch(2, "\x01"),  // write position 65536
          "\x08" + cachePatch(0, "\xff\xff\xff\xff"),
          "\xffnot a cache"};
}

// KANJIDIC: the small one, the first lines of the installed one, and lines a reader may
// stumble on (no readings, a reading longer than any, stray dots and dashes, a half line).
std::vector<std::string> kanjidicSeeds() {
  std::string longReading = "\xc0\xb8 4038 ";  // 生 4038
  for (int i = 0; i < 300; ++i) longReading += "\xa4\xa2";  // あ
  std::vector<std::string> seeds = {
      fuzz::SmallKanjidic,
      longReading + "\n" + longReading + ".\xa4\xa2\n",
      "# comment\n\xc0\xb8 4038\n\xc0\xb8 4038 .. -- .-. \xa4 \xa5\xbb.\n\xc0\xb8 4038 T1 T1 T2 \xa4\xa2 {life}\r\n\xc0",
  };
  std::ifstream installed("/usr/share/edict/kanjidic", std::ios::binary);
  std::string line, head;
  for (int n = 0; n < 200 && std::getline(installed, line); ++n) head += line + "\n";
  if (!head.empty()) seeds.push_back(head);
  return seeds;
}

// The composition target: two bytes of rules, the key, a NUL, the ruby.
std::vector<std::string> compositionSeeds() {
  const char* pairs[][2] = {{"生", "なま"},           {"人々", "ひとびと"},   {"散歩", "さんぽ"},
                            {"学校", "がっこう"},     {"少い", "すくない"},   {"東京", "とうきやう"},
                            {"一ヶ月", "いっかげつ"}, {"天", "テン"},         {"今日", "こんにち"},
                            {"戦", "いくさゝ"},       {"生生生生", "いきいきいきいき"}};
  std::vector<std::string> seeds;
  for (const auto& pair : pairs) {
    const std::string text = std::string(pair[0]) + '\0' + pair[1];
    seeds.push_back(std::string("\x71\x02", 2) + text);  // the check's rules
    seeds.push_back(std::string("\xff\x03", 2) + text);  // every rule
  }
  return seeds;
}

// Obel.ini as a user may leave it: the program's own keys, values out of range, texts longer
// than their fields, quotes, a section twice, no line end at the end.
std::vector<std::string> settingsSeeds() {
  return {"[Application]\r\nQueryExit=0\r\nUseRevConvCache=1\r\nFontName=ＭＳ ゴシック\r\nFontSize=20\r\n"
          "TextEditor=C:\\Windows\\notepad.exe\r\nCommandLine=\"\"%F\"\"\r\n"
          "ReadingDictionary=C:\\skk\\SKK-JISYO.L;C:\\books\\finished.dic\r\n"
          "Left=10\r\nTop=20\r\nWidth=800\r\nHeight=600\r\nMaximized=0\r\n",
          "[Application]\nSearchSubFolder=99999999999999999999\nHideKeyRuby=-7\nHideRevConv=-1\n"
          "FontSize=-2147483648\nCommandLine=\"%F %L %C %% %\"\nTextEditor=\"C:\\Program Files\\ed.exe\"\n"
          "[HideKey]\nUse=1\nLength=-2147483648\nType=99\n[HideRuby]\nUse=1\nLength=4294967296\nType=-1\n",
          "[Application]\r\nCommandLine=" + std::string(40, '%') + "F\r\nFontName=" + std::string(60, 'F') +
              "\r\nReadingDictionary=;;;" + std::string(1100, 'D') + "\r\n[Application]\r\nQueryExit=2",
          "[HideKey]\nUse=1\nLength=2\nType=2\n[HideRuby]\nUse=1\nLength=1\nType=1\n[Application]\nHideKeyRuby=1\n"
          "HideRevConv=1\nTextEditor=\nCommandLine=\"\"\n"};
}

std::vector<std::string> argumentSeeds() {
  return {"--utf8\nbooks/",
          "--utf8\n--view\ngrouped\n--same-key\nbooks/",
          "--view\ngrouped\n--key-length\n2-\n--same-ruby\n-o\nshort.tsv\nbooks/",
          "--check=my-dictionary.utf8\n--cache\nverdicts.dat\n-o\nchecked.tsv\nbooks/",
          "--check\n/usr/share/skk/SKK-JISYO.L\n--no-subfolders\nbooks/*.txt",
          "--ruby-length\n5=\na.txt",
          "--help",
          "--bogus",
          "--view\npairs\nx",
          "--cache\nx.dat\ny"};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: fuzz_seeds FOLDER\n", stderr);
    return 2;
  }
  const fs::path folder = argv[1];
  writeSeeds(folder / "scanner", scannerSeeds());
  writeSeeds(folder / "skk_dictionary", dictionarySeeds());
  writeSeeds(folder / "cache_file", cacheSeeds());
  writeSeeds(folder / "obel_scan_args", argumentSeeds());
  writeSeeds(folder / "kanjidic", kanjidicSeeds());
  writeSeeds(folder / "composition", compositionSeeds());
  writeSeeds(folder / "settings", settingsSeeds());
  return 0;
}
