// Process entry of the game.
#include <string>

#include "kernel/rk_error_log.h"
#include "kernel/rk_framework.h"
#include "qv21_game_adapter.h"
#include "qv21_resource.h"
#include "res/rk_res_save_loader.h"

int main() {
  const host::ui::AcceleratorTable accelerators = qv21::makeAccelerators();

  // Settings and high scores: with the game core.
  rk::res::RkResSaveLoader* saveLoader = rk::res::RkResSaveLoader::createInstance();
  const std::string folder = std::string(qv21::kCaption) + qv21::kSaveFolderSuffix;
  saveLoader->setFolderName(folder);
  rk::debug::setErrorLogFolder(folder);
  // Settings and scores registered as loaders, savers and reflector: with the game core.

  int result = 0;
  {
    QV21GameAdapter adapter;
    rk::setGameAdapter(&adapter);
    result = rk::runGame(qv21::kClassName, qv21::kCaption, &accelerators);
    rk::res::RkResSaveLoader::destroyInstance();
    // Settings: with the game core.
    rk::setGameAdapter(nullptr);
  }
  return result;
}
