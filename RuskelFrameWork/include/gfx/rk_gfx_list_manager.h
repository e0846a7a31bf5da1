// The display-list manager: the scripts' persistent list of small drawing
// commands, replayed on the overlay command list of every frame. While it
// exists the frame draw records the overlay list.
#pragma once
#include <boost/shared_ptr.hpp>

namespace rk::font {
class RKFont;
}

namespace rk::gfx {

class GfxListManager {
 public:
  static GfxListManager* createInstance();
  static GfxListManager* getInstance();
  static void destroyInstance();
  // The manager or null, without a report.
  static GfxListManager* findInstance();

  GfxListManager();
  GfxListManager(const GfxListManager&) = delete;
  GfxListManager& operator=(const GfxListManager&) = delete;

  // The display-list font: the device context's third font.
  const boost::shared_ptr<font::RKFont>& font() const { return font_; }
  void setFont(const boost::shared_ptr<font::RKFont>& font) { font_ = font; }

  // The command list, its replay and clear: with the display list.

 private:
  boost::shared_ptr<font::RKFont> font_;
};

}  // namespace rk::gfx
