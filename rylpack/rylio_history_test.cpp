#include <gtest/gtest.h>

#include <string>

#include "rylpack/rylio.h"
#include "tests/run_program.h"

namespace {

class HistoryTest : public testing::Test {
 protected:
  void TearDown() override { ryl_free_all(); }
};

TEST_F(HistoryTest, ArgumentsAreQuotedWhereNeeded) {
  ASSERT_EQ(ryl_history_new("h"), 1);
  struct Case { const char *arg; const char *added; } cases[] = {
      {"a.ryl", "a.ryl"}, {"1.5", "1.5"}, {"x y", "\"x y\""}, {"", "\"\""},
      {"(1)", "\"(1)\""}, {"\"q\"", "\"q\""}, {"a*b", "\"a*b\""}, {"[Dummy]", "\"[Dummy]\""},
  };
  std::string expect;
  for (const auto &c : cases) {
    EXPECT_EQ(ryl_history_argv("h", c.arg), 1);
    if (!expect.empty()) expect += ' ';
    expect += c.added;
    EXPECT_EQ(ryl_history_argv_line("h"), expect) << c.arg;
  }
  EXPECT_EQ(ryl_history_argv("unknown", "x"), 0);
}

TEST_F(HistoryTest, TrailingDefaultsAreDroppedFromTheShortForm) {
  ryl_history_new("h");
  ryl_history_take("h");
  ryl_history_argv("h", "in.ryl");
  ryl_history_skip("h");
  ryl_history_argv("h", "...");
  ryl_history_skip("h");
  ryl_history_argv("h", "...");
  ryl_history_copy("c", "h");
  ryl_history_argv_shorten("h");
  EXPECT_STREQ(ryl_history_argv_line("h"), "in.ryl");

  // A later argument that counts keeps the skipped ones before it.
  ryl_history_take("c");
  ryl_history_argv("c", "out.ryl");
  ryl_history_argv_shorten("c");
  EXPECT_STREQ(ryl_history_argv_line("c"), "in.ryl ... ... out.ryl");
}

TEST_F(HistoryTest, ArgumentLineIsCutAt2048Characters) {
  ryl_history_new("h");
  std::string word(1500, 'w');
  ryl_history_argv("h", word.c_str());
  ryl_history_argv("h", word.c_str());
  EXPECT_EQ(std::string(ryl_history_argv_line("h")).size(), 2048u);
}

TEST_F(HistoryTest, LinesPassFromInputToOutputHeader) {
  testsupport::TempDir dir;
  int err, status;
  std::string in = dir.file("in.ryl"), out = dir.file("out.ryl");
  int s = ryl_open_data_file(in.c_str(), "new", &err, &status);
  ryl_write_header_string(s, 1, 1, "History-1", "first run", &err, &status);
  ryl_write_header_string(s, 1, 1, "History-2", "second run", &err, &status);
  ryl_write_header_string(s, 2, 1, "Title", "no history", &err, &status);
  ryl_close_data_file(s, &err, &status);

  ryl_history_new("i0");
  ryl_history_argv("i0", "bandplus");
  ryl_history_argv("i0", "in.ryl");
  s = ryl_open_data_file(in.c_str(), "read", &err, &status);
  EXPECT_EQ(ryl_read_header_history(s, 1, 1, "i0", &err, &status), 1);
  EXPECT_EQ(status, status_success);
  EXPECT_STREQ(ryl_history_current_key("i0"), "History-3");
  int o = ryl_open_data_file(out.c_str(), "new", &err, &status);
  EXPECT_EQ(ryl_write_header_history(o, 1, 1, "i0", &err, &status), 1);
  EXPECT_EQ(status, status_success);
  ryl_close_data_file(o, &err, &status);

  EXPECT_EQ(ryl_read_header_history(s, 2, 1, "i0", &err, &status), 1);
  EXPECT_STREQ(ryl_history_current_key("i0"), "History-1");
  ryl_close_data_file(s, &err, &status);

  o = ryl_open_data_file(out.c_str(), "read", &err, &status);
  const char *v = nullptr;
  ryl_read_header_string(o, 1, 1, "History-1", &v, &err, &status);
  EXPECT_STREQ(v, "first run");
  ryl_read_header_string(o, 1, 1, "History-3", &v, &err, &status);
  EXPECT_STREQ(v, "bandplus in.ryl");
  ryl_close_data_file(o, &err, &status);
}

TEST_F(HistoryTest, NamedHeadersHoldHistoryToo) {
  int err, status;
  ryl_new_header("copy");
  ryl_add_header_element("copy", "History-1", "made", &err, &status);
  ryl_history_new("i0");
  ryl_history_argv("i0", "prog");
  EXPECT_EQ(ryl_history_read_header("copy", "i0", &err, &status), 1);
  EXPECT_STREQ(ryl_history_current_key("i0"), "History-2");
  ryl_new_header("out");
  EXPECT_EQ(ryl_history_write_header("out", "i0", &err, &status), 1);
  const char *v = nullptr;
  EXPECT_EQ(ryl_search_header_element("out", "History-2", &v, &err, &status), 1);
  EXPECT_STREQ(v, "prog");
  EXPECT_EQ(ryl_search_header_element("out", "History-1", &v, &err, &status), 1);
  EXPECT_STREQ(v, "made");
}

}  // namespace
