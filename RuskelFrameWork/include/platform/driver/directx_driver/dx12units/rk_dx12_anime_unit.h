// Key-frame animation: the takes of one model file (read once and shared by
// every model of that file), the per-model player and the cache unit.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/xmath.h"
#include "policy/rk_shared_object.h"
#include "res/rk_resource.h"

namespace rk::driver::directx::directx12 {

struct DX12AnimeKeyTime {
  virtual ~DX12AnimeKeyTime() = default;
  float time = 0.0f;
};
struct DX12AnimeKeyScale : DX12AnimeKeyTime {
  host::xmath::Vector value{1, 1, 1, 0};
};
struct DX12AnimeKeyQuat : DX12AnimeKeyTime {
  host::xmath::Vector value{0, 0, 0, 1};
};
struct DX12AnimeKeyPos : DX12AnimeKeyTime {
  host::xmath::Vector value{0, 0, 0, 0};
};

struct DX12AnimeFrameTrack {
  int nameHash = 0;
  std::string name;
  std::vector<DX12AnimeKeyPos> pos;
  std::vector<DX12AnimeKeyQuat> quat;
  std::vector<DX12AnimeKeyScale> scale;
};

class DX12AnimationData {
 public:
  virtual ~DX12AnimationData() = default;
  std::vector<DX12AnimeFrameTrack> tracks;
  float length = 0.0f;
};

class DX12ModelAnime : public policy::SharedObject {
 public:
  explicit DX12ModelAnime(res::ResourceData* resource) : resource_(resource) {}
  // Leaves the unit's map and lets go of the file.
  void destroy() override;

  bool getTakeIndexByName(const std::string& name, int& index) const;
  res::ResourceData* resource() const { return resource_.get(); }

  std::vector<std::pair<std::string, DX12AnimationData>> takes;

 private:
  res::ResourcePtr resource_;
};

struct DX12AnimeTrackState {
  const DX12AnimeFrameTrack* track = nullptr;
  int pos[2] = {0, 0};
  int quat[2] = {0, 0};
  int scale[2] = {0, 0};
};

class DX12AnimationController {
 public:
  // Takes one reference to `anime`.
  explicit DX12AnimationController(DX12ModelAnime* anime);
  ~DX12AnimationController();
  DX12AnimationController(const DX12AnimationController&) = delete;
  DX12AnimationController& operator=(const DX12AnimationController&) = delete;

  bool setTake(int index);
  bool changeTake(int index, float blendSeconds);
  void update(float seconds);
  // The animated local matrix of a node. A key list without keys contributes
  // the node's own value from `bind` (scale, rotation, position) when given,
  // else no scaling, no rotation or no translation.
  bool getNodeMatrix(const std::string& name, host::xmath::Matrix& out,
                     const host::xmath::Vector* bind = nullptr) const;

  void setPlaying() { playing_ = true; }
  bool isPlaying() const { return playing_; }
  bool isBlending() const { return blending_; }
  void setLoop(bool loop) { loop_ = loop; }
  bool getLoop() const { return loop_; }
  float getTime() const { return time_; }
  void setTime(float t);
  float getLength() const { return length_; }
  int getTake() const { return take_; }
  int getTakeCount() const;
  std::string getTakeName(int index) const;
  bool isEndOfTake() const;
  DX12ModelAnime* anime() const { return anime_; }

 private:
  bool validTake(int index) const;
  void buildStates(int index);

  DX12ModelAnime* anime_ = nullptr;
  bool blending_ = false;
  bool playing_ = false;
  bool loop_ = false;
  int take_ = 0;
  int previous_take_ = 0;
  std::vector<DX12AnimeTrackState> states_;
  std::vector<DX12AnimeTrackState> previous_states_;
  float time_ = 0.0f;
  float length_ = 0.0f;
  float previous_time_ = 0.0f;
  float previous_length_ = 0.0f;
  float blend_elapsed_ = 0.0f;
  float blend_duration_ = 0.0f;
};

class DX12AnimeUnit {
 public:
  static DX12AnimeUnit* createInstance();
  static DX12AnimeUnit* getInstance();
  static void destroyInstance();
  ~DX12AnimeUnit();

  // A new controller (the caller owns it) over the takes of `resource`, read
  // once per resource object; null when the file has no readable animation.
  DX12AnimationController* createAnimationController(res::ResourceData* resource);
  // Forgets a set on its last release.
  void remove(DX12ModelAnime* anime);
  std::size_t cached() const { return map_.size(); }

 private:
  std::multimap<int, DX12ModelAnime*> map_;
};

}  // namespace rk::driver::directx::directx12
