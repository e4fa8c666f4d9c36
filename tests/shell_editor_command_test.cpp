#include <gtest/gtest.h>

#include <string>

#include "app/editor_command.h"
#include "app/help.h"

namespace obel {
namespace {

std::string build(const char* editor, const char* argumentTemplate, const char* file = "C:\\本\\a.txt",
                  int line = 12, int column = 7) {
  char out[EditorCommandLineBytes];
  EXPECT_TRUE(buildEditorCommandLine(editor, argumentTemplate, file, line, column, out, sizeof out));
  return out;
}

TEST(EditorCommand, PlaceholdersAreReplaced) {
  struct Case {
    const char* argumentTemplate;
    const char* expected;
  };
  const Case cases[] = {
      {"\"%F\"", "\"C:\\ed.exe\" \"C:\\本\\a.txt\""},
      {"%F -l%L -c%C", "\"C:\\ed.exe\" C:\\本\\a.txt -l12 -c7"},
      {"%%F", "\"C:\\ed.exe\" %F"},      // %% then F: no substitution
      {"100%", "\"C:\\ed.exe\" 100%"},   // a lone % at the end stays
      {"%f %l %c", "\"C:\\ed.exe\" %f %l %c"},  // lower case is copied
      {"-n", "\"C:\\ed.exe\" -n"},
      {"", "\"C:\\ed.exe\" "},
      {"%%%L", "\"C:\\ed.exe\" %12"},
      {"%x%F", "\"C:\\ed.exe\" %xC:\\本\\a.txt"},
      // A byte of 0x80 or above after a % is ordinary text: 「%漢」 keeps both bytes of 漢.
      {"%漢%F", "\"C:\\ed.exe\" %漢C:\\本\\a.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(build("C:\\ed.exe", c.argumentTemplate), c.expected) << c.argumentTemplate;
}

TEST(EditorCommand, EditorPathIsQuotedWithItsBlanks) {
  EXPECT_EQ(build("C:\\Program Files\\Ed\\ed.exe", "\"%F\"", "D:\\x.txt"),
            "\"C:\\Program Files\\Ed\\ed.exe\" \"D:\\x.txt\"");
}

TEST(EditorCommand, LongestInputsFitTheBuffer) {
  std::string editor(259, 'e');
  std::string file(259, 'f');
  std::string manyFiles = "%F%F%F%F%F%F%F%F%F%F%F%F%F%F%F";  // 30 bytes, 15 placeholders
  char out[EditorCommandLineBytes];
  ASSERT_TRUE(buildEditorCommandLine(editor.c_str(), manyFiles.c_str(), file.c_str(), 1, 1, out, sizeof out));
  EXPECT_EQ(std::string(out).size(), 262u + 15u * 259u);
  // A buffer too small is filled and terminated, and the cut is reported.
  char small[10];
  EXPECT_FALSE(buildEditorCommandLine("C:\\ed.exe", "%F", "C:\\a.txt", 1, 1, small, sizeof small));
  EXPECT_EQ(std::string(small), "\"C:\\ed.ex");
}

// Windows opens the compiled help beside the executable through its own handler; Wine, whose
// viewer draws blank pages, hands the HTML copy of the same pages to winebrowser.
TEST(HelpLaunch, EachSideOpensItsOwnHelpBesideTheExecutable) {
  struct Case {
    const char* executable;
    bool underWine;
    const char* file;
    const char* parameters;
    const char* page;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Obel\\Obel.exe", false, "C:\\Program Files\\Obel\\Obel.chm", "",
       "C:\\Program Files\\Obel\\Obel.chm"},
      // Renamed, in a folder whose name ends in a trail byte of 0x5C (ソ): still Obel.chm there.
      {"C:\\\x83\x5C\\renamed.exe", false, "C:\\\x83\x5C\\Obel.chm", "", "C:\\\x83\x5C\\Obel.chm"},
      {"Z:\\home\\me\\my books\\Obel.exe", true, "winebrowser", "\"Z:\\home\\me\\my books\\help\\index.html\"",
       "Z:\\home\\me\\my books\\help\\index.html"},
      {"Z:\\\x83\x5C\\x.exe", true, "winebrowser", "\"Z:\\\x83\x5C\\help\\index.html\"",
       "Z:\\\x83\x5C\\help\\index.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.executable);
    HelpLaunch launch;
    ASSERT_TRUE(helpLaunch(c.executable, c.underWine, launch));
    EXPECT_STREQ(launch.file, c.file);
    EXPECT_STREQ(launch.parameters, c.parameters);
    EXPECT_STREQ(launch.page, c.page);
  }
}

TEST(HelpLaunch, APathThatWouldNotFitIsRefused) {
  // The folder alone fills the buffer: neither side's path fits.
  const std::string executable = "C:\\" + std::string(HelpPathBytes - 12, 'a') + "\\Obel.exe";
  for (bool underWine : {false, true}) {
    HelpLaunch launch;
    EXPECT_FALSE(helpLaunch(executable.c_str(), underWine, launch)) << underWine;
    EXPECT_STREQ(launch.file, "");
  }
  // Just short enough for Obel.chm, too long for help\index.html.
  const std::string folder = "C:\\" + std::string(HelpPathBytes - 4 - 9 - 1, 'b') + "\\";
  HelpLaunch launch;
  EXPECT_TRUE(helpLaunch((folder + "Obel.exe").c_str(), false, launch));
  EXPECT_EQ(std::string(launch.page), folder + "Obel.chm");
  EXPECT_FALSE(helpLaunch((folder + "Obel.exe").c_str(), true, launch));
}

}  // namespace
}  // namespace obel
