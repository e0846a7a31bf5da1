#include "host/glyph.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_STROKER_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "host/text.h"

namespace host::glyph {

namespace {

FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

int floor64(FT_Pos v) { return static_cast<int>(v >> 6); }
int ceil64(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

struct Match {
  std::string file, family;
  int index = 0;
  bool fellBack = false;
};

// Windows face names (UTF-8, whatever the execution character set) and the
// installed family that stands for each.
struct Alias {
  const char* windows;
  const char* installed;
};
constexpr Alias kAliases[] = {
    {u8"ＭＳ ゴシック", "IPAGothic"},   {u8"MS Gothic", "IPAGothic"},   {u8"ＭＳ Ｐゴシック", "IPAPGothic"},
    {u8"MS PGothic", "IPAPGothic"},       {u8"ＭＳ 明朝", "IPAGothic"},    {u8"MS Mincho", "IPAGothic"},
    {u8"ＭＳ Ｐ明朝", "IPAPGothic"},     {u8"MS PMincho", "IPAPGothic"},  {u8"MS UI Gothic", "IPAPGothic"},
    {u8"メイリオ", "IPAPGothic"},         {u8"Meiryo", "IPAPGothic"},      {u8"Courier New", "DejaVu Sans Mono"},
    {u8"Courier", "DejaVu Sans Mono"},    {u8"Consolas", "DejaVu Sans Mono"}, {u8"Terminal", "DejaVu Sans Mono"},
    {u8"Fixedsys", "DejaVu Sans Mono"},   {u8"System", "IPAGothic"},     {u8"Arial", "DejaVu Sans"},
    {u8"Tahoma", "DejaVu Sans"},          {u8"Verdana", "DejaVu Sans"},    {u8"Times New Roman", "DejaVu Serif"},
};

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The installed family a face name stands for; the name itself when no alias names it.
std::string installedFamily(const std::string& family) {
  for (const Alias& alias : kAliases)
    if (sameName(family, alias.windows)) return alias.installed;
  return family;
}

// True when one of the match's family names is `family`.
bool carriesFamily(FcPattern* match, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (sameName(reinterpret_cast<const char*>(name), family)) return true;
  return false;
}

bool findFace(const FontDesc& desc, Match* out) {
  // fontconfig keeps its configuration and default-language caches for the
  // whole process; hand them back at exit.
  static const bool ready = FcInit() && std::atexit(FcFini) == 0;
  if (!ready) return false;
  std::string family = installedFamily(text::cp932ToUtf8(desc.faceName));
  if (family.empty() && !desc.faceName.empty()) family = desc.faceName;  // not CP932: never matches
  // A Japanese face unless the name matches: the program's texts are Japanese.
  const bool japanese = desc.japanese || out->fellBack;
  FcPattern* pattern = FcPatternCreate();
  if (!family.empty() && !out->fellBack)
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (japanese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(desc.weight));
  FcPatternAddInteger(pattern, FC_SLANT, desc.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  if (!family.empty() && !out->fellBack && !carriesFamily(match, family)) {
    // fontconfig answers its best guess for any name; ask again for the default face.
    FcPatternDestroy(match);
    out->fellBack = true;
    return findFace(desc, out);
  }
  FcChar8* file = nullptr;
  FcChar8* name = nullptr;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    out->file = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
      out->family = reinterpret_cast<const char*>(name);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &out->index) != FcResultMatch) out->index = 0;
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace

class Font {
 public:
  FT_Face face = nullptr;
  Match match;
  int emPixels = 0;
  ~Font() {
    if (face) FT_Done_Face(face);
  }
  // Loads the outline of a code unit; false when the face has no glyph for it.
  bool load(char16_t unit) const {
    const FT_UInt index = FT_Get_Char_Index(face, unit);
    if (index == 0 && unit != 0) return false;
    return FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0 &&
           face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
  }
};

std::shared_ptr<Font> createFont(const FontDesc& desc) {
  if (!library()) return nullptr;
  auto font = std::make_shared<Font>();
  if (!findFace(desc, &font->match)) return nullptr;
  if (FT_New_Face(library(), font->match.file.c_str(), font->match.index, &font->face) != 0) {
    font->face = nullptr;
    return nullptr;
  }
  FT_Select_Charmap(font->face, FT_ENCODING_UNICODE);
  const int height = desc.height == 0 ? -16 : desc.height;
  FT_Size_RequestRec request{};
  // Negative: the em square; positive: the whole cell, ascender to descender.
  request.type = height < 0 ? FT_SIZE_REQUEST_TYPE_NOMINAL : FT_SIZE_REQUEST_TYPE_CELL;
  request.height = static_cast<FT_Long>(std::abs(height)) * 64;
  if (FT_Request_Size(font->face, &request) != 0) return nullptr;
  font->emPixels = static_cast<int>(std::lround(font->face->size->metrics.y_scale * font->face->units_per_EM / 65536.0 / 64.0));
  return font;
}

std::string familyName(const Font& font) { return font.match.family; }
std::string fileName(const Font& font) { return font.match.file; }
bool fellBack(const Font& font) { return font.match.fellBack; }

TextMetrics textMetrics(const Font& font) {
  const FT_Size_Metrics& m = font.face->size->metrics;
  TextMetrics t;
  t.ascent = ceil64(m.ascender);
  t.descent = ceil64(-m.descender);
  t.height = t.ascent + t.descent;
  t.internalLeading = std::max(0, t.height - font.emPixels);
  t.externalLeading = std::max(0, ceil64(m.height) - t.height);
  t.maxCharWidth = ceil64(m.max_advance);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(font.face, FT_SFNT_OS2));
  t.aveCharWidth = os2 && os2->xAvgCharWidth > 0
                       ? static_cast<int>(std::lround(FT_MulFix(os2->xAvgCharWidth, m.x_scale) / 64.0))
                       : std::max(1, t.maxCharWidth / 2);
  return t;
}

bool glyphMetrics(const Font& font, char16_t unit, GlyphMetrics* out) {
  if (!font.load(unit)) return false;
  FT_BBox box;
  FT_Outline_Get_CBox(&font.face->glyph->outline, &box);
  GlyphMetrics g;
  if (font.face->glyph->outline.n_points == 0) {
    g.blackBoxX = g.blackBoxY = 1;  // as GDI reports blank glyphs
  } else {
    g.originX = floor64(box.xMin);
    g.originY = ceil64(box.yMax);
    g.blackBoxX = static_cast<std::uint32_t>(std::max(1, ceil64(box.xMax) - g.originX));
    g.blackBoxY = static_cast<std::uint32_t>(std::max(1, g.originY - floor64(box.yMin)));
  }
  g.cellIncX = static_cast<std::int16_t>(std::lround(font.face->glyph->advance.x / 64.0));
  if (out) *out = g;
  return true;
}

namespace {

// Rasterises an outline, already moved into bitmap space (y up from the
// bottom row), into a coverage map of the bitmap's size.
std::vector<std::uint8_t> coverage(FT_Outline* outline, int width, int height) {
  std::vector<std::uint8_t> cov(static_cast<std::size_t>(width) * height);
  if (width <= 0 || height <= 0) return cov;
  FT_Bitmap target;
  FT_Bitmap_Init(&target);
  target.width = static_cast<unsigned>(width);
  target.rows = static_cast<unsigned>(height);
  target.pitch = width;
  target.buffer = cov.data();
  target.num_grays = 256;
  target.pixel_mode = FT_PIXEL_MODE_GRAY;
  FT_Outline_Get_Bitmap(library(), outline, &target);
  return cov;
}

void paint(Bitmap24* bitmap, const std::vector<std::uint8_t>& cov, std::uint32_t ref) {
  for (int row = 0; row < bitmap->height; ++row)
    for (int col = 0; col < bitmap->width; ++col) {
      if (cov[static_cast<std::size_t>(row) * bitmap->width + col] < 128) continue;
      std::uint8_t* p = &bitmap->pixels[static_cast<std::size_t>(row) * bitmap->pitch + col * 3];
      p[0] = (ref >> 16) & 0xFF, p[1] = (ref >> 8) & 0xFF, p[2] = ref & 0xFF;
    }
}

}  // namespace

bool drawOutlineGlyph(const Font& font, char16_t unit, int pen, int x, int y, std::uint32_t background,
                      std::uint32_t stroke, std::uint32_t fill, Bitmap24* bitmap) {
  const int w = std::max(0, bitmap->width), h = std::max(0, bitmap->height);
  bitmap->pitch = (w * 3 + 3) & ~3;
  bitmap->pixels.assign(static_cast<std::size_t>(bitmap->pitch) * h, 0);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      std::uint8_t* p = &bitmap->pixels[static_cast<std::size_t>(row) * bitmap->pitch + col * 3];
      p[0] = (background >> 16) & 0xFF, p[1] = (background >> 8) & 0xFF, p[2] = background & 0xFF;
    }
  if (!font.load(unit)) return false;

  // The cell's top-left sits at (x, y); the baseline is one ascent below it.
  const int ascent = ceil64(font.face->size->metrics.ascender);
  const FT_Pos dx = static_cast<FT_Pos>(x) * 64, dy = static_cast<FT_Pos>(h - y - ascent) * 64;

  FT_Glyph glyph = nullptr;
  if (FT_Get_Glyph(font.face->glyph, &glyph) != 0) return false;
  FT_Outline* inside = &reinterpret_cast<FT_OutlineGlyph>(glyph)->outline;
  FT_Outline_Translate(inside, dx, dy);
  paint(bitmap, coverage(inside, w, h), fill);
  FT_Outline_Translate(inside, -dx, -dy);

  FT_Stroker stroker = nullptr;
  if (FT_Stroker_New(library(), &stroker) == 0) {
    FT_Stroker_Set(stroker, static_cast<FT_Fixed>(std::max(pen, 1)) * 32, FT_STROKER_LINECAP_ROUND,
                   FT_STROKER_LINEJOIN_ROUND, 0);
    if (FT_Glyph_Stroke(&glyph, stroker, 1) == 0) {
      FT_Outline* border = &reinterpret_cast<FT_OutlineGlyph>(glyph)->outline;
      FT_Outline_Translate(border, dx, dy);
      paint(bitmap, coverage(border, w, h), stroke);
    }
    FT_Stroker_Done(stroker);
  }
  FT_Done_Glyph(glyph);
  return true;
}

}  // namespace host::glyph
