// The main-thread side of the file manager: the queue, the start of each load,
// the hand-over of chunks into resources, and shut-down.
#include "fs/rk_file_manager.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>

#include "rk_file_manager_impl.h"
#include "host/fs.h"
#include "host/text.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"

namespace rk::fs {

namespace {

const SingletonReport kReport{kFileManagerSource, "rk::fs::FileManager", 307, 316, 325};

volatile std::uint32_t g_guard_word = 0xDEADBEEFu;

void report(int line, const char* text) { debug::writeErrorLog(kFileManagerSource, line, text); }

[[noreturn]] void throwAccessDenied(int line, const std::string& text) {
  std::wstring wide = host::text::cp932ToWide(text);
  throw HrException(kAccessDenied, kFileManagerSource, line, wide.c_str());
}

constexpr std::uint64_t kLargestSize = std::numeric_limits<std::uint32_t>::max();

}  // namespace

boost::mutex& fileLock() {
  static boost::mutex lock;
  return lock;
}

std::condition_variable_any& transferChanged() {
  static std::condition_variable_any changed;
  return changed;
}

void checkGuardWord(int line, const char* text) {
  if (g_guard_word != 0xDEADBEEFu) report(line, text);
}

// --------------------------------------------------------------------- FileQueue

bool FileQueue::loadFile(const std::string& fileName, const std::string& openMode, res::ResourceData* target,
                         const char* ownerName) {
  name = fileName;
  if (ownerName) owner = ownerName;
  mode = openMode;
  resource = target;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    if (host::fs::isDirectory(name)) {
      errno = EISDIR;
      return false;
    }
    std::FILE* probe = host::fs::open(name, "rb");
    if (!probe) return false;
    std::fclose(probe);
  }
  std::uint32_t size = getFileSize();
  if (size == 0) {
    report(132, "rk::fs::FileQueue::loadFile");
  } else if (resource) {
    resource->ownedBytes().assign(size, 0);
  }
  return true;
}

std::uint32_t FileQueue::getFileSize() const {
  boost::lock_guard<boost::mutex> guard(fileLock());
  if (compressed) {
    std::FILE* f = host::fs::open(name, "rb");
    if (!f) {
      report(228, "rk::fs::FileQueue::getFileSize");
      return 0;
    }
    std::uint8_t bytes[kContainerHeaderSize];
    ContainerHeader header;
    bool ok = readContainerHeader(bytes, std::fread(bytes, 1, sizeof bytes, f), header);
    long long length = host::fs::fileSize(name);
    std::fclose(f);
    // A header that cannot describe this file sizes nothing; the load then fails.
    if (!ok || length < 0 || !isPlausibleContainer(header, std::uint64_t(length) - kContainerHeaderSize)) {
      report(236, "rk::fs::FileQueue::getFileSize");
      return 0;
    }
    return header.uncompressedSize;
  }
  std::uint64_t size = 0;
  if (mode == "r") {
    std::FILE* f = host::fs::open(name, "r");
    if (!f) return 0;
    while (std::getc(f) != EOF) ++size;
    ++size;  // room for the terminating zero
    std::fclose(f);
  } else {
    std::FILE* f = host::fs::open(name, mode.c_str());
    if (!f) return 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
      long position = std::ftell(f);
      if (position > 0) size = static_cast<std::uint64_t>(position);
    }
    std::fclose(f);
  }
  if (size > kLargestSize) {
    report(262, "rk::fs::FileQueue::getFileSize");
    return 0;
  }
  return static_cast<std::uint32_t>(size);
}

// ------------------------------------------------------------------- FileManager

FileManager* FileManager::createInstance(res::ResourceManager* resources, bool startThread) {
  return singletonCreate<FileManager>(InstanceSlot::FileManager, kReport, resources, startThread);
}

FileManager* FileManager::getInstance() { return singletonGet<FileManager>(InstanceSlot::FileManager, kReport); }

void FileManager::destroyInstance() { singletonDestroy<FileManager>(InstanceSlot::FileManager, kReport); }

FileManager::FileManager(res::ResourceManager* resources, bool startThread) : impl_(new Impl) {
  impl_->resources = resources;
  if (startThread) impl_->thread = boost::thread([this] { loadThread(); });
}

FileManager::~FileManager() { destroy(); }

void FileManager::setStop(bool stop) {
  boost::lock_guard<boost::mutex> guard(fileLock());
  impl_->run = !stop;
  transferChanged().notify_all();
}

bool FileManager::isStop() const { return !impl_->run; }

int FileManager::transferState() const {
  boost::lock_guard<boost::mutex> guard(fileLock());
  return impl_->record.state;
}

std::size_t FileManager::queuedCount() const { return impl_->queue.size(); }

res::ResourcePtr FileManager::loadFile(const std::string& name, const char* mode, bool compressed, const char* owner) {
  res::ResourceManager* resources = impl_->resources;
  if (!resources) {
    report(1040, "rk::fs::FileManager::loadFile");
    return res::ResourcePtr();
  }
  if (res::ResourcePtr found = resources->findResource(name)) return found;

  std::unique_ptr<FileQueue> entry(new (std::nothrow) FileQueue);
  if (!entry) throw HrException(host::E_OUTOFMEMORY, kFileManagerSource, 1065, L"FileQueueの作成に失敗しました。\n");
  if (owner) entry->owner = owner;
  entry->compressed = compressed;

  const std::string openMode = mode ? mode : "rb";
  res::ResourcePtr resource = resources->getResourceData(name);
  resource->setMode(openMode);
  resource->setOwner(owner ? owner : "");
  resource->setCompressed(compressed);

  if (resource->count() < 2) {
    if (!entry->loadFile(name, openMode, resource.get(), owner)) {
      std::string text = std::strerror(errno);
      text += "\n";
      if (owner) text += std::string("「") + owner + "」のincludeModuleで\n";
      text += "「" + name + "」が見つかりません。\n";
      text += "queue = " + std::to_string(impl_->queue.size());
      entry.reset();
      throwAccessDenied(1153, text);
    }
    impl_->queue.push_back(std::move(entry));
  }
  return resource;
}

void FileManager::reloadFile(res::ResourceData* resource) {
  if (!resource || resource->isView()) return;
  // Views into this resource point at its bytes, which a reload would move.
  if (resource->viewCount() > 0) {
    report(1180, "rk::fs::FileManager::reloadFile");
    return;
  }
  // The load in transfer may be inflating straight into these bytes: wait for
  // that to end and take them back before they change.
  Impl& m = *impl_;
  std::unique_lock<boost::mutex> writing;
  if (m.current && m.current->resource.get() == resource) {
    writing = std::unique_lock<boost::mutex>(m.target_lock);
    boost::lock_guard<boost::mutex> guard(fileLock());
    m.record.target = nullptr;
    m.record.target_size = 0;
  }
  resource->setReady(false);
  resource->ownedBytes().clear();
  std::unique_ptr<FileQueue> entry(new FileQueue);
  entry->compressed = resource->isCompressed();
  const char* owner = resource->owner().empty() ? nullptr : resource->owner().c_str();
  if (!entry->loadFile(resource->name(), resource->mode(), resource, owner)) {
    std::string name = resource->name();
    entry.reset();
    throwAccessDenied(1198, "「" + name + "」のリロードに失敗しました。");
  }
  impl_->queue.push_back(std::move(entry));
}

void FileManager::notify() {
  checkGuardWord(604, "rk::fs::FileManager::notify");
  Impl& m = *impl_;
  int state = transferState();
  switch (state) {
    case kTransferOpen:
    case kTransferRead:
    case kTransferDelivered:
    case kTransferAbandoned:
      return;
    case kTransferOpenFailed:
      setStop(true);
      throwAccessDenied(694, "ファイルロードエラー");
    case kTransferChunkReady: {
      boost::lock_guard<boost::mutex> guard(fileLock());
      FileTransferState& r = m.record;
      std::vector<std::uint8_t>* dest = nullptr;
      if (m.current && m.current->resource && !m.current->resource->isView())
        dest = &m.current->resource->ownedBytes();
      // Every copy is bounded by the destination, whatever the chunk claims.
      const std::uint64_t room = dest && dest->size() > r.copied ? dest->size() - r.copied : 0;
      const std::uint64_t count = std::min<std::uint64_t>(std::min<std::uint64_t>(r.chunk, room), r.buffer.size());
      if (count && !r.in_place) std::memcpy(dest->data() + r.copied, r.buffer.data(), count);
      r.copied += r.chunk;
      const std::uint64_t destSize = dest ? dest->size() : 0;
      if (r.copied < r.total && r.copied < destSize) {
        r.state = kTransferRead;
        transferChanged().notify_all();
        return;
      }
      if (r.copied != r.total || r.copied != destSize) report(667, "rk::fs::FileManager::notify");
      r.state = kTransferComplete;
    }
      [[fallthrough]];
    case kTransferComplete: {
      boost::lock_guard<boost::mutex> guard(fileLock());
      // Bytes inflated in place that a reload took back (and cleared) are not
      // the file's: the queued reload makes the resource ready.
      const bool takenBack = m.record.in_place && !m.record.target;
      if (m.current && m.current->resource && !takenBack) m.current->resource->setReady(true);
      m.current.reset();
      m.record.state = kTransferDelivered;
      m.record.target = nullptr;
      m.record.target_size = 0;
      m.record.in_place = false;
      transferChanged().notify_all();
      return;
    }
    default:
      break;
  }

  // Idle: start the next queued load.
  if (m.queue.empty()) return;
  {
    boost::lock_guard<boost::mutex> guard(fileLock());
    m.current = std::move(m.queue.front());
    m.queue.pop_front();
    if (m.current->resource) m.current->resource->setReady(false);
  }
  boost::lock_guard<boost::mutex> guard(fileLock());
  FileTransferState& r = m.record;
  res::ResourceData* dest = m.current->resource.get();
  r.name = m.current->name;
  r.mode = m.current->mode;
  r.compressed = m.current->compressed;
  r.copied = 0;
  r.chunk = 0;
  r.total = dest && !dest->isView() ? dest->ownedBytes().size() : 0;
  r.target = r.compressed && r.total ? dest->ownedBytes().data() : nullptr;
  r.target_size = r.target ? r.total : 0;
  r.in_place = false;
  r.state = kTransferOpen;
  // The chunk buffer is written in full before every hand-over: no zero fill.
  transferChanged().notify_all();
}

void FileManager::destroy() {
  if (!impl_) return;
  setStop(true);
  if (impl_->thread.joinable()) impl_->thread.join();
  impl_->closeFile();
  // Queued loads are dropped; their resources never become ready.
  impl_->queue.clear();
  impl_->current.reset();
}

}  // namespace rk::fs
