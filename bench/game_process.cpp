// The game executable as a process: the time from its start to its first
// frame, and the share of a core it uses while it shows a still frame (its
// autoexec waits for the next frame forever) or the game's own title screen
// (the build's data folder), headless under SDL's offscreen driver and in a
// window: on the display there is, else on a virtual X server (Xvfb) started
// for the measure.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "qv21_game_libraries.h"
#include "res/rk_pack_writer.h"

namespace {

namespace fsys = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBinary = RK_BINARY_DIR;

// Marks its first frame, then waits for the next frame forever.
constexpr char kAutoexec[] = R"(
local file = io.open("started.txt", "w")
file:write("1")
file:close()
function main() while true do coroutine.yield() end end
entryCoRoutine("main")
)";

// The bytes of a file, or none.
std::vector<std::uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A data folder with the build's shader and texture packs and a script pack
// holding the autoexec above beside the modules the boot preloads.
class GameFolder {
 public:
  GameFolder() {
    std::string pattern = (fsys::temp_directory_path() / "rkbench-game-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) dir_ = made;
    for (const char* pack : {"shaders.pkp", "textures.pkp"})
      fsys::copy_file(kBinary + "/data/" + pack, dir_ + "/" + pack, fsys::copy_options::overwrite_existing);
    std::vector<std::uint8_t> file;
    std::vector<rk::res::PackEntry> scripts = {
        {"script/autoexec.a", std::vector<std::uint8_t>(kAutoexec, kAutoexec + sizeof kAutoexec - 1)}};
    for (const std::string& module : qv21::preloadedModules())
      scripts.push_back({module + ".a", fileBytes(std::string(RK_SOURCE_DIR) + "/data/" + module + ".lua")});
    rk::res::buildPackFile(scripts, file);
    std::ofstream(dir_ + "/script.pkp", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    fsys::create_directories(dir_ + "/home");
    fsys::create_directories(dir_ + "/run");
    fsys::permissions(dir_ + "/run", fsys::perms::owner_all);
  }
  ~GameFolder() {
    std::error_code ec;
    fsys::remove_all(dir_, ec);
  }
  const std::string& dir() const { return dir_; }
  bool started() const { return fsys::exists(dir_ + "/started.txt"); }

  // Starts the game in the folder (or in `data`); `display` names the X
  // display of a window, none runs headless.
  pid_t start(const std::string& display, const std::string& data = {}) {
    fsys::remove(dir_ + "/started.txt");
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir((data.empty() ? dir_ : data).c_str()) != 0) _exit(127);
      setenv("XDG_DATA_HOME", (dir_ + "/home").c_str(), 1);
      setenv("XDG_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      if (!display.empty()) {
        unsetenv("SDL_VIDEODRIVER");
        setenv("DISPLAY", display.c_str(), 1);
      } else {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
      }
      const std::string exe = kBinary + "/quorvandel";
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid;
  }
  // Waits (polling) until the first frame has been marked; false after 30 s
  // or when the process ended.
  bool waitStarted(pid_t pid) const {
    const auto limit = Clock::now() + std::chrono::seconds(30);
    while (!started()) {
      if (Clock::now() > limit || waitpid(pid, nullptr, WNOHANG) == pid) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
  }
  static void stop(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }

 private:
  std::string dir_;
};

// The X display for a window: $DISPLAY, else a virtual X server started here
// (24-bit, as a desktop) that lives as long as this object.
class WindowDisplay {
 public:
  WindowDisplay() {
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
      name_ = display;
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, STDERR_FILENO);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number and a line end once it accepts clients.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~WindowDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  pid_t pid_ = -1;
};

// User and system time of every thread of the process, in seconds.
double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::vector<std::string> fields;
  std::string field;
  for (char c : stat.substr(close + 2)) {
    if (c == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  // Fields after the name start at the state (3rd field); utime is the 14th, stime the 15th.
  if (fields.size() < 13) return 0.0;
  return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void StartupToFirstFrame(benchmark::State& state) {
  GameFolder folder;
  for (auto _ : state) {
    const auto begin = Clock::now();
    const pid_t pid = folder.start({});
    const bool ok = folder.waitStarted(pid);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begin).count());
    GameFolder::stop(pid);
    if (!ok) {
      state.SkipWithError("the game showed no frame");
      break;
    }
  }
}

// The share of a core the game uses from 0.5 s after its first frame (or,
// on the title screen, from 5 s after its start) for 3 s.
void idle(benchmark::State& state, bool window, bool title) {
  WindowDisplay display;
  if (window && display.name().empty()) {
    state.SkipWithError("no display and no Xvfb");
    return;
  }
  GameFolder folder;
  const std::string data = title ? kBinary + "/data" : std::string();
  double cpu = 0.0, wall = 0.0;
  for (auto _ : state) {
    const pid_t pid = folder.start(window ? display.name() : std::string(), data);
    if (title) {
      std::this_thread::sleep_for(std::chrono::seconds(5));
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        state.SkipWithError("the game ended on its title screen");
        return;
      }
    } else {
      if (!folder.waitStarted(pid)) {
        GameFolder::stop(pid);
        state.SkipWithError("the game showed no frame");
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const double cpu0 = cpuSeconds(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    cpu += cpuSeconds(pid) - cpu0;
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    wall += seconds;
    state.SetIterationTime(seconds);
    GameFolder::stop(pid);
  }
  state.counters["process_cpu"] = cpu;
  state.counters["wall"] = wall;
}

void IdleFrames(benchmark::State& state) { idle(state, false, false); }
void IdleFramesWindow(benchmark::State& state) { idle(state, true, false); }
void IdleTitle(benchmark::State& state) { idle(state, false, true); }
void IdleTitleWindow(benchmark::State& state) { idle(state, true, true); }

}  // namespace

BENCHMARK(StartupToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleFrames)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleFramesWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleTitle)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleTitleWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
