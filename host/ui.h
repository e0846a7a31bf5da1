// User interface services. Stands in for MessageBoxA and, later, the window,
// the message loop, the timer, the cursor and the dialogs (all over SDL2).
// Texts handed in are program (CP932) strings; the layer shows them in UTF-8.
#pragma once
#include <functional>
#include <string>

namespace host::ui {

class Window;  // the game window; defined with the window services

// MessageBox types and results, with the Windows values.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_CANCELTRYCONTINUE = 0x6,
  MB_ICONERROR = 0x10,
  MB_ICONHAND = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_ICONASTERISK = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_TYPEMASK = 0xF,
  MB_ICONMASK = 0xF0,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
  IDTRYAGAIN = 10,
  IDCONTINUE = 11,
};

// Shows a modal box and returns the id of the chosen button. With a test sink
// installed the sink answers. Where nobody can answer (no display: SDL's
// offscreen or dummy driver, or no video at all) the caption and text go to
// standard error in UTF-8 and the default answer comes back: OK for MB_OK,
// Cancel where the set has one, else the first button of the set.
int messageBox(Window* owner, const std::string& text, const std::string& caption, unsigned type);

// The default answer of a button set (see messageBox).
int defaultAnswer(unsigned type);

// Test hook: every box goes to the sink, which returns the chosen id.
using MessageBoxSink = std::function<int(const std::string& text, const std::string& caption, unsigned type)>;
void setMessageBoxSink(MessageBoxSink sink);  // an empty function removes it

}  // namespace host::ui
