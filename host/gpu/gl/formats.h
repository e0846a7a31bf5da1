// Inside the GPU layer only: how DXGI formats map onto GL textures and vertex
// attributes, and the Direct3D state enumerations onto GL's.
#pragma once
#include "host/gpu/enums.h"
#include "host/gpu/gl/gl.h"

namespace host::gpu::gl {

struct TextureFormat {
  GLenum internal = 0;
  GLenum format = 0;  // 0 for compressed formats
  GLenum type = 0;
  bool compressed = false;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};
// False for a format GL (or this context) cannot hold.
bool textureFormat(Format format, TextureFormat* out);

struct AttributeFormat {
  GLint size = 0;  // components, or GL_BGRA
  GLenum type = 0;
  GLboolean normalized = GL_FALSE;
  bool integer = false;
};
bool attributeFormat(Format format, AttributeFormat* out);

GLenum compareFunction(ComparisonFunc f);
GLenum stencilOp(StencilOp op);
GLenum blendFactor(Blend b);
GLenum blendOp(BlendOp op);
GLenum primitive(PrimitiveTopology t);

}  // namespace host::gpu::gl
