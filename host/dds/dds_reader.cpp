// The DDS file layout: "DDS ", a 124-byte header with a 32-byte pixel format,
// an optional 20-byte DX10 header, then every surface tightly packed, slice by
// slice and mip by mip.
#include <algorithm>
#include <cstring>

#include "host/dds.h"

namespace host::dds {
namespace {

using namespace host::gpu;

constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::size_t kHeaderBytes = 124;
constexpr std::size_t kDx10Bytes = 20;

// Header flags, pixel-format flags and caps.
constexpr std::uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr std::uint32_t DDSD_DEPTH = 0x800000;
constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr std::uint32_t DDPF_ALPHA = 0x2;
constexpr std::uint32_t DDPF_FOURCC = 0x4;
constexpr std::uint32_t DDPF_RGB = 0x40;
constexpr std::uint32_t DDPF_LUMINANCE = 0x20000;
constexpr std::uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr std::uint32_t DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00;
constexpr std::uint32_t DDSCAPS2_VOLUME = 0x200000;
constexpr std::uint32_t kDx10MiscTextureCube = 0x4;

// Limits that keep every size below 2^64 and every texture one a GPU can hold.
constexpr std::uint32_t kMaxDimension = 16384;
constexpr std::uint32_t kMaxDepthOrArray = 2048;

constexpr std::uint32_t fourCC(char a, char b, char c, char d) {
  return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 | std::uint32_t(std::uint8_t(c)) << 16 |
         std::uint32_t(std::uint8_t(d)) << 24;
}

std::uint32_t word(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

struct PixelFormat {
  std::uint32_t flags, fourCC, bits, r, g, b, a;
};

Format fromFourCC(std::uint32_t code) {
  switch (code) {
    case fourCC('D', 'X', 'T', '1'): return DXGI_FORMAT_BC1_UNORM;
    case fourCC('D', 'X', 'T', '2'):
    case fourCC('D', 'X', 'T', '3'): return DXGI_FORMAT_BC2_UNORM;
    case fourCC('D', 'X', 'T', '4'):
    case fourCC('D', 'X', 'T', '5'): return DXGI_FORMAT_BC3_UNORM;
    case fourCC('A', 'T', 'I', '1'):
    case fourCC('B', 'C', '4', 'U'): return DXGI_FORMAT_BC4_UNORM;
    case fourCC('A', 'T', 'I', '2'):
    case fourCC('B', 'C', '5', 'U'): return DXGI_FORMAT_BC5_UNORM;
    // Legacy numeric codes of the float and 16-bit formats.
    case 36: return DXGI_FORMAT_R16G16B16A16_UNORM;
    case 111: return DXGI_FORMAT_R16_FLOAT;
    case 113: return DXGI_FORMAT_R16G16B16A16_FLOAT;
    case 114: return DXGI_FORMAT_R32_FLOAT;
    case 115: return DXGI_FORMAT_R32G32_FLOAT;
    case 116: return DXGI_FORMAT_R32G32B32A32_FLOAT;
    default: return DXGI_FORMAT_UNKNOWN;
  }
}

Format fromMasks(const PixelFormat& p) {
  auto is = [&](std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    return p.r == r && p.g == g && p.b == b && p.a == a;
  };
  const std::uint32_t alpha = (p.flags & DDPF_ALPHAPIXELS) ? p.a : 0;
  if (p.flags & DDPF_RGB) {
    const PixelFormat q{p.flags, p.fourCC, p.bits, p.r, p.g, p.b, alpha};
    auto isQ = [&](std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
      return q.r == r && q.g == g && q.b == b && q.a == a;
    };
    switch (p.bits) {
      case 32:
        if (isQ(0xff, 0xff00, 0xff0000, 0xff000000)) return DXGI_FORMAT_R8G8B8A8_UNORM;
        if (isQ(0xff0000, 0xff00, 0xff, 0xff000000)) return DXGI_FORMAT_B8G8R8A8_UNORM;
        if (isQ(0xff0000, 0xff00, 0xff, 0)) return DXGI_FORMAT_B8G8R8X8_UNORM;
        if (isQ(0xffff, 0xffff0000, 0, 0)) return DXGI_FORMAT_R16G16_UNORM;
        if (isQ(0x3ff, 0xffc00, 0x3ff00000, 0xc0000000)) return DXGI_FORMAT_R10G10B10A2_UNORM;
        break;
      case 16:
        if (isQ(0xf800, 0x7e0, 0x1f, 0)) return DXGI_FORMAT_B5G6R5_UNORM;
        if (isQ(0x7c00, 0x3e0, 0x1f, 0x8000)) return DXGI_FORMAT_B5G5R5A1_UNORM;
        if (isQ(0xf00, 0xf0, 0xf, 0xf000)) return DXGI_FORMAT_B4G4R4A4_UNORM;
        break;
      default: break;
    }
  } else if (p.flags & DDPF_LUMINANCE) {
    if (p.bits == 8 && is(0xff, 0, 0, 0)) return DXGI_FORMAT_R8_UNORM;
    if (p.bits == 16 && p.r == 0xffff && alpha == 0) return DXGI_FORMAT_R16_UNORM;
    if (p.bits == 16 && p.r == 0xff && alpha == 0xff00) return DXGI_FORMAT_R8G8_UNORM;
  } else if ((p.flags & DDPF_ALPHA) && p.bits == 8 && p.a == 0xff) {
    return DXGI_FORMAT_A8_UNORM;
  }
  return DXGI_FORMAT_UNKNOWN;
}

}  // namespace

HResult parse(const std::uint8_t* data, std::size_t size, Image* image) {
  if (!image || (!data && size)) return E_POINTER;
  if (size < 4 + kHeaderBytes) return size >= 4 && word(data) != kMagic ? HR_ERROR_INVALID_DATA : HR_ERROR_HANDLE_EOF;
  if (word(data) != kMagic) return HR_ERROR_INVALID_DATA;
  const std::uint8_t* h = data + 4;
  if (word(h) != kHeaderBytes || word(h + 72) != 32) return HR_ERROR_INVALID_DATA;
  const std::uint32_t flags = word(h + 4);
  Image img;
  img.height = word(h + 8);
  img.width = word(h + 12);
  img.depth = (flags & DDSD_DEPTH) ? std::max<std::uint32_t>(1, word(h + 20)) : 1;
  img.mipCount = (flags & DDSD_MIPMAPCOUNT) ? std::max<std::uint32_t>(1, word(h + 24)) : 1;
  const PixelFormat pf{word(h + 76), word(h + 80), word(h + 84), word(h + 88), word(h + 92), word(h + 96), word(h + 100)};
  const std::uint32_t caps2 = word(h + 108);
  std::size_t headerEnd = 4 + kHeaderBytes;

  if ((pf.flags & DDPF_FOURCC) && pf.fourCC == fourCC('D', 'X', '1', '0')) {
    if (size < headerEnd + kDx10Bytes) return HR_ERROR_HANDLE_EOF;
    const std::uint8_t* x = data + headerEnd;
    headerEnd += kDx10Bytes;
    img.format = static_cast<Format>(word(x));
    const std::uint32_t dimension = word(x + 4);
    img.arraySize = word(x + 12);
    if (img.arraySize == 0) return HR_ERROR_INVALID_DATA;
    if (img.arraySize > kMaxDepthOrArray) return HR_ERROR_NOT_SUPPORTED;
    if (!formatInfo(img.format, nullptr)) return HR_ERROR_NOT_SUPPORTED;
    switch (dimension) {
      case D3D12_RESOURCE_DIMENSION_TEXTURE1D:
        if (img.height != 1) return HR_ERROR_INVALID_DATA;
        img.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE1D;
        img.depth = 1;
        break;
      case D3D12_RESOURCE_DIMENSION_TEXTURE2D:
        img.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE2D;
        img.depth = 1;
        if (word(x + 8) & kDx10MiscTextureCube) {
          img.cube = true;
          img.arraySize *= 6;
        }
        break;
      case D3D12_RESOURCE_DIMENSION_TEXTURE3D:
        if (!(flags & DDSD_DEPTH) || img.arraySize != 1) return HR_ERROR_INVALID_DATA;
        img.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE3D;
        break;
      default: return HR_ERROR_INVALID_DATA;
    }
  } else {
    img.format = (pf.flags & DDPF_FOURCC) ? fromFourCC(pf.fourCC) : fromMasks(pf);
    if (img.format == DXGI_FORMAT_UNKNOWN) return HR_ERROR_NOT_SUPPORTED;
    if ((caps2 & DDSCAPS2_VOLUME) || img.depth > 1) {
      img.dimension = D3D12_RESOURCE_DIMENSION_TEXTURE3D;
    } else if (caps2 & DDSCAPS2_CUBEMAP) {
      // Only whole cubes: a map with some faces missing is not a texture.
      if ((caps2 & DDSCAPS2_CUBEMAP_ALLFACES) != DDSCAPS2_CUBEMAP_ALLFACES) return HR_ERROR_NOT_SUPPORTED;
      img.cube = true;
      img.arraySize = 6;
      img.depth = 1;
    } else {
      img.depth = 1;
    }
  }

  if (img.width == 0 || img.height == 0) return HR_ERROR_INVALID_DATA;
  if (img.width > kMaxDimension || img.height > kMaxDimension || img.depth > kMaxDepthOrArray)
    return HR_ERROR_NOT_SUPPORTED;
  std::uint32_t largest = std::max({img.width, img.height, img.depth});
  std::uint32_t fullChain = 1;
  while (largest > 1) {
    largest >>= 1;
    ++fullChain;
  }
  if (img.mipCount > fullChain) return HR_ERROR_INVALID_DATA;

  // Every surface must lie inside the file.
  std::uint64_t offset = headerEnd;
  for (std::uint32_t slice = 0; slice < img.arraySize; ++slice) {
    std::uint32_t w = img.width, hgt = img.height, d = img.depth;
    for (std::uint32_t mip = 0; mip < img.mipCount; ++mip) {
      Surface s;
      s.width = w;
      s.height = hgt;
      s.offset = offset;
      if (!surfaceLayout(img.format, w, hgt, &s.rowBytes, &s.rows)) return HR_ERROR_NOT_SUPPORTED;
      s.bytes = s.rowBytes * s.rows * d;
      if (s.bytes > size || offset > size - s.bytes) return HR_ERROR_HANDLE_EOF;
      offset += s.bytes;
      img.surfaces.push_back(s);
      w = std::max<std::uint32_t>(1, w / 2);
      hgt = std::max<std::uint32_t>(1, hgt / 2);
      d = std::max<std::uint32_t>(1, d / 2);
    }
  }
  *image = std::move(img);
  return S_OK;
}

}  // namespace host::dds
