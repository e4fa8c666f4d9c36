#include "engine/walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/native_path.h"

using namespace obel;
namespace fs = std::filesystem;

namespace {

struct RecordingEvents : SearchEvents {
  std::vector<std::string> names, messages;
  std::function<void()> onFile;
  void showFileName(const char* name) override {
    names.push_back(name);
    if (onFile) onFile();
  }
  void showMessage(const char* text) override { messages.push_back(text); }
  void showMissed(Missed what, const char* path) override {
    missed.push_back(std::to_string(static_cast<int>(what)) + " " + path);
  }
  std::vector<std::string> missed;
};

// The store's form of a native path: CP932 with backslashes.
std::string storePath(const fs::path& p) {
#ifdef _WIN32
  return p.string();
#else
  std::string out;
  EXPECT_TRUE(fromNativePath(p.c_str(), out));
  return out;
#endif
}

class WalkTest : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::path(testing::TempDir()) / ("walk_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  // A file with one ruby whose key names the file.
  void write(const fs::path& relative, const std::string& key, int rubies = 1) {
    fs::create_directories((root / relative).parent_path());
    std::ofstream out(root / relative, std::ios::binary);
    for (int i = 0; i < rubies; ++i) out << "｜" << key << "《よみ》\r\n";
  }

  std::vector<std::string> keys() const {
    std::vector<std::string> out;
    const ResultStore& s = process::store();
    for (std::uint32_t i = 0; i < s.itemCount; ++i) out.push_back(text(s, s.items[i].keyId));
    return out;
  }

  void search(const std::vector<std::string>& targets, bool subfolders = true) {
    process::store().searchRunning = true;
    searchTargets(process::store(), targets, subfolders, *lister, events);
    finishSearch(process::store());
  }

  fs::path root;
  std::unique_ptr<DirLister> lister = platformDirLister();
  RecordingEvents events;
};

}  // namespace

TEST(Wildcard, Patterns) {
  struct Case { const char* pattern; const char* name; bool match; };
  const Case cases[] = {
      {"*.txt", "a.txt", true},     {"*.txt", "A.TXT", true},     {"*.txt", "a.txt.bak", false},
      {"*.txt", ".txt", true},      {"?.txt", "ab.txt", false},   {"?.txt", "表.txt", true},
      {"*.*", "README", true},      {"a*b*c", "aXbYc", true},     {"a*b*c", "aXbY", false},
      {"本*.txt", "本文.txt", true}, {"本*.txt", "文本.txt", false}, {"*", "", true},
      {"a.txt", "a.txt", true},     {"a.txt", "b.txt", false},
      // letters of every width and script are matched without regard to case
      {"*.ｔｘｔ", "a.ＴＸＴ", true}, {"α*", "Αβ", true},       {"*я", "ЖЯ", true},
      {"*н", "ЖН", true},           {"ⅰ.txt", "Ⅰ.txt", true},  {"ａ", "ｂ", false},
      {"あ", "ア", false},
  };
  for (const Case& c : cases) EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(FileSystemOrder, UpperCasedUtf16Units) {
  // the order NTFS lists names in, given the names' UTF-8 forms
  auto u8 = [](const char8_t* s) { return std::string(reinterpret_cast<const char*>(s)); };
  std::vector<std::string> names = {u8(u8"Ａ.txt"), u8(u8"亜.txt"), "b.txt", "_.txt", u8(u8"一.txt"),
                                    "A.txt", u8(u8"あ.txt"), "a.txt", u8(u8"ｃ.txt"), "C.txt"};
  std::vector<std::string> ordered;
  for (std::size_t i : fileSystemOrder(names)) ordered.push_back(names[i]);
  const std::vector<std::string> want = {"A.txt", "a.txt", "b.txt", "C.txt", "_.txt", u8(u8"あ.txt"),
                                         u8(u8"一.txt"), u8(u8"亜.txt"), u8(u8"Ａ.txt"), u8(u8"ｃ.txt")};
  EXPECT_EQ(ordered, want);
}

TEST_F(WalkTest, FilesBeforeSubfoldersDepthFirst) {
  write("b.txt", "B");
  write("A.txt", "A");
  write("c.dat", "C");
  write("sub1/x.txt", "X");
  write("sub1/deep/y.txt", "Y");
  write("sub2/z.txt", "Z");
  write("sub2/w.dat", "W");
  search({storePath(root / "*.txt")});
  const auto found = keys();
#ifdef _WIN32
  // the file system's own order decides within a folder; the structure is fixed
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(std::set<std::string>(found.begin(), found.begin() + 2), (std::set<std::string>{"A", "B"}));
  const auto x = std::find(found.begin(), found.end(), "X");
  const auto y = std::find(found.begin(), found.end(), "Y");
  ASSERT_NE(x, found.end());
  EXPECT_EQ(y, x + 1) << "a subfolder is finished with its own subfolders before the next";
#else
  EXPECT_EQ(found, (std::vector<std::string>{"A", "B", "X", "Y", "Z"}));
#endif
  EXPECT_TRUE(events.messages.empty());
  EXPECT_EQ(searchEndMessage(process::store()), nullptr);
  // the record's folder and name come from the path the walk built
  const FileRecord* record = process::store().items[0].file;
  EXPECT_EQ(std::string(record->folder), storePath(root));
}

TEST_F(WalkTest, SubfolderOptionAndPatternsDecideTheDepth) {
  write("a.txt", "A");
  write("sub/b.txt", "B");
  search({storePath(root / "*.txt")}, false);
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  search({storePath(root / "a.txt")}, true);  // a single file is never searched in subfolders
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  search({storePath(root / "?.txt")}, true);  // only ? wildcards: no subfolders either
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  search({storePath(root)}, true);  // a folder without a pattern matches only itself
  EXPECT_TRUE(keys().empty());
}

TEST_F(WalkTest, TheSameFileThroughTwoTargetsIsScannedOnce) {
  write("a.txt", "A");
  write("plain.txt", "");  // no ruby: leaves no record and is scanned again
  std::ofstream(root / "plain.txt") << "ルビのない文章";
  search({storePath(root / "*.txt"), storePath(root / "a.txt"), storePath(root / "plain.txt")});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(std::count(events.names.begin(), events.names.end(), "plain.txt"), 2);
  EXPECT_EQ(std::count(events.names.begin(), events.names.end(), "a.txt"), 1);
}

// No message: the window stays silent. The targets are told as missed, for obel-scan; a target
// whose files lie in a subfolder only is not.
TEST_F(WalkTest, MissingFolderOrNoMatchGivesNothing) {
  const std::string missing = storePath(root / "nothere" / "*.txt"), none = storePath(root / "*.none");
  search({missing, none});
  EXPECT_TRUE(keys().empty());
  EXPECT_TRUE(events.messages.empty());
  EXPECT_EQ(process::store().pendingCheckCount, 0u);
  const std::string noMatch = std::to_string(static_cast<int>(Missed::NoMatch)) + " ";
  EXPECT_EQ(events.missed, (std::vector<std::string>{noMatch + missing, noMatch + none}));
  write("deep/sub/a.txt", "a");
  const std::string deep = storePath(root / "deep" / "*.txt");
  events.missed.clear();
  search({deep});
  EXPECT_TRUE(events.missed.empty());
  search({deep}, false);
  EXPECT_EQ(events.missed, std::vector<std::string>{noMatch + deep});
}

TEST_F(WalkTest, PathOf259BytesIsScannedAnd260IsSkipped) {
  const std::string base = storePath(root) + "\\";
  // a subfolder whose name makes folder + "\" + "f.txt" exactly 259 bytes
  const std::size_t folderLength = 259 - std::string("\\f.txt").size();
  ASSERT_LT(base.size() + 10, folderLength);
  const std::string sub(folderLength - base.size(), 'd');
  write(fs::path(sub) / "f.txt", "OK");
  write(fs::path(sub) / "gg.txt", "LONG");
  search({storePath(root / sub / "*.txt")}, false);
  EXPECT_EQ(keys(), (std::vector<std::string>{"OK"}));
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_EQ(events.messages[0], base + sub + "\\gg.txt" + PathTooLongText);
}

TEST_F(WalkTest, SubfolderPathTooLongForThePatternIsReported) {
  const std::string base = storePath(root) + "\\";
  // folder part + name + "\" + "*.txt" reaches 260 bytes
  const std::string sub(260 - base.size() - std::string("\\*.txt").size(), 's');
  write(fs::path(sub) / "x.txt", "X");
  write("a.txt", "A");
  search({storePath(root / "*.txt")});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_EQ(events.messages[0], base + sub + PathTooLongText);
}

TEST_F(WalkTest, AFolderPartOf257BytesHasItsFilesSearchedButNotItsSubfolders) {
  const std::string base = storePath(root) + "\\";
  ASSERT_LT(base.size() + 10, 255u);
  // folder parts (with their final backslash) of 256 and 257 bytes, and the pattern "*"
  const std::string near(256 - 1 - base.size(), 'n'), far(257 - 1 - base.size(), 'f');
  for (const std::string& folder : {near, far}) {
    write(fs::path(folder) / "x", folder == near ? "NEAR" : "FAR");
    write(fs::path(folder) / "s" / "y", folder == near ? "NEAR-SUB" : "FAR-SUB");
  }
  search({base + near + "\\*"});
  EXPECT_EQ(keys(), (std::vector<std::string>{"NEAR", "NEAR-SUB"}));
  // the subfolder's own folder part is 258 bytes: its files are searched, its subfolders not
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_EQ(events.messages[0], base + near + "\\s\\" + PathTooLongText);
  events.messages.clear();
  search({base + far + "\\*"});
  EXPECT_EQ(keys(), (std::vector<std::string>{"FAR"}));
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_EQ(events.messages[0], base + far + "\\" + PathTooLongText);
}

TEST_F(WalkTest, TheItemLimitEndsTheSearch) {
  write("a.txt", "A", 10);
  write("b.txt", "B", static_cast<int>(MaxItems));
  write("c.txt", "C", 10);
  search({storePath(root / "*.txt"), storePath(root / "*.txt")});
  EXPECT_EQ(process::store().itemCount, MaxItems);
  EXPECT_FALSE(process::store().searchRunning);
  EXPECT_STREQ(searchEndMessage(process::store()), LimitReachedText);
#ifndef _WIN32
  EXPECT_EQ(events.names, (std::vector<std::string>{"a.txt", "b.txt"}));
#endif
}

TEST_F(WalkTest, StopEndsAfterTheCurrentFile) {
  write("a.txt", "A");
  write("b.txt", "B");
  write("sub/c.txt", "C");
  events.onFile = [] { process::store().searchRunning = false; };  // Stop pressed while the first file is read
  search({storePath(root / "*.txt"), storePath(root / "b.txt")});
  EXPECT_EQ(keys().size(), 1u) << "the current file is finished, nothing else is read";
  EXPECT_STREQ(searchEndMessage(process::store()), SearchStoppedText);
  EXPECT_EQ(process::store().pendingCheckCount, 1u);
}

TEST_F(WalkTest, JapaneseNamesKeepTheirBytes) {
  write(fs::path(u8"表示.txt"), "表");  // the file system holds the name in its own encoding
  search({storePath(root / "*.txt")});
  ASSERT_EQ(keys().size(), 1u);
  EXPECT_STREQ(process::store().items[0].file->name, "表示.txt");
}

TEST_F(WalkTest, ATargetWrittenWithSlashesIsFound) {
  // as a command line may give it
  write("sub/a.txt", "A");
  std::string target;
  ASSERT_TRUE(fromNativePath((root / "sub").generic_string().append("/*.txt").c_str(), target));
  EXPECT_EQ(target.find('/'), std::string::npos) << target;
  search({target}, false);
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  ASSERT_NE(process::store().files, nullptr);
  EXPECT_EQ(std::string(process::store().files->folder), storePath(root / "sub"));
}

#ifndef _WIN32
TEST_F(WalkTest, AFolderThatCp932CannotNameIsSkippedWithAMessage) {
  write(fs::path(u8"\u0142odz") / "x.txt", "X");
  write("a.txt", "A");
  search({storePath(root / "*.txt")});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_NE(events.messages[0].find("odz"), std::string::npos);
}

TEST_F(WalkTest, ANameThatCp932CannotHoldIsSkippedWithAMessage) {
  write(fs::path(u8"\u0142odz.txt"), "L");  // U+0142 has no CP932 form
  write("a.txt", "A");
  search({storePath(root / "*.txt")});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A"}));
  ASSERT_EQ(events.messages.size(), 1u);
  EXPECT_NE(events.messages[0].find("odz.txt"), std::string::npos);
}
#endif
