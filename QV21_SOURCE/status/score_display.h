// The score display's numbers and quads: nine digits from the 4 x 4 digit
// atlas "textures/score_font.tga", leading zeros dark grey, the rest white.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "status/hud_vertex.h"

namespace status {

constexpr std::uint32_t kScoreCap = 999999999;
constexpr const char* kScoreTexture = "textures/score_font.tga";

// Told when a combo chain ends, with the kills beyond the chain's first.
class INotifyComboEnd {
 public:
  virtual ~INotifyComboEnd() = default;
  virtual void onComboEnd(std::uint32_t count) = 0;
};

// score + add in unsigned 32-bit arithmetic, then capped.
inline std::uint32_t addScoreCapped(std::uint32_t score, std::uint32_t add) {
  const std::uint32_t sum = score + add;
  return sum < kScoreCap ? sum : kScoreCap;
}

// At least nine digits with leading zeros; a score above the cap has more
// characters, of which the display draws the first nine.
std::string formatScore(std::uint32_t score);

// Four vertices per character of the text: digit d's cell is column d % 4,
// row d / 4 of the atlas (cells 0.25 wide and high); character i covers x from
// 64 i to 64 i + 64 and y from 0 down to -64. White once a non-zero digit has
// come (and always for the last character), dark grey before.
std::vector<HudVertex> buildScoreQuads(const std::string& digits);

}  // namespace status
