// The game's bitmap font: Shift-JIS text drawn from 26 texture pages whose
// cells the page row strings fix. The boot installs two of them as the
// framework's fonts ("org font" and "sys org font").
#pragma once
#include <map>
#include <memory>
#include <string>

#include "font/font_glyphs.h"
#include "font/rk_font.h"

namespace rk::gfx { class RkTexture; }

namespace font {

class GameFontAdapter : public rk::font::FontAdapter {
 public:
  GameFontAdapter();
  ~GameFontAdapter() override;
  GameFontAdapter(const GameFontAdapter&) = delete;
  GameFontAdapter& operator=(const GameFontAdapter&) = delete;

  // Remembers the face, loads the pages and enters every row string; true
  // when more than 25 characters have a cell.
  bool initUpdate(const char* faceName) override;
  void release() override {}
  // Draws on the screen: x, y in cells, the colour packed alpha-red-green-blue.
  void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) override;
  // Draws into a window item's space (y grows upward), one draw per page.
  void stringPrint(DrawContext* context, int x, int y, const char* text, int n) override;
  void calcSize(rk::font::FontRect* rect, int x, int y, const char* text) override;
  const rk::math::Vector4* getFontSize() override;
  void setFontSizePt(int) override {}
  // Cells pixels / 2 wide and pixels high.
  void setFontSizePx(int pixels) override;
  void setFontName(const char* faceName) override;
  const char* getFontName() override;
  bool changeFont() override { return true; }
  void setPenSize(int) override {}
  void setQuarity(int) override {}

  // Every page is on the GPU; until then nothing is drawn.
  bool isReady() const;
  const GlyphMap& glyphs() const;
  // The texture held for a page, or null.
  rk::gfx::RkTexture* page(int number) const;

 private:
  struct Record;
  std::unique_ptr<Record> record_;
};

// True when the texture has been set up on the GPU with a view to bind.
bool isOnGpu(const rk::gfx::RkTexture* texture);

}  // namespace font
