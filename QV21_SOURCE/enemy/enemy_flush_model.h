// The damage flush: an actor component of an enemy that turns the enemy's
// flush counter into a quarter-second glow of one material of a model. The
// first glowing frame saves a copy of the material; the emissive colour then
// fades from a grey-white towards black; when the glow is over the material is
// put back exactly as it was.
#pragma once
#include <memory>
#include <string>

#include <lua.hpp>

#include "actor/rk_actor.h"

namespace rk::gfx {
class Material;
class Model;
}  // namespace rk::gfx

class Enemy;

class EnemyFlushModel : public rk::actor::ActorComponent {
 public:
  struct Record {
    rk::gfx::Model* model_ = nullptr;  // no reference
    std::string material_frame_name_;  // empty: the model's own material
    std::unique_ptr<rk::gfx::Material> saved_material_;
  };

  // The glow's starting emissive colour (it falls linearly to black, alpha 0).
  static constexpr float kGlowRGB = 200.0f / 255.0f;
  static constexpr float kGlowAlpha = 128.0f / 255.0f;

  EnemyFlushModel(Enemy* owner, int kind);
  // Drops a pending copy without restoring the material.
  ~EnemyFlushModel() override;

  bool initializeStep() override { return true; }
  bool readyCheck() override { return true; }
  // One frame of the glow (see the file comment); always false: it keeps running.
  bool runStep(float dt) override;

  // Switches to another model and frame; a glow in progress on the old model
  // is restored first. The same model keeps its saved copy.
  void setFlushModel(rk::gfx::Model* model, const std::string& frameName);

  Record& record() { return record_; }

  // "setFlushModel", then the actor-component family.
  void registerMethods(lua_State* L) override;

 private:
  rk::gfx::Material* lookUpMaterial(rk::gfx::Model* model, const std::string& frameName);
  void restore(rk::gfx::Model* model, const std::string& frameName);

  Record record_;
};

// "createEnemyFlushModel"(enemy, kind): a new flush component of the enemy (not
// yet added to it) in a script object holding its one reference; nil (after a
// report) when argument 1 is not an enemy.
int lua_createEnemyFlushModel(lua_State* L);
