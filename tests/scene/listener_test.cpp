// The frame update points the audio listener at the listener camera: a 3D
// sound's side follows the camera's view, heard in the mixer's two channels.
#include <vector>

#include "audio_players/audio_players_support.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_frame_loop.h"
#include "scene/scene_rig.h"

namespace {

using Guard = boost::lock_guard<boost::mutex>;

class Listener : public scenetest::SceneRig {
 protected:
  void SetUp() override {
    SceneRig::SetUp();
    old_width = rk::DeviceContext::getInstance()->screenWidth();
    old_height = rk::DeviceContext::getInstance()->screenHeight();
    rk::DeviceContext::getInstance()->setScreenSize(1280, 720);
    rktest::fillSlot(audio.context(), 0, "se/long.ogg", rktest::toneOgg(88200));
  }
  void TearDown() override {
    audio.context()->setListenerCameraNumber(0);
    audio.context()->setListenerMatrix(rk::math::matrixIdentity());
    SceneRig::TearDown();
    rk::DeviceContext::getInstance()->setScreenSize(old_width, old_height);
  }
  // Left and right peaks of the next stretch of the mix.
  std::pair<float, float> levels() {
    audio.tick();
    std::vector<float> mix = audio.render(4410);
    float left = 0.0f, right = 0.0f;
    for (std::size_t i = 0; i + 1 < mix.size(); i += 2) {
      left = std::max(left, std::abs(mix[i]));
      right = std::max(right, std::abs(mix[i + 1]));
    }
    return {left, right};
  }
  float pan(int index) {
    Guard guard(audio.context()->lock());
    return audio.context()->soundEffects3D().output(index)->pan();
  }
  rktest::ManualAudio audio;
  unsigned old_width = 0, old_height = 0;
};

TEST_F(Listener, ASoundBesideTheListenerCameraPansToItsSideAndFollowsTheTurn) {
  rk::gfx::Camera* camera = cameras->createCamera(2);
  // The default camera looks along -z from (0, 0, 10): world -x is on its right,
  // where the identity listener would put it on the left.
  audio.context()->setListenerCameraNumber(2);
  const int index = audio.context()->playOneShot3DSoundEffect("se/long.ogg", {-5, 0, 0, 0}, 1.0f, true);
  ASSERT_GE(index, 0);

  rk::updateFramework(1.0f / 60.0f);
  levels();
  auto [left, right] = levels();
  EXPECT_GT(pan(index), 0.2f);
  EXPECT_GT(right, 1.5f * left) << left << " " << right;

  // Half a turn about the target: the camera looks along +z and the sound is on its left.
  camera->rotateEuler(0.0f, 3.1415927f, 0.0f);
  rk::updateFramework(1.0f / 60.0f);
  levels();
  std::tie(left, right) = levels();
  EXPECT_LT(pan(index), -0.2f);
  EXPECT_GT(left, 1.5f * right) << left << " " << right;

  // Without the listener camera the listener falls back to the identity: the
  // pan is the world x again.
  audio.context()->setListenerCameraNumber(9);
  rk::updateFramework(1.0f / 60.0f);
  levels();
  EXPECT_FLOAT_EQ(pan(index), -1.0f);
  rk::math::Matrix identity = rk::math::matrixIdentity();
  rk::math::Matrix now = audio.context()->listenerMatrix();
  EXPECT_EQ(std::memcmp(&now, &identity, sizeof now), 0);
}

}  // namespace
