// Opening the selected occurrence in the user's text editor.
#include <windows.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/editor_command.h"
#include "app/resources/resource_ids.h"
#include "app/unix_program.h"
#include "engine/store.h"
#include "results/list_model.h"
#include "results/sortable_list_view_win32.h"
#include "settings/settings.h"

namespace obel {

namespace {

// Starts the editor on the item's file. A Unix program under Wine gets the file's Unix path and
// its command line in the Unix encoding; every other editor the code page 932 line as it is.
bool startEditor(const Settings& s, const RubyItem& item, PROCESS_INFORMATION& process) {
  if (isUnixProgram(s.textEditor)) {
    std::wstring commandLine =
        unixEditorCommandLine(s.textEditor, s.commandLine, item.file->path, item.line, item.column);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L".", &startup,
                          &process);
  }
  static char commandLine[EditorCommandLineBytes];
  buildEditorCommandLine(s.textEditor, s.commandLine, item.file->path, item.line, item.column, commandLine,
                         sizeof commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, ".", &startup, &process);
}

}  // namespace

void launchTextEditor(HWND dialog, HWND list) {
  ListViewRows rows(list, nullptr);
  const RubyItem* item = selectedItem(rows);  // none unless exactly one row is selected
  if (!item || !item->file) {
    EnableWindow(GetDlgItem(dialog, IDC_OPEN), FALSE);
    return;
  }
  const Settings& s = process::settings();
  if (s.textEditor[0] == '\0' || s.commandLine[0] == '\0') {
    showWarning(dialog, "テキストエディタが設定されていません");
    return;
  }
  PROCESS_INFORMATION process{};
  if (!startEditor(s, *item, process)) {
    showWarning(dialog, "テキストエディタの起動に失敗しました。設定を確認して下さい。");
    return;
  }
  // The editor runs on its own: no waiting, no handles kept.
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

}  // namespace obel
