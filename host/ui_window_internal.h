// Inside the host layer only: the window record behind host::ui::Window and the
// SDL start-up shared by the window, event and message-box code.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/ui.h"

namespace host::ui {

class Window {
 public:
  struct Timer {
    unsigned id;
    unsigned periodMs;
    std::uint64_t dueMs;
  };

  std::string className;
  std::string caption;  // program (CP932) text
  unsigned style = 0;
  WindowProc proc = nullptr;
  SDL_Window* sdl = nullptr;  // null when there is no video at all
  bool alive = true;
  bool focused = false;
  // The window cannot receive the focus (offscreen): it keeps it from creation.
  bool forcedFocus = false;
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<Timer> timers;
};

namespace detail {

// Starts SDL's video and event subsystems once. False when no video driver
// works; the layer then runs without windows on screen.
bool ensureVideo();
// True when the video driver cannot give a window the keyboard focus.
bool videoIsHeadless();
// The live window with that SDL window id, or null.
Window* windowFromSdlId(std::uint32_t id);
// Every window made so far (dead ones included), for the event code.
std::vector<Window*> allWindows();
// Milliseconds of a steady clock, for timers.
std::uint64_t nowMs();
// Called with a window just before its SDL window goes: the GL layer moves
// its context off a window it still has current.
void setWindowGoingHook(void (*hook)(Window* window));

}  // namespace detail
}  // namespace host::ui
