// The status display's numbers and quads: score digits from the digit atlas,
// bar gauges from the gauge atlas, the X-field climb, the combo chain and the
// shield gauge's script object.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <lua.hpp>

#include "status/combo_chain.h"
#include "status/gauge_display.h"
#include "status/score_display.h"
#include "status/status_unit.h"
#include "support/error_log_capture.h"

namespace {

using status::HudVertex;

bool sameColor(const rk::gfx::Color& a, const rk::gfx::Color& b) {
  return a.getR() == b.getR() && a.getG() == b.getG() && a.getB() == b.getB() && a.getA() == b.getA();
}

const rk::gfx::Color kWhite(1, 1, 1, 1);
const rk::gfx::Color kGrey(64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1);

TEST(ScoreQuads, DigitsTakeTheirAtlasCellsAndLeadingZerosAreGrey) {
  struct Case {
    std::uint32_t score;
    const char* text;
    int greys;
  } cases[] = {{0, "000000000", 8}, {1020, "000001020", 5}, {999999999, "999999999", 0}, {7, "000000007", 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string digits = status::formatScore(c.score);
    ASSERT_EQ(digits, c.text);
    const std::vector<HudVertex> quads = status::buildScoreQuads(digits);
    ASSERT_EQ(quads.size(), 36u);
    for (int i = 0; i < 9; ++i) {
      const int d = digits[i] - '0';
      const float u = 0.25f * (d % 4), v = 0.25f * (d / 4), x = 64.0f * i;
      const HudVertex* q = &quads[4 * i];
      const HudVertex expected[4] = {{x, 0, u, v, {}}, {x, -64, u, v + 0.25f, {}},
                                     {x + 64, 0, u + 0.25f, v, {}}, {x + 64, -64, u + 0.25f, v + 0.25f, {}}};
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(q[k].x, expected[k].x);
        EXPECT_EQ(q[k].y, expected[k].y);
        EXPECT_FLOAT_EQ(q[k].u, expected[k].u);
        EXPECT_FLOAT_EQ(q[k].v, expected[k].v);
        EXPECT_TRUE(sameColor(q[k].color, i < c.greys ? kGrey : kWhite)) << "digit " << i;
      }
    }
  }
  // Nine and eight sit in the third row.
  const std::vector<HudVertex> nine = status::buildScoreQuads("9");
  EXPECT_FLOAT_EQ(nine[0].u, 0.25f);
  EXPECT_FLOAT_EQ(nine[0].v, 0.5f);
}

TEST(ScoreQuads, ScoresPastTheCapFormatAsDigitsOnly) {
  EXPECT_EQ(status::formatScore(1234567890u), "1234567890");
  EXPECT_EQ(status::formatScore(3000000000u), "3000000000");
  EXPECT_EQ(status::quadIndices(2), (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST(ScoreQuads, AddingIsCappedInUnsignedArithmetic) {
  struct Case {
    std::uint32_t score, add, expected;
  } cases[] = {{0, 10000, 10000},
               {999999999 - 4999, 5000, 999999999},
               {999999999 - 5000, 5000, 999999999},
               {999999999 - 5001, 5000, 999999998},
               {0xFFFFFFFFu, 2, 1}};  // the sum wraps before the cap
  for (const Case& c : cases) EXPECT_EQ(status::addScoreCapped(c.score, c.add), c.expected) << c.score;
}

// The three quads of a gauge: vertices title, frame, fill, each (left top,
// left bottom, right top, right bottom).
struct QuadCase {
  float top, width, l, t, r, b;  // position top and width; atlas rectangle in texels
};
void expectQuad(const std::vector<HudVertex>& quads, int index, const QuadCase& c) {
  SCOPED_TRACE(index);
  const HudVertex* q = &quads[4 * index];
  EXPECT_EQ(q[0].x, 0.0f);
  EXPECT_EQ(q[0].y, c.top);
  EXPECT_EQ(q[1].y, c.top - 16);
  EXPECT_EQ(q[2].x, c.width);
  EXPECT_EQ(q[3].x, c.width);
  EXPECT_EQ(q[3].y, c.top - 16);
  EXPECT_FLOAT_EQ(q[0].u, c.l / 512);
  EXPECT_FLOAT_EQ(q[0].v, c.t / 512);
  EXPECT_FLOAT_EQ(q[1].v, c.b / 512);
  EXPECT_FLOAT_EQ(q[3].u, c.r / 512);
  EXPECT_FLOAT_EQ(q[3].v, c.b / 512);
}

TEST(GaugeQuads, TitleFrameAndFillComeFromTheirAtlasRectangles) {
  status::GaugeValue gauge;
  std::vector<HudVertex> quads = status::buildGaugeQuads(gauge);
  ASSERT_EQ(quads.size(), 12u);
  expectQuad(quads, 0, {0, 256, 0, 64, 512, 96});
  expectQuad(quads, 1, {-16, 256, 0, 320, 256, 336});
  expectQuad(quads, 2, {-16, 256, 0, 384, 256, 400});  // a new gauge is full
  for (const HudVertex& v : quads) EXPECT_TRUE(sameColor(v.color, rk::gfx::Color(0, 1, 0, 1)));

  struct Case {
    const char* name;
    std::uint32_t type;
    float max, now;
    QuadCase title, fill;
  } cases[] = {
      {"type 3, half", 3, 100, 50, {0, 256, 0, 256, 512, 288}, {-16, 128, 0, 384, 128, 400}},
      {"type 1, a third", 1, 3, 1, {0, 256, 0, 128, 512, 160}, {-16, 256.0f / 3, 0, 384, 85, 400}},
      {"max lowered below now", 2, 50, 100, {0, 256, 0, 192, 512, 224}, {-16, 512, 0, 384, 512, 400}},
      {"no maximum", 0, 0, 0, {0, 256, 0, 64, 512, 96}, {-16, 0, 0, 384, 0, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    status::GaugeValue g;
    g.gauge_type_ = c.type;
    g.now_ = c.now;
    g.max_ = c.max;
    quads = status::buildGaugeQuads(g);
    expectQuad(quads, 0, c.title);
    expectQuad(quads, 2, c.fill);
  }
  status::GaugeValue untitled;
  untitled.gauge_type_ = 7;
  quads = status::buildGaugeQuads(untitled);
  EXPECT_EQ(quads[2].x - quads[0].x, 0.0f) << "a type above 3 draws no title";
}

TEST(GaugeValues, SetNowClampsAndSetColorKeepsTheLowByte) {
  status::GaugeValue g;
  g.setNow(-5);
  EXPECT_EQ(g.now_, 0.0f);
  g.setNow(250);
  EXPECT_EQ(g.now_, 100.0f);
  g.setColor(255, 0, 128, 256 + 255);
  EXPECT_TRUE(sameColor(g.color_, rk::gfx::Color(0, 128 / 255.0f, 1, 1)));
}

TEST(XFieldGauge, ClimbsTowardItsTargetInsideItsRange) {
  struct Case {
    float now, target, max, dt, expected;
  } cases[] = {
      {0, 100, 100, 0.1f, 10},    // the proportional step beats the minimum
      {95, 100, 100, 0.1f, 97},   // the minimum 20 per second
      {99.5f, 100, 100, 0.1f, 100},
      {50, 20, 100, 0.1f, 20},    // a lower target is taken at once
      {0, 100, 5, 0.1f, 5},       // never above the maximum
  };
  for (const Case& c : cases) {
    status::XFieldValue x;
    x.gauge.max_ = c.max;
    x.gauge.now_ = c.now;
    x.target_now_ = c.target;
    x.run(c.dt);
    EXPECT_FLOAT_EQ(x.gauge.now_, c.expected) << c.now << " to " << c.target;
  }
  status::XFieldValue x;
  x.setNowFieldGauge(250);
  EXPECT_EQ(x.gauge.now_, 100.0f);
  EXPECT_EQ(x.target_now_, 100.0f);
  x.setNowFieldGauge(10);
  x.charge(95);
  EXPECT_EQ(x.target_now_, 100.0f);
}

// Listens for chain ends as the score display does.
struct Payee : status::INotifyComboEnd {
  void onComboEnd(std::uint32_t count) override { score = status::addScoreCapped(score, count * 1000); }
  std::uint32_t score = 0;
};

class Combo : public testing::Test {
 protected:
  Combo() {
    chain.addListener(&payee);
    field.gauge.now_ = field.target_now_ = 0;
    chain.xField = [this] { return &field; };
  }
  void run(float seconds, float dt = 0.05f) {
    for (float t = 0; t < seconds - 1e-4f; t += dt) chain.step(dt);
  }
  status::ComboChain chain;
  Payee payee;
  status::XFieldValue field;
};

TEST_F(Combo, OneKillShowsNothingAndPaysNothing) {
  chain.addCombo();
  run(4.5f);
  EXPECT_EQ(payee.score, 0u);
  EXPECT_TRUE(chain.entries_.empty());
  EXPECT_EQ(chain.banner_.x, 8.0f);
  EXPECT_TRUE(chain.isComboEnd());
}

TEST_F(Combo, ThreeKillsSlideInPayFlashAndSlideOut) {
  chain.addCombo();
  chain.step(0.5f);
  chain.addCombo();
  chain.addCombo();
  run(1.0f);
  EXPECT_EQ(chain.banner_.text, "  2Chain");
  EXPECT_FLOAT_EQ(chain.banner_.x, 4.5f) << "fully slid in";
  EXPECT_EQ(chain.count_max_, 3u);
  EXPECT_NEAR(chain.gauge_.now_, 3.0f, 1e-3) << "the gauge shows the time left";
  run(3.1f);
  EXPECT_EQ(payee.score, 2000u);
  // Flashing: the text turns from yellow toward red and back.
  bool reddened = false;
  for (int i = 0; i < 40; ++i) {
    chain.step(0.05f);
    reddened = reddened || (chain.banner_.text_colour & 0x0000FF00) < 0x8000;
  }
  EXPECT_TRUE(reddened);
  run(0.05f + 1.0f);  // the rest of the flash, then a second of sliding out
  run(1.0f);
  EXPECT_TRUE(chain.entries_.empty());
  EXPECT_EQ(chain.banner_.text_colour, 0xFFFFFF00u);
  EXPECT_EQ(chain.banner_.x, 8.0f);
  EXPECT_EQ(payee.score, 2000u) << "paid once";
}

TEST_F(Combo, KillsChargeTheXFieldByTheChainLength) {
  float expected = 0;
  for (int n = 1; n <= 4; ++n) {
    chain.addCombo();
    expected += std::pow(2.0f, n / 4.0f);
    EXPECT_FLOAT_EQ(field.target_now_, expected) << n;
  }
  EXPECT_EQ(status::comboGain(20), 30.0f);
  EXPECT_EQ(status::comboGain(12), 8.0f);
  field.gauge.max_ = 7;  // 6.29 so far; the fifth kill's 2.38 would pass it
  chain.addCombo();
  EXPECT_EQ(field.target_now_, 7.0f) << "never past the maximum";
}

TEST_F(Combo, KeepComboHoldsTheTimerAboveHalfTheChainTime) {
  chain.addCombo();
  chain.timer_ = 3.0f;
  chain.keepCombo();
  EXPECT_EQ(chain.timer_, 3.0f);
  for (int i = 0; i < 20; ++i) {
    chain.timer_ = 1.0f;
    chain.keepCombo();
    EXPECT_GE(chain.timer_, 2.0f);
    EXPECT_LE(chain.timer_, 2.4f);
  }
  chain.timer_ = 0;
  chain.keepCombo();
  EXPECT_TRUE(chain.entries_.empty()) << "a one-kill chain ends and is dropped";
}

TEST_F(Combo, AChainStopsAt999Kills) {
  for (int i = 0; i < 1005; ++i) chain.addCombo();
  EXPECT_EQ(chain.entries_.back().count, 999u);
  chain.step(0.01f);
  EXPECT_EQ(chain.banner_.text, "998Chain");
  chain.endCombo();
  EXPECT_EQ(payee.score, 998000u);
}

TEST_F(Combo, ZeroChainTimeMakesEveryKillItsOwnChain) {
  chain.setComboSec(0);
  EXPECT_EQ(chain.gauge_.max_, 0.0f);
  for (int i = 0; i < 3; ++i) chain.addCombo();
  EXPECT_EQ(chain.entries_.size(), 3u);
  for (const auto& e : chain.entries_) EXPECT_EQ(e.count, 1u);
}

TEST_F(Combo, AKillAfterTheEndStartsANewChainBehindTheOld) {
  chain.addCombo();
  chain.addCombo();
  chain.timer_ = 0;
  chain.endCombo();
  EXPECT_EQ(payee.score, 1000u);
  chain.addCombo();
  ASSERT_EQ(chain.entries_.size(), 2u);
  EXPECT_TRUE(chain.entries_.front().ended);
  EXPECT_EQ(chain.entries_.back().count, 1u);
  chain.removeListener(&payee);
  chain.addCombo();
  chain.endCombo();
  EXPECT_EQ(payee.score, 1000u) << "a removed listener is not paid";
}

TEST(ShieldGaugeScript, ValuesClampAndTheLerpFollows) {
  rktest::ErrorLogCapture log;
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "createGameStatusShiledGauge", status::lua_createGameStatusShiledGauge);
  const char* chunk =
      "local g = createGameStatusShiledGauge()\n"
      "local a = g:calcLerp()\n"
      "g:setNowGauge(150) local b = g:getNowGauge()\n"
      "g:setMaxGauge(200) local c = g:calcLerp()\n"
      "g:setNowGauge(-1) local d = g:getNowGauge()\n"
      "return string.format('%g %g %g %g %g', a, b, c, d, g:getMaxGauge())";
  ASSERT_EQ(luaL_dostring(L, chunk), 0) << lua_tostring(L, -1);
  EXPECT_STREQ(lua_tostring(L, -1), "1 100 0.5 0 200");
  lua_close(L);  // the collector deletes the gauge
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace

namespace {

class StatusUnitScript : public testing::Test {
 protected:
  StatusUnitScript() : L(luaL_newstate()) {
    luaL_openlibs(L);
    lua_register(L, "createGameStatusUnit", status::lua_createGameStatusUnit);
    lua_register(L, "createGameStatusShiledGauge", status::lua_createGameStatusShiledGauge);
  }
  ~StatusUnitScript() override { lua_close(L); }
  std::string run(const char* chunk) {
    if (luaL_dostring(L, chunk) != 0) return std::string("error: ") + lua_tostring(L, -1);
    std::string out = lua_gettop(L) > 0 ? luaL_tolstring(L, -1, nullptr) : "";
    lua_settop(L, 0);
    return out;
  }
  rktest::ErrorLogCapture log_;
  lua_State* L;
};

// Every script object of the unit holds one reference; the last one gone, the
// unit is gone and a new one starts empty.
TEST_F(StatusUnitScript, LivesWhileItsScriptObjectsDo) {
  EXPECT_EQ(run("a = createGameStatusUnit() b = createGameStatusUnit() return b:getRef()"), "2");
  status::StatusUnit* unit = status::StatusUnit::getInstance();
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(run("a = nil collectgarbage() return b:getRef()"), "1");
  EXPECT_EQ(status::StatusUnit::getInstance(), unit);

  EXPECT_EQ(run("g = createGameStatusShiledGauge() b:entryShieldGauge(g) b:setVisible(0)"), "");
  EXPECT_NE(unit->record().shield_gauge_, nullptr);
  EXPECT_TRUE(unit->record().visible_) << "0 is true";
  run("b:entryStatusStringUnit({})");  // takes anything and does nothing
  EXPECT_TRUE(log_.empty()) << log_.text();

  run("b = nil collectgarbage()");
  EXPECT_EQ(status::StatusUnit::getInstance(), nullptr);
  EXPECT_EQ(log_.entries("status::StatusUnit::getInstance"), 1u);
  EXPECT_EQ(run("c = createGameStatusUnit() return c:getRef()"), "1");
  ASSERT_NE(status::StatusUnit::getInstance(), nullptr);
  EXPECT_EQ(status::StatusUnit::getInstance()->record().shield_gauge_, nullptr) << "a fresh unit";
  EXPECT_FALSE(status::StatusUnit::getInstance()->record().visible_);
}

TEST_F(StatusUnitScript, MethodsGivenSomethingElseReportAndDoNothing) {
  run("u = createGameStatusUnit() u:entryShieldGauge(u) u.setVisible({}, true)");
  EXPECT_EQ(status::StatusUnit::getInstance()->record().shield_gauge_, nullptr);
  EXPECT_FALSE(status::StatusUnit::getInstance()->record().visible_);
  EXPECT_EQ(log_.entries("status::StatusUnit::lua_setVisible"), 1u);
}

}  // namespace
