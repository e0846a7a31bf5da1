// Effects attached to a model's frames: started on a frame with an optional
// 3D sound, moved with the frame every sync, dropped when they end, and
// queued per frame so that one effect plays after the other.
#include "audio/rk_audio_context.h"
#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "gfx/rk_model.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_quaternion.h"
#include "../math/rk_xmath_bridge.h"

namespace rk::gfx {

namespace {

const char kSource[] = "src/gfx/rk_model";

void releaseHandle(effect::EffectHandle* handle) {
  if (handle) handle->release(kSource, __LINE__);
}

}  // namespace

bool Model::attachFrameEffect(int unitNumber, const char* frame, const char* effectName, const char* sound,
                              const math::Matrix& offset, bool loop, float volume, std::uint8_t flag) {
  static const char kName[] = "rk::gfx::Model::attachFrameEffect";
  math::Matrix frameWorld;
  if (!calcFrameMtx(frameWorld, frame)) {
    debug::writeErrorLog(kSource, __LINE__, kName);
    return false;
  }
  effect::EffectUnit* unit =
      singletonExists(InstanceSlot::EffectSystem) ? effect::EffectSystem::getInstance()->getEffectUnit(unitNumber) : nullptr;
  if (!unit) {
    debug::writeErrorLog(kSource, __LINE__, kName);
    return false;
  }
  auto* handle = new effect::EffectHandle(unit, effectName ? effectName : "");
  int player = -1;
  if (sound && *sound)
    if (audio::AudioContext* audio = audio::AudioContext::getInstance())
      player = audio->playOneShot3DSoundEffect(sound, {frameWorld.m[3][0], frameWorld.m[3][1], frameWorld.m[3][2], 0.0f},
                                               volume, false);
  unit->release(kSource, __LINE__);  // the handle holds its own reference
  return playFrameEffect(frame, handle, offset, loop, player, flag);
}

bool Model::playFrameEffect(const char* frame, effect::EffectHandle* handle, const math::Matrix& offset, bool loop,
                            int soundPlayer, std::uint8_t flag) {
  math::Matrix frameWorld;
  if (!handle || !calcFrameMtx(frameWorld, frame)) return false;
  // The frame's translation, rotation and scale start the effect.
  host::xmath::Vector scale, rotation, translation;
  host::xmath::matrixDecompose(&scale, &rotation, &translation, math::bridge::toX(frameWorld));
  const math::Vector4 angles =
      math::matrixToYawPitchRoll(math::bridge::fromX(host::xmath::matrixRotationQuaternion(rotation)));
  const math::Vector4 at = math::bridge::fromX(translation);

  handle->addRef();
  FrameEffect attached;
  attached.frame = frame ? frame : "";
  attached.hash = res::nameKey(attached.frame);
  attached.handle = handle;
  attached.loop = loop ? 1 : 0;
  attached.sound_player = soundPlayer;
  attached.flag = flag;
  attached.offset = offset;
  frame_effects_.push_back(attached);
  handle->playEffect(at, angles, math::bridge::fromX(scale));
  handle->setMatrix(math::matrixMultiply(offset, frameWorld));
  handle->setShown(isVisible());
  return true;
}

effect::EffectHandle* Model::findFrameEffect(const char* frame) const {
  const std::string name = frame ? frame : "";
  const int hash = res::nameKey(name);
  for (const FrameEffect& e : frame_effects_)
    if (e.hash == hash && e.frame == name) return e.handle;
  return nullptr;
}

void Model::detachFrameEffect(const char* frame) {
  const std::string name = frame ? frame : "";
  const int hash = res::nameKey(name);
  for (auto it = frame_effects_.begin(); it != frame_effects_.end(); ++it)
    if (it->hash == hash && it->frame == name) {
      effect::EffectHandle* handle = it->handle;
      frame_effects_.erase(it);
      releaseHandle(handle);
      return;
    }
}

bool Model::attachFrameQueueEffect(int unitNumber, const char* frame, const char* effectName, const char* sound,
                                   const math::Matrix& offset, float loop, std::uint8_t flag, float volume) {
  if (!frame) {
    debug::writeErrorLog(kSource, __LINE__, "rk::gfx::Model::attachFrameQueueEffect");
    return false;
  }
  math::Matrix frameWorld;
  if (!calcFrameMtx(frameWorld, frame)) return false;
  QueuedFrameEffect queued;
  queued.unit = unitNumber;
  queued.frame = frame;
  queued.effect = effectName ? effectName : "";
  queued.sound = sound ? sound : "";
  queued.loop = loop;
  queued.offset = offset;
  queued.flag = flag;
  queued.volume = volume;
  const int hash = res::nameKey(queued.frame);
  auto range = frame_effect_queues_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.first == queued.frame) {
      it->second.second.push_back(queued);
      return true;
    }
  frame_effect_queues_.emplace(hash, std::make_pair(queued.frame, std::deque<QueuedFrameEffect>{queued}));
  return true;
}

void Model::detachFrameEffects() {
  std::vector<FrameEffect> effects;
  effects.swap(frame_effects_);
  for (FrameEffect& e : effects) releaseHandle(e.handle);
}

bool Model::isAliveEffectQueue(const char* frame) const {
  const std::string name = frame ? frame : "";
  auto range = frame_effect_queues_.equal_range(res::nameKey(name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.first == name && !it->second.second.empty()) return true;
  return false;
}

void Model::syncFrameEffects() {
  if (!singletonExists(InstanceSlot::EffectSystem)) return;
  for (FrameEffect& e : frame_effects_) {
    if (!e.handle->isAlive()) continue;
    math::Matrix frameWorld;
    calcFrameMtx(frameWorld, e.frame.empty() ? nullptr : e.frame.c_str());
    e.handle->setMatrix(math::matrixMultiply(e.offset, frameWorld));
  }
  for (auto it = frame_effects_.begin(); it != frame_effects_.end();) {
    if (it->handle->isAlive()) {
      ++it;
      continue;
    }
    effect::EffectHandle* handle = it->handle;
    it = frame_effects_.erase(it);
    releaseHandle(handle);
  }
  // After each entry taken the walk starts again from the first queue, so an
  // entry whose attach fails is dropped and the next one is tried at once.
  // Every pass takes an entry or ends the walk.
  for (bool taken = true; taken;) {
    taken = false;
    for (auto& entry : frame_effect_queues_) {
      std::deque<QueuedFrameEffect>& queue = entry.second.second;
      if (queue.empty()) continue;
      const std::string& name = entry.second.first;
      bool busy = false;
      for (const FrameEffect& e : frame_effects_) busy = busy || (e.hash == entry.first && e.frame == name);
      if (busy) continue;
      const QueuedFrameEffect next = queue.front();
      queue.pop_front();
      attachFrameEffect(next.unit, next.frame.c_str(), next.effect.c_str(), next.sound.c_str(), next.offset,
                        next.loop != 0.0f, next.volume, next.flag);
      taken = true;
      break;
    }
  }
}

}  // namespace rk::gfx
