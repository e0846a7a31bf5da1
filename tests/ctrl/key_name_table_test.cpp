// The key-name table: lookups by name and by scan code.
#include <gtest/gtest.h>

#include <cstring>

#include "ctrl/rk_key_name_table.h"

namespace {

using rk::controller::findKeyByCode;
using rk::controller::findKeyByName;

// The table lists its keys in rising scan-code order; a slip in any code shows here.
TEST(KeyNameTable, HasItsRowsInRisingCodeOrder) {
  const rk::controller::KeyName* rows = rk::controller::keyNameTable();
  EXPECT_STREQ(rows[0].name, "Escape");
  EXPECT_STREQ(rows[143].name, "MediaSelect");
  EXPECT_EQ(rows[143].code, 0xED);
  for (int i = 1; i < rk::controller::kKeyNameCount; ++i) EXPECT_LT(rows[i - 1].code, rows[i].code) << i;
}

TEST(KeyNameTable, NameLookupIgnoresCaseAndTakesTheFirstRow) {
  struct Case {
    const char* name;
    int code;  // -1: no row
  };
  const Case cases[] = {
      {"escape", 0x01},     {"ESCAPE", 0x01},   {"Alt(left)", 0x38},     {"alt(LEFT)", 0x38},
      {"\\", 0x2B},         {"`", 0x29},        {"Calculatpr", 0xA1},    {"WebSerch", 0xE5},
      {"NOCNVERT", 0x7B},   {"SysSq", 0xB7},    {"OME_102", 0x56},       {"mediaselect", 0xED},
      {"Calculator", -1},   {"", -1},           {"Escape ", -1},
  };
  for (const Case& c : cases) {
    const rk::controller::KeyName* row = findKeyByName(c.name);
    EXPECT_EQ(row ? row->code : -1, c.code) << c.name;
  }
  EXPECT_EQ(findKeyByName(nullptr), nullptr);
}

TEST(KeyNameTable, CodeLookupFindsTheRowOrNothing) {
  struct Case {
    int code;
    const char* name;  // null: no row
  };
  const Case cases[] = {
      {0x01, "Escape"}, {0x38, "Alt(left)"}, {0xB8, "Alt(left)"}, {0x7D, "\\"}, {0x1E, "A"},
      {0xD3, "Delete"}, {0x00, nullptr},     {0x54, nullptr},     {0xFF, nullptr},
  };
  for (const Case& c : cases) {
    const rk::controller::KeyName* row = findKeyByCode(static_cast<std::uint8_t>(c.code));
    if (c.name) {
      ASSERT_NE(row, nullptr) << c.code;
      EXPECT_STREQ(row->name, c.name);
    } else {
      EXPECT_EQ(row, nullptr) << c.code;
    }
  }
}

}  // namespace
