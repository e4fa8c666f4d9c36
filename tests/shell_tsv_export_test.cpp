#include <gtest/gtest.h>

#include <string>

#include "app/tsv_export.h"
#include "engine/store.h"

namespace obel {
namespace {

RubyItem& addItem(ResultStore& s, FileRecord* file, const char* key, const char* ruby, const char* okuri,
                  int line, int column, std::uint32_t flags) {
  RubyItem& item = s.items[s.itemCount++];
  item = RubyItem{};
  item.keyId = static_cast<std::uint16_t>(internText(s, key));
  item.rubyId = static_cast<std::uint16_t>(internText(s, ruby));
  item.okuriganaId = static_cast<std::uint16_t>(internText(s, okuri));
  item.file = file;
  item.line = line;
  item.column = column;
  item.flags = flags;
  return item;
}

TEST(TsvExport, EveryItemInStoreOrderWithItsOwnMark) {
  ResultStore& s = store();
  clear(s);
  FileRecord* book = newFileRecord("C:\\本\\第一巻.txt");
  FileRecord* root = newFileRecord("D:\\root.txt");
  addFile(s, book);
  addFile(s, root);
  addItem(s, book, "漢字", "かんじ", "", 3, 5, 0);
  addItem(s, book, "漢字", "かんじ", "", 9, 1, 0);  // a repeat
  addItem(s, book, "", "よみ", "", 10, 2, RevConvDone);                      // empty key
  addItem(s, root, "行", "い", "く", 1, 11, RevConvDone | RevConvOkuriOk);   // okurigana
  markRepeatedPairs(s);
  s.items[1].flags |= RevConvDone | RevConvKeyOk;
  s.items[0].flags |= RevConvGroupDone | RevConvGroupSomeOk;  // the pair's mark is never written
  std::string expected = std::string(TsvHeader) +
                         "漢字\tかんじ\t\t第一巻.txt\tC:\\本\t3\t5\t\r\n"
                         "漢字\tかんじ\t\t第一巻.txt\tC:\\本\t9\t1\t◎\r\n"
                         "\tよみ\t\t第一巻.txt\tC:\\本\t10\t2\t×\r\n"
                         "行\tい\tく\troot.txt\tD:\\\t1\t11\t○\r\n";
  EXPECT_EQ(tsvText(s), expected);
  EXPECT_EQ(std::string(TsvHeader),
            "キー文字列\tルビ文字列\t送り仮名\tファイル名\tフォルダ名\t行\t列\t逆変換\r\n");
  clear(s);
}

}  // namespace
}  // namespace obel
