// Message boxes: the test sink, and the headless path that answers by itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/ui.h"

namespace {

using namespace host::ui;

struct Recorded {
  std::string text;
  std::string caption;
  unsigned type;
};

TEST(MessageBox, SinkRecordsEachBoxAndChoosesTheAnswer) {
  std::vector<Recorded> boxes;
  setMessageBoxSink([&](const std::string& text, const std::string& caption, unsigned type) {
    boxes.push_back({text, caption, type});
    return IDRETRY;
  });
  EXPECT_EQ(messageBox(nullptr, "ファイルロードエラー", "エラー", MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
  EXPECT_EQ(messageBox(nullptr, "b", "c", MB_OK), IDRETRY);
  setMessageBoxSink(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "ファイルロードエラー");
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_EQ(boxes[0].type, MB_RETRYCANCEL | MB_ICONERROR);
}

TEST(MessageBox, WithoutDisplayPrintsAndGivesTheDefaultAnswer) {
  struct Case {
    unsigned type;
    int answer;
  };
  const Case cases[] = {
      {MB_OK, IDOK},
      {MB_OK | MB_ICONERROR | MB_DEFBUTTON2, IDOK},  // no second button: the first
      {MB_OKCANCEL, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {MB_YESNOCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_RETRYCANCEL, IDCANCEL},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, IDCANCEL},
      {0x7, IDOK},  // not a Windows set: shown as an OK box
  };
  const char* previous = std::getenv("SDL_VIDEODRIVER");
  const std::string saved = previous ? previous : "";
  for (const char* driver : {"offscreen", "dummy"}) {
    setenv("SDL_VIDEODRIVER", driver, 1);
    for (const Case& c : cases) {
      EXPECT_EQ(defaultAnswer(c.type), c.answer) << std::hex << c.type;
      ::testing::internal::CaptureStderr();
      int answer = messageBox(nullptr, "テキスト", "エラー", c.type);
      std::string printed = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(answer, c.answer) << driver << " " << std::hex << c.type;
      EXPECT_EQ(printed, u8"エラー: テキスト\n");
    }
  }
  // Bytes that are no CP932 character are marked, not lost with the rest.
  ::testing::internal::CaptureStderr();
  messageBox(nullptr, "a\x80" "b\x81", "c", MB_OK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "c: a?b?\n");
  if (previous) setenv("SDL_VIDEODRIVER", saved.c_str(), 1); else unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
