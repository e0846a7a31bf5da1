// The camera's flare textures: the flare texture and the ghost list hold
// references of their own on the textures of texture objects, which the
// camera releases when it goes.
#include "gfx/rk_camera.h"
#include "gfx/rk_texture.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {
namespace {

using rk::gfx::RkTexture;

class CameraFlareApi : public GfxModelApi {
 protected:
  RkTexture* texture(const char* name) { return global<RkTexture>(name, rk::script::gph::kTextureClass); }
  rk::gfx::LenseFlare& flare() { return rk::gfx::CameraManager::getInstance()->getCamera(3)->lenseFlare(); }
};

TEST_F(CameraFlareApi, FlareTextureAndGhostsHoldTheirOwnReferences) {
  ASSERT_EQ(run("c = createCamera(3) t = createTexture('t', true) u = createTexture('u', true)\n"
                "check(type(c.setFlareTexture) == 'function' and type(c.joinFlareGhostTexture) == 'function')\n"
                "c:setFlareTexture(t) c:setFlareTexture(t)\n"
                "c:joinFlareGhostTexture(u) c:joinFlareGhostTexture(u) c:joinFlareGhostTexture(t)"),
            "");
  RkTexture* t = texture("t");
  RkTexture* u = texture("u");
  EXPECT_EQ(flare().texture(), t);
  ASSERT_EQ(flare().ghosts().size(), 3u);
  EXPECT_EQ(flare().ghosts()[0].get(), u);
  EXPECT_EQ(flare().ghosts()[2].get(), t);
  EXPECT_EQ(t->count(), 3) << "object, flare texture, one ghost";
  EXPECT_EQ(u->count(), 3) << "object, two ghosts";
  ASSERT_EQ(run("c:setFlareTexture(u)"), "");
  EXPECT_EQ(t->count(), 2);
  EXPECT_EQ(u->count(), 4);

  // The camera goes with its last object and releases every texture it holds.
  ASSERT_EQ(run("c = nil"), "");
  collect();
  EXPECT_EQ(t->count(), 1);
  EXPECT_EQ(u->count(), 1);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(CameraFlareApi, ValuesThatAreNoTextureObjects) {
  const std::vector<LuaCase> cases = {
      {"flare: a light", "local c = createCamera(3) c:setFlareTexture(createLight(0))",
       GPH("lua_Camera_setFlareTexture")},
      {"flare: nil", "local c = createCamera(3) c:setFlareTexture()", GPH("lua_Camera_setFlareTexture")},
      {"ghost: a number", "local c = createCamera(3) c:joinFlareGhostTexture(5)",
       GPH("lua_Camera_joinFlareGhostTexture")},
      {"ghost: a released texture object",
       "local c = createCamera(3) local t = createTexture('t', true) getmetatable(t).__gc(t)\n"
       "c:joinFlareGhostTexture(t)",
       GPH("lua_Camera_joinFlareGhostTexture")},
      {"not a camera", "local c = createCamera(3) c.setFlareTexture(createLight(0), createTexture('t', true))",
       GPH("lua_Camera_setFlareTexture")},
  };
  ASSERT_EQ(run("keep = createCamera(3) t = createTexture('kept', true) keep:setFlareTexture(t)"), "");
  runCases(cases);
  EXPECT_EQ(flare().texture(), texture("t")) << "no case changed the flare texture";
  EXPECT_TRUE(flare().ghosts().empty());

  // A texture object released by its script leaves the flare without a texture.
  ASSERT_EQ(run("local r = createTexture('r', true) getmetatable(r).__gc(r) keep:setFlareTexture(r)"), "");
  EXPECT_EQ(flare().texture(), nullptr);
}

}  // namespace
}  // namespace gfxmodelapitest
