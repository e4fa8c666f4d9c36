// Opening the selected occurrence in the user's text editor.
#include <windows.h>
#include <commctrl.h>

#include "app/commands.h"
#include "app/dialog_utils.h"
#include "app/editor_command.h"
#include "app/resources/resource_ids.h"
#include "engine/store.h"
#include "settings/settings.h"

namespace obel {

namespace {

// The item of the list's only selected row; none unless exactly one row is selected.
const RubyItem* singleSelectedItem(HWND list) {
  if (!list || SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return nullptr;
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    if (!(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)) continue;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<const RubyItem*>(item.lParam);
  }
  return nullptr;
}

}  // namespace

void launchTextEditor(HWND dialog, HWND list) {
  const RubyItem* item = singleSelectedItem(list);
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
