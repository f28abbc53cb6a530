// Damaged files: random truncations and byte changes of real files must
// open or fail with an error value, and every block that opens must read or
// fail with an error value, never crash or allocate without bound.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "rylpack/rylio.h"
#include "tests/run_program.h"

namespace {

using testsupport::read_file;
using testsupport::write_file;

// A small file of three blocks: plain, compressed and a variance block.
std::string make_original(const std::string &path) {
  int err, status;
  ryl_set_minimumheadersize(0);
  int s = ryl_open_data_file(path.c_str(), "new", &err, &status);
  std::vector<float> v(64);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<float>(i) * 0.5f;
  rlong dim[] = {2, 8, 8};
  ryl_write_header_string(s, 1, 1, "Title", "plain { } ; \\ text", &err, &status);
  ryl_write_data(s, 1, 1, dim, v.data(), 9, &err, &status);
  ryl_set_datacompression(2);
  ryl_write_data(s, 2, 1, dim, v.data(), 9, &err, &status);
  ryl_set_datacompression(0);
  ryl_write_data(s, 1, -1, dim, v.data(), 9, &err, &status);
  ryl_close_data_file(s, &err, &status);
  ryl_set_minimumheadersize(8192);
  return read_file(path);
}

// Opens the file and reads every block of every chain it shows.
void open_and_read_everything(const std::string &path, const std::string &label) {
  int err = 0, status = 0;
  int s = ryl_open_data_file(path.c_str(), "read", &err, &status);
  if (s < 0) {
    EXPECT_NE(err, 0) << label;
    return;
  }
  const rlong *chains = ryl_chain_numbers(s, &err, &status);
  std::vector<rlong> cs;
  if (chains) cs.assign(chains + 1, chains + 1 + chains[0]);
  for (rlong c : cs) {
    if (c == 0) continue;
    const rlong *blocks = ryl_block_numbers(s, c, &err, &status);
    std::vector<rlong> bs;
    if (blocks) bs.assign(blocks + 1, blocks + 1 + blocks[0]);
    for (rlong b : bs) {
      rlong *dim = nullptr;
      void *data = nullptr;
      std::size_t size = 0;
      int r = ryl_read_data(s, b, c, &dim, &size, &data, 9, &err, &status);
      if (r == 1) {
        EXPECT_EQ(status, status_success) << label;
      } else {
        EXPECT_NE(err, 0) << label;
      }
      const char *title = nullptr;
      ryl_read_header_string(s, b, c, "Title", &title, &err, &status);
    }
  }
  ryl_close_data_file(s, &err, &status);
}

TEST(DamagedFiles, TruncationsAndFlippedBytes) {
  testsupport::TempDir dir;
  const std::string original = make_original(dir.file("original.ryl"));
  ASSERT_GT(original.size(), 1024u);
  {
    // The undamaged file reads completely.
    int err, status;
    int s = ryl_open_data_file(dir.file("original.ryl").c_str(), "read", &err, &status);
    ASSERT_GE(s, 0);
    rlong *dim = nullptr;
    void *data = nullptr;
    std::size_t size = 0;
    EXPECT_EQ(ryl_read_data(s, 2, 1, &dim, &size, &data, 9, &err, &status), 1);
    EXPECT_EQ(static_cast<float *>(data)[63], 31.5f);
    ryl_close_data_file(s, &err, &status);
  }
  const std::string path = dir.file("damaged.ryl");
  std::mt19937 gen(5);
  testing::internal::CaptureStderr();
  // Every truncation length near the block borders, then random ones.
  for (std::size_t cut = 0; cut < original.size(); cut += (cut % 512 < 8 || cut % 512 > 504) ? 1 : 97) {
    write_file(path, original.substr(0, cut));
    open_and_read_everything(path, "cut at " + std::to_string(cut));
  }
  const char interesting[] = "{};=\\\r\n~ 0123456789-\x00\xff";
  for (int i = 0; i < 1500; ++i) {
    std::string bytes = original;
    std::uniform_int_distribution<std::size_t> pos(0, bytes.size() - 1);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof interesting - 1);
    for (int k = 0; k < 1 + i % 4; ++k) bytes[pos(gen)] = interesting[pick(gen)];
    write_file(path, bytes);
    open_and_read_everything(path, "mutation " + std::to_string(i));
  }
  testing::internal::GetCapturedStderr();
  ryl_free_all();
}

}  // namespace
