#include <gtest/gtest.h>

#include <string>

#include "res/rk_res_reader.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"

namespace {

using rk::res::ResourceManager;
using rk::res::ResourcePtr;

TEST(NameKey, SumsSignedBytesPlusThreeModulo251) {
  struct Case {
    const char* name;
    int key;
  } cases[] = {
      {"abc", 52},         // (100 + 101 + 102) mod 251
      {"\x82", 0},         // -123 read unsigned is a multiple of 251
      {"", 0},
      {"\xFF\xFF", 4},     // bytes above 0x7F count as negative: (-1 + 3) * 2
      {"\x80", 249},       // (2^32 - 125) mod 251
  };
  for (const Case& c : cases) EXPECT_EQ(rk::res::nameKey(c.name), c.key) << c.name;
  EXPECT_EQ(rk::res::nameKey(static_cast<const char*>(nullptr)), 0);
}

class ResourceManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { manager_ = ResourceManager::createInstance(); }
  void TearDown() override { ResourceManager::destroyInstance(); }
  rktest::ErrorLogCapture log_;
  ResourceManager* manager_ = nullptr;
};

TEST_F(ResourceManagerTest, NamesSharingAKeyAreFoundByExactName) {
  ASSERT_EQ(rk::res::nameKey("ab"), rk::res::nameKey("ba"));
  ResourcePtr ab = manager_->getResourceData("ab");
  ResourcePtr ba = manager_->getResourceData("ba");
  EXPECT_NE(ab, ba);
  EXPECT_EQ(manager_->findResource("ab"), ab);
  EXPECT_EQ(manager_->findResource("ba"), ba);
  EXPECT_FALSE(manager_->findResource("aa\x01"));
  EXPECT_EQ(ab->count(), 1);  // finding hands out references that are given back
}

TEST_F(ResourceManagerTest, TheLastReleaseRemovesTheResource) {
  ResourcePtr first = manager_->getResourceData("stage.bin");
  first->ownedBytes().assign(4, 7);
  first->setReady(true);
  first.reset();
  EXPECT_EQ(manager_->count(), 0u);
  ResourcePtr again = manager_->getResourceData("stage.bin");
  EXPECT_FALSE(again->isLoaded());
  EXPECT_EQ(again->data(), nullptr);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(ResourceManagerTest, AResourceOutlivingItsManagerIsReportedNotCorrupting) {
  ResourcePtr survivor = manager_->getResourceData("late");
  ResourceManager::destroyInstance();
  survivor.reset();  // would reach into the freed manager
  EXPECT_EQ(log_.entries("rk::res::ResourceData::destroy"), 1u);
  manager_ = ResourceManager::createInstance();
}

class ReaderTest : public ResourceManagerTest {
 protected:
  ResourcePtr resourceOf(const std::string& bytes) {
    ResourcePtr r = manager_->getResourceData("reader" + std::to_string(++n_));
    r->ownedBytes().assign(bytes.begin(), bytes.end());
    r->setReady(true);
    return r;
  }
  int n_ = 0;
};

TEST_F(ReaderTest, CursorMovesAndRemembersPositions) {
  std::string bytes(64, '\0');
  bytes.replace(0, 4, "\x2A\x00\x00\x00", 4);
  bytes.replace(4, 6, "NODE\0x", 6);
  ResourcePtr r = resourceOf(bytes);
  rk::res::ResourceReader reader(r.get());
  EXPECT_EQ(reader.getInt(), 42);
  reader.advance4();
  EXPECT_STREQ(reader.getString(), "NODE");
  reader.skipString();
  EXPECT_EQ(reader.getPosition(), 9u);
  reader.push();
  reader.seek(31);
  reader.skipString();  // at a zero byte: exactly one step
  EXPECT_EQ(reader.getPosition(), 32u);
  reader.align16();
  EXPECT_EQ(reader.getPosition(), 32u);
  reader.advance(1);
  reader.align16();
  EXPECT_EQ(reader.getPosition(), 48u);
  reader.pop();
  EXPECT_EQ(reader.getPosition(), 9u);
  reader.pop();  // the last position stays
  EXPECT_EQ(reader.getPosition(), 9u);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(ReaderTest, NothingPastTheEndIsRead) {
  ResourcePtr r = resourceOf(std::string("\x01\x02\x03\x04\x05\x06TEXT", 10));
  rk::res::ResourceReader reader(r.get());
  reader.seek(10);  // the end itself is a valid place
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(reader.getInt(), 0);
  EXPECT_STREQ(reader.getString(), "");
  reader.seek(8);
  EXPECT_EQ(reader.getInt(), 0);     // only two bytes left
  EXPECT_EQ(reader.getDouble(), 0.0);
  EXPECT_EQ(reader.getBytes(3), nullptr);
  EXPECT_NE(reader.getBytes(2), nullptr);
  reader.seek(6);
  EXPECT_STREQ(reader.getString(), "");  // "TEXT" has no terminator
  reader.skipString();
  EXPECT_EQ(reader.getPosition(), 11u);
  EXPECT_EQ(log_.entries("rk::res::ResourceReader::seek"), 1u);
  reader.seek(0xFFFFFFF0u);
  reader.advance(0x100);  // no wrap-around back into the data
  EXPECT_TRUE(reader.isPastEnd());
  EXPECT_EQ(reader.getInt(), 0);

  ResourcePtr empty = manager_->getResourceData("empty");
  rk::res::ResourceReader onEmpty(empty.get());
  EXPECT_EQ(onEmpty.getInt(), 0);
  EXPECT_STREQ(onEmpty.getString(), "");
}

}  // namespace
