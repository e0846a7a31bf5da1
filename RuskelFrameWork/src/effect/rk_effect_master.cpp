#include "effect/rk_effect_master.h"

#include "fs/rk_file_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"

namespace rk::effect {

namespace {
constexpr const char* kSource = "src/effect/rk_effect_master";
}  // namespace

bool EffectMaster::load(const std::string& name) {
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, name + ".efk");
  name_ = name;
  fs::FileManager* files = fs::FileManager::getInstance();
  if (!files) return false;
  res::ResourcePtr resource;
  try {
    resource = files->loadFile(stored, mode.c_str(), compressed, nullptr);
  } catch (const HrException& e) {
    // A missing effect file does not end the program: it is reported and the
    // effect is not loaded, so playing it plays nothing.
    debug::writeErrorLog(kSource, 161, ("rk::effect::EffectMaster::load\n" + std::string(e.what())).c_str());
    return false;
  }
  resource_ = resource;
  return static_cast<bool>(resource_);
}

bool EffectMaster::setup() {
  if (!resource_ || !resource_->isLoaded()) return false;
  if (!effect_ && !broken_) {
    std::string error;
    effect_ = host::effect::Effect::create(resource_->data(), resource_->size(), &error);
    if (!effect_) {
      // A damaged file is reported once and then counts as set up, without an
      // effect: scripts waiting for their effects go on.
      broken_ = true;
      debug::writeErrorLog(kSource, 103,
                           ("rk::effect::EffectMaster::setup\n" + name_ + "の生成に失敗しました。" + error).c_str());
    }
  }
  return true;
}

}  // namespace rk::effect
