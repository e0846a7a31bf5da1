#include "ctrl/rk_controller.h"

#include <cstring>
#include <new>

#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_input_driver.h"

namespace rk::controller {

namespace {

constexpr const char* kSource = "src/ctrl/rk_controller";
const SingletonReport kReport{kSource, "rk::controller::ControllerManager", 414, 433, 445};

// Key identifiers of the default map (places in the script's DIK_ list).
constexpr std::uint8_t kDikDelete = 29, kDikDown = 31, kDikEscape = 35, kDikLeft = 65, kDikReturn = 108,
                       kDikRight = 109, kDikTab = 123, kDikUp = 127, kDikX = 140, kDikZ = 143;

constexpr std::uint16_t keyPair(std::uint8_t first, std::uint8_t second) {
  return static_cast<std::uint16_t>(second << 8 | first);
}

constexpr float kFirstRepeat = 1.0f;
constexpr float kNextRepeat = 0.16f;

bool keyDown(driver::InputDriver& driver, std::uint8_t key) { return (driver.getKeyState(key) & 0x80) != 0; }

// The POV number of a combination of the four directions.
int directionOf(bool up, bool right, bool down, bool left) {
  if (right) return up ? 1 : (down ? 3 : 2);
  if (down && left) return 5;
  if (up && left) return 7;
  if (up) return 0;
  if (down) return 4;
  if (left) return 6;
  return -1;
}

int analogDirection(driver::InputDriver& driver, const math::Vector4& stick) {
  const float hx = static_cast<float>(driver.getStickRangeX() / 2);
  const float hy = static_cast<float>(driver.getStickRangeY() / 2);
  const bool right = stick.x > hx, left = stick.x < -hx, up = stick.y > hy, down = stick.y < -hy;
  if (right) return up ? 1 : (down ? 3 : 2);
  if (left) return up ? 7 : (down ? 5 : 6);
  if (up) return 0;
  if (down) return 4;
  return -1;
}

void readPad(driver::InputDriver& driver, ControllerState& s, int pad) {
  s.pov = driver.getDirection(pad);
  s.buttons = 0;
  driver.getLeftStick(pad, s.left_stick);
  driver.getRightStick(pad, s.right_stick);
  for (int i = 0; i < kPadButtonCount; ++i) {
    if (!driver.isButton(pad, i)) continue;
    const auto target = static_cast<std::uint32_t>(s.macro->pad_map[i]);
    if (target < 255) s.buttons |= 1u << (target % 32);
  }
  s.analog = analogDirection(driver, s.left_stick);
}

void readKeyboard(driver::InputDriver& driver, ControllerState& s) {
  const ControllerMacro& m = *s.macro;
  const bool up = keyDown(driver, m.direction_keys[0]), right = keyDown(driver, m.direction_keys[1]),
             down = keyDown(driver, m.direction_keys[2]), left = keyDown(driver, m.direction_keys[3]);
  s.pov = s.analog = directionOf(up, right, down, left);
  s.buttons = 0;
  for (int i = 0; i < kButtonCount; ++i) {
    const auto first = static_cast<std::uint8_t>(m.button_keys[i] & 0xFF);
    const auto second = static_cast<std::uint8_t>(m.button_keys[i] >> 8);
    if ((first && keyDown(driver, first)) || (second && keyDown(driver, second))) s.buttons |= 1u << i;
  }
}

// One hold-and-repeat state for the directions and all buttons together.
void updateRepeat(ControllerState& s, float dt) {
  const bool input = s.pov != -1 || s.analog != -1 || s.buttons != 0;
  if (!s.held) {
    if (input) s.repeat_timer = kFirstRepeat, s.held = true, s.repeat = true;
    return;
  }
  if (!input) {
    s.repeat_timer = 0.0f, s.held = false, s.repeat = false;
    return;
  }
  if (s.pov != s.prev_pov || s.analog != s.prev_analog || s.buttons != s.prev_buttons) {
    s.repeat_timer = kFirstRepeat, s.repeat = true;
    return;
  }
  s.repeat_timer -= dt;
  if (s.repeat_timer <= 0.0f) {
    s.repeat_timer += kNextRepeat;
    s.repeat = true;
  } else {
    s.repeat = false;
  }
}

bool padConnected(driver::InputDriver& driver, unsigned pad) {
  return pad < static_cast<unsigned>(kPadCount) && driver.isConnected(static_cast<int>(pad));
}

}  // namespace

// ------------------------------------------------------------ ControllerMacro

void ControllerMacro::clear() {
  clearKeyboard();
  std::memset(reserved, 0, sizeof reserved);
  clearPadMap();
}

void ControllerMacro::clearPadMap() {
  for (std::int32_t& entry : pad_map) entry = -1;
}

void ControllerMacro::clearKeyboard() {
  std::memset(direction_keys, 0xFF, sizeof direction_keys);
  for (std::uint16_t& keys : button_keys) keys = 0xFFFF;
}

void ControllerMacro::setDefault() {
  clear();
  direction_keys[0] = kDikUp;
  direction_keys[1] = kDikRight;
  direction_keys[2] = kDikDown;
  direction_keys[3] = kDikLeft;
  button_keys[0] = keyPair(kDikZ, kDikReturn);
  button_keys[1] = keyPair(kDikX, kDikEscape);
  button_keys[6] = keyPair(kDikTab, kDikTab);
  button_keys[7] = keyPair(kDikDelete, kDikDelete);
  pad_map[0] = 0;  // A: OK
  pad_map[1] = 1;  // B: cancel
  pad_map[6] = 6;  // back: tab
  pad_map[7] = 7;  // start: delete
}

// ----------------------------------------------------------------- Controller

Controller::Controller(std::shared_ptr<ControllerMacro> macro) { state_.macro = std::move(macro); }

Controller::~Controller() { links_.clear(); }

void Controller::keepPrevious() {
  state_.prev_pov = state_.pov;
  state_.prev_analog = state_.analog;
  state_.prev_buttons = state_.buttons;
}

// ---------------------------------------------------------- ControllerManager

struct ControllerManager::Impl {
  std::unique_ptr<Controller> system;
  std::shared_ptr<ControllerMacro> system_macro;
  std::vector<std::unique_ptr<Controller>> players;
};

ControllerManager* ControllerManager::createInstance() {
  return singletonCreate<ControllerManager>(InstanceSlot::ControllerManager, kReport);
}
ControllerManager* ControllerManager::getInstance() {
  return singletonGet<ControllerManager>(InstanceSlot::ControllerManager, kReport);
}
void ControllerManager::destroyInstance() {
  singletonDestroy<ControllerManager>(InstanceSlot::ControllerManager, kReport);
}

ControllerManager::ControllerManager() : impl_(std::make_unique<Impl>()) {
  impl_->system_macro = std::make_shared<ControllerMacro>();
  impl_->system_macro->setDefault();
  try {
    impl_->system = std::make_unique<Controller>(impl_->system_macro);
  } catch (const std::bad_alloc&) {
    throw HrException(host::E_OUTOFMEMORY, kSource, 384, L"コントローラーの作成に失敗しました。");
  }
  impl_->system->state().system = true;
}

// System controller first, then the players in list order, then the shared map.
ControllerManager::~ControllerManager() {
  impl_->system.reset();
  for (auto& player : impl_->players) player.reset();
  impl_->players.clear();
  impl_->system_macro.reset();
}

Controller* ControllerManager::getSystemController() const { return impl_->system.get(); }

Controller* ControllerManager::getController(unsigned index) const {
  if (index >= impl_->players.size()) {
    debug::writeErrorLog(kSource, 494, "rk::controller::ControllerManager::getController");
    return nullptr;
  }
  return impl_->players[index].get();
}

unsigned ControllerManager::getPlayerNum() const { return static_cast<unsigned>(impl_->players.size()); }

void ControllerManager::setPlayerNum(unsigned count) {
  if (count > kMaxPlayerCount) count = kMaxPlayerCount;
  auto& players = impl_->players;
  while (players.size() > count) players.pop_back();
  while (players.size() < count) {
    auto macro = std::make_shared<ControllerMacro>();
    macro->setDefault();
    players.push_back(std::make_unique<Controller>(std::move(macro)));
  }
}

void ControllerManager::updateController(driver::InputDriver& driver, Controller& controller, int pad, float dt,
                                         bool /*system: not used*/) {
  ControllerState& s = controller.state();
  s.pov = -1;
  s.analog = -1;
  // Pads are expected to fill the lowest numbers: only those below the count are read.
  s.valid = static_cast<unsigned>(pad) < driver.getConnectedPadCount();
  if (s.valid) readPad(driver, s, pad);
  // The keyboard stands in whenever the pad gives nothing, and always for a pad
  // that is not read (its buttons of an earlier frame do not count).
  if (!s.valid || (s.pov == -1 && s.buttons == 0 && s.analog == -1)) readKeyboard(driver, s);
  updateRepeat(s, dt);
}

void ControllerManager::update(driver::InputDriver& driver, float dt) {
  Controller& system = *impl_->system;
  updateController(driver, system, 0, dt, true);
  for (unsigned i = 0; i < impl_->players.size(); ++i) {
    Controller& player = *impl_->players[i];
    player.keepPrevious();
    updateController(driver, player, static_cast<int>(i), dt, false);
    player.state().connected = padConnected(driver, i);
  }
  system.state().connected = padConnected(driver, 0);
}

void ControllerManager::endFrame() { impl_->system->keepPrevious(); }

}  // namespace rk::controller
