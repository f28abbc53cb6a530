// Header keys in square brackets.
#include "vilopack/vilo_replacekey.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "rylpack/rylio.h"
#include "tests/run_program.h"
#include "vilopack/vilo_error.h"

namespace {

class ReplaceKeyTest : public testing::Test {
 protected:
  void SetUp() override {
    InitOptions("usage", "prog V1", nullptr, 1, &b->cb, b->ib, 3);
    name = dir.file("in.ryl");
    int err, status;
    int s = ryl_open_data_file(name.c_str(), "new", &err, &status);
    ryl_write_header_string(s, 1, 1, "Dummy", "-1", &err, &status);
    ryl_write_header_string(s, 1, 1, "Title", "two  blanks", &err, &status);
    ryl_write_header_string(s, 1, 1, "Center_1", "12.5", &err, &status);
    ryl_write_header_string(s, 1, 1, "Pick", "2", &err, &status);
    ryl_write_header_string(s, 1, 1, "One", "1", &err, &status);
    ryl_write_header_string(s, 2, 1, "Center_1", "99", &err, &status);
    ryl_close_data_file(s, &err, &status);
    stream = ryl_open_data_file(name.c_str(), "read", &err, &status);
    for (int k = 1; k < 3; ++k) {
      b->ib[k].Stream = stream;
      b->ib[k].StreamOpenMode = IO_Old;
    }
    std::snprintf(b->ib[1].FileName, IO_len, "%s", "/data/run/img0007.ryl.gz");
    b->ib[1].FileNumber = 7;
    b->ib[2].LoopNumber = 3;
  }
  void TearDown() override { ryl_free_all(); }

  std::string replace(const char *text, rlong npar = 0, int blkno = 1, std::size_t cap = 1024) {
    std::string buf(cap, '\0');
    int status = -1;
    char *r = replacekey(buf.data(), cap, text, npar, &b->cb, b->ib, num, blkno, &status);
    EXPECT_EQ(status, Success);
    return r ? std::string(r) : std::string("(null)");
  }

  struct Blocks {
    CmdBlk cb;
    ImgBlk ib[3];
  };
  std::unique_ptr<Blocks> b = std::make_unique<Blocks>();
  rlong num[3] = {1, 1, 2};
  testsupport::TempDir dir;
  std::string name;
  int stream = -1;
};

TEST_F(ReplaceKeyTest, KeysSpecialKeysAndWords) {
  struct Case { const char *text; rlong npar; int blkno; const char *expect; } cases[] = {
      {"plain text", 0, 1, "plain text"},
      {"[Dummy]+1", 0, 1, "-1+1"},
      {"[dummy]", 0, 1, "-1"},                      // header keys ignore case
      {"[Center_1,2]", 0, 1, "99"},                 // image 2 of block 2
      {"[Center_1,[Pick]]", 0, 1, "99"},            // block number from a key
      {"[Center_[One]]", 0, 1, "12.5"},             // a key inside the key
      {"[Center_1,9]", 0, 1, "99"},                 // limited to the last block
      {"[Title,1,1]", 0, 1, "two"},
      {"[Title,1,2]", 0, 1, ""},                    // empty word between two blanks
      {"[Title,1,3]", 0, 1, "blanks"},
      {"[Title]", 0, 1, "two  blanks"},
      {"[Title]", 1, 1, "two"},                     // caller's word selection
      {"[Nokey]*2", 0, 1, "[Nokey]*2"},             // stays as written
      {"[Dummy", 0, 1, "-1"},                       // unclosed: read to the end
      {"img[FNUM].ryl", 0, 1, "img7.ryl"},
      {"[LNUM]", 0, 2, "3"},
      {"[INUM]", 0, 2, "2"},
      {"[MNUM]", 0, 1, "1"},
      {"[FPATH]", 0, 1, "/data/run/"},
      {"[FBASE]", 0, 1, "img0007.ryl"},
      {"[FEXT]", 0, 1, ".gz"},
      {"[FBODY]", 0, 1, "/data/run/img0007.ryl"},
      {"[FNAME]", 0, 1, "/data/run/img0007.ryl.gz"},
      {"[CYCLES]", 0, 1, "0"},
      {"[fnum]", 0, 1, "[fnum]"},                   // special keys keep their case
      {"[Dummy,0]", 0, 1, "-1"},                    // output block reads input 1
  };
  for (const auto &c : cases) EXPECT_EQ(replace(c.text, c.npar, c.blkno), c.expect) << c.text;
}

TEST_F(ReplaceKeyTest, BoundsAreKept) {
  // The result is cut at the caller's capacity.
  EXPECT_EQ(replace("[Title]", 0, 1, 5), "two ");
  EXPECT_EQ(replace("abc", 0, 1, 1), "");
  int status;
  char one[1];
  EXPECT_EQ(replacekey(one, 0, "x", 0, &b->cb, b->ib, num, 1, &status), nullptr);
  // A key over 64 characters: the first 64 are looked up, the rest is text.
  std::string longkey = "[" + std::string(70, 'K') + "]";
  EXPECT_EQ(replace(longkey.c_str()), longkey);
  // Deep nesting does not recurse without bound.
  std::string deep(5000, '[');
  std::string r = replace(deep.c_str(), 0, 1, 8192);
  EXPECT_EQ(r.size(), 5000u);
  // No command block: copied as it is.
  char buf[16];
  EXPECT_STREQ(replacekey(buf, sizeof buf, "[Dummy]", 0, nullptr, b->ib, num, 1, &status),
               "[Dummy]");
}

TEST_F(ReplaceKeyTest, ClosedOrDummyStreamsGiveNoKeys) {
  b->ib[1].StreamOpenMode = IO_Dummy;
  EXPECT_EQ(replace("[Dummy]"), "[Dummy]");
  b->ib[1].Stream = -1;
  EXPECT_EQ(replace("[Dummy]"), "[Dummy]");
}

TEST_F(ReplaceKeyTest, EvaluationHelpers) {
  int status;
  EXPECT_EQ(floatkeyvalue("[Dummy]+1", &b->cb, b->ib, num, 1, &status), 0.0f);
  EXPECT_EQ(status, Success);
  EXPECT_DOUBLE_EQ(doublekeyvalue("[Center_1]*2", &b->cb, b->ib, num, 1, &status), 25.0);
  EXPECT_EQ(longkeyvalue("[Pick]+[FNUM]", &b->cb, b->ib, num, 1, &status), 9);
  floatkeyvalue("[Nokey]*2", &b->cb, b->ib, num, 1, &status);
  EXPECT_NE(status, Success);
  EXPECT_STREQ(ViloErrorRecord().Message, "[Nokey]*2");
  char line[32];
  linekeyvalue(line, sizeof line, "[Title]", 0, &b->cb, b->ib, num, 1, &status);
  EXPECT_STREQ(line, "two  blanks");
  EXPECT_EQ(hasreplacekey("a[b]c"), 1);
  EXPECT_EQ(hasreplacekey("a]b[c"), 0);
  EXPECT_EQ(hasreplacekey(nullptr), 0);
}

TEST(ReplaceKeyHelp, TextStartsAndEndsAsDocumented) {
  std::string t = replacekey_show();
  EXPECT_EQ(t.rfind("    Header keys (case insensitive)\n", 0), 0u);
  EXPECT_NE(t.find("     FNUM   file number, e.g. value of %%%% in name%%%%.ryl\n"), std::string::npos);
  const std::string last = "\n     CYCLES number of cycles before output image is written";
  EXPECT_EQ(t.substr(t.size() - last.size()), last);
  EXPECT_STREQ(replacekey_version(), "ViloReplacekey V1.23 Tessmor 2015-12-08");
}

}  // namespace
