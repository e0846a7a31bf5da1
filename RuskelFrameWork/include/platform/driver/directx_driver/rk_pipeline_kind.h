// The eight fixed pipeline states every draw goes through, and what the device
// context keeps of each: its shader blobs and the pipeline state object.
#pragma once
#include "host/gpu.h"

namespace rk {

enum PIPELINE_KIND : int {
  PIPELINE_DEFAULT2D_TRIANGLE = 0,
  PIPELINE_DEFAULT2D_LINE = 1,
  PIPELINE_TRIANGLE_COLOR_UV = 2,
  PIPELINE_MODEL_DRAW = 3,
  PIPELINE_MODEL_SHADOW = 4,
  PIPELINE_STENCIL_CLIP = 5,
  PIPELINE_STENCIL_MASK = 6,
  PIPELINE_STENCIL_VCUV_MASK = 7,
  PIPELINE_KIND_COUNT = 8,
};

// The debug name of a kind's state ("PIPELINE_MODEL_DRAW"); null outside 0..7.
const char* pipelineKindName(int kind);

struct PipelineRecord {
  host::gpu::Ref<host::gpu::Blob> vertex_shader;
  host::gpu::Ref<host::gpu::Blob> pixel_shader;
  host::gpu::Ref<host::gpu::Blob> domain_shader;
  host::gpu::Ref<host::gpu::Blob> hull_shader;
  host::gpu::Ref<host::gpu::Blob> geometry_shader;
  host::gpu::Ref<host::gpu::PipelineState> pipeline_state;

  void release() { *this = PipelineRecord{}; }
};

}  // namespace rk
