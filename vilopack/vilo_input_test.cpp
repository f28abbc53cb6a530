#include "vilopack/vilo_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(EditLine, ModesApplyInOrder) {
  struct Case { int flag; const char *in; const char *out; } cases[] = {
      {0x00, "  a \t\t b  ", " a b "},             // collapse only
      {0x02, "  a \t\t b  ", "a b"},               // collapse and trim
      {0x12, "  2  # comment here", "2"},          // answers
      {0x11, " 2 * 3 # six", "2*3"},               // expressions
      {0x11, "1 2", "12"},
      {0x01, " a\tb\nc ", "abc"},                  // removal implies trim
      {0x1a, " TRUE # yes", "true"},               // flag answers
      {0x06, " ab c ", "AB C"},
      {0x0e, " Ab ", "ab"},                        // lower case wins
      {0x10, "#all comment", ""},
      {0x12, "", ""},
      {0x12, "   ", ""},
  };
  for (const auto &c : cases) {
    char buf[64];
    std::strcpy(buf, c.in);
    EXPECT_STREQ(EditLine(c.flag, buf), c.out) << "flag " << c.flag << " on '" << c.in << "'";
  }
  EXPECT_EQ(EditLine(0x12, nullptr), nullptr);
}

TEST(CopyLine, CutsConvertsAndTerminates) {
  char buf[6];
  EXPECT_STREQ(CopyLine("AbCdEfG", buf, sizeof buf, -1), "abcde");
  EXPECT_STREQ(CopyLine("AbC", buf, sizeof buf, 1), "ABC");
  EXPECT_STREQ(CopyLine("AbC", buf, sizeof buf, 7), "AbC");
  EXPECT_STREQ(CopyLine(nullptr, buf, sizeof buf, 0), "");
}

TEST(FindAndCopy, EachSiblingTakesItsPart) {
  struct Case {
    const char *(*fn)(const char *, const char *, char *, std::size_t);
    const char *name, *s1, *s2, *out;
    int found_at;  // index of the returned occurrence, -1 for null
  } cases[] = {
      {RightFR, "RightFR", "/a/b/c.ryl", "/", "c.ryl", 4},
      {RightFR, "RightFR", "c.ryl", "/", "c.ryl", -1},
      {RightFR, "RightFR", "c.ryl", "", "c.ryl", -1},
      {LeftFR, "LeftFR", "/a/b/c.ryl", "/", "/a/b", 4},
      {LeftFR, "LeftFR", "c.ryl", "/", "", -1},
      {RightFL, "RightFL", "a,b,c", ",", "b,c", 1},
      {RightFL, "RightFL", "abc", ",", "", -1},
      {LeftFL, "LeftFL", "a,b,c", ",", "a", 1},
      {LeftFL, "LeftFL", "abc", ",", "abc", -1},
      {LeftFL, "LeftFL", "x::y::z", "::", "x", 1},
      {RightFR, "RightFR", "x::y::z", "::", "z", 4},
  };
  for (const auto &c : cases) {
    char buf[32];
    const char *occ = c.fn(c.s1, c.s2, buf, sizeof buf);
    EXPECT_STREQ(buf, c.out) << c.name << "(" << c.s1 << ", " << c.s2 << ")";
    EXPECT_EQ(occ ? static_cast<int>(occ - c.s1) : -1, c.found_at) << c.name << " " << c.s1;
  }
}

TEST(FindAndCopy, OutputIsCutToItsCapacity) {
  char buf[4];
  RightFR("dir/longname", "/", buf, sizeof buf);
  EXPECT_STREQ(buf, "lon");
  LeftFL("longname,1", ",", buf, sizeof buf);
  EXPECT_STREQ(buf, "lon");
}

}  // namespace
