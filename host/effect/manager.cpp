#include "host/effect/manager.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host::effect {

namespace {

struct Particle {
  float position[3];  // in the instance's own space
  float velocity[3];
  float age;
  float life;
};

struct EmitterState {
  bool started = false;   // the burst has been spawned
  float carry = 0.0f;     // fraction of a particle owed by the rate
  std::vector<Particle> particles;
};

}  // namespace

struct Manager::Instance {
  std::shared_ptr<const Effect> effect;
  std::vector<EmitterState> emitters;
  float time = 0.0f;
  float location[3] = {0, 0, 0};
  float rotation[3] = {0, 0, 0};
  float scale[3] = {1, 1, 1};
  float matrix[4][3];
  float colour[4] = {1, 1, 1, 1};
  float speed = 1.0f;
  bool paused = false;
  bool shown = true;
  bool rootStopped = false;

  // matrix := scale, then rotation about x, y and z, then the location.
  void rebuild() {
    const float cx = std::cos(rotation[0]), sx = std::sin(rotation[0]);
    const float cy = std::cos(rotation[1]), sy = std::sin(rotation[1]);
    const float cz = std::cos(rotation[2]), sz = std::sin(rotation[2]);
    // Rx * Ry * Rz for row vectors.
    const float r[3][3] = {
        {cy * cz, cy * sz, -sy},
        {sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy},
        {cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy},
    };
    for (int row = 0; row < 3; ++row)
      for (int c = 0; c < 3; ++c) matrix[row][c] = scale[row] * r[row][c];
    for (int c = 0; c < 3; ++c) matrix[3][c] = location[c];
  }
};

std::shared_ptr<const Effect> Effect::create(const std::uint8_t* data, std::size_t size, std::string* error) {
  EffectDesc desc;
  if (!readEffect(data, size, &desc, error)) return nullptr;
  return std::make_shared<const Effect>(std::move(desc));
}

Manager::Manager(int maxInstances) : max_instances_(std::max(1, maxInstances)) {}

Manager::~Manager() = default;

Manager::Instance* Manager::find(Handle handle) {
  auto it = instances_.find(handle);
  return it == instances_.end() ? nullptr : it->second.get();
}

const Manager::Instance* Manager::find(Handle handle) const {
  auto it = instances_.find(handle);
  return it == instances_.end() ? nullptr : it->second.get();
}

float Manager::random() {
  seed_ = seed_ * 1664525u + 1013904223u;
  return static_cast<float>(seed_ >> 8) / 16777216.0f;
}

float Manager::spread() { return random() * 2.0f - 1.0f; }

Handle Manager::play(const std::shared_ptr<const Effect>& effect, float x, float y, float z) {
  if (!effect || instanceCount() >= max_instances_) return kNoHandle;
  auto instance = std::make_unique<Instance>();
  instance->effect = effect;
  instance->emitters.resize(effect->desc().emitters.size());
  instance->location[0] = x;
  instance->location[1] = y;
  instance->location[2] = z;
  instance->rebuild();
  // Handles are never negative; after the largest they start again at 0,
  // skipping any still in use.
  while (instances_.count(next_handle_)) next_handle_ = next_handle_ == std::numeric_limits<Handle>::max() ? 0 : next_handle_ + 1;
  const Handle handle = next_handle_;
  next_handle_ = next_handle_ == std::numeric_limits<Handle>::max() ? 0 : next_handle_ + 1;
  instances_[handle] = std::move(instance);
  return handle;
}

bool Manager::exists(Handle handle) const { return find(handle) != nullptr; }

void Manager::stop(Handle handle) { instances_.erase(handle); }

void Manager::stopRoot(Handle handle) {
  if (Instance* i = find(handle)) i->rootStopped = true;
}

void Manager::stopAll() { instances_.clear(); }

void Manager::setLocation(Handle handle, float x, float y, float z) {
  if (Instance* i = find(handle)) {
    i->location[0] = x, i->location[1] = y, i->location[2] = z;
    i->rebuild();
  }
}

void Manager::setRotation(Handle handle, float x, float y, float z) {
  if (Instance* i = find(handle)) {
    i->rotation[0] = x, i->rotation[1] = y, i->rotation[2] = z;
    i->rebuild();
  }
}

void Manager::setScale(Handle handle, float x, float y, float z) {
  if (Instance* i = find(handle)) {
    i->scale[0] = x, i->scale[1] = y, i->scale[2] = z;
    i->rebuild();
  }
}

void Manager::setMatrix(Handle handle, const float matrix[4][3]) {
  Instance* i = find(handle);
  if (!i) return;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) i->matrix[r][c] = matrix[r][c];
  for (int c = 0; c < 3; ++c) i->location[c] = matrix[3][c];
}

void Manager::setColour(Handle handle, float r, float g, float b, float a) {
  if (Instance* i = find(handle)) i->colour[0] = r, i->colour[1] = g, i->colour[2] = b, i->colour[3] = a;
}

void Manager::setSpeed(Handle handle, float speed) {
  if (Instance* i = find(handle)) i->speed = std::isfinite(speed) ? std::max(0.0f, speed) : 0.0f;
}

void Manager::setPaused(Handle handle, bool paused) {
  if (Instance* i = find(handle)) i->paused = paused;
}

void Manager::setShown(Handle handle, bool shown) {
  if (Instance* i = find(handle)) i->shown = shown;
}

bool Manager::isShown(Handle handle) const {
  const Instance* i = find(handle);
  return i && i->shown;
}
bool Manager::isPaused(Handle handle) const {
  const Instance* i = find(handle);
  return i && i->paused;
}
float Manager::speed(Handle handle) const {
  const Instance* i = find(handle);
  return i ? i->speed : 0.0f;
}
float Manager::time(Handle handle) const {
  const Instance* i = find(handle);
  return i ? i->time : 0.0f;
}
int Manager::particleCount(Handle handle) const {
  const Instance* i = find(handle);
  if (!i) return 0;
  std::size_t n = 0;
  for (const EmitterState& e : i->emitters) n += e.particles.size();
  return static_cast<int>(n);
}
bool Manager::matrix(Handle handle, float out[4][3]) const {
  const Instance* i = find(handle);
  if (!i) return false;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) out[r][c] = i->matrix[r][c];
  return true;
}
bool Manager::colour(Handle handle, float out[4]) const {
  const Instance* i = find(handle);
  if (!i) return false;
  for (int c = 0; c < 4; ++c) out[c] = i->colour[c];
  return true;
}

void Manager::spawn(Instance& instance, std::size_t index, std::uint32_t count) {
  const EmitterDesc& d = instance.effect->desc().emitters[index];
  std::vector<Particle>& particles = instance.emitters[index].particles;
  const std::size_t room = particles.size() < kMaxParticles ? kMaxParticles - particles.size() : 0;
  if (count > room) count = static_cast<std::uint32_t>(room);
  for (std::uint32_t n = 0; n < count; ++n) {
    Particle p;
    // A point in the ball: a random direction and a cube-root spread radius.
    float dir[3] = {spread(), spread(), spread()};
    const float length = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    const float reach = length > 1e-6f ? d.radius * std::cbrt(random()) / length : 0.0f;
    for (int c = 0; c < 3; ++c) {
      p.position[c] = dir[c] * reach;
      p.velocity[c] = d.velocity[c] + d.velocitySpread[c] * spread();
    }
    p.age = 0.0f;
    p.life = std::max(1.0f, d.life + d.lifeSpread * spread());
    particles.push_back(p);
  }
}

bool Manager::advance(Instance& instance, float frames) {
  const auto& descs = instance.effect->desc().emitters;
  const float start = instance.time, end = instance.time + frames;
  bool running = false;
  for (std::size_t k = 0; k < descs.size(); ++k) {
    const EmitterDesc& d = descs[k];
    EmitterState& state = instance.emitters[k];
    // Age and move what lives; drop what has reached its lifetime.
    for (Particle& p : state.particles) {
      for (int c = 0; c < 3; ++c) {
        p.velocity[c] += d.acceleration[c] * frames;
        p.position[c] += p.velocity[c] * frames;
      }
      p.age += frames;
    }
    state.particles.erase(std::remove_if(state.particles.begin(), state.particles.end(),
                                         [](const Particle& p) { return p.age >= p.life; }),
                          state.particles.end());
    if (!instance.rootStopped) {
      if (!state.started && end >= d.delayFrames) {
        state.started = true;
        spawn(instance, k, d.burst);
      }
      // The part of this step that falls inside the emitting window.
      const float from = std::max(start, d.delayFrames), to = std::min(end, d.delayFrames + d.emitFrames);
      if (to > from && d.rate > 0.0f) {
        state.carry += (to - from) * d.rate;
        const float whole = std::floor(state.carry);
        state.carry -= whole;
        spawn(instance, k, static_cast<std::uint32_t>(std::min(whole, float(kMaxBurst))));
      }
      if (!state.started || end < d.delayFrames + d.emitFrames) running = true;
    }
    if (!state.particles.empty()) running = true;
  }
  instance.time = end;
  return running;
}

void Manager::update(float frames) {
  if (!(frames > 0.0f) || !std::isfinite(frames)) return;
  for (auto it = instances_.begin(); it != instances_.end();) {
    Instance& instance = *it->second;
    const float step = instance.paused ? 0.0f : frames * instance.speed;
    if (step > 0.0f && !advance(instance, step)) {
      it = instances_.erase(it);
      continue;
    }
    ++it;
  }
}

void Manager::collectSprites(std::vector<SpriteBatch>& batches) const {
  for (const auto& entry : instances_) {
    const Instance& i = *entry.second;
    if (!i.shown) continue;
    const auto& descs = i.effect->desc().emitters;
    // Sizes follow the mean length of the matrix's three axes.
    float axes = 0.0f;
    for (int r = 0; r < 3; ++r)
      axes += std::sqrt(i.matrix[r][0] * i.matrix[r][0] + i.matrix[r][1] * i.matrix[r][1] +
                        i.matrix[r][2] * i.matrix[r][2]);
    const float sizeScale = axes / 3.0f;
    for (std::size_t k = 0; k < descs.size(); ++k) {
      const EmitterDesc& d = descs[k];
      const std::vector<Particle>& particles = i.emitters[k].particles;
      if (particles.empty()) continue;
      SpriteBatch batch;
      batch.texture = d.texture;
      batch.additive = (d.flags & kFlagAdditive) != 0;
      batch.sprites.reserve(particles.size());
      for (const Particle& p : particles) {
        const float t = std::min(1.0f, p.age / p.life);
        Sprite s;
        for (int c = 0; c < 3; ++c)
          s.position[c] = p.position[0] * i.matrix[0][c] + p.position[1] * i.matrix[1][c] +
                          p.position[2] * i.matrix[2][c] + i.matrix[3][c];
        s.size = (d.sizeStart + (d.sizeEnd - d.sizeStart) * t) * sizeScale;
        for (int c = 0; c < 4; ++c)
          s.colour[c] = (d.colourStart[c] + (d.colourEnd[c] - d.colourStart[c]) * t) * i.colour[c];
        batch.sprites.push_back(s);
      }
      batches.push_back(std::move(batch));
    }
  }
}

}  // namespace host::effect
