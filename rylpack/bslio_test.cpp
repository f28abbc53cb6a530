// BSL input: header parsing and frames read through the data-file calls.
#include "rylpack/bslio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rylpack/rylio.h"
#include "tests/run_program.h"

namespace {

using testsupport::TempDir;
using testsupport::write_file;

std::string floats(const std::vector<float> &v, bool swap = false) {
  std::string s(reinterpret_cast<const char *>(v.data()), v.size() * 4);
  if (swap)
    for (std::size_t i = 0; i < s.size(); i += 4) std::swap(s[i], s[i + 3]), std::swap(s[i + 1], s[i + 2]);
  return s;
}

class BslTest : public testing::Test {
 protected:
  void TearDown() override {
    ryl_free_all();
    ryl_set_bsl_input_byteorder(0);
  }
  TempDir dir;
};

TEST_F(BslTest, OneMemoryOfThreeFrames) {
  std::string h = dir.file("A00000.000");
  write_file(h, "first title\n  second title  \n512 256 3 0 0 0 0 0 0 0\nA01000.001\n");
  int s = open_bsl_file(h.c_str(), "read");
  ASSERT_GE(s, 0);
  rlong lo, hi;
  ASSERT_EQ(bsl_memory_range(s, &lo, &hi), 0);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 1);
  ASSERT_EQ(bsl_frame_range(s, 1, &lo, &hi), 0);
  EXPECT_EQ(hi, 3);
  const char *t1, *t2;
  read_bsl_file_headers(s, &t1, &t2);
  EXPECT_STREQ(t1, "first title");
  EXPECT_STREQ(t2, "second title");
  const unsigned long pos[] = {0, 524288, 1048576};
  for (rlong f = 1; f <= 3; ++f) {
    const BslDataSpec *d = read_bsl_data_spec(s, 1, f);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->BinaryFilePos, pos[f - 1]);
    EXPECT_EQ(d->BinaryFileLen, 524288u);
    EXPECT_EQ(d->BinaryFileName, dir.file("A01000.001"));
    EXPECT_EQ(d->Dim, (std::vector<rlong>{2, 512, 256}));
  }
  EXPECT_EQ(read_bsl_data_spec(s, 1, 4), nullptr);
  EXPECT_EQ(read_bsl_data_spec(s, 2, 1), nullptr);
  close_bsl_file(s);
}

TEST_F(BslTest, BadHeadersFailTheOpen) {
  struct Case { const char *name; std::string text; } cases[] = {
      {"nine numbers", "t\nt\n4 4 1 0 0 0 0 0 0\nf.bin\n"},
      {"negative frames", "t\nt\n4 4 -1 0 0 0 0 0 0 0\nf.bin\n"},
      {"negative size", "t\nt\n-4 4 2 0 0 0 0 0 0 0\nf.bin\n"},
      {"huge frame count", "t\nt\n4 4 2000000000 0 0 0 0 0 0 0\nf.bin\n"},
      {"not numbers", "t\nt\n4 x 1 0 0 0 0 0 0 0\nf.bin\n"},
      {"one title", "only\n"},
  };
  for (const auto &c : cases) {
    std::string h = dir.file("bad");
    write_file(h, c.text);
    EXPECT_EQ(open_bsl_file(h.c_str(), "read"), -1) << c.name;
    int err, status;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ryl_open_data_file(h.c_str(), "read", &err, &status), -1) << c.name;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, CannotOpenAsBslFile) << c.name;
  }
}

TEST_F(BslTest, FramesReadAsBlocksOfChains) {
  std::string h = dir.file("H00000.000");
  std::string text = "run\nsub\n";
  for (int m = 1; m <= 12; ++m) {
    std::string frames = std::to_string(m);
    frames.insert(0, 1, 'F');
    frames += ".bin";
    text += "2 1 2 0 0 0 0 0 0 0\n";
    text += frames;
    text += '\n';
    write_file(dir.file(frames),
         floats({float(m), float(m) + 0.5f, -float(m), 0.25f}));
  }
  write_file(h, text);
  int err, status;
  int s = ryl_open_data_file(h.c_str(), "read", &err, &status);
  ASSERT_GE(s, 0) << ryl_report_data_error(err);
  const rlong *chains = ryl_chain_numbers(s, &err, &status);
  ASSERT_NE(chains, nullptr);
  EXPECT_EQ(chains[0], 13);  // the general chain and twelve memories
  EXPECT_EQ(chains[13], 12);
  rlong lo, hi;
  ASSERT_EQ(ryl_search_minmax_number(s, 12, &lo, &hi, &err, &status), 1);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 2);
  const char *title = nullptr;
  ryl_read_header_string(s, 1, 1, "Title", &title, &err, &status);
  EXPECT_STREQ(title, "run");
  rlong *dim = nullptr;
  void *data = nullptr;
  std::size_t size = 0;
  ASSERT_EQ(ryl_read_data(s, 2, 7, &dim, &size, &data, 9, &err, &status), 1);
  EXPECT_EQ(dim[1], 2);
  EXPECT_EQ(dim[2], 1);
  const float *f = static_cast<const float *>(data);
  EXPECT_EQ(f[0], -7.0f);
  EXPECT_EQ(f[1], 0.25f);
  // Read-only: nothing can be written.
  EXPECT_EQ(ryl_write_header_string(s, 1, 1, "Title", "x", &err, &status), 0);
  ryl_close_data_file(s, &err, &status);

  // Taken as BSL only when reading.
  int n = ryl_open_data_file(h.c_str(), "any", &err, &status);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(err, ErrorReadingGeneralBlock);
}

TEST_F(BslTest, ByteOrderSettingReversesValues) {
  std::string h = dir.file("B00000.000");
  write_file(h, "t\nt\n2 1 1 0 0 0 0 0 0 0\nB.bin\n");
  write_file(dir.file("B.bin"), floats({1.5f, -3.0f}, true));
  ryl_set_bsl_input_byteorder(2);
  int err, status;
  int s = ryl_open_data_file(h.c_str(), "read", &err, &status);
  ASSERT_GE(s, 0);
  const char *order = nullptr;
  ryl_read_header_string(s, 1, 1, "ByteOrder", &order, &err, &status);
  EXPECT_STREQ(order, "HighByteFirst");
  rlong *dim = nullptr;
  void *data = nullptr;
  std::size_t size = 0;
  ASSERT_EQ(ryl_read_data(s, 1, 1, &dim, &size, &data, 9, &err, &status), 1);
  if (ryl_byteorder() == 1) {
    EXPECT_EQ(static_cast<float *>(data)[0], 1.5f);
    EXPECT_EQ(static_cast<float *>(data)[1], -3.0f);
  }
  ryl_close_data_file(s, &err, &status);
}

TEST_F(BslTest, MissingOrShortFrameFileFailsWhenRead) {
  std::string h = dir.file("C00000.000");
  write_file(h, "t\nt\n4 4 2 0 0 0 0 0 0 0\nC.bin\n");
  int err, status;
  int s = ryl_open_data_file(h.c_str(), "read", &err, &status);
  ASSERT_GE(s, 0);
  rlong *dim = nullptr;
  void *data = nullptr;
  std::size_t size = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ryl_read_data(s, 1, 1, &dim, &size, &data, 9, &err, &status), 0);
  EXPECT_EQ(err, CouldNotGetBinaryArray);
  // One full frame and half of the second.
  write_file(dir.file("C.bin"), std::string(64 + 32, '\0'));
  EXPECT_EQ(ryl_read_data(s, 1, 1, &dim, &size, &data, 9, &err, &status), 1);
  EXPECT_EQ(ryl_read_data(s, 2, 1, &dim, &size, &data, 9, &err, &status), 0);
  EXPECT_EQ(err, CouldNotGetBinaryArray);
  testing::internal::GetCapturedStderr();
  ryl_close_data_file(s, &err, &status);
}

TEST(BslKeys, CompareModes) {
  EXPECT_LT(compare_bsl_keys("9", "10", 2), 0);
  EXPECT_GT(compare_bsl_keys("9", "10", 0), 0);
  EXPECT_EQ(compare_bsl_keys("ABC", "abc", 1), 0);
  EXPECT_NE(compare_bsl_keys("ABC", "abc", 0), 0);
  EXPECT_EXIT(compare_bsl_keys("a", "b", 3), testing::ExitedWithCode(255), "compare: Invalid smode");
  EXPECT_STREQ(bslio_version(), "bslio : V0.67 Tessmor 2015-12-08");
}

}  // namespace
