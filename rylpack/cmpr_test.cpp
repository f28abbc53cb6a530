#include "rylpack/cmpr.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File stream_with(const std::vector<unsigned char> &bytes) {
  File f(std::tmpfile());
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f.get());
  std::rewind(f.get());
  return f;
}

std::vector<unsigned char> contents(FILE *f) {
  std::vector<unsigned char> v;
  std::rewind(f);
  unsigned char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) v.insert(v.end(), buf, buf + n);
  return v;
}

// Half compressible text, half noise, so both paths of zlib are used.
std::vector<unsigned char> sample(std::size_t n, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> v(n);
  for (std::size_t i = 0; i < n; ++i)
    v[i] = (i / 4096) % 2 ? static_cast<unsigned char>(rng()) : static_cast<unsigned char>("abcdefgh"[i % 8]);
  return v;
}

std::vector<unsigned char> deflated(const std::vector<unsigned char> &raw, int method) {
  std::vector<unsigned char> out(raw.size() + raw.size() / 100 + 1024);
  std::size_t n = 0;
  int err = 99;
  EXPECT_EQ(cmpr_deflate(out.data(), out.size(), raw.data(), raw.size(), method, &n, &err), 0);
  EXPECT_EQ(err, 0);
  out.resize(n);
  return out;
}

// Silences the failure line that every failing routine prints.
struct QuietStderr {
  QuietStderr() { testing::internal::CaptureStderr(); }
  ~QuietStderr() { text(); }
  std::string text() {
    if (!done) { got = testing::internal::GetCapturedStderr(); done = true; }
    return got;
  }
  bool done = false;
  std::string got;
};

const std::size_t kSizes[] = {0, 1, 511, 512, 513, 16383, 16384, 16385, 3 * 1024 * 1024 + 7};

}  // namespace

TEST(CmprMemory, RoundTripOverSizesAndFramings) {
  for (int method : {CMPR_GZIP, CMPR_Z}) {
    for (std::size_t size : kSizes) {
      std::vector<unsigned char> raw = sample(size);
      std::vector<unsigned char> packed = deflated(raw, method);
      ASSERT_GT(packed.size(), 0u);
      // The framing is the one asked for.
      if (method == CMPR_GZIP) {
        EXPECT_EQ(packed[0], 0x1f) << size;
        EXPECT_EQ(packed[1], 0x8b) << size;
      } else {
        EXPECT_EQ((packed[0] * 256 + packed[1]) % 31, 0) << size;
        EXPECT_EQ(packed[0] & 0x0f, 8) << size;
      }
      // And zlib itself reads it (gzip needs the 16+ window form).
      std::vector<unsigned char> check(size + 1);
      z_stream s{};
      ASSERT_EQ(inflateInit2(&s, method == CMPR_GZIP ? 31 : 15), Z_OK);
      s.next_in = packed.data();
      s.avail_in = static_cast<uInt>(packed.size());
      s.next_out = check.data();
      s.avail_out = static_cast<uInt>(check.size());
      EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END) << size;
      EXPECT_EQ(s.total_out, size);
      inflateEnd(&s);

      std::vector<unsigned char> back(size);
      std::size_t n = 12345;
      int err = 99;
      EXPECT_EQ(cmpr_inflate(back.data(), back.size(), packed.data(), packed.size(), method,
                             &n, &err), 0) << size;
      EXPECT_EQ(err, 0);
      EXPECT_EQ(n, size);
      EXPECT_TRUE(back == raw) << "method " << method << " size " << size;
    }
  }
}

TEST(CmprMemory, ZerosShrinkToAFewKilobytes) {
  std::vector<unsigned char> zeros(4000000, 0);
  std::vector<unsigned char> out(zeros.size());
  std::size_t n = 0;
  ASSERT_EQ(cmpr_deflate(out.data(), out.size(), zeros.data(), zeros.size(), CMPR_GZIP, &n,
                         nullptr), 0);
  EXPECT_LT(n, 8192u);
}

TEST(CmprMemory, OutputTooShortFails) {
  std::vector<unsigned char> raw = sample(100000, 7);
  std::mt19937 rng(3);
  for (auto &b : raw) b = static_cast<unsigned char>(rng());  // incompressible
  std::vector<unsigned char> out(raw.size());
  std::size_t n = 0;
  int err = 0;
  QuietStderr quiet;
  EXPECT_EQ(cmpr_deflate(out.data(), out.size(), raw.data(), raw.size(), CMPR_Z, &n, &err), -1);
  EXPECT_EQ(err, -1);
  EXPECT_LE(n, out.size());
  EXPECT_NE(quiet.text().find("cmpr_deflate: error reading or writing data buffer (cmpr : V1.10"),
            std::string::npos) << quiet.text();

  QuietStderr quiet2;
  std::vector<unsigned char> packed = deflated(sample(50000), CMPR_GZIP);
  std::vector<unsigned char> small(49999);
  err = 0;
  EXPECT_EQ(cmpr_inflate(small.data(), small.size(), packed.data(), packed.size(), CMPR_GZIP,
                         &n, &err), -1);
  EXPECT_EQ(err, -1);
  EXPECT_EQ(n, small.size());
  err = 0;
  EXPECT_EQ(cmpr_deflate(out.data(), 0, raw.data(), 10, CMPR_GZIP, &n, &err), -1);
  EXPECT_EQ(err, -1);
}

TEST(CmprMemory, DamagedInputGivesDataError) {
  for (int method : {CMPR_GZIP, CMPR_Z}) {
    std::vector<unsigned char> raw = sample(70000, 5);
    std::vector<unsigned char> packed = deflated(raw, method);
    struct Damage { const char *what; std::vector<unsigned char> bytes; } cases[] = {
        {"truncated by one", {packed.begin(), packed.end() - 1}},
        {"truncated to half", {packed.begin(), packed.begin() + packed.size() / 2}},
        {"header only", {packed.begin(), packed.begin() + 2}},
        {"empty", {}},
        {"flipped payload byte", packed},
        {"flipped check byte", packed},
    };
    cases[4].bytes[cases[4].bytes.size() / 2] ^= 0x55;
    cases[5].bytes[cases[5].bytes.size() - 2] ^= 0x01;  // in the trailer of both framings
    for (auto &c : cases) {
      std::vector<unsigned char> back(raw.size());
      std::size_t n = 0;
      int err = 0;
      QuietStderr quiet;
      EXPECT_EQ(cmpr_inflate(back.data(), back.size(), c.bytes.data(), c.bytes.size(), method,
                             &n, &err), -1) << c.what;
      EXPECT_EQ(err, -3) << c.what << " method " << method;
      EXPECT_LE(n, back.size());
    }
  }
  // The documented message for a stream that just stops.
  std::vector<unsigned char> packed = deflated(sample(1000), CMPR_GZIP);
  std::vector<unsigned char> back(1000);
  QuietStderr quiet;
  cmpr_inflate(back.data(), back.size(), packed.data(), packed.size() - 3, CMPR_GZIP, nullptr,
               nullptr);
  EXPECT_NE(quiet.text().find("inflate should report Z_STREAM_END\n"), std::string::npos);
  EXPECT_NE(quiet.text().find("cmpr_inflate: invalid or incomplete deflate data"),
            std::string::npos);
}

TEST(CmprMemory, UnknownMethodFailsAtOnce) {
  unsigned char in[4] = {1, 2, 3, 4}, out[64];
  for (int method : {0, 1, 4, -2}) {
    std::size_t n = 7;
    int err = 0;
    QuietStderr quiet;
    EXPECT_EQ(cmpr_deflate(out, sizeof out, in, sizeof in, method, &n, &err), -1);
    EXPECT_EQ(err, -1);
    EXPECT_EQ(n, 0u);
    err = 0;
    EXPECT_EQ(cmpr_inflate(out, sizeof out, in, sizeof in, method, &n, &err), -1);
    EXPECT_EQ(err, -1);
  }
}

TEST(CmprStream, FrinflateReadsOnlyItsSection) {
  for (int method : {CMPR_GZIP, CMPR_Z}) {
    for (std::size_t size : kSizes) {
      std::vector<unsigned char> raw = sample(size, 9);
      std::vector<unsigned char> packed = deflated(raw, method);
      std::vector<unsigned char> file = packed;
      const std::string tail = "NEXT BLOCK";
      file.insert(file.end(), tail.begin(), tail.end());
      File f = stream_with(file);
      std::vector<unsigned char> back(size);
      std::size_t n = 0;
      int err = 9;
      // Allowed to read up to the uncompressed size, as the block reader
      // does; it must not go past the section when that is larger.
      std::size_t limit = std::max(size, packed.size());
      EXPECT_EQ(cmpr_frinflate(back.data(), back.size(), f.get(), std::min(limit, packed.size()),
                               method, &n, &err), 0) << size;
      EXPECT_EQ(err, 0);
      EXPECT_EQ(n, size);
      EXPECT_TRUE(back == raw) << size;
      EXPECT_LE(std::ftell(f.get()), static_cast<long>(packed.size())) << size;
    }
  }
}

TEST(CmprStream, FrinflateOfAFileThatEndsEarly) {
  std::vector<unsigned char> raw = sample(40000, 4);
  std::vector<unsigned char> packed = deflated(raw, CMPR_GZIP);
  packed.resize(packed.size() - 100);
  File f = stream_with(packed);
  std::vector<unsigned char> back(raw.size());
  std::size_t n = 0;
  int err = 0;
  QuietStderr quiet;
  EXPECT_EQ(cmpr_frinflate(back.data(), back.size(), f.get(), raw.size(), CMPR_GZIP, &n, &err), -1);
  EXPECT_EQ(err, -3);
  EXPECT_NE(quiet.text().find("inflate should report Z_STREAM_END"), std::string::npos);
  EXPECT_NE(quiet.text().find("cmpr_frinflate: "), std::string::npos);
}

TEST(CmprStream, FileRoundTripAndConcatenatedMembers) {
  for (int method : {CMPR_GZIP, CMPR_Z}) {
    for (std::size_t size : {std::size_t{0}, std::size_t{513}, std::size_t{2500000}}) {
      std::vector<unsigned char> raw = sample(size, 11);
      File in = stream_with(raw);
      File packed(std::tmpfile());
      std::size_t n = 0;
      int err = 9;
      ASSERT_EQ(cmpr_deflatefile(packed.get(), in.get(), method, &n, &err), 0);
      EXPECT_EQ(err, 0);
      std::vector<unsigned char> bytes = contents(packed.get());
      EXPECT_EQ(n, bytes.size());
      std::rewind(packed.get());
      File out(std::tmpfile());
      ASSERT_EQ(cmpr_inflatefile(out.get(), packed.get(), method, &n, &err), 0) << size;
      EXPECT_EQ(n, size);
      EXPECT_TRUE(contents(out.get()) == raw) << size;
    }
  }
  // Three gzip members appended one after the other read as one file.
  std::vector<unsigned char> whole, file;
  for (unsigned seed : {1u, 2u, 3u}) {
    std::vector<unsigned char> part = sample(30000 + seed, seed);
    whole.insert(whole.end(), part.begin(), part.end());
    std::vector<unsigned char> member = deflated(part, CMPR_GZIP);
    file.insert(file.end(), member.begin(), member.end());
  }
  File in = stream_with(file);
  File out(std::tmpfile());
  std::size_t n = 0;
  ASSERT_EQ(cmpr_inflatefile(out.get(), in.get(), CMPR_GZIP, &n, nullptr), 0);
  EXPECT_EQ(n, whole.size());
  EXPECT_TRUE(contents(out.get()) == whole);
}

TEST(CmprStream, DamagedFilesFail) {
  std::vector<unsigned char> packed = deflated(sample(100000, 8), CMPR_GZIP);
  struct Damage { const char *what; std::vector<unsigned char> bytes; } cases[] = {
      {"truncated", {packed.begin(), packed.end() - 10}},
      {"flipped", packed},
      {"garbage after member", packed},
      {"empty", {}},
  };
  cases[1].bytes[packed.size() / 3] ^= 0xff;
  cases[2].bytes.insert(cases[2].bytes.end(), {'x', 'y', 'z'});
  for (auto &c : cases) {
    File in = stream_with(c.bytes);
    File out(std::tmpfile());
    int err = 0;
    QuietStderr quiet;
    EXPECT_EQ(cmpr_inflatefile(out.get(), in.get(), CMPR_GZIP, nullptr, &err), -1) << c.what;
    EXPECT_EQ(err, -3) << c.what;
    EXPECT_NE(quiet.text().find("cmpr_inflatefile: "), std::string::npos) << c.what;
  }
}

TEST(CmprStream, WriteErrorsAreReported) {
  File full(std::fopen("/dev/full", "w"));
  if (!full) GTEST_SKIP() << "no /dev/full";
  File in = stream_with(sample(200000, 2));
  int err = 0;
  QuietStderr quiet;
  EXPECT_EQ(cmpr_deflatefile(full.get(), in.get(), CMPR_GZIP, nullptr, &err), -1);
  EXPECT_EQ(err, -1);
}

TEST(CmprNames, ExtensionsAndNames) {
  struct Ext { const char *ext; int method; } exts[] = {
      {".gz", 2}, {".GZ", 2}, {".gzip", 2}, {".rylgz", 2}, {".RylGz", 2}, {".Z", 3},
      {".z", 3},  {".zip", 3}, {".ryl", 1}, {"", 1},       {".g", 1},     {nullptr, 1},
  };
  for (const auto &c : exts)
    EXPECT_EQ(cmpr_checkextension(c.ext), c.method) << (c.ext ? c.ext : "(null)");
  struct Type { const char *name; int method; } types[] = {
      {"scan.gz", 2}, {"/d/scan.ryl.Z", 3}, {"scan.zip", 3}, {"scan.ryl", 1},
      {"scan", 1},    {"run.gz/scan", 1},   {"scan.gz,1,3", 2},
  };
  for (const auto &c : types) EXPECT_EQ(cmpr_checkfiletype(c.name), c.method) << c.name;
  struct Name { const char *name; int method; const char *expect; } names[] = {
      {"scan.ryl", 2, "scan.ryl.gz"}, {"scan.ryl", 3, "scan.ryl.Z"}, {"scan.ryl.gz", 3, "scan.ryl.Z"},
      {"scan.Z", 2, "scan.gz"},       {"scan.ryl", 1, "scan.ryl"},   {"scan.gz", 2, "scan.gz"},
  };
  for (const auto &c : names) {
    char buf[64];
    EXPECT_STREQ(cmpr_filename(buf, sizeof buf, c.name, c.method), c.expect) << c.name;
  }
  char small[6];
  EXPECT_STREQ(cmpr_filename(small, sizeof small, "scan.ryl", 2), "scan.");
  EXPECT_EQ(std::string(cmpr_version()), std::string("cmpr : V1.10 Tessmor 2016-01-12 -- zlib : ") + ZLIB_VERSION);
  EXPECT_STREQ(cmpr_errval2string(-6), "zlib version mismatch!");
  EXPECT_STREQ(cmpr_errval2string(-4), "out of memory");
  EXPECT_STREQ(cmpr_errval2string(-2), "invalid compression level");
  EXPECT_STREQ(cmpr_errval2string(5), "");
}

TEST(CmprDebug, PrintsBeginAndEndLines) {
  int old = cmpr_debug(1);
  testing::internal::CaptureStdout();
  std::vector<unsigned char> raw = sample(100);
  std::vector<unsigned char> out(1000);
  cmpr_deflate(out.data(), out.size(), raw.data(), raw.size(), CMPR_GZIP, nullptr, nullptr);
  std::string text = testing::internal::GetCapturedStdout();
  cmpr_debug(old);
  EXPECT_NE(text.find("cmpr_deflate BEGIN"), std::string::npos) << text;
  EXPECT_NE(text.find("deflateInit2(level=-1, method=8, windowBits=31, memLevel=8, strategy=0)"),
            std::string::npos) << text;
  EXPECT_NE(text.find("cmpr_deflate END"), std::string::npos) << text;
}
