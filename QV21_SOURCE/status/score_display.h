// The score display's numbers and quads: nine digits from the 4 x 4 digit
// atlas "textures/score_font.tga", leading zeros dark grey, the rest white.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <lua.hpp>

#include "gfx/rk_gfx_model.h"
#include "script/rk_lua_object.h"
#include "status/hud_vertex.h"

namespace rk::gfx {
class IndexBuffer;
class RkTexture;
class VertexBuffer;
}  // namespace rk::gfx

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

// A drawing command of a gfx model holding the player's score. Every draw
// rebuilds nine digit quads into the vertex buffer of the frame being
// recorded and draws them with the digit atlas. Owned by its script object.
class ScoreDisplay : public rk::gfx::GfxModelList, public rk::script::ILuaMethod, public INotifyComboEnd {
 public:
  static constexpr unsigned kDigits = 9;

  // Appended to `owner` when given.
  explicit ScoreDisplay(rk::gfx::GfxModel* owner);
  // Releases the buffers and the atlas and leaves the owner's list.
  ~ScoreDisplay() override;

  // Loads the atlas when there is none yet and rebuilds the quads.
  void notify(rk::gfx::GfxDeviceContext& context) override;
  // Draws the quads; nothing while the atlas has no GPU texture.
  void execute(rk::gfx::GfxDeviceContext& context, std::int32_t arg) override;

  // score := min(score + count x 1000, cap), in unsigned 32-bit arithmetic.
  void onComboEnd(std::uint32_t count) override;

  // "get", "set", "add", "clear", "setPlayerRigidBody"; the collector detaches
  // and deletes the display.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  std::uint32_t score_ = 0;
  void* player_rigid_body_ = nullptr;  // kept for the scripts; nothing reads it
  rk::gfx::VertexBuffer* vertex_buffers_[2] = {};
  rk::gfx::IndexBuffer* index_buffers_[2] = {};
  rk::gfx::RkTexture* texture_ = nullptr;
  bool atlas_reported_ = false;  // a missing atlas is reported once
};

extern const rk::script::LuaClass kScoreDisplayClass;

}  // namespace status
