// The modal one-line text input that scripts open (the edit box of the
// original): it takes keyboard text until Return or Escape, while the game
// window's messages wait. Texts are program (CP932) strings.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace host::ui {

class Window;

struct TextInputResult {
  bool confirmed = false;  // true only when Return ended the input
  std::string text;
};

// The longest confirmed text, in bytes (a 1024-byte buffer with its terminator).
constexpr std::size_t kTextInputLimit = 1023;

// Shows the input over the owner's client area with `initial` as its text and
// waits. Return gives true and the text (cut at kTextInputLimit bytes);
// Escape gives false and the initial text. A quit request or the owner's
// closing ends it with false and the initial text, and stays queued for the
// game. Where nobody can type (no display, no window) it ends at once that way.
// With a test sink installed the sink answers.
TextInputResult inputTextLine(Window* owner, const std::string& initial);

// Test hook: every input goes to the sink, which answers it.
using TextInputSink = std::function<TextInputResult(const std::string& initial)>;
void setTextInputSink(TextInputSink sink);  // an empty function removes it

// The editing behind the input: typed UTF-8 text is appended as CP932 (a
// character the code page lacks is dropped) up to the limit; backspace removes
// one whole character.
class LineEditor {
 public:
  explicit LineEditor(std::string initial) : initial_(initial), text_(std::move(initial)) {}
  void insertUtf8(const std::string& utf8);
  void backspace();
  const std::string& text() const { return text_; }
  const std::string& initial() const { return initial_; }
  // The text as Return hands it over.
  std::string confirmedText() const;

 private:
  std::string initial_;
  std::string text_;
};

}  // namespace host::ui
