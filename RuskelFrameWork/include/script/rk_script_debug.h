// The debug globals: text queued on the debug font's print list (drawn on the
// overlay), a blocking sleep, a message box and a fatal assertion (the sixth
// global table).
#pragma once
#include <cstddef>
#include <string>

#include "script/rk_script.h"

namespace rk::script {

LuaFunctionTable debugFunctionTable();

// The longest text one debugPrintf makes, in bytes (a 1024-byte buffer with
// its terminator).
constexpr std::size_t kDebugTextLimit = 1023;

// Formats `format` with the values from stack index `firstValue` on, one value
// per conversion. A conversion is '%', flags from "-+ #0", a decimal width, a
// '.' and a decimal precision, then 'd' (the value as a single-precision
// number truncated to an integer), 'f' (as a single-precision number) or 's'
// (as text); "%%" gives one '%'. Anything else after a '%' is copied as it
// stands and takes no value. Missing values read as 0 or the empty text. The
// output is never formatted again and is cut at kDebugTextLimit bytes without
// splitting a double-byte character.
std::string formatDebugText(lua_State* L, const std::string& format, int firstValue);

}  // namespace rk::script
