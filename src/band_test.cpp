#include "src/band.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/run_program.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_option.h"
#include "vilopack/vilo_parameter.h"

namespace {

using testsupport::run_program;

TEST(BandPrograms, ViloVersionComposesProgramAndLibraryVersions) {
  struct Case { const BandProgram *p; const char *expect; } cases[] = {
      {&kBandPlus, "# bandplus V4.63 2012-01-31, Tessmor V2.478 E2.266_linux"},
      {&kBandMinus, "# bandminus V4.63 2012-01-31, Tessmor V2.478 E2.266_linux"},
  };
  for (const auto &c : cases) {
    auto cb = std::make_unique<CmdBlk>();
    ImgBlk ib[kBandBlocks];
    band_init(*c.p, cb.get(), ib);
    EXPECT_STREQ(cb->ViloVersion, c.expect);
    EXPECT_EQ(cb->ImgBlkLen, 3);
    EXPECT_EQ(cb->RejectNum, 1);
    EXPECT_EQ(cb->MainData, nullptr);
  }
}

TEST(BandPrograms, DeclareTheBandOptions) {
  auto cb = std::make_unique<CmdBlk>();
  ImgBlk ib[kBandBlocks];
  band_init(kBandPlus, cb.get(), ib);
  band_declare_options(cb.get());
  for (const char *name : {"row1", "row2"}) {
    EXPECT_EQ(option_type(name, cb.get()), IO_tpflexp) << name;
    int status;
    IO_float v = option_float(name, cb.get(), ib, nullptr, 2, &status);
    EXPECT_EQ(status, Success);
    EXPECT_EQ(v.I, 0) << "a default never counts as given";
  }
}

TEST(BandPrograms, WithoutArgumentsShowUsageAndVersionAndSucceed) {
  struct Case { const char *name; const char *last_line; } cases[] = {
      {"bandplus", "         --- Average rows of i2 and add results to rows of i1 ---"},
      {"bandminus", "         --- Average rows of i2 and subtract results from rows of i1 ---"},
  };
  for (const auto &c : cases) {
    auto r = run_program(c.name, {});
    EXPECT_EQ(r.exit_code, 0) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
    std::string expect = std::string("Usage: ") + c.name +
                         " [options] \n"
                         "             <i1nam> <i2nam> <onam> <i1fst> <i1lst> <i1inc> <i2fst>\n"
                         "             <odum> <odim1> <odim2> <i1fac> <i1con> <i2fac> <i2con>\n"
                         "             <ofac> <ocon>\n" +
                         c.last_line + "\n\n   " + c.name + " " + c.name +
                         " V4.63 2012-01-31, Tessmor\n\n";
    EXPECT_EQ(r.out, expect) << c.name;
  }
}

TEST(BandPrograms, WithArgumentsShowOnlyTheVersion) {
  auto r = run_program("bandminus", {"a.ryl"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "\n   bandminus bandminus V4.63 2012-01-31, Tessmor\n\n");
}

}  // namespace

namespace {

using testsupport::run_program;

TEST(BandCommandLine, ShortHelpAndItsReport) {
  auto r = run_program("bandplus", {"-h"});
  EXPECT_EQ(r.exit_code, 40);
  EXPECT_EQ(r.err, "\nStatus = 40 -- StoppedAfterHelp\n");
  EXPECT_EQ(r.out.rfind("\nMain    : bandplus V4.63 2012-01-31, Tessmor\nUsage   : ", 0), 0u) << r.out;
  EXPECT_EQ(r.out.find("List of options"), std::string::npos);
}

TEST(BandCommandLine, LongHelpListsTheBandOptions) {
  auto r = run_program("bandminus", {"+h"});
  EXPECT_EQ(r.exit_code, 40);
  EXPECT_NE(r.out.find("     -row1 [ 1, F]     -row2 [ 1, F]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Usage   : "), std::string::npos);
  EXPECT_NE(r.out.find("subtract results from rows of i1"), std::string::npos);
  EXPECT_NE(r.out.find("Maximum number <n> of input blocks: 2"), std::string::npos);
}

TEST(BandCommandLine, FailingOptionsReportTheWordsAndExitWithTheStatus) {
  struct Case { std::vector<std::string> args; int code; std::string err; } cases[] = {
      {{"-i3fac", "2"},
       6,
       "\nMODULE   : ViloOption\nROUTINE  : ReadOptions\n"},
      {{"-i1fac"},
       4,
       "\nMODULE   : ViloOption\nROUTINE  : ReadOptions\n    -i1fac ... \n"
       "Status = 4 -- ScanEmpty: Unexpected end of argument list\n"},
      {{"-add", "2*(3", "a.ryl"},
       10,
       "\nMODULE   : ViloOption\nROUTINE  : ReadOptions\n    -add 2*(3 ... \n"
       "Status = 10 -- BadParenthesis: Wrong number of parentheses\n"},
      {{"-rsys", "norm"}, 3, ""},
      {{"-o"}, 3, ""},
      {{"-pmin", "1x"}, 255, "\nMODULE   : ViloOption\nROUTINE  : ReadOptions\n    -pmin 1x ... \n"
                             "Status = -1 -- Failed: Routine failed\n"},
  };
  for (const auto &c : cases) {
    auto r = run_program("bandplus", c.args);
    EXPECT_EQ(r.exit_code, c.code) << c.args[0];
    if (!c.err.empty()) {
      EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    }
    EXPECT_EQ(r.out.find("bandplus V4.63"), std::string::npos) << "no dialogue after a failure";
  }
  auto sys = run_program("bandplus", {"-rsys", "norm"});
  EXPECT_NE(sys.out.find("Use -rsys and -usys with one of the following reference systems : \n"
                         "    array,    image,   center,   region,     real,   normal,  tangens,     vilo\n"),
            std::string::npos)
      << sys.out;
}

TEST(BandCommandLine, AcceptedOptionsLeadToTheDialogue) {
  auto r = run_program("bandplus", {"+test", "-rsys", "Real", "-i1nam", "img%%.ryl,3,7", "-row1",
                                    "[Dim_2]/2", "-i2fac", "=", "-1", "out.ryl"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("List : +test -rsys Real -i1nam img%%.ryl,3,7 -row1 [Dim_2]/2 -i2fac = -1 "
                       "out.ryl\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("CommandBlock.RSys.V                  = 5\n"), std::string::npos);
  EXPECT_NE(r.out.find("CommandBlock.Flexp[0].V          = [Dim_2]/2\n"), std::string::npos);
  EXPECT_NE(r.out.find("ImageBlock[1].FFirst.V    = 3\n"), std::string::npos);
  EXPECT_NE(r.out.find("ImageBlock[1].FLast.V     = 7\n"), std::string::npos);
  EXPECT_EQ(r.out.find("ImageBlock[2] Factor.V"), std::string::npos) << "\"=\" keeps the default";
  EXPECT_NE(r.out.find("   bandplus bandplus V4.63"), std::string::npos);
}

}  // namespace
