// The display-list manager: the scripts' persistent list of small drawing
// commands (move, line, rectangle, text, colour, camera choice), replayed on
// the overlay command list of every frame after all cameras. Commands stay
// until the list is cleared. While the manager exists the frame draw records
// the overlay list. The replay also draws the debug font's print list.
#pragma once
#include <boost/shared_ptr.hpp>
#include <list>

namespace rk::font {
class RKFont;
}

namespace rk::gfx {

class GfxDeviceContext;

// The base of every display-list command. Constructing one appends it to the
// manager's list (a missing manager is reported and the command stays in no
// list); destroying one unlinks it.
class GfxListObject {
 public:
  GfxListObject();
  virtual ~GfxListObject();
  GfxListObject(const GfxListObject&) = delete;
  GfxListObject& operator=(const GfxListObject&) = delete;

  virtual void prepare(GfxDeviceContext& context) = 0;
  virtual void execute(GfxDeviceContext& context) = 0;
  virtual bool isLocate() const { return false; }
  // x, y, z, w of a locate command; zeros for every other command.
  virtual void getLocate(float* x, float* y, float* z, float* w) const;
};

class GfxListManager {
 public:
  static GfxListManager* createInstance();
  static GfxListManager* getInstance();
  static void destroyInstance();
  // The manager or null, without a report.
  static GfxListManager* findInstance();

  GfxListManager();
  ~GfxListManager();
  GfxListManager(const GfxListManager&) = delete;
  GfxListManager& operator=(const GfxListManager&) = delete;

  // The display-list font: the device context's third font.
  const boost::shared_ptr<font::RKFont>& font() const { return font_; }
  void setFont(const boost::shared_ptr<font::RKFont>& font) { font_ = font; }

  const std::list<GfxListObject*>& commands() const { return commands_; }
  // Deletes every command.
  void clear();
  // The last command that is a locate, or null.
  GfxListObject* findLastLocate() const;

  // Records the overlay list: every command prepared and executed in order
  // through one batch context, then the debug font's print list.
  void replay();

 private:
  friend class GfxListObject;
  std::list<GfxListObject*> commands_;
  boost::shared_ptr<font::RKFont> font_;
};

// Draws the entries queued on a font's print list with its adapter, each at its
// position in its colour; nothing without an adapter.
void drawPrintList(font::RKFont& font);

}  // namespace rk::gfx
