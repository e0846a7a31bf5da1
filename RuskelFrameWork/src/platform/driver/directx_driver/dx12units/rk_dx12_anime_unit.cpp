#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"

namespace rk::driver::directx::directx12 {

namespace xm = host::xmath;

namespace {
constexpr const char* kSource = "src/platform/driver/directx_driver/dx12units/rk_dx12_anime_unit";
const SingletonReport kReport{kSource, "rk::driver::directx::directx12::DX12AnimeUnit", 40, 48, 56};
constexpr const char* kCreate = "rk::driver::directx::directx12::DX12AnimeUnit::createAnimationController";
constexpr const char* kCheckTag = "rk::driver::directx::directx12::DX12AnimeUnit::Impl::checkTag";
constexpr const char* kNodeMatrix = "rk::driver::directx::directx12::DX12AnimationController::getNodeMatrix";

void report(int line, const char* text) { debug::writeErrorLog(kSource, line, text); }

void checkTag(ModelReader& r, const char* tag) {
  if (!r.isString(tag)) report(90, kCheckTag);
  r.advanceString();
  r.advance16byte();
}

// Reads one key list into `keys`. The count is checked against the bytes left
// so a damaged count never reads past the data; returns false on such damage.
template <class Key>
bool readKeys(ModelReader& r, const char* tag, int components, float rate, std::vector<Key>& keys) {
  checkTag(r, tag);
  const std::uint32_t n = r.readDWORD();
  const std::uint32_t record = std::uint32_t(components + 1) * 4;
  if (r.overrun() || n > r.remaining() / record) {
    report(100, kCreate);
    return false;
  }
  keys.resize(n);
  float previous = -FLT_MAX;
  bool ordered = true;
  for (Key& k : keys) {
    float f[5] = {0, 0, 0, 0, 0};
    std::memcpy(f, r.data() + r.cursor(), record);
    r.advanceByte(record);
    float* v = &k.value.x;
    for (int c = 0; c < components; ++c) v[c] = f[c];
    k.time = f[components] / rate;
    if (!(k.time >= previous)) ordered = false;  // also catches NaN
    previous = k.time;
  }
  // Out-of-order keys are reported and kept: the search stays within the list.
  if (!ordered) report(116, kCreate);
  r.advance16byte();
  return true;
}

// The value of one key list at t, or `fallback` for an empty list.
template <class Key>
xm::Vector evaluateList(const std::vector<Key>& keys, const int pair[2], float t, xm::Vector fallback, bool slerp) {
  const int n = int(keys.size());
  if (n == 0) return fallback;
  const int i0 = std::clamp(pair[0], 0, n - 1), i1 = std::clamp(pair[1], 0, n - 1);
  if (i0 == i1) return keys[i0].value;
  const float d = keys[i1].time - keys[i0].time;
  const float r = std::fabs(d) < FLT_EPSILON ? 1.0f : (t - keys[i0].time) / d;
  if (slerp) return xm::quaternionSlerp(keys[i0].value, keys[i1].value, r);
  const xm::Vector& a = keys[i0].value;
  const xm::Vector& b = keys[i1].value;
  return {a.x + r * (b.x - a.x), a.y + r * (b.y - a.y), a.z + r * (b.z - a.z), a.w + r * (b.w - a.w)};
}

template <class Key>
void searchList(const std::vector<Key>& keys, float t, int pair[2]) {
  const int n = int(keys.size());
  pair[0] = pair[1] = 0;
  if (n < 2) return;
  for (int k = 1; k < n; ++k)
    if (keys[k - 1].time <= t && t <= keys[k].time) {
      pair[0] = k - 1, pair[1] = k;
      return;
    }
  if (!(t <= keys[0].time)) pair[0] = pair[1] = n - 1;
}

void search(DX12AnimeTrackState& s, float t) {
  if (!s.track) return;
  searchList(s.track->pos, t, s.pos);
  searchList(s.track->quat, t, s.quat);
  searchList(s.track->scale, t, s.scale);
}

struct Pose {
  xm::Vector s, q, p;
};

const xm::Vector kNoPose[3] = {{1, 1, 1, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}};

Pose evaluate(const DX12AnimeTrackState& s, float t, const xm::Vector* bind) {
  const DX12AnimeFrameTrack& tr = *s.track;
  return {evaluateList(tr.scale, s.scale, t, bind[0], false), evaluateList(tr.quat, s.quat, t, bind[1], true),
          evaluateList(tr.pos, s.pos, t, bind[2], false)};
}

const DX12AnimeTrackState* findState(const std::vector<DX12AnimeTrackState>& states, int hash,
                                     const std::string& name) {
  for (const DX12AnimeTrackState& s : states)
    if (s.track && s.track->nameHash == hash && s.track->name == name) return &s;
  return nullptr;
}

xm::Vector lerp(const xm::Vector& a, const xm::Vector& b, float w) {
  return {a.x + w * (b.x - a.x), a.y + w * (b.y - a.y), a.z + w * (b.z - a.z), a.w + w * (b.w - a.w)};
}

// Reads the takes of the file; null when the data are damaged beyond reading.
DX12ModelAnime* readAnime(res::ResourceData* resource) {
  ModelReader r(resource);
  if (!r.isString("EX-FILE")) {
    report(150, kCreate);
    return nullptr;
  }
  r.advanceString();
  r.advance16byte();
  r.advanceDWORD();
  const std::uint32_t offset = r.readDWORD();
  if (offset > r.size() || offset < r.cursor()) {
    report(157, "rk::res::ResourceReader::seek");
    return nullptr;
  }
  r.advanceByte(offset - r.cursor());  // the offset lies beyond the header words
  checkTag(r, "ANIME-START");
  auto* anime = new DX12ModelAnime(resource);
  const std::uint32_t takes = r.readDWORD();
  r.advance16byte();
  bool ok = !r.overrun();
  for (std::uint32_t t = 0; ok && t < takes; ++t) {
    if (!r.isString("TAKE")) report(167, kCreate);
    r.advanceString();
    std::string name = r.string();
    r.advanceString();
    r.advance16byte();
    double rate64 = 0;
    if (r.remaining() >= 8) std::memcpy(&rate64, r.data() + r.cursor(), 8);
    r.advanceByte(16);
    float rate = float(rate64);
    if (!(rate > 0.0f) || !std::isfinite(rate)) {
      // A take without a key rate would divide by zero: its frames count as seconds.
      report(176, kCreate);
      rate = 1.0f;
    }
    const std::uint32_t tracks = r.readDWORD();
    r.advance16byte();
    // A track needs at least its tags, so a count above the bytes left is damage.
    if (r.overrun() || tracks > r.remaining() / 16) {
      report(182, kCreate);
      ok = false;
      break;
    }
    DX12AnimationData data;
    for (std::uint32_t k = 0; ok && k < tracks; ++k) {
      DX12AnimeFrameTrack track;
      if (!r.isString("F-ANIME")) report(189, kCreate);
      r.advanceString();
      track.name = r.string();
      track.nameHash = res::nameKey(track.name);
      r.advanceString();
      r.advance16byte();
      ok = readKeys(r, "SCALE", 3, rate, track.scale) && readKeys(r, "QUAT", 4, rate, track.quat) &&
           readKeys(r, "POS", 3, rate, track.pos);
      if (!ok) break;
      if (!track.scale.empty()) data.length = std::max(data.length, track.scale.back().time);
      if (!track.quat.empty()) data.length = std::max(data.length, track.quat.back().time);
      if (!track.pos.empty()) data.length = std::max(data.length, track.pos.back().time);
      if (!r.isString("F-ANIME-END")) report(201, kCreate);
      r.advanceString();
      if (r.string() != track.name) report(203, kCreate);
      r.advanceString();
      r.advance16byte();
      data.tracks.push_back(std::move(track));
    }
    if (!ok) break;
    if (!r.isString("TAKE-END")) report(209, kCreate);
    r.advanceString();
    if (r.string() != name) report(211, kCreate);
    r.advanceString();
    r.advance16byte();
    anime->takes.emplace_back(std::move(name), std::move(data));
  }
  // A short tail (a missing last pad) was already reported by the cursor; only
  // key data that could not be read makes the whole set unusable.
  if (!ok) {
    anime->addRef();
    anime->release(kSource, 219);  // not yet in the map: deletes it and lets go of the file
    return nullptr;
  }
  return anime;
}
}  // namespace

void DX12ModelAnime::destroy() {
  if (singletonExists(InstanceSlot::AnimeUnit)) DX12AnimeUnit::getInstance()->remove(this);
  resource_.reset();
}

bool DX12ModelAnime::getTakeIndexByName(const std::string& name, int& index) const {
  for (std::size_t i = 0; i < takes.size(); ++i)
    if (takes[i].first == name) {
      index = int(i);
      return true;
    }
  report(240, "rk::driver::directx::directx12::DX12ModelAnime::getTakeIndexByName");
  return false;
}

DX12AnimationController::DX12AnimationController(DX12ModelAnime* anime) : anime_(anime) {
  if (anime_) anime_->addRef();
}

DX12AnimationController::~DX12AnimationController() {
  if (anime_) anime_->release(kSource, 250);
}

bool DX12AnimationController::validTake(int index) const {
  return anime_ && index >= 0 && std::size_t(index) < anime_->takes.size();
}

void DX12AnimationController::buildStates(int index) {
  states_.clear();
  for (const DX12AnimeFrameTrack& t : anime_->takes[index].second.tracks) {
    DX12AnimeTrackState s;
    s.track = &t;
    states_.push_back(s);
  }
}

bool DX12AnimationController::setTake(int index) {
  if (!validTake(index)) return false;
  time_ = 0;
  take_ = previous_take_ = index;
  length_ = anime_->takes[index].second.length;
  blending_ = false;
  playing_ = true;
  previous_states_.clear();
  buildStates(index);
  return true;
}

bool DX12AnimationController::changeTake(int index, float blendSeconds) {
  if (!validTake(index)) return false;
  previous_take_ = take_;
  take_ = index;
  previous_states_ = states_;
  previous_time_ = time_;
  previous_length_ = length_;
  blending_ = !previous_states_.empty();
  playing_ = true;
  time_ = 0;
  length_ = anime_->takes[index].second.length;
  blend_elapsed_ = 0;
  blend_duration_ = blendSeconds;
  buildStates(index);
  return true;
}

void DX12AnimationController::update(float seconds) {
  if (!playing_) return;
  for (DX12AnimeTrackState& s : states_) search(s, time_);
  if (blending_) {
    for (DX12AnimeTrackState& s : previous_states_) search(s, previous_time_);
    previous_time_ = std::min(previous_time_ + seconds, previous_length_);
    blend_elapsed_ += seconds;
    if (blend_elapsed_ >= blend_duration_) blending_ = false;
  }
  time_ += seconds;
  if (loop_) {
    if (time_ >= length_) time_ -= length_;
  } else {
    time_ = std::min(time_, length_);
  }
}

bool DX12AnimationController::getNodeMatrix(const std::string& name, xm::Matrix& out, const xm::Vector* bind) const {
  if (!bind) bind = kNoPose;
  if (!anime_) {
    report(310, kNodeMatrix);
    return false;
  }
  if (!validTake(take_)) return false;
  const int hash = res::nameKey(name);
  const DX12AnimeTrackState* cur = findState(states_, hash, name);
  if (!cur) {
    const auto& tracks = anime_->takes[take_].second.tracks;
    const bool carried = std::any_of(tracks.begin(), tracks.end(),
                                     [&](const DX12AnimeFrameTrack& t) { return t.nameHash == hash && t.name == name; });
    if (carried) report(320, kNodeMatrix);  // a track without a state: setTake never ran
    return false;
  }
  Pose pose = evaluate(*cur, time_, bind);
  // A node the faded-out take did not animate shows the new take alone.
  const DX12AnimeTrackState* prev = blending_ ? findState(previous_states_, hash, name) : nullptr;
  if (prev) {
    const Pose from = evaluate(*prev, previous_time_, bind);
    const float w = blend_duration_ > 0 ? std::clamp(blend_elapsed_ / blend_duration_, 0.0f, 1.0f) : 1.0f;
    pose.s = lerp(from.s, pose.s, w);
    pose.p = lerp(from.p, pose.p, w);
    pose.q = xm::quaternionSlerp(from.q, pose.q, w);
  }
  out = xm::matrixMultiply(xm::matrixMultiply(xm::matrixScaling(pose.s.x, pose.s.y, pose.s.z),
                                              xm::matrixRotationQuaternion(pose.q)),
                           xm::matrixTranslation(pose.p.x, pose.p.y, pose.p.z));
  return true;
}

void DX12AnimationController::setTime(float t) {
  time_ = t;
  if (loop_) {
    // A take without length has no position to wrap to.
    const float turns = length_ > 0 ? t / length_ : 0.0f;
    time_ = (turns - std::trunc(turns)) * length_;
  } else {
    time_ = std::clamp(t, 0.0f, std::max(length_, 0.0f));
  }
}

int DX12AnimationController::getTakeCount() const { return anime_ ? int(anime_->takes.size()) : 0; }

std::string DX12AnimationController::getTakeName(int index) const {
  return validTake(index) ? anime_->takes[index].first : std::string("none");
}

bool DX12AnimationController::isEndOfTake() const {
  if (!playing_) return true;
  if (loop_) return false;
  return time_ >= length_;
}

DX12AnimeUnit* DX12AnimeUnit::createInstance() { return singletonCreate<DX12AnimeUnit>(InstanceSlot::AnimeUnit, kReport); }
DX12AnimeUnit* DX12AnimeUnit::getInstance() { return singletonGet<DX12AnimeUnit>(InstanceSlot::AnimeUnit, kReport); }
void DX12AnimeUnit::destroyInstance() { singletonDestroy<DX12AnimeUnit>(InstanceSlot::AnimeUnit, kReport); }

DX12AnimeUnit::~DX12AnimeUnit() {
  // The entries are not references: the controllers that hold the sets still own them.
  if (!map_.empty()) report(380, "rk::driver::directx::directx12::DX12AnimeUnit::~DX12AnimeUnit");
  map_.clear();
}

void DX12AnimeUnit::remove(DX12ModelAnime* anime) {
  for (auto it = map_.begin(); it != map_.end(); ++it)
    if (it->second == anime) {
      map_.erase(it);
      return;
    }
}

DX12AnimationController* DX12AnimeUnit::createAnimationController(res::ResourceData* resource) {
  if (!resource) {
    report(395, kCreate);
    return nullptr;
  }
  const int hash = res::nameKey(resource->name());
  auto range = map_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second->resource() == resource) {
      auto* c = new DX12AnimationController(it->second);
      c->setTake(0);
      return c;
    }
  DX12ModelAnime* anime = readAnime(resource);
  if (!anime) return nullptr;
  auto* c = new DX12AnimationController(anime);
  c->setTake(0);
  map_.emplace(hash, anime);
  return c;
}

}  // namespace rk::driver::directx::directx12
