// Data files through the public calls: layout on disk, header values,
// arrays, compression, reopening and damaged files.
#include "rylpack/rylio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/run_program.h"

namespace {

using testsupport::read_file;
using testsupport::TempDir;
using testsupport::write_file;

// Restores the module settings that a test changes.
class RylioTest : public testing::Test {
 protected:
  void TearDown() override {
    ryl_free_all();
    ryl_general_block(0);
    ryl_headersize(1);
    ryl_set_minimumheadersize(8192);
    ryl_set_datatype(0);
    ryl_set_datacompression(0);
    ryl_set_datavalueoffset(0);
    ryl_set_max_line_width(0);
  }

  int open(const std::string &name, const char *mode, int expect_err = RoutineSucceeded) {
    int err = -7, status = -7;
    int s = ryl_open_data_file(name.c_str(), mode, &err, &status);
    EXPECT_EQ(err, expect_err) << name << " " << mode;
    EXPECT_EQ(status, expect_err == RoutineSucceeded ? status_success : status_error);
    return s;
  }

  void close(int stream) {
    int err = -7, status = -7;
    EXPECT_EQ(ryl_close_data_file(stream, &err, &status), 1);
    EXPECT_EQ(err, RoutineSucceeded);
  }

  void write_floats(int s, rlong num, rlong chain, rlong d1, rlong d2, std::vector<float> v) {
    rlong dim[] = {2, d1, d2};
    int err, status;
    ASSERT_EQ(ryl_write_data(s, num, chain, dim, v.data(), 9 /* float */, &err, &status), 1)
        << ryl_report_data_error(err);
  }

  std::vector<float> read_floats(int s, rlong num, rlong chain, rlong *d1 = nullptr,
                                 rlong *d2 = nullptr) {
    rlong *dim = nullptr;
    void *data = nullptr;
    std::size_t size = 0;
    int err, status;
    int r = ryl_read_data(s, num, chain, &dim, &size, &data, 9, &err, &status);
    EXPECT_EQ(r, 1) << ryl_report_data_error(err);
    if (r != 1) return {};
    if (d1) *d1 = dim[1];
    if (d2) *d2 = dim[0] > 1 ? dim[2] : 1;
    std::size_t n = size / sizeof(float);
    const float *f = static_cast<const float *>(data);
    return std::vector<float>(f, f + n);
  }

  TempDir dir;
};

TEST_F(RylioTest, WorkedExampleByteForByte) {
  std::string name = dir.file("example.ryl");
  int s = open(name, "new");
  int err, status;
  ASSERT_EQ(ryl_write_header_string(s, 1, 1, "Title", "test", &err, &status), 1);
  write_floats(s, 1, 1, 2, 3, {1, 2, 3, 4, 5, 6});
  close(s);

  std::string bytes = read_file(name);
  ASSERT_EQ(bytes.size(), 8192u + 512u);
  const char *order = ryl_byteorder() == 1 ? "LowByteFirst" : "HighByteFirst";
  std::string lines = std::string("{\r\n") +
                      "RYL_DataBlockID = 1.Image.Psd ;\r\n"
                      "RYL_BinarySize = 512 ;\r\n"
                      "RYL_HeaderSize = 8192 ;\r\n"
                      "ByteOrder = " + order + " ;\r\n"
                      "DataType = FloatValue ;\r\n"
                      "Dim_1 = 2 ;\r\n"
                      "Dim_2 = 3 ;\r\n"
                      "Title = test ;\r\n"
                      "HeaderID = EH:000001:000000:000000 ;\r\n"
                      "Compression = None ;\r\n"
                      "Image = 1 ;\r\n"
                      "Size = 512 ;\r\n";
  EXPECT_EQ(bytes.substr(0, lines.size()), lines);
  // Padding: lines of 78 blanks separated by CR LF, the end mark exactly at
  // the end of the 8192 bytes.
  std::string pad = bytes.substr(lines.size(), 8192 - lines.size() - 4);
  EXPECT_EQ(pad.substr(0, 80), std::string(78, ' ') + "\r\n");
  EXPECT_EQ(pad.find_first_not_of(" \r\n"), std::string::npos);
  EXPECT_EQ(bytes.substr(8188, 4), "\r\n}\n");
  // Data, then blanks to the boundary.
  float first;
  std::memcpy(&first, bytes.data() + 8192, 4);
  EXPECT_EQ(first, 1.0f);
  EXPECT_EQ(bytes.substr(8192 + 24), std::string(488, ' '));
}

TEST_F(RylioTest, SizesFollowTheBoundaryAndMinimumHeader) {
  struct Case { rlong minhdr; std::size_t title_len; std::uint64_t header; } cases[] = {
      {8192, 10, 8192}, {0, 10, 512}, {0, 600, 1024},
  };
  for (const auto &c : cases) {
    ryl_set_minimumheadersize(c.minhdr);
    std::string name = dir.file("size" + std::to_string(c.title_len) + "_" +
                                std::to_string(c.minhdr) + ".ryl");
    int s = open(name, "new");
    int err, status;
    std::string title(c.title_len, 'x');
    ryl_write_header_string(s, 1, 1, "Title", title.c_str(), &err, &status);
    write_floats(s, 1, 1, 1, 1, {7});
    close(s);
    std::string bytes = read_file(name);
    EXPECT_EQ(bytes.size(), c.header + 512) << c.title_len;
    EXPECT_EQ(bytes.substr(c.header - 4, 4), "\r\n}\n") << c.title_len;
  }
}

TEST_F(RylioTest, LargeShortArrayIsPaddedToTheBoundary) {
  std::string name = dir.file("big.ryl");
  int s = open(name, "new");
  std::vector<std::int16_t> v(1000 * 1000, 3);
  rlong dim[] = {2, 1000, 1000};
  int err, status;
  ASSERT_EQ(ryl_write_data(s, 1, 1, dim, v.data(), 4 /* short */, &err, &status), 1);
  ASSERT_EQ(ryl_write_data(s, 2, 1, dim, v.data(), 4, &err, &status), 1);
  close(s);
  EXPECT_EQ(read_file(name).size(), 2u * 2008576u);
  s = open(name, "read");
  rlong lo, hi;
  ASSERT_EQ(ryl_search_minmax_number(s, 1, &lo, &hi, &err, &status), 1);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 2);
  std::vector<float> back = read_floats(s, 2, 1);
  ASSERT_EQ(back.size(), 1000000u);
  EXPECT_EQ(back[999999], 3.0f);
  close(s);
}

TEST_F(RylioTest, EveryMachineTypeRoundTripsThroughItsDataType) {
  struct Case { int mtype; const char *dtype; } cases[] = {
      {1, "UnsignedByte"}, {2, "SignedByte"}, {3, "UnsignedShort"}, {4, "SignedShort"},
      {5, "UnsignedInteger"}, {6, "SignedInteger"}, {9, "FloatValue"}, {10, "DoubleValue"},
  };
  std::string name = dir.file("types.ryl");
  int s = open(name, "new");
  const double values[] = {0, 1, 2, 100, 127};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::vector<double> d(std::begin(values), std::end(values));
    std::vector<unsigned char> raw(d.size() * ryl_machine_sizeof(cases[i].mtype));
    ASSERT_EQ(ryl_machine2machine(raw.data(), cases[i].mtype, d.data(), 0, 10, d.size()), 0);
    rlong dim[] = {1, static_cast<rlong>(d.size())};
    int err, status;
    ASSERT_EQ(ryl_write_data(s, static_cast<rlong>(i + 1), 1, dim, raw.data(), cases[i].mtype,
                             &err, &status), 1) << cases[i].dtype;
  }
  close(s);
  s = open(name, "old");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    int err, status;
    const char *t = nullptr;
    ryl_read_header_string(s, static_cast<rlong>(i + 1), 1, "DataType", &t, &err, &status);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t, cases[i].dtype);
    std::vector<float> back = read_floats(s, static_cast<rlong>(i + 1), 1);
    ASSERT_EQ(back.size(), std::size(values)) << cases[i].dtype;
    for (std::size_t k = 0; k < back.size(); ++k)
      EXPECT_EQ(back[k], static_cast<float>(values[k])) << cases[i].dtype;
  }
  close(s);
}

TEST_F(RylioTest, HeaderValuesAsTextNumbersAndExpressions) {
  std::string name = dir.file("values.ryl");
  int s = open(name, "new");
  int err, status;
  ryl_write_header_string(s, 1, 1, "Expr", "2*3", &err, &status);
  ryl_write_header_string(s, 1, 1, "Letters", "abc", &err, &status);
  ryl_write_header_float(s, 1, 1, "Dummy", -1.5f, &err, &status);
  ryl_write_header_unit(s, 1, 1, "PSize_1", 1.5e-4f, "um", &err, &status);
  ryl_write_header_long(s, 1, 1, "Offset_1", -12, &err, &status);
  std::string longvalue(3000, 'v');
  ryl_write_header_string(s, 1, 1, "Long", longvalue.c_str(), &err, &status);
  write_floats(s, 1, 1, 1, 1, {0});
  close(s);

  s = open(name, "old");
  rlong l = 0;
  EXPECT_EQ(ryl_read_header_long(s, 1, 1, "Expr", &l, &err, &status), 1);
  EXPECT_EQ(status, status_success);
  EXPECT_EQ(l, 6);
  EXPECT_EQ(ryl_read_header_long(s, 1, 1, "Letters", &l, &err, &status), 1);
  EXPECT_EQ(err, NumberConversionFailed);
  EXPECT_EQ(status, status_error);
  float f = 0;
  EXPECT_EQ(ryl_read_header_float(s, 1, 1, "Dummy", &f, &err, &status), 1);
  EXPECT_EQ(f, -1.5f);
  EXPECT_EQ(ryl_read_header_float(s, 1, 1, "PSize_1", &f, &err, &status), 1);
  EXPECT_FLOAT_EQ(f, 1.5e-4f);
  EXPECT_EQ(ryl_read_header_long(s, 1, 1, "Offset_1", &l, &err, &status), 1);
  EXPECT_EQ(l, -12);
  const char *v = nullptr;
  EXPECT_EQ(ryl_read_header_string(s, 1, 1, "Long", &v, &err, &status), 1);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(std::string(v), longvalue) << "a long value comes back whole";
  char line[1024];
  EXPECT_EQ(ryl_read_header_line(s, 1, 1, "Long", line, &err, &status), 1);
  EXPECT_EQ(std::strlen(line), 1023u);
  EXPECT_EQ(ryl_read_header_string(s, 1, 1, "Missing", &v, &err, &status), 0);
  EXPECT_EQ(err, CouldNotFindSymbol);
  EXPECT_EQ(ryl_read_header_string(s, 9, 1, "Title", &v, &err, &status), 0);
  EXPECT_EQ(err, CouldNotFindHeader);
  EXPECT_EQ(ryl_test_header(s, 1, 1, &err, &status), 1);
  EXPECT_EQ(ryl_test_header(s, 2, 1, &err, &status), 0);
  close(s);
}

TEST_F(RylioTest, GeneralBlockValuesAreInherited) {
  ryl_general_block(1);
  std::string name = dir.file("general.ryl");
  int s = open(name, "new");
  int err, status;
  ASSERT_EQ(ryl_write_header_string(s, 0, 0, "Dummy", "-1", &err, &status), 1);
  write_floats(s, 1, 1, 1, 1, {1});
  write_floats(s, 2, 1, 1, 1, {2});
  close(s);
  std::string bytes = read_file(name);
  EXPECT_EQ(bytes.rfind("{\r\nRYL_DataFormatVersion = 2.42 ;\r\nRYL_DataBlocks = 2            ;", 0),
            0u) << bytes.substr(0, 120);
  s = open(name, "read");
  float d = 0;
  EXPECT_EQ(ryl_read_header_float(s, 2, 1, "Dummy", &d, &err, &status), 1);
  EXPECT_EQ(d, -1.0f);
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{2});
  close(s);
}

TEST_F(RylioTest, BlockCountOfAForeignGeneralBlockIsNotOverwritten) {
  ryl_general_block(1);
  std::string name = dir.file("foreign_general.ryl");
  int s = open(name, "new");
  write_floats(s, 1, 1, 1, 1, {1});
  close(s);
  // Another program wrote the count without room to grow.
  std::string bytes = read_file(name);
  const std::string ours = "RYL_DataBlocks = 1            ;";
  const std::string theirs = "RYL_DataBlocks = 1 ;           ";
  ASSERT_EQ(ours.size(), theirs.size());
  std::size_t at = bytes.find(ours);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, ours.size(), theirs);
  write_file(name, bytes);

  s = open(name, "old");
  write_floats(s, 2, 1, 1, 1, {2});
  close(s);
  bytes = read_file(name);
  // The new count fits the one character and is written there; the
  // terminator after it stays where it was.
  EXPECT_NE(bytes.find("RYL_DataBlocks = 2 ;           "), std::string::npos)
      << bytes.substr(0, 160);
  s = open(name, "read");
  EXPECT_EQ(read_floats(s, 1, 1), std::vector<float>{1});
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{2});
  close(s);
}

TEST_F(RylioTest, BlocksAfterEachOtherAreComplete) {
  std::string name = dir.file("two.ryl");
  int s = open(name, "new");
  int err, status;
  ryl_write_header_string(s, 1, 1, "Title", "one", &err, &status);
  write_floats(s, 1, 1, 2, 1, {1, 2});
  ryl_write_header_string(s, 2, 1, "Title", "two", &err, &status);
  write_floats(s, 2, 1, 2, 1, {3, 4});
  write_floats(s, 2, -1, 2, 1, {0.5f, 0.25f});
  close(s);
  s = open(name, "old");
  const char *t = nullptr;
  ryl_read_header_string(s, 2, 1, "Title", &t, &err, &status);
  EXPECT_STREQ(t, "two");
  EXPECT_EQ(read_floats(s, 1, 1), (std::vector<float>{1, 2}));
  EXPECT_EQ(read_floats(s, 2, -1), (std::vector<float>{0.5f, 0.25f}));
  const rlong *chains = ryl_chain_numbers(s, &err, &status);
  ASSERT_NE(chains, nullptr);
  EXPECT_EQ(std::vector<rlong>(chains, chains + chains[0] + 1), (std::vector<rlong>{3, -1, 0, 1}));
  close(s);
}

TEST_F(RylioTest, OpenModes) {
  std::string missing = dir.file("missing.ryl");
  int err, status;
  EXPECT_EQ(ryl_open_data_file(missing.c_str(), "old", &err, &status), -1);
  EXPECT_EQ(err, CouldNotOpenFile);
  EXPECT_EQ(ryl_open_data_file(missing.c_str(), "read", &err, &status), -1);
  EXPECT_EQ(err, CouldNotOpenFile);
  int s = open(missing, "any");
  EXPECT_GE(s, 0);
  close(s);

  std::string empty = dir.file("empty.ryl");
  write_file(empty, "");
  EXPECT_EQ(ryl_open_data_file(empty.c_str(), "old", &err, &status), -1);
  EXPECT_EQ(err, CouldNotFindHeader);
  s = open(empty, "read");
  EXPECT_EQ(ryl_test_header(s, 1, 1, &err, &status), 0);
  EXPECT_EQ(ryl_search_stream(empty.c_str(), "old", &err, &status), s);
  EXPECT_EQ(err, IncompatibleOpeningModes);
  EXPECT_EQ(ryl_search_stream(empty.c_str(), "read", &err, &status), s);
  EXPECT_EQ(err, RoutineSucceeded);
  EXPECT_EQ(ryl_search_stream("nothing", "read", &err, &status), -1);
  close(s);

  EXPECT_EQ(ryl_close_data_file(25, &err, &status), 1);
  EXPECT_EQ(status, status_success);
  EXPECT_EQ(ryl_test_header(25, 1, 1, &err, &status), 0);
  EXPECT_EQ(err, InvalidStream);
  EXPECT_EQ(ryl_test_header(3, 1, 1, &err, &status), 0);
  EXPECT_EQ(err, NoFileOpen);
}

TEST_F(RylioTest, ModesOnAnExistingFile) {
  // An existing file with one block, opened in each mode and given one more
  // block where the mode allows writing.
  struct Case { const char *mode; bool writable; bool first_kept; bool second_there; } cases[] = {
      {"old", true, true, true},   {"any", true, true, true},     {"append", true, true, true},
      {"new", true, false, true},  {"read", false, true, false},
  };
  for (const auto &c : cases) {
    std::string name = dir.file(std::string("mode_") + c.mode + ".ryl");
    int s = open(name, "new");
    write_floats(s, 1, 1, 1, 1, {1});
    close(s);
    s = open(name, c.mode);
    int err, status;
    rlong dim[] = {2, 1, 1};
    float v = 2;
    int wrote = ryl_write_data(s, 2, 1, dim, &v, 9, &err, &status);
    EXPECT_EQ(wrote == 1, c.writable) << c.mode;
    close(s);
    s = open(name, "read");
    EXPECT_EQ(ryl_test_header(s, 1, 1, &err, &status), c.first_kept ? 1 : 0) << c.mode;
    EXPECT_EQ(ryl_test_header(s, 2, 1, &err, &status), c.second_there ? 1 : 0) << c.mode;
    if (c.first_kept) {
      EXPECT_EQ(read_floats(s, 1, 1), std::vector<float>{1}) << c.mode;
    }
    if (c.second_there) {
      EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{2}) << c.mode;
    }
    close(s);
  }
}

TEST_F(RylioTest, TableHoldsTwentyFiles) {
  int err, status;
  std::vector<int> streams;
  for (int i = 0; i < 20; ++i) {
    std::string name = std::to_string(i) + ".ryl";
    streams.push_back(open(dir.file(name), "new"));
  }
  EXPECT_EQ(ryl_open_data_file(dir.file("f20").c_str(), "new", &err, &status), -1);
  EXPECT_EQ(err, NoMoreStreamsAvailable);
  for (int s : streams) close(s);
}

TEST_F(RylioTest, DuplicatedIdsFallBackToSequenceNumbers) {
  std::string a = dir.file("a.ryl");
  int s = open(a, "new");
  write_floats(s, 1, 1, 1, 1, {10});
  close(s);
  std::string one = read_file(a);
  std::string twice = dir.file("twice.ryl");
  write_file(twice, one + one);
  testing::internal::CaptureStderr();
  s = open(twice, "read");
  std::string err_text = testing::internal::GetCapturedStderr();
  EXPECT_NE(err_text.find("WARNING: Using sequence number, block ids and types could be wrong.\n"
                          "         Error data cannot be distinguished from image data\n"),
            std::string::npos) << err_text;
  rlong lo = 0, hi = 0;
  int err, status;
  ASSERT_EQ(ryl_search_minmax_number(s, 1, &lo, &hi, &err, &status), 1);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 2);
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{10});
  close(s);
}

TEST_F(RylioTest, TruncatedFileOpensWithTheEarlierBlocks) {
  std::string name = dir.file("cut.ryl");
  int s = open(name, "new");
  write_floats(s, 1, 1, 1, 1, {1});
  write_floats(s, 2, 1, 1, 1, {2});
  close(s);
  std::string bytes = read_file(name);
  write_file(name, bytes.substr(0, 8704 + 100));  // ends inside the second header
  testing::internal::CaptureStderr();
  s = open(name, "read");
  std::string warn = testing::internal::GetCapturedStderr();
  EXPECT_NE(warn.find("RYL FILE WARNING"), std::string::npos) << warn;
  int err, status;
  EXPECT_EQ(ryl_test_header(s, 1, 1, &err, &status), 1);
  EXPECT_EQ(ryl_test_header(s, 2, 1, &err, &status), 0);
  EXPECT_EQ(read_floats(s, 1, 1), std::vector<float>{1});
  close(s);
}

TEST_F(RylioTest, ForeignFilesWithOldKeysAndUnalignedHeaders) {
  // Version 1 style: no reserved keys, block number from "Image", binary
  // length from "Size", header not on a boundary.
  std::string name = dir.file("v1.ryl");
  std::string h = "{\nHeaderID = EH:000001:000000:000000 ;\nImage = 1 ;\nSize = 8 ;\n"
                  "Dim_1 = 2 ;\nDataType = FloatValue ;\nByteOrder = LowByteFirst ;\n}\n";
  float v[2] = {1.5f, -2.0f};
  write_file(name, h + std::string(reinterpret_cast<char *>(v), 8));
  testing::internal::CaptureStderr();
  int s = open(name, "read");
  std::string info = testing::internal::GetCapturedStderr();
  ASSERT_GE(s, 0);
  EXPECT_EQ(read_floats(s, 1, 1), (std::vector<float>{1.5f, -2.0f}));
  close(s);

  // Version 2 without general block, written by another program with
  // boundary 1.
  std::string v2 = dir.file("v2.ryl");
  std::string h2 = "{\r\nRYL_DataBlockID = 3.Image.Psd ;\r\nDim_1 = 1 ;\r\n"
                   "ByteOrder = LowByteFirst ;\r\n}\n";
  float w = 4.0f;
  write_file(v2, h2 + std::string(reinterpret_cast<char *>(&w), 4));
  testing::internal::CaptureStderr();
  s = open(v2, "read");
  info = testing::internal::GetCapturedStderr();
  EXPECT_NE(info.find("INFO: Reading the file"), std::string::npos) << info;
  EXPECT_EQ(read_floats(s, 3, 1), std::vector<float>{4.0f});
  close(s);
}

TEST_F(RylioTest, BlockIdentifiersOfEveryKind) {
  // Headers written by other programs with boundary 1: the block is named
  // by the first identifying key present.
  struct Case { const char *keys; rlong chain; rlong number; } cases[] = {
      {"RYL_DataBlockID = 4.Image.Error ;\n", -1, 4},
      {"Image = 7 ;\n", 1, 7},
      {"Image.Error = 2 ;\n", -1, 2},
      {"HeaderID = EH:000005:000000:000000 ;\n", 1, 5},
  };
  for (const auto &c : cases) {
    std::string name = dir.file("ids.ryl");
    float v = 2.5f;
    write_file(name, std::string("{\n") + c.keys + "Dim_1 = 1 ;\nByteOrder = " +
                   (ryl_byteorder() == 1 ? "LowByteFirst" : "HighByteFirst") + " ;\n}\n" +
                   std::string(reinterpret_cast<char *>(&v), 4));
    testing::internal::CaptureStderr();
    int s = open(name, "read");
    testing::internal::GetCapturedStderr();
    int err, status;
    EXPECT_EQ(ryl_test_header(s, c.number, c.chain, &err, &status), 1) << c.keys;
    EXPECT_EQ(read_floats(s, c.number, c.chain), std::vector<float>{2.5f}) << c.keys;
    close(s);
  }
}

TEST_F(RylioTest, StoredByteOrderAndOffsetAreUndoneOnReading) {
  // Big-endian signed shorts 0x0102 with a value offset of -10.
  std::string name = dir.file("be.ryl");
  int s = open(name, "new");
  unsigned char bytes[] = {0x01, 0x02, 0xff, 0xfe};
  rlong dim[] = {1, 2};
  int err, status;
  ASSERT_EQ(ryl_write_data_raw(s, 1, 1, dim, bytes, ryl_string2datatype("SignedShort"), -10,
                               2 /* HighByteFirst */, 1, &err, &status), 1);
  close(s);
  s = open(name, "read");
  EXPECT_EQ(read_floats(s, 1, 1), (std::vector<float>{248.0f, -12.0f}));
  rlong *pdim = nullptr;
  void *raw = nullptr;
  std::size_t size = 0;
  int type = 0, order = 0;
  rlong offset = 0, raster = 0;
  ASSERT_EQ(ryl_read_data_raw(s, 1, 1, &pdim, &size, &raw, &type, &offset, &order, &raster, &err,
                              &status), 1);
  EXPECT_EQ(order, 2);
  EXPECT_EQ(offset, -10);
  EXPECT_EQ(std::memcmp(raw, bytes, 4), 0) << "raw reads give the stored bytes";
  close(s);
}

TEST_F(RylioTest, RewritingAHeaderInPlaceKeepsItsSpace) {
  ryl_set_minimumheadersize(0);
  std::string name = dir.file("rewrite.ryl");
  int s = open(name, "new");
  write_floats(s, 1, 1, 1, 1, {1});
  write_floats(s, 2, 1, 1, 1, {2});
  close(s);
  const std::size_t size = read_file(name).size();

  s = open(name, "old");
  int err, status;
  ASSERT_EQ(ryl_write_header_string(s, 1, 1, "Title", "short", &err, &status), 1);
  close(s);
  EXPECT_EQ(read_file(name).size(), size);
  s = open(name, "old");
  const char *t = nullptr;
  ryl_read_header_string(s, 1, 1, "Title", &t, &err, &status);
  EXPECT_STREQ(t, "short");
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{2});

  // A header that no longer fits is not written; the file stays intact.
  std::string big(900, 'y');
  ASSERT_EQ(ryl_write_header_string(s, 1, 1, "Title", big.c_str(), &err, &status), 1);
  EXPECT_EQ(ryl_close_data_file(s, &err, &status), 0);
  EXPECT_EQ(err, WriteDataError);
  ryl_free_data_file();
  EXPECT_EQ(read_file(name).size(), size);
  s = open(name, "read");
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{2});
  close(s);
}

TEST_F(RylioTest, DeletingKeys) {
  std::string name = dir.file("delete.ryl");
  int s = open(name, "new");
  int err, status;
  ryl_write_header_string(s, 1, 1, "Title", "x", &err, &status);
  write_floats(s, 1, 1, 1, 1, {1});
  close(s);
  s = open(name, "old");
  EXPECT_EQ(ryl_delete_key(s, 1, 1, "RYL_BinarySize", &err, &status), 0);
  EXPECT_EQ(err, CouldNotDeleteString);
  EXPECT_EQ(ryl_delete_key(s, 7, 1, "Title", &err, &status), 1);
  EXPECT_EQ(ryl_delete_key(s, 1, 1, "Title", &err, &status), 1);
  close(s);
  s = open(name, "read");
  const char *t = nullptr;
  EXPECT_EQ(ryl_read_header_string(s, 1, 1, "Title", &t, &err, &status), 0);
  EXPECT_EQ(read_floats(s, 1, 1), std::vector<float>{1});
  close(s);
}

TEST_F(RylioTest, OutputTypeAndOffsetSettings) {
  ryl_set_datatype(ryl_string2datatype("UnsignedShort"));
  ryl_set_datavalueoffset(100);
  std::string name = dir.file("offset.ryl");
  int s = open(name, "new");
  write_floats(s, 1, 1, 1, 1, {50});
  close(s);
  s = open(name, "read");
  rlong o = 0;
  int err, status;
  EXPECT_EQ(ryl_read_header_long(s, 1, 1, "DataValueOffset", &o, &err, &status), 1);
  EXPECT_EQ(o, 100);
  // 50 - 100 clips to 0 when stored; reading adds the offset back.
  EXPECT_EQ(read_floats(s, 1, 1), std::vector<float>{100});
  close(s);
}

TEST_F(RylioTest, CallerBuffersAndDimensions) {
  std::string name = dir.file("buffers.ryl");
  int s = open(name, "new");
  rlong dim3[] = {3, 2, 2, 1};
  std::vector<float> v{1, 2, 3, 4};
  int err, status;
  ASSERT_EQ(ryl_write_data(s, 1, 1, dim3, v.data(), 9, &err, &status), 1);
  rlong dim3b[] = {3, 2, 1, 2};
  ASSERT_EQ(ryl_write_data(s, 2, 1, dim3b, v.data(), 9, &err, &status), 1);
  close(s);

  s = open(name, "read");
  rlong mine[3] = {2, 0, 0};
  rlong *pdim = mine;
  float buf[4] = {};
  void *pdata = buf;
  std::size_t size = sizeof buf;
  ASSERT_EQ(ryl_read_data(s, 1, 1, &pdim, &size, &pdata, 9, &err, &status), 1);
  EXPECT_EQ(pdata, static_cast<void *>(buf));
  EXPECT_EQ(mine[1], 2);
  EXPECT_EQ(mine[2], 2);
  EXPECT_EQ(buf[3], 4.0f);
  // A third size other than 1 cannot be given as two dimensions.
  mine[0] = 2;
  pdim = mine;
  EXPECT_EQ(ryl_read_data(s, 2, 1, &pdim, &size, &pdata, 9, &err, &status), 0);
  EXPECT_EQ(err, NotNdData);
  std::size_t bytes = 0;
  rlong *ldim = nullptr;
  EXPECT_EQ(ryl_read_data_dimension(s, 2, 1, &ldim, &bytes, &err, &status), 1);
  EXPECT_EQ(bytes, 16u);
  EXPECT_EQ(ldim[0], 3);
  close(s);
}

TEST_F(RylioTest, CompressedBlocks) {
  ryl_set_datacompression(2);
  std::string name = dir.file("packed.ryl");
  int s = open(name, "new");
  std::vector<float> zeros(1000 * 1000, 0.0f);
  rlong dim[] = {2, 1000, 1000};
  int err, status;
  ASSERT_EQ(ryl_write_data(s, 1, 1, dim, zeros.data(), 9, &err, &status), 1);
  close(s);
  std::size_t size = read_file(name).size();
  EXPECT_LT(size, 8192u + 64u * 1024u);
  EXPECT_EQ((size - 8192) % 512, 0u);
  s = open(name, "read");
  std::vector<float> back = read_floats(s, 1, 1);
  ASSERT_EQ(back.size(), zeros.size());
  EXPECT_EQ(back, zeros);
  close(s);

  // Random bytes do not shrink: the block is refused, not written short.
  ryl_set_datacompression(3);
  std::string rnd = dir.file("random.ryl");
  s = open(rnd, "new");
  std::vector<unsigned char> noise(4096);
  std::mt19937 gen(7);
  for (auto &b : noise) b = static_cast<unsigned char>(gen());
  rlong ndim[] = {1, 4096};
  EXPECT_EQ(ryl_write_data(s, 1, 1, ndim, noise.data(), 1, &err, &status), 0);
  EXPECT_EQ(status, status_error);
  close(s);
}

TEST_F(RylioTest, DamagedCompressedBlockFailsToRead) {
  ryl_set_datacompression(2);
  std::string name = dir.file("damaged.ryl");
  int s = open(name, "new");
  std::vector<float> ramp(100000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i % 97);
  rlong dim[] = {1, 100000};
  int err, status;
  ASSERT_EQ(ryl_write_data(s, 1, 1, dim, ramp.data(), 9, &err, &status), 1);
  close(s);
  std::string bytes = read_file(name);
  write_file(name, bytes.substr(0, 8192 + 200));
  s = open(name, "read");
  rlong *pdim = nullptr;
  void *data = nullptr;
  std::size_t size = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ryl_read_data(s, 1, 1, &pdim, &size, &data, 9, &err, &status), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, CouldNotGetBinaryArray);
  close(s);
}

TEST_F(RylioTest, AbsurdSizesAreRefusedBeforeAllocating) {
  std::string name = dir.file("absurd.ryl");
  std::string h = "{\r\nRYL_DataBlockID = 1.Image.Psd ;\r\nRYL_BinarySize = 512 ;\r\n"
                  "Dim_1 = 2000000000 ;\r\nDim_2 = 2000000000 ;\r\nByteOrder = LowByteFirst ;\r\n";
  h += std::string(512 - h.size() - 4, ' ') + "\r\n}\n" + std::string(512, ' ');
  write_file(name, h);
  int s = open(name, "read");
  rlong *pdim = nullptr;
  void *data = nullptr;
  std::size_t size = 0;
  int err, status;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ryl_read_data(s, 1, 1, &pdim, &size, &data, 9, &err, &status), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, CouldNotGetBinaryArray);
  close(s);
}

TEST_F(RylioTest, CompressedFiles) {
  std::string name = dir.file("scan.gz");
  int s = open(name, "new");
  for (rlong i = 1; i <= 3; ++i) write_floats(s, i, 1, 1, 1, {static_cast<float>(i)});
  close(s);
  std::string packed = read_file(name);
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1f);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8b);

  int err, status;
  EXPECT_EQ(ryl_open_data_file(name.c_str(), "old", &err, &status), -1);
  EXPECT_EQ(err, CouldNotOpenFile);

  s = open(name, "read");
  EXPECT_EQ(read_floats(s, 3, 1), std::vector<float>{3});
  close(s);

  std::string appended = dir.file("series.gz");
  for (rlong i = 1; i <= 3; ++i) {
    s = open(appended, "append");
    write_floats(s, i, 1, 1, 1, {static_cast<float>(10 * i)});
    close(s);
  }
  s = open(appended, "read");
  rlong lo, hi;
  ASSERT_EQ(ryl_search_minmax_number(s, 1, &lo, &hi, &err, &status), 1);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);
  EXPECT_EQ(read_floats(s, 2, 1), std::vector<float>{20});
  close(s);
}

TEST_F(RylioTest, TemporaryFilesKeepEverythingInMemory) {
  int s = open("scratch", "temp");
  int err, status;
  ASSERT_EQ(ryl_write_header_string(s, 1, 1, "Title", "mem", &err, &status), 1);
  const char *t = nullptr;
  EXPECT_EQ(ryl_read_header_string(s, 1, 1, "Title", &t, &err, &status), 1);
  EXPECT_STREQ(t, "mem");
  {
    // The caller's array is gone before the block is read, twice.
    std::vector<float> v{1.5f, -2.0f};
    write_floats(s, 1, 1, 2, 1, v);
  }
  EXPECT_EQ(read_floats(s, 1, 1), (std::vector<float>{1.5f, -2.0f}));
  EXPECT_EQ(read_floats(s, 1, 1), (std::vector<float>{1.5f, -2.0f}));
  close(s);
}

TEST_F(RylioTest, ListingsOfOpenFiles) {
  std::string name = dir.file("listing.ryl");
  int s = open(name, "new");
  int err, status;
  ryl_write_header_string(s, 1, 1, "Title", "first", &err, &status);
  write_floats(s, 1, 1, 1, 1, {1});
  ryl_write_header_string(s, 2, 1, "Title", "second", &err, &status);
  write_floats(s, 2, 1, 1, 1, {2});
  close(s);
  s = open(name, "read");
  char *text = nullptr;
  std::size_t len = 0;
  FILE *out = open_memstream(&text, &len);
  ryl_dump(out, s, 1, "Image.Psd", "2", "Title,Dim_1");
  ryl_print_filetable(out, 0, 0);
  std::fclose(out);
  std::string listing(text, len);
  std::free(text);
  EXPECT_NE(listing.find("2.Image.Psd\tDim_1=1\tTitle=second\n"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("first"), std::string::npos);
  EXPECT_NE(listing.find("listing.ryl"), std::string::npos);
  close(s);
}

TEST_F(RylioTest, ErrorTexts) {
  EXPECT_EQ(ryl_report_data_error(11), "\nUnknownErrorValue : 11\n");
  EXPECT_EQ(ryl_report_data_error(CouldNotFindHeader), "\nCouldNotFindHeader\n");
  EXPECT_EQ(ryl_report_data_error(-1), "\nRoutineFailed\n");
}

}  // namespace
