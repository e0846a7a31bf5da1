// The system table's message boxes and font dialogs, all owned by the game
// window. Texts that are neither strings nor numbers show as empty.
#include <string>

#include "host/text.h"
#include "host/ui.h"
#include "script/rk_lua_arg.h"
#include "rk_script_system_internal.h"

namespace rk::script::system {

namespace {

namespace ui = host::ui;

// The face name as a LOGFONTA can hold it: at most kFaceNameMax bytes, cut
// before a double-byte character that would not fit whole. (Copied unchecked,
// a long name would overrun the record.)
std::string fitFaceName(const std::string& face) { return face.substr(0, host::text::fitLength(face, ui::kFaceNameMax)); }

}  // namespace

int lua_askMessageBox(lua_State* L) {
  const std::string text = toTextOrEmpty(L, 1);
  const std::string caption = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  const int answer = ui::messageBox(mainWindow(), text, caption, ui::MB_ICONQUESTION | ui::MB_OKCANCEL);
  lua_pushboolean(L, answer == ui::IDOK);
  return 1;
}

int lua_warningMessageBox(lua_State* L) {
  const std::string text = toTextOrEmpty(L, 1);
  const std::string caption = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  ui::messageBox(mainWindow(), text, caption, ui::MB_ICONWARNING | ui::MB_OK);
  return 0;
}

// The type is a sum of the MESWND values; the answer one of the MESID values.
int lua_MesssageWindow(lua_State* L) {
  const std::string text = toTextOrEmpty(L, 1);
  const std::string caption = toTextOrEmpty(L, 2);
  const unsigned type = static_cast<unsigned>(toIntArg(L, 3));
  lua_settop(L, 0);
  lua_pushinteger(L, ui::messageBox(mainWindow(), text, caption, type));
  return 1;
}

// Shows the dialog of screen fonts and forgets the choice. The game's fonts
// change through the font table's globals once the fonts are built.
int lua_chooseGameFont(lua_State* L) {
  lua_settop(L, 0);
  ui::FontDialogRequest request;
  request.owner = mainWindow();
  request.flags = ui::CF_SCREENFONTS | ui::CF_EFFECTS;
  request.fontType = ui::SCREEN_FONTTYPE;
  ui::showFontDialog(request);
  return 0;
}

// Offers the fixed-pitch Shift-JIS fonts, starting from the given height and
// face; returns whether one was chosen and the face name the record then holds.
int lua_selectFont(lua_State* L) {
  ui::LogFont font;
  font.height = toIntArg(L, 1);
  font.charSet = ui::SHIFTJIS_CHARSET;
  font.pitchAndFamily = ui::FIXED_PITCH | ui::FF_MODERN;
  font.faceName = fitFaceName(toTextOrEmpty(L, 2));
  lua_settop(L, 0);

  ui::FontDialogRequest request;
  request.owner = mainWindow();
  request.flags = ui::CF_NOVERTFONTS | ui::CF_FIXEDPITCHONLY | ui::CF_INITTOLOGFONTSTRUCT;
  request.font = &font;
  const bool chosen = ui::showFontDialog(request);
  const std::string face = fitFaceName(font.faceName);
  lua_pushboolean(L, chosen);
  lua_pushlstring(L, face.data(), face.size());
  return 2;
}

}  // namespace rk::script::system
