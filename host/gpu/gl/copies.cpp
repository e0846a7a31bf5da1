// Texture copies in GL: uploads from a buffer footprint into a texture level,
// and read-backs of a colour texture level into a buffer footprint. Both keep
// Direct3D's row order (top row first), which is how the layer stores textures.
#include <algorithm>
#include <cstring>

#include "host/gpu/format.h"
#include "host/gpu/gl/formats.h"
#include "host/gpu/gl/state.h"

namespace host::gpu::gl {
namespace {

std::uint32_t mipSize(std::uint64_t size, std::uint32_t mip) {
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, size >> mip));
}

}  // namespace

std::string uploadTexture(Resource& texture, std::uint32_t subresource, std::uint32_t x, std::uint32_t y,
                          Resource& buffer, const PlacedSubresourceFootprint& f) {
  const ResourceDesc& d = texture.getDesc();
  TextureFormat tf;
  FormatInfo info, fpInfo;
  if (subresource >= texture.subresourceCount() || !textureFormat(d.format, &tf) || !formatInfo(d.format, &info) ||
      !formatInfo(f.footprint.format, &fpInfo) || fpInfo.bytes != info.bytes || !texture.glName ||
      !detail::footprintInside(buffer, f))
    return "texture upload outside its resources";
  const std::uint32_t mip = subresource % d.mipLevels;
  const std::uint32_t w = f.footprint.width, h = f.footprint.height;
  const std::uint32_t block = info.compressed ? 4 : 1;
  if (x % block || y % block || x + std::uint64_t{w} > mipSize(d.width, mip) ||
      y + std::uint64_t{h} > mipSize(d.height, mip))
    return "texture upload outside its texture";
  // GL wants the rows packed; footprints align them to 256 bytes.
  std::uint64_t row = 0;
  std::uint32_t rows = 0;
  surfaceLayout(d.format, w, h, &row, &rows);
  std::vector<std::uint8_t> tight(row * rows);
  const std::uint8_t* from = buffer.bufferBytes().data() + f.offset;
  for (std::uint32_t r = 0; r < rows; ++r)
    std::memcpy(tight.data() + r * row, from + std::uint64_t{r} * f.footprint.rowPitch, row);
  glBindTexture(GL_TEXTURE_2D, texture.glName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  const auto level = static_cast<GLint>(mip);
  if (tf.compressed)
    glCompressedTexSubImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(x), static_cast<GLint>(y),
                              static_cast<GLsizei>(w), static_cast<GLsizei>(h), tf.internal,
                              static_cast<GLsizei>(tight.size()), tight.data());
  else
    glTexSubImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(x), static_cast<GLint>(y), static_cast<GLsizei>(w),
                    static_cast<GLsizei>(h), tf.format, tf.type, tight.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return {};
}

std::string readBackTexture(GlState& state, Resource& texture, std::uint32_t subresource, const Box* box,
                            Resource& buffer, const PlacedSubresourceFootprint& f) {
  const ResourceDesc& d = texture.getDesc();
  TextureFormat tf;
  FormatInfo info, fpInfo;
  if (subresource >= texture.subresourceCount() || !textureFormat(d.format, &tf) || tf.compressed ||
      !formatInfo(d.format, &info) || info.depthStencil || !formatInfo(f.footprint.format, &fpInfo) ||
      fpInfo.bytes != info.bytes || !texture.glName || !detail::footprintInside(buffer, f))
    return "read-back of a texture GL cannot read, or outside its buffer";
  const std::uint32_t mip = subresource % d.mipLevels;
  const std::uint32_t x = box ? box->left : 0, y = box ? box->top : 0;
  const std::uint32_t w = box ? box->right - box->left : f.footprint.width;
  const std::uint32_t h = box ? box->bottom - box->top : f.footprint.height;
  if ((box && (box->right < box->left || box->bottom < box->top)) || w > f.footprint.width ||
      h > f.footprint.height || x + std::uint64_t{w} > mipSize(d.width, mip) ||
      y + std::uint64_t{h} > mipSize(d.height, mip))
    return "read-back outside its texture";
  const std::uint64_t row = std::uint64_t{w} * info.bytes;
  std::vector<std::uint8_t> pixels(row * h);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, state.readbackFramebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.glName,
                         static_cast<GLint>(mip));
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(static_cast<GLint>(x), static_cast<GLint>(y), static_cast<GLsizei>(w), static_cast<GLsizei>(h),
               tf.format, tf.type, pixels.data());
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  std::uint8_t* to = buffer.bufferBytes().data() + f.offset;
  for (std::uint32_t r = 0; r < h; ++r) std::memcpy(to + std::uint64_t{r} * f.footprint.rowPitch, pixels.data() + r * row, row);
  return {};
}

}  // namespace host::gpu::gl
