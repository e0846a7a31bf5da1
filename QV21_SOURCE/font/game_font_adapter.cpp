#include "font/game_font_adapter.h"

#include <vector>

#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "gfx/rk_vertex_buffer.h"
#include "host/gpu.h"
#include "kernel/rk_device_context.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"

namespace font {

namespace {

constexpr const char* kSource = "QV21_SOURCE/font/game_font_adapter";
constexpr int kBufferReleaseLine = 166, kPageReplaceLine = 210, kPageReleaseLine = 240;
constexpr int kTriangleStrip = 5, kTriangleList = 4;

// Holds one glyph's vertex buffer until the GPU has finished the frame that
// drew it.
class DelayReleaseVertexBuffer : public rk::policy::CounterRelease {
 public:
  explicit DelayReleaseVertexBuffer(rk::gfx::VertexBuffer* buffer) : CounterRelease(1), buffer_(buffer) {}
  void release() override {
    if (buffer_ && buffer_->release(kSource, kBufferReleaseLine) == 0) buffer_ = nullptr;
  }

 private:
  rk::gfx::VertexBuffer* buffer_;
};

void pushVertex(rk::gfx::VertexBuffer* buffer, float x, float y, float u, float v) {
  buffer->setPosition(x, y, 0.0f);
  buffer->setUV(u, v);
  buffer->pushVertex();
}

// Red, green and blue halved, alpha kept.
rk::gfx::Color halfBright(const rk::gfx::Color& c) {
  return rk::gfx::Color(c.getR() / 2, c.getG() / 2, c.getB() / 2, c.getA());
}
std::uint32_t halfBright(std::uint32_t argb) { return (argb & 0xFF000000u) | ((argb >> 1) & 0x007F7F7Fu); }

}  // namespace

bool isOnGpu(const rk::gfx::RkTexture* texture) {
  const auto* gpuTexture = dynamic_cast<const rk::gfx::RkTexture12*>(texture);
  return gpuTexture && gpuTexture->resource() && gpuTexture->hasView();
}

struct GameFontAdapter::Record {
  std::map<int, rk::gfx::RkTexture*> pages_;  // one counted reference each
  rk::math::Vector4 cell_size_{32, 64, 0, 0};
  std::string font_name_;
  GlyphMap glyphs_;
};

GameFontAdapter::GameFontAdapter() : record_(std::make_unique<Record>()) {}

GameFontAdapter::~GameFontAdapter() {
  for (auto& [number, texture] : record_->pages_) texture->release(kSource, kPageReleaseLine);
}

bool GameFontAdapter::initUpdate(const char* faceName) {
  Record& r = *record_;
  r.font_name_ = faceName ? faceName : "";
  const std::vector<GlyphPage>& table = gameFontPages();
  rk::gfx::RkTextureManager* textures = rk::gfx::RkTextureManager::getInstance();
  std::vector<rk::gfx::RkTexture*> loaded;
  for (const GlyphPage& page : table) loaded.push_back(textures ? textures->loadTexture(page.texture) : nullptr);
  for (std::size_t n = 0; n < loaded.size(); ++n) {
    const int number = static_cast<int>(n);
    if (auto old = r.pages_.find(number); old != r.pages_.end()) {
      old->second->release(kSource, kPageReplaceLine);
      r.pages_.erase(old);
    }
    if (loaded[n]) r.pages_[number] = loaded[n];
  }
  r.glyphs_ = buildGameFontGlyphs();
  return r.glyphs_.size() > 25;
}

bool GameFontAdapter::isReady() const {
  const std::size_t count = gameFontPages().size();
  for (std::size_t n = 0; n < count; ++n) {
    auto it = record_->pages_.find(static_cast<int>(n));
    if (it == record_->pages_.end() || !isOnGpu(it->second)) return false;
  }
  return true;
}

void GameFontAdapter::print(int x, int y, const char* text, std::uint32_t argb, int, int) {
  if (!text || !isReady()) return;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device->getNowCommandList()) return;
  const Record& r = *record_;
  const float cellWidth = r.cell_size_.x, cellHeight = r.cell_size_.y;
  const std::vector<PlacedGlyph> placed =
      layoutText(r.glyphs_, cellWidth, cellHeight, static_cast<float>(x) * cellWidth,
                 static_cast<float>(y) * cellHeight, text);
  const rk::ColorStateBackup saved = device->backupColorState();
  device->pushPipeline(rk::PIPELINE_TRIANGLE_COLOR_UV);
  const rk::gfx::Color color = rk::gfx::colorFromArgb(argb);
  for (const PlacedGlyph& p : placed) {
    const Glyph& g = *p.glyph;
    device->setTexture(r.pages_.at(g.page));
    rk::gfx::VertexBuffer* buffer = nullptr;
    device->createVertexBuffer(rk::gfx::VERTEX_KIND_POSITION_COLOR_UV, &buffer);
    buffer->setColor(p.half ? halfBright(color) : color);
    pushVertex(buffer, p.x, p.y, g.left, g.top);
    pushVertex(buffer, p.x + p.width, p.y, g.right, g.top);
    pushVertex(buffer, p.x, p.y + cellHeight, g.left, g.bottom);
    pushVertex(buffer, p.x + p.width, p.y + cellHeight, g.right, g.bottom);
    buffer->build();
    device->drawPolygon(kTriangleStrip, buffer, 4);
    device->addDeferredRelease(new DelayReleaseVertexBuffer(buffer));
  }
  device->popPipeline();
  device->restoreColorState(saved);
}

void GameFontAdapter::stringPrint(DrawContext* context, int x, int y, const char* text, int) {
  if (!context || !text || !isReady()) return;
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  host::gpu::GraphicsCommandList* list = device->getNowCommandList();
  if (!list) return;
  const Record& r = *record_;
  const float cellWidth = r.cell_size_.x, cellHeight = r.cell_size_.y;
  // The pen runs downward as on the screen and is mirrored into the window's
  // upward y; a new line starts again at the window's left edge of the text.
  const std::vector<PlacedGlyph> placed =
      layoutText(r.glyphs_, cellWidth, cellHeight, static_cast<float>(x) * cellWidth + context->origin.x,
                 -static_cast<float>(y) * cellHeight - context->origin.y, text);
  const std::uint32_t argb = rk::gfx::colorToArgb(context->base_color * context->font_color);
  const rk::ColorStateBackup saved = device->backupColorState();

  struct Batch {
    rk::gfx::VertexBuffer* vertices = nullptr;
    rk::gfx::IndexBuffer* indices = nullptr;
  };
  std::map<rk::gfx::RkTexture*, Batch> batches;
  for (const PlacedGlyph& p : placed) {
    const Glyph& g = *p.glyph;
    Batch& batch = batches[r.pages_.at(g.page)];
    if (!batch.vertices) {
      device->createVertexBuffer(rk::gfx::VERTEX_KIND_POSITION_COLOR_UV, &batch.vertices);
      device->createIndexBuffer(&batch.indices);
    }
    batch.vertices->setColor(rk::gfx::colorFromArgb(p.half ? halfBright(argb) : argb));
    const std::uint32_t b = batch.vertices->getVertexCount();
    pushVertex(batch.vertices, p.x, -(p.y + cellHeight), g.left, g.bottom);
    pushVertex(batch.vertices, p.x + p.width, -(p.y + cellHeight), g.right, g.bottom);
    pushVertex(batch.vertices, p.x, -p.y, g.left, g.top);
    pushVertex(batch.vertices, p.x + p.width, -p.y, g.right, g.top);
    for (std::uint32_t i : {0u, 1u, 2u, 2u, 1u, 3u}) batch.indices->push(b + i);
  }

  device->pushPipeline(context->clip ? rk::PIPELINE_STENCIL_VCUV_MASK : rk::PIPELINE_TRIANGLE_COLOR_UV);
  for (auto& [texture, batch] : batches) {
    batch.vertices->build();
    batch.indices->build();
    device->setTexture(texture);
    device->sendVertexBuffer(batch.vertices);
    list->iaSetIndexBuffer(batch.indices->view());
    list->iaSetPrimitiveTopology(rk::DeviceContext::toTopologyKind(kTriangleList));
    list->drawIndexedInstanced(batch.indices->getCount(), 1, 0, 0, 0);
    device->addDeferredRelease(new rk::gfx::VertexBufferContainer(batch.vertices));
    device->addDeferredRelease(new rk::gfx::IndexBufferContainer(batch.indices));
  }
  device->popPipeline();
  device->restoreColorState(saved);
}

void GameFontAdapter::calcSize(rk::font::FontRect* rect, int x, int y, const char* text) {
  measureText(rect, record_->cell_size_.x, record_->cell_size_.y, x, y, text);
}

const rk::math::Vector4* GameFontAdapter::getFontSize() { return &record_->cell_size_; }

void GameFontAdapter::setFontSizePx(int pixels) {
  record_->cell_size_.y = static_cast<float>(pixels);
  record_->cell_size_.x = static_cast<float>(pixels) / 2;
}

void GameFontAdapter::setFontName(const char* faceName) { record_->font_name_ = faceName ? faceName : ""; }

const char* GameFontAdapter::getFontName() { return record_->font_name_.c_str(); }

const GlyphMap& GameFontAdapter::glyphs() const { return record_->glyphs_; }

rk::gfx::RkTexture* GameFontAdapter::page(int number) const {
  auto it = record_->pages_.find(number);
  return it == record_->pages_.end() ? nullptr : it->second;
}

}  // namespace font
