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
