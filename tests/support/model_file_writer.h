// Model files for tests come from the model writer tool's library.
#pragma once
#include "model_writer/lib/model_file.h"

namespace rktest {
using modelfile::ModelFile;
using modelfile::ModelFileMaterial;
using modelfile::ModelFileMesh;
using modelfile::ModelFileNode;
using modelfile::ModelFileTake;
using modelfile::ModelFileTrack;
}  // namespace rktest
