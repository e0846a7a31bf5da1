// textures: draws the game's HUD and font textures as DDS files.
//
//   textures -o OUTDIR --pages PAGES.txt --gauge GAUGE.txt [--beam BEAM.txt]
//            [--laser LASER.txt]
//       Writes OUTDIR/textures/<name>.dds for every glyph page of PAGES.txt,
//       the gauge atlas OUTDIR/textures/gauge.dds from GAUGE.txt, with
//       --beam the range attack's beam OUTDIR/textures/player_shot.dds from
//       BEAM.txt and with --laser the enemies' laser strip
//       OUTDIR/textures/enemy_laser.dds from LASER.txt, which has the beam's
//       format (all UTF-8; their formats are described at their tops).
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "beam.h"
#include "host/glyph.h"
#include "host/text.h"
#include "lib/dds_writer.h"
#include "lib/glyph_page.h"

namespace {

struct Options {
  std::string out, pages, gauge, beam, laser;
};

bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    lines.push_back(line);
  }
  return true;
}

bool writeTexture(const Options& options, const std::string& name, const rktools::Image& image) {
  const std::string path = options.out + "/textures/" + name + ".dds";
  if (rktools::writeBinaryFile(path, rktools::ddsRgba8(image))) return true;
  std::fprintf(stderr, "textures: cannot write %s\n", path.c_str());
  return false;
}

bool makePages(const Options& options) {
  std::vector<rktools::PageSource> pages;
  std::string error;
  if (!rktools::readPageList(options.pages, pages, error)) {
    std::fprintf(stderr, "textures: %s\n", error.c_str());
    return false;
  }
  for (const rktools::PageSource& input : pages) {
    auto face = rktools::openFace(input.layout.glyphHeight);
    if (!face) {
      std::fprintf(stderr, "textures: no font face can be opened\n");
      return false;
    }
    rktools::Image page(input.layout.size, input.layout.size);
    rktools::drawCells(rktools::layoutPage(input.characters, input.layout), *face, page);
    if (!writeTexture(options, input.name, page)) return false;
  }
  return true;
}

void fillRect(rktools::Image& image, std::uint32_t l, std::uint32_t t, std::uint32_t r, std::uint32_t b,
              std::uint8_t grey) {
  for (std::uint32_t y = t; y < b && y < image.height; ++y)
    for (std::uint32_t x = l; x < r && x < image.width; ++x) {
      std::uint8_t* p = image.at(x, y);
      p[0] = p[1] = p[2] = grey;
      p[3] = 255;
    }
}

bool makeGauge(const Options& options) {
  std::vector<std::string> lines;
  if (!readLines(options.gauge, lines)) {
    std::fprintf(stderr, "textures: cannot read %s\n", options.gauge.c_str());
    return false;
  }
  rktools::Image atlas;
  for (const std::string& line : lines) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "size") {
      std::uint32_t size = 0;
      fields >> size;
      atlas = rktools::Image(size, size);
      continue;
    }
    std::uint32_t l = 0, t = 0, r = 0, b = 0;
    fields >> l >> t >> r >> b;
    if (!fields || atlas.width == 0 || l >= r || t >= b) {
      std::fprintf(stderr, "textures: bad gauge line: %s\n", line.c_str());
      return false;
    }
    if (kind == "strip") {
      std::string label;
      std::getline(fields, label);
      const std::size_t start = label.find_first_not_of(" \t");
      const std::string text = start == std::string::npos ? "" : host::text::utf8ToCp932(label.substr(start));
      if (text.empty()) {
        std::fprintf(stderr, "textures: bad strip label: %s\n", line.c_str());
        return false;
      }
      const std::uint32_t height = b - t;
      auto face = rktools::openFace(static_cast<int>(height) - 4);
      if (!face) return false;
      rktools::drawText(text, *face, l + 4, t, height, atlas);
    } else if (kind == "frame") {
      std::uint32_t thickness = 1;
      fields >> thickness;
      fillRect(atlas, l, t, r, t + thickness, 255);
      fillRect(atlas, l, b - thickness, r, b, 255);
      fillRect(atlas, l, t, l + thickness, b, 255);
      fillRect(atlas, r - thickness, t, r, b, 255);
    } else if (kind == "fill") {
      for (std::uint32_t y = t; y < b; ++y) fillRect(atlas, l, y, r, y + 1, static_cast<std::uint8_t>(255 - (y - t) * 96 / (b - t)));
    } else {
      std::fprintf(stderr, "textures: unknown gauge piece: %s\n", kind.c_str());
      return false;
    }
  }
  return atlas.width != 0 && writeTexture(options, "gauge", atlas);
}

// A glowing strip from a beam description at `source` (none when empty).
bool makeStrip(const Options& options, const std::string& source, const std::string& name) {
  if (source.empty()) return true;
  std::vector<std::string> lines;
  if (!readLines(source, lines)) {
    std::fprintf(stderr, "textures: cannot read %s\n", source.c_str());
    return false;
  }
  beam::Description description;
  std::string error;
  if (!beam::parse(lines, description, error)) {
    std::fprintf(stderr, "textures: %s: %s\n", source.c_str(), error.c_str());
    return false;
  }
  return writeTexture(options, name, beam::draw(description));
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "-o") options.out = argv[i + 1];
    else if (arg == "--pages") options.pages = argv[i + 1];
    else if (arg == "--gauge") options.gauge = argv[i + 1];
    else if (arg == "--beam") options.beam = argv[i + 1];
    else if (arg == "--laser") options.laser = argv[i + 1];
  }
  if (options.out.empty() || options.pages.empty() || options.gauge.empty()) {
    std::fprintf(stderr,
                 "usage: textures -o OUTDIR --pages PAGES.txt --gauge GAUGE.txt [--beam BEAM.txt] [--laser LASER.txt]\n");
    return 2;
  }
  if (!makePages(options) || !makeGauge(options) || !makeStrip(options, options.beam, "player_shot") ||
      !makeStrip(options, options.laser, "enemy_laser"))
    return 1;
  return 0;
}
