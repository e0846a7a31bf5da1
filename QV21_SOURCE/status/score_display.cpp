#include "status/score_display.h"

#include <cstdio>

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "status/hud_draw.h"
#include "status/status_unit.h"

namespace status {

std::vector<std::uint32_t> quadIndices(std::size_t quads) {
  std::vector<std::uint32_t> out;
  out.reserve(quads * 6);
  for (std::uint32_t k = 0; k < quads; ++k)
    for (std::uint32_t i : {0u, 1u, 2u, 2u, 1u, 3u}) out.push_back(4 * k + i);
  return out;
}

std::string formatScore(std::uint32_t score) {
  // Unsigned: every stored score formats as digits (a signed format would turn
  // scores past 2^31 into a minus sign, which has no cell in the atlas).
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%9.9u", score);
  return buffer;
}

std::vector<HudVertex> buildScoreQuads(const std::string& digits) {
  const rk::gfx::Color white(1.0f, 1.0f, 1.0f, 1.0f);
  const rk::gfx::Color grey(64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f);
  std::vector<HudVertex> out;
  bool whiteSeen = false;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int d = digits[i] - '0';
    whiteSeen = whiteSeen || d != 0 || i + 1 == digits.size();
    const rk::gfx::Color color = whiteSeen ? white : grey;
    const float u = 0.25f * static_cast<float>(d % 4), v = 0.25f * static_cast<float>(d / 4);
    const float x = 64.0f * static_cast<float>(i);
    out.push_back({x, 0.0f, u, v, color});
    out.push_back({x, -64.0f, u, v + 0.25f, color});
    out.push_back({x + 64.0f, 0.0f, u + 0.25f, v, color});
    out.push_back({x + 64.0f, -64.0f, u + 0.25f, v + 0.25f, color});
  }
  return out;
}

}  // namespace status

namespace status {

const rk::script::LuaClass kScoreDisplayClass{"status::ScoreDisplay"};

namespace {

constexpr const char* kSource = "QV21_SOURCE/status/score_display";

ScoreDisplay* displayArg(lua_State* L, const char* method) {
  auto* display = rk::script::toLuaObject<ScoreDisplay>(L, 1, kScoreDisplayClass);
  if (!display) rk::script::reportNullObject(method);
  return display;
}

std::uint32_t unsignedArg(lua_State* L, int index) {
  return static_cast<std::uint32_t>(rk::script::toInt64Arg(L, index));
}

int lua_get(lua_State* L) {
  ScoreDisplay* display = displayArg(L, "status::ScoreDisplay::lua_get");
  const std::uint32_t score = display ? display->score_ : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, score);
  return 1;
}

int lua_set(lua_State* L) {
  if (ScoreDisplay* display = displayArg(L, "status::ScoreDisplay::lua_set")) display->score_ = unsignedArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_add(lua_State* L) {
  if (ScoreDisplay* display = displayArg(L, "status::ScoreDisplay::lua_add"))
    display->score_ = addScoreCapped(display->score_, unsignedArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_clear(lua_State* L) {
  if (ScoreDisplay* display = displayArg(L, "status::ScoreDisplay::lua_clear")) display->score_ = 0;
  lua_settop(L, 0);
  return 0;
}

int lua_setPlayerRigidBody(lua_State* L) {
  if (ScoreDisplay* display = displayArg(L, "status::ScoreDisplay::lua_setPlayerRigidBody")) {
    rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 2);
    display->player_rigid_body_ = !block ? nullptr : block->cell ? block->cell->object : block->object;
  }
  lua_settop(L, 0);
  return 0;
}

// Detaches the display from its model, then deletes it.
int lua_gcScoreDisplay(lua_State* L) {
  rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 1);
  if (block && block->cls == &kScoreDisplayClass && block->object) {
    auto* display = static_cast<ScoreDisplay*>(block->object);
    block->object = nullptr;
    display->detach();
    delete display;
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"get", lua_get},     {"set", lua_set}, {"add", lua_add}, {"clear", lua_clear},
    {"setPlayerRigidBody", lua_setPlayerRigidBody}, {nullptr, nullptr},
};

}  // namespace

ScoreDisplay::ScoreDisplay(rk::gfx::GfxModel* owner) : GfxModelList(owner) {}

ScoreDisplay::~ScoreDisplay() {
  player_rigid_body_ = nullptr;
  for (rk::gfx::VertexBuffer*& buffer : vertex_buffers_) releaseHeld(buffer, kSource, 181);
  for (rk::gfx::IndexBuffer*& buffer : index_buffers_) releaseHeld(buffer, kSource, 184);
  releaseHeld(texture_, kSource, 186);
  StatusUnit::forgetPiece(this);
  ComboGauge::forgetListener(this);
  detach();
}

void ScoreDisplay::notify(rk::gfx::GfxDeviceContext&) {
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device) return;
  if (!texture_) {
    // Tried again at every draw, reported at the first.
    texture_ = loadAtlas(kScoreTexture);
    if (!texture_ && !atlas_reported_) rk::debug::writeErrorLog(kSource, 447, "status::ScoreDisplay::notify");
    atlas_reported_ = atlas_reported_ || !texture_;
  }
  const unsigned frame = device->currentFrame() & 1;
  // A score past the cap formats with more characters; the first nine are drawn.
  const std::string digits = formatScore(score_).substr(0, kDigits);
  uploadQuads(vertex_buffers_[frame], buildScoreQuads(digits));
  makeQuadIndices(index_buffers_[frame], kDigits);
}

void ScoreDisplay::execute(rk::gfx::GfxDeviceContext&, std::int32_t) {
  rk::DeviceContext* device = rk::DeviceContext::getInstance();
  if (!device) return;
  const unsigned frame = device->currentFrame() & 1;
  drawQuads(texture_, vertex_buffers_[frame], index_buffers_[frame]);
}

void ScoreDisplay::onComboEnd(std::uint32_t count) { score_ = addScoreCapped(score_, count * 1000u); }

void ScoreDisplay::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void ScoreDisplay::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, lua_gcScoreDisplay); }

}  // namespace status
