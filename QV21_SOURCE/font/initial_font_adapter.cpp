#include "font/initial_font_adapter.h"

#include <boost/make_shared.hpp>
#include <vector>

#include "font/game_font_adapter.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "kernel/rk_device_context.h"
#include "script/rk_script_font.h"

namespace font {

namespace {

constexpr const char* kSource = "QV21_SOURCE/font/initial_font_adapter";
constexpr int kTextureReleaseLine = 122, kTextureReplaceLine = 98;

// Red, green and blue halved, alpha kept.
std::uint32_t halfBright(std::uint32_t argb) { return (argb & 0xFF000000u) | ((argb >> 1) & 0x007F7F7Fu); }

boost::shared_ptr<InitialFontAdapter> g_initial_font;

}  // namespace

struct InitialFontAdapter::Record {
  rk::gfx::RkTexture* texture_ = nullptr;  // one counted reference
  GlyphMap glyphs_;
  rk::math::Vector4 cell_size_{16, 32, 0, 0};
};

InitialFontAdapter::InitialFontAdapter() : record_(std::make_unique<Record>()) {}

InitialFontAdapter::~InitialFontAdapter() {
  if (record_->texture_) record_->texture_->release(kSource, kTextureReleaseLine);
}

bool InitialFontAdapter::initUpdate(const char*) {
  Record& r = *record_;
  rk::gfx::RkTextureManager* textures = rk::gfx::RkTextureManager::getInstance();
  rk::gfx::RkTexture* loaded = textures ? textures->loadTexture(kInitialFontTexture) : nullptr;
  if (r.texture_) r.texture_->release(kSource, kTextureReplaceLine);
  r.texture_ = loaded;
  for (const auto& entry : buildInitialFontGlyphs()) r.glyphs_.insert(entry);
  return true;
}

bool InitialFontAdapter::isReady() const {
  return isOnGpu(record_->texture_) && !record_->glyphs_.empty();
}

void InitialFontAdapter::print(int x, int y, const char* text, std::uint32_t argb, int, int) {
  if (!text || !isReady()) return;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device->getNowCommandList()) return;
  const Record& r = *record_;
  const float cellHeight = r.cell_size_.y;
  const std::vector<PlacedGlyph> placed =
      layoutText(r.glyphs_, r.cell_size_.x, cellHeight, static_cast<float>(x) * r.cell_size_.x,
                 static_cast<float>(y) * cellHeight, text);
  const rk::ColorStateBackup saved = device->backupColorState();
  for (const PlacedGlyph& p : placed) {
    const Glyph& g = *p.glyph;
    const std::uint32_t color = p.half ? halfBright(argb) : argb;
    const rk::gfx::TexturedVertex quad[4] = {
        {p.x, p.y, 0, 1, color, g.left, g.top},
        {p.x + p.width, p.y, 0, 1, color, g.right, g.top},
        {p.x, p.y + cellHeight, 0, 1, color, g.left, g.bottom},
        {p.x + p.width, p.y + cellHeight, 0, 1, color, g.right, g.bottom},
    };
    device->drawTexturedStrip(r.texture_, quad, 4);
  }
  device->setTexture(nullptr);
  device->restoreColorState(saved);
}

void InitialFontAdapter::stringPrint(DrawContext* context, int x, int y, const char* text, int) {
  if (!context || !text || !isReady()) return;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device->getNowCommandList()) return;
  const Record& r = *record_;
  const float cellHeight = r.cell_size_.y;
  // Pen space runs downward and is mirrored into the window's upward y; a new
  // line starts again at the text's left edge inside the window.
  const std::vector<PlacedGlyph> placed =
      layoutText(r.glyphs_, r.cell_size_.x, cellHeight, static_cast<float>(x) * r.cell_size_.x + context->origin.x,
                 -static_cast<float>(y) * cellHeight - context->origin.y, text);
  const std::uint32_t argb = rk::gfx::colorToArgb(context->base_color * context->font_color);
  const rk::ColorStateBackup saved = device->backupColorState();
  device->setTexture(r.texture_);
  for (const PlacedGlyph& p : placed) {
    const Glyph& g = *p.glyph;
    const std::uint32_t color = p.half ? halfBright(argb) : argb;
    const rk::gfx::StripVertex quad[4] = {
        {p.x, -(p.y + cellHeight), 0, color, g.left, g.bottom},
        {p.x + p.width, -(p.y + cellHeight), 0, color, g.right, g.bottom},
        {p.x, -p.y, 0, color, g.left, g.top},
        {p.x + p.width, -p.y, 0, color, g.right, g.top},
    };
    device->drawColorUVStrip(quad, 4);
  }
  device->setTexture(nullptr);
  device->restoreColorState(saved);
}

void InitialFontAdapter::calcSize(rk::font::FontRect* rect, int x, int y, const char* text) {
  measureText(rect, record_->cell_size_.x, record_->cell_size_.y, x, y, text);
}

const rk::math::Vector4* InitialFontAdapter::getFontSize() { return &record_->cell_size_; }

void InitialFontAdapter::setFontSizePx(int pixels) {
  record_->cell_size_.x = static_cast<float>(pixels / 2);
  record_->cell_size_.y = static_cast<float>(pixels);
}

const GlyphMap& InitialFontAdapter::glyphs() const { return record_->glyphs_; }

rk::gfx::RkTexture* InitialFontAdapter::texture() const { return record_->texture_; }

boost::shared_ptr<InitialFontAdapter>& initialFont() { return g_initial_font; }

void createInitialFont() { g_initial_font = boost::make_shared<InitialFontAdapter>(); }

int lua_createInitialFont(lua_State* L) {
  lua_settop(L, 0);
  return rk::script::pushSharedFontAdapterObject(L, g_initial_font);
}

}  // namespace font
