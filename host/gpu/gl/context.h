// Inside the GPU layer only: the process's one OpenGL 3.3 core context.
// With a display, SDL makes it (on a hidden helper window) so it can draw into
// the game window; without one (SDL's offscreen or dummy driver, no video), or
// when SDL cannot, EGL makes it without any surface, on Mesa's surfaceless
// platform, else on the first EGL device, else on a 1x1 pbuffer of the default
// display.
#pragma once
#include <string>

#include "host/gpu/gl/gl.h"

namespace host::ui {
class Window;
}

namespace host::gpu::gl {

// Creates the context on first use and makes it current. False, with the
// reason, when no 3.3 core context can be had; the answer is kept.
bool ensureContext(std::string* error);
// Milliseconds the creation took (0 before it ran).
double contextStartupMs();
// Which path made the context: "sdl", "egl-surfaceless", "egl-device", "egl-pbuffer".
const char* contextKind();
bool hasExtension(const char* name);

// Shows the colour attachment of `framebuffer` (width x height) in the window,
// stretched to its drawable size. Does nothing for a window GL cannot draw into.
void presentFramebuffer(ui::Window* window, GLuint framebuffer, int width, int height, int syncInterval);

}  // namespace host::gpu::gl
