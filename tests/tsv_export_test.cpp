#include <gtest/gtest.h>

#include <string>

#include "engine/tsv_export.h"
#include "engine/store.h"
#include "store_items.h"

namespace obel {
namespace {

TEST(TsvExport, EveryItemInStoreOrderWithItsOwnMark) {
  ResultStore& s = process::store();
  clear(s);
  FileRecord* book = newFileRecord("C:\\本\\第一巻.txt");
  FileRecord* root = newFileRecord("D:\\root.txt");
  addFile(s, book);
  addFile(s, root);
  test::appendItem(s, "漢字", "かんじ", "", book, 3, 5).flags = 0;
  test::appendItem(s, "漢字", "かんじ", "", book, 9, 1).flags = 0;  // a repeat
  test::appendItem(s, "", "よみ", "", book, 10, 2).flags = RevConvDone;                      // empty key
  test::appendItem(s, "行", "い", "く", root, 1, 11).flags = RevConvDone | RevConvOkuriOk;   // okurigana
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
