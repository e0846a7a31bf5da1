// The font globals (the seventeenth global table): sizes, face and rebuild of
// the system font, font adapters as script objects, the device context's
// system and user adapters, and the byte-string buffer that builds Shift-JIS
// display strings (full-width conversion, score padding).
#pragma once
#include <boost/shared_ptr.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::font { class FontAdapter; }

namespace rk::script {

LuaFunctionTable fontFunctionTable();

// Font adapter objects: the block holds a heap shared pointer to the adapter.
extern const LuaClass kFontAdapterClass;
using FontAdapterHolder = boost::shared_ptr<font::FontAdapter>;
// Builds an adapter object sharing the adapter (nil for an empty pointer).
int pushFontAdapterObject(lua_State* L, const FontAdapterHolder& adapter);
// The same, but an empty pointer also gives an object: one that shares
// nothing, whose methods report and do nothing.
int pushSharedFontAdapterObject(lua_State* L, const FontAdapterHolder& adapter);
// The adapter an object at that index shares; empty for anything else.
FontAdapterHolder toFontAdapter(lua_State* L, int index);

// The string buffer's byte rules, on zero-terminated contents.
namespace string_buffer {
std::string convertZenkaku(const std::string& text);
std::string convertScoreString(const std::string& text);
// The text without its last character (a double-byte character goes whole).
std::string pop(const std::string& text);
}  // namespace string_buffer

}  // namespace rk::script
