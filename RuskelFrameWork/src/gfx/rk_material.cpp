#include "gfx/rk_material.h"

#include <cstring>

#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_constants.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "script/rk_lua_arg.h"

namespace rk::gfx {

const script::LuaClass kMaterialClass{"rk::gfx::Material"};

namespace {

constexpr const char* kSource = "src/gfx/rk_material";
const Color kDefaultDiffuse(128.0f / 255.0f, 128.0f / 255.0f, 128.0f / 255.0f, 1.0f);
const Color kDefaultAmbient(64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f);

void copyColor(float* out, const Color& color) { std::memcpy(out, color.data(), sizeof(float) * 4); }

// A packed ARGB number as the scripts pass it: truncated toward zero to 32 bits.
Color unpackArg(lua_State* L, int index) {
  int isNumber = 0;
  const lua_Number n = lua_tonumberx(L, index, &isNumber);
  const auto argb = static_cast<std::uint32_t>(script::truncateToInt64(isNumber ? n : 0.0));
  return Color(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}

// Runs `change` on the top state of the material at argument 1; a missing
// material writes the method's entry. The stack is emptied either way.
template <class Change>
int withMaterial(lua_State* L, const char* name, Change change) {
  if (auto* material = script::toLuaObject<Material>(L, 1, kMaterialClass))
    change(material->top());
  else
    script::reportNullObject(name);
  lua_settop(L, 0);
  return 0;
}

// The collector: the material belongs to its node or model root, so only the
// script object's link goes.
int lua_gcMaterial(lua_State* L) {
  script::LuaObjectLinks::release(script::luaObjectBlock(L, 1));
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"setValid", lua_Material_setValid},
    {"setValidAmbient", lua_Material_setValidAmbient},
    {"setValidDiffuse", lua_Material_setValidDiffuse},
    {"setValidEmissive", lua_Material_setValidEmissive},
    {"setValidSpecular", lua_Material_setValidSpecular},
    {"setAmbientColor", lua_Material_setAmbientColor},
    {"setDiffuseColor", lua_Material_setDiffuseColor},
    {"setEmissiveColor", lua_Material_setEmissiveColor},
    {"setSpecularColor", lua_Material_setSpecularColor},
    {nullptr, nullptr},
};

}  // namespace

Material::Material() : stack_(new std::deque<State>(1)) {
  State& s = top();
  s.diffuse = s.ambient = s.specular = s.emissive = Color();
  setDefault();
}

Material::~Material() {
  links_.clear();
  delete stack_;
}

Material* Material::clone() const {
  auto* copy = new Material;
  *copy->stack_ = *stack_;
  return copy;
}

void Material::copy(const Material& other) {
  if (&other != this) *stack_ = *other.stack_;
}

void Material::setDefault() {
  State& s = top();
  s.ambient_valid = s.diffuse_valid = s.emissive_valid = s.specular_valid = false;
  s.ambient = kDefaultAmbient;
  s.diffuse = kDefaultDiffuse;
  s.emissive = Color();
  s.specular = Color();
  s.scalar = 0.0f;
}

void Material::writeConstants(driver::directx::directx12::ModelDrawInfoData& data) const {
  auto* constants = data.materialConstants();
  if (!constants) return;
  copyColor(constants->diffuse, top().diffuse);
  copyColor(constants->specular, top().specular);
  copyColor(constants->emissive, top().emissive);
}

void Material::reflect() {
  const State& s = top();
  if (!s.valid) return;
  DeviceContext* context = DeviceContext::getInstance();
  DeviceContext::MaterialBlock& block = context->material();
  block.diffuse = s.diffuse_valid ? s.diffuse : Color();
  block.ambient = s.ambient_valid ? s.ambient : Color();
  block.specular = s.specular_valid ? s.specular : Color();
  block.emissive = s.emissive_valid ? s.emissive : Color();
  context->uploadMaterial();
}

void Material::backup() {
  const State& s = top();
  if (!s.valid) return;
  const DeviceContext::MaterialBlock& block = DeviceContext::getInstance()->material();
  State saved = s;
  saved.diffuse = block.diffuse;
  saved.ambient = block.ambient;
  saved.specular = block.specular;
  saved.emissive = block.emissive;
  saved.scalar = block.power;
  stack_->push_back(saved);
}

void Material::release() {
  if (stack_->empty()) {
    debug::writeErrorLog(kSource, 536, "rk::gfx::Material::releaseData");
    return;
  }
  if (!top().valid) return;
  // The base state is never removed: a release without a backup only reports.
  if (stack_->size() == 1) {
    debug::writeErrorLog(kSource, 536, "rk::gfx::Material::releaseData");
    return;
  }
  stack_->pop_back();
  const State& s = top();
  DeviceContext* context = DeviceContext::getInstance();
  DeviceContext::MaterialBlock& block = context->material();
  if (s.diffuse_valid) block.diffuse = s.diffuse;
  if (s.ambient_valid) block.ambient = s.ambient;
  if (s.specular_valid) block.specular = s.specular;
  if (s.emissive_valid) block.emissive = s.emissive;
  context->uploadMaterial();
}

void Material::registerMethods(lua_State* L) { script::setMethods(L, kMethods); }

void Material::setMetatable(lua_State* L) { script::setObjectMetatable(L, lua_gcMaterial); }

int Material::pushScriptObject(lua_State* L) {
  script::LuaObjectBlock* block = nullptr;
  const int results = script::pushLuaObject(L, *this, this, kMaterialClass, &block);
  if (block) links_.link(block);
  return results;
}

int lua_Material_setValid(lua_State* L) {
  const bool on = script::toBoolArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setValid", [&](Material::State& s) { s.valid = on; });
}
int lua_Material_setValidAmbient(lua_State* L) {
  const bool on = script::toBoolArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setValidAmbient", [&](Material::State& s) { s.ambient_valid = on; });
}
int lua_Material_setValidDiffuse(lua_State* L) {
  const bool on = script::toBoolArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setValidDiffuse", [&](Material::State& s) { s.diffuse_valid = on; });
}
int lua_Material_setValidEmissive(lua_State* L) {
  const bool on = script::toBoolArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setValidEmissive",
                      [&](Material::State& s) { s.emissive_valid = on; });
}
int lua_Material_setValidSpecular(lua_State* L) {
  const bool on = script::toBoolArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setValidSpecular",
                      [&](Material::State& s) { s.specular_valid = on; });
}
int lua_Material_setAmbientColor(lua_State* L) {
  const Color c = unpackArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setAmbientColor", [&](Material::State& s) { s.ambient = c; });
}
int lua_Material_setDiffuseColor(lua_State* L) {
  const Color c = unpackArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setDiffuseColor", [&](Material::State& s) { s.diffuse = c; });
}
int lua_Material_setEmissiveColor(lua_State* L) {
  const Color c = unpackArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setEmissiveColor", [&](Material::State& s) { s.emissive = c; });
}
int lua_Material_setSpecularColor(lua_State* L) {
  const Color c = unpackArg(L, 2);
  return withMaterial(L, "rk::gfx::Material::lua_setSpecularColor", [&](Material::State& s) { s.specular = c; });
}

}  // namespace rk::gfx
