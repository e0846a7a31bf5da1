// The six constant-buffer layouts the shaders read at b0..b5, byte for byte.
// Matrices are stored as held (row after row, no transposition); flag bytes are
// the low byte of their 32-bit word. Each layout names its root parameter, the
// size of the upload buffer a slot of it gets, and the debug name of that buffer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "math/rk_matrix.h"

namespace rk::driver::directx::directx12 {

struct DX12World {
  static constexpr std::uint32_t kRootIndex = 0;
  static constexpr std::uint32_t kSlotSize = 256;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12World";
  math::Matrix world;
};

struct DX12Camera {
  static constexpr std::uint32_t kRootIndex = 1;
  static constexpr std::uint32_t kSlotSize = 256;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12Camera";
  math::Matrix view_projection;
};

struct DX12Material {
  static constexpr std::uint32_t kRootIndex = 2;
  static constexpr std::uint32_t kSlotSize = 256;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12Material";
  float diffuse[4];
  float specular[4];
  float emissive[4];
  float shadow_color[4];
  std::uint8_t shadow_pass;
  // 1 when the mesh has no texture view to sample: the shader reads white.
  std::uint8_t untextured;
  std::uint8_t pad[2];
};

struct DX12PointLight {
  float position[3];
  std::uint8_t enabled;
  std::uint8_t pad[3];
  float diffuse[3];
  float range;
  float ambient[4];
};

struct DX12DirectionalLight {
  static constexpr std::uint32_t kRootIndex = 3;
  static constexpr std::uint32_t kSlotSize = 1024;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12DirectionalLight";
  static constexpr int kPointLights = 16;
  float direction[3];
  std::uint8_t has_directional;
  std::uint8_t pad[3];
  float color[4];
  float eye[4];      // w is 1
  float ambient[4];  // w is 1
  DX12PointLight points[kPointLights];
  // 1 when the pass's lighting is switched off: models draw unlit.
  std::uint8_t unlit;
  std::uint8_t pad2[3];
};

struct DX12Ambient {
  static constexpr std::uint32_t kRootIndex = 4;
  static constexpr std::uint32_t kSlotSize = 256;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12Ambient";
  float color[4];
  // The colour-state flag: the 2-D pipelines multiply by `color` only while it
  // is set; the model pipeline reads `color` as its ambient light either way.
  std::uint8_t use_color;
  std::uint8_t pad[3];
};

struct DX12FOGInfo {
  static constexpr std::uint32_t kRootIndex = 5;
  static constexpr std::uint32_t kSlotSize = 256;
  static constexpr const char* kTypeName = "struct rk::driver::directx::directx12::DX12FOGInfo";
  float eye[3];
  std::uint8_t enabled;
  std::uint8_t pad[3];
  float color[4];
  float start;
  float end;
};

static_assert(offsetof(DX12Material, shadow_pass) == 64 && offsetof(DX12Material, untextured) == 65);
static_assert(sizeof(DX12PointLight) == 48 && offsetof(DX12PointLight, ambient) == 32);
static_assert(offsetof(DX12DirectionalLight, has_directional) == 12 && offsetof(DX12DirectionalLight, eye) == 32);
static_assert(offsetof(DX12DirectionalLight, points) == 64 && offsetof(DX12DirectionalLight, unlit) == 832);
static_assert(sizeof(DX12DirectionalLight) <= 1024);
static_assert(offsetof(DX12Ambient, use_color) == 16);
static_assert(offsetof(DX12FOGInfo, enabled) == 12 && offsetof(DX12FOGInfo, end) == 36);

}  // namespace rk::driver::directx::directx12
