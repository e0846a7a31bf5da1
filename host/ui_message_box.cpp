// Message boxes over SDL2. A box never waits where nobody can answer: with a
// test sink the sink answers; without a display the text goes to standard
// error and the default answer comes back.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <utility>

#include "host/text.h"
#include "host/ui.h"
#include "host/ui_sink.h"

namespace host::ui {
namespace {

detail::SinkSlot<MessageBoxSink> sink;

struct ButtonSet {
  int ids[3];
  int count;
};

// The buttons of each MB_ type, left to right as Windows shows them.
const ButtonSet kButtonSets[] = {
    {{IDOK}, 1},                            // MB_OK
    {{IDOK, IDCANCEL}, 2},                  // MB_OKCANCEL
    {{IDABORT, IDRETRY, IDIGNORE}, 3},      // MB_ABORTRETRYIGNORE
    {{IDYES, IDNO, IDCANCEL}, 3},           // MB_YESNOCANCEL
    {{IDYES, IDNO}, 2},                     // MB_YESNO
    {{IDRETRY, IDCANCEL}, 2},               // MB_RETRYCANCEL
    {{IDCANCEL, IDTRYAGAIN, IDCONTINUE}, 3} // MB_CANCELTRYCONTINUE
};

// Unknown types get an OK box, so that the message is still seen.
const ButtonSet& buttonSetOf(unsigned type) {
  unsigned index = type & MB_TYPEMASK;
  return index < sizeof(kButtonSets) / sizeof(kButtonSets[0]) ? kButtonSets[index] : kButtonSets[0];
}

// MB_DEFBUTTON2 / 3 pick a later button; one the set lacks means the first.
int defaultIndex(unsigned type, const ButtonSet& set) {
  int index = static_cast<int>((type >> 8) & 0xF);
  return index < set.count ? index : 0;
}

int cancelIndex(const ButtonSet& set) {
  for (int i = 0; i < set.count; ++i) {
    if (set.ids[i] == IDCANCEL) return i;
  }
  return -1;
}

const char* buttonText(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    case IDTRYAGAIN: return "Try Again";
    default: return "Continue";
  }
}

// CP932 to UTF-8 for showing: a byte that is no character becomes '?', so a
// damaged message is still shown rather than lost.
std::string displayText(const std::string& cp932) {
  std::string whole = text::cp932ToUtf8(cp932);
  if (!whole.empty() || cp932.empty()) return whole;
  std::string out;
  for (size_t i = 0; i < cp932.size();) {
    size_t length = text::charLength(cp932, i);
    std::string one = text::cp932ToUtf8(std::string_view(cp932).substr(i, length));
    if (one.empty() && length == 2) {
      length = 1;
      one = text::cp932ToUtf8(std::string_view(cp932).substr(i, 1));
    }
    out += one.empty() ? "?" : one;
    i += length;
  }
  return out;
}

bool isHeadlessDriver(const char* name) {
  return name && (strcasecmp(name, "offscreen") == 0 || strcasecmp(name, "dummy") == 0);
}

void printToStandardError(const std::string& text, const std::string& caption) {
  std::string line = displayText(caption) + ": " + displayText(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

// Shows the box with SDL; false when SDL cannot show one here.
bool showWithSdl(const std::string& text, const std::string& caption, unsigned type, int& answer) {
  if (isHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  // Balanced with the quit below; SDL counts the users of the subsystem.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  bool shown = false;
  if (!isHeadlessDriver(SDL_GetCurrentVideoDriver())) {
    const ButtonSet& set = buttonSetOf(type);
    SDL_MessageBoxButtonData buttons[3] = {};
    int defaultButton = defaultIndex(type, set);
    int escapeButton = set.count == 1 ? 0 : cancelIndex(set);
    for (int i = 0; i < set.count; ++i) {
      buttons[i].buttonid = set.ids[i];
      buttons[i].text = buttonText(set.ids[i]);
      if (i == defaultButton) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
      if (i == escapeButton) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (type & MB_ICONMASK) {
      case MB_ICONERROR: flags |= SDL_MESSAGEBOX_ERROR; break;
      case MB_ICONWARNING: flags |= SDL_MESSAGEBOX_WARNING; break;
      case MB_ICONINFORMATION:
      case MB_ICONQUESTION: flags |= SDL_MESSAGEBOX_INFORMATION; break;
      default: break;
    }
    std::string title = displayText(caption);
    std::string message = displayText(text);
    SDL_MessageBoxData data{};
    data.flags = flags;
    data.title = title.c_str();
    data.message = message.c_str();
    data.numbuttons = set.count;
    data.buttons = buttons;
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) == 0) {
      shown = true;
      // Closing the box without a button counts as the default answer.
      answer = chosen >= 0 ? chosen : defaultAnswer(type);
    }
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shown;
}

}  // namespace

int defaultAnswer(unsigned type) {
  const ButtonSet& set = buttonSetOf(type);
  if (cancelIndex(set) >= 0) return IDCANCEL;
  return set.ids[defaultIndex(type, set)];
}

void setMessageBoxSink(MessageBoxSink newSink) { sink.set(std::move(newSink)); }

int messageBox(Window* /*owner: boxes are modal to the whole program*/, const std::string& text,
               const std::string& caption, unsigned type) {
  MessageBoxSink current = sink.get();
  // Called outside the lock, so a sink may replace itself.
  if (current) return current(text, caption, type);

  int answer = 0;
  if (showWithSdl(text, caption, type, answer)) return answer;
  printToStandardError(text, caption);
  return defaultAnswer(type);
}

}  // namespace host::ui
