#include <gtest/gtest.h>

#include "host/fs.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "support/error_log_capture.h"

namespace {

TEST(ErrorLog, EntryInAppDataFolderHasTwoEmptyLinesBeforeTheTrace) {
  rktest::ErrorLogCapture log;
  rk::debug::writeErrorLog("src/task/rk_task", 138, "rk::task::TaskManager::getInstance");
  std::string raw = log.raw();
  // Text mode: every line ends in CR LF on disk.
  EXPECT_EQ(raw.rfind("src/task/rk_task(138)\r\nrk::task::TaskManager::getInstance\r\n\r\n\r\nsymbol = ", 0), 0u) << raw;
  EXPECT_GT(rktest::countOf(raw, "symbol = "), 1u);
  EXPECT_EQ(rktest::countOf(raw, "\n"), rktest::countOf(raw, "\r\n"));
}

TEST(ErrorLog, EntriesAccumulateAndNullTextReadsError) {
  rktest::ErrorLogCapture log;
  rk::debug::writeErrorLog("a.cpp", 1, nullptr);
  rk::debug::writeErrorLog("b.cpp", 2, "second");
  std::string text = log.text();
  EXPECT_EQ(text.rfind("a.cpp(1)\nerror\n\n\n", 0), 0u);
  EXPECT_NE(text.find("b.cpp(2)\nsecond\n\n\n"), std::string::npos);
}

TEST(ErrorLog, UnwritableAppDataFolderFallsBackToCurrentDirectory) {
  rktest::TempDir cwd;
  rktest::CurrentDirGuard guard(cwd.path());
  rktest::writeBytes(cwd.file("blocker"), "a file, not a folder");
  host::fs::setAppDataFolderOverride(cwd.file("blocker"));
  rk::debug::setErrorLogFolder("log");
  rk::debug::writeErrorLog("x.cpp", 7, "fallback");
  host::fs::setAppDataFolderOverride("");
  std::string raw = rktest::readBytes(cwd.file("error_log.txt"));
  // One empty line before the trace in the fallback file.
  EXPECT_EQ(raw.rfind("x.cpp(7)\r\nfallback\r\n\r\nsymbol = ", 0), 0u) << raw;
}

TEST(HrException, NegativeCodesThrowAndLogOthersDoNothing) {
  rktest::ErrorLogCapture log;
  EXPECT_NO_THROW(rk::throwIfFailed(host::S_OK, "f.cpp", 1, L"ok"));
  EXPECT_NO_THROW(rk::throwIfFailed(host::S_FALSE, "f.cpp", 2, L"false"));
  EXPECT_TRUE(log.empty());
  try {
    rk::throwIfFailed(host::E_FAIL, "src/kernel/rk_device_context", 42, L"device_->CreateCommandQueue()");
    FAIL() << "no exception";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_FAIL);
    EXPECT_STREQ(e.what(), "HRESULT of 0x80004005\nsrc/kernel/rk_device_context (42) \n name = device_->CreateCommandQueue()");
    HrException copy(e);
    EXPECT_STREQ(copy.what(), e.what());
    EXPECT_EQ(copy.code(), e.code());
  }
  EXPECT_EQ(log.entries("HRESULT of 0x80004005"), 1u);
}

TEST(HrException, NullNameAndJapaneseName) {
  rktest::ErrorLogCapture log;
  HrException empty(host::E_OUTOFMEMORY, "m.cpp", 3, nullptr);
  EXPECT_STREQ(empty.what(), "HRESULT of 0x8007000E\nm.cpp (3) \n name = ");
  HrException script(host::E_FAIL, "s.cpp", 4, L"スクリプトエラー");
  EXPECT_STREQ(script.what(), "HRESULT of 0x80004005\ns.cpp (4) \n name = スクリプトエラー");
}

struct Dummy {
  int value = 5;
};
const rk::SingletonReport kDummy{"src/test/dummy", "rk::test::Dummy", 10, 20, 30};

TEST(InstanceTable, ConventionReportsMisuseAndGoesOn) {
  rktest::ErrorLogCapture log;
  const auto slot = rk::InstanceSlot::GameManager;
  EXPECT_EQ(rk::singletonGet<Dummy>(slot, kDummy), nullptr);
  rk::singletonDestroy<Dummy>(slot, kDummy);
  EXPECT_EQ(log.entries("rk::test::Dummy::getInstance"), 1u);
  EXPECT_EQ(log.entries("rk::test::Dummy::destroyInstance"), 1u);
  EXPECT_NE(log.text().find("src/test/dummy(20)\n"), std::string::npos);

  Dummy* first = rk::singletonCreate<Dummy>(slot, kDummy);
  EXPECT_EQ(rk::singletonGet<Dummy>(slot, kDummy), first);
  Dummy* second = rk::singletonCreate<Dummy>(slot, kDummy);  // reported, then overwritten
  EXPECT_EQ(log.entries("rk::test::Dummy::createInstance"), 1u);
  EXPECT_EQ(rk::singletonGet<Dummy>(slot, kDummy), second);
  rk::singletonDestroy<Dummy>(slot, kDummy);
  EXPECT_FALSE(rk::singletonExists(slot));
  delete first;  // the overwritten instance is the caller's to free
}

}  // namespace
