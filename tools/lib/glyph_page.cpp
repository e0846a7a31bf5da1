#include "lib/glyph_page.h"

#include <fstream>
#include <sstream>

#include "host/glyph.h"
#include "host/text.h"

namespace rktools {

namespace {

constexpr std::uint32_t kKey = 0x00ff00ff;     // ground colour: never drawn, becomes transparent
constexpr std::uint32_t kOutline = 0x00202020;  // COLORREF 0x00BBGGRR
constexpr std::uint32_t kFill = 0x00ffffff;
constexpr int kPen = 2;

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// The character's UTF-16 unit; 0 for control bytes and what cannot be converted.
char16_t unitOf(const std::string& code) {
  if (code.size() == 1 && static_cast<unsigned char>(code[0]) < 0x20) return 0;
  const std::wstring wide = host::text::cp932ToWide(code);
  if (wide.size() != 1 || wide[0] > 0xFFFF) return 0;
  return static_cast<char16_t>(wide[0]);
}

// Draws one character with its cell's top-left at (x, y) of a cell of the given size.
bool drawInto(const host::glyph::Font& font, char16_t unit, std::uint32_t x, std::uint32_t y, std::uint32_t width,
              std::uint32_t height, Image& image) {
  host::glyph::GlyphMetrics metrics;
  if (!host::glyph::glyphMetrics(font, unit, &metrics)) return false;
  const host::glyph::TextMetrics text = host::glyph::textMetrics(font);
  host::glyph::Bitmap24 bitmap;
  bitmap.width = static_cast<int>(width);
  bitmap.height = static_cast<int>(height);
  const int left = (static_cast<int>(width) - metrics.cellIncX) / 2;
  const int top = (static_cast<int>(height) - text.height) / 2;
  if (!host::glyph::drawOutlineGlyph(font, unit, kPen, left, top, kKey, kOutline, kFill, &bitmap)) return false;
  for (std::uint32_t row = 0; row < height && y + row < image.height; ++row) {
    const std::uint8_t* source = bitmap.pixels.data() + std::size_t(row) * bitmap.pitch;
    for (std::uint32_t column = 0; column < width && x + column < image.width; ++column) {
      const std::uint8_t* bgr = source + column * 3;
      const std::uint32_t colour = bgr[0] << 16 | bgr[1] << 8 | bgr[2];
      if (colour == kKey) continue;
      std::uint8_t* out = image.at(x + column, y + row);
      out[0] = bgr[2];
      out[1] = bgr[1];
      out[2] = bgr[0];
      out[3] = 255;
    }
  }
  return true;
}

}  // namespace

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 text with \xNN escapes to CP932 bytes; false when a part has no CP932 form.
bool toCp932(const std::string& utf8, std::string& out) {
  std::string run;
  auto flush = [&] {
    if (run.empty()) return true;
    const std::string converted = host::text::utf8ToCp932(run);
    run.clear();
    if (converted.empty()) return false;
    out += converted;
    return true;
  };
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\\' && i + 3 < utf8.size() && utf8[i + 1] == 'x' && hexValue(utf8[i + 2]) >= 0 &&
        hexValue(utf8[i + 3]) >= 0) {
      if (!flush()) return false;
      out += static_cast<char>(hexValue(utf8[i + 2]) * 16 + hexValue(utf8[i + 3]));
      i += 3;
    } else {
      run += utf8[i];
    }
  }
  return flush();
}

}  // namespace

bool readPageList(const std::string& path, std::vector<PageSource>& pages, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    PageSource page;
    PageLayout& l = page.layout;
    fields >> page.name >> l.size >> l.rowHeight >> l.narrowWidth >> l.wideWidth >> l.glyphHeight;
    const bool numbersRead = static_cast<bool>(fields);
    std::string rest;
    std::getline(fields, rest);
    const std::size_t start = rest.find_first_not_of(" \t");
    if (!numbersRead || l.size == 0 || l.rowHeight == 0 || l.narrowWidth == 0 || l.wideWidth == 0 ||
        start == std::string::npos || !toCp932(rest.substr(start), page.characters)) {
      error = "bad page line: " + line;
      return false;
    }
    pages.push_back(std::move(page));
  }
  return true;
}

std::vector<std::string> splitCp932(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool pair = isLead(c) && i + 1 < text.size() && isTrail(static_cast<unsigned char>(text[i + 1]));
    out.push_back(text.substr(i, pair ? 2 : 1));
    i += pair ? 2 : 1;
  }
  return out;
}

std::vector<Cell> layoutPage(const std::string& cp932, const PageLayout& layout) {
  std::vector<Cell> cells;
  std::uint32_t x = 0, y = 0;
  for (const std::string& code : splitCp932(cp932)) {
    if (y + layout.rowHeight > layout.size) break;
    const std::uint32_t width = code.size() == 2 ? layout.wideWidth : layout.narrowWidth;
    cells.push_back(Cell{code, x, y, width, layout.rowHeight});
    x += width;
    if (x >= layout.size) {
      x = 0;
      y += layout.rowHeight;
    }
  }
  return cells;
}

std::shared_ptr<host::glyph::Font> openFace(int emHeight) {
  host::glyph::FontDesc desc;
  desc.height = -emHeight;
  desc.faceName = "IPAGothic";
  desc.japanese = true;
  return host::glyph::createFont(desc);
}

int drawCells(const std::vector<Cell>& cells, const host::glyph::Font& font, Image& page) {
  int drawn = 0;
  for (const Cell& cell : cells) {
    const char16_t unit = unitOf(cell.code);
    if (unit != 0 && drawInto(font, unit, cell.x, cell.y, cell.width, cell.height, page)) ++drawn;
  }
  return drawn;
}

void drawText(const std::string& cp932, const host::glyph::Font& font, std::uint32_t x, std::uint32_t y,
              std::uint32_t height, Image& image) {
  for (const std::string& code : splitCp932(cp932)) {
    const char16_t unit = unitOf(code);
    host::glyph::GlyphMetrics metrics;
    if (unit == 0 || !host::glyph::glyphMetrics(font, unit, &metrics) || metrics.cellIncX <= 0) continue;
    const auto advance = static_cast<std::uint32_t>(metrics.cellIncX);
    if (x >= image.width) break;
    drawInto(font, unit, x, y, advance, height, image);
    x += advance;
  }
}

}  // namespace rktools
