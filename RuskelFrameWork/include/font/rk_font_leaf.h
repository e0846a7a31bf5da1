// Glyphs of the glyph-based fonts. FontLeaf is the abstract glyph; FontLeaf12
// holds fixed metrics and an optional texture but no image and draws nothing
// (the fixed-pitch GDI adapter uses it); OutlineFontLeaf carries one outlined
// glyph image as its own texture and draws it (the outline font uses it).
#pragma once
#include <cstdint>
#include <vector>

#include "font/rk_font.h"
#include "font/rk_font_function.h"
#include "gfx/rk_color.h"
#include "gfx/rk_gresource.h"
#include "math/rk_vector.h"

namespace rk::gfx { class RkTexture; class RkTexture12; }

namespace rk::font {

// A DDS file of one surface of 32-bit B G R A pixels, rows top first.
std::vector<std::uint8_t> ddsOf(const std::vector<std::uint8_t>& bgra, int width, int height);

class FontLeaf : public gfx::GResource {
 public:
  using DrawContext = FontAdapter::DrawContext;
  // The stored rectangle.
  virtual FontRect* rect() = 0;
  // The glyph's rectangle relative to the pen (left, top at the cell's top-left).
  virtual void getRect(FontRect* out) = 0;
  // True when the glyph has a texture with its GPU resource.
  virtual bool isReady() = 0;
  virtual void setTexture(gfx::RkTexture* texture) = 0;
  // (left ÷ w, right ÷ w, top ÷ h, bottom ÷ h) of the stored rectangle in the texture.
  virtual void getUV(math::Vector4* out) = 0;
  virtual float advance() = 0;
  virtual int height() = 0;
  // Draws the glyph into `rect` (screen pixels, y down; with a context,
  // window units whose y is negated) in the colour.
  virtual void draw(const FontRect& rect, const gfx::Color& color, DrawContext* context) = 0;
};

class FontLeaf12 : public FontLeaf {
 public:
  FontLeaf12() = default;
  bool isCreated() const override { return false; }
  // There is no image to upload.
  void build() override {}
  FontRect* rect() override { return &rect_; }
  void getRect(FontRect* out) override;
  bool isReady() override;
  void setTexture(gfx::RkTexture* texture) override { texture_ = texture; }
  void getUV(math::Vector4* out) override;
  float advance() override { return 8.0f; }
  int height() override { return 16; }
  void draw(const FontRect&, const gfx::Color&, DrawContext*) override {}

 protected:
  std::uint8_t flag_ = 0;
  FontRect rect_{0, 0, 16, 32};
  gfx::RkTexture* texture_ = nullptr;  // not counted
};

// One outlined glyph: the renderer's bitmap turned into a texture whose inside
// is white (tinted by the text colour), whose outline is black and whose
// background is transparent. The texture is built from the kept image when a
// device exists and built again after the device was rebuilt.
class OutlineFontLeaf : public FontLeaf12 {
 public:
  // From the renderer's record; rectangle and advance are in output pixels
  // (the bitmap ÷ quality).
  explicit OutlineFontLeaf(const OutlineGlyphRecord& record);
  ~OutlineFontLeaf() override;

  bool isCreated() const override;
  void build() override;
  bool isReady() override;
  float advance() override { return advance_; }
  int height() override { return height_; }
  void draw(const FontRect& rect, const gfx::Color& color, DrawContext* context) override;

  // The texture image (a DDS file of 32-bit BGRA pixels) and its size.
  const std::vector<std::uint8_t>& image() const { return image_; }
  int imageWidth() const { return image_width_; }
  int imageHeight() const { return image_height_; }

 private:
  std::vector<std::uint8_t> image_;
  int image_width_ = 0, image_height_ = 0;
  float advance_ = 0.0f;
  int height_ = 0;
  gfx::RkTexture12* glyph_texture_ = nullptr;  // one counted reference
};

}  // namespace rk::font
