#include "gfx/rk_wipe.h"

#include <cstdint>

#include "gfx/rk_wipe_manager.h"
#include "kernel/rk_device_context.h"

namespace rk::gfx {

namespace {
constexpr int kWipePriority = 2;

}  // namespace

WipeObject::WipeObject(const Color& colour, float seconds, const char* name)
    : Task(kWipePriority, name), colour_(colour) {
  colour_.setA(1.0f);
  duration_ = seconds;
  setActive(false);
  setAlive(true);
}

WipeObject::~WipeObject() {
  if (WipeManager* manager = WipeManager::findInstance()) manager->forgetWipe(this);
}

int WipeObject::initStep(float) {
  elapsed_ = 0.0f;
  return 0;
}

void WipeObject::update(float dt) {
  elapsed_ += dt;
  if (duration_ <= elapsed_) {
    elapsed_ = duration_;
    setActive(false);
  }
}

void WipeObject::start() {
  elapsed_ = 0.0f;
  setActive(true);
  setAlive(true);
  started_ = true;
}

void WipeFadeOut::draw() {
  DeviceContext* context = DeviceContext::getInstance();
  context->pushPipeline(PIPELINE_DEFAULT2D_TRIANGLE);
  // Between the colour at alpha 0 and at alpha 1: only alpha moves.
  const float t = progress();
  const std::uint32_t argb = colorToArgb(Color(colour().getR(), colour().getG(), colour().getB(), t));
  const ColorStateBackup saved = context->backupColorState();
  host::gpu::Rect screen;
  screen.right = static_cast<std::int32_t>(context->screenWidth());
  screen.bottom = static_cast<std::int32_t>(context->screenHeight());
  context->drawRect2D(screen, argb);
  context->popPipeline();
  context->restoreColorState(saved);
}

}  // namespace rk::gfx
