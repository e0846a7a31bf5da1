#include "gfx/rk_gfx_list_device_context.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"

namespace rk::gfx {

namespace {
constexpr const char* kSource = "src/gfx/rk_gfx_list_device_context";
constexpr int kLineStrip = 3;
// Index and vertex counts of one indexed draw are 16-bit.
constexpr std::size_t kMaxBatchVertices = 65532;
constexpr std::size_t kMaxBatchIndices = 65532;
}  // namespace

GfxDeviceContext::GfxDeviceContext(Camera* camera) : camera_(camera) {
  DeviceContext::getInstance()->setColorState(false, 0xFF000000u);
}

GfxDeviceContext::~GfxDeviceContext() {
  flushBatch();
  DeviceContext* dc = DeviceContext::getInstance();
  dc->setTexture(nullptr);
  dc->setTexture(nullptr);
  dc->restoreColorState(dc->backupColorState());
}

void GfxDeviceContext::addLineVertex(const math::Vector4& p) {
  line_vertices_.push_back({p.x, p.y, p.z, packedColor()});
}

void GfxDeviceContext::add2DVertex(const math::Vector4& p) {
  screen_vertices_.push_back({p.x, p.y, 0.0f, 1.0f, packedColor()});
}

void GfxDeviceContext::addStripVertex(float u, float v, const math::Vector4& p) {
  strip_vertices_.push_back({p.x, p.y, p.z, packedColor(), u, v});
}

void GfxDeviceContext::moveTo(const math::Vector4& position, const math::Vector4& uv0, const math::Vector4& uv1) {
  debug::writeErrorLog(kSource, 153, "rk::gfx::GfxDeviceContext::moveTo");
  pen_records_.clear();
  lineTo(position, uv0, uv1);
}

void GfxDeviceContext::lineTo(const math::Vector4& p, const math::Vector4& uv0, const math::Vector4& uv1) {
  debug::writeErrorLog(kSource, 166, "rk::gfx::GfxDeviceContext::lineTo");
  pen_records_.push_back({p.x, p.y, p.z, packedColor(), uv0.x, uv0.y, uv1.x, uv1.y});
}

// The display list replays on the overlay list, whose projection is in screen
// pixels. Its 3D lines after a camera choice are seen through that camera: its
// view, projection and viewport stand for the line draw and are put back after.
// A gfx model's context carries its pass camera, which is already in place.
class GfxDeviceContext::CameraView {
 public:
  CameraView(DeviceContext& dc, Camera* camera) : dc_(dc), camera_(camera != dc.currentCamera() ? camera : nullptr) {
    if (!camera_) return;
    view_ = dc.viewMatrix();
    projection_ = dc.projectionMatrix();
    viewport_ = dc.viewport();
    camera_->updateMatrices();
    dc.setViewMatrix(camera_->viewMatrix());
    dc.setProjectionMatrix(camera_->projectionMatrix());
    dc.setViewProjection();
    const math::Viewport& v = camera_->viewport();
    dc.setViewport({static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.width),
                    static_cast<float>(v.height), v.minDepth, v.maxDepth});
  }
  ~CameraView() {
    if (!camera_) return;
    dc_.setViewMatrix(view_);
    dc_.setProjectionMatrix(projection_);
    dc_.setViewProjection();
    dc_.setViewport(viewport_);
  }
  CameraView(const CameraView&) = delete;
  CameraView& operator=(const CameraView&) = delete;

 private:
  DeviceContext& dc_;
  Camera* camera_;
  math::Matrix view_, projection_;
  host::gpu::Viewport viewport_;
};

void GfxDeviceContext::flushLines() {
  if (line_vertices_.size() < 2) return;
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup saved = dc->backupColorState();
  applyTexturesAndColor();
  {
    const CameraView view(*dc, camera_);
    dc->drawLineStrip(line_vertices_.data(), static_cast<int>(line_vertices_.size()) - 1);
  }
  dc->restoreColorState(saved);
}

void GfxDeviceContext::flush2D() {
  if (screen_vertices_.size() < 2) return;
  DeviceContext* dc = DeviceContext::getInstance();
  dc->setWorldMatrix(math::matrixIdentity());
  const ColorStateBackup saved = dc->backupColorState();
  applyTexturesAndColor();
  if (dc->getNowCommandList()) {
    const int count = static_cast<int>(screen_vertices_.size());
    VertexBuffer* buffer = dc->fillColorVertexBuffer(screen_vertices_.data(), count - 1);
    dc->pushPipeline(PIPELINE_DEFAULT2D_LINE);
    dc->drawPolygon(kLineStrip, buffer, static_cast<std::uint32_t>(count));
    dc->addDeferredRelease(new VertexBufferContainer(buffer));
    dc->popPipeline();
  }
  dc->restoreColorState(saved);
}

void GfxDeviceContext::flushStrip() {
  if (strip_vertices_.size() < 3) return;
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup saved = dc->backupColorState();
  applyTexturesAndColor();
  dc->drawColorUVStrip(strip_vertices_.data(), static_cast<int>(strip_vertices_.size()));
  dc->restoreColorState(saved);
}

void GfxDeviceContext::setWorldMatrix(const math::Matrix& world) { DeviceContext::getInstance()->setWorldMatrix(world); }

void GfxDeviceContext::setColorARGB(std::uint32_t argb) {
  packed_color_ = argb;
  use_color_ = false;
  DeviceContext::getInstance()->setColorStateRGBA(
      false, Color(0.0f, 0.0f, 0.0f, static_cast<float>((argb >> 24) & 0xFFu) / 255.0f));
}

void GfxDeviceContext::setTexture(std::uint32_t stage, RkTexture* texture) {
  if (stage > 1) {
    debug::writeErrorLog(kSource, 212, "rk::gfx::GfxDeviceContext::setTexture");
    return;
  }
  textures_[stage] = texture;
}

void GfxDeviceContext::applyTexturesAndColor() {
  DeviceContext* dc = DeviceContext::getInstance();
  dc->setTexture(textures_[0]);
  dc->setTexture(textures_[1]);
  dc->setColorState(use_color_, packed_color_);
}

void GfxDeviceContext::beginBatch(RkTexture* texture, std::size_t vertices) {
  if (batch_texture_ == texture && strip_vertices_.size() + vertices <= kMaxBatchVertices &&
      indices_.size() + vertices / 4 * 6 <= kMaxBatchIndices)
    return;
  flushBatch();
  strip_vertices_.clear();
  indices_.clear();
  batch_texture_ = texture;
}

// The run was collected with slot 0 on its texture, the colour state disabled
// and the world matrix at identity; no command ran in between that changes them.
void GfxDeviceContext::flushBatch() {
  if (!batch_texture_) return;
  batch_texture_ = nullptr;
  if (strip_vertices_.size() <= 2) return;
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup saved = dc->backupColorState();
  applyTexturesAndColor();
  dc->drawIndexedColorUV(strip_vertices_.data(), static_cast<std::uint16_t>(strip_vertices_.size()), indices_.data(),
                         static_cast<std::uint16_t>(indices_.size()));
  dc->restoreColorState(saved);
}

}  // namespace rk::gfx
