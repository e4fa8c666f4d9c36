// The target list on the real main dialog (add, edit, delete, button states, drops), the
// target dialog's checks, and whole searches behind the progress dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES
#include <dlgs.h>    // cmb1
#include <commctrl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "engine/targets.h"
#include "engine/walk.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

namespace fs = std::filesystem;
using test::DialogHook;

std::string tempFolder() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return folder;
}

// An HDROP holding the paths, as the shell would post it (freed by DragFinish).
HDROP makeDrop(const std::vector<std::string>& paths) {
  std::size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& p : paths) bytes += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  char* at = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
  for (const std::string& p : paths) {
    std::memcpy(at, p.c_str(), p.size() + 1);
    at += p.size() + 1;
  }
  *at = '\0';
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class TargetsTest : public testing::Test {
 protected:
  void SetUp() override {
    process::settings() = Settings{};
    std::strcpy(process::settingsPath, (tempFolder() + "obel_targets_test.ini").c_str());
    DeleteFileA(process::settingsPath);
    dialog = createMainDialog();
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    list = GetDlgItem(dialog, IDC_TARGET_LIST);
    test::pumpMessages();
  }
  void TearDown() override {
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    DeleteFileA(process::settingsPath);
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char line[PathBytes] = "";
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      out.push_back(line);
    }
    return out;
  }
  void select(std::vector<int> which) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int i : which) SendMessageA(list, LB_SETSEL, TRUE, i);
    onTargetSelectionChange(dialog);
  }
  bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
  // Runs the target dialog through `command` with the field set to `text`, then OK.
  void throughTargetDialog(DialogHook& hook, void (*command)(HWND), const std::string& text,
                           std::string* captionSeen = nullptr, std::string* fieldSeen = nullptr) {
    hook.onDialog([&](HWND d) {
      if (captionSeen) *captionSeen = test::windowText(d);
      if (fieldSeen) *fieldSeen = test::controlText(d, IDC_TARGET_FIELD);
      SetDlgItemTextA(d, IDC_TARGET_FIELD, text.c_str());
      PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    command(dialog);
  }
  HWND dialog = nullptr;
  HWND list = nullptr;
};

TEST_F(TargetsTest, AddAppendsTheLineAndEnablesSearch) {
  DialogHook hook;
  std::string caption, field = "unset";
  EXPECT_FALSE(enabled(IDC_SEARCH));
  throughTargetDialog(hook, addTarget, "C:\\本\\*.txt", &caption, &field);
  EXPECT_EQ(caption, "ファイル名追加");
  EXPECT_EQ(field, "");
  throughTargetDialog(hook, addTarget, "D:\\a.txt");
  EXPECT_EQ(lines(), (std::vector<std::string>{"C:\\本\\*.txt", "D:\\a.txt"}));
  EXPECT_TRUE(enabled(IDC_SEARCH));
  EXPECT_TRUE(hook.boxes().empty());
}

TEST_F(TargetsTest, TargetDialogChecksItsField) {
  DialogHook hook;
  for (const std::string& text : {std::string(), std::string(260, 'a')}) {
    hook.clear();
    hook.onDialog([&](HWND d) {
      SetDlgItemTextA(d, IDC_TARGET_FIELD, text.c_str());
      PostMessageA(d, WM_COMMAND, IDOK, 0);      // refused: the dialog stays
      PostMessageA(d, WM_COMMAND, IDCANCEL, 0);  // then cancelled
    });
    addTarget(dialog);
    ASSERT_EQ(hook.boxes().size(), 1u);
    EXPECT_EQ(hook.boxes()[0].text, text.empty() ? "ファイル名が未入力です。" : "ファイル名が長すぎます。");
    EXPECT_EQ(hook.boxes()[0].caption, "Obel");
    EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  }
  EXPECT_TRUE(lines().empty());
  EXPECT_FALSE(enabled(IDC_SEARCH));
  // 259 bytes are accepted
  throughTargetDialog(hook, addTarget, std::string(259, 'b'));
  EXPECT_EQ(lines(), (std::vector<std::string>{std::string(259, 'b')}));
}

TEST_F(TargetsTest, EditKeepsPositionAndScroll) {
  for (int i = 0; i < 30; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("line" + std::to_string(i)).c_str()));
  SendMessageA(list, LB_SETTOPINDEX, 18, 0);
  const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  select({20});
  DialogHook hook;
  std::string caption, field;
  throughTargetDialog(hook, editTarget, "edited", &caption, &field);
  EXPECT_EQ(caption, "ファイル名編集");
  EXPECT_EQ(field, "line20");
  const auto now = lines();
  ASSERT_EQ(now.size(), 30u);
  EXPECT_EQ(now[20], "edited");
  EXPECT_EQ(now[19], "line19");
  EXPECT_EQ(now[21], "line21");
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top);
  EXPECT_EQ(SendMessageA(list, LB_GETSEL, 20, 0), TRUE);
}

TEST_F(TargetsTest, ButtonsFollowTheSelectionAndDeleteRemovesExactlyTheSelected) {
  for (const char* t : {"a", "b", "c", "d", "e"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  EnableWindow(GetDlgItem(dialog, IDC_SEARCH), TRUE);
  select({});
  EXPECT_FALSE(enabled(IDC_EDIT_TARGET));
  EXPECT_FALSE(enabled(IDC_DELETE_TARGET));
  select({2});
  EXPECT_TRUE(enabled(IDC_EDIT_TARGET));
  EXPECT_TRUE(enabled(IDC_DELETE_TARGET));
  select({1, 3});
  EXPECT_FALSE(enabled(IDC_EDIT_TARGET));
  EXPECT_TRUE(enabled(IDC_DELETE_TARGET));
  deleteTargets(dialog);
  EXPECT_EQ(lines(), (std::vector<std::string>{"a", "c", "e"}));
  EXPECT_FALSE(enabled(IDC_EDIT_TARGET));
  EXPECT_FALSE(enabled(IDC_DELETE_TARGET));
  EXPECT_TRUE(enabled(IDC_SEARCH));
  select({0, 1, 2});
  deleteTargets(dialog);
  EXPECT_TRUE(lines().empty());
  EXPECT_FALSE(enabled(IDC_SEARCH));
}

TEST_F(TargetsTest, DroppedFilesAndFolders) {
  const std::string folder = tempFolder() + "obel_drop_folder";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string file = folder + "\\a.txt";
  std::ofstream(file) << "x";
  DialogHook hook;
  SendMessageA(list, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({folder, "C:\\", file, file})), 0);
  EXPECT_EQ(lines(), (std::vector<std::string>{folder + "\\*.txt", "C:\\*.txt", file, file}));
  EXPECT_TRUE(enabled(IDC_SEARCH));
  EXPECT_TRUE(hook.boxes().empty());

  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const std::string tooLong = "C:\\" + std::string(300, 'x') + ".txt";
  SendMessageA(list, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({file, tooLong, folder})), 0);
  EXPECT_EQ(lines(), (std::vector<std::string>{file}));
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, tooLong + " はパスが長すぎます。");
  EXPECT_EQ(hook.boxes()[0].owner, dialog) << "owned by the list, whose window the box takes its top-level owner from";
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  // a folder whose line would reach 260 bytes with the pattern
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  hook.clear();
  const std::string deep = "C:\\" + std::string(252, 'y');  // 255 + "\*.txt" = 261
  CreateDirectoryA(deep.c_str(), nullptr);
  if (GetFileAttributesA(deep.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SendMessageA(list, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({deep})), 0);
    EXPECT_TRUE(lines().empty());
    ASSERT_EQ(hook.boxes().size(), 1u);
    EXPECT_EQ(hook.boxes()[0].text, deep + " はパスが長すぎます。");
    RemoveDirectoryA(deep.c_str());
  }
  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(TargetsTest, AFolderChosenInTheBrowserGetsABackslashAndThePattern) {
  const std::string folder = tempFolder() + "obel_browse_folder";
  CreateDirectoryA(folder.c_str(), nullptr);
  DialogHook hook;
  int browsers = 0;
  hook.onDialog([&](HWND d) {
    if (GetDlgItem(d, IDC_TARGET_FIELD)) {  // the target dialog: browse from a text naming no folder
      SetDlgItemTextA(d, IDC_TARGET_FIELD, (folder + "\\*.txt").c_str());
      PostMessageA(d, WM_COMMAND, IDC_TARGET_FOLDER_BUTTON, 0);
      return;
    }
    ++browsers;  // the folder browser: take its selection, then OK the target dialog
    PostMessageA(d, WM_COMMAND, IDOK, 0);
    PostMessageA(GetWindow(d, GW_OWNER), WM_COMMAND, IDOK, 0);
  });
  addTarget(dialog);
  EXPECT_EQ(browsers, 1);
  ASSERT_EQ(lines().size(), 1u);
  // Wine's browser does not take the starting selection, so the chosen folder is whichever
  // it shows; what matters is what the field makes of it.
  const std::string line = lines()[0];
  ASSERT_GT(line.size(), 6u);
  EXPECT_EQ(line.substr(line.size() - 6), "\\*.txt");
  const std::string chosen = line.substr(0, line.size() - 6);
  EXPECT_NE(chosen.back(), '\\') << "one backslash before the pattern";
  EXPECT_NE(GetFileAttributesA(chosen.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << chosen;
  EXPECT_TRUE(hook.boxes().empty());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(TargetsTest, TheFileButtonStartsInTheFieldsFolderWithItsNameAndOffersTheFilter) {
  const std::string folder = tempFolder() + "obel_browse_file";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string file = folder + "\\本文.txt";
  std::ofstream(file) << "x";
  DialogHook hook;
  std::vector<std::string> filters;
  hook.onDialog([&](HWND d) {
    if (GetDlgItem(d, IDC_TARGET_FIELD)) {
      SetDlgItemTextA(d, IDC_TARGET_FIELD, file.c_str());
      PostMessageA(d, WM_COMMAND, IDC_TARGET_FILE_BUTTON, 0);
      return;
    }
    HWND types = GetDlgItem(d, cmb1);  // the open dialog's file-type box
    const int n = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char text[256] = "";
      SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      filters.push_back(text);
    }
    PostMessageA(d, WM_COMMAND, IDOK, 0);  // opens the file named at the start
    PostMessageA(GetWindow(d, GW_OWNER), WM_COMMAND, IDOK, 0);
  });
  addTarget(dialog);
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0], file);
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].substr(filters[0].size() - 8), " (*.txt)");
  EXPECT_GT(filters[0].size(), 8u) << "the shell's type name comes first";
  EXPECT_EQ(filters[1], "全てのファイル (*.*)");
  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(TargetsTest, APathDroppedOnTheFieldReplacesItsTextWithTheFirstPath) {
  DialogHook hook;
  std::string field;
  hook.onDialog([&](HWND d) {
    SetDlgItemTextA(d, IDC_TARGET_FIELD, "old text");
    SendMessageA(GetDlgItem(d, IDC_TARGET_FIELD), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(makeDrop({"C:\\本\\一.txt", "C:\\本\\二.txt"})), 0);
    field = test::controlText(d, IDC_TARGET_FIELD);
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  addTarget(dialog);
  EXPECT_EQ(field, "C:\\本\\一.txt");
  EXPECT_EQ(lines(), (std::vector<std::string>{"C:\\本\\一.txt"}));
}

// A fixture tree of text files, each "｜<key>《よみ》" lines.
class SearchTest : public TargetsTest {
 protected:
  void SetUp() override {
    TargetsTest::SetUp();
    root = fs::path(tempFolder()) / ("obel_search_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override {
    fs::remove_all(root);
    TargetsTest::TearDown();
  }
  void write(const fs::path& relative, const std::string& key, int rubies = 1) {
    fs::create_directories((root / relative).parent_path());
    std::ofstream out(root / relative, std::ios::binary);
    for (int i = 0; i < rubies; ++i) out << "｜" << key << "《よみ》\r\n";
  }
  std::string path(const fs::path& relative = {}) const {
    std::string s = (relative.empty() ? root : root / relative).string();
    for (char& c : s)
      if (c == '/') c = '\\';
    return s;
  }
  std::vector<std::string> keys() const {
    std::vector<std::string> out;
    const ResultStore& s = process::store();
    for (std::uint32_t i = 0; i < s.itemCount; ++i) out.push_back(text(s, s.items[i].keyId));
    return out;
  }
  // Runs the search over the targets, the progress dialog left alone by the hook.
  void search(DialogHook& hook, const std::vector<std::string>& targets) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& t : targets) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    hook.onDialog([](HWND) {});
    startSearch(dialog);
  }
  fs::path root;
};

TEST_F(SearchTest, FilesBeforeSubfoldersTheSameFileOnceAndASingleFile) {
  write("b.txt", "B");
  write("a.txt", "A");
  write("sub1/c.txt", "C");
  write("sub1/deeper/d.txt", "D");
  write("sub2/e.txt", "E");
  write("none.txt", "", 0);  // a file without ruby
  write("other.tsv", "T");
  DialogHook hook;
  search(hook, {path() + "\\*.txt", path("a.txt"), path("other.tsv"), path("missing") + "\\*.txt", path() + "\\*.none"});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A", "B", "C", "D", "E", "T"}));
  EXPECT_TRUE(hook.boxes().empty()) << hook.boxes()[0].text;
  ASSERT_EQ(hook.dialogs().size(), 1u);
  EXPECT_EQ(hook.dialogs()[0].caption, "検索中");
  EXPECT_EQ(hook.dialogs()[0].owner, dialog);
  EXPECT_EQ(process::store().pendingCheckCount, 6u);
  EXPECT_TRUE(enabled(IDC_REVCONV));
  EXPECT_EQ(std::string(process::store().items[0].file->folder), path());

  process::settings().searchSubFolder = false;
  search(hook, {path() + "\\*.txt"});
  EXPECT_EQ(keys(), (std::vector<std::string>{"A", "B"}));
  process::settings().searchSubFolder = true;
  search(hook, {path("sub1\\c.txt")});  // a single file: never its folder's subfolders
  EXPECT_EQ(keys(), (std::vector<std::string>{"C"}));
  search(hook, {path() + "\\*.none"});
  EXPECT_TRUE(keys().empty());
  EXPECT_FALSE(enabled(IDC_REVCONV));
  EXPECT_TRUE(hook.boxes().empty());
}

TEST_F(SearchTest, PathsOf259And260Bytes) {
  const std::string base = path() + "\\";
  const std::string sub(259 - std::string("\\f.txt").size() - base.size(), 'd');
  write(fs::path(sub) / "f.txt", "OK");
  write(fs::path(sub) / "gg.txt", "LONG");
  DialogHook hook;
  search(hook, {base + sub + "\\*.txt"});
  EXPECT_EQ(keys(), (std::vector<std::string>{"OK"}));
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, base + sub + "\\gg.txt" + PathTooLongText);
  EXPECT_EQ(hook.boxes()[0].caption, "Obel");
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  EXPECT_NE(hook.boxes()[0].owner, dialog) << "owned by the progress dialog";
}

// Presses Stop from the user interface thread when the worker shows the file name `stopAt`.
HHOOK stopHook = nullptr;
const char* stopAt = nullptr;
LRESULT CALLBACK stopWhenShown(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_SETTEXT && GetDlgCtrlID(m->hwnd) == IDC_PROGRESS_TEXT && m->lParam &&
      std::strcmp(reinterpret_cast<const char*>(m->lParam), stopAt) == 0)
    SendMessageA(GetParent(m->hwnd), WM_COMMAND, IDCANCEL, 0);
  return CallNextHookEx(stopHook, code, wParam, lParam);
}

TEST_F(SearchTest, StopFinishesTheCurrentFileAndKeepsWhatWasFound) {
  for (int i = 0; i < 40; ++i) write("f" + std::to_string(100 + i) + ".txt", "K" + std::to_string(i));
  stopAt = "f105.txt";
  stopHook = SetWindowsHookExA(WH_CALLWNDPROC, stopWhenShown, nullptr, GetCurrentThreadId());
  ASSERT_NE(stopHook, nullptr);
  DialogHook hook;
  search(hook, {path() + "\\*.txt", path("f139.txt")});
  UnhookWindowsHookEx(stopHook);
  EXPECT_EQ(keys(), (std::vector<std::string>{"K0", "K1", "K2", "K3", "K4", "K5"}));
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, "検索を中止しました");
  EXPECT_EQ(hook.boxes()[0].owner, dialog);
  EXPECT_EQ(process::store().pendingCheckCount, 6u);
  EXPECT_TRUE(enabled(IDC_REVCONV));
}

TEST_F(SearchTest, ExactlyTheItemLimitShowsTheLimitMessage) {
  write("a.txt", "A", static_cast<int>(MaxItems));
  DialogHook hook;
  search(hook, {path() + "\\*.txt"});
  EXPECT_EQ(process::store().itemCount, MaxItems);
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, "データが最大件数に達したため、検索を中止しました");
  EXPECT_EQ(hook.boxes()[0].owner, dialog);
}

// What the worker does to the progress dialog in its list phase, seen on the user interface
// thread as its messages arrive.
struct ListPhase {
  std::string caption;
  bool stopEnabledThen = true;
  long barMaximum = -1;
};
HHOOK phaseHook = nullptr;
ListPhase phase;
LRESULT CALLBACK watchListPhase(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_SETTEXT && GetDlgCtrlID(m->hwnd) == 0 && m->lParam &&
      GetDlgItem(m->hwnd, IDC_PROGRESS_BAR)) {
    phase.caption = reinterpret_cast<const char*>(m->lParam);
    phase.stopEnabledThen = IsWindowEnabled(GetDlgItem(m->hwnd, IDCANCEL)) != FALSE;
  }
  if (code == HC_ACTION && m->message == PBM_SETRANGE32) phase.barMaximum = static_cast<long>(m->lParam);
  return CallNextHookEx(phaseHook, code, wParam, lParam);
}

TEST_F(SearchTest, SearchButtonListsTheResultAndEnablesExportOnlyWhenItemsWereFound) {
  write("a.txt", "A", 3);
  write("b.txt", "B", 2);
  write("sub/c.txt", "C");
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((path() + "\\*.txt").c_str()));
  EnableWindow(GetDlgItem(dialog, IDC_SEARCH), TRUE);
  phase = ListPhase{};
  phaseHook = SetWindowsHookExA(WH_CALLWNDPROC, watchListPhase, nullptr, GetCurrentThreadId());
  ASSERT_NE(phaseHook, nullptr);
  DialogHook hook;
  hook.onDialog([](HWND) {});  // the progress dialog is left to the worker
  SendMessageA(dialog, WM_COMMAND, IDC_SEARCH, 0);
  UnhookWindowsHookEx(phaseHook);
  EXPECT_TRUE(hook.boxes().empty());
  EXPECT_EQ(phase.caption, "リスト作成中");
  EXPECT_FALSE(phase.stopEnabledThen) << "Stop is disabled before the list phase";
  EXPECT_EQ(phase.barMaximum, 6);
  EXPECT_EQ(process::store().itemCount, 6u);
  HWND groups = GetDlgItem(dialog, IDC_GROUP_LIST);
  EXPECT_EQ(SendMessageA(groups, LVM_GETITEMCOUNT, 0, 0), 3) << "one row per (key, reading) pair";
  EXPECT_TRUE(IsWindowVisible(groups));
  EXPECT_TRUE(enabled(IDC_EXPORT));
  EXPECT_TRUE(enabled(IDC_REVCONV));

  // a second search that finds nothing empties the list and disables both again
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((path() + "\\*.none").c_str()));
  SendMessageA(dialog, WM_COMMAND, IDC_SEARCH, 0);
  EXPECT_TRUE(hook.boxes().empty());
  EXPECT_EQ(process::store().itemCount, 0u);
  EXPECT_EQ(SendMessageA(groups, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_FALSE(enabled(IDC_EXPORT));
  EXPECT_FALSE(enabled(IDC_REVCONV));
}

}  // namespace
}  // namespace obel
