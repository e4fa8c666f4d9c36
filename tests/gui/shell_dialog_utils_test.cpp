// Dialog services on real dialogs and controls.
#include <gtest/gtest.h>

#include <string>

#include "app/dialog_utils.h"
#include "app/resources/resource_ids.h"
#include "tests/gui/gui_support.h"

namespace obel {
namespace {

using test::DialogHook;

INT_PTR CALLBACK limitingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    HWND control = reinterpret_cast<HWND>(lParam);
    if (HIWORD(wParam) == EN_UPDATE && LOWORD(wParam) == IDC_EDITOR_OPTIONS) limitTextBytes(control, 30);
    if (HIWORD(wParam) == EN_UPDATE && LOWORD(wParam) == IDC_FONT_SIZE) limitTextBytes(control, 2);
    if (HIWORD(wParam) == CBN_EDITUPDATE && LOWORD(wParam) == IDC_FONT_NAME) limitTextBytes(control, 50);
    (void)dialog;
    return TRUE;
  }
  return FALSE;
}

struct Field {
  std::string text;
  DWORD caret;
};

Field fieldOf(HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {test::windowText(edit), start};
}

// Puts text into the edit control and the caret at the given character position.
void prepare(HWND edit, const char* text, int caretCharacters) {
  SetWindowTextA(edit, text);
  SendMessageA(edit, EM_SETSEL, caretCharacters, caretCharacters);
}

void type(HWND edit, const char* text) {
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

class DialogUtilsTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog = test::createDialog(IDD_SETTINGS, limitingProc);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    options = GetDlgItem(dialog, IDC_EDITOR_OPTIONS);
  }
  void TearDown() override { DestroyWindow(dialog); }
  HWND dialog = nullptr;
  HWND options = nullptr;
};

TEST_F(DialogUtilsTest, DoubleByteCharacterTypedAtTheLimitGoesWhole) {
  std::string full(29, 'a');
  prepare(options, full.c_str(), 29);
  type(options, "漢");
  Field f = fieldOf(options);
  EXPECT_EQ(f.text, full);
  EXPECT_EQ(f.caret, 29u) << "the caret stays where it was before the typing";
  // One byte still fits.
  type(options, "b");
  EXPECT_EQ(fieldOf(options).text, full + "b");
}

TEST_F(DialogUtilsTest, PasteIntoAFullFieldKeepsTheTextAfterTheCaret) {
  // Characters before the caret are double-byte, so characters and bytes differ.
  std::string text = std::string("漢字") + std::string(26, 'x');  // 30 bytes, 28 characters
  prepare(options, text.c_str(), 2);
  type(options, "ABC");
  Field f = fieldOf(options);
  EXPECT_EQ(f.text, text);
  SelectionUnits units = selectionUnits(options, controlClassIndex(options));
  EXPECT_TRUE(units.known);
  DWORD expectedCaret = units.setInCharacters ? 2 : 4;
  EXPECT_EQ(f.caret, expectedCaret);

}

TEST_F(DialogUtilsTest, MoreExcessThanTextBeforeTheCaretKeepsTheStart) {
  // A field set whole (not typed) with the caret at its start: the first 30 bytes stay, less
  // the lead byte of a character that the cut would split, and the caret goes to the start.
  prepare(options, (std::string(29, 'y') + "漢zz").c_str(), 0);
  SendMessageA(options, EM_SETSEL, 0, 0);
  limitTextBytes(options, 30);
  Field f = fieldOf(options);
  EXPECT_EQ(f.text, std::string(29, 'y'));
  EXPECT_EQ(f.caret, 0u);
}

TEST_F(DialogUtilsTest, FieldWithinTheLimitIsLeftAlone) {
  prepare(options, "abc", 1);
  SendMessageA(options, EM_SETSEL, 1, 2);
  limitTextBytes(options, 30);
  DWORD start = 0, end = 0;
  SendMessageA(options, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 2u) << "no selection change";
}

TEST_F(DialogUtilsTest, FontSizeFieldRefusesAThirdDigit) {
  HWND size = GetDlgItem(dialog, IDC_FONT_SIZE);
  prepare(size, "12", 2);
  type(size, "3");
  EXPECT_EQ(test::windowText(size), "12");
}

TEST_F(DialogUtilsTest, ComboBoxFieldIsLimitedThroughItsEditSelection) {
  HWND combo = GetDlgItem(dialog, IDC_FONT_NAME);
  HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(controlClassIndex(combo), 4);
  std::string name = std::string("ＭＳ") + std::string(45, 'g');  // 49 bytes
  SetWindowTextA(combo, name.c_str());
  SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(47, 47));
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("明"));
  EXPECT_EQ(test::windowText(combo), name);
  DWORD start = 0, end = 0;
  SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 47u);
}

TEST_F(DialogUtilsTest, FieldChecksShowTheirMessagesAndMoveTheFocus) {
  DialogHook hook;
  SetFocus(GetDlgItem(dialog, IDC_QUERY_EXIT));
  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "");
  EXPECT_FALSE(requireField(dialog, IDC_EDITOR_PATH, "実行ファイル"));
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].text, "実行ファイルが未入力です。");
  EXPECT_EQ(hook.boxes()[0].caption, "Obel");
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  EXPECT_EQ(hook.boxes()[0].owner, dialog);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_EDITOR_PATH));

  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "   ");
  EXPECT_TRUE(requireField(dialog, IDC_EDITOR_PATH, "実行ファイル")) << "blanks count as text";
  EXPECT_TRUE(checkFieldLength(dialog, IDC_EDITOR_PATH, "ファイル名", 3));
  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "abcd");
  EXPECT_FALSE(checkFieldLength(dialog, IDC_EDITOR_PATH, "ファイル名", 3));
  ASSERT_EQ(hook.boxes().size(), 2u);
  EXPECT_EQ(hook.boxes()[1].text, "ファイル名が長すぎます。");
  SetDlgItemTextA(dialog, IDC_EDITOR_PATH, "漢字");
  EXPECT_TRUE(checkFieldLength(dialog, IDC_EDITOR_PATH, "ファイル名", 4));

  showFieldMessage(dialog, IDC_FONT_SIZE, "フォントサイズ", "が不正です。");
  ASSERT_EQ(hook.boxes().size(), 3u);
  EXPECT_EQ(hook.boxes()[2].text, "フォントサイズが不正です。");
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FONT_SIZE));
}

RECT workArea() {
  RECT r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

TEST(DialogPlacement, CentresOverAVisibleOwnerAndOnTheWorkAreaOtherwise) {
  HWND owner = test::createDialog(IDD_MAIN, test::plainDialogProc);
  HWND dialog = test::createDialog(IDD_ABOUT, test::plainDialogProc, owner);
  ASSERT_NE(dialog, nullptr);
  MoveWindow(owner, 100, 120, 600, 500, FALSE);
  RECT before;
  GetWindowRect(dialog, &before);
  int width = before.right - before.left, height = before.bottom - before.top;

  centerOnOwner(dialog);  // owner hidden: the work area
  RECT area = workArea();
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, before.left + (area.left + area.right) / 2 - (before.left + before.right) / 2);
  EXPECT_EQ(r.right - r.left, width);

  ShowWindow(owner, SW_SHOWNA);
  centerOnOwner(dialog);
  GetWindowRect(dialog, &r);
  EXPECT_NEAR((r.left + r.right) / 2, 400, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, 370, 1);
  EXPECT_EQ(r.bottom - r.top, height);

  // Owner near the bottom-right corner: the dialog stays inside the work area.
  MoveWindow(owner, area.right - 50, area.bottom - 50, 600, 500, FALSE);
  centerOnOwner(dialog);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right, area.right);
  EXPECT_EQ(r.bottom, area.bottom);

  // A dialog larger than the work area is shrunk to it at its top-left corner.
  MoveWindow(dialog, 0, 0, area.right - area.left + 300, area.bottom - area.top + 300, FALSE);
  centerOnWindow(dialog, nullptr);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, area.left);
  EXPECT_EQ(r.top, area.top);
  EXPECT_EQ(r.right, area.right);
  EXPECT_EQ(r.bottom, area.bottom);
  DestroyWindow(dialog);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace obel
