#include "kernel/rk_global_data.h"

#include <map>

#include "kernel/rk_instance_table.h"

namespace rk {

namespace {
const SingletonReport kReport{"src/kernel/rk_global_data", "rk::GlobalVariable", 69, 87, 0};
}

struct GlobalVariable::Impl {
  bool fixFrame = false;
  bool visibleCollision = true;
  int debugCollisionCameraNo = 0;
  std::map<std::string, float> numbers;
  std::map<std::string, std::string> strings;
  std::map<std::string, bool> booleans;
};

GlobalVariable* GlobalVariable::createInstance() {
  return singletonCreate<GlobalVariable>(InstanceSlot::GlobalVariable, kReport);
}
GlobalVariable* GlobalVariable::getInstance() {
  return singletonGet<GlobalVariable>(InstanceSlot::GlobalVariable, kReport);
}
void GlobalVariable::destroyInstance() {
  if (singletonExists(InstanceSlot::GlobalVariable)) singletonDestroy<GlobalVariable>(InstanceSlot::GlobalVariable, kReport);
}

GlobalVariable::GlobalVariable() : impl_(std::make_unique<Impl>()) {}
GlobalVariable::~GlobalVariable() {
  impl_->booleans.clear();
  impl_->strings.clear();
  impl_->numbers.clear();
}

void GlobalVariable::setNumber(const std::string& name, float value) { impl_->numbers[name] = value; }
float GlobalVariable::getNumber(const std::string& name) const {
  auto it = impl_->numbers.find(name);
  return it == impl_->numbers.end() ? 0.0f : it->second;
}
void GlobalVariable::setString(const std::string& name, const std::string& value) { impl_->strings[name] = value; }
const std::string* GlobalVariable::findString(const std::string& name) const {
  auto it = impl_->strings.find(name);
  return it == impl_->strings.end() ? nullptr : &it->second;
}
void GlobalVariable::setBoolean(const std::string& name, bool value) { impl_->booleans[name] = value; }
bool GlobalVariable::getBoolean(const std::string& name) const {
  auto it = impl_->booleans.find(name);
  return it != impl_->booleans.end() && it->second;
}

bool GlobalVariable::isFixFrame() const { return impl_->fixFrame; }
void GlobalVariable::setFixFrame(bool fix) { impl_->fixFrame = fix; }
bool GlobalVariable::isVisibleCollision() const { return impl_->visibleCollision; }
void GlobalVariable::setVisibleCollision(bool visible) { impl_->visibleCollision = visible; }
int GlobalVariable::debugCollisionCameraNo() const { return impl_->debugCollisionCameraNo; }
void GlobalVariable::setDebugCollisionCameraNo(int cameraNo) { impl_->debugCollisionCameraNo = cameraNo; }

}  // namespace rk
