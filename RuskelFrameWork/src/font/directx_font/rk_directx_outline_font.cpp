#include "font/directx_font/rk_directx_outline_font.h"

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "font/rk_font_function.h"
#include "font/rk_font_leaf.h"
#include "gfx/gfx_model_command/rk_window_context.h"
#include "gfx/rk_color_ops.h"
#include "gfx/rk_draw_vertex.h"
#include "kernel/rk_device_context.h"
#include "util/rk_text.h"

namespace rk::font {

namespace {
constexpr const char* kSource = "src/font/directx_font/rk_directx_outline_font";
constexpr int kChangeFontReleaseLine = 352;
constexpr int kDestructorReleaseLine = 425;
}  // namespace

struct DirectXOutlineFont::Impl {
  math::Vector4 cell_{21, 42, 0, 0};
  std::int32_t pen_size_ = 1;
  std::int32_t quality_ = 1;
  std::string face_;
  GdiFont font_;
  std::map<char16_t, FontLeaf*> glyphs_;
  // Code units the face could not render since the last rebuild: tried once,
  // so their error box does not come back with every draw.
  std::set<char16_t> missing_;

  void releaseGlyphs(int line) {
    for (auto& entry : glyphs_) entry.second->release(kSource, line);
    glyphs_.clear();
    missing_.clear();
  }

  // Renders every code unit of the text that has no glyph yet; a code unit
  // the face cannot render stays without one.
  void createGlyphs(const std::wstring& wide) {
    if (!font_) return;
    host::ui::Window* window = DeviceContext::getInstance()->getWindowHandle();
    for (wchar_t unit : wide) {
      const auto key = static_cast<char16_t>(unit);
      if (glyphs_.count(key) || missing_.count(key)) continue;
      OutlineGlyphRecord record;
      FontRect cell;
      auto bitmap = createOutlineGlyphBitmap(key, font_, window, pen_size_, 0, 0, quality_, &cell, &record);
      if (!bitmap) {
        missing_.insert(key);
        continue;
      }
      auto* leaf = new OutlineFontLeaf(record);
      leaf->addRef();
      glyphs_.emplace(key, leaf);
    }
  }

  void rebuild() {
    font_ = createGdiFont(static_cast<int>(cell_.y), face_.c_str(), quality_);
    createGlyphs(L" ");
    if (FontLeaf* space = find(u' ')) cell_.x = space->advance();
  }

  FontLeaf* find(char16_t unit) const {
    auto it = glyphs_.find(unit);
    return it == glyphs_.end() ? nullptr : it->second;
  }

  float spaceAdvance() const {
    FontLeaf* space = find(u' ');
    return space ? space->advance() : cell_.x;
  }

  // Measures into `rect` when given, else draws.
  void drawText(FontRect* rect, const char* text, int x, int y, std::uint32_t argb,
                gfx::gfx_model_command::WindowContext* context) {
    const std::wstring wide = text ? util::toWideString(text) : std::wstring();
    createGlyphs(wide);
    gfx::Color color = gfx::colorFromArgb(argb);
    float penX, penY;
    if (context) {
      penX = context->origin.x + cell_.x * static_cast<float>(x);
      const float cellHeight = context->font ? context->font->getFontSize()->y : 0.0f;
      penY = -context->origin.y - static_cast<float>(y) * cellHeight;
      color = context->base_color * context->font_color;
    } else {
      penX = static_cast<float>(x) * cell_.x;
      penY = static_cast<float>(y) * cell_.y;
    }
    DeviceContext* device = DeviceContext::getInstance();
    const ColorStateBackup saved = device->backupColorState();
    bool first = true;
    if (rect) {
      *rect = {static_cast<std::int32_t>(penX), static_cast<std::int32_t>(penY), static_cast<std::int32_t>(penX),
               static_cast<std::int32_t>(penY)};
    } else {
      device->setColorState(false, 0xFFFF0000u);
    }
    for (wchar_t unit : wide) {
      FontLeaf* leaf = find(static_cast<char16_t>(unit));
      if (!leaf) {
        penX += spaceAdvance();
        continue;
      }
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
        first = false;
      } else if (leaf->isReady()) {
        leaf->draw(r, color, context);
      }
      penX += leaf->advance();
    }
    if (!rect) device->setTexture(nullptr);
    device->restoreColorState(saved);
  }
};

DirectXOutlineFont::DirectXOutlineFont() : impl_(std::make_unique<Impl>()) {}

DirectXOutlineFont::~DirectXOutlineFont() {
  impl_->font_.reset();
  impl_->releaseGlyphs(kDestructorReleaseLine);
}

bool DirectXOutlineFont::initUpdate(const char* faceName) {
  impl_->face_ = faceName ? faceName : "";
  impl_->rebuild();
  return true;
}

void DirectXOutlineFont::print(int x, int y, const char* text, std::uint32_t argb, int, int) {
  impl_->drawText(nullptr, text, x, y, argb, nullptr);
}

void DirectXOutlineFont::stringPrint(DrawContext* context, int x, int y, const char* text, int) {
  const std::uint32_t argb = context ? gfx::colorToArgb(context->font_color) : 0xFFFFFFFFu;
  impl_->drawText(nullptr, text, x, y, argb, context);
}

void DirectXOutlineFont::calcSize(FontRect* rect, int x, int y, const char* text) {
  FontRect measured;
  impl_->drawText(&measured, text, x, y, 0, nullptr);
  if (rect) *rect = measured;
}

const math::Vector4* DirectXOutlineFont::getFontSize() { return &impl_->cell_; }

void DirectXOutlineFont::setFontSizePt(int points) {
  const int pixels = std::abs(pointsToPixels(points));
  impl_->cell_.y = static_cast<float>(pixels);
  impl_->cell_.x = impl_->cell_.y * 0.5f;
}

void DirectXOutlineFont::setFontSizePx(int pixels) {
  impl_->cell_.y = static_cast<float>(static_cast<std::uint32_t>(pixels));
  impl_->cell_.x = impl_->cell_.y * 0.5f;
}

void DirectXOutlineFont::setFontName(const char* faceName) { impl_->face_ = faceName ? faceName : ""; }

const char* DirectXOutlineFont::getFontName() { return impl_->face_.c_str(); }

bool DirectXOutlineFont::changeFont() {
  impl_->releaseGlyphs(kChangeFontReleaseLine);
  impl_->rebuild();
  return true;
}

void DirectXOutlineFont::setPenSize(int width) { impl_->pen_size_ = width; }
void DirectXOutlineFont::setQuarity(int quality) { impl_->quality_ = quality; }

int DirectXOutlineFont::penSize() const { return impl_->pen_size_; }
int DirectXOutlineFont::quality() const { return impl_->quality_; }
bool DirectXOutlineFont::hasFont() const { return impl_->font_ != nullptr; }
FontLeaf* DirectXOutlineFont::glyph(char16_t unit) const { return impl_->find(unit); }
std::size_t DirectXOutlineFont::glyphCount() const { return impl_->glyphs_.size(); }

}  // namespace rk::font
