#include "font/rk_font_function.h"

#include <string>

#include "font/rk_font.h"
#include "host/text.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"

namespace rk::font {

namespace {
constexpr const char* kSource = "src/font/rk_font_function";
constexpr std::size_t kFaceNameMax = 31;  // a logical font's face name holds 31 bytes and a zero

int ceilDiv(int value, int divisor) { return value >= 0 ? (value + divisor - 1) / divisor : value / divisor; }
}  // namespace

int calcFontHeight(int size, int penWidth, int quality) {
  if (quality <= 0) quality = 1;
  return size / quality - penWidth / 2;
}

GdiFont createGdiFont(int height, const char* faceName, int quality) {
  host::glyph::FontDesc desc;
  desc.height = height * quality;
  desc.weight = 400;
  desc.italic = false;
  desc.japanese = true;  // Shift-JIS character set
  const std::string face = faceName ? faceName : "";
  desc.faceName = face.substr(0, host::text::fitLength(face, kFaceNameMax));
  GdiFont font = host::glyph::createFont(desc);
  if (!font) {
    debug::writeErrorLog(kSource, 40, "rk::font::createGdiFont");
    return nullptr;
  }
  if (host::glyph::fellBack(*font)) {
    const std::string text = "rk::font::createGdiFont : \"" + desc.faceName + "\" -> " +
                             host::text::utf8ToCp932(host::glyph::familyName(*font));
    debug::writeErrorLog(kSource, 45, text.c_str());
  }
  return font;
}

std::unique_ptr<host::glyph::Bitmap24> createOutlineGlyphBitmap(char16_t unit, const GdiFont& font,
                                                                host::ui::Window* window, int pen, int, int,
                                                                int quality, FontRect* cell,
                                                                OutlineGlyphRecord* record) {
  host::glyph::GlyphMetrics glyph;
  if (!font || !host::glyph::glyphMetrics(*font, unit, &glyph)) {
    host::ui::messageBox(window, "アウトラインフォントに対応していません。", "フォントエラー",
                         host::ui::MB_ICONINFORMATION);
    return nullptr;
  }
  if (quality <= 0) quality = 1;
  if (pen < 0) pen = 0;
  const host::glyph::TextMetrics text = host::glyph::textMetrics(*font);
  const int half = pen / 2;
  const int originX = glyph.originX - half;
  const int originY = text.ascent - half - glyph.originY;

  auto bitmap = std::make_unique<host::glyph::Bitmap24>();
  bitmap->width = quality * ceilDiv(static_cast<int>(glyph.blackBoxX) + pen, quality);
  bitmap->height = quality * ceilDiv(static_cast<int>(glyph.blackBoxY) + pen, quality);
  // The cell's top-left lies at (−origin x, −origin y) in the bitmap.
  host::glyph::drawOutlineGlyph(*font, unit, pen, -originX, -originY, 0xFF0000u, 0x00FF00u, 0x0000FFu, bitmap.get());

  if (record) {
    record->width = bitmap->width / quality;
    record->height = bitmap->height / quality;
    record->quality = quality;
    record->pixels = bitmap->pixels.data();
    record->pitch = bitmap->pitch;
    record->outlineMask = 0xFF000000u;
    record->fillMask = 0xFFFFFFFFu;
    record->glyph = glyph;
    record->text = text;
    record->originX = originX;
    record->originY = originY;
    record->extentX = glyph.originX + static_cast<int>(glyph.blackBoxX) + half;
    record->extentY = text.ascent - glyph.originY + static_cast<int>(glyph.blackBoxY) + half;
  }
  if (cell) {
    cell->left = originX / quality;
    cell->top = originY / quality;
    cell->right = originX / quality + (glyph.cellIncX + pen) / quality;
    cell->bottom = originY / quality + (text.height + pen) / quality;
  }
  return bitmap;
}

}  // namespace rk::font
