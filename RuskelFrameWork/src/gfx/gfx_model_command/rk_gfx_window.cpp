#include "gfx/gfx_model_command/rk_gfx_window.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>

#include "font/rk_font.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/rk_color_ops.h"
#include "gfx/rk_draw_vertex.h"
#include "kernel/rk_device_context.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"

namespace rk::gfx::gfx_model_command {

namespace gpu = host::gpu;

namespace {
constexpr int kTitleAdapter = 0, kItemAdapter = 2;

// Sets a font adapter's size, pen and quality and rebuilds it when its cell
// height is not the wanted size.
void fitFont(const boost::shared_ptr<font::FontAdapter>& adapter, int size, int pen, int quality) {
  if (!adapter || adapter->getFontSize()->y == static_cast<float>(size)) return;
  adapter->setFontSizePx(size);
  adapter->setPenSize(pen);
  adapter->setQuarity(quality);
  adapter->changeFont();
}

void quad(LineVertex out[4], float x0, float y0, float x1, float y1, std::uint32_t argb) {
  out[0] = {x0, y0, 0.0f, argb};
  out[1] = {x1, y0, 0.0f, argb};
  out[2] = {x0, y1, 0.0f, argb};
  out[3] = {x1, y1, 0.0f, argb};
}
}  // namespace

GfxWindow::GfxWindow(GfxModel* owner)
    : GfxModelCommand(owner), impl_(std::make_unique<Impl>()), white_(std::make_unique<WhiteTexture>()) {
  DeviceContext* device = DeviceContext::getInstance();
  impl_->title_font_ = device->fontAdapter(kTitleAdapter);
  impl_->item_font_ = device->fontAdapter(kItemAdapter);
  impl_->font_ = boost::make_shared<font::RKFont>();
  impl_->font_->swapFontAdapter(impl_->item_font_);
}

GfxWindow::~GfxWindow() {
  for (WindowItemAdapter* item : made_) item->owner_ = nullptr;
}

void GfxWindow::attach(WindowItemAdapter* item) { made_.push_back(item); }

void GfxWindow::forget(WindowItemAdapter* item) {
  made_.erase(std::remove(made_.begin(), made_.end(), item), made_.end());
  auto& items = impl_->items_;
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

void GfxWindow::setColor(std::uint32_t argb) { impl_->bg_color_ = colorFromArgb(argb); }

WindowItemString* GfxWindow::addString() {
  auto* item = new WindowItemString(this);
  impl_->items_.push_back(item);
  return item;
}

void GfxWindow::addItem(WindowItemAdapter* item) {
  if (item) impl_->items_.push_back(item);
}

void GfxWindow::removeString(WindowItemAdapter* item) {
  auto& items = impl_->items_;
  auto it = std::find(items.begin(), items.end(), item);
  if (it != items.end()) items.erase(it);
  delete item;
}

void GfxWindow::cls() { impl_->items_.clear(); }

void GfxWindow::applyFontSettings() {
  const auto& adapter = impl_->item_font_;
  if (!adapter) return;
  adapter->setFontSizePx(impl_->item_font_size_);
  adapter->setQuarity(impl_->item_quality_);
  adapter->setPenSize(impl_->item_pen_size_);
  adapter->changeFont();
}

void GfxWindow::addSyncItem(ISyncWindowItem* hook) {
  if (hook) impl_->sync_items_.push_back(hook);
}

boost::shared_ptr<font::FontAdapter> GfxWindow::resolveFontAt(const WindowItemAdapter* item) {
  impl_->font_->swapFontAdapter(impl_->item_font_);
  boost::shared_ptr<font::FontAdapter> adapter = impl_->item_font_;
  for (WindowItemAdapter* each : impl_->items_) {
    if (each == item) break;
    if (each->changesFont()) adapter = each->getFontAdapter();
  }
  return adapter;
}

void GfxWindow::execute(GfxDeviceContext&, std::int32_t) {
  Impl& w = *impl_;
  if (!w.visible_) return;
  for (ISyncWindowItem* hook : w.sync_items_) hook->sync();
  DeviceContext* device = DeviceContext::getInstance();
  gpu::GraphicsCommandList* list = device->getNowCommandList();
  if (!list) return;
  const ColorStateBackup saved = device->backupColorState();
  const gpu::CpuDescriptorHandle dsv = device->depthStencil().getDSVHandle();
  list->clearDepthStencilView(dsv, gpu::D3D12_CLEAR_FLAG_DEPTH, 1.0f, 0, 0, nullptr);
  list->clearDepthStencilView(dsv, gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
  list->omSetStencilRef(1);

  // The window's area goes into the stencil.
  device->pushPipeline(PIPELINE_STENCIL_CLIP);
  list->clearDepthStencilView(dsv, gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
  list->omSetStencilRef(1);
  const Color windowColor = colorFromArgb(w.window_color_), baseColor = colorFromArgb(w.base_color_);
  const float width = w.size_.x, height = w.size_.y;
  LineVertex area[4];
  quad(area, 0.0f, 0.0f, width, -height, colorToArgb(w.bg_color_ * windowColor * baseColor));
  device->drawColorStrip(area, 4, PIPELINE_STENCIL_CLIP);
  device->popPipeline();

  // Background and items, kept inside that area.
  device->pushPipeline(PIPELINE_STENCIL_MASK);
  list->omSetStencilRef(1);
  device->setTexture(nullptr);
  fitFont(w.item_font_, w.item_font_size_, w.item_pen_size_, w.item_quality_);
  w.font_->swapFontAdapter(w.item_font_);
  {
    WindowContext context;
    context.saved_state = &saved;
    context.origin = w.org_;
    context.size = w.size_;
    context.font_color = colorFromArgb(w.font_color_);
    context.base_color = baseColor;
    context.window_color = windowColor;
    context.font = w.font_;
    context.item_pass = 1;
    context.clip = true;
    context.white = white_.get();
    context.drawColorStrip(area, 4);
    for (WindowItemAdapter* item : std::vector<WindowItemAdapter*>(w.items_)) item->execute(context);
    device->setTexture(nullptr);
  }
  w.font_->swapFontAdapter(w.item_font_);
  device->popPipeline();

  // Frame: two side bars that cover the corners, then top and bottom.
  const float f = w.frame_size_;
  const std::uint32_t frameArgb = colorToArgb(w.frame_color_ * windowColor * baseColor);
  if (f > 0.0f) {
    LineVertex bar[4];
    quad(bar, -f, f, 0.0f, -height - f, frameArgb);
    device->drawColorStrip(bar, 4, PIPELINE_DEFAULT2D_TRIANGLE);
    quad(bar, width, f, width + f, -height - f, frameArgb);
    device->drawColorStrip(bar, 4, PIPELINE_DEFAULT2D_TRIANGLE);
    quad(bar, 0.0f, f, width, 0.0f, frameArgb);
    device->drawColorStrip(bar, 4, PIPELINE_DEFAULT2D_TRIANGLE);
    quad(bar, 0.0f, -height, width, -height - f, frameArgb);
    device->drawColorStrip(bar, 4, PIPELINE_DEFAULT2D_TRIANGLE);
  }

  // Title tab above the top edge, its text in black.
  if (!w.title_.empty()) {
    const math::Matrix world = device->worldMatrix();
    fitFont(w.title_font_, w.title_font_size_, w.title_pen_size_, w.title_quality_);
    w.font_->swapFontAdapter(w.title_font_);
    const math::Vector4* cell = w.font_->getFontSize();
    const float fw = cell->x, fh = cell->y;
    float tw = 0.0f;
    if (w.title_font_) {
      font::FontRect rect;
      w.title_font_->calcSize(&rect, 0, 0, w.title_.c_str());
      tw = std::fabs(static_cast<float>(rect.right - rect.left));
    }
    const LineVertex tab[5] = {{-f, f, 0.0f, frameArgb},
                               {-f, f + fh, 0.0f, frameArgb},
                               {tw, f, 0.0f, frameArgb},
                               {tw, f + fh, 0.0f, frameArgb},
                               {tw + fw, f, 0.0f, frameArgb}};
    device->drawColorStrip(tab, 5, PIPELINE_DEFAULT2D_TRIANGLE);
    WindowContext title;
    title.saved_state = &saved;
    title.origin = math::Vector4{0.0f, fh, 0.0f, 0.0f};
    title.size = w.size_;
    title.font_color = colorFromArgb(0xFF000000u);
    title.base_color = Color(0.0f, 0.0f, 0.0f, baseColor.getA()) * windowColor;
    title.window_color = windowColor;
    title.font = w.font_;
    title.item_pass = 0;
    w.font_->stringPrint(&title, 0, 0, w.title_.c_str());
    w.font_->swapFontAdapter(w.item_font_);
    device->setWorldMatrix(world);
    device->setTexture(nullptr);
  }
  device->restoreColorState(saved);
}

}  // namespace rk::gfx::gfx_model_command
