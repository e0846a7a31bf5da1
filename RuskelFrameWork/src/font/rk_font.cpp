#include "font/rk_font.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "kernel/rk_error_log.h"

namespace rk::font {

namespace {
constexpr const char* kSource = "src/font/rk_font";
constexpr int kStringPrintLine = 259;
constexpr int kGetFontSizeLine = 268;
constexpr int kSetFontSizePtLine = 277;
constexpr int kSetFontSizePxLine = 286;

// Formats into a fixed buffer; vsnprintf cuts longer output at size − 1.
template <std::size_t N>
void formatInto(char (&buffer)[N], const char* format, va_list args) {
  std::vsnprintf(buffer, N, format, args);
}
}  // namespace

int pointsToPixels(int points) { return static_cast<int>(std::lround(-points * 96.0 / 72.0)); }
int pixelsToPoints(int pixels) { return static_cast<int>(std::lround(pixels * 72.0 / 96.0)); }

struct RKFont::Impl {
  boost::shared_ptr<FontAdapter> adapter_;
  math::Vector4 zero_size_{};  // the size answered while no adapter is installed
  std::list<std::unique_ptr<PrintEntry>> prints_;
};

RKFont::RKFont() : impl_(std::make_unique<Impl>()) {}

RKFont::~RKFont() {
  clearPrint();
  impl_->adapter_.reset();
}

boost::shared_ptr<FontAdapter> RKFont::swapFontAdapter(const boost::shared_ptr<FontAdapter>& adapter) {
  boost::shared_ptr<FontAdapter> previous = impl_->adapter_;
  impl_->adapter_ = adapter;
  return previous;
}

const boost::shared_ptr<FontAdapter>& RKFont::adapter() const { return impl_->adapter_; }

// Without an adapter these log and then do nothing rather than call through null.
void RKFont::stringPrint(FontAdapter::DrawContext* context, int x, int y, const char* text) {
  if (!impl_->adapter_) {
    debug::writeErrorLog(kSource, kStringPrintLine, "rk::font::RKFont::stringPrint");
    return;
  }
  impl_->adapter_->stringPrint(context, x, y, text, 0);
}

const math::Vector4* RKFont::getFontSize() {
  if (!impl_->adapter_) {
    debug::writeErrorLog(kSource, kGetFontSizeLine, "rk::font::RKFont::getFontSize");
    impl_->zero_size_ = math::Vector4{};
    return &impl_->zero_size_;
  }
  return impl_->adapter_->getFontSize();
}

void RKFont::setFontSizePt(int points) {
  if (!impl_->adapter_) {
    debug::writeErrorLog(kSource, kSetFontSizePtLine, "rk::font::RKFont::setFontSizePt");
    return;
  }
  impl_->adapter_->setFontSizePt(points);
}

void RKFont::setFontSizePx(int pixels) {
  if (!impl_->adapter_) {
    debug::writeErrorLog(kSource, kSetFontSizePxLine, "rk::font::RKFont::setFontSizePx");
    return;
  }
  impl_->adapter_->setFontSizePx(pixels);
}

void RKFont::printf(int x, int y, std::uint32_t argb, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  formatInto(buffer, format, args);
  va_end(args);
  auto entry = std::make_unique<PrintEntry>();
  entry->x = x;
  entry->y = y;
  entry->text = buffer;
  entry->color = argb;
  impl_->prints_.push_back(std::move(entry));
}

void RKFont::clearPrint() { impl_->prints_.clear(); }

const std::list<std::unique_ptr<RKFont::PrintEntry>>& RKFont::prints() const { return impl_->prints_; }

void RKFont::getStringRectFormat(FontRect* rect, int x, int y, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  formatInto(buffer, format, args);
  va_end(args);
  if (!impl_->adapter_) return;
  impl_->adapter_->calcSize(rect, x, y, buffer);
}

void RKFont::printNow(int x, int y, std::uint32_t argb, int a, int b, const char* format, ...) {
  char buffer[1025] = {};
  va_list args;
  va_start(args, format);
  formatInto(buffer, format, args);
  va_end(args);
  if (!impl_->adapter_) return;
  impl_->adapter_->setFontSizePx(32);
  impl_->adapter_->print(x, y, buffer, argb, a, b);
}

}  // namespace rk::font
