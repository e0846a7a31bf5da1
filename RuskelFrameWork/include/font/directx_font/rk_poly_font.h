// The fixed-pitch GDI-style font adapter: text laid out in character cells of
// FontLeaf12 glyphs, which carry metrics but no image, so it measures and
// positions text without putting pixels on the screen.
#pragma once
#include <memory>

#include "font/rk_font.h"

namespace rk::font {

class FFontAdapter : public FontAdapter {
 public:
  FFontAdapter();
  ~FFontAdapter() override;
  FFontAdapter(const FFontAdapter&) = delete;
  FFontAdapter& operator=(const FFontAdapter&) = delete;

  bool initUpdate(const char* faceName) override;
  void release() override;
  void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) override;
  void stringPrint(DrawContext* context, int x, int y, const char* text, int n) override;
  void calcSize(FontRect* rect, int x, int y, const char* text) override;
  const math::Vector4* getFontSize() override;
  void setFontSizePt(int points) override;
  void setFontSizePx(int pixels) override;
  void setFontName(const char* faceName) override;
  const char* getFontName() override;
  bool changeFont() override;
  void setPenSize(int) override {}
  void setQuarity(int) override {}

  // Read-outs for diagnostics: the size fields and the number of cached glyphs.
  int points() const;
  int height() const;
  int width() const;
  std::size_t glyphCount() const;
  bool hasFont() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::font
