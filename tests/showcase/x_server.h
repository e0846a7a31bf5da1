// A virtual X server (Xvfb) for one test: started on a display it picks
// itself (so parallel tests never collide), stopped with the object. The
// screen is read back with Xlib.
#pragma once
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "showcase/png_file.h"

namespace showcase {

// The Xvfb executable found on PATH; empty when there is none.
inline std::string findXvfb() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

class XServer {
 public:
  XServer(int width, int height) {
    const std::string xvfb = findXvfb();
    if (xvfb.empty()) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      if (fds[1] != 3) {
        dup2(fds[1], 3);
        close(fds[1]);
      }
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      execl(xvfb.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp",
            "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      return;
    }
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd waitFor{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&waitFor, 1, 20000) > 0) {
      char buffer[16];
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') != std::string::npos) display_ = ":" + number.substr(0, number.find('\n'));
  }
  ~XServer() {
    if (connection_) XCloseDisplay(connection_);
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // ":N" once the server runs; empty when it could not be started.
  const std::string& display() const { return display_; }

  // The largest viewable top-level window (the game's), or the whole screen
  // when there is none; an empty image when the server cannot be read.
  RgbImage capture() {
    if (!connection_ && !display_.empty()) connection_ = XOpenDisplay(display_.c_str());
    if (!connection_) return {};
    const Window root = DefaultRootWindow(connection_);
    Window target = root;
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    long bestArea = 0;
    if (XQueryTree(connection_, root, &rootReturn, &parent, &children, &count)) {
      for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(connection_, children[i], &attributes) || attributes.map_state != IsViewable)
          continue;
        const long area = long(attributes.width) * attributes.height;
        if (area > bestArea) {
          bestArea = area;
          target = children[i];
        }
      }
      if (children) XFree(children);
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection_, target, &attributes)) return {};
    XImage* image = XGetImage(connection_, target, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return {};
    RgbImage out;
    out.width = attributes.width;
    out.height = attributes.height;
    out.rgb.resize(std::size_t(out.width) * out.height * 3);
    auto channel = [](unsigned long pixel, unsigned long mask) {
      if (!mask) return std::uint8_t(0);
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      const unsigned long max = mask >> shift;
      return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
    };
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        std::uint8_t* p = out.rgb.data() + (std::size_t(y) * out.width + x) * 3;
        p[0] = channel(pixel, image->red_mask);
        p[1] = channel(pixel, image->green_mask);
        p[2] = channel(pixel, image->blue_mask);
      }
    XDestroyImage(image);
    return out;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
  Display* connection_ = nullptr;
};

}  // namespace showcase
