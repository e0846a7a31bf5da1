// Decodes an Ogg Vorbis stream through vorbisfile into an output's two swap
// buffers of one second each, looping between the points the file declares in its
// comments (LOOPSTART and LOOPLENGTH, in samples) or ending with the data.
// The byte source is the subclass's: a file on disk or a file held in memory.
// Used under the audio lock only.
#pragma once
#include <cstddef>
#include <cstdint>

#ifndef OV_EXCLUDE_STATIC_CALLBACKS
#define OV_EXCLUDE_STATIC_CALLBACKS
#endif
#include <vorbis/vorbisfile.h>

#include "audio/xaudio/rk_audio_destination.h"
#include "host/audio.h"

namespace rk::audio {

class OggDecoder {
 public:
  // Bytes decoded per vorbisfile read; the loop end is checked after each.
  static constexpr std::uint32_t kReadChunk = 4096;
  // Streams the outputs cannot play are refused at open.
  static constexpr int kMaxChannels = static_cast<int>(host::audio::kMaxSourceChannels);

  OggDecoder();
  virtual ~OggDecoder();
  OggDecoder(const OggDecoder&) = delete;
  OggDecoder& operator=(const OggDecoder&) = delete;

  // Opens the source and the stream and reads the loop points. A failure is
  // logged and leaves the decoder closed.
  bool open(const char* name);
  // Playing flag cleared, then close.
  virtual void stop();
  // Wave format of the open stream; the output makes a new voice with two
  // one-second buffers.
  virtual void setup();
  // Refills from a time; outputs without a lockable buffer get nothing and the
  // decoder counts as ended.
  virtual void playFromTime(double seconds);
  virtual void pause();
  virtual void resume();
  // The per-tick step: decodes into the free buffer while fewer than two are
  // queued. False once the sound is over.
  virtual bool play();
  // Clears the stream, stops the output. Loop points stay until the next open
  // that declares some.
  virtual void close();
  virtual void copySourceTo(OggDecoder& other) const {}
  virtual bool isOnMemory() const { return false; }
  // Two buffers' worth of `seconds` in the open stream's format.
  virtual void getSwapBufferDesc(SwapBufferDesc* desc, std::uint32_t seconds);

  // Fills `buffer` with up to `length` bytes of 16-bit PCM (zeros beyond what was
  // decoded); `ended` is set when the data ran out without a loop. Returns the bytes.
  std::uint32_t getPCM(std::uint8_t* buffer, std::uint32_t length, bool loop, std::uint8_t& ended);

  void setOutput(IAudiodDstination* output) { output_ = output; }
  IAudiodDstination* output() const { return output_; }
  bool isPlaying() const { return playing_ != 0; }
  void setPlaying(bool playing) { playing_ = playing ? 1 : 0; }
  bool isStarted() const { return started_ != 0; }
  bool isEnded() const { return ended_ != 0; }
  bool isOpen() const { return open_ != 0; }
  bool isLoop() const { return loop_ != 0; }
  // Loops the whole stream (loop points cleared) or stops looping.
  void setLoop(bool loop);
  double loopStart() const { return loop_start_; }
  double loopEnd() const { return loop_end_; }
  // Channels and rate of the open stream; null while closed.
  const vorbis_info* info() const { return info_; }
  const host::audio::WaveFormat& waveFormat() const { return wave_format_; }
  int savedQueueCount() const { return saved_queue_count_; }

  // The byte source, as vorbisfile's callbacks see it.
  virtual std::size_t oggVRRead(void* pointer, std::size_t size, std::size_t count) = 0;
  virtual int oggVRSeek(ogg_int64_t offset, int whence) = 0;
  virtual int oggVRClose() = 0;
  virtual long oggVRTell() = 0;

 protected:
  // Opens the byte source; false when it cannot be had.
  virtual bool openSource(const char* name) = 0;
  // Frees vorbisfile's state, closing the source through its callback. For the
  // subclasses' destructors, which must not touch the output.
  void clearStream();

 private:
  bool acceptStream();
  void readLoopPoints();
  // The stream moved on to a link in another format than the voice's.
  bool formatChanged();

  OggVorbis_File vorbis_file_;
  vorbis_info* info_ = nullptr;
  std::uint8_t playing_ = 0;
  std::uint8_t started_ = 0;
  std::uint8_t loop_ = 0;
  double loop_start_ = 0.0;
  double loop_end_ = 0.0;
  std::uint8_t ended_ = 0;
  std::uint8_t open_ = 0;
  int bitstream_ = 0;
  IAudiodDstination* output_ = nullptr;
  std::uint32_t start_flags_ = 0;
  int saved_queue_count_ = 0;
  host::audio::WaveFormat wave_format_;
};

}  // namespace rk::audio
