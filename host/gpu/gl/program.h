// Inside the GPU layer only: a pipeline's GL program from its GLSL blobs, with
// the conventions of host/gpu/pipeline.h (attribute names, blocks bN, samplers
// tN, Direct3D clip space).
#pragma once
#include <string>

#include "host/gpu/gl/gl.h"
#include "host/gpu/pipeline.h"

namespace host::gpu::gl {

constexpr int kBindings = 16;  // registers b0..b15 and t0..t15 that reach GL

struct Program {
  GLuint name = 0;
  GLint blockSize[kBindings] = {};  // bytes the block bN needs; 0: not used
};

// Compiles and links; false with the GL log.
bool buildProgram(const PipelineState& pipeline, Program* program, std::string* log);

}  // namespace host::gpu::gl
