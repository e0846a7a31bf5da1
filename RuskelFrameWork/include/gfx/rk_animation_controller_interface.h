// Animation control as scene models and model roots offer it: looping, play,
// take changes with and without cross-fade, the per-frame step, pose
// application and time queries.
#pragma once

namespace rk::gfx {

class IAnimationControllerInterface {
 public:
  virtual ~IAnimationControllerInterface() = default;
  virtual void setLoopAnime(bool loop) = 0;
  virtual void setPlayAnime(int value) = 0;
  virtual void changeAnime(int take) = 0;
  virtual bool shiftAnime(int take, float blendSeconds) = 0;
  virtual void setStopAnime() = 0;
  virtual void setRestartAnime() = 0;
  virtual bool getAnimeID(int& take, const char* name) = 0;
  virtual void updateAnime(float seconds) = 0;
  virtual void applyPose() = 0;
  virtual bool isEndOfAnime() = 0;
  virtual float getNowAnimeTime() = 0;
  virtual void setNowAnimeTime(float time) = 0;
  virtual float getMaxAnimeTime() = 0;
  virtual int getAnimeTakeNum() = 0;
  virtual const char* getAnimeNameByNum(int index) = 0;
};

}  // namespace rk::gfx
