// Runs Lua cases against the audio globals in a real script state (made by the
// script-state manager, so every global table is registered) while the audio
// context runs on manual ticks. Chunks assert with the math fixture's prelude;
// two test globals drive the audio: audioTick(n) runs n ticks, render(frames)
// mixes that many frames and returns the loudest sample. Sound files and the
// group "se.bsp" (naming se/a.ogg, se/b.ogg and the long se/loop.ogg) are
// written into a temporary current folder.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "audio_players/audio_players_support.h"
#include "script/rk_lua_guard.h"
#include "support/lua_run.h"
#include "script/rk_script_audio.h"
#include "script/rk_script.h"
#include "script_math/script_math_fixture.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace rktest {

inline int luaAudioTick(lua_State* L) {
  const lua_Integer count = lua_gettop(L) >= 1 ? lua_tointeger(L, 1) : 1;
  lua_settop(L, 0);
  for (lua_Integer i = 0; i < count; ++i) audioContext()->tick();
  return 0;
}

inline int luaRender(lua_State* L) {
  const lua_Integer frames = lua_tointeger(L, 1);
  lua_settop(L, 0);
  std::vector<float> out(static_cast<std::size_t>(frames) * 2);
  audioContext()->getAudio2()->render(out.data(), static_cast<std::uint32_t>(frames));
  lua_pushnumber(L, peak(out));
  return 1;
}

class ScriptAudioFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string tone = toneOgg(4410);
    writeFileAt("se/a.ogg", tone);
    writeFileAt("se/b.ogg", tone);
    writeFileAt("se/loop.ogg", toneOgg(88200));
    writeFileAt("bgm/a.ogg", toneOgg(88200, 2));
    writeFileAt("bgm/b.ogg", toneOgg(88200, 2));
    writeGroup("se", {"se/a.ogg", "se/b.ogg", "se/loop.ogg"});
    rk::task::TaskManager::createInstance();
    states_ = rk::script::ScriptStateManager::createInstance();
    L_ = states_->createScriptState()->luaState();
    ASSERT_NE(L_, nullptr);
    lua_register(L_, "audioTick", luaAudioTick);
    lua_register(L_, "render", luaRender);
    ASSERT_EQ(run(kMathPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }

  // Runs a chunk; returns the error text, empty on success.
  std::string run(const std::string& code) { return rktest::runLua(L_, code); }
  AudioContext* ctx() const { return audio_.context(); }
  const rk::audio::AudioPlayerStatus& status(AudioContext::SoundEffectPool& pool, int index) {
    return pool.player(index)->status();
  }

  InTempFolder folder_;
  ErrorLogCapture log_;
  BoxRecorder boxes_;
  ManualAudio audio_;
  rk::script::ScriptStateManager* states_ = nullptr;
  lua_State* L_ = nullptr;
};

}  // namespace rktest
