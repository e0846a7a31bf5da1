// Enemy bullets whose collision shape lies along a named frame of an animated
// model instead of flying by itself, so that a beam drawn as part of a model
// collides where the model shows it.
//
// SyncBeamCapsule, after the collision groups of every substep, lays its
// capsule from the frame's origin along the frame's direction turned by -π/2
// about x. SyncBeamOBB sets its box from the frame's matrix preceded by an
// offset and the same turn, carried from the camera that draws the model into
// camera 2's space; it never moves by itself.
#pragma once
#include <string>

#include <lua.hpp>

#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "gfx/rk_model_holder.h"
#include "math/rk_transformation.h"

namespace rk::gfx {
class GModel;
}

namespace qv21::sync {

class SyncBeamCapsule : public EnemyBulletRigidBodyCapsule, private rk::gfx::IModelHolder {
 public:
  using BulletParent = EnemyBulletRigidBodyCapsule;
  static const rk::script::LuaClass kLuaClass;

  SyncBeamCapsule();
  ~SyncBeamCapsule() override;

  // The frame follow replaces the step's after-collision work.
  void afterCollision() override;
  void registerMethods(lua_State* L) override;

  // No reference is held; a model that is destroyed is forgotten.
  void setModelFrame(rk::gfx::GModel* model, const std::string& frame);
  rk::gfx::GModel* model() const { return model_; }
  const std::string& frameName() const { return frame_name_; }

 private:
  void forgetModel(const rk::gfx::GModel* model) override;

  rk::gfx::GModel* model_ = nullptr;
  std::string frame_name_;
};

class SyncBeamOBB : public EnemyBulletRigidBodyOBB, private rk::gfx::IModelHolder {
 public:
  using BulletParent = EnemyBulletRigidBodyOBB;
  static const rk::script::LuaClass kLuaClass;
  // The camera whose space the box is carried into.
  static constexpr int kCameraNo = 2;

  SyncBeamOBB();
  ~SyncBeamOBB() override;

  // After the collision groups of every substep and once more at the end of
  // the step the box follows the frame; the body itself never moves.
  void afterCollision() override { follow(); }
  void flushSync() override { follow(); }
  void integrate(float) override {}
  void registerMethods(lua_State* L) override;

  void setModelFrame(rk::gfx::GModel* model, const std::string& frame);
  void setOffset(const rk::math::Vector4& offset) { offset_.setPos(offset); }
  rk::gfx::GModel* model() const { return model_; }
  int cameraNo() const { return camera_no_; }

 private:
  void follow();
  void forgetModel(const rk::gfx::GModel* model) override;

  rk::gfx::GModel* model_ = nullptr;
  std::string frame_name_;
  int camera_no_ = kCameraNo;  // the camera the mapping carries the box into
  rk::math::Transformation offset_;
};

// "createSyncBeamCapsule"() and "createSyncBeamOBB"() of the game common library.
int lua_createSyncBeamCapsule(lua_State* L);
int lua_createSyncBeamOBB(lua_State* L);

}  // namespace qv21::sync
