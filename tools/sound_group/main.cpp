// sound_group: writes a sound-group file.
//
//   sound_group -o OUT.bpa LIST.txt
//       LIST.txt (UTF-8) names one Ogg file a line, relative to the sound-effect
//       root folder; '#' starts a comment line. OUT.bpa is the group as the
//       game reads it when a script asks for "<name>.bsp": the compressed
//       container of the name table, names in CP932.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/text.h"
#include "lib/dds_writer.h"
#include "lib/sound_group_writer.h"

int main(int argc, char** argv) {
  std::string out, list;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) out = argv[++i];
    else list = arg;
  }
  if (out.empty() || list.empty()) {
    std::fprintf(stderr, "usage: sound_group -o OUT.bpa LIST.txt\n");
    return 2;
  }
  std::ifstream in(list);
  if (!in) {
    std::fprintf(stderr, "sound_group: cannot read %s\n", list.c_str());
    return 1;
  }
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string name = host::text::utf8ToCp932(line);
    if (name.empty()) {
      std::fprintf(stderr, "sound_group: %s cannot be held in CP932\n", line.c_str());
      return 1;
    }
    names.push_back(name);
  }
  const std::vector<std::uint8_t> file = rktools::soundGroupFile(names);
  if (file.empty() || !rktools::writeBinaryFile(out, file)) {
    std::fprintf(stderr, "sound_group: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
