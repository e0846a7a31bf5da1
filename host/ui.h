// User interface services. Stand in for MessageBoxA, the window,
// the message loop, the timer, the cursor and the dialogs (all over SDL2).
// Texts handed in are program (CP932) strings; the layer shows them in UTF-8.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
// Cancel where the set has one, else the default button of the set (the first
// unless MB_DEFBUTTON2 / MB_DEFBUTTON3 name another).
int messageBox(Window* owner, const std::string& text, const std::string& caption, unsigned type);

// The default answer of a button set (see messageBox).
int defaultAnswer(unsigned type);

// Test hook: every box goes to the sink, which returns the chosen id.
using MessageBoxSink = std::function<int(const std::string& text, const std::string& caption, unsigned type)>;
void setMessageBoxSink(MessageBoxSink sink);  // an empty function removes it

}  // namespace host::ui

// ===================================================================== window
// The game window, its message queue, timer and cursor. Stands in for the window
// class, CreateWindowExA, the message loop (PeekMessageA, GetMessageA,
// DispatchMessageA, DefWindowProcA), accelerators, SetTimer, SetCursor and the
// single-instance check, all over SDL2. Message and command numbers keep the
// Windows values the window procedure is written against.
namespace host::ui {

enum : unsigned {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_ENTERSIZEMOVE = 0x0231,
  WM_EXITSIZEMOVE = 0x0232,
};

// WM_SYSCOMMAND commands (wParam & 0xFFF0).
enum : unsigned {
  SC_SIZE = 0xF000,
  SC_MOVE = 0xF010,
  SC_MINIMIZE = 0xF020,
  SC_MAXIMIZE = 0xF030,
  SC_CLOSE = 0xF060,
  SC_MOUSEMENU = 0xF090,
  SC_KEYMENU = 0xF100,
  SC_RESTORE = 0xF120,
  SC_SCREENSAVE = 0xF140,
  SC_MONITORPOWER = 0xF170,
};

// Window styles; the window mode is chosen by WS_POPUP (borderless full screen).
enum : unsigned {
  WS_OVERLAPPED = 0x00000000,
  WS_POPUP = 0x80000000,
  WS_VISIBLE = 0x10000000,
  WS_CAPTION = 0x00C00000,
  WS_SYSMENU = 0x00080000,
};

// Virtual keys of the key messages this layer reports.
enum : unsigned {
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_F1 = 0x70,  // up to VK_F12 = 0x7B; '0'..'9' and 'A'..'Z' are their ASCII codes
};
// lParam bit of a key message sent while Alt is held.
constexpr std::intptr_t kKeyAltDown = std::intptr_t{1} << 29;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using WindowProc = LResult (*)(Window* window, unsigned message, WParam wParam, LParam lParam);

struct Message {
  Window* window = nullptr;  // null for WM_QUIT
  unsigned message = WM_NULL;
  WParam wParam = 0;
  LParam lParam = 0;
};

// Mouse position packed into lParam as Windows does (x low word, y high word).
constexpr LParam makePointLParam(int x, int y) {
  return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF));
}

// Creates the window hidden with the given client size and style. WM_CREATE is
// sent to the procedure before this returns. Where the window cannot receive the
// keyboard focus (SDL's offscreen or dummy driver, or no video at all) it counts
// as focused from its creation: WM_SETFOCUS follows WM_CREATE at once.
Window* createWindow(const std::string& className, const std::string& caption, unsigned style,
                     int clientWidth, int clientHeight, WindowProc proc);
// Sends WM_DESTROY, then closes the window. The Window object stays valid memory
// (answering isWindow false) so owners of stale pointers stay safe.
void destroyWindow(Window* window);
bool isWindow(Window* window);
void showWindow(Window* window);
// Asks for the keyboard focus; WM_SETFOCUS comes when the system grants it.
void setFocus(Window* window);
bool hasFocus(Window* window);
const std::string& windowCaption(Window* window);
const std::string& windowClassName(Window* window);

// Window modes. Windowed: caption and border, the client area sized as given,
// not on top. Borderless full screen (WS_POPUP): covers the whole desktop, on top.
void setWindowStyle(Window* window, unsigned style);
unsigned windowStyle(Window* window);
void setWindowedClientSize(Window* window, int width, int height);
void setBorderlessFullScreen(Window* window);
void clientSize(Window* window, int* width, int* height);
void desktopSize(int* width, int* height);

// --- messages ---
// Non-blocking: the next message (PeekMessageA with PM_REMOVE); false when none.
bool peekMessage(Message* message);
// Blocking: waits for the next message. 1 for a message, 0 for WM_QUIT (GetMessageA).
int getMessage(Message* message);
// Calls the procedure of the message's window; 0 when it has none.
LResult dispatchMessage(const Message& message);
// Calls the window's procedure at once.
LResult sendMessage(Window* window, unsigned message, WParam wParam, LParam lParam);
// Queues a message for the window.
void postMessage(Window* window, unsigned message, WParam wParam, LParam lParam);
// WM_QUIT is returned once the queue is empty.
void postQuitMessage(int exitCode);
// What Windows does for a message the procedure does not handle: WM_CLOSE
// destroys the window, SC_CLOSE closes it, SC_MINIMIZE/SC_MAXIMIZE/SC_RESTORE act
// on it; everything else does nothing (this platform runs no modal move or size
// loop, starts no screen saver while the window exists and powers no monitor).
LResult defWindowProc(Window* window, unsigned message, WParam wParam, LParam lParam);

// --- accelerators ---
struct Accelerator {
  bool alt;
  unsigned virtualKey;
  unsigned short command;
};
using AcceleratorTable = std::vector<Accelerator>;
// When the message is a key press matching an entry, sends WM_COMMAND with the
// entry's command (high word 1: from an accelerator) to the window and returns true.
bool translateAccelerator(Window* window, const AcceleratorTable& table, const Message& message);

// --- timer ---
// WM_TIMER with wParam = id every periodMs milliseconds of real time; a timer
// that fell behind delivers one message, not a burst.
void setTimer(Window* window, unsigned id, unsigned periodMs);
void killTimer(Window* window, unsigned id);

// --- cursor ---
struct Cursor;
enum class SystemCursor { Arrow, Wait };
// The shared cursor of that shape (never null).
Cursor* loadCursor(SystemCursor shape);
// Shows the cursor in that shape, or hides it for null. Returns the previous one.
Cursor* setCursor(Cursor* cursor);
// The cursor now shown, or null while it is hidden. The arrow at start.
Cursor* getCursor();

// --- single instance ---
// Takes an advisory lock on a file named after the class name and the caption in
// $XDG_RUNTIME_DIR (else the temporary folder), held until the process ends.
// False when another process holds it. A second call in the holding process
// answers true.
bool acquireSingleInstanceLock(const std::string& className, const std::string& caption);
// The lock file's native path (for diagnostics and tests).
std::string singleInstanceLockPath(const std::string& className, const std::string& caption);

}  // namespace host::ui

// =============================================================== file dialogs
// The common open and save dialogs (GetOpenFileNameA / GetSaveFileNameA). This
// layer shows no dialog of its own: unless a test sink answers, every request
// comes back cancelled, as when the user closes the dialog.
namespace host::ui {

enum : unsigned { OFN_FILEMUSTEXIST = 0x1000 };

struct FileDialogRequest {
  Window* owner = nullptr;
  bool save = false;          // the save dialog instead of the open dialog
  std::string title;          // empty: the system's title
  std::string filter;         // description and pattern pairs separated by zero bytes
  std::string initialFolder;
  std::string fileName;       // in: the initial file name; out: the chosen file's full path
  unsigned flags = 0;         // OFN_ flags
};

// True with the chosen path in request.fileName; false when cancelled.
bool showFileDialog(FileDialogRequest& request);

// Test hook: every dialog goes to the sink, which answers it.
using FileDialogSink = std::function<bool(FileDialogRequest& request)>;
void setFileDialogSink(FileDialogSink sink);  // an empty function removes it

}  // namespace host::ui

// ================================================================ font dialog
// The system font dialog (ChooseFontA with its LOGFONTA record). This layer has
// no font dialog of its own: unless a test sink answers, every request comes
// back cancelled with the record untouched, as when the user closes the dialog.
namespace host::ui {

// CHOOSEFONTA flags and font type, with the Windows values.
enum : unsigned {
  CF_SCREENFONTS = 0x1,
  CF_INITTOLOGFONTSTRUCT = 0x40,
  CF_EFFECTS = 0x100,
  CF_FIXEDPITCHONLY = 0x4000,
  CF_NOVERTFONTS = 0x1000000,
  SCREEN_FONTTYPE = 0x2000,
};
// LOGFONTA values.
enum : int { SHIFTJIS_CHARSET = 128, FIXED_PITCH = 1, FF_MODERN = 0x30 };
// Longest face name a LOGFONTA holds, without its terminating zero.
constexpr std::size_t kFaceNameMax = 31;

struct LogFont {
  int height = 0;
  int charSet = 0;
  int pitchAndFamily = 0;
  std::string faceName;  // program (CP932) text, at most kFaceNameMax bytes
};

struct FontDialogRequest {
  Window* owner = nullptr;
  unsigned flags = 0;     // CF_ flags
  unsigned fontType = 0;  // SCREEN_FONTTYPE and siblings
  int pointSize = 0;
  LogFont* font = nullptr;  // in: the initial font; out: the chosen one. Null: none given
};

// True when a font was chosen (written into request.font when one is given).
bool showFontDialog(FontDialogRequest& request);

// Test hook: every dialog goes to the sink, which answers it.
using FontDialogSink = std::function<bool(FontDialogRequest& request)>;
void setFontDialogSink(FontDialogSink sink);  // an empty function removes it

}  // namespace host::ui
