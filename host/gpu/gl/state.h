// Inside the GPU layer only: the GL objects one GL back end keeps besides its
// textures and programs, shared by the back end and its executor.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/gl/gl.h"
#include "host/gpu/gl/program.h"
#include "host/gpu/replay.h"

namespace host::gpu::gl {

class GlState {
 public:
  GlState();
  ~GlState();

  // A framebuffer with that colour texture level and depth-stencil texture
  // (either may be 0); made on first use.
  GLuint framebuffer(std::uint64_t colour, std::uint32_t mip, std::uint64_t depthStencil);
  // Forgets every framebuffer that uses the resource.
  void forgetResource(std::uint64_t id);
  // The GL sampler for a static sampler description.
  GLuint sampler(const StaticSamplerDesc& desc);

  std::unordered_map<const PipelineState*, Program> programs;
  GLuint vertexArray = 0;
  GLuint vertexBuffers[detail::kVertexSlots] = {};
  GLuint indexBuffer = 0;
  GLuint uniformBuffers[kBindings] = {};
  GLuint zeroUniforms = 0;   // backs blocks whose root view is unbound
  GLuint whiteTexture = 0;   // sampled where a table names no texture
  GLuint readbackFramebuffer = 0;
  std::uint64_t executeSerial = 0;  // constant uploads are reused within one execute
  GpuVirtualAddress uploaded[kBindings] = {};
  std::uint64_t uploadedSerial[kBindings] = {};
  std::uint64_t uploadedSize[kBindings] = {};
  int reportedProblems = 0;

 private:
  std::map<std::tuple<std::uint64_t, std::uint32_t, std::uint64_t>, GLuint> framebuffers_;
  std::vector<std::pair<StaticSamplerDesc, GLuint>> samplers_;
};

// Carries out one closed command list in GL.
void executeList(GlState& state, const GraphicsCommandList& list);

// Texture copies (copies.cpp); each returns why nothing was copied, or "".
std::string uploadTexture(Resource& texture, std::uint32_t subresource, std::uint32_t x, std::uint32_t y,
                          Resource& buffer, const PlacedSubresourceFootprint& footprint);
std::string readBackTexture(GlState& state, Resource& texture, std::uint32_t subresource, const Box* box,
                            Resource& buffer, const PlacedSubresourceFootprint& footprint);

}  // namespace host::gpu::gl
