#include "common/config_parser.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "common/config_record.h"
#include "ctrl/rk_key_name_table.h"
#include "host/text.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"

namespace {

enum class Tok {
  End, Adapter, WindowMode, ScreenSize, ScreenHz, Aspect, TotalVol, BgmVol, SeVol, D3dseVol, True, False,
  Keyboard, Joypad, Font, Eq, LParen, RParen, Comma, Colon, Percent, Quote, Number, LBrace, RBrace,
  Shot, Trans, Capture, Guard, Up, Left, Down, Right, Pause, LockOn, KeyCode, Text,
};

enum class State { Outer, KeyBlock, KeyName, PadBlock, FontLine, Comment };

struct Word {
  const char* text;
  Tok tok;
};

constexpr Word kOuterWords[] = {
    {"ADAPTER", Tok::Adapter},     {"WINDOW_MODE", Tok::WindowMode}, {"SCREEN_SIZE", Tok::ScreenSize},
    {"SCREEN_HZ", Tok::ScreenHz},  {"ASPECT", Tok::Aspect},          {"TOTAL_VOL", Tok::TotalVol},
    {"BGM_VOL", Tok::BgmVol},      {"SE_VOL", Tok::SeVol},           {"D3DSE_VOL", Tok::D3dseVol},
    {"TRUE", Tok::True},           {"FALSE", Tok::False},            {"KEYBOARD", Tok::Keyboard},
    {"JOYPAD", Tok::Joypad},       {"FONT", Tok::Font},
};
constexpr Word kKeyWords[] = {
    {"SHOT", Tok::Shot}, {"TRANS", Tok::Trans}, {"CAPTURE", Tok::Capture}, {"GUARD", Tok::Guard},
    {"UP", Tok::Up},     {"LEFT", Tok::Left},   {"DOWN", Tok::Down},       {"RIGHT", Tok::Right},
    {"PAUSE", Tok::Pause},
};
constexpr Word kPadWords[] = {
    {"PAUSE", Tok::Pause}, {"SHOT", Tok::Shot},     {"TRANS", Tok::Trans},
    {"CAPTURE", Tok::Capture}, {"LOCKON", Tok::LockOn}, {"GUARD", Tok::Guard},
};

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isKeyNameByte(unsigned char c) { return c == 0x21 || (c >= 0x27 && c <= 0x7A); }
using host::text::isLeadByte;
using host::text::isTrailByte;

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) { states_.push_back(State::Outer); }

  int line() const { return line_; }
  std::int32_t number() const { return number_; }
  std::uint8_t keyCode() const { return key_code_; }
  const std::string& text() const { return token_text_; }

  Tok next() {
    while (pos_ < text_.size()) {
      const unsigned char c = byte(pos_);
      switch (states_.back()) {
        case State::Outer:
          if (c == '#') { enter(State::Comment); ++pos_; continue; }
          if (c == '\n') { ++line_; ++pos_; continue; }
          if (const Word* w = longestWord(kOuterWords, std::size(kOuterWords))) {
            pos_ += std::strlen(w->text);
            if (w->tok == Tok::Keyboard) enter(State::KeyBlock);
            if (w->tok == Tok::Joypad) enter(State::PadBlock);
            if (w->tok == Tok::Font) enter(State::FontLine);
            return w->tok;
          }
          if (Tok t = punctuation(c, "=(),:%\""); t != Tok::End) return t;
          if (isDigit(c)) return scanNumber();
          break;
        case State::KeyBlock:
          if (c == '#') { enter(State::Comment); ++pos_; continue; }
          if (c == '\n') { ++line_; ++pos_; continue; }
          if (const Word* w = longestWord(kKeyWords, std::size(kKeyWords))) {
            pos_ += std::strlen(w->text);
            return w->tok;
          }
          if (c == '}') { leave(); ++pos_; return Tok::RBrace; }
          if (c == '"') { enter(State::KeyName); ++pos_; return Tok::Quote; }
          if (Tok t = punctuation(c, "={"); t != Tok::End) return t;
          break;
        case State::KeyName:
          if (c == '\n') { ++line_; ++pos_; continue; }
          if (c == '"') { leave(); ++pos_; return Tok::Quote; }
          if (isKeyNameByte(c)) return scanKeyName();
          break;
        case State::PadBlock:
          if (c == '#') { enter(State::Comment); ++pos_; continue; }
          if (c == '\n') { ++line_; ++pos_; continue; }
          if (const Word* w = longestWord(kPadWords, std::size(kPadWords))) {
            pos_ += std::strlen(w->text);
            return w->tok;
          }
          if (text_.compare(pos_, 7, "BUTTON_") == 0 && pos_ + 7 < text_.size() && isDigit(byte(pos_ + 7))) {
            pos_ += 7;
            return scanDigits();
          }
          if (c == '}') { leave(); ++pos_; return Tok::RBrace; }
          if (Tok t = punctuation(c, "={"); t != Tok::End) return t;
          break;
        case State::FontLine:
          if (c == '\n') { ++line_; ++pos_; leave(); continue; }
          if (Tok t = punctuation(c, "=\""); t != Tok::End) return t;
          if (std::size_t n = fontChar(pos_, true)) return scanFontText(n);
          break;
        case State::Comment:
          if (c == '\n') { ++line_; ++pos_; leave(); continue; }
          break;
      }
      ++pos_;  // a byte that starts no token of the state
    }
    return Tok::End;
  }

 private:
  unsigned char byte(std::size_t at) const { return static_cast<unsigned char>(text_[at]); }
  void enter(State s) { states_.push_back(s); }
  void leave() {
    if (states_.size() > 1) states_.pop_back();
  }

  const Word* longestWord(const Word* words, std::size_t count) const {
    const Word* best = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t n = std::strlen(words[i].text);
      if (text_.compare(pos_, n, words[i].text) == 0 && (!best || n > std::strlen(best->text))) best = &words[i];
    }
    return best;
  }

  Tok punctuation(unsigned char c, const char* allowed) {
    if (!std::strchr(allowed, c) || c == 0) return Tok::End;
    ++pos_;
    switch (c) {
      case '=': return Tok::Eq;
      case '(': return Tok::LParen;
      case ')': return Tok::RParen;
      case ',': return Tok::Comma;
      case ':': return Tok::Colon;
      case '%': return Tok::Percent;
      case '{': return Tok::LBrace;
      default: return Tok::Quote;
    }
  }

  // "0" alone, or a digit 1..9 and any digits after it: a leading zero ends
  // the number at once.
  Tok scanNumber() {
    if (byte(pos_) == '0') {
      ++pos_;
      number_ = 0;
      return Tok::Number;
    }
    return scanDigits();
  }

  // Values past 32 bits are held at the largest one rather than wrapping.
  Tok scanDigits() {
    std::int64_t value = 0;
    while (pos_ < text_.size() && isDigit(byte(pos_))) {
      value = value * 10 + (byte(pos_) - '0');
      if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
      ++pos_;
    }
    number_ = static_cast<std::int32_t>(value);
    return Tok::Number;
  }

  Tok scanKeyName() {
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && isKeyNameByte(byte(pos_))) ++pos_;
    const std::string name = text_.substr(begin, pos_ - begin);
    const rk::controller::KeyName* key = rk::controller::findKeyByName(name.c_str());
    key_code_ = key ? key->code : 0;
    return Tok::KeyCode;
  }

  // Length of the font character at `at` (0 when none). A space only
  // continues a run.
  std::size_t fontChar(std::size_t at, bool first) const {
    if (at >= text_.size()) return 0;
    const unsigned char c = byte(at);
    if (c == ' ') return first ? 0 : 1;
    if (c >= 0x21 && c <= 0x7E) return std::strchr("\"'=\\~", c) ? 0 : 1;
    if (c >= 0xA1 && c <= 0xDF) return 1;
    if (isLeadByte(c) && at + 1 < text_.size() && isTrailByte(byte(at + 1))) return 2;
    return 0;
  }

  Tok scanFontText(std::size_t firstLength) {
    const std::size_t begin = pos_;
    pos_ += firstLength;
    while (std::size_t n = fontChar(pos_, false)) pos_ += n;
    token_text_ = text_.substr(begin, pos_ - begin);
    return Tok::Text;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  std::vector<State> states_;
  std::int32_t number_ = 0;
  std::uint8_t key_code_ = 0;
  std::string token_text_;
};

struct SyntaxError {};

// A value the game cannot use (a zero screen side, a zero in the aspect, a pad
// button the controllers do not have): the statement stores the field's
// default instead and writes one error-log entry, and the parse goes on.
void reportOutOfRange(int line, const char* statement) {
  const std::string text =
      "config.dat(" + std::to_string(line) + "): " + statement + " is out of range; the default is used";
  rk::debug::writeErrorLog("common/config_parser", __LINE__, text.c_str());
}

bool validScreenSide(std::int32_t side) { return side >= 1 && side <= kConfigMaxScreenSide; }

class Parser {
 public:
  Parser(const std::string& text, ConfigRecord& record) : scanner_(text), record_(record) {}

  int line() const { return scanner_.line(); }

  void run() {
    advance();
    while (current_ != Tok::End) {
      statement();
      advance();
    }
  }

 private:
  void advance() { current_ = scanner_.next(); }
  void need(Tok t) {
    advance();
    if (current_ != t) throw SyntaxError{};
  }
  std::int32_t needNumber() {
    need(Tok::Number);
    return scanner_.number();
  }
  float percent() {
    need(Tok::Eq);
    const std::int32_t n = needNumber();
    need(Tok::Percent);
    return static_cast<float>(n) / 100.0f;
  }

  void statement() {
    switch (current_) {
      case Tok::Adapter: need(Tok::Eq); record_.adapter = needNumber(); return;
      case Tok::WindowMode:
        need(Tok::Eq);
        advance();
        if (current_ != Tok::True && current_ != Tok::False) throw SyntaxError{};
        record_.window_mode = current_ == Tok::True ? 1 : 0;
        return;
      case Tok::ScreenSize: {
        need(Tok::Eq);
        need(Tok::LParen);
        const std::int32_t width = needNumber();
        need(Tok::Comma);
        const std::int32_t height = needNumber();
        need(Tok::RParen);
        if (validScreenSide(width) && validScreenSide(height)) {
          record_.width = width;
          record_.height = height;
        } else {
          reportOutOfRange(line(), "SCREEN_SIZE");
          record_.width = defaultConfigRecord().width;
          record_.height = defaultConfigRecord().height;
        }
        return;
      }
      case Tok::ScreenHz: need(Tok::Eq); record_.refresh = needNumber(); return;
      case Tok::Aspect: {
        need(Tok::Eq);
        const std::int32_t first = needNumber();
        need(Tok::Colon);
        const std::int32_t second = needNumber();
        if (first > 0 && second > 0) {
          record_.aspect = static_cast<float>(second) / static_cast<float>(first);
        } else {
          reportOutOfRange(line(), "ASPECT");
          record_.aspect = defaultConfigRecord().aspect;
        }
        return;
      }
      case Tok::TotalVol: record_.total_volume = percent(); return;
      case Tok::BgmVol: record_.bgm_volume = percent(); return;
      case Tok::SeVol: record_.se_volume = percent(); return;
      case Tok::D3dseVol: record_.d3dse_volume = percent(); return;
      case Tok::Keyboard: keyBlock(); return;
      case Tok::Joypad: padBlock(); return;
      case Tok::Font: font(); return;
      default: throw SyntaxError{};
    }
  }

  std::uint8_t* keyField(Tok t) {
    switch (t) {
      case Tok::Shot: return &record_.key_shot;
      case Tok::Trans: return &record_.key_trans;
      case Tok::Capture: return &record_.key_capture;
      case Tok::Guard: return &record_.key_guard;
      case Tok::Up: return &record_.key_up;
      case Tok::Left: return &record_.key_left;
      case Tok::Down: return &record_.key_down;
      case Tok::Right: return &record_.key_right;
      case Tok::Pause: return &record_.key_pause;
      default: return nullptr;
    }
  }

  template <class Record>
  static auto padField(Record& r, Tok t) -> decltype(&r.pad_shot) {
    switch (t) {
      case Tok::Shot: return &r.pad_shot;
      case Tok::Trans: return &r.pad_trans;
      case Tok::Capture: return &r.pad_capture;
      case Tok::Guard: return &r.pad_guard;
      case Tok::LockOn: return &r.pad_lockon;
      case Tok::Pause: return &r.pad_pause;
      default: return nullptr;
    }
  }

  // KEYBOARD = { item ... }, at least one item.
  void keyBlock() {
    need(Tok::Eq);
    need(Tok::LBrace);
    advance();
    do {
      std::uint8_t* field = keyField(current_);
      if (!field) throw SyntaxError{};
      need(Tok::Eq);
      need(Tok::Quote);
      need(Tok::KeyCode);
      const std::uint8_t code = scanner_.keyCode();
      need(Tok::Quote);
      *field = code;
      advance();
    } while (current_ != Tok::RBrace);
  }

  // JOYPAD = { BUTTON_nn = NAME ... }, at least one item.
  void padBlock() {
    need(Tok::Eq);
    need(Tok::LBrace);
    advance();
    do {
      if (current_ != Tok::Number) throw SyntaxError{};
      const std::int32_t button = scanner_.number();
      need(Tok::Eq);
      advance();
      std::uint8_t* field = padField(record_, current_);
      if (!field) throw SyntaxError{};
      if (button >= 1 && button <= kConfigPadButtonCount) {
        *field = static_cast<std::uint8_t>(button - 1);
      } else {
        reportOutOfRange(line(), "JOYPAD");
        *field = *padField(defaultConfigRecord(), current_);
      }
      advance();
    } while (current_ != Tok::RBrace);
  }

  void font() {
    need(Tok::Eq);
    need(Tok::Quote);
    advance();
    if (current_ == Tok::Quote) {
      record_.font_name[0] = '\0';
      return;
    }
    if (current_ != Tok::Text) throw SyntaxError{};
    const std::string name = scanner_.text();
    need(Tok::Quote);
    storeFontName(name);
  }

  // The field holds 31 bytes: a longer name is cut before the character that
  // would not fit whole, never inside a double-byte character.
  void storeFontName(const std::string& name) {
    const std::size_t length = host::text::fitLength(name, sizeof record_.font_name - 1);
    std::memcpy(record_.font_name, name.data(), length);
    record_.font_name[length] = '\0';
  }

  Scanner scanner_;
  ConfigRecord& record_;
  Tok current_ = Tok::End;
};

}  // namespace

bool parseConfigText(const std::string& text, ConfigRecord& record, host::ui::Window* owner) {
  Parser parser(text, record);
  try {
    parser.run();
    return true;
  } catch (const SyntaxError&) {
    char message[64];
    std::snprintf(message, sizeof message, "%s : (%d)", "syntax error", parser.line());
    host::ui::messageBox(owner, message, "コンフィグエラー", host::ui::MB_OK | host::ui::MB_ICONERROR);
    return false;
  }
}
