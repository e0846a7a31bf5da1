// The procedure of the game window: keeps the frame loop, the frame clock and
// the audio in step with the focus and with modal move and menu loops, swallows
// window commands that make no sense in full screen, keeps the screen saver
// away and hides an idle cursor in full screen.
#pragma once
#include "host/ui.h"

namespace rk {

// Timer ticks (16 ms each) of a still mouse after which full screen hides the cursor.
constexpr unsigned kCursorIdleTicksLimit = 125;

host::ui::LResult wndProc(host::ui::Window* window, unsigned message, host::ui::WParam wParam, host::ui::LParam lParam);

// Silences (false) or restores (true) music and sound effects around focus
// changes and modal loops.
void setAudioActive(bool active);

}  // namespace rk
