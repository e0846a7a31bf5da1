// Sound groups: ".bsp" files (stored compressed as ".bpa") that list Ogg files,
// read by the audio thread whole into the 128 sound slots, with a reference count
// per group. The group file is read with the sizes of the real file and content:
// a damaged file loads what it validly names, after one failure box.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include <zlib.h>

#include "audio/rk_audio_context.h"
#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "host/fs.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"
#include "res/rk_resource.h"

namespace rk::audio {

namespace {

constexpr const char* kSource = "src/audio/rk_audio_context";
constexpr unsigned kLoadPollMs = 4;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t hashOf(const char* name) { return static_cast<std::uint32_t>(res::nameKey(name)); }

std::string storedName(const char* requested) {
  std::string stored, mode;
  fs::FileManager::mapAssetName(stored, mode, requested ? requested : "");
  return stored;
}

// Boxes of the load are modal to the whole program; the audio thread waits in
// them with the lock held, as main-thread audio calls then do too.
void showError(const std::string& text) { host::ui::messageBox(nullptr, text, "エラー", host::ui::MB_ICONERROR); }

void showNotFound(const std::string& name) { showError(name + " が見つかりません"); }

// The size of an open file, put back at its start; -1 when it cannot be told.
long fileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  return std::fseek(file, 0, SEEK_SET) == 0 ? size : -1;
}

std::uint32_t readU32(const std::vector<std::uint8_t>& bytes, std::uint64_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The group file's content: the container inflated as far as zlib gets. False
// when the container cannot be read at all or zlib reports anything but one of
// its ordinary results (which leave whatever was inflated).
bool readContent(std::FILE* file, std::vector<std::uint8_t>& content) {
  const long size = fileSize(file);
  std::uint8_t head[fs::kContainerHeaderSize];
  fs::ContainerHeader header;
  if (size < static_cast<long>(sizeof head) || std::fread(head, 1, sizeof head, file) != sizeof head ||
      !fs::readContainerHeader(head, sizeof head, header) ||
      !fs::isPlausibleContainer(header, static_cast<std::uint64_t>(size) - sizeof head))
    return false;
  std::vector<std::uint8_t> packed(header.compressedSize);
  if (std::fread(packed.data(), 1, packed.size(), file) != packed.size()) return false;
  content.assign(header.uncompressedSize, 0);
  uLongf length = header.uncompressedSize;
  const int result = uncompress(content.data(), &length, packed.data(), static_cast<uLong>(packed.size()));
  return result == Z_OK || result == Z_DATA_ERROR || result == Z_MEM_ERROR || result == Z_BUF_ERROR;
}

// The names the content lists: a table offset and a count, then one offset per
// name, each to a NUL-terminated name. Entries outside the content are skipped;
// false when anything had to be skipped.
bool listNames(const std::vector<std::uint8_t>& content, std::vector<const char*>& names) {
  if (content.size() < 8) return false;
  const std::uint64_t table = readU32(content, 0);
  const std::uint64_t count = readU32(content, 4);
  if (table + 4 * count > content.size()) return false;
  bool intact = true;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t at = readU32(content, table + 4 * i);
    const void* end = at < content.size() ? std::memchr(content.data() + at, '\0', content.size() - at) : nullptr;
    if (end)
      names.push_back(reinterpret_cast<const char*>(content.data() + at));
    else
      intact = false;
  }
  return intact;
}

// The C runtime's _makepath with a folder and a name: a backslash goes between
// a folder that does not end in a separator and the name.
std::string soundPath(const char* root, const char* name) {
  std::string path = root;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + name;
}

// The whole file; false when it cannot be read or holds nothing (an empty slot
// would count as free while its group still listed it).
bool readWholeFile(std::FILE* file, std::vector<std::uint8_t>& bytes) {
  const long size = fileSize(file);
  if (size <= 0 || static_cast<unsigned long>(size) > UINT32_MAX) return false;
  bytes.resize(static_cast<std::size_t>(size));
  return std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

void SoundSlot::clear() {
  bytes.clear();
  hash = 0;
  group = nullptr;
  holders = 0;
  name.clear();
}

int BspData::release() {
  if (--reference_count < 0) debug::writeErrorLog(kSource, 640, "rk::audio::BspData::release");
  return reference_count;
}

SoundSlot* AudioContext::findSoundFile(const char* name) {
  if (!name) return nullptr;
  const std::uint32_t hash = hashOf(name);
  for (SoundSlot& slot : slots_)
    if (!slot.isFree() && slot.hash == hash && slot.name == name) return &slot;
  return nullptr;
}

BspData* AudioContext::findBspData(const char* stored) {
  if (!stored) return nullptr;
  const std::uint32_t hash = hashOf(stored);
  for (BspData& group : groups_)
    if (!group.isFree() && group.hash == hash && group.name == stored) return &group;
  return nullptr;
}

void AudioContext::loadSEGroup(const char* groupName) {
  while (load_request_) {
    if (!running_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(kLoadPollMs));
  }
  postLoadRequest(groupName);
}

void AudioContext::processLoadRequest() {
  if (!load_request_) return;
  loadGroup(load_request_name_);
  // Cleared whatever the outcome, once the load is over.
  load_request_ = false;
}

void AudioContext::loadGroup(const std::string& requested) {
  const std::string stored = storedName(requested.c_str());
  if (BspData* loaded = findBspData(stored.c_str())) {
    ++loaded->reference_count;
    return;
  }
  File file(host::fs::open(stored, "rb"));
  if (!file) {
    showNotFound(requested);
    return;
  }
  BspData* group = nullptr;
  for (BspData& candidate : groups_)
    if (candidate.isFree()) {
      group = &candidate;
      break;
    }
  if (!group) {
    showError("BSPバッファが一杯です");
    return;
  }
  group->reference_count += 1;
  group->name = stored;
  group->hash = hashOf(stored.c_str());

  std::vector<std::uint8_t> content;
  const bool read = readContent(file.get(), content);
  file.reset();
  std::vector<const char*> names;
  const bool intact = listNames(content, names);
  if (!read || !intact) showError("「" + stored + "」のロードに失敗しました。");

  for (const char* name : names) {
    const std::string path = soundPath(sound_effect_root_, name);
    // A sound already held is read once and shared: this group holds it too,
    // so that it stays loaded until every group that lists it is released.
    if (SoundSlot* held = findSoundFile(path.c_str())) {
      if (std::find(group->sounds.begin(), group->sounds.end(), held) == group->sounds.end()) {
        ++held->holders;
        group->sounds.push_back(held);
      }
      continue;
    }
    SoundSlot* slot = nullptr;
    for (SoundSlot& candidate : slots_)
      if (candidate.isFree()) {
        slot = &candidate;
        break;
      }
    if (!slot) {
      debug::writeErrorLog(kSource, 720, "rk::audio::AudioContext::processLoadRequest");
      break;
    }
    File sound(host::fs::open(path, "rb"));
    if (!sound || !readWholeFile(sound.get(), slot->bytes)) {
      slot->clear();
      showNotFound(path);
      continue;
    }
    slot->name = path;
    slot->hash = hashOf(path.c_str());
    slot->group = group;
    slot->holders = 1;
    group->sounds.push_back(slot);
  }
}

bool AudioContext::releaseSoundEffectGroup(const char* groupName) {
  boost::lock_guard<boost::mutex> guard(lock_);
  BspData* group = findBspData(storedName(groupName).c_str());
  if (group && group->release() <= 0) freeGroup(*group);
  return true;
}

// A slot that another loaded group also lists stays. Players may still decode
// a freed slot's bytes in place, or hold statuses that would resume them: they
// are stopped before the bytes go.
void AudioContext::freeGroup(BspData& group) {
  for (SoundSlot* slot : group.sounds) {
    if (--slot->holders > 0) {
      if (slot->group == &group) {
        for (BspData& other : groups_)
          if (&other != &group && !other.isFree() &&
              std::find(other.sounds.begin(), other.sounds.end(), slot) != other.sounds.end()) {
            slot->group = &other;
            break;
          }
      }
      continue;
    }
    normal_.releaseSlot(slot);
    three_d_.releaseSlot(slot);
    system_.releaseSlot(slot);
    slot->clear();
  }
  group.sounds.clear();
  group.hash = 0;
  group.name.clear();
}

void AudioContext::getSoundEffectName(std::vector<std::string>& names, const char* groupName) {
  boost::lock_guard<boost::mutex> guard(lock_);
  const std::string stored = storedName(groupName);
  const std::uint32_t hash = hashOf(stored.c_str());
  for (const BspData& group : groups_) {
    if (group.isFree() || group.hash != hash || group.name != stored) continue;
    for (const SoundSlot& slot : slots_)
      if (!slot.isFree() && std::find(group.sounds.begin(), group.sounds.end(), &slot) != group.sounds.end())
        names.push_back(slot.name);
  }
}

}  // namespace rk::audio
