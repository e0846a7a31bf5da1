// The window globals run from Lua (size and mode, text and number input, the
// yes/no question, cursors), and the editing behind the text input.
#include <gtest/gtest.h>

#include "host/ui_text_input.h"
#include "kernel/rk_device_context.h"
#include "script_misc/script_misc_fixture.h"

namespace {

class WindowApi : public rktest::ScriptMiscFixture {
 protected:
  void SetUp() override {
    ScriptMiscFixture::SetUp();
    context->setWindowed(true);
  }
  void TearDown() override {
    host::ui::setTextInputSink({});
    context->setWindowed(true);
    context->setScreenSize(1280, 720);
    ScriptMiscFixture::TearDown();
  }
  // Every input is answered by pressing Return (or Escape) after typing
  // `typed`; the initial texts are recorded.
  void answerInputs(bool confirm, const std::string& typed = "") {
    host::ui::setTextInputSink([this, confirm, typed](const std::string& initial) {
      initials.push_back(initial);
      host::ui::LineEditor editor(initial);
      editor.insertUtf8(typed);
      return confirm ? host::ui::TextInputResult{true, editor.confirmedText()}
                     : host::ui::TextInputResult{false, editor.initial()};
    });
  }

  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  std::vector<std::string> initials;
};

TEST_F(WindowApi, SizeAndModeAreStoredInTheDeviceContext) {
  EXPECT_EQ(run("resizeWindow(1280, 720) local w, h = getWindowSize() check(w == 1280 and h == 720)"), "");
  struct Case {
    const char* call;
    bool windowed;
  };
  const Case cases[] = {
      {"setFullScreen(true)", false}, {"setFullScreen(false)", true}, {"setFullScreen(0)", false},
      {"setFullScreen()", true},      {"setFullScreen('no')", false}, {"setFullScreen(nil)", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.call), "") << c.call;
    EXPECT_EQ(context->isWindowed(), c.windowed) << c.call;
  }
  EXPECT_EQ(run("setFullScreen(1) resizeWindow(640.9, 480) local w, h = getWindowSize() check(w == 640 and h == 480)"),
            "");
  context->setResetMode(true);
  EXPECT_EQ(run("check(values(resetDevice()).n == 0)"), "");
  EXPECT_FALSE(context->resetMode());
}

TEST_F(WindowApi, YesNoBoxAnswersThroughTheSink) {
  answers = {host::ui::IDYES, host::ui::IDNO};
  EXPECT_EQ(run(R"(
    check(dispYesNoMessageBox('Quit?', 'Title') == true)
    check(dispYesNoMessageBox('Quit?', 'Title') == false)
    check(dispYesNoMessageBox('Again?') == false, 'the default answer is No')
  )"), "");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Quit?");
  EXPECT_EQ(boxes[0].caption, "Title");
  EXPECT_EQ(boxes[0].type, host::ui::MB_YESNO | host::ui::MB_ICONQUESTION | host::ui::MB_DEFBUTTON2);
}

TEST_F(WindowApi, TextInputGivesTheTextOrTheInitialTextBack) {
  answerInputs(true, "def");
  EXPECT_EQ(run("local ok, text = inputText('abc') check(ok == true and text == 'abcdef')"), "");
  answerInputs(false, "def");
  EXPECT_EQ(run("local ok, text = inputText('abc') check(ok == false and text == 'abc', text)"), "");
  EXPECT_EQ(run("local ok, text = inputText(12) check(text == '12')"), "");
  EXPECT_EQ(initials, (std::vector<std::string>{"abc", "abc", "12"}));

  // Nobody can type here (no display and no window): ends at once, unconfirmed.
  host::ui::setTextInputSink({});
  EXPECT_EQ(run("local ok, text = inputText('keep') check(ok == false and text == 'keep')"), "");
}

TEST_F(WindowApi, NumberInputTravelsAsSinglePrecisionText) {
  answerInputs(true);
  EXPECT_EQ(run("local ok, n = inputNumber(1.5) check(ok == true and n == 1.5)"), "");
  EXPECT_EQ(run("local ok, n = inputNumber(0.1) check(n ~= 0.1 and math.abs(n - 0.1) < 1e-8)"), "");
  answerInputs(false, "99");
  EXPECT_EQ(run("local ok, n = inputNumber(1.5) check(ok == false and n == 1.5)"), "");
  EXPECT_EQ(initials[0], "1.500000");
  EXPECT_EQ(initials[1], "0.100000");

  // Confirmed text that is no number gives the initial number back.
  host::ui::setTextInputSink([](const std::string&) { return host::ui::TextInputResult{true, "abc"}; });
  EXPECT_EQ(run("local ok, n = inputNumber(2.25) check(ok == true and n == 2.25)"), "");
  host::ui::setTextInputSink([](const std::string&) { return host::ui::TextInputResult{true, "-7.5e1"}; });
  EXPECT_EQ(run("local ok, n = inputNumber() check(n == -75)"), "");
}

TEST_F(WindowApi, CursorShapes) {
  EXPECT_EQ(run("setWaitCursor()"), "");
  EXPECT_EQ(host::ui::getCursor(), host::ui::loadCursor(host::ui::SystemCursor::Wait));
  EXPECT_EQ(run("setNormalCursor()"), "");
  EXPECT_EQ(host::ui::getCursor(), host::ui::loadCursor(host::ui::SystemCursor::Arrow));
}

TEST(LineEditor, TypesInTheCodePageAndErasesWholeCharacters) {
  host::ui::LineEditor editor("a");
  editor.insertUtf8(u8"bあ😀c");  // the emoji has no CP932 form: dropped
  EXPECT_EQ(editor.text(), "abあc");
  editor.backspace();
  editor.backspace();
  EXPECT_EQ(editor.text(), "ab");
  editor.backspace();
  editor.backspace();
  editor.backspace();
  EXPECT_EQ(editor.text(), "");
  EXPECT_EQ(editor.initial(), "a");

  // The limit holds while typing and when a long initial text is confirmed.
  host::ui::LineEditor full(std::string(1022, 'x'));
  full.insertUtf8(u8"あy");  // the double-byte character would cross the limit
  EXPECT_EQ(full.text(), std::string(1022, 'x'));
  full.insertUtf8("y");
  EXPECT_EQ(full.text().size(), 1023u);
  host::ui::LineEditor longer(std::string(2000, 'z'));
  EXPECT_EQ(longer.confirmedText(), std::string(1023, 'z'));
  longer.backspace();
  EXPECT_EQ(longer.text().size(), 1999u);
}

}  // namespace
