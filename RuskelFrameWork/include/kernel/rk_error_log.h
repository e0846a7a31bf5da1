// The error log: soft failures append one entry to "error_log.txt" in the save
// folder (or the current directory) and the program goes on.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "host/hresult.h"

namespace host::ui { class Window; }

namespace rk::debug {

// Appends "<file>(<line>)\n<text>\n\n" and a stack trace to the log. Never throws,
// never shows anything; a null text is written as "error". Appends from several
// threads are serialised.
void writeErrorLog(const char* file, int line, const char* text);

// Names the save folder under the application-data folder (set once at entry).
void setErrorLogFolder(const std::string& name);
const std::string& errorLogFolder();

struct StackTrace {
  int count = 0;
  std::vector<void*> addresses;
  std::vector<std::string> symbols;
  void capture();
};

// "symbol = %s : 0x%8.8x\n" for every frame of a fresh capture.
void formatStackTrace(std::string& out);

// Builds "%s : (%d) : %s" (file, line, system message for the code) into text,
// "エラー" into caption, and shows an error box.
void showErrorCodeMessage(std::string& text, std::string& caption, host::HResult code, const char* file, int line);

struct HRESULT_PACK {
  host::ui::Window* window;
  host::HResult code;
};

// Shows the system message for the pack's code in an error box.
void showHresultMessageBox(HRESULT_PACK pack);
// A call of showHresultMessageBox bound to the pack, to be run on a thread of its own.
std::function<void()> makeErrorMessageTask(host::ui::Window* window, host::HResult code);

// The system's message text for an HRESULT (its Win32 error when it wraps one).
std::string systemMessage(host::HResult code);

}  // namespace rk::debug
