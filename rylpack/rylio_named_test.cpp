#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rylpack/rylio.h"
#include "tests/run_program.h"

namespace {

class NamedHeaderTest : public testing::Test {
 protected:
  void TearDown() override {
    ryl_free_all();
    ryl_general_block(0);
  }
};

TEST_F(NamedHeaderTest, StatisticsCountKeyAndValueChanges) {
  int err, status;
  ryl_new_header("i1");
  for (int i = 0; i < 10; ++i) {
    ryl_add_header_element("i1", "Title", "same", &err, &status);
    ryl_add_header_element("i1", "Time", std::to_string(i).c_str(), &err, &status);
  }
  EXPECT_EQ(ryl_stat_header_element("i1", "Title", "KeyUpdateCount", &err, &status), 10u);
  EXPECT_EQ(ryl_stat_header_element("i1", "Title", "ValueUpdateCount", &err, &status), 1u);
  EXPECT_EQ(ryl_stat_header_element("i1", "Time", "ValueUpdateCount", &err, &status), 10u);
  EXPECT_EQ(ryl_stat_header_element("i1", "Title", "MaxValLen", &err, &status), 4u);
  EXPECT_EQ(ryl_stat_header_element("i1", "Nothing", "MaxValLen", &err, &status), 0u);
  EXPECT_EQ(status, status_success);
  ryl_stat_header_element("i1", "Title", "Invalid", &err, &status);
  EXPECT_EQ(err, CouldNotFindStatParamKey);
  EXPECT_EQ(ryl_search_header_element("none", "Title", nullptr, &err, &status), 0);
  EXPECT_EQ(err, CouldNotFindHeaderKey);
}

TEST_F(NamedHeaderTest, WalkFollowsTheKeyOrder) {
  int err, status;
  ryl_new_header("h");
  for (const char *k : {"Zeta", "Title", "Dim_1", "ByteOrder"})
    ryl_add_header_element("h", k, "v", &err, &status);
  std::vector<std::string> keys;
  const char *k = nullptr, *v = nullptr;
  ryl_first_header_element("h", &k, &v, &err, &status);
  while (k) {
    keys.push_back(k);
    ryl_next_header_element("h", &k, &v, &err, &status);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"ByteOrder", "Dim_1", "Title", "Zeta"}));
}

TEST_F(NamedHeaderTest, CopiesBlockOverGeneralAndSkipsReservedKeys) {
  testsupport::TempDir dir;
  ryl_general_block(1);
  int err, status;
  std::string in = dir.file("in.ryl"), out = dir.file("out.ryl");
  int s = ryl_open_data_file(in.c_str(), "new", &err, &status);
  ryl_write_header_string(s, 0, 0, "Dummy", "-1", &err, &status);
  ryl_write_header_string(s, 0, 0, "Title", "general", &err, &status);
  ryl_write_header_string(s, 1, 1, "Title", "block", &err, &status);
  ryl_close_data_file(s, &err, &status);

  s = ryl_open_data_file(in.c_str(), "read", &err, &status);
  ryl_new_header("i1");
  EXPECT_EQ(ryl_read_header(s, 1, 1, "i1", &err, &status), 1);
  EXPECT_EQ(status, status_success);
  const char *v = nullptr;
  EXPECT_EQ(ryl_search_header_element("i1", "Title", &v, &err, &status), 1);
  EXPECT_STREQ(v, "block");
  EXPECT_EQ(ryl_search_header_element("i1", "Dummy", &v, &err, &status), 1);
  EXPECT_EQ(ryl_search_header_element("i1", "RYL_DataBlockID", &v, &err, &status), 0);
  EXPECT_EQ(ryl_read_header(s, 5, 1, "i1", &err, &status), 0);
  EXPECT_EQ(err, CouldNotFindHeader);
  ryl_close_data_file(s, &err, &status);

  ryl_general_block(0);
  int o = ryl_open_data_file(out.c_str(), "new", &err, &status);
  EXPECT_EQ(ryl_write_header(o, 4, 1, "i1", &err, &status), 1);
  ryl_close_data_file(o, &err, &status);
  o = ryl_open_data_file(out.c_str(), "read", &err, &status);
  EXPECT_EQ(ryl_read_header_string(o, 4, 1, "Title", &v, &err, &status), 1);
  EXPECT_STREQ(v, "block");
  // The writer's own identification replaces the copied one.
  EXPECT_EQ(ryl_read_header_string(o, 4, 1, "Image", &v, &err, &status), 1);
  EXPECT_STREQ(v, "4");
  ryl_close_data_file(o, &err, &status);
}

}  // namespace
