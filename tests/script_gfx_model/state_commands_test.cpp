// The state-command objects: what each creator appends, with which values,
// methods and collector; their setters; the texture references of the
// texture command; what the commands change for the commands after them;
// and the rule that ties a command, its object and its gfx model together.
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/rk_gfx_strech_blt.h"
#include "gfx/rk_texture.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {
namespace {

using namespace gfxlisttest;
namespace cmd = rk::gfx::gfx_model_command;
using rk::gfx::GfxModelList;

class StateCommandApi : public GfxModelApi {
 protected:
  void SetUp() override {
    GfxModelApi::SetUp();
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true)"), "");
  }
  // The method names of an object global, sorted.
  std::vector<std::string> methodsOf(const char* name) {
    EXPECT_EQ(run(std::string("local t = {} for k in pairs(getmetatable(") + name +
                  ").__index) do t[#t + 1] = k end table.sort(t) names = table.concat(t, ',')"),
              "");
    lua_getglobal(L, "names");
    std::string names = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
    lua_settop(L, 0);
    std::vector<std::string> out;
    for (std::size_t at = 0; at < names.size();) {
      std::size_t comma = names.find(',', at);
      if (comma == std::string::npos) comma = names.size();
      out.push_back(names.substr(at, comma - at));
      at = comma + 1;
    }
    return out;
  }
  lua_CFunction collectorOf(const char* name) {
    lua_getglobal(L, name);
    lua_getmetatable(L, -1);
    lua_getfield(L, -1, "__gc");
    lua_CFunction f = lua_tocfunction(L, -1);
    lua_settop(L, 0);
    return f;
  }
};

template <class T>
bool is(GfxModelList* c) {
  return dynamic_cast<T*>(c) != nullptr;
}

TEST_F(StateCommandApi, CreatorsAppendTheirCommandWithItsMethodsAndCollector) {
  struct Case {
    const char* create;
    bool (*kind)(GfxModelList*);
    std::vector<std::string> methods;  // sorted
    bool deleteList;                   // else releaseGfxCommand
    bool (*initial)(GfxModelList*);
  };
  const Case cases[] = {
      {"createSetTexture()", is<cmd::GfxModelTexture>, {"setTexture"}, false,
       [](GfxModelList* c) {
         auto* t = static_cast<cmd::GfxModelTexture*>(c);
         return t->stage() == 0 && !t->texture();
       }},
      {"createTextureStageDefault(7.9)", is<cmd::TextureBlendDefault>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendDefault*>(c)->flag() == 7; }},
      {"createAlphaBlend()", is<cmd::TextureBlendAlpha>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendAlpha*>(c)->flag() == 0; }},
      {"createAlphaBlend(0)", is<cmd::TextureBlendAlpha>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendAlpha*>(c)->flag() == 1; }},
      {"createAddBlend(4294967295)", is<cmd::TextureBlendAdd>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendAdd*>(c)->flag() == -1; }},
      {"createSubBlend('3')", is<cmd::TextureBlendSub>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendSub*>(c)->flag() == 3; }},
      {"createMulBlend()", is<cmd::TextureBlendMul>, {"setBlend"}, false,
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendMul*>(c)->flag() == 0; }},
      {"createSamplerAddressU()", is<cmd::SamplerStateAddressU>, {"setAddress"}, false,
       [](GfxModelList* c) {
         auto* s = static_cast<cmd::SamplerStateAddress*>(c);
         return s->first() == 0 && s->second() == 1;
       }},
      {"createSamplerAddressV()", is<cmd::SamplerStateAddressV>, {"setAddress"}, false,
       [](GfxModelList* c) {
         auto* s = static_cast<cmd::SamplerStateAddress*>(c);
         return s->first() == 0 && s->second() == 1;
       }},
      {"createMultiTextureDefault()", is<cmd::MultiTextureDefault>, {}, false, nullptr},
      {"disableMultiTexture()", is<cmd::MultiTextureDisable>, {}, false, nullptr},
      {"clearZBuffer()", is<cmd::ClearZBuffer>, {}, true, nullptr},
      {"createTestZBuffer()", is<cmd::TestZBuffer>, {"setTestZBuffer"}, true,
       [](GfxModelList* c) { return static_cast<cmd::TestZBuffer*>(c)->flag(); }},
      {"createStrechBlt()", is<cmd::GfxModelStrechBlt>,
       {"calcTransform", "identity", "setDrawCommand", "setDstSize", "setDstXY", "setRotation", "setRotationCenter",
        "setScale", "setScaleCenter", "setScaleRotation", "setSrcSize", "setSrcXY", "setTexture"},
       true,
       [](GfxModelList* c) {
         auto* b = static_cast<cmd::GfxModelStrechBlt*>(c);
         return !b->texture() && b->dstSize().x == 256 && b->dstSize().y == 256 && b->srcSize().x == 0 &&
                b->dstXY().x == 0 && b->drawCommand() == 0 && b->transform().getScale().x == 1;
       }},
  };
  rk::gfx::GfxModel* model = gfxModel("g");
  ASSERT_EQ(run("keep = {}"), "");
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("c = g:") + c.create + " keep[#keep + 1] = c"), "") << c.create;
    GfxModelList* made = command("c");
    ASSERT_NE(made, nullptr) << c.create;
    EXPECT_TRUE(c.kind(made)) << c.create;
    EXPECT_EQ(made->owner_, model) << c.create;
    ASSERT_FALSE(model->commands().empty());
    EXPECT_EQ(model->commands().back(), made) << c.create << ": appended at the end";
    EXPECT_EQ(methodsOf("c"), c.methods) << c.create;
    EXPECT_EQ(collectorOf("c"), c.deleteList ? &rk::gfx::GfxModel::deleteList : &rk::script::gph::releaseGfxCommand)
        << c.create;
    if (c.initial) {
      EXPECT_TRUE(c.initial(made)) << c.create;
    }
  }
  EXPECT_EQ(model->commands().size(), std::size(cases));
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StateCommandApi, StretchBlitMethodsInOrder) {
  const std::vector<std::string> expected = {
      "setDstXY", "setDstSize", "setSrcXY", "setSrcSize", "setDrawCommand", "setTexture", "identity",
      "setScaleCenter", "setScale", "setScaleRotation", "setRotationCenter", "setRotation", "calcTransform"};
  EXPECT_EQ(namesOf(rk::script::gph::kStrechBltMethods), expected);
}

TEST_F(StateCommandApi, SettersStoreTheirValues) {
  struct Case {
    const char* code;
    bool (*holds)(GfxModelList*);
  };
  const Case cases[] = {
      {"c = g:createTextureStageDefault(1) c:setBlend(-2.7)",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendFlag*>(c)->flag() == -2; }},
      {"c = g:createAddBlend(1) c:setBlend(4294967296 + 5)",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendFlag*>(c)->flag() == 5; }},
      {"c = g:createSubBlend(1) c:setBlend()",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendFlag*>(c)->flag() == 0; }},
      {"c = g:createMulBlend(1) c:setBlend('9')",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendFlag*>(c)->flag() == 9; }},
      {"c = g:createAlphaBlend() c:setBlend(true)",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendAlpha*>(c)->flag() == 1; }},
      {"c = g:createAlphaBlend(true) c:setBlend(false)",
       [](GfxModelList* c) { return static_cast<cmd::TextureBlendAlpha*>(c)->flag() == 0; }},
      {"c = g:createSamplerAddressU() c:setAddress(3, 4)",
       [](GfxModelList* c) {
         auto* s = static_cast<cmd::SamplerStateAddress*>(c);
         return s->first() == 3 && s->second() == 4;
       }},
      {"c = g:createSamplerAddressV() c:setAddress(4294967295)",
       [](GfxModelList* c) {
         auto* s = static_cast<cmd::SamplerStateAddress*>(c);
         return s->first() == -1 && s->second() == 0;
       }},
      {"c = g:createTestZBuffer() c:setTestZBuffer(false)",
       [](GfxModelList* c) { return !static_cast<cmd::TestZBuffer*>(c)->flag(); }},
      {"c = g:createTestZBuffer() c:setTestZBuffer(false) c:setTestZBuffer(0)",
       [](GfxModelList* c) { return static_cast<cmd::TestZBuffer*>(c)->flag(); }},
      {"c = g:createStrechBlt() c:setDstXY(1, 2) c:setDstSize(3, 4) c:setSrcXY(5, 6) c:setSrcSize(7, 8)",
       [](GfxModelList* c) {
         auto* b = static_cast<cmd::GfxModelStrechBlt*>(c);
         return b->dstXY().y == 2 && b->dstSize().x == 3 && b->srcXY().x == 5 && b->srcSize().y == 8;
       }},
      {"c = g:createStrechBlt() c:setDrawCommand(-3.9)",
       [](GfxModelList* c) { return static_cast<cmd::GfxModelStrechBlt*>(c)->drawCommand() == -3; }},
      {"c = g:createStrechBlt() c:setScale(2, 3) c:setScaleCenter(1, 1) c:setRotationCenter(4, 5)",
       [](GfxModelList* c) {
         auto& t = static_cast<cmd::GfxModelStrechBlt*>(c)->transform();
         return t.getScale().x == 2 && t.getScale().y == 3 && t.getScale().z == 1 && t.getScaleCenter().x == 1 &&
                t.getRotCenter().y == 5;
       }},
      {"c = g:createStrechBlt() c:setRotation(0.5) c:setScaleRotation(0.25)",
       [](GfxModelList* c) {
         auto& t = static_cast<cmd::GfxModelStrechBlt*>(c)->transform();
         return t.getYawPitchRoll().z == 0.5f && t.getYawPitchRoll().x == 0 && t.getScaleYawPitchRoll().z == 0.25f;
       }},
      {"c = g:createStrechBlt() c:setScale(2, 3) c:identity()",
       [](GfxModelList* c) { return static_cast<cmd::GfxModelStrechBlt*>(c)->transform().getScale().x == 1; }},
      {"c = g:createStrechBlt() c:setRotation(1) c:calcTransform()",
       [](GfxModelList* c) { return static_cast<cmd::GfxModelStrechBlt*>(c)->transform().isMatrixValid(); }},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(c.code), "") << c.code;
    GfxModelList* made = command("c");
    ASSERT_NE(made, nullptr) << c.code;
    EXPECT_TRUE(c.holds(made)) << c.code;
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StateCommandApi, TextureCommandHoldsOneReferenceOnTheTextureItNames) {
  ASSERT_EQ(run("t = createTexture('t', true) u = createTexture('u', true) c = g:createSetTexture()\n"
                "c:setTexture(0, t) c:setTexture(0, t)"),
            "");
  auto* set = static_cast<cmd::GfxModelTexture*>(command("c"));
  rk::gfx::RkTexture* t = global<rk::gfx::RkTexture>("t", rk::script::gph::kTextureClass);
  rk::gfx::RkTexture* u = global<rk::gfx::RkTexture>("u", rk::script::gph::kTextureClass);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->texture(), t);
  EXPECT_EQ(t->count(), 2) << "the object's and the command's";
  ASSERT_EQ(run("c:setTexture(1, u)"), "");
  EXPECT_EQ(t->count(), 1);
  EXPECT_EQ(u->count(), 2);
  EXPECT_EQ(set->stage(), 1u);
  EXPECT_EQ(set->texture(), u);

  // The command keeps its texture alive after the texture's object is gone.
  ASSERT_EQ(run("u = nil"), "");
  collect();
  EXPECT_EQ(u->count(), 1);
  ASSERT_EQ(run("c:setTexture(0, nil)"), "");
  EXPECT_EQ(set->texture(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StateCommandApi, TextureCommandReportsBadStagesAndTexturesOfAnotherKind) {
  const std::vector<LuaCase> cases = {
      {"stage 2", "local c = g:createSetTexture() c:setTexture(2, createTexture('t', true))",
       "rk::gfx::gfx_model_command::GfxModelTexture::setTexture"},
      {"stage -1", "local c = g:createSetTexture() c:setTexture(-1, createTexture('t', true))",
       "rk::gfx::gfx_model_command::GfxModelTexture::setTexture"},
      {"not a texture", "local c = g:createSetTexture() c:setTexture(0, createLight(0))",
       GPH("lua_GfxModel_Texture_setTexture")},
      {"number", "local c = g:createSetTexture() c:setTexture(0, 5)", GPH("lua_GfxModel_Texture_setTexture")},
      {"stretch blit", "local c = g:createStrechBlt() c:setTexture({})", GPH("lua_GfxModel_StrechBlt_setTexture")},
      {"no command", "local c = g:createSetTexture() c.setTexture(nil, 0, createTexture('t', true))", nullptr},
  };
  runCases(cases);
}

TEST_F(StateCommandApi, StretchBlitTakesAndLetsGoOfItsTexture) {
  ASSERT_EQ(run("t = createTexture('t', true) c = g:createStrechBlt() c:setTexture(t)"), "");
  auto* blt = static_cast<cmd::GfxModelStrechBlt*>(command("c"));
  rk::gfx::RkTexture* t = global<rk::gfx::RkTexture>("t", rk::script::gph::kTextureClass);
  EXPECT_EQ(blt->texture(), t);
  EXPECT_EQ(t->count(), 2);
  ASSERT_EQ(run("c:setTexture(nil)"), "");
  EXPECT_EQ(blt->texture(), nullptr);
  EXPECT_EQ(t->count(), 1);
  ASSERT_EQ(run("c:setTexture(t) c = nil"), "");
  collect();
  EXPECT_EQ(t->count(), 1) << "the collected command released its reference";
}

TEST_F(StateCommandApi, CommandMethodsGivenAnotherKindReportUnderTheirNames) {
  const std::vector<LuaCase> cases = {
      {"default", "local c = g:createTextureStageDefault(0) c.setBlend(g, 1)",
       GPH("lua_GfxModel_TextureStageDefault_setBlend")},
      {"alpha", "local c = g:createAlphaBlend(0) c.setBlend(g:createAddBlend(0), 1)",
       GPH("lua_GfxModel_AlphaBlend_setBlend")},
      {"add", "local c = g:createAddBlend(0) c.setBlend(nil, 1)", GPH("lua_GfxModel_AddBlend_setBlend")},
      {"sub", "local c = g:createSubBlend(0) c.setBlend(g:createMulBlend(0), 1)", GPH("lua_GfxModel_SubBlend_setBlend")},
      {"mul", "local c = g:createMulBlend(0) c.setBlend(c, 1) getmetatable(c).__gc(c) c:setBlend(1)",
       GPH("lua_GfxModel_MulBlend_setBlend")},
      {"sampler U", "local c = g:createSamplerAddressU() c.setAddress(g:createSamplerAddressV(), 1, 2)",
       GPH("lua_GfxModel_SamplerAddressU_setAddress")},
      {"sampler V", "local c = g:createSamplerAddressV() c.setAddress(1, 1, 2)",
       GPH("lua_GfxModel_SamplerAddressV_setAddress")},
      {"depth test", "local c = g:createTestZBuffer() c.setTestZBuffer(g:clearZBuffer(), false)",
       GPH("lua_GfxModel_TestZBuffer_setTestZBuffer")},
      {"blit", "local c = g:createStrechBlt() c.setDstXY(g:createTestZBuffer(), 1, 2)",
       GPH("lua_GfxModel_StrechBlt_setDstXY")},
      {"creator", "local c = g.createAddBlend(createLight(0), 1) c:setBlend(2)", GPH("lua_GfxModel_createAddBlend")},
      {"unreported creators", "g.createTestZBuffer(nil):setTestZBuffer(false) g.createStrechBlt(1):setDstXY(1, 1)",
       nullptr},
  };
  runCases(cases);
}

// Released twice, a command object deletes its command once; the second
// collection reports the null command under the collector's name.
TEST_F(StateCommandApi, CollectorsReleaseOnceAndReportAnEmptyObject) {
  const std::vector<LuaCase> cases = {
      {"owned", "local c = g:createAddBlend(1) local gc = getmetatable(c).__gc gc(c) gc(c)",
       GPH("releaseGfxCommand")},
      {"listed", "local c = g:clearZBuffer() local gc = getmetatable(c).__gc gc(c) gc(c)",
       "rk::gfx::GfxModel::deleteList"},
      {"other kind", "local c = g:createAddBlend(1) getmetatable(c).__gc(g)", GPH("releaseGfxCommand")},
      {"other kind, listed", "local c = g:createTestZBuffer() getmetatable(c).__gc(createLight(0))",
       "rk::gfx::GfxModel::deleteList"},
  };
  runCases(cases);
  EXPECT_TRUE(gfxModel("g")->commands().empty());
}

TEST_F(StateCommandApi, CollectedCommandLeavesItsModelAndTheOthersKeepTheirOrder) {
  ASSERT_EQ(run("a = g:createAddBlend(1) b = g:clearZBuffer() c = g:createSetTexture() d = g:createTestZBuffer()"),
            "");
  GfxModelList *a = command("a"), *c = command("c");
  ASSERT_EQ(run("b = nil d = nil"), "");
  collect();
  const std::list<GfxModelList*> expected = {a, c};
  EXPECT_EQ(gfxModel("g")->commands(), expected);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StateCommandApi, ClearedCommandsStayUsableAndTheirCollectionLeavesTheNewListAlone) {
  ASSERT_EQ(run("a = g:createAddBlend(1) b = g:clearZBuffer() s = g:createSamplerAddressU()\n"
                "g:cls()\n"
                "n = g:createMulBlend(2)\n"
                "a:setBlend(5) s:setAddress(6, 7)"),
            "");
  EXPECT_EQ(static_cast<cmd::TextureBlendFlag*>(command("a"))->flag(), 5);
  EXPECT_EQ(static_cast<cmd::SamplerStateAddress*>(command("s"))->second(), 7);
  EXPECT_EQ(command("a")->owner_, nullptr);
  GfxModelList* n = command("n");
  ASSERT_EQ(run("a = nil b = nil s = nil"), "");
  collect();
  const std::list<GfxModelList*> expected = {n};
  EXPECT_EQ(gfxModel("g")->commands(), expected);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(StateCommandApi, CommandsOutliveTheirCollectedGfxModel) {
  ASSERT_EQ(run("a = g:createAddBlend(1) b = g:createTestZBuffer() c = g:createSetTexture()\n"
                "c:setTexture(0, createTexture('t', true))\n"
                "g = nil"),
            "");
  collect();
  EXPECT_TRUE(manager->models().empty());
  EXPECT_EQ(command("b")->owner_, nullptr);
  ASSERT_EQ(run("a:setBlend(3) b:setTestZBuffer(false) a = nil b = nil c = nil"), "");
  collect();
  EXPECT_TRUE(log.empty()) << log.text();
}

// A gfx model that only a temporary held may be collected while its creator
// makes the command's object; the command is then simply without a model.
TEST_F(StateCommandApi, CreatorOnATemporaryGfxModel) {
  ASSERT_EQ(run("for i = 1, 200 do local c = createGfxModel():createAddBlend(i) collectgarbage() c:setBlend(1) end"),
            "");
  collect();
  EXPECT_EQ(manager->models().size(), 1u);
}

TEST_F(StateCommandApi, StateCommandsChangeWhatTheCommandsAfterThemMeet) {
  ASSERT_EQ(run("t = createTexture('t', true) u = createTexture('u', true)"), "");
  rk::gfx::RkTexture* t = global<rk::gfx::RkTexture>("t", rk::script::gph::kTextureClass);
  rk::gfx::RkTexture* u = global<rk::gfx::RkTexture>("u", rk::script::gph::kTextureClass);
  ASSERT_EQ(run("g:setZBuffer(false)"), "");
  addProbe("g");  // 0: the model's own flags
  ASSERT_EQ(run("z = g:createTestZBuffer() a = g:createAlphaBlend() s = g:createSetTexture() s:setTexture(1, t)"), "");
  addProbe("g");  // 1
  ASSERT_EQ(run("a2 = g:createAlphaBlend() a2:setBlend(true) z2 = g:createTestZBuffer() z2:setTestZBuffer(false)\n"
                "s2 = g:createSetTexture() s2:setTexture(0, u)"),
            "");
  addProbe("g");  // 2
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen[0].depthTest);
  EXPECT_TRUE(seen[0].alphaBlend);
  EXPECT_TRUE(seen[1].depthTest) << "a depth-test command turns the test on whatever the model says";
  EXPECT_FALSE(seen[1].alphaBlend) << "createAlphaBlend() without an argument: off";
  EXPECT_EQ(seen[1].textures[1], t);
  EXPECT_EQ(seen[1].textures[0], nullptr);
  EXPECT_FALSE(seen[2].depthTest);
  EXPECT_TRUE(seen[2].alphaBlend);
  EXPECT_EQ(seen[2].textures[0], u);
  EXPECT_EQ(seen[2].textures[1], t);

  // A collected command no longer runs.
  seen.clear();
  ASSERT_EQ(run("z2 = nil a2 = nil"), "");
  collect();
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[2].depthTest);
  EXPECT_FALSE(seen[2].alphaBlend);
}

TEST_F(StateCommandApi, DepthClearHappensAtItsPlaceEveryDrawUntilCollected) {
  auto depthClears = [this] {
    int n = 0;
    for (const gpu::Command& c : commandsOf("command_list_[0]"))
      if (const auto* d = as<gpu::cmd::ClearDepthStencil>(c)) n += d->flags == gpu::D3D12_CLEAR_FLAG_DEPTH;
    return n;
  };
  ASSERT_EQ(run("c = g:clearZBuffer()"), "");
  drawModel(gfxModel("g"));
  const int base = depthClears();
  ASSERT_EQ(run("c2 = g:clearZBuffer()"), "");
  drawModel(gfxModel("g"));
  EXPECT_EQ(depthClears(), base + 1);
  ASSERT_EQ(run("c2 = nil"), "");
  collect();
  drawModel(gfxModel("g"));
  EXPECT_EQ(depthClears(), base);
  ASSERT_EQ(run("g:setVisible(false)"), "");
  drawModel(gfxModel("g"));
  EXPECT_EQ(depthClears(), base - 1) << "a hidden model runs no command";
}

}  // namespace
}  // namespace gfxmodelapitest
