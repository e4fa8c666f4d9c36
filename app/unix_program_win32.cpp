#include "app/unix_program.h"

#include <windows.h>

#include <vector>

#include "app/editor_command.h"

namespace obel {

namespace {

std::wstring widen(const char* text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

std::string narrow(const std::wstring& wide, UINT codePage) {
  const int length = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.c_str(), -1, text.data(), length, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(length) - 1);
  return text;
}

bool hasWindowsExecutableHeader(const char* head, DWORD length) {
  return length >= 2 && head[0] == 'M' && head[1] == 'Z';
}

}  // namespace

std::string unixFileName(const char* path) {
  // Looked up at run time: Windows has no such export, and the program must still start there.
  using Converter = char*(CDECL*)(LPCWSTR);
  static const auto convert = reinterpret_cast<Converter>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert || path[0] == '\0') return {};
  const std::wstring wide = widen(path, CP_ACP);
  char* unix = convert(wide.c_str());
  if (!unix) return {};
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);  // the export allocates on the process heap
  return result;
}

bool isUnixProgram(const char* path) {
  if (unixFileName(path).empty()) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;  // nothing to start: the launch reports it
  char head[2] = {};
  DWORD read = 0;
  const BOOL ok = ReadFile(file, head, sizeof head, &read, nullptr);
  CloseHandle(file);
  return ok && !hasWindowsExecutableHeader(head, read);
}

std::wstring unixEditorCommandLine(const char* editorPath, const char* argumentTemplate, const char* filePath,
                                   int line, int column) {
  std::string file = unixFileName(filePath);
  if (file.empty()) file = narrow(widen(filePath, CP_ACP), CP_UTF8);
  const std::string editor = narrow(widen(editorPath, CP_ACP), CP_UTF8);
  const std::string arguments = narrow(widen(argumentTemplate, CP_ACP), CP_UTF8);
  // UTF-8 takes up to half as much again as code page 932, and a Unix path may be longer than
  // 259 bytes: room for the worst case of every placeholder.
  std::vector<char> built(2 * EditorCommandLineBytes + 16 * file.size());
  buildEditorCommandLine(editor.c_str(), arguments.c_str(), file.c_str(), line, column, built.data(), built.size());
  return widen(built.data(), CP_UTF8);
}

}  // namespace obel
