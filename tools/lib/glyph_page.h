// Glyph pages: characters laid out in rows of cells on a square page and drawn
// white with a dark outline on a transparent ground, for the game's bitmap
// fonts. Text is CP932: a lead byte 0x81..0x9F or 0xE0..0xFC followed by a
// trail byte 0x40..0x7E or 0x80..0xFC is one two-byte character, every other
// byte a one-byte character.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/dds_writer.h"

namespace host::glyph { class Font; }

namespace rktools {

struct PageLayout {
  std::uint32_t size = 256;        // page width and height in texels
  std::uint32_t rowHeight = 64;    // cell height
  std::uint32_t narrowWidth = 32;  // cell width of a one-byte character
  std::uint32_t wideWidth = 64;    // cell width of a two-byte character
  int glyphHeight = 52;            // em height the characters are drawn at
};

// One page of a page list: its texture name, layout and characters (CP932).
struct PageSource {
  std::string name;
  PageLayout layout;
  std::string characters;
};

// Reads a page list (UTF-8): per line the texture name, page size, row height,
// one-byte and two-byte cell widths, em height, then the characters (the rest
// of the line; \xNN is one raw CP932 byte). '#' lines and blank lines are
// skipped. False, with the offending line in `error`, when a line is bad.
bool readPageList(const std::string& path, std::vector<PageSource>& pages, std::string& error);

struct Cell {
  std::string code;  // the character's CP932 bytes
  std::uint32_t x = 0, y = 0, width = 0, height = 0;
};

// Splits CP932 text into its characters.
std::vector<std::string> splitCp932(const std::string& text);

// Cells left to right from the page's top-left; a row ends when x reaches the
// page width, the next row starts one row height lower; rows stop at the
// page's bottom, dropping the characters that do not fit.
std::vector<Cell> layoutPage(const std::string& cp932, const PageLayout& layout);

// A face that covers Japanese (IPAGothic first), drawn at that em height; null
// when no face can be opened.
std::shared_ptr<host::glyph::Font> openFace(int emHeight);

// Draws each cell's character centred in its cell. Characters the face lacks
// and control bytes leave their cell empty. Returns how many were drawn.
int drawCells(const std::vector<Cell>& cells, const host::glyph::Font& font, Image& page);

// Draws a line of CP932 text from (x, y), each character in a cell as wide as
// its advance and `height` high; clipped to the image.
void drawText(const std::string& cp932, const host::glyph::Font& font, std::uint32_t x, std::uint32_t y,
              std::uint32_t height, Image& image);

}  // namespace rktools
