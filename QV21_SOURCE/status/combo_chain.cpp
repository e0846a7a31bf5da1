#include "status/combo_chain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace status {

namespace {

std::uint32_t packArgb(const rk::gfx::Color& c) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(v * 255.0f); };
  return byte(c.getA()) << 24 | byte(c.getR()) << 16 | byte(c.getG()) << 8 | byte(c.getB());
}

}  // namespace

float comboGain(std::uint32_t n) { return std::min(std::pow(2.0f, static_cast<float>(n) * 0.25f), 30.0f); }

void ComboChain::pushCombo(std::uint32_t count) {
  if (count == 0) return;
  if (!entries_.empty() && !entries_.back().ended && entries_.back().count < count) {
    Entry& e = entries_.back();
    e.text_dirty = true;
    e.shown_time = 0.0f;
    e.count = std::min(count, kMaxCount);
    if (e.state == 3)
      e.state = 0;
    else if (e.state > 3)
      e.state = 1;
    return;
  }
  Entry entry;
  entry.count = std::min(count, kMaxCount);
  entries_.push_back(entry);
}

void ComboChain::addCombo() {
  timer_ = combo_sec_;
  if (!entries_.empty() && combo_sec_ > kEpsilon)
    pushCombo(entries_.back().ended ? 1 : entries_.back().count + 1);
  else
    pushCombo(1);
  if (XFieldValue* field = xField ? xField() : nullptr) field->charge(comboGain(entries_.back().count));
}

void ComboChain::keepCombo() {
  if (timer_ < kEpsilon) {
    timer_ = 0.0f;
    endCombo();
    return;
  }
  if (timer_ < 0.5f * combo_sec_) {
    const float r = static_cast<float>(rand_.calcRand());
    timer_ = std::min(combo_sec_, 0.5f * combo_sec_ + r * 0.1f * combo_sec_);
  }
}

void ComboChain::endCombo() {
  for (Entry& e : entries_) {
    if (!e.ended && e.count > 1)
      for (INotifyComboEnd* listener : listeners_) listener->onComboEnd(e.count - 1);
    e.ended = true;
  }
  entries_.remove_if([](const Entry& e) { return e.ended && (e.count == 1 || (e.state == 3 && e.slide <= kEpsilon)); });
}

void ComboChain::step(float dt) {
  timer_ = std::max(timer_ - dt, 0.0f);
  float s = 0.0f;
  if (!entries_.empty()) {
    Entry& e = entries_.front();
    if (e.text_dirty && e.count >= 2) {
      char text[32];
      std::snprintf(text, sizeof text, "%3dChain", static_cast<int>(e.count - 1));
      banner_.text = text;
      e.text_dirty = false;
    }
    bool remove = false;
    if (e.count >= 2) {
      count_max_ = std::max(count_max_, e.count);
      if (e.state < 0 || e.state > 3) {
        e.state = 1;
        e.shown_time = 0.0f;
      }
      switch (e.state) {
        case 0:
          e.slide = std::min(e.slide + dt, 1.0f);
          if (e.slide >= 1.0f) {
            e.state = 1;
            e.shown_time = 0.0f;
          }
          break;
        case 1:
          if (timer_ < kEpsilon) {
            e.state = 2;
            e.flash_time = 0.0f;
          }
          break;
        case 2: {
          e.flash_time += dt;
          const rk::gfx::Color yellow(1.0f, 1.0f, 0.0f, 1.0f);
          if (e.flash_time >= 2.0f) {
            e.flash_time = 0.0f;
            e.state = 3;
            e.colour = yellow;
          } else {
            const float f = (std::sin(8.0f * 3.14159265f * e.flash_time) + 1.0f) / 2.0f;
            // From yellow towards red (1, 0, 0, 1): only green moves.
            e.colour = rk::gfx::Color(1.0f, 1.0f - f, 0.0f, 1.0f);
          }
          banner_.text_colour = packArgb(e.colour);
          break;
        }
        case 3:
          e.slide = std::max(e.slide - dt, 0.0f);
          remove = e.ended && e.slide == 0.0f;
          break;
      }
    }
    s = e.slide;
    if (remove) entries_.pop_front();
  }
  if (timer_ < kEpsilon) endCombo();
  gauge_.now_ = std::max(0.0f, std::min(timer_, gauge_.max_));
  banner_.x = 8.0f + (4.5f - 8.0f) * std::sin(s * 3.14159265f / 2.0f);
  banner_.y = 2.5f;
}

void ComboChain::setComboSec(float seconds) {
  combo_sec_ = seconds;
  gauge_.max_ = seconds;
}

void ComboChain::removeListener(INotifyComboEnd* listener) {
  auto it = std::find(listeners_.begin(), listeners_.end(), listener);
  if (it != listeners_.end()) listeners_.erase(it);
}

}  // namespace status
