#include "gfx/gfx_model_command/rk_gfx_model_state.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "rk_gfx_command_internal.h"

namespace rk::gfx::gfx_model_command {

void detail::clearDepth() {
  DeviceContext* dc = DeviceContext::getInstance();
  if (host::gpu::GraphicsCommandList* list = dc->getNowCommandList())
    list->clearDepthStencilView(dc->depthStencil().getDSVHandle(), host::gpu::D3D12_CLEAR_FLAG_DEPTH, 1.0f, 0, 0,
                                nullptr);
}

GfxModelTexture::~GfxModelTexture() { setTexture(0, nullptr); }

void GfxModelTexture::setTexture(std::uint32_t stage, RkTexture* texture) {
  if (stage > 1)
    debug::writeErrorLog("src/gfx/gfx_model_command/rk_gfx_model_state", 58,
                         "rk::gfx::gfx_model_command::GfxModelTexture::setTexture");
  stage_ = stage;
  policy::SharedPtr<RkTexture> next(texture);  // referenced before the old one goes
  texture_ = next;
}

void GfxModelTexture::execute(GfxDeviceContext& context, std::int32_t) { context.setTexture(stage_, texture_.get()); }

void TextureBlendAlpha::execute(GfxDeviceContext& context, std::int32_t) { context.alpha_blend_ = flag_ != 0; }

void SetColor::execute(GfxDeviceContext& context, std::int32_t) { context.color_ = color_; }

void SettingAmbient::execute(GfxDeviceContext&, std::int32_t) {
  DeviceContext::getInstance()->setColorStateRGBA(true, colorFromArgb(colorToArgb(color_)));
}

void Lighting::execute(GfxDeviceContext&, std::int32_t) { DeviceContext::getInstance()->applyStudioLights(*studio_); }

void TestZBuffer::execute(GfxDeviceContext& context, std::int32_t) { context.depth_test_ = flag_; }

void ClearZBuffer::execute(GfxDeviceContext&, std::int32_t) { detail::clearDepth(); }

void GfxTransformation::notify(GfxDeviceContext&) { transform_->buildMatrix(); }

void GfxTransformation::execute(GfxDeviceContext& context, std::int32_t) {
  const math::Matrix& world = transform_->getMatrix();
  if (!billboard_ || !context.camera_) {
    context.setWorldMatrix(world);
    return;
  }
  // The camera's rotation undone (its world matrix without the translation),
  // then the model's own placement.
  math::Matrix turn = math::matrixInverse(context.camera_->viewMatrix());
  turn.m[3][0] = turn.m[3][1] = turn.m[3][2] = 0.0f;
  context.setWorldMatrix(math::matrixMultiply(turn, world));
}

}  // namespace rk::gfx::gfx_model_command
