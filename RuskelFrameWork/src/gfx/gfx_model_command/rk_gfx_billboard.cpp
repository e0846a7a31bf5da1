#include "gfx/gfx_model_command/rk_gfx_billboard.h"

#include <algorithm>

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_model_holder.h"
#include "kernel/rk_device_context.h"
#include "rk_gfx_command_internal.h"

namespace rk::gfx::gfx_model_command {

namespace {

using math::Vector4;

Vector4 eyeOf(const GfxDeviceContext& context) { return context.camera_ ? context.camera_->eye() : Vector4{}; }

// The corners' UVs of a ribbon segment: (u0, v0), (u1, v0), (u0, v1), (u1, v1).
void addQuad(GfxDeviceContext& context, const Vector4 (&uv)[2], const Vector4& a0, const Vector4& a1,
             const Vector4& b0, const Vector4& b1) {
  context.strip_vertices_.clear();
  context.addStripVertex(uv[0].x, uv[0].y, a0);
  context.addStripVertex(uv[1].x, uv[0].y, a1);
  context.addStripVertex(uv[0].x, uv[1].y, b0);
  context.addStripVertex(uv[1].x, uv[1].y, b1);
  context.flushStrip();
}

}  // namespace

// Centred on the position: the near corners at minus the half size, the far
// ones at the size minus the half size.
void BillboardChip::setWidthHeight(float w, float h) {
  const float hw = w * 0.5f, hh = h * 0.5f;
  corners[0] = {-hw, hh, 0, 0};
  corners[1] = {w - hw, hh, 0, 0};
  corners[2] = {-hw, hh - h, 0, 0};
  corners[3] = {w - hw, hh - h, 0, 0};
}

void BillboardChip::setUV(float u0, float v0, float u1, float v1) {
  uvs[0] = {u0, v0, 0, 0};
  uvs[1] = {u1, v0, 0, 0};
  uvs[2] = {u0, v1, 0, 0};
  uvs[3] = {u1, v1, 0, 0};
}

BillBoard::~BillBoard() {
  for (BillboardChip* chip : chips_) {
    forgetGfxPartEverywhere(chip);
    delete chip;
  }
}

BillboardChip* BillBoard::createBillboardChip() {
  chips_.push_back(new BillboardChip);
  chips_.back()->billboard = this;
  return chips_.back();
}

bool BillBoard::releaseChip(BillboardChip* chip) {
  auto it = std::find(chips_.begin(), chips_.end(), chip);
  if (it == chips_.end()) return false;
  forgetGfxPartEverywhere(*it);
  delete *it;
  chips_.erase(it);
  return true;
}

// The chips are turned by the camera's world matrix and placed at their own
// positions; the model's transformation is not used. The quads collect in the
// context's billboard run and are drawn by its flush.
void BillBoard::execute(GfxDeviceContext& context, std::int32_t) {
  RkTexture* texture = texture_.get();
  if (!detail::isTextureReady(texture)) return;
  // A run of another texture is drawn before slot 0 changes.
  const bool continuing = context.batchTexture() == texture;
  context.beginBatch(texture, 0);
  if (!continuing) context.setWorldMatrix(math::matrixIdentity());
  context.textures_[0] = texture;
  context.alpha_blend_ = true;

  const math::Matrix m = context.camera_ ? context.camera_->inverseViewMatrix() : math::matrixIdentity();
  for (const BillboardChip* chip : chips_) {
    if (!chip->visible) continue;
    context.beginBatch(texture, 4);  // a full run is drawn and a new one begun
    const std::uint16_t base = static_cast<std::uint16_t>(context.strip_vertices_.size());
    for (int i = 0; i < 4; ++i) {
      const Vector4& c = chip->corners[i];
      const float w = c.x * m.m[0][3] + c.y * m.m[1][3] + c.z * m.m[2][3] + m.m[3][3];
      const Vector4 p{(chip->position.x + c.x * m.m[0][0] + c.y * m.m[1][0] + c.z * m.m[2][0]) / w,
                      (chip->position.y + c.x * m.m[0][1] + c.y * m.m[1][1] + c.z * m.m[2][1]) / w,
                      (chip->position.z + c.x * m.m[0][2] + c.y * m.m[1][2] + c.z * m.m[2][2]) / w, 0.0f};
      context.addStripVertex(chip->uvs[i].x, chip->uvs[i].y, p);
    }
    for (std::uint16_t index : {0, 1, 2, 1, 3, 2}) context.indices_.push_back(static_cast<std::uint16_t>(base + index));
  }
  context.depth_test_ = z_test_;
  context.depth_write_ = z_write_;
  if (!continuing) context.setColorARGB(0xFF000000u);
}

void CapsuleLaser::setAxis(float x, float y, float z) { params_->axis = math::vec3Normalize({x, y, z, 0.0f}); }

void CapsuleLaser::execute(GfxDeviceContext& context, std::int32_t) {
  const Params& p = *params_;
  if (!p.visible) return;
  const Vector4 eye = eyeOf(context);
  const Vector4 back_axis = p.axis.scaled(-1.0f);
  auto side = [&](const Vector4& x) { return math::vec3Normalize(math::vec3Cross(x.minus(eye), back_axis)); };
  const float r = p.radius, h = p.length;
  const Vector4 front = p.position.plus(p.axis.scaled(h)), back = p.position.minus(p.axis.scaled(h));
  const Vector4 frontCap = front.plus(p.axis.scaled(r)), backCap = back.minus(p.axis.scaled(r));
  const Vector4 s1 = side(frontCap), s3 = side(back), s4 = side(backCap);
  const bool centre = h > math::kFloatEpsilon;
  const Vector4 s2 = centre ? side(front) : s3;

  addQuad(context, p.lead_uv, frontCap.minus(s1.scaled(r)), frontCap.plus(s1.scaled(r)), front.minus(s2.scaled(r)),
          front.plus(s2.scaled(r)));
  if (centre)
    addQuad(context, p.center_uv, front.minus(s2.scaled(r)), front.plus(s2.scaled(r)), back.minus(s3.scaled(r)),
            back.plus(s3.scaled(r)));
  addQuad(context, p.term_uv, back.minus(s3.scaled(r)), back.plus(s3.scaled(r)), backCap.minus(s4.scaled(r)),
          backCap.plus(s4.scaled(r)));
}

void PolyLineDraw::execute(GfxDeviceContext& context, std::int32_t) {
  const Params& p = *params_;
  const std::vector<Vector4>& pts = p.points;
  if (!p.visible || pts.size() < 2) return;
  const float h = p.width * 0.5f;
  const Vector4 eye = eyeOf(context);
  auto side = [&](const Vector4& x, const Vector4& d) { return math::vec3Normalize(math::vec3Cross(eye.minus(x), d)); };
  context.setTexture(0, p.texture.get());

  // Top cap, before the first point.
  const Vector4 d0 = math::vec3Normalize(pts[1].minus(pts[0]));
  const Vector4 c = pts[0].minus(d0.scaled(h));
  Vector4 s = side(c, pts[1].minus(pts[0]));
  addQuad(context, p.top_uv, c.minus(s.scaled(h)), c.plus(s.scaled(h)), pts[0].minus(s.scaled(h)),
          pts[0].plus(s.scaled(h)));

  // Body: one pair per point, V alternating between the centre's v0 and v1.
  const std::size_t n = pts.size();
  context.strip_vertices_.clear();
  auto vAt = [&](std::size_t point) { return point % 2 == 0 ? p.center_uv[0].y : p.center_uv[1].y; };
  for (std::size_t i = 1; i < n; ++i) {
    s = side(pts[i - 1], pts[i].minus(pts[i - 1]));
    context.addStripVertex(p.center_uv[0].x, vAt(i - 1), pts[i - 1].minus(s.scaled(h)));
    context.addStripVertex(p.center_uv[1].x, vAt(i - 1), pts[i - 1].plus(s.scaled(h)));
  }
  const Vector4& last = pts[n - 1];
  context.addStripVertex(p.center_uv[0].x, vAt(n - 1), last.minus(s.scaled(h)));
  context.addStripVertex(p.center_uv[1].x, vAt(n - 1), last.plus(s.scaled(h)));
  context.flushStrip();

  // End cap, after the last point, with the last segment's side.
  const Vector4 e = last.plus(math::vec3Normalize(last.minus(pts[n - 2])).scaled(h));
  addQuad(context, p.end_uv, last.minus(s.scaled(h)), last.plus(s.scaled(h)), e.minus(s.scaled(h)), e.plus(s.scaled(h)));
  context.setTexture(0, nullptr);
}

void LineDraw::execute(GfxDeviceContext& context, std::int32_t) {
  if (!params_->visible || params_->points.size() < 2) return;
  context.line_vertices_.clear();
  for (const Vector4& point : params_->points) context.addLineVertex(point);
  context.flushLines();
}

}  // namespace rk::gfx::gfx_model_command
