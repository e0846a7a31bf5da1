// Process entry of the game.
#include <string>

#include "common/game_config.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_framework.h"
#include "qv21_game_adapter.h"
#include "qv21_resource.h"
#include "res/rk_res_save_loader.h"
#include "status/score_unit.h"

int main() {
  const host::ui::AcceleratorTable accelerators = qv21::makeAccelerators();

  GameConfig* config = GameConfig::createInstance();
  status::ScoreUnit* scores = status::ScoreUnit::createInstance();
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::createInstance();
  const std::string folder = std::string(qv21::kCaption) + qv21::kSaveFolderSuffix;
  saveLoader->setFolderName(folder);
  rk::debug::setErrorLogFolder(folder);
  // Loading and saving both run settings first, then scores.
  saveLoader->addLoadTarget(config);
  saveLoader->addSaveTarget(config);
  saveLoader->addLoadTarget(scores);
  saveLoader->addSaveTarget(scores);
  saveLoader->addReflectTarget(config);

  int result = 0;
  {
    QV21GameAdapter adapter;
    rk::setGameAdapter(&adapter);
    result = rk::runGame(qv21::kClassName, qv21::kCaption, &accelerators);
    rk::res::RkResSaveLoader::destroyInstance();
    GameConfig::destroyInstance();
    rk::setGameAdapter(nullptr);
  }
  return result;
}
