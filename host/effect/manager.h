// The effect manager: plays loaded effects as instances, each reached by an
// integer handle, and advances their particles. Everything runs on the CPU;
// the renderer (host/effect/renderer.h) turns the live particles into quads.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/effect/format.h"

namespace host::effect {

// One loaded effect file. Shared by every instance that plays it, so an effect
// may be released while its instances run on.
class Effect {
 public:
  // Null with `error` set when the bytes are not a valid effect file.
  static std::shared_ptr<const Effect> create(const std::uint8_t* data, std::size_t size, std::string* error);
  explicit Effect(EffectDesc desc) : desc_(std::move(desc)) {}
  const EffectDesc& desc() const { return desc_; }

 private:
  EffectDesc desc_;
};

using Handle = std::int32_t;
constexpr Handle kNoHandle = -1;

// One quad as the renderer needs it: world position, edge length and colour.
struct Sprite {
  float position[3];
  float size;
  float colour[4];
};
// The sprites of one emitter of one instance, which share texture and blend.
struct SpriteBatch {
  std::uint32_t texture = kTextureSolid;
  bool additive = false;
  std::vector<Sprite> sprites;
};

class Manager {
 public:
  // At most `maxInstances` instances live at once (at least one).
  explicit Manager(int maxInstances);
  ~Manager();
  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // Starts an instance at the position; kNoHandle without an effect or when
  // the instance limit is reached.
  Handle play(const std::shared_ptr<const Effect>& effect, float x, float y, float z);
  // True while the instance runs (it ends by itself once its emitters are
  // done and its last particle has died, or through stop).
  bool exists(Handle handle) const;
  // Ends the instance at once, with its particles.
  void stop(Handle handle);
  // Stops spawning; the particles alive live out their lifetimes.
  void stopRoot(Handle handle);
  void stopAll();

  // Transform: location, rotation (radians about x, then y, then z) and
  // scale, or a whole 4x3 matrix (rows 0-2 rotation and scale, row 3
  // translation; row vectors). Setting location, rotation or scale rebuilds
  // the matrix from the three parts.
  void setLocation(Handle handle, float x, float y, float z);
  void setRotation(Handle handle, float x, float y, float z);
  void setScale(Handle handle, float x, float y, float z);
  void setMatrix(Handle handle, const float matrix[4][3]);
  // Multiplies every particle's colour.
  void setColour(Handle handle, float r, float g, float b, float a);
  // Time factor of the instance (1: normal; 0 holds it).
  void setSpeed(Handle handle, float speed);
  void setPaused(Handle handle, bool paused);
  // A hidden instance keeps running but draws nothing.
  void setShown(Handle handle, bool shown);

  // Advances every instance by `frames` frames of 1/60 s.
  void update(float frames);

  // What the instance is doing; false/zero for a handle that does not exist.
  bool isShown(Handle handle) const;
  bool isPaused(Handle handle) const;
  float speed(Handle handle) const;
  float time(Handle handle) const;  // frames it has run
  int particleCount(Handle handle) const;
  bool matrix(Handle handle, float out[4][3]) const;
  bool colour(Handle handle, float out[4]) const;
  int instanceCount() const { return static_cast<int>(instances_.size()); }
  int maxInstances() const { return max_instances_; }

  // The shown instances' live particles in world space, one batch per
  // emitter that has any, in play order.
  void collectSprites(std::vector<SpriteBatch>& batches) const;

 private:
  struct Instance;
  Instance* find(Handle handle);
  const Instance* find(Handle handle) const;
  float random();  // 0..1
  float spread();  // -1..1
  void spawn(Instance& instance, std::size_t emitter, std::uint32_t count);
  bool advance(Instance& instance, float frames);  // false once it has ended

  int max_instances_;
  Handle next_handle_ = 0;
  std::uint32_t seed_ = 0x2545F491u;
  std::map<Handle, std::unique_ptr<Instance>> instances_;
};

}  // namespace host::effect
