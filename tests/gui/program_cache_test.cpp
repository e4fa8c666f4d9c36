// Obel.exe itself, copied into a folder of its own: the cache file beside it is read at start
// and written back at exit only when the setting is on; damaged files beside it leave it
// working with the defaults.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/resources/resource_ids.h"
#include "app/unix_program.h"
#include "results/list_model.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

constexpr std::size_t CacheFileBytes = 1114116;

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A valid cache: three entries recorded, every other byte of a pattern.
std::string validCache() {
  std::string bytes(CacheFileBytes, '\0');
  bytes[0] = 3;
  for (std::size_t i = 4; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7) & 0xFF);
  return bytes;
}

struct WindowSearch {
  DWORD process;  // 0: any process running image
  HWND found;
  const char* image = nullptr;
};

// The executable of a process, as a Windows path.
std::string processImage(DWORD process) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  char path[MAX_PATH] = "";
  DWORD size = sizeof path;
  if (handle && !QueryFullProcessImageNameA(handle, 0, path, &size)) path[0] = '\0';
  if (handle) CloseHandle(handle);
  return path;
}

BOOL CALLBACK findMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (!IsWindowVisible(window)) return TRUE;
  if (search->process ? owner != search->process
                      : owner == GetCurrentProcessId() || lstrcmpiA(processImage(owner).c_str(), search->image) != 0)
    return TRUE;
  char caption[16] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (std::string(caption) != "Obel") return TRUE;
  search->found = window;
  return FALSE;
}

// Waits for the program closed through its close box (at once when it was never closed) and
// expects it to have ended with exit code 0; the process's handles are closed.
void expectEndedOnItsCloseBox(PROCESS_INFORMATION& process, bool closed) {
  const DWORD waited = WaitForSingleObject(process.hProcess, closed ? 20000 : 0);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the program ended on its close box";
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  if (process.hThread) CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

class ProgramCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '_';  // a test of a table is named "Test/Row"
    folder = std::string(temp) + "obel_program_" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    program = folder + "\\Obel.exe";
    ASSERT_TRUE(CopyFileA(OBEL_EXE_PATH, program.c_str(), FALSE)) << OBEL_EXE_PATH;
    cache = folder + "\\ObelCache.dat";
    DeleteFileA(cache.c_str());
  }
  void TearDown() override {
    for (const char* name : {"\\Obel.exe", "\\Obel.ini", "\\ObelCache.dat", "\\book.txt", "\\reading.dic"})
      DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
  }

  void writeSettings(int useCache) {
    writeBytes(folder + "\\Obel.ini", "[Application]\r\nQueryExit=0\r\nUseRevConvCache=" +
                                          std::to_string(useCache) + "\r\n");
  }

  // The program started from its folder and its main window. With a file-size limit it is
  // started through sh and prlimit, so that every write of it stops at that many bytes as on
  // a full disk; SIGXFSZ is ignored, so the write fails instead of ending the program.
  struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
  };
  Running start(std::size_t fileSizeLimit = 0) {
    Running r;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    WindowSearch search{0, nullptr, program.c_str()};
    if (fileSizeLimit == 0) {
      EXPECT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                 &startup, &r.process));
      search.process = r.process.dwProcessId;
    } else {
      std::string command = "sh -c \"trap '' XFSZ; exec prlimit --fsize=" + std::to_string(fileSizeLimit) +
                            ": wine '" + unixFileName(program.c_str()) + "'\"";
      PROCESS_INFORMATION shell{};
      EXPECT_TRUE(CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                 &startup, &shell));
      CloseHandle(shell.hThread);
      CloseHandle(shell.hProcess);
    }
    for (int i = 0; i < 300 && !search.found; ++i) {
      Sleep(50);
      EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    EXPECT_NE(search.found, nullptr) << "the main window appeared";
    r.window = search.found;
    if (fileSizeLimit != 0 && r.window) {
      GetWindowThreadProcessId(r.window, &r.process.dwProcessId);
      r.process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                       r.process.dwProcessId);
    }
    return r;
  }

  // Closes the program as its close box does and waits for its end.
  static void closeAndWait(Running& r) {
    if (r.window) PostMessageA(r.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (r.process.hProcess) expectEndedOnItsCloseBox(r.process, r.window != nullptr);
  }

  // Starts the program, hands its main window to whileOpen, closes it and waits for its end.
  void runAndClose(const std::function<void(HWND, DWORD)>& whileOpen = nullptr) {
    Running r = start();
    if (r.window && whileOpen) whileOpen(r.window, r.process.dwProcessId);
    closeAndWait(r);
  }

  // The temporary files "Obel_*.tmp" left in the folder.
  int temporaryFiles() const { return test::countFiles(folder + "\\Obel_*.tmp"); }

  std::string folder, program, cache;
};

TEST_F(ProgramCacheTest, WithTheSettingOffTheCacheFileIsNeitherReadNorWritten) {
  writeSettings(0);
  writeBytes(cache, "not a cache");
  runAndClose();
  EXPECT_EQ(readBytes(cache), "not a cache");
}

TEST_F(ProgramCacheTest, WithTheSettingOnTheCacheIsLoadedAtStartAndSavedAtExit) {
  writeSettings(1);
  const std::string stored = validCache();
  writeBytes(cache, stored);
  runAndClose();
  // what was loaded is what was saved: the same bytes, not an empty cache
  EXPECT_TRUE(readBytes(cache) == stored);
}

TEST_F(ProgramCacheTest, WithTheSettingOnAndNoFileAnEmptyCacheIsSaved) {
  writeSettings(1);
  runAndClose();
  const std::string saved = readBytes(cache);
  ASSERT_EQ(saved.size(), CacheFileBytes);
  EXPECT_EQ(saved.find_first_not_of('\0'), std::string::npos);
}

// Damaged files beside the program: it starts, shows its window, searches and checks with
// the defaults, ends normally, and replaces a file of the user's only by a complete copy.
struct DamagedFiles {
  const char* name;
  std::string settings;  // Obel.ini
  std::string cache;     // ObelCache.dat, when not empty
  bool lockedDictionary;  // the reading dictionary is held open with no sharing, so it cannot be read
  const char* unreadable;  // what the warning about unreadable dictionaries names, or null: no warning
};

void PrintTo(const DamagedFiles& c, std::ostream* out) { *out << c.name; }

std::string damagedSettings() {
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i == '\n' || i == '\r' ? 'x' : i);
  return "[Application]\r\nQueryExit=0\r\n" + binary + "\r\n" +
         "SearchSubFolder=99999999999999999999\r\nHideKeyRuby=-7\r\nHideRevConv=-1\r\n"
         "FontSize=-2147483648\r\nFontName=" + std::string(3000, 'F') + "\r\n" +
         "TextEditor=" + std::string(5000, 'T') + "\r\nCommandLine=" + std::string(400, 'C') + "\r\n" +
         "ReadingDictionary=" + std::string(2000, 'D') + "\r\n" +
         "Left=-99999999\r\nTop=2147483647\r\nWidth=-5\r\nHeight=99999999999\r\nMaximized=-3\r\n"
         "[HideKey]\r\nUse=0\r\nLength=-2147483648\r\nType=99\r\n[HideRuby]\r\nLength=4294967296\r\nType=-1\r\n" +
         binary;
}

std::string damagedCache() {
  std::string bytes(CacheFileBytes, '\x5A');  // the right size, but a write position far outside the table
  bytes[0] = bytes[1] = bytes[2] = bytes[3] = '\xFF';
  return bytes;
}

class DamagedFilesTest : public ProgramCacheTest, public ::testing::WithParamInterface<DamagedFiles> {};

// Visible top-level windows of the process other than its main window (a message box, a
// dialog still open).
int otherWindows(DWORD process, HWND main) {
  struct Count {
    DWORD process;
    HWND main;
    int n;
  } count{process, main, 0};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Count*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == c->process && window != c->main && IsWindowVisible(window)) ++c->n;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.n;
}

bool waitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 300; ++i) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

// Searches the target in the program's window: waits for at least rows rows and no other
// window of the program.
void searchIn(HWND window, DWORD process, const std::string& target, int rows) {
  SendMessageA(GetDlgItem(window, IDC_TARGET_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(target.c_str()));
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SEARCH, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_SEARCH)));
  HWND list = GetDlgItem(window, IDC_GROUP_LIST);
  EXPECT_TRUE(waitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= rows && otherWindows(process, window) == 0; }))
      << "the search listed the rubies of " << target;
}

// Checks every item: waits for the button disabled and no other window of the program.
void checkIn(HWND window, DWORD process) {
  HWND check = GetDlgItem(window, IDC_REVCONV);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_REVCONV, BN_CLICKED), reinterpret_cast<LPARAM>(check));
  EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(check) && otherWindows(process, window) == 0; }))
      << "the reverse conversion checked every item without a message";
}

TEST_P(DamagedFilesTest, TheProgramStartsAndWorksWithTheDefaults) {
  const DamagedFiles& c = GetParam();
  const std::string book = folder + "\\book.txt";
  writeBytes(book, "漢字《かんじ》で｜東京《とうきょう》へ行く\r\n");
  const std::string dictionary = folder + "\\reading.dic";
  writeBytes(folder + "\\Obel.ini", c.settings + (c.lockedDictionary ? "ReadingDictionary=" + dictionary + "\r\n" : ""));
  if (!c.cache.empty()) writeBytes(cache, c.cache);
  const std::string dictionaryText = ";; -*- coding: utf-8 -*-\n\xE3\x81\xAA\xE3\x81\xBE /\xE7\x94\x9F/\n";
  HANDLE lock = INVALID_HANDLE_VALUE;
  if (c.lockedDictionary) {
    writeBytes(dictionary, dictionaryText);
    lock = CreateFileA(dictionary.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  }

  runAndClose([&](HWND window, DWORD process) {
    searchIn(window, process, book, 2);
    HWND check = GetDlgItem(window, IDC_REVCONV);
    ASSERT_TRUE(IsWindowEnabled(check));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_REVCONV, BN_CLICKED), reinterpret_cast<LPARAM>(check));
    if (c.unreadable) {
      // A dictionary it cannot read is named once, at the start of the check; the check goes on.
      HWND box = nullptr;
      auto findBox = [&] {  // a dialog captioned "Obel" that is not the main window
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", "Obel")) != nullptr;)
          if (w != window && IsWindowVisible(w)) return box = w;
        return box = nullptr;
      };
      EXPECT_TRUE(waitFor([&] { return findBox() != nullptr; })) << "the warning";
      if (box) {
        char text[4096] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_NE(std::string(text).find(c.unreadable), std::string::npos) << text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
    }
    EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(check) && otherWindows(process, window) == 0; }))
        << "the reverse conversion checked every item without another message";
  });

  if (c.lockedDictionary) {
    CloseHandle(lock);
    EXPECT_EQ(readBytes(dictionary), dictionaryText);
  }
  if (!c.cache.empty()) {
    // replaced by a complete copy of the table the program used, which started empty
    const std::string saved = readBytes(cache);
    ASSERT_EQ(saved.size(), CacheFileBytes);
    std::uint32_t nextSlot = 0;
    std::memcpy(&nextSlot, saved.data(), 4);
    EXPECT_LT(nextSlot, 65536u) << "a write position inside the table";
    EXPECT_LT(std::count_if(saved.begin(), saved.end(), [](char b) { return b != 0; }), 100)
        << "the damaged table was not taken: only the new verdicts are in it";
  }
  EXPECT_EQ(temporaryFiles(), 0) << "no temporary file is left behind";
  // The settings file keeps every text line of the user's; the program writes only the placement.
  const std::string after = readBytes(folder + "\\Obel.ini");
  std::istringstream lines(c.settings);
  int kept = 0;
  for (std::string line; std::getline(lines, line, '\n');) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool text = line.find_first_not_of("[]=-_ ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789") == std::string::npos;
    const std::string key = line.substr(0, line.find('='));
    if (!text || key == "Left" || key == "Top" || key == "Width" || key == "Height" || key == "Maximized") continue;
    EXPECT_NE(after.find(line + "\r\n"), std::string::npos) << line.substr(0, 40);
    ++kept;
  }
  EXPECT_GE(kept, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Program, DamagedFilesTest,
    ::testing::Values(DamagedFiles{"Settings", damagedSettings(), "", false, "DDDDDDDD"},
                      DamagedFiles{"Cache", "[Application]\r\nQueryExit=0\r\nUseRevConvCache=1\r\n", damagedCache(), false, nullptr},
                      DamagedFiles{"Dictionary", "[Application]\r\nQueryExit=0\r\n", "", true, "reading.dic"}),
    [](const ::testing::TestParamInfo<DamagedFiles>& info) { return std::string(info.param.name); });


// A visible dialog of the process other than its main window for which pick says yes.
HWND findDialogOf(DWORD process, HWND main, const std::function<bool(HWND)>& pick) {
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && w != main && IsWindowVisible(w) && pick(w)) return w;
  }
  return nullptr;
}

// A full disk, made by a file-size limit on the program: the export onto an existing table
// says it failed and leaves the table as it was; the cache and the settings file, both longer
// than the limit, are left whole at exit, and no temporary file stays behind.
TEST_F(ProgramCacheTest, AFullDiskLeavesEveryFileWhole) {
  constexpr std::size_t Limit = 64 * 1024;
  std::string settings = "[Application]\r\nQueryExit=0\r\nUseRevConvCache=1\r\n[Notes]\r\n";
  for (int i = 0; settings.size() <= 2 * Limit; ++i) settings += "Note" + std::to_string(i) + "=" + std::string(60, 'n') + "\r\n";
  writeBytes(folder + "\\Obel.ini", settings);
  const std::string stored = validCache();
  writeBytes(cache, stored);
  std::string text;  // a table of far more than the limit
  while (text.size() < Limit) text += "漢字《かんじ》と東京《とうきょう》の話\r\n";
  const std::string book = folder + "\\book.txt";
  writeBytes(book, text);
  const std::string table = folder + "\\table.tsv";
  writeBytes(table, "old table\r\n");

  Running r = start(Limit);
  std::string warning;
  if (r.window) {
    const DWORD id = r.process.dwProcessId;
    searchIn(r.window, id, book, 2);
    PostMessageA(r.window, WM_COMMAND, MAKEWPARAM(IDC_EXPORT, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(r.window, IDC_EXPORT)));
    bool named = false;
    EXPECT_TRUE(waitFor([&] {
      if (HWND question = findDialogOf(id, r.window, [](HWND w) { return GetDlgItem(w, IDYES) != nullptr; })) {
        PostMessageA(question, WM_COMMAND, IDYES, 0);  // replace the existing table
      } else if (HWND box = findDialogOf(id, r.window, [](HWND w) { return test::windowText(w) == "Obel"; })) {
        warning = test::controlText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      } else if (HWND save = findDialogOf(id, r.window, [](HWND w) { return GetDlgItem(w, IDOK) != nullptr; });
                 save && !named) {
        HWND name = GetDlgItem(save, 0x47C);  // the file name field (cmb13, or edt1 in the older dialog)
        if (!name) name = GetDlgItem(save, 0x480);
        SetWindowTextA(name, table.c_str());
        PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        named = true;
      }
      return false;
    })) << "the export ended in a message";
    EXPECT_TRUE(waitFor([&] { return otherWindows(id, r.window) == 0; }));
  }
  closeAndWait(r);
  EXPECT_NE(warning.find("table.tsv"), std::string::npos) << warning;
  EXPECT_NE(warning.find("書き出せませんでした"), std::string::npos) << warning;
  EXPECT_EQ(readBytes(table), "old table\r\n");
  EXPECT_TRUE(readBytes(cache) == stored) << "the cache file as it was";
  EXPECT_TRUE(readBytes(folder + "\\Obel.ini") == settings) << "the settings file as it was";
  EXPECT_EQ(temporaryFiles(), 0);
  DeleteFileA(table.c_str());
}

// Two programs in one folder, closed one after the other or at once: the cache file is the
// whole table of one of them (the last one closed, when they close in turn), never a mix, and
// the settings file keeps every line of the user's with each key of the placement once.
struct TwoPrograms {
  const char* name;
  bool closedAtOnce;
};

void PrintTo(const TwoPrograms& c, std::ostream* out) { *out << c.name; }

class TwoProgramsTest : public ProgramCacheTest, public ::testing::WithParamInterface<TwoPrograms> {};

TEST_P(TwoProgramsTest, EachFileIsOneWholeCopy) {
  const std::string settings = "[Application]\r\nQueryExit=0\r\nUseRevConvCache=1\r\n; the user's own line\r\n";
  writeBytes(folder + "\\Obel.ini", settings);
  const char* keys[2] = {"東京", "大阪"};
  const std::string books[2] = {folder + "\\book.txt", folder + "\\reading.dic"};  // removed at the end
  writeBytes(books[0], "｜東京《とうきょう》\r\n");
  writeBytes(books[1], "｜大阪《おおさか》\r\n");
  Running programs[2];
  for (int i = 0; i < 2; ++i) {
    programs[i] = start();
    if (!programs[i].window) continue;
    searchIn(programs[i].window, programs[i].process.dwProcessId, books[i], 1);
    checkIn(programs[i].window, programs[i].process.dwProcessId);
  }
  if (GetParam().closedAtOnce) {
    for (Running& r : programs) PostMessageA(r.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  for (Running& r : programs) closeAndWait(r);

  const std::string saved = readBytes(cache);
  ASSERT_EQ(saved.size(), CacheFileBytes);
  const std::string keyBlock = saved.substr(0x90004);
  const bool has[2] = {keyBlock.find(keys[0]) != std::string::npos, keyBlock.find(keys[1]) != std::string::npos};
  EXPECT_NE(has[0], has[1]) << "the table of one program";
  if (!GetParam().closedAtOnce) {
    EXPECT_TRUE(has[1]) << "the table of the program closed last";
  }
  std::uint32_t nextSlot = 0;
  std::memcpy(&nextSlot, saved.data(), 4);
  EXPECT_GE(nextSlot, 1u);
  EXPECT_LE(std::count_if(saved.begin() + 4, saved.begin() + 4 + 65536, [](char b) { return b != 0; }), nextSlot)
      << "no slot filled beyond the entries written";

  const std::string after = readBytes(folder + "\\Obel.ini");
  EXPECT_NE(after.find("; the user's own line\r\n"), std::string::npos) << after;
  for (const char* key : {"\r\nLeft=", "\r\nTop=", "\r\nWidth=", "\r\nHeight=", "\r\nMaximized="}) {
    const std::size_t first = after.find(key);
    EXPECT_NE(first, std::string::npos) << key + 2 << " in " << after;
    EXPECT_EQ(after.find(key, first + 1), std::string::npos) << key + 2 << " once";
  }
  EXPECT_EQ(temporaryFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Program, TwoProgramsTest,
                         ::testing::Values(TwoPrograms{"InTurn", false}, TwoPrograms{"AtOnce", true}),
                         [](const ::testing::TestParamInfo<TwoPrograms>& info) { return std::string(info.param.name); });


// The released program as a user unpacks it. Not run with the other window tests:
// tests/gui/release_zip_test.sh unpacks the zip into the C: drive of a fresh prefix that shows
// nothing else of the machine, writes the books, and runs this test there with
// OBEL_RELEASE_PROGRAM (the unpacked Obel.exe) and OBEL_RELEASE_BOOKS (their folder) set. It
// prints the grouped list's rows, "row<TAB>key<TAB>ruby<TAB>mark", for the script to judge
// the marks.
namespace release {

std::string environment(const char* name) {
  char value[MAX_PATH] = "";
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// A list view of another process is read through memory of that process.
std::string remoteCell(HANDLE process, HWND list, int row, int column) {
  constexpr SIZE_T textBytes = 260;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) return "<no memory>";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = remote + sizeof(LVITEMA);
  item.cchTextMax = static_cast<int>(textBytes);
  std::string text;
  if (WriteProcessMemory(process, remote, &item, sizeof item, nullptr)) {
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    LVITEMA back{};
    char buffer[textBytes] = "";
    if (ReadProcessMemory(process, remote, &back, sizeof back, nullptr) && back.pszText &&
        ReadProcessMemory(process, back.pszText, buffer, textBytes, nullptr)) {
      buffer[textBytes - 1] = '\0';
      text = buffer;
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

// A visible dialog of the process with the given caption.
HWND findDialog(DWORD process, const std::string& caption) {
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", caption.c_str())) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

TEST(UnpackedRelease, SearchesChecksAndShowsItsVersion) {
  const std::string program = environment("OBEL_RELEASE_PROGRAM");
  const std::string books = environment("OBEL_RELEASE_BOOKS");
  ASSERT_FALSE(program.empty() || books.empty()) << "run by tests/gui/release_zip_test.sh";
  const std::string folder = program.substr(0, program.rfind('\\'));
  const std::string folderName = folder.substr(folder.rfind('\\') + 1);  // Obel-<version>
  ASSERT_EQ(folderName.rfind("Obel-", 0), 0u) << folder;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                             &startup, &process));
  const DWORD id = process.dwProcessId;
  WindowSearch search{id, nullptr};
  waitFor([&] { return EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search)), search.found != nullptr; });
  HWND window = search.found;
  EXPECT_NE(window, nullptr) << "the main window appeared";
  if (window) {
    auto click = [](HWND dialog, int control) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
    };
    // Settings as a user makes them: keep the check's answers, and close without the question.
    click(window, IDC_SETTINGS);
    HWND settingsDialog = nullptr;
    EXPECT_TRUE(waitFor([&] { return (settingsDialog = findDialog(id, "設定")) != nullptr; })) << "the settings dialog";
    if (settingsDialog) {
      SendMessageA(GetDlgItem(settingsDialog, IDC_USE_CACHE), BM_CLICK, 0, 0);
      SendMessageA(GetDlgItem(settingsDialog, IDC_QUERY_EXIT), BM_CLICK, 0, 0);
      EXPECT_EQ(SendMessageA(GetDlgItem(settingsDialog, IDC_USE_CACHE), BM_GETCHECK, 0, 0), BST_CHECKED);
      EXPECT_EQ(SendMessageA(GetDlgItem(settingsDialog, IDC_QUERY_EXIT), BM_GETCHECK, 0, 0), BST_UNCHECKED);
      click(settingsDialog, IDOK);
      EXPECT_TRUE(waitFor([&] { return otherWindows(id, window) == 0; })) << "the settings dialog closed without a message";
    }

    const std::string target = books + "\\*.txt";
    SendMessageA(GetDlgItem(window, IDC_TARGET_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(target.c_str()));
    click(window, IDC_SEARCH);
    HWND list = GetDlgItem(window, IDC_GROUP_LIST);
    HWND check = GetDlgItem(window, IDC_REVCONV);
    EXPECT_TRUE(waitFor([&] { return IsWindowEnabled(check) && otherWindows(id, window) == 0; }))
        << "the search found rubies and ended without a message";
    click(window, IDC_REVCONV);
    EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(check) && otherWindows(id, window) == 0; }))
        << "the check gave every item a verdict without a message";

    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_GT(rows, 0);
    for (int row = 0; row < rows; ++row)
      std::printf("row\t%s\t%s\t%s\n", remoteCell(process.hProcess, list, row, KeyColumn).c_str(),
                  remoteCell(process.hProcess, list, row, RubyColumn).c_str(), remoteCell(process.hProcess, list, row, VerdictColumn).c_str());
    std::fflush(stdout);

    // The about box shows the version the zip is named after.
    PostMessageA(window, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND about = nullptr;
    EXPECT_TRUE(waitFor([&] { return (about = findDialog(id, "Obel のバージョン情報")) != nullptr; })) << "the about box";
    if (about) {
      char text[512] = "";
      GetDlgItemTextA(about, IDC_ABOUT_TEXT, text, sizeof text);
      const std::string expected = "  Version " + folderName.substr(5) + "\r\n";
      EXPECT_NE(std::string(text).find(expected), std::string::npos) << text;
      PostMessageA(about, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(waitFor([&] { return otherWindows(id, window) == 0; }));
    }
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  expectEndedOnItsCloseBox(process, window != nullptr);
  for (const char* name : {"\\Obel.ini", "\\ObelCache.dat"})
    EXPECT_NE(GetFileAttributesA((folder + name).c_str()), INVALID_FILE_ATTRIBUTES) << name << " beside the program";
}

}  // namespace release

}  // namespace
}  // namespace obel
