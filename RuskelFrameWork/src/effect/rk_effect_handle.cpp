#include "effect/rk_effect_handle.h"

#include "effect/rk_effect_unit.h"
#include "kernel/rk_hr_exception.h"
#include "script/rk_script_effect.h"

namespace rk::effect {

namespace {
constexpr const char* kSource = "src/effect/rk_effect_handle";
}  // namespace

EffectHandle::EffectHandle(EffectUnit* owner, const std::string& name) : owner_(owner), name_(name) {
  if (!owner_) throw HrException(host::E_OUTOFMEMORY, kSource, 245, L"impl_->owner_");
  owner_->addRef();
  owner_->addHandle(this);
}

EffectHandle::~EffectHandle() {
  stop();
  owner_->removeHandle(this);
  // A unit that is no longer filed reports itself and throws on its last
  // release; the report is made and a destructor must not throw.
  try {
    owner_->release(kSource, 260);
  } catch (const HrException&) {
  }
}

void EffectHandle::destroy() { owner_->manager().setShown(instance_, false); }

void EffectHandle::stop() {
  host::effect::Manager& manager = owner_->manager();
  if (instance_ >= 0 && manager.exists(instance_)) {
    manager.setShown(instance_, false);
    manager.stop(instance_);
  }
  instance_ = -1;
}

bool EffectHandle::isAlive() const { return instance_ >= 0 && owner_->manager().exists(instance_); }

void EffectHandle::playEffect(const math::Vector4& position, const math::Vector4& rotation,
                              const math::Vector4& scale) {
  instance_ = owner_->play(name_, position, rotation, scale);
}

void EffectHandle::setShown(bool shown) { owner_->manager().setShown(instance_, shown); }

void EffectHandle::setPos(float x, float y, float z) { owner_->manager().setLocation(instance_, x, y, z); }

void EffectHandle::setMatrix(const math::Matrix& matrix) { owner_->setMatrix(instance_, matrix); }

void EffectHandle::syncBody(const math::Matrix* world) {
  if (world) owner_->setMatrix(instance_, *world);
}

void EffectHandle::registerMethods(lua_State* L) { script::setMethods(L, script::effect::handleMethods()); }

void EffectHandle::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::effect::handleCollector); }

}  // namespace rk::effect
