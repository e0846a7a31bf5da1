// dds_writer: writes one uncompressed DDS texture from a pattern.
//   dds_writer <out.dds> <width> <height> <pattern...>
// where the pattern is "solid AARRGGBB", "checker AARRGGBB AARRGGBB cell" or
// "gradient AARRGGBB AARRGGBB".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dds_writer/lib/dds_file.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: dds_writer <out.dds> <width> <height> <pattern...>\n");
    return 2;
  }
  std::string pattern;
  for (int i = 4; i < argc; ++i) pattern += std::string(i > 4 ? " " : "") + argv[i];
  ddsfile::Image image;
  std::string error;
  if (!ddsfile::makePattern(pattern, static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)),
                            static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)), image, error)) {
    std::fprintf(stderr, "dds_writer: %s\n", error.c_str());
    return 1;
  }
  if (!ddsfile::writeFile(argv[1], ddsfile::encode(image))) {
    std::fprintf(stderr, "dds_writer: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
