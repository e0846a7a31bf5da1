// Runs Lua fixtures in the real runtime: task manager, resource and file
// managers (with the load thread), script-state manager and script cache over
// a temporary current directory. Scripts reach the test through the user
// library "test": trace(...) records a line; boxes go to a recording sink.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "host/clock.h"
#include "host/ui.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_pack_writer.h"
#include "res/rk_resource.h"
#include "script/rk_script.h"
#include "script/rk_script_cache.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"
#include "task/rk_script_task.h"
#include "task/rk_task.h"

namespace rktest {

inline std::vector<std::string>& traceLines() {
  static std::vector<std::string> lines;
  return lines;
}

// trace(...): the arguments as Lua prints them, joined by spaces.
inline int luaTrace(lua_State* L) {
  std::string line;
  for (int i = 1, n = lua_gettop(L); i <= n; ++i) {
    if (i > 1) line += " ";
    size_t length = 0;
    const char* text = luaL_tolstring(L, i, &length);
    line.append(text, length);
    lua_pop(L, 1);
  }
  traceLines().push_back(line);
  return 0;
}

inline const rk::script::LuaFunctionPair kTestLibrary[] = {{luaTrace, "trace"}};

struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned type;
};

class ScriptFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<CurrentDirGuard>(dir_.path());
    traceLines().clear();
    rk::task::TaskManager::createInstance();
    resources_ = rk::res::ResourceManager::createInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, true);
    states_ = rk::script::ScriptStateManager::createInstance();
    cache_ = rk::script::ScriptCache::createInstance();
    states_->registerUserLibrary("test", kTestLibrary, 1);
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes_.push_back({text, caption, type});
      if (onBox) onBox(boxes_.back());
      if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
      }
      return host::ui::defaultAnswer(type);
    });
  }

  // The framework's shut-down order: cache, states, tasks, files, resources.
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::ScriptCache)) rk::script::ScriptCache::destroyInstance();
    if (rk::singletonExists(rk::InstanceSlot::ScriptStateManager)) rk::script::ScriptStateManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    packs_.clear();
    files_->setStop(true);
    rk::fs::FileManager::destroyInstance();
    rk::task::TaskManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    host::ui::setMessageBoxSink({});
  }

  // A pack of scripts (stored name -> source) written as `packName`, loaded
  // through the file manager and set up as the script pack.
  void loadScriptPack(const std::vector<std::pair<std::string, std::string>>& scripts,
                      const std::string& packName = "script.pkp") {
    std::vector<rk::res::PackEntry> entries;
    for (const auto& script : scripts)
      entries.push_back({script.first, std::vector<std::uint8_t>(script.second.begin(), script.second.end())});
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(rk::res::buildPackFile(entries, file));
    writeBytes(dir_.file(packName), std::string(file.begin(), file.end()));
    auto pack = std::make_unique<rk::res::RomPack>();
    ASSERT_TRUE(pack->load(packName.c_str()));
    ASSERT_TRUE(rk::script::waitUntilLoaded(pack->pack().get()));
    pack->setup(true);
    packs_.push_back(std::move(pack));
  }

  // A loose file as a compressed container (scripts and modules are stored so).
  void writeContainer(const std::string& storedName, const std::string& content) {
    std::vector<std::uint8_t> out;
    ASSERT_EQ(rk::fs::compressContainer(content.data(), content.size(), out), 0);
    writeBytes(dir_.file(storedName), std::string(out.begin(), out.end()));
  }
  void writeFile(const std::string& name, const std::string& content) { writeBytes(dir_.file(name), content); }

  rk::task::ScriptTask* startScript(const char* name, int priority = 4) {
    auto* task = new rk::task::ScriptTask(name, priority, nullptr);
    task->setActive(true);
    return task;
  }

  // One frame: the task manager's pass, then one file-manager step.
  void frame() {
    rk::task::TaskManager::getInstance()->update(1.0f / 60);
    files_->notify();
  }
  // The trace lines one frame adds.
  std::vector<std::string> traceOfFrame() {
    const std::size_t before = traceLines().size();
    frame();
    return std::vector<std::string>(traceLines().begin() + before, traceLines().end());
  }
  // Frames (with short sleeps for the load thread) until the condition holds.
  bool runUntil(const std::function<bool()>& done, int maxFrames = 2000) {
    for (int i = 0; i < maxFrames; ++i) {
      if (done()) return true;
      frame();
      host::clock::sleepMs(1);
    }
    return done();
  }
  std::vector<std::string>& trace() { return traceLines(); }

  void answerNextBox(int answer) { answers_.push_back(answer); }

  ErrorLogCapture log_;
  TempDir dir_;
  std::unique_ptr<CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::fs::FileManager* files_ = nullptr;
  rk::script::ScriptStateManager* states_ = nullptr;
  rk::script::ScriptCache* cache_ = nullptr;
  std::vector<std::unique_ptr<rk::res::RomPack>> packs_;
  std::vector<RecordedBox> boxes_;
  std::deque<int> answers_;
  std::function<void(const RecordedBox&)> onBox;
};

}  // namespace rktest
