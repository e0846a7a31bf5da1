// Private state of the file manager, shared by its main-thread side
// (rk_file_manager.cpp) and its load-thread side (rk_file_load_thread.cpp).
#pragma once
#include <atomic>
#include <condition_variable>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "host/hresult.h"

namespace rk::fs {

constexpr const char* kFileManagerSource = "src/fs/rk_file_manager";
constexpr host::HResult kAccessDenied = host::E_ACCESSDENIED;

// The lock of the transfer record and of every open made by the file manager.
boost::mutex& fileLock();

// Signalled under fileLock() whenever the main thread changes the transfer
// state or the run flag; the load thread waits on it instead of polling.
std::condition_variable_any& transferChanged();

// Corruption check of the static data the two threads share.
void checkGuardWord(int line, const char* text);

// The record through which the load thread hands chunks to the main thread.
struct FileTransferState {
  int state = kTransferIdle;
  std::uint64_t total = 0;   // bytes the current load delivers
  std::uint64_t chunk = 0;   // bytes now in the buffer
  std::uint64_t copied = 0;  // bytes already handed over
  bool compressed = false;
  std::string mode;
  std::string name;
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(FileManager::kTransferBufferSize);
  // The destination's bytes, sized when the load was queued. A container
  // whose stated size matches is inflated straight into them; its chunks then
  // travel with in_place set and the hand-over copies nothing.
  std::uint8_t* target = nullptr;
  std::uint64_t target_size = 0;
  bool in_place = false;
};

struct FileManager::Impl {
  res::ResourceManager* resources = nullptr;

  // Main thread only.
  std::unique_ptr<FileQueue> current;
  std::deque<std::unique_ptr<FileQueue>> queue;

  // Shared, under fileLock().
  FileTransferState record;
  std::atomic<bool> run{true};

  // Load-thread side: the open file and the inflated container.
  std::FILE* file = nullptr;
  bool firstChunk = true;
  bool headerRead = false;
  ContainerHeader header;
  std::unique_ptr<std::uint8_t[]> output;  // the inflated container when it is not inflated in place
  std::uint64_t outputSize = 0;

  boost::thread thread;
  // Held by the load thread while it writes into the destination's bytes; the
  // main thread takes it before it resizes the bytes of the load in transfer.
  boost::mutex target_lock;

  void closeFile() {
    if (file) std::fclose(file);
    file = nullptr;
  }

  // Load-thread steps (rk_file_load_thread.cpp).
  void openFile();
  void readChunk();
  bool inflateWholeFile(std::uint64_t queuedSize);
  void readText(std::uint8_t* buffer, std::uint64_t chunk, bool last);
  void fail(int line);
};

}  // namespace rk::fs
