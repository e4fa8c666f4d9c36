// The message-box hook and the dialog driver that every window test relies on.
#include <gtest/gtest.h>

#include "app/resources/resource_ids.h"
#include "tests/gui/gui_support.h"

namespace obel::test {
namespace {

TEST(GuiSupport, RecordsAndAnswersAWarningBox) {
  DialogHook hook;
  int result = MessageBoxA(nullptr, "テキスト", "Obel", MB_OK | MB_ICONWARNING);
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(hook.boxes().size(), 1u);
  EXPECT_EQ(hook.boxes()[0].caption, "Obel");
  EXPECT_EQ(hook.boxes()[0].text, "テキスト");
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONWARNING);
  EXPECT_EQ(hook.boxes()[0].buttons, std::vector<int>{IDOK});
}

TEST(GuiSupport, AnswersWithTheChosenButtonsInOrder) {
  DialogHook hook(IDOK);
  hook.queueAnswers({IDCANCEL});
  EXPECT_EQ(MessageBoxA(nullptr, "q", "Obel", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "Obel", MB_OKCANCEL | MB_ICONQUESTION), IDOK);
  ASSERT_EQ(hook.boxes().size(), 2u);
  EXPECT_EQ(hook.boxes()[0].icon, MB_ICONQUESTION);
  EXPECT_EQ(hook.boxes()[0].buttons, (std::vector<int>{IDOK, IDCANCEL}));
}

INT_PTR CALLBACK endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

TEST(GuiSupport, HandsAModalDialogToTheTestAndCancelsItWithoutHandler) {
  DialogHook hook;
  hook.driveUnownedDialogs(true);
  std::string caption;
  hook.onDialog([&](HWND dialog) {
    caption = windowText(dialog);
    EndDialog(dialog, 7);
  });
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                   endOnCommand, 0);
  EXPECT_EQ(result, 7);
  EXPECT_EQ(caption, "Obel のバージョン情報");
  EXPECT_TRUE(hook.boxes().empty());

  hook.onDialog(nullptr);
  result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                           endOnCommand, 0);
  EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
}  // namespace obel::test
