#include "font/rk_font_leaf.h"

#include <cstring>

#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "gfx/rk_draw_vertex.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"

namespace rk::font {

namespace {
constexpr const char* kSource = "src/font/rk_font_leaf";

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> ddsOf(const std::vector<std::uint8_t>& bgra, int width, int height) {
  std::vector<std::uint8_t> out(128 + bgra.size(), 0);
  std::memcpy(out.data(), "DDS ", 4);
  put32(out, 4, 124);                       // header size
  put32(out, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x8);  // caps, height, width, pixel format, pitch
  put32(out, 12, static_cast<std::uint32_t>(height));
  put32(out, 16, static_cast<std::uint32_t>(width));
  put32(out, 20, static_cast<std::uint32_t>(width) * 4);
  put32(out, 28, 1);                        // mip count
  put32(out, 76, 32);                       // pixel format size
  put32(out, 80, 0x40 | 0x1);               // RGB with alpha
  put32(out, 88, 32);
  put32(out, 92, 0x00FF0000);
  put32(out, 96, 0x0000FF00);
  put32(out, 100, 0x000000FF);
  put32(out, 104, 0xFF000000);
  put32(out, 108, 0x1000);                  // texture
  std::memcpy(out.data() + 128, bgra.data(), bgra.size());
  return out;
}

void FontLeaf12::getRect(FontRect* out) {
  if (out) *out = rect_;
}

bool FontLeaf12::isReady() {
  DeviceContext::getInstance();
  auto* texture = dynamic_cast<gfx::RkTexture12*>(texture_);
  return texture && texture->resource();
}

void FontLeaf12::getUV(math::Vector4* out) {
  if (!out) return;
  std::uint32_t w = 0, h = 0;
  if (texture_) texture_->getSize(&w, &h);
  if (w == 0 || h == 0) {
    *out = math::Vector4{};  // no texture yet: no texels to address
    return;
  }
  const float fw = static_cast<float>(w), fh = static_cast<float>(h);
  *out = math::Vector4{rect_.left / fw, rect_.right / fw, rect_.top / fh, rect_.bottom / fh};
}

OutlineFontLeaf::OutlineFontLeaf(const OutlineGlyphRecord& record) {
  const int quality = record.quality > 0 ? record.quality : 1;
  image_width_ = record.width * quality;
  image_height_ = record.height * quality;
  // Red inside → white, green outline → black, blue background → transparent.
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(image_width_) * image_height_ * 4, 0);
  for (int row = 0; row < image_height_ && record.pixels; ++row)
    for (int col = 0; col < image_width_; ++col) {
      const std::uint8_t* p = record.pixels + static_cast<std::size_t>(row) * record.pitch + col * 3;
      std::uint8_t* q = &bgra[(static_cast<std::size_t>(row) * image_width_ + col) * 4];
      if (p[1] >= 128) {
        q[0] = q[1] = q[2] = 0, q[3] = 255;
      } else if (p[2] >= 128) {
        q[0] = q[1] = q[2] = 255, q[3] = 255;
      }
    }
  image_ = ddsOf(bgra, image_width_, image_height_);
  // The bitmap's top-left lies at (origin x, origin y) from the cell's top-left.
  rect_.left = record.originX / quality;
  rect_.top = record.originY / quality;
  rect_.right = rect_.left + record.width;
  rect_.bottom = rect_.top + record.height;
  advance_ = static_cast<float>(record.glyph.cellIncX) / static_cast<float>(quality);
  height_ = record.text.height / quality;
}

OutlineFontLeaf::~OutlineFontLeaf() {
  if (glyph_texture_) glyph_texture_->release(kSource, 101);
}

bool OutlineFontLeaf::isCreated() const { return glyph_texture_ && glyph_texture_->resource(); }

void OutlineFontLeaf::build() {
  DeviceContext* context = DeviceContext::getInstance();
  if (!context->getDevice() || image_width_ <= 0 || image_height_ <= 0) return;
  if (!glyph_texture_) {
    glyph_texture_ = new gfx::RkTexture12();
    glyph_texture_->addRef();
    texture_ = glyph_texture_;
  }
  context->setupTexture(glyph_texture_, image_.data(), image_.size(), 0);
}

bool OutlineFontLeaf::isReady() {
  // A rebuilt device dropped the texture: make it again from the kept image.
  if (!isCreated()) {
    try {
      build();
    } catch (const HrException&) {
      return false;
    }
  }
  return isCreated() && glyph_texture_->hasView();
}

void OutlineFontLeaf::draw(const FontRect& rect, const gfx::Color& color, DrawContext* context) {
  if (!isReady()) return;
  const std::uint32_t argb = gfx::colorToArgb(color);
  // Window units grow upwards: the rows of the text go to negative y.
  const float sign = context ? -1.0f : 1.0f;
  const float l = static_cast<float>(rect.left), r = static_cast<float>(rect.right);
  const float t = sign * static_cast<float>(rect.top), b = sign * static_cast<float>(rect.bottom);
  const gfx::TexturedVertex quad[4] = {
      {l, t, 0, 1, argb, 0, 0}, {r, t, 0, 1, argb, 1, 0}, {l, b, 0, 1, argb, 0, 1}, {r, b, 0, 1, argb, 1, 1}};
  DeviceContext* device = DeviceContext::getInstance();
  if (context)
    device->drawTexturedStrip(glyph_texture_, quad, 4, context->texturedPipeline());
  else
    device->drawTexturedStrip(glyph_texture_, quad, 4);
}

}  // namespace rk::font
