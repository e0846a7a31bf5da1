#include "host/gpu/gl/context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <malloc.h>

#include <chrono>
#include <cstring>
#include <set>

#include "host/ui_window_internal.h"

namespace host::gpu::gl {
namespace {

struct Context {
  bool tried = false;
  bool ok = false;
  std::string error;
  const char* kind = "";
  double startupMs = 0;
  std::set<std::string> extensions;
  // SDL path
  SDL_Window* helper = nullptr;
  SDL_GLContext sdl = nullptr;
  // EGL path
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext egl = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
};

Context& context() {
  static Context c;
  return c;
}

bool hasWord(const char* list, const char* word) {
  if (!list) return false;
  const std::size_t n = std::strlen(word);
  for (const char* p = std::strstr(list, word); p; p = std::strstr(p + 1, word))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

// A window that goes while the context is current on it would leave no
// context current: the context goes back to the hidden helper first.
void leaveWindow(ui::Window* window) {
  Context& c = context();
  if (c.sdl && window && window->sdl && SDL_GL_GetCurrentWindow() == window->sdl) SDL_GL_MakeCurrent(c.helper, c.sdl);
}

bool makeWithSdl(Context& c) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  c.helper = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (c.helper) c.sdl = SDL_GL_CreateContext(c.helper);
  if (!c.sdl) {
    c.error = SDL_GetError();
    if (c.helper) SDL_DestroyWindow(c.helper);
    c.helper = nullptr;
    return false;
  }
  if (SDL_GL_MakeCurrent(c.helper, c.sdl) != 0) {
    c.error = SDL_GetError();
    SDL_GL_DeleteContext(c.sdl);
    SDL_DestroyWindow(c.helper);
    c.sdl = nullptr;
    c.helper = nullptr;
    return false;
  }
  c.kind = "sdl";
  ui::detail::setWindowGoingHook(&leaveWindow);
  return true;
}

EGLDisplay platformDisplay(const char** kind) {
  const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLint major = 0, minor = 0;
  if (getPlatformDisplay && hasWord(client, "EGL_MESA_platform_surfaceless")) {
    EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (d != EGL_NO_DISPLAY && eglInitialize(d, &major, &minor)) {
      *kind = "egl-surfaceless";
      return d;
    }
  }
  auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  if (getPlatformDisplay && queryDevices && hasWord(client, "EGL_EXT_platform_device")) {
    EGLDeviceEXT devices[4];
    EGLint count = 0;
    if (queryDevices(4, devices, &count) && count > 0) {
      EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[0], nullptr);
      if (d != EGL_NO_DISPLAY && eglInitialize(d, &major, &minor)) {
        *kind = "egl-device";
        return d;
      }
    }
  }
  EGLDisplay d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (d != EGL_NO_DISPLAY && eglInitialize(d, &major, &minor)) {
    *kind = "egl-pbuffer";
    return d;
  }
  return EGL_NO_DISPLAY;
}

bool makeWithEgl(Context& c) {
  c.display = platformDisplay(&c.kind);
  if (c.display == EGL_NO_DISPLAY) {
    c.error = "no EGL display";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    c.error = "EGL cannot bind desktop OpenGL";
    return false;
  }
  const char* ext = eglQueryString(c.display, EGL_EXTENSIONS);
  const bool configless = hasWord(ext, "EGL_KHR_no_config_context") || hasWord(ext, "EGL_MESA_configless_context");
  const bool surfaceless = hasWord(ext, "EGL_KHR_surfaceless_context");
  EGLConfig config = nullptr;
  if (!configless || !surfaceless) {
    const EGLint want[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(c.display, want, &config, 1, &found) || found < 1) {
      c.error = "no EGL configuration for OpenGL";
      return false;
    }
  }
  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,       3, EGL_CONTEXT_MINOR_VERSION, 3,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                               EGL_NONE};
  c.egl = eglCreateContext(c.display, config, EGL_NO_CONTEXT, attributes);
  if (c.egl == EGL_NO_CONTEXT) {
    c.error = "EGL cannot create an OpenGL 3.3 core context";
    return false;
  }
  if (!surfaceless) {
    const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    c.surface = eglCreatePbufferSurface(c.display, config, size);
  }
  if (!eglMakeCurrent(c.display, c.surface, c.surface, c.egl)) {
    c.error = "EGL cannot make the context current";
    return false;
  }
  return true;
}

bool versionAtLeast33() {
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  return major > 3 || (major == 3 && minor >= 3);
}

// A software rasteriser (llvmpipe) takes its per-frame working blocks from
// the heap and frees them when the frame is drawn. With the default trim
// threshold those pages go back to the system every frame and fault in again
// in the next one, which cost two thirds of a core at 30 frames a second on
// the title screen. A high threshold keeps them.
void keepFreedHeapPages() {
#ifdef M_TRIM_THRESHOLD
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
}

}  // namespace

bool ensureContext(std::string* error) {
  Context& c = context();
  if (!c.tried) {
    c.tried = true;
    keepFreedHeapPages();
    const auto start = std::chrono::steady_clock::now();
    const bool display = ui::detail::ensureVideo() && !ui::detail::videoIsHeadless();
    // Without an SDL context nothing reaches the window, but drawing still works.
    c.ok = (display && makeWithSdl(c)) || makeWithEgl(c);
    if (c.ok && !versionAtLeast33()) {
      c.ok = false;
      c.error = "the context is older than OpenGL 3.3";
    }
    if (c.ok) {
      GLint count = 0;
      glGetIntegerv(GL_NUM_EXTENSIONS, &count);
      for (GLint i = 0; i < count; ++i)
        c.extensions.insert(reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i))));
    }
    c.startupMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  if (!c.ok) {
    if (error) *error = c.error;
    return false;
  }
  if (c.sdl && SDL_GL_GetCurrentContext() != c.sdl) SDL_GL_MakeCurrent(c.helper, c.sdl);
  if (c.egl != EGL_NO_CONTEXT && eglGetCurrentContext() != c.egl) eglMakeCurrent(c.display, c.surface, c.surface, c.egl);
  return true;
}

double contextStartupMs() { return context().startupMs; }
const char* contextKind() { return context().kind; }
bool hasExtension(const char* name) { return context().extensions.count(name) != 0; }

void presentFramebuffer(ui::Window* window, GLuint framebuffer, int width, int height, int syncInterval) {
  Context& c = context();
  if (!c.sdl || !window || !window->alive || !window->sdl) return;
  if (!(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_OPENGL)) return;
  // The context stays on the window from one present to the next: binding
  // a window's drawable makes a software rasteriser allocate and clear a new
  // back buffer for it, every frame when the context went back to the helper.
  if (SDL_GL_GetCurrentWindow() != window->sdl && SDL_GL_MakeCurrent(window->sdl, c.sdl) != 0) return;
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window->sdl, &w, &h);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // Textures hold the top row first; the window's framebuffer the bottom row.
  glBlitFramebuffer(0, 0, width, height, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SetSwapInterval(syncInterval > 0 ? 1 : 0);
  SDL_GL_SwapWindow(window->sdl);
}

}  // namespace host::gpu::gl
