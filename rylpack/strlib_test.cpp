#include "rylpack/strlib.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(StrlibCopy, CutsToCapacityAndAlwaysTerminates) {
  struct Case { const char *src; std::size_t cap; const char *expect; } cases[] = {
      {"abc", 10, "abc"}, {"abc", 4, "abc"}, {"abcd", 4, "abc"},
      {"abc", 1, ""},     {nullptr, 5, ""},  {"", 3, ""},
  };
  for (const auto &c : cases) {
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    strlib_copy(buf, c.cap, c.src);
    EXPECT_STREQ(buf, c.expect) << (c.src ? c.src : "(null)") << " cap " << c.cap;
    EXPECT_EQ(buf[c.cap], 'x') << "wrote past capacity";
  }
}

TEST(StrlibNcasecmp, ComparesPrefixWithoutCase) {
  struct Case { const char *a; const char *b; std::size_t n; int sign; } cases[] = {
      {"abc", "ABC", 3, 0},   {"abc", "ABD", 3, -1}, {"abd", "ABC", 3, 1},
      {"abcX", "ABCy", 3, 0}, {"ab", "abc", 3, -1},  {"abc", "ab", 3, 1},
      {"ab", "abc", 2, 0},    {nullptr, "", 5, 0},   {nullptr, "a", 1, -1},
      {"a", nullptr, 1, 1},   {"x", "y", 0, 0},      {"Z", "a", 1, 1},
  };
  for (const auto &c : cases) {
    int r = strlib_ncasecmp(c.a, c.b, c.n);
    int sign = (r > 0) - (r < 0);
    EXPECT_EQ(sign, c.sign) << (c.a ? c.a : "(null)") << " vs "
                            << (c.b ? c.b : "(null)") << " n " << c.n;
  }
}
