// The process's audio context started for manual ticks on the manual sink (no
// audio thread: the test calls the tick body itself), sound files and sound-group
// files written into a temporary current folder, and a recorder of message boxes.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio_test_support.h"
#include "audio/ogg_fixture.h"
#include "audio/rk_audio_context.h"
#include "fs/rk_compressed_container.h"
#include "host/audio.h"
#include "host/ui.h"
#include "lib/sound_group_writer.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace rktest {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

class ManualAudio {
 public:
  explicit ManualAudio(std::uint32_t channels = 2, std::uint32_t rate = 44100) : channels_(channels) {
    useManualAudio(channels, rate);
    audioContext()->init(AudioContext::TickMode::Manual);
  }
  ~ManualAudio() {
    audioContext()->stop();
    restoreVolumes();
    host::audio::resetTestOptions();
  }
  ManualAudio(const ManualAudio&) = delete;
  ManualAudio& operator=(const ManualAudio&) = delete;

  AudioContext* context() const { return audioContext(); }
  void tick(int count = 1) const {
    for (int i = 0; i < count; ++i) audioContext()->tick();
  }
  // The next frames of the mix, interleaved.
  std::vector<float> render(std::uint32_t frames) const {
    std::vector<float> out(static_cast<std::size_t>(frames) * channels_);
    audioContext()->getAudio2()->render(out.data(), frames);
    return out;
  }
  // Alternates a tick and `frames` of mix until `done` (at most `limit` rounds).
  bool playUntil(const std::function<bool()>& done, std::uint32_t frames = 4410, int limit = 400) const {
    for (int i = 0; i < limit && !done(); ++i) {
      tick();
      render(frames);
    }
    return done();
  }

 private:
  std::uint32_t channels_;
};

inline float peak(const std::vector<float>& samples) {
  float most = 0.0f;
  for (float s : samples) most = std::max(most, std::abs(s));
  return most;
}

// A voice's state and volume, for a player's output.
inline host::audio::VoiceState voiceState(rk::audio::XAudioNormalOutput& output) {
  host::audio::VoiceState state;
  if (output.voice()) output.voice()->getState(&state);
  return state;
}
inline float voiceVolume(rk::audio::XAudioNormalOutput& output) {
  float volume = -1.0f;
  if (output.voice()) output.voice()->getVolume(&volume);
  return volume;
}

// A tone of `frames` frames as Ogg bytes.
inline std::string toneOgg(long frames, int channels = 1, std::vector<std::string> comments = {}) {
  OggRecipe recipe;
  recipe.channels = channels;
  recipe.frames = frames;
  recipe.comments = std::move(comments);
  return makeOgg(recipe);
}

// Relative paths are fine, a bare file name too.
inline void writeFileAt(const std::string& path, const std::string& bytes) {
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The content of a group file: table offset, count, the offset table, then the
// NUL-terminated names.
inline std::string groupContent(const std::vector<std::string>& names) { return rktools::soundGroupContent(names); }

// Stored as the compressed container.
inline std::string container(const std::string& content) {
  std::vector<std::uint8_t> out;
  rk::fs::compressContainer(content.data(), content.size(), out);
  return std::string(out.begin(), out.end());
}

// A group requested as "<base>.bsp", stored as "<base>.bpa".
inline void writeGroup(const std::string& base, const std::vector<std::string>& names) {
  writeFileAt(base + ".bpa", container(groupContent(names)));
}

// Posts the group's load and runs the tick that carries it out.
inline void loadGroup(const ManualAudio& audio, const std::string& requested) {
  audio.context()->postLoadRequest(requested.c_str());
  audio.tick();
}

// Records every message box and answers with the default.
class BoxRecorder {
 public:
  BoxRecorder() {
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      texts.push_back(text);
      captions.push_back(caption);
      EXPECT_EQ(type, host::ui::MB_ICONERROR);
      return host::ui::defaultAnswer(type);
    });
  }
  ~BoxRecorder() { host::ui::setMessageBoxSink({}); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  std::vector<std::string> texts;
  std::vector<std::string> captions;
};

// A temporary current folder for the test's files.
class InTempFolder {
 public:
  InTempFolder() : cwd_(dir_.path()) {}
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  CurrentDirGuard cwd_;
};

}  // namespace rktest

namespace rktest {

// Puts a sound straight into a slot, as a group load would.
inline rk::audio::SoundSlot& fillSlot(AudioContext* context, int index, const std::string& name,
                                      const std::string& ogg) {
  rk::audio::SoundSlot& slot = context->soundSlot(index);
  slot.name = name;
  slot.hash = static_cast<std::uint32_t>(rk::res::nameKey(name));
  slot.bytes.assign(ogg.begin(), ogg.end());
  return slot;
}

}  // namespace rktest
