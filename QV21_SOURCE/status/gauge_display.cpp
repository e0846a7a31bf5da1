#include "status/gauge_display.h"

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_vertex_buffer.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "status/hud_draw.h"
#include "status/status_unit.h"

#include <algorithm>

namespace status {

namespace {

struct Rect {
  float l, t, r, b;
};

constexpr float kAtlas = 512.0f;
constexpr Rect kTitles[] = {{0, 64, 512, 96}, {0, 128, 512, 160}, {0, 192, 512, 224}, {0, 256, 512, 288}};
constexpr Rect kFrame = {0, 320, 256, 336};

float clampTo(float value, float high) { return std::max(0.0f, std::min(value, high)); }

void addQuad(std::vector<HudVertex>& out, const Rect& rect, float top, float widthScale, const rk::gfx::Color& color) {
  const float right = 256.0f * widthScale;
  out.push_back({0.0f, top, rect.l / kAtlas, rect.t / kAtlas, color});
  out.push_back({0.0f, top - 16.0f, rect.l / kAtlas, rect.b / kAtlas, color});
  out.push_back({right, top, rect.r / kAtlas, rect.t / kAtlas, color});
  out.push_back({right, top - 16.0f, rect.r / kAtlas, rect.b / kAtlas, color});
}

}  // namespace

void GaugeValue::setNow(float value) { now_ = clampTo(value, max_); }

void GaugeValue::setColor(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  color_ = rk::gfx::Color(static_cast<float>(red & 0xFF) / 255.0f, static_cast<float>(green & 0xFF) / 255.0f,
                          static_cast<float>(blue & 0xFF) / 255.0f, static_cast<float>(alpha & 0xFF) / 255.0f);
}

float GaugeValue::fraction() const { return max_ > 0.0f ? now_ / max_ : 0.0f; }

std::vector<HudVertex> buildGaugeQuads(const GaugeValue& gauge) {
  std::vector<HudVertex> out;
  if (gauge.gauge_type_ < 4)
    addQuad(out, kTitles[gauge.gauge_type_], 0.0f, 1.0f, gauge.color_);
  else
    addQuad(out, Rect{0, 0, 0, 0}, 0.0f, 0.0f, rk::gfx::Color());
  addQuad(out, kFrame, -16.0f, 1.0f, gauge.color_);
  const float fraction = gauge.fraction();
  // Truncated to whole texels; held in range so that a tiny maximum stays defined.
  const float right = static_cast<float>(static_cast<long long>(std::min(fraction * 256.0f, 1.0e9f)));
  addQuad(out, Rect{0, 384, right, 400}, -16.0f, fraction, gauge.color_);
  return out;
}

void XFieldValue::setNowFieldGauge(float value) {
  const float v = clampTo(value, gauge.max_);
  gauge.now_ = v;
  target_now_ = v;
}

void XFieldValue::run(float dt) {
  const float max = gauge.max_;
  float now = gauge.now_ + std::max(20.0f * dt, (target_now_ - gauge.now_) * dt);
  now = clampTo(now, max);
  now = std::min(now, target_now_);
  gauge.now_ = clampTo(now, max);
}

void XFieldValue::charge(float gain) { target_now_ = std::min(target_now_ + gain, gauge.max_); }

void ShieldValue::setNow(float value) { now_ = clampTo(value, max_); }

const rk::script::LuaClass kGaugeDisplayClass{"status::GaugeDisplay"};
const rk::script::LuaClass kXFieldGaugeClass{"status::XFieldGauge"};

namespace {

constexpr const char* kSource = "QV21_SOURCE/status/gauge_display";

GaugeValue* gaugeArg(lua_State* L, const char* method) {
  auto* gauge = rk::script::toLuaObject<GaugeDisplay>(L, 1, kGaugeDisplayClass);
  if (!gauge) rk::script::reportNullObject(method);
  return gauge ? &gauge->value() : nullptr;
}

XFieldValue* fieldArg(lua_State* L, const char* method) {
  auto* gauge = rk::script::toLuaObject<XFieldGauge>(L, 1, kXFieldGaugeClass);
  if (!gauge) rk::script::reportNullObject(method);
  return gauge ? &gauge->field() : nullptr;
}

int pushNumber(lua_State* L, float value) {
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

int done(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// Alpha, red, green, blue: each truncated, its low 8 bits over 255.
void readColor(lua_State* L, GaugeValue& gauge) {
  auto byte = [&](int index) { return static_cast<std::uint32_t>(rk::script::toInt64Arg(L, index)); };
  gauge.setColor(byte(2), byte(3), byte(4), byte(5));
}

int lua_setNow(lua_State* L) {
  if (GaugeValue* g = gaugeArg(L, "status::GaugeDisplay::lua_setNow")) g->setNow(rk::script::toFloatArg(L, 2));
  return done(L);
}
int lua_getNow(lua_State* L) {
  GaugeValue* g = gaugeArg(L, "status::GaugeDisplay::lua_getNow");
  return pushNumber(L, g ? g->now_ : 0.0f);
}
int lua_getMax(lua_State* L) {
  GaugeValue* g = gaugeArg(L, "status::GaugeDisplay::lua_getMax");
  return pushNumber(L, g ? g->max_ : 0.0f);
}
int lua_setMax(lua_State* L) {
  if (GaugeValue* g = gaugeArg(L, "status::GaugeDisplay::lua_setMax")) g->max_ = rk::script::toFloatArg(L, 2);
  return done(L);
}
int lua_setColor(lua_State* L) {
  if (GaugeValue* g = gaugeArg(L, "status::GaugeDisplay::lua_setColor")) readColor(L, *g);
  return done(L);
}

int lua_setNowFieldGauge(lua_State* L) {
  if (XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_setNowFieldGauge"))
    f->setNowFieldGauge(rk::script::toFloatArg(L, 2));
  return done(L);
}
int lua_getNowFieldGauge(lua_State* L) {
  XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_getNowFieldGauge");
  return pushNumber(L, f ? f->gauge.now_ : 0.0f);
}
int lua_setMaxFieldGauge(lua_State* L) {
  if (XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_setMaxFieldGauge"))
    f->gauge.max_ = rk::script::toFloatArg(L, 2);
  return done(L);
}
int lua_getMaxFieldGauge(lua_State* L) {
  XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_getMaxFieldGauge");
  return pushNumber(L, f ? f->gauge.max_ : 0.0f);
}
int lua_run(lua_State* L) {
  if (XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_run")) f->run(rk::script::toFloatArg(L, 2));
  return done(L);
}
int lua_setFieldColor(lua_State* L) {
  if (XFieldValue* f = fieldArg(L, "status::XFieldGauge::lua_setColor")) readColor(L, f->gauge);
  return done(L);
}

const luaL_Reg kGaugeMethods[] = {
    {"setNow", lua_setNow}, {"getNow", lua_getNow},     {"getMax", lua_getMax},
    {"setMax", lua_setMax}, {"setColor", lua_setColor}, {nullptr, nullptr},
};

const luaL_Reg kFieldMethods[] = {
    {"setNowFieldGauge", lua_setNowFieldGauge},
    {"getNowFieldGauge", lua_getNowFieldGauge},
    {"setMaxFieldGauge", lua_setMaxFieldGauge},
    {"getMaxFieldGauge", lua_getMaxFieldGauge},
    {"run", lua_run},
    {"setColor", lua_setFieldColor},
    {nullptr, nullptr},
};

}  // namespace

GaugeDisplay::GaugeDisplay(rk::gfx::GfxModel* owner, std::uint32_t type) : GfxModelList(owner) {
  own_.gauge_type_ = type;
}

GaugeDisplay::~GaugeDisplay() {
  releaseHeld(texture_, kSource, 35);
  releaseHeld(vertex_buffer_, kSource, 36);
  releaseHeld(index_buffer_, kSource, 37);
  StatusUnit::forgetPiece(this);
  detach();
}

void GaugeDisplay::notify(rk::gfx::GfxDeviceContext&) {
  if (!texture_) {
    // Tried again at every draw, reported at the first.
    texture_ = loadAtlas(kGaugeTexture);
    if (!texture_ && !atlas_reported_) rk::debug::writeErrorLog(kSource, 60, "status::GaugeDisplay::notify");
    atlas_reported_ = atlas_reported_ || !texture_;
  }
  makeQuadIndices(index_buffer_, 3);
  uploadQuads(vertex_buffer_, buildGaugeQuads(*value_));
}

void GaugeDisplay::execute(rk::gfx::GfxDeviceContext&, std::int32_t) {
  drawQuads(texture_, vertex_buffer_, index_buffer_);
}

void GaugeDisplay::registerMethods(lua_State* L) { rk::script::setMethods(L, kGaugeMethods); }

void GaugeDisplay::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<GaugeDisplay, kGaugeDisplayClass>);
}

XFieldGauge::XFieldGauge(rk::gfx::GfxModel* owner) : GaugeDisplay(owner, 1) { value_ = &field_.gauge; }

void XFieldGauge::registerMethods(lua_State* L) { rk::script::setMethods(L, kFieldMethods); }

void XFieldGauge::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<XFieldGauge, kXFieldGaugeClass>);
}

}  // namespace status
