// Figures of the result list over a full store (30000 items): the rebuild of the grouped and
// the expanded list, and a sort by each column, on the row model in memory and, on Windows,
// on a real list view beside a bare list view; on Windows also a search on the real main dialog
// from its button to the list shown. Each figure stands beside a baseline measured in the same run.
#include <chrono>
#include <memory>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/store.h"
#include "engine/walk.h"
#include "results/conditions.h"
#include "results/list_model.h"
#include "results/sort.h"
#include "settings/settings.h"
#include "tests/results_fake_list.h"

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/main_dialog.h"
#include "app/resources/resource_ids.h"
#include "app/result_lists.h"
#include "app/search_win32.h"
#endif

using namespace obel;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <typename F>
double timed(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return millisecondsSince(start);
}

// 30000 items over 40 files: 6000 keys, each with one to three readings, many pairs repeated.
void fillStore() {
  ResultStore& s = process::store();
  clear(s);
  static const char* const kanji[] = {"雨", "空", "海", "山", "川", "森", "林", "花", "草", "木", "水", "火"};
  static const char* const kana[] = {"あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ", "さ", "し"};
  std::vector<FileRecord*> files;
  for (int f = 0; f < 40; ++f) {
    char path[64];
    std::snprintf(path, sizeof path, "C:\\books\\vol%02d\\text%02d.txt", f % 7, f);
    FileRecord* record = newFileRecord(path);
    addFile(s, record);
    files.push_back(record);
  }
  unsigned seed = 12345;
  auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (std::uint32_t i = 0; i < MaxItems; ++i) {
    const unsigned keyNumber = next() % 6000;
    char key[32] = "", ruby[48] = "";
    unsigned k = keyNumber;
    for (int c = 0; c < 2 + static_cast<int>(keyNumber % 3); ++c, k /= 12) std::strcat(key, kanji[k % 12]);
    unsigned r = keyNumber * 7 + next() % (1 + keyNumber % 3);
    for (int c = 0; c < 3 + static_cast<int>(keyNumber % 4); ++c, r /= 12) std::strcat(ruby, kana[r % 12]);
    RubyItem& item = s.items[s.itemCount++];
    item = RubyItem{};
    item.keyId = static_cast<std::uint16_t>(internText(s, key));
    item.rubyId = static_cast<std::uint16_t>(internText(s, ruby));
    item.okuriganaId = static_cast<std::uint16_t>(internText(s, i % 5 ? "" : "の"));
    item.file = files[i % files.size()];
    item.line = static_cast<std::int32_t>(1 + next() % 5000);
    item.column = static_cast<std::int32_t>(1 + next() % 80);
    item.number = 1;
    item.groupSize = 1;
    if (i % 3 == 0) item.flags |= RevConvDone | (i % 2 ? RevConvOkuriOk : 0);
  }
  finishSearch(s);
}

// The lower bound of a rebuild: the condition test of every item, nothing else.
double conditionsOnly() {
  int shown = 0;
  double ms = timed([&] {
    for (std::uint32_t i = 0; i < process::store().itemCount; ++i) shown += matchesDisplayConditions(process::store().items[i], process::settings(), process::expandedHead);
  });
  std::printf("  baseline: matchesDisplayConditions over the store  %8.2f ms (%d shown)\n", ms, shown);
  return ms;
}

// The platform's cell parser: the locale's OLE parsers and lstrcmpA on Windows.
CellParser& platformParser() {
#ifdef _WIN32
  return oleCellParser();
#else
  return portableCellParser();
#endif
}

// The sort by values (keys prepared once, texts ranked through the parser's sort keys) must
// give the order of the sort through the cells' texts with the platform's own parser: checked
// here over the full list, where the unit test checks it with the portable parser.
void checkSortByValues(const test::FakeList& rows) {
  int differing = 0;
  for (bool descending : {false, true}) {
    for (int column = 0; column < ColumnCount; ++column) {
      test::FakeList byTexts, byValues;
      byTexts.values = byValues.values = rows.values;
      byTexts.selected = byValues.selected = rows.selected;
      byValues.cellsByValue = true;
      sortByColumn(byTexts.state, byTexts, platformParser(), column, descending);
      sortByColumn(byValues.state, byValues, platformParser(), column, descending);
      if (byTexts.values != byValues.values) {
        std::printf("  sort by column %d %s: by values NOT the order of the cell texts\n", column,
                    descending ? "descending" : "ascending");
        ++differing;
      }
    }
  }
  std::printf("  sort by values, platform parser: %s for all %d columns both ways\n",
              differing ? "DIFFERENT" : "the order of the cell texts", ColumnCount);
}

void benchRowModel() {
  std::printf("Row model in memory (%u items)\n", process::store().itemCount);
  conditionsOnly();
  test::FakeList group;
  double first = timed([&] { group.refresh(); });
  std::printf("  refreshList, empty list -> %d rows                %8.2f ms\n", group.rowCount(), first);
  double again = timed([&] { group.refresh(); });
  std::printf("  refreshList, nothing changed                      %8.2f ms\n", again);
  process::settings().hideKeyRuby = 1;
  double narrowed = timed([&] { group.refresh(); });
  std::printf("  refreshList, same key only -> %d rows             %8.2f ms\n", group.rowCount(), narrowed);
  process::settings().hideKeyRuby = 0;
  double back = timed([&] { group.refresh(); });
  checkSortByValues(group);
  std::printf("  refreshList, all again -> %d rows                 %8.2f ms\n", group.rowCount(), back);

  for (int column = 0; column < ColumnCount; ++column) {
    // Baseline: the same comparison over records already prepared, without the list.
    std::vector<std::intptr_t> values = group.values;
    double ms = timed([&] { group.sort(column, false); });
    std::vector<SortRecord> records(values.size());
    std::vector<char> texts(values.size() * SortTextBytes);
    for (std::size_t i = 0; i < values.size(); ++i) {
      char cell[SortTextBytes];
      columnText(*reinterpret_cast<const RubyItem*>(values[i]), column, process::expandedHead, cell, sizeof cell);
      prepareSortKey(records[i], resultColumns[column].sortType, cell, &texts[i * SortTextBytes], portableCellParser());
    }
    SortParameters p{&portableCellParser(), resultColumns[column].sortType, false};
    double base = timed([&] {
      std::stable_sort(records.begin(), records.end(), [&](const SortRecord& a, const SortRecord& b) {
        return compareSortRecords(reinterpret_cast<std::intptr_t>(&a), reinterpret_cast<std::intptr_t>(&b),
                                  reinterpret_cast<std::intptr_t>(&p)) < 0;
      });
    });
    std::printf("  sort by column %d (type %u)                        %8.2f ms   (prepared records alone %6.2f ms)\n",
                column, resultColumns[column].sortType, ms, base);
  }
}

#ifdef _WIN32
LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) return onResultListNotify(window, reinterpret_cast<NMHDR*>(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND createList(HWND parent, int id, DWORD style = 0, RECT place = {0, 0, 780, 560}) {
  HWND list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SINGLESEL | style, place.left, place.top,
                            place.right - place.left, place.bottom - place.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  for (int c = 0; list && c < ColumnCount; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(resultColumns[c].header);
    column.cx = resultColumns[c].width;
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

int CALLBACK byParam(LPARAM a, LPARAM b, LPARAM descending) {
  const int order = a < b ? -1 : (a > b ? 1 : 0);
  return descending ? -order : order;
}

// The baseline: the same steps on a list view of the same shape with no subclass and no row
// model, as a program of a few lines does them.
class BareList {
 public:
  explicit BareList(HWND list) : list_(list) {}
  // Every shown item appended with text callbacks for the item and its nine subitems, then
  // the sort the refresh ends with; the list's redraw back on unless told otherwise.
  void fill(bool sorted = true, bool redrawOn = true) {
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    for (std::uint32_t i = 0; i < process::store().itemCount; ++i) {
      if (!matchesDisplayConditions(process::store().items[i], process::settings(), process::expandedHead)) continue;
      LVITEMA item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = INT_MAX;
      item.pszText = LPSTR_TEXTCALLBACKA;
      item.lParam = reinterpret_cast<LPARAM>(&process::store().items[i]);
      const int row = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      LVITEMA sub{};
      sub.pszText = LPSTR_TEXTCALLBACKA;
      for (int column = 1; column < ColumnCount; ++column) {
        sub.iSubItem = column;
        SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
      }
    }
    if (sorted) sort();
    if (redrawOn) SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  }
  // Every row's value read, then the sort.
  void readAll() {
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    const int count = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    std::intptr_t sum = 0;
    for (int row = 0; row < count; ++row) {
      LVITEMA item{};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      sum += item.lParam;
    }
    sort();
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    if (sum == 1) std::printf(" ");
  }
  void sort(bool descending = false) {
    SendMessageA(list_, LVM_SORTITEMS, descending ? 1 : 0, reinterpret_cast<LPARAM>(byParam));
  }

 private:
  HWND list_;
};

void printRatio(const char* step, double ours, double bare) {
  std::printf("list view: %s: ours %.1f ms, bare list view %.1f ms, ratio %.2f\n", step, ours, bare,
              bare > 0 ? ours / bare : 0.0);
}

// The parent window class of the lists made here.
void registerParentClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA cls{};
  cls.lpfnWndProc = parentProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "ObelBenchParent";
  RegisterClassA(&cls);
}

void benchListView() {
  registerParentClass();
  HWND parent = CreateWindowA("ObelBenchParent", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  HWND list = createList(parent, 1001);
  HWND bareList = createList(parent, 1002);
  if (!list || !bareList) {
    std::printf("Real list view: could not be created\n");
    return;
  }
  SortableListView* view = new SortableListView;  // kept to the end of the process
  view->attach(list);
  ColumnType types[ColumnCount];
  for (int c = 0; c < ColumnCount; ++c) types[c] = resultColumns[c].sortType;
  setColumnTypes(view->sortState, types, ColumnCount);
  view->showSortIndicator(0);
  BareList bare(bareList);

  std::printf("Real list view, beside a bare list view in the same run\n");
  const double first = timed([&] { refreshList(parent, list, nullptr, *view); });
  const double bareFirst = timed([&] { bare.fill(); });
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  char step[64];
  std::snprintf(step, sizeof step, "refresh all %d rows", count);
  printRatio(step, first, bareFirst);
  const double again = timed([&] { refreshList(parent, list, nullptr, *view); });
  const double bareAgain = timed([&] { bare.readAll(); });
  std::snprintf(step, sizeof step, "refresh nothing changed %d rows", count);
  printRatio(step, again, bareAgain);
  for (int column = 0; column < ColumnCount; ++column) {
    const double ms = timed([&] { view->sortByColumn(column, column % 2 != 0); });
    const double bareMs = timed([&] { bare.sort(column % 2 != 0); });
    std::snprintf(step, sizeof step, "sort by column %d", column);
    printRatio(step, ms, bareMs);
  }
  DestroyWindow(parent);
}

void writeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::size_t readFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  static char buffer[1 << 16];
  std::size_t total = 0;
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) total += got;
  CloseHandle(file);
  return total;
}

// The progress dialog alone: opened, `names` texts set in its name field from a second thread
// as the search's worker sets them, closed by the posted OK command.
struct AloneDialog {
  int names = 0;
  HWND dialog = nullptr;
};
AloneDialog aloneDialog;

unsigned __stdcall aloneWorker(void*) {
  HWND text = GetDlgItem(aloneDialog.dialog, IDC_PROGRESS_TEXT);
  for (int i = 0; i < aloneDialog.names; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "text%02d.txt", i);
    SetWindowTextA(text, name);
  }
  PostMessageA(aloneDialog.dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

INT_PTR CALLBACK aloneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    aloneDialog.dialog = dialog;
    CloseHandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, aloneWorker, nullptr, 0, nullptr)));
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

double progressDialogAlone(HWND owner, int names) {
  aloneDialog.names = names;
  return timed([&] {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), owner, aloneDialogProc, 0);
  });
}

class SilentEvents : public SearchEvents {
 public:
  void showFileName(const char*) override {}
  void showMessage(const char*) override {}
};

// One line per phase of the search just timed, each beside what it costs alone in this run:
// the progress dialog opened and closed (with as many names set from a second thread), the
// walk on one thread without a window, the store's passes over the same store, a bare list
// view filled with as many rows and its sort. The store is filled again by the walk alone,
// with the same items at the same places, so the list's rows stay valid.
void printSearchBudget(HWND mainDialog, const SearchPhases& p, std::chrono::steady_clock::time_point clicked,
                       std::chrono::steady_clock::time_point returned, std::chrono::steady_clock::time_point shown,
                       const std::string& target, HWND parent) {
  using Clock = std::chrono::steady_clock;
  auto span = [](Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
  };
  const double dialogAlone = progressDialogAlone(mainDialog, 0);
  const double namesAlone = progressDialogAlone(mainDialog, p.fileNames) - dialogAlone;
  SilentEvents silent;
  std::unique_ptr<DirLister> lister = platformDirLister();
  process::store().searchRunning = true;
  const double walkAlone = timed([&] { searchTargets(process::store(), {target}, false, *lister, silent); });
  const double passesAlone = timed([&] { finishSearch(process::store()); });
  HWND bareList = createList(parent, 1004);
  BareList bare(bareList);
  const double fillAlone = timed([&] { bare.fill(false); });
  const double sortAlone = timed([&] { bare.sort(); });
  // A bare list view in the main dialog where ours lies, owner-drawn like ours and filled with
  // as many rows: its redraw switched back on and the list painted, which the window line's
  // baseline (a list view never shown) does not include.
  RECT place;
  HWND groups = GetDlgItem(mainDialog, IDC_GROUP_LIST);
  GetWindowRect(groups, &place);
  MapWindowPoints(nullptr, mainDialog, reinterpret_cast<POINT*>(&place), 2);
  HWND shownList = createList(mainDialog, 1005, WS_VISIBLE | LVS_OWNERDRAWFIXED, place);
  BareList shownBare(shownList);
  shownBare.fill(false, false);
  const double shownAlone = timed([&] {
    SendMessageA(shownList, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(shownList);
  });
  DestroyWindow(shownList);
  std::printf("window: the same search phase by phase (%d messages from the worker to the window thread, "
              "%d of them file names)\n", p.workerMessages, p.fileNames);
  auto line = [](const char* phase, double ours, const char* alone, double aloneMs) {
    std::printf("  %-44s %8.1f ms   %-44s %8.1f ms\n", phase, ours, alone, aloneMs);
  };
  line("button to the search (lists emptied)", span(clicked, p.begun), "", 0.0);
  line("progress dialog up, worker started", span(p.begun, p.workerStarted), "progress dialog opened and closed alone",
       dialogAlone);
  line("walk: files read and scanned, names shown", span(p.workerStarted, p.walked),
       "walk on one thread + names set alone", walkAlone + namesAlone);
  line("list phase shown", span(p.walked, p.listPhase), "", 0.0);
  line("the store's two passes", span(p.listPhase, p.passesDone), "the passes alone", passesAlone);
  line("refreshList: rows of the group list", span(p.passesDone, p.rowsBuilt), "bare list view filled", fillAlone);
  line("refreshList: sort", span(p.rowsBuilt, p.sorted), "bare list view sorted", sortAlone);
  line("refreshList's end, progress dialog closed", span(p.sorted, p.closed), "", 0.0);
  line("button returned", span(p.closed, returned), "", 0.0);
  line("list painted", span(returned, shown), "bare list in the dialog: redraw on, painted", shownAlone);
  DestroyWindow(bareList);
}

// The search on the real main dialog over a full store: 40 files holding the limit less one
// ruby (the limit itself would stop the clock with its message), the search button clicked,
// the clock stopped when the button returns with the list built and the list has painted.
// Baseline: reading the same files, and the bare list view filled with as many rows.
// The start-up's share that makes the captions fit the dialog's font: the main dialog created
// (the fit included, and the widening where the prefix's font needs it) beside its captions
// measured alone on the open dialog.
void benchMainDialogStart() {
  constexpr int Rounds = 20;
  HWND dialog = nullptr;
  const double created = timed([&] {
    for (int i = 0; i < Rounds; ++i) {
      if (dialog) DestroyWindow(dialog);
      dialog = createMainDialog();
    }
  }) / Rounds;
  if (!dialog) {
    std::printf("window: the main dialog could not be created\n");
    return;
  }
  RECT client;
  GetClientRect(dialog, &client);
  const double measured = timed([&] {
    for (int i = 0; i < Rounds; ++i) fitCaptions(dialog);
  }) / Rounds;
  DestroyWindow(dialog);
  std::printf("window: main dialog created %.2f ms (client %ld px wide), its captions measured %.2f ms; "
              "creation against creation without the measuring: ratio %.3f\n",
              created, client.right, measured, created > measured ? created / (created - measured) : 0.0);
}

void benchWindowSearch() {
  registerParentClass();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "obel_results_bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  static const char* const kanji[] = {"雨", "空", "海", "山", "川", "森", "林", "花", "草", "木", "水", "火"};
  static const char* const kana[] = {"あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ", "さ", "し"};
  constexpr int Files = 40;
  std::vector<std::string> texts(Files);
  unsigned seed = 12345;
  auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (std::uint32_t i = 0; i + 1 < MaxItems; ++i) {
    const unsigned keyNumber = next() % 6000;
    std::string line = "本文｜";
    unsigned k = keyNumber;
    for (int c = 0; c < 2 + static_cast<int>(keyNumber % 3); ++c, k /= 12) line += kanji[k % 12];
    line += "《";
    unsigned r = keyNumber * 7 + next() % (1 + keyNumber % 3);
    for (int c = 0; c < 3 + static_cast<int>(keyNumber % 4); ++c, r /= 12) line += kana[r % 12];
    line += "》\r\n";
    texts[i % Files] += line;
  }
  std::vector<std::string> paths;
  for (int f = 0; f < Files; ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "\\text%02d.txt", f);
    paths.push_back(folder + name);
    writeFile(paths.back(), texts[f]);
  }

  HWND dialog = createMainDialog();
  if (!dialog) {
    std::printf("window: the main dialog could not be created\n");
    return;
  }
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  HWND targets = GetDlgItem(dialog, IDC_TARGET_LIST);
  SendMessageA(targets, LB_RESETCONTENT, 0, 0);
  SendMessageA(targets, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((folder + "\\*.txt").c_str()));
  HWND button = GetDlgItem(dialog, IDC_SEARCH);
  EnableWindow(button, TRUE);
  HWND groups = GetDlgItem(dialog, IDC_GROUP_LIST);
  using Clock = std::chrono::steady_clock;
  // The marks show the search's stretch in a trace of the calls to the window server.
  GlobalFindAtomA("obel-bench-search-begins");
  const Clock::time_point clicked = Clock::now();
  SendMessageA(button, BM_CLICK, 0, 0);
  const Clock::time_point returned = Clock::now();
  UpdateWindow(groups);
  const Clock::time_point shown = Clock::now();
  GlobalFindAtomA("obel-bench-search-ends");
  const double ms = std::chrono::duration<double, std::milli>(shown - clicked).count();
  const int rows = static_cast<int>(SendMessageA(groups, LVM_GETITEMCOUNT, 0, 0));
  std::size_t bytes = 0;
  const double reading = timed([&] {
    for (const std::string& path : paths) bytes += readFile(path);
  });
  HWND parent = CreateWindowA("ObelBenchParent", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  HWND bareList = createList(parent, 1003);
  BareList bare(bareList);
  const double bareFill = timed([&] { bare.fill(); });
  printSearchBudget(dialog, lastSearchPhases(), clicked, returned, shown, folder + "\\*.txt", parent);
  std::printf("window: search of %u items from the button to the list of %d rows shown: ours %.1f ms, "
              "reading the %d files (%zu bytes) %.1f ms + bare list view of as many rows %.1f ms, ratio %.2f\n",
              process::store().itemCount, rows, ms, Files, bytes, reading, bareFill,
              reading + bareFill > 0 ? ms / (reading + bareFill) : 0.0);
  DestroyWindow(parent);
  DestroyWindow(dialog);
  for (const std::string& path : paths) DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
}
#endif

}  // namespace

// With the argument "window" only the search on the main dialog runs (for a trace of its calls).
int main(int argc, char** argv) {
  const bool windowOnly = argc > 1 && std::strcmp(argv[1], "window") == 0;
  if (!windowOnly) {
    fillStore();
    benchRowModel();
  }
#ifdef _WIN32
  if (!windowOnly) {
    benchListView();
    benchMainDialogStart();
  }
  benchWindowSearch();
#endif
  return 0;
}
