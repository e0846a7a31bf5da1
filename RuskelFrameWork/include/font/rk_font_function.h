// Size helpers for the glyph-based fonts.
#pragma once

namespace rk::font {

// size ÷ quality − pen ÷ 2 with truncating divisions. A quality of zero or less
// counts as 1 instead of dividing by zero.
int calcFontHeight(int size, int penWidth, int quality);

}  // namespace rk::font
