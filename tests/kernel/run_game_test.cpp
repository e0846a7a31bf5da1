// The run function end to end under the offscreen driver: start-up, boot, the
// autoexec script, the loop, shut-down, the single instance and the way down
// after an exception.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "framework_test_support.h"
#include "host/gpu.h"
#include "host/ui.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_resource.h"
#include "script/rk_script.h"
#include "support/error_log_capture.h"
#include "support/script_pack.h"
#include "support/shader_pack.h"
#include "task/rk_script_task.h"

namespace {

using rk::InstanceSlot;
using rktest::Trace;
namespace ui = host::ui;

constexpr char kClass[] = "RunGameTest";
constexpr char kCaption[] = "試験";

struct Box {
  std::string text, caption;
  unsigned type;
  bool frameworkWasDown;
};

// Every slot that the framework's start-up fills and its shut-down empties.
const InstanceSlot kFrameworkSlots[] = {
    InstanceSlot::DeviceLostNotifyManager, InstanceSlot::DeviceReCreateNotifyManager,
    InstanceSlot::GlobalVariable,          InstanceSlot::ResourceManager,
    InstanceSlot::FileManager,             InstanceSlot::InputContext,
    InstanceSlot::TaskManager,             InstanceSlot::SyncUnit,
    InstanceSlot::CounterManager,          InstanceSlot::StopWatchCounter,
    InstanceSlot::ScriptStateManager,      InstanceSlot::ControllerManager,
    InstanceSlot::CameraManager,           InstanceSlot::ActorManager,
    InstanceSlot::CollisionGroupManager,   InstanceSlot::RigidBodyManager,
    InstanceSlot::TextureManager,          InstanceSlot::LightManager,
    InstanceSlot::WipeManager,             InstanceSlot::GfxListManager,
    InstanceSlot::FlushUnit,               InstanceSlot::ScriptCache,
};

int filledSlots() {
  int n = 0;
  for (InstanceSlot slot : kFrameworkSlots) n += rk::singletonExists(slot) ? 1 : 0;
  return n;
}

// Which of all the slots are filled; a run must leave them as it found them.
std::vector<int> allFilledSlots() {
  std::vector<int> filled;
  for (int slot = 0; slot < rk::kInstanceSlotCount; ++slot)
    if (rk::instanceSlot(static_cast<InstanceSlot>(slot))) filled.push_back(slot);
  return filled;
}

std::vector<int> missingSlots() {
  std::vector<int> missing;
  for (InstanceSlot slot : kFrameworkSlots)
    if (!rk::singletonExists(slot)) missing.push_back(static_cast<int>(slot));
  return missing;
}

// The first script: counts the frames it has run in the number "frames" and,
// when `exitAt` is given, calls exitGame in that frame.
std::string autoexecSource(int exitAt = 0) {
  return "function main()\n"
         "  local frames = 0\n"
         "  while true do\n"
         "    frames = frames + 1\n"
         "    setGlobalVariable('frames', frames)\n"
         "    if frames == " + std::to_string(exitAt) + " then exitGame() end\n"
         "    coroutine.yield()\n"
         "  end\n"
         "end\n"
         "entryCoRoutine('main')\n";
}

int framesCounted() { return static_cast<int>(rk::GlobalVariable::getInstance()->getNumber("frames")); }

// Boots as the game does: loads the data folder's script pack (before the
// recorded boot) and deletes it at shut-down, or at once when the boot fails.
class PackAdapter : public rktest::RecordingAdapter {
 public:
  using RecordingAdapter::RecordingAdapter;
  void boot() override {
    pack_ = std::make_unique<rk::res::RomPack>();
    try {
      pack_->load("script.pkp");
      rk::script::waitUntilLoaded(pack_->pack().get());
      pack_->setup(true);
      RecordingAdapter::boot();
    } catch (...) {
      pack_.reset();
      throw;
    }
  }
  void shutdown() override {
    struct Release {
      std::unique_ptr<rk::res::RomPack>& pack;
      ~Release() { pack.reset(); }
    } release{pack_};
    RecordingAdapter::shutdown();
  }

 private:
  std::unique_ptr<rk::res::RomPack> pack_;
};

class RunGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    cwd = std::make_unique<rktest::CurrentDirGuard>(data.path());
    writeScripts({{"script/autoexec.a", autoexecSource()}});
    ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
    host::gpu::setAdapterList(host::gpu::traceAdapterList());  // the device records instead of drawing
    rktest::resetDeviceContext();
    rk::setGameAdapter(&adapter);
    ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type, filledSlots() == 0});
      return ui::IDOK;
    });
  }
  void TearDown() override {
    host::gpu::resetAdapterList();
    ui::setMessageBoxSink(nullptr);
    rktest::resetDeviceContext();
  }
  int run() { return rk::runGame(kClass, kCaption, &accelerators); }
  // However a run ended, its window is gone and nothing of it waits in the
  // queue: a window left behind kept posting its timer to later loops, and a
  // quit left behind would end the next one at once.
  void expectRunLeftNothing() {
    EXPECT_FALSE(ui::isWindow(context->getWindowHandle()));
    ui::Message message;
    EXPECT_FALSE(ui::peekMessage(&message)) << "message " << message.message;
  }
  // The data folder's script pack.
  void writeScripts(const rktest::PackSources& scripts) {
    ASSERT_TRUE(rktest::writePack(data.file("script.pkp"), scripts));
  }
  // Ends the run from the game's hook once `frames` hooks have run.
  void closeAfter(int hooks) {
    adapter.onUpdate = [this, hooks] {
      if (static_cast<int>(adapter.steps.size()) == hooks) ui::postMessage(context->getWindowHandle(), ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    };
  }

  rktest::TempDir runtime;
  rktest::TempDir data;  // the current directory: the game's data folder
  std::unique_ptr<rktest::CurrentDirGuard> cwd;
  rktest::ErrorLogCapture log;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  Trace trace;
  PackAdapter adapter{&trace};
  ui::AcceleratorTable accelerators{{true, ui::VK_RETURN, 40001}};
  std::vector<Box> boxes;
};

TEST_F(RunGameTest, NormalRunBootsLoopsAndTakesTheGameDownBeforeTheFramework) {
  adapter.onConfigure = [this] {
    context->windowConfig().client_width = 640;
    context->windowConfig().client_height = 360;
  };
  std::vector<int> missingAtBoot{-1}, missingAtShutdown{-1};
  const std::vector<int> before = allFilledSlots();
  adapter.onBoot = [&] {
    missingAtBoot = missingSlots();
    EXPECT_TRUE(ui::isWindow(context->getWindowHandle()));
    int w = 0, h = 0;
    ui::clientSize(context->getWindowHandle(), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 360);
  };
  int scriptFrames = 0;
  adapter.onShutdown = [&] {
    missingAtShutdown = missingSlots();
    scriptFrames = framesCounted();
  };
  closeAfter(6);

  EXPECT_EQ(run(), 0);
  EXPECT_EQ(missingAtBoot, std::vector<int>()) << "slots the start-up did not fill";
  EXPECT_EQ(missingAtShutdown, std::vector<int>()) << "slots gone before the game's shut-down";
  EXPECT_EQ(filledSlots(), 0);
  EXPECT_EQ(allFilledSlots(), before) << "the shut-down empties every slot the start-up filled";
  EXPECT_EQ(context->screenWidth(), 640u);
  EXPECT_STREQ(context->caption(), kCaption);
  ASSERT_GE(trace.size(), 4u);
  EXPECT_EQ(trace.front(), "configure");
  EXPECT_EQ(trace[1], "boot");
  EXPECT_EQ(trace.back(), "shutdown");
  EXPECT_GE(adapter.steps.size(), 6u);
  EXPECT_EQ(scriptFrames * 2, static_cast<int>(adapter.steps.size()));  // the autoexec ran in every frame
  expectRunLeftNothing();
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(log.empty()) << log.text();  // start-up and shut-down match slot for slot
}

// The autoexec task exists from the first frame on; exitGame closes the window
// and no frame runs after the one that asked.
TEST_F(RunGameTest, AutoexecRunsEveryFrameAndExitGameEndsTheRun) {
  writeScripts({{"script/autoexec.a", autoexecSource(4)}});
  rk::task::ScriptTask* seen = nullptr;
  adapter.onUpdate = [&] {
    if (adapter.steps.size() != 1) return;
    seen = context->autoexecTask();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->scriptName(), "script/autoexec");
    EXPECT_EQ(seen->priority(), 4);
    EXPECT_TRUE(seen->isActive());
    EXPECT_TRUE(seen->isAlive());
    const std::vector<rk::task::Task*> tasks = rk::task::TaskManager::getInstance()->tasks();
    EXPECT_NE(std::find(tasks.begin(), tasks.end(), seen), tasks.end());
  };
  int scriptFrames = 0;
  adapter.onShutdown = [&] { scriptFrames = framesCounted(); };

  EXPECT_EQ(run(), 0);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(scriptFrames, 4);
  EXPECT_EQ(adapter.steps.size(), 8u);  // two hooks a frame, four frames
  EXPECT_EQ(trace.back(), "shutdown");
  EXPECT_EQ(context->autoexecTask(), nullptr);
  expectRunLeftNothing();
  EXPECT_EQ(filledSlots(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(RunGameTest, MissingAutoexecScriptTakesEverythingDownThenShowsItsName) {
  writeScripts({{"script/other.a", "x = 1"}});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(trace, (Trace{"configure", "boot", "shutdown"}));  // booted, no frame
  EXPECT_EQ(filledSlots(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("script/autoexec.a"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_TRUE(boxes[0].frameworkWasDown);
  expectRunLeftNothing();
}

TEST_F(RunGameTest, FailureTakesEverythingDownThenShowsTheErrorBox) {
  struct Case {
    const char* name;
    bool inBoot;  // else in the first frame, after the game has booted
    std::function<void()> fail;
    const char* text;
  };
  const Case cases[] = {
      {"HrException in boot", true, [] { rk::throwIfFailed(host::E_OUTOFMEMORY, "boot.cpp", 12, L"boot()"); }, nullptr},
      {"std::exception in boot", true, [] { throw std::runtime_error("thread start failed"); }, "thread start failed"},
      {"bad_alloc in boot", true, [] { throw std::bad_alloc(); }, nullptr},
      {"HrException in a frame", false, [] { rk::throwIfFailed(host::E_FAIL, "frame.cpp", 7, L"reset()"); }, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    trace.clear();
    boxes.clear();
    adapter.steps.clear();
    std::string expected;
    auto failing = [&] {
      try {
        c.fail();
      } catch (const std::exception& e) {
        expected = e.what();
        throw;
      }
    };
    adapter.onBoot = c.inBoot ? std::function<void()>(failing) : nullptr;
    adapter.onUpdate = c.inBoot ? nullptr : std::function<void()>(failing);

    EXPECT_EQ(run(), 0);
    const bool booted = !c.inBoot;
    EXPECT_EQ(trace.back(), booted ? "shutdown" : "boot");
    EXPECT_EQ(filledSlots(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, expected);
    if (c.text) {
      EXPECT_EQ(boxes[0].text, c.text);
    }
    EXPECT_EQ(boxes[0].caption, "エラー");
    EXPECT_EQ(boxes[0].type, ui::MB_ICONERROR);
    EXPECT_TRUE(boxes[0].frameworkWasDown);
    expectRunLeftNothing();
  }
}

TEST_F(RunGameTest, GameShutdownThatThrowsWhileUnwindingIsLoggedAndTheFrameworkStillGoesDown) {
  adapter.onUpdate = [] { rk::throwIfFailed(host::DXGI_ERROR_DEVICE_REMOVED, "draw.cpp", 3, L"present()"); };
  adapter.onShutdown = [] { throw std::runtime_error("save failed"); };
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(filledSlots(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("present()"), std::string::npos);  // the first failure is the one shown
  EXPECT_NE(log.text().find("save failed"), std::string::npos);
  expectRunLeftNothing();
}

TEST_F(RunGameTest, SecondCopyReturnsMinusOneAndStartsNothing) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const char held = ui::acquireSingleInstanceLock(kClass, kCaption) ? 1 : 0;
    (void)!write(ready[1], &held, 1);
    pause();  // until killed
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 1);

  EXPECT_EQ(run(), -1);
  EXPECT_EQ(trace, (Trace{"configure"}));
  EXPECT_EQ(context->getWindowHandle(), nullptr);
  EXPECT_EQ(filledSlots(), 0);
  EXPECT_TRUE(boxes.empty());

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
}

}  // namespace
