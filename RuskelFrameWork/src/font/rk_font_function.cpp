#include "font/rk_font_function.h"

namespace rk::font {

int calcFontHeight(int size, int penWidth, int quality) {
  if (quality <= 0) quality = 1;
  return size / quality - penWidth / 2;
}

}  // namespace rk::font
