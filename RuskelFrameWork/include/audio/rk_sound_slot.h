// Sound files held in memory for the sound-effect players, and the sound groups
// (".bsp" files) that loaded them. A slot is free exactly when it holds no bytes;
// a group is free exactly when its name is empty. Used under the audio lock only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace rk::audio {

struct BspData;

struct SoundSlot {
  std::uint32_t hash = 0;  // res::nameKey of the name
  BspData* group = nullptr;         // a loaded group that lists the slot (the first one)
  int holders = 0;                  // loaded groups that list the slot
  std::string name;                 // the path the file was read from
  std::vector<std::uint8_t> bytes;  // the whole Ogg file

  bool isFree() const { return bytes.empty(); }
  // Frees the slot; the bytes keep their capacity for the next load.
  void clear();
};

struct BspData {
  std::uint32_t hash = 0;
  int reference_count = 0;  // loads minus releases
  std::string name;         // the stored file name (".bpa")
  std::vector<SoundSlot*> sounds;  // the slots this group lists, in load order (shared ones too)

  bool isFree() const { return name.empty(); }
  // Drops one reference and returns what is left; going below zero is reported.
  int release();
};

}  // namespace rk::audio
