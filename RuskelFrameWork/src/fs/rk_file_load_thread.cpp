// The load-thread side of the file manager: opens the current file, reads or
// inflates it, and hands it to the main thread one chunk at a time.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "rk_file_manager_impl.h"
#include "host/fs.h"
#include "kernel/rk_error_log.h"

namespace rk::fs {

namespace {

constexpr const char* kThreadEntry = "rk::fs::FileManager::loadThread";

void report(int line) { debug::writeErrorLog(kFileManagerSource, line, kThreadEntry); }

void sleepFor(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Bytes from the current position to the end of the file.
std::uint64_t bytesLeft(std::FILE* file) {
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

}  // namespace

void FileManager::Impl::fail(int line) {
  report(line);
  boost::lock_guard<boost::mutex> guard(fileLock());
  closeFile();
  output.reset();
  outputSize = 0;
  record.state = kTransferOpenFailed;
}

void FileManager::Impl::openFile() {
  std::string name, mode;
  bool compressed;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    name = record.name;
    mode = record.mode;
    compressed = record.compressed;
    file = host::fs::open(name, mode.c_str());
  }
  if (!file) {
    // One more try a moment later, then the load has failed.
    sleepFor(10);
    boost::lock_guard<boost::mutex> guard(fileLock());
    file = host::fs::open(name, mode.c_str());
    if (!file) {
      record.state = kTransferOpenFailed;
      return;
    }
  }
  firstChunk = true;
  headerRead = false;
  if (compressed) {
    std::uint8_t bytes[kContainerHeaderSize];
    boost::lock_guard<boost::mutex> guard(fileLock());
    headerRead = readContainerHeader(bytes, std::fread(bytes, 1, sizeof bytes, file), header);
  }
  boost::lock_guard<boost::mutex> guard(fileLock());
  record.state = kTransferRead;
}

bool FileManager::Impl::inflateWholeFile(std::uint64_t queuedSize) {
  // Sizes from the header are checked against the file before anything is allocated.
  if (!headerRead || !isPlausibleContainer(header, bytesLeft(file))) {
    fail(845);
    return false;
  }
  std::uint8_t* target;
  std::uint64_t targetSize;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    target = record.target;
    targetSize = record.target_size;
    record.in_place = false;
  }
  // Read over in full: no zero fill first.
  const std::size_t inputSize = header.compressedSize;
  std::unique_ptr<std::uint8_t[]> input(new (std::nothrow) std::uint8_t[inputSize ? inputSize : 1]);
  if (!input) {
    fail(847);
    return false;
  }
  if (std::fread(input.get(), 1, inputSize, file) != inputSize) {
    fail(845);
    return false;
  }
  bool inflated = false, inPlace = false;
  if (target && targetSize == header.uncompressedSize && targetSize == queuedSize) {
    boost::lock_guard<boost::mutex> writing(target_lock);
    bool still;
    {
      boost::lock_guard<boost::mutex> guard(fileLock());
      still = record.target == target;  // not taken back by a reload meanwhile
    }
    if (still) {
      inflated = inflateStream(input.get(), inputSize, target, targetSize);
      inPlace = true;
    }
  }
  if (!inPlace) {
    // Every byte is written by the inflate: no zero fill first.
    output.reset(new (std::nothrow) std::uint8_t[header.uncompressedSize ? header.uncompressedSize : 1]);
    if (!output) {
      fail(847);
      return false;
    }
    outputSize = header.uncompressedSize;
    inflated = inflateStream(input.get(), inputSize, output.get(), outputSize);
  }
  input.reset();
  // A stream that does not inflate to exactly the stated size is not delivered.
  if (!inflated) {
    fail(849);
    return false;
  }
  if (inPlace) {
    output.reset();
    boost::lock_guard<boost::mutex> guard(fileLock());
    record.in_place = true;
  }
  if (header.uncompressedSize != queuedSize) report(851);
  return true;
}

void FileManager::Impl::readText(std::uint8_t* buffer, std::uint64_t chunk, bool last) {
  // The last chunk keeps its final byte for the terminating zero.
  const std::uint64_t limit = last && chunk ? chunk - 1 : chunk;
  std::uint64_t stored = 0;
  int c = 0;
  while (stored < limit && (c = std::getc(file)) != EOF) buffer[stored++] = static_cast<std::uint8_t>(c);
  if ((stored < limit || last) && stored < chunk) buffer[stored++] = 0;
  if (stored != chunk) {
    report(825);
    std::memset(buffer + stored, 0, chunk - stored);
  }
}

void FileManager::Impl::readChunk() {
  std::uint64_t total, copied;
  bool compressed;
  std::string mode;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    total = record.total;
    copied = record.copied;
    compressed = record.compressed;
    mode = record.mode;
  }
  if (compressed && firstChunk) {
    firstChunk = false;
    if (!inflateWholeFile(total)) return;
    total = header.uncompressedSize;
    copied = 0;
  }
  // Bytes inflated in place do not pass through the buffer: the rest of them
  // is handed over as one chunk, in one pass of the main thread.
  bool inPlace;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    inPlace = record.in_place;
  }
  const std::uint64_t limit = inPlace ? total : record.buffer.size();
  const std::uint64_t chunk = copied < total ? std::min<std::uint64_t>(total - copied, limit) : 0;
  // While the state is "read" the buffer belongs to this thread.
  std::uint8_t* buffer = record.buffer.data();
  if (compressed) {
    // Bytes inflated in place are already where they belong.
    if (chunk && !inPlace && output) std::memcpy(buffer, output.get() + copied, chunk);
  } else if (mode == "r") {
    readText(buffer, chunk, copied + chunk == total);
  } else {
    std::size_t got = chunk ? std::fread(buffer, 1, chunk, file) : 0;
    if (got != chunk) {
      report(831);
      std::memset(buffer + got, 0, chunk - got);
    }
  }
  boost::lock_guard<boost::mutex> guard(fileLock());
  record.total = total;
  record.copied = copied;
  record.chunk = chunk;
  record.state = kTransferChunkReady;
}

int FileManager::loadStep() {
  checkGuardWord(721, kThreadEntry);
  Impl& m = *impl_;
  switch (transferState()) {
    case kTransferOpen:
      m.openFile();
      break;
    case kTransferRead:
      if (!isStop()) m.readChunk();
      break;
    case kTransferChunkReady:
      if (isStop()) {
        boost::lock_guard<boost::mutex> guard(fileLock());
        m.record.state = kTransferAbandoned;
        m.closeFile();
      }
      break;
    case kTransferDelivered: {
      boost::lock_guard<boost::mutex> guard(fileLock());
      m.closeFile();
      m.output.reset();
      m.outputSize = 0;
      m.record.state = kTransferIdle;
      break;
    }
    default:
      break;
  }
  return transferState();
}

void FileManager::loadThread() {
  for (;;) {
    int state = loadStep();
    if (state == kTransferOpenFailed || state == kTransferAbandoned) return;
    boost::unique_lock<boost::mutex> lock(fileLock());
    if (!impl_->run) {
      if (impl_->record.state == kTransferChunkReady) impl_->record.state = kTransferAbandoned;
      return;
    }
    if (state == kTransferRead) continue;  // the next chunk at once
    // Until the main thread moves the state on or stops the manager; the
    // poll intervals remain as the longest waits.
    transferChanged().wait_for(lock, std::chrono::milliseconds(state == kTransferChunkReady ? 1 : 16),
                               [this, state] { return impl_->record.state != state || !impl_->run; });
  }
}

}  // namespace rk::fs
