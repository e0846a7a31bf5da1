// Blobs (ID3DBlob, D3DCreateBlob), root signatures and graphics pipeline states.
//
// Shaders are GLSL 3.30 sources carried in blobs where Direct3D carries compiled
// bytecode; a pipeline's vertex and pixel blobs form one GL program. The GLSL
// side follows these conventions:
//   - vertex inputs are named after the input layout's semantics ("POSITION",
//     "COLOR", "TEXCOORD"; a semantic index above 0 is appended: "TEXCOORD1");
//   - a root constant-buffer view at register bN is the uniform block "bN"
//     (declare it std140, row_major: matrices arrive as written, row after row,
//     and the shaders multiply row vectors, v * M);
//   - a texture at register tN is the sampler2D "tN"; it samples with the static
//     sampler of register sN, else with the first static sampler;
//   - gl_Position is written in Direct3D clip space (z from 0 to w); the layer
//     appends the conversion to GL's clip space to every vertex shader.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/hresult.h"

namespace host::gpu {

namespace detail {
class Backend;
}

class Blob : public Object {
 public:
  explicit Blob(std::size_t size) : bytes_(size) {}
  void* getBufferPointer() { return bytes_.data(); }
  std::size_t getBufferSize() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// D3DCreateBlob: a zero-filled blob of that size.
HResult createBlob(std::size_t size, Ref<Blob>* blob);

// D3D12SerializeRootSignature: checks the description and packs it into a blob
// that Device::createRootSignature reads back. On failure *error (when given)
// holds a text blob saying why.
HResult serializeRootSignature(const RootSignatureDesc& desc, RootSignatureVersion version, Ref<Blob>* blob,
                               Ref<Blob>* error);

class RootSignature : public Object {
 public:
  struct Parameter {
    RootParameterType type = D3D12_ROOT_PARAMETER_TYPE_CBV;
    ShaderVisibility visibility = D3D12_SHADER_VISIBILITY_ALL;
    std::uint32_t shaderRegister = 0;  // CBV / SRV / constants
    std::uint32_t num32BitValues = 0;
    std::vector<DescriptorRange> ranges;  // descriptor tables
  };
  RootSignature(std::vector<Parameter> parameters, std::vector<StaticSamplerDesc> samplers, RootSignatureFlags flags)
      : parameters_(std::move(parameters)), samplers_(std::move(samplers)), flags_(flags) {}

  // Direct3D accepts a pipeline made with any root signature of the same
  // serialised form as the one set on the list.
  bool compatibleWith(const RootSignature& other) const { return this == &other || blob_ == other.blob_; }
  const std::vector<Parameter>& parameters() const { return parameters_; }
  const std::vector<StaticSamplerDesc>& staticSamplers() const { return samplers_; }
  RootSignatureFlags flags() const { return flags_; }

  // Reads a serialised blob; E_INVALIDARG for bytes that are not one.
  static HResult deserialize(const void* bytes, std::size_t size, Ref<RootSignature>* out);

 private:
  std::vector<Parameter> parameters_;
  std::vector<StaticSamplerDesc> samplers_;
  RootSignatureFlags flags_;
  std::vector<std::uint8_t> blob_;  // the serialised form it was made from
};

class PipelineState : public Object {
 public:
  struct InputElement {
    std::string semanticName;
    std::uint32_t semanticIndex = 0;
    Format format = DXGI_FORMAT_UNKNOWN;
    std::uint32_t inputSlot = 0;
    std::uint32_t offset = 0;  // resolved: appended elements get their place
  };
  // Copies everything the description points at.
  PipelineState(std::shared_ptr<detail::Backend> backend, const GraphicsPipelineStateDesc& desc);
  ~PipelineState() override;

  // The description as given; its pointers are not kept (read the copies below).
  const GraphicsPipelineStateDesc& desc() const { return desc_; }
  RootSignature* rootSignature() const { return rootSignature_.get(); }
  const std::string& vertexShader() const { return vertexShader_; }
  const std::string& pixelShader() const { return pixelShader_; }
  const std::vector<InputElement>& inputLayout() const { return inputLayout_; }

  std::uint32_t glProgram = 0;  // GL back end

 private:
  // Weak: the trace keeps pipelines its back end owns; a GL back end that goes
  // first deletes its programs itself.
  std::weak_ptr<detail::Backend> backend_;
  GraphicsPipelineStateDesc desc_;
  Ref<RootSignature> rootSignature_;
  std::string vertexShader_;
  std::string pixelShader_;
  std::vector<InputElement> inputLayout_;
};

}  // namespace host::gpu
