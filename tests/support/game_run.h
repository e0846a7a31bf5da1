// Runs the built game executable headless in a test's data folder: the folder
// gets the shader pack, a script pack with the test's autoexec beside the
// preloaded modules and the texture pack the build made; the game runs there
// (or in another data folder, such as the built one) with its own runtime and
// data folders, its standard output and error captured, until it ends or a
// time limit kills it.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/game_scripts.h"
#include "support/script_pack.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"

namespace rktest {

inline std::string gameExecutable() { return std::string(RK_BINARY_DIR) + "/quorvandel"; }

// The build's texture pack (the fonts' pages, the HUD textures), copied into
// a data folder; false when it cannot be.
inline bool copyGameTextures(const std::string& folder) {
  std::error_code error;
  std::filesystem::copy_file(std::string(RK_BINARY_DIR) + "/data/textures.pkp", folder + "/textures.pkp",
                             std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

// Writes the three packs; false when one cannot be written.
inline bool prepareGameFolder(const TempDir& dir, const std::string& autoexec) {
  std::filesystem::create_directories(dir.file("run"));
  std::filesystem::create_directories(dir.file("home"));
  return writeShaderPack(dir.file("shaders.pkp")) && writePack(dir.file("script.pkp"), gameScripts(autoexec)) &&
         copyGameTextures(dir.path());
}

struct GameRun {
  bool started = false;
  bool timedOut = false;
  int status = 0;      // as waitpid gives it
  std::string errors;  // the game's standard error
  std::string output;  // the game's standard output
};

// Where and how a run starts: the data folder (the test's own folder when
// empty) and variables added to the game's environment.
struct GameRunOptions {
  std::string dataFolder;
  std::vector<std::string> environment;
};

inline GameRun runGame(const TempDir& dir, const GameRunOptions& options,
                       std::chrono::seconds limit = std::chrono::seconds(60)) {
  GameRun run;
  const std::string executable = gameExecutable();
  const std::string stderrFile = dir.file("stderr.txt");
  const std::string stdoutFile = dir.file("stdout.txt");
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(options.dataFolder.empty() ? dir.path().c_str() : options.dataFolder.c_str()) != 0) _exit(90);
    const int err = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) dup2(err, 2);
    const int out = open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) dup2(out, 1);
    std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                    "XDG_RUNTIME_DIR=" + dir.file("run"), "XDG_DATA_HOME=" + dir.file("home"),
                                    "HOME=" + dir.path()};
    env.insert(env.end(), options.environment.begin(), options.environment.end());
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(executable.c_str()), nullptr};
    execve(executable.c_str(), argv, envp.data());
    _exit(91);
  }
  if (pid <= 0) return run;
  run.started = true;
  const auto until = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &run.status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > until) {
      kill(pid, SIGKILL);
      waitpid(pid, &run.status, 0);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.errors = readBytes(stderrFile);
  run.output = readBytes(stdoutFile);
  return run;
}

inline GameRun runGame(const TempDir& dir, std::chrono::seconds limit = std::chrono::seconds(60)) {
  return runGame(dir, GameRunOptions{}, limit);
}

// Where the game keeps its settings, scores and error log inside the test's
// home folder.
inline std::filesystem::path gameSaveFolder(const TempDir& dir) {
  return std::filesystem::path(dir.file("home")) / std::filesystem::u8path(u8"装甲機兵クォルヴァンデル体験版");
}

inline std::filesystem::path gameErrorLog(const TempDir& dir) { return gameSaveFolder(dir) / "error_log.txt"; }

// The settings file the game reads at boot, written before it starts (a small
// window keeps long runs cheap for the software renderer, say).
inline void writeGameConfig(const TempDir& dir, const std::string& text) {
  writeBytes((gameSaveFolder(dir) / "config.dat").string(), text);
}

}  // namespace rktest
