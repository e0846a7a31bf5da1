#include "player/player_wepon/player_bullet.h"

#include "audio/rk_audio_context.h"
#include "collision/convert_pos_between_cameras.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace {
constexpr const char* kSource = "common/bullet/bullet_base";
}

PlayerBulletActorBody* takePlayerBulletActorBody() {
  rk::actor::ActorManager* manager = rk::actor::ActorManager::getInstance();
  PlayerBulletActorBody* body = nullptr;
  if (manager) {
    body = dynamic_cast<PlayerBulletActorBody*>(manager->findByKind(PlayerBulletActorBody::kKind));
    if (body) manager->erase(body);
  }
  if (!body) body = new PlayerBulletActorBody();
  if (manager) manager->add(6, body);
  body->initialize();
  return body;
}

PlayerBulletBase::~PlayerBulletBase() {
  auto* owner = static_cast<PlayerBulletActorBody*>(this->owner());
  if (!owner) return;
  if (owner->holder_ == this)
    owner->holder_ = nullptr;  // the bullet base finalises and releases it
  else
    setOwner(nullptr);  // another shot's now: only our reference goes
}

bool PlayerBulletBase::holdsOwner() {
  auto* owner = static_cast<PlayerBulletActorBody*>(this->owner());
  return owner && owner->holder_ == this;
}

void PlayerBulletBase::takeFreshOwner() {
  PlayerBulletActorBody* body = takePlayerBulletActorBody();
  if (auto* old = static_cast<PlayerBulletActorBody*>(owner()); old && old != body && old->holder_ == this)
    old->holder_ = nullptr;
  setOwner(body);
  body->holder_ = this;
  body->initialize();
  setOwnerUse(true);
  record().fix_speed_ = kDefaultSpeed;
  record().reflect_flag_ = false;
  record().hit_flag_ = false;
}

void PlayerBulletBase::finalizeOwner() {
  if (!owner()) return;
  if (!rk::singletonExists(rk::InstanceSlot::ActorManager))
    rk::debug::writeErrorLog(kSource, 78, "common::BulletBase::finalize");
  if (holdsOwner()) owner()->finalize();
}

void PlayerBulletBase::setOwnerUse(bool use) {
  if (!owner()) {
    rk::debug::writeErrorLog(kSource, 108, "common::BulletBase::setUse");
    return;
  }
  if (holdsOwner()) owner()->setUse(use);
}

bool PlayerBulletBase::ownerInUse() { return owner() && owner()->isUse(); }

namespace player_shot {

rk::math::Vector4 atFixedSpeed(const rk::math::Vector4& v, float speed) {
  const float length = rk::math::vec3Length(v);
  if (!(length > 0.0f)) return v;
  return v.scaled(speed / length);
}

void queueReflectSound(const rk::math::Vector4& position) {
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  if (!audio) return;
  rk::math::Vector4 at{0.0f, 0.0f, 0.0f, 0.0f};
  common::convertPosBetweenCameras(common::kActorCamera, common::kMapCamera, at, position);
  audio->addEntrySE("audio/se/common01/reflect.ogg", at, 1.0f, 1);
}

}  // namespace player_shot
