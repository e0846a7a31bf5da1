// The loaded-model scene model: the root's animation and frames, the culling
// box, the draw through the frame's model draw context and the animation
// command queue.
#include <cstring>

#include "audio/rk_audio_context.h"
#include "col/rk_collision_obb.h"
#include "effect/rk_effect_handle.h"
#include "gfx/rk_model.h"
#include "gfx/rk_model_draw_info.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"

namespace rk::gfx {

namespace {

constexpr std::size_t kMaxQueueText = 1023;

std::string queueText(const char* text) {
  if (!text) return std::string();
  return std::string(text, strnlen(text, kMaxQueueText));
}

bool isZero(const math::Matrix& m) {
  for (const auto& row : m.m)
    for (float v : row)
      if (v != 0.0f) return false;
  return true;
}

}  // namespace

Model::Model() { std::memset(&culling_offset_, 0, sizeof culling_offset_); }

Model::~Model() {
  script_links_.clear();
  for (FrameEffect& e : frame_effects_) e.handle->setShown(false);
  detachFrameEffects();
  frame_effect_queues_.clear();
  if (root_) root_->setVisible(false);
  GModel::setVisible(false);
  anim_queue_.clear();
  culling_body_.reset();
  delete root_;
  root_ = nullptr;
  resource_.reset();
}

// ------------------------------------------------------------ animation

void Model::setLoopAnime(bool loop) {
  if (root_) root_->setLoopAnime(loop);
}
void Model::setPlayAnime(int value) {
  if (root_) root_->setPlayAnime(value);
}
void Model::changeAnime(int take) {
  if (root_) root_->changeAnime(take);
}
bool Model::shiftAnime(int take, float blendSeconds) { return root_ && root_->shiftAnime(take, blendSeconds); }
bool Model::getAnimeID(int& take, const char* name) { return root_ && root_->getAnimeID(take, name); }

void Model::updateAnime(float seconds) {
  buildMatrix();
  if (!root_) return;
  root_->setBaseMatrix(math::matrixTranslation(offset_.x, offset_.y, offset_.z));
  root_->updateAnime(stopped_ ? 0.0f : seconds);
}

void Model::applyPose() {
  if (root_) root_->applyPose();
}
bool Model::isEndOfAnime() { return root_ && root_->isEndOfAnime(); }
float Model::getNowAnimeTime() { return root_ ? root_->getNowAnimeTime() : 0.0f; }
void Model::setNowAnimeTime(float time) {
  if (root_) root_->setNowAnimeTime(time);
}
float Model::getMaxAnimeTime() { return root_ ? root_->getMaxAnimeTime() : 1.0f; }
int Model::getAnimeTakeNum() { return root_ ? root_->getAnimeTakeNum() : 0; }
const char* Model::getAnimeNameByNum(int index) { return root_ ? root_->getAnimeNameByNum(index) : nullptr; }
bool Model::isLoopAnime() { return root_ && root_->isLoopAnime(); }

// ------------------------------------------------------------ drawing

bool Model::isReady() { return root_ && root_->isReady(); }

void Model::setVisible(bool visible) {
  for (FrameEffect& e : frame_effects_) e.handle->setShown(visible);
  if (root_) root_->setVisible(visible);
  GModel::setVisible(visible);
}

const collision::CollisionBody* Model::getCullingBody() const { return culling_body_.get(); }

void Model::draw(int, bool shadowPass) {
  if (!isReady() || !isVisible()) return;
  math::Matrix world = getMatrix();
  if (GModel* parent = getParent()) {
    // Hung on the parent's frame: own placement, then the offset, then the frame.
    math::Matrix frame;
    const std::string& name = getAttachFrameName();
    parent->calcFrameMtx(frame, name.empty() ? nullptr : name.c_str());
    world = math::matrixMultiply(math::matrixMultiply(world, getAttachOffset()), frame);
  }
  driver::directx::directx12::Directx12ModelDrawContext* context = DeviceContext::getInstance()->modelDrawContext();
  if (!context) return;
  context->begin(world, this, shadowPass, getModelDrawInfo(0));
  root_->draw(*context);
  context->end();
}

void Model::setShadowColor(std::uint32_t argb) {
  if (root_) root_->setShadowColor(argb);
}
std::uint32_t Model::getShadowColor() { return root_ ? root_->getShadowColor() : 0x40FFFFFFu; }

// ------------------------------------------------------------ frames and lighting

bool Model::getFrameMatrix(math::Matrix& out, const char* frame) {
  if (root_) return root_->getFrameMatrix(out, frame);
  out = math::matrixIdentity();
  return false;
}

void Model::getRootMatrix(math::Matrix& out) {
  GModel* top = this;
  while (top->getParent()) top = top->getParent();
  out = top->getMatrix();
}

const char* Model::getModelName() { return resource_ ? resource_->name().c_str() : nullptr; }

ModelDrawInfo* Model::getModelDrawInfo(int index) {
  if (index == 0) return GModel::getModelDrawInfo(0);
  return root_ ? root_->getModelDrawInfo(index) : nullptr;
}
void Model::pushModelDrawInfo(int index) {
  if (index == 0) GModel::pushModelDrawInfo(0);
  else if (root_) root_->pushModelDrawInfo(index);
}
void Model::popModelDrawInfo(int index) {
  if (index == 0) GModel::popModelDrawInfo(0);
  else if (root_) root_->popModelDrawInfo(index);
}

bool Model::transformFramePoint(math::Vector4& out, const math::Vector4& point, const char* frame,
                                const math::Matrix& matrix) {
  math::Matrix frameWorld;
  const bool found = calcFrameMtx(frameWorld, frame);
  const math::Matrix m = math::matrixMultiply(matrix, frameWorld);
  const math::Vector4 p = math::vec3TransformCoord({point.x, point.y, point.z, 1.0f}, m);
  out = {p.x, p.y, p.z, 1.0f};
  return found;
}

bool Model::getFrameMaterial(Material*& out, const char* frame) {
  if (root_ && root_->getFrameMaterial(out, frame)) return true;
  debug::writeErrorLog("src/gfx/rk_model", __LINE__, "rk::gfx::Model::getFrameMaterial");
  return false;
}

// ------------------------------------------------------------ root and culling box

void Model::load(const char* name) { setRoot(DeviceContext::getInstance()->createModelRoot(name ? name : "")); }

void Model::setRoot(driver::directx::DxModelRoot12* root) {
  if (root_ == root) return;
  delete root_;
  root_ = root;
}

collision::OBB* Model::createCullingBody() {
  culling_body_ = std::make_unique<collision::OBB>();
  return culling_body_.get();
}

void Model::releaseCullingBody() { culling_body_.reset(); }

void Model::sync() {
  if (culling_body_) {
    const math::Matrix& world = getMatrix();
    culling_body_->setFromMatrix(isZero(culling_offset_) ? world : math::matrixMultiply(world, culling_offset_));
  }
  syncFrameEffects();
}

// ------------------------------------------------------------ animation queue

void Model::pushAnimQueueEndOfWait() {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kEndOfAnime;
  anim_queue_.push_back(c);
}

void Model::pushAnimQueuePlay(int value) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kPlay;
  c.play = static_cast<std::uint8_t>(value);
  anim_queue_.push_back(c);
}

void Model::pushAnimQueueChange(int take) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kChange;
  c.take = take;
  anim_queue_.push_back(c);
}

void Model::pushAnimQueueShift(int take, float blendSeconds) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kShift;
  c.take = take;
  c.blend = blendSeconds;
  anim_queue_.push_back(c);
}

void Model::pushAnimQueueWait(float seconds) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kWaitStart;
  c.wait = seconds;
  anim_queue_.push_back(c);
  c.kind = AnimQueueCommand::kWaitStep;
  anim_queue_.push_back(c);
}

void Model::pushAnimQueueLoop(bool loop) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kLoop;
  c.loop = loop ? 1 : 0;
  anim_queue_.push_back(c);
}

void Model::pushAnimQueueSoundEffect(const char* sound, const char* frame, float volume, const math::Matrix& offset,
                                     bool flag) {
  AnimQueueCommand c;
  c.kind = AnimQueueCommand::kSoundEffect;
  c.sound = queueText(sound);
  c.frame = queueText(frame);
  c.volume = volume;
  c.offset = offset;
  c.flag = flag ? 1 : 0;
  anim_queue_.push_back(c);
}

void Model::updateAnimQueue(float seconds) {
  while (!anim_queue_.empty()) {
    const AnimQueueCommand c = anim_queue_.front();
    switch (c.kind) {
      case AnimQueueCommand::kWaitStart:
        wait_left_ = c.wait;
        anim_queue_.pop_front();
        // The wait's own step runs in the same update.
        if (anim_queue_.empty() || anim_queue_.front().kind != AnimQueueCommand::kWaitStep) continue;
        [[fallthrough]];
      case AnimQueueCommand::kWaitStep:
        wait_left_ -= seconds;
        if (wait_left_ > 0.0f) return;
        anim_queue_.pop_front();
        continue;
      case AnimQueueCommand::kEndOfAnime:
        if (!isEndOfAnime()) return;
        anim_queue_.pop_front();
        continue;
      default:
        break;
    }
    // The entry leaves the queue before it runs, so what it calls may change the queue.
    anim_queue_.pop_front();
    switch (c.kind) {
      case AnimQueueCommand::kChange:
        changeAnime(c.take);
        break;
      case AnimQueueCommand::kShift:
        shiftAnime(c.take, c.blend);
        break;
      case AnimQueueCommand::kPlay:
        setPlayAnime(c.play);
        break;
      case AnimQueueCommand::kLoop:
        setLoopAnime(c.loop != 0);
        break;
      case AnimQueueCommand::kSoundEffect: {
        math::Vector4 at{getMatrix().m[3][0], getMatrix().m[3][1], getMatrix().m[3][2], 0.0f};
        if (!c.frame.empty()) transformFramePoint(at, {0.0f, 0.0f, 0.0f, 1.0f}, c.frame.c_str(), c.offset);
        if (audio::AudioContext* audio = audio::AudioContext::getInstance())
          audio->addEntrySE(c.sound.c_str(), at, c.volume, c.flag);
        break;
      }
      default:
        break;  // an unknown kind is dropped
    }
  }
}

}  // namespace rk::gfx
