#include <gtest/gtest.h>

#include "kernel/rk_global_data.h"
#include "support/error_log_capture.h"

namespace {

class GlobalVariableTest : public ::testing::Test {
 protected:
  void SetUp() override { store = rk::GlobalVariable::createInstance(); }
  void TearDown() override { rk::GlobalVariable::destroyInstance(); }
  rk::GlobalVariable* store = nullptr;
};

TEST_F(GlobalVariableTest, FreshStoreDefaults) {
  EXPECT_EQ(store->getNumber("any"), 0.0f);
  EXPECT_EQ(store->findString("any"), nullptr);
  EXPECT_FALSE(store->getBoolean("any"));
  EXPECT_FALSE(store->isFixFrame());
  EXPECT_TRUE(store->isVisibleCollision());
  EXPECT_EQ(store->debugCollisionCameraNo(), 0);
}

TEST_F(GlobalVariableTest, NumbersAreSinglePrecisionAndOverwrite) {
  store->setNumber("x", static_cast<float>(0.1));
  EXPECT_EQ(static_cast<double>(store->getNumber("x")), static_cast<double>(0.1f));
  EXPECT_NE(static_cast<double>(store->getNumber("x")), 0.1);
  store->setNumber("x", 2.5f);
  EXPECT_EQ(store->getNumber("x"), 2.5f);
}

TEST_F(GlobalVariableTest, NameSpacesAreSeparateAndCaseSensitive) {
  store->setString("x", "text");
  EXPECT_EQ(store->getNumber("x"), 0.0f);
  EXPECT_FALSE(store->getBoolean("x"));
  ASSERT_NE(store->findString("x"), nullptr);
  EXPECT_EQ(*store->findString("x"), "text");
  store->setNumber("Speed", 3);
  EXPECT_EQ(store->getNumber("speed"), 0.0f);
  store->setBoolean("flag", true);
  EXPECT_TRUE(store->getBoolean("flag"));
}

TEST(GlobalVariableSingleton, MissingStoreIsReportedOnGetButNotOnDestroy) {
  rktest::ErrorLogCapture log;
  EXPECT_EQ(rk::GlobalVariable::getInstance(), nullptr);
  rk::GlobalVariable::destroyInstance();
  EXPECT_EQ(log.entries("rk::GlobalVariable::getInstance"), 1u);
  EXPECT_EQ(log.entries("rk::GlobalVariable::destroyInstance"), 0u);
  EXPECT_NE(log.text().find("src/kernel/rk_global_data(87)\n"), std::string::npos);
}

}  // namespace
