// host/glyph: stands in for the GDI font calls (logical fonts, text and glyph
// metrics, a character drawn as a stroked and filled path). Faces are found
// with fontconfig and rasterised with FreeType. Main thread only.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace host::glyph {

struct FontDesc {
  // As a logical font's height: negative asks for a character (em) height,
  // positive for a cell height (ascent + descent), 0 for the default of 16.
  int height = 0;
  int weight = 400;
  bool italic = false;
  bool japanese = true;  // prefer faces that cover Japanese when the name is not found
  std::string faceName;  // CP932
};

// The fields of the text-metric record the framework reads, in pixels.
struct TextMetrics {
  int height = 0, ascent = 0, descent = 0, internalLeading = 0, externalLeading = 0;
  int aveCharWidth = 0, maxCharWidth = 0;
};

// Glyph metrics with the identity transform. originY is the distance from the
// baseline up to the black box's top; an empty glyph has a 1 × 1 black box.
struct GlyphMetrics {
  std::uint32_t blackBoxX = 0, blackBoxY = 0;
  std::int32_t originX = 0, originY = 0;
  std::int16_t cellIncX = 0, cellIncY = 0;
};

// A top-down 24-bit bitmap, bytes B G R, rows padded to four bytes.
struct Bitmap24 {
  int width = 0, height = 0, pitch = 0;
  std::vector<std::uint8_t> pixels;
};

class Font;

// Null when no face can be opened at all. The Windows face names of Japanese
// and Latin fonts ("ＭＳ ゴシック", "Courier New", ...) stand for installed
// faces of the same kind. A name that no installed face carries gives the
// default face (a Japanese gothic), and `fellBack` tells so.
std::shared_ptr<Font> createFont(const FontDesc& desc);
// The family fontconfig chose (UTF-8) and its file, for diagnostics.
std::string familyName(const Font& font);
std::string fileName(const Font& font);
// True when a face name was asked for and no installed face carries it.
bool fellBack(const Font& font);

TextMetrics textMetrics(const Font& font);
// False when the face has no glyph for the code unit.
bool glyphMetrics(const Font& font, char16_t unit, GlyphMetrics* out);

// Allocates the pixels of a bitmap whose width and height the caller set, fills it with the colour `background`, then
// draws the character with its cell's top-left at (x, y): the inside in
// `fill`, the outline stroked with a pen `pen` pixels wide (at least 1) in
// `stroke` on top. Colours are COLORREF values (0x00BBGGRR). No anti-aliasing,
// as with a GDI path. False without a glyph.
bool drawOutlineGlyph(const Font& font, char16_t unit, int pen, int x, int y, std::uint32_t background,
                      std::uint32_t stroke, std::uint32_t fill, Bitmap24* bitmap);

}  // namespace host::glyph
