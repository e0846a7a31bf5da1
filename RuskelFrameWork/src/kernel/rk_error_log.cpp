#include "kernel/rk_error_log.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "host/debug.h"
#include "host/fs.h"
#include "host/ui.h"

namespace rk::debug {

namespace {

std::string& folderName() {
  static std::string name;
  return name;
}

std::mutex& appendMutex() {
  static std::mutex m;
  return m;
}

std::FILE* openAppendOrWrite(const std::string& path) {
  std::FILE* f = host::fs::open(path, "a");
  if (!f) f = host::fs::open(path, "w");
  return f;
}

}  // namespace

void setErrorLogFolder(const std::string& name) { folderName() = name; }
const std::string& errorLogFolder() { return folderName(); }

void StackTrace::capture() {
  addresses = host::debug::captureStack(256);
  count = static_cast<int>(addresses.size());
  symbols.clear();
  symbols.reserve(addresses.size());
  for (void* address : addresses) symbols.push_back(host::debug::symbolName(address));
}

void formatStackTrace(std::string& out) {
  StackTrace trace;
  trace.capture();
  char line[512];
  for (int i = 0; i < trace.count; ++i) {
    const std::string& name = trace.symbols[i];
    std::snprintf(line, sizeof line, "symbol = %.400s : 0x%8.8" PRIxPTR "\n",
                  name.empty() ? "(unknown)" : name.c_str(),
                  reinterpret_cast<std::uintptr_t>(trace.addresses[i]));
    out += line;
  }
}

void writeErrorLog(const char* file, int line, const char* text) {
  try {
    if (!file) file = "";
    if (!text) text = "error";
    std::string trace;
    formatStackTrace(trace);

    std::lock_guard<std::mutex> lock(appendMutex());
    std::string appData = host::fs::appDataFolder();
    if (!appData.empty()) {
      std::string folder = host::fs::join(appData, folderName());
      if (!host::fs::isDirectory(folder)) host::fs::makeDirectory(folder);
      if (std::FILE* f = openAppendOrWrite(host::fs::join(folder, "error_log.txt"))) {
        std::fprintf(f, "%s(%d)\n%s\n\n", file, line, text);
        std::fputs("\n", f);
        std::fputs(trace.c_str(), f);
        std::fclose(f);
      } else if (std::FILE* g = openAppendOrWrite("error_log.txt")) {
        std::fprintf(g, "%s(%d)\n%s\n\n", file, line, text);
        std::fputs(trace.c_str(), g);
        std::fclose(g);
      }
      return;
    }
    if (std::FILE* f = openAppendOrWrite("error_log.txt")) {
      std::fprintf(f, "%s(%d)\n%s\n", file, line, text);
      std::fputs("\n", f);
      std::fputs(trace.c_str(), f);
      std::fclose(f);
    }
  } catch (...) {
    // The log writer never throws: an entry that cannot be written is lost.
  }
}

std::string systemMessage(host::HResult code) {
  // An HRESULT of facility 7 (Win32) carries a system error number in its low word.
  unsigned u = static_cast<unsigned>(code);
  if ((u & 0xFFFF0000u) == 0x80070000u) return std::strerror(static_cast<int>(u & 0xFFFFu));
  switch (u) {
    case 0x00000000u: return "この操作を正しく終了しました。";
    case 0x80004005u: return "エラーを特定できません";
    case 0x8007000Eu: return "この操作を終了するのに十分な記憶域がありません。";
    case 0x80070057u: return "パラメーターが間違っています。";
    case 0x80004001u: return "実装されていません";
    case 0x887A0005u: return "GPU デバイスのインスタンスが中断されました。";
    default: break;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "0x%08X", u);
  return buffer;
}

void showErrorCodeMessage(std::string& text, std::string& caption, host::HResult code, const char* file, int line) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, "%s : (%d) : %s", file ? file : "", line, systemMessage(code).c_str());
  text = buffer;
  caption = "エラー";
  host::ui::messageBox(nullptr, text, caption, host::ui::MB_ICONERROR);
}

void showHresultMessageBox(HRESULT_PACK pack) {
  host::ui::messageBox(pack.window, systemMessage(pack.code), "エラー", host::ui::MB_ICONERROR);
}

std::function<void()> makeErrorMessageTask(host::ui::Window* window, host::HResult code) {
  HRESULT_PACK pack{window, code};
  return [pack] { showHresultMessageBox(pack); };
}

}  // namespace rk::debug
