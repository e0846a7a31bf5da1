#include "gfx/gfx_command/rk_gfx_list_command.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"

namespace rk::gfx::command {

namespace {

void addScreenPoint(GfxDeviceContext& context, std::int32_t x, std::int32_t y) {
  context.add2DVertex({static_cast<float>(x), static_cast<float>(y), 0.0f, 0.0f});
}

}  // namespace

void GfxSetDefault::execute(GfxDeviceContext& context) {
  context.color_ = Color(1.0f, 1.0f, 1.0f, 1.0f);
  context.alpha_blend_ = true;
  context.depth_test_ = false;
  context.depth_write_ = false;
  context.setColorARGB(0xFFFFFFFFu);
  context.locate_ = {};
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup saved = dc->backupColorState();
  context.applyTexturesAndColor();
  dc->restoreColorState(saved);
}

void GfxSetColor::execute(GfxDeviceContext& context) { context.color_ = color_; }

void GfxSetCameraNo::execute(GfxDeviceContext& context) {
  CameraManager* cameras = CameraManager::getInstance();
  Camera* camera = cameras ? cameras->getCamera(number_) : nullptr;
  context.camera_ = camera;
  if (camera) context.setWorldMatrix(math::matrixIdentity());
}

void GfxMoveTo::execute(GfxDeviceContext& context) {
  context.line_vertices_.clear();
  context.addLineVertex(position_);
}

void GfxLineTo::execute(GfxDeviceContext& context) { context.addLineVertex(position_); }

void GfxFlashLine::execute(GfxDeviceContext& context) { context.flushLines(); }

void GfxMoveTo2D::execute(GfxDeviceContext& context) {
  context.screen_vertices_.clear();
  context.add2DVertex({x_, y_, 0.0f, 0.0f});
}

void GfxLineTo2D::execute(GfxDeviceContext& context) { context.add2DVertex({x_, y_, 0.0f, 0.0f}); }

void GfxFlashLine2D::execute(GfxDeviceContext& context) { context.flush2D(); }

void GfxRect2D::execute(GfxDeviceContext& context) {
  context.screen_vertices_.clear();
  addScreenPoint(context, left_, top_);
  addScreenPoint(context, right_, top_);
  addScreenPoint(context, right_, bottom_);
  addScreenPoint(context, left_, bottom_);
  addScreenPoint(context, left_, top_);
  context.flush2D();
}

void GfxRectFill2D::execute(GfxDeviceContext& context) {
  context.screen_vertices_.clear();
  addScreenPoint(context, left_, top_);
  addScreenPoint(context, right_, top_);
  addScreenPoint(context, left_, bottom_);
  addScreenPoint(context, right_, bottom_);
  DeviceContext* dc = DeviceContext::getInstance();
  context.setWorldMatrix(math::matrixIdentity());
  const ColorStateBackup saved = dc->backupColorState();
  context.applyTexturesAndColor();
  dc->drawVertexStrip(context.screen_vertices_.data(), static_cast<int>(context.screen_vertices_.size()));
  dc->restoreColorState(saved);
}

void GfxSetLocate2D::execute(GfxDeviceContext& context) { context.locate_ = position_; }

void GfxSetLocate2D::getLocate(float* x, float* y, float* z, float* w) const {
  *x = position_.x, *y = position_.y, *z = position_.z, *w = position_.w;
}

}  // namespace rk::gfx::command
