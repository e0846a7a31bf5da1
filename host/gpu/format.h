// Sizes of the pixel formats the layer knows: bytes per pixel or per 4x4 block,
// row sizes and row counts of a surface, and the sRGB variant of a format.
#pragma once
#include <cstdint>

#include "host/gpu/enums.h"

namespace host::gpu {

struct FormatInfo {
  std::uint32_t bytes = 0;  // per pixel, or per 4x4 block when compressed
  bool compressed = false;
  bool depthStencil = false;
  Format srgb = DXGI_FORMAT_UNKNOWN;  // the sRGB variant, UNKNOWN when there is none
};

// False for a format the layer does not know.
bool formatInfo(Format format, FormatInfo* info);

// Bytes of one tightly packed row (of pixels, or of blocks) and the number of
// rows of a width x height surface. False for an unknown format.
bool surfaceLayout(Format format, std::uint32_t width, std::uint32_t height, std::uint64_t* rowBytes,
                   std::uint32_t* rows);

// The format itself when it has no sRGB variant.
Format toSrgb(Format format);

// Number of levels in a full mip chain of that size.
std::uint16_t fullMipCount(std::uint64_t width, std::uint32_t height);

}  // namespace host::gpu
