// The OpenGL 3.3 core back end: textures, programs, completion and present.
#include <algorithm>

#include "host/gpu/backend.h"
#include "host/gpu/format.h"
#include "host/gpu/gl/context.h"
#include "host/gpu/gl/formats.h"
#include "host/gpu/gl/state.h"
#include "host/gpu/swap_chain.h"

namespace host::gpu::gl {

GlState::GlState() {
  glGenVertexArrays(1, &vertexArray);
  glGenBuffers(detail::kVertexSlots, vertexBuffers);
  glGenBuffers(1, &indexBuffer);
  glGenBuffers(kBindings, uniformBuffers);
  glGenBuffers(1, &zeroUniforms);
  glGenFramebuffers(1, &readbackFramebuffer);
  const std::vector<std::uint8_t> zeros(65536, 0);
  glBindBuffer(GL_UNIFORM_BUFFER, zeroUniforms);
  glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(zeros.size()), zeros.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_UNIFORM_BUFFER, 0);
  const std::uint8_t white[4] = {255, 255, 255, 255};
  glGenTextures(1, &whiteTexture);
  glBindTexture(GL_TEXTURE_2D, whiteTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
}

GlState::~GlState() {
  for (auto& [key, name] : framebuffers_) glDeleteFramebuffers(1, &name);
  for (auto& [desc, name] : samplers_) glDeleteSamplers(1, &name);
  for (auto& [pipeline, program] : programs) glDeleteProgram(program.name);
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteBuffers(detail::kVertexSlots, vertexBuffers);
  glDeleteBuffers(1, &indexBuffer);
  glDeleteBuffers(kBindings, uniformBuffers);
  glDeleteBuffers(1, &zeroUniforms);
  glDeleteFramebuffers(1, &readbackFramebuffer);
  glDeleteTextures(1, &whiteTexture);
}

GLuint GlState::framebuffer(std::uint64_t colour, std::uint32_t mip, std::uint64_t depthStencil) {
  const auto key = std::make_tuple(colour, mip, depthStencil);
  auto it = framebuffers_.find(key);
  if (it != framebuffers_.end()) return it->second;
  Resource* c = colour ? findResource(colour) : nullptr;
  Resource* d = depthStencil ? findResource(depthStencil) : nullptr;
  if ((colour && (!c || !c->glName)) || (depthStencil && (!d || !d->glName)) || (!c && !d)) return 0;
  GLuint name = 0;
  glGenFramebuffers(1, &name);
  glBindFramebuffer(GL_FRAMEBUFFER, name);
  if (c) glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, c->glName, static_cast<GLint>(mip));
  if (d) {
    const GLenum point = d->getDesc().format == DXGI_FORMAT_D24_UNORM_S8_UINT ? GL_DEPTH_STENCIL_ATTACHMENT
                                                                               : GL_DEPTH_ATTACHMENT;
    glFramebufferTexture2D(GL_FRAMEBUFFER, point, GL_TEXTURE_2D, d->glName, 0);
  }
  glDrawBuffer(c ? GL_COLOR_ATTACHMENT0 : GL_NONE);
  glReadBuffer(c ? GL_COLOR_ATTACHMENT0 : GL_NONE);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glDeleteFramebuffers(1, &name);
    name = 0;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (name) framebuffers_[key] = name;
  return name;
}

void GlState::forgetResource(std::uint64_t id) {
  for (auto it = framebuffers_.begin(); it != framebuffers_.end();) {
    if (std::get<0>(it->first) == id || std::get<2>(it->first) == id) {
      glDeleteFramebuffers(1, &it->second);
      it = framebuffers_.erase(it);
    } else {
      ++it;
    }
  }
}

namespace {

GLint addressMode(TextureAddressMode mode) {
  switch (mode) {
    case D3D12_TEXTURE_ADDRESS_MODE_MIRROR: return GL_MIRRORED_REPEAT;
    case D3D12_TEXTURE_ADDRESS_MODE_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3D12_TEXTURE_ADDRESS_MODE_BORDER: return GL_CLAMP_TO_BORDER;
    case D3D12_TEXTURE_ADDRESS_MODE_MIRROR_ONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

bool sameSampler(const StaticSamplerDesc& a, const StaticSamplerDesc& b) {
  return a.filter == b.filter && a.addressU == b.addressU && a.addressV == b.addressV && a.addressW == b.addressW &&
         a.mipLodBias == b.mipLodBias && a.maxAnisotropy == b.maxAnisotropy && a.borderColor == b.borderColor &&
         a.minLod == b.minLod && a.maxLod == b.maxLod;
}

}  // namespace

GLuint GlState::sampler(const StaticSamplerDesc& d) {
  for (const auto& [desc, name] : samplers_)
    if (sameSampler(desc, d)) return name;
  GLuint name = 0;
  glGenSamplers(1, &name);
  // Filter bits: mip linear 0x1, mag linear 0x4, min linear 0x10, anisotropic 0x40.
  const bool minLinear = d.filter & 0x10, magLinear = d.filter & 0x4, mipLinear = d.filter & 0x1;
  const GLint minFilter = minLinear ? (mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                    : (mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
  glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, minFilter);
  glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(name, GL_TEXTURE_WRAP_S, addressMode(d.addressU));
  glSamplerParameteri(name, GL_TEXTURE_WRAP_T, addressMode(d.addressV));
  glSamplerParameteri(name, GL_TEXTURE_WRAP_R, addressMode(d.addressW));
  glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, d.mipLodBias);
  glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, std::max(d.minLod, -1000.0f));
  glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, std::min(d.maxLod, 1000.0f));
  if ((d.filter & 0x40) && hasExtension("GL_ARB_texture_filter_anisotropic"))
    glSamplerParameterf(name, GL_TEXTURE_MAX_ANISOTROPY, static_cast<float>(d.maxAnisotropy));
  const float border[3][4] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1, 1}};
  glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, border[std::min<std::uint32_t>(d.borderColor, 2)]);
  samplers_.emplace_back(d, name);
  return name;
}

namespace {

class GlBackend : public detail::Backend {
 public:
  HResult createTexture(Resource& texture) override {
    const ResourceDesc& d = texture.getDesc();
    TextureFormat f;
    if (!textureFormat(d.format, &f)) return E_INVALIDARG;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &texture.glName);
    glBindTexture(GL_TEXTURE_2D, texture.glName);
    for (GLint mip = 0; mip < d.mipLevels; ++mip) {
      const auto w = static_cast<GLsizei>(std::max<std::uint64_t>(1, d.width >> mip));
      const auto h = static_cast<GLsizei>(std::max<std::uint32_t>(1, d.height >> mip));
      if (f.compressed) {
        std::uint64_t row = 0;
        std::uint32_t rows = 0;
        surfaceLayout(d.format, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), &row, &rows);
        glCompressedTexImage2D(GL_TEXTURE_2D, mip, f.internal, w, h, 0, static_cast<GLsizei>(row * rows), nullptr);
      } else {
        glTexImage2D(GL_TEXTURE_2D, mip, static_cast<GLint>(f.internal), w, h, 0, f.format, f.type, nullptr);
      }
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, d.mipLevels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, f.swizzle);
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR ? S_OK : E_OUTOFMEMORY;
  }

  void releaseResource(Resource& resource) override {
    state_.forgetResource(resource.id());
    if (resource.glName) glDeleteTextures(1, &resource.glName);
    resource.glName = 0;
  }

  HResult createPipeline(PipelineState& pipeline, std::string* log) override {
    Program program;
    if (!buildProgram(pipeline, &program, log)) return E_INVALIDARG;
    pipeline.glProgram = program.name;
    state_.programs[&pipeline] = program;
    return S_OK;
  }

  void releasePipeline(PipelineState& pipeline) override {
    auto it = state_.programs.find(&pipeline);
    if (it == state_.programs.end()) return;
    glDeleteProgram(it->second.name);
    state_.programs.erase(it);
  }

  void execute(const GraphicsCommandList& list) override {
    ++state_.executeSerial;
    executeList(state_, list);
  }

  void* insertSync() override {
    GLsync sync = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    return sync;
  }

  bool waitSync(void* sync, std::uint64_t timeoutNs) override {
    const GLenum r = glClientWaitSync(static_cast<GLsync>(sync), GL_SYNC_FLUSH_COMMANDS_BIT, timeoutNs);
    return r == GL_ALREADY_SIGNALED || r == GL_CONDITION_SATISFIED || r == GL_WAIT_FAILED;
  }

  void deleteSync(void* sync) override { glDeleteSync(static_cast<GLsync>(sync)); }

  void present(SwapChain& swapChain, Resource& buffer, std::uint32_t syncInterval) override {
    const GLuint framebuffer = state_.framebuffer(buffer.id(), 0, 0);
    if (framebuffer)
      presentFramebuffer(swapChain.window(), framebuffer, static_cast<int>(buffer.getDesc().width),
                         static_cast<int>(buffer.getDesc().height), static_cast<int>(syncInterval));
    glFlush();
  }

 private:
  GlState state_;
};

}  // namespace
}  // namespace host::gpu::gl

namespace host::gpu::detail {

std::shared_ptr<Backend> makeGlBackend(std::string* error) {
  if (!gl::ensureContext(error)) return nullptr;
  return std::make_shared<gl::GlBackend>();
}

}  // namespace host::gpu::detail
