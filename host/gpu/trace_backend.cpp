// The trace back end: executes nothing on a GPU, records everything.
#include <algorithm>
#include <cstring>

#include "host/gpu/backend.h"
#include "host/gpu/format.h"
#include "host/gpu/replay.h"
#include "host/gpu/swap_chain.h"
#include "host/gpu/trace.h"

namespace host::gpu {

void Trace::clear() {
  entries.clear();
  draws.clear();
  errors.clear();
  presents = 0;
}

std::vector<CommandKind> Trace::kinds() const {
  std::vector<CommandKind> out;
  for (const TraceEntry& e : entries)
    if (e.kind == TraceEntry::ListCommand) out.push_back(kindOf(e.command));
  return out;
}

std::vector<float> TraceDraw::vertexFloats(std::uint32_t vertex, std::uint32_t offset, std::uint32_t count) const {
  const std::uint64_t at = std::uint64_t{vertex} * vertexStride + offset;
  if (at + std::uint64_t{count} * 4 > vertices.size()) return {};
  std::vector<float> out(count);
  std::memcpy(out.data(), vertices.data() + at, std::size_t{count} * 4);
  return out;
}

namespace detail {
namespace {

constexpr std::uint64_t kMaxConstantBytes = 65536;

// Copies the rectangle of a texture subresource from or to a buffer footprint,
// in whole pixels or 4x4 blocks. False when any part lies outside.
bool copyRegion(Resource& texture, std::uint32_t subresource, std::uint32_t x, std::uint32_t y, Resource& buffer,
                const PlacedSubresourceFootprint& f, std::uint32_t width, std::uint32_t height, bool toTexture) {
  if (subresource >= texture.subresourceCount() || !footprintInside(buffer, f)) return false;
  const ResourceDesc& d = texture.getDesc();
  FormatInfo info, footprintFormat;
  if (!formatInfo(d.format, &info) || !formatInfo(f.footprint.format, &footprintFormat)) return false;
  if (footprintFormat.bytes != info.bytes || footprintFormat.compressed != info.compressed) return false;
  const std::uint32_t mip = subresource % d.mipLevels;
  const std::uint32_t texW = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(d.width >> mip));
  const std::uint32_t texH = std::max<std::uint32_t>(1, d.height >> mip);
  if (x + std::uint64_t{width} > texW || y + std::uint64_t{height} > texH) return false;
  if (width > f.footprint.width || height > f.footprint.height) return false;
  const std::uint32_t block = info.compressed ? 4 : 1;
  if (x % block || y % block) return false;
  std::uint64_t texRow = 0, copyRow = 0;
  std::uint32_t texRows = 0, copyRows = 0;
  surfaceLayout(d.format, texW, texH, &texRow, &texRows);
  surfaceLayout(d.format, width, height, &copyRow, &copyRows);
  std::vector<std::uint8_t>& bytes = texture.subresourceBytes(subresource);
  std::uint8_t* base = buffer.bufferBytes().data() + f.offset;
  const std::uint64_t xBytes = std::uint64_t{x / block} * info.bytes;
  for (std::uint32_t r = 0; r < copyRows; ++r) {
    std::uint8_t* tex = bytes.data() + (std::uint64_t{y / block} + r) * texRow + xBytes;
    std::uint8_t* buf = base + std::uint64_t{r} * f.footprint.rowPitch;
    if (toTexture)
      std::memcpy(tex, buf, copyRow);
    else
      std::memcpy(buf, tex, copyRow);
  }
  return true;
}

class TraceExecutor : public Executor {
 public:
  TraceExecutor(Trace& trace, std::string list) : trace_(trace), list_(std::move(list)) {}

  void command(const Command& command, const DrawState&) override {
    TraceEntry e;
    e.list = list_;
    e.command = command;
    trace_.entries.push_back(std::move(e));
  }
  void clearRenderTarget(const cmd::ClearRenderTarget&) override {}
  void clearDepthStencil(const cmd::ClearDepthStencil&) override {}

  void draw(const DrawState& s, const DrawCall& call, const std::string&) override {
    TraceDraw d;
    if (s.pipeline) {
      d.pipeline = s.pipeline->name();
      d.pipelineState = s.pipeline;
      const DepthStencilDesc& ds = s.pipeline->desc().depthStencilState;
      d.depthTest = ds.depthEnable && s.targets.depthStencil;
      d.stencilTest = ds.stencilEnable && s.targets.depthStencil;
    }
    d.topology = s.topology;
    d.indexed = call.indexed;
    d.count = call.count;
    d.instanceCount = call.instances;
    d.start = call.start;
    d.baseVertex = call.baseVertex;
    d.indices = call.indices;
    const VertexBufferView& v = s.vertexBuffers[0];
    d.vertexStride = v.strideInBytes;
    std::uint64_t available = 0;
    if (const std::uint8_t* bytes = bufferBytes(v.bufferLocation, v.sizeInBytes, &available))
      d.vertices.assign(bytes, bytes + available);
    if (s.signature) {
      const auto& params = s.signature->parameters();
      d.constants.resize(params.size());
      for (std::size_t i = 0; i < params.size() && i < kMaxRootParameters; ++i) {
        if (params[i].type == D3D12_ROOT_PARAMETER_TYPE_CBV) {
          if (const std::uint8_t* bytes = bufferBytes(s.rootCbv[i], kMaxConstantBytes, &available))
            d.constants[i].assign(bytes, bytes + available);
        } else if (params[i].type == D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE && d.texture == 0) {
          const Descriptor* view = tableView(s, static_cast<std::uint32_t>(i));
          Resource* r = view && view->kind == Descriptor::ShaderResource ? findResource(view->resource) : nullptr;
          if (r) {
            d.texture = r->id();
            d.textureName = r->name();
          }
        }
      }
    }
    d.viewport = s.viewport;
    d.scissor = s.scissor;
    d.stencilRef = s.stencilRef;
    d.renderTarget = s.targets.targets.empty() ? 0 : s.targets.targets[0];
    d.depthStencil = s.targets.depthStencil;
    trace_.draws.push_back(std::move(d));
    trace_.entries.back().draw = static_cast<int>(trace_.draws.size() - 1);
  }

  void copyTexture(const cmd::CopyTextureRegion& c) override {
    Resource* dst = findResource(c.dst.resource);
    Resource* src = findResource(c.src.resource);
    bool ok = dst && src;
    if (ok && c.dst.type == D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX &&
        c.src.type == D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT) {
      const SubresourceFootprint& f = c.src.footprint.footprint;
      const std::uint32_t w = c.hasBox ? c.box.right - c.box.left : f.width;
      const std::uint32_t h = c.hasBox ? c.box.bottom - c.box.top : f.height;
      ok = !c.hasBox || (c.box.left == 0 && c.box.top == 0 && c.box.right >= c.box.left && c.box.bottom >= c.box.top);
      ok = ok && copyRegion(*dst, c.dst.subresource, c.dstX, c.dstY, *src, c.src.footprint, w, h, true);
    } else if (ok && c.src.type == D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX &&
               c.dst.type == D3D12_TEXTURE_COPY_TYPE_PLACED_FOOTPRINT && c.dstX == 0 && c.dstY == 0) {
      const std::uint32_t x = c.hasBox ? c.box.left : 0, y = c.hasBox ? c.box.top : 0;
      const SubresourceFootprint& f = c.dst.footprint.footprint;
      const std::uint32_t w = c.hasBox ? c.box.right - c.box.left : f.width;
      const std::uint32_t h = c.hasBox ? c.box.bottom - c.box.top : f.height;
      ok = (!c.hasBox || (c.box.right >= c.box.left && c.box.bottom >= c.box.top)) &&
           copyRegion(*src, c.src.subresource, x, y, *dst, c.dst.footprint, w, h, false);
    } else {
      ok = false;
    }
    if (!ok) trace_.errors.push_back("texture copy outside its resources or of an unsupported kind");
  }

 private:
  Trace& trace_;
  std::string list_;
};

class TraceBackend : public Backend {
 public:
  Trace* trace() override { return &trace_; }

  void execute(const GraphicsCommandList& list) override {
    TraceExecutor executor(trace_, list.name());
    replay(list, executor, trace_.errors);
  }

  void present(SwapChain& swapChain, Resource&, std::uint32_t) override {
    TraceEntry e;
    e.kind = TraceEntry::Present;
    e.presentedBuffer = swapChain.getCurrentBackBufferIndex();
    trace_.entries.push_back(std::move(e));
    ++trace_.presents;
  }

 private:
  Trace trace_;
};

}  // namespace

std::shared_ptr<Backend> makeTraceBackend() { return std::make_shared<TraceBackend>(); }

}  // namespace detail
}  // namespace host::gpu
