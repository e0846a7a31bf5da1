// The device context's immediate drawing: each call copies the caller's
// vertices into a fresh buffer, draws it on the recording list and hands the
// buffer to the delayed release, so it lives until its frame has been shown.
#include <cmath>

#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_vertex_buffer.h"
#include "rk_device_context_internal.h"

namespace rk {

namespace gpu = host::gpu;

namespace {

constexpr int kLineList = 2, kLineStrip = 3, kTriangleStrip = 5;

gfx::VertexBuffer* newBuffer(DeviceContext& dc, int kind) {
  gfx::VertexBuffer* buffer = nullptr;
  dc.createVertexBuffer(kind, &buffer);
  return buffer;
}

void pushColored(gfx::VertexBuffer* buffer, float x, float y, float z, std::uint32_t argb) {
  buffer->setColor(gfx::colorFromArgb(argb));
  buffer->setPosition(x, y, z);
  buffer->pushVertex();
}

void pushTextured(gfx::VertexBuffer* buffer, float x, float y, float z, std::uint32_t argb, float u, float v) {
  buffer->setColor(gfx::colorFromArgb(argb));
  buffer->setPosition(x, y, z);
  buffer->setUV(u, v);
  buffer->pushVertex();
}

// Builds and draws the buffer, then queues it; the caller's reference moves
// into the release container.
void drawAndQueue(DeviceContext& dc, int primitive, gfx::VertexBuffer* buffer) {
  buffer->build();
  dc.drawPolygon(primitive, buffer, buffer->getVertexCount());
  dc.addDeferredRelease(new gfx::VertexBufferContainer(buffer));
}

// One immediate draw of `count` vertices with a pipeline kind; nothing without
// a recording list or without vertices (an empty buffer cannot be built).
template <class Fill>
void immediate(DeviceContext& dc, int kind, int pipeline, int primitive, int count, Fill fill) {
  if (count <= 0 || !dc.getNowCommandList()) return;
  dc.pushPipeline(pipeline);
  gfx::VertexBuffer* buffer = newBuffer(dc, kind);
  for (int i = 0; i < count; ++i) fill(buffer, i);
  drawAndQueue(dc, primitive, buffer);
  dc.popPipeline();
}

}  // namespace

void DeviceContext::restoreColorState(const ColorStateBackup& backup) {
  setColorStateRGBA(backup.use_color, backup.color);
}

void DeviceContext::drawRect2D(const gpu::Rect& r, std::uint32_t argb) {
  const float x[4] = {float(r.left), float(r.right), float(r.left), float(r.right)};
  const float y[4] = {float(r.top), float(r.top), float(r.bottom), float(r.bottom)};
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR, PIPELINE_DEFAULT2D_TRIANGLE, kTriangleStrip, 4,
            [&](gfx::VertexBuffer* b, int i) { pushColored(b, x[i], y[i], 0.0f, argb); });
}

void DeviceContext::drawLineStrip(const gfx::LineVertex* v, int last) {
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR, PIPELINE_DEFAULT2D_LINE, kLineStrip, last + 1,
            [&](gfx::VertexBuffer* b, int i) { pushColored(b, v[i].x, v[i].y, v[i].z, v[i].color); });
}

gfx::VertexBuffer* DeviceContext::fillColorVertexBuffer(const gfx::ScreenVertex* v, int last) {
  if (last < 0) return nullptr;
  gfx::VertexBuffer* buffer = newBuffer(*this, gfx::VERTEX_KIND_POSITION_COLOR);
  for (int i = 0; i <= last; ++i) pushColored(buffer, v[i].x, v[i].y, v[i].z, v[i].color);
  buffer->build();
  return buffer;
}

void DeviceContext::drawVertexStrip(const gfx::ScreenVertex* v, int count) {
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR, PIPELINE_DEFAULT2D_TRIANGLE, kTriangleStrip, count,
            [&](gfx::VertexBuffer* b, int i) { pushColored(b, v[i].x, v[i].y, v[i].z, v[i].color); });
}

void DeviceContext::drawColorStrip(const gfx::LineVertex* v, int count, int pipeline) {
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR, pipeline, kTriangleStrip, count,
            [&](gfx::VertexBuffer* b, int i) { pushColored(b, v[i].x, v[i].y, v[i].z, v[i].color); });
}

void DeviceContext::drawTexturedStrip(gfx::RkTexture* texture, const gfx::TexturedVertex* v, int count) {
  drawTexturedStrip(texture, v, count, PIPELINE_TRIANGLE_COLOR_UV);
}

void DeviceContext::drawTexturedStrip(gfx::RkTexture* texture, const gfx::TexturedVertex* v, int count,
                                      int pipeline) {
  if (count <= 0 || !getNowCommandList()) return;
  setTexture(texture);
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR_UV, pipeline, kTriangleStrip, count,
            [&](gfx::VertexBuffer* b, int i) { pushTextured(b, v[i].x, v[i].y, v[i].z, v[i].color, v[i].u, v[i].v); });
}

void DeviceContext::drawColorUVStrip(const gfx::StripVertex* v, int count) {
  immediate(*this, gfx::VERTEX_KIND_POSITION_COLOR_UV, PIPELINE_TRIANGLE_COLOR_UV, kTriangleStrip, count,
            [&](gfx::VertexBuffer* b, int i) { pushTextured(b, v[i].x, v[i].y, v[i].z, v[i].color, v[i].u, v[i].v); });
}

void DeviceContext::drawIndexedColorUV(const gfx::StripVertex* v, std::uint16_t vertexCount,
                                       const std::uint16_t* indices, std::uint16_t indexCount) {
  if (vertexCount == 0 || indexCount == 0) return;
  gpu::GraphicsCommandList* list = getNowCommandList();
  if (!list) return;
  pushPipeline(PIPELINE_TRIANGLE_COLOR_UV);
  gfx::VertexBuffer* vertices = newBuffer(*this, gfx::VERTEX_KIND_POSITION_COLOR_UV);
  for (int i = 0; i < vertexCount; ++i) pushTextured(vertices, v[i].x, v[i].y, v[i].z, v[i].color, v[i].u, v[i].v);
  vertices->build();
  gfx::IndexBuffer* index = nullptr;
  createIndexBuffer(&index);
  for (int i = 0; i < indexCount; ++i) index->push(indices[i]);
  index->build();
  sendVertexBuffer(vertices);
  list->iaSetIndexBuffer(index->view());
  list->iaSetPrimitiveTopology(toTopologyKind(4));
  list->drawIndexedInstanced(indexCount, 1, 0, 0, 0);
  addDeferredRelease(new gfx::VertexBufferContainer(vertices));
  addDeferredRelease(new gfx::IndexBufferContainer(index));
  popPipeline();
}

void DeviceContext::drawSphereGizmo(float radius, const math::Matrix& matrix) {
  if (!getNowCommandList()) return;
  setTexture(nullptr);
  struct Circle {
    math::Vector4 axis, start;
    std::uint32_t argb;
  };
  const Circle circles[3] = {{{1, 0, 0, 0}, {0, radius, 0, 0}, 0xFF00FFFFu},
                             {{0, 1, 0, 0}, {0, 0, radius, 0}, 0xFF00FF00u},
                             {{0, 0, 1, 0}, {radius, 0, 0, 0}, 0xFFFF0000u}};
  constexpr float kStep = 6.2831855f / 8.0f;
  gfx::VertexBuffer* buffer = newBuffer(*this, gfx::VERTEX_KIND_POSITION_COLOR);
  for (const Circle& c : circles) {
    buffer->setColor(gfx::colorFromArgb(c.argb));
    // Eight segments; counted rather than summed so rounding cannot add a ninth.
    for (int step = 0; step < 8; ++step) {
      for (int end = 0; end < 2; ++end) {
        const math::Matrix turn = math::matrixRotationAxis(c.axis, static_cast<float>(step + end) * kStep);
        const math::Vector4 p = math::vec3TransformCoord(math::vec3TransformCoord(c.start, turn), matrix);
        buffer->setPosition(p.x, p.y, p.z);
        buffer->pushVertex();
      }
    }
  }
  pushPipeline(PIPELINE_DEFAULT2D_LINE);
  drawAndQueue(*this, kLineList, buffer);
  popPipeline();
}

}  // namespace rk
