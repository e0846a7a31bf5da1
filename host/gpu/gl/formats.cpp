#include "host/gpu/gl/formats.h"

#include "host/gpu/gl/context.h"

namespace host::gpu::gl {
namespace {

TextureFormat plain(GLenum internal, GLenum format, GLenum type) {
  TextureFormat f;
  f.internal = internal;
  f.format = format;
  f.type = type;
  return f;
}

TextureFormat packed(GLenum internal) {
  TextureFormat f;
  f.internal = internal;
  f.compressed = true;
  return f;
}

bool s3tc() { return hasExtension("GL_EXT_texture_compression_s3tc"); }
bool bptc() {
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  return major > 4 || (major == 4 && minor >= 2) || hasExtension("GL_ARB_texture_compression_bptc");
}

}  // namespace

bool textureFormat(Format format, TextureFormat* out) {
  TextureFormat f;
  switch (format) {
    case DXGI_FORMAT_R8G8B8A8_UNORM: f = plain(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE); break;
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB: f = plain(GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE); break;
    // BGRA bytes go in with GL_BGRA, so GL holds them as RGBA.
    case DXGI_FORMAT_B8G8R8A8_UNORM: f = plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE); break;
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB: f = plain(GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE); break;
    case DXGI_FORMAT_B8G8R8X8_UNORM:
    case DXGI_FORMAT_B8G8R8X8_UNORM_SRGB:
      f = plain(format == DXGI_FORMAT_B8G8R8X8_UNORM ? GL_RGBA8 : GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE);
      f.swizzle[3] = GL_ONE;
      break;
    case DXGI_FORMAT_B5G6R5_UNORM: f = plain(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5); break;
    case DXGI_FORMAT_B5G5R5A1_UNORM: f = plain(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV); break;
    case DXGI_FORMAT_B4G4R4A4_UNORM: f = plain(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV); break;
    case DXGI_FORMAT_R10G10B10A2_UNORM: f = plain(GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV); break;
    case DXGI_FORMAT_R8_UNORM: f = plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE); break;
    case DXGI_FORMAT_A8_UNORM:
      f = plain(GL_R8, GL_RED, GL_UNSIGNED_BYTE);
      f.swizzle[0] = f.swizzle[1] = f.swizzle[2] = GL_ZERO;
      f.swizzle[3] = GL_RED;
      break;
    case DXGI_FORMAT_R8G8_UNORM: f = plain(GL_RG8, GL_RG, GL_UNSIGNED_BYTE); break;
    case DXGI_FORMAT_R16_UNORM: f = plain(GL_R16, GL_RED, GL_UNSIGNED_SHORT); break;
    case DXGI_FORMAT_R16G16_UNORM: f = plain(GL_RG16, GL_RG, GL_UNSIGNED_SHORT); break;
    case DXGI_FORMAT_R16G16B16A16_UNORM: f = plain(GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT); break;
    case DXGI_FORMAT_R16_FLOAT: f = plain(GL_R16F, GL_RED, GL_HALF_FLOAT); break;
    case DXGI_FORMAT_R16G16B16A16_FLOAT: f = plain(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT); break;
    case DXGI_FORMAT_R32_FLOAT: f = plain(GL_R32F, GL_RED, GL_FLOAT); break;
    case DXGI_FORMAT_R32G32_FLOAT: f = plain(GL_RG32F, GL_RG, GL_FLOAT); break;
    case DXGI_FORMAT_R32G32B32A32_FLOAT: f = plain(GL_RGBA32F, GL_RGBA, GL_FLOAT); break;
    case DXGI_FORMAT_D24_UNORM_S8_UINT:
      f = plain(GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8);
      break;
    case DXGI_FORMAT_D32_FLOAT: f = plain(GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT); break;
    case DXGI_FORMAT_BC1_UNORM: f = packed(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT); break;
    case DXGI_FORMAT_BC1_UNORM_SRGB: f = packed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT); break;
    case DXGI_FORMAT_BC2_UNORM: f = packed(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT); break;
    case DXGI_FORMAT_BC2_UNORM_SRGB: f = packed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT); break;
    case DXGI_FORMAT_BC3_UNORM: f = packed(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT); break;
    case DXGI_FORMAT_BC3_UNORM_SRGB: f = packed(GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT); break;
    case DXGI_FORMAT_BC4_UNORM: f = packed(GL_COMPRESSED_RED_RGTC1); break;
    case DXGI_FORMAT_BC5_UNORM: f = packed(GL_COMPRESSED_RG_RGTC2); break;
    case DXGI_FORMAT_BC7_UNORM: f = packed(GL_COMPRESSED_RGBA_BPTC_UNORM); break;
    case DXGI_FORMAT_BC7_UNORM_SRGB: f = packed(GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM); break;
    default: return false;
  }
  const bool isS3tc = f.internal >= GL_COMPRESSED_RGBA_S3TC_DXT1_EXT && f.internal <= GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
  const bool isSrgbS3tc =
      f.internal >= GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT && f.internal <= GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT;
  if ((isS3tc || isSrgbS3tc) && !s3tc()) return false;
  if ((f.internal == GL_COMPRESSED_RGBA_BPTC_UNORM || f.internal == GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM) && !bptc())
    return false;
  if (out) *out = f;
  return true;
}

bool attributeFormat(Format format, AttributeFormat* out) {
  AttributeFormat a;
  switch (format) {
    case DXGI_FORMAT_R32G32B32A32_FLOAT: a = {4, GL_FLOAT}; break;
    case DXGI_FORMAT_R32G32B32_FLOAT: a = {3, GL_FLOAT}; break;
    case DXGI_FORMAT_R32G32_FLOAT: a = {2, GL_FLOAT}; break;
    case DXGI_FORMAT_R32_FLOAT: a = {1, GL_FLOAT}; break;
    case DXGI_FORMAT_R8G8B8A8_UNORM: a = {4, GL_UNSIGNED_BYTE, GL_TRUE}; break;
    case DXGI_FORMAT_B8G8R8A8_UNORM: a = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE}; break;
    case DXGI_FORMAT_R16G16_UNORM: a = {2, GL_UNSIGNED_SHORT, GL_TRUE}; break;
    case DXGI_FORMAT_R8G8B8A8_UINT: a = {4, GL_UNSIGNED_BYTE, GL_FALSE, true}; break;
    case DXGI_FORMAT_R32_UINT: a = {1, GL_UNSIGNED_INT, GL_FALSE, true}; break;
    case DXGI_FORMAT_R32G32B32A32_UINT: a = {4, GL_UNSIGNED_INT, GL_FALSE, true}; break;
    default: return false;
  }
  if (out) *out = a;
  return true;
}

GLenum compareFunction(ComparisonFunc f) {
  switch (f) {
    case D3D12_COMPARISON_FUNC_NEVER: return GL_NEVER;
    case D3D12_COMPARISON_FUNC_LESS: return GL_LESS;
    case D3D12_COMPARISON_FUNC_EQUAL: return GL_EQUAL;
    case D3D12_COMPARISON_FUNC_LESS_EQUAL: return GL_LEQUAL;
    case D3D12_COMPARISON_FUNC_GREATER: return GL_GREATER;
    case D3D12_COMPARISON_FUNC_NOT_EQUAL: return GL_NOTEQUAL;
    case D3D12_COMPARISON_FUNC_GREATER_EQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum stencilOp(StencilOp op) {
  switch (op) {
    case D3D12_STENCIL_OP_ZERO: return GL_ZERO;
    case D3D12_STENCIL_OP_REPLACE: return GL_REPLACE;
    case D3D12_STENCIL_OP_INCR_SAT: return GL_INCR;
    case D3D12_STENCIL_OP_DECR_SAT: return GL_DECR;
    case D3D12_STENCIL_OP_INVERT: return GL_INVERT;
    case D3D12_STENCIL_OP_INCR: return GL_INCR_WRAP;
    case D3D12_STENCIL_OP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum blendFactor(Blend b) {
  switch (b) {
    case D3D12_BLEND_ZERO: return GL_ZERO;
    case D3D12_BLEND_SRC_COLOR: return GL_SRC_COLOR;
    case D3D12_BLEND_INV_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3D12_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case D3D12_BLEND_INV_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3D12_BLEND_DEST_ALPHA: return GL_DST_ALPHA;
    case D3D12_BLEND_INV_DEST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3D12_BLEND_DEST_COLOR: return GL_DST_COLOR;
    case D3D12_BLEND_INV_DEST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3D12_BLEND_SRC_ALPHA_SAT: return GL_SRC_ALPHA_SATURATE;
    case D3D12_BLEND_BLEND_FACTOR: return GL_CONSTANT_COLOR;
    case D3D12_BLEND_INV_BLEND_FACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
  }
}

GLenum blendOp(BlendOp op) {
  switch (op) {
    case D3D12_BLEND_OP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3D12_BLEND_OP_REV_SUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3D12_BLEND_OP_MIN: return GL_MIN;
    case D3D12_BLEND_OP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum primitive(PrimitiveTopology t) {
  switch (t) {
    case D3D_PRIMITIVE_TOPOLOGY_POINTLIST: return GL_POINTS;
    case D3D_PRIMITIVE_TOPOLOGY_LINELIST: return GL_LINES;
    case D3D_PRIMITIVE_TOPOLOGY_LINESTRIP: return GL_LINE_STRIP;
    case D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3D_PRIMITIVE_TOPOLOGY_LINELIST_ADJ: return GL_LINES_ADJACENCY;
    case D3D_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ: return GL_LINE_STRIP_ADJACENCY;
    case D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ: return GL_TRIANGLES_ADJACENCY;
    case D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ: return GL_TRIANGLE_STRIP_ADJACENCY;
    default: return GL_TRIANGLES;
  }
}

}  // namespace host::gpu::gl
