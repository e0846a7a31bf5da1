#include <gtest/gtest.h>

#include "policy/rk_max_fix_vector.h"
#include "policy/rk_shared_object.h"
#include "support/error_log_capture.h"

namespace {

const char* const kFreed = "解放済みメモリ\n";

struct Probe : rk::policy::SharedObject {
  explicit Probe(std::vector<std::string>* log) : log_(log) {}
  ~Probe() override { log_->push_back("deleted"); }
  void destroy() override { log_->push_back("destroy"); }
  std::vector<std::string>* log_;
};

TEST(SharedObject, LastOfTwoPointersDestroysThenDeletes) {
  std::vector<std::string> events;
  auto* probe = new Probe(&events);
  rk::policy::SharedObjectPtr a(probe);
  rk::policy::SharedObjectPtr b(a);
  EXPECT_EQ(probe->count(), 2);
  a.reset();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(probe->count(), 1);
  b.reset();
  EXPECT_EQ(events, (std::vector<std::string>{"destroy", "deleted"}));
}

TEST(SharedObject, SelfAssignmentAndSameObjectKeepTheCount) {
  std::vector<std::string> events;
  auto* probe = new Probe(&events);
  rk::policy::SharedObjectPtr a(probe);
  rk::policy::SharedObjectPtr b(probe);
  a = a;
  a = b;
  EXPECT_EQ(probe->count(), 2);
  rk::policy::SharedObjectPtr c(new Probe(&events));
  c = a;  // c's old object goes, probe gains one
  EXPECT_EQ(probe->count(), 3);
  EXPECT_EQ(events, (std::vector<std::string>{"destroy", "deleted"}));
}

TEST(SharedObject, ReleasingAnUnreferencedObjectReportsTwiceAndKeepsIt) {
  rktest::ErrorLogCapture log;
  std::vector<std::string> events;
  Probe probe(&events);
  EXPECT_EQ(probe.release("src/x", 12), -1);
  EXPECT_EQ(log.entries(kFreed), 2u);
  EXPECT_TRUE(events.empty());
  EXPECT_NE(log.text().find("src/x(12)\n"), std::string::npos);
}

TEST(MaxFixVector, OverflowIsReportedAndDropped) {
  rktest::ErrorLogCapture log;
  rk::policy::MaxFixVector<int, 3> v("rk::policy::MaxFixVector<int,3>");
  for (int i = 0; i < 5; ++i) v.push_back(i);
  EXPECT_EQ(v.size(), 3u);
  EXPECT_EQ(v[2], 2);
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<int,3>::push_back"), 2u);
  EXPECT_NE(log.text().find("include/policy/rk_max_fix_vector(48)\n"), std::string::npos);

  int& bad = v[3];
  bad = 99;  // writes a spare, not past the array
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<int,3>::operator []"), 1u);
  EXPECT_EQ(v.back(), 2);
  v.clear();
  v.back();
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<int,3>::back"), 1u);
}

}  // namespace
