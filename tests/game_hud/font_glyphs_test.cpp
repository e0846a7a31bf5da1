// The game fonts' character tables and measuring, and the tables against the
// glyph pages the build draws: every character the game looks up is drawn in
// the cell the game reads.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font/font_glyphs.h"
#include "host/dds.h"

namespace {

std::uint32_t codeOf(const char* character) {
  return font::characterCode(character, 0, font::characterLength(character, 0));
}

void expectGlyph(const font::GlyphMap& glyphs, const char* character, int page, float l, float t, float r, float b) {
  SCOPED_TRACE(character);
  auto it = glyphs.find(codeOf(character));
  ASSERT_NE(it, glyphs.end());
  EXPECT_EQ(it->second.page, page);
  EXPECT_FLOAT_EQ(it->second.left, l);
  EXPECT_FLOAT_EQ(it->second.top, t);
  EXPECT_FLOAT_EQ(it->second.right, r);
  EXPECT_FLOAT_EQ(it->second.bottom, b);
}

TEST(GameFontGlyphs, TheRowStringsEnter407CharactersFirstCellFirst) {
  const font::GlyphMap glyphs = font::buildGameFontGlyphs();
  EXPECT_EQ(glyphs.size(), 407u);
  expectGlyph(glyphs, "A", 0, 0, 0, 0.125f, 0.25f);
  expectGlyph(glyphs, "\"", 0, 0.25f, 0.75f, 0.375f, 1.0f);  // the 27th: fourth row, third cell
  expectGlyph(glyphs, "\\", 1, 0.875f, 0.25f, 1.0f, 0.5f);
  expectGlyph(glyphs, "ｕ", 7, 0, 0.25f, 0.25f, 0.5f);  // twice on its page: the first cell
  expectGlyph(glyphs, "お", 8, 0, 0.25f, 0.25f, 0.5f);  // also on page 10
  expectGlyph(glyphs, "ッ", 13, 0.5f, 0.75f, 0.75f, 1.0f);  // also on page 15
  expectGlyph(glyphs, "変", 25, 0.75f, 0.25f, 1.0f, 0.5f);
  EXPECT_EQ(glyphs.count(codeOf("ｙ")), 0u);
  EXPECT_EQ(glyphs.count(' '), 0u);
}

TEST(InitialFontGlyphs, FiftyCharactersEightARow) {
  const font::GlyphMap glyphs = font::buildInitialFontGlyphs();
  EXPECT_EQ(glyphs.size(), 50u);
  expectGlyph(glyphs, "Ａ", 0, 0, 0, 0.125f, 0.125f);
  expectGlyph(glyphs, "Ｉ", 0, 0, 0.125f, 0.125f, 0.25f);
  expectGlyph(glyphs, "＿", 0, 0.125f, 0.75f, 0.25f, 0.875f);
  EXPECT_EQ(glyphs.count('A'), 0u);
}

TEST(FontMeasure, ExtentsFollowCellsLinesAndDoubleByteCharacters) {
  struct Case {
    const char* text;
    float cellWidth, cellHeight;
    int x, y;
    rk::font::FontRect expected;
  } cases[] = {
      {"AB", 32, 64, 0, 0, {0, 0, 64, 64}},
      {"AB\nC", 32, 64, 0, 0, {0, 0, 64, 128}},
      {"ＡＢ", 16, 32, 0, 0, {0, 0, 64, 32}},
      {"AB", 16, 32, 0, 0, {0, 0, 32, 32}},
      {"ア", 20, 40, 0, 0, {0, 0, 40, 40}},
      {"\bA\b", 32, 64, 0, 0, {0, 0, 32, 64}},
      {"A", 32, 64, 1, 2, {32, 128, 64, 192}},
      {"AAA\nA", 32, 64, 1, 0, {32, 0, 128, 128}},  // the new line starts at the left edge
      {"", 32, 64, 0, 0, {0, 0, 0, 64}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    rk::font::FontRect rect{-1, -1, -1, -1};
    EXPECT_EQ(font::measureText(&rect, c.cellWidth, c.cellHeight, c.x, c.y, c.text), c.expected.bottom);
    EXPECT_EQ(rect.left, c.expected.left);
    EXPECT_EQ(rect.top, c.expected.top);
    EXPECT_EQ(rect.right, c.expected.right);
    EXPECT_EQ(rect.bottom, c.expected.bottom);
  }
  rk::font::FontRect untouched{1, 2, 3, 4};
  EXPECT_EQ(font::measureText(&untouched, 32, 64, 0, 0, nullptr), 0);
  EXPECT_EQ(untouched.right, 3);
}

// Where a print puts each drawn character: cells of one or two widths, lines
// one cell height apart starting again at the first pen x, the byte 8 marking
// the next drawn glyph only, characters without a glyph advancing by their width.
TEST(FontLayout, PrintsPlaceGlyphsCellByCell) {
  const font::GlyphMap glyphs = font::buildGameFontGlyphs();
  struct Placed {
    const char* character;
    float x, y, width;
    bool half;
  };
  struct Case {
    const char* text;
    float cellWidth, cellHeight, startX, startY;
    std::vector<Placed> expected;
  } cases[] = {
      {"AB", 32, 64, 0, 0, {{"A", 0, 0, 32, false}, {"B", 32, 0, 32, false}}},
      {"Aあ", 32, 64, 32, 64, {{"A", 32, 64, 32, false}, {"あ", 64, 64, 64, false}}},
      {"A B", 32, 64, 0, 0, {{"A", 0, 0, 32, false}, {"B", 64, 0, 32, false}}},      // a space: one cell
      {"AｙB", 32, 64, 0, 0, {{"A", 0, 0, 32, false}, {"B", 96, 0, 32, false}}},     // no glyph: two cells
      {"A\nB\nC", 20, 40, 10, -5, {{"A", 10, -5, 20, false}, {"B", 10, 35, 20, false}, {"C", 10, 75, 20, false}}},
      {"\bA\bあB", 32, 64, 0, 0, {{"A", 0, 0, 32, true}, {"あ", 32, 0, 64, true}, {"B", 96, 0, 32, false}}},
      {"\b \b\bA", 32, 64, 0, 0, {{"A", 32, 0, 32, true}}},  // the mark waits for a drawn glyph
      {"ア\x82", 32, 64, 0, 0, {{"ア", 0, 0, 64, false}}},      // a lead byte at the end stands alone
      {"", 32, 64, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<font::PlacedGlyph> placed =
        font::layoutText(glyphs, c.cellWidth, c.cellHeight, c.startX, c.startY, c.text);
    ASSERT_EQ(placed.size(), c.expected.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
      const Placed& e = c.expected[i];
      SCOPED_TRACE(e.character);
      EXPECT_EQ(placed[i].glyph, &glyphs.at(codeOf(e.character)));
      EXPECT_FLOAT_EQ(placed[i].x, e.x);
      EXPECT_FLOAT_EQ(placed[i].y, e.y);
      EXPECT_FLOAT_EQ(placed[i].width, e.width);
      EXPECT_EQ(placed[i].half, e.half);
    }
  }
  EXPECT_TRUE(font::layoutText(glyphs, 32, 64, 0, 0, nullptr).empty());
}

// The textures the build draws, by the name the game asks for.
struct Page {
  host::dds::Image image;
  std::vector<std::uint8_t> bytes;
  int ink(float l, float t, float r, float b) const {
    int count = 0;
    for (auto y = std::uint32_t(t * image.height); y < std::uint32_t(b * image.height); ++y)
      for (auto x = std::uint32_t(l * image.width); x < std::uint32_t(r * image.width); ++x)
        count += bytes[image.surfaces[0].offset + (std::size_t(y) * image.width + x) * 4 + 3] != 0;
    return count;
  }
};

Page loadPage(const std::string& requested) {
  // "textures/font01.tga" is stored as "textures/font01.dds".
  const std::string stored = requested.substr(0, requested.rfind('.')) + ".dds";
  Page page;
  std::ifstream in(RK_BINARY_DIR "/data-gen/hud/" + stored, std::ios::binary);
  page.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  EXPECT_EQ(host::dds::parse(page.bytes.data(), page.bytes.size(), &page.image), host::S_OK) << requested;
  return page;
}

bool isBlank(std::uint32_t code) { return code == 0x4081 || code == 0x07 || code == 0x09; }  // "　", BEL, TAB

TEST(FontTextures, EveryCharacterIsDrawnWhereTheGameLooksForIt) {
  std::vector<Page> pages;
  for (const font::GlyphPage& page : font::gameFontPages()) pages.push_back(loadPage(page.texture));
  for (const auto& [code, glyph] : font::buildGameFontGlyphs()) {
    SCOPED_TRACE(code);
    const int ink = pages[glyph.page].ink(glyph.left, glyph.top, glyph.right, glyph.bottom);
    if (isBlank(code))
      EXPECT_EQ(ink, 0);
    else
      EXPECT_GT(ink, 20);
  }
  const Page initial = loadPage(font::kInitialFontTexture);
  for (const auto& [code, glyph] : font::buildInitialFontGlyphs())
    EXPECT_GT(initial.ink(glyph.left, glyph.top, glyph.right, glyph.bottom), 20) << code;
}

}  // namespace
