// The trace back end's record: every command of every executed list, in order,
// and for each draw the state it drew with, resolved when it executed (pipeline,
// topology, vertex and index bytes, the bytes behind each root constant-buffer
// view, the texture, viewport, scissor, stencil reference and targets). Misuse
// that Direct3D leaves undefined (drawing without a pipeline, a barrier whose
// before-state is not the resource's state, views outside their buffer) is
// listed in `errors`. The record grows until cleared; tests clear it between
// the frames they look at.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/gpu/command_list.h"
#include "host/gpu/descs.h"

namespace host::gpu {

struct TraceDraw {
  std::string pipeline;  // the pipeline state's debug name
  const PipelineState* pipelineState = nullptr;
  PrimitiveTopology topology = D3D_PRIMITIVE_TOPOLOGY_UNDEFINED;
  bool indexed = false;
  std::uint32_t count = 0;  // vertices, or indices when indexed
  std::uint32_t instanceCount = 1;
  std::uint32_t start = 0;  // first vertex, or first index
  std::int32_t baseVertex = 0;
  std::uint32_t vertexStride = 0;
  std::vector<std::uint8_t> vertices;  // the bytes of the vertex buffer view in slot 0
  std::vector<std::uint32_t> indices;  // the drawn indices
  // Per root parameter: the bytes from the bound address to the end of its
  // buffer (at most 64 KiB); empty when that parameter is not a bound CBV.
  std::vector<std::vector<std::uint8_t>> constants;
  std::uint64_t texture = 0;  // live texture behind the first table's SRV; 0: none
  std::string textureName;
  Viewport viewport;
  Rect scissor;
  std::uint32_t stencilRef = 0;
  std::uint64_t renderTarget = 0;
  std::uint64_t depthStencil = 0;  // 0: no depth-stencil view bound
  bool depthTest = false;          // the pipeline's depth test, with a depth buffer bound
  bool stencilTest = false;

  // Vertex i of the drawn range as `count` floats from `offset` bytes into it.
  std::vector<float> vertexFloats(std::uint32_t vertex, std::uint32_t offset, std::uint32_t count) const;
  // A value in the constants of a root parameter; false when out of range.
  template <class T>
  bool constant(std::uint32_t rootIndex, std::size_t offset, T* out) const {
    if (rootIndex >= constants.size() || offset + sizeof(T) > constants[rootIndex].size()) return false;
    std::memcpy(out, constants[rootIndex].data() + offset, sizeof(T));
    return true;
  }
};

struct TraceEntry {
  enum Kind { ListCommand, Present };
  Kind kind = ListCommand;
  std::string list;  // the command list's debug name
  Command command;   // for ListCommand
  int draw = -1;     // index into Trace::draws for draw commands
  std::uint32_t presentedBuffer = 0;  // for Present
};

class Trace {
 public:
  std::vector<TraceEntry> entries;
  std::vector<TraceDraw> draws;
  std::vector<std::string> errors;
  std::uint32_t presents = 0;

  void clear();
  // The kinds of the recorded list commands, in order (presents left out).
  std::vector<CommandKind> kinds() const;
};

}  // namespace host::gpu
