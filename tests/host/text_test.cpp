// Code-page conversion: literals here are compiled to CP932, u8 literals stay UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "host/text.h"

namespace {

using namespace host::text;

struct RoundTrip {
  std::string cp932;
  std::wstring wide;
  std::string utf8;
};

TEST(Text, ConvertsBothWaysBetweenCp932WideAndUtf8) {
  const RoundTrip cases[] = {
      {"エラー", L"\u30A8\u30E9\u30FC", u8"エラー"},
      // 0x5C is the second byte of this character, not a backslash.
      {"\x95\x5C", L"\u8868", "\xE8\xA1\xA8"},
      {"a\\b~", L"a\\b~", "a\\b~"},
      {"ｱｲ", L"\uFF71\uFF72", u8"ｱｲ"},  // single-byte katakana
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
      {"", L"", ""},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(cp932ToWide(c.cp932), c.wide);
    EXPECT_EQ(wideToCp932(c.wide), c.cp932);
    EXPECT_EQ(wideToCp932Prefix(c.wide), c.cp932);
    EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932);
  }
}

TEST(Text, InvalidInputGivesEmptyResult) {
  // A lead byte without its trail byte, and bytes that are no character.
  for (const std::string bad : {"ab\x81", "\x80", "x\xFD"}) {
    EXPECT_EQ(cp932ToWide(bad), L"");
    EXPECT_EQ(cp932ToUtf8(bad), "");
  }
  EXPECT_EQ(utf8ToCp932("ok\xC3"), "");          // truncated sequence
  EXPECT_EQ(utf8ToCp932("\xED\xA0\x80"), "");    // encoded surrogate
  EXPECT_EQ(utf8ToCp932(u8"caf\u00E9"), "");     // no such character in CP932
  EXPECT_EQ(wideToCp932(L"caf\u00E9"), "");
  EXPECT_EQ(wideToCp932(std::wstring(1, static_cast<wchar_t>(0x110000))), "");
}

TEST(Text, PrefixStopsAtFirstUnconvertibleCharacter) {
  EXPECT_EQ(wideToCp932Prefix(L"エラー\u00E9tail"), "エラー");
  EXPECT_EQ(wideToCp932Prefix(L"\u00E9"), "");
  EXPECT_EQ(wideToCp932Prefix(L"ab\u00E9cd\u00E9"), "ab");
}

TEST(Text, ConvertsLongTextAndFromManyThreads) {
  std::string cp932;
  std::string utf8;
  for (int i = 0; i < 20000; ++i) {
    cp932 += "表a";
    utf8 += u8"表a";
  }
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        if (cp932ToUtf8(cp932) != utf8 || utf8ToCp932(utf8) != cp932 ||
            wideToCp932(cp932ToWide(cp932)) != cp932) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
