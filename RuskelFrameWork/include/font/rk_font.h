// The font interface every text user goes through, and RKFont, the holder of a
// replaceable current adapter plus a queue of formatted print requests.
#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "math/rk_vector.h"

namespace rk::gfx::gfx_model_command { struct WindowContext; }

namespace rk::font {

// left, top, right, bottom in pixels.
struct FontRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Positions x, y count character cells for the framework's adapters.
// Texts are multibyte (CP932) strings. The slot order is fixed.
class FontAdapter {
 public:
  using DrawContext = gfx::gfx_model_command::WindowContext;

  // Sets the face and rebuilds the font.
  virtual bool initUpdate(const char* faceName) = 0;
  // Releases the adapter's system font objects.
  virtual void release() = 0;
  virtual void reserved() {}
  virtual void print(int x, int y, const char* text, std::uint32_t argb, int a, int b) = 0;
  // Draws with the context's position and font colour.
  virtual void stringPrint(DrawContext* context, int x, int y, const char* text, int n) = 0;
  // Measures without drawing.
  virtual void calcSize(FontRect* rect, int x, int y, const char* text) = 0;
  // x = cell width, y = cell height in pixels.
  virtual const math::Vector4* getFontSize() = 0;
  virtual void setFontSizePt(int points) = 0;
  virtual void setFontSizePx(int pixels) = 0;
  virtual void setFontName(const char* faceName) = 0;
  virtual const char* getFontName() = 0;
  // Rebuilds the font with the current settings.
  virtual bool changeFont() = 0;
  virtual void setPenSize(int width) = 0;
  // Supersampling factor.
  virtual void setQuarity(int quality) = 0;
  virtual ~FontAdapter() = default;
};

// 96 pixels per 72 points. The pixel value is negative: a character height.
int pointsToPixels(int points);
int pixelsToPoints(int pixels);

class RKFont {
 public:
  struct PrintEntry {
    std::int32_t x = 0, y = 0;
    std::string text;
    std::uint32_t color = 0;
  };

  RKFont();
  ~RKFont();
  RKFont(const RKFont&) = delete;
  RKFont& operator=(const RKFont&) = delete;

  // Installs a new adapter and hands back the one it replaces, so a caller can
  // put the old one back after its draw.
  boost::shared_ptr<FontAdapter> swapFontAdapter(const boost::shared_ptr<FontAdapter>& adapter);
  const boost::shared_ptr<FontAdapter>& adapter() const;

  void stringPrint(FontAdapter::DrawContext* context, int x, int y, const char* text);
  // A zero size without an adapter (after the log entry).
  const math::Vector4* getFontSize();
  void setFontSizePt(int points);
  void setFontSizePx(int pixels);

  // Queues a request; at most 1023 characters of text are kept.
  void printf(int x, int y, std::uint32_t argb, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  void clearPrint();
  const std::list<std::unique_ptr<PrintEntry>>& prints() const;

  // Measures the formatted text (at most 1023 characters).
  void getStringRectFormat(FontRect* rect, int x, int y, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  // Draws now at 32 pixels (at most 1024 characters); the adapter keeps that size.
  void printNow(int x, int y, std::uint32_t argb, int a, int b, const char* format, ...)
      __attribute__((format(printf, 7, 8)));

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::font
