#include "host/gpu/pipeline.h"

#include <cstring>

#include "host/gpu/backend.h"
#include "host/gpu/call_failure.h"
#include "host/gpu/format.h"

namespace host::gpu {
namespace {

constexpr std::uint32_t kMagic = 0x53524B52;  // "RKRS"
constexpr std::uint32_t kMaxRootDwords = 64;
constexpr std::uint32_t kMaxRanges = 1024;
constexpr std::uint32_t kMaxSamplers = 2032;

class Writer {
 public:
  void word(std::uint32_t v) { words_.push_back(v); }
  void real(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    words_.push_back(bits);
  }
  const std::vector<std::uint32_t>& words() const { return words_; }

 private:
  std::vector<std::uint32_t> words_;
};

// Reads words and stops (ok() false) at the first read past the end.
class Reader {
 public:
  Reader(const void* bytes, std::size_t size) : bytes_(static_cast<const std::uint8_t*>(bytes)), size_(size) {}
  std::uint32_t word() {
    if (!bytes_ || size_ - pos_ < 4 || pos_ > size_) {
      ok_ = false;
      return 0;
    }
    std::uint32_t v;
    std::memcpy(&v, bytes_ + pos_, 4);
    pos_ += 4;
    return v;
  }
  float real() {
    const std::uint32_t bits = word();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
  }
  bool ok() const { return ok_; }
  bool atEnd() const { return pos_ == size_; }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

HResult fail(const std::string& why, Ref<Blob>* error) {
  if (error) {
    Ref<Blob> text = Ref<Blob>::adopt(new Blob(why.size() + 1));
    std::memcpy(text->getBufferPointer(), why.c_str(), why.size() + 1);
    *error = text;
  }
  return E_INVALIDARG;
}

std::uint32_t parameterDwords(RootParameterType type, std::uint32_t num32) {
  switch (type) {
    case D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE: return 1;
    case D3D12_ROOT_PARAMETER_TYPE_32BIT_CONSTANTS: return num32;
    default: return 2;
  }
}

}  // namespace

HResult createBlob(std::size_t size, Ref<Blob>* blob) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateBlob); failed(injected)) return injected;
  if (!blob) return E_POINTER;
  *blob = Ref<Blob>::adopt(new Blob(size));
  return S_OK;
}

HResult serializeRootSignature(const RootSignatureDesc& desc, RootSignatureVersion version, Ref<Blob>* blob,
                               Ref<Blob>* error) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::SerializeRootSignature); failed(injected))
    return injected;
  if (!blob) return E_POINTER;
  if (version != D3D_ROOT_SIGNATURE_VERSION_1) return fail("unsupported root signature version", error);
  if (desc.numParameters && !desc.parameters) return fail("root parameters missing", error);
  if (desc.numStaticSamplers && !desc.staticSamplers) return fail("static samplers missing", error);
  if (desc.numStaticSamplers > kMaxSamplers) return fail("too many static samplers", error);
  Writer w;
  w.word(kMagic);
  w.word(version);
  w.word(desc.flags);
  w.word(desc.numParameters);
  std::uint32_t dwords = 0;
  for (std::uint32_t i = 0; i < desc.numParameters; ++i) {
    const RootParameter& p = desc.parameters[i];
    if (p.parameterType > D3D12_ROOT_PARAMETER_TYPE_UAV || p.shaderVisibility > D3D12_SHADER_VISIBILITY_PIXEL)
      return fail("root parameter " + std::to_string(i) + " has an unknown type or visibility", error);
    dwords += parameterDwords(p.parameterType, p.constants.num32BitValues);
    w.word(p.parameterType);
    w.word(p.shaderVisibility);
    if (p.parameterType == D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE) {
      const RootDescriptorTable& t = p.descriptorTable;
      if (t.numDescriptorRanges == 0 || !t.descriptorRanges || t.numDescriptorRanges > kMaxRanges)
        return fail("descriptor table " + std::to_string(i) + " has no ranges", error);
      w.word(t.numDescriptorRanges);
      for (std::uint32_t r = 0; r < t.numDescriptorRanges; ++r) {
        const DescriptorRange& range = t.descriptorRanges[r];
        if (range.rangeType > D3D12_DESCRIPTOR_RANGE_TYPE_SAMPLER || range.numDescriptors == 0)
          return fail("descriptor range " + std::to_string(r) + " of table " + std::to_string(i) + " is invalid",
                      error);
        w.word(range.rangeType);
        w.word(range.numDescriptors);
        w.word(range.baseShaderRegister);
        w.word(range.registerSpace);
        w.word(range.offsetInDescriptorsFromTableStart);
      }
    } else if (p.parameterType == D3D12_ROOT_PARAMETER_TYPE_32BIT_CONSTANTS) {
      w.word(p.constants.shaderRegister);
      w.word(p.constants.registerSpace);
      w.word(p.constants.num32BitValues);
    } else {
      w.word(p.descriptor.shaderRegister);
      w.word(p.descriptor.registerSpace);
    }
  }
  if (dwords > kMaxRootDwords) return fail("root signature is larger than 64 DWORDs", error);
  w.word(desc.numStaticSamplers);
  for (std::uint32_t i = 0; i < desc.numStaticSamplers; ++i) {
    const StaticSamplerDesc& s = desc.staticSamplers[i];
    w.word(s.filter);
    w.word(s.addressU);
    w.word(s.addressV);
    w.word(s.addressW);
    w.real(s.mipLodBias);
    w.word(s.maxAnisotropy);
    w.word(s.comparisonFunc);
    w.word(s.borderColor);
    w.real(s.minLod);
    w.real(s.maxLod);
    w.word(s.shaderRegister);
    w.word(s.registerSpace);
    w.word(s.shaderVisibility);
  }
  Ref<Blob> out = Ref<Blob>::adopt(new Blob(w.words().size() * 4));
  std::memcpy(out->getBufferPointer(), w.words().data(), out->getBufferSize());
  *blob = out;
  if (error) error->reset();
  return S_OK;
}

HResult RootSignature::deserialize(const void* bytes, std::size_t size, Ref<RootSignature>* out) {
  Reader r(bytes, size);
  if (r.word() != kMagic || r.word() != D3D_ROOT_SIGNATURE_VERSION_1) return E_INVALIDARG;
  const RootSignatureFlags flags = r.word();
  const std::uint32_t count = r.word();
  if (!r.ok() || count > kMaxRootDwords) return E_INVALIDARG;
  std::vector<Parameter> parameters(count);
  for (Parameter& p : parameters) {
    p.type = static_cast<RootParameterType>(r.word());
    p.visibility = static_cast<ShaderVisibility>(r.word());
    if (p.type == D3D12_ROOT_PARAMETER_TYPE_DESCRIPTOR_TABLE) {
      const std::uint32_t ranges = r.word();
      if (!r.ok() || ranges > kMaxRanges) return E_INVALIDARG;
      for (std::uint32_t i = 0; i < ranges && r.ok(); ++i) {
        DescriptorRange range;
        range.rangeType = static_cast<DescriptorRangeType>(r.word());
        range.numDescriptors = r.word();
        range.baseShaderRegister = r.word();
        range.registerSpace = r.word();
        range.offsetInDescriptorsFromTableStart = r.word();
        p.ranges.push_back(range);
      }
    } else if (p.type == D3D12_ROOT_PARAMETER_TYPE_32BIT_CONSTANTS) {
      p.shaderRegister = r.word();
      r.word();
      p.num32BitValues = r.word();
    } else if (p.type <= D3D12_ROOT_PARAMETER_TYPE_UAV) {
      p.shaderRegister = r.word();
      r.word();
    } else {
      return E_INVALIDARG;
    }
    if (!r.ok()) return E_INVALIDARG;
  }
  const std::uint32_t samplerCount = r.word();
  if (!r.ok() || samplerCount > kMaxSamplers) return E_INVALIDARG;
  std::vector<StaticSamplerDesc> samplers(samplerCount);
  for (StaticSamplerDesc& s : samplers) {
    s.filter = static_cast<Filter>(r.word());
    s.addressU = static_cast<TextureAddressMode>(r.word());
    s.addressV = static_cast<TextureAddressMode>(r.word());
    s.addressW = static_cast<TextureAddressMode>(r.word());
    s.mipLodBias = r.real();
    s.maxAnisotropy = r.word();
    s.comparisonFunc = static_cast<ComparisonFunc>(r.word());
    s.borderColor = static_cast<StaticBorderColor>(r.word());
    s.minLod = r.real();
    s.maxLod = r.real();
    s.shaderRegister = r.word();
    s.registerSpace = r.word();
    s.shaderVisibility = static_cast<ShaderVisibility>(r.word());
  }
  if (!r.ok() || !r.atEnd()) return E_INVALIDARG;
  if (out) {
    *out = Ref<RootSignature>::adopt(new RootSignature(std::move(parameters), std::move(samplers), flags));
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    (*out)->blob_.assign(begin, begin + size);
  }
  return S_OK;
}

PipelineState::PipelineState(std::shared_ptr<detail::Backend> backend, const GraphicsPipelineStateDesc& desc)
    : backend_(backend), desc_(desc), rootSignature_(Ref<RootSignature>::share(desc.rootSignature)) {
  auto text = [](const ShaderBytecode& code) {
    if (!code.shaderBytecode || code.bytecodeLength == 0) return std::string();
    return std::string(static_cast<const char*>(code.shaderBytecode), code.bytecodeLength);
  };
  vertexShader_ = text(desc.vs);
  pixelShader_ = text(desc.ps);
  std::uint32_t next = 0;
  for (std::uint32_t i = 0; desc.inputLayout.inputElementDescs && i < desc.inputLayout.numElements; ++i) {
    const InputElementDesc& e = desc.inputLayout.inputElementDescs[i];
    InputElement element;
    element.semanticName = e.semanticName ? e.semanticName : "";
    element.semanticIndex = e.semanticIndex;
    element.format = e.format;
    element.inputSlot = e.inputSlot;
    element.offset = e.alignedByteOffset == D3D12_APPEND_ALIGNED_ELEMENT ? next : e.alignedByteOffset;
    FormatInfo info;
    next = element.offset + (formatInfo(e.format, &info) ? info.bytes : 0);
    inputLayout_.push_back(element);
  }
  // Keep no pointer into the caller's memory.
  desc_.rootSignature = rootSignature_.get();
  desc_.vs = {vertexShader_.data(), vertexShader_.size()};
  desc_.ps = {pixelShader_.data(), pixelShader_.size()};
  desc_.ds = desc_.hs = desc_.gs = {};
  desc_.streamOutput = {};
  desc_.inputLayout = {};
  desc_.cachedPso = {};
}

PipelineState::~PipelineState() {
  if (std::shared_ptr<detail::Backend> backend = backend_.lock()) backend->releasePipeline(*this);
}

}  // namespace host::gpu
