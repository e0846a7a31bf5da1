#include "gfx/gfx_model_command/rk_window_context.h"

#include <vector>

#include "font/rk_font.h"
#include "font/rk_font_leaf.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"

namespace rk::gfx::gfx_model_command {

void WindowContext::pushFontAdapter(const boost::shared_ptr<font::FontAdapter>& adapter) {
  if (!font) return;
  font_stack.push_back(font->swapFontAdapter(adapter));
}

void WindowContext::popFontAdapter() {
  if (font_stack.empty() || !font) {
    debug::writeErrorLog("src/gfx/gfx_model_command/rk_gfx_window", 171,
                         "rk::gfx::gfx_model_command::WindowContext::popFontAdapter");
    return;
  }
  font->swapFontAdapter(font_stack.back());
  font_stack.pop_back();
}

float WindowContext::fontHeight() const {
  if (!font) return 0.0f;
  return font->getFontSize()->y;
}

int WindowContext::texturedPipeline() const { return clip ? PIPELINE_STENCIL_VCUV_MASK : PIPELINE_TRIANGLE_COLOR_UV; }

void WindowContext::drawColorStrip(const LineVertex* vertices, int count) const {
  DeviceContext* device = DeviceContext::getInstance();
  RkTexture12* texture = clip && white ? white->get() : nullptr;
  if (!texture) {
    device->drawColorStrip(vertices, count, PIPELINE_DEFAULT2D_TRIANGLE);
    return;
  }
  std::vector<TexturedVertex> textured;
  textured.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    textured.push_back({vertices[i].x, vertices[i].y, vertices[i].z, 1.0f, vertices[i].color, 0.0f, 0.0f});
  device->drawTexturedStrip(texture, textured.data(), count, PIPELINE_STENCIL_VCUV_MASK);
}

WhiteTexture::~WhiteTexture() {
  if (texture_) texture_->release("src/gfx/gfx_model_command/rk_gfx_window", 60);
}

RkTexture12* WhiteTexture::get() {
  DeviceContext* device = DeviceContext::getInstance();
  if (!device->getDevice()) return nullptr;
  if (!texture_) {
    texture_ = new RkTexture12();
    texture_->addRef();
  }
  if (!texture_->hasView()) {
    const std::vector<std::uint8_t> dds = font::ddsOf({255, 255, 255, 255}, 1, 1);
    try {
      device->setupTexture(texture_, dds.data(), dds.size(), 0);
    } catch (const std::exception&) {
      return nullptr;
    }
  }
  return texture_->hasView() ? texture_ : nullptr;
}

}  // namespace rk::gfx::gfx_model_command
