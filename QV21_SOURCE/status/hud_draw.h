// Drawing the status display's textured quads through the renderer: GPU
// buffers filled from the quads built in plain code, and one indexed draw of
// textured, coloured triangles with the piece's atlas.
#pragma once
#include <cstdint>
#include <vector>

#include "status/hud_vertex.h"

namespace rk::gfx {
class IndexBuffer;
class RkTexture;
class VertexBuffer;
}  // namespace rk::gfx

namespace status {

// True once the atlas has its GPU texture (never for a missing or damaged file).
bool isAtlasReady(rk::gfx::RkTexture* texture);

// The atlas of that name from the texture manager, with a reference for the
// caller; null, with nothing loaded, when there is no texture manager or the
// file is neither in a pack nor on disk.
rk::gfx::RkTexture* loadAtlas(const char* name);

// Makes the position-colour-uv buffer when there is none (one reference for
// the holder), then replaces its vertices by the quads and uploads them.
// False when the buffer cannot be had.
bool uploadQuads(rk::gfx::VertexBuffer*& buffer, const std::vector<HudVertex>& quads);

// Makes the index buffer of `quads` quads when there is none.
bool makeQuadIndices(rk::gfx::IndexBuffer*& buffer, std::size_t quads);

// One triangle-list draw of every index with the atlas bound, under the
// textured, coloured pipeline; the pipeline below is bound again afterwards.
void drawQuads(rk::gfx::RkTexture* texture, rk::gfx::VertexBuffer* vertices, rk::gfx::IndexBuffer* indices);

// Drops a held buffer or texture reference and clears the pointer.
template <class T>
void releaseHeld(T*& held, const char* source, int line) {
  if (held) held->release(source, line);
  held = nullptr;
}

}  // namespace status
