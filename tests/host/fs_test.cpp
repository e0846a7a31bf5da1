// Files and folders: Windows text modes, name lookup, folders, the app-data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/fs.h"

namespace {

namespace stdfs = std::filesystem;

// A fresh folder per test; `path` is ASCII, so it is both a native and a program path.
class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = stdfs::path(RK_BINARY_DIR) / "test-fs" / (std::string(info->name()) + "-" + std::to_string(getpid()));
    stdfs::remove_all(root_);
    stdfs::create_directories(root_);
  }
  void TearDown() override { stdfs::remove_all(root_); }

  std::string path(const std::string& name) const { return root_.string() + "/" + name; }

  void writeRaw(const std::string& name, const std::string& bytes) const {
    std::ofstream out(root_ / stdfs::u8path(name), std::ios::binary);
    out << bytes;
  }
  std::string readRaw(const std::string& name) const {
    std::ifstream in(root_ / stdfs::u8path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Reads a stream to its end with fread, in small pieces.
  static std::string readAll(std::FILE* f) {
    std::string out;
    char buffer[3];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    return out;
  }

  stdfs::path root_;
};

TEST_F(FsTest, TextWriteTurnsLfIntoCrLf) {
  std::FILE* f = host::fs::open(path("out.txt"), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("a\nb\r\nc", f);
  std::fprintf(f, "%d\n", 42);
  std::fclose(f);
  EXPECT_EQ(readRaw("out.txt"), "a\r\nb\r\r\nc42\r\n");
}

TEST_F(FsTest, TextReadTurnsCrLfIntoLfAndKeepsLoneCr) {
  writeRaw("in.txt", "x\ry\r\n\r\nz\r\r\nend\r");
  for (const char* mode : {"r", "rt"}) {
    std::FILE* f = host::fs::open(path("in.txt"), mode);
    ASSERT_NE(f, nullptr) << mode;
    EXPECT_EQ(readAll(f), "x\ry\n\nz\r\nend\r") << mode;
    std::fclose(f);
  }
  // Counting with getc sees the translated characters.
  std::FILE* f = host::fs::open(path("in.txt"), "r");
  int count = 0;
  while (std::getc(f) != EOF) ++count;
  std::fclose(f);
  EXPECT_EQ(count, 12);
}

TEST_F(FsTest, BinaryModesPassBytesThrough) {
  const std::string bytes("a\r\nb\n\r\0c", 8);
  std::FILE* f = host::fs::open(path("bin"), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_EQ(readRaw("bin"), bytes);
  f = host::fs::open(path("bin"), "rb");
  EXPECT_EQ(readAll(f), bytes);
  std::fclose(f);
}

TEST_F(FsTest, TextTextRoundTripIsExact) {
  const std::string text = "line\r\n\n\r\rlast";
  std::FILE* f = host::fs::open(path("t.txt"), "wt");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  f = host::fs::open(path("t.txt"), "r");
  EXPECT_EQ(readAll(f), text);
  std::fclose(f);
}

TEST_F(FsTest, AppendModesAddToTheEnd) {
  writeRaw("log.txt", "one\r\n");
  std::FILE* f = host::fs::open(path("log.txt"), "a");
  ASSERT_NE(f, nullptr);
  std::fputs("two\n", f);
  std::fclose(f);
  f = host::fs::open(path("log.txt"), "ab");
  std::fputs("three\n", f);
  std::fclose(f);
  EXPECT_EQ(readRaw("log.txt"), "one\r\ntwo\r\nthree\n");
  // "a" makes the file when it is missing.
  f = host::fs::open(path("new.txt"), "a");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(stdfs::exists(root_ / "new.txt"));
}

TEST_F(FsTest, TextStreamPositionsAreRawFilePositions) {
  writeRaw("pos.txt", "ab\r\ncd\r\n");
  std::FILE* f = host::fs::open(path("pos.txt"), "r");
  char line[16];
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "ab\n");
  EXPECT_EQ(std::ftell(f), 4);
  ASSERT_EQ(std::fseek(f, 0, SEEK_END), 0);
  EXPECT_EQ(std::ftell(f), 8);
  ASSERT_EQ(std::fseek(f, 4, SEEK_SET), 0);
  EXPECT_EQ(readAll(f), "cd\n");
  std::fclose(f);
}

TEST_F(FsTest, ModesAreCheckedLikeTheWindowsRuntime) {
  writeRaw("m.txt", "x");
  for (const char* good : {"r", "rb", "rt", "r+", "r+b", "rb+", "w+t", "a+"}) {
    std::FILE* f = host::fs::open(path("m.txt"), good);
    EXPECT_NE(f, nullptr) << good;
    if (f) std::fclose(f);
    writeRaw("m.txt", "x");
  }
  for (const char* bad : {"", "x", "rw", "r++", "rbt", "bb", "+r"}) {
    EXPECT_EQ(host::fs::open(path("m.txt"), bad), nullptr) << bad;
  }
  EXPECT_EQ(host::fs::open(path("m.txt"), nullptr), nullptr);
  EXPECT_EQ(host::fs::open(path("missing.txt"), "r"), nullptr);
}

TEST_F(FsTest, NamesMatchIgnoringCaseWithEitherSeparator) {
  stdfs::create_directories(root_ / "Data");
  writeRaw("Data/Foo.TXT", "content");
  const std::string asked = path("data\\foo.txt");
  EXPECT_EQ(host::fs::nativePath(asked), root_.string() + "/Data/Foo.TXT");
  EXPECT_TRUE(host::fs::exists(path("DATA/FOO.txt")));
  EXPECT_TRUE(host::fs::isDirectory(path("dAtA")));
  EXPECT_EQ(host::fs::fileSize(asked), 7);
  std::FILE* f = host::fs::open(asked, "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(readAll(f), "content");
  std::fclose(f);

  // A new file lands in the folder that exists under another case.
  f = host::fs::open(path("data\\New.txt"), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(stdfs::exists(root_ / "Data" / "New.txt"));
  EXPECT_FALSE(host::fs::exists(path("data\\nothing.txt")));
}

TEST_F(FsTest, ProgramPathsWithDoubleByteNamesReachTheRightFile) {
  // "表" is 0x95 0x5C in CP932: its second byte must not act as a separator.
  ASSERT_TRUE(host::fs::makeDirectory(path("表")));
  EXPECT_TRUE(stdfs::is_directory(root_ / stdfs::u8path(u8"表")));
  std::FILE* f = host::fs::open(host::fs::join(path("表"), "エラー.txt"), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(stdfs::exists(root_ / stdfs::u8path(u8"表") / stdfs::u8path(u8"エラー.txt")));
  // Invalid CP932 names nothing.
  EXPECT_EQ(host::fs::nativePath("bad\x81"), "");
  EXPECT_EQ(host::fs::open(path("bad\x81"), "w"), nullptr);
}

TEST(FsJoin, AddsOneSeparatorWhereNeeded) {
  EXPECT_EQ(host::fs::join("a", "b"), "a\\b");
  EXPECT_EQ(host::fs::join("a\\", "b"), "a\\b");
  EXPECT_EQ(host::fs::join("a/", "b"), "a/b");
  EXPECT_EQ(host::fs::join("", "b"), "b");
  EXPECT_EQ(host::fs::join("a", "\\b"), "a\\b");
  // The folder ends with a character whose second byte is 0x5C.
  EXPECT_EQ(host::fs::join("C:\\表", "x"), "C:\\表\\x");
}

TEST_F(FsTest, MakeDirectoryMakesOneLevelAndMakeDirectoriesAll) {
  EXPECT_FALSE(host::fs::makeDirectory(path("p\\q")));
  EXPECT_FALSE(stdfs::exists(root_ / "p"));
  EXPECT_TRUE(host::fs::makeDirectories(path("p\\q\\r\\")));
  EXPECT_TRUE(stdfs::is_directory(root_ / "p" / "q" / "r"));
  EXPECT_TRUE(host::fs::makeDirectories(path("P/Q")));  // exists already, other case
  EXPECT_FALSE(host::fs::makeDirectory(path("p")));     // exists: nothing made
  EXPECT_TRUE(host::fs::makeDirectory(path("p\\s")));

  writeRaw("file", "x");
  EXPECT_FALSE(host::fs::makeDirectories(path("file\\sub")));
  EXPECT_FALSE(host::fs::isDirectory(path("file")));
}

TEST_F(FsTest, RemoveReplaceAndSize) {
  writeRaw("target", "old");
  writeRaw("target.tmp", "newer");
  EXPECT_TRUE(host::fs::replaceFile(path("target.tmp"), path("TARGET")));
  EXPECT_EQ(readRaw("target"), "newer");
  EXPECT_FALSE(stdfs::exists(root_ / "target.tmp"));
  EXPECT_FALSE(stdfs::exists(root_ / "TARGET"));
  EXPECT_FALSE(host::fs::replaceFile(path("target.tmp"), path("target")));

  EXPECT_EQ(host::fs::fileSize(path("target")), 5);
  EXPECT_EQ(host::fs::fileSize(path("missing")), -1);
  EXPECT_EQ(host::fs::fileSize(root_.string()), -1);  // a folder

  EXPECT_TRUE(host::fs::removeFile(path("Target")));
  EXPECT_FALSE(host::fs::exists(path("target")));
  EXPECT_FALSE(host::fs::removeFile(path("target")));
}

TEST_F(FsTest, CurrentDirectoryFollowsChanges) {
  stdfs::create_directories(root_ / "Work");
  std::string before = host::fs::currentDirectory();
  ASSERT_TRUE(host::fs::setCurrentDirectory(path("work")));
  EXPECT_EQ(host::fs::currentDirectory(), stdfs::canonical(root_ / "Work").string());
  // Relative names now resolve against it.
  writeRaw("Work/rel.txt", "r");
  EXPECT_TRUE(host::fs::exists("REL.TXT"));
  ASSERT_TRUE(host::fs::setCurrentDirectory(before));
  EXPECT_FALSE(host::fs::setCurrentDirectory(path("missing")));
}

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_, old_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  std::string old_;
};

TEST(FsAppData, FollowsXdgDataHomeOnlyWhenAbsolute) {
  ScopedEnv home("HOME", "/home/player");
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/srv/data//");
    EXPECT_EQ(host::fs::appDataFolder(), "/srv/data");
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(host::fs::appDataFolder(), "/home/player/.local/share");
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(host::fs::appDataFolder(), "/home/player/.local/share");
  }
  {
    // UTF-8 from the environment becomes a program (CP932) path.
    ScopedEnv xdg("XDG_DATA_HOME", u8"/srv/データ");
    EXPECT_EQ(host::fs::appDataFolder(), "/srv/データ");
  }
}

TEST(FsAppData, OverrideWinsUntilCleared) {
  ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
  host::fs::setAppDataFolderOverride("/tmp/elsewhere");
  EXPECT_EQ(host::fs::appDataFolder(), "/tmp/elsewhere");
  host::fs::setAppDataFolderOverride("");
  EXPECT_EQ(host::fs::appDataFolder(), "/srv/data");
}

}  // namespace
