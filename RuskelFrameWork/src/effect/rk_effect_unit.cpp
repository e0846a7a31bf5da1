#include "effect/rk_effect_unit.h"

#include <algorithm>

#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_master.h"
#include "effect/rk_effect_system.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "res/rk_resource.h"
#include "script/rk_script_effect.h"

namespace rk::effect {

namespace {

constexpr const char* kSource = "src/effect/rk_effect_unit";
constexpr float kFrameSeconds = 0.016666668f;
constexpr std::uint32_t kSquareMaxCount = 8000;

gfx::Camera* findCamera(int number) {
  gfx::CameraManager* cameras = gfx::CameraManager::findInstance();
  return cameras ? cameras->getCamera(number) : nullptr;
}

}  // namespace

struct EffectUnit::Entry {
  std::string name;
  std::unique_ptr<EffectMaster> master;
  bool setup = false;
  int count = 0;
};

EffectUnit::EffectUnit(int cameraNumber, int priority, int maxInstances)
    : Task(priority, "EffectUnit"),
      camera_number_(cameraNumber),
      manager_(std::make_unique<host::effect::Manager>(maxInstances)) {
  if (gfx::CameraManager* cameras = gfx::CameraManager::getInstance())
    if (!cameras->getCamera(cameraNumber)) cameras->createCamera(cameraNumber);
  makeRenderer();
  setActive(true);
}

EffectUnit::~EffectUnit() {
  // Deleted by the task manager at shut-down without a last release: the
  // system must not keep a dangling unit.
  if (auto* system = static_cast<EffectSystem*>(instanceSlot(InstanceSlot::EffectSystem)))
    system->removeEffectUnit(this);
  for (auto& entry : effects_) delete entry.second;
  effects_.clear();
  // Handles outlive their unit only at shut-down; they then hold no instance.
  for (EffectHandle* handle : handles_) handle->setInstance(-1);
  manager_->stopAll();
}

void EffectUnit::destroy() {
  auto* system = static_cast<EffectSystem*>(instanceSlot(InstanceSlot::EffectSystem));
  if (system && !system->removeEffectUnit(this)) {
    debug::writeErrorLog("src/effect/rk_effect_system", 137, "rk::effect::EffectSystem::removeEffectUnit");
    throw HrException(host::E_FAIL, "src/effect/rk_effect_system", 139, L"EffectUnit はすでに使用されていません");
  }
}

void EffectUnit::makeRenderer() {
  DeviceContext* context = DeviceContext::getInstance();
  host::gpu::PipelineState* pipeline = context->pipelineState(PIPELINE_TRIANGLE_COLOR_UV);
  if (!context->getDevice() || !context->commandQueue() || !pipeline) return;
  host::HResult hr = host::S_OK;
  renderer_ = host::effect::Renderer::create(
      {context->getDevice(), context->commandQueue(), pipeline, kSquareMaxCount}, &hr);
  throwIfFailed(hr, kSource, 190, L"renderer_");
}

void EffectUnit::update(float dt) { manager_->update(dt / kFrameSeconds); }

EffectUnit::Entry* EffectUnit::find(const std::string& name) const {
  auto range = effects_.equal_range(res::nameKey(name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second->name == name) return it->second;
  return nullptr;
}

bool EffectUnit::loadEffect(const std::string& name) {
  if (Entry* entry = find(name)) {
    ++entry->count;
    if (!entry->setup) entry->setup = entry->master->setup();
    return true;
  }
  auto master = std::make_unique<EffectMaster>();
  if (!master->load(name)) return false;
  auto* entry = new Entry;
  entry->name = name;
  entry->setup = master->setup();
  entry->master = std::move(master);
  entry->count = 1;
  effects_.emplace(res::nameKey(name), entry);
  return true;
}

bool EffectUnit::setupEffect(const std::string& name) {
  Entry* entry = find(name);
  if (!entry) {
    debug::writeErrorLog(kSource, 310, "rk::effect::EffectUnit::setup");
    return false;
  }
  if (!entry->setup) entry->setup = entry->master->setup();
  return entry->setup;
}

void EffectUnit::setupAll() {
  for (auto& e : effects_)
    if (!e.second->setup) e.second->setup = e.second->master->setup();
}

bool EffectUnit::isSetupAll() const {
  return std::all_of(effects_.begin(), effects_.end(), [](const auto& e) { return e.second->setup; });
}

void EffectUnit::removeEffect(const std::string& name) {
  const int key = res::nameKey(name);
  for (auto it = effects_.begin(); it != effects_.end(); ++it) {
    if (it->first != key || it->second->name != name) continue;
    Entry* entry = it->second;
    if (--entry->count < 0) debug::writeErrorLog(kSource, 349, "rk::effect::EffectUnit::removeEffect");
    if (entry->count == 0) {
      delete entry;
      effects_.erase(it);
    }
    return;
  }
}

int EffectUnit::loadCount(const std::string& name) const {
  const Entry* entry = find(name);
  return entry ? entry->count : 0;
}

int EffectUnit::play(const std::string& name, const math::Vector4& position, const math::Vector4& rotation,
                     const math::Vector4& scale) {
  Entry* entry = find(name);
  if (!entry) return -1;
  const host::effect::Handle instance = manager_->play(entry->master->effect(), position.x, position.y, position.z);
  manager_->setRotation(instance, rotation.x, rotation.y, rotation.z);
  manager_->setScale(instance, scale.x, scale.y, scale.z);
  return instance;
}

void EffectUnit::setMatrix(int instance, const math::Matrix& matrix) {
  float m[4][3];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) m[r][c] = matrix.m[r][c];
  manager_->setMatrix(instance, m);
}

bool EffectUnit::beginRendering() {
  rendering_ = false;
  gfx::Camera* camera = findCamera(camera_number_);
  if (!camera) return false;
  host::gpu::GraphicsCommandList* list = DeviceContext::getInstance()->getNowCommandList();
  if (!renderer_ || !renderer_->isReady()) makeRenderer();
  if (!renderer_ || !list) return true;
  renderer_->setCameraMatrix(camera->viewMatrix().m);
  renderer_->setProjectionMatrix(camera->projectionMatrix().m);
  renderer_->newFrame();
  renderer_->beginRendering(list);
  rendering_ = true;
  return true;
}

bool EffectUnit::drawEffects() {
  if (!findCamera(camera_number_)) return false;
  if (rendering_) renderer_->draw(*manager_);
  return true;
}

bool EffectUnit::endRendering() {
  if (!findCamera(camera_number_)) return false;
  if (rendering_) renderer_->endRendering();
  rendering_ = false;
  return true;
}

void EffectUnit::onLost() {
  // Effects hold no device objects; only the renderer gives its back.
  if (renderer_) renderer_->onLostDevice();
}

void EffectUnit::onRecover() {
  renderer_.reset();
  makeRenderer();
}

void EffectUnit::addHandle(EffectHandle* handle) { handles_.push_back(handle); }

void EffectUnit::removeHandle(EffectHandle* handle) {
  auto it = std::find(handles_.begin(), handles_.end(), handle);
  if (it != handles_.end()) handles_.erase(it);
}

void EffectUnit::registerMethods(lua_State* L) { script::setMethods(L, script::effect::unitMethods()); }

void EffectUnit::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::effect::unitCollector); }

}  // namespace rk::effect
