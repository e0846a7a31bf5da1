// The modal text input over SDL text events. SDL has no edit control, so the
// text being edited is shown in the window's caption while the input is open.
#include "host/ui_text_input.h"

#include <vector>

#include "host/text.h"
#include "host/ui_sink.h"
#include "host/ui_window_internal.h"

namespace host::ui {

namespace {

detail::SinkSlot<TextInputSink> sink;

using text::charLength;

// Byte length of the UTF-8 sequence that starts with b (1 for stray bytes).
std::size_t utf8Length(unsigned char b) {
  if (b >= 0xF0) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC0) return 2;
  return 1;
}

std::string captionWithText(Window* owner, const std::string& text) {
  return text::cp932ToUtf8(owner->caption) + " [" + text::cp932ToUtf8(text) + "]";
}

// The running input. The game window's messages wait meanwhile: events that
// are not the input's own are kept and queued again when the input ends.
TextInputResult runInput(Window* owner, const std::string& initial) {
  LineEditor editor(initial);
  SDL_Rect area{0, 0, 256, 32};
  SDL_SetTextInputRect(&area);
  SDL_StartTextInput();
  SDL_SetWindowTitle(owner->sdl, captionWithText(owner, editor.text()).c_str());

  TextInputResult result{false, initial};
  std::vector<SDL_Event> waiting;
  for (bool open = true; open;) {
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) break;
    switch (e.type) {
      case SDL_TEXTINPUT:
        editor.insertUtf8(e.text.text);
        break;
      case SDL_TEXTEDITING:
      case SDL_KEYUP:
        break;
      case SDL_KEYDOWN:
        if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) {
          result = {true, editor.confirmedText()};
          open = false;
        } else if (e.key.keysym.sym == SDLK_ESCAPE) {
          open = false;
        } else if (e.key.keysym.sym == SDLK_BACKSPACE) {
          editor.backspace();
        }
        break;
      default:
        waiting.push_back(e);
        // A quit request or the window's closing ends the input; the game still sees it.
        if (e.type == SDL_QUIT ||
            (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
             e.window.windowID == SDL_GetWindowID(owner->sdl)))
          open = false;
        break;
    }
    if (open) SDL_SetWindowTitle(owner->sdl, captionWithText(owner, editor.text()).c_str());
  }
  SDL_StopTextInput();
  SDL_SetWindowTitle(owner->sdl, text::cp932ToUtf8(owner->caption).c_str());
  for (SDL_Event& e : waiting) SDL_PushEvent(&e);
  return result;
}

}  // namespace

void LineEditor::insertUtf8(const std::string& utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = utf8Length(static_cast<unsigned char>(utf8[i]));
    const std::string piece = text::utf8ToCp932(std::string_view(utf8).substr(i, length));
    i += length;
    if (text_.size() + piece.size() > kTextInputLimit) break;
    text_ += piece;
  }
}

void LineEditor::backspace() {
  std::size_t last = 0;
  for (std::size_t i = 0; i < text_.size(); i += charLength(text_, i)) last = i;
  text_.resize(last);
}

std::string LineEditor::confirmedText() const { return text_.substr(0, text::fitLength(text_, kTextInputLimit)); }

void setTextInputSink(TextInputSink newSink) { sink.set(std::move(newSink)); }

TextInputResult inputTextLine(Window* owner, const std::string& initial) {
  TextInputSink current = sink.get();
  if (current) return current(initial);
  if (!owner || !owner->alive || !owner->sdl || detail::videoIsHeadless()) return {false, initial};
  return runInput(owner, initial);
}

}  // namespace host::ui
