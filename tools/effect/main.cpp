// effect: writes an effect file from its readable description.
//
//   effect [--container] -o OUT INPUT.txt
//       OUT gets the effect file's bytes (host/effect/README.md); with
//       --container it gets them as one compressed container, the form a
//       loose ".ea" file in the data folder has. The description is checked
//       line by line and the written bytes are read back before OUT is made.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "host/effect.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: effect [--container] -o OUT INPUT.txt\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, input;
  bool container = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "--container") {
      container = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return usage();
    } else if (input.empty()) {
      input = arg;
    } else {
      return usage();
    }
  }
  if (output.empty() || input.empty()) return usage();

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "effect: cannot read %s\n", input.c_str());
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  host::effect::EffectDesc desc;
  std::string error;
  if (!host::effect::parseEffectText(text, &desc, &error)) {
    std::fprintf(stderr, "%s: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  std::vector<std::uint8_t> bytes = host::effect::writeEffect(desc);
  if (!host::effect::readEffect(bytes.data(), bytes.size(), nullptr, &error)) {
    std::fprintf(stderr, "%s: written file does not read back: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  if (container) {
    std::vector<std::uint8_t> packed;
    if (rk::fs::compressContainer(bytes.data(), bytes.size(), packed) != 0) {
      std::fprintf(stderr, "effect: compression failed\n");
      return 1;
    }
    bytes.swap(packed);
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "effect: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
