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
