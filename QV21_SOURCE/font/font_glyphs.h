// Where the game's bitmap fonts find their characters, and how they measure
// text. The game font has 26 pages of 256 x 256 texels whose contents are
// fixed by one row string each (rows 64 texels high, one-byte characters 32
// wide, two-byte characters 64); the initial font has one texture of fifty
// full-width characters in 32 x 32 cells, eight a row. Texts are CP932.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "font/rk_font.h"

namespace font {

// A character's cell: texture coordinates (0..1) of its page, and the page.
struct Glyph {
  float left = 0, top = 0, right = 0, bottom = 0;
  int page = 0;
};

using GlyphMap = std::map<std::uint32_t, Glyph>;

struct GlyphPage {
  const char* texture;  // requested name, "textures/font01.tga"
  const char* row;      // the characters on the page, in reading order
};

// The 26 pages of the game font, page number = index.
const std::vector<GlyphPage>& gameFontPages();
constexpr const char* kInitialFontTexture = "textures/initialfont.tga";

// The length of the character at text[i]: 2 for a lead byte 0x81..0x9F or
// 0xE0..0xFC followed by a trail byte 0x40..0x7E or 0x80..0xFC, else 1.
std::size_t characterLength(const char* text, std::size_t i);
// A character's code: the byte, or lead + 256 × trail.
std::uint32_t characterCode(const char* text, std::size_t i, std::size_t length);

// Enters a page's row string: a character keeps the first cell it was given.
void enterRow(GlyphMap& glyphs, int page, const char* row);
// Every page in page order: 407 characters.
GlyphMap buildGameFontGlyphs();
// The initial font's fifty characters.
GlyphMap buildInitialFontGlyphs();

// The text's extent in pixels from cell (x, y): two-byte characters are two
// cells wide, a line feed starts a new line, the byte 8 takes no room.
// Returns the bottom; a null text leaves the rectangle alone and gives 0.
int measureText(rk::font::FontRect* rect, float cellWidth, float cellHeight, int x, int y, const char* text);

// A character a print draws: the top-left corner of its cell in pen space
// (y grows downward, each line one cell height below the last), its width
// (one cell, two for a two-byte character), and whether a byte 8 before it
// asked for half brightness.
struct PlacedGlyph {
  const Glyph* glyph;
  float x, y, width;
  bool half;
};

// Lays out a print from the pen (startX, startY): a character without a glyph
// is not drawn but advances by its width; a line feed returns to startX one
// line lower; the byte 8 marks the next drawn glyph and takes no room.
std::vector<PlacedGlyph> layoutText(const GlyphMap& glyphs, float cellWidth, float cellHeight, float startX,
                                    float startY, const char* text);

}  // namespace font
