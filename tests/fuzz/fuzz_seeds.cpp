// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: the kinds of input the
// tests use (ruby lines, generated book text, SKK dictionaries in both encodings, cache files
// of the right and of wrong sizes, obel-scan command lines).
//   fuzz_seeds FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/aozora_corpus.h"
#include "revconv/cache.h"
#include "revconv/skk_dictionary.h"

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
  std::vector<std::string> seeds = {"\x02" + euc,
                                    "\x01" + utf8(u"なま /生/\nはしr /走/\nえ /\U0002000B/\n")};
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

std::vector<std::string> cacheSeeds() {
  std::string valid(CacheFileBytes, '\0');
  valid[0] = 3;
  for (std::size_t i = 4; i < valid.size(); ++i) valid[i] = static_cast<char>((i * 7) & 0xFF);
  std::string wrongSlot = valid;
  wrongSlot[2] = 1;  // write position 65536 + 3
  return {valid, std::string(CacheFileBytes, '\0'), valid.substr(0, CacheFileBytes - 1), valid + "x", wrongSlot,
          "not a cache"};
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
  return 0;
}
