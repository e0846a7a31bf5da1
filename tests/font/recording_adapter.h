// A font adapter that records every call as one line of text.
#pragma once
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "font/rk_font.h"

namespace rktest {

class RecordingAdapter : public rk::font::FontAdapter {
 public:
  std::vector<std::string> calls;
  rk::math::Vector4 cell{21, 42, 0, 0};
  std::string face;
  int* destroyed = nullptr;

  ~RecordingAdapter() override {
    if (destroyed) ++*destroyed;
  }
  bool initUpdate(const char* name) override { return log("initUpdate " + std::string(name)), true; }
  void release() override { log("release"); }
  void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) override {
    log("print " + ints({x, y}) + " [" + text + "] " + hex(argb) + " " + ints({a, b}));
  }
  void stringPrint(DrawContext* context, int x, int y, const char* text, int n) override {
    log(std::string("stringPrint ") + (context ? "ctx " : "null ") + ints({x, y}) + " [" + text + "] " + std::to_string(n));
  }
  void calcSize(rk::font::FontRect* rect, int x, int y, const char* text) override {
    log("calcSize " + ints({x, y}) + " [" + text + "]");
    if (rect) *rect = {1, 2, 3, 4};
  }
  const rk::math::Vector4* getFontSize() override { return log("getFontSize"), &cell; }
  void setFontSizePt(int pt) override { log("setFontSizePt " + std::to_string(pt)); }
  void setFontSizePx(int px) override {
    log("setFontSizePx " + std::to_string(px));
    cell.y = static_cast<float>(px);
  }
  void setFontName(const char* name) override { face = name; }
  const char* getFontName() override { return face.c_str(); }
  bool changeFont() override { return log("changeFont"), true; }
  void setPenSize(int w) override { log("setPenSize " + std::to_string(w)); }
  void setQuarity(int q) override { log("setQuarity " + std::to_string(q)); }

 private:
  void log(const std::string& s) { calls.push_back(s); }
  static std::string ints(std::initializer_list<int> v) {
    std::string s;
    for (int i : v) s += (s.empty() ? "" : " ") + std::to_string(i);
    return s;
  }
  static std::string hex(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
  }
};

}  // namespace rktest
