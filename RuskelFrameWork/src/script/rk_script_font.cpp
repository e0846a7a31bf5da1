#include "script/rk_script_font.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "font/directx_font/rk_directx_outline_font.h"
#include "font/directx_font/rk_poly_font.h"
#include "font/rk_font.h"
#include "host/text.h"
#include "kernel/rk_device_context.h"
#include "script/rk_lua_arg.h"

namespace rk::script {

const LuaClass kFontAdapterClass{"rk::font::FontAdapter"};

namespace {

const LuaClass kStringBufferClass{"rk::script::StringBuffer"};
using StringBuffer = std::vector<char>;

constexpr int kSystemFont = 0, kUserFont = 2;
// The face of the stock system font, the adapters' default face.
constexpr const char* kDefaultFace = "System";

const boost::shared_ptr<font::RKFont>* deviceFont(int index) {
  DeviceContext* context = DeviceContext::getInstance();
  if (!context || !context->font(index)) return nullptr;
  return &context->font(index);
}

// The adapter installed in the system font (font 0); empty when there is none.
boost::shared_ptr<font::FontAdapter> systemFontAdapter() {
  const auto* font = deviceFont(kSystemFont);
  return font ? (*font)->adapter() : boost::shared_ptr<font::FontAdapter>();
}

// ------------------------------------------------------------------ globals

int lua_setSystenFontSizePt(lua_State* L) {
  const int points = toIntArg(L, 1);
  lua_settop(L, 0);
  if (const auto* font = deviceFont(kSystemFont)) (*font)->setFontSizePt(points);
  return 0;
}

int lua_setSystenFontSizePx(lua_State* L) {
  const int pixels = toIntArg(L, 1);
  lua_settop(L, 0);
  if (const auto* font = deviceFont(kSystemFont)) (*font)->setFontSizePx(pixels);
  if (const auto* font = deviceFont(kUserFont)) (*font)->setFontSizePx(pixels);
  return 0;
}

int lua_setSystemFontNamme(lua_State* L) {
  const std::string face = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  if (auto adapter = systemFontAdapter()) adapter->setFontName(face.c_str());
  return 0;
}

int lua_changeSystemFont(lua_State* L) {
  lua_settop(L, 0);
  auto adapter = systemFontAdapter();
  if (!adapter) return 0;
  lua_pushboolean(L, adapter->changeFont());
  return 1;
}

int lua_createFontAdapter(lua_State* L) {
  const int given = lua_gettop(L);
  std::string face = kDefaultFace;
  int pixels = 0, pen = 1, quality = 1;
  bool outline = false;
  if (given >= 1 && lua_isnil(L, 1)) {
    pixels = toIntArg(L, 2);
    pen = 0;
  } else {
    face = toTextOrEmpty(L, 1);
    pixels = toIntArg(L, 2);
    if (given >= 3) {
      pen = toIntArg(L, 3);
      outline = true;
      if (given >= 4) quality = toIntArg(L, 4);
    }
  }
  lua_settop(L, 0);
  FontAdapterHolder adapter;
  if (outline)
    adapter = boost::make_shared<font::DirectXOutlineFont>();
  else
    adapter = boost::make_shared<font::FFontAdapter>();
  adapter->setQuarity(quality);
  adapter->setFontSizePx(pixels);
  adapter->setPenSize(pen);
  adapter->initUpdate(face.c_str());
  return pushFontAdapterObject(L, adapter);
}

// The name is read and not used.
int lua_changeUserFont(lua_State* L) {
  const int pixels = toIntArg(L, 2);
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  if (!context || !context->fontAdapter(kUserFont)) return 0;
  const auto& adapter = context->fontAdapter(kUserFont);
  adapter->setFontSizePx(pixels);
  adapter->changeFont();
  return 0;
}

int lua_createStringBuffer(lua_State* L);

int lua_getUserFontAdapter(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  return context ? pushFontAdapterObject(L, context->fontAdapter(kUserFont)) : 0;
}

int lua_getSystemFontAdapter(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  return context ? pushFontAdapterObject(L, context->fontAdapter(kSystemFont)) : 0;
}

// ----------------------------------------------------------- adapter object

// The object's adapter, or null after reporting the method.
font::FontAdapter* adapterArg(lua_State* L, const char* method) {
  auto* holder = toLuaObject<FontAdapterHolder>(L, 1, kFontAdapterClass);
  if (holder && *holder) return holder->get();
  reportNullObject((std::string("rk::script::`anonymous-namespace'::lua_FontAdapter_") + method).c_str());
  return nullptr;
}

int lua_FontAdapter_initUpdate(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "initUpdate");
  const std::string face = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  if (!adapter) return 0;
  lua_pushboolean(L, adapter->initUpdate(face.c_str()));
  return 1;
}

int lua_FontAdapter_setFontSize(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "setFontSize");
  const int pixels = toIntArg(L, 2);
  lua_settop(L, 0);
  if (adapter) adapter->setFontSizePx(pixels);
  return 0;
}

int lua_FontAdapter_setFontName(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "setFontName");
  const std::string face = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  if (adapter) adapter->setFontName(face.c_str());
  return 0;
}

int lua_FontAdapter_getFontName(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "getFontName");
  lua_settop(L, 0);
  if (!adapter) return 0;
  const char* name = adapter->getFontName();
  if (name)
    lua_pushstring(L, name);
  else
    lua_pushnil(L);
  return 1;
}

int lua_FontAdapter_changeFont(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "changeFont");
  lua_settop(L, 0);
  if (!adapter) return 0;
  lua_pushboolean(L, adapter->changeFont());
  return 1;
}

int lua_FontAdapter_setPenSize(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "setPenSize");
  const int pen = toIntArg(L, 2);
  lua_settop(L, 0);
  if (adapter) adapter->setPenSize(pen);
  return 0;
}

int lua_FontAdapter_setQuarity(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "setQuarity");
  const int quality = toIntArg(L, 2);
  lua_settop(L, 0);
  if (adapter) adapter->setQuarity(quality == 0 ? 1 : quality);
  return 0;
}

int lua_FontAdapter_calcSize(lua_State* L) {
  font::FontAdapter* adapter = adapterArg(L, "calcSize");
  const std::string text = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  if (!adapter) return 0;
  font::FontRect rect;
  adapter->calcSize(&rect, 0, 0, text.c_str());
  lua_pushnumber(L, std::abs(static_cast<double>(rect.right) - rect.left));
  lua_pushnumber(L, std::abs(static_cast<double>(rect.bottom) - rect.top));
  return 2;
}

const luaL_Reg kAdapterMethods[] = {
    {"initUpdate", lua_FontAdapter_initUpdate}, {"setFontSize", lua_FontAdapter_setFontSize},
    {"setFontName", lua_FontAdapter_setFontName}, {"getFontName", lua_FontAdapter_getFontName},
    {"changeFont", lua_FontAdapter_changeFont},   {"setPenSize", lua_FontAdapter_setPenSize},
    {"setQuarity", lua_FontAdapter_setQuarity},   {"calcSize", lua_FontAdapter_calcSize},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ string buffer

StringBuffer* bufferArg(lua_State* L, const char* method) {
  auto* buffer = toLuaObject<StringBuffer>(L, 1, kStringBufferClass);
  if (!buffer) reportNullObject((std::string("rk::script::`anonymous-namespace'::lua_StringBuffer_") + method).c_str());
  return buffer;
}

// The zero-terminated text the buffer holds.
std::string textOf(const StringBuffer& buffer) { return buffer.empty() ? std::string() : std::string(buffer.data()); }

void store(StringBuffer& buffer, const std::string& text) {
  buffer.assign(text.begin(), text.end());
  buffer.push_back('\0');
}

// A string or number argument's bytes; false for any other value.
bool valueText(lua_State* L, int index, std::string* out) {
  const int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return false;
  std::size_t size = 0;
  const char* text = lua_tolstring(L, index, &size);
  out->assign(text, size);
  return true;
}

int lua_StringBuffer_clear(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "clear");
  lua_settop(L, 0);
  if (buffer) buffer->clear();
  return 0;
}

int lua_StringBuffer_get(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "get");
  lua_settop(L, 0);
  if (!buffer) return 0;
  if (buffer->empty())
    lua_pushnil(L);
  else
    lua_pushstring(L, buffer->data());
  return 1;
}

int lua_StringBuffer_set(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "set");
  std::string text;
  valueText(L, 2, &text);
  lua_settop(L, 0);
  if (buffer) store(*buffer, text);
  return 0;
}

int lua_StringBuffer_convertZenkaku(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "convertZenkaku");
  lua_settop(L, 0);
  if (buffer) store(*buffer, string_buffer::convertZenkaku(textOf(*buffer)));
  return 0;
}

int lua_StringBuffer_add(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "add");
  std::string text;
  const bool given = valueText(L, 2, &text);
  lua_settop(L, 0);
  if (buffer && given) store(*buffer, textOf(*buffer) + text);
  return 0;
}

int lua_StringBuffer_pop(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "pop");
  lua_settop(L, 0);
  if (!buffer || buffer->empty()) return 0;
  const std::string text = textOf(*buffer);
  if (!text.empty()) store(*buffer, string_buffer::pop(text));
  return 0;
}

int lua_StringBuffer_convertScoreString(lua_State* L) {
  StringBuffer* buffer = bufferArg(L, "convertScoreString");
  lua_settop(L, 0);
  if (buffer) store(*buffer, string_buffer::convertScoreString(textOf(*buffer)));
  return 0;
}

const luaL_Reg kBufferMethods[] = {
    {"clear", lua_StringBuffer_clear},
    {"get", lua_StringBuffer_get},
    {"set", lua_StringBuffer_set},
    {"convertZenkaku", lua_StringBuffer_convertZenkaku},
    {"add", lua_StringBuffer_add},
    {"pop", lua_StringBuffer_pop},
    {"convertScoreString", lua_StringBuffer_convertScoreString},
    {nullptr, nullptr},
};

int lua_createStringBuffer(lua_State* L) {
  lua_settop(L, 0);
  return pushLuaObject(L, new StringBuffer(), kStringBufferClass, kBufferMethods,
                       lua_gcDeleteObject<StringBuffer, kStringBufferClass>);
}

bool isDoubleByteAt(const std::string& text, std::size_t i) {
  return i + 1 < text.size() && host::text::isLeadByte(static_cast<unsigned char>(text[i])) &&
         host::text::isTrailByte(static_cast<unsigned char>(text[i + 1]));
}

const LuaFunctionPair kFontFunctions[] = {
    {guarded<lua_setSystenFontSizePt>, "setSystenFontSizePt"},
    {guarded<lua_setSystenFontSizePx>, "setSystenFontSizePx"},
    {guarded<lua_setSystemFontNamme>, "setSystemFontNamme"},
    {guarded<lua_changeSystemFont>, "changeSystemFont"},
    {guarded<lua_createFontAdapter>, "createFontAdapter"},
    {guarded<lua_changeUserFont>, "changeUserFont"},
    {guarded<lua_createStringBuffer>, "createStringBuffer"},
    {guarded<lua_getUserFontAdapter>, "getUserFontAdapter"},
    {guarded<lua_getSystemFontAdapter>, "getSystemFontAdapter"},
};

}  // namespace

LuaFunctionTable fontFunctionTable() {
  return {kFontFunctions, static_cast<int>(sizeof kFontFunctions / sizeof kFontFunctions[0])};
}

int pushFontAdapterObject(lua_State* L, const FontAdapterHolder& adapter) {
  if (!adapter) {
    lua_settop(L, 0);
    return 0;
  }
  return pushSharedFontAdapterObject(L, adapter);
}

int pushSharedFontAdapterObject(lua_State* L, const FontAdapterHolder& adapter) {
  return pushLuaObject(L, new FontAdapterHolder(adapter), kFontAdapterClass, kAdapterMethods,
                       lua_gcDeleteSharedPtr<FontAdapterHolder, kFontAdapterClass>);
}

FontAdapterHolder toFontAdapter(lua_State* L, int index) {
  auto* holder = toLuaObject<FontAdapterHolder>(L, index, kFontAdapterClass);
  return holder ? *holder : FontAdapterHolder();
}

namespace string_buffer {

std::string convertZenkaku(const std::string& text) {
  std::string out;
  auto two = [&out](unsigned lead, unsigned trail) {
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isDoubleByteAt(text, i)) {
      out += text.substr(i, 2);
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= '0' && c <= '9') two(0x82, 0x4F + (c - '0'));
    else if (c >= 'A' && c <= 'Z') two(0x82, 0x60 + (c - 'A'));
    else if (c >= 'a' && c <= 'z') two(0x82, 0x81 + (c - 'a'));
    else if (c == '$') two(0x81, 0x90);
    else if (c == '*') two(0x81, 0x96);
    else if (c == '+') two(0x81, 0x7B);
    else if (c == '-') two(0x81, 0x7C);
    else if (c == '.') two(0x81, 0x44);
    else if (c == '=') two(0x81, 0x81);
    else if (c == '\\') two(0x81, 0x8F);
    else out += static_cast<char>(c);
  }
  return out;
}

std::string convertScoreString(const std::string& text) {
  std::string out;
  bool leading = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (isDoubleByteAt(text, i)) {
      out += text.substr(i, 2);
      ++i;
      leading = true;
    } else if (c < '0' || c > '9') {
      out += c;
      leading = true;
    } else if (c == '0' && leading && i + 1 < text.size()) {
      out += '\x08';
      out += c;
    } else {
      out += c;
      leading = false;
    }
  }
  return out;
}

std::string pop(const std::string& text) {
  if (text.size() <= 1) return std::string();
  // Walk the characters from the start: a trail byte can look like a lead byte,
  // so the last two bytes alone do not tell where the last character starts.
  std::size_t last = 0;
  for (std::size_t i = 0; i < text.size(); i += isDoubleByteAt(text, i) ? 2 : 1) last = i;
  return text.substr(0, last);
}

}  // namespace string_buffer

}  // namespace rk::script
