// The Windows halves of the reverse-conversion check: the IMM32 provider, the choice of the
// provider, and the cache commands of start-up and exit with the file beside the executable.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "engine/store.h"
#include "revconv/cache.h"
#include "revconv/cache_file.h"
#include "revconv/providers_win32.h"
#include "revconv/skk_dictionary.h"
#include "settings/settings.h"

namespace obel {
namespace {

std::string besideExecutable(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::strcpy(std::strrchr(path, '\\') + 1, name);
  return path;
}

}  // namespace

TEST(RevConvProviders, PlatformFacts) {
  EXPECT_TRUE(isNtPlatform());
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  EXPECT_EQ(runningUnderWine(), GetProcAddress(ntdll, "wine_get_version") != nullptr);
}

TEST(RevConvProviders, InputMethodWithoutAnswerGivesAnEmptyList) {
  ImmReadingProvider ime;
  bool created = false;
  HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HIMC context = acquireImeContext(window, created);
  ReadingSource source{&ime, context, nullptr};
  char list[64];
  std::memset(list, 0x55, sizeof list);
  const std::uint32_t count = getReverseConversions(source, "東京", list, sizeof list, 256);
  if (runningUnderWine()) {
    EXPECT_EQ(count, 0u) << "Wine's IMM32 has no reverse conversion";
    EXPECT_EQ(list[0], 0);
  }
  if (context != nullptr && !created) ImmReleaseContext(window, context);
  DestroyWindow(window);
}

TEST(RevConvProviders, TheSettingAddsItsDictionariesToTheDefaults) {
  process::settings() = Settings{};
  const std::string dictionary = besideExecutable("obel_choice_test.dic");
  HANDLE file = CreateFileA(dictionary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char text[] = ";; coding: utf-8\nx /obelsample/\n";
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
  // A list: the files that load, the others named for the warning.
  std::strcpy(process::settings().readingDictionary, (dictionary + ";Z:\\no\\such.dic").c_str());
  std::vector<std::string> unreadable;
  std::unique_ptr<ReadingProvider> chosen = chooseReadingProvider(&unreadable);
  std::vector<std::u16string> readings;
  chosen->readings(nullptr, nullptr, u"obelsample", readings);
  EXPECT_EQ(readings, std::vector<std::u16string>{u"x"});
  EXPECT_EQ(unreadable, std::vector<std::string>{"Z:\\no\\such.dic"});
  DeleteFileA(dictionary.c_str());
  // The installed dictionary stays in use beside the chosen one.
  const bool installed = runningUnderWine() && GetFileAttributesA(InstalledSkkDictionary) != INVALID_FILE_ATTRIBUTES;
  if (installed) {
    readings.clear();
    chosen->readings(nullptr, nullptr, u"東京", readings);
    EXPECT_NE(std::find(readings.begin(), readings.end(), u"とうきょう"), readings.end());
  }
  process::settings() = Settings{};
}

TEST(RevConvCacheCommands, SaveAndLoadBesideTheExecutable) {
  const std::string path = besideExecutable("ObelCache.dat");
  DeleteFileA(path.c_str());
  ReverseConversionCache& cache = process::revConvCache();
  clearCache(cache);
  cacheRecord(cache, "生", 0, CodeWords{123, 4}, 1);
  saveRevConvCache();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 1114116u);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(besideExecutable("Obel_*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "the temporary file is deleted";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  clearCache(cache);
  loadRevConvCache();
  EXPECT_EQ(cache.nextSlot, 1u);
  int verdict = 0;
  EXPECT_TRUE(cacheLookup(cache, "生", 0, CodeWords{123, 4}, verdict));
  EXPECT_EQ(verdict, 1);
  DeleteFileA(path.c_str());
  loadRevConvCache();
  EXPECT_EQ(cache.nextSlot, 0u) << "no file: an empty cache";
}

}  // namespace obel
