#include "gfx/gfx_model_command/rk_gfx_wipe.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_index_buffer.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "math/rk_counter_manager.h"

namespace rk::gfx::gfx_model_command {

namespace {

constexpr const char* kSource = "src/gfx/gfx_model_command/rk_gfx_wipe";

class Fade {
 public:
  virtual ~Fade() = default;
  virtual float progress(const math::Counter* counter, float duration) const {
    const float seconds = counter ? counter->value() : 0.0f;
    const float t = seconds / duration;  // a zero duration gives +inf (or NaN at 0 s): done
    return !(t < 1.0f) ? 1.0f : (t < 0.0f ? 0.0f : t);
  }
  virtual Color target(const Color& c) const { return Color(c.getR(), c.getG(), c.getB(), 0.0f); }
};
class FadeIn : public Fade {};
class FadeOut : public Fade {
 public:
  Color target(const Color& c) const override { return Color(c.getR(), c.getG(), c.getB(), 1.0f); }
};

float channel(double v) { return static_cast<float>(static_cast<std::int64_t>(v) & 0xFF) / 255.0f; }

}  // namespace

struct GfxWipe::State {
  math::Counter* counter = nullptr;  // one reference held
  Color color{1.0f, 1.0f, 1.0f, 1.0f};
  float duration = 1.0f;
  FadeOut fade_out;
  FadeIn fade_in;
  const Fade* fade = &fade_out;
  VertexBuffer* vertex_buffer = nullptr;
  IndexBuffer* index_buffer = nullptr;
};

GfxWipe::GfxWipe(GfxModel* owner, std::int32_t counterKind, const char* counterName)
    : GfxModelList(owner), state_(std::make_unique<State>()) {
  if (math::CounterManager* counters = math::CounterManager::getInstance()) {
    state_->counter = counters->getCounter(counterKind, counterName);
    if (state_->counter) state_->counter->stop();
  }
}

GfxWipe::~GfxWipe() {
  if (state_->counter) state_->counter->release(kSource, 88);
  if (state_->index_buffer) state_->index_buffer->release(kSource, 89);
  if (state_->vertex_buffer) state_->vertex_buffer->release(kSource, 90);
}

void GfxWipe::fadeOut(double r, double g, double b, float seconds) {
  state_->color = Color(channel(r), channel(g), channel(b), 0.0f);
  if (state_->counter) {
    state_->counter->setValue(0.0f);
    state_->counter->stop();
  }
  state_->fade = &state_->fade_out;
  state_->duration = seconds;
}

void GfxWipe::fadeIn(double r, double g, double b, float seconds) {
  fadeOut(r, g, b, seconds);
  state_->color.setA(1.0f);
  state_->fade = &state_->fade_in;
}

void GfxWipe::start() {
  if (state_->counter) state_->counter->start();
}
void GfxWipe::stop() {
  if (state_->counter) state_->counter->stop();
}

bool GfxWipe::isEndOfWipe() const {
  return (state_->counter ? state_->counter->value() : 0.0f) >= state_->duration;
}

Color GfxWipe::currentColor() const {
  const float t = state_->fade->progress(state_->counter, state_->duration);
  const Color& from = state_->color;
  const Color to = state_->fade->target(from);
  return Color(from.getR() + (to.getR() - from.getR()) * t, from.getG() + (to.getG() - from.getG()) * t,
               from.getB() + (to.getB() - from.getB()) * t, from.getA() + (to.getA() - from.getA()) * t);
}

math::Counter* GfxWipe::counter() const { return state_->counter; }
bool GfxWipe::buffersMade() const { return state_->vertex_buffer && state_->index_buffer; }

void GfxWipe::notify(GfxDeviceContext&) {
  if (!isEndOfWipe()) return;
  if (state_->fade == &state_->fade_in && owner_) owner_->setVisible(false);
  stop();
}

void GfxWipe::execute(GfxDeviceContext& context, std::int32_t) {
  context.depth_test_ = false;
  context.depth_write_ = false;
  context.alpha_blend_ = true;
  context.setColorARGB(0xFFFFFFFFu);
  const Color colour = currentColor();

  DeviceContext* dc = DeviceContext::getInstance();
  host::gpu::GraphicsCommandList* list = dc->getNowCommandList();
  if (!list) return;
  const math::Matrix world = dc->worldMatrix(), view = dc->viewMatrix(), projection = dc->projectionMatrix();
  dc->pushPipeline(PIPELINE_DEFAULT2D_TRIANGLE);
  const float w = static_cast<float>(dc->screenWidth()), h = static_cast<float>(dc->screenHeight());
  const Camera* camera = context.camera_;
  dc->setProjectionMatrix(math::matrixOrthographicOffCenterLH(0.0f, w, h, 0.0f, camera ? camera->nearClip() : 0.0f,
                                                              camera ? camera->farClip() : 1.0f));
  dc->setViewMatrix(math::matrixIdentity());
  dc->setWorldMatrix(math::matrixIdentity());
  dc->setViewProjection();

  State& s = *state_;
  if (!s.vertex_buffer) dc->createVertexBuffer(VERTEX_KIND_POSITION_COLOR, &s.vertex_buffer);
  if (!s.index_buffer) {
    dc->createIndexBuffer(&s.index_buffer);
    for (std::uint32_t i = 0; i < 4; ++i) s.index_buffer->push(i);
    s.index_buffer->build();
  }
  s.vertex_buffer->clear();
  s.vertex_buffer->setColor(colour);
  const float xs[4] = {0.0f, w, 0.0f, w}, ys[4] = {0.0f, 0.0f, h, h};
  for (int i = 0; i < 4; ++i) {
    s.vertex_buffer->setPosition(xs[i], ys[i], 0.0f);
    s.vertex_buffer->pushVertex();
  }
  s.vertex_buffer->copyToGpu();
  dc->sendVertexBuffer(s.vertex_buffer);
  list->iaSetIndexBuffer(s.index_buffer->view());
  list->iaSetPrimitiveTopology(DeviceContext::toTopologyKind(5));
  list->drawIndexedInstanced(4, 1, 0, 0, 0);

  dc->popPipeline();
  dc->setWorldMatrix(world);
  dc->setViewMatrix(view);
  dc->setProjectionMatrix(projection);
  dc->setViewProjection();
}

}  // namespace rk::gfx::gfx_model_command
