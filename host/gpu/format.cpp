#include "host/gpu/format.h"

#include <algorithm>

namespace host::gpu {

bool formatInfo(Format format, FormatInfo* info) {
  FormatInfo f;
  switch (format) {
    case DXGI_FORMAT_R32G32B32A32_FLOAT:
    case DXGI_FORMAT_R32G32B32A32_UINT: f.bytes = 16; break;
    case DXGI_FORMAT_R32G32B32_FLOAT: f.bytes = 12; break;
    case DXGI_FORMAT_R16G16B16A16_FLOAT:
    case DXGI_FORMAT_R16G16B16A16_UNORM:
    case DXGI_FORMAT_R32G32_FLOAT: f.bytes = 8; break;
    case DXGI_FORMAT_R8G8B8A8_UNORM: f.bytes = 4; f.srgb = DXGI_FORMAT_R8G8B8A8_UNORM_SRGB; break;
    case DXGI_FORMAT_B8G8R8A8_UNORM: f.bytes = 4; f.srgb = DXGI_FORMAT_B8G8R8A8_UNORM_SRGB; break;
    case DXGI_FORMAT_B8G8R8X8_UNORM: f.bytes = 4; f.srgb = DXGI_FORMAT_B8G8R8X8_UNORM_SRGB; break;
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB:
    case DXGI_FORMAT_B8G8R8X8_UNORM_SRGB:
    case DXGI_FORMAT_R10G10B10A2_UNORM:
    case DXGI_FORMAT_R8G8B8A8_UINT:
    case DXGI_FORMAT_R16G16_UNORM:
    case DXGI_FORMAT_R32_FLOAT:
    case DXGI_FORMAT_R32_UINT: f.bytes = 4; break;
    case DXGI_FORMAT_D32_FLOAT:
    case DXGI_FORMAT_D24_UNORM_S8_UINT: f.bytes = 4; f.depthStencil = true; break;
    case DXGI_FORMAT_R8G8_UNORM:
    case DXGI_FORMAT_R16_FLOAT:
    case DXGI_FORMAT_R16_UNORM:
    case DXGI_FORMAT_R16_UINT:
    case DXGI_FORMAT_B5G6R5_UNORM:
    case DXGI_FORMAT_B5G5R5A1_UNORM:
    case DXGI_FORMAT_B4G4R4A4_UNORM: f.bytes = 2; break;
    case DXGI_FORMAT_R8_UNORM:
    case DXGI_FORMAT_A8_UNORM: f.bytes = 1; break;
    case DXGI_FORMAT_BC1_UNORM: f = {8, true, false, DXGI_FORMAT_BC1_UNORM_SRGB}; break;
    case DXGI_FORMAT_BC2_UNORM: f = {16, true, false, DXGI_FORMAT_BC2_UNORM_SRGB}; break;
    case DXGI_FORMAT_BC3_UNORM: f = {16, true, false, DXGI_FORMAT_BC3_UNORM_SRGB}; break;
    case DXGI_FORMAT_BC7_UNORM: f = {16, true, false, DXGI_FORMAT_BC7_UNORM_SRGB}; break;
    case DXGI_FORMAT_BC1_UNORM_SRGB:
    case DXGI_FORMAT_BC4_UNORM: f = {8, true}; break;
    case DXGI_FORMAT_BC2_UNORM_SRGB:
    case DXGI_FORMAT_BC3_UNORM_SRGB:
    case DXGI_FORMAT_BC5_UNORM:
    case DXGI_FORMAT_BC7_UNORM_SRGB: f = {16, true}; break;
    default: return false;
  }
  if (info) *info = f;
  return true;
}

bool surfaceLayout(Format format, std::uint32_t width, std::uint32_t height, std::uint64_t* rowBytes,
                   std::uint32_t* rows) {
  FormatInfo f;
  if (!formatInfo(format, &f)) return false;
  std::uint64_t row;
  std::uint32_t count;
  if (f.compressed) {
    row = std::max<std::uint64_t>(1, (std::uint64_t{width} + 3) / 4) * f.bytes;
    count = std::max<std::uint32_t>(1, static_cast<std::uint32_t>((std::uint64_t{height} + 3) / 4));
  } else {
    row = std::uint64_t{width} * f.bytes;
    count = height;
  }
  if (rowBytes) *rowBytes = row;
  if (rows) *rows = count;
  return true;
}

Format toSrgb(Format format) {
  FormatInfo f;
  if (formatInfo(format, &f) && f.srgb != DXGI_FORMAT_UNKNOWN) return f.srgb;
  return format;
}

std::uint16_t fullMipCount(std::uint64_t width, std::uint32_t height) {
  std::uint64_t size = std::max<std::uint64_t>({width, height, 1});
  std::uint16_t levels = 1;
  while (size > 1) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

}  // namespace host::gpu
