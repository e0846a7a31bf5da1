#include "font/font_glyphs.h"

#include <algorithm>
#include <cstring>

namespace font {

namespace {

constexpr float kPageSize = 256.0f;
constexpr float kRowHeight = 64.0f;
constexpr float kNarrow = 32.0f, kWide = 64.0f;

constexpr const char* kInitialTable =
    "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ０１２３４５６７８９・？！＃＄％＆＋－＝＊／＠＿";

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

}  // namespace

const std::vector<GlyphPage>& gameFontPages() {
  static const std::vector<GlyphPage> pages = {
      {"textures/font01.tga", "ABCDEFGHIJKLMNOPQRSTUVWXYZ\""},
      {"textures/font02.tga", "0123456789-+=*/\x5C\x07\x09!?;:[](){}.,%_"},
      {"textures/font03.tga", "abcdefghijklmnopqrstuvwxyz"},
      {"textures/font04.tga", "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰ"},
      {"textures/font05.tga", "ＱＲＳＴＵＶＷＸＹＺ．・　－＋＝"},
      {"textures/font06.tga", "０１２３４５６７８９"},
      {"textures/font07.tga", "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐ"},
      {"textures/font08.tga", "ｑｒｓｔｕｖｗｘｕｚ＊／【】■◆"},
      {"textures/font09.tga", "あいうえおかきくけこさしすせそた"},
      {"textures/font10.tga", "ちつてとなにぬねのはひふへほまみ"},
      {"textures/font11.tga", "むめもやゆよらりるれろわおんっ。"},
      {"textures/font12.tga", "アイウエオカキクケコサシスセソタ"},
      {"textures/font13.tga", "チツテトナニヌネノハヒフヘホマミ"},
      {"textures/font14.tga", "ムメモヤユヨラリルレロワオンッ、"},
      {"textures/font15.tga", "ぁぃぅぇぉゃゅょっァィゥェォャュ"},
      {"textures/font16.tga", "ョッ"},
      {"textures/font17.tga", "がぎぐげござじずぜぞだぢづでどば"},
      {"textures/font18.tga", "びぶべぼぱぴぷぺぽー"},
      {"textures/font19.tga", "ガギグゲゴザジズゼゾダヂヅデドバ"},
      {"textures/font20.tga", "ビブベボパピプペポ"},
      {"textures/kanji01_01.tga", "任：認触敵？！終選的必＿算能転録"},
      {"textures/kanji01_02.tga", "重弾使確登用「置」計要遅度配操高"},
      {"textures/kanji02_01.tga", "剛初＄武％＃数＆＠増応時押見性速"},
      {"textures/kanji02_02.tga", "発動元無了下化多位通般射体力済威"},
      {"textures/kanji03_01.tga", "貫意間態関移接戻上一作器常択回非"},
      {"textures/kanji03_02.tga", "状期方向右形左変"},
  };
  return pages;
}

std::size_t characterLength(const char* text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  return isLead(lead) && text[i + 1] != '\0' && isTrail(static_cast<unsigned char>(text[i + 1])) ? 2 : 1;
}

std::uint32_t characterCode(const char* text, std::size_t i, std::size_t length) {
  const auto first = static_cast<unsigned char>(text[i]);
  if (length == 1) return first;
  return first + 256u * static_cast<unsigned char>(text[i + 1]);
}

void enterRow(GlyphMap& glyphs, int page, const char* row) {
  float x = 0, y = 0;
  std::size_t i = 0;
  while (row[i] != '\0' && y + kRowHeight <= kPageSize) {
    const std::size_t length = characterLength(row, i);
    const float width = length == 2 ? kWide : kNarrow;
    glyphs.emplace(characterCode(row, i, length),
                   Glyph{x / kPageSize, y / kPageSize, (x + width) / kPageSize, (y + kRowHeight) / kPageSize, page});
    i += length;
    x += width;
    if (x >= kPageSize) {
      x = 0;
      y += kRowHeight;
    }
  }
}

GlyphMap buildGameFontGlyphs() {
  GlyphMap glyphs;
  const std::vector<GlyphPage>& pages = gameFontPages();
  for (std::size_t page = 0; page < pages.size(); ++page) enterRow(glyphs, static_cast<int>(page), pages[page].row);
  return glyphs;
}

GlyphMap buildInitialFontGlyphs() {
  GlyphMap glyphs;
  int index = 0;
  for (std::size_t i = 0; kInitialTable[i] != '\0'; i += 2, ++index) {
    const float column = static_cast<float>(index % 8), row = static_cast<float>(index / 8);
    glyphs.emplace(characterCode(kInitialTable, i, 2),
                   Glyph{32 * column / 256, 32 * row / 256, (32 * column + 32) / 256, (32 * row + 32) / 256, 0});
  }
  return glyphs;
}

int measureText(rk::font::FontRect* rect, float cellWidth, float cellHeight, int x, int y, const char* text) {
  if (!text) return 0;
  const int left = static_cast<int>(static_cast<float>(x) * cellWidth);
  const int top = static_cast<int>(static_cast<float>(y) * cellHeight);
  float penX = static_cast<float>(x) * cellWidth;
  float penY = static_cast<float>(y) * cellHeight + cellHeight;
  int right = left, bottom = static_cast<int>(penY);
  for (std::size_t i = 0; text[i] != '\0';) {
    const std::size_t length = characterLength(text, i);
    if (length == 2) {
      penX += 2 * cellWidth;
    } else if (text[i] == '\n') {
      penX = static_cast<float>(left);
      penY += cellHeight;
    } else if (text[i] != '\b') {
      penX += cellWidth;
    }
    right = std::max(right, static_cast<int>(penX));
    bottom = std::max(bottom, static_cast<int>(penY));
    i += length;
  }
  if (rect) *rect = rk::font::FontRect{left, top, right, bottom};
  return bottom;
}

std::vector<PlacedGlyph> layoutText(const GlyphMap& glyphs, float cellWidth, float cellHeight, float startX,
                                    float startY, const char* text) {
  std::vector<PlacedGlyph> placed;
  if (!text) return placed;
  float penX = startX, penY = startY;
  bool half = false;
  for (std::size_t i = 0; text[i] != '\0';) {
    const std::size_t length = characterLength(text, i);
    const float width = length == 2 ? 2 * cellWidth : cellWidth;
    const auto found = glyphs.find(characterCode(text, i, length));
    i += length;
    if (found != glyphs.end()) {
      placed.push_back({&found->second, penX, penY, width, half});
      half = false;
      penX += width;
    } else if (length == 1 && text[i - 1] == '\n') {
      penX = startX;
      penY += cellHeight;
    } else if (length == 1 && text[i - 1] == '\b') {
      half = true;
    } else {
      penX += width;
    }
  }
  return placed;
}

}  // namespace font
