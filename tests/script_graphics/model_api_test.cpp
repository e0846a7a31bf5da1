// The model object: its defaults and method table, placement, lighting and
// culling-box methods read back from the scene model, the animation methods
// and queue reaching a recording root, the shared drawing methods, and the
// null-object rule for objects released by scripts or deleted by the scene.
#include <set>
#include <string>

#include "host/ui.h"

#include "col/rk_collision_obb.h"
#include "gfx/rk_model.h"
#include "gfx/rk_model_draw_info.h"
#include "gfx/rk_studio_info.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_math.h"
#include "script/rk_script_model.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

using rk::gfx::Model;

// A root that is ready at once and records what the model asks of it.
class RecordingRoot : public rk::driver::directx::DxModelRoot12 {
 public:
  explicit RecordingRoot(std::string& trace) : DxModelRoot12("recording"), trace_(trace) {}
  bool isReady() override { return true; }
  void changeAnime(int take) override { add("change" + std::to_string(take)); }
  bool shiftAnime(int take, float blend) override {
    add("shift" + std::to_string(take) + "/" + std::to_string(blend).substr(0, 4));
    return true;
  }
  void setPlayAnime(int value) override { add("play" + std::to_string(value)); }
  void setLoopAnime(bool loop) override {
    loop_ = loop;
    add(loop ? "loop" : "once");
  }
  bool isLoopAnime() override { return loop_; }
  bool isEndOfAnime() override { return ended; }
  void setNowAnimeTime(float time) override { now_ = time; }
  float getNowAnimeTime() override { return now_; }
  float getMaxAnimeTime() override { return 2.5f; }
  int getAnimeTakeNum() override { return 2; }
  const char* getAnimeNameByNum(int index) override { return index == 0 ? "walk" : index == 1 ? "run" : "none"; }
  bool getAnimeID(int& take, const char* name) override {
    take = std::string(name) == "run" ? 1 : 0;
    return std::string(name) == "run" || std::string(name) == "walk";
  }
  void updateAnime(float seconds) override { add("anime" + std::to_string(seconds).substr(0, 4)); }
  void setShadowColor(std::uint32_t argb) override { shadow = argb; }
  bool getFrameMatrix(rk::math::Matrix& out, const char* frame) override {
    out = rk::math::matrixIdentity();
    if (frame && std::string(frame) == "muzzle") out = rk::math::matrixTranslation(0, 0, 2);
    return !frame || std::string(frame) == "muzzle";
  }
  void setFrameQuat(const char* frame, const rk::math::Vector4& q, bool flag) override {
    add(std::string("quat:") + frame + "/" + std::to_string(q.w).substr(0, 3) + (flag ? "/on" : "/off"));
  }
  void setDrawMode(const char* frame, int mode) override { add(std::string("mode:") + frame + "=" + std::to_string(mode)); }

  bool ended = false;
  std::uint32_t shadow = 0;

 private:
  void add(const std::string& what) { trace_ += what + " "; }
  std::string& trace_;
  bool loop_ = false;
  float now_ = 0.0f;
};

class ModelApi : public GraphicsApi {
 protected:
  void SetUp() override {
    GraphicsApi::SetUp();
    manager = rk::gfx::ModelManager::createInstance();
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();  // collects every model object first
    rk::gfx::ModelManager::destroyInstance();
    GraphicsApi::TearDown();
  }
  Model* model(const char* global) {
    lua_getglobal(L, global);
    auto* m = rk::script::toLuaObject<Model>(L, -1, rk::script::gph::kModelClass);
    lua_settop(L, 0);
    return m;
  }
  // Gives the model of the global a recording root.
  RecordingRoot* giveRoot(const char* global) {
    auto* root = new RecordingRoot(trace);
    model(global)->setRoot(root);
    return root;
  }
  std::string take() {
    std::string out;
    out.swap(trace);
    return out;
  }

  rk::gfx::ModelManager* manager = nullptr;
  std::string trace;
};

TEST_F(ModelApi, NewModelDefaultsAndMethodTable) {
  ASSERT_EQ(run("m = createModel(1, 2, 3)\n"
                "check(m:isVisible() == false and m:isReady() == false, 'hidden, not ready')\n"
                "check(join(m:getPosition()) == '0,0,0', 'origin')\n"
                "check(join(m:getQuat()) == '0,0,0,1', 'no rotation')\n"
                "check(m:getLightMode() == 2, 'camera lighting')\n"
                "local n = 0 for k in pairs(getmetatable(m).__index) do n = n + 1 end\n"
                "count = n"),
            "");
  Model* m = model("m");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->getRenderCameraBit(), 1);
  EXPECT_EQ(m->getRenderPriority(), 0);
  EXPECT_EQ(m->getRoot(), nullptr);
  EXPECT_TRUE(manager->contains(m));
  lua_getglobal(L, "count");
  // The shared four, three of them replaced by the model's own 74.
  EXPECT_EQ(lua_tointeger(L, -1), 75);
  lua_settop(L, 0);
  ASSERT_EQ(run("check(type(m.setRevSync) == 'function' and type(m.setFrameQuat) == 'function', 'names')"), "");
}

// Each case runs on a fresh model `m` and then its check reads the model.
TEST_F(ModelApi, SettersReachTheSceneModel) {
  struct Case {
    const char* code;
    bool (*holds)(Model&);
  };
  const Case cases[] = {
      {"m:setQuat()", [](Model& m) { return m.getRotQuat().x == 0 && m.getRotQuat().w == 0; }},
      {"m:setQuat(0, 0, 0.6, 0.8)", [](Model& m) { return m.getRotQuat().z == 0.6f && m.getRotQuat().w == 0.8f; }},
      {"m:setPosition(1, 2, 3)", [](Model& m) { return m.getPos().x == 1 && m.getPos().z == 3; }},
      {"m:setScaling(2, 3, 4)", [](Model& m) { return m.getScale().y == 3; }},
      {"m:setRenderBit(6)", [](Model& m) { return m.getRenderCameraBit() == 6; }},
      {"m:setRenderCameraBit(6.9)", [](Model& m) { return m.getRenderCameraBit() == 6; }},
      {"m:setShadowPlane(true) m:setShadow(1) m:setShadowCast(true)",
       [](Model& m) { return m.isShadowPlane() && m.isShadow() && m.isShadowCast(); }},
      {"m:setDrawMode(-1)", [](Model& m) { return m.getDrawMode() == 65535; }},
      {"m:setDrawMode(7)", [](Model& m) { return m.getDrawMode() == 7; }},
      {"m:setLightMode(1)", [](Model& m) { return m.getModelDrawInfo(0)->studio()->lightMode() == 1; }},
      {"m:setAmbientColor(0x80FF8000)",
       [](Model& m) {
         const rk::gfx::Color& c = m.getModelDrawInfo(0)->studio()->ambientColor();
         return c.getR() == 1.0f && c.getG() == 128.0f / 255.0f && c.getB() == 0.0f && c.getA() == 128.0f / 255.0f;
       }},
      {"m:setLightValid(3, true) m:setLightValid(4, true) m:setLightValid(4, false)",
       [](Model& m) {
         const auto& lights = m.getModelDrawInfo(0)->studio()->lights();
         return lights.size() == 1 && lights.count(3) == 1 && lights.at(3).type == 0;
       }},
      {"m:setLightData(2, 1, 0xFF0000FF, 0, 0, 1, 2, 3, 0, -1, 0, 50, 1, 0.5, 0.25, 0.125, 0.3, 0.6)",
       [](Model& m) {
         const rk::gfx::LightParameter& l = m.getModelDrawInfo(0)->studio()->lights().at(2);
         return l.type == 1 && l.diffuse[2] == 1.0f && l.diffuse[0] == 0.0f && l.diffuse[3] == 1.0f &&
                l.position[2] == 3.0f && l.direction[1] == -1.0f && l.range == 50.0f && l.attenuation2 == 0.125f &&
                l.phi == 0.6f;
       }},
      {"m:setSizeFrustumModel(5, 5, 5)", [](Model& m) { return m.cullingBody() == nullptr; }},
      {"m:createFrustumModel() m:setSizeFrustumModel(2, 3, 4)",
       [](Model& m) { return m.cullingBody() && m.cullingBody()->getSize().y == 3.0f; }},
      {"m:createFrustumModel() local t = createMatrix() t:translation(1, 2, 3) m:setOffseteFrustumModel(t)",
       [](Model& m) { return m.getCullingOffset().m[3][1] == 2.0f; }},
      {"m:createFrustumModel() m:releaseFrustumModel()", [](Model& m) { return m.cullingBody() == nullptr; }},
      {"m:setVisible(true)", [](Model& m) { return m.isVisible(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_EQ(run(std::string("m = createModel() ") + c.code), "");
    Model* m = model("m");
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(c.holds(*m));
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ModelApi, YawPitchRollAndCalcTransformationBuildTheMatrix) {
  ASSERT_EQ(run("m = createModel() m:setPosition(4, 5, 6) m:setYawPitchRoll(0, 0, 0) m:calcTransformation()"), "");
  Model* m = model("m");
  EXPECT_TRUE(m->isMatrixValid());
  EXPECT_EQ(m->getMatrix().m[3][0], 4.0f);
  ASSERT_EQ(run("m:setYawPitchRoll(1.5707963, 0, 0) check(near(select(4, m:getQuat()), 0.7071068), 'quaternion')"),
            "");
}

TEST_F(ModelApi, RootMethodsNeedALoadedRoot) {
  ASSERT_EQ(run("m = createModel() m:setShadowColor(255, 0, 0, 128) m:addAmbientColor(0xFF00FF00) "
                "m:calcUVOffset('body', 0.5, 0) check(m:getFrameMaterial() == nil, 'no root, no material') "
                "check(join(m:computeBoundingBox()) == '0,0,0,0,0,0', 'six zeros')"),
            "");
  RecordingRoot* root = giveRoot("m");
  ASSERT_EQ(run("m:setShadowColor(255, 0, 256, 128) m:addAmbientColor(0xFF00FF00) m:setDrawMode(-5, 'arm') "
                "check(join(m:computeBoundingBox('arm')) == '0,0,0,0,0,0', 'the root gives no box') "
                "mat = m:getFrameMaterial() check(type(mat) == 'userdata', 'the model material')"),
            "");
  EXPECT_EQ(root->shadow, 0x80FF0000u) << "alpha, red, green, blue; a channel of 256 counts as 0";
  EXPECT_EQ(root->getAddColor().getG(), 1.0f);
  EXPECT_EQ(root->getAddColor().getR(), 0.0f);
  EXPECT_EQ(take(), "mode:arm=65535 ");
  EXPECT_EQ(model("m")->getDrawMode(), 1) << "a frame's draw mode goes to the root";
  // The material object outlives nothing: once the model is collected it reads null.
  ASSERT_EQ(run("m = nil collectgarbage() collectgarbage() mat:setValid(true)"), "");
  EXPECT_EQ(manager->models().size(), 0u);
}

TEST_F(ModelApi, AnimationMethodsReachTheRoot) {
  ASSERT_EQ(run("m = createModel()"), "");
  RecordingRoot* root = giveRoot("m");
  ASSERT_EQ(run("m:changeAnime(1) m:shiftAnime(0, 0.5) m:setLoopAnime(true) m:setPlayAnime(false)\n"
                "check(m:isLoopAnime() == true, 'loop')\n"
                "check(m:getAnimeTakeNum() == 2 and m:getAnimeNameByNum(1) == 'run', 'takes')\n"
                "check(m:getAnimeNameByNum(9) == 'none', 'outside the takes')\n"
                "check(m:getAnimeID('run') == 1 and m:getAnimeID('fly') == 0, 'ids')\n"
                "m:setNowAnimeTime(1.25) check(m:getNowAnimeTime() == 1.25 and m:getMaxAnimeTime() == 2.5, 'time')\n"
                "check(m:isEndOfAnime() == false, 'playing')"),
            "");
  EXPECT_EQ(take(), "change1 shift0/0.50 loop play0 ");
  root->ended = true;
  ASSERT_EQ(run("check(m:isEndOfAnime() == true, 'ended') m:setStopAnime()"), "");
  EXPECT_TRUE(model("m")->isStopAnime());
  ASSERT_EQ(run("m:setRestartAnime()"), "");
  EXPECT_FALSE(model("m")->isStopAnime());
}

TEST_F(ModelApi, AnimationQueueRunsInTheFrameStep) {
  ASSERT_EQ(run("m = createModel() m:pushAnimQueueChange(1) m:pushAnimQueueWait(0.05) m:pushAnimQueueShift(0, 0.25) "
                "check(m:isRunAnimQueue(), 'queued before the root exists')"),
            "");
  frames(2);
  ASSERT_EQ(run("check(m:isRunAnimQueue(), 'a model that is not ready keeps its queue')"), "");
  giveRoot("m");
  frames(1);
  EXPECT_NE(take().find("change1"), std::string::npos);
  frames(4);
  EXPECT_NE(take().find("shift0/0.25"), std::string::npos);
  ASSERT_EQ(run("check(not m:isRunAnimQueue(), 'worked through') m:pushAnimQueueLoop(true) m:pushAnimQueuePlay(true) "
                "m:pushAnimQueueEndOfWait() m:clearAnimQueue() check(not m:isRunAnimQueue(), 'cleared')"),
            "");
}

TEST_F(ModelApi, SoundEffectQueueEntryKeepsItsArguments) {
  ASSERT_EQ(run("m = createModel() local t = createMatrix() t:translation(0, 1, 0)\n"
                "m:pushAnimQueueSoundEffect('se/step.ogg', 'foot', 0.5, t, true)\n"
                "m:pushAnimQueueSoundEffect('se/shot.ogg', nil, 'loud', 7, 1)"),
            "");
  const auto& queue = model("m")->animQueue();
  ASSERT_EQ(queue.size(), 2u);
  EXPECT_EQ(queue[0].sound, "se/step.ogg");
  EXPECT_EQ(queue[0].frame, "foot");
  EXPECT_EQ(queue[0].volume, 0.5f) << "a fractional volume survives";
  EXPECT_EQ(queue[0].offset.m[3][1], 1.0f);
  EXPECT_EQ(queue[0].flag, 1);
  EXPECT_EQ(queue[1].frame, "");
  EXPECT_EQ(queue[1].volume, 1.0f) << "a volume that is not a number";
  EXPECT_EQ(queue[1].offset.m[3][1], 0.0f) << "identity for an offset that is not a matrix";
  EXPECT_EQ(queue[1].flag, 0) << "only a boolean counts as the flag";
}

TEST_F(ModelApi, RenderPriorityMovesTheModelBehindItsGroup) {
  ASSERT_EQ(run("a = createModel() b = createModel() c = createModel() b:setRenderPriority(5) "
                "a:setRenderPriority(5) c:setRenderPriority(-1)"),
            "");
  std::vector<rk::gfx::GModel*> order = manager->models();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], model("c"));
  EXPECT_EQ(order[1], model("b"));
  EXPECT_EQ(order[2], model("a"));
  ASSERT_EQ(run("b:setRenderPriority(5)"), "");
  EXPECT_EQ(manager->models()[2], model("b")) << "the same priority again goes to the end of its group";
}

TEST_F(ModelApi, RevSyncTakesACollisionShape) {
  ASSERT_EQ(run("m = createModel() box = createCollisionOBB() m:setRevSync(box, 3)"), "");
  Model* m = model("m");
  EXPECT_NE(m->getRevSyncTarget(), nullptr);
  EXPECT_EQ(m->getRevSyncCameraNumber(), 3);
  ASSERT_EQ(run("m:setRevSync(nil, 1)"), "");
  EXPECT_EQ(m->getRevSyncTarget(), nullptr) << "no shape switches the reverse sync off";
  EXPECT_EQ(m->getRevSyncCameraNumber(), 1);
  // A shape collected while the model drives it is forgotten, not kept dangling.
  ASSERT_EQ(run("m:setRevSync(box, 0) box = nil collectgarbage() collectgarbage()"), "");
  EXPECT_EQ(m->getRevSyncTarget(), nullptr);
  frames(2);
}

TEST_F(ModelApi, RevSyncPlacesTheShapeBetweenTwoCameras) {
  ASSERT_EQ(run("c1 = createCamera(1) c3 = createCamera(3) c3:setEye(0, 5, 10) "
                "m = createModel() m:setPosition(2, 0, 0) m:setRenderCameraBit(0) box = createCollisionOBB()"),
            "");
  lua_getglobal(L, "box");
  auto* box = rk::script::toLuaObject<rk::collision::CollisionBody>(L, -1, rk::script::collision::kCollisionBodyClass);
  lua_settop(L, 0);
  ASSERT_NE(box, nullptr);
  rk::math::Vector4 centre{};
  ASSERT_EQ(run("m:setRevSync(box, 3)"), "");
  box->getCenter(centre);
  EXPECT_EQ(centre.x, 0.0f) << "camera bits 0 choose no camera";
  ASSERT_EQ(run("m:setRenderCameraBit(6) m:setRevSync(box, 3)"), "");
  box->getCenter(centre);
  EXPECT_NE(centre.x, 0.0f) << "placed through cameras 1 and 3";
}

TEST_F(ModelApi, WrongOrDeadObjectsReportAndDoNothing) {
  const LuaCase cases[] = {
      {"a light as self", "local m = createModel() m.setPosition(createLight(0), 1, 2, 3)",
       "rk::script::gph::`anonymous-namespace'::lua_Model_setPosition"},
      {"nil as self", "local m = createModel() check(m.isReady(nil) == false, 'false')",
       "rk::script::gph::`anonymous-namespace'::lua_ModelIsReady"},
      {"a table as self", "local m = createModel() check(join(m.getPosition({})) == '0,0,0', 'zeros')",
       "rk::script::gph::`anonymous-namespace'::lua_Model_getPosition"},
      {"animation on nil", "local m = createModel() m.changeAnime(nil, 1)",
       "rk::script::gph::`anonymous-namespace'::lua_ModelChangeAnimation"},
      {"shared method on a light", "local m = createModel() m.setRevSync(createLight(0), nil, 0)",
       "rk::script::gph::lua_GModel_setRevSync"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    EXPECT_EQ(run(c.code), "");
    EXPECT_EQ(log.entries(c.logEntry), 1u) << log.text();
  }
  log.clear();
  ASSERT_EQ(run("local m = createModel() m.load(nil, 'x') m.setNowAnimeTime(nil, 1)"), "");
  EXPECT_TRUE(log.empty()) << "load and setNowAnimeTime do not report";
}

TEST_F(ModelApi, ModelDeletedByTheSceneLeavesItsObjectNull) {
  ASSERT_EQ(run("m = createModel() other = createModel() other:setPosition(1, 1, 1)"), "");
  giveRoot("m");
  manager->deleteModels();  // the scene's shut-down deletes every listed model
  EXPECT_EQ(model("m"), nullptr);
  log.clear();
  ASSERT_EQ(run("m:setPosition(1, 2, 3) check(m:isReady() == false, 'dead') m:pushAnimQueueWait(1) "
                "m = nil other = nil collectgarbage() collectgarbage()"),
            "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_Model_setPosition"), 1u);
}

TEST_F(ModelApi, CollectedObjectTakesItsModelOutOfTheScene) {
  ASSERT_EQ(run("m = createModel() m:setVisible(true)"), "");
  giveRoot("m");
  ASSERT_EQ(manager->models().size(), 1u);
  ASSERT_EQ(run("m = nil collectgarbage() collectgarbage()"), "");
  EXPECT_TRUE(manager->models().empty());
  frames(2);  // the per-frame step finds no dangling model
  EXPECT_EQ(take().find("anime"), std::string::npos);
}

TEST_F(ModelApi, AttachHangsAChildOnAFrame) {
  ASSERT_EQ(run("p = createModel() c = createModel() p:setPosition(1, 0, 0) p:calcTransformation() "
                "c:calcTransformation() id = createMatrix()"),
            "");
  giveRoot("p");
  giveRoot("c");
  // Joins the results with every -0 read as 0.
  ASSERT_EQ(run("function J(...) local t = values(...) for i = 2, t.n do t[i] = t[i] + 0 end "
                "return join(table.unpack(t, 1, t.n)) end"),
            "");
  log.clear();
  ASSERT_EQ(run("check(p:attach(c, 'nope', id) == false, 'unknown frame') "
                "check(J(c:getFramePosAndRot(nil, id)) == 'true,0,0,0,0,0,0', 'still free')\n"
                "c:detach() check(J(c:getFramePosAndRot(nil, id)) == 'true,0,0,0,0,0,0', 'detach of a free model')\n"
                "check(p:attach(c, 'muzzle', id) == true, 'attached')\n"
                "check(J(c:getFramePosAndRot(nil, id)) == 'true,1,0,2,0,0,0', 'the parent frame')\n"
                "check(join(c:mulFrameMtxCoord(0, 0, 0, nil, id)) == 'true,1,0,2', 'a point')\n"
                "local t = createMatrix() t:translation(5, 5, 5)\n"
                "check(join(p:mulFrameMtxNormal(0, 0, 1, 'muzzle', t)) == 'true,0,0,1', 'no translation')\n"
                "check(join(p:mulFrameMtxCoord(0, 0, 0, 'muzzle', t)) == 'true,6,5,7', 'offset x frame')\n"
                "r = createMatrix() check(p:calcFrameMtx(r) == true, 'no name: the model')"),
            "");
  Model* parent = model("p");
  Model* child = model("c");
  EXPECT_EQ(child->getParent(), parent);
  EXPECT_EQ(child->getAttachFrameName(), "muzzle");
  lua_getglobal(L, "r");
  const rk::math::Matrix* written = rk::script::math::toMatrix(L, -1);
  lua_settop(L, 0);
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(written->m[3][0], 1.0f) << "the model's transformation matrix";
  EXPECT_TRUE(log.empty()) << log.text();
  ASSERT_EQ(run("check(p:calcFrameMtx(id, 'nope') == false, 'unknown frame') c:detach()"), "");
  EXPECT_EQ(log.entries("rk::gfx::GModel::calcFrameMtx"), 1u);
  EXPECT_EQ(child->getParent(), nullptr);

  // A parent collected while its child hangs on it leaves the child free.
  ASSERT_EQ(run("p:attach(c, 'muzzle', id) p = nil collectgarbage() collectgarbage() "
                "check(J(c:getFramePosAndRot(nil, id)) == 'true,0,0,0,0,0,0', 'free again')"),
            "");
  EXPECT_EQ(child->getParent(), nullptr);
}

TEST_F(ModelApi, FrameMethodsWithMissingOffsetsOrFramesReport) {
  std::vector<std::string> boxes;
  host::ui::setMessageBoxSink([&](const std::string& text, const std::string& caption, unsigned) {
    boxes.push_back(caption + text);
    return 1;
  });
  ASSERT_EQ(run("m = createModel() c = createModel()"), "");
  giveRoot("m");
  const LuaCase cases[] = {
      {"attach without an offset", "check(m:attach(c, 'muzzle', 1) == false, 'refused')",
       "rk::script::gph::`anonymous-namespace'::lua_Model_attach"},
      {"calcFrameMtx without a result", "check(m:calcFrameMtx(nil, 'muzzle') == false, 'nothing written')",
       "rk::script::gph::`anonymous-namespace'::lua_Model_calcFrameMtx"},
      {"getFramePosAndRot without a matrix", "m:getFramePosAndRot('muzzle', 3)",
       "rk::script::gph::`anonymous-namespace'::lua_Model_getFramePosAndRot"},
      {"mulFrameMtxCoord without an offset", "check(join(m:mulFrameMtxCoord(1, 2, 3, 'muzzle')) == 'false,0,0,0', 'zeros')",
       "rk::script::gph::`anonymous-namespace'::lua_Model_mulFrameMtxCoord"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    EXPECT_EQ(run(c.code), "");
    EXPECT_EQ(log.entries(c.logEntry), 1u) << log.text();
  }
  EXPECT_EQ(model("c")->getParent(), nullptr);
  ASSERT_EQ(run("check(join(m:findFrameSphere('muzzle')) == 'false,0,0,0,0', 'sphere') "
                "check(join(m:findFramePlane('muzzle')) == 'false,0,1,0,0', 'plane') "
                "check(join(m:findFrameAABB('muzzle')) == 'false,0,0,0,0,0,0', 'box') "
                "check(next(m:searchFrameNameBack('zle')) == nil, 'no names') "
                "check(join(m:findFrameCenterPoint('arm', 9)) == 'false,0,0,0', 'centre') "
                "m:setFrameQuat('arm', 0, 0, 0, 1, true)"),
            "");
  host::ui::setMessageBoxSink({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "\x83t\x83\x8C\x81[\x83\x80\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\n"
                      "arm \x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
  EXPECT_EQ(take(), "quat:arm/1.0/on ");
}

}  // namespace
}  // namespace graphicstest
