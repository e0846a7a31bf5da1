// model_writer: builds a model file and its textures from a description.
//   model_writer <description.txt> <out-folder> <model-file-name>
// writes <out-folder>/<model-file-name> and every texture the description
// lists as a DDS file beside it.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "dds_writer/lib/dds_file.h"
#include "model_writer/lib/model_file.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: model_writer <description.txt> <out-folder> <model-file-name>\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "model_writer: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  modelfile::ModelFile model;
  std::vector<modelfile::TextureSource> textures;
  std::string error;
  if (!modelfile::parseDescription(text.str(), model, textures, error)) {
    std::fprintf(stderr, "model_writer: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::string folder = std::string(argv[2]) + "/";
  for (const modelfile::TextureSource& t : textures) {
    ddsfile::Image image;
    if (!ddsfile::makePattern(t.pattern, t.width, t.height, image, error)) {
      std::fprintf(stderr, "model_writer: %s: %s\n", t.listed.c_str(), error.c_str());
      return 1;
    }
    if (!ddsfile::writeFile(folder + t.stored, ddsfile::encode(image))) {
      std::fprintf(stderr, "model_writer: cannot write %s%s\n", folder.c_str(), t.stored.c_str());
      return 1;
    }
  }
  if (!ddsfile::writeFile(folder + argv[3], model.bytes())) {
    std::fprintf(stderr, "model_writer: cannot write %s%s\n", folder.c_str(), argv[3]);
    return 1;
  }
  return 0;
}
