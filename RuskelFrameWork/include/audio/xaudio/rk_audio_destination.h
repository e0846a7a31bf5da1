// What a decoder writes into and a player starts and stops: one source voice with
// two PCM swap buffers. The interface also carries the operations of a device
// with a lockable play buffer (lock, unlock, restore a play position); the voice
// outputs answer them with failures or do nothing.
// Outputs are used under the audio lock only.
#pragma once
#include <cstdint>

#include "host/audio.h"
#include "host/hresult.h"
#include "math/rk_vector.h"

namespace rk::audio {

// The buffer description a decoder hands its output: `bufferBytes` covers both
// swap buffers together.
struct SwapBufferDesc {
  std::uint32_t size = 20;
  std::uint32_t flags = 3;
  std::uint32_t bufferBytes = 0;
  std::uint32_t reserved = 0;
  const host::audio::WaveFormat* format = nullptr;
};

class IAudiodDstination {
 public:
  virtual ~IAudiodDstination() = default;

  // A new voice for the description's format and two buffers of half its bytes.
  virtual void createSwapBuffer(const SwapBufferDesc& desc) = 0;
  // Stops and destroys the voice and frees both buffers.
  virtual void release() = 0;
  virtual void stop() = 0;
  virtual void restore(int queueCount) = 0;
  // Buffers the voice still has queued; -1 without a voice.
  virtual int getQueuedBufferCount() = 0;
  virtual void setPan(float pan) = 0;
  // The voice's volume becomes the square of `volume`.
  virtual void setVolume(float volume) = 0;
  virtual void start(std::uint32_t flags) = 0;
  virtual host::HResult lockBuffer(std::uint32_t offset, std::uint32_t bytes, void** pointer,
                                   std::uint32_t* length) = 0;
  virtual void unlockBuffer() = 0;
  virtual void setPosition(const math::Vector4& position) = 0;
  // False when the output keeps no position.
  virtual bool getPosition(math::Vector4* position) const = 0;
  virtual void allocSwapBuffers(std::uint32_t size) = 0;
  // The buffer to fill next and its size in bytes.
  virtual std::uint32_t getWriteBuffer(std::uint8_t** pointer) = 0;
  // Queues `bytes` bytes of `data` on the voice, marked as the end of the stream.
  virtual void pushQueue(const std::uint8_t* data, std::uint32_t bytes) = 0;
  virtual void swapBuffer() = 0;
};

}  // namespace rk::audio
