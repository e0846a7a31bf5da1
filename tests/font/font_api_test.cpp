// The font globals and the string buffer and adapter objects, run from Lua in
// a real script state over a device context that has its three fonts.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "font/directx_font/rk_directx_outline_font.h"
#include "font/directx_font/rk_poly_font.h"
#include "recording_adapter.h"
#include "renderer/renderer_rig.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script.h"
#include "script/rk_script_font.h"

namespace {

constexpr const char* kPrelude = R"(
  function check(cond, what) if not cond then error(what or 'check failed', 2) end end
  function values(...) return {n = select('#', ...), ...} end
  function bytes(s) local t = {} for i = 1, #s do t[i] = string.format('%02X', s:byte(i)) end return table.concat(t, ' ') end
)";

class FontApi : public rendertest::RendererRig {
 protected:
  void SetUp() override {
    RendererRig::SetUp();
    rk::task::TaskManager::createInstance();
    buildDevice();
    states = rk::script::ScriptStateManager::createInstance();
    L = states->createScriptState()->luaState();
    ASSERT_NE(L, nullptr);
    ASSERT_EQ(run(kPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    for (int i = 0; i < 3; ++i) {
      context->setFontAdapter(i, nullptr);
      if (context->font(i)) context->font(i)->swapFontAdapter(nullptr);
    }
    RendererRig::TearDown();
  }

  std::string run(const std::string& code) {
    std::string error;
    if (luaL_loadbuffer(L, code.data(), code.size(), "=case") != LUA_OK ||
        rk::script::protectedCall(L, 0, 0) != LUA_OK)
      error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(no message)";
    lua_settop(L, 0);
    return error;
  }

  // Installs recording adapters as the game's boot does: system in font 0, user in font 2.
  void installRecorders() {
    context->setFontAdapter(0, system);
    context->setFontAdapter(2, user);
    context->font(0)->swapFontAdapter(system);
    context->font(2)->swapFontAdapter(user);
  }

  rk::script::ScriptStateManager* states = nullptr;
  lua_State* L = nullptr;
  boost::shared_ptr<rktest::RecordingAdapter> system = boost::make_shared<rktest::RecordingAdapter>();
  boost::shared_ptr<rktest::RecordingAdapter> user = boost::make_shared<rktest::RecordingAdapter>();
};

TEST_F(FontApi, StringBufferMethodsFollowTheirByteRules) {
  struct Case {
    const char* code;  // leaves its answer in `got`
    const char* expected;
  };
  const Case cases[] = {
      // get / set / clear / add
      {"b = createStringBuffer() got = tostring(b:get())", "nil"},
      {"b = createStringBuffer() b:set('') got = '[' .. b:get() .. ']'", "[]"},
      {"b = createStringBuffer() b:set('x') b:clear() got = tostring(b:get())", "nil"},
      {"b = createStringBuffer() b:set(12.5) got = b:get()", "12.5"},
      {"b = createStringBuffer() b:set({}) got = '[' .. b:get() .. ']'", "[]"},
      {"b = createStringBuffer() b:add('ab') b:add(3) b:add({}) b:add(nil) got = b:get()", "ab3"},
      {"b = createStringBuffer() b:add({}) got = tostring(b:get())", "nil"},
      // convertZenkaku: letters, digits and the seven signs; double-byte characters kept
      {"b = createStringBuffer() b:set('a1') b:convertZenkaku() got = bytes(b:get())", "82 81 82 50"},
      {"b = createStringBuffer() b:set('Zz9$*+-.=\\\\') b:convertZenkaku() got = bytes(b:get())",
       "82 79 82 9A 82 58 81 90 81 96 81 7B 81 7C 81 44 81 81 81 8F"},
      {"b = createStringBuffer() b:set('\\130\\160!') b:convertZenkaku() got = bytes(b:get())", "82 A0 21"},
      // pop
      {"b = createStringBuffer() b:pop() got = tostring(b:get())", "nil"},
      {"b = createStringBuffer() b:set('\\130\\160') b:pop() got = '[' .. b:get() .. ']'", "[]"},
      {"b = createStringBuffer() b:set('x') b:pop() got = '[' .. b:get() .. ']'", "[]"},
      {"b = createStringBuffer() b:set('ab\\130\\160') b:pop() got = b:get()", "ab"},
      {"b = createStringBuffer() b:set('\\130\\160c') b:pop() got = bytes(b:get())", "82 A0"},
      // a trail byte in the lead range (0x81 0x91) followed by a letter: only the letter goes
      {"b = createStringBuffer() b:set('\\129\\145A') b:pop() got = bytes(b:get())", "81 91"},
      // convertScoreString
      {"b = createStringBuffer() b:set('00120') b:convertScoreString() got = bytes(b:get())",
       "08 30 08 30 31 32 30"},
      {"b = createStringBuffer() b:set('0') b:convertScoreString() got = bytes(b:get())", "30"},
      {"b = createStringBuffer() b:set('A007') b:convertScoreString() got = bytes(b:get())", "41 08 30 08 30 37"},
      {"b = createStringBuffer() b:set('00A') b:convertScoreString() got = bytes(b:get())", "08 30 08 30 41"},
      {"b = createStringBuffer() b:set('\\130\\16000') b:convertScoreString() got = bytes(b:get())",
       "82 A0 08 30 30"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(c.code), "") << c.code;
    lua_getglobal(L, "got");
    const char* got = lua_tostring(L, -1);
    EXPECT_STREQ(got ? got : "(none)", c.expected) << c.code;
    lua_settop(L, 0);
  }
  // Methods on something that is no buffer report and do nothing.
  EXPECT_EQ(run("b = createStringBuffer() b.set(createFontAdapter(nil, 8), 'x') check(b.get(nil) == nil)"), "");
  EXPECT_EQ(log.entries("rk::script::`anonymous-namespace'::lua_StringBuffer_set"), 1u);
  EXPECT_EQ(log.entries("rk::script::`anonymous-namespace'::lua_StringBuffer_get"), 1u);
  EXPECT_EQ(run("b = nil collectgarbage()"), "");
}

TEST_F(FontApi, CreateFontAdapterChoosesTheKindAndTheSettingsByItsArguments) {
  struct Case {
    const char* call;
    bool outline;
    int pen, quality;
    float cellY;  // after the settings and the rebuild
  };
  const Case cases[] = {
      {"createFontAdapter(nil, 20)", false, 0, 1, 16.0f},
      {"createFontAdapter('MS Gothic', 20)", false, 0, 1, 16.0f},
      {"createFontAdapter('MS Gothic', 24, 2)", true, 2, 1, 24.0f},
      {"createFontAdapter('MS Gothic', 24, nil)", true, 0, 1, 24.0f},
      {"createFontAdapter('MS Gothic', 24, 3, 2)", true, 3, 2, 24.0f},
      {"createFontAdapter(12345, 24, 1, 0)", true, 1, 0, 24.0f},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run(std::string("a = ") + c.call), "") << c.call;
    lua_getglobal(L, "a");
    rk::script::FontAdapterHolder adapter = rk::script::toFontAdapter(L, -1);
    lua_settop(L, 0);
    ASSERT_TRUE(adapter) << c.call;
    auto* outline = dynamic_cast<rk::font::DirectXOutlineFont*>(adapter.get());
    EXPECT_EQ(outline != nullptr, c.outline) << c.call;
    if (outline) {
      EXPECT_EQ(outline->penSize(), c.pen) << c.call;
      EXPECT_EQ(outline->quality(), c.quality) << c.call;
      EXPECT_TRUE(outline->hasFont()) << c.call;
    } else {
      EXPECT_TRUE(dynamic_cast<rk::font::FFontAdapter*>(adapter.get())->hasFont()) << c.call;
    }
    EXPECT_EQ(adapter->getFontSize()->y, c.cellY) << c.call;
  }
  EXPECT_EQ(run("check(createFontAdapter(nil, 8):getFontName() == 'System')"), "");
  EXPECT_EQ(run("check(createFontAdapter(12, 8):getFontName() == '12')"), "");
}

TEST_F(FontApi, AdapterObjectMethodsReachTheAdapter) {
  installRecorders();
  EXPECT_EQ(run(R"(
    a = getSystemFontAdapter()
    check(a:initUpdate('face') == true)
    a:setFontSize(30)
    a:setFontName(7)
    check(a:getFontName() == '7')
    check(a:changeFont() == true)
    a:setPenSize(3)
    a:setQuarity(0)
    a:setQuarity(4)
    local w, h = a:calcSize('abc')
    check(w == 2 and h == 2, 'absolute width and height of (1, 2, 3, 4)')
  )"), "");
  EXPECT_EQ(system->calls, (std::vector<std::string>{"initUpdate face", "setFontSizePx 30", "changeFont",
                                                     "setPenSize 3", "setQuarity 1", "setQuarity 4",
                                                     "calcSize 0 0 [abc]"}));
  // A method handed no adapter object reports and returns nothing.
  EXPECT_EQ(run("a = getSystemFontAdapter() check(values(a.changeFont(createStringBuffer())).n == 0)"), "");
  EXPECT_EQ(log.entries("rk::script::`anonymous-namespace'::lua_FontAdapter_changeFont"), 1u);

  // The object shares the adapter: dropping it keeps the device's slot alive.
  EXPECT_EQ(run("a = nil collectgarbage()"), "");
  EXPECT_EQ(context->fontAdapter(0), system);
  EXPECT_EQ(run("check(getUserFontAdapter():getFontName() == '')"), "");
}

TEST_F(FontApi, SystemAndUserFontGlobalsReachFontsZeroAndTwo) {
  installRecorders();
  EXPECT_EQ(run(R"(
    setSystenFontSizePt(18)
    setSystenFontSizePx(22)
    setSystemFontNamme('sys')
    check(changeSystemFont() == true)
    changeUserFont('ignored', 40)
  )"), "");
  EXPECT_EQ(system->calls,
            (std::vector<std::string>{"setFontSizePt 18", "setFontSizePx 22", "changeFont"}));
  EXPECT_EQ(system->face, "sys");
  EXPECT_EQ(user->calls, (std::vector<std::string>{"setFontSizePx 22", "setFontSizePx 40", "changeFont"}));
  EXPECT_EQ(user->face, "");
}

TEST_F(FontApi, WithoutAdaptersTheGlobalsLogOrDoNothing) {
  EXPECT_EQ(run(R"(
    setSystenFontSizePt(18)
    setSystenFontSizePx(22)
    setSystemFontNamme('sys')
    check(values(changeSystemFont()).n == 0)
    changeUserFont('x', 40)
    check(getUserFontAdapter() == nil)
    check(getSystemFontAdapter() == nil)
  )"), "");
  EXPECT_EQ(log.entries("rk::font::RKFont::setFontSizePt"), 1u);
  EXPECT_EQ(log.entries("rk::font::RKFont::setFontSizePx"), 2u);  // fonts 0 and 2
}

}  // namespace
