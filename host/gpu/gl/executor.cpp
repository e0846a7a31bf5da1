// Replays a command list in GL. Every draw sets the whole pipeline state it
// needs, so nothing leaks from one draw, clear or list into the next.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/gpu/format.h"
#include "host/gpu/gl/formats.h"
#include "host/gpu/gl/state.h"

namespace host::gpu::gl {
namespace {

// Texture rows are stored top row first (see program.cpp), so rectangles keep
// Direct3D's numbers.
void scissor(const Rect& r) {
  glScissor(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
}

template <class F>
void clearIn(const std::vector<Rect>& rects, F clear) {
  if (rects.empty()) {
    glDisable(GL_SCISSOR_TEST);
    clear();
    return;
  }
  glEnable(GL_SCISSOR_TEST);
  for (const Rect& r : rects) {
    scissor(r);
    clear();
  }
}

class GlExecutor : public detail::Executor {
 public:
  explicit GlExecutor(GlState& state) : state_(state) {}

  void clearRenderTarget(const cmd::ClearRenderTarget& c) override {
    const GLuint framebuffer = state_.framebuffer(c.target, c.mipSlice, 0);
    if (!framebuffer) return;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    clearIn(c.rects, [&] { glClearBufferfv(GL_COLOR, 0, c.color); });
  }

  void clearDepthStencil(const cmd::ClearDepthStencil& c) override {
    const GLuint framebuffer = state_.framebuffer(0, 0, c.target);
    Resource* target = findResource(c.target);
    if (!framebuffer || !target) return;
    const bool hasStencil = target->getDesc().format == DXGI_FORMAT_D24_UNORM_S8_UINT;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    const bool depth = c.flags & D3D12_CLEAR_FLAG_DEPTH;
    const bool stencil = (c.flags & D3D12_CLEAR_FLAG_STENCIL) && hasStencil;
    const GLint stencilValue = c.stencil;
    clearIn(c.rects, [&] {
      if (depth && stencil)
        glClearBufferfi(GL_DEPTH_STENCIL, 0, c.depth, stencilValue);
      else if (depth)
        glClearBufferfv(GL_DEPTH, 0, &c.depth);
      else if (stencil)
        glClearBufferiv(GL_STENCIL, 0, &stencilValue);
    });
  }

  void draw(const detail::DrawState& s, const detail::DrawCall& call, const std::string& problem) override {
    if (!problem.empty()) return;  // reported with the list's other problems
    if (call.count == 0 || call.instances == 0) return;
    auto program = state_.programs.find(s.pipeline);
    Resource* target = findResource(s.targets.targets[0]);
    if (program == state_.programs.end() || !target) return;
    const std::uint32_t mip = s.targets.mipSlices.empty() ? 0 : s.targets.mipSlices[0];
    const GLuint framebuffer = state_.framebuffer(target->id(), mip, s.targets.depthStencil);
    if (!framebuffer) return report("render target and depth buffer cannot be drawn into together");
    if (!bindVertices(s, call)) return;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glUseProgram(program->second.name);
    rasterizer(s.pipeline->desc().rasterizerState);
    depthStencil(s);
    blend(s);
    glViewport(static_cast<GLint>(std::lround(s.viewport.topLeftX)), static_cast<GLint>(std::lround(s.viewport.topLeftY)),
               static_cast<GLsizei>(std::lround(std::max(0.0f, s.viewport.width))),
               static_cast<GLsizei>(std::lround(std::max(0.0f, s.viewport.height))));
    glDepthRange(s.viewport.minDepth, s.viewport.maxDepth);
    glEnable(GL_SCISSOR_TEST);  // Direct3D always scissors
    scissor(s.scissor);
    bindConstants(s, program->second);
    bindTextures(s);
    const GLenum mode = primitive(s.topology);
    if (!call.indexed) {
      glDrawArraysInstanced(mode, 0, static_cast<GLsizei>(call.count), static_cast<GLsizei>(call.instances));
    } else {
      // Vertices were uploaded from firstVertex on; indices follow them there.
      std::vector<std::uint32_t> indices(call.indices.size());
      const std::int64_t shift = std::int64_t{call.baseVertex} - call.firstVertex;
      for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<std::uint32_t>(call.indices[i] + shift);
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state_.indexBuffer);
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4), indices.data(),
                   GL_STREAM_DRAW);
      glDrawElementsInstanced(mode, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr,
                              static_cast<GLsizei>(call.instances));
    }
  }

  void copyTexture(const cmd::CopyTextureRegion& c) override {
    Resource* dst = findResource(c.dst.resource);
    Resource* src = findResource(c.src.resource);
    if (!dst || !src) return report("texture copy of a released resource");
    std::string problem = "texture copy of an unsupported kind";
    if (c.dst.type == D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX && c.src.type == D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT)
      problem = uploadTexture(*dst, c.dst.subresource, c.dstX, c.dstY, *src, c.src.footprint);
    else if (c.src.type == D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX &&
             c.dst.type == D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT)
      problem = readBackTexture(state_, *src, c.src.subresource, c.hasBox ? &c.box : nullptr, *dst, c.dst.footprint);
    if (!problem.empty()) report(problem);
  }

 private:
  void report(const std::string& problem) {
    if (state_.reportedProblems++ < 20) std::fprintf(stderr, "host::gpu: skipped: %s\n", problem.c_str());
  }

  void rasterizer(const RasterizerDesc& r) {
    if (r.cullMode == D3D12_CULL_MODE_NONE) {
      glDisable(GL_CULL_FACE);
    } else {
      glEnable(GL_CULL_FACE);
      glCullFace(r.cullMode == D3D12_CULL_MODE_FRONT ? GL_FRONT : GL_BACK);
    }
    // Rows are stored top first, which mirrors the winding GL sees.
    glFrontFace(r.frontCounterClockwise ? GL_CW : GL_CCW);
    if (r.depthClipEnable)
      glDisable(GL_DEPTH_CLAMP);
    else
      glEnable(GL_DEPTH_CLAMP);
    glPolygonMode(GL_FRONT_AND_BACK, r.fillMode == D3D12_FILL_MODE_WIREFRAME ? GL_LINE : GL_FILL);
    if (r.depthBias || r.slopeScaledDepthBias) {
      glEnable(GL_POLYGON_OFFSET_FILL);
      glPolygonOffset(r.slopeScaledDepthBias, static_cast<float>(r.depthBias));
    } else {
      glDisable(GL_POLYGON_OFFSET_FILL);
    }
  }

  // Without a depth-stencil view there is no depth or stencil test at all.
  void depthStencil(const detail::DrawState& s) {
    const DepthStencilDesc& d = s.pipeline->desc().depthStencilState;
    const bool bound = s.targets.depthStencil != 0;
    if (bound && d.depthEnable) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(compareFunction(d.depthFunc));
      glDepthMask(d.depthWriteMask == D3D12_DEPTH_WRITE_MASK_ALL ? GL_TRUE : GL_FALSE);
    } else {
      glDisable(GL_DEPTH_TEST);
      glDepthMask(GL_FALSE);
    }
    if (bound && d.stencilEnable) {
      glEnable(GL_STENCIL_TEST);
      const GLint ref = static_cast<GLint>(s.stencilRef & 0xff);
      glStencilFuncSeparate(GL_FRONT, compareFunction(d.frontFace.stencilFunc), ref, d.stencilReadMask);
      glStencilFuncSeparate(GL_BACK, compareFunction(d.backFace.stencilFunc), ref, d.stencilReadMask);
      glStencilOpSeparate(GL_FRONT, stencilOp(d.frontFace.stencilFailOp), stencilOp(d.frontFace.stencilDepthFailOp),
                          stencilOp(d.frontFace.stencilPassOp));
      glStencilOpSeparate(GL_BACK, stencilOp(d.backFace.stencilFailOp), stencilOp(d.backFace.stencilDepthFailOp),
                          stencilOp(d.backFace.stencilPassOp));
      glStencilMask(d.stencilWriteMask);
    } else {
      glDisable(GL_STENCIL_TEST);
    }
  }

  void blend(const detail::DrawState& s) {
    const RenderTargetBlendDesc& b = s.pipeline->desc().blendState.renderTarget[0];
    if (b.blendEnable) {
      glEnable(GL_BLEND);
      glBlendFuncSeparate(blendFactor(b.srcBlend), blendFactor(b.destBlend), blendFactor(b.srcBlendAlpha),
                          blendFactor(b.destBlendAlpha));
      glBlendEquationSeparate(blendOp(b.blendOp), blendOp(b.blendOpAlpha));
      glBlendColor(s.blendFactor[0], s.blendFactor[1], s.blendFactor[2], s.blendFactor[3]);
    } else {
      glDisable(GL_BLEND);
    }
    const ColorWriteEnable m = b.renderTargetWriteMask;
    glColorMask(m & 1 ? GL_TRUE : GL_FALSE, m & 2 ? GL_TRUE : GL_FALSE, m & 4 ? GL_TRUE : GL_FALSE,
                m & 8 ? GL_TRUE : GL_FALSE);
  }

  // Uploads the vertices the draw reads (from firstVertex on) and points the
  // attributes at them. The ranges were checked by the replay.
  bool bindVertices(const detail::DrawState& s, const detail::DrawCall& call) {
    const auto& layout = s.pipeline->inputLayout();
    std::uint32_t need[detail::kVertexSlots] = {};
    for (const PipelineState::InputElement& e : layout) {
      AttributeFormat a;
      FormatInfo info;
      if (!attributeFormat(e.format, &a) || !formatInfo(e.format, &info)) {
        report("vertex element format GL cannot read");
        return false;
      }
      need[e.inputSlot] = std::max(need[e.inputSlot], e.offset + info.bytes);
    }
    glBindVertexArray(state_.vertexArray);
    for (std::uint32_t slot = 0; slot < detail::kVertexSlots; ++slot) {
      if (!need[slot]) continue;
      const VertexBufferView& v = s.vertexBuffers[slot];
      if (v.strideInBytes == 0 && call.vertexCount > 1) {
        report("vertex stride 0");
        return false;
      }
      std::uint64_t available = 0;
      const std::uint8_t* bytes = detail::bufferBytes(v.bufferLocation, v.sizeInBytes, &available);
      const std::uint64_t from = std::uint64_t{call.firstVertex} * v.strideInBytes;
      const std::uint64_t length = std::uint64_t{call.vertexCount - 1} * v.strideInBytes + need[slot];
      if (!bytes || from + length > available) return false;
      glBindBuffer(GL_ARRAY_BUFFER, state_.vertexBuffers[slot]);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), bytes + from, GL_STREAM_DRAW);
    }
    for (std::size_t i = 0; i < layout.size(); ++i) {
      const PipelineState::InputElement& e = layout[i];
      AttributeFormat a;
      attributeFormat(e.format, &a);
      const GLuint index = static_cast<GLuint>(i);
      const auto stride = static_cast<GLsizei>(s.vertexBuffers[e.inputSlot].strideInBytes);
      const void* offset = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(e.offset));
      glBindBuffer(GL_ARRAY_BUFFER, state_.vertexBuffers[e.inputSlot]);
      glEnableVertexAttribArray(index);
      if (a.integer)
        glVertexAttribIPointer(index, a.size, a.type, stride, offset);
      else
        glVertexAttribPointer(index, a.size, a.type, a.normalized, stride, offset);
    }
    for (GLuint i = static_cast<GLuint>(layout.size()); i < detail::kVertexSlots; ++i) glDisableVertexAttribArray(i);
    return true;
  }

  // Root constant-buffer views at bN become the uniform block bN. Blocks with
  // no view read zeros. Each binding spans the block's own size only: a
  // software rasteriser copies the whole bound range into every draw it
  // queues, and the view's upload heap runs on for tens of kilobytes.
  void bindConstants(const detail::DrawState& s, const Program& program) {
    for (int reg = 0; reg < kBindings; ++reg)
      if (program.blockSize[reg])
        glBindBufferRange(GL_UNIFORM_BUFFER, static_cast<GLuint>(reg), state_.zeroUniforms, 0, program.blockSize[reg]);
    const auto& params = s.signature->parameters();
    for (std::size_t i = 0; i < params.size() && i < detail::kMaxRootParameters; ++i) {
      if (params[i].type != D3D12_ROOT_PARAMETER_TYPE_CBV) continue;
      const std::uint32_t reg = params[i].shaderRegister;
      if (reg >= static_cast<std::uint32_t>(kBindings) || !program.blockSize[reg]) continue;
      std::uint64_t available = 0;
      const std::uint8_t* bytes = detail::bufferBytes(s.rootCbv[i], 65536, &available);
      if (!bytes) continue;
      const auto size = static_cast<std::uint64_t>(program.blockSize[reg]);
      if (state_.uploaded[reg] != s.rootCbv[i] || state_.uploadedSerial[reg] != state_.executeSerial ||
          state_.uploadedSize[reg] < size) {
        glBindBuffer(GL_UNIFORM_BUFFER, state_.uniformBuffers[reg]);
        glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(size), nullptr, GL_STREAM_DRAW);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(std::min(available, size)), bytes);
        state_.uploaded[reg] = s.rootCbv[i];
        state_.uploadedSerial[reg] = state_.executeSerial;
        state_.uploadedSize[reg] = size;
      }
      glBindBufferRange(GL_UNIFORM_BUFFER, reg, state_.uniformBuffers[reg], 0, static_cast<GLsizeiptr>(size));
    }
  }

  // The first descriptor of each SRV range of a table is the texture tN.
  void bindTextures(const detail::DrawState& s) {
    const auto& params = s.signature->parameters();
    const auto& samplers = s.signature->staticSamplers();
    const std::uint32_t step = descriptorIncrement(D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV);
    for (std::size_t i = 0; i < params.size() && i < detail::kMaxRootParameters; ++i) {
      if (params[i].type != D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE) continue;
      std::uint32_t offset = 0;
      for (const DescriptorRange& range : params[i].ranges) {
        if (range.offsetInDescriptorsFromTableStart != D3D12_DESCRIPTOR_RANGE_OFFSET_APPEND)
          offset = range.offsetInDescriptorsFromTableStart;
        const std::uint32_t unit = range.baseShaderRegister;
        if (range.rangeType == D3D12_DESCRIPTOR_RANGE_TYPE_SRV && unit < static_cast<std::uint32_t>(kBindings)) {
          const Descriptor* view =
              s.viewHeap ? s.viewHeap->slot(s.rootTable[i].offset(static_cast<int>(offset), step)) : nullptr;
          Resource* texture = view && view->kind == Descriptor::ShaderResource ? findResource(view->resource) : nullptr;
          glActiveTexture(GL_TEXTURE0 + unit);
          if (texture && texture->glName) {
            glBindTexture(GL_TEXTURE_2D, texture->glName);
            const std::uint32_t mips = texture->getDesc().mipLevels;
            const std::uint32_t first = std::min(view->shaderResource.mostDetailedMip, mips - 1);
            const std::uint32_t count = std::min(view->shaderResource.mipLevels, mips - first);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(first));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(first + count - 1));
          } else {
            glBindTexture(GL_TEXTURE_2D, state_.whiteTexture);
          }
          const StaticSamplerDesc* sampler = samplers.empty() ? nullptr : &samplers[0];
          for (const StaticSamplerDesc& d : samplers)
            if (d.shaderRegister == unit) sampler = &d;
          glBindSampler(unit, sampler ? state_.sampler(*sampler) : 0);
        }
        offset += range.numDescriptors;
      }
    }
    glActiveTexture(GL_TEXTURE0);
  }

  GlState& state_;
};

}  // namespace

void executeList(GlState& state, const GraphicsCommandList& list) {
  GlExecutor executor(state);
  std::vector<std::string> problems;
  detail::replay(list, executor, problems);
  for (const std::string& problem : problems)
    if (state.reportedProblems++ < 20) std::fprintf(stderr, "host::gpu: %s\n", problem.c_str());
  glBindVertexArray(0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace host::gpu::gl
