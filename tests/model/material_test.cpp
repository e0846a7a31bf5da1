// Materials: defaults, the script methods with their argument rules, the
// state stack behind backup and release, and the device context's material
// block that reflect and release load.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "gfx/rk_material.h"
#include "kernel/rk_device_context.h"
#include "support/error_log_capture.h"
#include "support/lua_run.h"

namespace {

using rk::gfx::Color;
using rk::gfx::Material;

void expectColor(const Color& c, float r, float g, float b, float a) {
  EXPECT_FLOAT_EQ(c.getR(), r);
  EXPECT_FLOAT_EQ(c.getG(), g);
  EXPECT_FLOAT_EQ(c.getB(), b);
  EXPECT_FLOAT_EQ(c.getA(), a);
}

class MaterialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
    saved = block();
  }
  void TearDown() override {
    block() = saved;
    lua_close(L);
  }
  rk::DeviceContext::MaterialBlock& block() { return rk::DeviceContext::getInstance()->material(); }
  // Makes the material the script global "m".
  void expose(Material& m) {
    m.pushScriptObject(L);
    lua_setglobal(L, "m");
  }

  rktest::ErrorLogCapture log;
  lua_State* L = nullptr;
  rk::DeviceContext::MaterialBlock saved;
};

TEST_F(MaterialTest, ANewMaterialIsOffWithTheDefaultColours) {
  Material m;
  const Material::State& s = m.top();
  EXPECT_FALSE(s.valid || s.ambient_valid || s.diffuse_valid || s.emissive_valid || s.specular_valid);
  expectColor(s.diffuse, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1);
  expectColor(s.ambient, 64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1);
  expectColor(s.specular, 0, 0, 0, 0);
  expectColor(s.emissive, 0, 0, 0, 0);
  m.top().valid = true;
  m.top().diffuse = Color(1, 0, 0, 1);
  m.setDefault();  // keeps valid
  EXPECT_TRUE(m.top().valid);
  expectColor(m.top().diffuse, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1);
}

TEST_F(MaterialTest, ScriptMethodsReadConditionsAndPackedColours) {
  Material m;
  expose(m);
  struct Case {
    const char* code;
    std::function<void(const Material::State&)> check;
  };
  const Case cases[] = {
      {"m:setValid(0)", [](const auto& s) { EXPECT_TRUE(s.valid); }},  // 0 is true in Lua
      {"m:setValid()", [](const auto& s) { EXPECT_FALSE(s.valid); }},
      {"m:setValidDiffuse(true) m:setValidAmbient('x') m:setValidEmissive(false) m:setValidSpecular(nil)",
       [](const auto& s) {
         EXPECT_TRUE(s.diffuse_valid);
         EXPECT_TRUE(s.ambient_valid);
         EXPECT_FALSE(s.emissive_valid);
         EXPECT_FALSE(s.specular_valid);
       }},
      // Alpha 0xFF, red 0x80, green 0x40, blue 0x20, read as unsigned.
      {"m:setDiffuseColor(0xFF804020)", [](const auto& s) { expectColor(s.diffuse, 128 / 255.0f, 64 / 255.0f, 32 / 255.0f, 1); }},
      {"m:setAmbientColor(0x80000000)", [](const auto& s) { expectColor(s.ambient, 0, 0, 0, 128 / 255.0f); }},
      {"m:setEmissiveColor('pink')", [](const auto& s) { expectColor(s.emissive, 0, 0, 0, 0); }},
      {"m:setEmissiveColor()", [](const auto& s) { expectColor(s.emissive, 0, 0, 0, 0); }},
      {"m:setSpecularColor(0x40FF0000)", [](const auto& s) { expectColor(s.specular, 1, 0, 0, 64 / 255.0f); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(rktest::runLua(L, c.code), "");
    c.check(m.top());
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(MaterialTest, AScriptObjectOutlivingItsMaterialReadsAsNull) {
  auto* m = new Material;
  expose(*m);
  delete m;  // the owning node went away
  EXPECT_EQ(rktest::runLua(L, "m:setValid(true) m:setDiffuseColor(1)"), "");
  EXPECT_EQ(log.entries("rk::gfx::Material::lua_setValid"), 1u);
  EXPECT_EQ(log.entries("rk::gfx::Material::lua_setDiffuseColor"), 1u);
  lua_pushlightuserdata(L, &saved);
  lua_setglobal(L, "light");
  EXPECT_EQ(rktest::runLua(L, "local f = getmetatable(m).__index.setValid f(light, true)"), "");
  EXPECT_EQ(log.entries("rk::gfx::Material::lua_setValid"), 2u);
}

TEST_F(MaterialTest, ReflectBackupAndReleaseMoveColoursThroughTheDeviceBlock) {
  Material m;
  // Off: nothing happens at all.
  block().diffuse = Color(0.1f, 0.1f, 0.1f, 1);
  m.reflect();
  m.backup();
  EXPECT_EQ(m.depth(), 1u);
  expectColor(block().diffuse, 0.1f, 0.1f, 0.1f, 1);

  m.top().valid = true;
  m.top().diffuse_valid = true;
  m.top().diffuse = Color(1, 0, 0, 1);
  m.top().emissive = Color(0, 1, 0, 1);  // its flag is off
  block().power = 7;
  m.reflect();
  expectColor(block().diffuse, 1, 0, 0, 1);
  expectColor(block().emissive, 0, 0, 0, 0);
  EXPECT_EQ(block().power, 7);

  // backup saves the block with the top's flags; reflect then loads the saved
  // colours, and release drops them and loads the material's own.
  block().diffuse = Color(0, 0, 1, 1);
  m.backup();
  EXPECT_EQ(m.depth(), 2u);
  std::unique_ptr<Material> copy(m.clone());
  EXPECT_EQ(copy->depth(), 2u);
  expectColor(copy->top().diffuse, 0, 0, 1, 1);
  block().diffuse = Color(0.5f, 0.5f, 0.5f, 1);
  m.reflect();
  expectColor(block().diffuse, 0, 0, 1, 1);
  m.release();
  EXPECT_EQ(m.depth(), 1u);
  expectColor(block().diffuse, 1, 0, 0, 1);

  // A release without a backup keeps the base state and only reports.
  m.release();
  EXPECT_EQ(m.depth(), 1u);
  EXPECT_EQ(log.entries("rk::gfx::Material::releaseData"), 1u);
}

}  // namespace
