#include "qv21_game_adapter.h"

#include "kernel/rk_device_context.h"
#include "res/rk_res_save_loader.h"

namespace {

constexpr unsigned char kGameId[16] = {0x5a, 0x3e, 0x91, 0x27, 0xc4, 0x0b, 0x4f, 0x6d,
                                       0x8a, 0x12, 0xe7, 0x35, 0x9c, 0x60, 0xb8, 0x41};

}  // namespace

QV21GameAdapter::QV21GameAdapter() {
  // The holder of the script and texture packs: with the packs' loading below.
}

QV21GameAdapter::~QV21GameAdapter() = default;

const unsigned char* QV21GameAdapter::getId() { return kGameId; }

void QV21GameAdapter::configure() {
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  // The windowed flag follows the settings' window mode: with the settings.
  context->setScreenSize(static_cast<int>(context->screenWidth()), static_cast<int>(context->screenHeight()));
}

void QV21GameAdapter::boot() {
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::getInstance();
  saveLoader->prepareSaveFolder(rk::DeviceContext::getInstance()->getWindowHandle());
  // Game manager: with the game core.
  // The seven game libraries: with the Lua runtime.
  // "script.pkp" (scripts) and "textures.pkp", each loaded and set up: with the game's packs.
  // One player; the three game fonts: with the controllers and the fonts.
  // The twelve preloaded script modules: with the script cache.
  saveLoader->loadAll();
  saveLoader->reflectAll();
}

void QV21GameAdapter::shutdown() {
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::getInstance();
  saveLoader->saveAll();
  // Score unit, the game fonts, the game manager and the two packs: with the game core.
}
