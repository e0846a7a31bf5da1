// The graphics tables reach every script state as globals, in the order of
// the lists below; entries whose objects the build does not have yet are not
// globals at all.
#include <set>
#include <string>
#include <vector>

#include "script/rk_script_graphics.h"
#include "script/rk_script_tables.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

const std::vector<std::string> kGraphicsNames = {
    "setScreenEffectMode", "getFrameBufferSize", "getScreenEffectMode", "setZoomBulrEffectParam", "setAspect",
    "getAspect", "getDisplayAdapterNum", "getCurrentDisplayAdapter", "setCurrentDisplayAdapter",
    "getDisplayAdapterName", "getCurrentScreenFormatNo", "setCurrentScreenFormatNo", "getScreenFormatNum",
    "getScreenFormat", "getScreenFormatName", "setRefreshRateInHz", "isCanFullScreen", "isWindowMode",
    "setResetMode", "resetDevice", "setBGColor", "getBGColor", "createCamera", "createSyncCamera",
    "createLinkCameraObject", "createModel", "createGfxModel", "createTexture", "setShadowDir",
    "setShadowLightLength", "setShadowEye", "calcPositionFromHitPlaneCenter", "setShadowTheta", "setAmbientColor",
    "setShadowViewUp", "getShadowViewUp", "calcShadowView", "setEnableLighting", "createLight", "pushLight",
    "popLight", "setupMainShader", "releaseMainShader", "setShadowType", "createSphereModel", "fadeOut", "fadeIn",
    "isEndOfWipe", "wipeReset", "fadeLeftToRightOut", "fadeLeftToRightIn", "fadeRightToLeftOut",
    "fadeRightToLeftIn", "fadeTopToBottomOut", "fadeBottomToTopIn", "fadeBottomToTopOut", "fadeTopToBottomIn",
    "getClientRect", "RENDER_BIT_00", "RENDER_BIT_01", "RENDER_BIT_02", "RENDER_BIT_03", "RENDER_BIT_04",
    "RENDER_BIT_05", "RENDER_BIT_06", "RENDER_BIT_07", "RENDER_BIT_08", "RENDER_BIT_09", "RENDER_BIT_0A",
    "RENDER_BIT_0B", "RENDER_BIT_0C", "RENDER_BIT_0D", "RENDER_BIT_0E", "RENDER_BIT_0F", "cameraDump",
    "setModelPause", "isModelPause", "dumpDisplayModelContainer"};

// Entries whose objects the build does not have yet.
const std::set<std::string> kNotYetBound = {};

const std::vector<std::string> kCommandNames = {
    "gfxCls",         "gfxDefault",     "gfxSetCameraNo", "gfxSetColor",      "gfxMoveTo",        "gfxLineTo",
    "gfxFlashLine",   "gfxMoveTo2D",    "gfxLineTo2D",    "gfxFlashLine2D",   "gfxRect2D",        "gfxRectFill2D",
    "gfxSetLocate2D", "gfxGetLocate2D", "gfxPrintf2D",    "gfxGetStringRect", "gfxLocateToPos2D"};

std::vector<std::string> namesOf(const rk::script::LuaFunctionTable& table) {
  std::vector<std::string> names;
  for (int i = 0; i < table.count; ++i) names.push_back(table.pairs[i].name);
  return names;
}

TEST(GraphicsRegistration, TablesHoldTheirNamesInOrderAtTheirPlaces) {
  std::vector<std::string> expected;
  for (const std::string& name : kGraphicsNames)
    if (!kNotYetBound.count(name)) expected.push_back(name);
  EXPECT_EQ(kGraphicsNames.size(), 78u);
  EXPECT_EQ(namesOf(rk::script::graphicsFunctionTable()), expected);
  EXPECT_EQ(namesOf(rk::script::gfxCommandFunctionTable()), kCommandNames);

  const auto& tables = rk::script::globalFunctionTables();
  EXPECT_EQ(tables[8].pairs, rk::script::graphicsFunctionTable().pairs) << "ninth table";
  EXPECT_EQ(tables[13].pairs, rk::script::gfxCommandFunctionTable().pairs) << "fourteenth table";
}

TEST_F(GraphicsApi, EveryEntryIsAFunctionGlobalAndSharedAnswersStayDistinctGlobals) {
  for (const auto* list : {&kGraphicsNames, &kCommandNames})
    for (const std::string& name : *list) {
      lua_getglobal(L, name.c_str());
      EXPECT_EQ(lua_type(L, -1), kNotYetBound.count(name) ? LUA_TNIL : LUA_TFUNCTION) << name;
      lua_settop(L, 0);
    }
  EXPECT_EQ(run(R"(
    check(RENDER_BIT_0F() == 32768 and RENDER_BIT_03() == 8 and RENDER_BIT_00() == 1, 'render bits')
    check(isCanFullScreen() == true and isPackRom() == true, 'one constant answer')
    getDisplayAdapterNum = nil
    check(getCurrentDisplayAdapter() == 0, 'names are globals of their own'))"),
            "");
  EXPECT_TRUE(log.empty()) << log.text();
}

// Two objects from one creator have their own method tables.
TEST_F(GraphicsApi, ObjectsGetTheirOwnMethodTables) {
  EXPECT_EQ(run(R"(
    local a, b = createLight(0), createLight(0)
    getmetatable(a).__index.setRange = function() return 'replaced' end
    check(a:setRange(1) == 'replaced', 'replaced in a')
    check(b:setRange(1) == nil, 'b unchanged')
    local c1, c2 = createCamera(1), createCamera(1)
    check(getmetatable(c1).__index ~= getmetatable(c2).__index, 'camera tables'))"),
            "");
}

}  // namespace
}  // namespace graphicstest
