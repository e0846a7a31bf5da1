// The message queue: SDL events turned into window messages, posted messages,
// timers, WM_QUIT, dispatch and the default handling of unhandled messages.
#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

#include "host/ui_window_internal.h"

namespace host::ui {
namespace {

struct Queue {
  std::mutex mutex;
  std::deque<Message> messages;
  bool quitPosted = false;
  int quitCode = 0;
};

Queue& queue() {
  static Queue q;
  return q;
}

void enqueue(Window* window, unsigned message, WParam wParam, LParam lParam) {
  std::lock_guard<std::mutex> lock(queue().mutex);
  queue().messages.push_back(Message{window, message, wParam, lParam});
}

unsigned virtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<unsigned>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<unsigned>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<unsigned>(key - SDLK_F1);
  switch (key) {
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    default: return 0;
  }
}

Window* firstLiveWindow() {
  for (Window* w : detail::allWindows()) {
    if (w->alive) return w;
  }
  return nullptr;
}

void translateWindowEvent(const SDL_WindowEvent& e) {
  Window* w = detail::windowFromSdlId(e.windowID);
  if (!w) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      if (!w->focused) {
        w->focused = true;
        enqueue(w, WM_SETFOCUS, 0, 0);
      }
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (w->focused && !w->forcedFocus) {
        w->focused = false;
        enqueue(w, WM_KILLFOCUS, 0, 0);
      }
      break;
    case SDL_WINDOWEVENT_CLOSE:
      enqueue(w, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      enqueue(w, WM_PAINT, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED:
      enqueue(w, WM_MOVE, 0, makePointLParam(e.data1, e.data2));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      w->clientWidth = e.data1;
      w->clientHeight = e.data2;
      enqueue(w, WM_SIZE, 0, makePointLParam(e.data1, e.data2));
      break;
    default:
      break;
  }
}

void translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      // A termination signal or the session ending: close the game as the user would.
      if (Window* w = firstLiveWindow()) enqueue(w, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      translateWindowEvent(e.window);
      break;
    case SDL_MOUSEMOTION:
      if (Window* w = detail::windowFromSdlId(e.motion.windowID)) enqueue(w, WM_MOUSEMOVE, 0, makePointLParam(e.motion.x, e.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Window* w = detail::windowFromSdlId(e.button.windowID);
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      unsigned message = 0;
      if (e.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      if (e.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      if (w && message) enqueue(w, message, 0, makePointLParam(e.button.x, e.button.y));
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      Window* w = detail::windowFromSdlId(e.key.windowID);
      const unsigned vk = virtualKey(e.key.keysym.sym);
      if (!w || !vk) break;
      // Keys pressed with Alt arrive as system keys, as on Windows.
      const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      const bool down = e.type == SDL_KEYDOWN;
      const unsigned message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
      enqueue(w, message, vk, alt ? kKeyAltDown : 0);
      break;
    }
    default:
      break;
  }
}

void pumpSdl() {
  if (!detail::ensureVideo()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) translate(e);
}

// Like Windows, a timer message is made only when nothing else is waiting.
void queueDueTimer() {
  const std::uint64_t now = detail::nowMs();
  for (Window* w : detail::allWindows()) {
    if (!w->alive) continue;
    for (Window::Timer& t : w->timers) {
      if (now >= t.dueMs) {
        t.dueMs = now + t.periodMs;
        enqueue(w, WM_TIMER, t.id, 0);
        return;
      }
    }
  }
}

// Milliseconds until the next timer is due (capped, so posted messages are seen).
std::uint64_t msUntilNextTimer() {
  constexpr std::uint64_t kMaxWait = 50;
  const std::uint64_t now = detail::nowMs();
  std::uint64_t wait = kMaxWait;
  for (Window* w : detail::allWindows()) {
    if (!w->alive) continue;
    for (const Window::Timer& t : w->timers) wait = std::min(wait, t.dueMs > now ? t.dueMs - now : 0);
  }
  return wait;
}

// Takes the next message without waiting; messages of destroyed windows are dropped.
bool takeMessage(Message* out) {
  pumpSdl();
  Queue& q = queue();
  for (int round = 0; round < 2; ++round) {
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      while (!q.messages.empty()) {
        Message m = q.messages.front();
        q.messages.pop_front();
        if (m.window && !m.window->alive) continue;
        *out = m;
        return true;
      }
      if (q.quitPosted) {
        q.quitPosted = false;
        *out = Message{nullptr, WM_QUIT, static_cast<WParam>(q.quitCode), 0};
        return true;
      }
    }
    if (round == 0) queueDueTimer();
  }
  return false;
}

}  // namespace

bool peekMessage(Message* message) {
  Message m;
  if (!takeMessage(&m)) return false;
  if (message) *message = m;
  return true;
}

int getMessage(Message* message) {
  Message m;
  while (!takeMessage(&m)) {
    const auto wait = static_cast<int>(msUntilNextTimer());
    if (detail::ensureVideo()) {
      SDL_WaitEventTimeout(nullptr, std::max(wait, 1));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::max(wait, 1)));
    }
  }
  if (message) *message = m;
  return m.message == WM_QUIT ? 0 : 1;
}

LResult dispatchMessage(const Message& message) {
  return sendMessage(message.window, message.message, message.wParam, message.lParam);
}

LResult sendMessage(Window* window, unsigned message, WParam wParam, LParam lParam) {
  if (!window || !window->alive || !window->proc) return 0;
  return window->proc(window, message, wParam, lParam);
}

void postMessage(Window* window, unsigned message, WParam wParam, LParam lParam) {
  if (window && window->alive) enqueue(window, message, wParam, lParam);
}

void postQuitMessage(int exitCode) {
  std::lock_guard<std::mutex> lock(queue().mutex);
  queue().quitPosted = true;
  queue().quitCode = exitCode;
}

LResult defWindowProc(Window* window, unsigned message, WParam wParam, LParam lParam) {
  if (!window || !window->alive) return 0;
  if (message == WM_CLOSE) {
    destroyWindow(window);
    return 0;
  }
  if (message != WM_SYSCOMMAND) return 0;
  switch (wParam & 0xFFF0) {
    case SC_CLOSE:
      sendMessage(window, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      if (window->sdl) SDL_MinimizeWindow(window->sdl);
      break;
    case SC_MAXIMIZE:
      if (window->sdl) SDL_MaximizeWindow(window->sdl);
      break;
    case SC_RESTORE:
      if (window->sdl) SDL_RestoreWindow(window->sdl);
      break;
    default:
      break;
  }
  return 0;
}

bool translateAccelerator(Window* window, const AcceleratorTable& table, const Message& message) {
  if (!window || !window->alive) return false;
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  if (!keyDown) return false;
  const bool alt = (message.lParam & kKeyAltDown) != 0;
  for (const Accelerator& a : table) {
    if (a.virtualKey == message.wParam && a.alt == alt) {
      sendMessage(window, WM_COMMAND, (WParam{1} << 16) | a.command, 0);
      return true;
    }
  }
  return false;
}

void setTimer(Window* window, unsigned id, unsigned periodMs) {
  if (!window || !window->alive) return;
  killTimer(window, id);
  window->timers.push_back(Window::Timer{id, periodMs, detail::nowMs() + periodMs});
}

void killTimer(Window* window, unsigned id) {
  if (!window) return;
  auto& timers = window->timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [id](const Window::Timer& t) { return t.id == id; }), timers.end());
}

}  // namespace host::ui
