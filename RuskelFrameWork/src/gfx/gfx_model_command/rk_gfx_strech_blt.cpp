#include "gfx/gfx_model_command/rk_gfx_strech_blt.h"

#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"
#include "rk_gfx_command_internal.h"

namespace rk::gfx::gfx_model_command {

void GfxModelStrechBlt::execute(GfxDeviceContext& context, std::int32_t) {
  RkTexture* texture = texture_.get();
  if (!detail::isTextureReady(texture)) return;
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup outer = dc->backupColorState();

  std::uint32_t tw = 0, th = 0;
  texture->getSize(&tw, &th);
  const float fw = static_cast<float>(tw), fh = static_cast<float>(th);
  const float u0 = src_xy_.x / fw, v0 = src_xy_.y / fh;
  const float u1 = (src_xy_.x + src_size_.x) / fw, v1 = (src_xy_.y + src_size_.y) / fh;
  const math::Matrix& w = transform_.getMatrix();
  const std::uint32_t argb = context.packedColor();
  const float x0 = dst_xy_.x, y0 = dst_xy_.y, x1 = dst_xy_.x + dst_size_.x, y1 = dst_xy_.y + dst_size_.y;
  const math::Vector4 corners[4] = {{x0, y0, 0, 1}, {x1, y0, 0, 1}, {x0, y1, 0, 1}, {x1, y1, 0, 1}};
  const float us[4] = {u0, u1, u0, u1}, vs[4] = {v0, v0, v1, v1};
  TexturedVertex vertices[4];
  for (int i = 0; i < 4; ++i) {
    const math::Vector4 p = math::vec3TransformCoord(corners[i], w);
    vertices[i] = {p.x, p.y, 0.0f, 1.0f, argb, us[i], vs[i]};
  }

  // Pixels of the viewport: identity view, an orthographic projection over it.
  const math::Matrix view = dc->viewMatrix(), projection = dc->projectionMatrix();
  const host::gpu::Viewport& port = dc->viewport();
  dc->setViewMatrix(math::matrixIdentity());
  dc->setProjectionMatrix(math::matrixOrthographicOffCenterLH(port.topLeftX, port.width, port.height, port.topLeftY,
                                                              port.minDepth, port.maxDepth));
  dc->setWorldMatrix(math::matrixIdentity());
  dc->setViewProjection();
  // The sprite shows its texture and vertex colour untinted: the colour state
  // is off while it draws (the 2-D pipelines multiply by an enabled colour).
  const ColorStateBackup inner = dc->backupColorState();
  dc->setColorStateRGBA(false, Color(0.0f, 0.0f, 0.0f, 1.0f));

  dc->drawTexturedStrip(texture, vertices, 4);
  dc->setTexture(nullptr);
  detail::clearDepth();

  dc->setWorldMatrix(math::matrixIdentity());
  dc->setViewProjection();
  dc->restoreColorState(inner);
  dc->setViewMatrix(view);
  dc->setProjectionMatrix(projection);
  dc->setViewProjection();
  dc->restoreColorState(outer);
}

}  // namespace rk::gfx::gfx_model_command
