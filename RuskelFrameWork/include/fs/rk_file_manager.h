// The file manager: loads files into named resources without blocking the frame.
// Requests are queued on the main thread; the load thread reads one file at a
// time in chunks of up to 1 MiB into a shared transfer record, and notify()
// copies each chunk into its resource on the main thread.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "res/rk_resource.h"

namespace rk::fs {

// One pending load, owned by the queue and then by the current-entry slot.
class FileQueue {
 public:
  FileQueue() = default;
  FileQueue(const FileQueue&) = delete;
  FileQueue& operator=(const FileQueue&) = delete;

  // Fills the entry and sizes the resource's bytes; false when the file does not
  // exist (errno tells why).
  bool loadFile(const std::string& name, const std::string& mode, res::ResourceData* resource, const char* owner);
  // Bytes the load will deliver: a container's uncompressed size, a text file's
  // characters plus the terminating zero, else the file's length. 0 when unknown.
  std::uint32_t getFileSize() const;

  std::string name;
  std::string owner;
  std::string mode;
  res::ResourcePtr resource;
  bool compressed = false;
};

// States of the transfer record.
enum FileTransferStep : int {
  kTransferIdle = 0,
  kTransferOpen = 1,
  kTransferRead = 2,
  kTransferChunkReady = 3,
  kTransferDelivered = 4,
  kTransferComplete = 5,
  kTransferOpenFailed = 6,
  kTransferAbandoned = 7,
};

class FileManager {
 public:
  // `startThread` false leaves the load step to the caller (tests drive it).
  static FileManager* createInstance(res::ResourceManager* resources, bool startThread = true);
  static FileManager* getInstance();
  static void destroyInstance();

  FileManager(res::ResourceManager* resources, bool startThread);
  ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // The resource of `name`: an existing one at once, else a new one whose load is
  // queued. Throws HrException when the file does not exist.
  res::ResourcePtr loadFile(const std::string& name, const char* mode, bool compressed, const char* owner);
  // Queues the resource's file again into the same resource.
  void reloadFile(res::ResourceData* resource);
  // One main-thread step: starts the next load or copies a delivered chunk.
  // Throws HrException "ファイルロードエラー" once a load has failed.
  void notify();
  void setStop(bool stop);
  bool isStop() const;
  // Stops and joins the load thread and drops every queued load.
  void destroy();

  // One pass of the load thread's work, never blocking on the main thread;
  // returns the transfer state afterwards. The thread calls it in a loop.
  int loadStep();
  // The thread body: load steps until stopped or the load has failed.
  void loadThread();

  int transferState() const;
  std::size_t queuedCount() const;

  // Requested asset name to stored name and open mode ("rb" or "r"); returns
  // whether the stored file is a compressed container. No file access.
  static bool mapAssetName(std::string& stored, std::string& mode, const std::string& requested);
  // Stores the data as a compressed container under the stored name of `name`,
  // through a temporary file renamed into place. False (after its message
  // box) when nothing could be written.
  static bool compressFile(const char* name, const void* data, std::uint32_t size);

  static constexpr std::uint32_t kTransferBufferSize = 1u << 20;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::fs
