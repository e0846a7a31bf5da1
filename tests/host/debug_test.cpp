// Stack capture and symbol names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/debug.h"

// Outside the unnamed namespace so that the function has a symbol to find.
namespace host_debug_test {
__attribute__((noinline)) std::vector<std::string> namesOfCallers() {
  std::vector<std::string> names;
  for (void* frame : host::debug::captureStack(64)) names.push_back(host::debug::symbolName(frame));
  asm volatile("");  // keeps the call above from becoming a tail call
  return names;
}
}  // namespace host_debug_test

namespace {

TEST(Debug, CaptureStartsAtTheCallerAndNamesIt) {
  std::vector<std::string> names = host_debug_test::namesOfCallers();
  ASSERT_FALSE(names.empty());
  EXPECT_LE(names.size(), 64u);
  EXPECT_EQ(names[0].rfind("host_debug_test::namesOfCallers", 0), 0u) << names[0];
  for (const std::string& name : names) EXPECT_EQ(name.find("captureStack"), std::string::npos);
}

TEST(Debug, LimitsAndUnknownAddresses) {
  EXPECT_TRUE(host::debug::captureStack(0).empty());
  EXPECT_TRUE(host::debug::captureStack(-3).empty());
  EXPECT_LE(host::debug::captureStack(2).size(), 2u);
  EXPECT_EQ(host::debug::symbolName(nullptr), "");
  int local = 0;
  EXPECT_EQ(host::debug::symbolName(&local), "");  // the stack holds no symbols
}

TEST(Debug, NamesAreDemangled) {
  void* address = reinterpret_cast<void*>(&host::debug::symbolName);
  std::string name = host::debug::symbolName(address);
  EXPECT_EQ(name.rfind("host::debug::symbolName", 0), 0u) << name;
  EXPECT_NE(name.find("(void*)"), std::string::npos) << name;
}

}  // namespace
