#include "kernel/rk_instance_table.h"

#include <string>

#include "kernel/rk_error_log.h"

namespace rk {

namespace {
void* g_instances[kInstanceSlotCount] = {};
}

void*& instanceSlot(InstanceSlot slot) { return g_instances[static_cast<int>(slot)]; }

void reportSingleton(const SingletonReport& report, int line, const char* operation) {
  std::string text = std::string(report.className) + "::" + operation;
  debug::writeErrorLog(report.file, line, text.c_str());
}

}  // namespace rk
