#include "gfx/gfx_model_command/rk_gfx_laser.h"

#include "gfx/rk_gfx_helper.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "kernel/rk_device_context.h"

namespace rk::gfx::gfx_model_command {

namespace {
using math::kFloatEpsilon;
using math::Vector4;

struct Segment {
  float begin, end, length;
};
}  // namespace

float Laser::calcLength() const {
  const std::vector<Vector4>& pts = params_->points;
  float sum = 0.0f;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    const Vector4 d = pts[i].minus(pts[i - 1]);
    if (math::vec3LengthSq(d) >= kFloatEpsilon) sum += math::vec3Length(d);
  }
  return sum;
}

void Laser::execute(GfxDeviceContext& context, std::int32_t) {
  if (!params_->visible || params_->points.size() < 2) return;
  if (params_->loop)
    drawAlongPath(context);
  else
    drawQuad(context);
}

void Laser::drawQuad(GfxDeviceContext& context) {
  const Params& p = *params_;
  const Vector4 &p0 = p.points[0], &p1 = p.points[1];
  const Vector4 s = math::vec3Normalize(math::vec3Cross(p1.minus(p0), p.eye.minus(p0))).scaled(p.width);
  context.strip_vertices_.clear();
  context.addStripVertex(p.uv0[0].x, p.uv0[0].y, p0.minus(s));
  context.addStripVertex(p.uv1[0].x, p.uv0[0].y, p0.plus(s));
  context.addStripVertex(p.uv0[0].x, p.uv1[0].y, p1.minus(s));
  context.addStripVertex(p.uv1[0].x, p.uv1[0].y, p1.plus(s));
  context.flushStrip();
}

// Walks the segments from start_length to total_length and emits one pair of
// ribbon vertices at every segment start it passes and at the two ends. A
// walk that emits nothing draws nothing (no earlier command's strip is reused).
void Laser::drawAlongPath(GfxDeviceContext& context) {
  const Params& p = *params_;
  const float total = calcLength();
  if (total < kFloatEpsilon || p.start_length >= p.total_length) return;

  std::vector<Vector4> q = p.points;
  const std::size_t n = p.points.size();
  const Vector4 lastStep = p.points[n - 1].minus(p.points[n - 2]);
  if (math::vec3LengthSq(lastStep) >= kFloatEpsilon) q.push_back(p.points[n - 1].plus(math::vec3Normalize(lastStep)));

  std::vector<Segment> segments;
  segments.reserve(n);
  float at = 0.0f;
  for (std::size_t i = 1; i < n; ++i) {
    const Vector4 d = p.points[i].minus(p.points[i - 1]);
    if (math::vec3LengthSq(d) < kFloatEpsilon) {
      segments.push_back({at, at, 0.0f});
    } else {
      const float len = math::vec3Length(d);
      segments.push_back({at, at + len, len});
      at += len;
    }
  }
  segments.push_back({at, at + 1.0f, 1.0f});

  const bool twoStages = p.stages == 2;
  bool first = true, done = false;
  float t = p.start_length;
  context.strip_vertices_.clear();
  auto emit = [&](std::size_t i, const Segment& seg) {
    const Vector4 d = math::vec3Normalize(q[i].minus(q[i - 1]));
    const Vector4 point = q[i - 1].plus(d.scaled(t - seg.begin));
    const Vector4 s = math::vec3Normalize(math::vec3Cross(point.minus(p.eye), d)).scaled(p.width);
    const float f = t / total;
    Vector4 a[2], b[2];
    for (int k = 0; k < 2; ++k) {
      const float v = p.uv0[k].y + (p.uv1[k].y - p.uv0[k].y) * f;
      a[k] = {p.uv0[k].x + p.uv_offset[k].x, v + p.uv_offset[k].y, 0, 0};
      b[k] = {p.uv1[k].x + p.uv_offset[k].x, v + p.uv_offset[k].y, 0, 0};
    }
    if (!twoStages) {
      context.addStripVertex(a[0].x, a[0].y, point.minus(s));
      context.addStripVertex(b[0].x, b[0].y, point.plus(s));
    } else if (first) {
      context.moveTo(point.minus(s), a[0], a[1]);
      context.lineTo(point.plus(s), b[0], b[1]);
    } else {
      context.lineTo(point.minus(s), a[0], a[1]);
      context.lineTo(point.plus(s), b[0], b[1]);
    }
    first = false;
  };

  for (std::size_t i = 1; i < q.size() && i - 1 < segments.size(); ++i) {
    const Segment& seg = segments[i - 1];
    if ((first && seg.begin > p.start_length) || seg.length < kFloatEpsilon) continue;
    if (seg.begin <= t && t < seg.end) {
      emit(i, seg);
      if (!done && i + 1 < q.size() && seg.end > p.total_length) {
        done = true;
        t = p.total_length;
        if (seg.begin <= t && t < seg.end) emit(i, seg);
      }
    }
    t = seg.end;
    if (done) break;
  }

  context.setWorldMatrix(math::matrixIdentity());
  if (!twoStages) {
    context.flushStrip();
    return;
  }
  if (context.pen_records_.size() <= 2) return;
  DeviceContext* dc = DeviceContext::getInstance();
  const ColorStateBackup saved = dc->backupColorState();
  context.applyTexturesAndColor();
  GfxHelper::drawTriangleStrip(context.pen_records_.data(), context.pen_records_.size());
  dc->restoreColorState(saved);
}

}  // namespace rk::gfx::gfx_model_command
