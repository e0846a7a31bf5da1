// The outline font adapter: glyphs rendered with an outline pen and a
// supersampling quality by createOutlineGlyphBitmap, kept as textured glyph
// leaves, and drawn through the device context's textured strips.
#pragma once
#include <memory>

#include "font/rk_font.h"

namespace rk::font {

class FontLeaf;

class DirectXOutlineFont : public FontAdapter {
 public:
  DirectXOutlineFont();
  ~DirectXOutlineFont() override;
  DirectXOutlineFont(const DirectXOutlineFont&) = delete;
  DirectXOutlineFont& operator=(const DirectXOutlineFont&) = delete;

  bool initUpdate(const char* faceName) override;
  void release() override {}
  void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) override;
  void stringPrint(DrawContext* context, int x, int y, const char* text, int n) override;
  void calcSize(FontRect* rect, int x, int y, const char* text) override;
  const math::Vector4* getFontSize() override;
  // Points to a positive pixel height (96 pixels per 72 points); the cell is half as wide.
  void setFontSizePt(int points) override;
  void setFontSizePx(int pixels) override;
  void setFontName(const char* faceName) override;
  const char* getFontName() override;
  bool changeFont() override;
  void setPenSize(int width) override;
  void setQuarity(int quality) override;

  int penSize() const;
  int quality() const;
  bool hasFont() const;
  // The glyph of a code unit; null when it has none.
  FontLeaf* glyph(char16_t unit) const;
  std::size_t glyphCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::font
