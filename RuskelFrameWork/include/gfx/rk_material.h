// A material: colour overrides for drawing a model. Every model root owns one
// (the root material) and every node of a model's node tree owns one (the
// frame material); both start switched off. A material keeps a stack of
// states whose top is the current one; backup and release save and restore
// the device context's material block around a reflect.
#pragma once
#include <deque>

#include <lua.hpp>

#include "gfx/rk_color.h"
#include "policy/rk_policy.h"
#include "script/rk_lua_object.h"

namespace rk::driver::directx::directx12 {
class ModelDrawInfoData;
}

namespace rk::gfx {

class Material : public policy::IBackupRelease, public policy::IReflection, public script::ILuaMethod {
 public:
  struct State {
    bool valid = false;
    bool ambient_valid = false;
    bool diffuse_valid = false;
    bool emissive_valid = false;
    bool specular_valid = false;
    // In the order of the device context's material block.
    Color diffuse, ambient, specular, emissive;
    float scalar = 0.0f;
  };

  // One state, all zero, then setDefault.
  Material();
  ~Material() override;
  Material(const Material&) = delete;
  Material& operator=(const Material&) = delete;

  // A new material holding a copy of every state of this one (the caller owns it).
  virtual Material* clone() const;
  // Replaces this material's stack by a copy of other's.
  virtual void copy(const Material& other);

  // Component flags off, the default colours, scalar 0; `valid` is kept.
  void setDefault();
  Color getEmissive() const { return Color(top().emissive.getR(), top().emissive.getG(), top().emissive.getB(),
                                           top().emissive.getA()); }
  // Writes diffuse, specular and emissive into the pair's material constants,
  // whatever the flags say.
  void writeConstants(driver::directx::directx12::ModelDrawInfoData& data) const;

  // The three do nothing while the top state is not valid.
  void reflect() override;
  void backup() override;
  void release() override;

  // Script object: methods below, no collector work (the owner keeps the material).
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  // Pushes a script object for this material; it reads null once the material is gone.
  int pushScriptObject(lua_State* L);

  State& top() { return stack_->back(); }
  const State& top() const { return stack_->back(); }
  std::size_t depth() const { return stack_->size(); }

 private:
  std::deque<State>* stack_;
  script::LuaObjectLinks links_;
};

extern const script::LuaClass kMaterialClass;

// The material script methods, each on the top state; argument 1 is the material.
int lua_Material_setValid(lua_State* L);
int lua_Material_setValidAmbient(lua_State* L);
int lua_Material_setValidDiffuse(lua_State* L);
int lua_Material_setValidEmissive(lua_State* L);
int lua_Material_setValidSpecular(lua_State* L);
int lua_Material_setAmbientColor(lua_State* L);
int lua_Material_setDiffuseColor(lua_State* L);
int lua_Material_setEmissiveColor(lua_State* L);
int lua_Material_setSpecularColor(lua_State* L);

}  // namespace rk::gfx
