// Audio output. Stands in for the XAudio2 engine (XAudio2Create), its mastering
// voice and its source voices, in the subset the framework calls:
//   engine:          create, createMasteringVoice, createSourceVoice, release
//   every voice:     getVoiceDetails, setVolume, getVolume, setOutputMatrix,
//                    getOutputMatrix, destroyVoice
//   mastering voice: getChannelMask
//   source voice:    start, stop, submitSourceBuffer, getState
// Source voices take 16-bit PCM (1 to 8 channels) and play a queue of submitted
// buffers in place: a buffer's bytes must stay valid until it has been played or
// its voice destroyed. The queued count of getState counts the buffer that is
// playing; it drops by one when a buffer has been played to its end, also while
// the voice runs on with nothing queued.
// Our own mixer adds every started source voice, resampled to the mastering rate,
// through its volume and output matrix into the mastering voice in float, scales
// by the mastering volume and plays the sum through SDL2 audio (floats clipped to
// -1..1). Without a device (no audio driver, no device, or SDL's dummy driver) a
// null sink consumes the mix in real time and discards it, so sounds still end
// when they would. Tests choose the manual sink and render frames themselves.
// All calls are thread-safe; the mixer runs on the sink's thread.
#pragma once
#include <cstdint>

#include "host/hresult.h"

namespace host::audio {

constexpr std::uint32_t XAUDIO2_DEFAULT_PROCESSOR = 1;
constexpr std::uint32_t XAUDIO2_DEFAULT_CHANNELS = 0;
constexpr std::uint32_t XAUDIO2_DEFAULT_SAMPLERATE = 0;
constexpr float XAUDIO2_DEFAULT_FREQ_RATIO = 2.0f;
constexpr std::uint32_t XAUDIO2_COMMIT_NOW = 0;
constexpr std::uint32_t XAUDIO2_END_OF_STREAM = 0x0040;
constexpr std::uint32_t XAUDIO2_MAX_QUEUED_BUFFERS = 64;
constexpr std::uint32_t XAUDIO2_MIN_SAMPLE_RATE = 1000;
constexpr std::uint32_t XAUDIO2_MAX_SAMPLE_RATE = 200000;
constexpr float XAUDIO2_MAX_VOLUME_LEVEL = 16777216.0f;
// Source voices with more channels are refused.
constexpr std::uint32_t kMaxSourceChannels = 8;

constexpr int AudioCategory_GameEffects = 6;

// Speaker bits of a channel mask, with the Windows values.
enum : std::uint32_t {
  SPEAKER_FRONT_LEFT = 0x1,
  SPEAKER_FRONT_RIGHT = 0x2,
  SPEAKER_FRONT_CENTER = 0x4,
  SPEAKER_LOW_FREQUENCY = 0x8,
  SPEAKER_BACK_LEFT = 0x10,
  SPEAKER_BACK_RIGHT = 0x20,
  SPEAKER_FRONT_LEFT_OF_CENTER = 0x40,
  SPEAKER_FRONT_RIGHT_OF_CENTER = 0x80,
  SPEAKER_BACK_CENTER = 0x100,
  SPEAKER_SIDE_LEFT = 0x200,
  SPEAKER_SIDE_RIGHT = 0x400,
};

// The speaker mask the mastering voice reports for a channel count (the layouts
// SDL2 plays: 1 mono, 2 stereo, 3 2.1, 4 quad, 5 4.1, 6 5.1, 7 6.1, 8 7.1).
std::uint32_t channelMaskFor(std::uint32_t channels);

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// WAVEFORMATEX.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t extraSize = 0;
};

// XAUDIO2_VOICE_DETAILS.
struct VoiceDetails {
  std::uint32_t creationFlags = 0;
  std::uint32_t activeFlags = 0;
  std::uint32_t inputChannels = 0;
  std::uint32_t inputSampleRate = 0;
};

// XAUDIO2_BUFFER. playBegin / playLength select frames of the buffer (0 / 0: all).
// Looping inside a buffer is not offered: a loopCount other than 0 is refused.
struct Buffer {
  std::uint32_t flags = 0;
  std::uint32_t audioBytes = 0;
  const std::uint8_t* audioData = nullptr;
  std::uint32_t playBegin = 0;
  std::uint32_t playLength = 0;
  std::uint32_t loopBegin = 0;
  std::uint32_t loopLength = 0;
  std::uint32_t loopCount = 0;
  void* context = nullptr;
};

// XAUDIO2_VOICE_STATE.
struct VoiceState {
  void* currentBufferContext = nullptr;
  std::uint32_t buffersQueued = 0;
  std::uint64_t samplesPlayed = 0;
};

class Voice {
 public:
  virtual void getVoiceDetails(VoiceDetails* details) const = 0;
  // The gain applied before the output matrix; E_INVALIDARG when not finite or
  // beyond +-XAUDIO2_MAX_VOLUME_LEVEL.
  virtual HResult setVolume(float volume, std::uint32_t operationSet = XAUDIO2_COMMIT_NOW) = 0;
  virtual void getVolume(float* volume) const = 0;
  // levelMatrix[destinationChannel * sourceChannels + sourceChannel]. The
  // destination is the mastering voice (null names it); the channel counts must be
  // this voice's and the mastering voice's. The mastering voice has no matrix.
  virtual HResult setOutputMatrix(Voice* destination, std::uint32_t sourceChannels, std::uint32_t destinationChannels,
                                  const float* levelMatrix, std::uint32_t operationSet = XAUDIO2_COMMIT_NOW) = 0;
  virtual void getOutputMatrix(Voice* destination, std::uint32_t sourceChannels, std::uint32_t destinationChannels,
                               float* levelMatrix) const = 0;
  // Deletes the voice. Destroying the mastering voice closes the audio device.
  virtual void destroyVoice() = 0;

 protected:
  virtual ~Voice() = default;
};

class SourceVoice : public Voice {
 public:
  virtual HResult start(std::uint32_t flags = 0, std::uint32_t operationSet = XAUDIO2_COMMIT_NOW) = 0;
  // Pauses where the voice is; queued buffers stay queued.
  virtual HResult stop(std::uint32_t flags = 0, std::uint32_t operationSet = XAUDIO2_COMMIT_NOW) = 0;
  // XAUDIO2_E_INVALID_CALL for an empty buffer, a byte count that is not a whole
  // number of frames, a play range outside the buffer, a full queue or a dead engine.
  virtual HResult submitSourceBuffer(const Buffer* buffer, const void* bufferWma = nullptr) = 0;
  virtual void getState(VoiceState* state, std::uint32_t flags = 0) const = 0;
};

class MasteringVoice : public Voice {
 public:
  virtual HResult getChannelMask(std::uint32_t* mask) const = 0;
};

class Engine {
 public:
  virtual std::uint32_t addRef() = 0;
  // The last release closes the device; voices still alive stay valid objects that
  // play nothing until they are destroyed.
  virtual std::uint32_t release() = 0;

  // One mastering voice per engine. Channels and rate 0 take the device's own.
  virtual HResult createMasteringVoice(MasteringVoice** voice, std::uint32_t inputChannels = XAUDIO2_DEFAULT_CHANNELS,
                                       std::uint32_t inputSampleRate = XAUDIO2_DEFAULT_SAMPLERATE,
                                       std::uint32_t flags = 0, const char* deviceId = nullptr,
                                       const void* effectChain = nullptr,
                                       int streamCategory = AudioCategory_GameEffects) = 0;
  // 16-bit PCM only; needs the mastering voice. A new voice is stopped, at volume
  // 1 with the default matrix: identical channels one to one, mono to the front
  // pair (or the one speaker), several channels to mono averaged, else channel i
  // to speaker i.
  virtual HResult createSourceVoice(SourceVoice** voice, const WaveFormat* format, std::uint32_t flags = 0,
                                    float maxFrequencyRatio = XAUDIO2_DEFAULT_FREQ_RATIO, void* callback = nullptr,
                                    const void* sendList = nullptr, const void* effectChain = nullptr) = 0;

  // Mixes the next `frames` frames into `out` (interleaved floats, the mastering
  // voice's channel count, not clipped) and returns the frames written: 0 without
  // a mastering voice. Meant for the manual sink; with another sink it takes the
  // frames from the device's stream.
  virtual std::uint32_t render(float* out, std::uint32_t frames) = 0;

 protected:
  virtual ~Engine() = default;
};

// XAudio2Create.
HResult create(Engine** engine, std::uint32_t flags = 0, std::uint32_t processor = XAUDIO2_DEFAULT_PROCESSOR);

// --- test hooks ---
enum class SinkMode {
  Automatic,  // SDL2 audio, else the null sink
  Null,       // the null sink in any case
  Manual,     // nothing pulls the mix: Engine::render does
};

struct TestOptions {
  SinkMode sink = SinkMode::Automatic;
  // Layout of the next mastering voices when not 0 (any count, to test refusals).
  std::uint32_t channels = 0;
  std::uint32_t sampleRate = 0;
  // Failures injected into create, createMasteringVoice and createSourceVoice.
  HResult createResult = S_OK;
  HResult masteringResult = S_OK;
  HResult sourceVoiceResult = S_OK;
};

// Applies to engines and voices created afterwards.
void setTestOptions(const TestOptions& options);
void resetTestOptions();

}  // namespace host::audio
