// Size helpers, the GDI-style font factory and the outlined-glyph renderer of
// the glyph-based fonts.
#pragma once
#include <cstdint>
#include <memory>

#include "host/glyph.h"

namespace host::ui { class Window; }

namespace rk::font {

struct FontRect;

// size ÷ quality − pen ÷ 2 with truncating divisions. A quality of zero or less
// counts as 1 instead of dividing by zero.
int calcFontHeight(int size, int penWidth, int quality);

// A logical font; the handle frees the face with its last copy.
using GdiFont = std::shared_ptr<host::glyph::Font>;

// A fixed-pitch Shift-JIS font of height × quality pixels (negative: character
// height), weight 400, with the face name cut to the 31 bytes a logical font
// holds. A name that no installed face carries gives the default face and an
// error-log entry. Null only when no face can be opened at all.
GdiFont createGdiFont(int height, const char* faceName, int quality);

// What the outline renderer reports about one glyph, in its order.
struct OutlineGlyphRecord {
  std::int32_t width = 0, height = 0;  // bitmap size ÷ quality
  std::int32_t quality = 1;
  const std::uint8_t* pixels = nullptr;  // the bitmap's B G R rows
  std::int32_t pitch = 0;                // bytes per row
  std::uint32_t outlineMask = 0xFF000000u, fillMask = 0xFFFFFFFFu;
  host::glyph::GlyphMetrics glyph;
  host::glyph::TextMetrics text;
  std::int32_t originX = 0, originY = 0;  // where the cell's top-left lies in the bitmap, negated
  std::int32_t extentX = 0, extentY = 0;  // right and bottom of the black box plus half the pen
};

// Renders one UTF-16 code unit as a top-down 24-bit bitmap: blue background,
// the inside red, the outline (pen pixels wide) green; width and height are
// multiples of the quality. Without glyph metrics an information box "フォントエラー"
// is shown on the window and null is returned. The two reserved integers are
// not used. `cell` gets the glyph's cell in bitmap pixels ÷ quality; `record`
// what a glyph leaf is built from (its pixels point into the returned bitmap).
std::unique_ptr<host::glyph::Bitmap24> createOutlineGlyphBitmap(char16_t unit, const GdiFont& font,
                                                                host::ui::Window* window, int pen, int reserved0,
                                                                int reserved1, int quality, FontRect* cell,
                                                                OutlineGlyphRecord* record);

}  // namespace rk::font
