#include "font/directx_font/rk_poly_font.h"

#include <cmath>
#include <map>
#include <string>

#include "font/rk_font_function.h"
#include "font/rk_font_leaf.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "kernel/rk_device_context.h"
#include "util/rk_text.h"

namespace rk::font {

namespace {
constexpr const char* kSource = "src/font/directx_font/rk_poly_font";
constexpr int kReleaseLine = 287;
}  // namespace

struct FFontAdapter::Impl {
  std::string face_;
  std::int32_t height_ = 64;
  std::int32_t width_ = 32;
  math::Vector4 cell_{32, 64, 0, 0};
  std::int32_t points_ = util::pixelToPoint(64);
  GdiFont font_;
  bool dc_ = true;  // the screen's drawing context is held until release
  std::map<char16_t, FontLeaf*> glyphs_;

  void releaseGlyphs() {
    for (auto& entry : glyphs_) entry.second->release(kSource, kReleaseLine);
    glyphs_.clear();
  }

  // A leaf for every code unit of the text that has none.
  void prepare(const std::wstring& wide) {
    for (wchar_t unit : wide) {
      const auto key = static_cast<char16_t>(unit);
      if (glyphs_.count(key)) continue;
      auto* leaf = new FontLeaf12();
      leaf->addRef();
      glyphs_.emplace(key, leaf);
    }
  }

  // Pen moves over the glyphs; with a rectangle it becomes their union.
  void layout(FontRect* rect, int x, int y, const std::wstring& wide) {
    DeviceContext* context = DeviceContext::getInstance();
    const ColorStateBackup saved = context->backupColorState();
    const float penX0 = static_cast<float>(x * width_), penY = static_cast<float>(y * height_);
    if (rect) {
      *rect = {static_cast<std::int32_t>(penX0), static_cast<std::int32_t>(penY), static_cast<std::int32_t>(penX0),
               static_cast<std::int32_t>(penY)};
    } else {
      context->setColorState(false, 0xFFFF0000u);
    }
    float penX = penX0;
    bool first = true;
    for (wchar_t unit : wide) {
      FontLeaf* leaf = glyphs_.at(static_cast<char16_t>(unit));
      FontRect r;
      leaf->getRect(&r);
      const int dx = static_cast<int>(penX), dy = static_cast<int>(penY);
      r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
      if (rect) {
        if (first) {
          *rect = r;
        } else {
          rect->left = std::min(rect->left, r.left), rect->top = std::min(rect->top, r.top);
          rect->right = std::max(rect->right, r.right), rect->bottom = std::max(rect->bottom, r.bottom);
        }
      }
      first = false;
      penX += leaf->advance();
    }
    context->restoreColorState(saved);
  }
};

namespace {
// The text as UTF-16 code units up to the first zero.
std::wstring unitsOf(const char* text) { return text ? util::toWideString(text) : std::wstring(); }
}  // namespace

FFontAdapter::FFontAdapter() : impl_(std::make_unique<Impl>()) {}

FFontAdapter::~FFontAdapter() {
  impl_->releaseGlyphs();
  impl_->font_.reset();
}

bool FFontAdapter::initUpdate(const char* faceName) {
  setFontName(faceName);
  return changeFont();
}

void FFontAdapter::release() {
  impl_->font_.reset();
  impl_->dc_ = false;
}

void FFontAdapter::print(int x, int y, const char* text, std::uint32_t, int, int) {
  const std::wstring wide = unitsOf(text);
  impl_->prepare(wide);
  impl_->layout(nullptr, x, y, wide);
}

void FFontAdapter::stringPrint(DrawContext* context, int x, int y, const char* text, int) {
  const std::wstring wide = unitsOf(text);
  impl_->prepare(wide);
  DeviceContext* device = DeviceContext::getInstance();
  device->setColorState(false, 0xFFFF0000u);
  if (!context) return;
  math::Vector4 pen = context->origin;
  const float cellHeight = context->font ? context->font->getFontSize()->y : 0.0f;
  pen.y += static_cast<float>(y) * cellHeight;
  pen.x += static_cast<float>(x * impl_->width_);
  const gfx::Color color = context->base_color * context->font_color;
  for (wchar_t unit : wide) {
    FontLeaf* leaf = impl_->glyphs_.at(static_cast<char16_t>(unit));
    if (leaf->isReady()) {
      FontRect r;
      leaf->getRect(&r);
      const int dx = static_cast<int>(pen.x), dy = static_cast<int>(-pen.y);
      leaf->draw({r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}, color, context);
      if (leaf->advance() != 0.0f) {
        pen.x += leaf->advance();
        continue;
      }
    }
    pen.x += static_cast<float>(impl_->width_);
  }
}

void FFontAdapter::calcSize(FontRect* rect, int x, int y, const char* text) {
  const std::wstring wide = unitsOf(text);
  impl_->prepare(wide);
  impl_->layout(rect, x, y, wide);
}

const math::Vector4* FFontAdapter::getFontSize() { return &impl_->cell_; }

void FFontAdapter::setFontSizePt(int points) {
  impl_->points_ = points;
  impl_->height_ = pointsToPixels(points);
  impl_->width_ = impl_->height_ / 2;
  impl_->cell_ = math::Vector4{static_cast<float>(impl_->width_), static_cast<float>(impl_->height_), 0, 0};
}

void FFontAdapter::setFontSizePx(int pixels) {
  impl_->points_ = pixelsToPoints(pixels);
  impl_->height_ = pixels;
  impl_->width_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(pixels) / 2u);
  impl_->cell_ = math::Vector4{static_cast<float>(impl_->width_), static_cast<float>(impl_->height_), 0, 0};
}

void FFontAdapter::setFontName(const char* faceName) { impl_->face_ = faceName ? faceName : ""; }

const char* FFontAdapter::getFontName() { return impl_->face_.c_str(); }

bool FFontAdapter::changeFont() {
  impl_->releaseGlyphs();
  GdiFont font = createGdiFont(impl_->height_, impl_->face_.c_str(), 1);
  if (!font) return false;
  impl_->font_ = font;
  impl_->prepare(L" ");
  FontLeaf* space = impl_->glyphs_.at(u' ');
  impl_->height_ = space->height();
  impl_->width_ = static_cast<std::int32_t>(space->advance());
  impl_->cell_ = math::Vector4{static_cast<float>(impl_->width_), static_cast<float>(impl_->height_), 0, 0};
  return true;
}

int FFontAdapter::points() const { return impl_->points_; }
int FFontAdapter::height() const { return impl_->height_; }
int FFontAdapter::width() const { return impl_->width_; }
std::size_t FFontAdapter::glyphCount() const { return impl_->glyphs_.size(); }
bool FFontAdapter::hasFont() const { return impl_->font_ != nullptr; }

}  // namespace rk::font
