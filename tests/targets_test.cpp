#include "engine/targets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace obel;

TEST(Targets, DroppedPaths) {
  struct Case { const char* path; bool folder; const char* line; };
  const Case cases[] = {
      {"C:\\books", true, "C:\\books\\*.txt"},
      {"C:\\", true, "C:\\*.txt"},              // a drive root already ends in a backslash
      {"C:\\ソ", true, "C:\\ソ\\*.txt"},         // the trail byte 0x5C of ソ is no backslash
      {"C:\\books\\a.txt", false, "C:\\books\\a.txt"},
  };
  for (const Case& c : cases) {
    std::string line;
    EXPECT_TRUE(droppedTargetLine(c.path, c.folder, line)) << c.path;
    EXPECT_EQ(line, c.line);
  }
  std::string line;
  EXPECT_TRUE(droppedTargetLine(std::string(259, 'a'), false, line));
  EXPECT_FALSE(droppedTargetLine(std::string(260, 'a'), false, line));
  EXPECT_TRUE(droppedTargetLine(std::string(253, 'a'), true, line));  // 253 + "\*.txt" = 259
  EXPECT_FALSE(droppedTargetLine(std::string(254, 'a'), true, line));
}

TEST(Targets, FileDialogStart) {
  std::string folder, name;
  fileDialogStart("C:\\books\\*.txt", false, folder, name);
  EXPECT_EQ(folder, "C:\\books\\");
  EXPECT_EQ(name, "*.txt");
  fileDialogStart("C:\\books", true, folder, name);
  EXPECT_EQ(folder, "C:\\books");
  EXPECT_EQ(name, "");
  fileDialogStart("a.txt", false, folder, name);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(name, "a.txt");
  fileDialogStart("C:\\表\\ソ.txt", false, folder, name);
  EXPECT_EQ(folder, "C:\\表\\");
  EXPECT_EQ(name, "ソ.txt");
}

namespace {
std::set<std::string> existing;
bool exists(const std::string& p) { return existing.count(p) != 0; }
}  // namespace

TEST(Targets, FolderBrowserStartsAtTheExistingFolderPart) {
  existing = {"C:\\books", "C:"};
  EXPECT_EQ(existingFolderPart("C:\\books\\*.txt", exists), "C:\\books");
  EXPECT_EQ(existingFolderPart("C:\\books", exists), "C:\\books");
  EXPECT_EQ(existingFolderPart("C:\\books\\no\\such\\*.txt", exists), "C:\\books");
  EXPECT_EQ(existingFolderPart("Q:\\x\\*.txt", exists), "");
  EXPECT_EQ(existingFolderPart("", exists), "");
}

TEST(Targets, FileFilter) {
  char buffer[256];
  std::size_t n = buildFileFilter("テキスト ドキュメント", "*.txt", buffer, sizeof buffer);
  const std::string expected = std::string("テキスト ドキュメント (*.txt)") + '\0' + "*.txt" + '\0' +
                               "全てのファイル (*.*)" + '\0' + "*.*" + '\0' + '\0';
  EXPECT_EQ(std::string(buffer, n), expected);
  // without a type name only the catch-all entry
  n = buildFileFilter("", "*.txt", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), std::string("全てのファイル (*.*)") + '\0' + "*.*" + '\0' + '\0');
  // an entry that would leave less than 26 bytes for the closing entry is left out
  const std::string longName(216, 'n');  // 216 + " (*.txt)" + NUL + "*.txt" + NUL leaves 25 bytes
  n = buildFileFilter(longName.c_str(), "*.txt", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), std::string("全てのファイル (*.*)") + '\0' + "*.*" + '\0' + '\0');
  const std::string fits(longName.size() - 1, 'n');
  n = buildFileFilter(fits.c_str(), "*.txt", buffer, sizeof buffer);
  EXPECT_EQ(n, sizeof buffer);
  EXPECT_EQ(defaultExtension("*.txt"), "txt");
  EXPECT_EQ(defaultExtension("*.tsv"), "tsv");
  EXPECT_EQ(defaultExtension(""), "");
  EXPECT_EQ(defaultExtension(nullptr), "");
  // "*.*" is the catch-all entry alone and adds no extension
  n = buildFileFilter("ファイル", "*.*", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n), std::string("全てのファイル (*.*)") + '\0' + "*.*" + '\0' + '\0');
  EXPECT_EQ(defaultExtension("*.*"), "");
}
