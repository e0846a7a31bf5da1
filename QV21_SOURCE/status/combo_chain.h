// The combo chain behind the combo gauge: every kill restarts a timer of
// combo_sec_ seconds and counts one more kill in the open chain; when the
// timer runs out the chain ends and each listener is paid for the kills beyond
// the first. The oldest chain's banner ("%3dChain" with the kills beyond the
// first) slides in, flashes between yellow and red for 2 s once the chain has
// ended, and slides out. Every kill also charges the X-field gauge.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <string>

#include "gfx/rk_color.h"
#include "math/rk_normal_rand.h"
#include "status/gauge_display.h"
#include "status/score_display.h"

namespace status {

class ComboChain {
 public:
  struct Entry {
    std::uint32_t count = 0;  // kills in the chain, at most 999
    float slide = 0.0f;       // 0..1, how far the banner has slid in
    bool text_dirty = true;
    float shown_time = 0.0f;
    bool ended = false;       // over and paid
    float flash_time = 0.0f;
    rk::gfx::Color colour{1.0f, 1.0f, 0.0f, 1.0f};
    int state = 0;            // 0 sliding in, 1 shown, 2 flashing, 3 sliding out
  };

  // What the banner shows after a step.
  struct Banner {
    std::string text = "999Chain";
    std::uint32_t text_colour = 0xFFFFFF00;  // packed ARGB, opaque yellow
    float x = 8.0f, y = 2.5f;                // hidden position
  };

  static constexpr std::uint32_t kMaxCount = 999;
  static constexpr float kEpsilon = 1.1920929e-7f;

  // The X-field gauge that kills charge; none by default.
  std::function<XFieldValue*()> xField;

  void addCombo();
  void keepCombo();
  void endCombo();
  // One frame: the timer runs down, the oldest entry moves, the gauge shows the
  // time left and the banner its place.
  void step(float dt);

  // combo_sec_ and the gauge's maximum.
  void setComboSec(float seconds);
  bool isComboEnd() const { return timer_ < kEpsilon; }

  void addListener(INotifyComboEnd* listener) { listeners_.push_back(listener); }
  // The first entry equal to the listener, if any.
  void removeListener(INotifyComboEnd* listener);

  float timer_ = 0.0f;
  float combo_sec_ = 4.0f;
  rk::math::NormalRand rand_{1};
  std::list<Entry> entries_;
  std::list<INotifyComboEnd*> listeners_;
  std::uint32_t count_max_ = 0;
  GaugeValue gauge_{100.0f, 100.0f, {0.0f, 1.0f, 0.0f, 1.0f}, 3};  // remaining chain time
  Banner banner_;

 private:
  void pushCombo(std::uint32_t count);
};

// The X-field gain of a kill that makes a chain of n: 2^(n / 4), at most 30.
float comboGain(std::uint32_t n);

}  // namespace status
