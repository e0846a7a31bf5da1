// The math table: 42 globals that create math objects and compute with plain
// numbers. Object methods live beside their creators in rk_script_math_*.cpp.
#include "script/rk_script_math.h"

#include <string>

#include "font/rk_font.h"
#include "gfx/rk_gfx_list_manager.h"
#include "kernel/rk_error_log.h"
#include "math/rk_fft.h"
#include "math/rk_normal_rand.h"
#include "util/rk_line_convert.h"
#include "rk_script_math_internal.h"

namespace rk::script::math {

namespace {

// text -> left, top, right, bottom of the text in the display-list font. A
// value that is neither a string nor a number is reported and measures
// nothing (all zeros), as does a display list without a font. The text is
// measured as it is: a '%' in it is no format.
int calcMessageRect(lua_State* L) {
  const char* arg = toTextArg(L, 1);
  const std::string text = arg ? arg : "";
  lua_settop(L, 0);
  rk::font::FontRect rect;
  if (!arg) {
    debug::writeErrorLog(kSource, 744, "rk::script::math::`anonymous-namespace'::calcMessageRect");
  } else if (rk::gfx::GfxListManager* lists = rk::gfx::GfxListManager::getInstance()) {
    if (lists->font()) lists->font()->getStringRectFormat(&rect, 0, 0, "%s", text.c_str());
  }
  return pushNumbers(L, {static_cast<double>(rect.left), static_cast<double>(rect.top),
                         static_cast<double>(rect.right), static_cast<double>(rect.bottom)});
}

// seed (optional): without a number the seed is 1.
int createNormalRandom(lua_State* L) {
  int isNumber = 0;
  const lua_Number seed = lua_tonumberx(L, 1, &isNumber);
  auto* rand = new rk::math::NormalRand(isNumber ? truncateWrapToInt32(seed) : 1);
  return pushLuaObject(L, *rand, rand, rk::math::kNormalRandClass);
}

int createFFT(lua_State* L) {
  auto* fft = new rk::math::FFT;
  return pushLuaObject(L, *fft, fft, rk::math::kFFTClass);
}

// A new polyline-to-capsule converter, owned by its script object.
int createPointConvert(lua_State* L) { return util::pushNewLineConvert(L); }

const LuaFunctionPair kMathFunctions[] = {
    {createVEC3, "createVEC3"},
    {createRAY, "createRAY"},
    {createPLANE, "createPLANE"},
    {createBSpline, "createBSpline"},
    {createCatmullRom, "createCatmullRom"},
    {createCubicBezierCurve, "createCubicBezierCurve"},
    {calcSphereBoundProbe, "calcSphereBoundProbe"},
    {calcSphereLineHitPos, "calcSphereLineHitPos"},
    {calcAddRect, "calcAddRect"},
    {calcOffsetRect, "calcOffsetRect"},
    {calcMessageRect, "calcMessageRect"},
    {calcAnd, "calcAnd"},
    {vec3Normalize, "vec3Normalize"},
    {quatCalcRotAxis, "quatCalcRotAxis"},
    {quatCalcTransFormVec3, "quatCalcTransFormVec3"},
    {vec3Dot, "vec3Dot"},
    {vec3Cross, "vec3Cross"},
    {vec3LenSq, "vec3LenSq"},
    {vec3Len, "vec3Len"},
    {vec3MulMtxNormal, "vec3MulMtxNormal"},
    {vec3MulMtxCoord, "vec3MulMtxCoord"},
    {quatCalcSlerp, "quatCalcSlerp"},
    {quatCalcMul, "quatCalcMul"},
    {quatIdentity, "quatIdentity"},
    {quatCalcYawPitchRoll, "quatCalcYawPitchRoll"},
    {calcPlaneFromPointNormal, "calcPlaneFromPointNormal"},
    {calcPlaneIntersectLine, "calcPlaneIntersectLine"},
    {createCounter, "createCounter"},
    {convertQuatToEuler, "convertQuatToEuler"},
    {calcToXRGB, "calcToXRGB"},
    {calcToARGB, "calcToARGB"},
    {createMatrix, "createMatrix"},
    {getFltEpsilon, "getFltEpsilon"},
    {calcColorLerp, "calcColorLerp"},
    {calcColorElement, "calcColorElement"},
    {createNormalRandom, "createNormalRandom"},
    {getFltEpsilon, "getFltEpislon"},
    {calcPlaneFromPoints, "calcPlaneFromPoints"},
    {createBezierCurveOnce, "createBezierCurveOnce"},
    {createUnaffectedCtrlPointSprline, "createUnaffectedCtrlPointSprline"},
    {createPointConvert, "createPointConvert"},
    {createFFT, "createFFT"},
};
static_assert(sizeof kMathFunctions / sizeof kMathFunctions[0] == 42);

}  // namespace

}  // namespace rk::script::math

namespace rk::script {

LuaFunctionTable mathFunctionTable() {
  return {math::kMathFunctions, static_cast<int>(sizeof math::kMathFunctions / sizeof math::kMathFunctions[0])};
}

}  // namespace rk::script
