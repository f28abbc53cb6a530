// Options a program declares for itself.
#include "vilopack/vilo_parameter.h"

#include <gtest/gtest.h>

#include <memory>

#include "vilopack/vilo_error.h"

namespace {

struct Blocks {
  CmdBlk cb;
  ImgBlk ib[3];
  Blocks() { InitOptions("usage", "prog V1", nullptr, 1, &cb, ib, 3); }
};

TEST(OptionDefine, SlotsFillFromTheLowEndOfTheirRange) {
  auto b = std::make_unique<Blocks>();
  option_define(IO_tpflexp, "row1", "0.0", &b->cb);
  option_define(IO_tpflexp, "Row2X", "1.5", &b->cb);
  option_define(IO_tplong, "nmax", "2*3", &b->cb);
  option_define(IO_tpflag, "fast", "1", &b->cb);
  option_define(IO_tpline, "note", "some text", &b->cb);
  EXPECT_STREQ(b->cb.co[NFlexpFst].code, "row1");
  EXPECT_STREQ(b->cb.co[NFlexpFst + 1].code, "row2");  // lower case, 4 characters
  EXPECT_EQ(b->cb.co[NFlexpFst + 1].npar, 1);
  EXPECT_STREQ(b->cb.Flexp[1].V, "1.5");
  EXPECT_EQ(b->cb.Flexp[1].I, 0);
  EXPECT_EQ(b->cb.Num[0].V, 6);
  EXPECT_EQ(b->cb.Flg[0].V, 1);
  EXPECT_EQ(b->cb.co[NFlgFst].npar, 1);
  EXPECT_STREQ(b->cb.Lin[0].V, "some text");
  EXPECT_EQ(option_type("row2", &b->cb), IO_tpflexp);
  EXPECT_EQ(option_type("nmax", &b->cb), IO_tplong);
  EXPECT_EQ(option_type("zzz", &b->cb), 0);
}

TEST(OptionDefine, DeclarationErrorsEndTheProcess) {
  struct Case { int ptyp; const char *name; const char *defval; const char *message; } cases[] = {
      {IO_tpflexp, "row1x", "0", "ERROR: Option duplicated or reserved: -row1x"},
      {IO_tpflexp, "out", "0", "ERROR: Option duplicated or reserved: -out"},
      {IO_tpflexp, "i2x", "0", "ERROR: Option duplicated or reserved: -i2x"},
      {IO_tpflexp, "test", "0", "ERROR: Option duplicated or reserved: -test"},
      {IO_tplong, "nbad", "2.5", "ERROR: Option definition failed: nbad: 2.5"},
      {IO_tpmode, "mmm", "0", "ERROR: Option definition failed: mmm"},
  };
  for (const auto &c : cases) {
    auto b = std::make_unique<Blocks>();
    option_define(IO_tpflexp, "row1", "0.0", &b->cb);
    EXPECT_EXIT(option_define(c.ptyp, c.name, c.defval, &b->cb), testing::ExitedWithCode(255),
                c.message)
        << c.name;
  }
}

TEST(OptionDefine, EachTypeHasItsNumberOfSlots) {
  struct Case { int ptyp; int slots; } cases[] = {
      {IO_tpfloat, IO_MaxFloatOpt}, {IO_tpflexp, IO_MaxFlexpOpt}, {IO_tplong, IO_MaxIntOpt},
      {IO_tplvexp, IO_MaxLvexpOpt}, {IO_tpline, IO_MaxLineOpt},   {IO_tpflag, IO_MaxFlagOpt},
  };
  for (const auto &c : cases) {
    auto b = std::make_unique<Blocks>();
    for (int i = 0; i < c.slots; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "x%d", i);
      option_define(c.ptyp, name, "0", &b->cb);
    }
    EXPECT_EXIT(option_define(c.ptyp, "more", "0", &b->cb), testing::ExitedWithCode(255),
                "ERROR: Option definition failed: more")
        << option_type2string(c.ptyp);
  }
}

TEST(OptionRead, ValuesByNameAndTheirErrors) {
  auto b = std::make_unique<Blocks>();
  option_define(IO_tpflexp, "row1", "2*1.5", &b->cb);
  option_define(IO_tpfloat, "fval", "0.5", &b->cb);
  option_define(IO_tplvexp, "lexp", "7/2", &b->cb);
  option_define(IO_tpline, "line", "x y", &b->cb);
  option_define(IO_tpflag, "flag", "0", &b->cb);
  int status;
  // The default text is evaluated; the flag says it was not given.
  IO_float f = option_float("row1", &b->cb, b->ib, nullptr, 1, &status);
  EXPECT_EQ(status, Success);
  EXPECT_EQ(f.V, 3.0f);
  EXPECT_EQ(f.I, 0);
  // Only the first 4 characters of the asked name count.
  EXPECT_EQ(option_float("row1xyz", &b->cb, b->ib, nullptr, 1, &status).V, 3.0f);
  EXPECT_EQ(option_float("fval", &b->cb, b->ib, nullptr, 1, &status).V, 0.5f);
  EXPECT_EQ(option_long("lexp", &b->cb, b->ib, nullptr, 1, &status).V, 3);
  EXPECT_STREQ(option_line("line", &b->cb, b->ib, nullptr, 1, &status).V, "x y");
  EXPECT_EQ(option_flag("flag", &b->cb, &status).V, 0);

  option_float("nope", &b->cb, b->ib, nullptr, 1, &status);
  EXPECT_EQ(status, NoOption);
  option_long("row1", &b->cb, b->ib, nullptr, 1, &status);
  EXPECT_EQ(status, OutOfRange);
  option_float("row1", nullptr, b->ib, nullptr, 1, &status);
  EXPECT_EQ(status, Failed);

  option_parameter_update("1/0", -1, "row1", &b->cb, &status);
  EXPECT_EQ(status, Success);
  option_float("row1", &b->cb, b->ib, nullptr, 1, &status);
  EXPECT_EQ(status, DivByZero);
  EXPECT_STREQ(ViloErrorRecord().Message, "1/0");

  option_flag_update(1, 1, "flag", &b->cb, &status);
  IO_long fl = option_flag("flag", &b->cb, &status);
  EXPECT_EQ(fl.V, 1);
  EXPECT_EQ(fl.I, 1);
}

TEST(OptionSearch, NamesAndTypes) {
  auto b = std::make_unique<Blocks>();
  EXPECT_EQ(search_command_option(&b->cb, "test"), NTest);
  EXPECT_EQ(search_command_option(&b->cb, ""), 0);
  EXPECT_EQ(search_command_option(&b->cb, "#test"), 0);
  EXPECT_EQ(CheckOptionDuplication(&b->cb, nullptr), 0);
  EXPECT_EQ(CheckOptionDuplication(&b->cb, "shft"), 1);
  EXPECT_EQ(CheckOptionDuplication(&b->cb, "row9"), 0);
  EXPECT_STREQ(option_type2string(IO_tplvexp), "lvexp");
  EXPECT_STREQ(option_type2string(IO_tppro), "none");
  EXPECT_STREQ(option_type2string(42), "none");
}

TEST(FixedSlots, DeclarationsAndTheirErrors) {
  auto b = std::make_unique<Blocks>();
  DefFloatOption(&b->cb, "fa", 2);
  DefFlgOption(&b->cb, "fl", 0);
  EXPECT_STREQ(b->cb.co[NArgFst + 2].code, "fa");
  EXPECT_EQ(b->cb.co[NFlgFst].npar, 0);
  EXPECT_EXIT(DefIntOption(&b->cb, "ni", 10), testing::ExitedWithCode(255), "");
  EXPECT_EXIT(DefLineOption(&b->cb, "fa", 1), testing::ExitedWithCode(255), "");
}

}  // namespace
