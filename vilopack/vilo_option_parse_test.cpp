// Option parsing of the command line.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "rylpack/ipol.h"
#include "rylpack/rylio.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_option.h"
#include "vilopack/vilo_parameter.h"

namespace {

struct Parse {
  CmdBlk cb;
  ImgBlk ib[3];
  std::vector<std::string> words;
  std::vector<char *> argv;
  int arg_no = 0;
  int status = -99;
  std::string out;

  explicit Parse(std::vector<std::string> w, int blocks = 3) : words(std::move(w)) {
    words.insert(words.begin(), "/usr/bin/prog");
    for (auto &s : words) argv.push_back(s.data());
    argv.push_back(nullptr);
    InitOptions("usage", "prog V1", nullptr, 1, &cb, ib, blocks);
  }
  void parse() {
    testing::internal::CaptureStdout();
    ReadOptions(argv.data(), &arg_no, &cb, ib, &status);
    out = testing::internal::GetCapturedStdout();
  }
};

std::unique_ptr<Parse> parse(std::vector<std::string> words, int blocks = 3) {
  auto r = std::make_unique<Parse>(std::move(words), blocks);
  r->parse();
  return r;
}

class ReadOptionsTest : public testing::Test {
 protected:
  void SetUp() override { ViloError_init(); }
  void TearDown() override {
    ryl_free_all();
    Ipolmin(0.5f);  // "-pmin" sets the process-wide minimum coverage
  }
};

TEST_F(ReadOptionsTest, ImageOptionsCarryTheirBlockAndSign) {
  auto r = parse({"-i1fac", "2", "+i2con", "[Dummy]+1", "-odum", "-1", "in.ryl"});
  ASSERT_EQ(r->status, Success);
  EXPECT_EQ(r->arg_no, 6);
  EXPECT_STREQ(r->ib[1].Factor.V, "2");
  EXPECT_EQ(r->ib[1].Factor.I, -1);
  EXPECT_STREQ(r->ib[2].Const.V, "[Dummy]+1");
  EXPECT_EQ(r->ib[2].Const.I, 1);
  EXPECT_STREQ(r->ib[0].Dummy.V, "-1");
  // Blocks not addressed keep their defaults.
  EXPECT_STREQ(r->ib[2].Factor.V, "1.0");
  EXPECT_EQ(r->ib[2].Factor.I, 0);
  // The consumed words are recorded as the start of the history line.
  EXPECT_STREQ(ryl_history_argv_line(ViloHistoryKey), "prog -i1fac 2 +i2con \"[Dummy]+1\" -odum -1");
  // The image option table is released after parsing, the command table kept.
  EXPECT_TRUE(r->cb.io.empty());
  EXPECT_FALSE(r->cb.co.empty());
}

TEST_F(ReadOptionsTest, NegativeNumberEndsTheOptions) {
  auto r = parse({"-1", "-i1fac", "2"});
  EXPECT_EQ(r->status, Success);
  EXPECT_EQ(r->arg_no, 0);
  EXPECT_EQ(r->ib[1].Factor.I, 0);
}

TEST_F(ReadOptionsTest, FailuresAndTheirStatuses) {
  struct Case { std::vector<std::string> words; int status; const char *message; } cases[] = {
      {{"-o"}, ScanError, "    /usr/bin/prog -o ... "},
      {{"-i0fac", "2"}, ScanError, "    /usr/bin/prog -i0fac ... "},
      {{"-i3fac", "2"}, NoOption, "    /usr/bin/prog -i3fac ... "},
      {{"-ifac", "2"}, ScanError, nullptr},
      {{"-xyz"}, NoOption, nullptr},
      {{"-factor", "2"}, NoOption, nullptr},
      {{"-i1fac"}, ScanEmpty, "    -i1fac ... "},
      {{"-dvo", "1x"}, ScanError, "    -dvo 1x ... "},
      {{"-add", "2*(3"}, BadParenthesis, nullptr},
      {{"-i1dim", "10", ""}, ScanError, nullptr},
      {{"-type", "nosuchtype"}, ScanError, nullptr},
      {{"-cmpr"}, ScanEmpty, nullptr},
      {{"-i1pro", "radial"}, ScanError, nullptr},
  };
  for (const auto &c : cases) {
    ViloError_init();
    auto r = parse(c.words);
    EXPECT_EQ(r->status, c.status) << c.words[0];
    if (c.message) {
      const char *m = ViloErrorRecord().Message;
      EXPECT_STREQ(m ? m : "(none)", c.message) << c.words[0];
    }
    // After a failure the command table is released too.
    EXPECT_TRUE(r->cb.co.empty()) << c.words[0];
    ryl_free_all();
  }
  // Only two blocks: "-i2..." names a block the program does not have.
  auto two = parse({"-i2fac", "1"}, 2);
  EXPECT_EQ(two->status, NoOption);
  // No image blocks at all: "-o..." cannot be an option.
  auto none = parse({"-ofac", "1"}, 0);
  EXPECT_EQ(none->status, ScanError);
}

TEST_F(ReadOptionsTest, KeepWordLeavesAParameterAlone) {
  auto r = parse({"-shft", "=", "5"});
  ASSERT_EQ(r->status, Success);
  EXPECT_STREQ(r->cb.Shift[1].V, "0.0");
  EXPECT_EQ(r->cb.Shift[1].I, 0);
  EXPECT_STREQ(r->cb.Shift[2].V, "5");
  EXPECT_EQ(r->cb.Shift[2].I, -1);
}

TEST_F(ReadOptionsTest, WordsOfTheSpecialTypes) {
  auto r = parse({"-rsys", "NORMAL", "-i1mod", "o+fp", "-omod", "N+IP", "-i2pro", "waxs",
                  "-i1axis", "angle", "Numerator"});
  ASSERT_EQ(r->status, Success);
  EXPECT_EQ(r->cb.RSys.V, 6);
  EXPECT_EQ(r->cb.USys.V, 6) << "usys follows rsys when not given";
  EXPECT_EQ(r->cb.USys.I, 0);
  EXPECT_EQ(r->ib[1].OpenMode.V, IO_Old | IO_FileProtect);
  EXPECT_EQ(r->ib[0].OpenMode.V, IO_New | IO_ImageProtect);
  EXPECT_EQ(r->ib[2].Projection.V, 2);
  EXPECT_EQ(r->ib[1].AxisType[1].V, 2);
  EXPECT_EQ(r->ib[1].AxisType[2].V, 3);

  auto u = parse({"-usys", "real", "-rsys", "array"});
  EXPECT_EQ(u->cb.USys.V, 5);
  EXPECT_EQ(u->cb.RSys.V, 1);

  auto bad = parse({"-rsys", "norm"});
  EXPECT_EQ(bad->status, ScanError);
  EXPECT_NE(bad->out.find("Use -rsys and -usys with one of the following reference systems"),
            std::string::npos);
}

TEST_F(ReadOptionsTest, FlagsAndTheirSpecialRules) {
  auto r = parse({"+test", "+test", "+var", "-gblk", "-beam", "+cori", "+i1ave"});
  ASSERT_EQ(r->status, Success);
  EXPECT_EQ(r->cb.TestBit, 2);
  EXPECT_EQ(r->cb.CreateVariance.V, 1);
  EXPECT_EQ(r->cb.CreateVariance.I, 1);
  EXPECT_EQ(r->cb.GeneralBlock.V, 0);
  EXPECT_EQ(r->cb.GeneralBlock.I, -1);
  EXPECT_EQ(r->cb.Beam.V, -1);
  EXPECT_EQ(r->cb.Beam.I, -1);
  EXPECT_EQ(r->cb.CommonOrientation.I, 1);
  EXPECT_EQ(r->cb.CommonOrientation.V, 0);
  EXPECT_EQ(r->ib[1].Ave.V, 1);

  auto t = parse({"+test", "+test", "-test"});
  EXPECT_EQ(t->cb.TestBit, 0);
}

TEST_F(ReadOptionsTest, NumbersAndLibraryNames) {
  auto r = parse({"-add", "2*3", "-pmin", "0.25", "-type", "UnsignedShort", "-cmpr", "gzip",
                  "-i1fst", "(round)2.5"});
  ASSERT_EQ(r->status, Success);
  EXPECT_EQ(r->cb.Add.V, 6);
  EXPECT_FLOAT_EQ(r->cb.IPMin.V, 0.25f);
  EXPECT_EQ(r->cb.OutputDataType.V, 3);
  EXPECT_EQ(r->cb.OutputCompression.V, 2);
  EXPECT_EQ(r->ib[1].First.V, 3);
}

TEST_F(ReadOptionsTest, NumbersAfterTheFileName) {
  auto series = parse({"-i1nam", "img%%%.ryl,3,7"});
  ASSERT_EQ(series->status, Success);
  EXPECT_EQ(series->ib[1].FFirst.V, 3);
  EXPECT_EQ(series->ib[1].FLast.V, 7);
  EXPECT_EQ(series->ib[1].FInc.I, 0);
  EXPECT_EQ(series->ib[1].First.I, 0);

  auto images = parse({"+i1nam", "img.ryl,3,7"});
  ASSERT_EQ(images->status, Success);
  EXPECT_EQ(images->ib[1].First.V, 3);
  EXPECT_EQ(images->ib[1].First.I, 1);
  EXPECT_EQ(images->ib[1].Last.V, 7);
  EXPECT_EQ(images->ib[1].FFirst.I, 0);

  auto empty = parse({"-i1nam", "img.ryl,,5.6"});
  EXPECT_EQ(empty->ib[1].First.I, 0);
  EXPECT_EQ(empty->ib[1].Last.V, 6);

  auto bad = parse({"-i1nam", "img.ryl,x"});
  EXPECT_NE(bad->status, Success);
}

TEST_F(ReadOptionsTest, ProgramDefinedOptions) {
  auto r = std::make_unique<Parse>(std::vector<std::string>{"-row1", "10", "-row2", "[Dim_2]"});
  option_define(IO_tpflexp, "row1", "0.0", &r->cb);
  option_define(IO_tpflexp, "row2", "0.0", &r->cb);
  r->parse();
  ASSERT_EQ(r->status, Success);
  int status;
  IO_float row1 = option_float("row1", &r->cb, r->ib, nullptr, 1, &status);
  EXPECT_EQ(status, Success);
  EXPECT_EQ(row1.V, 10.0f);
  EXPECT_EQ(row1.I, -1);
  auto *row2 = static_cast<IO_flexp *>(option_parameter_search("row2", &r->cb, &status));
  ASSERT_NE(row2, nullptr);
  EXPECT_STREQ(row2->V, "[Dim_2]");
}

TEST_F(ReadOptionsTest, LongWordsAreCutToTheTextCapacity) {
  std::string name(5000, 'n');
  auto r = parse({"-i1nam", name, "-i1tit", std::string(3000, 't') + "[x]"});
  ASSERT_EQ(r->status, Success);
  EXPECT_EQ(std::strlen(r->ib[1].Name.V), static_cast<std::size_t>(IO_len - 1));
  EXPECT_EQ(std::strlen(r->ib[1].Title.V), static_cast<std::size_t>(IO_len - 1));
  auto bad = parse({"-" + std::string(5000, 'q')});
  EXPECT_EQ(bad->status, NoOption);
}

TEST_F(ReadOptionsTest, HelpStopsParsing) {
  auto r = parse({"-h", "in.ryl"});
  EXPECT_EQ(r->status, StoppedAfterHelp);
  EXPECT_EQ(r->out, "\nMain    : prog V1\nUsage   : /usr/bin/prog usage\n");
}

TEST_F(ReadOptionsTest, RandomWordsEndOrderly) {
  // Words made of option names, prefixes, numbers and noise: parsing ends
  // with a status of the table and never reads past the vector.
  const char *const pieces[] = {"-", "+", "i1", "i2", "i9", "o", "fac", "nam", "rsys", "mod",
                                "h", "test", "dim", "=", "1", "-1", "2*(", "[Dummy]", "%%",
                                ",", "a", "", "cmpr", "type", "axis", "pro", "row1", "shft"};
  std::mt19937 gen(3);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  for (int i = 0; i < 500; ++i) {
    std::vector<std::string> words;
    for (int w = static_cast<int>(gen() % 6); w >= 0; --w) {
      std::string word;
      for (int p = 1 + static_cast<int>(gen() % 3); p > 0; --p) word += pieces[pick(gen)];
      words.push_back(word);
    }
    ViloError_init();
    auto r = parse(words);
    EXPECT_TRUE(r->status == Success || (r->status >= 1 && r->status <= 52) || r->status == Failed)
        << r->status;
    EXPECT_LE(r->arg_no, static_cast<int>(words.size()) + 1);
    ryl_free_all();
  }
  Ipolmin(0.5f);
}

TEST(WordConversions, NamesBothWays) {
  EXPECT_EQ(strtopro("WAXS"), 2);
  EXPECT_EQ(strtopro("vilo"), 1);
  EXPECT_EQ(strtopro("Vil"), 0);
  EXPECT_STREQ(protostr(2), "Waxs");
  EXPECT_STREQ(protostr(7), "<unknown>");
  EXPECT_EQ(strtoaxis("distance"), 1);
  EXPECT_EQ(strtoaxis("Distances"), 0);
  EXPECT_STREQ(axistostr(3), "Numerator");
  EXPECT_STREQ(reftostr(8), "Vilo");
  EXPECT_STREQ(reftostr(0), "<unknown>");
}

}  // namespace
