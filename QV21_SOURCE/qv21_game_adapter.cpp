#include "qv21_game_adapter.h"

#include <boost/make_shared.hpp>

#include "common/game_config.h"
#include "common/game_manager.h"
#include "common/global_wipe.h"
#include "ctrl/rk_controller.h"
#include "font/game_font_adapter.h"
#include "font/initial_font_adapter.h"
#include "font/rk_font.h"
#include "kernel/rk_device_context.h"
#include "qv21_game_libraries.h"
#include "res/rk_res_save_loader.h"
#include "res/rk_resource.h"
#include "script/rk_script.h"
#include "script/rk_script_cache.h"
#include "status/score_unit.h"

namespace {

constexpr unsigned char kGameId[16] = {0x5a, 0x3e, 0x91, 0x27, 0xc4, 0x0b, 0x4f, 0x6d,
                                       0x8a, 0x12, 0xe7, 0x35, 0x9c, 0x60, 0xb8, 0x41};

// Loads a pack through the file manager, waits until its bytes are in memory
// and files its entries as resources (runnable scripts when `scripts`).
// A missing pack file throws from the file manager.
std::unique_ptr<rk::res::RomPack> loadPack(const char* name, bool scripts) {
  auto pack = std::make_unique<rk::res::RomPack>();
  pack->load(name);
  rk::script::waitUntilLoaded(pack->pack().get());
  pack->setup(scripts);
  return pack;
}

// The device context's adapter slots the game fills, and its fonts: the print
// font is the one the display list draws with, the system font the first.
constexpr int kOrgFontSlot = 0, kSysOrgFontSlot = 2;
constexpr int kPrintFont = 2, kSystemFont = 0;

// The initial font, and the two game fonts in the adapter slots and in the
// framework's print and system fonts (the adapters those held are let go).
void installFonts() {
  font::createInitialFont();
  font::initialFont()->initUpdate("initial font");
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  auto org = boost::make_shared<font::GameFontAdapter>();
  context->setFontAdapter(kOrgFontSlot, org);
  org->initUpdate("org font");
  auto sysOrg = boost::make_shared<font::GameFontAdapter>();
  context->setFontAdapter(kSysOrgFontSlot, sysOrg);
  sysOrg->initUpdate("sys org font");
  if (context->font(kPrintFont)) context->font(kPrintFont)->swapFontAdapter(org);
  if (context->font(kSystemFont)) context->font(kSystemFont)->swapFontAdapter(sysOrg);
}

// Their textures must go before the texture manager does.
void releaseFonts() {
  font::initialFont().reset();
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  context->setFontAdapter(kOrgFontSlot, {});
  context->setFontAdapter(kSysOrgFontSlot, {});
  if (context->font(kPrintFont)) context->font(kPrintFont)->swapFontAdapter({});
  if (context->font(kSystemFont)) context->font(kSystemFont)->swapFontAdapter({});
}

}  // namespace

struct QV21GameAdapter::Packs {
  std::unique_ptr<rk::res::RomPack> script;
  std::unique_ptr<rk::res::RomPack> textures;
};

QV21GameAdapter::QV21GameAdapter() : packs_(std::make_unique<Packs>()) {}

QV21GameAdapter::~QV21GameAdapter() = default;

const unsigned char* QV21GameAdapter::getId() { return kGameId; }

// Before any file is read: the settings still hold their built-in window mode.
void QV21GameAdapter::configure() {
  GameConfig* config = GameConfig::getInstance();
  GameConfig::applyWindowMode(config ? config->data().window_mode : GameConfig::ConfigData{}.window_mode);
}

void QV21GameAdapter::boot() {
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::getInstance();
  saveLoader->prepareSaveFolder(rk::DeviceContext::getInstance()->getWindowHandle());
  // A boot that fails is not followed by shutdown: the packs must not outlive
  // the resource manager, so they go at once, and the game manager with them.
  try {
    GameManager::createInstance();
    // Before any pack: the scripts in the packs may call every game function
    // from their first line.
    qv21::registerGameLibraries();
    packs_->script = loadPack("script.pkp", true);
    packs_->textures = loadPack("textures.pkp", false);
    rk::controller::ControllerManager::getInstance()->setPlayerNum(1);
    installFonts();
    if (rk::script::ScriptCache* cache = rk::script::ScriptCache::getInstance())
      for (const std::string& module : qv21::preloadedModules()) cache->add(module.c_str());
    saveLoader->loadAll();
    saveLoader->reflectAll();
  } catch (...) {
    releaseFonts();
    releasePacks();
    if (GameManager::getInstance()) GameManager::destroyInstance();
    throw;
  }
}

void QV21GameAdapter::shutdown() {
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::getInstance();
  try {
    saveLoader->saveAll();
  } catch (...) {
    // As after a failed boot: nothing of the game outlives the framework's managers.
    releaseFonts();
    releasePacks();
    throw;
  }
  status::ScoreUnit::destroyInstance();
  releaseFonts();
  GameManager::destroyInstance();
  // A wipe the scripts left behind goes before the model manager it draws in.
  if (GlobalWipe::findInstance()) GlobalWipe::destroyInstance();
  releasePacks();
}

void QV21GameAdapter::releasePacks() {
  packs_->script.reset();
  packs_->textures.reset();
}
