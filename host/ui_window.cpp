// The game window over SDL2: creation, modes, focus and the cursor.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>

#include "host/text.h"
#include "host/ui_window_internal.h"

namespace host::ui {
namespace detail {
namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::unique_ptr<Window>> windows;
};

Registry& registry() {
  static Registry r;
  return r;
}

bool g_videoTried = false;
bool g_videoUp = false;

}  // namespace

bool ensureVideo() {
  if (g_videoTried) return g_videoUp;
  g_videoTried = true;
  // Closing the window is the game's business (WM_CLOSE), not SDL's.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  g_videoUp = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
  if (!g_videoUp && !SDL_GetHint(SDL_HINT_VIDEODRIVER)) {
    // No display: run on the offscreen driver rather than not at all.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    g_videoUp = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
  }
  return g_videoUp;
}

bool videoIsHeadless() {
  if (!ensureVideo()) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

Window* windowFromSdlId(std::uint32_t id) {
  std::lock_guard<std::mutex> lock(registry().mutex);
  for (auto& w : registry().windows) {
    if (w->alive && w->sdl && SDL_GetWindowID(w->sdl) == id) return w.get();
  }
  return nullptr;
}

std::vector<Window*> allWindows() {
  std::lock_guard<std::mutex> lock(registry().mutex);
  std::vector<Window*> all;
  for (auto& w : registry().windows) all.push_back(w.get());
  return all;
}

std::uint64_t nowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace detail

namespace {

// Window records live until the process ends, so stale pointers stay harmless.
Window* registerWindow(std::unique_ptr<Window> window) {
  std::lock_guard<std::mutex> lock(detail::registry().mutex);
  detail::registry().windows.push_back(std::move(window));
  return detail::registry().windows.back().get();
}

std::string utf8(const std::string& cp932) {
  std::string converted = text::cp932ToUtf8(cp932);
  return converted.empty() ? cp932 : converted;
}

bool usable(Window* window) { return window && window->alive; }

}  // namespace

Window* createWindow(const std::string& className, const std::string& caption, unsigned style,
                     int clientWidth, int clientHeight, WindowProc proc) {
  auto record = std::make_unique<Window>();
  record->className = className;
  record->caption = caption;
  record->style = style;
  record->proc = proc;
  record->clientWidth = clientWidth;
  record->clientHeight = clientHeight;
  if (detail::ensureVideo()) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    // On a real display the GPU layer presents into the window with GL.
    const bool gl = !detail::videoIsHeadless();
    record->sdl = SDL_CreateWindow(utf8(caption).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   std::max(clientWidth, 1), std::max(clientHeight, 1),
                                   flags | (gl ? SDL_WINDOW_OPENGL : 0));
    if (!record->sdl && gl)
      record->sdl = SDL_CreateWindow(utf8(caption).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     std::max(clientWidth, 1), std::max(clientHeight, 1), flags);
    // The game keeps the screen awake while it runs.
    SDL_DisableScreenSaver();
  }
  record->forcedFocus = !record->sdl || detail::videoIsHeadless();
  Window* window = registerWindow(std::move(record));

  sendMessage(window, WM_CREATE, 0, 0);
  if (window->forcedFocus && window->alive) {
    window->focused = true;
    sendMessage(window, WM_SETFOCUS, 0, 0);
  }
  return window;
}

namespace {
void (*windowGoingHook)(Window*) = nullptr;
}  // namespace

void detail::setWindowGoingHook(void (*hook)(Window* window)) { windowGoingHook = hook; }

void destroyWindow(Window* window) {
  if (!usable(window)) return;
  sendMessage(window, WM_DESTROY, 0, 0);
  window->alive = false;
  window->focused = false;
  window->timers.clear();
  if (window->sdl) {
    if (windowGoingHook) windowGoingHook(window);
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
  }
}

bool isWindow(Window* window) { return usable(window); }

void showWindow(Window* window) {
  if (usable(window) && window->sdl) SDL_ShowWindow(window->sdl);
}

void setFocus(Window* window) {
  if (usable(window) && window->sdl && !window->forcedFocus) SDL_RaiseWindow(window->sdl);
}

bool hasFocus(Window* window) { return usable(window) && window->focused; }

const std::string& windowCaption(Window* window) {
  static const std::string none;
  return window ? window->caption : none;
}

const std::string& windowClassName(Window* window) {
  static const std::string none;
  return window ? window->className : none;
}

void setWindowStyle(Window* window, unsigned style) {
  if (usable(window)) window->style = style;
}

unsigned windowStyle(Window* window) { return window ? window->style : 0; }

void setWindowedClientSize(Window* window, int width, int height) {
  if (!usable(window)) return;
  window->clientWidth = width;
  window->clientHeight = height;
  if (!window->sdl) return;
  SDL_SetWindowFullscreen(window->sdl, 0);
  SDL_SetWindowBordered(window->sdl, SDL_TRUE);
  SDL_SetWindowAlwaysOnTop(window->sdl, SDL_FALSE);
  SDL_SetWindowSize(window->sdl, std::max(width, 1), std::max(height, 1));
  SDL_ShowWindow(window->sdl);
}

void setBorderlessFullScreen(Window* window) {
  if (!usable(window)) return;
  window->style = WS_POPUP | WS_VISIBLE;
  desktopSize(&window->clientWidth, &window->clientHeight);
  if (!window->sdl) return;
  SDL_SetWindowBordered(window->sdl, SDL_FALSE);
  SDL_SetWindowAlwaysOnTop(window->sdl, SDL_TRUE);
  SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_ShowWindow(window->sdl);
}

void clientSize(Window* window, int* width, int* height) {
  int w = 0, h = 0;
  if (window) {
    w = window->clientWidth;
    h = window->clientHeight;
    if (window->alive && window->sdl) SDL_GetWindowSize(window->sdl, &w, &h);
  }
  if (width) *width = w;
  if (height) *height = h;
}

void desktopSize(int* width, int* height) {
  SDL_DisplayMode mode{};
  int w = 1280, h = 720;  // a sensible size when no display can be asked
  if (detail::ensureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    w = mode.w;
    h = mode.h;
  }
  if (width) *width = w;
  if (height) *height = h;
}

// ------------------------------------------------------------------- cursor

struct Cursor {
  SystemCursor shape;
  SDL_Cursor* sdl = nullptr;  // made on first use; stays null without video
};

namespace {

Cursor g_arrow{SystemCursor::Arrow};
Cursor g_wait{SystemCursor::Wait};
Cursor* g_current = &g_arrow;

}  // namespace

Cursor* loadCursor(SystemCursor shape) { return shape == SystemCursor::Wait ? &g_wait : &g_arrow; }

Cursor* setCursor(Cursor* cursor) {
  Cursor* previous = g_current;
  g_current = cursor;
  if (!detail::ensureVideo()) return previous;
  if (!cursor) {
    SDL_ShowCursor(SDL_DISABLE);
    return previous;
  }
  if (!cursor->sdl) {
    cursor->sdl = SDL_CreateSystemCursor(cursor->shape == SystemCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT
                                                                             : SDL_SYSTEM_CURSOR_ARROW);
  }
  if (cursor->sdl) SDL_SetCursor(cursor->sdl);
  SDL_ShowCursor(SDL_ENABLE);
  return previous;
}

Cursor* getCursor() { return g_current; }

}  // namespace host::ui
