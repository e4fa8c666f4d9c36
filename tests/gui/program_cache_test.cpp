// Obel.exe itself, copied into a folder of its own: the cache file beside it is read at start
// and written back at exit only when the setting is on.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

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
  DWORD process;
  HWND found;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  char caption[16] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (std::string(caption) != "Obel") return TRUE;
  search->found = window;
  return FALSE;
}

class ProgramCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "obel_program_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(folder.c_str(), nullptr);
    program = folder + "\\Obel.exe";
    ASSERT_TRUE(CopyFileA(OBEL_EXE_PATH, program.c_str(), FALSE)) << OBEL_EXE_PATH;
    cache = folder + "\\ObelCache.dat";
    DeleteFileA(cache.c_str());
  }
  void TearDown() override {
    for (const char* name : {"\\Obel.exe", "\\Obel.ini", "\\ObelCache.dat"})
      DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
  }

  void writeSettings(int useCache) {
    writeBytes(folder + "\\Obel.ini", "[Application]\r\nQueryExit=0\r\nUseRevConvCache=" +
                                          std::to_string(useCache) + "\r\n");
  }

  // Starts the program, closes its window as the close box does and waits for its end.
  void runAndClose() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    WindowSearch search{process.dwProcessId, nullptr};
    for (int i = 0; i < 300 && !search.found; ++i) {
      Sleep(50);
      EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    EXPECT_NE(search.found, nullptr) << "the main window appeared";
    if (search.found) PostMessageA(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
    const DWORD waited = WaitForSingleObject(process.hProcess, search.found ? 20000 : 0);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the program ended on its close box";
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

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

}  // namespace
}  // namespace obel
