// The initial font: fifty full-width characters on one texture, for the first
// screens. The game keeps one in a global shared pointer, filled by the boot
// and cleared by the shut-down; scripts get font objects sharing it.
#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>

#include "font/font_glyphs.h"
#include "font/rk_font.h"

struct lua_State;
namespace rk::gfx { class RkTexture; }

namespace font {

class InitialFontAdapter : public rk::font::FontAdapter {
 public:
  InitialFontAdapter();
  ~InitialFontAdapter() override;
  InitialFontAdapter(const InitialFontAdapter&) = delete;
  InitialFontAdapter& operator=(const InitialFontAdapter&) = delete;

  // Loads "textures/initialfont.tga" and enters the table; the name is not used.
  bool initUpdate(const char* faceName) override;
  void release() override {}
  void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) override;
  void stringPrint(DrawContext* context, int x, int y, const char* text, int n) override;
  void calcSize(rk::font::FontRect* rect, int x, int y, const char* text) override;
  const rk::math::Vector4* getFontSize() override;
  void setFontSizePt(int) override {}
  // Cells pixels / 2 (whole pixels) wide and pixels high.
  void setFontSizePx(int pixels) override;
  void setFontName(const char*) override {}
  const char* getFontName() override { return nullptr; }
  bool changeFont() override { return true; }
  void setPenSize(int) override {}
  void setQuarity(int) override {}

  // The texture is on the GPU and the table entered; until then nothing is drawn.
  bool isReady() const;
  const GlyphMap& glyphs() const;
  rk::gfx::RkTexture* texture() const;

 private:
  struct Record;
  std::unique_ptr<Record> record_;
};

// The initial font pointer.
boost::shared_ptr<InitialFontAdapter>& initialFont();
// Makes a new adapter the initial font pointer (the one it held is let go).
void createInitialFont();

// "createInitialFont": a font object sharing the initial font pointer's adapter.
int lua_createInitialFont(lua_State* L);

}  // namespace font
