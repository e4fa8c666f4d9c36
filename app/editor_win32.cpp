// Opening the selected occurrence in the user's text editor.
#include <windows.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/editor_command.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "results/list_model.h"
#include "results/sortable_list_view_win32.h"
#include "settings/settings.h"

namespace obel {

void launchTextEditor(HWND dialog, HWND list) {
  ListViewRows rows(list, nullptr);
  const RubyItem* item = selectedItem(rows);  // none unless exactly one row is selected
  if (!item || !item->file) {
    EnableWindow(GetDlgItem(dialog, IDC_OPEN), FALSE);
    return;
  }
  const Settings& s = settings();
  if (s.textEditor[0] == '\0' || s.commandLine[0] == '\0') {
    showWarning(dialog, "テキストエディタが設定されていません");
    return;
  }
  static char commandLine[EditorCommandLineBytes];
  buildEditorCommandLine(s.textEditor, s.commandLine, item->file->path, item->line, item->column, commandLine,
                         sizeof commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, ".", &startup, &process)) {
    showWarning(dialog, "テキストエディタの起動に失敗しました。設定を確認して下さい。");
    return;
  }
  // The editor runs on its own: no waiting, no handles kept.
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

}  // namespace obel
